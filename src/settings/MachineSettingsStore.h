#pragma once

#include <QSettings>
#include <QStringList>
#include <memory>

#include "settings/MachineSettings.h"

// The per-user machine settings store: an INI file (organisation "Velmora Electronics",
// application "Corvane 2") with one group per section, in the format of MachineSettingsFile.h.
// Every value is kept as text, so the file reads the same whoever wrote it.
//
// QSettings remembers the first error it met for the lifetime of the object, so open a fresh
// store for every load or save rather than keeping one around.
std::unique_ptr<QSettings> OpenMachineSettingsStore();
// The same store kept in the file at `path`.
std::unique_ptr<QSettings> OpenMachineSettingsStoreAt(const QString& path);

// Reads every setting. A value that is missing or does not read as its type gives that
// setting's default; nothing in the store can make this fail.
void LoadMachineSettings(QSettings& store, MachineSettings& settings);

// Writes every setting. Returns false when the store cannot be written; the file on disk is
// then left exactly as it was (it is replaced as a whole, never half-written).
bool SaveMachineSettings(QSettings& store, const MachineSettings& settings);

// Writes only the remembered status the nozzle changer keeps up to date: "Current Nozzle" and
// "Vision Test Mode". Same failure rule as SaveMachineSettings.
bool SaveCurrentStatus(QSettings& store, const MachineSettings& settings);

// "Section/Key" of every setting, in the order SaveMachineSettings writes them.
QStringList MachineSettingsWriteOrder();
