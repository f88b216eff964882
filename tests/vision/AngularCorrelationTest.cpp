#include <gtest/gtest.h>

#include <algorithm>

#include "VisionTestFixtures.h"
#include "vision/FilterRotation.h"
#include "vision/SearchScale.h"

namespace {

using test_images::texture;

// An up-camera frame: a part (the reference) on a plain ground, turned by `turn` degrees.
ImagePtr partFrame(const TBitmap32& part, double turn, int width = 640, int height = 480) {
    ImagePtr frame = test_images::uniform(width, height, 0xFF202020);
    test_images::pasteAtOffset(*frame, part, 0, 0);
    TFilterRotation rotation;
    rotation.setParameterImage("INIMAGE", frame.get());
    rotation.setParameterSingle("ANGLE", static_cast<float>(turn));
    rotation.setParameterBoolean("AUTOADJUSTSIZE", false);
    rotation.setParameterString("MISSINGPIXELCOLORMODE", "BLACK");
    rotation.Run();
    return cloneImage(rotation.getOutputParameterImage("OUTIMAGE").Value);
}

TEST(AngularCorrelationTest, ShrinkFactorStepAndStepCount) {
    struct Case {
        int size;
        int factor, fineFactor;
        double step;
        int steps;
    };
    for (const Case c :
         {Case{40, 1, 1, 2.8624, 14}, Case{100, 3, 3, 3.4336, 12}, Case{120, 3, 3, 2.8624, 14},
          Case{49, 1, 1, 2.3373, 18}, Case{50, 2, 2, 4.5739, 9}, Case{300, 6, 3, 2.2906, 18}}) {
        const int factor = angleSearchFactor(c.size, 6);
        EXPECT_EQ(factor, c.factor) << c.size;
        EXPECT_EQ(angleSearchFactor(c.size, 3), c.fineFactor) << c.size;
        const double step = angleStep(factor, c.size);
        EXPECT_NEAR(step, c.step, 1e-4) << c.size;
        EXPECT_EQ(angleStepCount(40, step), c.steps) << c.size;
    }
}

TEST(AngularCorrelationTest, TurnedPartIsMeasuredWithinOneStep) {
    for (double turn : {12.0, -20.0, 0.0}) {
        VisionBench bench;
        bench.state.ImageReference = texture(100, 100, 101);
        bench.state.ImageUplooking = partFrame(*bench.state.ImageReference, turn);
        ASSERT_TRUE(AngularVisualCorrelation(bench.context(), 0, 6)) << turn;
        // Turning the frame by the found angle straightens the part again.
        EXPECT_NEAR(bench.state.VisionAngle, -turn, angleStep(3, 100)) << turn;
        EXPECT_GT(bench.state.VisionCorrelation, 0.8) << turn;
    }
}

TEST(AngularCorrelationTest, AgreesWithTheLiteralSearch) {
    struct Case {
        const char* name;
        int size;
        double turn, base;
        int enlarge;
        double viewWidth;
    };
    const Case cases[] = {
        {"100 px part", 100, 12.0, 0.0, 6, 40},
        {"40 px part around a base angle", 40, -7.0, 5.0, 4, 40},
        {"160 px part", 160, 25.0, 0.0, 6, 40},
        {"zero view width", 60, 3.0, 0.0, 6, 0},
    };
    unsigned seed = 110;
    for (const Case& c : cases) {
        VisionBench bench;
        bench.settings.uplookingCameraViewWidthMM = c.viewWidth;
        bench.state.ImageReference = texture(c.size, c.size, ++seed);
        ImagePtr frame = partFrame(*bench.state.ImageReference, c.turn);
        test_images::addNoise(*frame, 20, seed);
        oracle::Fields slow;
        oracle::angularVisualCorrelation(*frame, *bench.state.ImageReference, bench.settings,
                                         c.base, c.enlarge, slow);
        bench.state.ImageUplooking = std::move(frame);
        for (int threads : {1, 2}) {
            bench.threads = threads;
            const bool found = AngularVisualCorrelation(bench.context(), c.base, c.enlarge);
            expectSameFields(found, bench.fields(), slow, c.name);
        }
    }
}

TEST(AngularCorrelationTest, NotFoundKeepsTheAngleAndShowsTheLastTrial) {
    VisionBench bench;
    bench.state.ImageReference = texture(100, 100, 120);
    bench.state.ImageUplooking = test_images::noise(640, 480, 121);
    bench.state.VisionAngle = 7;
    oracle::Fields slow{false, 0, 0, 0, 7};
    oracle::angularVisualCorrelation(*bench.state.ImageUplooking, *bench.state.ImageReference,
                                     bench.settings, 0, 6, slow);
    EXPECT_FALSE(AngularVisualCorrelation(bench.context(), 0, 6));
    expectSameFields(false, bench.fields(), slow, "noise");
    EXPECT_EQ(bench.state.VisionAngle, 7);
    EXPECT_TRUE(bench.state.VisionResultText.startsWith("Correlation = "));
    EXPECT_TRUE(bench.state.VisionResultText.contains("  Angle = 7.00Deg.  X = "));

    bench.state.ImageUplooking.reset();
    EXPECT_FALSE(AngularVisualCorrelation(bench.context(), 0, 6));
}

TEST(AngularCorrelationTest, TestModePausesOncePerTrialAngle) {
    struct Case {
        int size;
        int pauses;  // coarse trials, then the refinement's
        std::string shown;
    };
    for (const Case& c : {Case{40, 30, "40x40"}, Case{120, 34, "40x40"}}) {
        VisionBench bench;
        bench.settings.visionTestMode = true;
        bench.state.ImageReference = texture(c.size, c.size, 130);
        bench.state.ImageUplooking = partFrame(*bench.state.ImageReference, 4.0);
        EXPECT_TRUE(AngularVisualCorrelation(bench.context(), 0, 6));
        EXPECT_EQ(bench.port.calls.size(), c.pauses) << c.size;
        EXPECT_TRUE(
            std::all_of(bench.port.calls.begin(), bench.port.calls.end(),
                        [](const QString& call) { return call == "information: SINGLE STEP!"; }));
        ASSERT_EQ(bench.display.events.size(), static_cast<std::size_t>(c.pauses) + 2);
        EXPECT_EQ(bench.display.events.front(), "open");
        EXPECT_EQ(bench.display.events.back(), "close");
        EXPECT_TRUE(bench.display.events[1].ends_with(" " + c.shown)) << bench.display.events[1];
    }
}

}  // namespace
