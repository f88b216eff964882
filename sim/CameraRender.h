#pragma once

#include <cstdint>

#include "WorldScene.h"
#include "WorldState.h"

namespace motrix_sim {

inline constexpr int kDownCamera = 0;
inline constexpr int kUpCamera = 1;

// Everything one camera frame needs, copied out of the simulator so that rendering runs
// without its lock.
struct FrameJob {
    WorldModelPtr model;
    WorldState state;
    HeadPose pose;
    int camera = kDownCamera;
    std::uint64_t frameNumber = 0;
};

// The frame size of `camera`; false when there is no such camera.
bool cameraSize(const World& world, int camera, int& width, int& height);

// Renders what the job's camera sees into `pixels` (width x height, 0xAARRGGBB, rows top to
// bottom). False, leaving the pixels alone, when the camera does not exist, the size is not
// the camera's or the camera is set to give no frame.
bool renderFrame(const FrameJob& job, std::uint32_t* pixels, int width, int height);

// How each camera maps the table to its pixels with the head at `pose`.
CameraView downCameraView(const World& world, const HeadPose& pose);
CameraView upCameraView(const World& world);

}  // namespace motrix_sim
