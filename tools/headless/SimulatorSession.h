#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "motion/MotrixApi.h"

// The simulated machine a headless run drives: the controller library bound by its path as the
// program binds it, and the simulator's own calls that set up its world and tell what happened
// there. The machine is the process's one simulator, shared with anyone else who binds it. The
// LinuxCNC library has the same world calls; its motions are LinuxCNC's, not logged.
class SimulatorSession {
public:
    using Steps = std::array<std::int32_t, 4>;

    // Null, with the reason in `error`, when the library cannot be bound or is not the
    // simulator.
    static std::unique_ptr<SimulatorSession> Open(const QString& libraryPath, QString* error);

    const std::shared_ptr<const MotrixApi>& api() const { return api_; }

    // Replaces the simulator's configuration with `key=value` lines, powers the machine up
    // afresh and puts the configured world on the table. False when a line (a world file, a
    // world key) could not be used; the simulator names it on stderr.
    bool configure(const QString& text) const;

    // The world's JSON reports: every drop, every pad's true target, the true state.
    QByteArray dropRecord() const { return report(functions_.dropRecord); }
    QByteArray padTargets() const { return report(functions_.padTargets); }
    QByteArray worldState() const { return report(functions_.worldState); }
    QByteArray worldFile() const { return report(functions_.worldJson); }
    // Fills every pocket of the world's tray feeder `feeder` (1-based), as an operator would.
    bool refillTray(int feeder) const { return functions_.refillTray(feeder) == 1; }

    // Seconds the machine spent moving since the last call (or since `startMotionClock`):
    // each logged motion takes its longest axis travel over its speed, as the simulator
    // times it. 0 without a motion log (LinuxCNC: its motions took their real time).
    void startMotionClock() const;
    double takeMotionSeconds() const;

private:
    struct Functions {
        int (*configure)(const char*) = nullptr;
        int (*commandLog)(char*, int) = nullptr;
        void (*clearLog)() = nullptr;
        void (*counters)(std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*) = nullptr;
        int (*dropRecord)(char*, int) = nullptr;
        int (*padTargets)(char*, int) = nullptr;
        int (*worldState)(char*, int) = nullptr;
        int (*worldJson)(char*, int) = nullptr;
        int (*refillTray)(int) = nullptr;
    };

    static QByteArray report(int (*copy)(char*, int));
    Steps counters() const;

    std::shared_ptr<const MotrixApi> api_;
    Functions functions_;
    mutable Steps motionStart_{};
};

// The seconds of every motion in a command log (one call per line, "MotrixLinearMove x y z a
// speed ..."), starting with the counters at `position`, which follows the motions.
double MotionSecondsOf(const QByteArray& log, SimulatorSession::Steps& position);
