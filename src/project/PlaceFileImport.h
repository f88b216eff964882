#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "project/PlaceFileParser.h"
#include "project/ProjectState.h"

// Reading a place file from disk and taking its rows into the project.
namespace PlaceFile {

// The lines of decoded text; a line ends at LF or CR LF, and a final line break starts no
// further line.
QStringList SplitLines(const QString& text);

// The lines of a place file in whatever encoding its tool wrote; nothing when it cannot be
// opened or read.
std::optional<QStringList> ReadPlaceFile(const QString& path);

// The project's part for one imported row: no feeder yet, enabled, value and footprint as its
// comment.
::PartRec ToProjectPart(const PartRec& row);

// Replaces the whole part list with the rows and shows lengths in the file's unit; feeders,
// board settings and fiducials stay. With no rows the project is left as it was. Returns
// whether the list was replaced.
bool ReplacePartList(ProjectState& project, const QList<PartRec>& rows, bool metric);

}  // namespace PlaceFile
