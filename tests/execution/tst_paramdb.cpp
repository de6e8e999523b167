// The parameter model against a real demo catalogue (SQLite file, or PostgreSQL when
// built as tst_paramdb_pg): loading lists, binding the demo's own queries and comparing
// with what literal SQL returns, default kinds, and the "usrPARAM" dataset.
#include "CatalogueFixture.h"
#include "execution/ParamAskMe.h"
#include "platform/core/SettingsStore.h"
#include "platform/data/DataError.h"
#include "platform/data/DataSource.h"
#include "platform/data/MemoryTable.h"
#include "platform/data/Query.h"

#include <QtTest>

#ifdef VORN_TEST_PG
constexpr CatalogueFixture::Kind kKind = CatalogueFixture::Postgres;
#else
constexpr CatalogueFixture::Kind kKind = CatalogueFixture::Sqlite;
#endif

class TestParamDb : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void loadLists_data();
    void loadLists();
    void binding_data();
    void binding();
    void defaultSql();
    void defaultRemembered();
    void paramDataSet();
    void hostileValues_data();
    void hostileValues();
    void usrParamKeepsBigKeys();

private:
    QStringList names(const TParamAskMeList &l)
    {
        QStringList out;
        for (int i = 0; i < l.Count(); ++i)
            out << l.Items(i)->ParName;
        return out;
    }
    CatalogueFixture fx;
};

void TestParamDb::initTestCase()
{
    const QString why = fx.create(kKind);
    if (why == u"skip")
        QSKIP("no PostgreSQL cluster (VORN_PG_HOST unset)");
    QVERIFY2(why.isEmpty(), qPrintable(why));
    // a report without any data source
    fx.db->execSql(QStringLiteral("insert into VornForm (Numm, Name, IdDestination, IdTypExec) values (99, 'Пустой', 0, 1)"));
}

void TestParamDb::loadLists_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("object");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("query") << "VornQuery" << "Продажи за период по регионам" << 3
                           << QStringList{"DateFrom", "DateTo", "Regions"};
    QTest::newRow("report: first source only") << "VornForm" << "Накладные клиента с составом" << 1
                                               << QStringList{"Client", "DateFrom", "DateTo"};
    QTest::newRow("report over a data module") << "VornForm" << "Остатки на складе" << 1 << QStringList{"Store"};
    QTest::newRow("data module") << "VornRemoteData" << "Остатки на складе" << 9 << QStringList{"Store"};
    QTest::newRow("report without sources") << "VornForm" << "Пустой" << 1 << QStringList{};
    QTest::newRow("query without parameters") << "VornQuery" << "Справочник клиентов" << 3 << QStringList{};
    QTest::newRow("other kind") << "VornQuery" << "Продажи за период по регионам" << 2 << QStringList{};
}

void TestParamDb::loadLists()
{
    QFETCH(QString, table);
    QFETCH(QString, object);
    QFETCH(int, kind);
    QFETCH(QStringList, expected);
    const int id = fx.idOf(table, object);
    QVERIFY(id > 0);
    TParamAskMeList list(fx.db.get(), id, kind);
    QCOMPARE(names(list), expected);
    if (expected.contains("Regions")) {
        const TParamAskMe *r = list.Find("Regions");
        QCOMPARE(int(r->IdParTyp), 6);
        QCOMPARE(r->Width, 300);
        QVERIFY(r->Lookup);
        QCOMPARE(r->Lookup->LookupField, QStringLiteral("Id"));
        QCOMPARE(r->Lookup->LookupDisplay, QStringLiteral("Name"));
        QCOMPARE(r->Lookup->SQL, QStringLiteral("SELECT Id, Name FROM Regions ORDER BY Name"));
        QCOMPARE(list.Find("DateFrom")->Value, QVariant(QDate::currentDate()));
        QCOMPARE(list.Find("DateFrom")->IdTypDefVal, 1);
        QVERIFY(list.Find("DateFrom")->Id > 0);
    }
}

