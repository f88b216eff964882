// Importing a large place file of each format the import reads: the whole path from disk
// (decode, split, recognise, read and sort the rows) must not keep the operator waiting.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <functional>

#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"

namespace {

constexpr int kRowCount = 10000;

const char* const kFootprints[] = {"0805", "0603", "SOT-23", "SOIC-8_3.9x4.9mm", "QFN-32_5x5"};
const char* const kValues[] = {"10k", "100n", "BC847", "LM358", "STM32"};

// The fields of component row `index`: assorted footprints, values, sides and angles
// (negative ones too), positions with decimals.
struct Row {
    QString designator, footprint, value;
    double x, y, rotation;
    bool bottom;
};

Row row(int index) {
    return {QString("U%1").arg(index),
            kFootprints[index % 5],
            kValues[(index / 7) % 5],
            (index % 4000) + (index % 100) / 100.0,
            -((index % 3000) + (index % 10) / 10.0),
            static_cast<double>((index * 45) % 450 - 180),
            index % 2 == 0};
}

QString number(double value) {
    return QString::number(value, 'f', 4);
}

struct Format {
    const char* name;
    QString header;  // the lines above the rows
    std::function<QString(const Row&)> line;
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
};

const Format kFormats[] = {
    {"unit-suffixed text (mil)",
     "Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Comment\r\n\r\n",
     [](const Row& r) {
         const QString x = number(r.x) + "mil", y = number(r.y) + "mil";
         return QString("%1 %2 %3 %4 %3 %4 %3 %4 %5 %6 %7")
             .arg(r.designator, r.footprint, x, y, r.bottom ? "B" : "T", number(r.rotation),
                  r.value);
     }},
    {"unit-suffixed CSV (mm, UTF-16)",
     "Designator\tFootprint\tMid X\tMid Y\tRef X\tRef Y\tPad X\tPad Y\tLayer\tRotation\tComment"
     "\r\n",
     [](const Row& r) {
         const QString x = number(r.x) + "mm", y = number(r.y) + "mm";
         return QString(
                    "\"%1\"\t\"%2\"\t\"%3\"\t\"%4\"\t\"%3\"\t\"%4\"\t\"%3\"\t\"%4\"\t\"%5\"\t"
                    "\"%6\"\t\"%7\"")
             .arg(r.designator, r.footprint, x, y, r.bottom ? "B" : "T", number(r.rotation),
                  r.value);
     },
     QStringConverter::Utf16LE},
    {"KiCad .pos",
     "### Footprint positions - created on 2024 ###\n### Printed by KiCad version 6.0.11\n"
     "## Unit = mm, Angle = deg.\n## Side : All\n"
     "# Ref     Val       Package                PosX       PosY       Rot  Side\n",
     [](const Row& r) {
         return QString("%1 %2 %3 %4 %5 %6 %7")
             .arg(r.designator.leftJustified(9), r.value.leftJustified(9),
                  r.footprint.leftJustified(20), number(r.bottom ? -r.x : r.x).rightJustified(10),
                  number(r.y).rightJustified(10), number(r.rotation).rightJustified(9),
                  r.bottom ? "bottom" : "top");
     }},
    {"KiCad CSV", "Ref,Val,Package,PosX,PosY,Rot,Side\n",
     [](const Row& r) {
         return QString("\"%1\",\"%2\",\"%3\",%4,%5,%6,%7")
             .arg(r.designator, r.value, r.footprint, number(r.bottom ? -r.x : r.x), number(r.y),
                  number(r.rotation), r.bottom ? "bottom" : "top");
     }},
    {"Eagle mountsmd", "",
     [](const Row& r) {
         return QString("%1 %2 %3 %4 %5 %6")
             .arg(r.designator, number(r.x), number(r.y), number(r.rotation), r.value, r.footprint);
     }},
    {"EasyEDA / JLC CPL", "Designator,Footprint,Mid X,Mid Y,Layer,Rotation,Comment\r\n",
     [](const Row& r) {
         return QString("%1,%2,%3mil,%4mil,%5,%6,%7")
             .arg(r.designator, r.footprint, number(r.x), number(r.y), r.bottom ? "B" : "T",
                  number(r.rotation), r.value);
     }},
    {"Altium Designer text",
     "Altium Designer Pick and Place Locations\r\nC:\\Board.txt\r\n\r\n====\r\n"
     "Units used: mil\r\n\r\nDesignator Comment Layer Footprint Center-X(mil) Center-Y(mil) "
     "Rotation Description\r\n",
     [](const Row& r) {
         return QString("%1 %2 %3 %4 %5 %6 %7 \"Part, %2\"")
             .arg(r.designator, r.value, r.bottom ? "BottomLayer" : "TopLayer", r.footprint,
                  number(r.x), number(r.y), number(r.rotation));
     }},
    {"Altium Designer CSV",
     "Altium Designer Pick and Place Locations,,,,,,,\r\nUnits used: mm,,,,,,,\r\n,,,,,,,\r\n"
     "Designator,Comment,Layer,Footprint,Center-X(mm),Center-Y(mm),Rotation,Description\r\n",
     [](const Row& r) {
         return QString("%1,\"%2\",%3,%4,%5,%6,%7,\"Part, %2\"")
             .arg(r.designator, r.value, r.bottom ? "BottomLayer" : "TopLayer", r.footprint,
                  number(r.x), number(r.y), number(r.rotation));
     }},
    {"named columns (semicolons, decimal commas)",
     "RefDes;Value;Package;X (mm);Y (mm);Angle;Layer\r\n",
     [](const Row& r) {
         return QString("%1;%2;%3;%4;%5;%6;%7")
             .arg(r.designator, r.value, r.footprint, number(r.x).replace(u'.', u','),
                  number(r.y).replace(u'.', u','), number(r.rotation).replace(u'.', u','),
                  r.bottom ? "Bottom" : "Top");
     }},
};

QByteArray fileBytes(const Format& format) {
    QString text = format.header;
    for (int index = 1; index <= kRowCount; ++index) {
        text += format.line(row(index)) + "\r\n";
    }
    QStringEncoder encoder(format.encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

PlaceFile::PlaceFileReading import(const QString& path) {
    const auto lines = PlaceFile::ReadPlaceFile(path);
    PlaceFile::ReadOptions options;
    options.fileName = path;
    options.pump = [] {};
    return PlaceFile::RecognisePlaceLines(lines.value_or(QStringList()), options);
}

void BM_ImportPlaceFile(benchmark::State& state) {
    const Format& format = kFormats[state.range(0)];
    state.SetLabel(format.name);
    QTemporaryDir folder;
    const QString path = folder.filePath("place.txt");
    QFile file(path);
    const QByteArray bytes = fileBytes(format);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("cannot write the generated place file");
        return;
    }
    file.close();
    // Every generated row must be read, or the figure means nothing.
    const PlaceFile::PlaceFileReading first = import(path);
    if (!first.Succeeded() || first.Rows.size() != kRowCount) {
        state.SkipWithError(qPrintable("the generated file did not import: " + first.Problem));
        return;
    }
    for (auto _ : state) {
        const PlaceFile::PlaceFileReading reading = import(path);
        benchmark::DoNotOptimize(reading.Rows.size());
    }
    state.counters["rows"] = kRowCount;
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ImportPlaceFile)
    ->DenseRange(0, std::size(kFormats) - 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
