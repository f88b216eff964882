#include "vision/Capture.h"

#include <QDir>
#include <QFileInfo>

#include "context/ProgramContext.h"

namespace {

bool capture(ProgramContext& context, CameraRole camera, ImagePtr& image) {
    QImage frame;
    if (!context.cameras || !context.cameras->currentFrame(camera, frame) || frame.isNull()) {
        return false;
    }
    image = pictureToImage(frame);
    return true;
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
    const QImage picture(resolved);
    if (picture.isNull()) {
        return false;
    }
    image = pictureToImage(picture);
    return true;
}
