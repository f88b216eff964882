// Moves in the three frames, soft limits, Z-safe travel and the outputs, checked against the
// simulated controller's command log.
#include <gtest/gtest.h>

#include "motion/MoveOperations.h"
#include "support/MachineFixture.h"

namespace {

class MotionTest : public MachineFixture {
protected:
    // The Z targets, in steps, of the linear moves sent so far.
    std::vector<int> zTargets() const {
        std::vector<int> targets;
        for (const SimCommand& move : moves()) {
            targets.push_back(move.args[2]);
        }
        return targets;
    }
    void putNozzleDown(double z) {
        ASSERT_TRUE(cnc.MoveMachine(cnc.CommandedX, cnc.CommandedY, z, cnc.CommandedA, 65000));
        sim.clearLog();
    }
};

TEST_F(MotionTest, ATargetBeyondASoftLimitMovesToTheLimitAndReportsFailure) {
    EXPECT_FALSE(cnc.MoveMachine(-20, 400, 50, 0, 65000));
    EXPECT_EQ(cnc.CommandedX, -5);
    EXPECT_EQ(cnc.CommandedY, 350);
    EXPECT_EQ(cnc.CommandedZ, 35);
    ASSERT_EQ(moves().size(), 1u);
    EXPECT_EQ(moves()[0], (SimCommand{"MotrixLinearMove", {-394, 27559, 2756, 0, 65000, 0}}));
}

TEST_F(MotionTest, TheNozzleAngleIsNeverClamped) {
    EXPECT_TRUE(cnc.MoveMachine(0, 0, 0, -7200, 65000));
    EXPECT_EQ(moves().back().args[3], -160000);
    EXPECT_EQ(cnc.CommandedA, -7200);
}

TEST_F(MotionTest, StepsRoundHalfToEven) {
    EXPECT_EQ(cnc.toSteps(0, 0, 0, 90)[3], 2000);
    context.settings.xStepsPerMM = 1;
    EXPECT_EQ(cnc.toSteps(2.5, 0, 0, 0)[0], 2);
    EXPECT_EQ(cnc.toSteps(3.5, 0, 0, 0)[0], 4);
    EXPECT_EQ(cnc.toSteps(-2.5, 0, 0, 0)[0], -2);
}

TEST_F(MotionTest, HomeFrameAddsTheHomeOffsetsAndHomeZ) {
    cnc.HomeOffsetX = 20;
    cnc.HomeOffsetY = 30;
    context.settings.homeZ = 5;
    EXPECT_TRUE(cnc.MoveHomeFrame(1, 2, 3, 0, 65000));
    EXPECT_DOUBLE_EQ(cnc.CommandedX, 21);
    EXPECT_DOUBLE_EQ(cnc.CommandedY, 32);
    EXPECT_DOUBLE_EQ(cnc.CommandedZ, 8);
}

TEST_F(MotionTest, ZSafeTravelRaisesTheNozzleOnlyWhenItIsOrWillBeLowered) {
    EXPECT_TRUE(cnc.MoveHomeFrameZSafe(50, 60, 0, 0, 65000));
    EXPECT_EQ(zTargets(), std::vector<int>{0});

    putNozzleDown(2);
    EXPECT_TRUE(cnc.MoveHomeFrameZSafe(10, 20, 0, 45, 65000));
    EXPECT_EQ(zTargets(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(moves()[0].args[0], cnc.toSteps(50, 0, 0, 0)[0]);  // raised where it stood
    EXPECT_EQ(moves()[0].args[3], 1000);                         // A turns while raising

    sim.clearLog();
    EXPECT_TRUE(cnc.MoveHomeFrameZSafe(30, 30, 4, 0, 65000));
    EXPECT_EQ(zTargets(), (std::vector<int>{0, 0, 315}));
}

TEST_F(MotionTest, ZSafeTravelDecidesOnTheMachineZOfTheTarget) {
    struct Case {
        double homeZ;
        double startMachineZ;
        double targetHomeZ;
        std::vector<int> zTargets;  // steps; 12 mm = 945, 2 mm = 157
    };
    const Case cases[] = {
        {12, 0, 0, {0, 0, 945}},  // raised now, lowered at the target: travel raised, then lower
        {12, 0, -10, {0, 0, 157}},
        {12, 0, -12, {0}},        // raised at both ends: one move
        {12, 5, -12, {0, 0, 0}},  // lowered now: raise first
        {0, 0, 0, {0}},
        {0, 0, 2, {0, 0, 157}},
    };
    for (const Case& c : cases) {
        context.settings.homeZ = c.homeZ;
        putNozzleDown(c.startMachineZ);
        EXPECT_TRUE(cnc.MoveHomeFrameZSafe(10, 20, c.targetHomeZ, 0, 65000));
        EXPECT_EQ(zTargets(), c.zTargets)
            << "Home Z " << c.homeZ << ", from " << c.startMachineZ << " to " << c.targetHomeZ;
        EXPECT_EQ(moves().back().args[0], cnc.toSteps(10, 0, 0, 0)[0]);
    }
}

TEST_F(MotionTest, AMoveBelowOneStepPerSecondIsRefusedAndSendsNothing) {
    putNozzleDown(2);
    for (int speed : {0, -5}) {
        EXPECT_FALSE(cnc.MoveMachine(10, 10, 0, 0, speed)) << speed;
        EXPECT_FALSE(MoveHomeRelativeWithNozzleProtection(context, 10, 10, 0, 0, speed)) << speed;
        context.settings.jogSpeed = speed;
        cnc.JogDelta = {1, 0, 0, 0};
        EXPECT_FALSE(cnc.JogMove()) << speed;
    }
    EXPECT_TRUE(sim.commands().empty());
    EXPECT_EQ(cnc.CommandedX, 0);
    EXPECT_EQ(cnc.CommandedZ, 2);
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
    EXPECT_TRUE(cnc.MoveMachine(0, 0, 2.0127, 0, 1));  // one step at one step a second
}

TEST_F(MotionTest, OnlyTheBoardRelativePartMoveRaisesTheNozzle) {
    putNozzleDown(2);
    EXPECT_TRUE(MoveHomeRelativeWithPart(context, 10, 10, 2, 0, 65000));
    EXPECT_EQ(zTargets(), std::vector<int>{157});

    sim.clearLog();
    context.project.BoardOriginX = 100;
    EXPECT_TRUE(MoveBoardRelativeWithPart(context, 10, 10, 2, 0, 65000));
    EXPECT_EQ(zTargets(), (std::vector<int>{0, 0, 157}));
    EXPECT_DOUBLE_EQ(cnc.CommandedX, 110);
}

TEST_F(MotionTest, OutputsAlreadyAsWantedCostNoCommandAndNoWait) {
    cnc.SetVacuumOutput(true);
    sim.clearLog();
    double start = clock.now();
    EXPECT_TRUE(MoveHomeRelativeWithPart(context, 5, 5, 0, 0, 65000));
    EXPECT_TRUE(outputCommands().empty());
    EXPECT_LT(clock.now() - start, context.settings.pickDelay);

    cnc.SetVacuumOutput(false);
    sim.clearLog();
    start = clock.now();
    EXPECT_TRUE(MoveHomeRelativeWithNozzleProtection(context, 6, 6, 0, 0, 65000));
    EXPECT_TRUE(outputCommands().empty());
    EXPECT_LT(clock.now() - start, context.settings.pickDelay);

    cnc.SetVacuumOutput(false);  // a direct switch always sends
    EXPECT_EQ(outputCommands().size(), 1u);
}

TEST_F(MotionTest, NozzleProtectionSwitchesVacuumThenFeederOffWithTheirDelays) {
    cnc.SetVacuumOutput(true);
    cnc.SetFeederOutput(true);
    sim.clearLog();
    const double start = clock.now();
    EXPECT_TRUE(MoveHomeRelativeWithNozzleProtection(context, 6, 6, 0, 0, 65000));
    ASSERT_EQ(outputCommands().size(), 2u);
    EXPECT_EQ(outputCommands()[0].args[0], 16);
    EXPECT_EQ(outputCommands()[1].args[0], 8);
    EXPECT_FALSE(sim.outputOn(16) || sim.outputOn(8));
    EXPECT_GE(clock.now() - start,
              context.settings.pickDelay + context.settings.actuatorOffDelay - 1e-9);
}

TEST_F(MotionTest, ANozzleProtectedMoveRefusesWhileAPartIsHeldAndSaysSoOnce) {
    context.cycle.PartOnNozzle = true;
    cnc.SetVacuumOutput(true);
    sim.clearLog();
    EXPECT_FALSE(MoveHomeRelativeWithNozzleProtection(context, 6, 6, 0, 0, 65000));
    EXPECT_FALSE(MoveBoardRelativeWithNozzleProtection(context, 6, 6, 0, 0, 65000));
    EXPECT_TRUE(sim.commands().empty());  // nothing moved, the vacuum still holds it
    EXPECT_TRUE(sim.outputOn(16));
    EXPECT_EQ(port.calls,
              QStringList({"speak: DISCARD THE PART FIRST", "error: DISCARD THE PART FIRST.",
                           "speak: DISCARD THE PART FIRST", "error: DISCARD THE PART FIRST."}));
    // Once the stop has made the machine unusable, its cause is shown already.
    cnc.EmergencyStop = true;
    port.calls.clear();
    EXPECT_FALSE(MoveHomeRelativeWithNozzleProtection(context, 6, 6, 0, 0, 65000));
    EXPECT_TRUE(port.calls.isEmpty());
}

// A controller that is found but not ready (it stopped answering motions, or a parameter was
// edited) moves nothing and switches nothing on, yet an output still goes off where it can.
TEST_F(MotionTest, WithoutAReadyControllerNothingMovesOrGoesOnYetOutputsGoOff) {
    cnc.SetVacuumOutput(true);
    cnc.ControllerReady = false;
    sim.clearLog();
    EXPECT_FALSE(cnc.MoveMachine(10, 10, 0, 0, 65000));
    cnc.SetBlowOutput(true);
    EXPECT_TRUE(sim.commands().empty());
    EXPECT_FALSE(cnc.OutputState[OutputBlow]);
    EXPECT_EQ(cnc.CommandedX, 0);

    cnc.SetVacuumOutput(false);
    EXPECT_FALSE(cnc.OutputState[OutputVacuum]);
    EXPECT_FALSE(sim.outputOn(16));
    EXPECT_EQ(outputCommands(),
              (std::vector<SimCommand>{{"MotrixSetOutput", {16, 0, 0, 0, 0, 0}}}));
}

TEST_F(MotionTest, UnderALatchedStopMovesFailYetTheCommandedPositionTakesTheTarget) {
    cnc.EmergencyStop = true;
    EXPECT_FALSE(Move(context, 12, 34, 1, 0, 65000));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(cnc.CommandedX, 12);
    EXPECT_EQ(cnc.CommandedY, 34);
}

TEST_F(MotionTest, JogMovesFromTheCommandedPositionAtJogSpeed) {
    cnc.JogDelta = {0, 0, 10, 0};
    ASSERT_TRUE(cnc.MoveMachine(0, 0, 30, 0, 65000));
    sim.clearLog();
    EXPECT_FALSE(cnc.JogMove());  // clamped at the Z maximum
    EXPECT_EQ(cnc.CommandedZ, 35);
    EXPECT_EQ(moves().back().args[4], context.settings.jogSpeed);
}

}  // namespace
