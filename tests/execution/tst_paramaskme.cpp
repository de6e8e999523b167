// The parameter model without a database: macro scanning and substitution, remembered
// values round-tripping through a real settings file, display texts, Find.
#include "execution/ParamAskMe.h"
#include "execution/VornRunParams.h"
#include "platform/core/SettingsStore.h"

#include <QTemporaryDir>
#include <QtTest>

class TestParamAskMe : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void builtInValues_data();
    void builtInValues();
    void substitute_data();
    void substitute();
    void hostile_data();
    void hostile();
    void findUnknown();
    void remembered_data();
    void remembered();
    void rememberedKeyAndChangedId();
    void valueText_data();
    void valueText();
    void batchValueText_data();
    void batchValueText();
};

void TestParamAskMe::builtInValues_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("kind");
    QTest::newRow("text") << 0 << QVariant(QString()) << int(vkString);
    QTest::newRow("date") << 1 << QVariant(QDate::currentDate()) << int(vkDate);
    QTest::newRow("money") << 2 << QVariant(0.0) << int(vkCurrency);
    QTest::newRow("number") << 3 << QVariant(0.0) << int(vkFloat);
    QTest::newRow("integer") << 4 << QVariant(qint64(0)) << int(vkInteger);
    QTest::newRow("lookup") << 5 << QVariant() << int(vkNone);
    QTest::newRow("multi") << 6 << QVariant() << int(vkString);
    QTest::newRow("datetime") << 7 << QVariant(QDateTime(QDate::currentDate(), QTime(0, 0))) << int(vkDateTime);
    QTest::newRow("password") << 8 << QVariant(QString()) << int(vkString);
    QTest::newRow("unknown code") << 9 << QVariant() << int(vkNone);
}

void TestParamAskMe::builtInValues()
{
    QFETCH(int, type);
    QFETCH(QVariant, value);
    QFETCH(int, kind);
    TParamAskMeList list;
    TParamAskMe *p = list.Add(QStringLiteral("P"), QStringLiteral("Label"), type);
    QCOMPARE(p->Value, value);
    QCOMPARE(int(p->ValueKind), kind);
    QCOMPARE(bool(p->Lookup), type == 5 || type == 6);
}

// A list with one parameter of every interesting kind.
static void fillMacroList(TParamAskMeList &list)
{
    list.Add("A", "", ptText)->Value = QStringLiteral("x");
    list.Add("B", "", ptText)->Value = QStringLiteral("y");
    list.Add("N", "", ptInteger)->Value = qint64(42);
    list.Add("D", "", ptDate)->Value = QDate(2024, 3, 1);
    list.Add("F", "", ptNumber)->Value = 1.5;
    list.Add("UP", "", ptText)->Value = QStringLiteral("upper");
    list.Add("L", "", ptMultiLookup)->Value = QStringLiteral("1, 2, 3");
    TParamAskMe *k = list.Add("K", "", ptLookup);  // a column chosen from a lookup
    k->Value = QStringLiteral("Name");
    k->ValueKind = vkString;
}

void TestParamAskMe::substitute_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");  // "!" = raises the syntax error

    QTest::newRow("no macro") << "select 5 % 2" << "select 5 % 2";
    QTest::newRow("string") << "where a = '%%A%%'" << "where a = 'x'";
    QTest::newRow("back to back") << "select '%%A%%%%B%%'" << "select 'xy'";
    QTest::newRow("like wildcard") << "where n like '%%A%%%'" << "where n like 'x%'";
    QTest::newRow("integer") << "select top %%N%% *" << "select top 42 *";
    QTest::newRow("in list") << "where id in (%%L%%)" << "where id in (1, 2, 3)";
    QTest::newRow("date stays") << "where d = %%D%%" << "where d = %%D%%";
    QTest::newRow("float stays") << "where f = %%F%%" << "where f = %%F%%";
    QTest::newRow("unknown stays") << "where z = %%Zed%%" << "where z = %%Zed%%";
    QTest::newRow("text replaced ignoring case") << "%%K%% and %%k%%" << "Name and Name";
    QTest::newRow("lower case not looked up") << "where u = '%%up%%'" << "where u = '%%up%%'";
    QTest::newRow("every occurrence") << "%%K%%,%%K%%\n%%K%%" << "Name,Name\nName";
    QTest::newRow("leading blank") << "where a = %% A%%" << "!";
    QTest::newRow("trailing blank") << "where a = %%A %%" << "!";
    QTest::newRow("empty name") << "where a = %%%%" << "!";
    QTest::newRow("unclosed") << "where a = %%A" << "!";
    QTest::newRow("unclosed after good") << "%%A%% %%" << "!";
}

