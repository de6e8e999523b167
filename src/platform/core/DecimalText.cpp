// Decimal digits of a number as a digit string and the position of the point.
// Rounding walks the digits as a person would on paper, so the result never
// depends on how the value happens to sit in binary.
#include "platform/core/DecimalText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vorn::decimal {

namespace {

// value = 0.<digits> * 10^point; no leading or trailing zeros; zero has no digits.
struct Digits
{
    bool negative = false;
    std::string digits;
    int point = 0;
};

void normalise(Digits &v)
{
    const size_t first = v.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        v.digits.clear();
        v.point = 0;
        return;
    }
    v.digits.erase(0, first);
    v.point -= int(first);
    v.digits.erase(v.digits.find_last_not_of('0') + 1);
}

Digits fromDouble(double d)
{
    Digits v;
    v.negative = std::signbit(d);
    char buf[64];
    // shortest digits that read back as d, as "d.ddde+XX"
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific);
    const std::string s(buf, r.ptr);
    const size_t e = s.find('e');
    for (size_t i = 0; i < e; ++i)
        if (s[i] != '.')
            v.digits += s[i];
    v.point = std::stoi(s.substr(e + 1)) + 1;
    normalise(v);
    return v;
}

Digits fromInteger(qint64 i)
{
    Digits v;
    v.negative = i < 0;
    // the magnitude of INT64_MIN does not fit: write it from the unsigned value
    const quint64 m = i < 0 ? 0 - quint64(i) : quint64(i);
    v.digits = std::to_string(m);
    v.point = int(v.digits.size());
    normalise(v);
    return v;
}

bool fromText(const QString &text, Digits *out)
{
    Digits v;
    int i = 0;
    const int n = int(text.size());
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+'))
        v.negative = text.at(i++) == u'-';
    bool any = false, dot = false;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'.' && !dot) {
            dot = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return false;
        v.digits += char(c.unicode());
        if (!dot)
            ++v.point;
        any = true;
    }
    if (!any)
        return false;
    normalise(v);
    *out = v;
    return true;
}

void roundTo(Digits &v, int places, Rounding mode)
{
    const int n = int(v.digits.size());
    const int keep = v.point + places;
    if (keep >= n)
        return;
    if (keep < 0) {
        v.digits.clear();
        v.point = 0;
        return;
    }
    const char next = v.digits[size_t(keep)];
    const bool restNonZero = v.digits.find_first_not_of('0', size_t(keep) + 1) != std::string::npos;
    const char last = keep > 0 ? v.digits[size_t(keep) - 1] : '0';
    const bool up = next > '5'
        || (next == '5' && (restNonZero || mode == Rounding::HalfAwayFromZero || (last - '0') % 2 == 1));
    v.digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && v.digits[size_t(i)] == '9'; --i)
            v.digits[size_t(i)] = '0';
        if (i >= 0) {
            ++v.digits[size_t(i)];
        } else {
            v.digits.insert(v.digits.begin(), '1');
            ++v.point;
        }
    }
    normalise(v);
}

QString format(const Digits &v, int places)
{
    const int n = int(v.digits.size());
    auto digitAt = [&](int i) { return i >= 0 && i < n ? QChar(v.digits[size_t(i)]) : QChar(u'0'); };
    QString out;
    if (v.negative && n > 0)
        out += u'-';
    if (v.point <= 0)
        out += u'0';
    for (int i = 0; i < v.point; ++i)
        out += digitAt(i);
    if (places > 0) {
        out += u'.';
        for (int i = v.point; i < v.point + places; ++i)
            out += digitAt(i);
    }
    return out;
}

QString nonFinite(double d)
{
    return std::isnan(d) ? QStringLiteral("nan") : d < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
}

} // namespace

QString plain(double d)
{
    if (!std::isfinite(d))
        return nonFinite(d);
    const Digits v = fromDouble(d);
    return format(v, std::max(0, int(v.digits.size()) - v.point));
}

QString rounded(double d, int digits, Rounding mode)
{
    if (!std::isfinite(d))
        return nonFinite(d);
    Digits v = fromDouble(d);
    roundTo(v, digits, mode);
    return format(v, std::max(0, digits));
}

QString rounded(qint64 i, int digits, Rounding mode)
{
    Digits v = fromInteger(i);
    roundTo(v, digits, mode);
    return format(v, std::max(0, digits));
}

QString roundedText(const QString &plainText, int digits, Rounding mode)
{
    Digits v;
    if (!fromText(plainText, &v))
        return plainText;
    roundTo(v, digits, mode);
    return format(v, std::max(0, digits));
}

QString normalized(const QString &plainText)
{
    Digits v;
    if (!fromText(plainText, &v))
        return QString();
    return format(v, std::max(0, int(v.digits.size()) - v.point));
}

double roundToDouble(double d, int digits, Rounding mode)
{
    if (!std::isfinite(d))
        return d;
    Digits v = fromDouble(d);
    const std::string before = v.digits;
    const int point = v.point;
    roundTo(v, digits, mode);
    if (v.digits == before && v.point == point)
        return d;
    if (v.digits.empty())
        return 0.0;
    const std::string text = (v.negative ? "-0." : "0.") + v.digits + 'e' + std::to_string(v.point);
    double out = 0;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return out;
}

bool toInteger(const QString &plainText, qint64 *out)
{
    Digits v;
    if (!fromText(plainText, &v) || v.point < int(v.digits.size()))
        return false;                 // not a number, or it has a fraction
    if (v.point > 19)
        return false;
    std::string all = v.digits;
    all.append(size_t(v.point) - v.digits.size(), '0');
    const std::string limit = v.negative ? "9223372036854775808" : "9223372036854775807";
    if (all.size() == 19 && all > limit)
        return false;
    quint64 m = 0;
    for (char c : all)
        m = m * 10 + quint64(c - '0');
    *out = v.negative ? qint64(0 - m) : qint64(m);
    return true;
}

QString localized(const QString &plainText, const QString &groupSeparator, const QString &decimalPoint)
{
    const bool negative = plainText.startsWith(u'-');
    const QString body = negative ? plainText.mid(1) : plainText;
    const qsizetype dot = body.indexOf(u'.');
    const QString ip = dot < 0 ? body : body.left(dot);
    QString out;
    for (qsizetype i = 0; i < ip.size(); ++i) {
        if (i > 0 && (ip.size() - i) % 3 == 0)
            out += groupSeparator;
        out += ip.at(i);
    }
    if (dot >= 0)
        out += decimalPoint + body.mid(dot + 1);
    return negative ? u'-' + out : out;
}

} // namespace vorn::decimal
