#include "faults/Sequences.h"

#include "app/MachineControl.h"
#include "context/SettingsPersistence.h"
#include "context/WindowRefresh.h"
#include "faults/FaultMachine.h"
#include "handling/NozzleChanger.h"
#include "handling/NozzleOffset.h"
#include "motion/Homing.h"
#include "motion/MoveOperations.h"

namespace {

// The program as it starts: nothing is known of the controller yet.
void freshStart(FaultMachine& machine) {
    machine.sim.configure("mode=instant");
    MotrixCNC& cnc = machine.cnc;
    cnc.ControllerFound = false;
    cnc.ControllerReady = false;
    cnc.OutputState.fill(false);
    machine.sim.clearLog();
}

// The jog buttons the operator clicks, one message round apart.
bool jogAround(FaultMachine& machine) {
    const AxisPosition jogs[] = {{10, 0, 0, 0}, {0, 10, 0, 0}, {0, 0, 1, 0},
                                 {0, 0, 0, 10}, {0, 0, -1, 0}, {-1, 0, 0, 0}};
    bool moved = true;
    for (const AxisPosition& jog : jogs) {
        machine.cnc.JogDelta = jog;
        moved = machine.cnc.JogMove() && moved;
        RefreshStatusAndButtons(machine.context);
        machine.port.processEvents();
    }
    return moved;
}

// A lowered nozzle with the vacuum and the feeder actuator on, away from every feeder.
void lowerWithOutputsOn(FaultMachine& machine) {
    MoveHomeRelative(machine.context, 250, 150, 5, 0, machine.context.settings.maxStepsPerSecond);
    machine.cnc.SetVacuumOutput(true);
    machine.cnc.SetFeederOutput(true);
}

bool zSafeMove(FaultMachine& machine) {
    return MoveHomeRelativeWithNozzleProtection(machine.context, 300, 120, 5, 0,
                                                machine.context.settings.maxStepsPerSecond);
}

// The "Nozzle Offset" window: shown (nozzle mounted, camera over the mark), the nozzle taken
// onto the mark and its offset set, the nozzle over the up camera, then closed, which saves.
bool calibrateNozzleOffset(FaultMachine& machine) {
    ProgramContext& context = machine.context;
    StartNozzleOffsetCalibration(context);
    machine.port.answers.push_back(OperatorPort::Answer::Yes);
    const bool done =
        GoToNozzleOnMark(context) && SetNozzleOffsetHere(context) && GoToUpCamera(context);
    machine.port.answers.clear();
    SaveMachineSettings(context);
    return done;
}

std::vector<MachineSequence> sequences() {
    std::vector<MachineSequence> all;
    MachineSequence startUp{"StartUp", freshStart,
                            [](FaultMachine& m) { return StartUpController(m.context); }};
    startUp.initialisesController = true;
    startUp.usesDownCamera = true;
    startUp.readsSnaps = true;
    all.push_back(startUp);

    MachineSequence home{"Home", {}, [](FaultMachine& m) { return Home(m.context); }};
    home.usesDownCamera = true;
    home.readsSnaps = true;
    all.push_back(home);

    all.push_back({"Jog", {}, jogAround});
    all.push_back({"ZSafeMove", lowerWithOutputsOn, zSafeMove});

    MachineSequence nozzleChange{
        "NozzleChange", {}, [](FaultMachine& m) { return SelectNozzle(m.context, 2); }};
    nozzleChange.savesSettings = true;
    all.push_back(nozzleChange);

    MachineSequence nozzleOffset{"NozzleOffset", {}, calibrateNozzleOffset};
    nozzleOffset.savesSettings = true;
    all.push_back(nozzleOffset);
    return all;
}

}  // namespace

const std::vector<MachineSequence>& MachineSequences() {
    static const std::vector<MachineSequence> all = sequences();
    return all;
}
