#include "handling/Pick.h"

#include <algorithm>

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "handling/NozzleChanger.h"
#include "motion/MoveOperations.h"
#include "project/FeederList.h"
#include "project/ProjectCommands.h"
#include "vision/Capture.h"

namespace {

// Where a pick stands: the feeder (a copy: the list may change while the pick waits), the part
// it picks for (0: none, a test), the nozzle position over its pick point and the speeds.
struct PickPlan {
    int number = 0;
    FeederRec feeder;
    int part = 0;
    FeederApproach approach;
    double x = 0;  // nozzle over the pick point, home-relative
    double y = 0;
    double safeZ = 0;  // the top of the Z travel
    int fastSpeed = 0;
    int placeSpeed = 0;
};

PickPlan planPick(ProgramContext& context, int number, int part) {
    const MachineSettings& settings = context.settings;
    FeederRec& feeder = *FeederAt(context.project, number);
    PickPlan plan;
    plan.number = number;
    plan.part = part;
    const QPointF pick = FeederPickPoint(feeder);  // may start a tray again at its first pocket
    plan.feeder = feeder;
    plan.approach = ApproachOf(feeder);
    plan.x = pick.x() + settings.nozzleOffsetX;
    plan.y = pick.y() + settings.nozzleOffsetY;
    plan.safeZ = -settings.homeZ;
    plan.fastSpeed = settings.maxStepsPerSecond;
    plan.placeSpeed = PlaceSpeedOf(settings, feeder);
    return plan;
}

// The part now hangs on the nozzle: whatever happens next, it is the cycle's to discard.
void holdPart(ProgramContext& context, const PickPlan& plan, double angle) {
    CycleState& cycle = context.cycle;
    cycle.PartOnNozzle = true;
    cycle.HeldPart = plan.part;
    cycle.HeldFeeder = plan.number;
    cycle.HeldAngle = angle;
    cycle.HeldMeasured = false;
    cycle.PickCorrectionX = 0;
    cycle.PickCorrectionY = 0;
    cycle.PickCorrectionA = plan.approach.baseAngle + angle;
}

// The failure of a pick step, told by voice only: a run must not stop for a dialog.
bool stepFailed(ProgramContext& context, const QString& text, bool speak) {
    if (speak) {
        context.port.speak(text);
    }
    return false;
}

// Pick steps from the nozzle selection to the head standing clear of the feeder.
bool takeFromFeeder(ProgramContext& context, const PickPlan& plan, double angle, bool speak) {
    MotrixCNC& cnc = context.cnc;
    const MachineSettings& settings = context.settings;
    const bool reel = plan.feeder.Kind == FeederReel;
    if (!SelectNozzle(context, plan.feeder.Nozzle)) {
        return stepFailed(context, "Failed to select nozzle", speak);
    }
    if (!MoveHomeRelativeWithNozzleProtection(context, plan.x, plan.y, plan.safeZ, 0,
                                              plan.fastSpeed)) {
        return stepFailed(context, "Failed to move to feeder", speak);
    }
    if (!cnc.OutputState[OutputVacuum]) {
        cnc.SetVacuumOutput(true);
    }
    if (reel) {
        cnc.SetFeederOutput(true);
        Delay(context, settings.actuatorOnDelay);
    }
    if (!MoveHomeRelative(context, plan.x, plan.y, plan.feeder.Z, 0, plan.fastSpeed)) {
        return stepFailed(context, "Failed to move down to part", speak);
    }
    Delay(context, settings.pickDelay);
    context.SelectedCamera = 1;
    context.port.updateStatus();
    if (cnc.OutputState[OutputVacuum]) {  // else a stop during the wait let go of it
        holdPart(context, plan, angle);
    }
    if (!MoveHomeRelativeWithPart(context, plan.x, plan.y, plan.safeZ, 0, plan.placeSpeed)) {
        return stepFailed(context, "Failed to move up with part", speak);
    }
    if (reel) {
        cnc.SetFeederOutput(false);
        Delay(context, settings.actuatorOffDelay);
    }
    if (!MoveHomeRelativeWithPartAndNozzleProtection(context, plan.x + plan.approach.clearanceX,
                                                     plan.y + plan.approach.clearanceY, plan.safeZ,
                                                     0, plan.placeSpeed)) {
        return stepFailed(context, "Failed to move clear of feeder", speak);
    }
    return true;
}

// The part's underside in the up-looking camera's focal plane.
double focalZ(const ProgramContext& context, const PickPlan& plan) {
    return context.settings.uplookingCameraZ - plan.feeder.PartHeight;
}

// Above the up-looking camera at the part's angle, then down to the focal plane.
bool carryToCamera(ProgramContext& context, const PickPlan& plan, double angle, bool protect,
                   bool speak) {
    const MachineSettings& settings = context.settings;
    const auto move =
        protect ? MoveHomeRelativeWithPartAndNozzleProtection : MoveHomeRelativeWithPart;
    const double a = plan.approach.baseAngle + angle;
    if (!move(context, settings.uplookingCameraX, settings.uplookingCameraY, plan.safeZ, a,
              plan.placeSpeed)) {
        return stepFailed(context, "Failed to move to camera", speak);
    }
    if (!move(context, settings.uplookingCameraX, settings.uplookingCameraY, focalZ(context, plan),
              a, plan.placeSpeed)) {
        return stepFailed(context, "Failed to move to camera focal height", speak);
    }
    return true;
}

bool captureUp(ProgramContext& context) {
    Delay(context, context.settings.uplookingCameraSettlingDelay);
    return CaptureUplooking(context) || stepFailed(context, "Failed to capture image", true);
}

// Measures the held part's turn, turns it straight and measures its offset from the nozzle.
bool measureOverCamera(ProgramContext& context, const PickPlan& plan, double angle) {
    const MachineSettings& settings = context.settings;
    CycleState& cycle = context.cycle;
    const int enlarge = settings.uplookingCameraEnlargementMM;
    cycle.PickCorrectionA = angle;
    if (!captureUp(context)) {
        return false;
    }
    if (!AngularVisualCorrelation(VisionOf(context), angle, enlarge)) {
        return stepFailed(context, "Failed angular correlation", true);
    }
    cycle.PickCorrectionA = angle - context.vision.VisionAngle;
    if (!MoveHomeRelativeWithPart(
            context, settings.uplookingCameraX, settings.uplookingCameraY, focalZ(context, plan),
            plan.approach.baseAngle + cycle.PickCorrectionA, CentringSpeed(plan.placeSpeed))) {
        return stepFailed(context, "Failed to move to centre", true);
    }
    if (!captureUp(context)) {
        return false;
    }
    if (!VisualCorrelation(VisionOf(context), angle, enlarge, true)) {
        return stepFailed(context, "Failed confirmation correlation", true);
    }
    cycle.PickCorrectionX = -context.vision.VisionCentreX;
    cycle.PickCorrectionY = -context.vision.VisionCentreY;
    cycle.PickCorrectionA = plan.approach.baseAngle + cycle.PickCorrectionA;
    cycle.HeldMeasured = true;
    return true;
}

// A manual pick (or the vision test mode) shows the measured part centred over the camera.
bool showCentred(ProgramContext& context, const PickPlan& plan) {
    const MachineSettings& settings = context.settings;
    const CycleState& cycle = context.cycle;
    if (!settings.visionTestMode && cycle.running()) {
        return true;
    }
    if (!MoveHomeRelativeWithPart(context, settings.uplookingCameraX + cycle.PickCorrectionX,
                                  settings.uplookingCameraY + cycle.PickCorrectionY,
                                  focalZ(context, plan), cycle.PickCorrectionA,
                                  CentringSpeed(plan.placeSpeed))) {
        return stepFailed(context, "Failed to move to centre", true);
    }
    if (settings.visionTestMode) {
        Delay(context, 3);
    }
    return true;
}

bool pickMeasured(ProgramContext& context, const PickPlan& plan, double angle) {
    if (!takeFromFeeder(context, plan, angle, true)) {
        return false;
    }
    if (!plan.feeder.Use_Vision) {
        return true;  // held at the feeder's base angle plus the part's, uncorrected
    }
    return carryToCamera(context, plan, angle, true, true) &&
           measureOverCamera(context, plan, angle) && showCentred(context, plan);
}

// Every attempt uses a pocket; the last one asks for a refill at the next pick. The feeder is
// looked up again: the pick waited since it was planned.
void advanceTray(ProjectState& project, const PickPlan& plan, bool announceRefill) {
    FeederRec* feeder = FeederAt(project, plan.number);
    if (!feeder || feeder->Kind != FeederTray) {
        return;
    }
    AdvanceTray(*feeder);
    if (announceRefill && feeder->TrayPickCount == 1) {
        project.TrayRefillPendingFeeder = plan.number;
    }
}

void saveTrayPosition(ProgramContext& context) {
    if (!SaveProjectUnderOwnName(context)) {
        // Not on disk, the pocket is a change the close question must still offer to save.
        context.project.ProjectModified = true;
    }
}

void announcePendingRefill(ProgramContext& context) {
    ProjectState& project = context.project;
    if (project.TrayRefillPendingFeeder < 1) {
        return;
    }
    const QString text = TrayRefillText(project, project.TrayRefillPendingFeeder);
    context.port.speak(text);
    context.port.showInformation(text);
    project.TrayRefillPendingFeeder = 0;
}

bool loadFeederSnap(ProgramContext& context, const FeederRec& feeder) {
    if (LoadSnap(FeederSnapFile(context.SystemSettingsFolder, feeder),
                 context.vision.ImageReference)) {
        return true;
    }
    const QString text = "SNAP IMAGE " + feeder.SnapName + " IS MISSING!";
    context.port.speak(text);
    context.port.showInformation(text);
    return false;
}

// PickPart for part `part` of the list (0: none).
bool pickFor(ProgramContext& context, int feeder, double angle, int part) {
    announcePendingRefill(context);
    bool picked = false;
    const FeederRec* record = FeederAt(context.project, feeder);
    if (record && loadFeederSnap(context, *record)) {
        const PickPlan plan = planPick(context, feeder, part);
        picked = pickMeasured(context, plan, angle);
        if (plan.feeder.Kind == FeederTray) {
            advanceTray(context.project, plan, true);
            saveTrayPosition(context);
        }
    }
    context.vision.ImageReference.reset();
    return picked;
}

}  // namespace

