// VBScript's operators and comparisons on variants, and the locale that its
// number and date conversions follow (SetLocale changes it for the running script).
#pragma once
#include "platform/automation/Variant.h"
#include <QLocale>

namespace vorn {

// The locale for conversions on this thread; the system locale until set.
const QLocale &scriptLocale();
void setScriptLocale(const QLocale &locale);

// Text of numbers and dates as VBScript's CStr gives them in the script locale.
QString formatDouble(double d, int significant = 15);
QString formatDate(double d);
// Reads a numeric string ("1,5" in ru-RU, "&HFF", " 12 ", "1E3"); false if not numeric.
bool parseNumber(const QString &s, double *out);
// Reads a date/time string in the script locale's short formats; false if not a date.
bool parseDate(const QString &s, double *out);

// The largest string and array a script may build. Beyond them the script gets
// error 7 (out of memory) at once, before the memory is asked for: an absurd
// String(n), Space(n), ReDim or a concatenation loop must not take the machine's
// memory and end the whole program.
constexpr qsizetype kMaxScriptStringLength = qsizetype(1) << 27;  // characters (256 MB)
constexpr qint64 kMaxScriptArrayElements = qint64(1) << 24;       // elements (about 256 MB)
void checkScriptStringLength(qint64 length);                      // raises error 7 beyond the limit

// Banker's rounding to an integer (CInt/CLng rounding).
double roundHalfEven(double d);

namespace ops {
enum Op { Add, Sub, Mul, Div, IntDiv, Mod, Pow, Concat, And, Or, Xor, Eqv, Imp,
          Eq, Ne, Lt, Le, Gt, Ge, Is };

Variant add(const Variant &a, const Variant &b);
Variant sub(const Variant &a, const Variant &b);
Variant mul(const Variant &a, const Variant &b);
Variant div(const Variant &a, const Variant &b);
Variant intDiv(const Variant &a, const Variant &b);
Variant mod(const Variant &a, const Variant &b);
Variant pow(const Variant &a, const Variant &b);
Variant concat(const Variant &a, const Variant &b);
Variant neg(const Variant &a);
Variant logicalNot(const Variant &a);
Variant logical(Op op, const Variant &a, const Variant &b);   // And Or Xor Eqv Imp
Variant binary(Op op, const Variant &a, const Variant &b);    // any operator above

// Three-way comparison; textCompare ignores letter case for strings. Returns
// -1/0/1, or 2 when either side is Null (the result of the comparison is Null).
// literalA/literalB mark operands written as literals: a string compared with a
// numeric literal is read as a number, as VBScript does.
int compare(const Variant &a, const Variant &b, bool textCompare = false,
            bool literalA = false, bool literalB = false);
Variant compareOp(Op op, const Variant &a, const Variant &b, bool textCompare = false,
                  bool literalA = false, bool literalB = false);
bool sameObject(const Variant &a, const Variant &b);           // Is
// Equality as Dictionary keys and Filter use it (no type mismatch, Null equals Null).
bool keysEqual(const Variant &a, const Variant &b, bool textCompare);
} // namespace ops

} // namespace vorn
