// Helpers of the report-run tests: demo catalogues on SQLite and PostgreSQL, a
// connection as director, answers to messages and dialogs, the sample module server.
#pragma once
#include "VornTestCatalogue.h"
#include "VornTestMessages.h"
#include "database/VornMessages.h"
#include "database/dmdVorn.h"
#include "platform/data/Database.h"
#include "tools/vorncatalogue/CatalogueBuilder.h"

#include <QDialog>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtTest>
#include <memory>

namespace runtest {

using vorntest::MessageLog;

// Confirms a dialog as its user would: the parameter prompt through its OK button.
inline int confirm(QDialog *d)
{
    if (auto *ok = d->findChild<QPushButton *>("BitBtnOK"))
        ok->click();
    else
        d->accept();
    return d->result();
}

// Answers dialogs by their object names; a dialog without a handler is accepted
// as it stands.
struct DialogScript
{
    QHash<QString, std::function<int(QDialog *)>> handlers;
    QStringList shown;  // object names of the dialogs, in order
    TDialogRunner previous;
    DialogScript()
    {
        previous = SetDialogRunner([this](QDialog *d) {
            shown << d->objectName();
            if (const auto h = handlers.value(d->objectName()))
                return h(d);
            return confirm(d);
        });
    }
    ~DialogScript() { SetDialogRunner(previous); }
};

using vorntest::pgAvailable;
using vorntest::pgServer;
using vorntest::pgAdmin;
using vorntest::createSqliteCatalogue;

// A PostgreSQL demo catalogue in a database of its own, dropped by the destructor.
struct PgCatalogue : vorntest::PgCatalogue
{
    PgCatalogue() : vorntest::PgCatalogue(QStringLiteral("vorn_run_")) {}
};

// The program's connection and data module, connected as director.
struct Session
{
    vorn::Database db;
    std::unique_ptr<TdmVorn> dm;
    Session(const QString &driver, const QString &database)
    {
        db.setDatabaseName("dbMain");
        db.setDriverName(driver);
        if (driver == "POSTGRESQL")
            db.params().setValue("SERVER NAME", pgServer());
        db.params().setValue("DATABASE NAME", database);
        db.params().setValue("USER NAME", "director");
        db.params().setValue("PASSWORD", "director");
        db.params().setValue("APPLICATION NAME", "tst_reportrun");
        db.open();
        dm = std::make_unique<TdmVorn>();
        dm->ReadParamPrefix();
    }
    ~Session()
    {
        dm.reset();
        db.close();
    }
};

// The demo catalogue in a SQLite file of the test's folder, and in PostgreSQL when the
// test cluster is given; data functions list both drivers, a missing one is skipped.
struct DemoCatalogues
{
    QString sqlite;
    std::unique_ptr<PgCatalogue> pg;

    // What failed, or "".
    QString create(const QString &folder)
    {
        sqlite = folder + QStringLiteral("/demo.sqlite");
        if (const QString e = createSqliteCatalogue(sqlite); !e.isEmpty())
            return e;
        if (pgAvailable()) {
            pg = std::make_unique<PgCatalogue>();
            return pg->error;
        }
        return QString();
    }
    // nullptr when that driver's catalogue is not there.
    std::unique_ptr<Session> open(const QString &driver) const
    {
        if (driver == "POSTGRESQL" && !pg)
            return nullptr;
        return std::make_unique<Session>(driver, driver == "POSTGRESQL" ? pg->name : sqlite);
    }
    static void driverRows()
    {
        QTest::addColumn<QString>("driver");
        QTest::newRow("sqlite") << "SQLITE";
        QTest::newRow("postgresql") << "POSTGRESQL";
    }
};

// Opens the row's driver through the test's own open(), or skips the row.
#define OPEN_SESSION()                                                                                                 \
    QFETCH(QString, driver);                                                                                           \
    auto session = open(driver);                                                                                       \
    if (!session)                                                                                                      \
        QSKIP("no PostgreSQL test cluster");

// tools/remote_module_server.py on a free loopback port.
struct ModuleServer
{
    QProcess process;
    int port = 0;
    explicit ModuleServer(const QString &host = "127.0.0.1")
    {
        const QString script = qEnvironmentVariable("VORN_SOURCE_DIR") + "/tools/remote_module_server.py";
        process.start("python3", {script, "--host", host, "--port", "0"});
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(10000))
            return;
        const QString line = QString::fromUtf8(process.readLine()).trimmed();
        port = line.section(' ', -1).toInt();
    }
    ~ModuleServer()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(1000);
    }
};

} // namespace runtest
