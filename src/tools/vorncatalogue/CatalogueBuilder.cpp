// Runs the catalogue schema scripts, compiled in as resources, on one connection.
// The statement splitter is the only parser here: it knows just enough of each
// dialect's quoting to find where a statement ends.
#include "tools/vorncatalogue/CatalogueBuilder.h"
#include "tools/vorncatalogue/DemoLayouts.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

namespace vorn::catalogue {

std::optional<Dialect> dialectFromDriver(const QString &driverName)
{
    const QString name = driverName.trimmed().toUpper();
    if (name == QLatin1String("SQLITE"))
        return Dialect::Sqlite;
    if (name == QLatin1String("POSTGRESQL"))
        return Dialect::PostgreSql;
    if (name == QLatin1String("MSSQL"))
        return Dialect::MsSql;
    return std::nullopt;
}

QString qtDriverName(Dialect dialect)
{
    switch (dialect) {
    case Dialect::Sqlite: return QStringLiteral("QSQLITE");
    case Dialect::PostgreSql: return QStringLiteral("QPSQL");
    case Dialect::MsSql: return QStringLiteral("QODBC");
    }
    return {};
}

QString scriptFolder(Dialect dialect)
{
    switch (dialect) {
    case Dialect::Sqlite: return QStringLiteral("sqlite");
    case Dialect::PostgreSql: return QStringLiteral("postgresql");
    case Dialect::MsSql: return QStringLiteral("mssql");
    }
    return {};
}

namespace {

bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The dollar-quote tag ("$$" or "$name$") starting at i, or an empty string.
QString dollarTag(const QString &s, qsizetype i)
{
    if (i > 0 && isIdentChar(s[i - 1]))
        return {};
    qsizetype j = i + 1;
    while (j < s.size() && (s[j].isLetter() || s[j] == u'_'))
        ++j;
    if (j < s.size() && s[j] == u'$')
        return s.mid(i, j - i + 1);
    return {};
}

// Length of the GO line starting at i (up to and including its line break), or 0.
qsizetype goLine(const QString &s, qsizetype i)
{
    qsizetype end = s.indexOf(u'\n', i);
    if (end < 0)
        end = s.size();
    if (s.mid(i, end - i).trimmed().compare(QLatin1String("GO"), Qt::CaseInsensitive) != 0)
        return 0;
    return end - i + (end < s.size() ? 1 : 0);
}

} // namespace

QStringList splitStatements(const QString &script, Dialect dialect)
{
    QStringList out;
    QString current;
    bool meaningful = false;   // the statement holds more than blanks and comments
    const bool tsql = dialect == Dialect::MsSql;
    auto finish = [&] {
        if (meaningful)
            out << current.trimmed();
        current.clear();
        meaningful = false;
    };

    const qsizetype n = script.size();
    qsizetype i = 0;
    bool lineStart = true;
    while (i < n) {
        const QChar c = script[i];
        if (tsql && lineStart) {
            if (const qsizetype len = goLine(script, i)) {
                finish();
                i += len;
                continue;
            }
        }
        lineStart = false;
        if (c == u'\n') {
            current += c;
            lineStart = true;
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && script[i + 1] == u'-') {
            qsizetype end = script.indexOf(u'\n', i);
            if (end < 0)
                end = n;
            current += script.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'/' && i + 1 < n && script[i + 1] == u'*') {
            qsizetype end = script.indexOf(QLatin1String("*/"), i + 2);
            end = end < 0 ? n : end + 2;
            current += script.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'\'' || c == u'"' || (tsql && c == u'[')) {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (script[j] == close) {
                    if (j + 1 < n && script[j + 1] == close) {   // doubled: part of the text
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = qMin(j + 1, n);
            current += script.mid(i, j - i);
            meaningful = true;
            i = j;
            continue;
        }
        if (dialect == Dialect::PostgreSql && c == u'$') {
            const QString tag = dollarTag(script, i);
            if (!tag.isEmpty()) {
                qsizetype end = script.indexOf(tag, i + tag.size());
                end = end < 0 ? n : end + tag.size();
                current += script.mid(i, end - i);
                meaningful = true;
                i = end;
                continue;
            }
        }
        if (c == u';' && !tsql) {
            finish();
            ++i;
            continue;
        }
        if (!c.isSpace())
            meaningful = true;
        current += c;
        ++i;
    }
    finish();
    return out;
}

QString unicodeLiterals(const QString &sql)
{
    QString out;
    out.reserve(sql.size() + sql.size() / 16);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            qsizetype end = sql.indexOf(u'\n', i);
            if (end < 0)
                end = n;
            out += sql.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'"' || c == u'[' || c == u'\'') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == close) {
                    if (j + 1 < n && sql[j + 1] == close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = qMin(j + 1, n);
            const bool prefixed = i > 0 && (sql[i - 1] == u'N' || sql[i - 1] == u'n')
                                  && (i < 2 || !isIdentChar(sql[i - 2]));
            if (c == u'\'' && !prefixed)
                out += i > 0 && isIdentChar(sql[i - 1]) ? QStringLiteral(" N") : QStringLiteral("N");
            out += sql.mid(i, j - i);
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

CatalogueBuilder::CatalogueBuilder(Dialect dialect) : m_dialect(dialect) {}

QStringList CatalogueBuilder::scripts(bool demo) const
{
    const QString root = QStringLiteral(":/vorn/sql/");
    QStringList out;
    const QDir schema(root + scriptFolder(m_dialect));
    for (const QString &f : schema.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name))
        out << schema.filePath(f);
    if (demo) {
        // common and dialect demo files interleave by their numbered names
        QMap<QString, QString> byName;
        const QDir common(root + QStringLiteral("demo"));
        for (const QString &f : common.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name))
            byName.insert(f, common.filePath(f));
        const QDir own(root + QStringLiteral("demo/") + scriptFolder(m_dialect));
        for (const QString &f : own.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name))
            byName.insert(f, own.filePath(f));
        out << byName.values();
    }
    return out;
}

bool CatalogueBuilder::hasCatalogue(const QSqlDatabase &db)
{
    const QStringList marks = {QStringLiteral("VornForm"), QStringLiteral("Lookups"),
                               QStringLiteral("VornProcedure")};
    for (const QString &t : db.tables(QSql::Tables)) {
        const QString bare = t.section(u'.', -1);
        for (const QString &m : marks)
            if (bare.compare(m, Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

QString CatalogueBuilder::readScript(const QString &resourcePath)
{
    QFile f(resourcePath);
    if (!f.open(QIODevice::ReadOnly))
        throw BuildError(QStringLiteral("Не найден скрипт каталога: ") + resourcePath);
    return QString::fromUtf8(f.readAll());
}

void CatalogueBuilder::runScript(QSqlDatabase &db, const QString &resourcePath) const
{
    const QStringList statements = splitStatements(readScript(resourcePath), m_dialect);
    QSqlQuery q(db);
    for (const QString &st : statements) {
        const QString sql = m_dialect == Dialect::MsSql ? unicodeLiterals(st) : st;
        if (!q.exec(sql))
            throw BuildError(QStringLiteral("%1: %2\n%3")
                                 .arg(QFileInfo(resourcePath).fileName(), q.lastError().text(),
                                      sql.left(300)));
        q.finish();
    }
}

void CatalogueBuilder::addSqliteAdmin(QSqlDatabase &db, const QString &login, const QString &password) const
{
    // An empty password is stored as an empty hash, as the connect check expects.
    QString salt, hash;
    if (!password.isEmpty()) {
        salt = QString::number(QRandomGenerator::system()->generate64(), 16);
        hash = QString::fromLatin1(
            QCryptographicHash::hash((salt + password).toUtf8(), QCryptographicHash::Sha256).toHex());
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO VornLogin (LoginName, IsRole, IsAdmin, PwdSalt, PwdHash) "
                             "VALUES (?, 0, 1, ?, ?)"));
    q.addBindValue(login);
    q.addBindValue(salt);
    q.addBindValue(hash);
    if (!q.exec())
        throw BuildError(QStringLiteral("VornLogin: ") + q.lastError().text());
}

void CatalogueBuilder::build(QSqlDatabase &db, bool demo, const QString &adminLogin,
                             const QString &adminPassword) const
{
    if (!db.isOpen())
        throw BuildError(QStringLiteral("Нет соединения с базой данных"));
    if (hasCatalogue(db))
        throw BuildError(QStringLiteral("База данных уже содержит каталог: ") + db.databaseName());
    // SQLite and PostgreSQL take DDL inside a transaction: a failed build leaves nothing.
    const bool transactional = m_dialect != Dialect::MsSql;
    if (transactional && !db.transaction())
        throw BuildError(db.lastError().text());
    try {
        if (m_dialect == Dialect::PostgreSql)   // "already exists, skipping" and the like
            QSqlQuery(db).exec(QStringLiteral("SET client_min_messages TO warning"));
        for (const QString &script : scripts(demo))
            runScript(db, script);
        if (demo)
            loadDemoLayouts(db);
        // The demo has its own administrator; it gets no extra one without a password,
        // which anybody who knows the demo could take. A new empty catalogue needs one:
        // its first login is made to set a password.
        if (m_dialect == Dialect::Sqlite && !(demo && adminPassword.isEmpty()))
            addSqliteAdmin(db, adminLogin.trimmed().isEmpty() ? QStringLiteral("admin") : adminLogin.trimmed(),
                           adminPassword);
    } catch (...) {
        if (transactional)
            db.rollback();
        throw;
    }
    if (transactional && !db.commit())
        throw BuildError(db.lastError().text());
}

} // namespace vorn::catalogue
