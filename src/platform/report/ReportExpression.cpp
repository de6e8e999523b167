// Expression language: a recursive-descent parser builds a node tree once per
// item; evaluation walks it. Every fault becomes an error value, which spreads
// through operators and prints as its message, so a bad cell never stops a run.
#include "platform/report/ReportExpression.h"
#include "platform/core/DecimalText.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vorn::report {

// --- values -------------------------------------------------------------------

namespace {

QLocale displayLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

// Delphi's day zero: a time without a date is carried on it.
const QDate zeroDate(1899, 12, 30);

} // namespace

ReportValue ReportValue::error(const QString &message)
{
    ReportValue v;
    v.m_type = Error;
    v.m_string = message;
    return v;
}

ReportValue ReportValue::fromVariant(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.metaType().id()) {
    case QMetaType::Bool: return ReportValue(v.toBool());
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
        return ReportValue(v.toLongLong());
    case QMetaType::Double: case QMetaType::Float: return ReportValue(v.toDouble());
    case QMetaType::QDate: return ReportValue(QDateTime(v.toDate(), QTime(0, 0)));
    case QMetaType::QTime: return ReportValue(QDateTime(zeroDate, v.toTime()));
    case QMetaType::QDateTime: return ReportValue(v.toDateTime());
    case QMetaType::QByteArray: {
        ReportValue b;
        b.m_type = Binary;
        b.m_bytes = v.toByteArray();
        return b;
    }
    default: return ReportValue(v.toString());
    }
}

bool ReportValue::toBool() const
{
    switch (m_type) {
    case Boolean: case Integer: return m_int != 0;
    case Float: return m_float != 0;
    case String: return m_string.compare(u"true", Qt::CaseInsensitive) == 0 || m_string == u"1";
    default: return false;
    }
}

double ReportValue::toDouble() const
{
    switch (m_type) {
    case Boolean: case Integer: return double(m_int);
    case Float: return m_float;
    case String: {
        bool ok = false;
        double d = QLocale().toDouble(m_string.trimmed(), &ok);
        if (!ok) d = m_string.trimmed().toDouble(&ok);
        return ok ? d : 0;
    }
    case DateTime: return double(zeroDate.daysTo(m_date.date())) + m_date.time().msecsSinceStartOfDay() / 86400000.0;
    default: return 0;
    }
}

