#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <functional>
#include <optional>

#include "project/PlaceFileRow.h"

// Place files that are tables: a header line names the columns (CSV, tab- or
// semicolon-separated, or columns lined up with blanks), each line below is one component.
namespace PlaceFile {

enum class Delimiter { Tab, Semicolon, Comma, Whitespace };

// Splits a line into trimmed fields. Double quotes group (a delimiter inside them is text, ""
// is one quote). With Whitespace every run of blanks separates; otherwise each delimiter does,
// so empty fields stay where they are. `openQuote`, when given, tells whether the line ended
// inside quotes: the field goes on in the next line.
QStringList SplitFields(QStringView line, Delimiter delimiter, bool* openQuote = nullptr);

// What the import takes from a table, in the order the column step asks for it.
enum class Column { Designator, X, Y, Rotation, Side, Value, Footprint };
inline constexpr int kColumnCount = 7;
inline constexpr std::array<Column, kColumnCount> kColumns = {
    Column::Designator, Column::X,     Column::Y,        Column::Rotation,
    Column::Side,       Column::Value, Column::Footprint};

// "Designator", "X", "Y", "Rotation", "Side", "Value", "Footprint".
QString ColumnCaption(Column column);

// Which column of the table holds what, by 0-based position; -1: the table has none.
struct ColumnMapping {
    std::array<int, kColumnCount> index{-1, -1, -1, -1, -1, -1, -1};
    // The unit of lengths written without one, where the operator chose it.
    std::optional<LengthUnit> unit;

    int& operator[](Column column) { return index[static_cast<std::size_t>(column)]; }
    int operator[](Column column) const { return index[static_cast<std::size_t>(column)]; }
    // Designator, X and Y are known; without a rotation column every part reads 0 degrees.
    bool Usable() const;
    bool operator==(const ColumnMapping&) const = default;
};

// The columns a header names by the words design tools use (Ref, RefDes, Designator, Part;
// X, PosX, Mid X, Center-X, Location X; Rot, Rotation, Angle; Layer, Side; Val, Value,
// Comment; Package, Footprint, Pattern), in any letter case and with or without a unit
// ("Center-X(mm)", "X [mil]", "PosX_mm"). Where several columns name the same thing the
// most common word wins ("Mid X" over "Ref X").
ColumnMapping MatchColumnNames(const QStringList& header);

// The unit a header gives the X column ("Center-X(mil)"); nothing when it names none.
std::optional<LengthUnit> HeaderUnit(const QStringList& header, const ColumnMapping& columns);

// A length or angle cell: a number with "." (or, in files not separated by commas, a decimal
// comma), optionally followed by a unit ("mm", "mil", "in", "deg"). `unit` is the unit
// the number carries; nothing when the cell is no number.
struct CellNumber {
    double value = 0;
    std::optional<LengthUnit> unit;
};
std::optional<CellNumber> ReadCellNumber(QStringView cell, Delimiter delimiter);

// The header line of a table and where its rows start.
struct TableHeader {
    qsizetype line = 0;  // index of the header among the file's lines
    Delimiter delimiter = Delimiter::Comma;
    QStringList names;           // the column names as written
    ColumnMapping matched;       // what the names say by themselves
    bool commentMarked = false;  // the header starts with "#": so do the comment lines below it
};

// The first line among the first lines of the file whose names give designator, X, Y and
// rotation columns, with numbers in those X and Y columns below it (or no rows at all).
std::optional<TableHeader> FindNamedHeader(const QStringList& lines);
// The first line that looks like the header of a table whose names the import does not know:
// three or more names separated by tabs, semicolons or commas, none a number, and a row of as
// many fields below it, numbers among them.
std::optional<TableHeader> FindAnyHeader(const QStringList& lines);

struct TableRows {
    QList<PartRec> rows;                  // unsorted
    std::optional<LengthUnit> valueUnit;  // the unit the first X cell carried, if any
    QString error;                        // a line that does not read, named; empty on success
};

// Reads the rows below the header. Lengths without a unit of their own are in `unit`. A quoted
// field may go on over several lines (a description with line breaks). Blank lines, lines of
// empty fields (a spreadsheet's padding) and, below a "#" header, "#" lines are skipped; a
// line without the X or Y column, or whose X, Y or rotation is no number, or a quote that does
// not close, is an error that names the line.
TableRows ReadTableRows(const QStringList& lines, const TableHeader& header,
                        const ColumnMapping& columns, LengthUnit unit,
                        const std::function<void()>& pump = {});

}  // namespace PlaceFile
