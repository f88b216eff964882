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
        holdPartFor(1);
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

TEST_F(PlaceDiscardTest, PlaceZIsTheBoardLessThePartHeightPlusThePush) {
    struct Case {
        double partHeight, push, z;
    };
    for (const Case& c : {Case{0.6, 0.5, 11.9}, Case{1.5, 0.2, 10.7}, Case{0.3, 0, 11.7}}) {
        sim.clearLog();
        context.project.Feeders[0].PartHeight = c.partHeight;
        context.settings.placeZPush = c.push;
        holdPartFor(1);
        ASSERT_TRUE(PlacePart(context, 1));
        EXPECT_TRUE(movedTo(boardSteps(10, 20, c.z, 0))) << c.partHeight << " " << c.push;
    }
}

TEST_F(PlaceDiscardTest, APartPickedForAnotherPartIsDiscardedNotPlaced) {
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    PartRec& r1 = context.project.Parts[0];
    const Case cases[] = {{"picked for R2", [this] { holdPartFor(3); }},
                          {"R1 without a feeder now",
                           [this, &r1] {
                               holdPartFor(1);
                               r1.Feeder = 0;
                           }},
                          {"R1 turned since", [this, &r1] {
                               holdPartFor(1);
                               r1.Angle = 45;
                           }}};
    for (const Case& c : cases) {
        r1 = part("R1", 10, 20, 0, 1);
        c.change();
        sim.clearLog();
        EXPECT_FALSE(PlacePart(context, 1)) << c.name;
        EXPECT_FALSE(context.cycle.PartOnNozzle) << c.name;
        const MachineSettings& s = context.settings;
        EXPECT_TRUE(movedOverXY(s.rejectTrayX[2], s.rejectTrayY[2])) << c.name;  // feeder 1's
        const int boardZ = boardSteps(0, 0, 12, 0)[2];
        for (const auto& target : moveTargets()) {
            EXPECT_NE(target[2], boardZ) << c.name << ": lowered onto the board";
        }
    }
    sim.clearLog();
    EXPECT_FALSE(PlacePart(context, 1));  // nothing held: nothing lowered, nothing discarded
    EXPECT_TRUE(moves().empty());
}

TEST_F(PlaceDiscardTest, ADiscardThatCannotReachItsTrayKeepsThePartAndSaysSo) {
    context.settings.rejectTrayX[2] = 900;  // tray 3 beyond the X travel
    context.cycle.PartOnNozzle = true;
    cnc.SetVacuumOutput(true);
    EXPECT_FALSE(DiscardPart(context, 1));
    EXPECT_TRUE(context.cycle.PartOnNozzle);
    EXPECT_TRUE(sim.outputOn(16));
    EXPECT_FALSE(sim.outputOn(32));
    EXPECT_EQ(port.callsStartingWith("error: "),
              QStringList{"FAILED TO MOVE TO REJECT TRAY 3, THE PART IS STILL ON THE NOZZLE!"});
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
        holdPartFor(1);
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
