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
#include "WorldHost.h"

namespace motrix_sim {

// The process's one simulated controller: the machine, the log of the calls it received and
// the world on the table, behind one lock so that a real-time motion can be watched and the
// cameras read from any thread. It is the library's world host.
class Simulator : public WorldHost {
public:
    Simulator(const SimConfig& config, World world);

    // Logs a controller call, runs `action` on the machine, then lets the world follow what
    // the machine did.
    template <typename Action>
    auto serve(std::string_view name, std::initializer_list<std::int32_t> args, Action&& action) {
        std::lock_guard lock(mutex_);
        log_.record(name, args);
        auto result = action(machine_);
        machine_.callServed();
        observeWorld();
        return result;
    }

    // Runs `action` on the machine without logging (test control).
    template <typename Action>
    auto inspect(Action&& action) {
        std::lock_guard lock(mutex_);
        return action(machine_);
    }

    void withWorld(const WorldAction& action) override;
    FrameJob frameJob(int camera) override;
    void loadWorld(World world) override;
    SimConfig config() override;

    // Powers up a fresh machine with `config`, puts `world` on its table and empties the log.
    void configure(const SimConfig& config, World world);
    // Replaces the faults of the running machine and its cameras with those of `faults`.
    void injectFaults(const SimConfig& faults);
    std::string logText();
    void clearLog();

private:
    HeadPose observeWorld();

    std::mutex mutex_;
    SimConfig config_;
    VirtualMachine machine_;
    CommandLog log_;
    SimWorld world_;
    // Camera faults injected into the running simulator, on top of the world's own.
    bool downCameraNoFrame_ = false;
    bool upCameraNoFrame_ = false;
};

// The simulator of this process, configured from the environment on first use.
Simulator& simulator();

// Writes configuration problems to stderr; returns their number.
int reportProblems(const std::vector<std::string>& problems);

}  // namespace motrix_sim
