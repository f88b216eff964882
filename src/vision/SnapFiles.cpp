#include "vision/SnapFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include "context/ProgramContext.h"
#include "vision/Capture.h"

const char* const kSnapOverwriteQuestion =
    "A SNAP WITH THIS NAME ALREADY EXISTS IN THE PROJECT.\r"
    "DO YOU WANT TO OVERWRITE IT WITH THIS SNAP?";

namespace {

template <typename T>
void appendLittleEndian(QByteArray& bytes, T value) {
    char raw[sizeof(T)];
    qToLittleEndian(value, raw);
    bytes.append(raw, sizeof(T));
}

// Older files may spell the same snap in another letter case; after a write only the new
// spelling is left, so every reader finds the new picture.
void removeOtherSpellings(const QString& path) {
    const QFileInfo written(path);
    QDir folder = written.dir();
    for (const QString& name : folder.entryList(QDir::Files)) {
        if (name != written.fileName() &&
            name.compare(written.fileName(), Qt::CaseInsensitive) == 0) {
            folder.remove(name);
        }
    }
}

// The path a project or system snap goes to, or empty when the person cancels or declines
// to replace an existing snap.
QString askForSnapPath(ProgramContext& context, SnapDestination destination, QString* fileName) {
    const QString folder = destination == SnapDestination::System ? context.SystemSettingsFolder
                                                                  : context.project.ProjectFolder;
    FileDialogRequest request;
    request.title = "Save Snap";
    request.folder = folder;
    request.filter = "BITMAPS (*.BMP)";
    request.defaultSuffix = "BMP";
    const QString chosen = context.port.chooseSaveFile(request);
    if (chosen.isEmpty()) {
        return {};
    }
    const QString name = QFileInfo(chosen).completeBaseName();
    if (name.isEmpty()) {
        return {};
    }
    const QString path = SnapFilePath(folder, name);
    if (!ResolveSnapPath(path).isEmpty() && !context.port.confirms(kSnapOverwriteQuestion)) {
        return {};
    }
    *fileName = name;
    return path;
}

}  // namespace

QByteArray Bitmap32File(const TBitmap32& image) {
    constexpr quint32 kHeaders = 14 + 40;  // file header, then the bitmap's
    const quint32 pixelBytes = static_cast<quint32>(image.Bits.size() * 4);
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(kHeaders + pixelBytes));
    bytes.append("BM");
    appendLittleEndian<quint32>(bytes, kHeaders + pixelBytes);
    appendLittleEndian<quint32>(bytes, 0);  // reserved
    appendLittleEndian<quint32>(bytes, kHeaders);
    appendLittleEndian<quint32>(bytes, 40);
    appendLittleEndian<qint32>(bytes, image.Width);
    appendLittleEndian<qint32>(bytes, image.Height);  // positive: the bottom row comes first
    appendLittleEndian<quint16>(bytes, 1);            // planes
    appendLittleEndian<quint16>(bytes, 32);
    appendLittleEndian<quint32>(bytes, 0);  // no compression
    appendLittleEndian<quint32>(bytes, pixelBytes);
    for (int unused = 0; unused < 4; ++unused) {  // resolution, palette: none
        appendLittleEndian<quint32>(bytes, 0);
    }
    bytes.resize(static_cast<qsizetype>(kHeaders + pixelBytes));
    char* pixel = bytes.data() + kHeaders;
    for (int y = image.Height - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width; ++x, pixel += 4) {
            qToLittleEndian<quint32>(image.pixel(x, y) | 0xFF000000u, pixel);
        }
    }
    return bytes;
}

bool WriteBitmap32(const TBitmap32& image, const QString& path) {
    const QByteArray bytes = Bitmap32File(image);
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QString SnapFilePath(const QString& folder, const QString& name) {
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(u'/')) {
        path += u'/';
    }
    return path + name + ".Bmp";
}

bool SaveSnap(ProgramContext& context, const TBitmap32& frame, const WindowBounds& window,
              SnapDestination destination, const QString& specialPath, QString* fileName) {
    QString name = QFileInfo(specialPath).completeBaseName();
    const QString path = destination == SnapDestination::Special
                             ? specialPath
                             : askForSnapPath(context, destination, &name);
    if (path.isEmpty()) {
        return false;
    }
    const ImagePtr cut = copyWindow(frame, window);
    if (!WriteBitmap32(*cut, path)) {
        context.port.showError("FAILED TO SAVE THE SNAP " + QDir::toNativeSeparators(path) + "!");
        return false;
    }
    removeOtherSpellings(path);
    if (fileName) {
        *fileName = name;
    }
    return true;
}
