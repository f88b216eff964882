// corvane2-cli import FILE [--side all|top|bottom] [--turned-over] [--unit mm|mil|inches]:
// recognises a place file as the import window does and prints its format, its unit and the
// rows of the chosen side, in the window's sorted order, as JSON.
#include <QString>
#include <cstdio>
#include <optional>

#include "CliCommand.h"
#include "JsonText.h"
#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"

namespace {

using PlaceFile::BoardSide;
using PlaceFile::LengthUnit;
using PlaceFile::PlaceFileReading;
using PlaceFile::SideChoice;
using ImportRow = PlaceFile::PartRec;

constexpr const char* kUsage =
    "FILE [--side all|top|bottom] [--turned-over] [--unit mm|mil|inches]   recognise a place "
    "file and print its format, unit and component rows as JSON; --turned-over (with --side "
    "bottom) gives the bottom as the machine sees it on the turned-over board; --unit is the "
    "unit of a file that does not state its own (default mm)";

struct ImportOptions {
    QString file;
    QString side = "all";
    bool turnedOver = false;
    std::optional<LengthUnit> unit;
};

QString sideName(BoardSide side) {
    return side == BoardSide::Bottom ? "bottom" : "top";
}

QString jsonRow(const ImportRow& row) {
    return QString(
               "{\"designator\": %1, \"pattern\": %2, \"x_mm\": %3, \"y_mm\": %4, "
               "\"layer\": %5, \"side\": %6, \"rotation\": %7, \"comment\": %8}")
        .arg(JsonText(row.Designator), JsonText(row.Pattern), JsonNumber(row.X), JsonNumber(row.Y),
             JsonText(row.Layer), JsonText(sideName(row.Side)), JsonNumber(row.Rotation),
             JsonText(row.Comment));
}

QString jsonBool(bool value) {
    return value ? "true" : "false";
}

QString jsonResult(const PlaceFileReading& reading, const ImportOptions& options,
                   const QList<ImportRow>& rows) {
    QStringList rowTexts;
    for (const ImportRow& row : rows) {
        rowTexts << "    " + jsonRow(row);
    }
    const PlaceFile::SideCounts counts = PlaceFile::CountSides(reading.Rows);
    const QStringList members = {
        "\"format\": " + JsonText(PlaceFile::FormatId(*reading.Format)),
        "\"unit\": " + JsonText(PlaceFile::UnitName(reading.Unit)),
        "\"unit_stated\": " + jsonBool(reading.UnitStated),
        "\"metric\": " + jsonBool(reading.Metric()),
        "\"bottom_x_seen_from_below\": " + jsonBool(reading.BottomSeenFromBelow),
        "\"side\": " + JsonText(options.side),
        "\"turned_over\": " + jsonBool(options.turnedOver),
        "\"rows_top\": " + QString::number(counts.Top),
        "\"rows_bottom\": " + QString::number(counts.Bottom),
        "\"rows\": " + (rowTexts.isEmpty() ? "[]" : "[\n" + rowTexts.join(",\n") + "\n  ]"),
    };
    return "{\n  " + members.join(",\n  ") + "\n}\n";
}

void printError(const QString& text) {
    std::fprintf(stderr, "corvane2-cli import: %s\n", qPrintable(text));
}

int refuse(const QString& problem) {
    printError(problem);
    std::fprintf(stderr, "usage: corvane2-cli import %s\n", kUsage);
    return 2;
}

// The value after an option; false (and the problem) when it is missing or not one of `allowed`.
bool takeValue(const QStringList& arguments, qsizetype& at, const QStringList& allowed,
               QString& value, QString& problem) {
    const QString& option = arguments[at];
    if (at + 1 == arguments.size() || !allowed.contains(arguments[at + 1])) {
        problem = QString("%1 takes one of: %2").arg(option, allowed.join(", "));
        return false;
    }
    value = arguments[++at];
    return true;
}

std::optional<ImportOptions> parseOptions(const QStringList& arguments, QString& problem) {
    ImportOptions options;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments[at];
        QString unit;
        if (argument == "--side") {
            if (!takeValue(arguments, at, {"all", "top", "bottom"}, options.side, problem)) {
                return std::nullopt;
            }
        } else if (argument == "--unit") {
            if (!takeValue(arguments, at, {"mm", "mil", "inches"}, unit, problem)) {
                return std::nullopt;
            }
            options.unit = PlaceFile::UnitFromName(unit);
        } else if (argument == "--turned-over") {
            options.turnedOver = true;
        } else if (argument.startsWith("--") || !options.file.isEmpty()) {
            problem = "unexpected argument " + argument;
            return std::nullopt;
        } else {
            options.file = argument;
        }
    }
    if (options.file.isEmpty()) {
        problem = "expected exactly one place file";
        return std::nullopt;
    }
    if (options.turnedOver && options.side != "bottom") {
        problem = "--turned-over takes the bottom side: add --side bottom";
        return std::nullopt;
    }
    return options;
}

SideChoice sideChoice(const ImportOptions& options) {
    if (options.side == "top") {
        return SideChoice::Top;
    }
    if (options.side == "bottom") {
        return options.turnedOver ? SideChoice::BottomTurnedOver : SideChoice::Bottom;
    }
    return SideChoice::All;
}

int runImport(const QStringList& arguments) {
    QString problem;
    const std::optional<ImportOptions> options = parseOptions(arguments, problem);
    if (!options) {
        return refuse(problem);
    }
    const auto lines = PlaceFile::ReadPlaceFile(options->file);
    if (!lines) {
        printError(QString("cannot read the place file \"%1\"").arg(options->file));
        return 1;
    }
    PlaceFile::ReadOptions readOptions;
    readOptions.fileName = options->file;
    readOptions.assumedUnit = options->unit;
    const PlaceFileReading reading = PlaceFile::RecognisePlaceLines(*lines, readOptions);
    if (!reading.Succeeded()) {
        printError(reading.NeedsColumns()
                       ? reading.Problem + " The Import Place File window lets you name them."
                       : reading.Problem);
        return 1;
    }
    const QList<ImportRow> rows = PlaceFile::SelectRows(reading.Rows, sideChoice(*options));
    std::fputs(jsonResult(reading, *options, rows).toUtf8().constData(), stdout);
    return 0;
}

const CliRegistration registration({"import", kUsage, runImport});

}  // namespace
