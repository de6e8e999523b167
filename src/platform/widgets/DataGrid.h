// The data grid: a table view over a data source. The selected row follows the
// dataset's cursor and moves it; a cell painter hook draws special cells (boolean
// pictures, memo marks); the column layout (order, widths) is kept in the settings
// store. No header-click sorting: the order comes from the dataset.
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

Q_SIGNALS:
    void dataError(const QString &message);  // a dataset error raised by moving the cursor

private:
    void followCursor(int row);
    void currentRowMoved(const QModelIndex &current, const QModelIndex &previous);

    DatasetModel *m_model;          // owned
    CellPainter m_painter;          // drawing hook
    bool m_syncing = false;         // cursor and selection being synchronised
};

} // namespace vorn
