#pragma once

#include <QString>

#include "project/ProjectState.h"

struct MachineSettings;
struct ProgramContext;

// How the head leaves a feeder and how its parts lie: the clearance offset applied when the
// head leaves the pick point, and the A angle at which a part lies relative to its snap.
struct FeederApproach {
    double clearanceX = 0;
    double clearanceY = 0;
    double baseAngle = 0;
};
FeederApproach ApproachOf(const FeederRec& feeder);

// The slow speed of the moves that turn and centre a part over the up-looking camera: a tenth
// of the place speed, never below 1.
int CentringSpeed(int placeSpeed);

// "FEEDER 3 Resistors TRAY NEEDS TO BE REFILLED!"
QString TrayRefillText(const ProjectState& project, int feeder);

// Takes a part from `feeder` (1-based) for a part placed at `angle` degrees, lifts it clear
// and, for a feeder that uses vision, measures its turn and offset over the up-looking camera
// and records the pick corrections. True when a part is on the nozzle with its corrections.
// Announces a pending tray refill first and reports a missing snap; other failures are only
// spoken. From the moment the part leaves the feeder it counts as held (PartOnNozzle), so a
// failed pick's part is discarded rather than dropped where the head stands. A tray advances
// on every attempt, and the project is saved so the pocket is on disk.
bool PickPart(ProgramContext& context, int feeder, double angle);

// PickPart for part `part` (1-based) of the list, from its feeder at its angle. The held part
// remembers that it was picked for this part, which only it may then be placed as.
bool PickListedPart(ProgramContext& context, int part);

// True when `feeder` (1-based) names a feeder whose snap cannot be read: a pick from it fails
// at once, naming the snap ("SNAP IMAGE <name> IS MISSING!").
bool FeederSnapMissing(const ProgramContext& context, int feeder);

// The same pick without a snap or a measurement ("Test Pick"): the part ends over the
// up-looking camera at its angle. Nothing is spoken; a tray advances (the project is marked
// modified, not saved).
bool PickPartWithoutCorrelation(ProgramContext& context, int feeder, double angle);
