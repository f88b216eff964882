#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "VisionTestFixtures.h"
#include "vision/FilterRotation.h"
#include "vision/SearchScale.h"

namespace {

using test_images::texture;

// An up-camera frame: a part `dx`, `dy` pixels (rows down) from the centre on a plain ground,
// then the whole frame turned by `turn` degrees.
ImagePtr offsetPartFrame(const TBitmap32& part, int dx, int dy, double turn, int width = 640,
                         int height = 480) {
    ImagePtr frame = test_images::uniform(width, height, 0xFF202020);
    test_images::pasteAtOffset(*frame, part, dx, dy);
    TFilterRotation rotation;
    rotation.setParameterImage("INIMAGE", frame.get());
    rotation.setParameterSingle("ANGLE", static_cast<float>(turn));
    rotation.setParameterBoolean("AUTOADJUSTSIZE", false);
    rotation.setParameterString("MISSINGPIXELCOLORMODE", "BLACK");
    rotation.Run();
    return cloneImage(rotation.getOutputParameterImage("OUTIMAGE").Value);
}

// The part centred, turned by `turn` degrees.
ImagePtr partFrame(const TBitmap32& part, double turn, int width = 640, int height = 480) {
    return offsetPartFrame(part, 0, 0, turn, width, height);
}

// The numbers of a result line: correlation, angle, X and Y.
std::vector<double> lineNumbers(const QString& line) {
    static const QRegularExpression number(QStringLiteral("-?\\d+\\.\\d+"));
    std::vector<double> numbers;
    for (const QRegularExpressionMatch& match : number.globalMatch(line)) {
        numbers.push_back(match.captured().toDouble());
    }
    return numbers;
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

// The refined search finds the turn between the steps and the offset between the pixels, for
// parts shrunk by 1, 2 and 3, at any base angle.
TEST(AngularCorrelationTest, RefinedSearchMeasuresBelowTheStep) {
    struct Case {
        int size;
        double turn, base;
        int dx, dy;
    };
    const double mmPerPixel = 40.0 / 640;
    for (const Case c : {Case{100, 12.3, 0, 0, 0}, Case{100, -20.7, 0, 13, -7},
                         Case{62, 1.7, 0, 0, 0}, Case{62, -2.2, 90, -9, 5}, Case{48, 5.9, 0, 4, 4},
                         Case{148, -0.8, 0, 0, 0}, Case{66, 0, 0, 6, -11}}) {
        VisionBench bench;
        bench.precision = SearchPrecision::Refined;
        bench.state.ImageReference = texture(c.size, c.size, 130 + c.size);
        bench.state.ImageUplooking =
            offsetPartFrame(*bench.state.ImageReference, c.dx, c.dy, c.turn + c.base);
        double x = c.dx;
        double y = -c.dy;
        turnPoint(x, y, -(c.turn + c.base));
        const std::string name = std::to_string(c.size) + " px turned " + std::to_string(c.turn);
        ASSERT_TRUE(AngularVisualCorrelation(bench.context(), -c.base, 6)) << name;
        // The frames are turned by the bilinear rotation, which blurs them unevenly: a tenth of
        // a degree and a quarter pixel is as close as they tell.
        EXPECT_NEAR(bench.state.VisionAngle, -c.turn, 0.15) << name;
        EXPECT_NEAR(bench.state.VisionCentreX, -x * mmPerPixel, 0.3 * mmPerPixel) << name;
        EXPECT_NEAR(bench.state.VisionCentreY, y * mmPerPixel, 0.3 * mmPerPixel) << name;
    }
}

// A limit past half a turn only repeats angles: the sweep stops at 180 degrees either way
// instead of asking for billions of trials (and the memory for them).
TEST(AngularCorrelationTest, LimitBeyondHalfATurnSearchesAsHalfATurn) {
    const auto search = [](int limit) {
        VisionBench bench;
        bench.settings.uplookingCameraAngleTestLimit = limit;
        bench.state.ImageReference = texture(100, 100, 101);
        bench.state.ImageUplooking = partFrame(*bench.state.ImageReference, 12);
        EXPECT_TRUE(AngularVisualCorrelation(bench.context(), 0, 6)) << limit;
        return std::pair(bench.state.VisionAngle, bench.state.VisionCorrelation);
    };
    const auto halfTurn = search(180);
    EXPECT_NEAR(halfTurn.first, -12, angleStep(3, 100));
    EXPECT_EQ(search(std::numeric_limits<int>::max()), halfTurn);
}

// A limit below zero sweeps nothing; the search fails instead of reading an empty trial list.
TEST(AngularCorrelationTest, NegativeLimitFindsNothing) {
    VisionBench bench;
    bench.settings.uplookingCameraAngleTestLimit = -194;
    bench.state.ImageReference = texture(100, 100, 101);
    bench.state.ImageUplooking = partFrame(*bench.state.ImageReference, 0);
    EXPECT_FALSE(AngularVisualCorrelation(bench.context(), -6, 6));
    EXPECT_EQ(bench.state.VisionAngle, 0);
}

// The search turns the frame by the base angle plus each trial angle; what it finds there is
// turned back by both, so the offset is the part's own in the camera image, in mm, mirrored.
// A search that fails shows the last trial's offset the same way in its result line.
TEST(AngularCorrelationTest, OffsetIsThePartsOwnWhateverTheBaseAngle) {
    struct Case {
        double base;
        double turn;
        int dx, dy;
    };
    const Case cases[] = {
        {30, 0, 21, 13},    {30, 0, 35, -28},   {-30, 0, -27, 35},
        {-20, 12, -19, 27}, {25, -15, 27, -19},
    };
    const double mmPerPixel = 40.0 / 640;
    for (const Case& c : cases) {
        // Where the part's centre lies after the frame's turn (clockwise on screen), Y up.
        double x = c.dx;
        double y = -c.dy;
        turnPoint(x, y, -c.turn);
        const double expectedX = -x * mmPerPixel;
        const double expectedY = y * mmPerPixel;
        const std::string name =
            "base " + std::to_string(c.base) + " turn " + std::to_string(c.turn);
        for (const bool reachable : {true, false}) {
            VisionBench bench;
            bench.settings.visionCorrelationLimit = reachable ? 0.7 : 1.01;
            bench.state.ImageReference = texture(100, 100, 150);
            bench.state.ImageUplooking =
                offsetPartFrame(*bench.state.ImageReference, c.dx, c.dy, c.turn);
            EXPECT_EQ(AngularVisualCorrelation(bench.context(), c.base, 6), reachable) << name;

            const std::vector<double> shown = lineNumbers(bench.state.VisionResultText);
            ASSERT_EQ(shown.size(), 4u) << bench.state.VisionResultText.toStdString();
            const double tolerance = 4 * mmPerPixel;  // measured on images shrunk by 3
            EXPECT_NEAR(shown[2], expectedX, tolerance) << name << " reachable " << reachable;
            EXPECT_NEAR(shown[3], expectedY, tolerance) << name << " reachable " << reachable;
            if (reachable) {
                EXPECT_NEAR(bench.state.VisionCentreX, expectedX, tolerance) << name;
                EXPECT_NEAR(bench.state.VisionCentreY, expectedY, tolerance) << name;
                EXPECT_NEAR(bench.state.VisionAngle, -c.turn - c.base, angleStep(3, 100)) << name;
            }
        }
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
