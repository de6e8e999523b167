// Decimal text of numbers for display and rounding. A double is read as the
// shortest decimal that converts back to it, and every rounding works on those
// digits, so no digit moves however large the value and 2.675 rounds as written.
#pragma once
#include <QString>

namespace vorn::decimal {

enum class Rounding {
    HalfAwayFromZero,                 // 2.5 -> 3, -2.5 -> -3
    HalfEven                          // 2.5 -> 2, 3.5 -> 4 (banker's)
};

// Plain notation without an exponent, '.' as the point: "-12.5", "0.00005",
// "1000000000000000". Infinities and NaN give "inf", "-inf", "nan".
QString plain(double d);

// The value rounded to `digits` places after the point (a negative count rounds
// to tens, hundreds, ...), in plain notation with exactly max(digits, 0) places;
// a result of zero carries no sign.
QString rounded(double d, int digits, Rounding mode = Rounding::HalfAwayFromZero);
QString rounded(qint64 v, int digits, Rounding mode = Rounding::HalfAwayFromZero);
// The same for a number already written in plain notation (as plain() writes it).
QString roundedText(const QString &plainText, int digits, Rounding mode = Rounding::HalfAwayFromZero);

// The double nearest to the rounded decimal.
double roundToDouble(double d, int digits, Rounding mode = Rounding::HalfAwayFromZero);

// Plain notation in the form plain() writes ("007.50" -> "7.5", "-0" -> "0");
// empty when the text is not a number in plain notation.
QString normalized(const QString &plainText);

// Reads plain notation ("-123.45", "7") back; false for anything else.
bool toInteger(const QString &plainText, qint64 *out);

// Groups the integer digits of plain notation in threes and puts the locale's
// separators in: localized("-1234567.5", " ", ",") == "-1 234 567,5".
QString localized(const QString &plainText, const QString &groupSeparator, const QString &decimalPoint);

} // namespace vorn::decimal
