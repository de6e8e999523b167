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
#include <QStyle>
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
    // labels wrap between words rather than being cut inside one
    horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    horizontalHeader()->setTextElideMode(Qt::ElideNone);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(m_model, &DatasetModel::currentRowChanged, this, &DataGrid::followCursor);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &DataGrid::currentRowMoved);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { fitHeaderHeight(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { fitHeaderHeight(); });
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] { fitHeaderHeight(); });
}

void DataGrid::setHeaderSorting(bool on)
{
    QHeaderView *h = horizontalHeader();
    h->setSectionsClickable(on);
    h->setSortIndicatorShown(on);
    h->setSortIndicator(-1, Qt::AscendingOrder);
    disconnect(h, &QHeaderView::sectionClicked, this, &DataGrid::headerClicked);
    if (on)
        connect(h, &QHeaderView::sectionClicked, this, &DataGrid::headerClicked);
}

void DataGrid::headerClicked(int column)
{
    QHeaderView *h = horizontalHeader();
    // the header's own indicator is not trusted: it moves on every click by itself
    const Qt::SortOrder order = m_sortColumn == column && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                                            : Qt::AscendingOrder;
    sortByColumn(column, order);
    h->setSortIndicator(m_sortColumn, m_sortOrder);
}

void DataGrid::sortByColumn(int column, Qt::SortOrder order)
{
    Dataset *d = dataset();
    Field *f = m_model->fieldAt(column);
    if (!d || !d->isActive() || !f || f->fieldKind() != FieldKind::Data)
        return;
    try {
        const Dataset::Bookmark current = d->isEmpty() ? -1 : d->bookmark();
        d->sortBy(f->fieldName() + (order == Qt::DescendingOrder ? QStringLiteral(" DESC") : QString()));
        if (current >= 0 && d->bookmarkValid(current))
            d->gotoBookmark(current);
    } catch (const DataError &e) {
        Q_EMIT dataError(e.message());
        return;
    }
    m_sortColumn = column;
    m_sortOrder = order;
    horizontalHeader()->setSortIndicator(column, order);
    // a reopened dataset has the order its statement gives (closing and opening change
    // its state; a reopen with controls disabled reports only that)
    connect(d, &Dataset::stateChanged, this, &DataGrid::dropHeaderSort, Qt::UniqueConnection);
}

void DataGrid::dropHeaderSort()
{
    m_sortColumn = -1;
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

int DataGrid::headerWordWidth(int column) const
{
    const QString text = m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    const QFontMetrics fm = horizontalHeader()->fontMetrics();
    int widest = 0;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
        widest = std::max(widest, fm.horizontalAdvance(word));
    // the style's margins around the label, and room for a sort arrow
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) + 2;
    const int arrow = horizontalHeader()->isSortIndicatorShown()
        ? style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, horizontalHeader()) + margin : 0;
    return widest + margin + arrow;
}

void DataGrid::fitHeaderHeight()
{
    QHeaderView *h = horizontalHeader();
    const QFontMetrics fm = h->fontMetrics();
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    int lines = 1;
    for (int c = 0; c < h->count(); ++c) {
        if (h->isSectionHidden(c))
            continue;
        const QString text = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width = std::max(1, h->sectionSize(c) - margin);
        const QRect r = fm.boundingRect(QRect(0, 0, width, 10000), Qt::AlignCenter | Qt::TextWordWrap, text);
        lines = std::max(lines, (r.height() + fm.height() - 1) / fm.height());
    }
    const int height = lines * fm.height() + margin + 2;
    if (h->minimumHeight() != height)
        h->setMinimumHeight(height);
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
