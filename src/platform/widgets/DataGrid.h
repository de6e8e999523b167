// The data grid: a table view over a data source. The selected row follows the
// dataset's cursor and moves it; a cell painter hook draws special cells (boolean
// pictures, memo marks); the column layout (order, widths) is kept in the settings
// store. Header labels wrap between words. Sorting by a header click re-orders the
// dataset's rows and is offered where the rows are only looked at (setHeaderSorting).
#pragma once
#include <QTableView>
#include <functional>

namespace vorn {

class DataSource;
class Dataset;
class DatasetModel;
class Field;
class SettingsStore;

class DataGrid : public QTableView
{
    Q_OBJECT
public:
    // Returns true when it painted the cell itself.
    using CellPainter = std::function<bool(QPainter *painter, const QStyleOptionViewItem &option,
                                           Field *field, const QModelIndex &index)>;

    explicit DataGrid(QWidget *parent = nullptr);

    DataSource *dataSource() const;
    void setDataSource(DataSource *source);
    Dataset *dataset() const;
    DatasetModel *datasetModel() const { return m_model; }

    Field *selectedField() const;             // the field of the current column
    void setSelectedField(const QString &name);
    void setCellPainter(CellPainter painter) { m_painter = std::move(painter); viewport()->update(); }
    const CellPainter &cellPainter() const { return m_painter; }

    // Column layout under key (e.g. "TfrmVornMain\\DBgrid_qForm"): per field its
    // visual position and width; fields missing from the store keep theirs.
    void saveLayout(SettingsStore &store, const QString &key) const;
    void restoreLayout(const SettingsStore &store, const QString &key);

    // Fixed cells (headers) colour: the filter dialog marks filtered grids red.
    void setFixedColor(const QColor &c);

    // A click on a column header sorts the rows by it, a second click the other way
    // round; the current row stays current. Reopening the dataset drops the order.
    void setHeaderSorting(bool on);
    void sortByColumn(int column, Qt::SortOrder order);
    // The narrowest width that shows a column's header without breaking a word.
    int headerWordWidth(int column) const;
    // Makes the header as tall as its wrapped labels need.
    void fitHeaderHeight();

Q_SIGNALS:
    void dataError(const QString &message);  // a dataset error raised by moving the cursor

private:
    void followCursor(int row);
    void currentRowMoved(const QModelIndex &current, const QModelIndex &previous);

    void headerClicked(int column);
    void dropHeaderSort();

    DatasetModel *m_model;          // owned
    CellPainter m_painter;          // drawing hook
    bool m_syncing = false;         // cursor and selection being synchronised
    int m_sortColumn = -1;          // the column the rows were sorted by from the header
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace vorn
