// Loading a layout builds the datasets it names as live components of the dataset
// layer on a form, so that the hooks can give them the catalogue's SQL, the run's
// parameter values and master links before the band engine reads them.
#include "execution/VornReportDesigner.h"

#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/ParamAskMe.h"
#include "execution/Qrprevr.h"
#include "execution/VornLayoutEditor.h"
#include "execution/VornRun.h"
#include "execution/VornRunParams.h"
#include "execution/unAddQRFnc.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"
#include "platform/report/ReportEngine.h"
#include "platform/report/ReportExport.h"

#include <QPrinter>

using vorn::DataError;
using vorn::Dataset;
using vorn::DataSource;
using vorn::Query;
using namespace vorn::report;

// ------------------------------------------------------------------ adapter

QString TDatasetReportData::name() const { return m_ds ? m_ds->objectName() : QString(); }

bool TDatasetReportData::skipped() const
{
    if (!m_ds || m_ds->property("vornOpenFailed").toBool())
        return true;
    // a memory table the layout stored without fields, and nothing filled: no rows
    auto *m = qobject_cast<vorn::MemoryTable *>(m_ds.data());
    return m && !m->isActive() && m->fieldDefs().isEmpty();
}

bool TDatasetReportData::open(QString *error)
{
    if (skipped())
        return true;
    try {
        if (!m_ds->isActive())
            m_ds->open();
        m_ds->first();
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

bool TDatasetReportData::isOpen() const { return !skipped() && m_ds->isActive(); }

QStringList TDatasetReportData::fieldNames() const { return isOpen() ? m_ds->fieldNames() : QStringList(); }

QMetaType TDatasetReportData::fieldType(int field) const
{
    if (!isOpen() || field < 0 || field >= m_ds->fieldCount())
        return QMetaType();
    return QMetaType(vorn::fieldtype::metaTypeOf(m_ds->field(field)->dataType()));
}

bool TDatasetReportData::first()
{
    if (!isOpen())
        return false;
    m_ds->first();
    return !m_ds->isEmpty();
}

bool TDatasetReportData::next()
{
    if (!isOpen())
        return false;
    m_ds->next();
    return !m_ds->eof();
}

bool TDatasetReportData::eof() const { return !isOpen() || m_ds->isEmpty() || m_ds->eof(); }

QVariant TDatasetReportData::value(int field) const
{
    if (eof() || field < 0 || field >= m_ds->fieldCount())
        return QVariant();
    return m_ds->field(field)->value();
}

int TDatasetReportData::recordCount() const { return isOpen() ? m_ds->recordCount() : 0; }
int TDatasetReportData::recordNumber() const { return isOpen() ? m_ds->recNo() : 0; }

bool TDatasetReportData::masterChanged(QString *error)
{
    // A linked query re-reads itself when its master's row moves.
    if (auto *q = qobject_cast<Query *>(m_ds.data()); q && q->masterSource())
        return open(error);
    if (!isOpen())
        return open(error);
    return true;
}

// ------------------------------------------------------------------ designer

namespace {

vorn::FieldType typeFromLayoutName(const QString &name)
{
    const QString t = name.toLower().startsWith(u"ft") ? name.toLower().mid(2) : name.toLower();
    if (t == u"integer" || t == u"autoinc") return vorn::ftInteger;
    if (t == u"smallint" || t == u"word") return vorn::ftSmallint;
    if (t == u"largeint") return vorn::ftLargeint;
    if (t == u"float" || t == u"bcd") return vorn::ftFloat;
    if (t == u"currency") return vorn::ftCurrency;
    if (t == u"boolean") return vorn::ftBoolean;
    if (t == u"date") return vorn::ftDate;
    if (t == u"datetime") return vorn::ftDateTime;
    if (t == u"memo") return vorn::ftMemo;
    return vorn::ftString;
}

TReportDesignerDialog::PrinterSetup &printerSetup()
{
    static TReportDesignerDialog::PrinterSetup s;
    return s;
}

QPointer<TReportDesignerDialog> g_designer;

} // namespace

TReportDesignerDialog::TReportDesignerDialog(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("ReportDesignerDialog1"));
}

std::unique_ptr<TReportForm> TReportDesignerDialog::LoadReport(const QByteArray &xml)
{
    auto form = std::make_unique<TReportForm>();
    QString error;
    if (!form->Layout.load(xml, &error))
        throw DataError(error);
    form->Layout.setPrintIfEmpty(form->Layout.printIfEmpty() || PrintIfEmpty);
    for (const LayoutDataSet &l : form->Layout.dataSets()) {
        if (l.className.compare(u"TVornQuery", Qt::CaseInsensitive) == 0 || l.className.compare(u"TQuery", Qt::CaseInsensitive) == 0) {
            auto *q = new Query(form.get());
            q->setObjectName(l.name);
            q->setDatabaseName(DefaultDatabaseName);  // layouts use only the default database
            q->setSql(l.sql);
            q->setTag(l.tag);
        } else if (l.className.compare(u"TDataSource", Qt::CaseInsensitive) != 0) {
            auto *m = new vorn::MemoryTable(form.get());
            m->setObjectName(l.name);
            m->setTag(l.tag);
            for (const auto &f : l.fields) {
                const vorn::FieldType t = typeFromLayoutName(f.second);
                m->addFieldDef(f.first, t, t == vorn::ftString ? 255 : 0);
            }
            if (!m->fieldDefs().isEmpty() && !l.rows.isEmpty()) {
                QList<QVariantList> rows;
                for (const QStringList &r : l.rows)
                    rows << QVariantList(r.begin(), r.end());
                m->loadRows(rows);
            }
        }
    }
    auto findDataset = [&](const QString &name) -> Dataset * {
        for (Dataset *d : form->findChildren<Dataset *>())
            if (d->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return d;
        return nullptr;
    };
    for (const LayoutDataSet &l : form->Layout.dataSets())
        if (l.className.compare(u"TDataSource", Qt::CaseInsensitive) == 0) {
            auto *s = new DataSource(findDataset(l.dataSet), form.get());
            s->setObjectName(l.name);
            s->setTag(l.tag);
        }
    for (const LayoutDataSet &l : form->Layout.dataSets()) {
        if (l.masterSource.isEmpty())
            continue;
        auto *q = qobject_cast<Query *>(findDataset(l.name));
        for (DataSource *s : form->findChildren<DataSource *>())
            if (q && s->objectName().compare(l.masterSource, Qt::CaseInsensitive) == 0)
                q->setMasterSource(s);
    }
    if (OnAfterReportLoaded)
        OnAfterReportLoaded(form.get());
    return form;
}

void TReportDesignerDialog::Generate(TReportForm *form, ReportPages *pages, bool progressive)
{
    ReportEngine engine;
    engine.setFunctions(ReportFunctions());
    engine.setLayout(form->Layout);
    for (Dataset *d : form->findChildren<Dataset *>())
        engine.addDataSet(std::make_unique<TDatasetReportData>(d));
    engine.setBeforeOpenDataSet([this](ReportDataSet &rd, QString *err) {
        auto *a = dynamic_cast<TDatasetReportData *>(&rd);
        Dataset *ds = a ? a->dataset() : nullptr;
        if (!ds || ds->isActive() || ds->property("vornOpenFailed").toBool() || !OnBeforeOpenDataset)
            return true;
        try {
            OnBeforeOpenDataset(ds);
        } catch (const std::exception &e) {
            *err = QString::fromUtf8(e.what());
            return false;
        }
        return true;
    });
    engine.setProgressive(progressive);
    engine.setStrictNames(StrictNames);
    QPointer<ReportPages> guard(pages);
    if (progressive) {
        // the preview shows progress and may be closed while the pages are made
        if (auto *preview = qobject_cast<TQRRussianPreview *>(pages->parent())) {
            connect(&engine, &ReportEngine::progress, preview, &TQRRussianPreview::SetProgress);
            connect(preview, &QObject::destroyed, &engine, &ReportEngine::cancel);
        }
    }
    if (!engine.run(pages) && !guard.isNull())
        throw DataError(engine.errorString());
}

void TReportDesignerDialog::PreviewReport(const QByteArray &xml)
{
    auto form = LoadReport(xml);
    TQRRussianPreview *preview = TQRRussianPreviewInterface::Show();
    QPointer<TQRRussianPreview> shown(preview);
    try {
        Generate(form.get(), preview->Pages(), true);
    } catch (...) {
        // a load stopped while the pages were made leaves no half-empty window behind
        if (shown)
            shown->close();
        throw;
    }
}

void TReportDesignerDialog::PrintReport(const QByteArray &xml)
{
    auto form = LoadReport(xml);
    ReportPages pages;
    Generate(form.get(), &pages);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(&printer);
    QString error;
    if (!printPages(pages, &printer, &error))
        throw DataError(error);
}

void TReportDesignerDialog::ExportReport(const QByteArray &xml, const QString &fileName, const QString &format)
{
    auto form = LoadReport(xml);
    ReportPages pages;
    Generate(form.get(), &pages);
    QString error;
    if (!exportFile(pages, fileName, format, &error))
        throw DataError(error);
}

bool TReportDesignerDialog::EditReport(QByteArray &xml, const QString &title)
{
    TfrmLayoutEditor editor(xml, title);
    if (ExecDialog(&editor) != QDialog::Accepted)
        return false;
    xml = editor.LayoutXml();
    return true;
}

TReportDesignerDialog::PrinterSetup TReportDesignerDialog::SetPrinterSetup(PrinterSetup setup)
{
    return std::exchange(printerSetup(), std::move(setup));
}

void TReportDesignerDialog::SetUpPrinter(QPrinter *printer)
{
    // one copy, all pages, the default printer unless a setup says otherwise
    printer->setCopyCount(1);
    printer->setDuplex(QPrinter::DuplexNone);
    printer->setPrintRange(QPrinter::AllPages);
    if (printerSetup())
        printerSetup()(printer);
}

void TReportDesignerDialog::ApplyPrinterSetup(QPrinter *printer)
{
    if (printerSetup())
        printerSetup()(printer);
}

TReportDesignerDialog *ReportDesignerDialog1()
{
    if (!g_designer) {
        g_designer = new TReportDesignerDialog(dmVorn());
        g_designer->OnAfterReportLoaded = ReportDesignerDialog1AfterReportLoaded;
        g_designer->OnBeforeOpenDataset = ReportDesignerDialog1BeforeOpenDataset;
    }
    return g_designer;
}

// ------------------------------------------------------------------ hooks

void ReportDesignerDialog1AfterReportLoaded(TReportForm *form)
{
    TdmVorn *dm = dmVorn();
    if (!dm || !dm->RunQueries)
        return;  // a layout looked at outside a run keeps what it stores
    OpenReportDataSets(form, dm->RunParams, dm->RunQueries, true);
    form->Layout.setTitle(dm->RunCaption);
}

void ReportDesignerDialog1BeforeOpenDataset(Dataset *dataset)
{
    if (dataset->objectName() == u"usrPARAM")
        return;
    TdmVorn *dm = dmVorn();
    if (!dm || !dm->RunQueries)
        return;
    const TQueryListItem *item = dm->RunQueries->FindByShortName(dataset->objectName());
    if (item->ItemKind != 0)
        return;  // a remote module was filled when the layout loaded
    if (auto *q = qobject_cast<Query *>(dataset)) {
        if (q->sqlText() != item->SQLtext)
            q->setSql(item->SQLtext);
        q->setTag(item->Id);
        TParamAskMeList empty;
        RunApplyParamsToQuery(q, dm->RunParams ? dm->RunParams : &empty);
        LinkMaster(dataset->parent(), q, dm->RunQueries);
    }
}

QByteArray MinimalLayout(const QString &title)
{
    ReportLayout l;
    l.setTitle(title);
    ReportBand &b = l.addBand(BandType::Title, QStringLiteral("Title"), 12);
    ReportItem it;
    it.type = ItemType::SystemData;
    it.name = QStringLiteral("ReportTitle");
    it.systemData = SystemData::ReportTitle;
    it.geometry = QRectF(0, 2, 190, 8);
    b.items.append(it);
    return l.save();
}

QByteArray StarterLayout(const QString &title, TQueryList *queries, TParamAskMeList *params)
{
    ReportLayout l;
    if (!l.load(MinimalLayout(title), nullptr) || !queries)
        return MinimalLayout(title);
    for (int i = 0; i < queries->Count(); ++i) {
        const TQueryListItem *it = queries->Items(i);
        LayoutDataSet d;
        d.className = it->ItemKind == 0 ? QStringLiteral("TVornQuery") : QStringLiteral("TClientDataSet");
        d.name = it->QueryShortName;
        if (it->ItemKind == 0) {
            d.databaseConnName = QStringLiteral("dbMain");
            d.sql = it->SQLtext;
        }
        d.tag = it->Id;
        l.addDataSet(d);
        LayoutDataSet src;
        src.className = QStringLiteral("TDataSource");
        src.name = QStringLiteral("ds") + it->QueryShortName;
        src.dataSet = it->QueryShortName;
        l.addDataSet(src);
    }
    if (params && params->Count() > 0) {
        LayoutDataSet u;
        u.className = QStringLiteral("TRxMemoryData");
        u.name = QStringLiteral("usrPARAM");
        u.tag = -1;
        static const char *const kindNames[] = {"", "String", "Date", "Currency", "Float", "Integer", "DateTime"};
        for (int i = 0; i < params->Count(); ++i) {
            const TParamAskMe *p = params->Items(i);
            if (p->ValueKind > vkNone && p->ValueKind <= vkDateTime)
                u.fields.append({p->ParName, QLatin1String(kindNames[p->ValueKind])});
            if (p->IdParTyp == ptLookup || p->IdParTyp == ptMultiLookup)
                u.fields.append({p->ParName + QStringLiteral("_Display"), QStringLiteral("String")});
        }
        l.addDataSet(u);
    }
    if (queries->Count() == 0)
        return l.save();
    // the first source's columns, read from the live data the run opened
    const QString first = queries->Items(0)->QueryShortName;
    QStringList columns;
    try {
        QObject owner;
        TQueryList one;
        one.Add(std::make_unique<TQueryListItem>(*queries->Items(0)));
        OpenReportDataSets(&owner, params, &one, false);
        if (auto *ds = owner.findChild<Dataset *>(first))
            columns = ds->fieldNames();
    } catch (const std::exception &) {
        // a source that does not open yet still gets its dataset, without columns
    }
    columns = columns.mid(0, 8);
    if (columns.isEmpty())
        return l.save();
    const double width = 185.0 / columns.size();
    ReportBand &head = l.addBand(BandType::ColumnHeader, QStringLiteral("ColumnHeader"), 6);
    ReportBand &detail = l.addBand(BandType::Detail, QStringLiteral("Detail"), 5);
    detail.dataSet = first;
    for (int c = 0; c < columns.size(); ++c) {
        ReportItem h;
        h.type = ItemType::Label;
        h.name = QStringLiteral("lbl") + columns[c];
        h.text = columns[c];
        h.geometry = QRectF(c * width, 0, width, 5);
        h.frame = FrameBottom;
        head.items.append(h);
        ReportItem f;
        f.type = ItemType::DataField;
        f.name = QStringLiteral("fld") + columns[c];
        f.expression = first + u'.' + columns[c];
        f.geometry = QRectF(c * width, 0, width, 5);
        detail.items.append(f);
    }
    return l.save();
}
