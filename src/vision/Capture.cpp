#include "vision/Capture.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

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
    QImageReader reader(resolved);
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
