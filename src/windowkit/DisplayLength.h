#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// Lengths as the operator sees and types them: mm while the project is metric, inches
// otherwise. Internally every length is mm.

constexpr double kMmPerInch = 25.4;

// 3 decimals in mm, 4 decimals in inches.
QString FormatLength(double mm, bool metric);

// A typed length in mm (the text is inches when `metric` is false); nothing when the text is
// not a number.
std::optional<double> ParseLength(QStringView text, bool metric);
