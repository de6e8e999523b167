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
