#include "vision/SnapFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "context/ProgramContext.h"
#include "vision/Capture.h"

const char* const kSnapOverwriteQuestion =
    "A SNAP WITH THIS NAME ALREADY EXISTS IN THE PROJECT.\r"
    "DO YOU WANT TO OVERWRITE IT WITH THIS SNAP?";

namespace {

bool writeBitmap(const TBitmap32& image, const QString& path) {
    QImage picture;
    imageToPicture(&image, picture);
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && picture.save(&file, "BMP") && file.commit();
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
    if (!writeBitmap(*cut, path)) {
        context.port.showError("FAILED TO SAVE THE SNAP " + QDir::toNativeSeparators(path) + "!");
        return false;
    }
    removeOtherSpellings(path);
    if (fileName) {
        *fileName = name;
    }
    return true;
}
