#include "project/PlaceFileFormats.h"

#include <QRegularExpression>
#include <algorithm>

#include "project/PlaceFileParser.h"
#include "settings/NumberText.h"

namespace PlaceFile {

const QString kNotAPlaceFile =
    "This is not a place file the import can read. It looked for the columns of Altium or "
    "EasyEDA (six coordinates ending in \"mil\" or \"mm\"), a KiCad .pos or CSV file, an Eagle "
    "mountsmd file (.mnt, .mnb), and a table whose header names the designator, X, Y and "
    "rotation columns.";

namespace {

const QStringList kKicadColumns = {"Ref", "Val", "Package", "PosX", "PosY", "Rot", "Side"};
constexpr int kEagleMinFields = 5;  // name x y rotation [value] package

struct FormatName {
    PlaceFormat format;
    const char* id;
    const char* caption;
};

constexpr FormatName kFormatNames[] = {
    {PlaceFormat::SuffixedColumns, "unit-suffixed-columns",
     "Altium / EasyEDA (unit-suffixed columns)"},
    {PlaceFormat::KicadPos, "kicad-pos", "KiCad .pos"},
    {PlaceFormat::KicadCsv, "kicad-csv", "KiCad CSV"},
    {PlaceFormat::EagleMountsmd, "eagle-mountsmd", "Eagle mountsmd"},
    {PlaceFormat::EasyedaCpl, "easyeda-jlc-cpl", "EasyEDA / JLC CPL"},
    {PlaceFormat::AltiumText, "altium-text", "Altium Designer text"},
    {PlaceFormat::AltiumCsv, "altium-csv", "Altium Designer CSV"},
    {PlaceFormat::NamedColumns, "named-columns", "Table with named columns"},
    {PlaceFormat::OperatorColumns, "operator-columns", "Table with the columns you named"},
};

const FormatName& formatName(PlaceFormat format) {
    return *std::ranges::find(kFormatNames, format, &FormatName::format);
}

// "Units used: mil" (Altium), "## Unit = inches, Angle = deg." (KiCad) in the lines above the
// header.
std::optional<LengthUnit> titleUnit(const QStringList& lines, const TableHeader& header) {
    static const QRegularExpression statement(
        QStringLiteral(R"(\bunits?(?:\s+used)?\s*[:=]\s*([A-Za-z]+))"),
        QRegularExpression::CaseInsensitiveOption);
    for (qsizetype index = 0; index < header.line; ++index) {
        const QRegularExpressionMatch match = statement.match(lines[index]);
        if (match.hasMatch()) {
            return UnitFromName(match.capturedView(1));
        }
    }
    return std::nullopt;
}

bool titleContains(const QStringList& lines, const TableHeader& header, QStringView text) {
    for (qsizetype index = 0; index < header.line; ++index) {
        if (lines[index].contains(text, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

bool namesInclude(const QStringList& names, const QStringList& wanted) {
    return std::ranges::all_of(wanted, [&names](const QString& name) {
        return names.contains(name, Qt::CaseInsensitive);
    });
}

// Which tool wrote a table whose header the import knows.
PlaceFormat tableFormat(const QStringList& lines, const TableHeader& header) {
    if (header.names == kKicadColumns) {
        return header.delimiter == Delimiter::Whitespace ? PlaceFormat::KicadPos
                                                         : PlaceFormat::KicadCsv;
    }
    if (titleContains(lines, header, u"Altium Designer")) {
        return header.delimiter == Delimiter::Whitespace ? PlaceFormat::AltiumText
                                                         : PlaceFormat::AltiumCsv;
    }
    if (namesInclude(header.names, {"Designator", "Mid X", "Mid Y", "Layer", "Rotation"})) {
        return PlaceFormat::EasyedaCpl;
    }
    return PlaceFormat::NamedColumns;
}

// The signs of the X of one side's rows: +1 all at or right of the origin, -1 all at or left
// of it, 0 on both sides of it or no rows.
int xSign(const QList<PartRec>& rows, BoardSide side) {
    bool anyNegative = false;
    bool anyPositive = false;
    for (const PartRec& row : rows) {
        if (row.Side == side) {
            anyNegative = anyNegative || row.X < 0;
            anyPositive = anyPositive || row.X > 0;
        }
    }
    return anyNegative == anyPositive ? 0 : (anyPositive ? 1 : -1);
}

// The KiCad version a .pos names ("### Printed by Pcbnew version 6.0.11"): its major number,
// or the year of a date-named early build; nothing for a CSV, which names none.
std::optional<int> kicadVersion(const QStringList& lines, const TableHeader& header) {
    static const QRegularExpression printedBy(QStringLiteral(R"(Printed by .*version\D*(\d+))"),
                                              QRegularExpression::CaseInsensitiveOption);
    for (qsizetype index = 0; index < header.line; ++index) {
        const QRegularExpressionMatch match = printedBy.match(lines[index]);
        if (match.hasMatch()) {
            return match.capturedView(1).toInt();
        }
    }
    return std::nullopt;
}

// Whether a KiCad file wrote its bottom parts' X as seen from below. KiCad 6 does; the early
// builds did not, and later ones do only when asked. Boards lie on one side of their origin in
// nearly every file, so the signs tell: bottom X on the other side of the origin than the top
// X (or, without top parts, left of it) were mirrored. A board that straddles its origin goes
// by the version the .pos names; a CSV names none and is taken as KiCad 6 writes it.
bool kicadBottomSeenFromBelow(const QList<PartRec>& rows, std::optional<int> version) {
    constexpr int kMirroringVersion = 6;
    const auto onSide = [&rows](BoardSide side) {
        return std::ranges::any_of(rows, [side](const PartRec& row) { return row.Side == side; });
    };
    if (!onSide(BoardSide::Bottom)) {
        return false;
    }
    const int bottom = xSign(rows, BoardSide::Bottom);
    const int top = onSide(BoardSide::Top) ? xSign(rows, BoardSide::Top) : 1;
    if (bottom != 0 && top != 0) {
        return bottom != top;
    }
    return version.value_or(kMirroringVersion) == kMirroringVersion;
}

void mirrorBottomX(QList<PartRec>& rows) {
    for (PartRec& row : rows) {
        if (row.Side == BoardSide::Bottom) {
            row.X = -row.X + 0.0;
        }
    }
}

std::optional<ColumnMapping> chosenColumns(const TableHeader& header, const ReadOptions& options) {
    if (options.columns) {
        return options.columns;
    }
    if (options.rememberedColumns) {
        return options.rememberedColumns(header.names);
    }
    return std::nullopt;
}

PlaceFileReading readTable(const QStringList& lines, const TableHeader& header,
                           const ReadOptions& options) {
    PlaceFileReading reading;
    reading.Header = header;
    const std::optional<ColumnMapping> chosen = chosenColumns(header, options);
    const ColumnMapping columns = chosen.value_or(header.matched);
    if (!columns.Usable()) {
        reading.Problem = QString(
                              "The header of this file names columns the import does not know "
                              "(%1): name the designator, X and Y columns.")
                              .arg(header.names.join(QStringLiteral(", ")));
        return reading;
    }
    const PlaceFormat format = chosen ? PlaceFormat::OperatorColumns : tableFormat(lines, header);
    std::optional<LengthUnit> stated = HeaderUnit(header.names, columns);
    if (!stated) {
        stated = titleUnit(lines, header);
    }
    reading.Format = format;
    reading.Columns = columns;
    reading.Unit = stated.value_or(
        options.assumedUnit.value_or(columns.unit.value_or(LengthUnit::Millimetre)));
    reading.UnitStated = stated.has_value();
    TableRows table = ReadTableRows(lines, header, columns, reading.Unit, options.pump);
    if (table.valueUnit) {
        reading.Unit = *table.valueUnit;
        reading.UnitStated = true;
    }
    if (!table.error.isEmpty()) {
        reading.Problem = table.error;
        reading.BadLine = true;
        return reading;
    }
    if (format == PlaceFormat::KicadPos || format == PlaceFormat::KicadCsv) {
        reading.BottomSeenFromBelow =
            kicadBottomSeenFromBelow(table.rows, kicadVersion(lines, header));
        if (reading.BottomSeenFromBelow) {
            mirrorBottomX(table.rows);
        }
    }
    reading.Rows = std::move(table.rows);
    return reading;
}

// "name x y rotation value package", blank-separated, no header; an empty value leaves two
// blanks, so five fields. A value of several words lies between the rotation and the package.
std::optional<PartRec> eagleRow(const QString& line) {
    const QStringList fields = SplitFields(line, Delimiter::Whitespace);
    if (fields.size() < kEagleMinFields) {
        return std::nullopt;
    }
    const std::optional<double> x = ParseReal(fields[1]);
    const std::optional<double> y = ParseReal(fields[2]);
    const std::optional<double> rotation = ParseReal(fields[3]);
    if (!x || !y || !rotation) {
        return std::nullopt;
    }
    PartRec row;
    row.Designator = fields[0];
    row.X = *x;
    row.Y = *y;
    row.Rotation = BoundedRotation(*rotation);
    row.Comment = fields.sliced(4, fields.size() - kEagleMinFields).join(u' ');
    row.Pattern = fields.constLast();
    return row;
}

std::optional<PlaceFileReading> readEagle(const QStringList& lines, const ReadOptions& options) {
    PlaceFileReading reading;
    const BoardSide side = options.fileName.endsWith(QStringLiteral(".mnb"), Qt::CaseInsensitive)
                               ? BoardSide::Bottom
                               : BoardSide::Top;
    PumpThrottle throttle(options.pump, kPumpInterval);
    for (const QString& line : lines) {
        throttle.tick();
        if (line.trimmed().isEmpty()) {
            continue;
        }
        std::optional<PartRec> row = eagleRow(line);
        if (!row) {
            return std::nullopt;
        }
        row->Side = side;
        reading.Rows.append(std::move(*row));
    }
    if (reading.Rows.isEmpty()) {
        return std::nullopt;
    }
    reading.Format = PlaceFormat::EagleMountsmd;
    reading.UnitStated = true;  // mountsmd writes mm
    return reading;
}

PlaceFileReading readSuffixedColumns(ParseResult parsed) {
    PlaceFileReading reading;
    reading.Format = PlaceFormat::SuffixedColumns;
    reading.Unit = parsed.Metric.value_or(true) ? LengthUnit::Millimetre : LengthUnit::Mil;
    reading.UnitStated = true;
    reading.Problem = parsed.Error;
    reading.BadLine = !parsed.Succeeded();
    if (parsed.Succeeded()) {
        reading.Rows = std::move(parsed.Rows);
    }
    return reading;
}

PlaceFileReading recognise(const QStringList& lines, const ReadOptions& options) {
    ParseResult suffixed = ParsePlaceLines(lines, options.pump);
    if (!suffixed.Succeeded() || !suffixed.Rows.isEmpty()) {
        return readSuffixedColumns(std::move(suffixed));
    }
    if (const std::optional<TableHeader> header = FindNamedHeader(lines)) {
        return readTable(lines, *header, options);
    }
    if (std::optional<PlaceFileReading> eagle = readEagle(lines, options)) {
        return std::move(*eagle);
    }
    if (const std::optional<TableHeader> header = FindAnyHeader(lines)) {
        return readTable(lines, *header, options);
    }
    PlaceFileReading refused;
    refused.Problem = kNotAPlaceFile;
    return refused;
}

}  // namespace

QString FormatId(PlaceFormat format) {
    return QString::fromLatin1(formatName(format).id);
}

QString FormatCaption(PlaceFormat format) {
    return QString::fromLatin1(formatName(format).caption);
}

PlaceFileReading RecognisePlaceLines(const QStringList& lines, const ReadOptions& options) {
    PlaceFileReading reading = recognise(lines, options);
    if (reading.Succeeded() && reading.Format && reading.Rows.isEmpty()) {
        reading.Problem =
            QString("%1: the file lists no components.").arg(FormatCaption(*reading.Format));
    }
    if (reading.Format != PlaceFormat::SuffixedColumns) {
        SortRows(reading.Rows);  // that parser sorts its own
    }
    return reading;
}

}  // namespace PlaceFile
