// The test-control entry points of the simulated controller, and its cameras.

#include "MotrixSimControl.h"

#include <algorithm>
#include <cstring>

#include "Simulator.h"
#include "StepPointers.h"
#include "WorldJson.h"

using motrix_sim::HeadPose;
using motrix_sim::simulator;
using motrix_sim::SimWorld;
using motrix_sim::StepPointers;
using motrix_sim::VirtualMachine;
using motrix_sim::worldToJson;

namespace {

// Copies `text` into `buffer`, NUL-terminated and cut to `size`; returns the size it needs.
int copyText(const std::string& text, char* buffer, int size) {
    if (buffer != nullptr && size > 0) {
        const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int>(text.size() + 1);
}

motrix_sim::World worldToLoad(const char* json) {
    if (json != nullptr) {
        return motrix_sim::worldFromJson(json);
    }
    std::vector<std::string> problems;
    motrix_sim::World world = motrix_sim::configuredWorld(simulator().config(), problems);
    if (!problems.empty()) {
        throw motrix_sim::WorldError(problems.front());
    }
    return world;
}

}  // namespace

extern "C" {

int MotrixSimConfigure(const char* text) {
    std::vector<std::string> problems;
    motrix_sim::SimConfig config;
    if (text == nullptr) {
        config = motrix_sim::simConfigFromEnvironment(problems);
    } else {
        problems = motrix_sim::applySimConfigText(config, text);
    }
    motrix_sim::World world = motrix_sim::configuredWorld(config, problems);
    simulator().configure(config, std::move(world));
    return motrix_sim::reportProblems(problems);
}

int MotrixSimCommandLog(char* buffer, int size) {
    return copyText(simulator().logText(), buffer, size);
}

void MotrixSimClearLog() {
    simulator().clearLog();
}

int MotrixSimOutputs() {
    return simulator().inspect([](VirtualMachine& machine) { return machine.outputs(); });
}

void MotrixSimPhysicalPosition(std::int32_t* x, std::int32_t* y, std::int32_t* z, std::int32_t* a) {
    StepPointers{x, y, z, a}.write(
        simulator().inspect([](VirtualMachine& machine) { return machine.physicalPosition(); }));
}

void MotrixSimCounters(std::int32_t* x, std::int32_t* y, std::int32_t* z, std::int32_t* a) {
    StepPointers{x, y, z, a}.write(
        simulator().inspect([](VirtualMachine& machine) { return machine.counters(); }));
}

int MotrixSimCameraSize(int camera, int* width, int* height) {
    int cameraWidth = 0;
    int cameraHeight = 0;
    const bool exists = simulator().reportWorld([&](const SimWorld& world, const HeadPose&, int) {
        return motrix_sim::cameraSize(world.world(), camera, cameraWidth, cameraHeight);
    });
    if (exists && width != nullptr) {
        *width = cameraWidth;
    }
    if (exists && height != nullptr) {
        *height = cameraHeight;
    }
    return exists ? 1 : 0;
}

int MotrixSimCameraFrame(int camera, std::uint32_t* pixels, int width, int height) {
    return motrix_sim::renderFrame(simulator().frameJob(camera), pixels, width, height) ? 1 : 0;
}

int MotrixSimLoadWorld(const char* json, char* error, int errorSize) {
    try {
        simulator().loadWorld(worldToLoad(json));
        copyText("", error, errorSize);
        return 1;
    } catch (const motrix_sim::WorldError& problem) {
        copyText(problem.what(), error, errorSize);
        return 0;
    }
}

int MotrixSimWorldJson(char* buffer, int size) {
    const std::string report = simulator().reportWorld(
        [](const SimWorld& world, const HeadPose&, int) { return worldToJson(world.world()); });
    return copyText(report, buffer, size);
}

int MotrixSimDropRecord(char* buffer, int size) {
    const std::string report = simulator().reportWorld(
        [](const SimWorld& world, const HeadPose&, int) { return world.dropsJson(); });
    return copyText(report, buffer, size);
}

int MotrixSimWorldState(char* buffer, int size) {
    const std::string report =
        simulator().reportWorld([](const SimWorld& world, const HeadPose& pose, int outputs) {
            return world.stateJson(pose, outputs);
        });
    return copyText(report, buffer, size);
}

int MotrixSimPadTargets(char* buffer, int size) {
    const std::string report = simulator().reportWorld(
        [](const SimWorld& world, const HeadPose&, int) { return world.padsJson(); });
    return copyText(report, buffer, size);
}

}  // extern "C"
