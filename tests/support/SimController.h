#pragma once

#include <QLibrary>
#include <QString>
#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "../../sim/MotrixSimControl.h"

// One call the simulated controller received: its function name and integer arguments.
struct SimCommand {
    std::string name;
    std::vector<int> args;

    bool operator==(const SimCommand&) const = default;
};

// Prints the command as its log line ("MotrixHome 15 0 300").
std::ostream& operator<<(std::ostream& stream, const SimCommand& command);

// The tests' handle on the simulated controller library. It loads the library file and drives
// the simulator's test-control entry points; the program's binder loading the same file shares
// the one simulated machine of the process.
class SimController {
public:
    // Throws std::runtime_error naming the library or function that cannot be loaded.
    explicit SimController(const QString& libraryPath);

    // Replaces the simulator's configuration with `key=value` lines, powers the machine up
    // afresh and clears the log. Throws std::invalid_argument when a line cannot be used.
    void configure(const std::string& text);
    // Replaces the faults of the running simulator with `fault_*` and `camera_*_no_frame` lines
    // (empty: none) without powering up. Throws std::invalid_argument when a line cannot be
    // used.
    void injectFaults(const std::string& text);
    void clearLog();
    std::string logText() const;
    std::vector<SimCommand> commands() const;
    std::vector<SimCommand> commandsNamed(std::string_view name) const;
    // Sum of the masks (4, 8, 16, 32, 64) of the outputs switched on.
    int outputs() const;
    bool outputOn(int mask) const { return (outputs() & mask) == mask; }
    // Physical axis positions in steps: the home switches sit at their configured places.
    std::array<std::int32_t, 4> physicalPosition() const;
    // The controller's counters, read without a logged position poll.
    std::array<std::int32_t, 4> counters() const;
    // The world's JSON reports (sim/README.md): the world in use as a world file, its true
    // state (head, nozzle, held part, boards, feeders), every part dropped, and where each
    // pad's part truly belongs.
    std::string worldJson() const;
    std::string worldState() const;
    std::string dropRecord() const;
    std::string padTargets() const;

private:
    using Report = int (*)(char* buffer, int size);
    static std::string copyReport(Report report);

    struct Functions {
#define SIM_CONTROL_MEMBER(name) decltype(&::name) name = nullptr;
        MOTRIX_SIM_CONTROL_FUNCTIONS(SIM_CONTROL_MEMBER)
#undef SIM_CONTROL_MEMBER
    };

    QLibrary library_;
    Functions functions_;
};
