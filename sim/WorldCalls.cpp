// The world's entry points (MotrixSimControl.h): its cameras, its reports and what an operator
// does by hand, for every controller library that puts the world on its machine's table.

#include <algorithm>
#include <cstring>

#include "MotrixSimControl.h"
#include "WorldHost.h"
#include "WorldJson.h"

using motrix_sim::HeadPose;
using motrix_sim::SimWorld;
using motrix_sim::worldHost;

namespace {

// Runs `report` on the up-to-date world and copies its text like MotrixSimCommandLog.
template <typename Report>
int copyWorldReport(Report&& report, char* buffer, int size) {
    std::string text;
    worldHost().withWorld([&](SimWorld& world, const HeadPose& pose, int outputs) {
        text = report(world, pose, outputs);
    });
    return motrix_sim::copyReportText(text, buffer, size);
}

motrix_sim::World worldToLoad(const char* json) {
    if (json != nullptr) {
        return motrix_sim::worldFromJson(json);
    }
    std::vector<std::string> problems;
    motrix_sim::World world = motrix_sim::configuredWorld(worldHost().config(), problems);
    if (!problems.empty()) {
        throw motrix_sim::WorldError(problems.front());
    }
    return world;
}

}  // namespace

namespace motrix_sim {

int copyReportText(const std::string& text, char* buffer, int size) {
    if (buffer != nullptr && size > 0) {
        const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int>(text.size() + 1);
}

}  // namespace motrix_sim

extern "C" {

int MotrixSimCameraSize(int camera, int* width, int* height) {
    int cameraWidth = 0;
    int cameraHeight = 0;
    bool exists = false;
    worldHost().withWorld([&](SimWorld& world, const HeadPose&, int) {
        exists = motrix_sim::cameraSize(world.world(), camera, cameraWidth, cameraHeight);
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
    return motrix_sim::renderFrame(worldHost().frameJob(camera), pixels, width, height) ? 1 : 0;
}

int MotrixSimLoadWorld(const char* json, char* error, int errorSize) {
    try {
        worldHost().loadWorld(worldToLoad(json));
        motrix_sim::copyReportText("", error, errorSize);
        return 1;
    } catch (const motrix_sim::WorldError& problem) {
        motrix_sim::copyReportText(problem.what(), error, errorSize);
        return 0;
    }
}

int MotrixSimWorldJson(char* buffer, int size) {
    return copyWorldReport([](const SimWorld& world, const HeadPose&,
                              int) { return motrix_sim::worldToJson(world.world()); },
                           buffer, size);
}

int MotrixSimDropRecord(char* buffer, int size) {
    return copyWorldReport(
        [](const SimWorld& world, const HeadPose&, int) { return world.dropsJson(); }, buffer,
        size);
}

int MotrixSimWorldState(char* buffer, int size) {
    return copyWorldReport([](const SimWorld& world, const HeadPose& pose,
                              int outputs) { return world.stateJson(pose, outputs); },
                           buffer, size);
}

int MotrixSimPadTargets(char* buffer, int size) {
    return copyWorldReport(
        [](const SimWorld& world, const HeadPose&, int) { return world.padsJson(); }, buffer, size);
}

int MotrixSimRefillTray(int feeder) {
    bool refilled = false;
    worldHost().withWorld(
        [&](SimWorld& world, const HeadPose&, int) { refilled = world.refillTray(feeder - 1); });
    return refilled ? 1 : 0;
}

}  // extern "C"
