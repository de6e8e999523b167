// Dataset benchmark: opening a 1,000,000-row x 6-column result into a Query against a
// plain forward-only QSqlQuery loop copying the rows into vectors (time and peak
// memory, each case in a child process so its peak is its own), Locate of the last
// row by an integer field and a two-condition filter against hand-written loops.
// Usage: bench_dataset [--rows N] [--pg]   (--pg reads VORN_PG_HOST/PORT/USER/PASSWORD)
#include "platform/data/Database.h"
#include "platform/data/Query.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vorn;

namespace {

int g_rows = 1000000;
bool g_pg = false;
QString g_file;        // SQLite file
QString g_pgDatabase;  // PostgreSQL database

const char *const kSelect = "select Id, Name, Amount, Qty, D, Note from Big order by Id";

void configure(Database &db)
{
    if (g_pg) {
        db.setDriverName("POSTGRESQL");
        db.params().setValue("SERVER NAME", qEnvironmentVariable("VORN_PG_HOST") + ':' + qEnvironmentVariable("VORN_PG_PORT"));
        db.params().setValue("DATABASE NAME", g_pgDatabase);
        db.params().setValue("USER NAME", qEnvironmentVariable("VORN_PG_USER"));
        db.params().setValue("PASSWORD", qEnvironmentVariable("VORN_PG_PASSWORD"));
    } else {
        db.setDriverName("SQLITE");
        db.params().setValue("DATABASE NAME", g_file);
    }
}

void createData()
{
    Database db;
    configure(db);
    if (g_pg) {
        Database admin;
        configure(admin);
        admin.params().setValue("DATABASE NAME", "postgres");
        admin.open();
        admin.execSql("CREATE DATABASE " + g_pgDatabase);
        admin.close();
        db.open();
        db.execSql("CREATE TABLE Big (Id int primary key, Name varchar(40), Amount double precision, Qty int, D date, Note text)");
        db.execSql(QString("INSERT INTO Big SELECT g, 'name ' || g, g * 0.5, g % 1000, date '2020-01-01' + (g % 1000), "
                           "'note' FROM generate_series(1, %1) g").arg(g_rows));
    } else {
        db.open();
        db.execSql("CREATE TABLE Big (Id integer primary key, Name varchar(40), Amount real, Qty int, D date, Note text)");
        db.execSql(QString("WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s WHERE g < %1) "
                           "INSERT INTO Big SELECT g, 'name ' || g, g * 0.5, g % 1000, date('2020-01-01', '+' || (g % 1000) || ' days'), "
                           "'note' FROM s").arg(g_rows));
    }
}

void dropData()
{
    if (!g_pg)
        return;
    Database admin;
    configure(admin);
    admin.params().setValue("DATABASE NAME", "postgres");
    admin.open();
    admin.execSql("DROP DATABASE " + g_pgDatabase + " WITH (FORCE)");
}

struct Result
{
    double ms = 0;        // the measured step
    double extraMs = 0;   // second measured step (locate / filter)
    long maxRssKb = 0;    // peak resident set of the child
};

// Runs fn in a child process; fn writes its timings, the parent adds the peak memory.
Result inChild(const std::function<void(Result &)> &fn)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Result r;
        fn(r);
        if (write(fds[1], &r, sizeof r) != ssize_t(sizeof r))
            _exit(2);
        _exit(0);
    }
    close(fds[1]);
    Result r;
    if (read(fds[0], &r, sizeof r) != ssize_t(sizeof r))
        fprintf(stderr, "child failed\n");
    close(fds[0]);
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    r.maxRssKb = ru.ru_maxrss;
    return r;
}

void nothing(Result &)
{
    Database db;
    configure(db);
    db.open();
}

// The plain loop: forward-only QSqlQuery, values copied into one vector per column.
std::vector<std::vector<QVariant>> plainLoad(Database &db, double *ms)
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(db.sqlDatabase());
    q.setForwardOnly(true);
    q.exec(kSelect);
    std::vector<std::vector<QVariant>> cols(6);
    while (q.next())
        for (int c = 0; c < 6; ++c)
            cols[c].push_back(q.value(c));
    *ms = t.nsecsElapsed() / 1e6;
    return cols;
}

