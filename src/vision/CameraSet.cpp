#include "vision/CameraSet.h"

#include "vision/QtCameraProvider.h"
#include "vision/SimCameraProvider.h"

CameraSet::CameraSet(const CameraProviders& providers)
    : WCameraDown(providers), WCameraUp(providers) {}

CameraProviders CameraSet::ProvidersFor(const MotrixApi* api) {
    CameraProviders providers{std::make_shared<QtCameraProvider>()};
    const SimCameraCalls sim = SimCameraCalls::Of(api);
    if (sim.available()) {
        providers.push_back(std::make_shared<SimCameraProvider>(sim));
    }
    return providers;
}

bool CameraSet::currentFrame(CameraRole role, QImage& frame) {
    return camera(role).CurrentImage(frame);
}
