#include "handling/Place.h"

#include "context/Delay.h"
#include "context/MachineSequence.h"
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

// The nozzle holds nothing once its vacuum is off. A controller that no longer answers keeps
// the vacuum on, and the part with it: it is still held until RESET switches the vacuum off.
void emptyNozzleOnceLetGo(ProgramContext& context) {
    CycleState& cycle = context.cycle;
    if (!context.cnc.OutputState[OutputVacuum]) {
        cycle.PartOnNozzle = false;
        cycle.HeldPart = 0;
        cycle.HeldFeeder = 0;
        cycle.HeldMeasured = false;
    }
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
    emptyNozzleOnceLetGo(context);
    MoveBoardRelativeWithNozzleProtection(context, target.x, target.y, safeZ, target.a,
                                          target.speed);
    context.cnc.SetBlowOutput(false);
    return true;
}

bool placeHeldPart(ProgramContext& context, int part) {
    if (!HeldPartFits(context, part)) {
        // Picked for another part, or that part changed since: it goes to the reject tray.
        if (context.cycle.PartOnNozzle) {
            DiscardPart(context, context.cycle.HeldFeeder);
        }
        return false;
    }
    const ProjectState& project = context.project;
    const PartRec& record = project.Parts[part - 1];
    context.SelectedCamera = 1;
    context.port.updateStatus();
    if (!putDown(context, targetOf(context, record, *FeederAt(project, record.Feeder)))) {
        return false;
    }
    CycleState& cycle = context.cycle;
    cycle.PickCorrectionX = 0;
    cycle.PickCorrectionY = 0;
    cycle.PickCorrectionA = 0;
    return true;
}

// Lets the held part fall into reject tray `tray` (1..5) from the safe height. A move that
// fails keeps the part held: it is not let go where the head happens to stand.
bool dropIntoTray(ProgramContext& context, int tray) {
    const MachineSettings& settings = context.settings;
    if (!MoveHomeRelativeWithPartAndNozzleProtection(
            context, settings.rejectTrayX[tray - 1], settings.rejectTrayY[tray - 1],
            -settings.homeZ, 0, settings.maxStepsPerSecond)) {
        FailStep(context, QString("FAILED TO MOVE TO REJECT TRAY %1, THE PART IS STILL ON THE "
                                  "NOZZLE")
                              .arg(tray));
        return false;
    }
    letGo(context, kDiscardBlowFactor);
    MotrixCNC& cnc = context.cnc;
    cnc.SetBlowOutput(false);
    cnc.SetVacuumOutput(false);
    emptyNozzleOnceLetGo(context);
    return true;
}

}  // namespace

bool HeldPartFits(const ProgramContext& context, int part) {
    const ProjectState& project = context.project;
    const CycleState& cycle = context.cycle;
    if (!cycle.PartOnNozzle || part < 1 || part > project.PartCount()) {
        return false;
    }
    const PartRec& record = project.Parts[part - 1];
    const FeederRec* feeder = FeederAt(project, record.Feeder);
    return feeder && cycle.HeldPart == part && cycle.HeldFeeder == record.Feeder &&
           cycle.HeldAngle == record.Angle && cycle.HeldMeasured == feeder->Use_Vision;
}

int RejectTrayOf(const ProgramContext& context, int feeder) {
    const FeederRec* record = FeederAt(context.project, feeder);
    const int tray = record ? record->RejectTray : 1;
    return tray >= 1 && tray <= kRejectTrayCount ? tray : 1;
}

bool PlacePart(ProgramContext& context, int part) {
    return RunSequence(context, [&context, part] {
        const bool placed = placeHeldPart(context, part);
        SaveMachineSettings(context);
        return placed;
    });
}

bool DiscardPart(ProgramContext& context, int feeder) {
    return RunSequence(context, [&context, feeder] {
        context.SelectedCamera = 1;
        RefreshStatusAndButtons(context);
        const bool dropped = dropIntoTray(context, RejectTrayOf(context, feeder));
        RefreshStatusAndButtons(context);
        return dropped;
    });
}
