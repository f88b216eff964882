// Homing with the camera correction and the dual-Y squaring on the simulated controller, the
// camera frames scripted: the mark's offsets in pixels at 0.1 mm per pixel.
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "motion/Homing.h"
#include "support/MachineFixture.h"
#include "support/MarkFrames.h"

namespace {

class HomingTest : public MachineFixture {
protected:
    HomingTest() {
        context.SystemSettingsFolder = folder.path() + "/";
        MarkFrames::markSnap().save(folder.filePath("Home.BMP"), "BMP");
        MarkFrames::markSnap().save(folder.filePath("Home2.BMP"), "BMP");
        context.cameras = &frames;
        MachineSettings& s = context.settings;
        s.parkX = 100;
        s.parkY = 50;
    }

    SimCommand machineMove(double x, double y, double z, int speed) const {
        const auto steps = cnc.toSteps(x, y, z, 0);
        return {"MotrixLinearMove", {steps[0], steps[1], steps[2], steps[3], speed, 0}};
    }
    // An output switch by its mask and state (the position words it carries are left out).
    static SimCommand alignOutput(bool on) { return {"MotrixSetOutput", {4, on ? 1 : 0}}; }
    // The moves and output switches from the first Y-alignment output switched on.
    std::vector<SimCommand> squaringTrace() const {
        std::vector<SimCommand> trace;
        for (SimCommand command : sim.commands()) {
            if (command.name == "MotrixSetOutput") {
                command.args.resize(2);
            } else if (command.name != "MotrixLinearMove") {
                continue;
            }
            if (!trace.empty() || command == alignOutput(true)) {
                trace.push_back(command);
            }
        }
        return trace;
    }
    void expectParked() const {
        EXPECT_DOUBLE_EQ(cnc.CommandedX, cnc.HomeOffsetX + 100);
        EXPECT_DOUBLE_EQ(cnc.CommandedY, cnc.HomeOffsetY + 50);
        EXPECT_EQ(cnc.CommandedZ, context.settings.home1Z);  // at the camera height of Home 1
    }

    QTemporaryDir folder;
    MarkFrames frames;
};

TEST_F(HomingTest, WithoutVisualHomeTheTaughtMarkIsTheOriginAndTheHeadParks) {
    context.settings.visualHome = false;
    frames.offsets = {QPoint(5, 5)};
    EXPECT_TRUE(Home(context));
    EXPECT_EQ(frames.captures, 0);
    EXPECT_EQ(cnc.HomeOffsetX, 20);
    EXPECT_EQ(cnc.HomeOffsetY, 20);
    EXPECT_FALSE(sim.commandsNamed("MotrixHome").empty());
    EXPECT_EQ(moves().back(), machineMove(120, 70, 0, 65000));
    EXPECT_TRUE(port.calls.isEmpty());
}

TEST_F(HomingTest, SingleYCorrectsTheOffsetsByTheMarkSeenOverHome1) {
    context.settings.dualYAxis = false;
    context.settings.home1Z = 3;
    frames.offsets = {QPoint(3, -2)};
    EXPECT_TRUE(Home(context));
    EXPECT_EQ(frames.captures, 1);
    EXPECT_NEAR(cnc.HomeOffsetX, 20.3, 1e-9);
    EXPECT_NEAR(cnc.HomeOffsetY, 19.8, 1e-9);
    // Over the taught mark raised, then down to the camera height, at half speed.
    const auto sent = moves();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[0], machineMove(20, 20, 0, 32500));
    EXPECT_EQ(sent[1], machineMove(20, 20, 3, 32500));
    expectParked();
    EXPECT_FALSE(context.vision.ImageReference);
}

TEST_F(HomingTest, DualYCorrelatesHome1TwiceAndAddsBothCorrections) {
    frames.offsets = {QPoint(3, -2), QPoint(3, 1), QPoint(1, 1)};
    EXPECT_TRUE(Home(context));
    EXPECT_EQ(frames.captures, 3);
    EXPECT_NEAR(cnc.HomeOffsetX, 20 + 0.3 + 0.1, 1e-9);
    EXPECT_NEAR(cnc.HomeOffsetY, 20 - 0.2 + 0.1, 1e-9);
    expectParked();
    EXPECT_TRUE(port.calls.isEmpty());
    EXPECT_FALSE(context.vision.ImageReference);
}

TEST_F(HomingTest, SquaringMovesHome2ByItsYOffsetOnlyWhileTheAlignmentOutputIsOn) {
    context.settings.home2Z = 2;
    frames.offsets = {QPoint(3, -2), QPoint(3, 1), QPoint(0, 0)};
    ASSERT_TRUE(Home(context));
    // Home 1 corrected to (20.3, 19.8); Home 2 at home-relative (20, 120), seen 0.3 mm right
    // and 0.1 mm up: only the 0.1 mm in Y is taken.
    const std::vector<SimCommand> expected = {
        alignOutput(true),
        machineMove(40.3, 139.9, 2, 32500),
        alignOutput(false),
        machineMove(40.3, 139.9, 2, 32500),
        machineMove(40.3, 139.9, 0, 32500),  // the lowered camera rises before it travels
        machineMove(20.3, 19.8, 0, 32500),
        machineMove(20.3, 19.8, 0, 32500)};
    const auto trace = squaringTrace();
    ASSERT_GE(trace.size(), expected.size());
    EXPECT_EQ(std::vector<SimCommand>(trace.begin(), trace.begin() + expected.size()), expected);
    EXPECT_FALSE(sim.outputOn(4));
}

TEST_F(HomingTest, FailedCameraStepsAreReportedAndTheHeadStillParks) {
    struct Case {
        const char* name;
        std::deque<std::optional<QPoint>> marks;
        bool withoutSnap;
        bool withoutCamera;
        const char* error;
        double offsetY;  // after the failure
    };
    const Case cases[] = {
        {"no mark in view: correlation 0", {std::nullopt}, false, false, "CORRELATION FAILED!", 20},
        {"no Home.BMP", {}, true, false, "CORRELATION FAILED!", 20},
        {"no camera", {}, false, true, "CAMERA FAILED!", 20},
        {"Home 2 not found",
         {QPoint(0, 4), std::nullopt},
         false,
         false,
         "CORRELATION FAILED!",
         20.4}};
    for (const Case& c : cases) {
        frames.offsets = c.marks;
        context.cameras = c.withoutCamera ? nullptr : &frames;
        if (c.withoutSnap) {
            QFile::remove(folder.filePath("Home.BMP"));
        }
        port.calls.clear();
        EXPECT_FALSE(Home(context)) << c.name;
        EXPECT_EQ(port.callsStartingWith("error: "), QStringList{c.error}) << c.name;
        EXPECT_EQ(port.callsStartingWith("speak: "), QStringList{QString(c.error).chopped(1)})
            << c.name;
        EXPECT_EQ(cnc.HomeOffsetX, 20) << c.name;
        EXPECT_NEAR(cnc.HomeOffsetY, c.offsetY, 1e-9) << c.name;
        expectParked();
        EXPECT_FALSE(context.vision.ImageReference) << c.name;
        MarkFrames::markSnap().save(folder.filePath("Home.BMP"), "BMP");
    }
}

}  // namespace
