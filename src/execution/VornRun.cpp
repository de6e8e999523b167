// ExecuteReport: prompt, query list, run context, the report row, then design, run
// by execution type and destination, or grids. Whatever happens the run context is
// cleared and the lists are freed unless a result window took them.
#include "execution/VornRun.h"

#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/ParamAskMe.h"
#include "execution/VornReportDesigner.h"
#include "execution/VornRunParams.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/report/ReportExport.h"

#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>

using vorn::DataError;

namespace {

struct FileFormat
{
    const char *title;
    const char *format;
};
// the text filter first: a file run without a name defaults to it
const FileFormat kFileFormats[] = {
    {"Текст", "txt"}, {"PDF", "pdf"}, {"Excel", "xlsx"}, {"CSV", "csv"}, {"HTML", "html"}, {"RTF", "rtf"},
    {"SVG", "svg"}, {"PNG", "png"}, {"Отчёт Vorn", "vrp"},
};

// The format for a file name: its extension when the engine knows it, else text.
QString formatFor(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    return vorn::report::exportFormats().contains(ext) ? ext : QStringLiteral("txt");
}

// Asks for the file of a file run; "" when cancelled.
QString askFileName(const QString &caption, QString *format)
{
    QStringList filters;
    for (const FileFormat &f : kFileFormats)
        filters << QString::fromUtf8(f.title) + QStringLiteral(" (*.") + QLatin1String(f.format) + u')';
    QFileDialog dlg(MainWindow(), caption);
    dlg.setObjectName(QStringLiteral("dlgReportFile"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilters(filters);
    dlg.setDefaultSuffix(QStringLiteral("txt"));
    if (ExecDialog(&dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    const int i = int(filters.indexOf(dlg.selectedNameFilter()));
    const QString name = dlg.selectedFiles().first();
    const QString byName = formatFor(name);
    *format = QFileInfo(name).suffix().isEmpty() || byName == u"txt" ? QLatin1String(kFileFormats[qMax(0, i)].format) : byName;
    return name;
}

QByteArray reportBlob(vorn::Query *row)
{
    vorn::Field *f = row->isEmpty() ? nullptr : row->findField(QStringLiteral("Report"));
    const QVariant v = f ? f->value() : QVariant();
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
}

} // namespace

bool ChooseOutput(int &destination)
{
    QDialog dlg(MainWindow());
    dlg.setObjectName(QStringLiteral("dlgChooseOutput"));
    dlg.setWindowTitle(QStringLiteral("Выбор вывода отчета"));
    dlg.setFixedSize(300, 100);
    auto *label = new QLabel(QStringLiteral("Вывод отчета"), &dlg);
    label->move(20, 8);
    auto *cb = new QComboBox(&dlg);
    cb->setObjectName(QStringLiteral("cbOutput"));
    cb->addItems({QStringLiteral("На экран"), QStringLiteral("На принтер"), QStringLiteral("В файл")});
    cb->setEditable(false);
    cb->move(120, 4);
    cb->setCurrentIndex(qBound(0, destination, 2));
    auto *ok = new QPushButton(QStringLiteral("OK"), &dlg);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    ok->setGeometry(65, 40, 75, 25);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), &dlg);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setGeometry(155, 40, 75, 25);
    QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    if (QScreen *s = QGuiApplication::primaryScreen())
        dlg.move(s->geometry().center() - QPoint(150, 50));
    if (ExecDialog(&dlg) != QDialog::Accepted)
        return false;
    destination = cb->currentIndex();
    return true;
}

bool ExecuteReport(int objectId, const QString &caption, TParamAskMeList *params, bool ownsParams, int execType,
                   int destination, const QString &fileName, int runMode)
{
    TdmVorn *dm = dmVorn();
    if (!dm)
        throw DataError(QStringLiteral("Нет модуля данных каталога"));
    const int kind = runMode == rmGrids ? execType : okReport;

    // 1. the prompt, in every mode, so that even the designer works on live data
    std::unique_ptr<TParamAskMeList> owned;
    if (!params) {
        bool proceed = false;
        owned = RunPrepareParams(objectId, kind, caption, &proceed);
        ownsParams = true;
        if (!proceed)
            return false;
    } else if (ownsParams)
        owned.reset(params);
    TParamAskMeList *list = owned ? owned.get() : params;

    std::unique_ptr<TQueryList> queries;
    vorn::Query *row = dm->qFrmRep;
    auto cleanup = qScopeGuard([&] {
        try {
            row->close();
        } catch (...) {
        }
        dm->ClearRunContext();
    });

    // 2.-4. the data sources, the run context, the report row
    queries = BuildQueryList(objectId, kind);
    dm->RunParams = list;
    dm->RunQueries = queries.get();
    dm->RunCaption = caption;
    row->close();
    row->paramByName(QStringLiteral("Id")).setAsInteger(objectId);
    row->open();

    auto toGrids = [&](int gridKind) {
        dm->LogAction(2, objectId, caption);
        dm->ClearRunContext();
        ShowQueryBrowser(objectId, gridKind, caption, std::move(queries), ownsParams ? owned.release() : list, ownsParams);
    };
    auto output = [&](int chosen) {  // 0 screen, 1 printer, 2 file
        const QByteArray blob = reportBlob(row);
        if (blob.trimmed().isEmpty())
            throw DataError(QStringLiteral("У отчёта нет макета: ") + caption);
        QString file = fileName, format;
        if (chosen == 2) {
            if (file.isEmpty()) {
                file = askFileName(caption, &format);
                if (file.isEmpty())
                    return;
            } else
                format = formatFor(file);
        }
        dm->LogAction(1, objectId, caption);
        TReportDesignerDialog *designer = ReportDesignerDialog1();
        switch (chosen) {
        case 0: designer->PreviewReport(blob); break;
        case 1: designer->PrintReport(blob); break;
        default: designer->ExportReport(blob, file, format); break;
        }
    };

    // 5. by mode
    switch (runMode) {
    case rmDesign: {
        if (row->isEmpty())
            throw DataError(QStringLiteral("Отчёт не найден: ") + QString::number(objectId));
        QByteArray blob = reportBlob(row);
        if (blob.trimmed().isEmpty())
            blob = MinimalLayout(caption);
        row->edit();
        if (ReportDesignerDialog1()->EditReport(blob, caption.left(255))) {
            row->fieldByName(QStringLiteral("Report"))->setValue(blob);
            row->post();
        } else
            row->cancel();
        break;
    }
    case rmRun: {
        if (!row->isEmpty()) {
            if (execType <= 0)
                execType = row->fieldByName(QStringLiteral("IdTypExec"))->value().toInt();
            if (destination < 0)
                destination = row->fieldByName(QStringLiteral("IdDestination"))->value().toInt();
        }
        if (execType == etLayout) {
            switch (destination) {
            case dsScreen: output(0); break;
            case dsPrinter: output(1); break;
            case dsFile: output(2); break;
            case dsAsk: {
                int chosen = destination;
                if (ChooseOutput(chosen))
                    output(chosen);
                break;
            }
            default: break;
            }
        } else if (execType == etGrids)
            toGrids(okReport);
        break;
    }
    case rmGrids: toGrids(kind); break;
    default: break;
    }
    // 6.-7. the guard closes the row and clears the context; unique_ptrs free the lists
    return true;
}

bool RunReport(int reportId, const QString &caption, int destination, int execType)
{
    return ExecuteReport(reportId, caption, nullptr, true, execType, destination, QString(), rmRun);
}

bool DesignReport(int reportId, const QString &caption)
{
    return ExecuteReport(reportId, caption, nullptr, true, 0, 0, QString(), rmDesign);
}

bool ShowAsGrids(int objectId, int objectKind, const QString &caption)
{
    return ExecuteReport(objectId, caption, nullptr, true, objectKind, 0, QString(), rmGrids);
}
