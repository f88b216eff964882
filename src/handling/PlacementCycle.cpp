#include "handling/PlacementCycle.h"

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "handling/Pick.h"
#include "handling/Place.h"
#include "motion/MoveOperations.h"
#include "project/BoardOrigin.h"
#include "project/FeederList.h"
#include "project/Fiducials.h"
#include "project/PartOperations.h"

const char* const kFiducialFailureQuestion = "FIDUCIAL FAILURE. DO YOU WANT TO CONTINUE ANYWAY?";

namespace {

// A run goes on while its flags are set and the machine is usable: after the emergency stop or
// a controller that stopped answering, nothing more can be placed.
bool runActive(const ProgramContext& context) {
    return context.cycle.running() && Usable(context);
}

bool partValid(const ProjectState& project, int part) {
    return part >= 1 && part <= project.PartCount();
}

bool currentPartValid(const ProjectState& project) {
    return partValid(project, project.CurrentPart);
}

int feederOf(const ProgramContext& context, int part) {
    return partValid(context.project, part) ? context.project.Parts[part - 1].Feeder : 0;
}

int currentFeeder(const ProgramContext& context) {
    return feederOf(context, context.project.CurrentPart);
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

// A part still held goes into its feeder's reject tray. False when it is still held: the
// discard could not reach the tray (and said so), or the controller no longer answers.
bool discardHeldPart(ProgramContext& context) {
    if (context.cycle.PartOnNozzle) {
        DiscardPart(context, context.cycle.HeldFeeder);
    }
    return !context.cycle.PartOnNozzle;
}

// A part that could not be discarded stays on the nozzle: the park, which switches the vacuum
// off, would drop it.
void parkHead(ProgramContext& context) {
    if (context.cycle.PartOnNozzle) {
        return;
    }
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

// Waits while paused, handling the window's messages.
void waitWhilePaused(ProgramContext& context) {
    CycleState& cycle = context.cycle;
    if (!cycle.PauseRequested) {
        return;
    }
    while (cycle.PauseRequested && runActive(context)) {
        RefreshStatusAndButtons(context);
        HandleMessagesAMoment(context);
    }
    cycle.PauseRequested = false;
    RefreshStatusAndButtons(context);
    context.port.processEvents();
}

// How the attempts at the current part ended. The run goes on only after Placed; it speaks
// its end only after Placed and RunEnded (stopped with attempts left), and tells the retry
// limit only after RetryLimit. Whatever ended it otherwise has said so already: the missing
// snap, a part that could not be discarded, the attempts used up as Stop was pressed, or a
// board's fiducial question answered CANCEL.
enum class PartOutcome {
    Placed,
    RunEnded,
    RetryLimit,
    GaveUp,
    SnapMissing,
    PartStuck,
    FiducialsRefused
};

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
            if (!discardHeldPart(context)) {
                return PartOutcome::PartStuck;
            }
            if (FeederSnapMissing(context, currentFeeder(context))) {
                return PartOutcome::SnapMissing;
            }
            --attempts;
        }
    } while (!placed && attempts > 0 && runActive(context));
    if (placed) {
        return PartOutcome::Placed;
    }
    if (runActive(context)) {
        return PartOutcome::RetryLimit;
    }
    return attempts > 0 ? PartOutcome::RunEnded : PartOutcome::GaveUp;
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

// Picks part `part` unless the held part is the one it needs (a part held for another part is
// discarded first).
bool pickForPart(ProgramContext& context, int part) {
    if (HeldPartFits(context, part)) {
        return true;
    }
    return discardHeldPart(context) && PickListedPart(context, part);
}

// The counters go on from the part just handled, whatever the list shows as current now.
void advanceFrom(ProgramContext& context, int part) {
    context.project.CurrentPart = part;
    AdvancePartCounters(context);
}

// Its cause may have been told already: the stop and a controller that stopped answering
// show themselves, and the pick names a missing snap.
void reportPickFailure(ProgramContext& context, int part) {
    if (!Usable(context) || FeederSnapMissing(context, feederOf(context, part))) {
        return;
    }
    context.port.speak("FAILED TO PICK PART");
    context.port.showInformation("FAILED TO PICK PART!");
}

// Place Part's own placing of part `part`: pick if needed, place, show the placed part,
// advance. The part is looked up again after every wait, and nothing more is done once it is
// gone.
void placeByHand(ProgramContext& context, int part) {
    if (!partValid(context.project, part)) {
        return;
    }
    if (!context.project.Parts[part - 1].Enabled) {
        advanceFrom(context, part);
        return;
    }
    if (!pickForPart(context, part) || !PlacePart(context, part)) {
        reportPickFailure(context, part);
        return;
    }
    if (partValid(context.project, part)) {
        const PartRec& placed = context.project.Parts[part - 1];
        MoveCameraOverCorrectedPoint(context, placed.X, placed.Y);
    }
    advanceFrom(context, part);
}

void startRun(ProgramContext& context, RunKind kind) {
    if (!chooseStartPart(context) || !discardHeldPart(context)) {
        return;
    }
    CycleState& cycle = context.cycle;
    cycle.BoardRunActive = kind == RunKind::Board;
    cycle.PanelRunActive = kind == RunKind::Panel;
    cycle.PauseRequested = false;
    RecomputeBoardOrigin(context.project);
    RefreshStatusAndButtons(context);
    AutomaticCycle(context);
    parkHead(context);
    RefreshStatusAndButtons(context);
}

}  // namespace

void StartRun(ProgramContext& context, RunKind kind) {
    RunSequence(context, [&context, kind] { startRun(context, kind); });
}

void AutomaticCycle(ProgramContext& context) {
    RunSequence(context, [&context] {
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
            } else if ((outcome == PartOutcome::Placed || outcome == PartOutcome::RunEnded) &&
                       Usable(context)) {
                context.port.speak("Automatic Placement Cycle Finished");
            }
        }
        endRun(context);
    });
}

bool PlaceNextPart(ProgramContext& context) {
    return RunSequence(context, [&context] {
        const int part = context.project.CurrentPart;  // fixed for the whole attempt
        bool placed = false;
        if (partValid(context.project, part)) {
            if (!context.project.Parts[part - 1].Enabled) {
                placed = true;
            } else {
                placed = pickForPart(context, part) && PlacePart(context, part);
            }
            if (placed) {
                advanceFrom(context, part);
            }
        }
        RefreshStatusAndButtons(context);
        return placed;
    });
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
    RunSequence(context, [&context] {
        const int part = context.project.CurrentPart;
        // A held part goes first: the pick's protected moves would drop it anywhere.
        if (partValid(context.project, part) && discardHeldPart(context)) {
            ClearFiducialCorrection(context.project);
            if (!PickListedPart(context, part)) {
                reportPickFailure(context, part);
            }
        }
        RefreshStatusAndButtons(context);
    });
}

void PressPlacePart(ProgramContext& context) {
    RunSequence(context, [&context] {
        const int part = context.project.CurrentPart;
        if (partValid(context.project, part) && fiducialsAccepted(context)) {
            placeByHand(context, part);
        }
        RefreshStatusAndButtons(context);
    });
}

void PressDiscard(ProgramContext& context) {
    RunSequence(context, [&context] {
        if (currentPartValid(context.project)) {
            DiscardPart(context, currentFeeder(context));
        }
        RefreshStatusAndButtons(context);
    });
}
