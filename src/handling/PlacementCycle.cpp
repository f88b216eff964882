#include "handling/PlacementCycle.h"

#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "handling/Pick.h"
#include "handling/Place.h"
#include "motion/MoveOperations.h"
#include "project/BoardOrigin.h"
#include "project/FeederList.h"
#include "project/Fiducials.h"

const char* const kFiducialFailureQuestion = "FIDUCIAL FAILURE. DO YOU WANT TO CONTINUE ANYWAY?";

namespace {

// A run goes on while its flags are set and the machine is usable: after the emergency stop or
// a controller that stopped answering, nothing more can be placed.
bool runActive(const ProgramContext& context) {
    return context.cycle.running() && Usable(context);
}

bool currentPartValid(const ProjectState& project) {
    return project.CurrentPart >= 1 && project.CurrentPart <= project.PartCount();
}

const PartRec& currentPart(const ProgramContext& context) {
    return context.project.Parts[context.project.CurrentPart - 1];
}

int currentFeeder(const ProgramContext& context) {
    return currentPartValid(context.project) ? currentPart(context).Feeder : 0;
}

// Asks which part to start with when the current part is not part 1. False: cancelled.
bool chooseStartPart(ProgramContext& context) {
    ProjectState& project = context.project;
    if (project.CurrentPart <= 1) {
        return true;
    }
    context.port.speak("Select Part to Start With");
    const OperatorPort::Answer answer =
        context.port.askChoice("The Current Part is NOT part 1\rSelect Part to Start With.",
                               "PART 1", "CURRENT PART", "CANCEL", OperatorPort::Answer::No);
    if (answer == OperatorPort::Answer::Yes) {
        project.CurrentPart = 1;
        context.port.updatePartList();
    }
    return answer != OperatorPort::Answer::Cancel;
}

void discardHeldPart(ProgramContext& context) {
    if (context.cycle.PartOnNozzle) {
        DiscardPart(context, context.cycle.HeldFeeder);
    }
}

void parkHead(ProgramContext& context) {
    const MachineSettings& settings = context.settings;
    MoveHomeRelativeWithNozzleProtection(context, settings.parkX, settings.parkY, 0, 0,
                                         settings.maxStepsPerSecond);
}

// The fiducial check and, when it fails, the question whether to run on without correction.
bool fiducialsAccepted(ProgramContext& context) {
    if (TestFiducials(context)) {
        return true;
    }
    if (!Usable(context)) {
        return false;  // the stop, or a controller fault, is shown already: nothing to ask
    }
    context.port.speak("Fiducial Check Failure");
    const OperatorPort::Answer answer = context.port.askChoice(
        kFiducialFailureQuestion, "YES", "", "CANCEL", OperatorPort::Answer::Cancel);
    context.project.FiducialOffsetX = 0;
    context.project.FiducialOffsetY = 0;
    return answer == OperatorPort::Answer::Yes;
}

// Waits while paused, handling the window's messages. False when the run ended meanwhile.
void waitWhilePaused(ProgramContext& context) {
    CycleState& cycle = context.cycle;
    if (!cycle.PauseRequested) {
        return;
    }
    while (cycle.PauseRequested && runActive(context)) {
        RefreshStatusAndButtons(context);
        context.port.processEvents();
    }
    cycle.PauseRequested = false;
    RefreshStatusAndButtons(context);
    context.port.processEvents();
}

// How the attempts at the current part ended.
enum class PartOutcome { Placed, RunEnded, RetryLimit, SnapMissing, FiducialsRefused };

// Attempts the current part up to "Pick Retry Count" times (at least once). A feeder snap
// that cannot be read ends the attempts at once: the pick has named it, and no retry finds it.
PartOutcome placeWithRetries(ProgramContext& context) {
    CycleState& cycle = context.cycle;
    int attempts = context.settings.pickRetryCount;
    bool placed = false;
    do {
        waitWhilePaused(context);
        if (!cycle.running() || (cycle.PauseRequested && !context.cnc.EmergencyStop)) {
            continue;  // stopped, or paused again: nothing attempted
        }
        placed = PlaceNextPart(context);
        if (!placed) {
            discardHeldPart(context);
            if (FeederSnapMissing(context, currentFeeder(context))) {
                return PartOutcome::SnapMissing;
            }
            --attempts;
        }
    } while (!placed && attempts > 0 && runActive(context));
    if (placed) {
        return PartOutcome::Placed;
    }
    return runActive(context) ? PartOutcome::RetryLimit : PartOutcome::RunEnded;
}

// Every board of a panel lies on the table its own way: a panel run checks the fiducials of each
// board it comes to and places the board with its own correction. False when they failed and
// the operator did not run on.
bool boardChecked(ProgramContext& context, int& checkedBoard) {
    if (context.project.CurrentPanelBoard == checkedBoard) {
        return true;
    }
    checkedBoard = context.project.CurrentPanelBoard;
    return fiducialsAccepted(context);
}

void reportRetryLimit(ProgramContext& context) {
    context.port.speak("Retry Limit Reached Failed to Place Part");
    context.port.showInformation("Retry Limit Reached.\rFailed to Place Part");
    context.cycle.BoardRunActive = false;
    context.cycle.PanelRunActive = false;
}

void endRun(ProgramContext& context) {
    CycleState& cycle = context.cycle;
    cycle.PanelRunActive = false;
    cycle.BoardRunActive = false;
    cycle.PauseRequested = false;
    RefreshStatusAndButtons(context);
}

// Picks the current part unless the held part is the one it needs (a part held for another
// part is discarded first).
bool pickCurrentPart(ProgramContext& context) {
    const int part = context.project.CurrentPart;
    if (context.cycle.PartOnNozzle && HeldPartFits(context, part)) {
        return true;
    }
    discardHeldPart(context);
    const PartRec& record = currentPart(context);
    return PickPart(context, record.Feeder, record.Angle);
}

// Its cause may have been told already: the stop and a controller that stopped answering
// show themselves, and the pick names a missing snap.
void reportPickFailure(ProgramContext& context) {
    if (!Usable(context) || FeederSnapMissing(context, currentFeeder(context))) {
        return;
    }
    context.port.speak("FAILED TO PICK PART");
    context.port.showInformation("FAILED TO PICK PART!");
}

// Place Part's own placing: pick if needed, place, show the placed part, advance.
void placeCurrentPartByHand(ProgramContext& context) {
    ProjectState& project = context.project;
    if (!currentPart(context).Enabled) {
        AdvancePartCounters(context);
        return;
    }
    if (!pickCurrentPart(context) || !PlacePart(context, project.CurrentPart)) {
        reportPickFailure(context);
        return;
    }
    const PartRec& placed = currentPart(context);
    MoveBoardRelativeWithNozzleProtection(context, placed.X, placed.Y, 0, 0,
                                          context.settings.maxStepsPerSecond);
    AdvancePartCounters(context);
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
    return feeder && cycle.HeldFeeder == record.Feeder && cycle.HeldAngle == record.Angle &&
           cycle.HeldMeasured == feeder->Use_Vision;
}

void StartRun(ProgramContext& context, RunKind kind) {
    if (!chooseStartPart(context)) {
        return;
    }
    discardHeldPart(context);
    CycleState& cycle = context.cycle;
    cycle.PartOnNozzle = false;
    cycle.BoardRunActive = kind == RunKind::Board;
    cycle.PanelRunActive = kind == RunKind::Panel;
    cycle.PauseRequested = false;
    RecomputeBoardOrigin(context.project);
    RefreshStatusAndButtons(context);
    AutomaticCycle(context);
    parkHead(context);
    RefreshStatusAndButtons(context);
}

void AutomaticCycle(ProgramContext& context) {
    context.cycle.PartOnNozzle = false;
    RefreshStatusAndButtons(context);
    if (fiducialsAccepted(context)) {
        int checkedBoard = context.project.CurrentPanelBoard;
        PartOutcome outcome = PartOutcome::Placed;
        while (outcome == PartOutcome::Placed && runActive(context)) {
            outcome = boardChecked(context, checkedBoard) ? placeWithRetries(context)
                                                          : PartOutcome::FiducialsRefused;
        }
        if (outcome == PartOutcome::RetryLimit) {
            reportRetryLimit(context);
        } else if (outcome != PartOutcome::SnapMissing &&
                   outcome != PartOutcome::FiducialsRefused && Usable(context)) {
            context.port.speak("Automatic Placement Cycle Finished");
        }
    }
    endRun(context);
}

bool PlaceNextPart(ProgramContext& context) {
    ProjectState& project = context.project;
    bool placed = false;
    if (currentPartValid(project)) {
        if (!currentPart(context).Enabled) {
            AdvancePartCounters(context);
            placed = true;
        } else if (pickCurrentPart(context) && PlacePart(context, project.CurrentPart)) {
            AdvancePartCounters(context);
            placed = true;
        }
    }
    RefreshStatusAndButtons(context);
    return placed;
}

void AdvancePartCounters(ProgramContext& context) {
    ProjectState& project = context.project;
    CycleState& cycle = context.cycle;
    if (++project.CurrentPart > project.PartCount()) {
        project.CurrentPart = 1;
        cycle.BoardRunActive = false;
        if (++project.CurrentPanelBoard > BoardCount(project)) {
            project.CurrentPanelBoard = 1;
            cycle.PanelRunActive = false;
        }
        RecomputeBoardOrigin(project);
    }
    context.port.updatePartList();
}

// Stop ends the run as its own end does: the counters stay on the part it stopped at.
void PressStop(ProgramContext& context) {
    endRun(context);
}

void PressPause(ProgramContext& context) {
    context.cycle.PauseRequested = true;
    RefreshStatusAndButtons(context);
}

void PressResume(ProgramContext& context) {
    context.cycle.PauseRequested = false;
    RefreshStatusAndButtons(context);
}

void PressPickPart(ProgramContext& context) {
    if (currentPartValid(context.project)) {
        ClearFiducialCorrection(context.project);
        discardHeldPart(context);  // the pick's protected moves would drop it anywhere
        const PartRec& record = currentPart(context);
        if (!PickPart(context, record.Feeder, record.Angle)) {
            reportPickFailure(context);
        }
    }
    RefreshStatusAndButtons(context);
}

void PressPlacePart(ProgramContext& context) {
    if (currentPartValid(context.project) && fiducialsAccepted(context)) {
        placeCurrentPartByHand(context);
    }
    RefreshStatusAndButtons(context);
}

void PressDiscard(ProgramContext& context) {
    if (currentPartValid(context.project)) {
        DiscardPart(context, currentFeeder(context));
    }
    RefreshStatusAndButtons(context);
}
