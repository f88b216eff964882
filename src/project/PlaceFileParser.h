#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <chrono>
#include <functional>
#include <optional>

#include "project/PlaceFileRow.h"

// The place files of older Altium versions and of EasyEDA: one component per line with
// designator, footprint, six unit-suffixed coordinates ("mil" or "mm"), layer, rotation and
// value. Every other line (titles, column headers, blank lines) is skipped.
namespace PlaceFile {

inline constexpr int kMaxFields = 99;
// Footprint names with spaces are rejoined up to this many extra words.
inline constexpr int kMaxPatternJoins = 10;

// Splits a line at tabs, spaces and commas; runs of separators give no empty fields, double
// quotes are dropped, and a line ending in a separator gets an empty last field.
QStringList TokeniseLine(QStringView line);

// Appends words to the footprint (field 2) until field 3 carries a unit, so a footprint written
// as several words ends in one field and the coordinates fall into place.
void RejoinPattern(QStringList& fields);

// A number field: keeps "-", "." and the digits; nothing left reads as 0. Nothing when the kept
// text is not a number (two points, a minus inside).
std::optional<double> number(QStringView text);

// Brings a rotation towards (-360, 360) by one step of 360.
double StepRotation(double rotation);

struct ParseResult {
    QList<PartRec> Rows;  // sorted when every line converted
    // Whether the last component line had its numbers in mm; nothing when no line was one.
    std::optional<bool> Metric;
    QString Error;  // the failed conversion naming its line; empty on success

    bool Succeeded() const { return Error.isEmpty(); }
};

// Parses the lines of a place file. `pump` handles pending window messages so a long file
// does not freeze the window; it runs at the first line and then at most once per interval.
ParseResult ParsePlaceLines(const QStringList& lines, const std::function<void()>& pump = {},
                            std::chrono::milliseconds pumpInterval = kPumpInterval);

}  // namespace PlaceFile
