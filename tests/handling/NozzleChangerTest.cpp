// The nozzle exchange on the simulated controller: the moves of a park and a fetch, the
// refusals, and the mounted nozzle kept in the settings store.
#include <gtest/gtest.h>
#include <QSettings>
#include <QTemporaryDir>

#include "handling/NozzleChanger.h"
#include "support/MachineFixture.h"

namespace {

class NozzleChangerTest : public MachineFixture {
protected:
    NozzleChangerTest() {
        const QString store = storeDir.filePath("machine.ini");
        context.openSettingsStore = [store] {
            return std::make_unique<QSettings>(store, QSettings::IniFormat);
        };
        cnc.HomeOffsetX = 20;
        cnc.HomeOffsetY = 20;
        MachineSettings& s = context.settings;
        s.nozzleChangerLocation = NozzleChangerFront;
        s.nozzleHorizontal = 16;
        s.nozzleX = {10, 60, 110, 160, 210, 260, 310, 360};
        s.nozzleY.fill(300);
    }

    // The head-frame target (machine mm) of a linear move in the log.
    struct Target {
        double x, y, z;
    };
    SimCommand expectedMove(Target home, int speed) const {
        const auto steps =
            cnc.toSteps(home.x + 20, home.y + 20, home.z + context.settings.homeZ, 0);
        return {"MotrixLinearMove", {steps[0], steps[1], steps[2], steps[3], speed, 0}};
    }
    int storedNozzle() const {
        return QSettings(storeDir.filePath("machine.ini"), QSettings::IniFormat)
            .value("Current Status/Current Nozzle", -1)
            .toInt();
    }

