// In-memory table: rows live only in the dataset; post and delete change them in place.
#include "platform/data/MemoryTable.h"
#include "platform/data/DataError.h"

namespace vorn {

MemoryTable::MemoryTable(QObject *parent) : Dataset(parent) {}

void MemoryTable::addFieldDef(const QString &name, FieldType type, int size, bool required)
{
    if (isActive())
        throw DataError(QStringLiteral("Операция невозможна для открытого набора данных"));
    m_defs.append({name, type, size, required});
}

void MemoryTable::clearFieldDefs()
{
    close();
    m_defs.clear();
}

void MemoryTable::createTable()
{
    close();
    m_kept.clear();
    m_keptRows = 0;
    open();
}

void MemoryTable::emptyTable()
{
    if (!isActive())
        return;
    cancel();
    clearRows();
    notifyDataChanged();
    notifyCurrentChanged();
}

void MemoryTable::loadRows(const QList<QVariantList> &rows)
{
    if (!isActive())
        createTable();
    cancel();
    const int n = int(m_defs.size());
    QList<QList<QVariant>> values(n);
    for (int c = 0; c < n; ++c) {
        values[c].reserve(rows.size());
        for (const QVariantList &r : rows)
            values[c].append(fieldtype::convert(r.value(c), m_defs.at(c).type));
    }
    setRows(std::move(values), int(rows.size()));
    notifyDataChanged();
    notifyCurrentChanged();
}

void MemoryTable::internalOpen(RowData &out)
{
    if (m_defs.isEmpty())
        throw DataError(QStringLiteral("%1: нет описаний полей").arg(objectName()));
    for (const FieldDef &d : m_defs) {
        Field *f = makeField(d.name, d.type, d.size);
        f->setRequired(d.required);
        out.fields << f;
    }
}

} // namespace vorn
