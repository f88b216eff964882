#include "Simulator.h"

#include <chrono>
#include <iostream>

namespace motrix_sim {
namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SimConfig environmentConfig() {
    std::vector<std::string> problems;
    SimConfig config = simConfigFromEnvironment(problems);
    reportProblems(problems);
    return config;
}

}  // namespace

Simulator::Simulator(const SimConfig& config)
    : machine_(config, steadySeconds), log_(config.logLimit) {}

void Simulator::configure(const SimConfig& config) {
    std::lock_guard lock(mutex_);
    machine_ = VirtualMachine(config, steadySeconds);
    log_ = CommandLog(config.logLimit);
}

std::string Simulator::logText() {
    std::lock_guard lock(mutex_);
    return log_.text();
}

void Simulator::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

Simulator& simulator() {
    static Simulator instance(environmentConfig());
    return instance;
}

int reportProblems(const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) {
        std::cerr << "MotrixAPI simulator: " << problem << '\n';
    }
    return static_cast<int>(problems.size());
}

}  // namespace motrix_sim
