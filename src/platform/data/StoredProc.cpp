// Stored procedure calls per dialect. On servers the call goes through QSqlQuery
// with positional markers (OUTPUT parameters bound as such for SQL Server); on
// SQLite through the procedure executor over the connection's own handle.
#include "platform/data/StoredProc.h"
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/SqlDialect.h"
#include "platform/data/SqliteProcedure.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace vorn {

StoredProc::StoredProc(QObject *parent) : Dataset(parent) {}

Database *StoredProc::database() const
{
    return Database::resolve(m_database, m_databaseName);
}

void StoredProc::setStoredProcName(const QString &name)
{
    if (isActive())
        close();
    if (name.compare(m_name, Qt::CaseInsensitive) != 0) {
        m_params.clear();
        m_prepared = false;
    }
    m_name = name;
}

void StoredProc::prepare()
{
    Database *db = database();
    ParamList declared;
    if (sqlite3 *h = db->sqliteHandle()) {
        declared = sqliteproc::declaredParams(h, m_name);
    } else {
        ParamList q;
        QString bare = m_name;
        if (bare.contains(u'.'))
            bare = bare.section(u'.', -1);
        q.add(Param(QStringLiteral("ProcName"), ftString)).setValue(bare.remove(u'[').remove(u']'));
        const ResultSet rs = db->execute(dialect::procedureParamsQuery(db->dialect()), q, true);
        if (rs.rowCount == 0 && rs.columns.size() == 3) {
            // A procedure without parameters is fine, an unknown one is not: the call says so.
        }
        for (int r = 0; r < rs.rowCount; ++r) {
            const QString name = rs.value(r, 0).toString();
            Param p(name, fieldtype::fromDeclaredType(rs.value(r, 1).toString()));
            const QString mode = rs.value(r, 2).toString().toUpper();
            p.setDirection(mode == u"OUT" ? ParamDirection::Output
                           : mode == u"INOUT" ? ParamDirection::InputOutput
                                              : ParamDirection::Input);
            declared.add(p);
        }
    }
    // Values already given survive a prepare.
    for (Param &d : declared)
        if (const Param *old = m_params.findParam(d.name()); old && old->isBound())
            d.setValue(old->value());
    m_params = declared;
    m_prepared = true;
}

Param *StoredProc::sortPartParam()
{
    if (Param *p = m_params.findParam(QStringLiteral("@parSortPart")))
        return p;
    return m_params.findParam(QStringLiteral("p_parSortPart"));
}

QString StoredProc::callSql() const
{
    Database *db = database();
    if (db->dialect() == Database::Dialect::Sqlite && db->sqliteHandle())
        return {};
    QList<int> bound;
    return dialect::procedureCall(db->dialect(), m_name, m_params, &bound);
}

ResultSet StoredProc::run()
{
    Database *db = database();
    if (!m_prepared && m_params.isEmpty())
        prepare();
    if (sqlite3 *h = db->sqliteHandle()) {
        // The bodies come from the catalogue itself and check their own rights.
        Database::CatalogueWrites own(db);
        return sqliteproc::execute(h, m_name, m_params);
    }
    QList<int> bound;
    const QString sql = dialect::procedureCall(db->dialect(), m_name, m_params, &bound);
    return runWithOutputBinding(db, sql, bound);
}

ResultSet StoredProc::runWithOutputBinding(Database *db, const QString &sql, const QList<int> &bound)
{
    db->requireOpen();
    const bool mssql = db->dialect() == Database::Dialect::MsSql;
    QSqlQuery q(db->sqlDatabase());
    q.setForwardOnly(true);
    const auto fail = [&q, db]() { throw db->serverError(q.lastError()); };
    if (!q.prepare(sql))
        fail();
    for (int i = 0; i < bound.size(); ++i) {
        const Param &p = m_params[bound.at(i)];
        QVariant v = p.typedValue();
        if (!v.isValid()) {
            const int mt = fieldtype::metaTypeOf(p.dataType());
            v = QVariant(QMetaType(mt == QMetaType::UnknownType ? QMetaType::QString : mt));
        }
        QSql::ParamType pt = QSql::In;
        if (mssql && p.direction() == ParamDirection::Output) pt = QSql::Out;
        if (mssql && p.direction() == ParamDirection::InputOutput) pt = QSql::InOut;
        q.bindValue(i, v, pt);
    }
    if (!q.exec())
        fail();
    ResultSet rs;
    if (q.isSelect()) {
        const QSqlRecord rec = q.record();
        for (int c = 0; c < rec.count(); ++c) {
            ResultColumn col;
            col.name = rec.field(c).name();
            col.type = fieldtype::fromMetaType(rec.field(c).metaType().id());
            if (col.type == ftUnknown) col.type = ftString;
            rs.columns << col;
        }
        rs.data.resize(rec.count());
        while (q.next()) {
            for (int c = 0; c < rec.count(); ++c)
                rs.data[c] << q.value(c);
            ++rs.rowCount;
        }
    }
    rs.rowsAffected = q.numRowsAffected();
    // Outputs: SQL Server through the bound markers, PostgreSQL from the result row.
    for (int i = 0; i < m_params.count(); ++i) {
        Param &p = m_params[i];
        if (p.direction() != ParamDirection::Output && p.direction() != ParamDirection::InputOutput)
            continue;
        if (mssql) {
            const int at = int(bound.indexOf(i));
            if (at >= 0)
                p.setValue(fieldtype::convert(q.boundValue(at), p.dataType()));
            continue;
        }
        QVariant v;
        if (rs.rowCount > 0)
            for (int c = 0; c < rs.columns.size(); ++c)
                if (rs.columns.at(c).name.compare(p.name(), Qt::CaseInsensitive) == 0) {
                    v = fieldtype::convert(rs.value(0, c), p.dataType());
                    break;
                }
        p.setValue(v);
    }
    return rs;
}

void StoredProc::execProc()
{
    if (isActive())
        close();
    run();
}

void StoredProc::internalOpen(RowData &out)
{
    ResultSet rs = run();
    if (rs.columns.isEmpty())
        throw DataError(QStringLiteral("%1: процедура не возвращает набор данных").arg(m_name));
    for (const ResultColumn &c : rs.columns) {
        Field *f = makeField(c.name, c.type, c.size);
        f->setOrigin(c.origin);
        out.fields << f;
    }
    out.columns = std::move(rs.data);
    out.rowCount = rs.rowCount;
}

void StoredProc::internalAfterOpen()
{
    // The order asked for through "@parSortPart" holds on every server, also where
    // the procedure body cannot use it (SQLite binds it as a plain value).
    if (Param *p = sortPartParam(); p && !p->asString().trimmed().isEmpty())
        try {
            sortBy(p->asString());
        } catch (const DataError &) {
            // a column the result does not have: the server's order stands
        }
}

} // namespace vorn
