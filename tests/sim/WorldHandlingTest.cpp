// What the world does with parts and nozzles as the head moves and the outputs switch: picks
// with their seeded jitter, reel advance, tray pockets, missing parts, drops and where they
// count, nozzle exchanges at the changer.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "WorldDriver.h"
#include "WorldTestSupport.h"

using namespace motrix_sim;

namespace {

constexpr int kReel0805R = 0;
constexpr int kVibrationSot23 = 4;
constexpr int kTraySoic8 = 5;

class WorldHandlingTest : public ::testing::Test {
protected:
    explicit WorldHandlingTest(World description = defaultWorld())
        : world(std::move(description)), driver(world) {}

    const FeederSpec& feeder(int index) const {
        return world.world().feeders[static_cast<std::size_t>(index)];
    }
    Vec2 pocket(int feeder, int number) const {
        const FeederState& state = world.state().feeders()[static_cast<std::size_t>(feeder)];
        return world.model().layout.pocketPosition(feeder, number, state.advanced);
    }
    // Vacuum on above `at`, down to `z`, back up: what the pick sequence does.
    bool pickAt(Vec2 at, double z, double a = 0) {
        driver.moveNozzleTo(at, 0, a);
        driver.switchOutput(kOutputVacuum, true);
        driver.moveNozzleTo(at, z, a);
        driver.moveNozzleTo(at, 0, a);
        return world.state().held().has_value();
    }
    void pulseActuator() {
        driver.switchOutput(kOutputFeeder, true);
        driver.switchOutput(kOutputFeeder, false);
    }
    void release() { driver.switchOutput(kOutputVacuum, false); }
    nlohmann::json drops() const { return nlohmann::json::parse(world.dropsJson())["drops"]; }

    SimWorld world;
    WorldDriver driver;
};

World jittery(double mm, double degrees, std::uint64_t seed = 1) {
    World description = defaultWorld();
    description.errors.pickJitterMm = mm;
    description.errors.pickJitterDeg = degrees;
    description.seed = seed;
    return description;
}

TEST_F(WorldHandlingTest, APartIsPickedOnlyWithTheVacuumOnAndTheNozzleAtItsHeightAndPlace) {
    const FeederSpec& tray = feeder(kTraySoic8);
    const double reach = world.world().tolerances.pickXY;
    struct Case {
        Vec2 shift;
        double dz;
        bool vacuum;
        bool picked;
    };
    for (const Case c : {Case{{0, 0}, 0, false, false}, Case{{0, 0}, -0.8, true, false},
                         Case{{reach + 0.05, 0}, 0, true, false}, Case{{0, 0}, 0.4, true, true},
                         Case{{0, reach - 0.05}, 0, true, true}}) {
        SimWorld fresh(defaultWorld());
        WorldDriver hand(fresh);
        const Vec2 at = tray.pick + c.shift;
        hand.moveNozzleTo(at, 0, 0);
        hand.switchOutput(kOutputVacuum, c.vacuum);
        hand.moveNozzleTo(at, tray.pickZ + c.dz, 0);
        EXPECT_EQ(fresh.state().held().has_value(), c.picked)
            << c.shift.x << " " << c.shift.y << " " << c.dz;
        if (c.picked) {
            EXPECT_NEAR(fresh.state().held()->offset.x, -c.shift.x, 1e-9);
            EXPECT_NEAR(fresh.state().held()->offset.y, -c.shift.y, 1e-9);
        }
    }
}

TEST_F(WorldHandlingTest, AVacuumSwitchedOnAtThePartPicksItToo) {
    const FeederSpec& tray = feeder(kTraySoic8);
    driver.moveNozzleTo(tray.pick, tray.pickZ, 0);
    EXPECT_FALSE(world.state().held());
    driver.switchOutput(kOutputVacuum, true);
    EXPECT_TRUE(world.state().held());
}

class JitteryPickTest : public WorldHandlingTest {
protected:
    JitteryPickTest() : WorldHandlingTest(jittery(0.3, 8)) {}
};

// The part lands where the nozzle puts it: the nozzle axis plus the pick offset turned by A, at
// its angle in the feeder plus its pick turn plus A's turn since the pick.
TEST_F(JitteryPickTest, PickThenDropReproducesThePartsOffsetAndTurn) {
    ASSERT_TRUE(pickAt(feeder(kVibrationSot23).pick, feeder(kVibrationSot23).pickZ, 10));
    const HeldPart held = *world.state().held();
    EXPECT_GT(length(held.offset), 0);
    EXPECT_LE(length(held.offset), 0.3);
    EXPECT_GT(std::abs(held.angle), 0);
    EXPECT_LE(std::abs(held.angle), 8);
    const Vec2 nozzle{250, 250};
    driver.moveNozzleTo(nozzle, 12, 10 + 37);
    release();
    const Drop& drop = world.state().drops().back();
    const Vec2 expected = nozzle + turned(held.offset, 37);
    EXPECT_NEAR(drop.position.x, expected.x, 1e-9);
    EXPECT_NEAR(drop.position.y, expected.y, 1e-9);
    EXPECT_NEAR(drop.angle, held.angle + 37, 1e-9);
    EXPECT_NEAR(drop.fellFrom, world.world().tableZ - 12 - 1.0, 1e-9);
}

TEST(PickJitterTest, JitterIsSeededAndStaysWithinItsBounds) {
    const auto offsets = [](std::uint64_t seed) {
        SimWorld world(jittery(0.25, 5, seed));
        WorldDriver driver(world);
        std::vector<HeldPart> held;
        for (int i = 0; i < 30; ++i) {
            EXPECT_TRUE(driver.pickFrom(kVibrationSot23));
            held.push_back(*world.state().held());
            driver.switchOutput(kOutputVacuum, false);
        }
        return held;
    };
    const std::vector<HeldPart> first = offsets(7);
    const std::vector<HeldPart> again = offsets(7);
    const std::vector<HeldPart> other = offsets(8);
    double largest = 0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].offset, again[i].offset);
        EXPECT_EQ(first[i].angle, again[i].angle);
        EXPECT_LE(length(first[i].offset), 0.25);
        EXPECT_LE(std::abs(first[i].angle), 5);
        largest = std::max(largest, length(first[i].offset));
    }
    EXPECT_GT(largest, 0.15);  // the jitter spreads over its range
    EXPECT_NE(first[0].offset, other[0].offset);
}