void TestParamDb::binding_data()
{
    QTest::addColumn<QString>("query");        // the demo query's name
    QTest::addColumn<QVariantMap>("values");   // parameter values (a lookup's key as an integer)
    QTest::addColumn<QString>("check");        // the same question in literal SQL: a row count
    QTest::addColumn<bool>("allFound");
    QTest::addColumn<bool>("nonEmpty");        // the case is only meaningful with rows

    QTest::newRow("dates and region list macro")
        << "Продажи за период по регионам"
        << QVariantMap{{"DateFrom", QDate(2025, 1, 1)}, {"DateTo", QDate(2025, 6, 30)}, {"Regions", "1, 3"}}
        << "SELECT COUNT(*) FROM Invoices i JOIN Clients c ON c.Id = i.ClientId "
           "WHERE i.InvDate BETWEEN '2025-01-01' AND '2025-06-30' AND c.RegionId IN (1, 3)"
        << true << true;
    QTest::newRow("lookup key and dates")
        << "Накладные клиента"
        << QVariantMap{{"Client", qint64(27)}, {"DateFrom", QDate(2024, 1, 1)}, {"DateTo", QDate(2026, 12, 31)}}
        << "SELECT COUNT(*) FROM Invoices WHERE ClientId = 27 AND InvDate BETWEEN '2024-01-01' AND '2026-12-31'"
        << true << true;
    QTest::newRow("lookup without value binds null")
        << "Накладные клиента"
        << QVariantMap{{"Client", QVariant()}, {"DateFrom", QDate(2024, 1, 1)}, {"DateTo", QDate(2026, 12, 31)}}
        << "SELECT 0" << true << false;
    QTest::newRow("like prefix macro before a wildcard")
        << "Прайс-лист" << QVariantMap{{"GoodsGroup", "Бак"}}
        << "SELECT COUNT(*) FROM Goods WHERE GroupName LIKE 'Бак%'" << true << true;
    QTest::newRow("money integer float date-time")
        << "Крупные покупатели"
        << QVariantMap{{"MinTotal", 100000.0}, {"MinCount", qint64(2)}, {"Discount", 5.0},
                       {"SinceTime", QDateTime(QDate(2025, 1, 1), QTime(12, 0))}}
        << "SELECT COUNT(*) FROM (SELECT i.ClientId FROM Invoices i WHERE i.InvDate >= '2025-01-02' "
           "GROUP BY i.ClientId HAVING SUM(i.Total) >= 100000 AND COUNT(*) >= 2) x"
        << true << true;
    QTest::newRow("password right") << "Закупочные цены" << QVariantMap{{"Password", "закупка"}}
                                    << "SELECT COUNT(*) FROM Goods" << true << true;
    QTest::newRow("password wrong") << "Закупочные цены" << QVariantMap{{"Password", "закупк"}} << "SELECT 0"
                                    << true << false;
    QTest::newRow("detail: parameter from elsewhere")
        << "Строки накладной" << QVariantMap{}
        << "SELECT COUNT(*) FROM InvoiceLines WHERE InvoiceId = 1" << false << true;
    QTest::newRow("unpaid on date") << "Неоплаченные накладные" << QVariantMap{{"OnDate", QDate(2026, 12, 31)}}
                                    << "SELECT COUNT(*) FROM Invoices WHERE Paid = 0 AND InvDate <= '2026-12-31'"
                                    << true << true;
}

