// Script datasets and fields over the live cursor, report query collections, and
// the workbook written for SaveToFile kind 4 / SaveToExcel.
#include "scripting/Impl_VornQuerys.h"
#include "execution/VornExport.h"
#include "platform/data/Dataset.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/tables/TableFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <xlsxwriter.h>

using namespace vorn;

namespace {

// A one-dimensional array with lower bound 1, filled in place.
SafeArray *newArray(int count)
{
    return new SafeArray({SafeArray::Bound{1, count}});
}

QString textOf(const Field *f, const QVariant &v)
{
    return Field::formatValue(v, f->dataType(), QString());
}

} // namespace

// ---- TVornDataSet

TVornDataSet::TVornDataSet(Kind kind, int number, const QString &name, Dataset *dataset)
    : m_kind(kind), m_number(number), m_name(name), m_dataset(dataset)
{
}

TVornDataSet::~TVornDataSet()
{
    if (m_kind == SingleQuery)
        delete m_dataset.data();
}

QString TVornDataSet::className() const
{
    switch (m_kind) {
    case QueryObject: return QStringLiteral("TVornQueryObject");
    case SingleQuery: return QStringLiteral("TVornSingleQuery");
    default: return QStringLiteral("TVornSimpleDataSet");
    }
}

Dataset *TVornDataSet::DataSet() const
{
    if (!m_dataset)
        RaiseVornError(VornObjectGoneText());
    return m_dataset;
}

QString TVornDataSet::ShortName() const { return DataSet()->objectName(); }

Variant TVornDataSet::Values() const
{
    Dataset *ds = DataSet();
    const QVariantList row = ds->currentValues();
    SafeArray *a = newArray(int(row.size()));
    for (int i = 0; i < row.size(); ++i)
        a->at(i) = Variant::fromQVariant(row.at(i));
    return Variant::array(a);
}

// Rows are read by position, so the cursor (and the details hanging on it) never moves.
Variant TVornDataSet::Rows() const
{
    Dataset *ds = DataSet();
    const int rows = ds->recordCount(), cols = ds->fieldCount();
    SafeArray *all = newArray(rows);
    Variant result = Variant::array(all);
    for (int r = 0; r < rows; ++r) {
        SafeArray *row = newArray(cols);
        all->at(r) = Variant::array(row);
        for (int c = 0; c < cols; ++c)
            row->at(c) = Variant::fromQVariant(ds->valueAt(r, c));
    }
    return result;
}

Variant TVornDataSet::RowsAsText() const
{
    Dataset *ds = DataSet();
    const int rows = ds->recordCount(), cols = ds->fieldCount();
    SafeArray *all = newArray(rows + 1);
    Variant result = Variant::array(all);
    all->at(0) = DisplayLabels();
    for (int r = 0; r < rows; ++r) {
        SafeArray *row = newArray(cols);
        all->at(r + 1) = Variant::array(row);
        for (int c = 0; c < cols; ++c)
            row->at(c) = Variant(textOf(ds->field(c), ds->valueAt(r, c)));
    }
    return result;
}

Variant TVornDataSet::DisplayLabels() const
{
    Dataset *ds = DataSet();
    SafeArray *a = newArray(ds->fieldCount());
    for (int i = 0; i < ds->fieldCount(); ++i)
        a->at(i) = Variant(ds->field(i)->displayLabel());
    return Variant::array(a);
}

Variant TVornDataSet::FieldNames() const
{
    Dataset *ds = DataSet();
    SafeArray *a = newArray(ds->fieldCount());
    for (int i = 0; i < ds->fieldCount(); ++i)
        a->at(i) = Variant(ds->field(i)->fieldName());
    return Variant::array(a);
}

Variant TVornDataSet::Fields() const
{
    return Variant(static_cast<DispatchObject *>(new TVornFields(DataSet())));
}

