#include "faults/Sequences.h"

#include "app/MachineControl.h"
#include "context/SettingsPersistence.h"
#include "context/WindowRefresh.h"
#include "faults/FaultMachine.h"
#include "handling/NozzleChanger.h"
#include "handling/NozzleOffset.h"
#include "handling/PlacementCycle.h"
#include "motion/Homing.h"
#include "motion/MoveOperations.h"
#include "project/FiducialSettings.h"

namespace {

const QString kFiducialFailure = "FIDUCIAL FAILURE. DO YOU WANT TO CONTINUE ANYWAY?";

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

// The runs of the matrix place a part of every feeder kind on each board: the tray's U1, the
// vibration feeder's Q1, a rear reel's R1 and a front reel's R7; the others are skipped.
void placeFourPartsPerBoard(FaultMachine& machine) {
    ProjectState& project = machine.context.project;
    for (PartRec& part : project.Parts) {
        part.Enabled = part.Designator == "U1" || part.Designator == "Q1" ||
                       part.Designator == "R1" || part.Designator == "R7";
    }
    project.CurrentPart = 1;
    project.CurrentPanelBoard = 1;
}

// "Pick Part" for part 1 (U1 from the tray): the part ends centred over the up camera.
void pickFirstPart(FaultMachine& machine) {
    machine.context.project.CurrentPart = 1;
    PressPickPart(machine.context);
}

bool pickPart(FaultMachine& machine) {
    pickFirstPart(machine);
    return machine.context.cycle.PartOnNozzle;
}

// "Place Part" with the picked part on the nozzle: the fiducial check, the place, the camera
// over the placed part, the next part.
bool placePart(FaultMachine& machine) {
    PressPlacePart(machine.context);
    return !machine.context.cycle.PartOnNozzle && machine.context.project.CurrentPart == 2;
}

bool discardPart(FaultMachine& machine) {
    PressDiscard(machine.context);
    return !machine.context.cycle.PartOnNozzle;
}

// "Start Board" / "Start Panel" from part 1: true when the run ran to its end.
bool run(FaultMachine& machine, RunKind kind) {
    StartRun(machine.context, kind);
    return machine.port.callsStartingWith("speak: ").contains("Automatic Placement Cycle Finished");
}

std::vector<MachineSequence> sequences() {
    std::vector<MachineSequence> all;
    MachineSequence startUp{"StartUp", freshStart,
                            [](FaultMachine& m) { return StartUpController(m.context); }};
    startUp.initialisesController = true;
    startUp.usesDownCamera = true;
    startUp.snaps = {"Home", "Home2"};
    all.push_back(startUp);

    MachineSequence home{"Home", {}, [](FaultMachine& m) { return Home(m.context); }};
    home.usesDownCamera = true;
    home.snaps = {"Home", "Home2"};
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

    MachineSequence fiducial{
        "FiducialTest", {}, [](FaultMachine& m) { return TestFiducial(m.context, 1); }};
    fiducial.usesDownCamera = true;
    fiducial.snaps = {"Fiducial1"};
    all.push_back(fiducial);

    MachineSequence pick{"Pick", {}, pickPart};
    pick.usesUpCamera = true;
    pick.snaps = {"Demo SOIC-8"};
    pick.savesSettings = true;  // the mounted nozzle, as the pick selects it
    pick.savesProject = true;
    pick.failureDialogs = {"FAILED TO PICK PART!"};
    all.push_back(pick);

    MachineSequence place{"Place", pickFirstPart, placePart};
    place.usesDownCamera = true;
    place.snaps = {"Fiducial1", "Fiducial2"};
    place.savesSettings = true;
    place.failureDialogs = {kFiducialFailure};
    all.push_back(place);

    all.push_back({"Discard", pickFirstPart, discardPart});

    for (const auto& [name, kind] :
         {std::pair{"BoardRun", RunKind::Board}, std::pair{"PanelRun", RunKind::Panel}}) {
        MachineSequence placing{name, placeFourPartsPerBoard,
                                [kind](FaultMachine& m) { return run(m, kind); }};
        placing.usesDownCamera = true;
        placing.usesUpCamera = true;
        placing.snaps = {"Demo SOIC-8", "Demo SOT-23", "Demo 0805R", "Demo 0603R"};
        placing.savesSettings = true;
        placing.savesProject = true;
        placing.failureDialogs = {kFiducialFailure, "Retry Limit Reached."};
        all.push_back(placing);
    }
    return all;
}

}  // namespace

const std::vector<MachineSequence>& MachineSequences() {
    static const std::vector<MachineSequence> all = sequences();
    return all;
}
