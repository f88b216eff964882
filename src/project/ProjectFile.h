#pragma once

#include <QByteArray>
#include <QString>

#include "project/IniFields.h"
#include "project/ProjectState.h"

struct MachineSettings;

// The project file Folder + Name + ".Corvane": sections "Board Settings", "Part List" and
// "Feeder List", Windows-1252 text (UTF-8 when a character does not fit) with CR LF line ends.
// Folder ends with a path separator. Every successful load, save and creation makes Folder and Name
// the project's folder and name and the machine settings' last project, so the next start reopens
// it.

QString ProjectFilePath(const QString& folder, const QString& name);
QString ProjectBackupPath(const QString& folder, const QString& name);  // ".BAK"

// Reads the project file into `project`; missing or unreadable values take their defaults,
// and a file that does not exist reads as an empty project. False, with `project` untouched,
// when the file cannot be read or a list count is damaged. Leaves ProjectOpen and
// ProjectModified to the caller.
bool LoadProject(ProjectState& project, MachineSettings& settings, const QString& folder,
                 const QString& name);

// The reading part of LoadProject, for a file of any name: folder, name and last project stay
// as they are, and a file that does not exist reads as an empty project. False, with `project`
// untouched and `problem` saying why, when the file cannot be read or a list count is damaged.
bool ReadProjectFile(const QString& path, ProjectState& project, QString& problem);

// Writes the whole project. The previous file, if any, becomes the ".BAK" file; when the
// write fails, the previous file stays in place. Leaves ProjectModified to the caller.
bool SaveProject(ProjectState& project, MachineSettings& settings, const QString& folder,
                 const QString& name);

// Writes the five-line file of a new, empty project, with the same backup rule.
bool CreateEmptyProjectFile(ProjectState& project, MachineSettings& settings, const QString& folder,
                            const QString& name);

// The file's text as SaveProject writes it.
QByteArray ProjectFileText(const ProjectState& project);

// The values of the "Board Settings" section and of one part, under their file keys (a part's
// without the "Part <n>" before them), in file order.
QList<FileValue> BoardFileValues(const ProjectState& project);
QList<FileValue> PartFileValues(const PartRec& part);
