// The ODBC code path (QODBC binding, type mapping, procedure calls) run for real
// against PostgreSQL through its ODBC driver "PostgreSQL Unicode".
#include "platform/data/DataError.h"
#include "platform/data/Database.h"
#include "platform/data/Query.h"
#include "platform/data/StoredProc.h"

#include <QTest>
#include <QUuid>

using namespace vorn;

class TestOdbc : public QObject
{
    Q_OBJECT
    Database *m_db = nullptr;
    QString m_name;
    ConnectionParams m_admin;

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("VORN_PG_HOST"))
            QSKIP("VORN_PG_* not set: no PostgreSQL cluster");
        m_name = "vorn_odbc_" + QUuid::createUuid().toString(QUuid::Id128).left(12);
        m_admin.setValue("SERVER NAME", qEnvironmentVariable("VORN_PG_HOST") + ':' + qEnvironmentVariable("VORN_PG_PORT"));
        m_admin.setValue("DATABASE NAME", "postgres");
        m_admin.setValue("USER NAME", qEnvironmentVariable("VORN_PG_USER"));
        m_admin.setValue("PASSWORD", qEnvironmentVariable("VORN_PG_PASSWORD"));
        Database admin;
        admin.setDriverName("POSTGRESQL");
        admin.params() = m_admin;
        admin.open();
        admin.execSql("CREATE DATABASE " + m_name);
        admin.close();
        m_db = new Database(this);
        m_db->setDatabaseName("dbOdbc");
        m_db->setDriverName("ODBC");
        m_db->params().setValue("DATABASE NAME",
                                QString("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3")
                                    .arg(qEnvironmentVariable("VORN_PG_HOST"), qEnvironmentVariable("VORN_PG_PORT"), m_name));
        m_db->params().setValue("USER NAME", qEnvironmentVariable("VORN_PG_USER"));
        m_db->params().setValue("PASSWORD", qEnvironmentVariable("VORN_PG_PASSWORD"));
        m_db->params().setValue("SQL DIALECT", "POSTGRESQL");
        m_db->open();
        QCOMPARE(m_db->dialect(), Database::Dialect::PostgreSql);
        m_db->execSql("CREATE TABLE T (Id serial primary key, Name varchar(30), D date, Amount double precision, N int)");
        m_db->execSql("CREATE FUNCTION spAdd(p_Name varchar, p_N int, OUT p_Id int, OUT p_Twice int) AS $$ "
                      "INSERT INTO T (Name, N) VALUES (p_Name, p_N) RETURNING Id, p_N * 2 $$ LANGUAGE sql");
    }

    void cleanupTestCase()
    {
        if (!m_db)
            return;
        m_db->close();
        Database admin;
        admin.setDriverName("POSTGRESQL");
        admin.params() = m_admin;
        admin.open();
        admin.execSql("DROP DATABASE " + m_name + " WITH (FORCE)");
    }

    void typedBindingRoundTrip()
    {
        Query ins;
        ins.setDatabaseName("dbOdbc");
        ins.setSql("insert into T (Name, D, Amount, N) values (:Name, :D, :Amount, :N)");
        ins.paramByName("Name").setAsString("Ёлка 'x'");
        ins.paramByName("D").setAsDate(QDate(2024, 3, 8));
        ins.paramByName("Amount").setAsFloat(2.5);
        ins.paramByName("N").setNull();
        QCOMPARE(ins.execSql(), 1);
        Query q;
        q.setDatabaseName("dbOdbc");
        q.setSql("select Id, Name, D, Amount, N, :Tag::text as Tag from T where Name = :Name");
        q.paramByName("Name").setAsString("Ёлка 'x'");
        q.paramByName("Tag").setAsString("t");
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.fieldByName("Name")->asString(), QString("Ёлка 'x'"));
        QCOMPARE(q.fieldByName("D")->dataType(), ftDate);
        QCOMPARE(q.fieldByName("D")->asDate(), QDate(2024, 3, 8));
        QCOMPARE(q.fieldByName("Amount")->dataType(), ftFloat);
        QVERIFY(q.fieldByName("N")->isNull());
        QVERIFY(fieldtype::isInteger(q.fieldByName("Id")->dataType()));
        QCOMPARE(q.fieldByName("Tag")->asString(), QString("t"));
    }

    void functionWithOutParamsInNamedNotation()
    {
        StoredProc sp;
        sp.setDatabaseName("dbOdbc");
        sp.setStoredProcName("spAdd");
        sp.prepare();
        QCOMPARE(sp.params().count(), 4);
        QCOMPARE(sp.params()[2].direction(), ParamDirection::Output);
        sp.paramByName("p_Name").setAsString("из процедуры");
        sp.paramByName("p_N").setAsInteger(21);
        QCOMPARE(sp.callSql(), QString("select * from spAdd(p_name => ?, p_n => ?)"));
        sp.execProc();
        QCOMPARE(sp.paramByName("p_Twice").asInteger(), 42);
        const qint64 id = sp.paramByName("p_Id").asInteger();
        QCOMPARE(m_db->selectValue("select Name from T where Id = " + QString::number(id)).toString(), QString("из процедуры"));
    }

    void serverErrorText()
    {
        Query q;
        q.setDatabaseName("dbOdbc");
        q.setSql("select nothing from T");
        try {
            q.open();
            QFAIL("no error");
        } catch (const DataError &e) {
            QVERIFY2(e.message().contains("nothing"), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestOdbc)
#include "tst_odbc.moc"
