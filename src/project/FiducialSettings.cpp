#include "project/FiducialSettings.h"

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/MoveOperations.h"
#include "motion/Travel.h"
#include "project/BoardOrigin.h"
#include "project/Fiducials.h"
#include "project/PartOperations.h"
#include "project/SnapChoice.h"
#include "settings/NumberText.h"

namespace {

bool accepted(const ProgramContext& context, FiducialAxis axis, double value) {
    const ProjectState& project = context.project;
    switch (axis) {
        case FiducialAxis::X:
            return WithinTravelFromHome(context, TravelAxis::X, value + project.BoardOriginX);
        case FiducialAxis::Y:
            return WithinTravelFromHome(context, TravelAxis::Y, value + project.BoardOriginY);
        case FiducialAxis::Z:
            return WithinTravelFromHome(context, TravelAxis::Z, value);
    }
    return false;
}

// A failed test is shown while the machine is usable; after the emergency stop or a controller
// that stopped answering, the cause is shown already.
void showTestFailure(ProgramContext& context, bool error, const QString& text) {
    if (!Usable(context)) {
        return;
    }
    error ? context.port.showError(text) : context.port.showInformation(text);
}

bool testFiducial(ProgramContext& context, int fiducial) {
    ProjectState& project = context.project;
    ClearFiducialCorrection(project);
    context.SelectedCamera = 0;
    context.port.updateButtons();
    RecomputeBoardOrigin(project);
    const QString number = QString::number(fiducial);
    bool centred = false;
    switch (LookAtFiducial(context, fiducial, 3)) {
        case FiducialLook::SnapMissing:
            showTestFailure(
                context, false,
                "SNAP IMAGE " + FiducialFieldsOf(project, fiducial).snapName + " IS MISSING!");
            break;
        case FiducialLook::MoveFailed:
            showTestFailure(context, true, "FAILED TO MOVE TO FIDUCIAL " + number + "!");
            break;
        case FiducialLook::CameraFailed:
            showTestFailure(context, true, "CAMERA FAILED!");
            break;
        case FiducialLook::NotFound:
            showTestFailure(context, false, "FIDUCAL " + number + " TEST FAILED!");
            break;
        case FiducialLook::Found: {
            NoteFiducialSighting(context, fiducial);
            FiducialFields fields = FiducialFieldsOf(project, fiducial);
            centred = MoveBoardRelative(context, fields.x + context.vision.VisionCentreX,
                                        fields.y + context.vision.VisionCentreY, fields.z, 0,
                                        context.settings.maxStepsPerSecond);
            if (centred) {
                context.port.beep();
            } else {
                showTestFailure(context, true, "FAILED TO MOVE TO CENTRE!");
            }
        }
    }
    context.port.updateButtons();
    return centred;
}

}  // namespace

bool EditFiducialPosition(ProgramContext& context, int fiducial, FiducialAxis axis,
                          QStringView text) {
    ProjectState& project = context.project;
    project.ProjectModified = true;
    const std::optional<double> typed = ParseReal(text);
    if (!typed) {
        return false;
    }
    const double value = project.Metric ? *typed : *typed * 25.4;
    if (!accepted(context, axis, value)) {
        return false;
    }
    FiducialFields fields = FiducialFieldsOf(project, fiducial);
    (axis == FiducialAxis::X ? fields.x : axis == FiducialAxis::Y ? fields.y : fields.z) = value;
    ClearFiducialCorrection(project);
    return true;
}

bool SetFiducialHere(ProgramContext& context, int fiducial) {
    return RunSequence(context, [&context, fiducial] {
        const QString question =
            QString("ARE YOU SURE YOU WANT TO CHANGE FIDUCIAL %1?").arg(fiducial);
        if (!context.port.confirms(question)) {
            return false;
        }
        const QPointF head = HeadOverCurrentBoard(context);
        FiducialFields fields = FiducialFieldsOf(context.project, fiducial);
        fields.x = head.x();
        fields.y = head.y();
        fields.z = context.cnc.CommandedZ - context.settings.homeZ;
        context.project.ProjectModified = true;
        return true;
    });
}

bool GoToFiducial(ProgramContext& context, int fiducial) {
    return RunSequence(context, [&context, fiducial] {
        context.SelectedCamera = 0;
        context.port.updateButtons();
        RecomputeBoardOrigin(context.project);
        FiducialFields fields = FiducialFieldsOf(context.project, fiducial);
        const bool moved = MoveBoardRelativeWithNozzleProtection(
            context, fields.x, fields.y, fields.z, 0, context.settings.maxStepsPerSecond);
        RefreshStatusAndButtons(context);
        return moved;
    });
}

bool TestFiducial(ProgramContext& context, int fiducial) {
    return RunSequence(context, [&context, fiducial] { return testFiducial(context, fiducial); });
}

bool ChooseFiducialSnap(ProgramContext& context, int fiducial) {
    ProjectState& project = context.project;
    QString& snapName = FiducialFieldsOf(project, fiducial).snapName;
    QString name;
    const SnapChoice choice = ChooseSnapFile(context, project.ProjectFolder, snapName, name);
    if (choice == SnapChoice::Cancelled) {
        return false;
    }
    project.ProjectModified = true;
    if (choice == SnapChoice::Kept) {
        return false;
    }
    snapName = name;
    if (choice == SnapChoice::Copied) {
        ClearFiducialCorrection(project);
    }
    return true;
}