qint64 ReportValue::toInteger() const
{
    if (m_type == Integer || m_type == Boolean)
        return m_int;
    const double d = std::trunc(toDouble());
    if (std::isnan(d))
        return 0;
    // beyond the range the nearest end stands in; callers that need the exact
    // value check fitsInteger() first
    if (d >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    if (d < -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return qint64(d);
}

static bool fitsInteger(double d)
{
    return d >= -9223372036854775808.0 && d < 9223372036854775808.0;
}

QString ReportValue::toString() const
{
    switch (m_type) {
    case Null: return QString();
    case Boolean: return m_int ? QStringLiteral("True") : QStringLiteral("False");
    case Integer: return QString::number(m_int);
    case Float: return displayLocale().toString(m_float, 'f', QLocale::FloatingPointShortest);
    case String: case Error: return m_string;
    case Binary: return QStringLiteral("(BLOB)");
    case DateTime: {
        if (m_date.date() == zeroDate)
            return m_date.time().toString(QStringLiteral("hh:mm:ss"));
        if (m_date.time() == QTime(0, 0))
            return m_date.date().toString(QStringLiteral("dd.MM.yyyy"));
        return m_date.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
    }
    return QString();
}

QVariant ReportValue::toVariant() const
{
    switch (m_type) {
    case Boolean: return bool(m_int);
    case Integer: return m_int;
    case Float: return m_float;
    case String: case Error: return m_string;
    case DateTime: return m_date;
    case Binary: return m_bytes;
    default: return QVariant();
    }
}

QString ReportValue::typeName() const
{
    switch (m_type) {
    case Null: return QStringLiteral("NULL");
    case Boolean: return QStringLiteral("BOOLEAN");
    case Integer: return QStringLiteral("INTEGER");
    case Float: return QStringLiteral("FLOAT");
    case String: return QStringLiteral("STRING");
    case DateTime: return QStringLiteral("DATETIME");
    case Binary: return QStringLiteral("BLOB");
    case Error: return QStringLiteral("ERROR");
    }
    return QString();
}

ExpressionContext::~ExpressionContext() = default;

// --- display formats ----------------------------------------------------------

namespace {

// The format applied to a value given by its sign and a function that writes its
// magnitude rounded to a number of places (plain notation).
QString applyNumberFormat(const QString &format, bool isNegative, bool isZero,
                          const std::function<QString(int)> &magnitude)
{
    const QLocale loc;
    // sections: positive;negative;zero
    QStringList sections;
    {
        QString cur;
        QChar q;
        for (QChar c : format) {
            if (!q.isNull()) { cur += c; if (c == q) q = QChar(); continue; }
            if (c == u'\'' || c == u'"') { q = c; cur += c; continue; }
            if (c == u';') { sections.append(cur); cur.clear(); continue; }
            cur += c;
        }
        sections.append(cur);
    }
    QString sec = sections.at(0);
    bool negativeSection = false;
    if (isNegative && sections.size() > 1 && !sections.at(1).isEmpty()) {
        sec = sections.at(1);
        negativeSection = true;
    } else if (isZero && sections.size() > 2 && !sections.at(2).isEmpty()) {
        sec = sections.at(2);
    }
    QString prefix, suffix, core;
    int state = 0; // 0 prefix, 1 core, 2 suffix
    for (int i = 0; i < sec.size(); ++i) {
        const QChar c = sec.at(i);
        if (c == u'\'' || c == u'"') {
            const int j = sec.indexOf(c, i + 1);
            const QString lit = sec.mid(i + 1, (j < 0 ? sec.size() : j) - i - 1);
            (state == 0 ? prefix : suffix) += lit;
            if (state == 1) state = 2;
            i = j < 0 ? sec.size() : j;
            continue;
        }
        const bool coreChar = c == u'0' || c == u'#' || c == u'.' || c == u',';
        if (coreChar && state < 2) { state = 1; core += c; }
        else { if (state == 1) state = 2; (state == 0 ? prefix : suffix) += c; }
    }
    if (core.isEmpty())
        return prefix + suffix;
    const int dot = core.indexOf(u'.');
    const QString intPart = dot < 0 ? core : core.left(dot);
    const QString fracPart = dot < 0 ? QString() : core.mid(dot + 1);
    const bool thousands = intPart.contains(u',');
    const int minInt = int(intPart.count(u'0'));
    const int minFrac = int(fracPart.count(u'0'));
    const int maxFrac = int(fracPart.count(u'0') + fracPart.count(u'#'));
    const QString digits = magnitude(maxFrac);
    QString ip = digits.section(u'.', 0, 0);
    QString fp = digits.section(u'.', 1);
    while (fp.size() > minFrac && fp.endsWith(u'0'))
        fp.chop(1);
    if (ip == u"0" && minInt == 0)
        ip.clear();
    while (ip.size() < minInt)
        ip.prepend(u'0');
    if (thousands && ip.size() > 3) {
        QString g;
        const QString sep = loc.groupSeparator();
        for (int i = 0; i < ip.size(); ++i) {
            if (i > 0 && (ip.size() - i) % 3 == 0)
                g += sep;
            g += ip.at(i);
        }
        ip = g;
    }
    QString out = ip;
    if (!fp.isEmpty())
        out += loc.decimalPoint() + fp;
    const bool negative = isNegative && !negativeSection && (QString(ip + fp).contains(QRegularExpression(QStringLiteral("[1-9]"))));
    return (negative ? QStringLiteral("-") : QString()) + prefix + out + suffix;
}

} // namespace

QString formatNumber(const QString &format, double value)
{
    if (format.isEmpty())
        return ReportValue(value).toString();
    if (!std::isfinite(value))
        return ReportValue(value).toString();
    return applyNumberFormat(format, value < 0, value == 0, [value](int places) {
        return decimal::rounded(std::fabs(value), places);
    });
}

QString formatNumber(const QString &format, qint64 value)
{
    if (format.isEmpty())
        return ReportValue(value).toString();
    return applyNumberFormat(format, value < 0, value == 0, [value](int places) {
        QString s = decimal::rounded(value, places);
        return s.startsWith(u'-') ? s.mid(1) : s;
    });
}

QString formatDateTime(const QString &format, const QDateTime &value)
{
    if (format.isEmpty())
        return ReportValue(value).toString();
    const QLocale loc;
    const QDate d = value.date();
    const QTime t = value.time();
    QString out;
    bool lastWasHour = false;
    // "d mmmm yyyy" wants the genitive month ("11 декабря"), a month alone the nominative
    const bool withDay = format.contains(u'd', Qt::CaseInsensitive);
    for (int i = 0; i < format.size();) {
        const QChar c = format.at(i);
        const QChar lc = c.toLower();
        int n = 1;
        while (i + n < format.size() && format.at(i + n).toLower() == lc)
            ++n;
        if (c == u'\'' || c == u'"') {
            const int j = format.indexOf(c, i + 1);
            out += format.mid(i + 1, (j < 0 ? format.size() : j) - i - 1);
            i = j < 0 ? format.size() : j + 1;
            continue;
        }
        if (lc == u'd') {
            if (n == 1) out += QString::number(d.day());
            else if (n == 2) out += QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
            else if (n == 3) out += loc.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else out += loc.dayName(d.dayOfWeek(), QLocale::LongFormat);
            lastWasHour = false;
        } else if (lc == u'm') {
            if (lastWasHour && n <= 2)
                out += n == 1 ? QString::number(t.minute()) : QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0'));
            else if (n == 1) out += QString::number(d.month());
            else if (n == 2) out += QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
            else if (n == 3) out += loc.standaloneMonthName(d.month(), QLocale::ShortFormat);
            else out += withDay ? loc.monthName(d.month(), QLocale::LongFormat) : loc.standaloneMonthName(d.month(), QLocale::LongFormat);
            lastWasHour = false;
        } else if (lc == u'y') {
            out += n <= 2 ? QStringLiteral("%1").arg(d.year() % 100, 2, 10, QLatin1Char('0')) : QString::number(d.year());
            lastWasHour = false;
        } else if (lc == u'h') {
            out += n == 1 ? QString::number(t.hour()) : QStringLiteral("%1").arg(t.hour(), 2, 10, QLatin1Char('0'));
            lastWasHour = true;
        } else if (lc == u'n') {
            out += n == 1 ? QString::number(t.minute()) : QStringLiteral("%1").arg(t.minute(), 2, 10, QLatin1Char('0'));
        } else if (lc == u's') {
            out += n == 1 ? QString::number(t.second()) : QStringLiteral("%1").arg(t.second(), 2, 10, QLatin1Char('0'));
        } else if (c == u'/') {
            out += u'.';
            n = 1;
        } else {
            out += QString(n, c);
        }
        i += n;
    }
    return out;
}

// --- registry -----------------------------------------------------------------

QString FunctionRegistry::wrongArgumentCount()
{
    return QStringLiteral("Неверное кол-во аргументов");
}

void FunctionRegistry::add(const QString &name, const QString &description, const QString &arguments, ReportFunction f)
{
    m_functions.insert(name.toUpper(), Entry{FunctionSignature{name.toUpper(), description, arguments}, std::move(f)});
}

const ReportFunction *FunctionRegistry::function(const QString &name) const
{
    auto it = m_functions.constFind(name.toUpper());
    return it == m_functions.constEnd() ? nullptr : &it->function;
}

FunctionSignature FunctionRegistry::signature(const QString &name) const
{
    return m_functions.value(name.toUpper()).signature;
}

QStringList FunctionRegistry::names() const
{
    QStringList n = m_functions.keys();
    n.sort();
    return n;
}

namespace {

using Args = QList<ReportValue>;

ReportValue wrongCount() { return ReportValue::error(FunctionRegistry::wrongArgumentCount()); }

ReportValue numeric(double d)
{
    if (std::isnan(d) || std::isinf(d))
        return ReportValue::error(QStringLiteral("Недопустимая операция с числом"));
    return ReportValue(d);
}

FunctionRegistry makeStandard()
{
    FunctionRegistry r;
    auto fixed = [&r](const char *name, const char *descr, int count, std::function<ReportValue(const Args &)> f) {
        r.add(QLatin1String(name), QString::fromUtf8(descr), QString::number(count),
              [count, f](const Args &a) { return a.size() == count ? f(a) : wrongCount(); });
    };
    fixed("STR", "STR(<X>)| Число в строку", 1, [](const Args &a) { return ReportValue(a[0].toString()); });
    fixed("UPPER", "UPPER(<S>)| Строка прописными буквами", 1, [](const Args &a) { return ReportValue(a[0].toString().toUpper()); });
    fixed("LOWER", "LOWER(<S>)| Строка строчными буквами", 1, [](const Args &a) { return ReportValue(a[0].toString().toLower()); });
    fixed("PRETTY", "PRETTY(<S>)| Первая буква прописная, остальные строчные", 1, [](const Args &a) {
        QString s = a[0].toString().toLower();
        if (!s.isEmpty()) s[0] = s[0].toUpper();
        return ReportValue(s);
    });
    fixed("TRIM", "TRIM(<S>)| Строка без пробелов по краям", 1, [](const Args &a) { return ReportValue(a[0].toString().trimmed()); });
    fixed("LENGTH", "LENGTH(<S>)| Длина строки", 1, [](const Args &a) { return ReportValue(int(a[0].toString().size())); });
    fixed("COPY", "COPY(<S>,<Start>,<Len>)| Часть строки", 3, [](const Args &a) {
        const qint64 start = a[1].toInteger(), len = a[2].toInteger();
        if (start < 1 || len < 0) return ReportValue(QString());
        return ReportValue(a[0].toString().mid(start - 1, len));
    });
    fixed("INT", "INT(<X>)| Целая часть числа", 1, [](const Args &a) {
        if (a[0].type() == ReportValue::Integer)
            return a[0];
        const double d = std::trunc(a[0].toDouble());
        if (!std::isfinite(d))
            return ReportValue::error(QStringLiteral("Недопустимая операция с числом"));
        // a whole number past the 64-bit range stays a floating-point value
        return fitsInteger(d) ? ReportValue(qint64(d)) : ReportValue(d);
    });
    fixed("FRAC", "FRAC(<X>)| Дробная часть числа", 1, [](const Args &a) {
        const double d = a[0].toDouble();
        return ReportValue(d - std::trunc(d));
    });
    fixed("SQRT", "SQRT(<X>)| Квадратный корень", 1, [](const Args &a) {
        const double d = a[0].toDouble();
        return d < 0 ? ReportValue::error(QStringLiteral("Корень из отрицательного числа")) : ReportValue(std::sqrt(d));
    });
    fixed("DIV", "DIV(<X>,<Y>)| Целочисленное деление", 2, [](const Args &a) {
        const auto whole = [](const ReportValue &v) {
            return v.type() == ReportValue::Integer || v.type() == ReportValue::Boolean || fitsInteger(std::trunc(v.toDouble()));
        };
        if (whole(a[0]) && whole(a[1])) {
            const qint64 x = a[0].toInteger(), y = a[1].toInteger();
            if (y == 0)
                return ReportValue::error(QStringLiteral("Деление на ноль"));
            // the one quotient of two 64-bit numbers that does not fit them
            if (y == -1 && x == std::numeric_limits<qint64>::min())
                return ReportValue(-double(x));
            return ReportValue(x / y);
        }
        const double x = std::trunc(a[0].toDouble()), y = std::trunc(a[1].toDouble());
        if (y == 0)
            return ReportValue::error(QStringLiteral("Деление на ноль"));
        const double q = std::trunc(x / y);
        if (!std::isfinite(q))
            return ReportValue::error(QStringLiteral("Недопустимая операция с числом"));
        return fitsInteger(q) ? ReportValue(qint64(q)) : ReportValue(q);
    });
    fixed("ABS", "ABS(<X>)| Модуль числа", 1, [](const Args &a) {
        if (a[0].type() == ReportValue::Integer) {
            const qint64 i = a[0].toInteger();
            return i == std::numeric_limits<qint64>::min() ? ReportValue(-double(i)) : ReportValue(qAbs(i));
        }
        return ReportValue(std::fabs(a[0].toDouble()));
    });
    fixed("TYPEOF", "TYPEOF(<X>)| Тип значения", 1, [](const Args &a) { return ReportValue(a[0].typeName()); });
    fixed("ISNULL", "ISNULL(<X>)| Истина, если значение пусто", 1, [](const Args &a) {
        return ReportValue(a[0].isNull() || (a[0].type() == ReportValue::String && a[0].toString().isEmpty()));
    });
    fixed("FORMATNUMERIC", "FORMATNUMERIC(<Формат>,<X>)| Число по формату", 2,
          [](const Args &a) {
              if (a[1].type() == ReportValue::Integer)
                  return ReportValue(formatNumber(a[0].toString(), a[1].toInteger()));
              return ReportValue(formatNumber(a[0].toString(), a[1].toDouble()));
          });
    fixed("FORMATDATETIME", "FORMATDATETIME(<Формат>,<Дата>)| Дата по формату", 2, [](const Args &a) {
        if (a[1].type() != ReportValue::DateTime)
            return ReportValue::error(QStringLiteral("FORMATDATETIME: ожидается дата"));
        return ReportValue(formatDateTime(a[0].toString(), a[1].toDateTime()));
    });
    r.add(QStringLiteral("ROUND"), QStringLiteral("ROUND(<X>[,<Знаков>])| Округление"), QStringLiteral("1,2"), [](const Args &a) {
        if (a.size() < 1 || a.size() > 2) return wrongCount();
        // no double has digits beyond 340 places either side of the point
        const int digits = a.size() == 2 ? int(std::clamp<qint64>(a[1].toInteger(), -400, 400)) : 0;
        // rounded on the decimal digits of the value, halves away from zero
        QString text;
        if (a[0].type() == ReportValue::Integer || a[0].type() == ReportValue::Boolean) {
            if (digits >= 0)
                return ReportValue(a[0].toInteger());
            text = decimal::rounded(a[0].toInteger(), digits);
        } else {
            const double x = a[0].toDouble();
            if (!std::isfinite(x))
                return ReportValue::error(QStringLiteral("Недопустимая операция с числом"));
            if (digits > 0)
                return numeric(decimal::roundToDouble(x, digits));
            text = decimal::rounded(x, digits);
        }
        qint64 i = 0;
        if (decimal::toInteger(text, &i))
            return ReportValue(i);
        return numeric(text.toDouble());
    });
    fixed("DATE", "DATE| Текущая дата", 0, [](const Args &) { return ReportValue(QDateTime(QDate::currentDate(), QTime(0, 0))); });
    fixed("TIME", "TIME| Текущее время", 0, [](const Args &) {
        const QTime t = QTime::currentTime();
        return ReportValue(QDateTime(zeroDate, QTime(t.hour(), t.minute(), t.second())));
    });
    fixed("DATETIME", "DATETIME| Текущие дата и время", 0, [](const Args &) {
        const QDateTime n = QDateTime::currentDateTime();
        return ReportValue(QDateTime(n.date(), QTime(n.time().hour(), n.time().minute(), n.time().second())));
    });
    return r;
}

} // namespace

const FunctionRegistry &FunctionRegistry::standard()
{
    static const FunctionRegistry r = makeStandard();
    return r;
}

// --- syntax tree --------------------------------------------------------------

enum class NodeKind { Constant, Name, Unary, Binary, And, Or, If, Call, Aggregate, PageNumber, PageCount, Failed };

class ExpressionNode
{
public:
    NodeKind kind = NodeKind::Constant;
    ReportValue value;                                // Constant; Failed carries the error
    QString name;                                     // Name; Call; operator for Unary/Binary
    QList<ExpressionNode *> args;
    ReportFunction function;                          // Call
    AggregateKind aggregate = AggregateKind::Sum;
    int slot = -1;                                    // Aggregate: engine accumulator
    int height = 1;                                   // longest path down to a leaf, this node included
};

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression &&) noexcept = default;
Expression &Expression::operator=(Expression &&) noexcept = default;

void Expression::setAggregateSlot(int aggregate, int slot)
{
    m_aggregates[aggregate].node->slot = slot;
}

// Tokens and grammar:
//   or  := and { OR and }          and := not { AND not }       not := NOT not | cmp
//   cmp := sum [ (= <> < > <= >=) sum ]    sum := term { (+|-) term }
//   term := unary { (*|/) unary }          unary := - unary | primary
//   primary := number | string | name [ ( args ) ] | ( or )
class ExpressionParser
{
public:
    ExpressionParser(Expression &e, const FunctionRegistry &f) : m_e(e), m_functions(f), m_s(e.m_text) {}

    ExpressionNode *parse()
    {
        next();
        ExpressionNode *n = parseOr();
        if (m_tok != Tok::End)
            fail(QStringLiteral("лишний текст \"%1\"").arg(m_s.mid(m_tokStart)));
        return n;
    }

    QString error() const { return m_error; }

private:
    enum class Tok { End, Number, String, Ident, Op, LParen, RParen, Comma, Bad };

    ExpressionNode *make(NodeKind k)
    {
        // evaluation recurses along the tree: bound its size as well as its depth
        if (m_e.m_pool.size() > 20000 && m_error.isEmpty()) {
            fail(QStringLiteral("слишком длинное выражение"));
            m_tok = Tok::End;
            m_pos = int(m_s.size());
        }
        m_e.m_pool.push_back(std::make_unique<ExpressionNode>());
        m_e.m_pool.back()->kind = k;
        return m_e.m_pool.back().get();
    }

    void fail(const QString &msg)
    {
        if (m_error.isEmpty())
            m_error = msg;
    }

    void next()
    {
        while (m_pos < m_s.size() && m_s.at(m_pos).isSpace())
            ++m_pos;
        m_tokStart = m_pos;
        m_text.clear();
        if (m_pos >= m_s.size()) { m_tok = Tok::End; return; }
        const QChar c = m_s.at(m_pos);
        if (c.isDigit() || (c == u'.' && m_pos + 1 < m_s.size() && m_s.at(m_pos + 1).isDigit())) {
            int j = m_pos;
            while (j < m_s.size() && (m_s.at(j).isDigit() || m_s.at(j) == u'.'))
                ++j;
            if (j < m_s.size() && (m_s.at(j) == u'e' || m_s.at(j) == u'E')) {
                int k = j + 1;
                if (k < m_s.size() && (m_s.at(k) == u'+' || m_s.at(k) == u'-')) ++k;
                if (k < m_s.size() && m_s.at(k).isDigit()) {
                    j = k;
                    while (j < m_s.size() && m_s.at(j).isDigit()) ++j;
                }
            }
            m_text = m_s.mid(m_pos, j - m_pos);
            m_pos = j;
            m_tok = Tok::Number;
            return;
        }
        if (c == u'\'' || c == u'"') {
            int j = m_pos + 1;
            QString out;
            for (;;) {
                if (j >= m_s.size()) { m_tok = Tok::Bad; m_text = QStringLiteral("незакрытая строка"); m_pos = j; return; }
                if (m_s.at(j) == c) {
                    if (j + 1 < m_s.size() && m_s.at(j + 1) == c) { out += c; j += 2; continue; }
                    break;
                }
                out += m_s.at(j++);
            }
            m_text = out;
            m_pos = j + 1;
            m_tok = Tok::String;
            return;
        }
        if (c.isLetter() || c == u'_') {
            int j = m_pos;
            while (j < m_s.size() && (m_s.at(j).isLetterOrNumber() || m_s.at(j) == u'_' || m_s.at(j) == u'.'))
                ++j;
            m_text = m_s.mid(m_pos, j - m_pos);
            m_pos = j;
            m_tok = Tok::Ident;
            return;
        }
        if (c == u'(') { ++m_pos; m_tok = Tok::LParen; return; }
        if (c == u')') { ++m_pos; m_tok = Tok::RParen; return; }
        if (c == u',') { ++m_pos; m_tok = Tok::Comma; return; }
        static const QString two[] = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">=")};
        for (const QString &op : two)
            if (m_s.mid(m_pos, 2) == op) { m_text = op; m_pos += 2; m_tok = Tok::Op; return; }
        if (QStringLiteral("+-*/=<>").contains(c)) { m_text = c; ++m_pos; m_tok = Tok::Op; return; }
        m_tok = Tok::Bad;
        m_text = QStringLiteral("недопустимый символ \"%1\"").arg(c);
        ++m_pos;
    }

    bool isKeyword(const char *kw) const { return m_tok == Tok::Ident && m_text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0; }

    ExpressionNode *binary(const QString &op, ExpressionNode *l, ExpressionNode *r, NodeKind k = NodeKind::Binary)
    {
        ExpressionNode *n = make(k);
        n->name = op;
        setArgs(n, {l, r});
        return n;
    }

    // Parsing and evaluation recurse along the tree, so a damaged or hostile layout
    // could exhaust the stack: every nesting step (brackets, arguments, NOT, signs)
    // counts while parsing, and the tree built may not grow taller than a bound
    // either (a long chain of "+" nests without any bracket).
    static constexpr int kMaxNesting = 200;
    static constexpr int kMaxHeight = 1000;
    struct Nesting
    {
        int &depth;
        explicit Nesting(int &d) : depth(++d) {}
        ~Nesting() { --depth; }
    };
    bool tooDeep()
    {
        if (m_depth <= kMaxNesting)
            return false;
        stop();
        return true;
    }
    void stop()
    {
        if (m_error.isEmpty())
            fail(QStringLiteral("слишком глубокая вложенность"));
        m_tok = Tok::End;
        m_pos = int(m_s.size());
    }
    void setArgs(ExpressionNode *n, const QList<ExpressionNode *> &args)
    {
        n->args = args;
        for (const ExpressionNode *a : args)
            if (a)
                n->height = std::max(n->height, a->height + 1);
        if (n->height > kMaxHeight)
            stop();
    }

    ExpressionNode *parseOr()
    {
        Nesting nesting(m_depth);
        if (tooDeep())
            return make(NodeKind::Constant);
        ExpressionNode *l = parseAnd();
        while (isKeyword("or")) { next(); l = binary(QStringLiteral("or"), l, parseAnd(), NodeKind::Or); }
        return l;
    }
    ExpressionNode *parseAnd()
    {
        ExpressionNode *l = parseNot();
        while (isKeyword("and")) { next(); l = binary(QStringLiteral("and"), l, parseNot(), NodeKind::And); }
        return l;
    }
    ExpressionNode *parseNot()
    {
        if (isKeyword("not")) {
            Nesting nesting(m_depth);
            if (tooDeep())
                return make(NodeKind::Constant);
            next();
            ExpressionNode *n = make(NodeKind::Unary);
            n->name = QStringLiteral("not");
            setArgs(n, {parseNot()});
            return n;
        }
        return parseCompare();
    }
    ExpressionNode *parseCompare()
    {
        ExpressionNode *l = parseSum();
        if (m_tok == Tok::Op && (m_text == u"=" || m_text == u"<>" || m_text == u"<" || m_text == u">" || m_text == u"<=" || m_text == u">=")) {
            const QString op = m_text;
            next();
            l = binary(op, l, parseSum());
        }
        return l;
    }
    ExpressionNode *parseSum()
    {
        ExpressionNode *l = parseTerm();
        while (m_tok == Tok::Op && (m_text == u"+" || m_text == u"-")) {
            const QString op = m_text;
            next();
            l = binary(op, l, parseTerm());
        }
        return l;
    }
    ExpressionNode *parseTerm()
    {
        ExpressionNode *l = parseUnary();
        while (m_tok == Tok::Op && (m_text == u"*" || m_text == u"/")) {
            const QString op = m_text;
            next();
            l = binary(op, l, parseUnary());
        }
        return l;
    }
    ExpressionNode *parseUnary()
    {
        if (m_tok == Tok::Op && (m_text == u"-" || m_text == u"+")) {
            Nesting nesting(m_depth);
            if (tooDeep())
                return make(NodeKind::Constant);
            const QString op = m_text;
            next();
            ExpressionNode *n = make(NodeKind::Unary);
            n->name = op;
            setArgs(n, {parseUnary()});
            return n;
        }
        return parsePrimary();
    }

    QList<ExpressionNode *> parseArgs()
    {
        QList<ExpressionNode *> args;
        next(); // (
        if (m_tok == Tok::RParen) { next(); return args; }
        for (;;) {
            args.append(parseOr());
            if (m_tok == Tok::Comma) { next(); continue; }
            if (m_tok == Tok::RParen) { next(); break; }
            fail(QStringLiteral("ожидается \")\""));
            break;
        }
        return args;
    }

    ExpressionNode *parseAggregate(AggregateKind kind)
    {
        ExpressionNode *n = make(NodeKind::Aggregate);
        n->aggregate = kind;
        Expression::Aggregate agg{kind, AggregateScope::Default, QString(), nullptr, n};
        if (m_tok != Tok::LParen) {
            if (kind != AggregateKind::Count) fail(QStringLiteral("ожидается \"(\""));
        } else {
            next();
            if (m_tok != Tok::RParen) {
                agg.argument = parseOr();
                if (m_tok == Tok::Comma) {
                    next();
                    if (m_tok == Tok::Ident || m_tok == Tok::String) {
                        const QString s = m_text.toLower();
                        if (s == u"band") agg.scope = AggregateScope::Band;
                        else if (s == u"group") agg.scope = AggregateScope::Group;
                        else if (s == u"page") agg.scope = AggregateScope::Page;
                        else if (s == u"report") agg.scope = AggregateScope::Report;
                        else { agg.scope = AggregateScope::Group; agg.groupName = m_text; }
                        next();
                    } else fail(QStringLiteral("ожидается область итога (band, group, page, report)"));
                }
            }
            if (m_tok != Tok::RParen) fail(QStringLiteral("ожидается \")\""));
            else next();
        }
        if (!agg.argument && kind != AggregateKind::Count)
            fail(QStringLiteral("у итога нет выражения"));
        setArgs(n, {agg.argument});
        m_e.m_aggregates.append(agg);
        return n;
    }

    ExpressionNode *parsePrimary()
    {
        switch (m_tok) {
        case Tok::Number: {
            ExpressionNode *n = make(NodeKind::Constant);
            bool isInt = false;
            const qint64 i = m_text.toLongLong(&isInt);
            n->value = isInt ? ReportValue(i) : ReportValue(m_text.toDouble());
            next();
            return n;
        }
        case Tok::String: {
            ExpressionNode *n = make(NodeKind::Constant);
            n->value = ReportValue(m_text);
            next();
            return n;
        }
        case Tok::LParen: {
            next();
            ExpressionNode *n = parseOr();
            if (m_tok != Tok::RParen) fail(QStringLiteral("ожидается \")\""));
            else next();
            return n;
        }
        case Tok::Ident: {
            const QString id = m_text;
            const QString up = id.toUpper();
            next();
            if (up == u"TRUE" || up == u"FALSE") {
                ExpressionNode *n = make(NodeKind::Constant);
                n->value = ReportValue(up == u"TRUE");
                return n;
            }
            if (up == u"PAGENUMBER" || up == u"PAGE") { m_e.m_usesPageNumber = true; return make(NodeKind::PageNumber); }
            if (up == u"PAGECOUNT") { m_e.m_usesPageCount = true; return make(NodeKind::PageCount); }
            static const QHash<QString, AggregateKind> aggs = {
                {QStringLiteral("SUM"), AggregateKind::Sum}, {QStringLiteral("COUNT"), AggregateKind::Count},
                {QStringLiteral("MIN"), AggregateKind::Min}, {QStringLiteral("MAX"), AggregateKind::Max},
                {QStringLiteral("AVERAGE"), AggregateKind::Average}, {QStringLiteral("AVG"), AggregateKind::Average}};
            if (aggs.contains(up))
                return parseAggregate(aggs.value(up));
            if (up == u"IF") {
                ExpressionNode *n = make(NodeKind::If);
                if (m_tok != Tok::LParen) { fail(QStringLiteral("ожидается \"(\"")); return n; }
                setArgs(n, parseArgs());
                if (n->args.size() != 3) {
                    ExpressionNode *e = make(NodeKind::Failed);
                    e->value = wrongCount();
                    return e;
                }
                return n;
            }
            if (const ReportFunction *f = m_functions.function(up)) {
                ExpressionNode *n = make(NodeKind::Call);
                n->name = up;
                n->function = *f;
                if (m_tok == Tok::LParen)
                    setArgs(n, parseArgs());
                return n;
            }
            if (m_tok == Tok::LParen) {
                fail(QStringLiteral("неизвестная функция %1").arg(id));
                parseArgs();
                return make(NodeKind::Constant);
            }
            ExpressionNode *n = make(NodeKind::Name);
            n->name = id;
            m_e.m_names.append(id);
            return n;
        }
        case Tok::Bad:
            fail(m_text);
            next();
            return make(NodeKind::Constant);
        case Tok::End:
            fail(QStringLiteral("неожиданный конец выражения"));
            return make(NodeKind::Constant);
        default:
            fail(QStringLiteral("неожиданный знак"));
            next();
            return make(NodeKind::Constant);
        }
    }

    Expression &m_e;
    const FunctionRegistry &m_functions;
    const QString &m_s;
    int m_pos = 0;
    int m_tokStart = 0;
    Tok m_tok = Tok::End;
    QString m_text;
    QString m_error;
    int m_depth = 0;
};

