// Creates a catalogue database from the schema scripts of one dialect (tables, views,
// procedures, code lists), optionally with the demo business and catalogue. Shared by
// the vorncatalogue command and the tests, so both build catalogues the same way.
#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

namespace vorn::catalogue {

enum class Dialect { Sqlite, PostgreSql, MsSql };

// A failed build step; the text names the script and carries the server's message.
class BuildError : public std::runtime_error
{
public:
    explicit BuildError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// "SQLITE", "POSTGRESQL", "MSSQL" (case-insensitive), as the connection profiles name them.
std::optional<Dialect> dialectFromDriver(const QString &driverName);
QString qtDriverName(Dialect dialect);   // QSQLITE, QPSQL, QODBC
QString scriptFolder(Dialect dialect);   // sqlite, postgresql, mssql

// Statements of a script in order. ';' ends a statement outside quotes, quoted names,
// comments and PostgreSQL dollar-quoted bodies; T-SQL scripts are cut at GO lines
// instead. Statements holding nothing but comments are dropped.
QStringList splitStatements(const QString &script, Dialect dialect);
// T-SQL: every string literal becomes a Unicode literal (N'...'), so that Russian text
// survives whatever the database collation is.
QString unicodeLiterals(const QString &sql);

class CatalogueBuilder
{
public:
    explicit CatalogueBuilder(Dialect dialect);

    Dialect dialect() const { return m_dialect; }
    // Script resources in the order they run: the schema, then with demo the demo
    // files of the common folder and the dialect's folder merged by file name.
    QStringList scripts(bool demo) const;

    // True when the database already holds catalogue tables.
    static bool hasCatalogue(const QSqlDatabase &db);

    // Runs the scripts on an open connection; refuses a database that already holds
    // a catalogue. On SQLite adminLogin becomes an administrator login with
    // adminPassword (the embedded catalogue checks its own logins); the other servers
    // keep their own logins. Throws BuildError; SQLite and PostgreSQL roll back.
    void build(QSqlDatabase &db, bool demo, const QString &adminLogin = QStringLiteral("admin"),
               const QString &adminPassword = QString()) const;

    // Reads one script resource (UTF-8).
    static QString readScript(const QString &resourcePath);

private:
    void runScript(QSqlDatabase &db, const QString &resourcePath) const;
    void addSqliteAdmin(QSqlDatabase &db, const QString &login, const QString &password) const;

    Dialect m_dialect;
};

} // namespace vorn::catalogue
