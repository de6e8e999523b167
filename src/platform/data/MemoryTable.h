// An in-memory table (the parameter dataset "usrPARAM", remote data module results):
// field definitions, createTable, then the same cursor and editing API as any dataset.
#pragma once
#include "platform/data/Dataset.h"

namespace vorn {

struct FieldDef
{
    QString name;              // field name
    FieldType type = ftString; // field type code
    int size = 0;              // length for strings
    bool required = false;     // post refuses a null
};

class MemoryTable : public Dataset
{
    Q_OBJECT
public:
    explicit MemoryTable(QObject *parent = nullptr);

    QList<FieldDef> &fieldDefs() { return m_defs; }
    const QList<FieldDef> &fieldDefs() const { return m_defs; }
    void addFieldDef(const QString &name, FieldType type, int size = 0, bool required = false);
    void clearFieldDefs();            // closes the table
    void createTable();               // opens an empty table with the definitions
    void emptyTable();                // removes all rows, stays open
    // Replaces the rows by these (row-major, one value per definition), stays open.
    void loadRows(const QList<QVariantList> &rows);

protected:
    void internalOpen(RowData &out) override;

private:
    QList<FieldDef> m_defs;           // definitions
    QList<QVariant> m_kept;           // rows kept across close/open
    int m_keptRows = 0;               // their count
};

} // namespace vorn
