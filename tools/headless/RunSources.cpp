#include "RunSources.h"

#include <QDir>
#include <QFileInfo>

#include "settings/MachineSettingsStore.h"

namespace {

const char* const kOwnSystemFolder = "System Settings";
const char* const kOwnMachineSettings = "Machine Settings/Corvane 2.ini";

bool holdsSettings(const QString& file) {
    return !file.isEmpty() && QFileInfo(file).isFile() &&
           !OpenMachineSettingsStoreAt(file)->allKeys().isEmpty();
}

QString withSeparator(const QString& folder) {
    return folder.isEmpty() || folder.endsWith('/') ? folder : folder + '/';
}

}  // namespace

std::optional<RunSources> FindRunSources(const QString& projectFile,
                                         const QString& userSettingsFile,
                                         const QString& userSystemFolder) {
    const QFileInfo project(projectFile);
    if (!project.isFile()) {
        return std::nullopt;
    }
    const QDir around = project.absoluteDir().filePath("..");
    RunSources sources;
    sources.projectFolder = withSeparator(project.absolutePath());
    sources.projectName = project.completeBaseName();
    sources.systemSettingsFolder = withSeparator(
        around.exists(kOwnSystemFolder) ? QDir::cleanPath(around.filePath(kOwnSystemFolder))
                                        : userSystemFolder);
    for (const QString& file : {around.filePath(kOwnMachineSettings), userSettingsFile}) {
        if (holdsSettings(file)) {
            sources.machineSettingsFile = QDir::cleanPath(file);
            break;
        }
    }
    return sources;
}

void LoadRunMachineSettings(const RunSources& sources, MachineSettings& settings) {
    if (!sources.machineSettingsFile.isEmpty()) {
        LoadMachineSettings(*OpenMachineSettingsStoreAt(sources.machineSettingsFile), settings);
    }
}