bool TVornDataSet::SaveToFile(const QString &fileName, int kind, bool delimited)
{
    Dataset *ds = DataSet();
    if (kind == 4) {
        WriteScriptWorkbook({this}, fileName);
        return true;
    }
    if (m_kind == Simple)
        return false;
    tables::TableKind table;
    if (kind >= 0 && kind <= 3)
        table = tables::TableKind(kind);
    else {
        // the default type goes by the file's extension, as the database engine's did
        const QString ext = QFileInfo(fileName).suffix().toLower();
        table = ext == QLatin1String("dbf") ? tables::TableKind::DBase
              : ext == QLatin1String("txt") ? tables::TableKind::Ascii : tables::TableKind::Paradox;
    }
    tables::WriteTable(*ds, fileName, table, delimited);
    return true;
}

const TypeInfo *TVornDataSet::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornDataSet"), QUuid(QStringLiteral("{2EBCC4C6-11CC-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Набор данных"));
        using D = TVornDataSet;
        TypeBuilder<D>(t)
            .property(QStringLiteral("Number"), 1, {}, VarType::Long, [](D &d, CallArgs &) { return Variant(d.Number()); })
            .property(QStringLiteral("ShortName"), 2, {}, VarType::String, [](D &d, CallArgs &) { return Variant(d.ShortName()); })
            .property(QStringLiteral("Name"), 3, {}, VarType::String, [](D &d, CallArgs &) { return Variant(d.Name()); })
            .property(QStringLiteral("RecordCount"), 4, {}, VarType::Long,
                      [](D &d, CallArgs &) { return Variant(d.DataSet()->recordCount()); })
            .property(QStringLiteral("RecNo"), 5, {}, VarType::Long, [](D &d, CallArgs &) { return Variant(d.DataSet()->recNo()); },
                      [](D &d, CallArgs &a) { d.DataSet()->setRecNo(a[a.count() - 1].toLong()); return Variant(); })
            .property(QStringLiteral("Values"), 7, {}, VarType::Variant, [](D &d, CallArgs &) { return d.Values(); })
            .property(QStringLiteral("Rows"), 8, {}, VarType::Variant, [](D &d, CallArgs &) { return d.Rows(); })
            .property(QStringLiteral("Bof"), 9, {}, VarType::Boolean, [](D &d, CallArgs &) { return Variant(d.DataSet()->bof()); })
            .property(QStringLiteral("Eof"), 10, {}, VarType::Boolean, [](D &d, CallArgs &) { return Variant(d.DataSet()->eof()); })
            .method(QStringLiteral("First"), 11, {}, VarType::Empty, [](D &d, CallArgs &) { d.DataSet()->first(); return Variant(); })
            .method(QStringLiteral("Next"), 12, {}, VarType::Empty, [](D &d, CallArgs &) { d.DataSet()->next(); return Variant(); })
            .method(QStringLiteral("Last"), 13, {}, VarType::Empty, [](D &d, CallArgs &) { d.DataSet()->last(); return Variant(); })
            .method(QStringLiteral("Prior"), 14, {}, VarType::Empty, [](D &d, CallArgs &) { d.DataSet()->prior(); return Variant(); })
            .method(QStringLiteral("MoveBy"), 15, {ParamInfo(QStringLiteral("Distance"), VarType::Long)}, VarType::Long,
                    [](D &d, CallArgs &a) { return Variant(d.DataSet()->moveBy(a[0].toLong())); })
            .property(QStringLiteral("FieldCount"), 16, {}, VarType::Long,
                      [](D &d, CallArgs &) { return Variant(d.DataSet()->fieldCount()); })
            .property(QStringLiteral("Fields"), 17, {}, VarType::Object, [](D &d, CallArgs &) { return d.Fields(); })
            .method(QStringLiteral("Close"), 18, {}, VarType::Empty, [](D &d, CallArgs &) { d.DataSet()->close(); return Variant(); })
            .property(QStringLiteral("DisplayLabels"), 19, {}, VarType::Variant, [](D &d, CallArgs &) { return d.DisplayLabels(); })
            .property(QStringLiteral("FieldNames"), 20, {}, VarType::Variant, [](D &d, CallArgs &) { return d.FieldNames(); })
            .method(QStringLiteral("SaveToFile"), 21,
                    {ParamInfo(QStringLiteral("FileName"), VarType::String), ParamInfo(QStringLiteral("Kind"), VarType::Long),
                     ParamInfo(QStringLiteral("Delimited"), VarType::Boolean)},
                    VarType::Boolean,
                    [](D &d, CallArgs &a) { return Variant(d.SaveToFile(a[0].toString(), a[1].toLong(), a[2].toBool())); })
            .property(QStringLiteral("RowsAsText"), 22, {}, VarType::Variant, [](D &d, CallArgs &) { return d.RowsAsText(); });
        return t;
    }();
    return ti;
}

