#pragma once

#include <algorithm>

#include "WorldTestSupport.h"
#include "settings/MachineSettings.h"
#include "support/ScriptedOperatorPort.h"
#include "vision/VisualCorrelation.h"

// The program's searches on what the simulator renders.

// A rendered frame as the program's image record.
inline ImagePtr imageOf(const world_test::Frame& frame) {
    ImagePtr image = createImage(frame.width, frame.height);
    std::copy(frame.pixels.begin(), frame.pixels.end(), image->Bits.begin());
    return image;
}

// The program's search state with the default machine settings (the built-in world's), the
// searches refined as the program runs them.
struct Searcher {
    VisionState state;
    MachineSettings settings;
    ScriptedOperatorPort port;

    VisionContext context() { return {state, settings, port}; }
};
