// The world behind the controller library's entry points: the cameras, the world reports and
// loading, the configuration's injected errors, and frames taken while the machine moves.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <nlohmann/json.hpp>
#include <thread>

#include "MotrixApiExports.h"
#include "MotrixSimControl.h"
#include "SimStatus.h"
#include "WorldTestSupport.h"

using namespace motrix_sim;
using Json = nlohmann::json;

namespace {

constexpr double kStepsPerMm = 78.74015748;

std::int32_t steps(double mm) {
    return static_cast<std::int32_t>(std::lround(mm * kStepsPerMm));
}

Json jsonOf(int (*report)(char*, int)) {
    return Json::parse(MotrixSimCopyReport(report));
}

MotrixStatus poll() {
    Steps counters{};
    return MotrixGetPosition(&counters[0], &counters[1], &counters[2], &counters[3]);
}

void waitForMotion() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (poll() != kStatusMotionComplete && std::chrono::steady_clock::now() < end) {
    }
}

void moveTo(double x, double y, double z, double a = 0, std::int32_t speed = 65000) {
    Steps out{};
    while (MotrixLinearMove(steps(x), steps(y), steps(z),
                            static_cast<std::int32_t>(std::lround(a * 8000 / 360)), speed, 0,
                            &out[0], &out[1], &out[2], &out[3]) == kStatusSendAgain) {
    }
    waitForMotion();
}

void output(int mask, bool on) {
    MotrixSetOutput(mask, on ? 1 : 0, 0, 0, 0, 0);
}

// A machine that is homed and zeroed, as the program's homing leaves it.
void homedMachine(const std::string& configuration) {
    ASSERT_EQ(MotrixSimConfigure(configuration.c_str()), 0);
    std::int32_t port = 1;
    ASSERT_EQ(MotrixReset(&port, 0, 0), kStatusAccepted);
    ASSERT_EQ(MotrixHome(15, 0, 5000), kStatusAccepted);
    waitForMotion();
    ASSERT_EQ(MotrixSetPosition(0, 0, 0, 0, 15), kStatusAccepted);
}

world_test::Frame frameOf(int camera) {
    world_test::Frame frame;
    EXPECT_EQ(MotrixSimCameraSize(camera, &frame.width, &frame.height), 1);
    frame.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height);
    EXPECT_EQ(MotrixSimCameraFrame(camera, frame.pixels.data(), frame.width, frame.height), 1);
    return frame;
}

class SimulatorWorldTest : public ::testing::Test {
protected:
    void TearDown() override { MotrixSimConfigure(""); }
};

TEST_F(SimulatorWorldTest, CamerasGiveTheirSizeAndFramesOrRefuse) {
    homedMachine("mode=instant\ncamera_down_no_frame=1");
    int width = -1;
    int height = -1;
    EXPECT_EQ(MotrixSimCameraSize(1, &width, &height), 1);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(MotrixSimCameraSize(2, &width, &height), 0);
    EXPECT_EQ(MotrixSimCameraSize(-1, nullptr, nullptr), 0);
    EXPECT_EQ(MotrixSimCameraSize(0, nullptr, nullptr), 1);
    std::vector<std::uint32_t> pixels(800 * 600);
    EXPECT_EQ(MotrixSimCameraFrame(1, pixels.data(), 800, 600), 1);
    EXPECT_EQ(MotrixSimCameraFrame(0, pixels.data(), 800, 600), 0) << "no frame injected";
    EXPECT_EQ(MotrixSimCameraFrame(1, pixels.data(), 640, 480), 0);
    EXPECT_EQ(MotrixSimCameraFrame(2, pixels.data(), 800, 600), 0);
    EXPECT_EQ(MotrixSimCameraFrame(1, nullptr, 800, 600), 0);
}

// After homing against a displaced switch, the machine frame is off by the displacement: the
// camera sent to the mark's machine position sees it off centre.
TEST_F(SimulatorWorldTest, AHomeSwitchErrorShiftsTheHomedFrame) {
    homedMachine(
        "mode=instant\nhome_switch_x=120\nhome_switch_error_x=0.4\nhome_switch_error_y=-0.2");
    moveTo(20, 20, 0);
    const world_test::Centroid mark = world_test::centroid(frameOf(0), world_test::darkerThan(110));
    EXPECT_NEAR(mark.x, 400 - 0.4 / 0.05, 0.15);
    EXPECT_NEAR(mark.y, 300 - 0.2 / 0.05, 0.15);
    const Json state = jsonOf(MotrixSimWorldState);
    EXPECT_NEAR(state["head"]["x"].get<double>(), 20.4, 0.01);
    EXPECT_NEAR(state["head"]["y"].get<double>(), 19.8, 0.01);
}

