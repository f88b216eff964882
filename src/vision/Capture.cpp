#include "vision/Capture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>
#include <algorithm>
#include <cstdlib>

#include "context/ProgramContext.h"

namespace {

// A snap is a piece of a camera frame. A header that claims more pixels than any camera gives
// belongs to a damaged file, and reading it would take memory by the header's word alone.
constexpr qint64 kMaxSnapPixels = 4096 * 4096;

bool withinSnapSize(QSize size) {
    return qint64(size.width()) * size.height() <= kMaxSnapPixels;
}

// The picture as an image; false when there is no memory for it.
bool toImage(const QImage& picture, ImagePtr& image) {
    try {
        image = pictureToImage(picture);
        return true;
    } catch (const ImageError&) {
        return false;
    }
}

bool capture(ProgramContext& context, CameraRole camera, ImagePtr& image) {
    QImage frame;
    if (!context.cameras || !context.cameras->currentFrame(camera, frame) || frame.isNull()) {
        return false;
    }
    return toImage(frame, image);
}

}  // namespace

bool CaptureDownlooking(ProgramContext& context) {
    return capture(context, CameraRole::Down, context.vision.ImageDownlooking);
}

bool CaptureUplooking(ProgramContext& context) {
    return capture(context, CameraRole::Up, context.vision.ImageUplooking);
}

bool CaptureDownlookingFrames(ProgramContext& context, int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        if (!CaptureDownlooking(context)) {
            return false;
        }
    }
    return true;
}

VisionContext VisionOf(ProgramContext& context) {
    return VisionContext{context.vision, context.settings, context.port, context.visionTestDisplay};
}

QString ResolveSnapPath(const QString& path) {
    const QFileInfo file(path);
    if (file.isFile()) {
        return file.filePath();
    }
    const QDir folder = file.dir();
    for (const QString& name : folder.entryList(QDir::Files)) {
        if (name.compare(file.fileName(), Qt::CaseInsensitive) == 0) {
            return folder.filePath(name);
        }
    }
    return {};
}

bool LoadSnap(const QString& path, ImagePtr& image) {
    image.reset();
    const QString resolved = ResolveSnapPath(path);
    if (resolved.isEmpty()) {
        return false;
    }
    QFile file(resolved);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QBuffer bytes;
    bytes.setData(file.readAll());
    if (BitmapCutShort(bytes.data())) {
        return false;
    }
    QImageReader reader(&bytes);
    if (!withinSnapSize(reader.size())) {
        return false;
    }
    const QImage picture = reader.read();
    if (picture.isNull() || !withinSnapSize(picture.size()) || !toImage(picture, image)) {
        image.reset();
        return false;
    }
    return true;
}

bool BitmapCutShort(const QByteArray& bytes) {
    constexpr qsizetype kHeaders = 34;  // file header and the bitmap header up to its compression
    if (!bytes.startsWith("BM") || bytes.size() < kHeaders) {
        return false;
    }
    const char* data = bytes.constData();
    const qint64 declaredSize = qFromLittleEndian<quint32>(data + 2);
    const qint64 pixelsAt = qFromLittleEndian<quint32>(data + 10);
    const qint64 width = qFromLittleEndian<qint32>(data + 18);
    const qint64 height = qFromLittleEndian<qint32>(data + 22);
    const qint64 bitsPerPixel = qFromLittleEndian<quint16>(data + 28);
    const quint32 compression = qFromLittleEndian<quint32>(data + 30);
    qint64 needed = declaredSize;
    if (compression == 0 || compression == 3) {  // rows stored as they are
        const qint64 rowBytes = (std::abs(width) * bitsPerPixel + 31) / 32 * 4;
        needed = std::max(needed, pixelsAt + rowBytes * std::abs(height));
    }
    return needed > bytes.size();
}
