#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "handling/PlacementCycle.h"

// A board or panel run of a project on the simulated machine, without windows, in virtual time
// (or on LinuxCNC's motion, in real time), scored against where the simulated world says each
// part landed.

// Where LinuxCNC's remote shell listens.
struct LinuxCncAddress {
    QString host = QStringLiteral("127.0.0.1");
    int port = 5007;
};

struct HeadlessRunOptions {
    QString projectFile;  // PROJECT.Corvane
    RunKind kind = RunKind::Board;
    // The controller library to bind: the simulator, or with `linuxCnc` the LinuxCNC library,
    // whose world follows LinuxCNC's motion in real time.
    QString simulatorLibrary;
    std::optional<LinuxCncAddress> linuxCnc;
    // The world and its injected errors; a value left out keeps the world's own.
    QString worldFile;                                     // empty: the built-in world
    std::optional<std::pair<double, double>> boardOffset;  // mm
    std::optional<double> boardRotation;                   // degrees
    std::optional<std::pair<double, double>> homeError;    // mm
    std::optional<std::pair<double, double>> pickJitter;   // mm, degrees
    std::optional<unsigned long long> seed;
    bool runOnAfterFiducialFailure = false;
    // Where the user's own machine settings and system snaps are: read, never written.
    QString userSettingsFile;
    QString userSystemFolder;
    // Told one line per part as the run goes on.
    std::function<void(const QString&)> progress;
    // Homing, feeders and fiducials without the cameras: a run without rendering or searches,
    // for timing the program's own work.
    bool withoutVision = false;
};

// A pose in machine millimetres and degrees (the world's frame).
struct TablePose {
    double x = 0;
    double y = 0;
    double angle = 0;
};

struct PartOutcome {
    QString designator;
    QString kind;  // its feeder's description
    int board = 0;
    bool enabled = true;
    bool placed = false;
    std::optional<TablePose> target;  // where the part belongs on the real board
    std::optional<TablePose> actual;  // where the world recorded it landing
    // Distance and turn from target to actual, when both are known.
    std::optional<double> errorMm() const;
    std::optional<double> errorDeg() const;
};

// A board of the run: how its fiducial check found it beside how the world truly put it, each
// as the shift of the board's origin from its nominal place (mm, machine frame) and its turn
// (degrees, A sense).
struct BoardOutcome {
    int board = 0;
    std::optional<TablePose> measured;  // the correction its parts were placed with; none placed:
                                        // unknown
    std::optional<TablePose> truth;
};

// The angle errors of the placed parts of one kind (their feeder's description).
struct PartKindOutcome {
    QString kind;
    int parts = 0;
    double maxErrorDeg = 0;  // the largest turn, either way
    double rmsErrorDeg = 0;
};

struct HeadlessRunReport {
    // "simulator" or "linuxcnc". On LinuxCNC the machine time is the cycle's real time.
    QString controller;
    QList<PartOutcome> parts;    // every part of the run's boards, in run order
    QList<BoardOutcome> boards;  // the run's boards, in order
    bool finished = false;       // every enabled part was placed
    QString reason;              // why the run stopped, when it did not finish
    QStringList messages;        // what the run said, showed and was asked, in order
    double machineSeconds = 0;
    double wallSeconds = 0;       // the whole job
    double cycleWallSeconds = 0;  // the placement cycle alone, from start to park

    int partsPlaced() const;
    int partsFailed() const;  // enabled parts that were not placed
    double maxErrorMm() const;
    double rmsErrorMm() const;
    double maxErrorDeg() const;
    // Every kind with a placed part whose turn is known, in the order they first come.
    QList<PartKindOutcome> partKinds() const;
};

// Runs the job on copies in a temporary folder: the project folder, the system snaps (its own
// "System Settings" folder when the project brings one, as the demo does, else the user's)
// and the machine settings (the project's own "Machine Settings/Corvane 2.ini" when it brings
// one, else the user's, else the defaults). The user's files are never written. Null, with
// the reason in `error`, when the run cannot begin (no project, no simulator, an unusable world).
std::optional<HeadlessRunReport> RunHeadless(const HeadlessRunOptions& options, QString* error);
