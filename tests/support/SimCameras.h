#pragma once

#include <memory>

#include "vision/CameraSet.h"

struct MotrixApi;

// The simulator's two cameras running as the program runs them: a CameraSet over the bound
// controller library, each camera started on its simulated device's first format. Null when
// the library renders no cameras.
std::unique_ptr<CameraSet> StartSimCameras(const MotrixApi* api);
