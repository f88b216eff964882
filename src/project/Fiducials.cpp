#include "project/Fiducials.h"

#include <cmath>

#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/HomeMarks.h"
#include "motion/MoveOperations.h"
#include "project/BoardTransform.h"
#include "project/FeederList.h"
#include "settings/NumberText.h"
#include "vision/Capture.h"

namespace {

const char* const kDistanceWrong = "FIDUCIAL DISTANCE WRONG";

// Marks found further than this share of the search's reach (half the enlargement either way)
// from where the camera looked may have been found at the edge of the reach, short of where
// they lie: the camera looks again, centred on them.
constexpr double kSecondLookShare = 2.0 / 3;

// A held part rides at its feeder's place speed: faster, it could shift on the nozzle after its
// offset was measured.
bool moveOverMark(ProgramContext& context, QPointF at, double z) {
    const MachineSettings& settings = context.settings;
    if (context.cycle.PartOnNozzle) {
        const FeederRec* held = FeederAt(context.project, context.cycle.HeldFeeder);
        const int speed = held ? PlaceSpeedOf(settings, *held) : settings.fastPlaceSpeed;
        return MoveBoardRelativeWithPartAndNozzleProtection(context, at.x(), at.y(), z, 0, speed);
    }
    return MoveBoardRelativeWithNozzleProtection(context, at.x(), at.y(), z, 0,
                                                 settings.maxStepsPerSecond);
}

FiducialLook searchMark(ProgramContext& context, int fiducial, int captures, QPointF at) {
    if (!moveOverMark(context, at, FiducialFieldsOf(context.project, fiducial).z)) {
        return FiducialLook::MoveFailed;
    }
    switch (LookForMark(context, captures)) {
        case MarkSearch::Found:
            return FiducialLook::Found;
        case MarkSearch::CameraFailed:
            return FiducialLook::CameraFailed;
        case MarkSearch::NotFound:
            break;
    }
    return FiducialLook::NotFound;
}

// Where fiducial `fiducial` was taught (board-relative mm).
QPointF taughtPosition(ProjectState& project, int fiducial) {
    const FiducialFields mark = FiducialFieldsOf(project, fiducial);
    return {mark.x, mark.y};
}

// How far from where the camera looked the last search found the mark (mm).
QPointF foundOffset(const VisionState& vision) {
    return {vision.VisionCentreX, vision.VisionCentreY};
}

// Where fiducial `fiducial` lies (board-relative mm); nothing when it was not found.
std::optional<QPointF> findMark(ProgramContext& context, int fiducial) {
    const double reach = context.settings.downlookingCameraEnlargementMM / 2.0;
    QPointF at = taughtPosition(context.project, fiducial);
    for (int look = 1;; ++look) {
        if (LookAtFiducial(context, fiducial, 1, at) != FiducialLook::Found) {
            return std::nullopt;
        }
        const QPointF offset = foundOffset(context.vision);
        at += offset;
        if (look == 2 ||
            std::max(std::abs(offset.x()), std::abs(offset.y())) <= kSecondLookShare * reach) {
            return at;
        }
    }
}

void setShift(ProjectState& project, QPointF shift) {
    project.FiducialOffsetX = shift.x();
    project.FiducialOffsetY = shift.y();
}

// Both marks measured: fiducial 1's shift and, when they lie far enough apart to tell it, the
// board's turn about fiducial 1. False when their distance shows a wrong mark.
bool setDualCorrection(ProgramContext& context, const FiducialPair& marks) {
    if (!marks.distanceRight()) {
        return Fail(context, kDistanceWrong);
    }
    setShift(context.project, marks.found1 - marks.taught1);
    if (marks.tellsTurn()) {
        ProjectState& project = context.project;
        project.FiducialRotation = marks.rotation();
        project.FiducialRotationCentreX = marks.taught1.x();
        project.FiducialRotationCentreY = marks.taught1.y();
        context.vision.VisionResultText += "  " + BoardRotationText(project.FiducialRotation);
    }
    return true;
}

// Sets the correction from fiducial 1, or from both marks for a dual check.
bool measureCorrection(ProgramContext& context) {
    ProjectState& project = context.project;
    const std::optional<QPointF> found1 = findMark(context, 1);
    if (!found1) {
        return false;
    }
    const QPointF taught1 = taughtPosition(project, 1);
    if (!project.DualFiducial) {
        setShift(project, *found1 - taught1);
        return true;
    }
    const std::optional<QPointF> found2 = findMark(context, 2);
    return found2 &&
           setDualCorrection(context, {taught1, taughtPosition(project, 2), *found1, *found2});
}

}  // namespace

