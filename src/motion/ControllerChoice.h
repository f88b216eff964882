#pragma once

#include <QString>
#include <QStringView>

struct MachineSettings;
struct MotrixApi;

// The controller the machine settings choose: the library in the program's folder, or LinuxCNC.
inline constexpr char kControllerLibrary[] = "MotrixAPI";
inline constexpr char kControllerLinuxCnc[] = "LinuxCNC";
// The library that drives LinuxCNC, built beside the program.
inline constexpr char kLinuxCncLibrary[] = "MotrixLinuxCNC";

// True when the settings choose LinuxCNC; any other value means the library.
bool UsesLinuxCnc(const MachineSettings& settings);

// The controller library to bind from `folder`, the program's folder.
QString ControllerLibraryPath(const MachineSettings& settings, const QString& folder);

// True when `api` is the LinuxCNC library (it takes the LinuxCNC set-up).
bool BoundToLinuxCnc(const MotrixApi* api);

// Edits of LinuxCNC's address: stored when the text is a host name or address (no blanks), or a
// whole port number 1..65535; a refused text stores nothing.
bool ApplyLinuxCncHost(MachineSettings& settings, QStringView text);
bool ApplyLinuxCncPort(MachineSettings& settings, QStringView text);

// The LinuxCNC library's set-up text: the remote shell's address and the machine's scaling.
QString LinuxCncSetUpText(const MachineSettings& settings);
