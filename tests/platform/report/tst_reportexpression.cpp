// Expression language: operators, functions, formats, error results, and
// aggregates inside larger expressions, as tables of cases.
#include "ReportTestUtil.h"

#include <QLocale>
#include <QtTest>

using namespace vorn::report;
using namespace vorn::report::test;

namespace {

class MapContext : public ExpressionContext
{
public:
    QHash<QString, ReportValue> values;
    bool resolve(const QString &name, ReportValue *v) override
    {
        auto it = values.constFind(name.toLower());
        if (it == values.constEnd()) return false;
        *v = *it;
        return true;
    }
    ReportValue aggregate(int) override { return ReportValue::error(QStringLiteral("no aggregates")); }
    ReportValue pageNumber() override { return ReportValue(3); }
    ReportValue pageCount() override { return ReportValue(7); }
};

} // namespace

class TestReportExpression : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void evaluate_data();
    void evaluate();
    void formats_data();
    void formats();
    void exactFigures_data();
    void exactFigures();
    void integerLimits_data();
    void integerLimits();
    void everyNestingCounts_data();
    void everyNestingCounts();
    void programFunctions();
    void aggregates_data();
    void aggregates();
};

void TestReportExpression::evaluate_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("type");
    auto row = [](const char *name, const char *e, const char *t, const char *type) {
        QTest::newRow(name) << QString::fromUtf8(e) << QString::fromUtf8(t) << QString::fromLatin1(type);
    };
    row("precedence", "1 + 2 * 3", "7", "INTEGER");
    row("parentheses", "(1 + 2) * 3", "9", "INTEGER");
    row("division is float", "7 / 2", "3,5", "FLOAT");
    row("unary minus", "-2 * -3", "6", "INTEGER");
    row("string concat", "'Итого: ' + 5", "Итого: 5", "STRING");
    row("quote doubling", "'O''Brien'", "O'Brien", "STRING");
    row("comparison", "3 >= 2", "True", "BOOLEAN");
    row("string compare", "'abc' <> 'abd'", "True", "BOOLEAN");
    row("and or not", "not (1 = 1) or (2 > 1 and 'a' = 'a')", "True", "BOOLEAN");
    row("field", "Query1.Amount * 2", "21", "FLOAT");
    row("parameter", "usrPARAM.Name + '!'", "Иванов!", "STRING");
    row("IF true", "IF(Query1.Amount > 10, 'много', 'мало')", "много", "STRING");
    row("IF lazy", "IF(1 = 1, 'да', 1 / 0)", "да", "STRING");
    row("STR", "STR(12.25)", "12,25", "STRING");
    row("UPPER Cyrillic", "UPPER('привет')", "ПРИВЕТ", "STRING");
    row("LOWER", "LOWER('ПРИВЕТ')", "привет", "STRING");
    row("PRETTY", "PRETTY('иВАНОВ')", "Иванов", "STRING");
    row("COPY", "COPY('Генератор', 4, 3)", "ера", "STRING");
    row("COPY past end", "COPY('abc', 3, 10)", "c", "STRING");
    row("INT negative", "INT(-3.7)", "-3", "INTEGER");
    row("FRAC", "FRAC(3.25)", "0,25", "FLOAT");
    row("SQRT", "SQRT(16)", "4", "FLOAT");
    row("DIV", "DIV(17, 5)", "3", "INTEGER");
    row("TYPEOF", "TYPEOF('x') + TYPEOF(1) + TYPEOF(1.5)", "STRINGINTEGERFLOAT", "STRING");
    row("LENGTH Cyrillic", "LENGTH('отчёт')", "5", "INTEGER");
    row("TRIM", "'[' + TRIM('  a b  ') + ']'", "[a b]", "STRING");
    row("ROUND", "ROUND(2.675, 2)", "2,68", "FLOAT");
    row("ROUND integer", "ROUND(2.5)", "3", "INTEGER");
    row("ABS", "ABS(-4)", "4", "INTEGER");
    row("ISNULL null", "ISNULL(Query1.Empty)", "True", "BOOLEAN");
    row("ISNULL value", "ISNULL(Query1.Amount)", "False", "BOOLEAN");
    row("page number", "'Page ' + STR(PAGENUMBER) + ' of ' + STR(PAGECOUNT)", "Page 3 of 7", "STRING");
    row("date arithmetic", "FORMATDATETIME('dd.mm.yyyy', Query1.Day + 1)", "01.03.2024", "STRING");
    row("date genitive month", "FORMATDATETIME('d mmmm yyyy', Query1.Day)", "29 февраля 2024", "STRING");
    row("date month alone", "FORMATDATETIME('mmmm yyyy', Query1.Day)", "февраль 2024", "STRING");
    row("time minutes after hours", "FORMATDATETIME('hh:mm', Query1.Day + 0.5)", "12:00", "STRING");
    row("division by zero", "1 / 0", "Деление на ноль", "ERROR");
    row("error spreads", "'a' + (1 / 0) + 'b'", "Деление на ноль", "ERROR");
    row("wrong count", "UPPER('a', 'b')", "Неверное кол-во аргументов", "ERROR");
    row("IF wrong count", "IF(1, 2)", "Неверное кол-во аргументов", "ERROR");
    row("unknown name", "Query1.Nope", "Неизвестное имя Query1.Nope", "ERROR");
    row("syntax error", "1 +", "Ошибка в выражении \"1 +\": неожиданный конец выражения", "ERROR");
    row("unknown function", "FOO(1)", "Ошибка в выражении \"FOO(1)\": неизвестная функция FOO", "ERROR");
    QTest::newRow("deep nesting") << QString(100000, u'(') + u'1' << QStringLiteral("Ошибка в выражении \"((…") << "ERROR";
    QTest::newRow("deep unary") << QString(100000, u'-') + u'1' << QStringLiteral("Ошибка в выражении \"--…") << "ERROR";
    QTest::newRow("long chain") << u'1' + QStringLiteral("+1").repeated(60000) << QStringLiteral("Ошибка в выражении \"1+1…") << "ERROR";
    row("unclosed string", "'abc", "Ошибка в выражении \"'abc\": незакрытая строка", "ERROR");
    row("ROUND of a large integer", "ROUND(5000000000000)", "5000000000000", "INTEGER");
    row("ROUND large with cents", "ROUND(123456789012.34, 2)", "123456789012,34", "FLOAT");
    row("ROUND large half", "ROUND(1234567890.5)", "1234567891", "INTEGER");
    row("ROUND negative half away from zero", "ROUND(-2.5)", "-3", "INTEGER");
    row("ROUND to hundreds", "ROUND(123456789012345678, -2)", "123456789012345700", "INTEGER");
    row("FORMATNUMERIC large", "FORMATNUMERIC('0.00', 7000000000)", "7000000000,00", "STRING");
    row("FORMATNUMERIC 64-bit", "FORMATNUMERIC('#,##0', 9223372036854775807)",
        "9\u00a0223\u00a0372\u00a0036\u00a0854\u00a0775\u00a0807", "STRING");
}

