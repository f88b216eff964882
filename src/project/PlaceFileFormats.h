#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "project/PlaceFileRow.h"
#include "project/PlaceFileTable.h"

// Recognising a place file by its content: which design tool wrote it, in which unit, and its
// component rows.
namespace PlaceFile {

enum class PlaceFormat {
    SuffixedColumns,  // older Altium and EasyEDA: six coordinates with "mil" or "mm"
    KicadPos,
    KicadCsv,
    EagleMountsmd,
    EasyedaCpl,  // EasyEDA / JLC CPL: Designator, Mid X, Mid Y, Layer, Rotation
    AltiumText,  // current Altium exports, under their title block
    AltiumCsv,
    NamedColumns,     // any other table whose header names its columns
    OperatorColumns,  // a table whose columns the operator named
};

// "unit-suffixed-columns", "kicad-pos", ...: the name the command line prints.
QString FormatId(PlaceFormat format);
// "Altium / EasyEDA (unit-suffixed columns)", "KiCad .pos", ...: the name the window shows.
QString FormatCaption(PlaceFormat format);

struct ReadOptions {
    // An Eagle file holds one side; its name says which (".mnb": the bottom).
    QString fileName;
    // The unit of a file that does not say its own (a KiCad CSV, a table of bare numbers);
    // nothing: the unit remembered with the columns, else mm.
    std::optional<LengthUnit> assumedUnit;
    // The operator's columns for the file's header; they take precedence over everything else.
    std::optional<ColumnMapping> columns;
    // The columns remembered for a header, if any.
    std::function<std::optional<ColumnMapping>(const QStringList& header)> rememberedColumns;
    std::function<void()> pump;
};

struct PlaceFileReading {
    std::optional<PlaceFormat> Format;  // nothing: the file was not recognised
    LengthUnit Unit = LengthUnit::Millimetre;
    bool UnitStated = false;  // the file says its unit; otherwise `Unit` was assumed
    // The file wrote the X of its bottom parts as seen from below (KiCad 6 does); the rows
    // have them as seen from the top again.
    bool BottomSeenFromBelow = false;
    QList<PartRec> Rows;  // sorted
    // The header of a table, for the operator to name its columns, and the columns its rows
    // were read from.
    std::optional<TableHeader> Header;
    ColumnMapping Columns;
    QString Problem;       // why nothing can be imported; empty when rows were read
    bool BadLine = false;  // the problem is a line that does not read, named in `Problem`

    bool Succeeded() const { return Problem.isEmpty(); }
    // A table whose columns the operator must name before it imports.
    bool NeedsColumns() const { return !Format && Header.has_value(); }
    bool Metric() const { return Unit == LengthUnit::Millimetre; }
};

// What a file that is no place file is told: the formats the import looked for.
extern const QString kNotAPlaceFile;

// Recognises the lines of a place file and reads its rows. The layout of older Altium versions
// and EasyEDA is tried first and read exactly as it always was; then a KiCad .pos or any table
// whose header names its columns (KiCad CSV, EasyEDA / JLC CPL, current Altium, a CSV of any
// tool), then Eagle's mountsmd. A table whose header names unknown columns waits for the
// operator's columns (NeedsColumns); anything else is refused with kNotAPlaceFile.
PlaceFileReading RecognisePlaceLines(const QStringList& lines, const ReadOptions& options = {});

}  // namespace PlaceFile