void TestParamAskMe::substitute()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    TParamAskMeList list;
    fillMacroList(list);
    if (expected == u"!") {
        try {
            SubstituteMacros(sql, list);
            QFAIL("no error raised");
        } catch (const EParamAskMe &e) {
            QCOMPARE(e.message(), QStringLiteral("Error of syntax of macro"));
        }
        return;
    }
    QCOMPARE(SubstituteMacros(sql, list), expected);
}

// What a user types stays data: each value is escaped for the region its macro stands
// in, free text outside quotes must be a number, a date or a list of literals, and a
// value that changes the statement's shape is refused.
void TestParamAskMe::hostile_data()
{
    QTest::addColumn<int>("quoting");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("type");       // of the parameter T (a lookup is read as a string)
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");  // "!" = refused
    const int lite = int(vorn::sqltext::Quoting::Sqlite), pg = int(vorn::sqltext::Quoting::PostgreSql),
              ms = int(vorn::sqltext::Quoting::MsSql);
    const QString where = "select * from t where n = '%%T%%'";
    QTest::newRow("literal closed by a value") << lite << where << int(ptText) << "x' OR 'a'='a"
                                               << "select * from t where n = 'x'' OR ''a''=''a'";
    QTest::newRow("apostrophe in a name") << lite << where << int(ptText) << "Чай 'Майский'"
                                          << "select * from t where n = 'Чай ''Майский'''";
    QTest::newRow("second statement in a literal") << pg << where << int(ptText) << "x'; delete from t; --"
                                                   << "select * from t where n = 'x''; delete from t; --'";
    QTest::newRow("lookup value in a literal") << ms << where << int(ptLookup) << "O'Brien"
                                               << "select * from t where n = 'O''Brien'";
    QTest::newRow("pg escape string") << pg << "where n = E'%%T%%'" << int(ptText) << "x\\' or 1=1 --"
                                      << "where n = E'x\\\\'' or 1=1 --'";
    QTest::newRow("pg dollar quote closed") << pg << "select $$%%T%%$$" << int(ptText) << "$$; drop table t; select $$" << "!";
    QTest::newRow("pg dollar quote kept") << pg << "select $$%%T%%$$" << int(ptText) << "it's $5" << "select $$it's $5$$";
    QTest::newRow("mssql bracket name") << ms << "select [%%T%%] from t" << int(ptText) << "a]; drop table t; --"
                                        << "select [a]]; drop table t; --] from t";
    QTest::newRow("sqlite bracket closed") << lite << "select [%%T%%] from t" << int(ptText) << "a]; drop table t" << "!";
    QTest::newRow("double-quoted name") << lite << "select \"%%T%%\" from t" << int(ptText) << "a\" from u; --"
                                        << "select \"a\"\" from u; --\" from t";
    QTest::newRow("line comment left") << lite << "select 1 -- %%T%%\nfrom t" << int(ptText) << "x\ndelete from t" << "!";
    QTest::newRow("block comment left") << pg << "/* %%T%% */ select 1" << int(ptText) << "*/ delete from t /*" << "!";
    QTest::newRow("free text as a condition") << lite << "where id = %%T%%" << int(ptText) << "0 or 1=1" << "!";
    QTest::newRow("free text adds a statement") << lite << "where id = %%T%%" << int(ptText) << "1; delete from t" << "!";
    QTest::newRow("password as code") << lite << "where p = %%T%%" << int(ptPassword) << "p or 1=1" << "!";
    QTest::newRow("number outside quotes") << lite << "where id = %%T%%" << int(ptText) << "-42.5" << "where id = -42.5";
    QTest::newRow("date outside quotes") << lite << "where d = '2025' or d = %%T%%" << int(ptText) << "01.02.2025"
                                         << "where d = '2025' or d = 01.02.2025";
    QTest::newRow("typed list of literals") << lite << "where n in (%%T%%)" << int(ptText) << "'a, b', 'it''s', 7"
                                            << "where n in ('a, b', 'it''s', 7)";
    QTest::newRow("one literal, in a list and in a pattern") << lite << "where c in (%%T%%) and d like '%%T%%%'" << int(ptText)
                                                              << "'value 1'" << "where c in ('value 1') and d like '''value 1''%'";
    QTest::newRow("list with a tail") << lite << "where n in (%%T%%)" << int(ptText) << "'a') or ('1'='1" << "!";
    QTest::newRow("lookup column list") << lite << "select %%T%% from t" << int(ptLookup) << "Code, Name"
                                        << "select Code, Name from t";
    QTest::newRow("lookup order by") << ms << "select * from t order by %%T%%" << int(ptLookup) << "2 desc"
                                     << "select * from t order by 2 desc";
    QTest::newRow("lookup adds a statement") << lite << "select * from t order by %%T%%" << int(ptLookup)
                                             << "1; delete from t" << "!";
    QTest::newRow("lookup opens a comment") << lite << "select %%T%% from t where secret = 0" << int(ptLookup)
                                            << "Name --" << "!";
    QTest::newRow("lookup opens a literal") << pg << "select %%T%% from t" << int(ptLookup) << "a'b" << "!";
    QTest::newRow("multi-select keys") << lite << "where id in (%%T%%)" << int(ptMultiLookup) << "1, 3" << "where id in (1, 3)";
    QTest::newRow("author's batch") << ms << "update t set a = 1;\nselect * from t where n = '%%T%%';" << int(ptText)
                                    << "a'b" << "update t set a = 1;\nselect * from t where n = 'a''b';";
}

