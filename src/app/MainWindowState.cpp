#include "app/MainWindowState.h"

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "project/BoardOrigin.h"
#include "settings/NumberText.h"
#include "windowkit/DisplayLength.h"

namespace {

const QColor kHomeFrameColour(0, 255, 0);
const QColor kBoardFrameColour(255, 255, 0);

QString lengthText(const char* axis, double mm, bool metric) {
    return QString("%1 %2%3").arg(axis, FormatLength(mm, metric), metric ? "mm" : "in");
}

}  // namespace

QString StatusWord(const ProgramContext& context) {
    const MotrixCNC& cnc = context.cnc;
    if (cnc.EmergencyStop) {
        return "EMERGENCY STOP";
    }
    return cnc.ControllerFound && cnc.ControllerReady ? "READY" : "DISABLED";
}

PositionReadout ReadPosition(const ProgramContext& context, bool settingsWindowOpen) {
    const MotrixCNC& cnc = context.cnc;
    const ProjectState& project = context.project;
    double x = cnc.CommandedX - cnc.HomeOffsetX;
    double y = cnc.CommandedY - cnc.HomeOffsetY;
    const double z = cnc.CommandedZ - context.settings.homeZ;
    PositionReadout readout;
    if (!project.ProjectOpen || settingsWindowOpen) {
        readout.frameColour = kHomeFrameColour;
        readout.metric = true;
    } else {
        readout.frameColour = kBoardFrameColour;
        readout.metric = project.Metric;
        x -= project.BoardOriginX;
        y -= project.BoardOriginY;
    }
    readout.x = lengthText("X", x, readout.metric);
    readout.y = lengthText("Y", y, readout.metric);
    readout.z = lengthText("Z", z, readout.metric);
    readout.a = "A " + FormatFixed(cnc.CommandedA, 3);
    return readout;
}

QString NozzleText(const ProgramContext& context) {
    const MachineSettings& settings = context.settings;
    if (!settings.nozzleChangerEnabled) {
        return {};
    }
    return settings.currentNozzle <= 0 ? QString("NO NOZZLE")
                                       : QString("NOZZLE %1").arg(settings.currentNozzle);
}

QString WindowTitle(const ProgramContext& context) {
    const ProjectState& project = context.project;
    return project.ProjectOpen ? "Corvane - " + project.ProjectName
                               : QString("Corvane - ** NO PROJECT! **");
}

std::vector<std::pair<QString, bool>> EnabledStates(const ProgramContext& context) {
    const ProjectState& project = context.project;
    const CycleState& cycle = context.cycle;
    const MachineSettings& settings = context.settings;
    const bool usable = Usable(context);
    const bool open = project.ProjectOpen;
    const bool running = cycle.running();
    // While a machine sequence runs nothing may move the machine or edit what it works on;
    // the stop, STOP, Pause and Resume stay live.
    const bool idle = !SequenceRunning(context);
    const bool free = usable && idle;
    const bool stoppable = context.cnc.usable();
    const int parts = project.PartCount();
    const long long boards = BoardCount(project);
    const bool partChosen = project.CurrentPart >= 1 && project.CurrentPart <= parts;
    return {
        {"ButtonReset", !stoppable},
        {"ButtonHome", free},
        {"ButtonPark", free},
        {"GroupBoxJogControl", free},
        {"ButtonGotoCamera", free},
        {"ButtonEmergencyStop", stoppable},
        {"ButtonParkNozzle",
         open && settings.nozzleChangerEnabled && settings.currentNozzle > 0 && free},
        {"GroupBoxPlaceControls", open && usable},
        {"CheckBoxMetric", idle},
        {"ListBoxPartList", idle},
        {"GroupBoxPartDetails", idle},
        {"ButtonDeletePart", open && parts > 0},
        {"ButtonSetPartPosition", open && parts > 0 && usable},
        {"ButtonGotoPart", open && parts > 0 && usable},
        {"ButtonGotoNextPart", open && parts > 1 && usable},
        {"ButtonSortParts", open && parts >= 2 && !running},
        {"ButtonFeeders", open && !running && idle},
        {"ButtonFiducials", open && !running && idle},
        {"ImportPlaceFile1", open && !running},
        {"SaveProject1", open && project.ProjectModified},
        {"Close1", open},
        {"ButtonDiscard", open && cycle.PartOnNozzle && !running && free},
        {"File1", !running && idle},
        {"Settings1", !running && idle},
        {"Help1", idle},  // a window opened now would hold the sequence until it closed
        {"GroupBoxPanelSettings", open && idle},
        {"ButtonSetBoardHeight", !running && free},
        {"ButtonSetOrigin", !running && free},
        {"ButtonGotoBoard", !running && free},
        {"ButtonResetPanel", open && project.CurrentPanelBoard >= 2 && !running},
        {"ButtonNextBoard", open && project.CurrentPanelBoard < boards && !running},
        {"ButtonPause", running && !cycle.PauseRequested},
        {"ButtonResume", cycle.PauseRequested},
        {"ButtonStop", running},
        {"ButtonStartPanel",
         (project.BoardCountX > 1 || project.BoardCountY > 1) && partChosen && !running && free},
        {"ButtonStartBoard", partChosen && !running && free},
        {"ButtonPickPart", partChosen && !running && free},
        {"ButtonPlacePart", partChosen && !running && free},
    };
}

QStringList ProjectOnlyControls() {
    return {"CheckBoxMetric",  "GroupBoxPlaceControls", "GroupBoxRunControls", "ButtonFeeders",
            "ButtonFiducials", "GroupBoxPanelSettings", "GroupBoxPartDetails", "ListBoxPartList"};
}

QString FixWindowOpener(FixWindow window) {
    switch (window) {
        case FixWindow::HomeSettings:
        case FixWindow::NozzleOffset:
        case FixWindow::NozzleChanger:
            return "Settings1";
        case FixWindow::Feeders:
            return "ButtonFeeders";
        case FixWindow::FiducialSettings:
            return "ButtonFiducials";
        case FixWindow::PanelSettings:
            return "GroupBoxPanelSettings";
        case FixWindow::MainWindow:
        case FixWindow::None:
            break;
    }
    return {};
}

bool FixWindowAvailable(const ProgramContext& context, FixWindow window) {
    if (window == FixWindow::None) {
        return false;
    }
    const QString opener = FixWindowOpener(window);
    bool enabled = true;
    for (const auto& [name, state] : EnabledStates(context)) {
        if (name == opener) {
            enabled = state;  // the last entry of a name wins, as on the window
        }
    }
    return enabled;
}
