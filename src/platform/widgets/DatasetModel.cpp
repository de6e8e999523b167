// Dataset table model. The model resets on whole-data changes and updates the
// current row's cells on field changes; it never moves the cursor itself except
// through setData, which edits the current row.
#include "platform/widgets/DatasetModel.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Dataset.h"

namespace vorn {

DatasetModel::DatasetModel(QObject *parent) : QAbstractTableModel(parent) {}

Dataset *DatasetModel::dataset() const { return m_source ? m_source->dataset() : nullptr; }

void DatasetModel::setDataSource(DataSource *source)
{
    for (const auto &c : m_links)
        disconnect(c);
    m_links.clear();
    m_source = source;
    if (source) {
        m_links << connect(source, &DataSource::dataChanged, this, &DatasetModel::reset);
        m_links << connect(source, &DataSource::datasetChanged, this, &DatasetModel::reset);
        m_links << connect(source, &DataSource::stateChanged, this, [this] {
            // entering or leaving insert (or opening, closing) changes the rows; edit does not
            Dataset *d = dataset();
            const bool active = d && d->isActive(), inserting = d && d->isInserting();
            if (active != m_wasActive || inserting != m_wasInserting) {
                reset();
            } else if (const int r = currentRow(); r >= 0 && columnCount() > 0) {
                Q_EMIT dataChanged(index(r, 0), index(r, columnCount() - 1));
            }
        });
        m_links << connect(source, &DataSource::currentChanged, this, [this] { Q_EMIT currentRowChanged(currentRow()); });
        m_links << connect(source, &DataSource::fieldChanged, this, [this](Field *f) {
            const int r = currentRow(), c = columnOf(f);
            if (r >= 0)
                Q_EMIT dataChanged(index(r, c >= 0 ? c : 0), index(r, c >= 0 ? c : columnCount() - 1));
        });
    }
    reset();
}

void DatasetModel::rebuildColumns()
{
    m_columns.clear();
    Dataset *d = dataset();
    if (!d || !d->isActive())
        return;
    for (int i = 0; i < d->fieldCount(); ++i)
        if (d->field(i)->isVisible())
            m_columns << i;
}

void DatasetModel::reset()
{
    beginResetModel();
    rebuildColumns();
    Dataset *d = dataset();
    m_wasActive = d && d->isActive();
    m_wasInserting = d && d->isInserting();
    endResetModel();
    Q_EMIT currentRowChanged(currentRow());
}

// Fields are looked up on each use: a dataset reopened while its controls were
// disabled has new field objects before the model hears of it.
Field *DatasetModel::fieldAt(int column) const
{
    Dataset *d = dataset();
    if (!d || !d->isActive() || column < 0 || column >= m_columns.size() || m_columns.at(column) >= d->fieldCount())
        return nullptr;
    return d->field(m_columns.at(column));
}

int DatasetModel::columnOf(const Field *field) const
{
    return field && field->dataset() == dataset() ? int(m_columns.indexOf(field->index())) : -1;
}

int DatasetModel::rowOfPosition(int position) const
{
    Dataset *d = dataset();
    if (!d || position < 0)
        return -1;
    if (d->isInserting() && position >= d->insertPosition())
        return position + 1;
    return position;
}

int DatasetModel::positionOfRow(int row) const
{
    Dataset *d = dataset();
    if (!d)
        return -1;
    if (d->isInserting()) {
        if (row == d->insertPosition())
            return -1;
        if (row > d->insertPosition())
            return row - 1;
    }
    return row;
}

int DatasetModel::currentRow() const
{
    Dataset *d = dataset();
    if (!d || !d->isActive())
        return -1;
    if (d->isInserting())
        return d->insertPosition();
    return d->rowPosition();
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    Dataset *d = dataset();
    if (parent.isValid() || !d || !d->isActive())
        return 0;
    return d->recordCount() + (d->isInserting() ? 1 : 0);
}

int DatasetModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    Dataset *d = dataset();
    Field *f = fieldAt(index.column());
    if (!d || !f || !index.isValid())
        return {};
    if (role == FieldRole)
        return QVariant::fromValue(quintptr(f));
    const int pos = positionOfRow(index.row());
    // The row being edited shows the edit buffer.
    const bool current = pos < 0 || (pos == d->rowPosition() && d->state() == DatasetState::Edit);
    const QVariant v = current ? f->value() : d->valueAt(pos, f->index());
    switch (role) {
    case Qt::DisplayRole:
        if (f->dataType() == ftBoolean || f->isBlob())
            return {};  // pictures, drawn by the grid's painter
        return Field::formatValue(v, f->dataType(), f->displayFormat());
    case Qt::EditRole:
    case RawValueRole:
        return v;
    case Qt::TextAlignmentRole:
        if (fieldtype::isInteger(f->dataType()) || fieldtype::isFloat(f->dataType()))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool DatasetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    Dataset *d = dataset();
    Field *f = fieldAt(index.column());
    if (role != Qt::EditRole || !d || !f)
        return false;
    const int pos = positionOfRow(index.row());
    if (pos >= 0 && pos != d->rowPosition())
        d->setRecNo(pos + 1);
    f->setValue(value);
    return true;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        if (Field *f = fieldAt(section))
            return f->displayLabel();
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags fl = QAbstractTableModel::flags(index);
    Field *f = fieldAt(index.column());
    Dataset *d = dataset();
    if (f && d && !d->isReadOnly() && !f->isReadOnly() && f->fieldKind() == FieldKind::Data && !f->isBlob())
        fl |= Qt::ItemIsEditable;
    return fl;
}

} // namespace vorn
