// The dataset suite, built twice: against a temporary SQLite file and against the
// PostgreSQL cluster of the test run (VORN_BACKEND_PG). Cursor, fields, parameters,
// filters, locate, write-back (live and editable lists), master/detail, errors.
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/Database.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"

#include <QFile>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

using namespace vorn;

namespace {
bool pg()
{
#ifdef VORN_BACKEND_PG
    return true;
#else
    return false;
#endif
}
} // namespace

class TestDataset : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Database *m_db = nullptr;
    QString m_pgName;  // database created for this run

    QList<int> ids(Dataset &d)
    {
        QList<int> out;
        d.first();
        while (!d.eof()) {
            out << int(d.fieldByName("Id")->asInteger());
            d.next();
        }
        return out;
    }
    void exec(const QString &sql) { m_db->execSql(sql); }
    std::unique_ptr<Query> query(const QString &sql)
    {
        auto q = std::make_unique<Query>();
        q->setDatabaseName("dbMain");
        q->setSql(sql);
        return q;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        m_db = new Database(this);
        m_db->setDatabaseName("dbMain");
        if (pg()) {
            if (qEnvironmentVariableIsEmpty("VORN_PG_HOST"))
                QSKIP("VORN_PG_* not set: no PostgreSQL cluster");
            const QString server = qEnvironmentVariable("VORN_PG_HOST") + ':' + qEnvironmentVariable("VORN_PG_PORT");
            m_pgName = "vorn_ds_" + QUuid::createUuid().toString(QUuid::Id128).left(12);
            Database admin;
            admin.setDriverName("POSTGRESQL");
            admin.params().setValue("SERVER NAME", server);
            admin.params().setValue("DATABASE NAME", "postgres");
            admin.params().setValue("USER NAME", qEnvironmentVariable("VORN_PG_USER"));
            admin.params().setValue("PASSWORD", qEnvironmentVariable("VORN_PG_PASSWORD"));
            admin.open();
            admin.execSql("CREATE DATABASE " + m_pgName);
            admin.close();
            m_db->setDriverName("POSTGRESQL");
            m_db->params() = admin.params();
            m_db->params().setValue("DATABASE NAME", m_pgName);
            m_db->params().setValue("APPLICATION NAME", "VORNTEST");
            m_db->params().setValue("HOST NAME", "WS-TEST");
        } else {
            m_db->setDriverName("SQLITE");
            m_db->params().setValue("DATABASE NAME", m_dir.filePath("data.db"));
        }
        m_db->open();
        const QString key = pg() ? "Id serial primary key" : "Id integer primary key";
        const QString money = pg() ? "numeric(12,2)" : "money";
        const QString real = pg() ? "double precision" : "real";
        exec("CREATE TABLE Grp (" + key + ", Name varchar(40) NOT NULL, Amount " + real + ", D date, Flag boolean, Price " + money + ")");
        exec("CREATE TABLE Item (" + key + ", IdGrp int NOT NULL, Title varchar(20))");
        exec("CREATE TABLE Person (" + key + ", Login varchar(20), FullName varchar(60))");
        exec("CREATE TABLE Doc (Id int primary key, Data " + QString(pg() ? "bytea" : "blob") + ")");
    }

    void cleanupTestCase()
    {
        if (!m_db || !m_db->isOpen())
            return;
        m_db->close();
        if (!m_pgName.isEmpty()) {
            Database admin;
            admin.setDriverName("POSTGRESQL");
            admin.params() = m_db->params();
            admin.params().setValue("DATABASE NAME", "postgres");
            admin.open();
            admin.execSql("DROP DATABASE " + m_pgName + " WITH (FORCE)");
        }
    }

    void init()
    {
        if (!m_db->isOpen())
            m_db->open();
        exec("DELETE FROM Item");
        exec("DELETE FROM Grp");
        exec("DELETE FROM Person");
        ParamList p;
        p.add(Param("Id", ftInteger));
        p.add(Param("Name", ftString));
        p.add(Param("Amount", ftFloat));
        p.add(Param("D", ftDate));
        p.add(Param("Flag", ftBoolean));
        const struct { int id; const char *name; QVariant amount; QDate d; bool flag; } rows[] = {
            {1, "Альфа", 10.5, QDate(2024, 1, 15), true},
            {2, "бета", QVariant(), QDate(2024, 2, 1), false},
            {3, "Гамма", 7.0, QDate(2023, 12, 31), true},
            {4, "O'Neil", 100.0, QDate(), false},
            {5, "альфа-2", 5.0, QDate(2024, 1, 15), false},
        };
        for (const auto &r : rows) {
            p.paramByName("Id").setAsInteger(r.id);
            p.paramByName("Name").setAsString(QString::fromUtf8(r.name));
            p.paramByName("Amount").setValue(r.amount);
            if (r.d.isValid()) p.paramByName("D").setAsDate(r.d); else p.paramByName("D").setNull();
            p.paramByName("Flag").setAsBoolean(r.flag);
            m_db->execSql("INSERT INTO Grp (Id, Name, Amount, D, Flag) VALUES (:Id, :Name, :Amount, :D, :Flag)", p);
        }
        exec("INSERT INTO Item (Id, IdGrp, Title) VALUES (1, 1, 'a1'), (2, 1, 'a2'), (3, 3, 'g1')");
        exec("INSERT INTO Person (Id, Login, FullName) VALUES (1, 'ivanov', 'Иванов И.И.'), (2, 'petrov', 'Петров П.П.')");
        if (pg())
            exec("SELECT setval('grp_id_seq', 5)");
    }

    void fieldsCarryTypeCodes()
    {
        auto q = query("select Id, Name, Amount, D, Flag, Price from Grp order by Id");
        q->open();
        QCOMPARE(q->fieldCount(), 6);
        QCOMPARE(q->fieldByName("id")->dataType(), ftInteger);
        QCOMPARE(q->fieldByName("Name")->dataType(), ftString);
        QCOMPARE(q->fieldByName("Amount")->dataType(), ftFloat);
        QCOMPARE(q->fieldByName("D")->dataType(), ftDate);
        QCOMPARE(q->fieldByName("Flag")->dataType(), ftBoolean);
        QVERIFY(fieldtype::isFloat(q->fieldByName("Price")->dataType()));
        QCOMPARE(q->fieldByName("Name")->size(), 40);
        QCOMPARE(q->fieldByName("Name")->displayLabel(), q->fieldByName("Name")->fieldName());
        if (!pg())  // QPSQL does not report the source table
            QCOMPARE(q->fieldByName("Name")->origin().toLower(), QString("grp.name"));
        QCOMPARE(q->fieldByName("Name")->asString(), QString("Альфа"));
        QCOMPARE(q->fieldByName("D")->asDate(), QDate(2024, 1, 15));
        QCOMPARE(q->fieldByName("D")->asString(), QString("15.01.2024"));
        QCOMPARE(q->fieldByName("Flag")->asBoolean(), true);
        QCOMPARE(q->fieldByName("Amount")->asFloat(), 10.5);
        QCOMPARE(q->fieldByName("Amount")->asString(), QString("10,5"));
        q->next();
        QVERIFY(q->fieldByName("Amount")->isNull());
        QVERIFY_THROWS_EXCEPTION(DataError, q->fieldByName("Nope"));
    }

    // Money and exact decimals show two places (more when the value has them) with the
    // locale's grouping; floats show as they are, or by their display format.
    void moneyDisplay_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        const QString nb = QLocale().groupSeparator();
        QTest::newRow("money tenths") << "Cur" << 948.6 << "" << "948,60";
        QTest::newRow("money whole") << "Cur" << 88.0 << "" << "88,00";
        QTest::newRow("money grouped") << "Cur" << 1234567.5 << "" << "1" + nb + "234" + nb + "567,50";
        QTest::newRow("money negative") << "Cur" << -1234.5 << "" << "-1" + nb + "234,50";
        QTest::newRow("money large") << "Cur" << 9876543210.01 << "" << "9" + nb + "876" + nb + "543" + nb + "210,01";
        QTest::newRow("decimal tenths") << "Dec" << 948.6 << "" << "948,60";
        QTest::newRow("decimal whole") << "Dec" << 88.0 << "" << "88,00";
        QTest::newRow("decimal third place kept") << "Qty" << 1330.272 << "" << "1" + nb + "330,272";
        QTest::newRow("decimal quantity whole") << "Qty" << 5.0 << "" << "5,00";
        QTest::newRow("float as it is") << "Flt" << 948.6 << "" << "948,6";
        QTest::newRow("float by its format") << "Flt" << 1330.272 << "#,##0.00" << "1" + nb + "330,27";
        QTest::newRow("float format half up") << "Flt" << 2.675 << "0.00" << "2,68";
        QTest::newRow("float format large") << "Flt" << 7000000000.0 << "0.00" << "7000000000,00";
    }
    void moneyDisplay()
    {
        QFETCH(QString, column);
        QFETCH(double, value);
        QFETCH(QString, format);
        QFETCH(QString, text);
        exec("DROP TABLE IF EXISTS Money");
        exec(QString("CREATE TABLE Money (Cur %1, Dec numeric(12,2), Qty numeric(12,3), Flt %2)")
                 .arg(pg() ? "numeric(14,2)" : "money", pg() ? "double precision" : "real"));
        ParamList p;
        p.add(Param("V", ftFloat)).setAsFloat(value);
        m_db->execSql("INSERT INTO Money (" + column + ") VALUES (:V)", p);
        auto q = query("select Cur, Dec, Qty, Flt from Money");
        q->open();
        Field *f = q->fieldByName(column);
        if (column == "Flt")
            QCOMPARE(f->dataType(), ftFloat);
        else
            QVERIFY2(f->dataType() == ftCurrency || f->dataType() == ftBCD, qPrintable(fieldtype::name(f->dataType())));
        f->setDisplayFormat(format);
        QCOMPARE(f->displayText(), text);
    }

    void navigation()
    {
        auto q = query("select Id from Grp order by Id");
        q->open();
        QCOMPARE(q->recordCount(), 5);
        QVERIFY(q->bof());
        QVERIFY(!q->eof());
        QCOMPARE(q->recNo(), 1);
        q->prior();
        QVERIFY(q->bof());
        QCOMPARE(q->moveBy(3), 3);
        QCOMPARE(q->recNo(), 4);
        QCOMPARE(q->moveBy(10), 1);
        QVERIFY(q->eof());
        QCOMPARE(q->fieldByName("Id")->asInteger(), 5);
        q->next();  // past the end: stays on the last row
        QVERIFY(q->eof());
        QCOMPARE(q->fieldByName("Id")->asInteger(), 5);
        QCOMPARE(q->moveBy(-10), -4);
        QVERIFY(q->bof());
        q->setRecNo(3);
        QCOMPARE(q->fieldByName("Id")->asInteger(), 3);
        const Dataset::Bookmark b = q->bookmark();
        q->last();
        QVERIFY(q->eof());
        q->gotoBookmark(b);
        QCOMPARE(q->fieldByName("Id")->asInteger(), 3);
        auto empty = query("select Id from Grp where Id < 0");
        empty->open();
        QVERIFY(empty->isEmpty());
        QVERIFY(empty->bof() && empty->eof());
        QCOMPARE(empty->recNo(), 0);
    }

    void locate_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QVariant>("values");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("expectedId");  // 0 = not found
        QTest::newRow("integer") << "Id" << QVariant(4) << 0 << 4;
        QTest::newRow("integer as text") << "Id" << QVariant("3") << 0 << 3;
        QTest::newRow("exact text") << "Name" << QVariant("Гамма") << 0 << 3;
        QTest::newRow("case differs") << "Name" << QVariant("гамма") << 0 << 0;
        QTest::newRow("case-insensitive") << "Name" << QVariant("гамма") << int(LocateCaseInsensitive) << 3;
        QTest::newRow("partial") << "Name" << QVariant("альф") << int(LocatePartialKey) << 5;
        QTest::newRow("partial insensitive") << "Name" << QVariant("альф") << int(LocatePartialKey | LocateCaseInsensitive) << 1;
        QTest::newRow("two fields") << "D;Flag" << QVariant(QVariantList{QDate(2024, 1, 15), false}) << 0 << 5;
        QTest::newRow("null") << "Amount" << QVariant() << 0 << 2;
        QTest::newRow("none") << "Id" << QVariant(99) << 0 << 0;
    }
    void locate()
    {
        QFETCH(QString, fields);
        QFETCH(QVariant, values);
        QFETCH(int, options);
        QFETCH(int, expectedId);
        auto q = query("select * from Grp order by Id");
        q->open();
        q->setRecNo(2);
        const bool found = q->locate(fields, values, LocateOptions(options));
        QCOMPARE(found, expectedId != 0);
        QCOMPARE(int(q->fieldByName("Id")->asInteger()), expectedId ? expectedId : 2);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("text equal") << "[Name] = 'Гамма'" << QList<int>{3};
        QTest::newRow("quote inside") << "[Name] = 'O''Neil'" << QList<int>{4};
        QTest::newRow("not equal") << "[Name] <> 'Гамма'" << QList<int>{1, 2, 4, 5};
        QTest::newRow("number greater") << "[Amount] > 7" << QList<int>{1, 4};
        QTest::newRow("number ge") << "[Amount] >= 7" << QList<int>{1, 3, 4};
        QTest::newRow("number le decimal") << "[Amount] <= 10.5" << QList<int>{1, 3, 5};
        QTest::newRow("decimal comma") << "[Amount] < 10,5" << QList<int>{3, 5};
        QTest::newRow("date and time") << "[D] >= '15.01.2024 0:00:00'" << QList<int>{1, 2, 5};
        QTest::newRow("is null") << "[Amount] IS NULL" << QList<int>{2};
        QTest::newRow("is not null") << "[D] IS NOT NULL" << QList<int>{1, 2, 3, 5};
        QTest::newRow("short date") << "[D] = '15.01.2024'" << QList<int>{1, 5};
        QTest::newRow("date before") << "[D] < '01.01.2024'" << QList<int>{3};
        QTest::newRow("and two lines") << "[D] = '15.01.2024'\nAND [Amount] > 6" << QList<int>{1};
        QTest::newRow("or") << "[Id] = 1 OR [Id] = 4" << QList<int>{1, 4};
        QTest::newRow("not parens") << "NOT ([Id] < 3 OR [Id] > 4)" << QList<int>{3, 4};
        QTest::newRow("precedence") << "[Id] = 1 OR [Id] = 2 AND [Amount] > 0" << QList<int>{1};
        QTest::newRow("boolean") << "[Flag] = 1" << QList<int>{1, 3};
        QTest::newRow("lower case keywords") << "[Id] > 3 and not [Id] = 5" << QList<int>{4};
    }
    void filter()
    {
        QFETCH(QString, expr);
        QFETCH(QList<int>, expected);
        auto q = query("select * from Grp order by Id");
        q->open();
        q->setFilter(expr);
        q->setFiltered(true);
        QCOMPARE(ids(*q), expected);
        QCOMPARE(q->recordCount(), expected.size());
        q->setFiltered(false);
        QCOMPARE(q->recordCount(), 5);
    }

    void filterErrors_data()
    {
        QTest::addColumn<QString>("expr");
        QTest::newRow("unknown field") << "[Nope] = 1";
        QTest::newRow("missing operand") << "[Id] = ";
        QTest::newRow("unclosed string") << "[Name] = 'abc";
        QTest::newRow("unbalanced") << "([Id] = 1";
        QTest::newRow("bad date") << "[D] = '35.13.2024'";
        QTest::newRow("trailing") << "[Id] = 1 2";
    }
    void filterErrors()
    {
        QFETCH(QString, expr);
        auto q = query("select * from Grp order by Id");
        q->open();
        q->setFilter(expr);
        try {
            q->setFiltered(true);
            QFAIL("no error");
        } catch (const DataError &e) {
            QVERIFY2(e.message().startsWith("Ошибка в выражении фильтра"), qPrintable(e.message()));
        }
        QVERIFY(!q->isFiltered());
        QCOMPARE(q->recordCount(), 5);  // the dataset is as before
    }

    void typedParams()
    {
        auto q = query("select Id from Grp where D = :D and Name <> :Name and Id > :Id order by Id");
        QCOMPARE(q->paramCount(), 3);
        q->paramByName("d").setAsDate(QDate(2024, 1, 15));
        q->paramByName("Name").setAsString("O'Neil");
        q->paramByName("Id").setAsInteger(1);
        q->open();
        QCOMPARE(ids(*q), QList<int>{5});
        q->close();
        q->paramByName("Id").setAsString("x1");
        q->paramByName("Id").setDataType(ftInteger);
        QVERIFY_THROWS_EXCEPTION(DataError, q->open());
        QVERIFY(!q->isActive());
        QVERIFY_THROWS_EXCEPTION(DataError, q->paramByName("Missing"));
    }

    void blobFromFile()
    {
        const QString path = m_dir.filePath("blob.bin");
        QByteArray bytes;
        for (int i = 0; i < 1000; ++i)
            bytes.append(char(i % 256));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        auto ins = query("insert into Doc (Id, Data) values (1, :Data)");
        ins->paramByName("Data").loadFromFile(path, ftBlob);
        ins->execSql();
        auto q = query("select Id, Data from Doc");
        q->open();
        QCOMPARE(q->fieldByName("Data")->dataType(), ftBlob);
        QVERIFY(q->fieldByName("Data")->isBlob());
        QCOMPARE(q->fieldByName("Data")->asBytes(), bytes);
        exec("DELETE FROM Doc");
        QVERIFY_THROWS_EXCEPTION(DataError, ins->paramByName("Data").loadFromFile(m_dir.filePath("absent.bin")));
    }

    void serverErrorText()
    {
        auto q = query("select * from NoSuchTable");
        try {
            q->open();
            QFAIL("no error");
        } catch (const DataError &e) {
            QVERIFY2(e.message().contains("nosuchtable", Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QVERIFY(!q->isActive());
        QVERIFY_THROWS_EXCEPTION(DataError, q->fieldByName("Id")->value());
        // the program goes on
        q->setSql("select count(*) as N from Grp");
        q->open();
        QCOMPARE(q->field(0)->asInteger(), 5);
    }

    void liveWriteBack()
    {
        auto q = query("select Id, Name, Amount from Grp order by Id");
        q->setRequestLive(true);
        q->open();
        QCOMPARE(q->updateTable(), QString("Grp"));
        q->locate("Id", 2);
        q->edit();
        q->fieldByName("Name")->setValue("Бета");
        QVERIFY(q->isModified());
        q->post();
        QCOMPARE(m_db->selectValue("select Name from Grp where Id = 2").toString(), QString("Бета"));
        q->append();
        q->fieldByName("Name")->setValue("Новая группа");
        q->post();
        const qint64 newId = q->fieldByName("Id")->asInteger();
        QCOMPARE(newId, 6);
        QCOMPARE(m_db->selectValue("select Name from Grp where Id = 6").toString(), QString("Новая группа"));
        q->locate("Id", 3);
        q->deleteRecord();
        QCOMPARE(m_db->selectValue("select count(*) from Grp where Id = 3").toInt(), 0);
        QCOMPARE(q->recordCount(), 5);
        // a failed post keeps the edit and carries the server's text
        q->append();
        q->fieldByName("Amount")->setValue(1.0);
        QVERIFY_THROWS_EXCEPTION(DataError, q->post());
        QCOMPARE(q->state(), DatasetState::Insert);
        q->cancel();
        QCOMPARE(q->recordCount(), 5);
        auto ro = query("select Id, Name from Grp");
        ro->open();
        QVERIFY_THROWS_EXCEPTION(DataError, ro->edit());
    }

    void editableList_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("startId");
        QTest::addColumn<int>("expectedId");
        QTest::addColumn<int>("expectedCount");
        QTest::newRow("modify stays") << "modify" << 3 << 3 << 5;
        QTest::newRow("insert goes to largest Id") << "insert" << 2 << 6 << 6;
        QTest::newRow("delete goes to following") << "delete" << 3 << 4 << 4;
        QTest::newRow("delete last goes to previous") << "delete" << 5 << 4 << 4;
    }
    void editableList()
    {
        QFETCH(QString, action);
        QFETCH(int, startId);
        QFETCH(int, expectedId);
        QFETCH(int, expectedCount);
        auto q = query("select Id, Name, Amount from Grp where Id > :MinId order by Id");
        q->paramByName("MinId").setAsInteger(0);
        q->setModifySql("update Grp set Name = :Name where Id = :OLD_Id");
        q->setInsertSql(pg() ? "insert into Grp (Name, Amount) values (:Name, :MinId)"
                             : "insert into Grp (Name, Amount) values (:Name, :MinId)");
        q->setDeleteSql("delete from Grp where Id = :Id");
        q->open();
        QVERIFY(q->locate("Id", startId));
        if (action == "modify") {
            q->edit();
            q->fieldByName("Name")->setValue("Изменено");
            q->post();
            QCOMPARE(m_db->selectValue("select Name from Grp where Id = 3").toString(), QString("Изменено"));
        } else if (action == "insert") {
            q->insert();
            q->fieldByName("Name")->setValue("Вставлено");
            q->post();
            QCOMPARE(q->fieldByName("Amount")->asFloat(), 0.0);  // from the SELECT's parameter
        } else {
            q->deleteRecord();
        }
        QCOMPARE(q->state(), DatasetState::Browse);
        QCOMPARE(int(q->fieldByName("Id")->asInteger()), expectedId);
        QCOMPARE(q->recordCount(), expectedCount);
    }

    void editableListErrors()
    {
        auto q = query("select Id, Name from Grp order by Id");
        q->setInsertSql("insert into Grp (Name) values (:Name)");
        q->open();
        try {
            q->edit();
            QFAIL("no error");
        } catch (const DataError &e) {
            QCOMPARE(e.message(), QString("ModifySQL не заполненно "));
        }
        // a statement that moves the row out of the list: the Id is not found again
        auto r = query("select Id, Name from Grp where Id < 5 order by Id");
        r->setModifySql("update Grp set Id = Id + 100 where Id = :OLD_Id");
        r->open();
        r->edit();
        r->fieldByName("Name")->setValue("x");
        try {
            r->post();
            QFAIL("no error");
        } catch (const DataError &e) {
            QCOMPARE(e.message(), QString("Record don't located!"));
        }
    }

    void masterDetail()
    {
        auto master = query("select Id, Name from Grp order by Id");
        auto detail = query("select Id, Title from Item where IdGrp = :Id order by Id");
        DataSource ds(master.get());
        detail->setMasterSource(&ds);
        master->open();
        detail->open();
        QCOMPARE(ids(*detail), (QList<int>{1, 2}));
        master->next();  // group 2: no items
        QVERIFY(detail->isEmpty());
        master->next();  // group 3
        QCOMPARE(ids(*detail), QList<int>{3});
        // a parameter given by the program is not taken from the master
        detail->close();
        detail->paramByName("Id").setAsInteger(1);
        detail->open();
        master->first();
        master->last();
        QCOMPARE(ids(*detail), (QList<int>{1, 2}));
        MemoryTable mem;
        QVERIFY(!mem.supportsMaster());
        QVERIFY(detail->supportsMaster());
    }

    void calculatedAndLookupFields()
    {
        auto persons = query("select Id, Login, FullName from Person");
        persons->open();
        auto q = query("select Id, Name, Amount from Grp order by Id");
        q->addCalculatedField("Enabled", ftBoolean);
        q->addLookupField("FullNameLookup", ftString, "Id", persons.get(), "Id", "FullName", 60);
        q->events.onCalcFields = [](Dataset *d) {
            d->fieldByName("Enabled")->setValue(!d->fieldByName("Amount")->isNull());
        };
        q->open();
        QCOMPARE(q->fieldByName("FullNameLookup")->fieldKind(), FieldKind::Lookup);
        QCOMPARE(q->fieldByName("FullNameLookup")->asString(), QString("Иванов И.И."));
        QCOMPARE(q->fieldByName("Enabled")->asBoolean(), true);
        q->next();
        QCOMPARE(q->fieldByName("FullNameLookup")->asString(), QString("Петров П.П."));
        QCOMPARE(q->fieldByName("Enabled")->asBoolean(), false);
        q->next();
        QVERIFY(q->fieldByName("FullNameLookup")->isNull());
        q->close();
        q->open();  // persistent fields survive a reopen
        QCOMPARE(q->fieldCount(), 5);
    }

    void eventsAndControls()
    {
        auto q = query("select Id from Grp order by Id");
        int scrolls = 0, opens = 0, signalsSeen = 0;
        q->events.afterScroll = [&](Dataset *) { ++scrolls; };
        q->events.afterOpen = [&](Dataset *) { ++opens; };
        connect(q.get(), &Dataset::currentChanged, this, [&] { ++signalsSeen; });
        q->open();
        q->next();
        q->next();
        QCOMPARE(opens, 1);
        QCOMPARE(scrolls, 3);
        const int before = signalsSeen;
        q->disableControls();
        q->first();
        q->last();
        QCOMPARE(signalsSeen, before);
        q->enableControls();
        QCOMPARE(signalsSeen, before + 1);
        q->events.beforeScroll = [](Dataset *) { throw DataError("stop"); };
        QVERIFY_THROWS_EXCEPTION(DataError, q->first());
        QCOMPARE(q->fieldByName("Id")->asInteger(), 5);
    }

    void transactions()
    {
        m_db->startTransaction();
        exec("DELETE FROM Item");
        m_db->rollback();
        QCOMPARE(m_db->selectValue("select count(*) from Item").toInt(), 3);
        m_db->startTransaction();
        exec("DELETE FROM Item WHERE Id = 3");
        m_db->commit();
        QCOMPARE(m_db->selectValue("select count(*) from Item").toInt(), 2);
    }

    void defaultConnection()
    {
        auto q = std::make_unique<Query>();  // no database name: the default connection
        q->setSql("select count(*) from Grp");
        q->open();
        QCOMPARE(q->field(0)->asInteger(), 5);
        m_db->close();
        try {
            Database::defaultDatabase();
            QFAIL("no error");
        } catch (const DataError &e) {
            QCOMPARE(e.message(), QString("Не удалось получить дефолтную коннекцию"));
        }
        QObject other;
        try {
            Database::asDatabase(&other);
            QFAIL("no error");
        } catch (const DataError &e) {
            QCOMPARE(e.message(), QString("This connection is not TDatabase"));
        }
        m_db->open();
    }

    void serverSeesProgramAndHost()
    {
        if (!pg())
            QSKIP("a server connection only");
        QCOMPARE(m_db->selectValue("select current_setting('application_name')").toString(), QString("VORNTEST"));
        QCOMPARE(m_db->selectValue("select current_setting('vorn.host')").toString(), QString("WS-TEST"));
    }

    void castsBesideParameters()
    {
        if (!pg())
            QSKIP("PostgreSQL casts");
        auto q = query("select :N::int + 1 as M, ':N'::text as T, '10:30'::time as Tm -- :Comment\n");
        QCOMPARE(q->paramCount(), 1);
        q->paramByName("N").setAsString("41");
        q->open();
        QCOMPARE(q->fieldByName("M")->asInteger(), 42);
        QCOMPARE(q->fieldByName("T")->asString(), QString(":N"));
        QCOMPARE(q->fieldByName("Tm")->dataType(), ftTime);
    }

    void lostConnection()
    {
        if (!pg())
            QSKIP("a server connection only");
        const qint64 pid = m_db->selectValue("select pg_backend_pid()").toLongLong();
        Database killer;
        killer.setDriverName("POSTGRESQL");
        killer.params() = m_db->params();
        killer.open();
        killer.execSql("select pg_terminate_backend(" + QString::number(pid) + ")");
        auto q = query("select * from Grp");
        QVERIFY_THROWS_EXCEPTION(DataError, q->open());
        QVERIFY(!q->isActive());
        m_db->close();
        m_db->open();
        q->open();
        QCOMPARE(q->recordCount(), 5);
    }

    void memoryTable()
    {
        MemoryTable t;
        t.setObjectName("usrPARAM");
        t.addFieldDef("ParName", ftString, 30);
        t.addFieldDef("Value", ftInteger);
        t.createTable();
        t.appendRecord({"A", 1});
        t.appendRecord({"B", "2"});
        t.append();
        t.fieldByName("ParName")->setValue("C");
        t.fieldByName("Value")->setValue(3);
        t.post();
        QCOMPARE(t.recordCount(), 3);
        QVERIFY(t.locate("ParName", "B"));
        QCOMPARE(t.fieldByName("Value")->asInteger(), 2);
        t.edit();
        QVERIFY_THROWS_EXCEPTION(DataError, t.fieldByName("Value")->setValue("два"));
        t.cancel();
        t.deleteRecord();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.fieldByName("ParName")->asString(), QString("C"));
        t.setFilter("[Value] < 3");
        t.setFiltered(true);
        QCOMPARE(t.recordCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