// A pick and a place made with controller calls, as the program makes them.
TEST_F(SimulatorWorldTest, APartPickedAndPlacedThroughTheControllerIsRecorded) {
    homedMachine("mode=instant");
    const Json pads = jsonOf(MotrixSimPadTargets)["pads"];
    ASSERT_EQ(pads.size(), 84U);
    EXPECT_EQ(pads[0]["designator"], "U1");
    EXPECT_EQ(pads[0]["kind"], "SOIC-8");
    EXPECT_DOUBLE_EQ(pads[0]["x"].get<double>(), 96);
    EXPECT_DOUBLE_EQ(pads[0]["y"].get<double>(), 66);

    moveTo(300, 90, 0);
    output(16, true);
    moveTo(300, 90, 23.5);
    moveTo(300, 90, 0);
    const Json held = jsonOf(MotrixSimWorldState)["held_part"];
    ASSERT_TRUE(held.is_object());
    EXPECT_EQ(held["kind"], "SOIC-8");
    EXPECT_EQ(held["feeder"], 6);

    moveTo(96, 66, 0, 0);
    moveTo(96, 66, 25 - 1.5 + 0.5, 0);
    output(16, false);
    const Json drops = jsonOf(MotrixSimDropRecord)["drops"];
    ASSERT_EQ(drops.size(), 1U);
    EXPECT_EQ(drops[0]["place"], "board");
    EXPECT_EQ(drops[0]["board"], 1);
    EXPECT_EQ(drops[0]["designator"], "U1");
    EXPECT_NEAR(drops[0]["error_x"].get<double>(), 0, 0.01);  // whole steps
    EXPECT_NEAR(drops[0]["error_angle"].get<double>(), 0, 1e-9);
    EXPECT_TRUE(jsonOf(MotrixSimWorldState)["held_part"].is_null());
}

TEST_F(SimulatorWorldTest, AWorldIsLoadedOnlyWhenItCanBeUsed) {
    homedMachine("mode=instant");
    const std::string before = MotrixSimCopyReport(MotrixSimWorldJson);
    char error[256] = "untouched";
    EXPECT_EQ(MotrixSimLoadWorld(R"({"seed": 5, "feeders": [{}]})", error, sizeof error), 0);
    EXPECT_NE(std::string(error).find("feeders[0].part"), std::string::npos) << error;
    EXPECT_EQ(MotrixSimLoadWorld("{", error, 8), 0);
    EXPECT_EQ(std::strlen(error), 7U) << "cut to the buffer";
    EXPECT_EQ(MotrixSimCopyReport(MotrixSimWorldJson), before);

    World small;
    small.seed = 5;
    EXPECT_EQ(MotrixSimLoadWorld(worldToJson(small).c_str(), error, sizeof error), 1);
    EXPECT_STREQ(error, "");
    EXPECT_EQ(worldFromJson(MotrixSimCopyReport(MotrixSimWorldJson)), small);
    EXPECT_EQ(MotrixSimLoadWorld(nullptr, nullptr, 0), 1);
    EXPECT_EQ(worldFromJson(MotrixSimCopyReport(MotrixSimWorldJson)), defaultWorld());
}

// A frame shows the head where it is in the middle of a real-time motion, and frames taken on
// another thread do not stall the controller.
TEST_F(SimulatorWorldTest, FramesFollowARealTimeMotionFromAnotherThread) {
    homedMachine("mode=realtime");
    moveTo(20, 20, 0);
    Steps out{};
    ASSERT_EQ(
        MotrixLinearMove(steps(22), steps(20), 0, 0, 250, 0, &out[0], &out[1], &out[2], &out[3]),
        kStatusAccepted);  // 2 mm in about 0.63 s
    std::atomic<bool> moving = true;
    std::atomic<int> frames = 0;
    std::thread camera([&] {
        std::vector<std::uint32_t> pixels(800 * 600);
        while (moving) {
            frames += MotrixSimCameraFrame(0, pixels.data(), 800, 600);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const world_test::Centroid midway =
        world_test::centroid(frameOf(0), world_test::darkerThan(110));
    int polls = 0;
    while (poll() != kStatusMotionComplete) {
        ++polls;
    }
    moving = false;
    camera.join();
    EXPECT_GT(frames, 10);
    EXPECT_GT(polls, 100);
    EXPECT_LT(midway.x, 400 - 5) << "the head had moved on";
    EXPECT_GT(midway.x, 400 - 2 / 0.05 + 5) << "but not all the way";
    const world_test::Centroid arrived =
        world_test::centroid(frameOf(0), world_test::darkerThan(110));
    EXPECT_NEAR(arrived.x, 400 - 2 / 0.05, 0.2);
}

}  // namespace
