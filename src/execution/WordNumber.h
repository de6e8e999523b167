// Number in Russian words: the integer part spelled out with the declined unit name,
// the fraction part as digits with its own declined unit. Serves the report function
// NUMTORUS and the script utility object.
#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// fVal: the number; bRod: masculine (true) or feminine (false) integer unit;
// iFracAcc: fraction digits shown, 1..9 (clamped);
// IntNames / FracNames: up to three unit forms [many, one, few], absent = no unit.
// The fraction part is written only when FracNames is given. Raises std::range_error
// (a Russian message) for an integer part of more than 21 digits, past the largest
// scale word, and for infinities and NaN.
QString NumToRus(long double fVal, bool bRod = true, int iFracAcc = 2,
                 const std::optional<QStringList> &IntNames = std::nullopt,
                 const std::optional<QStringList> &FracNames = std::nullopt);