// ---- TVornField

TVornField::TVornField(Dataset *dataset, int index)
    : m_dataset(dataset), m_index(index), m_name(dataset->field(index)->fieldName())
{
}

vorn::Field *TVornField::Field() const
{
    // a reopened dataset makes its fields anew: the same position and name is the same field
    if (!m_dataset || m_index >= m_dataset->fieldCount() || m_dataset->field(m_index)->fieldName() != m_name)
        RaiseVornError(VornObjectGoneText());
    return m_dataset->field(m_index);
}

void TVornField::SaveToFile(const QString &fileName) const
{
    vorn::Field *f = Field();
    if (!f->isBlob())
        RaiseVornError(QStringLiteral("Invalid Data Type"));
    QFile out(fileName);
    if (!out.open(QIODevice::WriteOnly) || out.write(f->asBytes()) < 0 || !out.flush())
        RaiseVornError(QStringLiteral("Не удалось записать файл ") + fileName + QStringLiteral(": ") + out.errorString());
}

const TypeInfo *TVornField::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornField"), QUuid(QStringLiteral("{2EBCC4C2-11CC-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Поле набора данных"));
        using F = TVornField;
        TypeBuilder<F>(t)
            .property(QStringLiteral("Name"), 1, {}, VarType::String, [](F &f, CallArgs &) { return Variant(f.Field()->fieldName()); })
            .property(QStringLiteral("DisplayLabel"), 2, {}, VarType::String,
                      [](F &f, CallArgs &) { return Variant(f.Field()->displayLabel()); })
            .property(QStringLiteral("DataType"), 3, {}, VarType::Long, [](F &f, CallArgs &) { return Variant(int(f.Field()->dataType())); })
            .property(QStringLiteral("Value"), 4, {}, VarType::Variant,
                      [](F &f, CallArgs &) { return Variant::fromQVariant(f.Field()->value()); })
            .property(QStringLiteral("AdoType"), 5, {}, VarType::Long, [](F &f, CallArgs &) { return Variant(f.Field()->adoType()); })
            .property(QStringLiteral("Size"), 6, {}, VarType::Long, [](F &f, CallArgs &) { return Variant(f.Field()->size()); })
            .method(QStringLiteral("SaveToFile"), 7, {ParamInfo(QStringLiteral("FileName"), VarType::String)}, VarType::Empty,
                    [](F &f, CallArgs &a) { f.SaveToFile(a[0].toString()); return Variant(); });
        return t;
    }();
    return ti;
}

// ---- TVornFields

TVornFields::TVornFields(Dataset *dataset)
{
    for (int i = 0; i < dataset->fieldCount(); ++i)
        m_items.append(Variant(static_cast<DispatchObject *>(new TVornField(dataset, i))));
}

QString TVornFields::ItemName(int i) const { return static_cast<TVornField *>(m_items.at(i).rawObject())->FieldName(); }

// PostgreSQL folds unquoted column names to lower case, so a script written as
// Fields("Total") would find nothing there: an exact name wins, else one that
// differs only in letter case.
Variant TVornFields::Item(const Variant &index0)
{
    const Variant &index = index0.deref();
    if (index.type() == VarType::String) {
        int folded = -1;
        for (int i = 0; i < m_items.size(); ++i) {
            const QString name = ItemName(i);
            if (name == index.rawString())
                return m_items.at(i);
            if (folded < 0 && name.compare(index.rawString(), Qt::CaseInsensitive) == 0)
                folded = i;
        }
        if (folded >= 0)
            return m_items.at(folded);
    }
    return TVornCollection::Item(index);
}

