#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "project/PlaceFileRow.h"
#include "project/ProjectState.h"

// Reading a place file from disk, choosing the side to import and taking its rows into the
// project.
namespace PlaceFile {

// The lines of decoded text; a line ends at LF or CR LF, and a final line break starts no
// further line.
QStringList SplitLines(const QString& text);

// The lines of a place file in whatever encoding its tool wrote; nothing when it cannot be
// opened or read.
std::optional<QStringList> ReadPlaceFile(const QString& path);

// Which rows the import takes. A bottom part of a design tool's file lies where the top view
// shows it; on a board turned over for the machine it lies mirrored: BottomTurnedOver takes the
// bottom rows as the machine sees them then (TurnedOver).
enum class SideChoice { All, Top, Bottom, BottomTurnedOver };

struct SideCounts {
    qsizetype Top = 0;
    qsizetype Bottom = 0;
};
SideCounts CountSides(const QList<PartRec>& rows);

// A bottom row as the machine sees it on the board turned over about its Y axis: X mirrored
// about the board origin, and the angle 180 degrees minus the top view's (the rule KiCad's own
// export of asymmetric bottom parts shows), kept within (-360, 360).
PartRec TurnedOver(const PartRec& row);

// The rows of the chosen side, sorted as the window shows them.
QList<PartRec> SelectRows(const QList<PartRec>& rows, SideChoice side);

// The project's part for one imported row: no feeder yet, enabled, value and footprint as its
// comment.
::PartRec ToProjectPart(const PartRec& row);

// Replaces the whole part list with the rows and shows lengths in the file's unit; feeders,
// board settings and fiducials stay. With no rows the project is left as it was. Returns
// whether the list was replaced.
bool ReplacePartList(ProjectState& project, const QList<PartRec>& rows, bool metric);

}  // namespace PlaceFile
