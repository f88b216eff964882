#pragma once

#include <gtest/gtest.h>

#include "CorrelationOracle.h"
#include "TestImages.h"
#include "support/ScriptedOperatorPort.h"
#include "vision/VisualCorrelation.h"

// Records what the vision test window would show.
class RecordingTestDisplay : public VisionTestDisplay {
public:
    void open() override { events.push_back("open"); }
    void show(const TBitmap32& searchImage, const TBitmap32& reference) override {
        events.push_back("show " + std::to_string(searchImage.Width) + "x" +
                         std::to_string(searchImage.Height) + " " +
                         std::to_string(reference.Width) + "x" + std::to_string(reference.Height));
    }
    void close() override { events.push_back("close"); }
    std::vector<std::string> events;
};

// A machine's vision: settings at their defaults, a scripted operator. It runs the literal
// searches, which the oracle spells out, unless a test asks for the refined ones.
struct VisionBench {
    VisionState state;
    MachineSettings settings;
    ScriptedOperatorPort port;
    RecordingTestDisplay display;
    int threads = 0;
    SearchPrecision precision = SearchPrecision::Literal;

    VisionContext context() { return {state, settings, port, &display, threads, precision}; }

    oracle::Fields fields() const {
        return {false, state.VisionCorrelation, state.VisionCentreX, state.VisionCentreY,
                state.VisionAngle};
    }
};

// How far the literal score's float sum may drift from the exact score: its rounding grows with
// the number of terms.
inline double scoreTolerance(int referencePixels) {
    return std::max(1e-4, referencePixels * std::ldexp(1.0, -24));
}

inline void expectSameFields(bool found, const oracle::Fields& fast, const oracle::Fields& slow,
                             const std::string& name, double tolerance = 1e-4) {
    EXPECT_EQ(found, slow.found) << name;
    EXPECT_NEAR(fast.correlation, slow.correlation, tolerance) << name;
    EXPECT_NEAR(fast.x, slow.x, 1e-9) << name;
    EXPECT_NEAR(fast.y, slow.y, 1e-9) << name;
    EXPECT_NEAR(fast.angle, slow.angle, 1e-9) << name;
}
