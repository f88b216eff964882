#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "project/IniFields.h"
#include "project/ProjectState.h"

class IniDocument;
class IniWriter;

// The "Feeder List" section that ends the project file: "Feeder Count", then every field of
// feeder n under "Feeder <n> ...".
void WriteFeederListSection(IniWriter& writer, const QList<FeederRec>& feeders);
// Nothing when the count is damaged (negative or absurdly large), with `problem`, when given,
// saying so. Every feeder read gets the location its kind demands.
std::optional<QList<FeederRec>> ReadFeederListSection(const IniDocument& document,
                                                      QString* problem = nullptr);

// One feeder exported to Folder + Name + ".Feeder". The tray position is not part of it: an
// imported tray starts at its first pocket. A file that does not exist reads as a feeder with
// all defaults; false only when an existing file cannot be read.
bool LoadFeederFile(const QString& folder, const QString& name, FeederRec& feeder);
// Replaces any file of that name (no backup); false when it could not be written completely.
bool SaveFeederFile(const QString& folder, const QString& name, const FeederRec& feeder);

// The values of one feeder of the "Feeder List" section under their file keys, without the
// "Feeder <n>" before them, in file order.
QList<FileValue> FeederFileValues(const FeederRec& feeder);

// The feeder file's text, as SaveFeederFile writes it.
QByteArray FeederFileText(const FeederRec& feeder);
