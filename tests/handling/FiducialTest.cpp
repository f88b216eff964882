#include "PlacingFixture.h"
#include "project/Fiducials.h"

namespace {

constexpr double kMmPerPixel = 40.0 / 800;  // default view width over the frame width

// A mark (a dark square with a notch) on a light ground, 800 x 600, drawn (dx, dy) pixels
// right of and below the image centre.
QImage markFrame(int dx, int dy) {
    QImage frame(800, 600, QImage::Format_RGB32);
    frame.fill(QColor(200, 200, 200));
    const int left = 400 - 20 + dx;
    const int top = 300 - 20 + dy;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool notch = x > 25 && y < 12;
            frame.setPixel(left + x, top + y, notch ? qRgb(200, 200, 200) : qRgb(30, 30, 30));
        }
    }
    return frame;
}

class FiducialTest : public PlacingFixture {
protected:
    FiducialTest() {
        ProjectState& project = context.project;
        project.FiducialEnable = true;
        project.Fiducial1SnapName = "Mark1";
        project.Fiducial2SnapName = "Mark2";
        project.Fiducial1X = 5;
        project.Fiducial1Y = 5;
        project.Fiducial2X = 25;
        project.Fiducial2Y = 105;
        const QImage snap = markFrame(0, 0).copy(400 - 40, 300 - 40, 80, 80);
        snap.save(project.ProjectFolder + "Mark1.bmp", "BMP");
        snap.save(project.ProjectFolder + "Mark2.bmp", "BMP");
        cameras.frame = [this](CameraRole camera) {
            if (camera != CameraRole::Down) {
                return QImage();
            }
            const bool overMark2 =
                cnc.CommandedY - context.project.BoardOriginY > 50;  // fiducial 2 lies at Y 105
            const auto [dx, dy] = overMark2 ? mark2 : mark1;
            if (dx != kNoMark) {
                return markFrame(dx, dy);
            }
            QImage blank(800, 600, QImage::Format_RGB32);
            blank.fill(QColor(200, 200, 200));
            return blank;
        };
    }
    static constexpr int kNoMark = 9999;
    std::pair<int, int> mark1{0, 0};
    std::pair<int, int> mark2{0, 0};
};

TEST(FiducialRuleTest, MarksFurtherApartThan25MmAverageTheirMeasurements) {
    struct Case {
        double distance, c1, c2, offset;
    };
    for (const Case& c :
         {Case{20, 0.3, 0.5, 0.3}, Case{-25, 0.3, 0.5, 0.3}, Case{25.001, 0.3, 0.5, 0.4},
          Case{-100, -0.2, 0.4, 0.1}, Case{100, 0.6, 0.6, 0.6}}) {
        const AxisCorrection axis = CombineFiducialAxis(c.distance, c.c1, c.c2);
        EXPECT_DOUBLE_EQ(axis.offset, c.offset) << c.distance;
        EXPECT_EQ(axis.scale, 1);
    }
}

TEST_F(FiducialTest, DisabledCheckPassesWithoutMovingAndClearsTheCorrection) {
    context.project.FiducialEnable = false;
    context.project.FiducialOffsetX = 2;
    context.project.FiducialScaleY = 0.5;
    EXPECT_TRUE(TestFiducials(context));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(context.project.FiducialOffsetX, 0);
    EXPECT_EQ(context.project.FiducialScaleY, 1);
}

TEST_F(FiducialTest, SingleMarkGivesItsOffsetFromTheImageCentre) {
    mark1 = {6, 2};  // right of and below the centre
    ASSERT_TRUE(TestFiducials(context));
    EXPECT_NEAR(context.project.FiducialOffsetX, 6 * kMmPerPixel, 1e-9);
    EXPECT_NEAR(context.project.FiducialOffsetY, -2 * kMmPerPixel, 1e-9);
    EXPECT_TRUE(movedTo(boardSteps(5, 5, 0, 0)));
    EXPECT_EQ(context.vision.ImageReference, nullptr);
}

TEST_F(FiducialTest, DualMarksUseFiducialOneOnTheCloseAxisAndTheMeanOnTheFarOne) {
    context.project.DualFiducial = true;
    mark1 = {6, 2};
    mark2 = {10, 6};  // 20 mm apart in X, 100 mm in Y
    ASSERT_TRUE(TestFiducials(context));
    EXPECT_NEAR(context.project.FiducialOffsetX, 6 * kMmPerPixel, 1e-9);
    EXPECT_NEAR(context.project.FiducialOffsetY, -4 * kMmPerPixel, 1e-9);
    EXPECT_EQ(context.project.FiducialScaleX, 1);
    EXPECT_EQ(context.project.FiducialScaleY, 1);
}

TEST_F(FiducialTest, MarkNotFoundOrMissingSnapFailsWithTheCorrectionCleared) {
    context.project.DualFiducial = true;
    mark2 = {kNoMark, 0};
    EXPECT_FALSE(TestFiducials(context));
    EXPECT_EQ(context.project.FiducialOffsetX, 0);
    EXPECT_EQ(context.project.FiducialOffsetY, 0);
    mark2 = {0, 0};
    context.project.Fiducial1SnapName = "Gone";
    EXPECT_FALSE(TestFiducials(context));
    cameras.frame = nullptr;
    context.project.Fiducial1SnapName = "Mark1";
    EXPECT_FALSE(TestFiducials(context));
}

TEST_F(FiducialTest, HeldPartRidesToTheMarksOnTheNozzleAtItsPlaceSpeed) {
    context.settings.slowPlaceSpeed = 4000;
    context.project.Feeders[1].PlaceSpeedType = PlaceSpeedSlow;
    context.cycle.PartOnNozzle = true;
    context.cycle.HeldFeeder = 2;
    cnc.SetVacuumOutput(true);
    sim.clearLog();
    ASSERT_TRUE(TestFiducials(context));
    EXPECT_TRUE(sim.outputOn(16));
    EXPECT_TRUE(outputCommands().empty());
    ASSERT_FALSE(moves().empty());
    for (const SimCommand& move : moves()) {
        EXPECT_EQ(move.args[4], 4000) << move;  // faster, it could shift after its measurement
    }
    // Without a part the camera travels at full speed.
    context.cycle.PartOnNozzle = false;
    sim.clearLog();
    ASSERT_TRUE(TestFiducials(context));
    EXPECT_EQ(moves().front().args[4], context.settings.maxStepsPerSecond);
}

}  // namespace
