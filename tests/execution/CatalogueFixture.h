// Test catalogues: the demo catalogue built into a temporary SQLite file or into a
// freshly created PostgreSQL database (dropped again), opened as the session's "dbMain".
#pragma once
#include "platform/data/Database.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

class CatalogueFixture
{
public:
    enum Kind { Sqlite, Postgres };

    // Returns an empty string on success, else why it could not be made (a missing
    // PostgreSQL cluster is reported as "skip").
    QString create(Kind kind)
    {
        m_kind = kind;
        using namespace vorn::catalogue;
        if (kind == Sqlite) {
            const QString file = m_dir.filePath(QStringLiteral("catalogue.db"));
            {
                QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture_build"));
                raw.setDatabaseName(file);
                raw.open();
                CatalogueBuilder(Dialect::Sqlite).build(raw, true, QStringLiteral("admin"), QStringLiteral("pw"));
                raw.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("fixture_build"));
            db = std::make_unique<vorn::Database>();
            db->setDatabaseName(QStringLiteral("dbMain"));
            db->setDriverName(QStringLiteral("SQLITE"));
            db->params().setValue(QStringLiteral("DATABASE NAME"), file);
            db->params().setValue(QStringLiteral("USER NAME"), QStringLiteral("admin"));
            db->params().setValue(QStringLiteral("PASSWORD"), QStringLiteral("pw"));
            db->open();
            return {};
        }
        const QString host = qEnvironmentVariable("VORN_PG_HOST");
        if (host.isEmpty())
            return QStringLiteral("skip");
        m_pgName = QStringLiteral("vorn_params_%1").arg(QCoreApplication::applicationPid());
        {
            QSqlDatabase admin = pg(QStringLiteral("fixture_admin"), QStringLiteral("postgres"));
            if (!admin.open())
                return admin.lastError().text();
            QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS ") + m_pgName);
            QSqlQuery q(admin);
            if (!q.exec(QStringLiteral("CREATE DATABASE ") + m_pgName + QStringLiteral(" ENCODING 'UTF8'")))
                return q.lastError().text();
            admin.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fixture_admin"));
        {
            QSqlDatabase raw = pg(QStringLiteral("fixture_build"), m_pgName);
            if (!raw.open())
                return raw.lastError().text();
            CatalogueBuilder(Dialect::PostgreSql).build(raw, true);
            raw.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fixture_build"));
        db = std::make_unique<vorn::Database>();
        db->setDatabaseName(QStringLiteral("dbMain"));
        db->setDriverName(QStringLiteral("POSTGRESQL"));
        db->params().setValue(QStringLiteral("SERVER NAME"), host + u':' + qEnvironmentVariable("VORN_PG_PORT"));
        db->params().setValue(QStringLiteral("DATABASE NAME"), m_pgName);
        db->params().setValue(QStringLiteral("USER NAME"), qEnvironmentVariable("VORN_PG_USER"));
        db->params().setValue(QStringLiteral("PASSWORD"), qEnvironmentVariable("VORN_PG_PASSWORD"));
        db->open();
        return {};
    }

    ~CatalogueFixture()
    {
        db.reset();
        if (m_kind == Postgres && !m_pgName.isEmpty()) {
            {
                QSqlDatabase admin = pg(QStringLiteral("fixture_drop"), QStringLiteral("postgres"));
                if (admin.open())
                    QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS ") + m_pgName + QStringLiteral(" WITH (FORCE)"));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("fixture_drop"));
        }
    }

    // The catalogue id of a row found by name.
    int idOf(const QString &table, const QString &name)
    {
        vorn::ParamList p;
        p.add(vorn::Param(QStringLiteral("N"))).setAsString(name);
        return db->selectValue(QStringLiteral("select Id from ") + table + QStringLiteral(" where Name = :N"), p).toInt();
    }

    std::unique_ptr<vorn::Database> db;

private:
    static QSqlDatabase pg(const QString &conn, const QString &dbName)
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), conn);
        d.setHostName(qEnvironmentVariable("VORN_PG_HOST"));
        d.setPort(qEnvironmentVariableIntValue("VORN_PG_PORT"));
        d.setUserName(qEnvironmentVariable("VORN_PG_USER"));
        d.setPassword(qEnvironmentVariable("VORN_PG_PASSWORD"));
        d.setDatabaseName(dbName);
        return d;
    }

    Kind m_kind = Sqlite;
    QTemporaryDir m_dir;
    QString m_pgName;
};