Expression Expression::compile(const QString &text, const FunctionRegistry &functions)
{
    Expression e;
    e.m_text = text;
    ExpressionParser p(e, functions);
    ExpressionNode *root = p.parse();
    if (!p.error().isEmpty()) {
        e.m_error = QStringLiteral("Ошибка в выражении \"%1\": %2").arg(text, p.error());
        e.m_aggregates.clear();
        e.m_root = nullptr;
        return e;
    }
    e.m_root = root;
    return e;
}

QStringList Expression::namesUnder(const ExpressionNode *node)
{
    QStringList out;
    if (!node)
        return out;
    if (node->kind == NodeKind::Name)
        out.append(node->name);
    for (const ExpressionNode *a : node->args)
        out += namesUnder(a);
    return out;
}

ReportValue Expression::evaluate(ExpressionContext &ctx) const
{
    if (!m_root)
        return ReportValue::error(m_error);
    return evaluateNode(m_root, ctx);
}

namespace {

int compareValues(const ReportValue &a, const ReportValue &b, bool *ok)
{
    *ok = true;
    if (a.isNull() || b.isNull()) {
        if (a.isNull() && b.isNull()) return 0;
        if (a.type() == ReportValue::String || b.type() == ReportValue::String)
            return QString::compare(a.toString(), b.toString());
        return a.isNull() ? -1 : 1;
    }
    const bool intA = a.type() == ReportValue::Integer || a.type() == ReportValue::Boolean;
    const bool intB = b.type() == ReportValue::Integer || b.type() == ReportValue::Boolean;
    if (intA && intB) {
        const qint64 x = a.toInteger(), y = b.toInteger();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if ((a.isNumber() || a.type() == ReportValue::Boolean) && (b.isNumber() || b.type() == ReportValue::Boolean)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (a.type() == ReportValue::DateTime && b.type() == ReportValue::DateTime)
        return a.toDateTime() < b.toDateTime() ? -1 : a.toDateTime() > b.toDateTime() ? 1 : 0;
    if (a.type() == ReportValue::String && b.type() == ReportValue::String)
        return QString::compare(a.toString(), b.toString());
    if (a.isNumber() || b.isNumber() || a.type() == ReportValue::DateTime || b.type() == ReportValue::DateTime) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    *ok = false;
    return 0;
}

ReportValue arithmetic(const QString &op, const ReportValue &a, const ReportValue &b)
{
    const QChar o = op.at(0);
    if (o == u'+' && (a.type() == ReportValue::String || b.type() == ReportValue::String))
        return ReportValue(a.toString() + b.toString());
    if (a.isNull() || b.isNull())
        return {};
    if (a.type() == ReportValue::DateTime && b.isNumber() && (o == u'+' || o == u'-')) {
        const double days = o == u'+' ? b.toDouble() : -b.toDouble();
        // past the calendar the program shows (years 1 to 9999) there is no date to give
        const QDateTime r = std::fabs(days) < 4e6 ? a.toDateTime().addMSecs(qint64(std::llround(days * 86400000.0)))
                                                  : QDateTime();
        if (!r.isValid() || r.date().year() < 1 || r.date().year() > 9999)
            return ReportValue::error(QStringLiteral("Дата вне допустимого диапазона (годы 1–9999)"));
        return ReportValue(r);
    }
    if (a.type() == ReportValue::DateTime && b.type() == ReportValue::DateTime && o == u'-')
        return ReportValue(a.toDateTime().msecsTo(b.toDateTime()) / -86400000.0);
    const bool ints = (a.type() == ReportValue::Integer || a.type() == ReportValue::Boolean)
                   && (b.type() == ReportValue::Integer || b.type() == ReportValue::Boolean);
    // integers stay exact while they fit 64 bits and go on in floating point past that
    qint64 r = 0;
    if (o == u'+') return ints && !__builtin_add_overflow(a.toInteger(), b.toInteger(), &r) ? ReportValue(r) : numeric(a.toDouble() + b.toDouble());
    if (o == u'-') return ints && !__builtin_sub_overflow(a.toInteger(), b.toInteger(), &r) ? ReportValue(r) : numeric(a.toDouble() - b.toDouble());
    if (o == u'*') return ints && !__builtin_mul_overflow(a.toInteger(), b.toInteger(), &r) ? ReportValue(r) : numeric(a.toDouble() * b.toDouble());
    if (b.toDouble() == 0)
        return ReportValue::error(QStringLiteral("Деление на ноль"));
    return numeric(a.toDouble() / b.toDouble());
}

} // namespace

ReportValue Expression::evaluateNode(const ExpressionNode *n, ExpressionContext &ctx)
{
    switch (n->kind) {
    case NodeKind::Constant:
    case NodeKind::Failed:
        return n->value;
    case NodeKind::Name: {
        ReportValue v;
        if (!ctx.resolve(n->name, &v))
            return ReportValue::error(QStringLiteral("Неизвестное имя %1").arg(n->name));
        return v;
    }
    case NodeKind::PageNumber: return ctx.pageNumber();
    case NodeKind::PageCount: return ctx.pageCount();
    case NodeKind::Aggregate: return ctx.aggregate(n->slot);
    case NodeKind::Unary: {
        const ReportValue v = evaluateNode(n->args[0], ctx);
        if (v.isError() || v.isNull()) return v;
        if (n->name == u"not") return ReportValue(!v.toBool());
        if (n->name == u"+") return v;
        if (v.type() == ReportValue::Integer && v.toInteger() != std::numeric_limits<qint64>::min())
            return ReportValue(-v.toInteger());
        return ReportValue(-v.toDouble());
    }
    case NodeKind::And: {
        const ReportValue a = evaluateNode(n->args[0], ctx);
        if (a.isError()) return a;
        if (!a.toBool()) return ReportValue(false);
        const ReportValue b = evaluateNode(n->args[1], ctx);
        return b.isError() ? b : ReportValue(b.toBool());
    }
    case NodeKind::Or: {
        const ReportValue a = evaluateNode(n->args[0], ctx);
        if (a.isError()) return a;
        if (a.toBool()) return ReportValue(true);
        const ReportValue b = evaluateNode(n->args[1], ctx);
        return b.isError() ? b : ReportValue(b.toBool());
    }
    case NodeKind::If: {
        const ReportValue c = evaluateNode(n->args[0], ctx);
        if (c.isError()) return c;
        return evaluateNode(n->args[c.toBool() ? 1 : 2], ctx);
    }
    case NodeKind::Binary: {
        const ReportValue a = evaluateNode(n->args[0], ctx);
        if (a.isError()) return a;
        const ReportValue b = evaluateNode(n->args[1], ctx);
        if (b.isError()) return b;
        const QString &op = n->name;
        if (op == u"+" || op == u"-" || op == u"*" || op == u"/")
            return arithmetic(op, a, b);
        bool ok = false;
        const int c = compareValues(a, b, &ok);
        if (!ok) return ReportValue::error(QStringLiteral("Несовместимые типы: %1 %2 %3").arg(a.typeName(), op, b.typeName()));
        if (op == u"=") return ReportValue(c == 0);
        if (op == u"<>") return ReportValue(c != 0);
        if (op == u"<") return ReportValue(c < 0);
        if (op == u">") return ReportValue(c > 0);
        if (op == u"<=") return ReportValue(c <= 0);
        return ReportValue(c >= 0);
    }
    case NodeKind::Call: {
        QList<ReportValue> args;
        args.reserve(n->args.size());
        for (const ExpressionNode *a : n->args) {
            ReportValue v = evaluateNode(a, ctx);
            if (v.isError()) return v;
            args.append(std::move(v));
        }
        return n->function(args);
    }
    }
    return {};
}

} // namespace vorn::report