// Only the pocket at the pick point is open; releasing the feeder actuator brings the next one.
TEST_F(WorldHandlingTest, AReelOffersOnePocketAndAdvancesWhenTheActuatorIsReleased) {
    const FeederSpec& reel = feeder(kReel0805R);
    ASSERT_TRUE(pickAt(reel.pick, reel.pickZ));
    release();
    EXPECT_FALSE(pickAt(reel.pick, reel.pickZ)) << "the pocket at the pick point is empty";
    EXPECT_FALSE(pickAt(reel.pick + reel.nextPocket, reel.pickZ)) << "the next pocket is covered";
    driver.moveNozzleTo(reel.pick, 0, 0);
    driver.switchOutput(kOutputFeeder, true);
    EXPECT_EQ(world.state().pickPocket(kReel0805R), 1);
    driver.switchOutput(kOutputFeeder, false);
    EXPECT_EQ(world.state().pickPocket(kReel0805R), 2);
    EXPECT_TRUE(pickAt(reel.pick, reel.pickZ));
    // The actuator pulsed far from any reel moves no tape.
    driver.moveNozzleTo({250, 250}, 0, 0);
    pulseActuator();
    EXPECT_EQ(world.state().pickPocket(kReel0805R), 2);
}

TEST_F(WorldHandlingTest, ATrayPocketIsEmptiedByItsPick) {
    const FeederSpec& tray = feeder(kTraySoic8);
    ASSERT_TRUE(pickAt(pocket(kTraySoic8, 5), tray.pickZ));
    release();
    const auto& present = world.state().feeders()[kTraySoic8].present;
    EXPECT_FALSE(present[4]);
    EXPECT_EQ(std::count(present.begin(), present.end(), true), 11);
    EXPECT_FALSE(pickAt(pocket(kTraySoic8, 5), tray.pickZ));
    EXPECT_TRUE(pickAt(pocket(kTraySoic8, 6), tray.pickZ));
    // Pocket 5 lies one pitch along Y from pocket 4, pocket 5 of a 3 x 4 tray starts column 2.
    EXPECT_EQ(pocket(kTraySoic8, 5), (tray.pick + Vec2{tray.pitch.x, 0}));
    EXPECT_EQ(pocket(kTraySoic8, 4), (tray.pick + Vec2{0, 3 * tray.pitch.y}));
}

