// Every reader of outside data (the simulator's world file too) on files of 1 to 10 MB: the time
// must grow in proportion to the file's size (the fitted complexity is reported as O(N) with its
// RMS), and a 10 MB file must read in under a second. Each file is built to the size asked for, in
// the shape that costs its reader most: many small records, or many keys the reader has to look
// through.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <functional>

#include "WorldJson.h"
#include "project/FeederFile.h"
#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"
#include "project/ProjectFile.h"
#include "settings/MachineSettingsStore.h"
#include "vision/Capture.h"

namespace {

constexpr qsizetype kMegabyte = 1 << 20;

// Lines made by `line(n)` for n = 1, 2, ... until the text has `bytes` bytes.
QByteArray linesUpTo(qsizetype bytes, const QByteArray& start,
                     const std::function<QByteArray(int)>& line) {
    QByteArray text = start;
    text.reserve(bytes + 256);
    for (int n = 1; text.size() < bytes; ++n) {
        text += line(n);
    }
    return text;
}

QByteArray number(int n) {
    return QByteArray::number(n);
}

class ReaderFile {
public:
    ReaderFile(const QString& name, const QByteArray& bytes) : path_(folder_.filePath(name)) {
        QFile file(path_);
        written_ = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    const QString& path() const { return path_; }
    QString folder() const { return folder_.path() + u'/'; }

    // False, with the benchmark stopped, when the file could not be written.
    bool ready(benchmark::State& state) const {
        if (!written_) {
            state.SkipWithError("cannot write the file to read");
        }
        return written_;
    }

private:
    QTemporaryDir folder_;
    QString path_;
    bool written_ = false;
};

void countBytes(benchmark::State& state, qsizetype bytes) {
    state.SetComplexityN(bytes);
    state.SetBytesProcessed(state.iterations() * bytes);
}

// A project of as many parts as fit, each part with every key.
QByteArray projectText(qsizetype bytes) {
    return linesUpTo(bytes, "[Board Settings]\r\nPanel Count X=2\r\n[Part List]\r\n", [](int n) {
        const QByteArray part = "Part " + number(n);
        return part + " Designator=R" + number(n) + "\r\n" + part + " Comment=10k 1% 0603\r\n" +
               part + " X=" + number(n % 300) + ".1250000000\r\n" + part + " Y=-" +
               number(n % 200) + ".5000000000\r\n" + part + " Angle=90.0000000000\r\n" + part +
               " Feeder=" + number(n % 40) + "\r\n" + part + " Enabled=1\r\n";
    });
}

void BM_ReadProjectFile(benchmark::State& state) {
    QByteArray text = projectText(state.range(0));
    const int parts = text.count(" Designator=");
    text += "Part Count=" + number(parts) + "\r\n[Feeder List]\r\nFeeder Count=0\r\n";
    const ReaderFile file("Large.Corvane", text);
    if (!file.ready(state)) {
        return;
    }
    for (auto _ : state) {
        ProjectState project;
        QString problem;
        if (!ReadProjectFile(file.path(), project, problem) || project.PartCount() != parts) {
            state.SkipWithError("the project did not read");
            break;
        }
    }
    countBytes(state, text.size());
}

// One feeder among a crowd of keys the reader does not know.
void BM_LoadFeederFile(benchmark::State& state) {
    const QByteArray text =
        linesUpTo(state.range(0), "[Feeder List]\r\nFeeder Kind=1\r\nFeeder X=20.5\r\n",
                  [](int n) { return "Feeder Note " + number(n) + "=checked\r\n"; });
    const ReaderFile file("Large.Feeder", text);
    if (!file.ready(state)) {
        return;
    }
    for (auto _ : state) {
        FeederRec feeder;
        if (!LoadFeederFile(file.folder(), "Large", feeder) || feeder.X != 20.5) {
            state.SkipWithError("the feeder did not read");
            break;
        }
    }
    countBytes(state, text.size());
}

// Every setting among sections of keys the program does not know.
void BM_LoadMachineSettings(benchmark::State& state) {
    const QByteArray text =
        linesUpTo(state.range(0), "[CNC Settings]\r\nCOM Port=4\r\n", [](int n) {
            const QByteArray section = n % 50 == 1 ? "[Extra " + number(n) + "]\r\n" : "";
            return section + "Note " + number(n) + "=kept as it is\r\n";
        });
    const ReaderFile file("Large.ini", text);
    if (!file.ready(state)) {
        return;
    }
    int copies = 0;
    for (auto _ : state) {
        // QSettings keeps what it read of a file it has seen: every read gets a new copy.
        state.PauseTiming();
        const QString copy = file.folder() + QString::number(++copies) + ".ini";
        QFile::copy(file.path(), copy);
        state.ResumeTiming();
        MachineSettings settings;
        LoadMachineSettings(*OpenMachineSettingsStoreAt(copy), settings);
        if (settings.comPort != 4) {
            state.SkipWithError("the settings did not read");
            break;
        }
        state.PauseTiming();
        QFile::remove(copy);
        state.ResumeTiming();
    }
    countBytes(state, text.size());
}

// Component rows in mil, a footprint of two words on every third.
void BM_ImportPlaceFile(benchmark::State& state) {
    const QByteArray text = linesUpTo(
        state.range(0),
        "Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Comment\r\n",
        [](int n) {
            const QByteArray x = number(n % 4000) + "." + number(n % 100) + "mil ";
            const QByteArray y = "-" + number(n % 3000) + ".5mil ";
            return "U" + number(n) + (n % 3 ? " 0805 " : " SOT 23 ") + x + y + x + y + x + y +
                   (n % 2 ? "T " : "B ") + number(n * 45 % 450) + ".00 10k\r\n";
        });
    const ReaderFile file("Large.txt", text);
    if (!file.ready(state)) {
        return;
    }
    const qsizetype rows = text.count('\n') - 1;
    for (auto _ : state) {
        const auto lines = PlaceFile::ReadPlaceFile(file.path());
        const PlaceFile::PlaceFileReading result = PlaceFile::RecognisePlaceLines(*lines);
        if (!result.Succeeded() || result.Rows.size() != rows) {
            state.SkipWithError("the place file did not read");
            break;
        }
    }
    countBytes(state, text.size());
}

// A square 24-bit BMP of the size asked for.
void BM_LoadSnap(benchmark::State& state) {
    const int side = static_cast<int>(std::sqrt(state.range(0) / 3.0));
    QImage picture(side, side, QImage::Format_RGB888);
    for (int y = 0; y < side; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < 3 * side; ++x) {
            row[x] = static_cast<uchar>(x * 7 + y * 13);
        }
    }
    const QTemporaryDir folder;
    const QString path = folder.filePath("Large.bmp");
    if (!picture.save(path, "BMP")) {
        state.SkipWithError("cannot write the snap");
        return;
    }
    for (auto _ : state) {
        ImagePtr image;
        if (!LoadSnap(path, image) || image->Width != side) {
            state.SkipWithError("the snap did not load");
            break;
        }
    }
    countBytes(state, QFileInfo(path).size());
}

// A board of as many parts as fit, every part with each of its keys.
void BM_ReadWorldFile(benchmark::State& state) {
    QByteArray text = linesUpTo(
        state.range(0),
        R"({"part_kinds": [{"name": "R0603", "body": [1.6, 0.8], "height": 0.45}],)"
        "\n"
        R"("board": {"size": [300, 200], "parts": [)"
        "\n",
        [](int n) {
            return R"({"designator": "R)" + number(n) + R"(", "kind": "R0603", "position": [)" +
                   number(n % 290 + 5) + ".25, " + number(n % 190 + 5) + R"(.5], "angle": )" +
                   number(n * 90 % 360) + "},\n";
        });
    const int parts = text.count("designator");
    text.chop(2);  // the last part's comma
    text += "]}}\n";
    const ReaderFile file("Large.json", text);
    if (!file.ready(state)) {
        return;
    }
    for (auto _ : state) {
        const motrix_sim::World world = motrix_sim::worldFromFile(file.path().toStdString());
        if (static_cast<int>(world.board.parts.size()) != parts) {
            state.SkipWithError("the world did not read");
            break;
        }
    }
    countBytes(state, text.size());
}

void tenMegabytes(benchmark::internal::Benchmark* benchmark) {
    for (const qsizetype megabytes : {1, 2, 5, 10}) {
        benchmark->Arg(megabytes * kMegabyte);
    }
    benchmark->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

}  // namespace

BENCHMARK(BM_ReadProjectFile)->Apply(tenMegabytes);
BENCHMARK(BM_LoadFeederFile)->Apply(tenMegabytes);
BENCHMARK(BM_LoadMachineSettings)->Apply(tenMegabytes);
BENCHMARK(BM_ImportPlaceFile)->Apply(tenMegabytes);
BENCHMARK(BM_LoadSnap)->Apply(tenMegabytes);
BENCHMARK(BM_ReadWorldFile)->Apply(tenMegabytes);
