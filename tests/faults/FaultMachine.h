#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>
#include <string>

#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"
#include "support/SimController.h"
#include "support/TestFiles.h"
#include "vision/CameraSet.h"

// Thrown by the budget clock and port when a sequence outlives its budget: it would have hung.
class SequenceHung : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Virtual time with a budget. Every wait of the program sleeps on its clock, so a sequence
// that waits past the budget ends with SequenceHung instead of hanging the test.
class BudgetClock final : public Clock {
public:
    double now() const override { return time_; }
    void sleep(double seconds) override;
    // From now on, `seconds` more may pass.
    void allow(double seconds) { deadline_ = time_ + seconds; }

private:
    double time_ = 0;
    double deadline_ = 1e12;
};

// The main window as the sequences see it: the scripted port, whose message rounds a sequence
// may not outrun, and whose boxes and questions are the dialogs the operator sees.
class FaultPort : public ScriptedOperatorPort {
public:
    int roundBudget = 1 << 30;

    void handlePendingMessages() override;
    // The error and information boxes and the questions shown so far.
    QStringList dialogs() const;
};

// A command that sets an axis moving.
bool IsMotion(const SimCommand& command);

// The file at `path` as it is on disk; empty when missing.
QByteArray FileBytes(const QString& path);
// Whole files: each reads back into a model that writes the very same bytes, so a file cut
// off half-way (or otherwise damaged) is never whole.
bool SettingsFileWhole(const QString& path);
bool ProjectFileWhole(const QString& path);

// The program's context on the simulated world: the simulator in instant mode with its built-in
// world, virtual time on a budget, the program's own cameras on the simulator's, and the demo
// machine on a scratch disk: its machine settings in a settings store there, its system
// settings snaps and its project, opened.
class FaultMachine {
public:
    FaultMachine();
    FaultMachine(const FaultMachine&) = delete;
    FaultMachine& operator=(const FaultMachine&) = delete;

    // Powers the simulated machine up afresh with a fresh world (configured by `simulator`,
    // sim/README.md) and brings it to where an operator starts a sequence: initialised, homed
    // (the taught home frame, no camera) and parked, the log and the dialogs cleared.
    void powerUpAndHome(const std::string& simulator = "mode=instant");

    // The world's truth: a part held on the nozzle.
    bool partHeld() const;
    // The outputs switched on, as the sum of their masks, and those of them a fault must
    // never leave on: vacuum, blow, feeder actuator and dispenser.
    int outputs() const { return sim.outputs(); }
    int handlingOutputs() const;

    QString storePath() const { return disk.filePath("Store/Corvane 2.ini"); }
    QString projectFilePath() const;
    QString diskPath(const QString& name) const { return disk.filePath(name); }

    QTemporaryDir disk{ScratchTemplate("faults")};
    BudgetClock clock;
    FaultPort port;
    ProgramContext context{clock, port};
    MotrixCNC& cnc = context.cnc;
    SimController sim{CORVANE_SIM_LIBRARY};
    std::unique_ptr<CameraSet> cameras;

private:
    void bindController();
    void startCameras();
    void installDemo();
};
