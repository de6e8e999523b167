// Times a VBScript walking a report query's rows field by field through the object
// model (Querys, Fields(i).Value, Next, Eof) and summing a column, against the same
// walk in Python over sqlite3 on the same file; prints both times and the ratio.
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "platform/data/Database.h"
#include "scripting/fVornActScpSite.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;   // the best run of each counts: the machine is shared
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    const QString file = dir.filePath("bench.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
        db.setDatabaseName(file);
        db.open();
        vorn::catalogue::CatalogueBuilder(vorn::catalogue::Dialect::Sqlite).build(db, true);
        QSqlQuery q(db);
        q.exec("create table Big (C1 integer, C2 varchar(20), C3 integer, C4 double, C5 varchar(20), "
               "C6 integer, C7 double, C8 varchar(20), C9 integer, C10 double)");
        db.transaction();
        q.prepare("insert into Big values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < rows; ++i) {
            const QVariantList v = {i, QString("строка %1").arg(i), i % 1000, i * 0.5, QString("b%1").arg(i % 7),
                                    i * 3, i / 3.0, QString("c%1").arg(i % 11), -i, i * 1.25};
            for (int c = 0; c < v.size(); ++c)
                q.bindValue(c, v[c]);
            q.exec();
        }
        db.commit();
        q.exec("insert into VornQuery (Numm, Name, SQLtext) values (100, 'Big', 'SELECT * FROM Big')");
        q.exec("insert into VornForm (Numm, Name, IdDestination, IdTypExec) values (100, 'Bench', 0, 1000)");
        q.exec("insert into VornFrm2Qry (IdForm, Numm, IdQuery, IsMaster, QueryShortName) values "
               "((select Id from VornForm where Name = 'Bench'), 1, (select Id from VornQuery where Name = 'Big'), 0, 'Query1')");
        db.close();
    }
    QSqlDatabase::removeDatabase("build");

    QString scriptResult;
    SetMessageAnswerer([&](const TMsgRequest &r) {
        scriptResult = r.text;
        return TMsgButton(r.buttons & -r.buttons);
    });
    vorn::Database db;
    db.setDatabaseName("dbMain");
    db.setDriverName("SQLITE");
    db.params().setValue("DATABASE NAME", file);
    db.params().setValue("USER NAME", "director");
    db.params().setValue("PASSWORD", "director");
    db.open();
    TdmVorn dm;
    dm.ReadParamPrefix();
    const QString vbs = R"(Set ds = GlobalVornMain.Report("Bench").Querys(1)
Set f = ds.Fields
s = 0
Do While Not ds.Eof
  For i = 1 To 10
    v = f(i).Value
  Next
  s = s + f("C3").Value
  ds.Next
Loop
MsgBox s)";
    double openSeconds = 1e9, vbsSeconds = 1e9;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        ExecuteScript("VBScript", "MsgBox GlobalVornMain.Report(\"Bench\").Querys(1).RecordCount", 0, nullptr, "bench");
        openSeconds = std::min(openSeconds, t.nsecsElapsed() / 1e9);
        t.restart();
        ExecuteScript("VBScript", vbs, 0, nullptr, "bench");
        vbsSeconds = std::min(vbsSeconds, t.nsecsElapsed() / 1e9);
    }
    db.close();

    const QString py = R"(import sqlite3, sys, time
best = None
for run in range(int(sys.argv[2])):
    t = time.perf_counter()
    con = sqlite3.connect(sys.argv[1])
    cur = con.execute("SELECT * FROM Big")
    s = 0
    for row in cur:
        for i in range(10):
            v = row[i]
        s += row[2]
    con.close()
    d = time.perf_counter() - t
    best = d if best is None else min(best, d)
print(s, best))";
    QProcess p;
    p.start("python3", {"-c", py, file, QString::number(runs)});
    p.waitForFinished(-1);
    const QStringList out = QString::fromUtf8(p.readAllStandardOutput()).split(' ');
    const double pySeconds = out.value(1).toDouble();
    std::printf("rows=%d, best of %d runs:  VBScript object model: %.3f s (of which opening the query %.3f s; sum %s)  "
                "Python sqlite3: %.3f s (sum %s)  ratio %.2f\n", rows, runs, vbsSeconds, openSeconds, qPrintable(scriptResult),
                pySeconds, qPrintable(out.value(0).trimmed()), vbsSeconds / pySeconds);
    return scriptResult.trimmed() == out.value(0).trimmed() ? 0 : 1;
}
