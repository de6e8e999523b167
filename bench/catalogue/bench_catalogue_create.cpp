// Times the creation of a catalogue (schema only, and with the demo business and
// catalogue) on a SQLite file and, when VORN_PG_* name a cluster, on PostgreSQL.
// Prints the median of several runs in milliseconds.
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vorn::catalogue;

namespace {

QSqlDatabase pg(const QString &database, const QString &connection)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    db.setHostName(qEnvironmentVariable("VORN_PG_HOST"));
    db.setPort(qEnvironmentVariable("VORN_PG_PORT").toInt());
    db.setUserName(qEnvironmentVariable("VORN_PG_USER"));
    db.setPassword(qEnvironmentVariable("VORN_PG_PASSWORD"));
    db.setDatabaseName(database);
    return db;
}

void pgAdmin(const QString &sql)
{
    {
        QSqlDatabase db = pg(QStringLiteral("postgres"), QStringLiteral("bench_admin"));
        if (db.open())
            QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench_admin"));
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = 5;
    QTemporaryDir dir;
    for (bool demo : {false, true}) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            const QString file = dir.filePath(QStringLiteral("c%1%2.sqlite").arg(demo).arg(i));
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
                db.setDatabaseName(file);
                db.open();
                QElapsedTimer t;
                t.start();
                CatalogueBuilder(Dialect::Sqlite).build(db, demo);
                times.push_back(t.nsecsElapsed() / 1e6);
            }
            QSqlDatabase::removeDatabase(QStringLiteral("bench"));
        }
        std::printf("sqlite     %-6s %8.1f ms\n", demo ? "demo" : "schema", median(times));
    }
    if (qEnvironmentVariableIsEmpty("VORN_PG_HOST"))
        return 0;
    for (bool demo : {false, true}) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            const QString name = QStringLiteral("vorn_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(i);
            pgAdmin(QStringLiteral("CREATE DATABASE ") + name);
            {
                QSqlDatabase db = pg(name, QStringLiteral("bench"));
                db.open();
                QElapsedTimer t;
                t.start();
                CatalogueBuilder(Dialect::PostgreSql).build(db, demo);
                times.push_back(t.nsecsElapsed() / 1e6);
            }
            QSqlDatabase::removeDatabase(QStringLiteral("bench"));
            pgAdmin(QStringLiteral("DROP DATABASE ") + name);
        }
        std::printf("postgresql %-6s %8.1f ms\n", demo ? "demo" : "schema", median(times));
    }
    return 0;
}
