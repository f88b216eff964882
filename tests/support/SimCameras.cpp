#include "support/SimCameras.h"

#include "vision/SimCameraProvider.h"

namespace {

void start(TWCamera& camera, const char* device) {
    camera.SetDeviceName(device);
    camera.SetFormat(camera.GetSupportedFormats().front());
    camera.SetActive(true);
}

}  // namespace

std::unique_ptr<CameraSet> StartSimCameras(const MotrixApi* api) {
    if (!SimCameraCalls::Of(api).available()) {
        return nullptr;
    }
    auto cameras = std::make_unique<CameraSet>(CameraSet::ProvidersFor(api));
    start(cameras->WCameraDown, SimCameraProvider::kDownName);
    start(cameras->WCameraUp, SimCameraProvider::kUpName);
    return cameras;
}
