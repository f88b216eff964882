#include "app/MachineControl.h"

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "motion/Homing.h"

namespace {

void endRun(CycleState& cycle) {
    cycle.PanelRunActive = false;
    cycle.BoardRunActive = false;
    cycle.PauseRequested = false;
    cycle.PartOnNozzle = false;
}

}  // namespace

bool Initialise(ProgramContext& context) {
    const bool ready = context.cnc.InitialiseController();
    context.port.updateStatus();
    context.port.updateButtons();
    return ready;
}

bool StartUpController(ProgramContext& context) {
    return RunSequence(context, [&context] {
        MotrixCNC& cnc = context.cnc;
        cnc.ControllerReady = false;
        cnc.InitialiseController();
        if (!cnc.ControllerFound) {
            return Fail(context, "FAILED TO LOCATE CNC CONTROLLER");
        }
        if (!cnc.ControllerReady) {
            return Fail(context, "FAILED TO INITIALISE CNC CONTROLLER");
        }
        if (cnc.EmergencyStop) {
            return Fail(context, "EMERGENCY STOP");
        }
        return Home(context);
    });
}

void PressEmergencyStop(ProgramContext& context) {
    context.cnc.EmergencyStop = true;
    context.sequences.endAll();
    endRun(context.cycle);
    context.port.updateStatus();
    context.port.updateButtons();
}

bool PressReset(ProgramContext& context) {
    return RunSequence(context, [&context] {
        OperatorPort& port = context.port;
        endRun(context.cycle);
        context.SelectedCamera = 0;
        port.updateButtons();
        context.cnc.EmergencyStop = false;
        port.updateStatus();
        port.processEvents();
        bool homed = false;
        if (Initialise(context)) {
            port.updateStatus();
            port.processEvents();
            homed = Home(context);
        } else if (context.cnc.ControllerFound) {
            Fail(context, "FAILED TO INITIALISE CNC CONTROLLER");
        } else {
            Fail(context, "FAILED TO LOCATE CNC CONTROLLER");
        }
        port.updateStatus();
        port.updateButtons();
        return homed;
    });
}

void SwitchOffOutputsUnderStop(ProgramContext& context) {
    MotrixCNC& cnc = context.cnc;
    if (!cnc.EmergencyStop) {
        return;
    }
    if (cnc.OutputState[OutputFeeder]) {
        cnc.SetFeederOutput(false);
    }
    if (cnc.OutputState[OutputBlow]) {
        cnc.SetBlowOutput(false);
    }
    if (cnc.OutputState[OutputVacuum]) {
        cnc.SetVacuumOutput(false);
    }
    if (cnc.OutputState[OutputDispenser]) {
        cnc.SetDispenserOutput(false);
    }
}

void RefreshOutputsAndNozzle(ProgramContext& context) {
    SwitchOffOutputsUnderStop(context);
    if (!context.cnc.OutputState[OutputVacuum]) {
        context.cycle.PartOnNozzle = false;
    }
}

void SwitchOutputsOff(ProgramContext& context) {
    MotrixCNC& cnc = context.cnc;
    cnc.SetFeederOutput(false);
    cnc.SetVacuumOutput(false);
    cnc.SetBlowOutput(false);
    cnc.SetDispenserOutput(false);
    cnc.SetYAlignOutput(false);
}
