#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "CameraRender.h"
#include "WorldScene.h"
#include "WorldState.h"

namespace motrix_sim {

// A world in use: its fixed model and its changing state, fed with the machine's physical
// position and outputs. The simulator keeps one behind its lock; tools and tests use their own.
// Not thread-safe; a FrameJob taken from it renders on any thread.
class SimWorld {
public:
    // `homeSwitchSteps`: the physical steps at which the home switches nominally sit; the
    // world's injected home-switch error displaces them on the table.
    explicit SimWorld(World world, const Steps& homeSwitchSteps = {});

    const World& world() const { return model_->world; }
    const WorldModel& model() const { return *model_; }
    const WorldState& state() const { return state_; }

    // Where the head stands on the table for physical axis positions in steps.
    HeadPose poseFromSteps(const Steps& physical) const;
    // Where it stands when a homed machine is at machine position (x, y, z mm, a degrees): the
    // homed zero lies at the injected home-switch error.
    HeadPose poseFromMachine(double x, double y, double z, double a) const;

    void observe(const HeadPose& pose, int outputs) { state_.observe(pose, outputs); }
    // A copy of what a frame of `camera` needs; numbers the camera's frames.
    FrameJob frameJob(int camera, const HeadPose& pose);

    // JSON reports (sim/README.md): every drop and where it counts; the nozzle, the part on it,
    // the boards and feeders as they truly are; the true target of every pad.
    std::string dropsJson() const;
    std::string stateJson(const HeadPose& pose, int outputs) const;
    std::string padsJson() const;

private:
    WorldModelPtr model_;
    WorldState state_;
    std::array<std::uint64_t, 2> framesTaken_{};
};

}  // namespace motrix_sim
