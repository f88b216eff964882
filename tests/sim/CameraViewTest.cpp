// What the two simulated cameras show, held against the conventions the program's searches
// rely on: the optical axis at pixel (W div 2, H div 2); down camera +X right, +Y up; up camera
// mirrored (+X left), +Y up; a positive A turn looks, from below, like what the rotation
// filter's positive angle undoes.

#include <gtest/gtest.h>

#include "WorldDriver.h"
#include "WorldTestSupport.h"

using namespace motrix_sim;
using namespace world_test;

namespace {

constexpr int kMarkGrey = 110;  // between the black mark and the light table

Centroid markAt(SimWorld& world, const HeadPose& pose) {
    return centroid(render(world, kDownCamera, pose), darkerThan(kMarkGrey));
}

TEST(CameraViewTest, TheHomeMarkSitsOnTheOpticalAxisWhenTheHeadIsOverIt) {
    SimWorld world(defaultWorld());
    for (const Vec2& mark : world.world().homeMarks) {
        const Centroid seen = markAt(world, world.poseFromMachine(mark.x, mark.y, 0, 0));
        EXPECT_GT(seen.mass, 0);
        EXPECT_NEAR(seen.x, 400, 0.1) << mark.x << ", " << mark.y;
        EXPECT_NEAR(seen.y, 300, 0.1) << mark.x << ", " << mark.y;
    }
}

TEST(CameraViewTest, MovingTheHeadMovesTheDownCameraImageTheOtherWay) {
    SimWorld world(defaultWorld());
    const double pixel = mmPerPixel(world.world().downCamera);
    const Centroid centred = markAt(world, world.poseFromMachine(20, 20, 0, 0));
    struct Case {
        double dx, dy;  // head move, mm
        double px, py;  // expected mark move, pixels
    };
    for (const Case c : {Case{0.3, 0, -0.3 / pixel, 0}, Case{0, 0.3, 0, 0.3 / pixel},
                         Case{-1.25, 0.7, 1.25 / pixel, 0.7 / pixel}}) {
        const Centroid moved = markAt(world, world.poseFromMachine(20 + c.dx, 20 + c.dy, 0, 0));
        EXPECT_NEAR(moved.x - centred.x, c.px, 0.1) << c.dx << ", " << c.dy;
        EXPECT_NEAR(moved.y - centred.y, c.py, 0.1) << c.dx << ", " << c.dy;
    }
}

// The clear ring around a fiducial: bare board, a colour nothing else on the table has.
double clearRing(std::uint32_t pixel) {
    const double red = ((pixel >> 16) & 0xFF) - 0x9C;
    const double green = ((pixel >> 8) & 0xFF) - 0x94;
    const double blue = (pixel & 0xFF) - 0x6A;
    return std::sqrt(red * red + green * green + blue * blue) < 15 ? 1.0 : 0.0;
}

// An injected error moves what the camera sees: a displaced home switch shifts the whole homed
// frame, a board offset and rotation only the panel (turned about board 1's nominal origin).
TEST(CameraViewTest, InjectedErrorsMoveWhatTheCameraSees) {
    const double pixel = mmPerPixel(defaultWorld().downCamera);
    {
        World description = defaultWorld();
        description.errors.homeSwitch = {0.5, -0.3};
        SimWorld world(description);
        const Centroid seen = markAt(world, world.poseFromMachine(20, 20, 0, 0));
        EXPECT_NEAR(seen.x, 400 - 0.5 / pixel, 0.1);
        EXPECT_NEAR(seen.y, 300 - 0.3 / pixel, 0.1);
    }
    struct Case {
        Vec2 offset;
        double rotation;
        int fiducial;
    };
    const Vec2 pivot = defaultWorld().panel.origin;
    for (const Case c : {Case{{0.4, 0.2}, 0, 0}, Case{{0, 0}, 0.5, 1}, Case{{-0.3, 0.1}, -1, 1}}) {
        World description = defaultWorld();
        description.errors.boardOffset = c.offset;
        description.errors.boardRotation = c.rotation;
        SimWorld world(description);
        const Vec2 nominal =
            pivot + description.board.fiducials[static_cast<std::size_t>(c.fiducial)].position;
        const Vec2 truly = pivot + c.offset + turned(nominal - pivot, c.rotation);
        const Centroid seen =
            centroid(render(world, kDownCamera, world.poseFromMachine(nominal.x, nominal.y, 0, 0)),
                     clearRing, 120);
        EXPECT_GT(seen.mass, 0);
        EXPECT_NEAR(seen.x, 400 + (truly.x - nominal.x) / pixel, 0.5) << c.rotation;
        EXPECT_NEAR(seen.y, 300 - (truly.y - nominal.y) / pixel, 0.5) << c.rotation;
    }
}

// The nozzle tip seen from below: centred when the nozzle axis is over the camera, and mirrored
// in X when the head moves.
TEST(CameraViewTest, TheUpCameraSeesTheNozzleMirrored) {
    World description = defaultWorld();
    description.nozzleOffset = {-30, 5};
    SimWorld world(description);
    const CameraSpec& camera = world.world().upCamera;
    const double pixel = mmPerPixel(camera);
    const Vec2 over = camera.position - description.nozzleOffset;  // head with nozzle over it
    const auto tipAt = [&](Vec2 head) {
        return centroid(render(world, kUpCamera, {head, camera.focusZ, 0}), brighterThan(40));
    };
    const Centroid centred = tipAt(over);
    EXPECT_GT(centred.mass, 0);
    EXPECT_NEAR(centred.x, 400, 0.1);
    EXPECT_NEAR(centred.y, 300, 0.1);
    const Centroid moved = tipAt(over + Vec2{0.3, 0.3});
    EXPECT_NEAR(moved.x, 400 - 0.3 / pixel, 0.1);  // +X shows left
    EXPECT_NEAR(moved.y, 300 - 0.3 / pixel, 0.1);  // +Y shows up
}

// A part held off the nozzle axis: its offset turns with A about the axis, clockwise from above
// for a positive turn, which the mirrored camera shows turning anticlockwise.
TEST(CameraViewTest, AHeldPartTurnsWithAAboutTheNozzleAxis) {
    SimWorld world(defaultWorld());
    WorldDriver driver(world);
    const FeederSpec& tray = world.world().feeders[5];
    const Vec2 offset{0.3, -0.2};
    driver.moveNozzleTo(tray.pick - offset, 0, 0);
    driver.switchOutput(kOutputVacuum, true);
    driver.moveNozzleTo(tray.pick - offset, tray.pickZ, 0);
    ASSERT_TRUE(world.state().held());
    const CameraSpec& camera = world.world().upCamera;
    const double pixel = mmPerPixel(camera);
    struct Case {
        double a;
        Vec2 offset;  // the part's centre from the nozzle axis on the table
    };
    // Clockwise from above: +X turns towards -Y.
    for (const Case c : {Case{0, offset}, Case{90, {-0.2, -0.3}}, Case{180, {-0.3, 0.2}},
                         Case{-30, {0.3 * 0.8660254 + 0.2 * 0.5, 0.3 * 0.5 - 0.2 * 0.8660254}}}) {
        const Frame frame = render(world, kUpCamera, {camera.position, camera.focusZ - 1.5, c.a});
        const Centroid body = centroid(frame, [](std::uint32_t p) {
            return grey(p) > 30 && grey(p) < 90 ? 1.0 : 0.0;  // the dark body, not the leads
        });
        EXPECT_NEAR(body.x, 400 - c.offset.x / pixel, 0.5) << c.a;
        EXPECT_NEAR(body.y, 300 - c.offset.y / pixel, 0.5) << c.a;
    }
}

TEST(CameraViewTest, FramesRefuseWhatTheCameraCannotGive) {
    World description = defaultWorld();
    description.errors.upCameraNoFrame = true;
    SimWorld world(description);
    std::vector<std::uint32_t> pixels(800 * 600, 7);
    const HeadPose pose = world.poseFromMachine(20, 20, 0, 0);
    EXPECT_TRUE(renderFrame(world.frameJob(kDownCamera, pose), pixels.data(), 800, 600));
    EXPECT_FALSE(renderFrame(world.frameJob(kUpCamera, pose), pixels.data(), 800, 600));
    EXPECT_FALSE(renderFrame(world.frameJob(kDownCamera, pose), pixels.data(), 640, 480));
    EXPECT_FALSE(renderFrame(world.frameJob(2, pose), pixels.data(), 800, 600));
    EXPECT_FALSE(renderFrame(world.frameJob(kDownCamera, pose), nullptr, 800, 600));
    int width = 0;
    int height = 0;
    EXPECT_FALSE(cameraSize(world.world(), -1, width, height));
}

// Every pixel is opaque; the sensor noise is seeded (the same frame twice) yet changes from
// frame to frame, and stays within its amplitude plus the blur.
TEST(CameraViewTest, NoiseIsSeededSmallAndFreshInEveryFrame) {
    SimWorld first(defaultWorld());
    SimWorld second(defaultWorld());
    const HeadPose pose = first.poseFromMachine(300, 250, 0, 0);  // plain table
    const Frame a = render(first, kDownCamera, pose);
    const Frame b = render(second, kDownCamera, pose);
    const Frame next = render(first, kDownCamera, pose);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_NE(a.pixels, next.pixels);
    int darkest = 255;
    int lightest = 0;
    for (std::uint32_t pixel : a.pixels) {
        EXPECT_EQ(pixel >> 24, 0xFFU);
        darkest = std::min(darkest, grey(pixel));
        lightest = std::max(lightest, grey(pixel));
    }
    EXPECT_LE(lightest - darkest, 2 * defaultWorld().downCamera.noise);
    EXPECT_GT(lightest - darkest, 0);
}

// Out of focus the mark's edges soften; at the taught height they are sharp.
TEST(CameraViewTest, AHeadOutOfFocusBlursTheImage) {
    SimWorld world(defaultWorld());
    const auto edgeSteepness = [&](double z) {
        const Frame frame = render(world, kDownCamera, world.poseFromMachine(20, 20, z, 0));
        int steepest = 0;
        for (int x = 330; x < 470; ++x) {
            steepest =
                std::max(steepest, std::abs(grey(frame.at(x + 1, 300)) - grey(frame.at(x, 300))));
        }
        return steepest;
    };
    const int sharp = edgeSteepness(0);
    EXPECT_GT(sharp, 50);
    EXPECT_GT(edgeSteepness(0.8), sharp * 0.8);  // within the depth of field
    EXPECT_LT(edgeSteepness(4), sharp / 3);
}

}  // namespace
