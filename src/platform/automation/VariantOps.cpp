// VBScript operator semantics on variants: result subtypes with overflow promotion,
// Null propagation, string/number coercion and the comparison rules.
#include "platform/automation/VariantOps.h"
#include "platform/automation/AutomationError.h"
#include "platform/automation/Dispatch.h"
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace vorn {

static thread_local QLocale *t_locale = nullptr;

const QLocale &scriptLocale()
{
    if (!t_locale) t_locale = new QLocale();   // the host's default locale
    return *t_locale;
}

void setScriptLocale(const QLocale &locale)
{
    if (!t_locale) t_locale = new QLocale(locale);
    else *t_locale = locale;
}

void checkScriptStringLength(qint64 length)
{
    if (length > kMaxScriptStringLength)
        throw AutomationError(7);
}

double roundHalfEven(double d)
{
    double r = std::nearbyint(d);   // default rounding mode: to nearest, ties to even
    return r;
}

QString formatDouble(double d, int significant)
{
    if (d == 0) return QStringLiteral("0");
    QString s;
    double a = std::fabs(d);
    if (significant > 15) {
        // currency: four decimals at most, trailing zeros dropped
        s = QString::number(d, 'f', 4);
        while (s.endsWith(QLatin1Char('0'))) s.chop(1);
        if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    } else if (a >= 1e15 || a < 1e-15) {
        s = QString::number(d, 'E', significant - 1);
        // mantissa without trailing zeros, exponent with its sign and at least two digits
        int e = int(s.indexOf(QLatin1Char('E')));
        QString mant = s.left(e), ex = s.mid(e + 1);
        if (mant.contains(QLatin1Char('.'))) {
            while (mant.endsWith(QLatin1Char('0'))) mant.chop(1);
            if (mant.endsWith(QLatin1Char('.'))) mant.chop(1);
        }
        QChar sign = ex.at(0);
        ex = ex.mid(1);
        while (ex.size() > 2 && ex.startsWith(QLatin1Char('0'))) ex.remove(0, 1);
        s = mant + QLatin1Char('E') + sign + ex;
    } else {
        s = QString::number(d, 'g', significant);
        if (s.contains(QLatin1Char('e'))) {
            // 'g' chose an exponent for a number VBScript writes out in full
            int digitsBefore = a >= 1 ? int(std::floor(std::log10(a))) + 1 : 0;
            s = QString::number(d, 'f', std::max(0, significant - digitsBefore));
            if (s.contains(QLatin1Char('.'))) {
                while (s.endsWith(QLatin1Char('0'))) s.chop(1);
                if (s.endsWith(QLatin1Char('.'))) s.chop(1);
            }
        }
    }
    QString dp = scriptLocale().decimalPoint();
    if (dp != QLatin1String(".")) s.replace(QLatin1Char('.'), dp);
    return s;
}

static QString shortDateFormat(const QLocale &l)
{
    QString f = l.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy"))) f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

static bool twelveHour(const QLocale &l)
{
    QString f = l.timeFormat(QLocale::ShortFormat);
    return f.contains(QLatin1String("AP"), Qt::CaseInsensitive);
}

QString formatDate(double d)
{
    const QLocale &l = scriptLocale();
    int y, m, dd, hh, mi, ss;
    automationdate::toParts(d, &y, &m, &dd, &hh, &mi, &ss);
    double whole = std::trunc(d);
    bool hasTime = std::fabs(d - whole) > 0 && (hh || mi || ss);
    QString out;
    if (whole != 0 || !hasTime) out = l.toString(QDate(y, m, dd), shortDateFormat(l));
    if (hasTime) {
        QTime t(hh, mi, ss);
        QString ts = twelveHour(l) ? t.toString(QStringLiteral("h:mm:ss AP")) : t.toString(QStringLiteral("H:mm:ss"));
        out = out.isEmpty() ? ts : out + QLatin1Char(' ') + ts;
    }
    return out;
}

bool parseNumber(const QString &text, double *out)
{
    QString s = text.trimmed();
    if (s.isEmpty()) return false;
    if (s.startsWith(QLatin1Char('&')) && s.size() > 2) {
        QChar k = s.at(1).toUpper();
        bool ok = false;
        qlonglong v = 0;
        if (k == QLatin1Char('H')) v = s.mid(2).toLongLong(&ok, 16);
        else if (k == QLatin1Char('O')) v = s.mid(2).toLongLong(&ok, 8);
        if (!ok) return false;
        if (v <= 0xFFFF && v > 0x7FFF && s.size() <= 6) v -= 0x10000;      // &HFFFF is -1
        else if (v <= 0xFFFFFFFFLL && v > 0x7FFFFFFF) v -= 0x100000000LL;
        *out = double(v);
        return true;
    }
    const QLocale &l = scriptLocale();
    QString dp = l.decimalPoint();
    QString norm = s;
    if (dp != QLatin1String(".")) {
        if (norm.contains(QLatin1Char('.'))) return false;
        norm.replace(dp, QLatin1String("."));
    }
    // group separators are accepted between digits as the locale writes them
    QString gs = l.groupSeparator();
    if (!gs.isEmpty() && gs != dp) norm.remove(gs);
    if (gs == QString(QChar(0xA0))) norm.remove(QLatin1Char(' '));
    bool ok = false;
    double d = norm.toDouble(&ok);   // C locale: digits, one '.', exponent, sign
    if (!ok) {
        // "1." and ".5" and a leading '+' are numbers too
        if (norm.startsWith(QLatin1Char('+'))) d = norm.mid(1).toDouble(&ok);
        if (!ok) return false;
    }
    if (std::isnan(d) || std::isinf(d)) return false;
    *out = d;
    return true;
}

bool parseDate(const QString &text, double *out)
{
    QString s = text.trimmed();
    if (s.isEmpty()) return false;
    const QLocale &l = scriptLocale();
    QString datePart = s, timePart;
    // split "date time"
    int colon = int(s.indexOf(QLatin1Char(':')));
    if (colon >= 0) {
        int sp = int(s.lastIndexOf(QLatin1Char(' '), colon));
        if (sp >= 0) { datePart = s.left(sp).trimmed(); timePart = s.mid(sp + 1).trimmed(); }
        else { datePart.clear(); timePart = s; }
    }
    double result = 0;
    if (!datePart.isEmpty()) {
        QStringList parts = datePart.split(QRegularExpression(QStringLiteral("[./\\- ]+")), Qt::SkipEmptyParts);
        if (parts.size() < 2 || parts.size() > 3) {
            QDate d = l.toDate(datePart, QLocale::LongFormat);
            if (!d.isValid()) return false;
            result = automationdate::fromParts(d.year(), d.month(), d.day());
        } else {
            int n[3] = {0, 0, 0};
            for (int i = 0; i < parts.size(); ++i) {
                bool ok;
                n[i] = parts[i].toInt(&ok);
                if (!ok) {
                    // month names
                    int mon = 0;
                    for (int k = 1; k <= 12 && !mon; ++k)
                        if (l.monthName(k, QLocale::LongFormat).compare(parts[i], Qt::CaseInsensitive) == 0
                            || l.monthName(k, QLocale::ShortFormat).compare(parts[i], Qt::CaseInsensitive) == 0
                            || l.standaloneMonthName(k).compare(parts[i], Qt::CaseInsensitive) == 0)
                            mon = k;
                    if (!mon) return false;
                    n[i] = -mon;
                }
            }
            int y, m, d;
            QString fmt = shortDateFormat(l);
            int pd = int(fmt.indexOf(QLatin1Char('d'))), pm = int(fmt.indexOf(QLatin1Char('M'))), py = int(fmt.indexOf(QLatin1Char('y')));
            int order[3];   // which part is d, m, y
            {
                QList<QPair<int, int>> pos = {{pd, 0}, {pm, 1}, {py, 2}};
                std::sort(pos.begin(), pos.end());
                for (int i = 0; i < 3; ++i) order[i] = pos[i].second;
            }
            int vals[3] = {0, 0, 0};
            if (parts.size() == 3) {
                for (int i = 0; i < 3; ++i) vals[order[i]] = n[i];
                if (n[0] > 31) { vals[2] = n[0]; vals[1] = n[1]; vals[0] = n[2]; }   // ISO year first
            } else {
                int k = 0;
                for (int i = 0; i < 3; ++i) if (order[i] != 2) vals[order[i]] = n[k++];
                vals[2] = QDate::currentDate().year();
            }
            for (int i = 0; i < 3; ++i) if (vals[i] < 0) { int mon = -vals[i]; if (i != 1) { vals[i] = vals[1]; } vals[1] = mon; }
            d = vals[0]; m = vals[1]; y = vals[2];
            if (y < 30 && parts.size() == 3 && parts[order[2] == 2 ? 2 : 0].size() <= 2) y += 2000;
            else if (y < 100 && parts.size() == 3) y += 1900;
            if (!QDate(y, m, d).isValid()) return false;
            result = automationdate::fromParts(y, m, d);
        }
    }
    if (!timePart.isEmpty()) {
        QString t = timePart;
        bool pm = false, am = false;
        if (t.endsWith(QLatin1String("PM"), Qt::CaseInsensitive)) { pm = true; t.chop(2); }
        else if (t.endsWith(QLatin1String("AM"), Qt::CaseInsensitive)) { am = true; t.chop(2); }
        QStringList tp = t.trimmed().split(QLatin1Char(':'));
        if (tp.size() < 2 || tp.size() > 3) return false;
        bool ok1, ok2, ok3 = true;
        int h = tp[0].toInt(&ok1), mi = tp[1].toInt(&ok2), sec = tp.size() > 2 ? tp[2].toInt(&ok3) : 0;
        if (!ok1 || !ok2 || !ok3 || h > 23 || mi > 59 || sec > 59) return false;
        if (pm && h < 12) h += 12;
        if (am && h == 12) h = 0;
        double frac = (h * 3600 + mi * 60 + sec) / 86400.0;
        result = result < 0 ? result - frac : result + frac;
    }
    *out = result;
    return true;
}

namespace ops {

// Numeric kind used to pick result subtypes, ordered by widening.
enum Kind { KByte, KInteger, KLong, KSingle, KDouble, KCurrency, KDate, KString, KNull, KOther };

static Kind kindOf(const Variant &v)
{
    switch (v.type()) {
    case VarType::Byte: return KByte;
    case VarType::Empty: case VarType::Boolean: case VarType::Integer: return KInteger;
    case VarType::Long: return KLong;
    case VarType::Single: return KSingle;
    case VarType::Double: return KDouble;
    case VarType::Currency: return KCurrency;
    case VarType::Date: return KDate;
    case VarType::String: return KString;
    case VarType::Null: return KNull;
    default: return KOther;
    }
}

static inline int32_t intOf(const Variant &v)
{
    if (v.type() == VarType::Boolean) return v.rawBool() ? -1 : 0;
    if (v.type() == VarType::Empty) return 0;
    return v.rawInt();
}

static Variant fromObjectDefault(const Variant &v)
{
    DispatchObject *o = v.rawObject();
    if (!o) throw AutomationError(91);
    CallArgs none;
    Variant r = o->invoke(DISPID_VALUE, InvokeGet | InvokeMethod, none);
    if (r.isObject()) throw AutomationError(438);
    return r;
}

// Integer result in the narrowest of the operands' integer subtypes that holds it.
static Variant intResult(qint64 r, Kind k)
{
    if (k == KByte && r >= 0 && r <= 255) return Variant::byte(uint8_t(r));
    if (k <= KInteger && r >= -32768 && r <= 32767) return Variant::integer(int16_t(r));
    if (r >= INT32_MIN && r <= INT32_MAX) return Variant(int(r));
    return Variant(double(r));
}

enum Arith { AAdd, ASub, AMul };

static Variant arith(Arith op, const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    if (a.isObject()) return arith(op, fromObjectDefault(a), b);
    if (b.isObject()) return arith(op, a, fromObjectDefault(b));
    Kind ka = kindOf(a), kb = kindOf(b);
    if (ka == KNull || kb == KNull) return Variant::null();
    if (ka == KOther || kb == KOther) throw AutomationError(13);
    if (op == AAdd && ka == KString && kb == KString) return Variant(a.rawString() + b.rawString());
    if (op == AAdd && ka == KString && b.isEmpty()) return a;
    if (op == AAdd && kb == KString && a.isEmpty()) return b;
    Kind k = std::max(ka, kb);
    if (k <= KLong) {
        qint64 x = intOf(a), y = intOf(b);
        qint64 r = op == AAdd ? x + y : op == ASub ? x - y : x * y;
        if (k == KByte && (ka != KByte || kb != KByte)) k = KInteger;
        if (k == KByte && (r < 0 || r > 255)) k = KInteger;
        return intResult(r, k);
    }
    if (k == KSingle) {
        if (ka == KLong || kb == KLong) k = KDouble;
        else {
            double r = op == AAdd ? a.toDouble() + b.toDouble() : op == ASub ? a.toDouble() - b.toDouble() : a.toDouble() * b.toDouble();
            if (std::fabs(r) <= 3.402823466e38) return Variant::single(float(r));
            return Variant(r);
        }
    }
    if (k == KString) k = KDouble;
    if (k == KDate) {
        double r = op == AAdd ? a.toDouble() + b.toDouble() : op == ASub ? a.toDouble() - b.toDouble() : a.toDouble() * b.toDouble();
        if (op == AMul || (op == ASub && ka == KDate && kb == KDate)) return Variant(r);
        if (r < -657434.0 || r >= 2958466.0) throw AutomationError(6);
        return Variant::date(r);
    }
    if (k == KCurrency && ka != KString && kb != KString && ka != KDouble && kb != KDouble) {
        Currency x = a.toCurrency(), y = b.toCurrency();
        if (op == AMul) return Variant::currency(Currency::fromDouble(x.toDouble() * y.toDouble()));
        qint64 r;
        bool ovf = op == AAdd ? __builtin_add_overflow(x.value, y.value, &r) : __builtin_sub_overflow(x.value, y.value, &r);
        if (ovf) throw AutomationError(6);
        return Variant::currency(Currency{r});
    }
    double x = a.toDouble(), y = b.toDouble();
    double r = op == AAdd ? x + y : op == ASub ? x - y : x * y;
    if (std::isinf(r)) throw AutomationError(6);
    return Variant(r);
}

Variant add(const Variant &a, const Variant &b) { return arith(AAdd, a, b); }
Variant sub(const Variant &a, const Variant &b) { return arith(ASub, a, b); }
Variant mul(const Variant &a, const Variant &b) { return arith(AMul, a, b); }

static bool nullOrObject(const Variant &a, const Variant &b, Variant *res)
{
    if (a.isNull() || b.isNull()) { *res = Variant::null(); return true; }
    return false;
}

Variant div(const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    Variant r;
    if (nullOrObject(a, b, &r)) return r;
    double y = b.toDouble(), x = a.toDouble();
    if (y == 0) {
        if (x == 0) throw AutomationError(6);
        throw AutomationError(11);
    }
    double q = x / y;
    if (std::isinf(q)) throw AutomationError(6);
    return Variant(q);
}

static Kind intKind(const Variant &a, const Variant &b)
{
    Kind ka = kindOf(a), kb = kindOf(b);
    if (ka == KByte && kb == KByte) return KByte;
    if (ka <= KInteger && kb <= KInteger) return KInteger;
    return KLong;
}

Variant intDiv(const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    Variant r;
    if (nullOrObject(a, b, &r)) return r;
    int32_t x = a.toLong(), y = b.toLong();
    if (y == 0) throw AutomationError(11);
    return intResult(qint64(x) / y, intKind(a, b));
}

Variant mod(const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    Variant r;
    if (nullOrObject(a, b, &r)) return r;
    int32_t x = a.toLong(), y = b.toLong();
    if (y == 0) throw AutomationError(11);
    return intResult(qint64(x) % y, intKind(a, b));
}

Variant pow(const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    Variant r;
    if (nullOrObject(a, b, &r)) return r;
    double x = a.toDouble(), y = b.toDouble();
    if (x < 0 && y != std::trunc(y)) throw AutomationError(5);
    double p = std::pow(x, y);
    if (std::isinf(p)) throw AutomationError(x == 0 ? 11 : 6);
    return Variant(p);
}

Variant concat(const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    if (a.isNull() && b.isNull()) return Variant::null();
    QString s = a.isNull() ? QString() : a.toString();
    if (!b.isNull()) {
        const QString t = b.toString();
        checkScriptStringLength(qint64(s.size()) + t.size());
        s += t;
    }
    return Variant(std::move(s));
}

Variant neg(const Variant &a0)
{
    const Variant &a = a0.deref();
    switch (a.type()) {
    case VarType::Null: return a;
    case VarType::Empty: return Variant::integer(0);
    case VarType::Boolean: return Variant::integer(a.rawBool() ? 1 : 0);
    case VarType::Byte: return Variant::integer(int16_t(-a.rawInt()));
    case VarType::Integer: return intResult(-qint64(a.rawInt()), KInteger);
    case VarType::Long: return intResult(-qint64(a.rawInt()), KLong);
    case VarType::Single: return Variant::single(float(-a.rawDouble()));
    case VarType::Double: return Variant(-a.rawDouble());
    case VarType::Currency: return Variant::currency(Currency{-a.rawCurrency()});
    case VarType::Date: return Variant::date(-a.rawDouble());
    case VarType::String: return Variant(-a.toDouble());
    case VarType::Object: return neg(fromObjectDefault(a));
    default: throw AutomationError(13);
    }
}

Variant logicalNot(const Variant &a0)
{
    const Variant &a = a0.deref();
    switch (a.type()) {
    case VarType::Null: return a;
    case VarType::Boolean: return Variant(!a.rawBool());
    case VarType::Empty: return Variant::integer(-1);
    case VarType::Byte: return Variant::byte(uint8_t(~a.rawInt()));
    case VarType::Integer: return Variant::integer(int16_t(~a.rawInt()));
    default: return Variant(int(~a.toLong()));
    }
}

Variant logical(Op op, const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    if (a.isNull() || b.isNull()) {
        // three-valued logic: False And Null is False, True Or Null is True
        const Variant &o = a.isNull() ? b : a;
        if (!o.isNull()) {
            if (op == And && o.type() == VarType::Boolean && !o.rawBool()) return Variant(false);
            if (op == Or && o.type() == VarType::Boolean && o.rawBool()) return Variant(true);
            if (op == Imp && a.isNull() && b.type() == VarType::Boolean && b.rawBool()) return Variant(true);
            if (op == Imp && b.isNull() && a.type() == VarType::Boolean && !a.rawBool()) return Variant(true);
            if (op == And && o.type() != VarType::Boolean && o.toLong() == 0) return intResult(0, intKind(o, o));
        }
        return Variant::null();
    }
    bool boolean = a.type() == VarType::Boolean && b.type() == VarType::Boolean;
    int32_t x = a.toLong(), y = b.toLong();
    int32_t r = 0;
    switch (op) {
    case And: r = x & y; break;
    case Or: r = x | y; break;
    case Xor: r = x ^ y; break;
    case Eqv: r = ~(x ^ y); break;
    case Imp: r = (~x) | y; break;
    default: break;
    }
    if (boolean) return Variant(r != 0);
    Kind k = intKind(a, b);
    if (k == KByte) return Variant::byte(uint8_t(r));
    if (k == KInteger) return Variant::integer(int16_t(r));
    return Variant(int(r));
}

static bool isNumericKind(Kind k) { return k <= KDate; }

int compare(const Variant &a0, const Variant &b0, bool text, bool litA, bool litB)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    if (a.isObject() && !a.isNothing()) return compare(fromObjectDefault(a), b, text, litA, litB);
    if (b.isObject() && !b.isNothing()) return compare(a, fromObjectDefault(b), text, litA, litB);
    Kind ka = kindOf(a), kb = kindOf(b);
    if (ka == KNull || kb == KNull) return 2;
    if (ka == KOther || kb == KOther) throw AutomationError(13);
    auto cmpNum = [](double x, double y) { return x < y ? -1 : x > y ? 1 : 0; };
    if (ka == KString && kb == KString) {
        int c = text ? a.rawString().compare(b.rawString(), Qt::CaseInsensitive) : a.rawString().compare(b.rawString());
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (ka == KString || kb == KString) {
        const Variant &s = ka == KString ? a : b;
        const Variant &o = ka == KString ? b : a;
        bool sIsA = ka == KString;
        if (o.isEmpty()) {
            int c = s.rawString().isEmpty() ? 0 : 1;
            return sIsA ? c : -c;
        }
        bool otherLiteral = sIsA ? litB : litA;
        bool stringLiteral = sIsA ? litA : litB;
        if (otherLiteral) {
            // a variable compared with a numeric literal is read as a number
            double d;
            if (parseNumber(s.rawString(), &d)) {
                int c = cmpNum(d, o.toDouble());
                return sIsA ? c : -c;
            }
        }
        if (stringLiteral) {
            QString os = o.toString();
            int c = text ? s.rawString().compare(os, Qt::CaseInsensitive) : s.rawString().compare(os);
            c = c < 0 ? -1 : c > 0 ? 1 : 0;
            return sIsA ? c : -c;
        }
        // a number is less than any string
        return sIsA ? 1 : -1;
    }
    if (ka <= KLong && kb <= KLong) {
        int32_t x = intOf(a), y = intOf(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (isNumericKind(ka) && isNumericKind(kb)) {
        if (ka == KCurrency && kb == KCurrency) {
            qint64 x = a.rawCurrency(), y = b.rawCurrency();
            return x < y ? -1 : x > y ? 1 : 0;
        }
        return cmpNum(a.toDouble(), b.toDouble());
    }
    throw AutomationError(13);
}

Variant compareOp(Op op, const Variant &a, const Variant &b, bool text, bool litA, bool litB)
{
    int c = compare(a, b, text, litA, litB);
    if (c == 2) return Variant::null();
    switch (op) {
    case Eq: return Variant(c == 0);
    case Ne: return Variant(c != 0);
    case Lt: return Variant(c < 0);
    case Le: return Variant(c <= 0);
    case Gt: return Variant(c > 0);
    case Ge: return Variant(c >= 0);
    default: throw AutomationError(13);
    }
}

bool sameObject(const Variant &a0, const Variant &b0)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    if (!a.isObject() || !b.isObject()) throw AutomationError(424);
    const void *x = a.rawObject() ? a.rawObject()->identity() : nullptr;
    const void *y = b.rawObject() ? b.rawObject()->identity() : nullptr;
    return x == y;
}

bool keysEqual(const Variant &a0, const Variant &b0, bool text)
{
    const Variant &a = a0.deref(), &b = b0.deref();
    if (a.isObject() || b.isObject()) return a.isObject() && b.isObject() && sameObject(a, b);
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    bool sa = a.isString(), sb = b.isString();
    if (sa != sb) return false;
    if (sa) return text ? a.rawString().compare(b.rawString(), Qt::CaseInsensitive) == 0 : a.rawString() == b.rawString();
    if (a.isEmpty() || b.isEmpty()) return a.isEmpty() && b.isEmpty();
    try { return a.toDouble() == b.toDouble(); } catch (const AutomationError &) { return false; }
}

Variant binary(Op op, const Variant &a, const Variant &b)
{
    switch (op) {
    case Add: return add(a, b);
    case Sub: return sub(a, b);
    case Mul: return mul(a, b);
    case Div: return div(a, b);
    case IntDiv: return intDiv(a, b);
    case Mod: return mod(a, b);
    case Pow: return pow(a, b);
    case Concat: return concat(a, b);
    case And: case Or: case Xor: case Eqv: case Imp: return logical(op, a, b);
    case Is: return Variant(sameObject(a, b));
    default: return compareOp(op, a, b);
    }
}

} // namespace ops
} // namespace vorn
