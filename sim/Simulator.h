#pragma once

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLog.h"
#include "SimConfig.h"
#include "SimWorld.h"
#include "VirtualMachine.h"

namespace motrix_sim {

// The process's one simulated controller: the machine, the log of the calls it received and
// the world on the table, behind one lock so that a real-time motion can be watched and the
// cameras read from any thread.
class Simulator {
public:
    Simulator(const SimConfig& config, World world);

    // Logs a controller call, runs `action` on the machine, then lets the world follow what
    // the machine did.
    template <typename Action>
    auto serve(std::string_view name, std::initializer_list<std::int32_t> args, Action&& action) {
        std::lock_guard lock(mutex_);
        log_.record(name, args);
        auto result = action(machine_);
        observeWorld();
        return result;
    }

    // Runs `action` on the machine without logging (test control).
    template <typename Action>
    auto inspect(Action&& action) {
        std::lock_guard lock(mutex_);
        return action(machine_);
    }

    // Runs `report` on the world, brought up to the machine's present state, with the head's
    // pose and the outputs (test control).
    template <typename Report>
    auto reportWorld(Report&& report) {
        std::lock_guard lock(mutex_);
        const HeadPose pose = observeWorld();
        return report(world_, pose, machine_.outputs());
    }

    // Powers up a fresh machine with `config`, puts `world` on its table and empties the log.
    void configure(const SimConfig& config, World world);
    // Puts a fresh `world` on the table; the machine stays as it is.
    void loadWorld(World world);
    // The configuration in force.
    SimConfig config();
    // What a frame of `camera` needs, taken under the lock; render it after.
    FrameJob frameJob(int camera);
    std::string logText();
    void clearLog();

private:
    HeadPose observeWorld();

    std::mutex mutex_;
    SimConfig config_;
    VirtualMachine machine_;
    CommandLog log_;
    SimWorld world_;
};

// The simulator of this process, configured from the environment on first use.
Simulator& simulator();

// Writes configuration problems to stderr; returns their number.
int reportProblems(const std::vector<std::string>& problems);

}  // namespace motrix_sim