class MissingPartsTest : public WorldHandlingTest {
protected:
    static World withMissing() {
        World description = defaultWorld();
        description.errors.missing = {
            {kReel0805R + 1, 2}, {kTraySoic8 + 1, 0}, {kVibrationSot23 + 1, 1}};
        return description;
    }
    MissingPartsTest() : WorldHandlingTest(withMissing()) {}
};

TEST_F(MissingPartsTest, AMissingPartMeansNothingIsPicked) {
    const FeederSpec& reel = feeder(kReel0805R);
    EXPECT_TRUE(pickAt(reel.pick, reel.pickZ));
    release();
    pulseActuator();
    EXPECT_FALSE(pickAt(reel.pick, reel.pickZ)) << "pocket 2 is empty";
    pulseActuator();
    EXPECT_TRUE(pickAt(reel.pick, reel.pickZ));
    release();
    for (int number = 1; number <= feeder(kTraySoic8).pocketCount(); ++number) {
        EXPECT_FALSE(pickAt(pocket(kTraySoic8, number), feeder(kTraySoic8).pickZ)) << number;
    }
    EXPECT_FALSE(pickAt(feeder(kVibrationSot23).pick, feeder(kVibrationSot23).pickZ))
        << "the first part of the vibration feeder is missing, and it does not move on";
}

TEST_F(WorldHandlingTest, EveryDropIsRecordedWhereItCounts) {
    const World& description = world.world();
    const PadTarget& r1OnBoard2 = world.model().layout.pads()[21 + 5];
    ASSERT_EQ(description.board.parts[static_cast<std::size_t>(r1OnBoard2.placement)].designator,
              "R1");
    const RejectTray& tray3 = description.rejectTrays[2];
    const double board = description.board.surfaceZ;
    const double table = description.tableZ;
    struct Case {
        Vec2 target;
        double surface;  // Z of what the part lands on
        double lift;     // mm above it when let go
        const char* place;
    };
    for (const Case c : {Case{r1OnBoard2.position + Vec2{0.05, -0.02}, board, 0, "board"},
                         Case{tray3.centre + Vec2{3, -4}, table, 15, "reject_tray"},
                         Case{{250, 300}, table, 2, "table"},
                         Case{r1OnBoard2.position + Vec2{1.5, 0}, board, 0.5, "table"}}) {
        ASSERT_TRUE(driver.pickFrom(kReel0805R));
        const double a = r1OnBoard2.angle - feeder(kReel0805R).angle;
        driver.placeAt(c.target, c.surface - c.lift, a);
        const nlohmann::json drop = drops().back();
        EXPECT_EQ(drop["place"], c.place);
        EXPECT_EQ(drop["kind"], "0805R");
        EXPECT_EQ(drop["feeder"], 1);
        EXPECT_NEAR(drop["x"].get<double>(), c.target.x, 1e-9);
        EXPECT_NEAR(drop["fell_mm"].get<double>(), c.lift, 1e-9) << c.place;
        if (drop["place"] == "board") {
            EXPECT_EQ(drop["board"], 2);
            EXPECT_EQ(drop["designator"], "R1");
            EXPECT_NEAR(drop["error_x"].get<double>(), 0.05, 1e-9);
            EXPECT_NEAR(drop["error_y"].get<double>(), -0.02, 1e-9);
            EXPECT_NEAR(drop["error_angle"].get<double>(), 0, 1e-9);
        }
        if (drop["place"] == "reject_tray") {
            EXPECT_EQ(drop["tray"], 3);
        }
    }
    EXPECT_EQ(drops().size(), 4U);
}

