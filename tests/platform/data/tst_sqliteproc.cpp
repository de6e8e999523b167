// SQLite catalogue mechanisms: procedures kept in VornProcedure, the session
// functions, the login check against VornLogin, and the dialect texts of the servers.
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/SqlDialect.h"
#include "platform/data/StoredProc.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QTest>

using namespace vorn;

class TestSqliteProc : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_file;

    Database *connect(const QString &login = "admin", const QString &password = "secret")
    {
        auto *db = new Database(this);
        db->setDatabaseName("dbMain");
        db->setDriverName("SQLITE");
        db->params().setValue("DATABASE NAME", m_file);
        db->params().setValue("USER NAME", login);
        db->params().setValue("PASSWORD", password);
        db->params().setValue("APPLICATION NAME", "VORNGEN");
        db->params().setValue("HOST NAME", "WS-01");
        db->open();
        return db;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_file = m_dir.filePath("cat.db");
        Database db;
        db.params().setValue("DATABASE NAME", m_file);
        db.open();
        db.execSql("CREATE TABLE VornProcedure (Name TEXT PRIMARY KEY COLLATE NOCASE, Params TEXT NOT NULL DEFAULT '', Body TEXT NOT NULL)");
        db.execSql("CREATE TABLE VornGroup (Id INTEGER PRIMARY KEY, Name varchar(40) NOT NULL UNIQUE, IdParent int)");
        db.execSql("CREATE TABLE VornLogin (LoginName TEXT PRIMARY KEY COLLATE NOCASE, IsRole INTEGER NOT NULL DEFAULT 0, "
                   "IsAdmin INTEGER NOT NULL DEFAULT 0, PwdSalt TEXT NOT NULL DEFAULT '', PwdHash TEXT NOT NULL DEFAULT '')");
        db.execSql("CREATE TABLE VornLoginMember (LoginName TEXT NOT NULL COLLATE NOCASE, RoleName TEXT NOT NULL COLLATE NOCASE, "
                   "PRIMARY KEY (LoginName, RoleName))");
        const QString hash = QCryptographicHash::hash("s1secret", QCryptographicHash::Sha256).toHex();
        db.execSql("INSERT INTO VornLogin (LoginName, PwdSalt, PwdHash, IsAdmin) VALUES ('admin', 's1', '" + hash + "', 1)");
        db.execSql("INSERT INTO VornLogin (LoginName) VALUES ('nopass')");
        db.execSql("INSERT INTO VornLogin (LoginName, IsRole) VALUES ('roleA', 1)");
        ParamList p;
        p.add(Param("n"));
        p.add(Param("a"));
        p.add(Param("b"));
        const auto proc = [&](const QString &name, const QString &params, const QString &body) {
            p.paramByName("n").setAsString(name);
            p.paramByName("a").setAsString(params);
            p.paramByName("b").setAsString(body);
            db.execSql("INSERT INTO VornProcedure (Name, Params, Body) VALUES (:n, :a, :b)", p);
        };
        proc("spNewGroup", "@GrpName varchar in, @IdParent int in, @Id int out",
             "insert into VornGroup (Name, IdParent) values (@grpname, @IdParent);\n"
             "select last_insert_rowid() as Id, 'a;b' as Note");
        proc("spTwoFails", "@Name varchar in",
             "insert into VornGroup (Name) values (@Name || '-1'); insert into VornGroup (Name) values (@Name || '-1')");
        proc("spList", "@parSortPart varchar in", "select Id, Name from VornGroup");
        proc("spEcho", "@A int inout, @B varchar out, @C money in",
             "select @A * 2 as A, coalesce(@C, 'null-c') as \"@B\"; select 1 as Other where 0");
    }

    void outputsFromLastRow()
    {
        Database *db = connect();
        StoredProc sp;
        sp.setDatabase(db);
        sp.setStoredProcName("SPNEWGROUP");
        sp.prepare();
        QCOMPARE(sp.params().count(), 3);
        QCOMPARE(sp.params()[2].direction(), ParamDirection::Output);
        QCOMPARE(sp.params()[0].dataType(), ftString);
        sp.paramByName("@GrpName").setAsString("Отчёты; 'первые'");
        sp.execProc();
        const qint64 id = sp.paramByName("@Id").asInteger();
        QVERIFY(id > 0);
        QCOMPARE(db->selectValue("select Name from VornGroup where Id = " + QString::number(id)).toString(),
                 QString("Отчёты; 'первые'"));
        QVERIFY(db->selectValue("select IdParent from VornGroup where Id = " + QString::number(id)).isNull());
        delete db;
    }

    void inoutAndUnmatchedOutput()
    {
        Database *db = connect();
        StoredProc sp;
        sp.setStoredProcName("spEcho");
        sp.params().add(Param("A")).setAsInteger(21);  // the caller may leave out the '@'
        sp.execProc();
        QCOMPARE(sp.paramByName("A").asInteger(), 42);
        // "@B" is read from the column named "@B" of the last statement that gave a row
        QCOMPARE(sp.paramByName("@B").asString(), QString("null-c"));
        delete db;
    }

    void errorRollsBackWholeBody()
    {
        Database *db = connect();
        StoredProc sp;
        sp.setStoredProcName("spTwoFails");
        sp.prepare();
        sp.paramByName("@Name").setAsString("dup");
        try {
            sp.execProc();
            QFAIL("no error");
        } catch (const DataError &e) {
            QVERIFY2(e.message().contains("UNIQUE", Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QCOMPARE(db->selectValue("select count(*) from VornGroup where Name = 'dup-1'").toInt(), 0);
        // the connection is usable and outside any savepoint
        db->startTransaction();
        db->rollback();
        delete db;
    }

    void unknownProcedure()
    {
        Database *db = connect();
        StoredProc sp;
        sp.setStoredProcName("spMissing");
        try {
            sp.prepare();
            QFAIL("no error");
        } catch (const DataError &e) {
            QCOMPARE(e.message(), QString("Процедура не найдена: spMissing"));
        }
        delete db;
    }

    void sortPartOrdersRows()
    {
        Database *db = connect();
        db->execSql("insert into VornGroup (Name) values ('b'), ('a'), ('c')");
        StoredProc sp;
        sp.setStoredProcName("spList");
        sp.prepare();
        QVERIFY(sp.sortPartParam());
        sp.paramByName("@parSortPart").setAsString(" Name DESC");
        sp.open();
        QStringList names;
        for (sp.first(); !sp.eof(); sp.next())
            names << sp.fieldByName("Name")->asString();
        QCOMPARE(names.mid(0, 3), (QStringList{"Отчёты; 'первые'", "c", "b"}));
        delete db;
    }

    // A login that is not an administrator may not write the catalogue's tables with
    // its own statements; the procedures kept in the catalogue still can.
    void catalogueGuard()
    {
        Database *db = connect("nopass", "");
        QVERIFY(db->catalogueGuarded());
        QVERIFY_THROWS_EXCEPTION(DataError, db->execSql("insert into VornGroup (Name) values ('guarded')"));
        QVERIFY_THROWS_EXCEPTION(DataError, db->execSql("update VornLogin set IsAdmin = 1"));
        QCOMPARE(db->selectValue("select count(*) from VornLogin where IsAdmin = 1").toInt(), 1);
        StoredProc sp;
        sp.setDatabase(db);
        sp.setStoredProcName("spNewGroup");
        sp.prepare();
        sp.paramByName("@GrpName").setAsString("through a procedure");
        sp.paramByName("@IdParent").setAsInteger(0);
        sp.execProc();
        QCOMPARE(db->selectValue("select count(*) from VornGroup where Name = 'through a procedure'").toInt(), 1);
        // the scope ends with the procedure
        QVERIFY_THROWS_EXCEPTION(DataError, db->execSql("delete from VornGroup"));
        delete db;
        db = connect();
        QVERIFY(!db->catalogueGuarded());
        db->execSql("delete from VornGroup where Name = 'through a procedure'");
        delete db;
    }

    void sessionFunctions()
    {
        Database *db = connect("ADMIN", "secret");
        QCOMPARE(db->selectValue("select vorn_login()").toString(), QString("ADMIN"));
        QCOMPARE(db->selectValue("select vorn_app()").toString(), QString("VORNGEN"));
        QCOMPARE(db->selectValue("select vorn_host()").toString(), QString("WS-01"));
        QCOMPARE(db->selectValue("select vorn_hash('s1', 'пароль')").toString(),
                 QString(QCryptographicHash::hash(QString("s1пароль").toUtf8(), QCryptographicHash::Sha256).toHex()));
        delete db;
    }

    void loginCheck_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("right password") << "admin" << "secret" << true;
        QTest::newRow("other case login") << "Admin" << "secret" << true;
        QTest::newRow("wrong password") << "admin" << "Secret" << false;
        QTest::newRow("empty stored hash, empty password") << "nopass" << "" << true;
        QTest::newRow("empty stored hash, a password") << "nopass" << "x" << false;
        QTest::newRow("role") << "roleA" << "" << false;
        QTest::newRow("unknown") << "nobody" << "" << false;
    }
    void loginCheck()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        try {
            Database *db = connect(login, password);
            QVERIFY(accepted);
            QVERIFY(db->isOpen());
            delete db;
        } catch (const DataError &e) {
            QVERIFY(!accepted);
            QCOMPARE(e.message(), QString("Ошибка входа пользователя \"%1\".").arg(login));
            QVERIFY_THROWS_EXCEPTION(DataError, Database::defaultDatabase());
        }
    }

    void passwordChange()
    {
        Database *db = connect();
        ParamList p;
        p.add(Param("salt")).setAsString("s2");
        p.add(Param("new")).setAsString("новый");
        p.add(Param("old")).setAsString("wrong");
        const QString sql = dialect::changePasswordSql(Database::Dialect::Sqlite);
        QCOMPARE(db->execSql(sql, p), 0);
        p.paramByName("old").setAsString("secret");
        QCOMPARE(db->execSql(sql, p), 1);
        delete db;
        QVERIFY_THROWS_EXCEPTION(DataError, connect("admin", "secret"));
        delete connect("admin", "новый");
    }

    void scriptOfSeveralStatements()
    {
        Database db;
        db.params().setValue("DATABASE NAME", m_dir.filePath("script.db"));
        db.open();
        const qint64 n = db.execSql("create table A (x int); create table L (x int);\n"
                                    "create trigger T after insert on A begin insert into L values (new.x * 10); end;\n"
                                    "insert into A values (1); insert into A values (2); -- done");
        QCOMPARE(n, 2);  // the statements' own rows; trigger changes are not counted
        QCOMPARE(db.selectValue("select sum(x) from L").toInt(), 30);
        db.execSql("delete from L");
        ParamList p;
        p.add(Param("v")).setAsInteger(4);
        db.execSql("delete from A; insert into A values (:v); insert into A values (:v)", p);
        QCOMPARE(db.selectValue("select sum(x) from L where x is not null").toInt(), 80);
    }

    void plainFileAcceptsAnyLogin()
    {
        Database db;
        db.params().setValue("DATABASE NAME", m_dir.filePath("plain.db"));
        db.params().setValue("USER NAME", "whoever");
        db.open();
        QVERIFY(db.isOpen());
    }

    void serverDialectTexts()
    {
        ParamList p;
        p.add(Param("@GrpName", ftString, ParamDirection::Input));
        p.add(Param("@Id", ftInteger, ParamDirection::Output));
        p.add(Param("@N", ftInteger, ParamDirection::InputOutput));
        QList<int> bound;
        QCOMPARE(dialect::procedureCall(Database::Dialect::MsSql, "spNewGroup", p, &bound),
                 QString("EXEC spNewGroup @GrpName = ?, @Id = ? OUTPUT, @N = ? OUTPUT"));
        QCOMPARE(bound, (QList<int>{0, 1, 2}));
        ParamList q;
        q.add(Param("p_GrpName", ftString, ParamDirection::Input));
        q.add(Param("p_Id", ftInteger, ParamDirection::Output));
        q.add(Param("p_N", ftInteger, ParamDirection::InputOutput));
        QCOMPARE(dialect::procedureCall(Database::Dialect::PostgreSql, "spNewGroup", q, &bound),
                 QString("select * from spNewGroup(p_GrpName => ?, p_N => ?)"));
        QCOMPARE(bound, (QList<int>{0, 2}));
    }

    void mssqlConnectionString_data()
    {
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full") << QStringList{"SERVER NAME=srv01:1444", "DATABASE NAME=Vorn", "USER NAME=ivanov",
                                             "PASSWORD=p;w{d}", "APPLICATION NAME=VORNGEN", "HOST NAME=WS-01"}
                              << "DRIVER={FreeTDS};Server=srv01;Port=1444;Database=Vorn;UID=ivanov;PWD={p;w{d}}};"
                                 "APP=VORNGEN;WSID=WS-01;TDS_Version=7.4;ClientCharset=UTF-8";
        QTest::newRow("instance, blank database") << QStringList{"SERVER NAME=srv\\SQL2019", "DATABASE NAME= ", "USER NAME=sa",
                                                                 "PASSWORD="}
                                                  << "DRIVER={FreeTDS};Server=srv\\SQL2019;UID=sa;PWD=;TDS_Version=7.4;ClientCharset=UTF-8";
    }
    void mssqlConnectionString()
    {
        QFETCH(QStringList, params);
        QFETCH(QString, expected);
        QCOMPARE(Database::mssqlConnectionString(ConnectionParams::fromStringList(params)), expected);
    }

    void mssqlOpenFailureCarriesDriverText()
    {
        // FreeTDS is installed; no SQL Server listens on this port, so the open fails
        // and the connection stays closed with the driver's text.
        Database db;
        db.setDriverName("MSSQL");
        db.params().setValue("SERVER NAME", "127.0.0.1:1");
        db.params().setValue("DATABASE NAME", "Vorn");
        db.params().setValue("USER NAME", "sa");
        db.params().setValue("PASSWORD", "x");
        try {
            db.open();
            QFAIL("no error");
        } catch (const DataError &e) {
            QVERIFY2(e.message().contains("FreeTDS"), qPrintable(e.message()));
        }
        QVERIFY(!db.isOpen());
    }

    void driverDefaults()
    {
        QVERIFY(Database::driverNames().contains("MSSQL"));
        const ConnectionParams p = Database::defaultParams("MSSQL");
        QCOMPARE(p.count(), 24);
        QCOMPARE(p.nameAt(0), QString("DATABASE NAME"));
        QCOMPARE(p.nameAt(23), QString("PASSWORD"));
    }
};

QTEST_GUILESS_MAIN(TestSqliteProc)
#include "tst_sqliteproc.moc"
