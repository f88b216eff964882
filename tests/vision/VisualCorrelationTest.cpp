#include <gtest/gtest.h>

#include "VisionTestFixtures.h"
#include "vision/FilterRotation.h"
#include "vision/PositionSearch.h"
#include "vision/SearchScale.h"

namespace {

using test_images::pasteAtOffset;
using test_images::texture;

constexpr double kMmPerPixel = 40.0 / 800;  // default view width over the frame width

// An 800 x 600 frame with the reference pasted (dx, dy) pixels from the centre.
void loadScene(VisionBench& bench, bool up, int dx, int dy, int size = 100, unsigned seed = 81) {
    bench.state.ImageReference = texture(size, size, seed + 1);
    ImagePtr frame = texture(800, 600, seed);
    pasteAtOffset(*frame, *bench.state.ImageReference, dx, dy);
    (up ? bench.state.ImageUplooking : bench.state.ImageDownlooking) = std::move(frame);
}

TEST(VisualCorrelationTest, PastedReferenceIsFoundAtItsOffset) {
    struct Case {
        bool up;
        int dx, dy;
        double x, y;  // pixels, machine sense
    };
    for (const Case c :
         {Case{false, 0, 0, 0, 0}, Case{false, 16, 0, 16, 0}, Case{true, 16, 0, -16, 0},
          Case{false, 0, 16, 0, -16}, Case{true, -23, -37, 23, 37}}) {
        VisionBench bench;
        loadScene(bench, c.up, c.dx, c.dy);
        bench.state.VisionAngle = 3;
        EXPECT_TRUE(VisualCorrelation(bench.context(), 0, 6, c.up));
        EXPECT_NEAR(bench.state.VisionCorrelation, 1.0, 1e-5);
        EXPECT_NEAR(bench.state.VisionCentreX, c.x * kMmPerPixel, 1e-12) << c.dx;
        EXPECT_NEAR(bench.state.VisionCentreY, c.y * kMmPerPixel, 1e-12) << c.dy;
        EXPECT_EQ(bench.state.VisionAngle, 0);
    }
}

TEST(VisualCorrelationTest, ResultLineShowsTwoDecimals) {
    VisionBench bench;
    loadScene(bench, false, 16, 0);
    VisualCorrelation(bench.context(), 0, 6, false);
    EXPECT_EQ(bench.state.VisionResultText, "Correlation = 1.00  X = 0.80mm  Y = 0.00mm");
}

TEST(VisualCorrelationTest, FeaturelessOrMissingImagesAreNotFound) {
    VisionBench bench;
    bench.state.ImageReference = texture(100, 100, 83);
    bench.state.ImageDownlooking = test_images::uniform(800, 600, 0xFF707070);
    bench.state.VisionCorrelation = bench.state.VisionCentreX = bench.state.VisionCentreY = 9;
    bench.state.VisionAngle = 9;
    EXPECT_FALSE(VisualCorrelation(bench.context(), 0, 6, false));
    EXPECT_EQ(bench.fields().correlation, 0);
    EXPECT_EQ(bench.fields().x, 0);
    EXPECT_EQ(bench.fields().y, 0);
    EXPECT_EQ(bench.fields().angle, 0);
    EXPECT_EQ(bench.state.VisionResultText, "Correlation = 0.00  X = 0.00mm  Y = 0.00mm");

    EXPECT_FALSE(VisualCorrelation(bench.context(), 0, 6, true));  // no up-camera frame
    bench.state.ImageReference.reset();
    EXPECT_FALSE(VisualCorrelation(bench.context(), 0, 6, false));
}

TEST(VisualCorrelationTest, AcceptanceNeedsTheLimitAndContrast) {
    struct Case {
        double best, lowest, limit;
        bool found;
    };
    for (const Case c :
         {Case{0.72, 0.69, 0.7, false}, Case{0.72, 0.60, 0.7, true}, Case{0.69, 0.0, 0.7, false},
          Case{0.7, 0.0, 0.7, true}, Case{0.9, 0.86, 0.7, false}, Case{0.9, 0.849, 0.7, true}}) {
        EXPECT_EQ(positionFound(c.best, c.lowest, c.limit), c.found) << c.best << " " << c.lowest;
    }
}

TEST(VisualCorrelationTest, ScaleAndMarginFromTheViewWidth) {
    struct Case {
        double viewWidth;
        int imageWidth, enlarge;
        double mmPerPixel;
        int margin;
    };
    for (const Case c :
         {Case{40, 800, 6, 0.05, 120}, Case{40, 640, 6, 0.0625, 96}, Case{320, 800, 1, 0.4, 2},
          Case{320, 800, 3, 0.4, 8}, Case{0, 800, 6, 0.0625, 100}, Case{0, 800, 0, 0.0625, 100},
          Case{40, 800, -6, 0.05, -120}}) {
        const SearchScale s = searchScale(c.viewWidth, c.imageWidth, c.enlarge);
        EXPECT_DOUBLE_EQ(s.mmPerPixel, c.mmPerPixel) << c.viewWidth << " " << c.enlarge;
        EXPECT_EQ(s.margin, c.margin) << c.viewWidth << " " << c.enlarge;
    }

    VisionBench bench;
    bench.settings.downlookingCameraViewWidthMM = 0;
    loadScene(bench, false, 16, 0);
    EXPECT_TRUE(VisualCorrelation(bench.context(), 0, 6, false));
    EXPECT_DOUBLE_EQ(bench.state.VisionCentreX, 16 * 0.0625);
}

TEST(VisualCorrelationTest, ReferenceTooLargeForTheMarginSearchesTheWholeImage) {
    VisionBench bench;
    ImagePtr frame = texture(300, 200, 84);
    bench.state.ImageReference = texture(260, 170, 85);
    pasteAtOffset(*frame, *bench.state.ImageReference, 8, -8);
    bench.state.ImageDownlooking = std::move(frame);
    EXPECT_TRUE(VisualCorrelation(bench.context(), 0, 6, false));
    EXPECT_NEAR(bench.state.VisionCentreX, 8 * 40.0 / 300, 1e-12);
    EXPECT_NEAR(bench.state.VisionCentreY, 8 * 40.0 / 300, 1e-12);
}

// A frame turned by -angle, so that the search's turn by +angle straightens it again.
ImagePtr turnedFrame(TBitmap32& frame, double angle) {
    TFilterRotation rotation;
    rotation.setParameterImage("INIMAGE", &frame);
    rotation.setParameterSingle("ANGLE", static_cast<float>(-angle));
    rotation.setParameterBoolean("AUTOADJUSTSIZE", false);
    rotation.Run();
    return cloneImage(rotation.getOutputParameterImage("OUTIMAGE").Value);
}

TEST(VisualCorrelationTest, AgreesWithTheLiteralSearch) {
    struct Case {
        const char* name;
        int frameWidth, frameHeight, refWidth, refHeight, dx, dy, noise;
        double angle;
        bool up;
        int enlarge;
    };
    const Case cases[] = {
        {"small reference", 800, 600, 40, 40, 23, -11, 0, 0, false, 6},
        {"noisy copy", 800, 600, 100, 100, -37, 42, 70, 0, false, 6},
        {"wide reference", 800, 600, 200, 150, 51, 9, 30, 0, false, 6},
        {"turned up camera", 640, 480, 60, 60, -14, 20, 10, 12.5, true, 4},
        {"turned the other way", 640, 480, 80, 70, 30, 4, 10, -30, true, 6},
        {"no margin", 400, 300, 90, 90, 0, 0, 10, 0, false, 0},
        {"whole image", 300, 200, 260, 170, -15, 12, 0, 0, false, 6},
        {"unrelated", 400, 300, 50, 50, 0, 0, -1, 0, false, 6},
    };
    unsigned seed = 90;
    for (const Case& c : cases) {
        VisionBench bench;
        ImagePtr frame = texture(c.frameWidth, c.frameHeight, ++seed);
        bench.state.ImageReference = texture(c.refWidth, c.refHeight, ++seed);
        if (c.noise >= 0) {
            ImagePtr copy = cloneImage(bench.state.ImageReference.get());
            test_images::addNoise(*copy, c.noise, seed);
            pasteAtOffset(*frame, *copy, c.dx, c.dy);
        }
        if (c.angle != 0) {
            frame = turnedFrame(*frame, c.angle);
        }
        const oracle::Fields slow = oracle::visualCorrelation(
            *frame, *bench.state.ImageReference, bench.settings, c.angle, c.enlarge, c.up);
        (c.up ? bench.state.ImageUplooking : bench.state.ImageDownlooking) = std::move(frame);
        for (int threads : {1, 2}) {
            bench.threads = threads;
            const bool found = VisualCorrelation(bench.context(), c.angle, c.enlarge, c.up);
            expectSameFields(found, bench.fields(), slow, c.name,
                             scoreTolerance(c.refWidth * c.refHeight));
        }
    }
}

TEST(VisualCorrelationTest, RunnerUpOnTheBestRowIsRefined) {
    // The true match sits 3 px off the coarse grid, left of centre; a degraded copy sits exactly
    // on the grid on the same row, right of centre, and wins the coarse grid.
    VisionBench bench;
    bench.state.ImageReference = texture(40, 40, 86, 40);
    ImagePtr frame = texture(800, 600, 87, 40);
    ImagePtr decoy = cloneImage(bench.state.ImageReference.get());
    test_images::addNoise(*decoy, 25, 88);
    pasteAtOffset(*frame, *bench.state.ImageReference, -21, 3);
    pasteAtOffset(*frame, *decoy, 24, 0);

    GreySearchImage window;
    window.assign(*frame, searchWindow(800, 600, 160, 160));
    const PositionSearchResult search = PositionSearch(
        window, GreyReference(*bench.state.ImageReference), 1, kPositionSearchRules, 1);
    EXPECT_EQ(search.Candidates[0].X, 24);
    EXPECT_EQ(search.Candidates[0].Y, search.Candidates[1].Y);
    EXPECT_LE(std::abs(search.Candidates[1].X + 21), 6);
    EXPECT_TRUE(search.Refined[1]);

    const oracle::Fields slow =
        oracle::visualCorrelation(*frame, *bench.state.ImageReference, bench.settings, 0, 6, false);
    bench.state.ImageDownlooking = std::move(frame);
    EXPECT_TRUE(VisualCorrelation(bench.context(), 0, 6, false));
    EXPECT_NEAR(bench.state.VisionCorrelation, 1.0, 1e-5);
    EXPECT_NEAR(bench.state.VisionCentreX, -21 * kMmPerPixel, 1e-12);
    EXPECT_NEAR(bench.state.VisionCentreY, -3 * kMmPerPixel, 1e-12);
    expectSameFields(true, bench.fields(), slow, "runner-up scene");
}

TEST(VisualCorrelationTest, TestModeShowsTheImagesAndWaitsForOneStep) {
    VisionBench bench;
    bench.settings.visionTestMode = true;
    loadScene(bench, false, 16, 0);
    EXPECT_TRUE(VisualCorrelation(bench.context(), 0, 6, false));
    EXPECT_EQ(bench.port.calls, QStringList{"information: SINGLE STEP!"});
    EXPECT_EQ(bench.display.events,
              (std::vector<std::string>{"open", "show 221x221 100x100", "close"}));
    EXPECT_NEAR(bench.state.VisionCentreX, 16 * kMmPerPixel, 1e-12);

    bench.settings.visionTestMode = false;
    bench.port.calls.clear();
    VisualCorrelation(bench.context(), 0, 6, false);
    EXPECT_TRUE(bench.port.calls.isEmpty());
}

}  // namespace