void TestParamDb::binding()
{
    QFETCH(QString, query);
    QFETCH(QVariantMap, values);
    QFETCH(QString, check);
    QFETCH(bool, allFound);
    QFETCH(bool, nonEmpty);

    const int id = fx.idOf("VornQuery", query);
    TParamAskMeList list(fx.db.get(), id, 3);
    for (auto it = values.begin(); it != values.end(); ++it) {
        TParamAskMe *p = list.Find(it.key());
        p->Value = it.value();
        if (p->IdParTyp == ptLookup)
            p->ValueKind = vkInteger;  // as reading the list box sets it
    }
    vorn::ParamList idp;
    idp.add(vorn::Param("Id")).setAsInteger(id);
    vorn::Query q;
    q.setDatabase(fx.db.get());
    q.setSql(fx.db->selectValue("select SQLtext from VornQuery where Id = :Id", idp).toString());
    if (q.params().findParam("Id"))
        q.paramByName("Id").setAsInteger(1);  // what a master row would give
    QCOMPARE(ApplyParamsToQuery(q, list), allFound);
    q.open();
    const int expected = fx.db->selectValue(check).toInt();
    QCOMPARE(q.recordCount(), expected);
    if (nonEmpty)
        QVERIFY2(expected > 0, "the case needs rows to mean anything");
}

void TestParamDb::defaultSql()
{
    TParamAskMeList list(fx.db.get(), fx.idOf("VornQuery", "Накладные клиента"), 3);
    TParamAskMe *client = list.Find("Client");
    client->Value = qint64(27);
    client->ValueKind = vkInteger;
    TParamAskMe *from = list.Find("DateFrom");
    QCOMPARE(from->IdTypDefVal, 2);
    LoadStartValue(*from, list);
    const QDate expected =
        CoerceToParamType(fx.db->selectValue("SELECT MIN(InvDate) FROM Invoices WHERE ClientId = 27"), ptDate).toDate();
    QVERIFY(expected.isValid());
    QCOMPARE(from->Value, QVariant(expected));

    // no row at all: a null starting value
    TParamAskMe *none = list.Add("None", "", ptText);
    none->IdTypDefVal = dvSql;
    none->DefSQL = "SELECT Name FROM Clients WHERE 1 = 0";
    LoadStartValue(*none, list);
    QVERIFY(none->Value.isNull());

    // a lookup takes the result as its key
    TParamAskMe *lk = list.Add("Lk", "", ptLookup);
    lk->IdTypDefVal = dvSql;
    lk->DefSQL = "SELECT MAX(Id) FROM Clients WHERE Id < %%Limit%%";
    list.Add("Limit", "", ptInteger)->Value = qint64(40);
    LoadStartValue(*lk, list);
    QCOMPARE(lk->Lookup->KeyValue, QStringLiteral("39"));
    QVERIFY(lk->Value.isNull());

    // an SQL error reaches the caller with the server's message
    none->DefSQL = "SELECT NoSuchColumn FROM Clients";
    QVERIFY_THROWS_EXCEPTION(vorn::DataError, LoadStartValue(*none, list));
}

void TestParamDb::defaultRemembered()
{
    QTemporaryDir dir;
    vorn::SettingsStore store("VornGen", dir.path());
    const int id = fx.idOf("VornQuery", "Накладные клиента");
    {
        TParamAskMeList list(fx.db.get(), id, 3, &store);
        TParamAskMe *client = list.Find("Client");
        client->Lookup->KeyValue = "31";
        StoreRememberedValue(*client, list);
    }
    TParamAskMeList list(fx.db.get(), id, 3, &store);
    TParamAskMe *client = list.Find("Client");
    QVERIFY(client->Lookup->KeyValue.isEmpty());
    LoadStartValue(*client, list);
    QCOMPARE(client->Lookup->KeyValue, QStringLiteral("31"));
}

