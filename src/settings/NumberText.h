#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The program's number texts: "." as decimal separator always, fixed notation. The settings
// store, the project file and the feeder file all write and read numbers through these.

// Rounds to 10 significant digits, then writes fixed-point with 10 decimals
// (78.74015748 -> "78.7401574800"); below 0.1 the tenth decimal is the last one kept.
QString FormatReal(double value);

// Fixed-point with the given number of decimals, for read-outs and edit boxes.
QString FormatFixed(double value, int decimals);

// A real in plain or exponent notation with "." as separator; surrounding blanks are allowed.
// Anything else (a comma, letters, inf/nan, empty text) gives nothing.
std::optional<double> ParseReal(QStringView text);

// A 32-bit integer: optional sign and decimal digits; surrounding blanks are allowed.
// A decimal point, letters or an out-of-range value give nothing.
std::optional<int> ParseInteger(QStringView text);
