#include "handling/Place.h"

#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "context/SettingsPersistence.h"
#include "context/WindowRefresh.h"
#include "handling/Pick.h"
#include "handling/RejectTrays.h"
#include "motion/MoveOperations.h"
#include "project/BoardTransform.h"
#include "project/FeederList.h"

namespace {

// A discard blows five times as long as a place: the part must fall from the safe height.
constexpr double kDiscardBlowFactor = 5;

struct PlaceTarget {
    double x, y, a, boardZ;
    int speed;
};

PlaceTarget targetOf(const ProgramContext& context, const PartRec& part, const FeederRec& feeder) {
    const MachineSettings& settings = context.settings;
    const ProjectState& project = context.project;
    const CycleState& cycle = context.cycle;
    const PlacingPose pose =
        PlacingPoseOf(project, {part.X, part.Y},
                      {cycle.PickCorrectionX, cycle.PickCorrectionY, cycle.PickCorrectionA});
    return {pose.x + settings.nozzleOffsetX, pose.y + settings.nozzleOffsetY, pose.a,
            project.BoardHeight - feeder.PartHeight + settings.placeZPush,
            PlaceSpeedOf(settings, feeder)};
}

// Lets the part go where the head stands: the vacuum off for the place delay, then the blow on
// for `blowFactor` times the blow delay (left on for the caller to end).
void letGo(ProgramContext& context, double blowFactor) {
    MotrixCNC& cnc = context.cnc;
    const MachineSettings& settings = context.settings;
    if (cnc.OutputState[OutputVacuum]) {
        cnc.SetVacuumOutput(false);
        Delay(context, settings.placeDelay);
    }
    if (settings.blowDelay > 0) {
        cnc.SetBlowOutput(true);
        Delay(context, blowFactor * settings.blowDelay);
    }
}

void emptyNozzle(CycleState& cycle) {
    cycle.PartOnNozzle = false;
    cycle.HeldFeeder = 0;
    cycle.HeldMeasured = false;
}

// True once the part is down at board height: let go there now, by the refresh after an
// emergency stop, or by RESET when the controller stopped answering, it stays on its pad.
// Counted as not placed, a run resumed after a stop during the release or the rise would
// place it a second time. A rise that fails leaves the nozzle down, and the next move (the
// homing after RESET included) raises it first.
bool putDown(ProgramContext& context, const PlaceTarget& target) {
    const MachineSettings& settings = context.settings;
    const double safeZ = -settings.homeZ;
    if (!MoveBoardRelativeWithPartAndNozzleProtection(context, target.x, target.y, safeZ, target.a,
                                                      target.speed) ||
        !MoveBoardRelativeWithPart(context, target.x, target.y, target.boardZ, target.a,
                                   target.speed)) {
        return false;
    }
    letGo(context, 1);
    MoveBoardRelativeWithNozzleProtection(context, target.x, target.y, safeZ, target.a,
                                          target.speed);
    context.cnc.SetBlowOutput(false);
    return true;
}

}  // namespace

int RejectTrayOf(const ProgramContext& context, int feeder) {
    const FeederRec* record = FeederAt(context.project, feeder);
    const int tray = record ? record->RejectTray : 1;
    return tray >= 1 && tray <= kRejectTrayCount ? tray : 1;
}

bool PlacePart(ProgramContext& context, int part) {
    const ProjectState& project = context.project;
    bool placed = false;
    if (part >= 1 && part <= project.PartCount()) {
        const PartRec& record = project.Parts[part - 1];
        if (const FeederRec* feeder = FeederAt(project, record.Feeder)) {
            context.SelectedCamera = 1;
            context.port.updateStatus();
            placed = putDown(context, targetOf(context, record, *feeder));
        }
    }
    if (placed) {
        CycleState& cycle = context.cycle;
        if (!context.cnc.OutputState[OutputVacuum]) {
            emptyNozzle(cycle);  // else held on its pad until RESET switches the vacuum off
        }
        cycle.PickCorrectionX = 0;
        cycle.PickCorrectionY = 0;
        cycle.PickCorrectionA = 0;
    }
    SaveMachineSettings(context);
    return placed;
}

bool DiscardPart(ProgramContext& context, int feeder) {
    const MachineSettings& settings = context.settings;
    MotrixCNC& cnc = context.cnc;
    context.SelectedCamera = 1;
    RefreshStatusAndButtons(context);
    const int tray = RejectTrayOf(context, feeder) - 1;
    const bool reached = MoveHomeRelativeWithPartAndNozzleProtection(
        context, settings.rejectTrayX[tray], settings.rejectTrayY[tray], -settings.homeZ, 0,
        settings.maxStepsPerSecond);
    if (reached) {
        letGo(context, kDiscardBlowFactor);
    }
    cnc.SetBlowOutput(false);
    cnc.SetVacuumOutput(false);
    // A controller that no longer answers keeps the vacuum on, and the part with it: it is
    // still held until RESET switches the vacuum off.
    if (!cnc.OutputState[OutputVacuum]) {
        emptyNozzle(context.cycle);
    }
    RefreshStatusAndButtons(context);
    return reached;
}
