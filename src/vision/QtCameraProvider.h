#pragma once

#include "vision/WCamera.h"

// The platform's cameras through Qt Multimedia, listed by their description.
class QtCameraProvider : public CameraProvider {
public:
    QList<TWVideoCaptureDevice> devices() override;
    std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& device) override;
};
