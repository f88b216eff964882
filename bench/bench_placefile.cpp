// Parsing a large place file: the import window must not keep the operator waiting.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "project/PlaceFileImport.h"

namespace {

constexpr int kLineCount = 5000;

// A text export in mil: a column header, then component rows with assorted footprints
// (some of several words), values and rotations.
QStringList generatedPlaceLines() {
    const char* const footprints[] = {"0805", "0603", "SOT 23", "SOIC-8_3.9x4.9mm", "QFN 32 5x5"};
    const char* const values[] = {"10k", "100n", "BC847", "LM358", "STM32"};
    QStringList lines = {
        "Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Comment"};
    for (int index = 1; index < kLineCount; ++index) {
        const QString x = QString("%1.%2mil").arg(index % 4000).arg(index % 100);
        const QString y = QString("-%1.%2mil").arg(index % 3000).arg(index % 10);
        lines << QString("U%1 %2 %3 %4 %3 %4 %3 %4 %5 %6.00 %7")
                     .arg(index)
                     .arg(footprints[index % 5], x, y, index % 2 ? "T" : "B")
                     .arg((index * 45) % 450)
                     .arg(values[(index / 7) % 5]);
    }
    return lines;
}

// Every generated line but the header must be a component row, or the figure means nothing.
bool allRowsRead(const PlaceFile::ParseResult& result, benchmark::State& state) {
    if (result.Succeeded() && result.Rows.size() == kLineCount - 1) {
        return true;
    }
    state.SkipWithError("the generated place file did not parse into its rows");
    return false;
}

void BM_ParsePlaceLines(benchmark::State& state) {
    const QStringList lines = generatedPlaceLines();
    if (!allRowsRead(PlaceFile::ParsePlaceLines(lines), state)) {
        return;
    }
    for (auto _ : state) {
        const PlaceFile::ParseResult result = PlaceFile::ParsePlaceLines(lines, [] {});
        benchmark::DoNotOptimize(result.Rows.size());
    }
}
BENCHMARK(BM_ParsePlaceLines)->Unit(benchmark::kMillisecond);

// The whole import path from disk: a UTF-16 file with CR LF lines, decoded, split and parsed.
void BM_ReadAndParsePlaceFile(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath("place.csv");
    QFile file(path);
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(encoder.encode(generatedPlaceLines().join("\r\n") + "\r\n")) < 0) {
        state.SkipWithError("cannot write the generated place file");
        return;
    }
    file.close();
    if (!allRowsRead(
            PlaceFile::ParsePlaceLines(PlaceFile::ReadPlaceFile(path).value_or(QStringList())),
            state)) {
        return;
    }
    for (auto _ : state) {
        const auto lines = PlaceFile::ReadPlaceFile(path);
        const PlaceFile::ParseResult result = PlaceFile::ParsePlaceLines(*lines, [] {});
        benchmark::DoNotOptimize(result.Rows.size());
    }
}
BENCHMARK(BM_ReadAndParsePlaceFile)->Unit(benchmark::kMillisecond);

}  // namespace
