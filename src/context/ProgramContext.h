#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "context/Clock.h"
#include "context/OperatorPort.h"
#include "motion/MotrixCNC.h"
#include "project/ProjectState.h"
#include "settings/MachineSettings.h"
#include "vision/FrameSource.h"
#include "vision/VisionState.h"

class VisionTestDisplay;

// Flags of the placement cycle and what the nozzle holds.
struct CycleState {
    bool BoardRunActive = false;
    bool PanelRunActive = false;
    bool PauseRequested = false;
    bool PartOnNozzle = false;
    // What the held part is, so that it is placed only as the part it was picked for.
    int HeldPart = 0;  // the part of the list it was picked for; 0: a test pick
    int HeldFeeder = 0;
    double HeldAngle = 0;
    bool HeldMeasured = false;  // its pick corrections come from the up-looking camera
    double PickCorrectionX = 0;
    double PickCorrectionY = 0;
    double PickCorrectionA = 0;

    bool running() const { return BoardRunActive || PanelRunActive; }
};

// The program-wide state, created once by the application (tests make as many as they like).
struct ProgramContext {
    ProgramContext(Clock& clock, OperatorPort& port)
        : clock(clock), port(port), cnc(settings, clock, port, sequences) {}
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;

    Clock& clock;
    OperatorPort& port;
    MachineSettings settings;
    RunningSequences sequences;  // the machine sequence in progress (context/MachineSequence.h)
    MotrixCNC cnc;               // controller state, commanded position, home offsets, outputs
    ProjectState project;
    CycleState cycle;
    VisionState vision;  // the reference and camera images and the last search's results
    FrameSource* cameras = nullptr;                  // none: every capture fails
    VisionTestDisplay* visionTestDisplay = nullptr;  // the "Vision Test" window
    int SelectedCamera = 0;                          // 0 down-looking, 1 up-looking camera shown
    bool DisplayMetric = true;
    QString ProjectsRoot;  // both end with a path separator
    QString SystemSettingsFolder;
    // Opens the machine settings store afresh for each load or save; unset: nothing is stored.
    std::function<std::unique_ptr<QSettings>()> openSettingsStore;
    // The files whose last save failed (ReportSave tells the first of them only).
    QStringList failingSaves;
};

// The machine accepts commands: controller found and ready, no emergency stop, and the
// sequence running (if any) was not ended by a stop since it began.
inline bool Usable(const ProgramContext& context) {
    return context.cnc.usable() && !context.sequences.currentEnded();
}
