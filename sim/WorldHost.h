#pragma once

#include <functional>
#include <string>

#include "CameraRender.h"
#include "SimConfig.h"
#include "SimWorld.h"

namespace motrix_sim {

// A world on a machine's table as a controller library's world calls reach it
// (MotrixSimControl.h, WorldCalls.cpp): the simulator's virtual machine, or LinuxCNC's reported
// position and outputs. Each library that renders the world defines worldHost().
class WorldHost {
public:
    using WorldAction = std::function<void(SimWorld& world, const HeadPose& pose, int outputs)>;

    virtual ~WorldHost() = default;

    // Runs `action` under the host's lock on the world, brought up to the machine's present
    // pose and outputs.
    virtual void withWorld(const WorldAction& action) = 0;
    // What a frame of `camera` needs, taken under the lock; render it after.
    virtual FrameJob frameJob(int camera) = 0;
    // Puts a fresh `world` on the table; the machine stays as it is.
    virtual void loadWorld(World world) = 0;
    // The configuration whose world MotrixSimLoadWorld(null) puts back.
    virtual SimConfig config() = 0;
};

// The world host of this library.
WorldHost& worldHost();

// Copies `text` into `buffer`, NUL-terminated and cut to `size`; returns the size it needs.
int copyReportText(const std::string& text, char* buffer, int size);

}  // namespace motrix_sim
