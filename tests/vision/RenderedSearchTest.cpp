// The refined searches against frames the simulator renders at fractional positions and angles,
// where the truth is known to far better than a hundredth: every part kind of the demo held
// over the up camera, and the demo's marks under the down camera.

#include <gtest/gtest.h>

#include <cmath>

#include "WorldDriver.h"
#include "sim/RenderedSearch.h"
#include "support/DemoFiles.h"

using namespace motrix_sim;

namespace {

constexpr int kEnlargeMM = 6;

// A trial: the nozzle's offset from the up camera's axis (mm) and the part's turn beyond its
// placing angle (degrees), both between the whole pixels (0.05 mm) and steps (2.3 to 3.7
// degrees) of the searches.
struct Trial {
    Vec2 nozzle;
    double turn;
};
constexpr Trial kTrials[] = {
    {{0.0137, -0.0211}, 1.37}, {{-0.1234, 0.0873}, -2.61}, {{0.2071, 0.1559}, 0.23}};

struct Tolerance {
    double degrees;
    double mm;
};

class RenderedSearchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadDemo(project, settings)); }

    // Each feeder's part picked with `jitterMm` of pick error, held as each trial says at
    // placing angles 0 and 90: the angle search measures its turn and its place, and, the part
    // turned straight as the pick turns it, the position search its place again.
    void expectEveryPartKindMeasured(double jitterMm, Tolerance tolerance) const {
        std::uint64_t seed = 0;
        for (int i = 0; i < project.FeederCount(); ++i) {
            const FeederRec& feeder = project.Feeders[i];
            for (const double partAngle : {0.0, 90.0}) {
                for (const Trial& trial : kTrials) {
                    ++seed;
                    const std::string name = feeder.Description.toStdString() + " at " +
                                             std::to_string(partAngle) + " turned " +
                                             std::to_string(trial.turn);
                    World world = defaultWorld();
                    world.errors.pickJitterMm = jitterMm;
                    world.seed = seed;
                    expectPartMeasured(world, i, partAngle, trial, tolerance, name);
                }
            }
        }
    }

    void expectPartMeasured(const World& description, int feeder, double partAngle,
                            const Trial& trial, Tolerance tolerance,
                            const std::string& name) const {
        SimWorld world(description);
        WorldDriver driver(world);
        ASSERT_TRUE(driver.pickFrom(feeder)) << name;
        const FeederRec& record = project.Feeders[feeder];
        const double base = record.Kind == FeederReel && record.Location == LocationRear ? 180 : 0;
        const double focusZ = settings.uplookingCameraZ - record.PartHeight;
        const Vec2 axis = world.world().upCamera.position;
        const HeadPose held{axis + trial.nozzle, focusZ, base + partAngle + trial.turn};
        const HeldPart& part = *world.state().held();
        const double turn = part.angleAt(held.a) - part.angleAt(base + partAngle);

        Searcher search;
        search.state.ImageReference = LoadDemoSnap("System Settings/" + record.SnapName + ".Bmp");
        search.state.ImageUplooking = imageOf(world_test::render(world, kUpCamera, held));
        ASSERT_TRUE(AngularVisualCorrelation(search.context(), partAngle, kEnlargeMM)) << name;
        EXPECT_NEAR(search.state.VisionAngle, turn, tolerance.degrees) << name;
        const Vec2 centre = trial.nozzle + part.offsetAt(held.a);
        EXPECT_NEAR(search.state.VisionCentreX, centre.x, tolerance.mm) << name;
        EXPECT_NEAR(search.state.VisionCentreY, centre.y, tolerance.mm) << name;

        const HeadPose straight{held.head, focusZ, held.a - turn};
        search.state.ImageUplooking = imageOf(world_test::render(world, kUpCamera, straight));
        ASSERT_TRUE(VisualCorrelation(search.context(), partAngle, kEnlargeMM, true)) << name;
        const Vec2 straightCentre = trial.nozzle + part.offsetAt(straight.a);
        EXPECT_NEAR(search.state.VisionCentreX, straightCentre.x, tolerance.mm) << name;
        EXPECT_NEAR(search.state.VisionCentreY, straightCentre.y, tolerance.mm) << name;
    }

    ProjectState project;
    MachineSettings settings;
};

// A part picked centred on the nozzle: a tenth of a degree and a tenth of a pixel. The whole
// steps and pixels of the literal searches are up to 1.8 degrees and 0.075 mm off.
TEST_F(RenderedSearchTest, EveryPartKindIsMeasuredBelowAStepAndAPixel) {
    expectEveryPartKindMeasured(0, {0.15, 0.005});
}

// A part picked up to 0.3 mm off the nozzle: the tip that peeks out beside the smallest parts
// no longer sits where it sat in the snap, and pulls the answer a little.
TEST_F(RenderedSearchTest, PartsPickedOffTheNozzleAreMeasuredWithinHalfADegree) {
    expectEveryPartKindMeasured(0.3, {0.5, 0.015});
}

// The demo's home mark and fiducials, the head a fraction of a pixel off each: the mark is found
// that far the other way.
TEST_F(RenderedSearchTest, MarksAreFoundToAFractionOfAPixel) {
    SimWorld world(defaultWorld());
    const Vec2 home{settings.home1X, settings.home1Y};
    const Vec2 board = home + Vec2{project.PanelOriginX, project.PanelOriginY};
    struct Case {
        QString snap;
        Vec2 at;
    };
    const Case cases[] = {
        {"System Settings/Home.BMP", home},
        {"Demo Panel/Fiducial1.Bmp", board + Vec2{project.Fiducial1X, project.Fiducial1Y}},
        {"Demo Panel/Fiducial2.Bmp", board + Vec2{project.Fiducial2X, project.Fiducial2Y}},
    };
    for (const Case& c : cases) {
        for (const Vec2 off : {Vec2{0.0131, -0.0377}, Vec2{-0.4419, 0.2866}}) {
            Searcher search;
            search.state.ImageReference = LoadDemoSnap(c.snap);
            const Vec2 head = c.at + off;
            search.state.ImageDownlooking = imageOf(world_test::render(
                world, kDownCamera, world.poseFromMachine(head.x, head.y, 0, 0)));
            ASSERT_TRUE(VisualCorrelation(search.context(), 0, kEnlargeMM, false))
                << c.snap.toStdString();
            EXPECT_NEAR(search.state.VisionCentreX, -off.x, 0.005) << c.snap.toStdString();
            EXPECT_NEAR(search.state.VisionCentreY, -off.y, 0.005) << c.snap.toStdString();
        }
    }
}

}  // namespace
