// Timings of the parameter machinery a report run goes through: number in words,
// macro substitution on a long statement, and filling the usrPARAM dataset.
#include "execution/ParamAskMe.h"
#include "execution/WordNumber.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <cstdio>

template <class F>
static void measure(const char *what, int n, F f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i)
        f(i);
    const double us = double(t.nsecsElapsed()) / 1000.0 / n;
    std::printf("%-44s %10.2f us/op  (%d ops)\n", what, us, n);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList rub{"рублей", "рубль", "рубля"}, kop{"копеек", "копейка", "копейки"};
    volatile qsizetype sink = 0;
    measure("NumToRus(123456789.45, roubles, kopecks)", 200000,
            [&](int i) { sink = sink + NumToRus(123456789.45 + i, true, 2, rub, kop).size(); });

    TParamAskMeList list;
    for (int i = 0; i < 50; ++i)
        list.Add(QStringLiteral("P%1").arg(i), QString(), i % 2 ? ptText : ptInteger)->Value =
            i % 2 ? QVariant(QStringLiteral("'value %1'").arg(i)) : QVariant(qint64(i));  // a list item outside quotes
    QString sql = QStringLiteral("select * from T where 1 = 1");
    for (int i = 0; i < 50; ++i)
        sql += QStringLiteral("\n and C%1 in (%%P%1%%) and D%1 like '%%P%1%%%'").arg(i);
    measure("SubstituteMacros (100 macros, 50 names)", 5000,
            [&](int) { sink = sink + SubstituteMacros(sql, list).size(); });

    QObject owner;
    measure("FillParamDataSet (50 parameters, refill)", 5000, [&](int) { FillParamDataSet(&owner, list); });
    return int(sink & 0);
}
