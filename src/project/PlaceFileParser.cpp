#include "project/PlaceFileParser.h"

#include <QLocale>
#include <QVarLengthArray>
#include <algorithm>
#include <utility>
#include <variant>
#include <vector>

namespace PlaceFile {
namespace {

constexpr qsizetype kMinFieldsToRejoin = 10;
constexpr int kFirstCoordinateField = 3;
constexpr int kLastUnitField = 8;

struct Unit {
    QLatin1StringView suffix;
    LengthUnit unit;
};

constexpr Unit kMil{QLatin1StringView("mil"), LengthUnit::Mil};
constexpr Unit kMillimetre{QLatin1StringView("mm"), LengthUnit::Millimetre};

bool isSeparator(QChar character) {
    return character == u'\t' || character == u' ' || character == u',';
}

bool hasUnit(const QString& text) {
    return text.endsWith(kMil.suffix) || text.endsWith(kMillimetre.suffix);
}

// Fields count from 1; fields past the end of the line read as empty.
QString field(const QStringList& fields, int fieldNumber) {
    return fields.value(fieldNumber - 1);
}

const Unit* unitOf(const QStringList& fields) {
    for (const Unit* unit : {&kMil, &kMillimetre}) {
        bool allCarryIt = true;
        for (int fieldNumber = kFirstCoordinateField; fieldNumber <= kLastUnitField;
             ++fieldNumber) {
            allCarryIt = allCarryIt && field(fields, fieldNumber).endsWith(unit->suffix);
        }
        if (allCarryIt) {
            return unit;
        }
    }
    return nullptr;
}

// Where layer, rotation and comment stand after the six coordinates. The usual layout has them
// in fields 9, 10 and 11. The wider exports of one CAD tool put a pin count before the layer
// and an SMD flag between rotation and comment: read positionally they would give every part
// the layer letter as its rotation, that is 0. A plain integer in field 9 followed by a field
// that is no number marks the pin count. The distance from rotation to comment comes from the
// file's column header, whose names after the coordinates are single words; it counts on lines
// with the pin count and on lines that reach that far (an SMD flag without the pin count).
// A usual line keeps its comment right after the rotation whatever its header says.
struct TrailingFields {
    int layer = 9;
    int rotation = 10;
    int comment = 11;
};

bool isPlainInteger(const QString& text) {
    bool isInteger = false;
    text.toInt(&isInteger);
    return isInteger;
}

bool isNumber(const QString& text) {
    bool isNumeric = false;
    QLocale::c().toDouble(text, &isNumeric);
    return isNumeric;
}

TrailingFields trailingFields(const QStringList& fields, int rotationToComment) {
    TrailingFields trailing;
    const bool pinCount = isPlainInteger(field(fields, 9)) && !isNumber(field(fields, 10));
    if (pinCount) {
        ++trailing.layer;
        ++trailing.rotation;
    }
    const int headerComment = trailing.rotation + rotationToComment;
    const bool extraColumns = pinCount || !field(fields, headerComment).isEmpty();
    trailing.comment = extraColumns ? headerComment : trailing.rotation + 1;
    return trailing;
}

// The column header's distance from "Rotation" to "Comment", when this line is such a header.
std::optional<int> rotationToComment(const QStringList& fields) {
    const auto indexOf = [&fields](QLatin1StringView name) {
        for (qsizetype index = 0; index < fields.size(); ++index) {
            if (fields[index].compare(name, Qt::CaseInsensitive) == 0) {
                return index;
            }
        }
        return qsizetype(-1);
    };
    const qsizetype rotation = indexOf(QLatin1StringView("Rotation"));
    const qsizetype comment = indexOf(QLatin1StringView("Comment"));
    if (rotation < 0 || comment <= rotation) {
        return std::nullopt;
    }
    return static_cast<int>(comment - rotation);
}

// The row of a component line, or the text of the first field that does not convert.
std::variant<PartRec, QString> makeRow(const QStringList& fields, const Unit& unit,
                                       int rotationToComment) {
    const TrailingFields trailing = trailingFields(fields, rotationToComment);
    PartRec row{field(fields, 1),
                field(fields, 2),
                0,
                0,
                field(fields, trailing.layer),
                0,
                field(fields, trailing.comment)};
    const std::pair<int, double*> numbers[] = {
        {3, &row.X}, {4, &row.Y}, {trailing.rotation, &row.Rotation}};
    for (const auto& [fieldNumber, target] : numbers) {
        const QString text = field(fields, fieldNumber);
        const std::optional<double> value = number(text);
        if (!value) {
            return text;
        }
        *target = *value;
    }
    row.X = ToMillimetres(row.X, unit.unit);
    row.Y = ToMillimetres(row.Y, unit.unit);
    row.Rotation = StepRotation(row.Rotation);
    row.Side = SideOfLayer(row.Layer);
    return row;
}

QString conversionError(qsizetype lineIndex, const QString& text) {
    return QString("Line %1 of the place file: \"%2\" is not a valid number.")
        .arg(lineIndex + 1)
        .arg(text);
}

}  // namespace

QStringList TokeniseLine(QStringView line) {
    QStringList fields;
    if (line.isEmpty()) {
        return fields;
    }
    qsizetype start = 0;  // where the current token began
    const auto token = [&line, &start](qsizetype end) {
        QString text = line.sliced(start, end - start).toString();
        return text.contains(u'"') ? text.remove(u'"') : text;
    };
    for (qsizetype at = 0; at < line.size(); ++at) {
        if (!isSeparator(line[at])) {
            continue;
        }
        QString current = token(at);
        start = at + 1;
        if (!current.isEmpty()) {
            fields.append(std::move(current));
            if (fields.size() == kMaxFields) {
                return fields;
            }
        }
    }
    fields.append(token(line.size()));
    return fields;
}

void RejoinPattern(QStringList& fields) {
    if (fields.size() < kMinFieldsToRejoin) {
        return;
    }
    for (int join = 0; join < kMaxPatternJoins; ++join) {
        if (hasUnit(fields[2])) {
            return;
        }
        fields[1].append(u' ').append(fields.takeAt(2));
        fields.append(QString());  // the line keeps its field count
    }
}

std::optional<double> number(QStringView text) {
    QVarLengthArray<QChar, 32> kept;  // on the stack: a large file has many numbers
    for (QChar character : text) {
        if (character == u'-' || character == u'.' || (character >= u'0' && character <= u'9')) {
            kept.append(character);
        }
    }
    if (kept.isEmpty()) {
        return 0.0;
    }
    bool converted = false;
    const double value = QLocale::c().toDouble(QStringView(kept.data(), kept.size()), &converted);
    if (!converted) {
        return std::nullopt;
    }
    return value + 0.0;  // "-0" is the same angle as "0" and must sort with it
}

double StepRotation(double rotation) {
    if (rotation >= 360) {
        return rotation - 360;
    }
    if (rotation <= -360) {
        return rotation + 360;
    }
    return rotation;
}

ParseResult ParsePlaceLines(const QStringList& lines, const std::function<void()>& pump,
                            std::chrono::milliseconds pumpInterval) {
    ParseResult result;
    PumpThrottle throttle(pump, pumpInterval);
    int headerRotationToComment = 1;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        throttle.tick();
        QStringList fields = TokeniseLine(lines[index]);
        RejoinPattern(fields);
        const Unit* unit = unitOf(fields);
        if (unit == nullptr) {
            headerRotationToComment = rotationToComment(fields).value_or(headerRotationToComment);
            continue;
        }
        result.Metric = unit->unit == LengthUnit::Millimetre;
        std::variant<PartRec, QString> row = makeRow(fields, *unit, headerRotationToComment);
        if (const QString* failedText = std::get_if<QString>(&row)) {
            result.Error = conversionError(index, *failedText);
            return result;
        }
        result.Rows.append(std::get<PartRec>(std::move(row)));
    }
    SortRows(result.Rows);
    return result;
}

}  // namespace PlaceFile
