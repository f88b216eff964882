// The simulated cameras through the program's own searches: a snap cut from a rendered frame is
// found where the world says it is, and a part picked with a known error, measured and placed
// with the pick and place formulas, lands on its pad.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "RenderedSearch.h"
#include "vision/FilterWindow.h"

using namespace motrix_sim;

namespace {

constexpr int kEnlargeMM = 6;

// A snap of (2 half + 1) pixels square centred on the optical axis.
ImagePtr snapOf(const world_test::Frame& frame, int half) {
    const ImagePtr image = imageOf(frame);
    const int x = frame.width / 2;
    const int y = frame.height / 2;
    return copyWindow(*image, WindowBounds{x - half, x + half, y + half, y - half});
}

// The home mark and a fiducial, found by the down camera's search where the injected errors put
// them: a displaced home switch moves the mark against the homed frame by minus the error.
TEST(VisionClosedLoopTest, TheDownCameraSearchFindsMarksWhereTheWorldPutsThem) {
    SimWorld nominal(defaultWorld());
    const Vec2 fiducial = defaultWorld().panel.origin + defaultWorld().board.fiducials[0].position;
    const ImagePtr homeSnap =
        snapOf(world_test::render(nominal, kDownCamera, nominal.poseFromMachine(20, 20, 0, 0)), 50);
    const ImagePtr fiducialSnap =
        snapOf(world_test::render(nominal, kDownCamera,
                                  nominal.poseFromMachine(fiducial.x, fiducial.y, 0, 0)),
               35);
    World displaced = defaultWorld();
    displaced.errors.homeSwitch = {0.3, -0.2};
    displaced.errors.boardOffset = {0.25, 0.15};
    SimWorld world(displaced);
    struct Case {
        const TBitmap32* snap;
        Vec2 at;        // machine position of the look
        Vec2 expected;  // VisionCentre, mm
    };
    for (const Case c : {Case{homeSnap.get(), {20, 20}, {-0.3, 0.2}},
                         Case{fiducialSnap.get(), fiducial, Vec2{0.25, 0.15} - Vec2{0.3, -0.2}}}) {
        Searcher search;
        search.state.ImageReference = cloneImage(c.snap);
        search.state.ImageDownlooking = imageOf(
            world_test::render(world, kDownCamera, world.poseFromMachine(c.at.x, c.at.y, 0, 0)));
        ASSERT_TRUE(VisualCorrelation(search.context(), 0, kEnlargeMM, false)) << c.at.x;
        EXPECT_GT(search.state.VisionCorrelation, 0.9);
        EXPECT_NEAR(search.state.VisionCentreX, c.expected.x, 0.026) << c.at.x;
        EXPECT_NEAR(search.state.VisionCentreY, c.expected.y, 0.026) << c.at.x;
    }
}

// The head, the outputs and the world, driven in machine coordinates as the pick and place
// sequences command them.
class Machine {
public:
    explicit Machine(SimWorld& world) : world_(world) {}

    void headTo(Vec2 head, double z, double a) {
        pose_ = world_.poseFromMachine(head.x, head.y, z, a);
        world_.observe(pose_, outputs_);
    }
    void vacuum(bool on) {
        outputs_ = on ? kOutputVacuum : 0;
        world_.observe(pose_, outputs_);
    }
    ImagePtr captureUp() { return imageOf(world_test::render(world_, kUpCamera, pose_)); }

private:
    SimWorld& world_;
    HeadPose pose_;
    int outputs_ = 0;
};

struct PickCase {
    int feeder;              // 0-based
    double baseAngle;        // of the feeder's kind and side
    const char* designator;  // the part placed, on board 2
    std::uint64_t seed;
};

std::ostream& operator<<(std::ostream& stream, const PickCase& c) {
    return stream << "feeder " << c.feeder + 1 << " to " << c.designator << ", seed " << c.seed;
}

class PickAndPlaceTest : public ::testing::TestWithParam<PickCase> {
protected:
    // The world's nozzle sits 30 mm left of and 5 mm above the down camera's centre, so the
    // taught "Nozzle Offset" (head at the nozzle minus head at the camera) is (30, -5).
    static World withNozzleOffset(double jitterMm, double jitterDeg, std::uint64_t seed) {
        World world = defaultWorld();
        world.nozzleOffset = {-30, 5};
        world.errors.pickJitterMm = jitterMm;
        world.errors.pickJitterDeg = jitterDeg;
        world.seed = seed;
        return world;
    }
    const Vec2 nozzleOffsetSetting{30, -5};

