// The place-file import (ReadPlaceFile, RecognisePlaceLines, SelectRows, ReplacePartList) on
// any bytes, and the remembered columns' text (ColumnsFromText) on the same bytes.
#include <cmath>

#include "FuzzSupport.h"
#include "ProjectChecks.h"
#include "project/PlaceFileColumnMemory.h"
#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"
#include "project/PlaceFileParser.h"

namespace {

using PlaceFile::PlaceFileReading;
using ImportRow = PlaceFile::PartRec;

bool finite(const ImportRow& row) {
    return std::isfinite(row.X) && std::isfinite(row.Y) && std::isfinite(row.Rotation);
}

void checkRows(const QList<ImportRow>& rows, qsizetype lines) {
    FUZZ_CHECK(rows.size() <= lines, "more rows than lines");
    for (qsizetype index = 0; index < rows.size(); ++index) {
        const ImportRow& row = rows[index];
        FUZZ_CHECK(finite(row), QStringLiteral("row %1 (%2) has a position or rotation that is "
                                               "no number")
                                    .arg(index + 1)
                                    .arg(row.Designator));
        FUZZ_CHECK(index == 0 || PlaceFile::SortKey(rows[index - 1]) <= PlaceFile::SortKey(row),
                   QStringLiteral("row %1 is out of order").arg(index + 1));
    }
}

// What the reading promises about itself: rows or one reason, never both; a line named when
// a line is at fault; the rows of the older layout exactly as its own parser gives them.
void checkReading(const PlaceFileReading& reading, const QStringList& lines) {
    FUZZ_CHECK(!reading.Succeeded() || (reading.Format && !reading.Rows.isEmpty()),
               "a reading without a problem has no rows or no format");
    FUZZ_CHECK(reading.Succeeded() || reading.Rows.isEmpty(), "a refused file has rows");
    FUZZ_CHECK(!reading.BadLine || reading.Problem.startsWith(QStringLiteral("Line ")),
               reading.Problem);
    FUZZ_CHECK(!reading.NeedsColumns() || !reading.Header->names.isEmpty(),
               "columns to name without a header");
    checkRows(reading.Rows, lines.size());
    if (reading.Format == PlaceFile::PlaceFormat::SuffixedColumns && reading.Succeeded()) {
        const PlaceFile::ParseResult parsed = PlaceFile::ParsePlaceLines(lines);
        FUZZ_CHECK(parsed.Rows.size() == reading.Rows.size(), "the older layout read otherwise");
        for (qsizetype index = 0; index < parsed.Rows.size(); ++index) {
            FUZZ_CHECK(
                PlaceFile::SortKey(parsed.Rows[index]) == PlaceFile::SortKey(reading.Rows[index]) &&
                    parsed.Rows[index].X == reading.Rows[index].X &&
                    parsed.Rows[index].Y == reading.Rows[index].Y,
                QStringLiteral("row %1 of the older layout read otherwise").arg(index + 1));
        }
    }
}

void checkSides(const QList<ImportRow>& rows) {
    const PlaceFile::SideCounts counts = PlaceFile::CountSides(rows);
    FUZZ_CHECK(counts.Top + counts.Bottom == rows.size(), "rows on no side");
    const QList<ImportRow> turned =
        PlaceFile::SelectRows(rows, PlaceFile::SideChoice::BottomTurnedOver);
    FUZZ_CHECK(turned.size() == counts.Bottom, "the turned-over bottom lost rows");
    for (const ImportRow& row : turned) {
        FUZZ_CHECK(finite(row) && std::abs(row.Rotation) < 360,
                   QStringLiteral("%1 turned over to no position").arg(row.Designator));
    }
}

void checkColumnsText(const QByteArray& bytes) {
    const std::optional<PlaceFile::ColumnMapping> columns =
        PlaceFile::ColumnsFromText(QString::fromUtf8(bytes));
    if (columns) {
        FUZZ_CHECK(PlaceFile::ColumnsFromText(PlaceFile::ColumnsText(*columns)) == columns,
                   PlaceFile::ColumnsText(*columns));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = InputBytes(data, size);
    checkColumnsText(bytes);
    const QString path = WriteScratchFile(QStringLiteral("input.csv"), bytes);
    const std::optional<QStringList> lines = PlaceFile::ReadPlaceFile(path);
    FUZZ_CHECK(lines.has_value(), "a readable place file does not read");
    const PlaceFileReading reading = PlaceFile::RecognisePlaceLines(*lines);
    checkReading(reading, *lines);
    if (!reading.Succeeded()) {
        return 0;  // the window takes no rows from a file that failed
    }
    checkSides(reading.Rows);

    const ProjectState before = SampleProject();
    ProjectState project = before;
    FUZZ_CHECK(PlaceFile::ReplacePartList(project, reading.Rows, reading.Metric()),
               "rows were refused");
    FUZZ_CHECK(project.PartCount() == reading.Rows.size(), "not every row became a part");
    FUZZ_CHECK(project.Feeders == before.Feeders, "the import changed the feeders");
    CheckSavesAndReadsBack(project);
    return 0;
}
