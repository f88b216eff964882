// The place-file import (ReadPlaceFile, ParsePlaceLines, ReplacePartList) on any bytes.
#include <cmath>

#include "FuzzSupport.h"
#include "ProjectChecks.h"
#include "project/PlaceFileImport.h"

namespace {

void checkRows(const PlaceFile::ParseResult& result, qsizetype lines) {
    FUZZ_CHECK(result.Rows.size() <= lines, "more rows than lines");
    FUZZ_CHECK(result.Metric.has_value() == !result.Rows.isEmpty(),
               "the unit is known without rows, or rows have no unit");
    for (qsizetype index = 0; index < result.Rows.size(); ++index) {
        const PlaceFile::PartRec& row = result.Rows[index];
        FUZZ_CHECK(std::isfinite(row.X) && std::isfinite(row.Y) && std::isfinite(row.Rotation),
                   QStringLiteral("row %1 (%2) has a position or rotation that is no number")
                       .arg(index + 1)
                       .arg(row.Designator));
        FUZZ_CHECK(
            index == 0 || PlaceFile::SortKey(result.Rows[index - 1]) <= PlaceFile::SortKey(row),
            QStringLiteral("row %1 is out of order").arg(index + 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = WriteScratchFile(QStringLiteral("input.csv"), InputBytes(data, size));
    const std::optional<QStringList> lines = PlaceFile::ReadPlaceFile(path);
    FUZZ_CHECK(lines.has_value(), "a readable place file does not read");
    const PlaceFile::ParseResult result = PlaceFile::ParsePlaceLines(*lines);
    if (!result.Succeeded()) {
        // The window takes no rows from a file that failed; the message names the line.
        FUZZ_CHECK(result.Error.startsWith(QStringLiteral("Line ")), result.Error);
        return 0;
    }
    checkRows(result, lines->size());

    const ProjectState before = SampleProject();
    ProjectState project = before;
    if (!PlaceFile::ReplacePartList(project, result.Rows, result.Metric.value_or(true))) {
        FUZZ_CHECK(result.Rows.isEmpty(), "rows were refused");
        FUZZ_CHECK(project == before, "a refused import changed the project");
        return 0;
    }
    FUZZ_CHECK(project.PartCount() == result.Rows.size(), "not every row became a part");
    FUZZ_CHECK(project.Feeders == before.Feeders, "the import changed the feeders");
    CheckSavesAndReadsBack(project);
    return 0;
}
