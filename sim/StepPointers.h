#pragma once

#include <cstdint>

#include "SimConfig.h"

namespace motrix_sim {

// The four per-axis pointers through which a C entry point hands step counts back; null ones
// are skipped.
struct StepPointers {
    std::int32_t* x;
    std::int32_t* y;
    std::int32_t* z;
    std::int32_t* a;

    void write(const Steps& steps) const {
        std::int32_t* const targets[] = {x, y, z, a};
        for (int axis = 0; axis < kAxisCount; ++axis) {
            if (targets[axis] != nullptr) {
                *targets[axis] = steps[axis];
            }
        }
    }
};

}  // namespace motrix_sim
