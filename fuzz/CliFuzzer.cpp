// The command line of corvane2-cli: the input's bytes, split at NUL bytes, are the arguments of
// one run of the tool, made in-process as the program makes it, in a folder of sample files.
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstdlib>

#include "CliCommand.h"
#include "FuzzSupport.h"
#include "ProjectChecks.h"
#include "WorldJson.h"
#include "project/ProjectFile.h"

namespace {

struct SampleFile {
    QString name;
    QByteArray bytes;
};

QByteArray bmpBytes(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return bytes;
}

QImage sampleFrame() {
    QImage frame(48, 36, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            frame.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * x + y * 7) % 256, y * 7));
        }
    }
    return frame;
}

// What the seeds name: a project, a place file, a camera frame, a snap cut from it and the
// simulator's built-in world.
const QList<SampleFile>& sampleFiles() {
    static const QList<SampleFile> files = {
        {"sample.Corvane", ProjectFileText(SampleProject())},
        {"sample.csv",
         "Designator,Footprint,Mid X,Mid Y,Ref X,Ref Y,Pad X,Pad Y,Layer,Rotation,Comment\r\n"
         "R1,0603,10mm,20mm,10mm,20mm,10mm,20mm,T,90,10k\r\n"
         "C1,0805,15.5mm,2mm,15.5mm,2mm,15.5mm,2mm,B,-90,100n\r\n"},
        {"frame.bmp", bmpBytes(sampleFrame())},
        {"reference.bmp", bmpBytes(sampleFrame().copy(20, 14, 8, 8))},
        {"world.json", QByteArray::fromStdString(std::string(motrix_sim::defaultWorldText()))},
    };
    return files;
}

// Every run starts in a folder that holds the sample files and nothing else: a run may have
// written over one of them or beside them.
void layOutSampleFiles() {
    QDir folder(ScratchFolder());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!folder.remove(name)) {
            QDir(folder.filePath(name)).removeRecursively();
        }
    }
    for (const SampleFile& file : sampleFiles()) {
        WriteScratchFile(file.name, file.bytes);
    }
}

struct Run {
    int status;
    QByteArray out;
    QByteArray err;
};

// Runs the tool with its standard output and error in memory.
Run runTool(const QStringList& arguments) {
    char* out = nullptr;
    char* err = nullptr;
    std::size_t outSize = 0;
    std::size_t errSize = 0;
    FILE* const standardOutput = stdout;
    FILE* const standardError = stderr;
    stdout = open_memstream(&out, &outSize);
    stderr = open_memstream(&err, &errSize);
    const int status = RunCliCommand(arguments);
    std::fclose(stdout);
    std::fclose(stderr);
    stdout = standardOutput;
    stderr = standardError;
    Run run{status, QByteArray(out, qsizetype(outSize)), QByteArray(err, qsizetype(errSize))};
    std::free(out);
    std::free(err);
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = InputBytes(data, size);
    QStringList arguments;
    if (!bytes.isEmpty()) {
        for (const QByteArray& argument : bytes.split('\0')) {
            arguments.append(QString::fromUtf8(argument));
        }
    }
    // Names stay inside the sample folder: a path could let --save write anywhere.
    for (const QString& argument : arguments) {
        if (argument.contains(u'/')) {
            return -1;
        }
    }
    static const bool inFolder = QDir::setCurrent(ScratchFolder());
    FUZZ_CHECK(inFolder, "cannot work in the scratch folder");
    layOutSampleFiles();

    const Run run = runTool(arguments);
    const QString seen = QStringLiteral("status %1, output \"%2\", errors \"%3\"")
                             .arg(run.status)
                             .arg(QString::fromUtf8(run.out.left(200)))
                             .arg(QString::fromUtf8(run.err.left(200)));
    FUZZ_CHECK(run.status >= 0 && run.status <= 2, "exit status 0, 1 or 2: " + seen);
    if (run.status == 0 && arguments == QStringList{"--version"}) {
        FUZZ_CHECK(
            run.out.startsWith("corvane2-cli ") && run.out.endsWith('\n') && run.err.isEmpty(),
            "the version is one line: " + seen);
        return 0;
    }
    // The machine check's 1 is its answer (something blocks a run), with its report.
    const bool blockingReport =
        run.status == 1 && arguments.value(0) == "check" &&
        QJsonDocument::fromJson(run.out).object().value("blocking").toInt() > 0;
    if (run.status == 0 || blockingReport) {
        // A command prints one JSON object, or nothing when its result is a file (render).
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
        FUZZ_CHECK(run.out.isEmpty() || json.isObject(),
                   "a success prints one JSON object (" + error.errorString() + "): " + seen);
        FUZZ_CHECK(run.err.isEmpty(), "a success complains: " + seen);
    } else {
        FUZZ_CHECK(run.out.isEmpty(), "a failure prints a result: " + seen);
        FUZZ_CHECK(run.err.startsWith("corvane2-cli") || run.err.startsWith("usage: corvane2-cli"),
                   "a failure does not say why: " + seen);
    }
    return 0;
}
