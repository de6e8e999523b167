// The vorncatalogue command as the set-up script and users run it: options, creating
// a SQLite file and a PostgreSQL database, and never touching an existing catalogue.
#include <QCryptographicHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestVornCatalogue : public QObject
{
    Q_OBJECT

    struct Result
    {
        int code = -1;
        QString out, err;
    };
    Result runTool(const QStringList &args)
    {
        QProcess p;
        QString bin = qEnvironmentVariable("VORN_BINARY_DIR");
        if (bin.isEmpty())   // run by hand from the build tree
            bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../..");
        p.start(bin + QStringLiteral("/bin/vorncatalogue"), args);
        if (!p.waitForFinished(120000))
            return {};
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }
    static QByteArray digest(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
    }

private Q_SLOTS:
    void help()
    {
        const Result r = runTool({QStringLiteral("--help")});
        QCOMPARE(r.code, 0);
        for (const char *opt : {"--driver", "--database", "--server", "--user", "--password", "--demo"})
            QVERIFY2(r.out.contains(QLatin1String(opt)), opt);
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown driver") << QStringList{"--driver", "ORACLE", "--database", "x"};
        QTest::newRow("no database") << QStringList{"--driver", "SQLITE"};
    }
    void badArguments()
    {
        QFETCH(QStringList, args);
        const Result r = runTool(args);
        QCOMPARE(r.code, 1);
        QVERIFY(!r.err.isEmpty());
    }

    void sqliteCreatedOnceNeverOverwritten()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("demo.sqlite"));
        Result r = runTool({"--driver", "SQLITE", "--database", file, "--demo"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(file));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("select count(*) from Invoices")) && q.next());
            QVERIFY(q.value(0).toInt() > 1000);
            // the demo ships no administrator without a password
            QVERIFY(q.exec(QStringLiteral("select count(*) from VornLogin where IsRole=0 and PwdHash=''")) && q.next());
            QCOMPARE(q.value(0).toInt(), 0);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        const QByteArray before = digest(file);
        r = runTool({"--driver", "SQLITE", "--database", file});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(file));
        QCOMPARE(digest(file), before);
    }

    void postgresqlDatabaseCreated()
    {
        if (qEnvironmentVariableIsEmpty("VORN_PG_HOST"))
            QSKIP("VORN_PG_* not set: no PostgreSQL cluster");
        const QString name = QStringLiteral("vorn_tool_%1").arg(QCoreApplication::applicationPid());
        const QStringList conn = {"--driver", "POSTGRESQL", "--server",
                                  qEnvironmentVariable("VORN_PG_HOST") + u':' + qEnvironmentVariable("VORN_PG_PORT"),
                                  "--user", qEnvironmentVariable("VORN_PG_USER"),
                                  "--password", qEnvironmentVariable("VORN_PG_PASSWORD"), "--database", name};
        Result r = runTool(conn);
        const Result again = runTool(conn);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pg"));
            db.setHostName(qEnvironmentVariable("VORN_PG_HOST"));
            db.setPort(qEnvironmentVariable("VORN_PG_PORT").toInt());
            db.setUserName(qEnvironmentVariable("VORN_PG_USER"));
            db.setPassword(qEnvironmentVariable("VORN_PG_PASSWORD"));
            db.setDatabaseName(QStringLiteral("postgres"));
            if (db.open())
                QSqlQuery(db).exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("pg"));
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(again.code, 2);
    }
};

QTEST_GUILESS_MAIN(TestVornCatalogue)
#include "tst_vorncatalogue.moc"
