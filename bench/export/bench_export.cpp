// Benchmarks: 100,000 rows x 10 columns exported to XLSX against Python's xlsxwriter
// writing the same cells with the same formats, and the result browser opened on a
// 1,000,000-row query (fetch time, then repaint times while scrolling the grid).
#include "execution/VornExport.h"
#include "execution/fVornQryBro.h"
#include "platform/data/Database.h"
#include "platform/data/Dataset.h"
#include "platform/data/Query.h"
#include "platform/widgets/DataGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

static void fill(const QString &file, int rows, bool wide)
{
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        raw.setDatabaseName(file);
        raw.open();
        QSqlQuery q(raw);
        q.exec(QStringLiteral("create table Bench (Id integer, Code varchar(6), Name varchar(40), Qty integer, Price money, "
                              "Rate float, Day date, Note varchar(20), Amount money, IdGroup integer)"));
        q.exec(QStringLiteral(
                   "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                   "insert into Bench select i, printf('%06d', i), 'Клиент ' || i, i % 100, (i % 1000) / 4.0, i * 0.001, "
                   "date('2020-01-01', '+' || (i % 1000) || ' days'), 'примечание ' || (i % 17), i % 777 + 0.5, i % 50 from n")
                   .arg(rows));
        Q_UNUSED(wide);
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTemporaryDir dir;
    const int exportRows = argc > 1 ? atoi(argv[1]) : 100000;
    const int browserRows = argc > 2 ? atoi(argv[2]) : 1000000;

    // ---- XLSX export
    const QString dbFile = dir.filePath(QStringLiteral("bench.db"));
    fill(dbFile, exportRows, true);
    vorn::Database db;
    db.setDatabaseName(QStringLiteral("dbMain"));
    db.setDriverName(QStringLiteral("SQLITE"));
    db.params().setValue(QStringLiteral("DATABASE NAME"), dbFile);
    db.open();
    vorn::Query q;
    q.setObjectName(QStringLiteral("qBench"));
    q.setDatabase(&db);
    q.setSql(QStringLiteral("select * from Bench order by Id"));
    QElapsedTimer t;
    t.start();
    q.open();
    const double fetch = t.nsecsElapsed() / 1e9;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        t.restart();
        ExportDataSetsToExcel({&q}, dir.filePath(QStringLiteral("vorn.xlsx")));
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    double pyBest = 1e9;
    for (int run = 0; run < 3; ++run) {
        QProcess py;
        // Debian's interpreter, the one python3-xlsxwriter is installed for
        py.start(QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3"), {QStringLiteral(VORN_BENCH_DIR "/xlsx_bench.py"),
                                             dir.filePath(QStringLiteral("python.xlsx")), QString::number(exportRows)});
        py.waitForFinished(-1);
        const double s = py.readAllStandardOutput().trimmed().toDouble();
        if (py.exitCode() != 0 || s <= 0) {
            std::fprintf(stderr, "python3 xlsxwriter failed: %s\n", py.readAllStandardError().constData());
            break;
        }
        pyBest = std::min(pyBest, s);
    }
    std::printf("XLSX %d rows x %d columns: fetch %.3f s, export %.3f s (%.0f rows/s, %lld bytes); "
                "python3-xlsxwriter %.3f s (%lld bytes); ratio %.1fx\n",
                exportRows, q.fieldCount(), fetch, best, exportRows / best,
                QFileInfo(dir.filePath(QStringLiteral("vorn.xlsx"))).size(), pyBest,
                QFileInfo(dir.filePath(QStringLiteral("python.xlsx"))).size(), pyBest / best);
    q.close();

    // ---- browser on a large query
    const QString bigFile = dir.filePath(QStringLiteral("big.db"));
    fill(bigFile, browserRows, false);
    db.close();
    db.params().setValue(QStringLiteral("DATABASE NAME"), bigFile);
    db.open();
    auto list = std::make_unique<TQueryList>();
    auto item = std::make_unique<TQueryListItem>();
    item->Name = QStringLiteral("Большая выборка");
    item->QueryShortName = QStringLiteral("Query1");
    item->SQLtext = QStringLiteral("select * from Bench");
    list->Add(std::move(item));
    t.restart();
    auto *b = new TfrmVornQueryBro(1, 3, QStringLiteral("bench"), std::move(list), nullptr, false);
    b->OpenData();
    const double open = t.nsecsElapsed() / 1e9;
    b->resize(1000, 700);
    b->show();
    QCoreApplication::processEvents();
    vorn::DataGrid *grid = b->Grid(0);
    QScrollBar *bar = grid->verticalScrollBar();
    double worst = 0, total = 0;
    const int steps = 200;
    for (int i = 0; i < steps; ++i) {
        t.restart();
        bar->setValue(int(qint64(bar->maximum()) * i / steps));
        grid->viewport()->repaint();
        const double s = t.nsecsElapsed() / 1e6;
        worst = std::max(worst, s);
        total += s;
    }
    std::printf("Browser on %d rows: open and fetch %.3f s; scrolling: %.2f ms per repaint on average, %.2f ms at worst\n",
                b->CurrentDataSet()->recordCount(), open, total / steps, worst);
    delete b;
    return 0;
}