void TestReportExpression::evaluate()
{
    QFETCH(QString, expression);
    QFETCH(QString, text);
    QFETCH(QString, type);
    MapContext ctx;
    ctx.values.insert(QStringLiteral("query1.amount"), ReportValue(10.5));
    ctx.values.insert(QStringLiteral("query1.empty"), ReportValue());
    ctx.values.insert(QStringLiteral("query1.day"), ReportValue(QDateTime(QDate(2024, 2, 29), QTime(0, 0))));
    ctx.values.insert(QStringLiteral("usrparam.name"), ReportValue(QStringLiteral("Иванов")));
    const Expression e = Expression::compile(expression, FunctionRegistry::standard());
    const ReportValue v = e.evaluate(ctx);
    if (text.endsWith(u'…'))
        QVERIFY2(v.toString().startsWith(text.chopped(1)), qPrintable(v.toString()));
    else
        QCOMPARE(v.toString(), text);
    QCOMPARE(v.typeName(), type);
}

void TestReportExpression::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const QString nb = QLocale().groupSeparator();
    QTest::newRow("thousands") << "#,##0.00" << 1234567.891 << (QStringLiteral("1") + nb + "234" + nb + "567,89");
    QTest::newRow("small") << "#,##0.00" << 5.0 << "5,00";
    QTest::newRow("negative") << "#,##0.00" << -1234.5 << (QStringLiteral("-1") + nb + "234,50");
    QTest::newRow("optional decimals") << "0.##" << 2.5 << "2,5";
    QTest::newRow("no integer digit") << "#.##" << 0.5 << ",5";
    QTest::newRow("leading zeros") << "000" << 7.0 << "007";
    QTest::newRow("literal suffix") << "0.0' руб.'" << 3.14 << "3,1 руб.";
    QTest::newRow("negative section") << "0.00;(0.00)" << -2.0 << "(2,00)";
    QTest::newRow("rounds half up") << "0" << 2.5 << "3";
    QTest::newRow("negative zero") << "0.0" << -0.01 << "0,0";
}

