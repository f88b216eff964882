#include <QLineF>
#include <cmath>
#include <numbers>

#include "PlacingFixture.h"
#include "handling/PlacementCycle.h"
#include "project/BoardTransform.h"
#include "project/FiducialSettings.h"
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

// A board turned by `degrees` about `centre` and shifted by `shift`, as the world turns it.
QPointF turnedBoardPoint(QPointF point, QPointF centre, double degrees, QPointF shift) {
    const double radians = degrees * std::numbers::pi / 180;
    const QPointF d = point - centre;
    return centre + shift +
           QPointF(std::cos(radians) * d.x() + std::sin(radians) * d.y(),
                   -std::sin(radians) * d.x() + std::cos(radians) * d.y());
}

TEST(BoardTransformTest, TwoMarksGiveTheBoardsTurnAndTellAWrongDistance) {
    struct Case {
        QPointF taught1, taught2;
        double turn;
        QPointF shift;
        double stretch;  // mm the found marks lie further apart
    };
    for (const Case& c :
         {Case{{3, 3}, {57, 37}, 0.5, {1, -1}, 0}, Case{{3, 3}, {57, 37}, -0.37, {-0.2, 0.4}, 0},
          Case{{5, 5}, {25, 105}, 1.0, {0, 0}, 0}, Case{{50, 5}, {5, 5}, -2.0, {0.3, 0.3}, 0},
          Case{{3, 3}, {57, 37}, 0.2, {0, 0}, 1.0}, Case{{3, 3}, {57, 37}, 0, {0, 0}, -0.31}}) {
        const QPointF along = (c.taught2 - c.taught1) / QLineF(c.taught1, c.taught2).length();
        const FiducialPair marks{
            c.taught1, c.taught2, turnedBoardPoint(c.taught1, c.taught1, c.turn, c.shift),
            turnedBoardPoint(c.taught2 + along * c.stretch, c.taught1, c.turn, c.shift)};
        EXPECT_NEAR(marks.rotation(), c.turn, 1e-9) << c.turn;
        EXPECT_NEAR(marks.distanceError(), c.stretch, 1e-9) << c.turn;
    }
}

