#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

#include "project/ProjectState.h"

// The part list: what its list box and the "Part Details" group show, and the edits on it.
// Parts and feeders are numbered from 1; CurrentPart is 0 only for an empty list.

// Brings CurrentPart into 1..PartCount (the nearer end), or to 0 for an empty list.
void NormaliseCurrentPart(ProjectState& project);

// The current part, or nothing when CurrentPart lies outside the list.
PartRec* CurrentPartRec(ProjectState& project);
const PartRec* CurrentPartRec(const ProjectState& project);

// The list entry of part `number`: "Part 3 - DISABLED - R12 - 10k".
QString PartListEntry(const PartRec& part, int number);

// "Part Details - 2 of 5", or "Part Details - No Parts".
QString PartDetailsCaption(const ProjectState& project);

// One entry per feeder: "2 - Tape 0805", or just "2" without a description.
QStringList FeederItems(const ProjectState& project);

// The snap image of the current part's feeder: folder + SnapName + ".bmp". Empty when the
// part has no feeder of the list.
QString FeederSnapPath(const ProjectState& project, const QString& systemSettingsFolder);

// Appends an enabled part without feeder at (x, y) mm and makes it current.
void AddPart(ProjectState& project, double x, double y);

// Removes the current part; the next one moves up and becomes current (the new last one when
// the last was removed). False when there is no current part.
bool DeleteCurrentPart(ProjectState& project);

// The order of Sort Parts: nozzle of the part's feeder, feeder number, designator, comment.
// A part without a usable feeder or nozzle sorts after the others; texts compare by
// character codes.
struct PartSortKey {
    int nozzle;
    int feeder;
    QString designator;
    QString comment;
};
PartSortKey SortKeyOf(const ProjectState& project, const PartRec& part);
bool operator<(const PartSortKey& a, const PartSortKey& b);

// Sorts a list of two or more parts and restarts it at part 1. False (nothing done) for a
// shorter list.
bool SortParts(ProjectState& project);

// Comments equal when the letters A-Z are taken without case (other characters exactly).
bool SameComment(QStringView a, QStringView b);

// Gives the current part `feeder` (0 = none). False when it had that feeder already or there
// is no current part.
bool ChangeFeeder(ProjectState& project, int feeder);

// Gives `feeder` to every part whose comment is the current part's (see SameComment).
void AssignFeederToMatchingParts(ProjectState& project, int feeder);

// A typed angle in degrees, strictly between -360 and 360.
std::optional<double> ParsePartAngle(QStringView text);
