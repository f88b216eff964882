#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

void FuzzFailure(const char* check, const QString& detail, const char* file, int line) {
    std::fprintf(stderr, "\n%s:%d: broken promise: %s\n  %s\n", file, line, check,
                 qPrintable(detail));
    std::abort();
}

QByteArray InputBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// In memory where the system has such a folder: on disk, opening and truncating the files
// costs several times what the readers do.
QString scratchTemplate() {
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    return memory.isDir() && memory.isWritable()
               ? memory.filePath() + QStringLiteral("/corvane-fuzz-XXXXXX")
               : QString();
}

const QString& ScratchFolder() {
    static const QTemporaryDir folder =
        scratchTemplate().isEmpty() ? QTemporaryDir() : QTemporaryDir(scratchTemplate());
    static const QString path = folder.path() + u'/';
    if (!folder.isValid()) {
        FuzzFailure("folder.isValid()", "no scratch folder", __FILE__, __LINE__);
    }
    return path;
}

QString WriteScratchFile(const QString& name, const QByteArray& bytes) {
    const QString path = ScratchFolder() + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        FuzzFailure("file written", path, __FILE__, __LINE__);
    }
    return path;
}

QString FirstDifference(const QByteArray& expected, const QByteArray& found) {
    const QList<QByteArray> expectedLines = expected.split('\n');
    const QList<QByteArray> foundLines = found.split('\n');
    for (qsizetype line = 0; line < std::max(expectedLines.size(), foundLines.size()); ++line) {
        const QByteArray want = expectedLines.value(line);
        const QByteArray got = foundLines.value(line);
        if (want != got) {
            // One arg() call: a "%" in the first text would take the second one's place.
            return QStringLiteral("line %1: %2 became %3")
                .arg(QString::number(line + 1), QString::fromLatin1(want.toPercentEncoding(" =[]")),
                     QString::fromLatin1(got.toPercentEncoding(" =[]")));
        }
    }
    return QStringLiteral("no difference");
}

QByteArray ReadScratchFile(const QString& name) {
    QFile file(ScratchFolder() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {

// Qt's warnings about damaged input ("Index out of bound", ...) are expected by the thousand;
// only a fatal message ends the run.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        FuzzFailure("no fatal Qt message", message, __FILE__, __LINE__);
    }
}

}  // namespace

// libFuzzer calls this once before the first input. The application object gets arguments of
// its own so that it cannot take any of libFuzzer's.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv) {
    qInstallMessageHandler(quietMessages);
    static int applicationArgc = 1;
    static char* applicationArgv[] = {(*argv)[0], nullptr};
    static const auto application =
        std::make_unique<QCoreApplication>(applicationArgc, applicationArgv);
    ScratchFolder();
    return 0;
}
