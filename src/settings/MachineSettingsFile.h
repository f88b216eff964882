#pragma once

#include <QIODevice>
#include <QSettings>

// The machine settings file as QSettings reads and writes it through the format registered
// here: the program's own INI text, whose section and key names are the plain setting names
// ("[CNC Settings]", "Maximum X Position=405.0000000000") and whose values are the texts as
// they are, UTF-8. The known settings are written section by section in the save order.
//
// A file written in QSettings' own INI escapes ("[CNC%20Settings]", quoted values) still reads,
// and the next save writes it plainly. Names match the settings in any letter case.
QSettings::Format MachineSettingsFileFormat();

bool ReadMachineSettingsFile(QIODevice& device, QSettings::SettingsMap& map);
bool WriteMachineSettingsFile(QIODevice& device, const QSettings::SettingsMap& map);
