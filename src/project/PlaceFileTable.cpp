#include "project/PlaceFileTable.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <utility>

#include "settings/NumberText.h"

namespace PlaceFile {
namespace {

// Title blocks (Altium's runs to a dozen lines) stand before the header; a header further down
// is not looked for, so a file that is no table costs little.
constexpr qsizetype kHeaderSearchLines = 200;
constexpr int kMinHeaderNames = 3;
// A quoted text of more lines than this is taken for a quote that never closes.
constexpr int kMaxRecordLines = 100;

// The words of each column, most common first; compared after dropping everything but letters
// and digits, in lower case.
const QList<QStringList>& columnAliases() {
    static const QList<QStringList> aliases = {
        {"designator", "ref", "refdes", "reference", "referencedesignator", "designators", "part",
         "partref", "component", "comp", "name"},
        {"midx", "centerx", "centrex", "centroidx", "posx", "positionx", "locationx", "x", "xpos",
         "xposition", "xlocation", "xcoord", "xcoordinate", "refx"},
        {"midy", "centery", "centrey", "centroidy", "posy", "positiony", "locationy", "y", "ypos",
         "yposition", "ylocation", "ycoord", "ycoordinate", "refy"},
        {"rotation", "rot", "angle", "orientation", "rotate", "theta", "rotationangle"},
        {"side", "layer", "tb", "topbottom", "boardside", "mountside"},
        {"value", "val", "comment", "partvalue", "values"},
        {"footprint", "package", "pattern", "footprintname", "packagename", "pkg", "case"},
    };
    return aliases;
}

bool isBlank(QChar character) {
    return character == u' ' || character == u'\t';
}

QChar delimiterCharacter(Delimiter delimiter) {
    switch (delimiter) {
        case Delimiter::Tab:
            return u'\t';
        case Delimiter::Semicolon:
            return u';';
        case Delimiter::Comma:
            return u',';
        case Delimiter::Whitespace:
            break;
    }
    return u' ';
}

bool separates(QChar character, Delimiter delimiter) {
    return delimiter == Delimiter::Whitespace ? isBlank(character)
                                              : character == delimiterCharacter(delimiter);
}

// A column name without its unit, reduced to lower-case letters and digits, and the unit it
// named: "Center-X(mil)" gives "centerx" and mil, "PosX_mm" gives "posx" and mm.
struct NameAndUnit {
    QString name;
    std::optional<LengthUnit> unit;
};

QString lettersAndDigits(QStringView text) {
    QString kept;
    for (QChar character : text) {
        if (character.isLetterOrNumber()) {
            kept.append(character.toLower());
        }
    }
    return kept;
}

NameAndUnit splitName(const QString& name) {
    static const QRegularExpression bracketed(QStringLiteral(R"([\(\[]\s*([A-Za-z°]*)\s*[\)\]])"));
    NameAndUnit result;
    QString text = name;
    const QRegularExpressionMatch match = bracketed.match(text);
    if (match.hasMatch()) {
        result.unit = UnitFromName(match.captured(1));
        text.remove(match.capturedStart(), match.capturedLength());
    }
    result.name = lettersAndDigits(text);
    return result;
}

// The rank of a name among a column's words (0 the best), or -1.
int aliasRank(const QString& name, Column column) {
    return static_cast<int>(columnAliases()[static_cast<int>(column)].indexOf(name));
}

// "posxmm" is "posx" in mm: a unit glued to a coordinate's name.
NameAndUnit withGluedUnit(const NameAndUnit& split) {
    static const QString kGlued[] = {"mm", "mil", "inch", "in"};
    for (const QString& suffix : kGlued) {
        const QString stem = split.name.chopped(std::min(split.name.size(), suffix.size()));
        if (split.name.endsWith(suffix) && split.name.size() > suffix.size() &&
            (aliasRank(stem, Column::X) >= 0 || aliasRank(stem, Column::Y) >= 0)) {
            return {stem, UnitFromName(suffix)};
        }
    }
    return split;
}

NameAndUnit columnName(const QString& name) {
    const NameAndUnit split = splitName(name);
    const bool known = std::ranges::any_of(
        kColumns, [&split](Column column) { return aliasRank(split.name, column) >= 0; });
    return known ? split : withGluedUnit(split);
}

QStringList withoutTrailingEmpty(QStringList fields) {
    while (!fields.isEmpty() && fields.constLast().isEmpty()) {
        fields.removeLast();
    }
    return fields;
}

// The line as a header: without the "#" that marks it as a comment in some exports.
QStringView headerText(QStringView line, bool& commentMarked) {
    QStringView text = line.trimmed();
    commentMarked = text.startsWith(u'#');
    while (text.startsWith(u'#')) {
        text = text.sliced(1);
    }
    return text;
}

// The delimiters a line may use, most specific first.
QList<Delimiter> candidateDelimiters(QStringView line) {
    QList<Delimiter> candidates;
    for (Delimiter delimiter : {Delimiter::Tab, Delimiter::Semicolon, Delimiter::Comma}) {
        if (line.contains(delimiterCharacter(delimiter))) {
            candidates.append(delimiter);
        }
    }
    candidates.append(Delimiter::Whitespace);
    return candidates;
}

bool namesFullTable(const ColumnMapping& columns) {
    return columns.Usable() && columns[Column::Rotation] >= 0;
}

bool isNumberCell(const QString& cell, Delimiter delimiter) {
    return ReadCellNumber(cell, delimiter).has_value();
}

qsizetype countNumbers(const QStringList& fields, Delimiter delimiter) {
    return std::ranges::count_if(
        fields, [delimiter](const QString& field) { return isNumberCell(field, delimiter); });
}

// The delimiter that splits a line into the most fields.
Delimiter likeliestDelimiter(QStringView line) {
    Delimiter best = Delimiter::Whitespace;
    qsizetype bestCount = 0;
    for (Delimiter delimiter : candidateDelimiters(line)) {
        const qsizetype count = withoutTrailingEmpty(SplitFields(line, delimiter)).size();
        if (count > bestCount) {
            best = delimiter;
            bestCount = count;
        }
    }
    return best;
}

qsizetype nextNonBlank(const QStringList& lines, qsizetype from) {
    while (from < lines.size() && lines[from].trimmed().isEmpty()) {
        ++from;
    }
    return from;
}

bool looksLikeHeader(const QStringList& names, Delimiter delimiter) {
    const qsizetype named =
        std::ranges::count_if(names, [](const QString& name) { return !name.isEmpty(); });
    return named >= kMinHeaderNames && countNumbers(names, delimiter) == 0;
}

// The fields of the record that starts at line `index`, which moves to its last line; nothing
// when a quote stays open beyond kMaxRecordLines.
std::optional<QStringList> nextRecord(const QStringList& lines, Delimiter delimiter,
                                      qsizetype& index) {
    bool openQuote = false;
    QString record = lines[index];
    QStringList fields = SplitFields(record, delimiter, &openQuote);
    for (int joined = 1; openQuote; ++joined) {
        if (joined == kMaxRecordLines || index + 1 == lines.size()) {
            return std::nullopt;
        }
        record += u'\n' + lines[++index];
        fields = SplitFields(record, delimiter, &openQuote);
    }
    return fields;
}

// A line that holds no row below a header: blank, or a comment below a "#" header.
bool holdsNoRow(QStringView line, const TableHeader& header) {
    const QStringView text = line.trimmed();
    return text.isEmpty() || (header.commentMarked && text.startsWith(u'#'));
}

// The fields of the first few rows below a header, a spreadsheet's empty padding skipped.
QList<QStringList> firstRowsBelow(const QStringList& lines, const TableHeader& header) {
    constexpr qsizetype kRowsLookedAt = 3;
    QList<QStringList> rows;
    for (qsizetype index = header.line + 1; index < lines.size() && rows.size() < kRowsLookedAt;
         ++index) {
        if (holdsNoRow(lines[index], header)) {
            continue;
        }
        QStringList fields = SplitFields(lines[index], header.delimiter);
        if (!std::ranges::all_of(fields, &QString::isEmpty)) {
            rows.append(std::move(fields));
        }
    }
    return rows;
}

// Words that name the columns are a header only when rows of numbers follow them (or nothing
// does, in an export without components): a line of prose that happens to name them is not.
bool rowsBelowFit(const QStringList& lines, const TableHeader& header) {
    const QList<QStringList> rows = firstRowsBelow(lines, header);
    return rows.isEmpty() || std::ranges::any_of(rows, [&header](const QStringList& fields) {
               return isNumberCell(fields.value(header.matched[Column::X]), header.delimiter) &&
                      isNumberCell(fields.value(header.matched[Column::Y]), header.delimiter);
           });
}

QString numberError(qsizetype lineIndex, const QString& text) {
    return QString("Line %1 of the place file: \"%2\" is not a valid number.")
        .arg(lineIndex + 1)
        .arg(text);
}

}  // namespace

QStringList SplitFields(QStringView line, Delimiter delimiter, bool* openQuote) {
    QStringList fields;
    QString current;
    bool started = false;  // the field has a character or a quote
    bool quoted = false;
    const auto endField = [&] {
        fields.append(current.trimmed());
        current.clear();
        started = false;
    };
    for (qsizetype at = 0; at < line.size(); ++at) {
        const QChar character = line[at];
        if (quoted) {
            if (character != u'"') {
                current.append(character);
            } else if (at + 1 < line.size() && line[at + 1] == u'"') {
                current.append(u'"');
                ++at;
            } else {
                quoted = false;
            }
        } else if (separates(character, delimiter)) {
            if (delimiter != Delimiter::Whitespace || started) {
                endField();
            }
        } else if (character == u'"' && current.trimmed().isEmpty()) {
            quoted = true;
            started = true;
        } else {
            current.append(character);
            started = started || !isBlank(character);
        }
    }
    if (started || delimiter != Delimiter::Whitespace) {
        endField();
    }
    if (openQuote != nullptr) {
        *openQuote = quoted;
    }
    return fields;
}

QString ColumnCaption(Column column) {
    static const QString captions[kColumnCount] = {"Designator", "X",     "Y",        "Rotation",
                                                   "Side",       "Value", "Footprint"};
    return captions[static_cast<int>(column)];
}

bool ColumnMapping::Usable() const {
    return (*this)[Column::Designator] >= 0 && (*this)[Column::X] >= 0 && (*this)[Column::Y] >= 0;
}

ColumnMapping MatchColumnNames(const QStringList& header) {
    ColumnMapping columns;
    std::array<int, kColumnCount> bestRank;
    bestRank.fill(-1);
    for (qsizetype index = 0; index < header.size(); ++index) {
        const QString name = columnName(header[index]).name;
        for (Column column : kColumns) {
            const int rank = aliasRank(name, column);
            auto& best = bestRank[static_cast<std::size_t>(column)];
            if (rank >= 0 && (best < 0 || rank < best)) {
                best = rank;
                columns[column] = static_cast<int>(index);
            }
        }
    }
    return columns;
}

std::optional<LengthUnit> HeaderUnit(const QStringList& header, const ColumnMapping& columns) {
    const int x = columns[Column::X];
    return x >= 0 && x < header.size() ? columnName(header[x]).unit : std::nullopt;
}

std::optional<CellNumber> ReadCellNumber(QStringView cell, Delimiter delimiter) {
    QStringView text = cell.trimmed();
    qsizetype numberEnd = text.size();
    while (numberEnd > 0 && (text[numberEnd - 1].isLetter() || text[numberEnd - 1] == u'°' ||
                             text[numberEnd - 1] == u'"')) {
        --numberEnd;
    }
    const QStringView suffix = text.sliced(numberEnd);
    CellNumber number;
    if (suffix == u"\"") {
        number.unit = LengthUnit::Inch;
    } else if (!suffix.isEmpty() && suffix != u"°" &&
               suffix.compare(u"deg", Qt::CaseInsensitive) != 0) {
        number.unit = UnitFromName(suffix);
        if (!number.unit) {
            return std::nullopt;
        }
    }
    QString digits = text.first(numberEnd).trimmed().toString();
    if (digits.startsWith(u'+')) {
        digits.remove(0, 1);
    }
    if (delimiter != Delimiter::Comma && digits.count(u',') == 1 && !digits.contains(u'.')) {
        digits.replace(u',', u'.');  // a decimal comma, as spreadsheets write in much of Europe
    }
    const std::optional<double> value = ParseReal(digits);
    if (!value || !std::isfinite(*value)) {
        return std::nullopt;
    }
    number.value = *value;
    return number;
}

std::optional<TableHeader> FindNamedHeader(const QStringList& lines) {
    const qsizetype searched = std::min(lines.size(), kHeaderSearchLines);
    for (qsizetype index = 0; index < searched; ++index) {
        TableHeader header;
        header.line = index;
        const QStringView text = headerText(lines[index], header.commentMarked);
        for (Delimiter delimiter : candidateDelimiters(text)) {
            header.delimiter = delimiter;
            header.names = withoutTrailingEmpty(SplitFields(text, delimiter));
            header.matched = MatchColumnNames(header.names);
            if (header.names.size() >= kMinHeaderNames && namesFullTable(header.matched) &&
                rowsBelowFit(lines, header)) {
                return header;
            }
        }
    }
    return std::nullopt;
}

std::optional<TableHeader> FindAnyHeader(const QStringList& lines) {
    const qsizetype searched = std::min(lines.size(), kHeaderSearchLines);
    for (qsizetype index = nextNonBlank(lines, 0); index < searched;
         index = nextNonBlank(lines, index + 1)) {
        TableHeader header;
        header.line = index;
        const QStringView text = headerText(lines[index], header.commentMarked);
        header.delimiter = likeliestDelimiter(text);
        header.names = withoutTrailingEmpty(SplitFields(text, header.delimiter));
        if (header.delimiter == Delimiter::Whitespace ||
            !looksLikeHeader(header.names, header.delimiter)) {
            continue;  // words lined up with blanks are prose as often as a table
        }
        const QList<QStringList> rows = firstRowsBelow(lines, header);
        if (!rows.isEmpty() && withoutTrailingEmpty(rows.first()).size() == header.names.size() &&
            countNumbers(rows.first(), header.delimiter) >= 2) {
            header.matched = MatchColumnNames(header.names);
            return header;
        }
    }
    return std::nullopt;
}

TableRows ReadTableRows(const QStringList& lines, const TableHeader& header,
                        const ColumnMapping& columns, LengthUnit unit,
                        const std::function<void()>& pump) {
    TableRows result;
    PumpThrottle throttle(pump, kPumpInterval);
    const int needed = std::max(columns[Column::X], columns[Column::Y]) + 1;
    for (qsizetype index = header.line + 1; index < lines.size(); ++index) {
        throttle.tick();
        if (holdsNoRow(lines[index], header)) {
            continue;
        }
        const qsizetype first = index;
        const std::optional<QStringList> record = nextRecord(lines, header.delimiter, index);
        if (!record) {
            result.error = QString("Line %1 of the place file opens a quote that does not close.")
                               .arg(first + 1);
            return result;
        }
        const QStringList& fields = *record;
        if (std::ranges::all_of(fields, &QString::isEmpty)) {
            continue;
        }
        if (fields.size() < needed) {
            result.error = QString("Line %1 of the place file has %2 columns; its header names %3.")
                               .arg(first + 1)
                               .arg(fields.size())
                               .arg(header.names.size());
            return result;
        }
        const auto cell = [&fields, &columns](Column column) {
            return fields.value(columns[column]);
        };
        const std::optional<CellNumber> x = ReadCellNumber(cell(Column::X), header.delimiter);
        const std::optional<CellNumber> y = ReadCellNumber(cell(Column::Y), header.delimiter);
        const QString rotationText = cell(Column::Rotation);
        const std::optional<CellNumber> rotation =
            rotationText.isEmpty() ? CellNumber{} : ReadCellNumber(rotationText, header.delimiter);
        for (const auto& [number, text] :
             {std::pair{&x, cell(Column::X)}, std::pair{&y, cell(Column::Y)},
              std::pair{&rotation, rotationText}}) {
            if (!*number) {
                result.error = numberError(first, text);
                return result;
            }
        }
        if (result.rows.isEmpty()) {
            result.valueUnit = x->unit;
        }
        PartRec row;
        row.Designator = cell(Column::Designator);
        row.Pattern = cell(Column::Footprint);
        row.X = ToMillimetres(x->value, x->unit.value_or(unit));
        row.Y = ToMillimetres(y->value, y->unit.value_or(unit));
        row.Layer = cell(Column::Side);
        row.Rotation = BoundedRotation(rotation->value);
        row.Comment = cell(Column::Value);
        row.Side = SideOfLayer(row.Layer);
        result.rows.append(std::move(row));
    }
    return result;
}

}  // namespace PlaceFile
