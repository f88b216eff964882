#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace motrix_sim {

inline constexpr int kAxisCount = 4;  // X, Y, Z, A
using Steps = std::array<std::int32_t, kAxisCount>;

enum class TimeMode {
    RealTime,  // a motion takes its distance over its speed in wall-clock time
    Instant,   // a motion completes at the next position poll
};

// A part that the world leaves out: pocket `pocket` (1-based) of feeder `feeder` (1-based), or
// every pocket of the feeder when `pocket` is 0. Written "F:P" or "F".
struct MissingPart {
    int feeder = 0;
    int pocket = 0;

    bool operator==(const MissingPart&) const = default;
};

// Reads a comma-separated list of missing parts ("2:3, 5"); false on any unusable entry.
bool parseMissingParts(std::string_view text, std::vector<MissingPart>& parts);
std::string missingPartText(const MissingPart& part);

// Injected world errors given by the configuration; each one that is set replaces the world
// file's value.
struct WorldErrorOverrides {
    std::optional<std::uint64_t> seed;
    std::optional<double> boardOffsetX;  // mm
    std::optional<double> boardOffsetY;
    std::optional<double> boardRotation;     // degrees
    std::optional<double> homeSwitchErrorX;  // mm
    std::optional<double> homeSwitchErrorY;
    std::optional<double> pickJitterMm;   // largest offset of a picked part from the nozzle axis
    std::optional<double> pickJitterDeg;  // largest turn of a picked part
    std::optional<std::vector<MissingPart>> missing;
    std::optional<bool> downCameraNoFrame;
    std::optional<bool> upCameraNoFrame;

    bool operator==(const WorldErrorOverrides&) const = default;
};

// The simulator's own settings. Physical positions are in steps in the machine's fixed
// frame; the controller's counters start at 0 wherever the machine powers up.
struct SimConfig {
    TimeMode mode = TimeMode::RealTime;
    bool faultResetUnanswered = false;
    bool faultMaxSpeedRefused = false;
    bool faultAccelerationRefused = false;
    int faultBusyAnswers = 0;  // the next N motion commands answer "send again"
    bool faultMotionNeverFinishes = false;
    bool faultRefuseMotion = false;
    bool faultUnanswered = false;  // the controller answers no call, not even a reset
    int faultAfterCalls = 0;       // the faults act once this many calls have been served
    Steps homeSwitch = {0, 0, 0, 0};
    Steps powerUpPosition = {300, 200, 50, 100};
    double firmwareVersion = 3.1;
    std::size_t logLimit = 100000;  // lines kept in the command log
    std::string worldFile;          // empty: the built-in world
    WorldErrorOverrides worldErrors;

    bool operator==(const SimConfig&) const = default;
};

// Applies the `key=value` lines of `text` (blank lines and lines starting with '#' are
// skipped) to `config`. Returns one message per line that names an unknown key or holds an
// unusable value; such lines change nothing.
std::vector<std::string> applySimConfigText(SimConfig& config, std::string_view text);

// The same for a fault injected into a running machine: only the fault keys (`fault_*`,
// `camera_down_no_frame`, `camera_up_no_frame`) are usable; any other key is a problem.
std::vector<std::string> applyFaultText(SimConfig& config, std::string_view text);

// The same for a world put on another controller's table: only the world's keys (`world`,
// `seed`, the error keys `board_*`, `home_switch_error_*`, `pick_jitter_*`, `missing` and the
// cameras' `camera_*_no_frame`) are usable.
std::vector<std::string> applyWorldText(SimConfig& config, std::string_view text);

// Copies the fault settings of `from` (the keys applyFaultText accepts) into `to`.
void copyFaults(const SimConfig& from, SimConfig& to);

// The defaults, then the file named by MOTRIX_SIM_CONFIG, then every MOTRIX_SIM_<KEY>
// variable (KEY in capitals). Problems are appended to `problems`.
SimConfig simConfigFromEnvironment(std::vector<std::string>& problems);

}  // namespace motrix_sim