void TestReportExpression::formats()
{
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(formatNumber(format, value), text);
}

// Around every power of ten up to 10^15: a value written with at most 15 digits
// keeps each of them under "0.00" and "#,##0.00", in ROUND and in FORMATNUMERIC;
// ties go away from zero. Values are built from their decimal text, as data arrives.
void TestReportExpression::exactFigures_data()
{
    QTest::addColumn<QString>("value");       // C notation
    QTest::addColumn<QString>("plain");       // "0.00" in ru_RU
    QTest::addColumn<QString>("grouped");     // "#,##0.00" in ru_RU
    QTest::addColumn<QString>("round2");      // ROUND(value, 2) as text
    const QString nb = QLocale().groupSeparator();
    auto group = [&](const QString &ip) {
        QString g;
        for (int i = 0; i < ip.size(); ++i) {
            if (i > 0 && (ip.size() - i) % 3 == 0) g += nb;
            g += ip.at(i);
        }
        return g;
    };
    auto add = [&](const QString &ip, const QString &fp, const QString &fp2, const QString &roundFp) {
        for (const bool neg : {false, true}) {
            const QString sign = neg ? QStringLiteral("-") : QString();
            const QString v = sign + ip + (fp.isEmpty() ? QString() : u'.' + fp);
            QString r = sign + ip;
            if (!roundFp.isEmpty()) r += u',' + roundFp;
            QTest::newRow(qPrintable(v)) << v << (sign + ip + u',' + fp2) << (sign + group(ip) + u',' + fp2) << r;
        }
    };
    for (int k = 0; k <= 15; ++k) {
        const QString zeros(k, u'0');
        add(u'7' + zeros, QString(), QStringLiteral("00"), QString());
        if (k >= 1 && k <= 14)
            add(QString(k, u'9') + u'9', QString(), QStringLiteral("00"), QString());
        if (k <= 12) {
            add(u'1' + zeros, QStringLiteral("23"), QStringLiteral("23"), QStringLiteral("23"));
            add(QString(k + 1, u'9'), QStringLiteral("99"), QStringLiteral("99"), QStringLiteral("99"));
            add(u'1' + zeros, QStringLiteral("01"), QStringLiteral("01"), QStringLiteral("01"));
        }
        if (k <= 11)
            add(u'1' + zeros, QStringLiteral("125"), QStringLiteral("13"), QStringLiteral("13"));
        if (k <= 10)
            add(u'2' + zeros, QStringLiteral("675"), QStringLiteral("68"), QStringLiteral("68"));
    }
    // a half that carries through every integer digit
    QTest::newRow("999999999999.995") << "999999999999.995" << "1000000000000,00"
                                      << (QStringLiteral("1") + nb + "000" + nb + "000" + nb + "000" + nb + "000,00")
                                      << "1000000000000";
}

void TestReportExpression::exactFigures()
{
    QFETCH(QString, value);
    QFETCH(QString, plain);
    QFETCH(QString, grouped);
    QFETCH(QString, round2);
    bool ok = false;
    const double d = value.toDouble(&ok);
    QVERIFY(ok);
    QCOMPARE(formatNumber(QStringLiteral("0.00"), d), plain);
    QCOMPARE(formatNumber(QStringLiteral("#,##0.00"), d), grouped);
    MapContext ctx;
    ctx.values.insert(QStringLiteral("q.v"), ReportValue(d));
    const FunctionRegistry &f = FunctionRegistry::standard();
    QCOMPARE(Expression::compile(QStringLiteral("FORMATNUMERIC('0.00', Q.V)"), f).evaluate(ctx).toString(), plain);
    QCOMPARE(Expression::compile(QStringLiteral("ROUND(Q.V, 2)"), f).evaluate(ctx).toString(), round2);
}