TEST_F(WorldHandlingTest, APadTakesOnlyItsOwnKindAndBlowingClearsTheNozzle) {
    const PadTarget& r1 = world.model().layout.pads()[5];
    ASSERT_TRUE(driver.pickFrom(kVibrationSot23));
    driver.moveNozzleTo(r1.position, world.world().board.surfaceZ - 1, 0);
    driver.switchOutput(kOutputBlow, true);  // vacuum still on: the blow pushes the part off
    EXPECT_FALSE(world.state().held());
    EXPECT_EQ(drops().back()["place"], "table");
    EXPECT_FALSE(pickAt(feeder(kVibrationSot23).pick, feeder(kVibrationSot23).pickZ))
        << "no pick while blowing";
}

// The moves of the nozzle changer's park and select sequences, in the world's frame (home
// offsets 0, the holders' opening on the right side: the head slides out towards -X).
class NozzleChangerTest : public WorldHandlingTest {
protected:
    Vec2 holder(int number) const {
        return world.world().nozzleChanger.holders[static_cast<std::size_t>(number - 1)].position;
    }
    double depth() const { return world.world().nozzleChanger.depth; }
    void park(Vec2 at) {
        driver.moveNozzleTo(at + kOut, 0, 0);
        driver.moveNozzleTo(at + kOut, depth(), 0);
        driver.moveNozzleTo(at, depth(), 0);
        driver.moveNozzleTo(at, -10, 0);
    }
    void select(Vec2 at) {
        driver.moveNozzleTo(at, 0, 0);
        driver.moveNozzleTo(at, depth() + 0.5, 0);
        driver.moveNozzleTo(at, depth(), 0);
        driver.moveNozzleTo(at + kOut, depth(), 0);
        driver.moveNozzleTo(at + kOut, 0, 0);
    }
    std::vector<int> holders() const { return world.state().holderNozzles(); }

    static constexpr Vec2 kOut{-16, 0};
};

TEST_F(NozzleChangerTest, ParkingAndSelectingMoveNozzlesBetweenHeadAndHolders) {
    ASSERT_EQ(world.state().mountedNozzle(), 1);
    park(holder(1));
    EXPECT_EQ(world.state().mountedNozzle(), 0);
    EXPECT_EQ(holders()[0], 1);
    select(holder(3));
    EXPECT_EQ(world.state().mountedNozzle(), 3);
    EXPECT_EQ(holders()[2], 0);
    // What the up camera shows follows: nozzle 3's tip is wider than nozzle 1's.
    const CameraSpec& camera = world.world().upCamera;
    const auto tipArea = [&] {
        const world_test::Frame frame =
            world_test::render(world, kUpCamera, {camera.position, camera.focusZ, 0});
        return world_test::centroid(frame, world_test::brighterThan(40)).mass;
    };
    const double wide = tipArea();
    park(holder(3));
    select(holder(1));
    EXPECT_LT(tipArea(), wide / 2);
}

TEST_F(NozzleChangerTest, AnExchangeAtTheWrongPlaceLeavesTheWorldAsItPhysicallyWould) {
    park(holder(1) + Vec2{3, 0});  // no holder there: the nozzle stays on the head
    EXPECT_EQ(world.state().mountedNozzle(), 1);
    EXPECT_EQ(holders()[0], 0);
    select(holder(2));  // the head already carries a nozzle: nothing changes
    EXPECT_EQ(world.state().mountedNozzle(), 1);
    EXPECT_EQ(holders()[1], 2);
    park(holder(1));
    // Pressing onto a nozzle and rising straight up leaves it in its holder's fork.
    driver.moveNozzleTo(holder(2), 0, 0);
    driver.moveNozzleTo(holder(2), depth(), 0);
    driver.moveNozzleTo(holder(2), 0, 0);
    EXPECT_EQ(world.state().mountedNozzle(), 0);
    EXPECT_EQ(holders()[1], 2);
    // Without a nozzle the vacuum picks nothing.
    EXPECT_FALSE(pickAt(feeder(kTraySoic8).pick, feeder(kTraySoic8).pickZ));
}

}  // namespace
