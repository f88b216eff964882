#include "Simulator.h"

#include <chrono>
#include <iostream>

#include "WorldJson.h"

namespace motrix_sim {
namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct EnvironmentSetup {
    SimConfig config;
    World world;
};

EnvironmentSetup environmentSetup() {
    std::vector<std::string> problems;
    SimConfig config = simConfigFromEnvironment(problems);
    World world = configuredWorld(config, problems);
    reportProblems(problems);
    return {std::move(config), std::move(world)};
}

}  // namespace

Simulator::Simulator(const SimConfig& config, World world)
    : config_(config),
      machine_(config, steadySeconds),
      log_(config.logLimit),
      world_(std::move(world), config.homeSwitch) {}

void Simulator::configure(const SimConfig& config, World world) {
    std::lock_guard lock(mutex_);
    config_ = config;
    machine_ = VirtualMachine(config, steadySeconds);
    log_ = CommandLog(config.logLimit);
    world_ = SimWorld(std::move(world), config.homeSwitch);
    downCameraNoFrame_ = false;
    upCameraNoFrame_ = false;
}

void Simulator::injectFaults(const SimConfig& faults) {
    std::lock_guard lock(mutex_);
    copyFaults(faults, config_);
    machine_.injectFaults(faults);
    downCameraNoFrame_ = faults.worldErrors.downCameraNoFrame.value_or(false);
    upCameraNoFrame_ = faults.worldErrors.upCameraNoFrame.value_or(false);
}

void Simulator::loadWorld(World world) {
    std::lock_guard lock(mutex_);
    world_ = SimWorld(std::move(world), config_.homeSwitch);
    observeWorld();
}

SimConfig Simulator::config() {
    std::lock_guard lock(mutex_);
    return config_;
}

void Simulator::withWorld(const WorldAction& action) {
    std::lock_guard lock(mutex_);
    const HeadPose pose = observeWorld();
    action(world_, pose, machine_.outputs());
}

FrameJob Simulator::frameJob(int camera) {
    std::lock_guard lock(mutex_);
    FrameJob job = world_.frameJob(camera, observeWorld());
    job.noFrame = camera == kUpCamera ? upCameraNoFrame_ : downCameraNoFrame_;
    return job;
}

HeadPose Simulator::observeWorld() {
    const HeadPose pose = world_.poseFromSteps(machine_.physicalPosition());
    world_.observe(pose, machine_.outputs());
    return pose;
}

std::string Simulator::logText() {
    std::lock_guard lock(mutex_);
    return log_.text();
}

void Simulator::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

WorldHost& worldHost() {
    return simulator();
}

Simulator& simulator() {
    static Simulator instance = [] {
        EnvironmentSetup setup = environmentSetup();
        return Simulator(setup.config, std::move(setup.world));
    }();
    return instance;
}

int reportProblems(const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) {
        std::cerr << "MotrixAPI simulator: " << problem << '\n';
    }
    return static_cast<int>(problems.size());
}

}  // namespace motrix_sim