void TestParamDb::paramDataSet()
{
    QObject owner;
    TParamAskMeList empty;
    FillParamDataSet(&owner, empty);
    QVERIFY(!owner.findChild<QObject *>("usrPARAM"));

    TParamAskMeList list;
    list.Add("Name", "", ptText)->Value = QStringLiteral("Иванов");
    list.Add("Day", "", ptDate)->Value = QDate(2025, 3, 8);
    list.Add("Sum", "", ptMoney)->Value = 12.5;
    list.Add("Cnt", "", ptInteger)->Value = qint64(7);
    TParamAskMe *client = list.Add("Client", "", ptLookup);
    client->Value = qint64(27);
    client->ValueKind = vkInteger;
    client->Lookup->DisplayText = QStringLiteral("ООО Ромашка");
    TParamAskMe *regions = list.Add("Regions", "", ptMultiLookup);
    regions->Value = QStringLiteral("1, 3");
    regions->Lookup->DisplayText = QStringLiteral("{..} Север, Юг");
    list.Add("Odd", "", ptLookup);  // key type unknown: no value field, only its text

    FillParamDataSet(&owner, list);
    auto *t = owner.findChild<vorn::MemoryTable *>("usrPARAM");
    QVERIFY(t);
    QVERIFY(t->isActive());
    QCOMPARE(t->recordCount(), 1);
    QCOMPARE(t->fieldNames(), (QStringList{"Name", "Day", "Sum", "Cnt", "Client", "Client_Display", "Regions",
                                           "Regions_Display", "Odd_Display"}));
    QCOMPARE(t->fieldByName("Name")->size(), 255);
    QCOMPARE(t->fieldByName("Day")->dataType(), vorn::ftDate);
    QCOMPARE(t->fieldByName("Sum")->dataType(), vorn::ftCurrency);
    QCOMPARE(t->fieldByName("Client")->dataType(), vorn::ftInteger);
    QCOMPARE(t->fieldByName("Client_Display")->size(), 255);
    QCOMPARE(t->fieldByName("Regions_Display")->size(), 2048);
    QCOMPARE(t->fieldByName("Day")->asDate(), QDate(2025, 3, 8));
    QCOMPARE(t->fieldByName("Cnt")->asInteger(), 7);
    QCOMPARE(t->fieldByName("Client_Display")->asString(), QStringLiteral("ООО Ромашка"));
    QCOMPARE(t->fieldByName("Regions")->asString(), QStringLiteral("1, 3"));
    auto *ds = owner.findChild<vorn::DataSource *>("dsusrPARAM");
    QVERIFY(ds);
    QCOMPARE(ds->dataset(), t);
    QCOMPARE(ds->tag(), -1);

    // refilled in place: same table, one row with the new values, no second source
    list.Find("Name")->Value = QStringLiteral("Петров");
    FillParamDataSet(&owner, list);
    QCOMPARE(owner.findChildren<vorn::MemoryTable *>().size(), 1);
    QCOMPARE(owner.findChildren<vorn::DataSource *>().size(), 1);
    QCOMPARE(t->recordCount(), 1);
    QCOMPARE(t->fieldByName("Name")->asString(), QStringLiteral("Петров"));
}

// Hostile values against the real server: literals stay literals, nothing typed runs
// as a statement, and a legitimate apostrophe works.
void TestParamDb::hostileValues_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("type");         // of the parameter T
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("check");    // the same question asked in literal SQL; "" = refused
    const QString byName = "SELECT COUNT(*) FROM Goods WHERE Name = '%%T%%'";
    QTest::newRow("apostrophe in a name") << byName << int(ptText) << "Чай 'Майский'"
                                          << "SELECT COUNT(*) FROM Goods WHERE Name = 'Чай ''Майский'''";
    QTest::newRow("literal closed, condition added") << byName << int(ptText) << "x' OR 'a' LIKE '"
                                                     << "SELECT 0";
    QTest::newRow("second statement in the literal") << byName << int(ptText) << "x'; DELETE FROM Goods; --"
                                                     << "SELECT 0";
    const QString byId = "SELECT COUNT(*) FROM Goods WHERE Id = %%T%%";
    QTest::newRow("second statement outside quotes") << byId << int(ptText) << "1; DELETE FROM Goods" << "";
    QTest::newRow("condition outside quotes") << byId << int(ptText) << "0 OR 1=1" << "";
    QTest::newRow("number outside quotes") << byId << int(ptText) << "1" << "SELECT COUNT(*) FROM Goods WHERE Id = 1";
    QTest::newRow("typed list of codes") << "SELECT COUNT(*) FROM Goods WHERE Code IN (%%T%%)" << int(ptText)
                                         << "'Т00001', 'Т00003'"
                                         << "SELECT COUNT(*) FROM Goods WHERE Code IN ('Т00001', 'Т00003')";
    QTest::newRow("lookup column list") << "SELECT COUNT(%%T%%) FROM Goods" << int(ptLookup) << "DISTINCT GroupName"
                                        << "SELECT COUNT(DISTINCT GroupName) FROM Goods";
    QTest::newRow("lookup value adding a statement") << "SELECT COUNT(*) FROM Goods ORDER BY %%T%%" << int(ptLookup)
                                                     << "1; DELETE FROM Goods" << "";
}