FiducialFields FiducialFieldsOf(ProjectState& project, int fiducial) {
    if (fiducial == 2) {
        return {project.Fiducial2X, project.Fiducial2Y, project.Fiducial2Z,
                project.Fiducial2SnapName};
    }
    return {project.Fiducial1X, project.Fiducial1Y, project.Fiducial1Z, project.Fiducial1SnapName};
}

void ClearFiducialCorrection(ProjectState& project) {
    project.FiducialOffsetX = 0;
    project.FiducialOffsetY = 0;
    project.FiducialScaleX = 1;
    project.FiducialScaleY = 1;
    project.FiducialRotation = 0;
    project.FiducialRotationCentreX = 0;
    project.FiducialRotationCentreY = 0;
}

QString BoardRotationText(double degrees) {
    return "Board rotation " + FormatFixed(degrees, 2) + " Deg";
}

QString FiducialSnapPath(const ProjectState& project, int fiducial) {
    const QString& name = fiducial == 2 ? project.Fiducial2SnapName : project.Fiducial1SnapName;
    return project.ProjectFolder + name + ".bmp";
}

FiducialLook LookAtFiducial(ProgramContext& context, int fiducial, int captures,
                            std::optional<QPointF> at) {
    if (!LoadSnap(FiducialSnapPath(context.project, fiducial), context.vision.ImageReference)) {
        return FiducialLook::SnapMissing;  // no search could find the mark
    }
    const FiducialLook result = searchMark(context, fiducial, captures,
                                           at.value_or(taughtPosition(context.project, fiducial)));
    context.vision.ImageReference.reset();
    return result;
}

void NoteFiducialSighting(ProgramContext& context, int fiducial) {
    ProjectState& project = context.project;
    const QPointF taught = taughtPosition(project, fiducial);
    const QPointF found = taught + foundOffset(context.vision);
    auto& sightings = project.FiducialSightings;
    sightings[fiducial == 2 ? 1 : 0] = {project.CurrentPanelBoard, taught.x(), taught.y(),
                                        found.x(), found.y()};
    const auto current = [&](const FiducialSighting& sighting, int mark) {
        return sighting.board == project.CurrentPanelBoard &&
               QPointF(sighting.taughtX, sighting.taughtY) == taughtPosition(project, mark);
    };
    if (!project.DualFiducial || !current(sightings[0], 1) || !current(sightings[1], 2)) {
        return;
    }
    const FiducialPair marks{taughtPosition(project, 1),
                             taughtPosition(project, 2),
                             {sightings[0].foundX, sightings[0].foundY},
                             {sightings[1].foundX, sightings[1].foundY}};
    if (!marks.distanceRight()) {
        context.vision.VisionResultText += QString("  ") + kDistanceWrong;
    } else if (marks.tellsTurn()) {
        context.vision.VisionResultText += "  " + BoardRotationText(marks.rotation());
    }
}

bool TestFiducials(ProgramContext& context) {
    ClearFiducialCorrection(context.project);
    context.SelectedCamera = 0;
    context.port.updateButtons();
    const bool measured = !context.project.FiducialEnable || measureCorrection(context);
    RefreshStatusAndButtons(context);
    return measured;
}
