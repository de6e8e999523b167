// A Qt table model over a dataset: one column per visible field, one row per visible
// record (plus the new row while inserting). Reads stored values without moving the
// dataset's cursor; edits go to the current row through the fields.
#pragma once
#include <QAbstractTableModel>
#include <QPointer>

#include "platform/data/DataSource.h"

namespace vorn {

class DataSource;
class Dataset;
class Field;

class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int FieldRole = Qt::UserRole + 1;  // the Field* of a column (as quintptr)
    static constexpr int RawValueRole = Qt::UserRole + 2; // the stored value

    explicit DatasetModel(QObject *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    Dataset *dataset() const;

    Field *fieldAt(int column) const;        // nullptr when out of range or the dataset is closed
    int columnOf(const Field *field) const;  // -1 when not shown
    int rowOfPosition(int position) const;   // model row of a dataset position
    int positionOfRow(int row) const;        // dataset position of a model row (-1 = the new row)
    int currentRow() const;                  // model row of the dataset's cursor

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    void currentRowChanged(int row);         // the dataset's cursor moved to this row

private:
    void reset();
    void rebuildColumns();

    QPointer<DataSource> m_source;           // not owned
    QList<int> m_columns;                    // field indexes of the visible fields, in order
    QList<QMetaObject::Connection> m_links;  // to the data source
    bool m_wasActive = false;                // dataset state at the last reset
    bool m_wasInserting = false;             //   (a change of these changes the rows)
};

} // namespace vorn
