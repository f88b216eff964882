#include "project/DemoProject.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "context/ProgramContext.h"
#include "project/ProjectFile.h"
#include "settings/MachineSettingsStore.h"

namespace {

// A file of this name in any letter case (snaps are read case-insensitively).
bool existsInAnyCase(const QString& path) {
    const QFileInfo file(path);
    const QDir folder = file.dir();
    for (const QString& name : folder.entryList(QDir::Files)) {
        if (name.compare(file.fileName(), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// Copies every file under `from` into `to`, leaving files that are there alone.
void copyMissingFiles(const QString& from, const QString& to) {
    const QDir source(from);
    QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString target = QDir(to).filePath(source.relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        if (!existsInAnyCase(target)) {
            QFile::copy(file, target);
            // Resource files are read-only; the user's copy must be editable.
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }
}

const char* const kSystemSnaps = "System Settings";
const char* const kMachineSettings = "Machine Settings/Corvane 2.ini";

// The demo's project: the folder holding "<name>.Corvane".
QString demoProjectName(const QDir& demo) {
    for (const QString& name : demo.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QFileInfo::exists(demo.filePath(name + "/" + name + ".Corvane"))) {
            return name;
        }
    }
    return {};
}

}  // namespace

bool IsFirstStart(const ProgramContext& context) {
    if (!context.openSettingsStore) {
        return false;
    }
    const auto store = context.openSettingsStore();
    return store && store->allKeys().isEmpty();
}

bool InstallDemoProject(ProgramContext& context, const QString& demoRoot) {
    const QDir demo(demoRoot);
    const QString name = demoProjectName(demo);
    if (name.isEmpty() || QFileInfo::exists(context.ProjectsRoot + name)) {
        return false;
    }
    copyMissingFiles(demo.filePath(name), context.ProjectsRoot + name);
    if (demo.exists(kSystemSnaps)) {
        copyMissingFiles(demo.filePath(kSystemSnaps), context.SystemSettingsFolder);
    }
    if (demo.exists(kMachineSettings)) {
        LoadMachineSettings(*OpenMachineSettingsStoreAt(demo.filePath(kMachineSettings)),
                            context.settings);
    }
    context.settings.lastProjectPath = context.ProjectsRoot + name + "/";
    context.settings.lastProjectName = name;
    return QFileInfo::exists(ProjectFilePath(context.settings.lastProjectPath, name));
}
