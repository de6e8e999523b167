// The dataset: a client-side cursor over rows held in memory, with the TDataSet
// semantics the program relies on - states browse/edit/insert with post and cancel,
// navigation with Bof/Eof, RecNo and MoveBy, Locate and bookmarks, fields with type
// codes, calculated and lookup fields, filters, events and notifications for the
// data-aware widgets. Query, StoredProc and MemoryTable fill it and write edits back.
#pragma once
#include "platform/data/Field.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace vorn {

class FilterExpression;

enum class DatasetState { Inactive, Browse, Edit, Insert, CalcFields };

enum LocateOption { LocateCaseInsensitive = 1, LocatePartialKey = 2 };
Q_DECLARE_FLAGS(LocateOptions, LocateOption)

// Program event handlers, one per event as the form designer wires them. A "before"
// handler aborts the operation by throwing.
struct DatasetEvents
{
    std::function<void(Dataset *)> beforeOpen, afterOpen, beforeClose, afterClose;
    std::function<void(Dataset *)> beforeScroll, afterScroll;
    std::function<void(Dataset *)> beforeEdit, afterEdit, beforeInsert, afterInsert;
    std::function<void(Dataset *)> beforePost, afterPost, beforeCancel, afterCancel;
    std::function<void(Dataset *)> beforeDelete, afterDelete;
    std::function<void(Dataset *)> onNewRecord;   // fill defaults of a new row
    std::function<void(Dataset *)> onCalcFields;  // set the calculated fields of the current row
    std::function<void(Field *)> onFieldChange;   // a field of the edited row changed
};

class Dataset : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(bool active READ isActive WRITE setActive)
    Q_PROPERTY(QString filter READ filter WRITE setFilter)
    Q_PROPERTY(bool filtered READ isFiltered WRITE setFiltered)

public:
    using Bookmark = qint64;  // a row's identity; -1 = none

    explicit Dataset(QObject *parent = nullptr);
    ~Dataset() override;

    int tag() const { return m_tag; }
    void setTag(int t) { m_tag = t; }
    DatasetEvents events;     // program event handlers

    // -- open / close
    void open();
    void close();
    bool isActive() const { return m_state != DatasetState::Inactive; }
    void setActive(bool a) { a ? open() : close(); }
    void refresh();           // re-read keeping the position by bookmark/row number
    DatasetState state() const { return m_state; }
    virtual bool supportsMaster() const { return false; } // only queries take a master
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool r) { m_readOnly = r; }

    // -- fields
    int fieldCount() const { return int(m_fields.size()); }
    Field *field(int i) const { return m_fields.at(i).get(); }
    Field *findField(const QString &name) const;   // case-insensitive; nullptr when absent
    Field *fieldByName(const QString &name) const; // raises "Field '<name>' not found"
    QStringList fieldNames() const;
    QVariant fieldValue(const QString &name) const { return fieldByName(name)->value(); }
    // Persistent fields, defined before open and kept across reopen.
    Field *addCalculatedField(const QString &name, FieldType type, int size = 0);
    Field *addLookupField(const QString &name, FieldType type, const QString &keyFields, Dataset *lookupDataset,
                          const QString &lookupKeyFields, const QString &lookupResultField, int size = 0);
    void removePersistentField(const QString &name);

    // -- navigation
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);     // rows actually moved (negative backwards)
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const { return recordCount() == 0 && m_state != DatasetState::Insert; }
    int recordCount() const;      // visible rows (filter honoured)
    int recNo() const;            // 1-based; 0 when empty or on a new row
    void setRecNo(int n);
    bool locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options = {});
    QVariant lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields) const;
    Bookmark bookmark() const;
    bool bookmarkValid(Bookmark b) const;
    void gotoBookmark(Bookmark b);  // raises "Record not found" when the row is gone
    void disableControls() { ++m_disableCount; }
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // -- editing
    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    bool isModified() const { return m_modified; }
    void checkBrowseMode();       // posts a modified edit, cancels an unmodified one
    void appendRecord(const QVariantList &values); // append + set fields in order + post

    // -- filter (the BDE expression language: [Name] = 'x' AND ...)
    QString filter() const { return m_filterText; }
    void setFilter(const QString &text);  // raises for bad syntax when filtering is on
    bool isFiltered() const { return m_filtered; }
    void setFiltered(bool on);
    std::function<bool(Dataset *)> filterRecord; // extra row test, as OnFilterRecord

    // Re-orders the stored rows by "Name [DESC], Other" (table prefixes ignored);
    // the cursor goes to the first row.
    void sortBy(const QString &order);

    // -- row access without moving the cursor (grids, exports)
    int rowPosition() const { return m_pos; }     // 0-based position of the cursor
    const QVariant &valueAt(int position, int fieldIndex) const; // stored value of a visible row
    bool isInserting() const { return m_state == DatasetState::Insert; }
    int insertPosition() const { return m_insertPos; } // where the new row shows while inserting
    Bookmark bookmarkAt(int position) const;
    QVariantList currentValues() const;   // all fields of the current row
    QVariantList rowValues(int position) const; // all fields of a visible row, cursor unmoved

    // Value access used by Field.
    QVariant currentValue(int fieldIndex) const;
    QVariant currentOldValue(int fieldIndex) const;
    void setCurrentValue(int fieldIndex, const QVariant &v);

