// Tools every grid of the program shares: the field list of the sort, find and filter
// dialogs, reading and applying a dataset's sort order, record search, filter lines,
// the column sum, the cell painter and the boolean toggle, and the "Данные" commands.
#pragma once
#include "platform/data/Field.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class QPainter;
class QStyleOptionViewItem;
class QModelIndex;
class QWidget;
namespace vorn {
class Dataset;
class DataGrid;
class Query;
}

// One field offered by the dialogs.
struct TMyFieldRec
{
    int Index = -1;                 // field index in the dataset
    QString FieldName;
    QString DisplayLabel;
    vorn::FieldType DataType = vorn::ftUnknown;
    vorn::FieldKind FieldKind = vorn::FieldKind::Data;
    QString KeyFields;              // lookup fields: their key fields
    QString Origin;                 // table-qualified column
    bool Desc = false;              // descending in an order
};

class TMyFieldList
{
public:
    int Count() const { return int(m_items.size()); }
    void Add(const TMyFieldRec &r) { m_items.append(r); }
    TMyFieldRec Remove(int index) { return m_items.takeAt(index); }
    TMyFieldRec &Items(int i) { return m_items[i]; }
    const TMyFieldRec &Items(int i) const { return m_items[i]; }
    int Find(const QString &fieldName) const;      // exact name, else ignoring case; -1 when absent
    void FillFromDataSet(const vorn::Dataset *ds); // every non-calculated field in order
    // One item of an order text ("t.Name DESC"): its field moves from this list to the
    // end of to, descending when DESC was given. False when the field is not here.
    bool MoveByOrderItem(const QString &item, TMyFieldList &to);
    void Clear() { m_items.clear(); }

private:
    QList<TMyFieldRec> m_items;
};

// How a dataset takes a new order.
enum class TSortHook { None, OrderBy, SortCritery, ParSortPart };
TSortHook SortHookOf(vorn::Dataset *ds);
// The order dialog may apply an order (a stored procedure with "@parSortPart" or an
// updatable query - live or an editable list); otherwise it only shows the order.
bool CanApplySortOrder(vorn::Dataset *ds);
// The current order as text (the ORDER BY clause, or the hook parameter's text).
QString CurrentOrderText(vorn::Dataset *ds, bool *isSqlClause = nullptr);
// Fills left with the offered fields and moves the current order to right.
void ReadSortOrder(vorn::Dataset *ds, TMyFieldList &left, TMyFieldList &right);
// " Name DESC,Id": the text handed to "SortCritery" / "@parSortPart".
QString SortPartText(const TMyFieldList &order);
// The query's SQL with the new ORDER BY; raises "Сортировка по полю <name> не
// поддерживается" for a field of another kind.
QString SqlWithOrder(vorn::Query *q, const TMyFieldList &order);
// Applies the order keeping the current Id (first row when it is gone); messages shown.
void ApplySortOrder(vorn::Dataset *ds, const TMyFieldList &order);
// The SQL trimmed, cut before the first "ORDER BY", trimmed again.
QString SqlWithoutOrderBy(vorn::Query *q);
QString SqlWithoutOrderBy(const QString &sql);

// Record search.
enum class TFindResult { Found, NotFound, Interrupted };
bool FieldMatches(const vorn::Field *f, const QVariant &value, bool substring);
// Searches from the first (or last) row, or from the next (previous) one when
// continuing; stays on a match, else returns to the start row. interrupted is asked
// after every step.
TFindResult FindRecord(vorn::Dataset *ds, const QString &fieldName, const QVariant &value, bool substring,
                       bool forward, bool continuing, const std::function<bool()> &interrupted = {});

// Filter lines: "[Name]='x'", "AND [Sum]>5", "[Note] IS NULL".
QString FilterLine(const vorn::Field *f, const QString &operation, const QVariant &value, const QString &link);

// Column sum.
QString ColumnSumText(vorn::Dataset *ds, const vorn::Field *f);
void SumGridColumn(vorn::DataGrid *grid);

// The shared cell painter (a DataGrid cell painter).
bool DrawGridCell(QPainter *painter, const QStyleOptionViewItem &option, vorn::Field *field, const QModelIndex &index);
// Inverts the boolean of the grid's current cell; false when it is not a boolean.
bool ToggleBooleanCell(vorn::DataGrid *grid);
// Second click on the same cell within 500 ms, or the space key, toggles.
void InstallBooleanToggle(vorn::DataGrid *grid);

// The main window's "Данные" items acting on the focused grid or edit.
void InstallDataCommands();
