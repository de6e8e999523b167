// Test data of the grid tests: a SQLite file with a few typed tables, opened as the
// session's "dbMain", and queries over it.
#pragma once
#include "platform/data/Database.h"
#include "platform/data/Query.h"

#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class GridTestDb
{
public:
    GridTestDb()
    {
        db = std::make_unique<vorn::Database>();
        db->setDatabaseName(QStringLiteral("dbMain"));
        db->setDriverName(QStringLiteral("SQLITE"));
        db->params().setValue(QStringLiteral("DATABASE NAME"), dir.filePath(QStringLiteral("grids.db")));
        db->open();
        const char *ddl[] = {
            "create table Clients (Id integer primary key, Code varchar(10), Name varchar(60), Amount money, "
            "Qty integer, Rate float, Empty varchar(5), Born date, Note text, Photo blob, Active boolean)",
            "insert into Clients values (1, '00123', 'Иванов Иван Иванович, закупщик оптового отдела центрального склада', 1.5, 10, 0.25, null, '2024-03-05', 'первая', null, 1)",
            "insert into Clients values (2, '12 шт', 'Петров', 2, 20, 1.75, null, '2023-12-31', null, null, 0)",
            "insert into Clients values (3, '-1.5E3', 'Сидоров', null, 5, null, null, null, 'третья', null, 1)",
            "create table Short (Name varchar(6), Qty integer, Amount money, Born date)",
            "insert into Short values ('Гвозди длинные', 12, 1234.5, '2024-03-05')",
            "insert into Short values ('Болт', 3, 0.5, null)",
            "create table Kinds (Flag boolean, Big bigint, Dec numeric(10,2), Pic blob, Memo memo)",
            "insert into Kinds values (1, 12345678901, 12.5, x'01', 'две\nстроки')",
            "CREATE TABLE VornProcedure (Name TEXT PRIMARY KEY COLLATE NOCASE, Params TEXT NOT NULL DEFAULT '', Body TEXT NOT NULL)",
            "insert into VornProcedure values ('spClients', '@parSortPart varchar in', 'select Id, Name, Qty from Clients')",
        };
        for (const char *s : ddl)
            db->execSql(QString::fromUtf8(s));
    }
    vorn::Query *query(QObject *owner, const QString &name, const QString &sql)
    {
        auto *q = new vorn::Query(owner);
        q->setObjectName(name);
        q->setDatabase(db.get());
        q->setSql(sql);
        q->open();
        return q;
    }
    QTemporaryDir dir;
    std::unique_ptr<vorn::Database> db;
};