// Integer arithmetic never wraps: past 64 bits it goes on in floating point, and
// functions give the true value or an error, never INT64_MIN or a crash.
void TestReportExpression::integerLimits_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("type");
    auto row = [](const char *name, const char *e, const char *t, const char *type) {
        QTest::newRow(name) << QString::fromUtf8(e) << QString::fromUtf8(t) << QString::fromLatin1(type);
    };
    row("add overflows to float", "9223372036854775807 + 1", "9223372036854776000", "FLOAT");
    row("sub overflows to float", "-9223372036854775807 - 10", "-9223372036854776000", "FLOAT");
    row("mul overflows to float", "4294967296 * 4294967296", "18446744073709552000", "FLOAT");
    row("mul in range stays exact", "3037000499 * 3037000499", "9223372030926249001", "INTEGER");
    row("negate the smallest", "-(-9223372036854775807 - 1)", "9223372036854776000", "FLOAT");
    row("compare exactly", "9007199254740993 > 9007199254740992", "True", "BOOLEAN");
    row("DIV by minus one", "DIV(-9223372036854775807 - 1, -1)", "9223372036854776000", "FLOAT");
    row("DIV in range", "DIV(-9223372036854775807, -1)", "9223372036854775807", "INTEGER");
    row("DIV of floats past the range", "DIV(1e20, 10)", "10000000000000000000", "FLOAT");
    row("DIV by zero", "DIV(5, 0.5)", "Деление на ноль", "ERROR");
    row("INT past the range", "INT(1e20)", "100000000000000000000", "FLOAT");
    row("INT of an integer", "INT(9223372036854775807)", "9223372036854775807", "INTEGER");
    row("ROUND past the range", "ROUND(1e20)", "100000000000000000000", "FLOAT");
    row("ROUND to tens past the range", "ROUND(9223372036854775807, -1)", "9223372036854776000", "FLOAT");
    row("ABS of the smallest", "ABS(-9223372036854775807 - 1)", "9223372036854776000", "FLOAT");
    row("date plus absurd days", "Q.Day + 1e15", "Дата вне допустимого диапазона (годы 1–9999)", "ERROR");
    row("date minus absurd days", "Q.Day - 9223372036854775807", "Дата вне допустимого диапазона (годы 1–9999)", "ERROR");
    row("date past year 9999", "Q.Day + 3000000", "Дата вне допустимого диапазона (годы 1–9999)", "ERROR");
    row("date in range", "FORMATDATETIME('dd.mm.yyyy', Q.Day + 365)", "28.02.2025", "STRING");
}

void TestReportExpression::integerLimits()
{
    QFETCH(QString, expression);
    QFETCH(QString, text);
    QFETCH(QString, type);
    MapContext ctx;
    ctx.values.insert(QStringLiteral("q.day"), ReportValue(QDateTime(QDate(2024, 2, 29), QTime(0, 0))));
    const ReportValue v = Expression::compile(expression, FunctionRegistry::standard()).evaluate(ctx);
    QCOMPARE(v.toString(), text);
    QCOMPARE(v.typeName(), type);
}

// Every kind of node counts towards the nesting bound, so no text can recurse the
// parser or the evaluator off the stack; shallow uses of each still work.
void TestReportExpression::everyNestingCounts_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<bool>("refused");
    const int n = 18000;
    QTest::newRow("not chain") << QStringLiteral("not ").repeated(n) + u'1' << true;
    QTest::newRow("minus chain") << QStringLiteral("- ").repeated(n) + u'1' << true;
    QTest::newRow("brackets") << QString(n, u'(') + u'1' + QString(n, u')') << true;
    QTest::newRow("function arguments") << QStringLiteral("ABS(").repeated(n) + u'1' + QString(n, u')') << true;
    QTest::newRow("IF arguments") << QStringLiteral("IF(1,").repeated(n) + u'1' + QStringLiteral(",0)").repeated(n) << true;
    QTest::newRow("aggregate arguments") << QStringLiteral("SUM(").repeated(n) + u'1' + QString(n, u')') << true;
    QTest::newRow("plus chain") << u'1' + QStringLiteral("+1").repeated(9000) << true;
    QTest::newRow("and chain") << u'1' + QStringLiteral(" and 1").repeated(9000) << true;
    QTest::newRow("not mixed with brackets") << QStringLiteral("not (").repeated(n / 2) + u'1' + QString(n / 2, u')') << true;
    QTest::newRow("some nots") << QStringLiteral("not ").repeated(50) + u'1' << false;
    QTest::newRow("some brackets") << QString(50, u'(') + u'1' + QString(50, u')') << false;
    QTest::newRow("a long sum") << u'1' + QStringLiteral("+1").repeated(500) << false;
}

void TestReportExpression::everyNestingCounts()
{
    QFETCH(QString, expression);
    QFETCH(bool, refused);
    const Expression e = Expression::compile(expression, FunctionRegistry::standard());
    QCOMPARE(!e.isValid(), refused);
    if (refused)
        QVERIFY2(e.errorMessage().endsWith(QStringLiteral("слишком глубокая вложенность")), qPrintable(e.errorMessage().right(80)));
    else {
        MapContext ctx;
        QVERIFY(!e.evaluate(ctx).isError());
    }
}