FeederApproach ApproachOf(const FeederRec& feeder) {
    if (feeder.Kind != FeederReel) {
        return {};
    }
    switch (feeder.Location) {
        case LocationRight:
            return {-20, 0, 90};
        case LocationRear:
            return {0, -20, 180};
        default:
            return {0, 20, 0};
    }
}

int CentringSpeed(int placeSpeed) {
    return std::max(1, placeSpeed / 10);
}

QString TrayRefillText(const ProjectState& project, int feeder) {
    const FeederRec* record = FeederAt(project, feeder);
    const QString description = record ? record->Description : QString();
    return "FEEDER " + QString::number(feeder) + " " + description + " TRAY NEEDS TO BE REFILLED!";
}

bool FeederSnapMissing(const ProgramContext& context, int feeder) {
    const FeederRec* record = FeederAt(context.project, feeder);
    ImagePtr snap;
    return record && !LoadSnap(FeederSnapFile(context.SystemSettingsFolder, *record), snap);
}

bool PickPart(ProgramContext& context, int feeder, double angle) {
    return RunSequence(context, [&] { return pickFor(context, feeder, angle, 0); });
}

bool PickListedPart(ProgramContext& context, int part) {
    return RunSequence(context, [&context, part] {
        const ProjectState& project = context.project;
        if (part < 1 || part > project.PartCount()) {
            return false;
        }
        const PartRec& record = project.Parts[part - 1];
        return pickFor(context, record.Feeder, record.Angle, part);
    });
}

bool PickPartWithoutCorrelation(ProgramContext& context, int feeder, double angle) {
    return RunSequence(context, [&] {
        if (!FeederAt(context.project, feeder)) {
            return false;
        }
        const PickPlan plan = planPick(context, feeder, 0);
        const bool picked = takeFromFeeder(context, plan, angle, false) &&
                            carryToCamera(context, plan, angle, false, false);
        if (plan.feeder.Kind == FeederTray) {
            advanceTray(context.project, plan, false);
            context.project.ProjectModified = true;  // the pocket is kept with the next save
        }
        return picked;
    });
}
