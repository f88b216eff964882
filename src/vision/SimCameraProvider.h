#pragma once

#include <cstdint>

#include "vision/WCamera.h"

struct MotrixApi;

// The simulator's two cameras, rendered by the controller library when it is the simulator.
struct SimCameraCalls {
    // camera 0 down, 1 up; 1 on success.
    int (*size)(int camera, int* width, int* height) = nullptr;
    // 0xAARRGGBB pixels, rows top to bottom; 1 on success.
    int (*frame)(int camera, std::uint32_t* pixels, int width, int height) = nullptr;

    bool available() const { return size && frame; }
    // The calls of a bound controller library; none when it does not export them.
    static SimCameraCalls Of(const MotrixApi* api);
};

// Offers "Simulated Down Camera" and "Simulated Up Camera". Their frames are rendered when
// asked for, so a capture always shows the machine as it is now; the live picture is rendered
// at kPreviewRate frames per second while it is on screen.
class SimCameraProvider : public CameraProvider {
public:
    static constexpr int kPreviewRate = 30;
    static const char* const kDownName;
    static const char* const kUpName;

    explicit SimCameraProvider(SimCameraCalls calls) : calls_(calls) {}
    QList<TWVideoCaptureDevice> devices() override;
    std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& device) override;

private:
    SimCameraCalls calls_;
};
