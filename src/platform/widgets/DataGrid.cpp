// Data grid: selection and dataset cursor kept in step, painter hook via a delegate,
// column layout persistence.
#include "platform/widgets/DataGrid.h"
#include "platform/core/SettingsStore.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"
#include "platform/widgets/DatasetModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace vorn {

namespace {
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(DataGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (m_grid->cellPainter()) {
            Field *f = m_grid->datasetModel()->fieldAt(index.column());
            if (f && m_grid->cellPainter()(p, option, f, index))
                return;
        }
        QStyledItemDelegate::paint(p, option, index);
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        try {
            QStyledItemDelegate::setModelData(editor, model, index);
        } catch (const DataError &) {
            // A value the field refuses stays unwritten; the edit continues.
        }
    }

private:
    DataGrid *m_grid;
};
} // namespace

DataGrid::DataGrid(QWidget *parent) : QTableView(parent), m_model(new DatasetModel(this))
{
    setModel(m_model);
    setProperty("vornDataControl", QStringLiteral("grid"));  // the main window's data commands find it
    setItemDelegate(new GridDelegate(this));
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(m_model, &DatasetModel::currentRowChanged, this, &DataGrid::followCursor);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &DataGrid::currentRowMoved);
}

DataSource *DataGrid::dataSource() const { return m_model->dataSource(); }
void DataGrid::setDataSource(DataSource *source) { m_model->setDataSource(source); }
Dataset *DataGrid::dataset() const { return m_model->dataset(); }

Field *DataGrid::selectedField() const
{
    const int c = currentIndex().isValid() ? currentIndex().column() : 0;
    return m_model->fieldAt(c);
}

void DataGrid::setSelectedField(const QString &name)
{
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (m_model->fieldAt(c)->fieldName().compare(name, Qt::CaseInsensitive) == 0) {
            const int r = qMax(0, m_model->currentRow());
            setCurrentIndex(m_model->index(r, c));
            return;
        }
}

void DataGrid::followCursor(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    const int col = currentIndex().isValid() ? currentIndex().column() : 0;
    if (row >= 0 && m_model->columnCount() > 0) {
        const QModelIndex idx = m_model->index(row, qMin(col, m_model->columnCount() - 1));
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
        scrollTo(idx);
    }
    m_syncing = false;
}

void DataGrid::currentRowMoved(const QModelIndex &current, const QModelIndex &previous)
{
    if (m_syncing || !current.isValid() || current.row() == previous.row())
        return;
    Dataset *d = dataset();
    if (!d || !d->isActive())
        return;
    const int pos = m_model->positionOfRow(current.row());
    if (pos < 0 || pos == d->rowPosition())
        return;
    m_syncing = true;
    try {
        d->setRecNo(pos + 1);
    } catch (const DataError &e) {
        // a post that failed on leaving the row: the cursor stays, so does the selection
        m_syncing = false;
        followCursor(m_model->currentRow());
        Q_EMIT dataError(e.message());
        return;
    }
    m_syncing = false;
}

void DataGrid::saveLayout(SettingsStore &store, const QString &key) const
{
    const QHeaderView *h = horizontalHeader();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString name = m_model->fieldAt(c)->fieldName();
        store.writeInteger(key, name + QStringLiteral(".Width"), h->sectionSize(c));
        store.writeInteger(key, name + QStringLiteral(".Position"), h->visualIndex(c));
    }
}

void DataGrid::restoreLayout(const SettingsStore &store, const QString &key)
{
    QHeaderView *h = horizontalHeader();
    QList<QPair<int, int>> positions;  // wanted visual position, logical column
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString name = m_model->fieldAt(c)->fieldName();
        if (store.valueExists(key, name + QStringLiteral(".Width")))
            h->resizeSection(c, int(store.readInteger(key, name + QStringLiteral(".Width"))));
        if (store.valueExists(key, name + QStringLiteral(".Position")))
            positions.append({int(store.readInteger(key, name + QStringLiteral(".Position"))), c});
    }
    std::sort(positions.begin(), positions.end());
    for (const auto &p : positions)
        if (p.first >= 0 && p.first < m_model->columnCount())
            h->moveSection(h->visualIndex(p.second), p.first);
}

void DataGrid::setFixedColor(const QColor &c)
{
    QPalette pal = horizontalHeader()->palette();
    pal.setColor(QPalette::Button, c);
    pal.setColor(QPalette::Window, c);
    horizontalHeader()->setPalette(pal);
    verticalHeader()->setPalette(pal);
}

} // namespace vorn
