#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace kulvera {

// Numbers kept as text use the comma as decimal separator; readers accept "."
// as well. These are the only functions that turn such text into numbers and
// back, and the only rounding the program does.

// Parses "12,5", "12.5", "-3", "+1,0e3", " 7 " (blanks around are ignored).
// Anything else (empty text, letters, two separators) gives nothing.
std::optional<double> parseNumber(QStringView text);
// Same, with a fallback for text that is not a number (a null column, "").
double numberOr(QStringView text, double fallback = 0.0);

// Rounds the decimal value a person sees, halves away from zero: the double is
// first written with 15 significant digits, so 1.005 becomes 1.01 at two
// decimals. decimals < 0 is taken as 0.
double roundTo(double value, int decimals);
// The nearest whole number, halves to the even one (2,5 → 2; 3,5 → 4), as a
// conversion to an integer does where the program says so.
double roundHalfEven(double value);
// The rounded value written with exactly `decimals` decimals and a comma, as
// the mask "0." followed by that many zeros does ("12,30"; "12" for 0).
QString formatFixed(double value, int decimals);
// Shortest text that reads back as the same double, with a comma ("0,1", "12").
QString formatNumber(double value);

// Default decimals of prices (setting RoundPrice) and gross masses (lRoundBrutto).
inline constexpr int kDefaultRoundPrice = 2;
inline constexpr int kDefaultRoundBrutto = 1;

} // namespace kulvera
