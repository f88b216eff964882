#pragma once

#include <QList>
#include <QPointF>

#include "project/ProjectState.h"

struct MachineSettings;

// The feeder list of the project. Feeder numbers are 1-based everywhere; 0 means "no feeder".

// Feeder `feeder`, or null when the number names no feeder of the list.
FeederRec* FeederAt(ProjectState& project, int feeder);
const FeederRec* FeederAt(const ProjectState& project, int feeder);

// The feeder's snap image in the system settings folder: folder + SnapName + ".bmp".
QString FeederSnapFile(const QString& systemSettingsFolder, const FeederRec& feeder);

// A feeder as "Add" creates it: a front reel with no nozzle chosen yet.
FeederRec NewFeeder();
// Appends a new feeder, or a copy of `feeder` (one read from a feeder file), and makes it the
// current feeder. Adding alone does not mark the project modified.
void AddFeeder(ProjectState& project);
void AppendFeeder(ProjectState& project, const FeederRec& feeder);

// True when some part takes its parts from `feeder`.
bool FeederInUse(const ProjectState& project, int feeder);
// Removes `feeder` and renumbers the parts of the feeders after it, and a pending tray refill
// announcement (dropped with its feeder). Refused (false) while the
// feeder is in use or when there is no such feeder.
bool DeleteFeeder(ProjectState& project, int feeder);

// Location, the side the head approaches a feeder from, is derived, never typed in.
// Trays always stand at the front and vibration feeders at the right; a reel's side is
// left as it is. Applied to every feeder read from a file.
void ApplyKindLocation(FeederRec& feeder);
// As ApplyKindLocation, and a reel stands at the rear when its machine Y (Y + home offset Y)
// lies strictly beyond the middle of the Y travel, else at the front.
void UpdateFeederLocation(FeederRec& feeder, const MachineSettings& settings, double homeOffsetY);

// The speed of every move made with this feeder's part on the nozzle: its place speed.
int PlaceSpeedOf(const MachineSettings& settings, const FeederRec& feeder);

// Where the head picks the feeder's next part (home-relative mm). A tray walks its pockets
// along Y first, then steps one column along X. A pick count below 1 or beyond the last pocket
// (after a count edit) is first set to 1.
QPointF FeederPickPoint(FeederRec& feeder);
// Where the head picks from the tray's four corner pockets (every pocket lies between them), or
// the pick point of a feeder that is not a tray; home-relative mm.
QList<QPointF> FeederPickExtremes(const FeederRec& feeder);
// The next pocket of a tray, back to the first after the last one.
void AdvanceTray(FeederRec& feeder);
// Every feeder, of every kind, back to its first pocket; marks the project modified.
void ResetAllTrays(ProjectState& project);
