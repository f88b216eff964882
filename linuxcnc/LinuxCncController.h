#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RemoteShell.h"
#include "SimConfig.h"
#include "SimWorld.h"
#include "WorldHost.h"

namespace linuxcnc {

using motrix_sim::Steps;
using Position = std::array<double, 4>;  // X, Y, Z in mm, A in degrees

// Where LinuxCNC's remote shell listens, and how the program's steps become LinuxCNC's units.
struct LinuxCncSetUp {
    std::string host = "127.0.0.1";
    int port = 5007;
    // Steps per mm of X, Y and Z and per degree of A: the program's "Steps Per MM" and
    // "A Steps Per Rev" / 360.
    Position stepsPerUnit = {78.74015748, 78.74015748, 78.74015748, 8000.0 / 360.0};

    bool operator==(const LinuxCncSetUp&) const = default;
};

// Applies the `key=value` lines of `text` to `setUp`: `address` (HOST:PORT), `x_steps_per_mm`,
// `y_steps_per_mm`, `z_steps_per_mm`, `a_steps_per_rev`. Returns one message per unusable
// line; such lines change nothing.
std::vector<std::string> applySetUpText(LinuxCncSetUp& setUp, std::string_view text);

// What one poll of LinuxCNC reads.
struct MachineStatus {
    bool on = false;     // machine on; off under LinuxCNC's stop
    bool idle = false;   // no MDI command runs
    bool homed = false;  // every joint of X, Y, Z and A
    std::string mode;    // "MANUAL", "MDI" or "AUTO"
    Position commanded{};
    Position actual{};
};

// The program's controller calls carried out by LinuxCNC through its remote shell, with the
// simulated world on LinuxCNC's table: the world follows the position LinuxCNC reports and the
// outputs it was told to switch. Each call answers the controller's status byte (the
// simulator's, SimStatus.h): 235 accepted, 236 motion complete, 237 send again (LinuxCNC is
// still moving), 200 moving, 240 refused, 241 LinuxCNC's stop, 242 not connected, 243 the
// connection was lost, 0 from reset when LinuxCNC does not answer.
//
// Steps are the program's: the controller's step counters are LinuxCNC's machine position
// times the set-up's steps per unit, less the zero that setPosition() sets. A move at `speed`
// steps/s takes its longest axis travel over that speed (an inverse-time G1), as the
// program's own controller would, within LinuxCNC's velocity and acceleration limits.
// Thread-safe: the program's cameras render the world from any thread.
class LinuxCncController : public motrix_sim::WorldHost {
public:
    // `world`: the world of `worldConfig`, put on the table.
    LinuxCncController(const motrix_sim::SimConfig& worldConfig, motrix_sim::World world);

    // Takes effect at the next reset.
    void setUp(const LinuxCncSetUp& setUp);
    LinuxCncSetUp currentSetUp();

    // Connects, leaves LinuxCNC's stop and switches the machine on.
    std::uint8_t reset();
    void close();
    std::uint8_t getPosition(Steps& counters);
    // Starts a straight motion of the masked axes to `target` steps.
    std::uint8_t move(const Steps& target, int axisMask, std::int32_t speed);
    // Homes every joint with LinuxCNC's own homing when they are not all homed; otherwise
    // drives the masked axes to their home position, machine zero.
    std::uint8_t home(int axisMask, std::int32_t speed);
    std::uint8_t setPosition(const Steps& counters, int axisMask);
    std::uint8_t setOutput(int mask, bool on);
    std::uint8_t setOutputs(int outputs);
    std::uint8_t endCurrentMove();
    std::uint8_t emergencyStop();
    std::uint8_t pause();
    std::uint8_t resume();
    // A set-up call (speed, acceleration, ...): LinuxCNC's configuration holds its own.
    std::uint8_t acceptSetUp();
    // The counters, without a motion check.
    std::uint8_t readCounters(Steps& counters);
    // The counters at the position last read, without asking LinuxCNC.
    Steps lastCounters();
    // Bit per axis (bit 0 X .. bit 3 A) standing at its home position.
    std::uint8_t inputs();
    double firmwareVersion();

    void withWorld(const WorldAction& action) override;
    motrix_sim::FrameJob frameJob(int camera) override;
    void loadWorld(motrix_sim::World world) override;
    motrix_sim::SimConfig config() override;
    // Replaces the world's configuration and puts its world on the table.
    void configureWorld(const motrix_sim::SimConfig& worldConfig, motrix_sim::World world);

private:
    using Clock = std::chrono::steady_clock;

    // The status a call gets when there is no session: 242, or 243 when it was lost.
    std::uint8_t unconnectedStatus() const;
    // Reads the machine's state; empty when the session is lost.
    std::optional<MachineStatus> poll();
    // The same, with the counters at the position read.
    std::optional<MachineStatus> pollCounters(Steps& counters);
    // The status of a command that needs the machine on and at rest; 0 when it may go.
    std::uint8_t admit(const std::optional<MachineStatus>& status) const;
    // The same for a motion, refused as well at a speed or on axes it cannot run.
    std::uint8_t admitMotion(const std::optional<MachineStatus>& status, int axisMask,
                             std::int32_t speed) const;
    // Sends one "set" command; true when LinuxCNC took it. An MDI line counts as taken only when
    // LinuxCNC reports no error for it.
    bool command(const std::string& text);
    bool ensureMode(const std::string& mode);
    // An MDI G1 of the masked axes to their place in `destination` (machine units), taking its
    // longest axis travel in steps over `speed`.
    std::uint8_t moveAxes(const MachineStatus& status, int axisMask, const Position& destination,
                          std::int32_t speed);
    Steps countersOf(const Position& machine) const;
    motrix_sim::HeadPose pose() const;
    void refreshPositionForCamera();
    // Reports LinuxCNC's errors and refusals on stderr, for whoever runs the machine.
    void noteError(const std::string& reply);
    void noteLateReplies();

    std::mutex mutex_;
    LinuxCncSetUp setUp_;
    RemoteShell shell_;
    bool lost_ = false;  // the session went away without close()
    std::string mode_;
    bool homing_ = false;
    std::optional<Position> target_;  // where the running MDI move ends, machine units
    Position position_{};             // actual position last read
    Clock::time_point positionRead_{};
    std::array<long long, 4> zero_{};  // the counters' zero, in steps of machine position
    int outputs_ = 0;                  // masks switched on, as the world sees them
    motrix_sim::SimConfig worldConfig_;
    motrix_sim::SimWorld world_;
};

// The controller of this process, its world configured from the environment on first use
// (the simulator's MOTRIX_SIM_* world keys).
LinuxCncController& controller();

// Writes configuration problems to stderr; returns their number.
int reportProblems(const std::vector<std::string>& problems);

}  // namespace linuxcnc