    // Picks from the feeder as the pick sequence does and holds the part over the up camera.
    void pickToCamera(Machine& machine, const World& world, double angle) {
        const FeederSpec& feeder = world.feeders[static_cast<std::size_t>(GetParam().feeder)];
        const Vec2 above = feeder.pick + nozzleOffsetSetting;
        machine.headTo(above, 0, 0);
        machine.vacuum(true);
        machine.headTo(above, feeder.pickZ, 0);
        machine.headTo(above, 0, 0);
        machine.headTo(upCameraSetting(world), focalZ(world), GetParam().baseAngle + angle);
    }
    // "Uplooking Camera X/Y": the head position that puts the nozzle over the camera.
    Vec2 upCameraSetting(const World& world) const {
        return world.upCamera.position + nozzleOffsetSetting;
    }
    double partHeight(const World& world) const {
        const FeederSpec& feeder = world.feeders[static_cast<std::size_t>(GetParam().feeder)];
        return world.kind(feeder.part)->height;
    }
    double focalZ(const World& world) const { return world.upCamera.focusZ - partHeight(world); }
};

TEST_P(PickAndPlaceTest, APartWithAKnownPickErrorLandsOnItsPad) {
    // The feeder's snap: a test pick without error, seen from below at the base angle.
    SimWorld clean(withNozzleOffset(0, 0, 1));
    Machine cleanMachine(clean);
    pickToCamera(cleanMachine, clean.world(), 0);
    const ImagePtr snapFrame = cleanMachine.captureUp();
    const ImagePtr snap = copyWindow(*snapFrame, WindowBounds{360, 440, 340, 260});

    SimWorld world(withNozzleOffset(0.3, 8, GetParam().seed));
    Machine machine(world);
    const auto& pads = world.model().layout.pads();
    const auto pad = std::find_if(pads.begin(), pads.end(), [&](const PadTarget& target) {
        return target.board == 2 &&
               world.world().board.parts[static_cast<std::size_t>(target.placement)].designator ==
                   GetParam().designator;
    });
    ASSERT_NE(pad, pads.end());
    const Placement& part = world.world().board.parts[static_cast<std::size_t>(pad->placement)];
    const double angle = part.angle;
    pickToCamera(machine, world.world(), angle);
    ASSERT_TRUE(world.state().held());

    Searcher search;
    search.state.ImageReference = cloneImage(snap.get());
    search.state.ImageUplooking = machine.captureUp();
    ASSERT_TRUE(AngularVisualCorrelation(search.context(), angle, kEnlargeMM));
    double correctionA = angle - search.state.VisionAngle;
    machine.headTo(upCameraSetting(world.world()), focalZ(world.world()),
                   GetParam().baseAngle + correctionA);
    search.state.ImageUplooking = machine.captureUp();
    ASSERT_TRUE(VisualCorrelation(search.context(), angle, kEnlargeMM, true));
    const Vec2 correction{-search.state.VisionCentreX, -search.state.VisionCentreY};
    correctionA = GetParam().baseAngle + correctionA;

    // Placing: the board's origin (board 2, no board error) plus the part's position, the
    // nozzle offset and the pick correction; down to the board with the push.
    const Vec2 target = world.model().layout.nominalBoardOrigin(2) + part.position +
                        nozzleOffsetSetting + correction;
    machine.headTo(target, 0, correctionA);
    machine.headTo(target, world.world().board.surfaceZ - partHeight(world.world()) + 0.5,
                   correctionA);
    machine.vacuum(false);

    const nlohmann::json drop = nlohmann::json::parse(world.dropsJson())["drops"].back();
    ASSERT_EQ(drop["place"], "board") << drop.dump();
    EXPECT_EQ(drop["designator"], GetParam().designator);
    EXPECT_EQ(drop["board"], 2);
    EXPECT_LT(std::hypot(drop["error_x"].get<double>(), drop["error_y"].get<double>()), 0.08)
        << drop.dump();
    EXPECT_LT(std::abs(drop["error_angle"].get<double>()), 2.5) << drop.dump();
}

// A rear reel (base angle 180), the vibration feeder and the tray (base angle 0), at several
// placement angles and pick errors.
INSTANTIATE_TEST_SUITE_P(Feeders, PickAndPlaceTest,
                         ::testing::Values(PickCase{0, 180, "R3", 1}, PickCase{0, 180, "R6", 2},
                                           PickCase{4, 0, "Q3", 3}, PickCase{4, 0, "Q2", 4},
                                           PickCase{5, 0, "U2", 5}));

}  // namespace
