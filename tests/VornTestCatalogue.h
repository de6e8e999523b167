// Demo catalogues for tests: one built into a SQLite file, or into a PostgreSQL
// database of its own on the test cluster (VORN_PG_* variables), dropped afterwards.
#pragma once
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUuid>

namespace vorntest {

inline bool pgAvailable() { return !qEnvironmentVariableIsEmpty("VORN_PG_PORT"); }
inline QString pgServer() { return qEnvironmentVariable("VORN_PG_HOST") + ":" + qEnvironmentVariable("VORN_PG_PORT"); }

inline QSqlDatabase pgAdmin(const QString &conn, const QString &database)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", conn);
    db.setHostName(qEnvironmentVariable("VORN_PG_HOST"));
    db.setPort(qEnvironmentVariable("VORN_PG_PORT").toInt());
    db.setUserName(qEnvironmentVariable("VORN_PG_USER"));
    db.setPassword(qEnvironmentVariable("VORN_PG_PASSWORD"));
    db.setDatabaseName(database);
    return db;
}

inline QString createSqliteCatalogue(const QString &path)
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
        db.setDatabaseName(path);
        if (!db.open())
            error = db.lastError().text();
        else
            try {
                vorn::catalogue::CatalogueBuilder(vorn::catalogue::Dialect::Sqlite).build(db, true);
            } catch (const vorn::catalogue::BuildError &e) {
                error = e.message();
            }
        db.close();
    }
    QSqlDatabase::removeDatabase("build");
    return error;
}

// A PostgreSQL demo catalogue in a database of its own, dropped by the destructor.
struct PgCatalogue
{
    QString name;   // the database's name: the prefix and a random part
    QString error;  // empty when the catalogue was built
    explicit PgCatalogue(const QString &prefix)
        : name(prefix + QUuid::createUuid().toString(QUuid::Id128).left(12))
    {
        {
            QSqlDatabase db = pgAdmin("pgadmin", "postgres");
            if (!db.open() || db.exec("create database " + name).lastError().type() != QSqlError::NoError)
                error = db.lastError().text();
            db.close();
        }
        QSqlDatabase::removeDatabase("pgadmin");
        if (!error.isEmpty())
            return;
        {
            QSqlDatabase db = pgAdmin("pgbuild", name);
            if (!db.open())
                error = db.lastError().text();
            else
                try {
                    vorn::catalogue::CatalogueBuilder(vorn::catalogue::Dialect::PostgreSql).build(db, true);
                } catch (const vorn::catalogue::BuildError &e) {
                    error = e.message();
                }
            db.close();
        }
        QSqlDatabase::removeDatabase("pgbuild");
    }
    ~PgCatalogue()
    {
        {
            QSqlDatabase db = pgAdmin("pgdrop", "postgres");
            if (db.open())
                db.exec("drop database if exists " + name + " with (force)");
        }
        QSqlDatabase::removeDatabase("pgdrop");
    }
};

} // namespace vorntest
