#include "project/PanelOperations.h"

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/MoveOperations.h"
#include "project/BoardOrigin.h"

namespace {

// Speaks the question, then asks it; true on Yes.
bool confirmed(ProgramContext& context, const QString& question) {
    context.port.speak(question);
    return context.port.ask(question, false) == OperatorPort::Answer::Yes;
}

}  // namespace

bool SetPanelOrigin(ProgramContext& context) {
    return RunSequence(context, [&context] {
        if (!confirmed(context, "ARE YOU SURE YOU WANT TO SET THE PANEL ORIGIN?")) {
            return false;
        }
        ProjectState& project = context.project;
        project.PanelOriginX = context.cnc.CommandedX - context.cnc.HomeOffsetX;
        project.PanelOriginY = context.cnc.CommandedY - context.cnc.HomeOffsetY;
        project.ProjectModified = true;
        RecomputeBoardOrigin(project);
        RefreshStatusAndButtons(context);
        return true;
    });
}

bool SetBoardHeight(ProgramContext& context) {
    return RunSequence(context, [&context] {
        if (!confirmed(context, "ARE YOU SURE YOU WANT TO SET THE BOARD HEIGHT?")) {
            return false;
        }
        context.project.BoardHeight = context.cnc.CommandedZ - context.settings.homeZ;
        context.project.ProjectModified = true;
        RefreshStatusAndButtons(context);
        return true;
    });
}

bool MoveToCurrentBoard(ProgramContext& context) {
    return RunSequence(context, [&context] {
        ProjectState& project = context.project;
        RecomputeBoardOrigin(project);
        const bool moved = MoveHomeRelativeWithNozzleProtection(context, project.BoardOriginX,
                                                                project.BoardOriginY, 0, 0,
                                                                context.settings.maxStepsPerSecond);
        RefreshStatusAndButtons(context);
        return moved;
    });
}

bool GoToBoard(ProgramContext& context) {
    return RunSequence(context, [&context] {
        context.SelectedCamera = 0;
        RefreshStatusAndButtons(context);
        return MoveToCurrentBoard(context);
    });
}

void NextBoard(ProgramContext& context) {
    AdvancePanelBoard(context.project);
    RecomputeBoardOrigin(context.project);
    RefreshPartListStatusAndButtons(context);
}

void ResetPanel(ProgramContext& context) {
    RewindPanel(context.project);
    RecomputeBoardOrigin(context.project);
    RefreshPartListStatusAndButtons(context);
}

bool GoToNextBoard(ProgramContext& context) {
    return RunSequence(context, [&context] {
        NextBoard(context);
        return MoveToCurrentBoard(context);
    });
}
