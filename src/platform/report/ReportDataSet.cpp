// Report data sources: the SQL query copies its result to the client so the
// engine can walk it forward and a master/detail pair can re-read cheaply.
#include "platform/report/ReportDataSet.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vorn::report {

ReportDataSet::~ReportDataSet() = default;

int ReportDataSet::fieldIndex(const QString &field) const
{
    const QStringList names = fieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant ReportDataSet::value(const QString &field) const
{
    const int i = fieldIndex(field);
    return i < 0 ? QVariant() : value(i);
}

// ---------------------------------------------------------------------------

namespace {

// Named parameters are rewritten to positional ones so one name may appear
// several times; quoted text and PostgreSQL casts (::int) are left alone.
QString positionalSql(const QString &sql, QStringList *names)
{
    QString out;
    out.reserve(sql.size());
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && sql.at(i + 1) == u':') {
            out += QLatin1String("::");
            ++i;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && (sql.at(i + 1).isLetter() || sql.at(i + 1) == u'_')) {
            int j = i + 1;
            while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == u'_'))
                ++j;
            names->append(sql.mid(i + 1, j - i - 1));
            out += u'?';
            i = j - 1;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

SqlReportDataSet::SqlReportDataSet(const QString &name, const QSqlDatabase &db, const QString &sql)
    : m_name(name), m_db(db), m_sql(sql)
{
}

SqlReportDataSet::~SqlReportDataSet() = default;

void SqlReportDataSet::setParameter(const QString &name, const QVariant &value)
{
    for (auto &p : m_params)
        if (p.first.compare(name, Qt::CaseInsensitive) == 0) {
            p.second = value;
            return;
        }
    m_params.append({name, value});
}

QStringList SqlReportDataSet::parameterNames() const
{
    QStringList names;
    positionalSql(m_sql, &names);
    names.removeDuplicates();
    return names;
}

bool SqlReportDataSet::open(QString *error)
{
    m_open = false;
    m_rows.clear();
    m_fields.clear();
    m_types.clear();
    m_pos = 0;
    QStringList names;
    const QString sql = positionalSql(m_sql, &names);
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    for (const QString &n : names) {
        QVariant v;
        bool found = false;
        for (const auto &p : m_params)
            if (p.first.compare(n, Qt::CaseInsensitive) == 0) {
                v = p.second;
                found = true;
                break;
            }
        if (!found && master() && master()->fieldIndex(n) >= 0)
            v = master()->value(n);
        q.addBindValue(v);
    }
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    const QSqlRecord rec = q.record();
    const int n = rec.count();
    for (int i = 0; i < n; ++i) {
        m_fields.append(rec.fieldName(i));
        m_types.append(rec.field(i).metaType());
    }
    while (q.next()) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i)
            row[i] = q.value(i);
        m_rows.append(std::move(row));
    }
    // SQLite reports declared types only; take the type of the first non-null value
    for (int i = 0; i < n; ++i) {
        for (const auto &row : m_rows)
            if (!row.at(i).isNull()) {
                if (m_types[i].id() == QMetaType::UnknownType || m_types[i].id() == QMetaType::QString)
                    m_types[i] = row.at(i).metaType();
                break;
            }
    }
    m_open = true;
    return true;
}

QMetaType SqlReportDataSet::fieldType(int field) const
{
    return m_types.value(field);
}

bool SqlReportDataSet::first()
{
    m_pos = 0;
    return !m_rows.isEmpty();
}

bool SqlReportDataSet::next()
{
    if (m_pos < m_rows.size())
        ++m_pos;
    return m_pos < m_rows.size();
}

QVariant SqlReportDataSet::value(int field) const
{
    if (m_pos >= m_rows.size() || field < 0 || field >= m_fields.size())
        return {};
    return m_rows.at(m_pos).at(field);
}

// ---------------------------------------------------------------------------

MemoryReportDataSet::MemoryReportDataSet(const QString &name) : m_name(name) {}

void MemoryReportDataSet::addField(const QString &name, QMetaType type)
{
    m_fields.append(name);
    m_types.append(type);
}

void MemoryReportDataSet::appendRow(const QVariantList &values)
{
    QVariantList row = values;
    while (row.size() < m_fields.size())
        row.append(QVariant());
    m_rows.append(row);
}

void MemoryReportDataSet::setMasterLink(const QString &detailField, const QString &masterField)
{
    m_linkDetail = detailField;
    m_linkMaster = masterField;
}

bool MemoryReportDataSet::open(QString *)
{
    m_visible.clear();
    const int df = m_linkDetail.isEmpty() ? -1 : fieldIndex(m_linkDetail);
    const bool filter = master() && df >= 0;
    const QVariant key = filter ? master()->value(m_linkMaster.isEmpty() ? m_linkDetail : m_linkMaster) : QVariant();
    for (int i = 0; i < m_rows.size(); ++i)
        if (!filter || m_rows.at(i).value(df) == key)
            m_visible.append(i);
    m_pos = 0;
    m_open = true;
    return true;
}

bool MemoryReportDataSet::first()
{
    m_pos = 0;
    return !m_visible.isEmpty();
}

bool MemoryReportDataSet::next()
{
    if (m_pos < m_visible.size())
        ++m_pos;
    return m_pos < m_visible.size();
}

QVariant MemoryReportDataSet::value(int field) const
{
    if (m_pos >= m_visible.size())
        return {};
    return m_rows.at(m_visible.at(m_pos)).value(field);
}

} // namespace vorn::report
