// vorncatalogue: creates a catalogue database (tables, views, procedures, code
// lists) for SQLite, PostgreSQL or SQL Server, optionally with the demo content.
// It never overwrites: a database that already holds a catalogue is refused.
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include "platform/core/WorkstationLocale.h"
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

using namespace vorn::catalogue;

namespace {

void print(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

struct ServerAddress
{
    QString host;
    int port = 0;
};

// "host", "host:port" or the SQL Server habit "host,port".
ServerAddress parseServer(const QString &server)
{
    ServerAddress a;
    a.host = server.trimmed();
    const qsizetype sep = qMax(a.host.lastIndexOf(u':'), a.host.lastIndexOf(u','));
    if (sep > 0) {
        bool ok = false;
        const int port = a.host.mid(sep + 1).toInt(&ok);
        if (ok) {
            a.port = port;
            a.host.truncate(sep);
        }
    }
    if (a.host.isEmpty())
        a.host = QStringLiteral("127.0.0.1");
    return a;
}

QSqlDatabase connection(Dialect dialect, const QString &name, const QString &database,
                        const ServerAddress &server, const QString &user, const QString &password)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(qtDriverName(dialect), name);
    if (dialect == Dialect::MsSql) {
        QString cs = QStringLiteral("Driver={FreeTDS};Server=%1;Port=%2;Database=%3;UID=%4;PWD=%5;"
                                    "TDS_Version=7.4;ClientCharset=UTF-8")
                         .arg(server.host)
                         .arg(server.port > 0 ? server.port : 1433)
                         .arg(database, user, password);
        db.setDatabaseName(cs);
    } else {
        db.setDatabaseName(database);
        db.setHostName(server.host);
        if (server.port > 0)
            db.setPort(server.port);
        db.setUserName(user);
        db.setPassword(password);
    }
    return db;
}

// PostgreSQL and SQL Server: the database is created when the server does not have it.
bool createServerDatabase(Dialect dialect, const QString &database, const ServerAddress &server,
                          const QString &user, const QString &password, QString *error)
{
    const QString adminDb = dialect == Dialect::PostgreSql ? QStringLiteral("postgres") : QStringLiteral("master");
    bool ok = false;
    {
        QSqlDatabase db = connection(dialect, QStringLiteral("vorncatalogue_admin"), adminDb, server, user, password);
        if (!db.open()) {
            *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            const QString quoted = dialect == Dialect::PostgreSql
                                       ? QLatin1Char('"') + QString(database).replace(u'"', QLatin1String("\"\"")) + QLatin1Char('"')
                                       : QLatin1Char('[') + QString(database).replace(u']', QLatin1String("]]")) + QLatin1Char(']');
            ok = q.exec(QStringLiteral("CREATE DATABASE ") + quoted);
            if (!ok)
                *error = q.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("vorncatalogue_admin"));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    vorn::applyWorkstationLocale(&app);  // numbers and dates read and print as in the program
    QCoreApplication::setApplicationName(QStringLiteral("vorncatalogue"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Создаёт базу каталога Vorn (таблицы, представления, процедуры, справочники)\n"
        "в пустой базе данных; существующий каталог не перезаписывается."));
    parser.addHelpOption();
    const QCommandLineOption driverOpt(QStringLiteral("driver"),
                                       QStringLiteral("Драйвер: SQLITE (по умолчанию), POSTGRESQL или MSSQL."),
                                       QStringLiteral("driver"), QStringLiteral("SQLITE"));
    const QCommandLineOption databaseOpt(QStringLiteral("database"),
                                         QStringLiteral("Файл базы (SQLITE) или имя базы на сервере; "
                                                        "отсутствующая база создаётся."),
                                         QStringLiteral("name"));
    const QCommandLineOption serverOpt(QStringLiteral("server"),
                                       QStringLiteral("Сервер: host, host:port или host,port."),
                                       QStringLiteral("host"));
    const QCommandLineOption userOpt(QStringLiteral("user"),
                                     QStringLiteral("Пользователь сервера; для SQLITE - имя администратора "
                                                    "каталога (по умолчанию admin)."),
                                     QStringLiteral("login"));
    const QCommandLineOption passwordOpt(QStringLiteral("password"),
                                         QStringLiteral("Пароль пользователя (для SQLITE - пароль администратора; с --demo без пароля "
                                                        "отдельный администратор не создаётся, администратор демо - director)."),
                                         QStringLiteral("password"));
    const QCommandLineOption demoOpt(QStringLiteral("demo"),
                                     QStringLiteral("Добавить демонстрационные данные и каталог."));
    parser.addOptions({driverOpt, databaseOpt, serverOpt, userOpt, passwordOpt, demoOpt});
    parser.process(app);

    const std::optional<Dialect> dialect = dialectFromDriver(parser.value(driverOpt));
    if (!dialect) {
        print(stderr, QStringLiteral("Неизвестный драйвер: ") + parser.value(driverOpt));
        return 1;
    }
    const QString database = parser.value(databaseOpt);
    if (database.isEmpty()) {
        print(stderr, QStringLiteral("Не задана база данных (--database)"));
        return 1;
    }
    const ServerAddress server = parseServer(parser.value(serverOpt));
    const QString user = parser.value(userOpt);
    const QString password = parser.value(passwordOpt);

    int rc = 0;
    {
        QSqlDatabase db = connection(*dialect, QStringLiteral("vorncatalogue"), database, server, user, password);
        bool open = db.open();
        if (!open && *dialect != Dialect::Sqlite) {
            QString error;
            if (createServerDatabase(*dialect, database, server, user, password, &error))
                open = db.open();
            else
                print(stderr, error);
        }
        if (!open) {
            print(stderr, QStringLiteral("Не удалось открыть базу данных: ") + db.lastError().text());
            rc = 1;
        } else if (CatalogueBuilder::hasCatalogue(db)) {
            print(stderr, QStringLiteral("База данных уже содержит каталог, она не изменена: ") + database);
            rc = 2;
        } else {
            try {
                CatalogueBuilder(*dialect).build(db, parser.isSet(demoOpt),
                                                 *dialect == Dialect::Sqlite ? user : QString(), password);
                print(stdout, QStringLiteral("Каталог создан: ") +
                                  (*dialect == Dialect::Sqlite ? QFileInfo(database).absoluteFilePath() : database));
            } catch (const BuildError &e) {
                print(stderr, e.message());
                rc = 1;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("vorncatalogue"));
    return rc;
}