void TestParamAskMe::hostile()
{
    QFETCH(int, quoting);
    QFETCH(QString, sql);
    QFETCH(int, type);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    TParamAskMeList list;
    TParamAskMe *t = list.Add("T", "", type);
    t->Value = value;
    t->ValueKind = vkString;
    try {
        const QString got = SubstituteMacros(sql, list, vorn::sqltext::Quoting(quoting));
        QCOMPARE(got, expected);
    } catch (const EParamAskMe &e) {
        QVERIFY2(expected == u"!", qPrintable(e.message()));
        QVERIFY2(e.message().startsWith(QStringLiteral("Значение параметра T ")), qPrintable(e.message()));
    }
}

void TestParamAskMe::findUnknown()
{
    TParamAskMeList list;
    list.Add("DateFrom", "С", ptDate);
    QVERIFY(list.Find("DateFrom"));
    try {
        list.Find("datefrom");
        QFAIL("no error raised");
    } catch (const EParamAskMeNotFound &e) {
        QCOMPARE(e.message(), QStringLiteral("Invalid Parametr (AskMeParam) : \"datefrom\""));
    }
}

void TestParamAskMe::remembered_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("stored");    // Value (KeyValue for 5 and 6)
    QTest::addColumn<QVariant>("readBack");  // what a fresh parameter reads; null = its built-in value
    const QDateTime stamp(QDate(2023, 12, 31), QTime(23, 59, 58));
    QTest::newRow("text") << 0 << QVariant("Иванов \"и\" ко\nвторая") << QVariant("Иванов \"и\" ко\nвторая");
    QTest::newRow("date") << 1 << QVariant(QDate(2020, 2, 29)) << QVariant(QDate(2020, 2, 29));
    QTest::newRow("money") << 2 << QVariant(1234567.89) << QVariant(1234567.89);
    QTest::newRow("number") << 3 << QVariant(0.1 + 0.2) << QVariant(0.1 + 0.2);
    QTest::newRow("integer") << 4 << QVariant(qint64(-9000000000LL)) << QVariant(qint64(-9000000000LL));
    QTest::newRow("lookup key") << 5 << QVariant("17") << QVariant("17");
    QTest::newRow("multi not read") << 6 << QVariant("1, 2") << QVariant();
    QTest::newRow("datetime") << 7 << QVariant(stamp) << QVariant(stamp);
    QTest::newRow("password never kept") << 8 << QVariant("secret") << QVariant();
}

void TestParamAskMe::remembered()
{
    QFETCH(int, type);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, readBack);
    QTemporaryDir dir;
    {
        vorn::SettingsStore store("VornGen", dir.path());
        TParamAskMe p("Par", "", type);
        p.Id = 7;
        p.IdTypDefVal = dvRemembered;
        if (type == 5 || type == 6) {
            p.Lookup = std::make_unique<TDBLookupAskMe>();
            p.Lookup->KeyValue = stored.toString();
        } else {
            p.Value = stored;
        }
        StoreRememberedValue(p, store);
    }
    vorn::SettingsStore store("VornGen", dir.path());  // read from the file afresh
    TParamAskMe q("Par", "", type);
    q.Id = 7;
    q.IdTypDefVal = dvRemembered;
    if (type == 5 || type == 6)
        q.Lookup = std::make_unique<TDBLookupAskMe>();
    const QVariant builtIn = q.Value;
    ReadRememberedValue(q, store);
    const QVariant got = (type == 5 || type == 6) ? QVariant(q.Lookup->KeyValue) : q.Value;
    if (readBack.isNull()) {
        QCOMPARE(got, (type == 5 || type == 6) ? QVariant(QString()) : builtIn);
    } else {
        QCOMPARE(got, readBack);
        QCOMPARE(got.typeId(), readBack.typeId());
    }
}