    QTemporaryDir storeDir;
};

TEST_F(NozzleChangerTest, TheMountedNozzleNeedsNoMoveYetIsSaved) {
    context.settings.currentNozzle = 3;
    EXPECT_TRUE(SelectNozzle(context, 3));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(storedNozzle(), 3);
    EXPECT_GT(port.statusUpdates, 0);
}

TEST_F(NozzleChangerTest, FiveToTwoAtTheFrontParksThroughTheOpeningAndLeavesThroughIt) {
    context.settings.currentNozzle = 5;
    ASSERT_TRUE(SelectNozzle(context, 2));
    const int fast = context.settings.maxStepsPerSecond;
    const int slow = context.settings.nozzleChangerSpeed;
    const std::vector<SimCommand> expected = {
        expectedMove({-20, -20, 0}, fast),   // raise where the head stands
        expectedMove({210, 316, 0}, fast),   // in front of holder 5, raised
        expectedMove({210, 316, 20}, fast),  // down to the entry height
        expectedMove({210, 300, 20}, slow),  // slide nozzle 5 in
        expectedMove({210, 300, 0}, slow),   // rise, at the top of the Z travel
        expectedMove({60, 300, 0}, fast),    // above holder 2
        expectedMove({60, 300, 20}, slow),   // press onto nozzle 2
        expectedMove({60, 300, 20}, slow),   // lift to the entry height
        expectedMove({60, 316, 20}, slow),   // slide out of the opening
        expectedMove({60, 316, 0}, fast)};   // and rise
    EXPECT_EQ(moves(), expected);
    EXPECT_EQ(context.settings.currentNozzle, 2);
    EXPECT_EQ(storedNozzle(), 2);
}

TEST_F(NozzleChangerTest, TheHoldersOpenTowardsTheChangersSide) {
    struct Case {
        int side;
        Target opening5, opening2;  // in front of holders 5 and 2, at the entry height
    };
    for (const Case& c : {Case{NozzleChangerRight, {194, 300, 20}, {44, 300, 20}},
                          Case{NozzleChangerRear, {210, 284, 20}, {60, 284, 20}}}) {
        context.settings.nozzleChangerLocation = c.side;
        context.settings.currentNozzle = 5;
        sim.clearLog();
        ASSERT_TRUE(SelectNozzle(context, 2)) << c.side;
        const int fast = context.settings.maxStepsPerSecond;
        const int slow = context.settings.nozzleChangerSpeed;
        const std::vector<SimCommand> all = moves();
        const std::vector<SimCommand> slides(all.end() - 8, all.end());
        const std::vector<SimCommand> expected = {
            expectedMove(c.opening5, fast),      // down in front of holder 5
            expectedMove({210, 300, 20}, slow),  // slide nozzle 5 in
            expectedMove({210, 300, 0}, slow),   // rise, at the top of the Z travel
            expectedMove({60, 300, 0}, fast),    // above holder 2
            expectedMove({60, 300, 20}, slow),   // press onto nozzle 2
            expectedMove({60, 300, 20}, slow),   // lift to the entry height
            expectedMove(c.opening2, slow),      // slide out of the opening
            expectedMove({c.opening2.x, c.opening2.y, 0}, fast)};
        EXPECT_EQ(slides, expected) << c.side;
    }
}

TEST_F(NozzleChangerTest, APressBeyondTheZTravelIsRefusedBeforeAnyMove) {
    MachineSettings& s = context.settings;
    s.currentNozzle = 5;
    s.nozzleDown = 34;
    s.nozzlePickDown = 1.5;  // 35.5: beyond the Z travel 0..35
    EXPECT_FALSE(SelectNozzle(context, 2));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(s.currentNozzle, 5);
    s.nozzlePickDown = 1;  // 35: on the limit
    EXPECT_TRUE(SelectNozzle(context, 2));
}

TEST_F(NozzleChangerTest, ParkingRisesNozzleUpAboveZZeroWhereTheTravelAllowsIt) {
    context.settings.homeZ = 15;
    context.settings.currentNozzle = 1;
    ASSERT_TRUE(ParkNozzle(context));
    EXPECT_EQ(moves().back(), expectedMove({10, 300, -10}, context.settings.nozzleChangerSpeed));
    EXPECT_EQ(context.settings.currentNozzle, 0);
}

TEST_F(NozzleChangerTest, SelectingNoNozzleParksTheMountedOneAndFails) {
    context.settings.currentNozzle = 4;
    EXPECT_FALSE(SelectNozzle(context, 0));
    EXPECT_EQ(context.settings.currentNozzle, 0);
    EXPECT_EQ(moves().size(), 5u);
    EXPECT_EQ(storedNozzle(), 0);

    sim.clearLog();
    EXPECT_TRUE(SelectNozzle(context, 0));
    EXPECT_TRUE(moves().empty());
}

TEST_F(NozzleChangerTest, WithoutAChangerNothingMovesAndTheNozzleStays) {
    context.settings.nozzleChangerEnabled = false;
    context.settings.currentNozzle = 3;
    EXPECT_TRUE(SelectNozzle(context, 6));
    EXPECT_TRUE(ParkNozzle(context));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(context.settings.currentNozzle, 3);
}

TEST_F(NozzleChangerTest, UnsafeExchangesAreRefusedBeforeAnyMove) {
    struct Case {
        const char* name;
        int mounted;
        int side;
        bool partOnNozzle;
        bool stopped;
    };
    const Case cases[] = {{"unknown mounted nozzle", 9, NozzleChangerFront, false, false},
                          {"unknown side", 3, 3, false, false},
                          {"unknown side, none mounted", 0, -1, false, false},
                          {"part on the nozzle", 3, NozzleChangerFront, true, false},
                          {"emergency stop", 3, NozzleChangerFront, false, true}};
    for (const Case& c : cases) {
        context.settings.currentNozzle = c.mounted;
        context.settings.nozzleChangerLocation = c.side;
        context.cycle.PartOnNozzle = c.partOnNozzle;
        cnc.EmergencyStop = c.stopped;
        sim.clearLog();
        EXPECT_FALSE(SelectNozzle(context, 2)) << c.name;
        EXPECT_TRUE(moves().empty()) << c.name;
        EXPECT_EQ(context.settings.currentNozzle, c.mounted) << c.name;
        if (c.mounted != 0) {
            EXPECT_FALSE(ParkNozzle(context)) << c.name;
            EXPECT_TRUE(moves().empty()) << c.name;
        }
    }
}

TEST_F(NozzleChangerTest, AFailedFetchLeavesNoNozzleMounted) {
    context.settings.currentNozzle = 1;
    context.settings.nozzleX[6] = 500;  // holder 7 lies beyond the X travel
    EXPECT_FALSE(SelectNozzle(context, 7));
    EXPECT_EQ(context.settings.currentNozzle, 0);
    EXPECT_EQ(storedNozzle(), 0);
}

}  // namespace
