#include "project/Fiducials.h"

#include <cmath>

#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/HomeMarks.h"
#include "motion/MoveOperations.h"
#include "project/FeederList.h"
#include "vision/Capture.h"

namespace {

// Marks closer than this on an axis are too near to tell a rotation from noise.
constexpr double kDualFiducialMinimumDistance = 25.0;

// A held part rides at its feeder's place speed: faster, it could shift on the nozzle after its
// offset was measured.
bool moveOverMark(ProgramContext& context, const FiducialFields& mark) {
    const MachineSettings& settings = context.settings;
    if (context.cycle.PartOnNozzle) {
        const FeederRec* held = FeederAt(context.project, context.cycle.HeldFeeder);
        const int speed = held ? PlaceSpeedOf(settings, *held) : settings.fastPlaceSpeed;
        return MoveBoardRelativeWithPartAndNozzleProtection(context, mark.x, mark.y, mark.z, 0,
                                                            speed);
    }
    return MoveBoardRelativeWithNozzleProtection(context, mark.x, mark.y, mark.z, 0,
                                                 settings.maxStepsPerSecond);
}

FiducialLook searchMark(ProgramContext& context, int fiducial, int captures) {
    if (!moveOverMark(context, FiducialFieldsOf(context.project, fiducial))) {
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

// Sets the correction from fiducial 1, or from both marks for a dual check.
bool measureCorrection(ProgramContext& context) {
    ProjectState& project = context.project;
    const VisionState& vision = context.vision;
    if (LookAtFiducial(context, 1, 1) != FiducialLook::Found) {
        return false;
    }
    const double c1x = vision.VisionCentreX;
    const double c1y = vision.VisionCentreY;
    if (!project.DualFiducial) {
        project.FiducialOffsetX = c1x;
        project.FiducialOffsetY = c1y;
        return true;
    }
    if (LookAtFiducial(context, 2, 1) != FiducialLook::Found) {
        return false;
    }
    const AxisCorrection x =
        CombineFiducialAxis(project.Fiducial2X - project.Fiducial1X, c1x, vision.VisionCentreX);
    const AxisCorrection y =
        CombineFiducialAxis(project.Fiducial2Y - project.Fiducial1Y, c1y, vision.VisionCentreY);
    project.FiducialOffsetX = x.offset;
    project.FiducialScaleX = x.scale;
    project.FiducialOffsetY = y.offset;
    project.FiducialScaleY = y.scale;
    return true;
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
}

QString FiducialSnapPath(const ProjectState& project, int fiducial) {
    const QString& name = fiducial == 2 ? project.Fiducial2SnapName : project.Fiducial1SnapName;
    return project.ProjectFolder + name + ".bmp";
}

AxisCorrection CombineFiducialAxis(double nominalDistance, double measured1, double measured2) {
    if (std::abs(nominalDistance) <= kDualFiducialMinimumDistance) {
        return {measured1, 1};
    }
    return {(measured1 + measured2) / 2, 1};
}

FiducialLook LookAtFiducial(ProgramContext& context, int fiducial, int captures) {
    if (!LoadSnap(FiducialSnapPath(context.project, fiducial), context.vision.ImageReference)) {
        return FiducialLook::SnapMissing;  // no search could find the mark
    }
    const FiducialLook result = searchMark(context, fiducial, captures);
    context.vision.ImageReference.reset();
    return result;
}

bool TestFiducials(ProgramContext& context) {
    ClearFiducialCorrection(context.project);
    context.SelectedCamera = 0;
    context.port.updateButtons();
    const bool measured = !context.project.FiducialEnable || measureCorrection(context);
    RefreshStatusAndButtons(context);
    return measured;
}
