#include "project/PartOperations.h"

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/MoveOperations.h"
#include "motion/Travel.h"
#include "project/BoardOrigin.h"
#include "project/BoardTransform.h"
#include "project/PartList.h"
#include "windowkit/DisplayLength.h"

namespace {

// Stores `value` through `store` in the current part; false without a current part.
template <typename Store>
bool storeInCurrentPart(ProgramContext& context, Store store) {
    PartRec* part = CurrentPartRec(context.project);
    if (!part) {
        return false;
    }
    store(*part);
    context.project.ProjectModified = true;
    return true;
}

// A typed board-relative coordinate of the current part, stored when the head would stand
// within the soft limits there.
bool editPartCoordinate(ProgramContext& context, QStringView text, TravelAxis axis) {
    const bool isX = axis == TravelAxis::X;
    const double toMachine = isX ? context.cnc.HomeOffsetX + context.project.BoardOriginX
                                 : context.cnc.HomeOffsetY + context.project.BoardOriginY;
    const std::optional<double> mm = ParseLength(text, context.project.Metric);
    if (!mm || !WithinTravel(context.settings, axis, *mm + toMachine)) {
        return false;
    }
    return storeInCurrentPart(context,
                              [&mm, isX](PartRec& part) { (isX ? part.X : part.Y) = *mm; });
}

}  // namespace

QPointF HeadOverCurrentBoard(ProgramContext& context) {
    RecomputeBoardOrigin(context.project);
    const MotrixCNC& cnc = context.cnc;
    return {cnc.CommandedX - cnc.HomeOffsetX - context.project.BoardOriginX,
            cnc.CommandedY - cnc.HomeOffsetY - context.project.BoardOriginY};
}

void SelectPart(ProgramContext& context, int row) {
    context.project.CurrentPart = row + 1;
    NormaliseCurrentPart(context.project);
    RefreshPartListStatusAndButtons(context);
}

void AddPartAtHead(ProgramContext& context) {
    const QPointF head = HeadOverCurrentBoard(context);
    AddPart(context.project, head.x(), head.y());
    // A new part is a change of the list: closing must not drop it without asking.
    context.project.ProjectModified = true;
    RefreshPartListStatusAndButtons(context);
}

bool DeletePartAsked(ProgramContext& context) {
    if (!context.port.confirms("ARE YOU SURE YOU WANT TO DELETE THIS PART?")) {
        return false;
    }
    const bool deleted = DeleteCurrentPart(context.project);
    if (deleted) {
        context.project.ProjectModified = true;
    }
    RefreshPartListStatusAndButtons(context);
    return deleted;
}

void SortPartList(ProgramContext& context) {
    if (SortParts(context.project)) {
        context.project.ProjectModified = true;
        RefreshPartListStatusAndButtons(context);
    }
}

bool SetPartPosition(ProgramContext& context) {
    return RunSequence(context, [&context] {
        const QString question = "ARE YOU SURE YOU WANT TO SET THE POSITION?";
        context.port.speak(question);
        if (!context.port.confirms(question)) {
            return false;
        }
        const QPointF head = HeadOverCurrentBoard(context);
        const bool stored = storeInCurrentPart(context, [&head](PartRec& part) {
            part.X = head.x();
            part.Y = head.y();
        });
        RefreshPartListStatusAndButtons(context);
        return stored;
    });
}

bool MoveCameraOverCorrectedPoint(ProgramContext& context, double x, double y) {
    const QPointF target = CorrectedBoardPosition(context.project, x, y);
    return MoveBoardRelativeWithNozzleProtection(context, target.x(), target.y(), 0, 0,
                                                 context.settings.maxStepsPerSecond);
}

bool GoToPart(ProgramContext& context) {
    return RunSequence(context, [&context] {
        context.SelectedCamera = 0;
        RefreshStatusAndButtons(context);
        const PartRec* part = CurrentPartRec(context.project);
        if (!part) {
            return false;
        }
        RecomputeBoardOrigin(context.project);
        const bool moved = MoveCameraOverCorrectedPoint(context, part->X, part->Y);
        RefreshStatusAndButtons(context);
        return moved;
    });
}

bool GoToNextPart(ProgramContext& context) {
    return RunSequence(context, [&context] {
        ProjectState& project = context.project;
        if (project.PartCount() <= 0) {
            return false;
        }
        project.CurrentPart =
            project.CurrentPart >= project.PartCount() ? 1 : project.CurrentPart + 1;
        NormaliseCurrentPart(project);
        context.port.updatePartList();
        return GoToPart(context);
    });
}

void ChangePartFeeder(ProgramContext& context, int feeder) {
    if (ChangeFeeder(context.project, feeder)) {
        context.project.ProjectModified = true;
        if (context.port.confirms("Update ALL Matching Parts?")) {
            AssignFeederToMatchingParts(context.project, feeder);
        }
    }
    RefreshPartListStatusAndButtons(context);
}

void SetPartEnabled(ProgramContext& context, bool enabled) {
    storeInCurrentPart(context, [enabled](PartRec& part) { part.Enabled = enabled; });
    context.port.updatePartList();
}

bool EditPartDesignator(ProgramContext& context, const QString& text) {
    return storeInCurrentPart(context, [&text](PartRec& part) { part.Designator = text; });
}

bool EditPartComment(ProgramContext& context, const QString& text) {
    return storeInCurrentPart(context, [&text](PartRec& part) { part.Comment = text; });
}

bool EditPartX(ProgramContext& context, QStringView text) {
    return editPartCoordinate(context, text, TravelAxis::X);
}

bool EditPartY(ProgramContext& context, QStringView text) {
    return editPartCoordinate(context, text, TravelAxis::Y);
}

bool EditPartAngle(ProgramContext& context, QStringView text) {
    const std::optional<double> angle = ParsePartAngle(text);
    return angle && storeInCurrentPart(context, [&angle](PartRec& part) { part.Angle = *angle; });
}
