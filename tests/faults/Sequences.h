#pragma once

#include <QStringList>
#include <functional>
#include <vector>

class FaultMachine;

// A machine sequence as the operator runs it from the main window or a settings window.
struct MachineSequence {
    const char* name;
    // Brings the machine from its homed, parked state to where the sequence starts.
    std::function<void(FaultMachine&)> arrange;
    // Runs it; true when it did its work.
    std::function<bool(FaultMachine&)> run;
    // What it uses, so a fault that cannot touch it is known to leave it unaffected.
    bool initialisesController = false;
    bool usesDownCamera = false;
    bool usesUpCamera = false;
    QStringList snaps{};  // the snaps it reads first, by name ("Home", "Fiducial1", "Demo SOIC-8")
    bool savesSettings = false;
    bool savesProject = false;
    // The dialogs with which it tells a failure of its own steps (their beginnings): a camera
    // or snap fault may be told that way.
    QStringList failureDialogs{};
};

const std::vector<MachineSequence>& MachineSequences();
