// The nozzle offset calibration and the teaching of the up-looking camera.
#include <gtest/gtest.h>

#include "handling/NozzleOffset.h"
#include "motion/HomeCalibration.h"
#include "support/MachineFixture.h"

namespace {

using A = OperatorPort::Answer;

class NozzleOffsetTest : public MachineFixture {
protected:
    void headAt(double x, double y, double z) { ASSERT_TRUE(cnc.MoveMachine(x, y, z, 0, 65000)); }
};

TEST_F(NozzleOffsetTest, SetNozzleStoresTheNozzleMinusTheCameraOnTheMark) {
    // Home offsets and "Home Z" of a homed machine: every taught value is home-relative.
    MachineSettings& s = context.settings;
    cnc.HomeOffsetX = 12.5;
    cnc.HomeOffsetY = -3.25;
    s.homeZ = 4;
    s.currentNozzle = s.nozzleNumber;  // the calibration nozzle is mounted
    headAt(100, 50, 0);
    port.answers = {A::Yes};
    ASSERT_TRUE(SetCalibrationMarkHere(context));
    EXPECT_EQ(s.nozzleCalibrationX, 87.5);
    EXPECT_EQ(s.nozzleCalibrationY, 53.25);
    headAt(70, 55, 12.5);
    port.answers = {A::Yes};
    ASSERT_TRUE(SetNozzleOffsetHere(context));
    EXPECT_EQ(s.nozzleOffsetX, -30);
    EXPECT_EQ(s.nozzleOffsetY, 5);
    EXPECT_EQ(s.nozzleCalibrationZ, 8.5);
    EXPECT_EQ(port.calls, QStringList({"ask2: ARE YOU SURE YOU WANT TO CHANGE THE CAMERA POSITION?",
                                       "ask2: ARE YOU SURE YOU WANT TO SET THE NOZZLE OFFSET?"}));

    // Going back puts the nozzle on the mark at its touch height.
    headAt(0, 0, 0);
    ASSERT_TRUE(GoToNozzleOnMark(context));
    EXPECT_EQ(cnc.CommandedX, 70);
    EXPECT_EQ(cnc.CommandedY, 55);
    EXPECT_EQ(cnc.CommandedZ, 12.5);
}

TEST_F(NozzleOffsetTest, TheOffsetIsSetOnlyWithTheCalibrationNozzleMounted) {
    MachineSettings& s = context.settings;
    s.nozzleNumber = 3;
    s.currentNozzle = 5;
    port.answers = {A::Yes};
    EXPECT_FALSE(SetNozzleOffsetHere(context));
    EXPECT_TRUE(port.calls.isEmpty());
    s.nozzleChangerEnabled = false;  // a machine with a single nozzle
    EXPECT_TRUE(SetNozzleOffsetHere(context));
}

TEST_F(NozzleOffsetTest, AChangedCameraHeightNeedsTwoMoreWarnings) {
    const QString position = "ask2: ARE YOU SURE YOU WANT TO CHANGE THE CAMERA POSITION?";
    const QString height =
        "ask2: \"WARNING!! THE CAMERA HEIGHT HAS CHANGED\rARE YOU SURE YOU WANT TO\rCHANGE THE "
        "CAMERA HEIGHT?";
    const QString last =
        "ask2: LAST WARNING!!!\r\rDO YOU REALLY WANT TO\rCHANGE THE CAMERA HEIGHT?";
    const MachineSettings& s = context.settings;
    struct Case {
        double z;
        std::deque<A> answers;
        QStringList asked;
        double expectedZ;
    };
    const Case cases[] = {{0, {A::Yes}, {position}, 0},
                          {4, {A::Yes, A::Yes, A::No}, {position, height, last}, 0},
                          {4, {A::Yes, A::Yes, A::Yes}, {position, height, last}, 4}};
    for (const Case& c : cases) {
        context.settings.uplookingCameraX = 200;
        headAt(180, 190, c.z);
        port.calls.clear();
        port.answers = c.answers;
        SetUpCameraHere(context);
        EXPECT_EQ(port.calls, c.asked) << c.z;
        EXPECT_EQ(s.uplookingCameraX, 180);  // the position answer stands
        EXPECT_EQ(s.uplookingCameraY, 190);
        EXPECT_EQ(s.uplookingCameraZ, c.expectedZ);
        EXPECT_EQ(context.SelectedCamera, 1);
    }
}

TEST_F(NozzleOffsetTest, OpeningMountsTheCalibrationNozzleAndLooksAtTheMark) {
    MachineSettings& s = context.settings;
    s.nozzleChangerLocation = 1;
    s.nozzleX.fill(100);
    s.nozzleY.fill(300);
    s.nozzleNumber = 7;
    s.nozzleCalibrationX = 150;
    s.nozzleCalibrationY = 60;
    EXPECT_TRUE(StartNozzleOffsetCalibration(context));
    EXPECT_EQ(s.currentNozzle, 7);
    EXPECT_EQ(cnc.CommandedX, 150);
    EXPECT_EQ(cnc.CommandedY, 60);
    EXPECT_EQ(cnc.CommandedZ, 0);
}

TEST_F(NozzleOffsetTest, ANozzleThatCannotBeMountedIsToldAndTheHeadStaysAwayFromTheMark) {
    MachineSettings& s = context.settings;
    s.nozzleChangerLocation = 1;
    s.nozzleX.fill(100);
    s.nozzleY.fill(300);
    s.nozzleX[6] = 500;  // holder 7 lies beyond the X travel
    s.nozzleNumber = 7;
    s.nozzleCalibrationX = 150;
    s.nozzleCalibrationY = 60;
    EXPECT_FALSE(StartNozzleOffsetCalibration(context));
    EXPECT_EQ(port.callsStartingWith("error: "), QStringList{"FAILED TO SELECT NOZZLE 7!"});
    EXPECT_NE(cnc.CommandedX, 150);
    EXPECT_NE(s.currentNozzle, 7);
    port.answers = {A::Yes};
    EXPECT_FALSE(SetNozzleOffsetHere(context));  // it would measure another nozzle's offset
}

TEST_F(NozzleOffsetTest, AHeldPartIsNeverDroppedByTheWindow) {
    MachineSettings& s = context.settings;
    s.currentNozzle = s.nozzleNumber;
    context.cycle.PartOnNozzle = true;
    cnc.SetVacuumOutput(true);
    sim.clearLog();
    for (const auto& [name, action] :
         std::initializer_list<std::pair<const char*, bool (*)(ProgramContext&)>>{
             {"open", StartNozzleOffsetCalibration},
             {"Go To Camera", GoToCalibrationMark},
             {"Go To Nozzle", GoToNozzleOnMark},
             {"up camera Go To Camera", GoToUpCamera}}) {
        port.calls.clear();
        EXPECT_FALSE(action(context)) << name;
        EXPECT_EQ(port.callsStartingWith("error: "), QStringList{"DISCARD THE PART FIRST."})
            << name;
    }
    EXPECT_TRUE(moves().empty());
    EXPECT_TRUE(sim.outputOn(16));
}

}  // namespace