void plain(Result &r)
{
    Database db;
    configure(db);
    db.open();
    auto cols = plainLoad(db, &r.ms);
    // locate of the last Id by a loop over the same values
    const qint64 key = g_rows;
    QElapsedTimer t;
    t.start();
    size_t found = 0;
    for (int rep = 0; rep < 10; ++rep)
        for (size_t i = 0; i < cols[0].size(); ++i)
            if (cols[0][i].toLongLong() == key) { found += i; break; }
    r.extraMs = t.nsecsElapsed() / 1e6 / 10;
    if (found != size_t(10) * (cols[0].size() - 1)) fprintf(stderr, "plain locate found %zu\n", found);
}

void plainFilter(Result &r)
{
    Database db;
    configure(db);
    db.open();
    auto cols = plainLoad(db, &r.ms);
    QElapsedTimer t;
    t.start();
    std::vector<int> rows;
    for (int rep = 0; rep < 5; ++rep) {
        rows.clear();
        for (size_t i = 0; i < cols[0].size(); ++i) {
            const QVariant &qty = cols[3][i], &amount = cols[2][i];
            if (!qty.isNull() && qty.toLongLong() > 500 && !amount.isNull() && amount.toDouble() <= 250000.0)
                rows.push_back(int(i));
        }
    }
    r.extraMs = t.nsecsElapsed() / 1e6 / 5;
    r.maxRssKb = long(rows.size());  // overwritten by the parent; keeps the loop alive
}

void dataset(Result &r)
{
    Database db;
    configure(db);
    db.open();
    Query q;
    q.setDatabase(&db);
    q.setSql(kSelect);
    QElapsedTimer t;
    t.start();
    q.open();
    r.ms = t.nsecsElapsed() / 1e6;
    t.restart();
    for (int rep = 0; rep < 10; ++rep) {
        q.first();
        if (!q.locate("Id", g_rows)) fprintf(stderr, "not found\n");
    }
    r.extraMs = t.nsecsElapsed() / 1e6 / 10;
}

void datasetFilter(Result &r)
{
    Database db;
    configure(db);
    db.open();
    Query q;
    q.setDatabase(&db);
    q.setSql(kSelect);
    q.open();
    q.setFilter("[Qty] > 500 AND [Amount] <= 250000");
    QElapsedTimer t;
    t.start();
    for (int rep = 0; rep < 5; ++rep) {
        q.setFiltered(false);
        q.setFiltered(true);
    }
    r.extraMs = t.nsecsElapsed() / 1e6 / 5;
    r.ms = q.recordCount();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    g_pg = args.contains("--pg");
    const int ri = int(args.indexOf("--rows"));
    if (ri > 0 && ri + 1 < args.size())
        g_rows = args.at(ri + 1).toInt();
    QTemporaryDir dir;
    g_file = dir.filePath("big.db");
    g_pgDatabase = "vorn_bench_" + QUuid::createUuid().toString(QUuid::Id128).left(10);
    if (g_pg && qEnvironmentVariableIsEmpty("VORN_PG_HOST")) {
        fprintf(stderr, "--pg needs VORN_PG_HOST, VORN_PG_PORT, VORN_PG_USER, VORN_PG_PASSWORD\n");
        return 1;
    }
    createData();
    printf("%s, %d rows x 6 columns\n", g_pg ? "PostgreSQL" : "SQLite", g_rows);
    const Result base = inChild(nothing);
    const Result p = inChild(plain);
    const Result d = inChild(dataset);
    const Result pf = inChild(plainFilter);
    const Result df = inChild(datasetFilter);
    const double pMem = (p.maxRssKb - base.maxRssKb) / 1024.0, dMem = (d.maxRssKb - base.maxRssKb) / 1024.0;
    printf("open:   QSqlQuery loop %8.1f ms  Query %8.1f ms  ratio %.2f (limit 1.30)\n", p.ms, d.ms, d.ms / p.ms);
    printf("memory: QSqlQuery loop %8.1f MB  Query %8.1f MB  ratio %.2f (limit 1.50; peak RSS above an idle connection of %.1f MB)\n",
           pMem, dMem, dMem / pMem, base.maxRssKb / 1024.0);
    printf("locate: plain loop     %8.2f ms  Query %8.2f ms  ratio %.2f (limit 2.00)\n", p.extraMs, d.extraMs, d.extraMs / p.extraMs);
    printf("filter: plain loop     %8.2f ms  Query %8.2f ms  ratio %.2f (limit 3.00; %d rows pass)\n", pf.extraMs, df.extraMs,
           df.extraMs / pf.extraMs, int(df.ms));
    dropData();
    return 0;
}
