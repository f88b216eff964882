#include "PlacingFixture.h"
#include "handling/Pick.h"
#include "handling/Place.h"

namespace {

class PlaceDiscardTest : public PlacingFixture {};

TEST_F(PlaceDiscardTest, PlaceTargetAddsNozzleOffsetFiducialTimesFactorAndPickCorrection) {
    struct Case {
        double offsetX, offsetY, scaleX, scaleY, pickX, pickY, pickA;
        double x, y;  // board-relative target of part R1 at (10, 20)
    };
    context.settings.nozzleOffsetX = -30;
    context.settings.nozzleOffsetY = 5;
    for (const Case& c :
         {Case{0, 0, 1, 1, 0, 0, 0, -20, 25}, Case{0.3, -0.1, 1, 1, 0, 0, 90, -19.7, 24.9},
          Case{0.4, 0.2, 0.5, 1, 0.05, -0.02, 271.5, -19.75, 25.18}}) {
        sim.clearLog();
        context.project.FiducialOffsetX = c.offsetX;
        context.project.FiducialOffsetY = c.offsetY;
        context.project.FiducialScaleX = c.scaleX;
        context.project.FiducialScaleY = c.scaleY;
        context.cycle.PartOnNozzle = true;
        context.cycle.PickCorrectionX = c.pickX;
        context.cycle.PickCorrectionY = c.pickY;
        context.cycle.PickCorrectionA = c.pickA;
        ASSERT_TRUE(PlacePart(context, 1));
        // Lowered to board height 12 - part height 0.5 + push 0.5.
        EXPECT_TRUE(movedTo(boardSteps(c.x, c.y, 12, c.pickA))) << c.x << " " << c.y;
        EXPECT_FALSE(context.cycle.PartOnNozzle);
        EXPECT_EQ(context.cycle.PickCorrectionA, 0);
        EXPECT_FALSE(sim.outputOn(16));
    }
}

TEST_F(PlaceDiscardTest, PartWithoutFeederIsNotPlacedAndKeepsThePartHeld) {
    context.project.Parts[0].Feeder = 0;
    context.cycle.PartOnNozzle = true;
    EXPECT_FALSE(PlacePart(context, 1));
    EXPECT_FALSE(PlacePart(context, 4));
    EXPECT_TRUE(context.cycle.PartOnNozzle);
    EXPECT_TRUE(moves().empty());
}

TEST_F(PlaceDiscardTest, DiscardGoesToTheFeedersTrayOrTrayOne) {
    struct Case {
        int feeder, rejectTray, expectedTray;
    };
    for (const Case& c : {Case{1, 3, 3}, Case{1, 5, 5}, Case{1, 0, 1}, Case{1, 7, 1}, Case{0, 3, 1},
                          Case{9, 3, 1}}) {
        sim.clearLog();
        context.project.Feeders[0].RejectTray = c.rejectTray;
        context.cycle.PartOnNozzle = true;
        cnc.SetVacuumOutput(true);
        EXPECT_TRUE(DiscardPart(context, c.feeder));
        const MachineSettings& s = context.settings;
        EXPECT_TRUE(
            movedOverXY(s.rejectTrayX[c.expectedTray - 1], s.rejectTrayY[c.expectedTray - 1]))
            << "feeder " << c.feeder << " tray " << c.rejectTray;
        EXPECT_FALSE(context.cycle.PartOnNozzle);
        EXPECT_EQ(sim.outputs(), 0);
    }
}

TEST_F(PlaceDiscardTest, BlowPulseIsOnceTheDelayOnPlacingAndFiveTimesOnDiscarding) {
    for (const double blow : {0.0, 0.1}) {
        context.settings.blowDelay = blow;
        const auto blowOns = [this] {
            int count = 0;
            for (const SimCommand& command : outputCommands()) {
                count += command.args[0] == 32 && command.args[1] == 1;
            }
            return count;
        };
        sim.clearLog();
        context.cycle.PartOnNozzle = true;
        const double beforePlace = clock.now();
        ASSERT_TRUE(PlacePart(context, 1));
        const double placeTime = clock.now() - beforePlace;
        EXPECT_EQ(blowOns(), blow > 0 ? 1 : 0);
        sim.clearLog();
        context.cycle.PartOnNozzle = true;
        const double beforeDiscard = clock.now();
        ASSERT_TRUE(DiscardPart(context, 1));
        EXPECT_EQ(blowOns(), blow > 0 ? 1 : 0);
        // Each releases with the place delay (0.1 s) after the vacuum goes off.
        EXPECT_GE(clock.now() - beforeDiscard, 0.1 + 5 * blow - 1e-9);
        EXPECT_GE(placeTime, 0.1 + blow - 1e-9);
    }
}

TEST(PickSpeedTest, CentringIsATenthOfThePlaceSpeedNeverBelowOne) {
    for (const auto& [speed, centring] :
         {std::pair{35000, 3500}, std::pair{18005, 1800}, std::pair{9, 1}, std::pair{1, 1}}) {
        EXPECT_EQ(CentringSpeed(speed), centring) << speed;
    }
}

TEST(PickApproachTest, ClearanceAndBaseAngleFollowKindAndSide) {
    struct Case {
        int kind, location;
        FeederApproach approach;
    };
    for (const Case& c :
         {Case{FeederReel, LocationRight, {-20, 0, 90}},
          Case{FeederReel, LocationFront, {0, 20, 0}},
          Case{FeederReel, LocationRear, {0, -20, 180}}, Case{FeederTray, LocationFront, {0, 0, 0}},
          Case{FeederVibration, LocationRight, {0, 0, 0}}}) {
        FeederRec feeder;
        feeder.Kind = c.kind;
        feeder.Location = c.location;
        const FeederApproach a = ApproachOf(feeder);
        EXPECT_EQ(a.clearanceX, c.approach.clearanceX);
        EXPECT_EQ(a.clearanceY, c.approach.clearanceY);
        EXPECT_EQ(a.baseAngle, c.approach.baseAngle);
    }
}

}  // namespace