const TypeInfo *TVornFields::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornFields"), QUuid(QStringLiteral("{2EBCC4C4-11CC-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Поля набора данных"));
        DeclareCollection<TVornFields>(t, QStringLiteral("IVornField by number or name"));
        return t;
    }();
    return ti;
}

// ---- TVornQuerys

void TVornQuerys::Append(TVornDataSet *dataset) { m_items.append(Variant(static_cast<DispatchObject *>(dataset))); }

QString TVornQuerys::ItemName(int i) const
{
    return static_cast<TVornDataSet *>(m_items.at(i).rawObject())->ShortName();
}

bool TVornQuerys::SaveToExcel(const QString &fileName)
{
    QList<TVornDataSet *> list;
    for (const Variant &v : m_items)
        list << static_cast<TVornDataSet *>(v.rawObject());
    WriteScriptWorkbook(list, fileName);
    return true;
}

const TypeInfo *TVornQuerys::staticTypeInfo()
{
    static TypeInfo *ti = [] {
        auto *t = new TypeInfo(QStringLiteral("IVornQuerys"), QUuid(QStringLiteral("{876B3521-11D6-11D3-992E-00C0DFE97D5A}")),
                               QStringLiteral("Наборы данных отчета"));
        DeclareCollection<TVornQuerys>(t, QStringLiteral("IVornDataSet by number or short name"));
        TypeBuilder<TVornQuerys>(t).method(QStringLiteral("SaveToExcel"), 2, {ParamInfo(QStringLiteral("FileName"), VarType::String)},
                                          VarType::Boolean,
                                          [](TVornQuerys &q, CallArgs &a) { return Variant(q.SaveToExcel(a[0].toString())); });
        return t;
    }();
    return ti;
}

// ---- workbook

void WriteScriptWorkbook(const QList<TVornDataSet *> &datasets, const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    lxw_workbook *wb = workbook_new(path.constData());
    if (!wb)
        RaiseVornError(QStringLiteral("Не удалось создать файл ") + fileName);
    auto fail = [&](const QString &what) {
        workbook_close(wb);
        QFile::remove(fileName);
        RaiseVornError(what);
    };
    lxw_format *bold = workbook_add_format(wb);
    format_set_bold(bold);
    for (TVornDataSet *d : datasets) {
        Dataset *ds = d->DataSet();
        const QByteArray sheetName = ds->objectName().toUtf8();
        lxw_worksheet *ws = workbook_add_worksheet(wb, sheetName.isEmpty() ? nullptr : sheetName.constData());
        if (!ws)
            fail(QStringLiteral("Недопустимое имя листа: ") + ds->objectName());
        const int cols = ds->fieldCount(), rows = ds->recordCount();
        QVector<int> width(cols, 0);
        for (int c = 0; c < cols; ++c) {
            const QString label = ds->field(c)->displayLabel();
            worksheet_write_string(ws, 0, lxw_col_t(c), label.toUtf8().constData(), bold);
            width[c] = int(label.size());
        }
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const QVariant v = ds->valueAt(r, c);
                const Field *f = ds->field(c);
                const QString text = textOf(f, v);
                if (v.isNull())
                    continue;
                width[c] = std::max(width[c], int(text.size()));
                // numbers stay numbers, as Excel makes of the text it is given
                const bool exact = !fieldtype::isInteger(f->dataType()) || std::llabs(v.toLongLong()) <= (1LL << 53);
                if (exact && (fieldtype::isInteger(f->dataType()) || fieldtype::isFloat(f->dataType())))
                    worksheet_write_number(ws, lxw_row_t(r + 1), lxw_col_t(c), v.toDouble(), nullptr);
                else
                    worksheet_write_string(ws, lxw_row_t(r + 1), lxw_col_t(c), text.toUtf8().constData(), nullptr);
            }
        for (int c = 0; c < cols; ++c)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::min(width[c], 80) + 2, nullptr);
    }
    const lxw_error err = workbook_close(wb);
    if (err != LXW_NO_ERROR)
        RaiseVornError(QStringLiteral("Не удалось записать файл ") + fileName + QStringLiteral(": ")
                       + QString::fromUtf8(lxw_strerror(err)));
}
