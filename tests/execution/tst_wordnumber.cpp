// NumToRus as a table: number and options against the exact text, blanks included.
#include "execution/WordNumber.h"
#include "execution/unAddQRFnc.h"

#include <QtTest>

using Names = std::optional<QStringList>;
using vorn::report::ReportValue;
Q_DECLARE_METATYPE(Names)

class TestWordNumber : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numToRus_data();
    void numToRus();
    void tooLarge();
};

void TestWordNumber::numToRus_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("masculine");
    QTest::addColumn<int>("fracDigits");
    QTest::addColumn<Names>("intNames");
    QTest::addColumn<Names>("fracNames");
    QTest::addColumn<QString>("expected");

    const Names none;
    const Names rub = QStringList{"рублей", "рубль", "рубля"};
    const Names kop = QStringList{"копеек", "копейка", "копейки"};
    const Names pcs = QStringList{"штук", "штука", "штуки"};

    QTest::newRow("zero") << 0.0 << true << 2 << none << none << "ноль";
    QTest::newRow("zero roubles") << 0.0 << true << 2 << rub << none << "ноль рублей";
    QTest::newRow("21000 thousands feminine") << 21000.0 << true << 2 << none << none << "двадцать одна тысяча ";
    QTest::newRow("11000") << 11000.0 << true << 2 << none << none << "одиннадцать тысяч ";
    QTest::newRow("2000") << 2000.0 << true << 2 << none << none << "две тысячи ";
    QTest::newRow("4000") << 4000.0 << true << 2 << none << none << "четыре тысячи ";
    QTest::newRow("15000") << 15000.0 << true << 2 << none << none << "пятнадцать тысяч ";
    QTest::newRow("5e9") << 5e9 << true << 2 << none << none << "пять миллиардов ";
    QTest::newRow("1e6 empty thousands") << 1e6 << true << 2 << none << none << "один миллион ";
    QTest::newRow("3e6") << 3e6 << true << 2 << none << none << "три миллиона ";
    QTest::newRow("1e18") << 1e18 << true << 2 << none << none << "один квинтилион ";
    QTest::newRow("2e15") << 2e15 << true << 2 << none << none << "два квадрилиона ";
    QTest::newRow("7e12") << 7e12 << true << 2 << none << none << "семь триллионов ";
    QTest::newRow("1 feminine") << 1.0 << false << 2 << none << none << "одна ";
    QTest::newRow("2 feminine") << 2.0 << false << 2 << none << none << "две ";
    QTest::newRow("12 feminine") << 12.0 << false << 2 << none << none << "двенадцать ";
    QTest::newRow("millions stay masculine") << 1001001.0 << false << 2 << none << none
                                             << "один миллион одна тысяча одна ";
    QTest::newRow("110") << 110.0 << true << 2 << none << none << "сто десять ";
    QTest::newRow("112") << 112.0 << true << 2 << none << none << "сто двенадцать ";
    QTest::newRow("1010") << 1010.0 << true << 2 << none << none << "одна тысяча десять ";
    QTest::newRow("1011000") << 1011000.0 << true << 2 << none << none << "один миллион одиннадцать тысяч ";
    QTest::newRow("1002000000") << 1002000000.0 << true << 2 << none << none << "один миллиард два миллиона ";
    QTest::newRow("123456789") << 123456789.0 << true << 2 << none << none
                               << "сто двадцать три миллиона четыреста пятьдесят шесть тысяч "
                                  "семьсот восемьдесят девять ";
    QTest::newRow("11 roubles") << 11.0 << true << 2 << rub << none << "одиннадцать  рублей";
    QTest::newRow("12 roubles") << 12.0 << true << 2 << rub << none << "двенадцать  рублей";
    QTest::newRow("13 roubles") << 13.0 << true << 2 << rub << none << "тринадцать  рублей";
    QTest::newRow("14 roubles") << 14.0 << true << 2 << rub << none << "четырнадцать  рублей";
    QTest::newRow("21 rouble") << 21.0 << true << 2 << rub << none << "двадцать один  рубль";
    QTest::newRow("22 roubles") << 22.0 << true << 2 << rub << none << "двадцать два  рубля";
    QTest::newRow("1000 roubles") << 1000.0 << true << 2 << rub << none << "одна тысяча  рублей";
    QTest::newRow("22 pieces feminine") << 22.0 << false << 2 << pcs << none << "двадцать две  штуки";
    QTest::newRow("5.05 roubles kopecks") << 5.05 << true << 2 << rub << kop << "пять  рублей 05 копеек";
    QTest::newRow("1.01") << 1.01 << true << 2 << rub << kop << "один  рубль 01 копейка";
    QTest::newRow("1.11 fraction teen") << 1.11 << true << 2 << rub << kop << "один  рубль 11 копеек";
    QTest::newRow("2.23") << 2.23 << true << 2 << rub << kop << "два  рубля 23 копейки";
    QTest::newRow("12.999 no carry") << 12.999 << true << 2 << rub << kop << "двенадцать  рублей 00 копеек";
    QTest::newRow("half to even down") << 2.125 << true << 2 << rub << kop << "два  рубля 12 копеек";
    QTest::newRow("half to even up") << 2.375 << true << 2 << rub << kop << "два  рубля 38 копеек";
    QTest::newRow("one digit half") << 0.25 << true << 1 << rub << kop << "ноль рублей 2 копейки";
    QTest::newRow("one digit 1") << 3.1 << true << 1 << rub << kop << "три  рубля 1 копейка";
    QTest::newRow("three digits") << 5.05 << true << 3 << rub << kop << "пять  рублей 050 копеек";
    QTest::newRow("single name always") << 3.0 << true << 2 << Names(QStringList{"шт."}) << none << "три  шт.";
    QTest::newRow("single name one") << 1.0 << true << 2 << Names(QStringList{"шт."}) << none << "один  шт.";
    QTest::newRow("two names lowered") << 2.0 << true << 2 << Names(QStringList{"рублей", "рубль"}) << none
                                       << "два  рубль";
    QTest::newRow("empty name list") << 7.0 << true << 2 << Names(QStringList{}) << none << "семь ";
    QTest::newRow("fraction without int names") << 5.05 << true << 2 << none << kop << "пять  05 копеек";
    QTest::newRow("negative integer") << -21.0 << true << 2 << rub << none << "двадцать один  рубль";
    QTest::newRow("negative thousand") << -1000.0 << true << 2 << none << none << "одна тысяча ";
    QTest::newRow("negative hundred") << -100.0 << true << 2 << none << none << "сто ";
    QTest::newRow("negative fraction") << -21.5 << true << 2 << rub << kop << "двадцать один  рубль -50 копеек";
    QTest::newRow("negative fraction form") << -1.01 << true << 2 << rub << kop << "один  рубль -01 копеек";
    QTest::newRow("negative below one") << -0.5 << true << 2 << rub << kop << "ноль рублей -50 копеек";
    // ties as the value is written, not as it sits in binary (1.015 is 1.01499... there)
    QTest::newRow("decimal tie to even up") << 1.015 << true << 2 << rub << kop << "один  рубль 02 копейки";
    QTest::newRow("decimal tie 2.675") << 2.675 << true << 2 << rub << kop << "два  рубля 68 копеек";
    QTest::newRow("decimal tie to even stays") << 1.025 << true << 2 << rub << kop << "один  рубль 02 копейки";
    QTest::newRow("large amount keeps cents") << 12345678901.23 << true << 2 << none << kop
                                              << "двенадцать миллиардов триста сорок пять миллионов шестьсот "
                                                 "семьдесят восемь тысяч девятьсот один  23 копейки";
    QTest::newRow("past 64 bits") << 1e19 << true << 2 << none << none << "десять квинтилионов ";
    QTest::newRow("21 digits") << 2e20 << true << 2 << none << none << "двести квинтилионов ";
}

void TestWordNumber::numToRus()
{
    QFETCH(double, value);
    QFETCH(bool, masculine);
    QFETCH(int, fracDigits);
    QFETCH(Names, intNames);
    QFETCH(Names, fracNames);
    QFETCH(QString, expected);
    QCOMPARE(NumToRus(value, masculine, fracDigits, intNames, fracNames), expected);
}

// Past the largest scale word there are no words: a clear error, never a wrong text.
void TestWordNumber::tooLarge()
{
    QVERIFY_THROWS_EXCEPTION(std::range_error, NumToRus(1e21));
    QVERIFY_THROWS_EXCEPTION(std::range_error, NumToRus(-1e22));
    QVERIFY_THROWS_EXCEPTION(std::range_error, NumToRus(std::numeric_limits<double>::infinity()));
    const ReportValue v = NumToRusFunction({ReportValue(1e30)});
    QVERIFY(v.isError());
    QCOMPARE(v.errorMessage(), QStringLiteral("Число слишком велико для записи прописью"));
    QCOMPARE(NumToRusFunction({ReportValue(999999999999999999.0)}).type(), ReportValue::String);
}

QTEST_GUILESS_MAIN(TestWordNumber)
#include "tst_wordnumber.moc"
