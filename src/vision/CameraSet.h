#pragma once

#include "vision/FrameSource.h"
#include "vision/WCamera.h"

struct MotrixApi;

// The machine's two cameras, WCameraDown and WCameraUp, over one list of devices. They live
// as long as the program; the machine sequences capture through them as a FrameSource, the
// live view shows them and the vision settings choose and start them.
class CameraSet : public FrameSource {
public:
    explicit CameraSet(const CameraProviders& providers);
    // The platform's cameras, and the simulator's when the controller library renders them.
    static CameraProviders ProvidersFor(const MotrixApi* api);

    TWCamera& camera(CameraRole role) { return role == CameraRole::Up ? WCameraUp : WCameraDown; }
    bool currentFrame(CameraRole camera, QImage& frame) override;

    TWCamera WCameraDown;
    TWCamera WCameraUp;
};
