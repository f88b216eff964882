#include "project/FiducialSettings.h"

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

struct FiducialFields {
    double& x;
    double& y;
    double& z;
    QString& snapName;
};

FiducialFields fieldsOf(ProjectState& project, int fiducial) {
    if (fiducial == 2) {
        return {project.Fiducial2X, project.Fiducial2Y, project.Fiducial2Z,
                project.Fiducial2SnapName};
    }
    return {project.Fiducial1X, project.Fiducial1Y, project.Fiducial1Z, project.Fiducial1SnapName};
}

bool accepted(const ProgramContext& context, FiducialAxis axis, double value) {
    const MachineSettings& settings = context.settings;
    const ProjectState& project = context.project;
    switch (axis) {
        case FiducialAxis::X:
            return WithinTravel(settings, TravelAxis::X,
                                value + context.cnc.HomeOffsetX + project.BoardOriginX);
        case FiducialAxis::Y:
            return WithinTravel(settings, TravelAxis::Y,
                                value + context.cnc.HomeOffsetY + project.BoardOriginY);
        case FiducialAxis::Z:
            return value + settings.homeZ >= settings.minimumZPosition &&
                   value + settings.homeZ <= settings.maximumZPosition;
    }
    return false;
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
    FiducialFields fields = fieldsOf(project, fiducial);
    (axis == FiducialAxis::X ? fields.x : axis == FiducialAxis::Y ? fields.y : fields.z) = value;
    project.FiducialOffsetX = 0;
    project.FiducialOffsetY = 0;
    return true;
}

bool SetFiducialHere(ProgramContext& context, int fiducial) {
    const QString question = QString("ARE YOU SURE YOU WANT TO CHANGE FIDUCIAL %1?").arg(fiducial);
    if (context.port.ask(question, false) != OperatorPort::Answer::Yes) {
        return false;
    }
    const QPointF head = HeadOverCurrentBoard(context);
    FiducialFields fields = fieldsOf(context.project, fiducial);
    fields.x = head.x();
    fields.y = head.y();
    fields.z = context.cnc.CommandedZ - context.settings.homeZ;
    context.project.ProjectModified = true;
    return true;
}

bool GoToFiducial(ProgramContext& context, int fiducial) {
    if (context.cycle.PartOnNozzle) {
        return false;
    }
    context.SelectedCamera = 0;
    context.port.updateButtons();
    RecomputeBoardOrigin(context.project);
    FiducialFields fields = fieldsOf(context.project, fiducial);
    const bool moved = MoveBoardRelativeWithNozzleProtection(context, fields.x, fields.y, fields.z,
                                                             0, context.settings.maxStepsPerSecond);
    RefreshStatusAndButtons(context);
    return moved;
}

bool TestFiducial(ProgramContext& context, int fiducial) {
    ProjectState& project = context.project;
    project.FiducialOffsetX = 0;
    project.FiducialOffsetY = 0;
    context.SelectedCamera = 0;
    context.port.updateButtons();
    RecomputeBoardOrigin(project);
    const QString number = QString::number(fiducial);
    bool centred = false;
    switch (LookAtFiducial(context, fiducial, 3)) {
        case FiducialLook::MoveFailed:
            context.port.showError("FAILED TO MOVE TO FIDUCIAL " + number + "!");
            break;
        case FiducialLook::CameraFailed:
            context.port.showError("CAMERA FAILED!");
            break;
        case FiducialLook::NotFound:
            context.port.showInformation("FIDUCAL " + number + " TEST FAILED!");
            break;
        case FiducialLook::Found: {
            FiducialFields fields = fieldsOf(project, fiducial);
            centred = MoveBoardRelative(context, fields.x + context.vision.VisionCentreX,
                                        fields.y + context.vision.VisionCentreY, fields.z, 0,
                                        context.settings.maxStepsPerSecond);
            centred ? context.port.beep() : context.port.showError("FAILED TO MOVE TO CENTRE!");
        }
    }
    context.port.updateButtons();
    return centred;
}

bool ChooseFiducialSnap(ProgramContext& context, int fiducial) {
    ProjectState& project = context.project;
    QString& snapName = fieldsOf(project, fiducial).snapName;
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
        project.FiducialOffsetX = 0;
        project.FiducialOffsetY = 0;
    }
    return true;
}
