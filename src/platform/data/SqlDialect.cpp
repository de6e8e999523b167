// Dialect texts for procedure calls and metadata.
#include "platform/data/SqlDialect.h"

namespace vorn::dialect {

QString procedureCall(Database::Dialect d, const QString &name, const ParamList &params, QList<int> *bound)
{
    QStringList args;
    bound->clear();
    for (int i = 0; i < params.count(); ++i) {
        const Param &p = params[i];
        const ParamDirection dir = p.direction();
        if (dir == ParamDirection::Result)
            continue;
        if (d == Database::Dialect::PostgreSql) {
            if (dir == ParamDirection::Output)
                continue;  // read back from the result row
            args << p.name() + QStringLiteral(" => ?");
        } else {
            const QString n = p.name().startsWith(u'@') ? p.name() : u'@' + p.name();
            const bool out = dir == ParamDirection::Output || dir == ParamDirection::InputOutput;
            args << n + QStringLiteral(" = ?") + (out ? QStringLiteral(" OUTPUT") : QString());
        }
        bound->append(i);
    }
    if (d == Database::Dialect::PostgreSql)
        return QStringLiteral("select * from %1(%2)").arg(name, args.join(QStringLiteral(", ")));
    return args.isEmpty() ? QStringLiteral("EXEC %1").arg(name)
                          : QStringLiteral("EXEC %1 %2").arg(name, args.join(QStringLiteral(", ")));
}

QString procedureParamsQuery(Database::Dialect d)
{
    if (d == Database::Dialect::PostgreSql)
        return QStringLiteral(
            "select p.parameter_name, p.data_type, p.parameter_mode from information_schema.parameters p "
            "join information_schema.routines r on r.specific_schema = p.specific_schema "
            "and r.specific_name = p.specific_name "
            "where lower(r.routine_name) = lower(:ProcName) and r.routine_schema = current_schema() "
            "order by p.ordinal_position");
    return QStringLiteral(
        "select PARAMETER_NAME, DATA_TYPE, PARAMETER_MODE from INFORMATION_SCHEMA.PARAMETERS "
        "where SPECIFIC_NAME = :ProcName and PARAMETER_NAME <> '' order by ORDINAL_POSITION");
}

QString changePasswordSql(Database::Dialect d)
{
    switch (d) {
    case Database::Dialect::Sqlite:
        return QStringLiteral("UPDATE VornLogin SET PwdSalt = :salt, PwdHash = vorn_hash(:salt, :new) "
                              "WHERE LoginName = vorn_login() AND PwdHash = vorn_hash(PwdSalt, :old)");
    case Database::Dialect::MsSql:
        return QStringLiteral("Exec sp_password :old, :new");
    default:
        return {};  // PostgreSQL needs the role name as an identifier: the program builds it
    }
}

QString paramPrefix(Database::Dialect d)
{
    return d == Database::Dialect::PostgreSql ? QStringLiteral("p_") : QStringLiteral("@");
}

QString quotedString(Database::Dialect d, const QString &text)
{
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return (d == Database::Dialect::MsSql ? QStringLiteral("N'") : QStringLiteral("'")) + q + u'\'';
}

sqltext::Quoting quoting(Database::Dialect d)
{
    switch (d) {
    case Database::Dialect::PostgreSql: return sqltext::Quoting::PostgreSql;
    case Database::Dialect::MsSql: return sqltext::Quoting::MsSql;
    default: return sqltext::Quoting::Sqlite;
    }
}

} // namespace vorn::dialect