// The correction moves every point of the board where the turned, shifted board has it, and a
// part placed there turns with the board, its pick correction too.
TEST(BoardTransformTest, CorrectionFollowsTheTurnedBoard) {
    ProjectState project;
    const QPointF fiducial1(3, 3);
    const QPointF shift(0.8, -0.6);
    project.FiducialOffsetX = shift.x();
    project.FiducialOffsetY = shift.y();
    project.FiducialRotation = 0.5;
    project.FiducialRotationCentreX = fiducial1.x();
    project.FiducialRotationCentreY = fiducial1.y();
    for (const QPointF point : {QPointF(3, 3), QPointF(57, 37), QPointF(16, 26), QPointF(0, 0)}) {
        const QPointF expected = turnedBoardPoint(point, fiducial1, 0.5, shift);
        const QPointF corrected = CorrectedBoardPosition(project, point.x(), point.y());
        EXPECT_NEAR(corrected.x(), expected.x(), 1e-9) << point.x();
        EXPECT_NEAR(corrected.y(), expected.y(), 1e-9) << point.x();
    }
    const PlacingPose pose = PlacingPoseOf(project, {16, 26}, {0.2, 0, 90});
    const QPointF turnedPick = turnedBoardPoint({0.2, 0}, {0, 0}, 0.5, {0, 0});
    const QPointF part = turnedBoardPoint({16, 26}, fiducial1, 0.5, shift);
    EXPECT_NEAR(pose.x, part.x() + turnedPick.x(), 1e-9);
    EXPECT_NEAR(pose.y, part.y() + turnedPick.y(), 1e-9);
    EXPECT_DOUBLE_EQ(pose.a, 90.5);

    ClearFiducialCorrection(project);
    const PlacingPose plain = PlacingPoseOf(project, {16, 26}, {0.2, -0.1, 90});
    EXPECT_DOUBLE_EQ(plain.x, 16.2);
    EXPECT_DOUBLE_EQ(plain.y, 25.9);
    EXPECT_DOUBLE_EQ(plain.a, 90);
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

// Fiducial 2 found 4 px right of and 4 px above fiducial 1's offset, 100 mm further up the board:
// the board is turned clockwise by atan(0.2 / 100), a little less its stretch.
TEST_F(FiducialTest, DualMarksGiveFiducialOnesShiftAndTheBoardsTurn) {
    context.project.DualFiducial = true;
    mark1 = {6, 2};
    mark2 = {10, -2};
    ASSERT_TRUE(TestFiducials(context));
    const ProjectState& project = context.project;
    EXPECT_NEAR(project.FiducialOffsetX, 6 * kMmPerPixel, 1e-9);
    EXPECT_NEAR(project.FiducialOffsetY, -2 * kMmPerPixel, 1e-9);
    const QPointF taught(20, 100);
    const QPointF found = taught + QPointF(4, 4) * kMmPerPixel;
    const double expected =
        (std::atan2(taught.y(), taught.x()) - std::atan2(found.y(), found.x())) * 180 /
        std::numbers::pi;
    EXPECT_NEAR(project.FiducialRotation, expected, 1e-9);
    EXPECT_EQ(project.FiducialRotationCentreX, 5);
    EXPECT_EQ(project.FiducialRotationCentreY, 5);
    EXPECT_TRUE(context.vision.VisionResultText.endsWith("mm  Board rotation 0.09 Deg"))
        << context.vision.VisionResultText.toStdString();
    EXPECT_TRUE(port.calls.filter("FIDUCIAL").isEmpty());

    // Marks closer than 20 mm cannot tell the turn: fiducial 1's shift alone.
    context.project.Fiducial2X = 5;
    context.project.Fiducial2Y = 19.9;
    ASSERT_TRUE(TestFiducials(context));
    EXPECT_NEAR(project.FiducialOffsetX, 6 * kMmPerPixel, 1e-9);
    EXPECT_NEAR(project.FiducialOffsetY, -2 * kMmPerPixel, 1e-9);
    EXPECT_EQ(project.FiducialRotation, 0);
    EXPECT_FALSE(context.vision.VisionResultText.contains("Board rotation"));
}

// The window's Test of one mark, then of the other: the result line shows the board's turn, or
// that the marks lie at a wrong distance; a mark taught anew since its test counts no more.
TEST_F(FiducialTest, WindowTestsOfBothMarksShowTheBoardsTurn) {
    context.project.DualFiducial = true;
    mark1 = {6, 2};
    mark2 = {10, -2};
    ASSERT_TRUE(TestFiducial(context, 1));
    EXPECT_FALSE(context.vision.VisionResultText.contains("Board rotation"));
    ASSERT_TRUE(TestFiducial(context, 2));
    EXPECT_TRUE(context.vision.VisionResultText.endsWith("mm  Board rotation 0.09 Deg"))
        << context.vision.VisionResultText.toStdString();
    EXPECT_EQ(context.project.FiducialRotation, 0);  // a test shows, it corrects nothing

    mark2 = {0, -7};
    ASSERT_TRUE(TestFiducial(context, 2));
    EXPECT_TRUE(context.vision.VisionResultText.endsWith("mm  FIDUCIAL DISTANCE WRONG"));

    context.project.Fiducial1X = 5.5;
    ASSERT_TRUE(TestFiducial(context, 2));
    EXPECT_FALSE(context.vision.VisionResultText.contains("  Board rotation"));
    EXPECT_FALSE(context.vision.VisionResultText.contains("  FIDUCIAL"));
}

// A mark found 0.35 mm off the taught distance is not the mark that was taught: the check
// fails, says why, and leaves no correction; 0.25 mm passes.
TEST_F(FiducialTest, MarksAtAWrongDistanceFailTheCheck) {
    context.project.DualFiducial = true;
    for (const auto& [pixels, passes] : {std::pair{5, true}, {7, false}}) {
        port.calls.clear();
        mark2 = {0, -pixels};  // further up the board, away from fiducial 1
        EXPECT_EQ(TestFiducials(context), passes) << pixels;
        if (passes) {
            EXPECT_TRUE(port.calls.filter("FIDUCIAL").isEmpty());
            continue;
        }
        EXPECT_EQ(port.calls.filter("FIDUCIAL"), QStringList({"speak: FIDUCIAL DISTANCE WRONG",
                                                              "error: FIDUCIAL DISTANCE WRONG!"}));
        EXPECT_EQ(context.project.FiducialOffsetX, 0);
        EXPECT_EQ(context.project.FiducialOffsetY, 0);
        EXPECT_EQ(context.project.FiducialRotation, 0);
    }
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

// Place Part ends with the down camera over the part just placed, where the turned and shifted
// board has it, not where the part list alone puts it.
TEST_F(FiducialTest, PlacePartShowsThePartWhereTheTurnedBoardHasIt) {
    ProjectState& project = context.project;
    project.DualFiducial = true;
    mark1 = {6, 2};
    mark2 = {10, -2};
    PressPlacePart(context);  // R1, at (10, 20) on the board
    ASSERT_GT(std::abs(project.FiducialRotation), 0.05);
    const QPointF shown = CorrectedBoardPosition(project, 10, 20);
    const QPointF shiftedOnly(10 + project.FiducialOffsetX, 20 + project.FiducialOffsetY);
    ASSERT_NE(boardSteps(shown.x(), shown.y(), 0, 0),
              boardSteps(shiftedOnly.x(), shiftedOnly.y(), 0, 0));
    EXPECT_EQ(moveTargets().back(), boardSteps(shown.x(), shown.y(), 0, 0));
    EXPECT_EQ(project.CurrentPart, 2);
}

}  // namespace