Q_SIGNALS:
    void opened();
    void closed();
    void stateChanged();          // browse/edit/insert/inactive changed
    void dataChanged();           // rows changed as a whole (open, post, delete, filter)
    void currentChanged();        // the cursor moved to another row
    void fieldChanged(vorn::Field *field); // a value of the edited row changed
    void errorOccurred(const QString &message); // an error no caller could catch (a detail's re-query)

protected:
    // Subclasses: read the rows (fields and their values column by column).
    struct RowData
    {
        QList<Field *> fields;   // data fields in column order (created with makeField)
        QList<QList<QVariant>> columns; // one list of rowCount values per field
        int rowCount = 0;
    };
    virtual void internalOpen(RowData &out) = 0;
    virtual void internalClose() {}
    virtual void internalAfterOpen() {}               // rows are in, notifications not yet sent
    // Writes a posted row back. Return true when the subclass re-read the data and
    // positioned the cursor itself (editable lists), false to keep the edited row.
    virtual bool internalPost(DatasetState state, const QVariantList &oldRow, QVariantList &newRow);
    virtual bool internalDelete(const QVariantList &row); // same return meaning
    virtual void checkCanModify(bool forEdit);            // raises when edits are refused
    Field *makeField(const QString &name, FieldType type, int size = 0);

    void clearRows();                               // keeps fields
    void setRows(QList<QList<QVariant>> &&dataColumns, int rowCount); // replaces rows, recomputes extras
    int storageRowOf(int position) const;
    int positionOfStorageRow(int row) const;       // -1 when filtered out
    void setPosition(int position);                // moves and notifies
    void notifyDataChanged();
    void notifyCurrentChanged();
    void buildView();
    void computeExtras(int firstRow, int lastRow);  // calculated and lookup fields of stored rows
    bool m_readOnly = false;

private:
    void ensureActive() const;
    void setState(DatasetState s);
    void recomputeBufferExtras();
    bool rowMatchesFilter(int row);
    const QVariant &storedValue(int row, int col) const { return m_cols[col].at(row); }
    QList<QVariant> storedRow(int row) const;
    void loadColumns(QList<QList<QVariant>> &&columns, int dataCount, int rowCount);
    friend class FilterExpression;

    int m_tag = 0;                              // the design's Tag
    DatasetState m_state = DatasetState::Inactive; // current state
    std::vector<std::unique_ptr<Field>> m_fields;  // data fields then persistent ones
    std::vector<std::unique_ptr<Field>> m_persistent; // calculated/lookup definitions kept across opens
    std::vector<QList<QVariant>> m_cols;        // stored rows, one list per field (column scans stay local)
    QList<Bookmark> m_rowIds;                   // identity of each stored row
    Bookmark m_nextRowId = 0;                   // next identity to give
    int m_stride = 0;                           // values per stored row (= fieldCount())
    int m_rows = 0;                             // stored rows
    QList<int> m_view;                          // storage rows visible under the filter
    bool m_viewActive = false;                  // m_view in use
    int m_pos = -1;                             // cursor position among visible rows
    bool m_bof = true, m_eof = true;            // at the edges
    QList<QVariant> m_buffer, m_old;            // edit buffer, values before the edit
    bool m_modified = false;                    // buffer changed since edit/insert
    int m_insertPos = -1;                       // visible position of the new row
    int m_calcRow = -1;                         // stored row being calculated
    int m_disableCount = 0;                     // DisableControls nesting
    bool m_pendingNotify = false;               // notifications held back while disabled
    QString m_filterText;                       // filter expression text
    bool m_filtered = false;                    // filtering on
    std::unique_ptr<FilterExpression> m_filterExpr; // compiled filter
};

} // namespace vorn

Q_DECLARE_OPERATORS_FOR_FLAGS(vorn::LocateOptions)
