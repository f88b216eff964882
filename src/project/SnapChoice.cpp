#include "project/SnapChoice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "context/ProgramContext.h"
#include "vision/Capture.h"
#include "vision/SnapFiles.h"

namespace {

// Copies through a temporary file, so a failed copy never leaves half a snap behind.
bool copyOver(const QString& from, const QString& to) {
    const QString partial = to + ".part";
    QFile::remove(partial);
    if (!QFile::copy(from, partial)) {
        return false;
    }
    QFile::remove(to);
    if (!QFile::rename(partial, to)) {
        QFile::remove(partial);
        return false;
    }
    return true;
}

}  // namespace

SnapChoice ChooseSnapFile(ProgramContext& context, const QString& folder,
                          const QString& currentName, QString& name) {
    const QString chosen =
        context.port.chooseOpenFile({"", folder + currentName + ".bmp", "BITMAPS (*.bmp)", "", ""});
    if (chosen.isEmpty()) {
        return SnapChoice::Cancelled;
    }
    const QFileInfo file(chosen);
    name = file.completeBaseName();
    if (QDir(file.absolutePath()) == QDir(folder)) {
        return SnapChoice::Taken;
    }
    const QString target = folder + name + ".bmp";
    // Snaps are read whatever the letter case of their names: "Fid.BMP" is this snap too.
    const QString existing = ResolveSnapPath(target);
    if (!existing.isEmpty() && !context.port.confirms(kSnapOverwriteQuestion)) {
        return SnapChoice::Kept;
    }
    if (!copyOver(chosen, target)) {
        context.port.showError("FILE COPY ERROR!!");
        return SnapChoice::Kept;
    }
    if (!existing.isEmpty() && existing != target) {
        QFile::remove(existing);  // else two spellings of one snap, the old one read sometimes
    }
    return existing.isEmpty() ? SnapChoice::Copied : SnapChoice::Taken;
}
