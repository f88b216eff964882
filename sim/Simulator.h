#pragma once

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLog.h"
#include "SimConfig.h"
#include "VirtualMachine.h"

namespace motrix_sim {

// The process's one simulated controller: the machine and the log of the calls it received,
// behind one lock so that a real-time motion can be watched from any thread.
class Simulator {
public:
    explicit Simulator(const SimConfig& config);

    // Logs a controller call, then runs `action` on the machine.
    template <typename Action>
    auto serve(std::string_view name, std::initializer_list<std::int32_t> args, Action&& action) {
        std::lock_guard lock(mutex_);
        log_.record(name, args);
        return action(machine_);
    }

    // Runs `action` on the machine without logging (test control).
    template <typename Action>
    auto inspect(Action&& action) {
        std::lock_guard lock(mutex_);
        return action(machine_);
    }

    // Powers up a fresh machine with `config` and empties the log.
    void configure(const SimConfig& config);
    std::string logText();
    void clearLog();

private:
    std::mutex mutex_;
    VirtualMachine machine_;
    CommandLog log_;
};

// The simulator of this process, configured from the environment on first use.
Simulator& simulator();

// Writes configuration problems to stderr; returns their number.
int reportProblems(const std::vector<std::string>& problems);

}  // namespace motrix_sim
