#pragma once

#include <QString>
#include <optional>

struct MachineSettings;

// What a headless job on a project reads besides the project file, found the same way for a run
// and for a check: the project's own "System Settings" folder and "Machine Settings/Corvane 2.ini"
// beside its folder when it brings them (as the demo does), else the user's.
struct RunSources {
    QString projectFolder;         // absolute, with a trailing separator
    QString projectName;           // the file's name without ".Corvane"
    QString systemSettingsFolder;  // with a trailing separator
    QString machineSettingsFile;   // empty: the settings' defaults
};

// Null when `projectFile` is not a file. The user's settings count only when they hold values.
std::optional<RunSources> FindRunSources(const QString& projectFile,
                                         const QString& userSettingsFile,
                                         const QString& userSystemFolder);

// The machine settings of the sources, read into `settings` (left as they are without a file).
void LoadRunMachineSettings(const RunSources& sources, MachineSettings& settings);