void TestParamAskMe::rememberedKeyAndChangedId()
{
    QTemporaryDir dir;
    vorn::SettingsStore store("VornGen", dir.path());
    TParamAskMe p("DateFrom", "", ptDate);
    p.Id = 15;
    p.IdTypDefVal = dvRemembered;
    p.Value = QDate(2001, 1, 1);
    StoreRememberedValue(p, store);
    QCOMPARE(store.valueNames("VORN_PARAMS_VALUE"), QStringList{"15DateFrom1"});

    TParamAskMe other("DateFrom", "", ptDate);  // re-created parameter: another Id
    other.Id = 16;
    ReadRememberedValue(other, store);
    QCOMPARE(other.Value, QVariant(QDate::currentDate()));

    TParamAskMe builtIn("Plain", "", ptText);  // default kind 0 writes nothing
    builtIn.Id = 3;
    builtIn.Value = QStringLiteral("v");
    StoreRememberedValue(builtIn, store);
    QCOMPARE(store.valueNames("VORN_PARAMS_VALUE").size(), 1);
}

void TestParamAskMe::valueText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("string") << int(vkString) << QVariant("abc") << "abc";
    QTest::newRow("date") << int(vkDate) << QVariant(QDate(2024, 3, 5)) << "05.03.2024";
    QTest::newRow("currency") << int(vkCurrency) << QVariant(1234567.891) << "1\u00A0234\u00A0567,89";
    QTest::newRow("currency small") << int(vkCurrency) << QVariant(0.5) << "0,50";
    QTest::newRow("float") << int(vkFloat) << QVariant(1234567.25) << "1234567,25";
    QTest::newRow("float integral") << int(vkFloat) << QVariant(3.0) << "3";
    QTest::newRow("float every digit") << int(vkFloat) << QVariant(1234567890123.456) << "1234567890123,456";
    QTest::newRow("float no exponent") << int(vkFloat) << QVariant(1e15) << "1000000000000000";
    QTest::newRow("float small") << int(vkFloat) << QVariant(0.00005) << "0,00005";
    QTest::newRow("currency decimal tie") << int(vkCurrency) << QVariant(2.675) << "2,68";
    QTest::newRow("currency large") << int(vkCurrency) << QVariant(7000000000.0) << "7\u00A0000\u00A0000\u00A0000,00";
    QTest::newRow("integer") << int(vkInteger) << QVariant(qint64(-12345)) << "-12345";
    QTest::newRow("datetime") << int(vkDateTime) << QVariant(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)))
                              << "05.03.2024 9:07:03";
    QTest::newRow("none") << int(vkNone) << QVariant(5) << "";
}

void TestParamAskMe::valueText()
{
    QFETCH(int, kind);
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    TParamAskMe p("P", "", ptText);
    p.ValueKind = quint8(kind);
    p.Value = value;
    QCOMPARE(ParamValueText(p), text);
}

// Values given as text to a batch run follow the prompt's rule: taken exactly or
// refused, never wrapped or cut.
void TestParamAskMe::batchValueText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");   // invalid: refused
    QTest::newRow("integer") << int(ptInteger) << "2147483647" << QVariant(qint64(2147483647));
    QTest::newRow("integer past 32 bits") << int(ptInteger) << "99999999999999" << QVariant();
    QTest::newRow("integer fraction") << int(ptInteger) << "12.5" << QVariant();
    QTest::newRow("money of 16 digits") << int(ptMoney) << "12345678901234.56" << QVariant(12345678901234.56);
    QTest::newRow("money decimal comma") << int(ptMoney) << "1234,5" << QVariant(1234.5);
    QTest::newRow("money of 17 digits") << int(ptMoney) << "922337203685477.58" << QVariant();
    QTest::newRow("number of 18 digits") << int(ptNumber) << "0.123456789012345678" << QVariant();
}

void TestParamAskMe::batchValueText()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QVariant, value);
    TParamAskMe p("P", "", type);
    QCOMPARE(RunSetParamText(p, text), value.isValid());
    if (value.isValid())
        QCOMPARE(p.Value, value);
}

QTEST_GUILESS_MAIN(TestParamAskMe)
#include "tst_paramaskme.moc"