void TestReportExpression::programFunctions()
{
    FunctionRegistry r = FunctionRegistry::standard();
    r.add(QStringLiteral("NUMTORUS"), QStringLiteral("NUMTORUS(<X>)| Пропись числа"), QStringLiteral("7N"),
          [](const QList<ReportValue> &a) {
              if (a.size() != 1) return ReportValue::error(FunctionRegistry::wrongArgumentCount());
              return ReportValue(a[0].toInteger() == 2 ? QStringLiteral("два") : QStringLiteral("?"));
          });
    r.add(QStringLiteral("USERFIO"), QStringLiteral("USERFIO| Фамилия, имя , отчество пользователя"), QStringLiteral("7"),
          [](const QList<ReportValue> &a) {
              return a.isEmpty() ? ReportValue(QStringLiteral("Петров П. П.")) : ReportValue::error(FunctionRegistry::wrongArgumentCount());
          });
    QCOMPARE(r.signature(QStringLiteral("numtorus")).arguments, QStringLiteral("7N"));
    QCOMPARE(r.signature(QStringLiteral("USERFIO")).description, QStringLiteral("USERFIO| Фамилия, имя , отчество пользователя"));
    QVERIFY(!FunctionRegistry::standard().contains(QStringLiteral("NUMTORUS")));
    MapContext ctx;
    QCOMPARE(Expression::compile(QStringLiteral("UPPER(NUMTORUS(1 + 1)) + ' ' + USERFIO"), r).evaluate(ctx).toString(),
             QStringLiteral("ДВА Петров П. П."));
    QCOMPARE(Expression::compile(QStringLiteral("NUMTORUS(1, 2, 3, 4, 5, 6)"), r).evaluate(ctx).toString(),
             QStringLiteral("Неверное кол-во аргументов"));
    QCOMPARE(Expression::compile(QStringLiteral("USERFIO(1)"), r).evaluate(ctx).toString(),
             QStringLiteral("Неверное кол-во аргументов"));
}

void TestReportExpression::aggregates_data()
{
    // rows: (grp, x) = (A,1) (A,2) (B,3) (B,,) (B,5); the expression sits in the group footer
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QStringList>("footers");
    QTest::newRow("sum per group") << "SUM(T.x)" << QStringList{"3", "8"};
    QTest::newRow("inside larger expression") << "5 * SUM(T.x) + 1" << QStringList{"16", "41"};
    QTest::newRow("two aggregates") << "SUM(T.x) / COUNT()" << QStringList{"1,5", "2,6666666666666665"};
    QTest::newRow("count skips null") << "COUNT(T.x)" << QStringList{"2", "2"};
    QTest::newRow("average skips null") << "AVERAGE(T.x)" << QStringList{"1,5", "4"};
    QTest::newRow("min max") << "STR(MIN(T.x)) + '-' + STR(MAX(T.x))" << QStringList{"1-2", "3-5"};
    QTest::newRow("report scope") << "SUM(T.x, report)" << QStringList{"3", "11"};
    QTest::newRow("aggregate of expression") << "SUM(IF(T.x > 1, T.x * 10, 0))" << QStringList{"20", "80"};
    // two rows of 2^62 each: the sum passes 64 bits and goes on in floating point
    QTest::newRow("sum past 64 bits") << "SUM(T.x * 0 + 4611686018427387904)"
                                      << QStringList{"9223372036854776000", "9223372036854776000"};
}

void TestReportExpression::aggregates()
{
    QFETCH(QString, expression);
    QFETCH(QStringList, footers);
    ReportLayout l;
    auto &gh = l.addBand(BandType::GroupHeader, QStringLiteral("gh"), 5);
    gh.groupExpression = QStringLiteral("T.grp");
    l.addBand(BandType::Detail, QStringLiteral("detail"), 5).dataSet = QStringLiteral("T");
    auto &gf = l.addBand(BandType::GroupFooter, QStringLiteral("gf"), 5);
    gf.groupHeader = QStringLiteral("gh");
    gf.items.append(expr(QStringLiteral("total"), 0, 0, expression));
    ReportEngine engine;
    engine.setLayout(l);
    engine.addDataSet(table(QStringLiteral("T"), {QStringLiteral("grp"), QStringLiteral("x")},
                            {{"A", 1}, {"A", 2}, {"B", 3}, {"B", QVariant()}, {"B", 5}}));
    ReportPages pages;
    QVERIFY2(engine.run(&pages), qPrintable(engine.errorString()));
    QCOMPARE(pages.pageCount(), 1);
    QCOMPARE(pages.bandTexts(0, QStringLiteral("gf")), footers);
}

QTEST_MAIN(TestReportExpression)
#include "tst_reportexpression.moc"
