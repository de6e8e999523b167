// Rebuild time of the catalogue tree on a large SQLite catalogue: the demo plus
// generated groups, reports, queries and parameters. Usage: bench_tree [reports]
#include "catalogue/fVornMain.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int reports = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    const QString file = dir.filePath("big.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
        db.setDatabaseName(file);
        db.open();
        vorn::catalogue::CatalogueBuilder(vorn::catalogue::Dialect::Sqlite).build(db, true);
        QSqlQuery q(db);
        db.transaction();
        for (int g = 0; g < reports / 20; ++g)
            q.exec(QString("insert into VornGroup (GrpName, Numm) values ('Группа %1', %1)").arg(g + 10));
        for (int r = 0; r < reports; ++r) {
            q.exec(QString("insert into VornForm (Numm, Name, IdDestination, IdTypExec) values (%1, 'Отчёт %1', 0, 1)").arg(r + 100));
            const QString form = q.lastInsertId().toString();
            for (int s = 1; s <= 2; ++s) {
                q.exec(QString("insert into VornQuery (Numm, Name, SQLtext) values (%1, 'Запрос %1-%2', 'select 1')").arg(r).arg(s));
                const QString query = q.lastInsertId().toString();
                q.exec(QString("insert into VornFrm2Qry (IdForm, Numm, IdQuery, IsMaster, QueryShortName) values (%1, %2, %3, 0, 'Query%2')")
                           .arg(form).arg(s).arg(query));
                for (int p = 1; p <= 3; ++p)
                    q.exec(QString("insert into VornParam (IdQuery, Numm, ParName, ParLabel, IdParTyp) values (%1, %2, 'P%2', 'Параметр %2', 0)")
                               .arg(query).arg(p));
            }
            q.exec(QString("insert into VornGrpBody (IdGroup, IdForm, Numm) select max(Id) - %1, %2, %3 from VornGroup")
                       .arg(r % std::max(1, reports / 20)).arg(form).arg(r));
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase("build");

    vorn::Database db;
    db.setDatabaseName("dbMain");
    db.setDriverName("SQLITE");
    db.params().setValue("DATABASE NAME", file);
    db.params().setValue("USER NAME", "director");
    db.params().setValue("PASSWORD", "director");
    db.open();
    TdmVorn dm;
    dm.ReadParamPrefix();
    dm.IsAdmin(true);
    QElapsedTimer t;
    t.start();
    TfrmVornMain w;
    const qint64 first = t.elapsed();
    int nodes = 0;
    for (QTreeWidgetItemIterator it(w.Tree()); *it; ++it)
        ++nodes;
    const int runs = 5;
    t.restart();
    for (int i = 0; i < runs; ++i)
        w.BuildTree(true);
    std::printf("reports %d, nodes %d: window with first build %lld ms, rebuild keeping the selection %.1f ms\n", reports,
                nodes, static_cast<long long>(first), double(t.elapsed()) / runs);
    return 0;
}
