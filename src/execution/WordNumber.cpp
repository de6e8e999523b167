// Number in Russian words. The integer part is walked digit by digit from the left;
// each digit knows its place in its group of three from its distance to the end, which
// is how the scale words (тысяча, миллион, ...) and their endings are chosen.
#include "execution/WordNumber.h"
#include "platform/core/DecimalText.h"

#include <cmath>
#include <stdexcept>

namespace {

const char *const kUnits[9] = {"один", "два", "три", "четыре", "пять", "шесть", "семь", "восемь", "девять"};
const char *const kTeens[9] = {"одиннадцать", "двенадцать", "тринадцать", "четырнадцать", "пятнадцать",
                               "шестнадцать", "семнадцать", "восемнадцать", "девятнадцать"};
const char *const kTens[9] = {"десять", "двадцать", "тридцать", "сорок", "пятьдесят",
                              "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};
const char *const kHundreds[9] = {"сто", "двести", "триста", "четыреста", "пятьсот",
                                  "шестьсот", "семьсот", "восемьсот", "девятьсот"};

struct Scale
{
    const char *stem;
    const char *endings[3];  // by form: after 1, after 2-4, otherwise
};
const Scale kScales[6] = {
    {"тысяч", {"а", "и", ""}},         {"миллион", {"", "а", "ов"}},    {"миллиард", {"", "а", "ов"}},
    {"триллион", {"", "а", "ов"}},     {"квадрилион", {"", "а", "ов"}}, {"квинтилион", {"", "а", "ов"}},
};

// Form index [many, one, few] from the last digit and the one before it (0 when none).
int unitForm(QChar last, QChar before)
{
    if (before == u'1')
        return 0;
    if (last == u'1')
        return 1;
    if (last >= u'2' && last <= u'4')
        return 2;
    return 0;
}

void appendUnitName(QString &out, const std::optional<QStringList> &names, int form)
{
    if (!names)
        return;
    form = std::min(form, int(names->size()) - 1);
    if (form >= 0)
        out += u' ' + names->at(form);
}

// The integer part in decimal, a minus sign first: exact whatever its size, where
// a 64-bit integer would have stopped at 9 223 372 036 854 775 807.
QString integerDigits(long double v)
{
    v = std::truncl(v);
    if (std::fabs(v) < 9223372036854775808.0L)
        return QString::number(qint64(v));
    return vorn::decimal::plain(double(v));
}

} // namespace

QString NumToRus(long double fVal, bool bRod, int iFracAcc, const std::optional<QStringList> &IntNames,
                 const std::optional<QStringList> &FracNames)
{
    iFracAcc = std::clamp(iFracAcc, 1, 9);
    if (!std::isfinite(fVal))
        throw std::range_error("Недопустимое число для записи прописью");

    // A minus sign stays in the digit string: it takes a position but says nothing.
    QString digits = integerDigits(fVal);
    if (digits.size() - (digits.startsWith(u'-') ? 1 : 0) > 21)
        throw std::range_error("Число слишком велико для записи прописью");
    if (digits == QLatin1String("0"))
        digits.clear();

    QString out;
    if (digits.isEmpty()) {
        out = QStringLiteral("ноль");
    } else {
        const int n = int(digits.size());
        bool groupSpoken = false;
        bool teenPending = false;
        int groupTens = 0;
        for (int i = 0; i < n; ++i) {
            const int k = n - i;
            const int place = k % 3;  // 1 units, 2 tens, 0 hundreds
            const int group = (k - 1) / 3;
            const QChar ch = digits.at(i);
            const int d = ch.isDigit() ? ch.digitValue() : 0;
            if (place == 2)
                groupTens = d;

            const char *word = nullptr;
            if (teenPending) {
                word = kTeens[d - 1];
                teenPending = false;
            } else if (d == 0) {
            } else if (place == 2 && d == 1 && i + 1 < n && digits.at(i + 1) != u'0') {
                teenPending = true;
            } else if (place == 1 && d <= 2 && (group == 1 || (group == 0 && !bRod))) {
                word = d == 1 ? "одна" : "две";
            } else {
                word = place == 1 ? kUnits[d - 1] : place == 2 ? kTens[d - 1] : kHundreds[d - 1];
            }
            if (word) {
                out += QString::fromUtf8(word) + u' ';
                groupSpoken = true;
            }

            if (place == 1) {
                if (group > 0 && groupSpoken && group <= 6) {
                    const int form = groupTens == 1 ? 2 : d == 1 ? 0 : (d >= 2 && d <= 4) ? 1 : 2;
                    const Scale &s = kScales[group - 1];
                    out += QString::fromUtf8(s.stem) + QString::fromUtf8(s.endings[form]) + u' ';
                }
                groupSpoken = false;
                groupTens = 0;
            }
        }
    }

    const QChar last = digits.isEmpty() ? QChar() : digits.back();
    const QChar before = digits.size() >= 2 ? digits.at(digits.size() - 2) : QChar();
    appendUnitName(out, IntNames, digits.isEmpty() ? 0 : unitForm(last, before));

    if (FracNames) {
        // Rounded on its own on the decimal digits of the value, halves to even; it
        // never carries into the integer part (12.999 gives 00).
        QString text(iFracAcc, u'0');
        if (std::truncl(fVal) != fVal) {
            const QString r = vorn::decimal::rounded(double(fVal), iFracAcc, vorn::decimal::Rounding::HalfEven);
            text = r.mid(r.indexOf(u'.') + 1);
            if (r.startsWith(u'-') && text != QString(iFracAcc, u'0'))
                text.prepend(u'-');
        }
        // For a negative remainder the sign shifts the text; the form still reads the
        // characters at the positions of the last two digits of a positive one.
        const QChar fl = text.at(iFracAcc - 1);
        const QChar fb = iFracAcc == 1 ? QChar() : text.at(iFracAcc - 2);
        int form = 0;
        if (fb != u'1') {
            if (fl == u'1')
                form = 1;
            else if (fl >= u'2' && fl <= u'4')
                form = 2;
        }
        const int idx = std::min(form, int(FracNames->size()) - 1);
        if (idx >= 0)
            out += u' ' + text + u' ' + FracNames->at(idx);
    }
    return out;
}
