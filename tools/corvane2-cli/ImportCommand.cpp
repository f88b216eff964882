// corvane2-cli import FILE: parses a place file as the import window does and prints its rows,
// in the window's sorted order, as JSON.
#include <QString>
#include <cstdio>

#include "CliCommand.h"
#include "JsonText.h"
#include "project/PlaceFileImport.h"

namespace {

QString jsonRow(const PlaceFile::PartRec& row) {
    return QString(
               "{\"designator\": %1, \"pattern\": %2, \"x_mm\": %3, \"y_mm\": %4, "
               "\"layer\": %5, \"rotation\": %6, \"comment\": %7}")
        .arg(JsonText(row.Designator), JsonText(row.Pattern), JsonNumber(row.X), JsonNumber(row.Y),
             JsonText(row.Layer), JsonNumber(row.Rotation), JsonText(row.Comment));
}

QString jsonResult(const PlaceFile::ParseResult& result) {
    QStringList rows;
    for (const PlaceFile::PartRec& row : result.Rows) {
        rows << "    " + jsonRow(row);
    }
    const QString metric = result.Metric.value_or(false) ? "true" : "false";
    const QString rowList = rows.isEmpty() ? "[]" : "[\n" + rows.join(",\n") + "\n  ]";
    return QString("{\n  \"metric\": %1,\n  \"rows\": %2\n}\n").arg(metric, rowList);
}

void printError(const QString& text) {
    std::fprintf(stderr, "corvane2-cli import: %s\n", qPrintable(text));
}

int runImport(const QStringList& arguments) {
    if (arguments.size() != 1) {
        printError("expected exactly one place file");
        return 2;
    }
    const QString& path = arguments.first();
    const auto lines = PlaceFile::ReadPlaceFile(path);
    if (!lines) {
        printError(QString("cannot read the place file \"%1\"").arg(path));
        return 1;
    }
    const PlaceFile::ParseResult result = PlaceFile::ParsePlaceLines(*lines);
    if (!result.Succeeded()) {
        printError(result.Error);
        return 1;
    }
    std::fputs(jsonResult(result).toUtf8().constData(), stdout);
    return 0;
}

const CliRegistration registration(
    {"import", "FILE   parse a place file and print its component rows as JSON", runImport});

}  // namespace
