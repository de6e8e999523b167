// Times demo reports through ExecuteReport to PDF on a fresh SQLite demo catalogue:
// the whole road a user's run takes, without the prompt (values given as a script would).
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "execution/ParamAskMe.h"
#include "execution/VornRun.h"
#include "execution/VornRunParams.h"
#include "platform/data/Database.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    const QString file = dir.filePath("demo.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "build");
        db.setDatabaseName(file);
        db.open();
        vorn::catalogue::CatalogueBuilder(vorn::catalogue::Dialect::Sqlite).build(db, true);
        db.close();
    }
    QSqlDatabase::removeDatabase("build");
    SetMessageAnswerer([](const TMsgRequest &r) { return TMsgButton(r.buttons & -r.buttons); });
    vorn::Database db;
    db.setDatabaseName("dbMain");
    db.setDriverName("SQLITE");
    db.params().setValue("DATABASE NAME", file);
    db.params().setValue("USER NAME", "director");
    db.params().setValue("PASSWORD", "director");
    db.open();
    TdmVorn dm;
    dm.ReadParamPrefix();
    struct Case
    {
        const char *report;
        QHash<QString, QString> params;
    };
    const Case cases[] = {
        {"Продажи по регионам за период", {{"DateFrom", "2025-01-01"}, {"DateTo", "2026-12-31"}}},
        {"Накладные клиента с составом", {{"Client", "5"}}},
        {"Справочник клиентов", {}},
    };
    std::printf("%-34s %6s %10s %10s %8s\n", "report", "runs", "min ms", "median ms", "PDF KB");
    for (const Case &c : cases) {
        const int id = SelectValue(QStringLiteral("select Id from VornForm where Name=") + QuotedSql(QString::fromUtf8(c.report))).toInt();
        QList<qint64> times;
        const QString out = dir.filePath("out.pdf");
        for (int i = 0; i < runs; ++i) {
            auto params = RunBuildParamList(id, okReport);
            RunApplyDefaults(params.get(), c.params);
            QElapsedTimer t;
            t.start();
            ExecuteReport(id, QString::fromUtf8(c.report), params.get(), false, etLayout, dsFile, out, vrmRun);
            times << t.elapsed();
        }
        std::sort(times.begin(), times.end());
        std::printf("%-34s %6d %10lld %10lld %8lld\n", c.report, runs, times.first(), times.at(times.size() / 2),
                    QFileInfo(out).size() / 1024);
    }
    return 0;
}
