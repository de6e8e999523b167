// NUMTORUS takes 1, 2, 3, 4, 5 or 9 arguments; when any of them has the wrong type
// all of them are dropped and the defaults apply. USERFIO never fails: "????"
// stands for a full name that cannot be had.
#include "execution/unAddQRFnc.h"

#include "database/dmdVorn.h"
#include "execution/WordNumber.h"

#include <stdexcept>

using vorn::report::FunctionRegistry;
using vorn::report::ReportValue;

namespace {

constexpr int kMaxResult = 255;

bool argumentsTyped(const QList<ReportValue> &a)
{
    for (int i = 0; i < a.size(); ++i) {
        const ReportValue::Type t = a[i].type();
        switch (i) {
        case 0: if (t != ReportValue::Integer && t != ReportValue::Float) return false; break;
        case 2: if (t != ReportValue::Boolean) return false; break;
        case 4: if (t != ReportValue::Integer) return false; break;
        default: if (t != ReportValue::String) return false; break;
        }
    }
    return true;
}

} // namespace

ReportValue NumToRusFunction(const QList<ReportValue> &a)
{
    const int n = int(a.size());
    if (n < 1 || (n > 5 && n != 9))
        return ReportValue::error(FunctionRegistry::wrongArgumentCount());
    long double value = 0;
    bool rod = true;
    int fracAcc = 2;
    std::optional<QStringList> intNames, fracNames;
    if (argumentsTyped(a)) {
        value = a[0].type() == ReportValue::Integer ? (long double)a[0].toInteger() : (long double)a[0].toDouble();
        if (n >= 2)
            intNames = n == 9 ? QStringList{a[1].toString(), a[5].toString(), a[6].toString()} : QStringList{a[1].toString()};
        if (n >= 3)
            rod = a[2].toBool();
        if (n >= 4)
            fracNames = n == 9 ? QStringList{a[3].toString(), a[7].toString(), a[8].toString()} : QStringList{a[3].toString()};
        if (n == 5 || n == 9)
            fracAcc = int(a[4].toInteger());
    }
    try {
        return ReportValue(NumToRus(value, rod, fracAcc, intNames, fracNames).left(kMaxResult));
    } catch (const std::range_error &e) {
        return ReportValue::error(QString::fromUtf8(e.what()));
    }
}

ReportValue UserFioFunction(const QList<ReportValue> &a)
{
    if (!a.isEmpty())
        return ReportValue::error(FunctionRegistry::wrongArgumentCount());
    try {
        if (TdmVorn *dm = dmVorn())
            return ReportValue(dm->UserFullName().left(kMaxResult));
    } catch (...) {
    }
    return ReportValue(QStringLiteral("????"));
}

void RegisterReportFunctions(FunctionRegistry &r)
{
    r.add(QStringLiteral("NUMTORUS"),
          QStringLiteral("NUMTORUS(<X>)| Пропись числа NumToRus(fVal[,sIntName0[,bRod,[sFracName0[,iFracAcc  "
                         "[,sIntName1, sIntName2, sFracName1, sFracName2]]]]]"),
          QStringLiteral("7N"), NumToRusFunction);
    r.add(QStringLiteral("USERFIO"), QStringLiteral("USERFIO| Фамилия, имя , отчество пользователя"), QStringLiteral("7"),
          UserFioFunction);
}

const FunctionRegistry &ReportFunctions()
{
    static const FunctionRegistry r = [] {
        FunctionRegistry f = FunctionRegistry::standard();
        RegisterReportFunctions(f);
        return f;
    }();
    return r;
}