void TestParamDb::hostileValues()
{
    QFETCH(QString, sql);
    QFETCH(int, type);
    QFETCH(QString, value);
    QFETCH(QString, check);
    fx.db->execSql("DELETE FROM Goods WHERE Code = 'Т99999'");
    fx.db->execSql("INSERT INTO Goods (Id, Code, Name, Unit, Price, GroupName) "
                   "VALUES (99999, 'Т99999', 'Чай ''Майский''', 'шт', 95.5, 'Чай')");
    const int goods = fx.db->selectValue("SELECT COUNT(*) FROM Goods").toInt();
    TParamAskMeList list;
    list.SetDatabase(fx.db.get());
    TParamAskMe *t = list.Add("T", "", type);
    t->Value = value;
    t->ValueKind = vkString;
    vorn::Query q;
    q.setDatabase(fx.db.get());
    q.setSql(sql);
    QString refused;
    try {
        ApplyParamsToQuery(q, list);
        q.open();
    } catch (const EParamAskMe &e) {
        refused = e.message();
    }
    QCOMPARE(fx.db->selectValue("SELECT COUNT(*) FROM Goods").toInt(), goods);
    if (check.isEmpty()) {
        QVERIFY2(refused.startsWith("Значение параметра T "), qPrintable(refused));
        QVERIFY(!q.isActive());
        return;
    }
    QCOMPARE(refused, QString());
    QCOMPARE(q.field(0)->value().toInt(), fx.db->selectValue(check).toInt());
    if (value.contains("Майский"))
        QCOMPARE(q.field(0)->value().toInt(), 1);
}

// A list key past 32 bits (a bigint column) reaches the layout whole, and the
// integer field refuses what it cannot hold instead of keeping its low bits.
void TestParamDb::usrParamKeepsBigKeys()
{
    QObject owner;
    TParamAskMeList list;
    TParamAskMe *key = list.Add("Key", "", ptLookup);
    key->Value = qint64(99999999999999);
    key->ValueKind = vkInteger;
    list.Add("Cnt", "", ptInteger)->Value = qint64(-2147483647 - 1);
    FillParamDataSet(&owner, list);
    auto *t = owner.findChild<vorn::MemoryTable *>("usrPARAM");
    QVERIFY(t);
    QCOMPARE(t->fieldByName("Key")->asInteger(), qint64(99999999999999));
    QCOMPARE(t->fieldByName("Cnt")->dataType(), vorn::ftInteger);
    QCOMPARE(t->fieldByName("Cnt")->asInteger(), qint64(-2147483647 - 1));
    t->edit();
    QVERIFY_THROWS_EXCEPTION(vorn::DataError, t->fieldByName("Cnt")->setValue(qint64(99999999999999)));
    QVERIFY_THROWS_EXCEPTION(vorn::DataError, t->fieldByName("Cnt")->setValue(3e9));
    t->cancel();
}

QTEST_GUILESS_MAIN(TestParamDb)
#include "tst_paramdb.moc"
