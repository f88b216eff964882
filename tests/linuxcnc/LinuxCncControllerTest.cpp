// The LinuxCNC library's controller against a stand-in for LinuxCNC's remote shell: what it
// sends for each of the program's calls, and how it answers them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "FakeRemoteShell.h"
#include "LinuxCncController.h"
#include "SimStatus.h"
#include "WorldJson.h"

using linuxcnc::LinuxCncController;
using linuxcnc::LinuxCncSetUp;
using motrix_sim::Steps;
using namespace motrix_sim;

namespace {

constexpr double kStepsPerMm = 100;  // round numbers: 1 step is 0.01 mm
constexpr double kStepsPerDegree = 10;

class LinuxCncControllerTest : public ::testing::Test {
protected:
    LinuxCncControllerTest() : controller_(SimConfig{}, defaultWorld()) {
        LinuxCncSetUp setUp;
        setUp.port = shell_.port();
        setUp.stepsPerUnit = {kStepsPerMm, kStepsPerMm, kStepsPerMm, kStepsPerDegree};
        controller_.setUp(setUp);
    }

    // Reset, then LinuxCNC's own homing, as the program's homing sequence starts.
    void resetAndHome() {
        ASSERT_EQ(controller_.reset(), kStatusAccepted);
        ASSERT_EQ(controller_.home(0x0F, 300), kStatusAccepted);
        ASSERT_EQ(waitForMotion(), kStatusMotionComplete);
    }

    // Polls until the motion ends; the last answer.
    std::uint8_t waitForMotion(Steps* counters = nullptr) {
        Steps read{};
        std::uint8_t status = kStatusMoving;
        for (int poll = 0; poll < 20 && status == kStatusMoving; ++poll) {
            status = controller_.getPosition(read);
        }
        if (counters) {
            *counters = read;
        }
        return status;
    }

    // The MDI lines LinuxCNC received, once it has read everything sent so far: moves are posted
    // without waiting, and a poll's round trip comes back only after them.
    std::vector<std::string> mdiLines() {
        Steps counters{};
        controller_.readCounters(counters);
        return shell_.mdiLines();
    }
    std::string lastMdiLine() {
        const std::vector<std::string> lines = mdiLines();
        return lines.empty() ? std::string() : lines.back();
    }

    FakeRemoteShell shell_;
    LinuxCncController controller_;
};

TEST_F(LinuxCncControllerTest, ResetLeavesTheStopAndSwitchesTheMachineOn) {
    EXPECT_EQ(controller_.reset(), kStatusAccepted);
    const FakeRemoteShell::Machine machine = shell_.machine();
    EXPECT_FALSE(machine.estop);
    EXPECT_TRUE(machine.on);
    EXPECT_EQ(controller_.firmwareVersion(), 1.1);
    EXPECT_EQ(controller_.acceptSetUp(), kStatusAccepted);
}

TEST(LinuxCncControllerAlone, NothingListeningIsNotFoundAndEveryCallNotConnected) {
    LinuxCncController controller(SimConfig{}, defaultWorld());
    LinuxCncSetUp setUp;
    setUp.port = FakeRemoteShell().port();  // closed again: nothing listens there now
    controller.setUp(setUp);
    Steps counters{};
    EXPECT_EQ(controller.reset(), kStatusNotFound);
    EXPECT_EQ(controller.getPosition(counters), kStatusNotConnected);
    EXPECT_EQ(controller.move({1, 2, 3, 4}, 0x0F, 1000), kStatusNotConnected);
    EXPECT_EQ(controller.setOutput(16, false), kStatusNotConnected);
}

TEST_F(LinuxCncControllerTest, HomingHomesEveryJointOnceThenDrivesToMachineZero) {
    ASSERT_EQ(controller_.reset(), kStatusAccepted);
    ASSERT_EQ(controller_.home(0x0C, 300), kStatusAccepted);
    Steps counters{};
    EXPECT_EQ(controller_.getPosition(counters), kStatusMoving);
    EXPECT_EQ(waitForMotion(), kStatusMotionComplete);
    EXPECT_TRUE(shell_.machine().homed);
    EXPECT_TRUE(mdiLines().empty());

    shell_.change([](FakeRemoteShell::Machine& m) { m.position = {5, 6, 7, 8}; });
    ASSERT_EQ(controller_.home(0x03, 400), kStatusAccepted);
    EXPECT_EQ(waitForMotion(), kStatusMotionComplete);
    // X and Y to zero, Z and A stay; 600 steps at 400 steps/s take 1.5 s: 40 a minute.
    ASSERT_EQ(mdiLines().size(), 1u);
    EXPECT_EQ(lastMdiLine(), "G53 G90 G93 G1 X0.000000 Y0.000000 Z7.000000 A8.000000 F40.000000");
}

TEST_F(LinuxCncControllerTest, MovesTakeTheProgramsStepsAndSpeedAsAnInverseTimeMove) {
    resetAndHome();
    // 100 mm, 50 mm, 10 mm, 90 degrees: the longest travel, 10000 steps, at 5000 steps/s.
    ASSERT_EQ(controller_.move({10000, 5000, 1000, 900}, 0x0F, 5000), kStatusAccepted);
    EXPECT_EQ(lastMdiLine(),
              "G53 G90 G93 G1 X100.000000 Y50.000000 Z10.000000 A90.000000 F30.000000");
    Steps counters{};
    EXPECT_EQ(controller_.getPosition(counters), kStatusMoving);
    EXPECT_EQ(controller_.move({0, 0, 0, 0}, 0x0F, 5000), kStatusSendAgain);
    EXPECT_EQ(controller_.setOutput(16, true), kStatusSendAgain);
    EXPECT_EQ(waitForMotion(&counters), kStatusMotionComplete);
    EXPECT_EQ(counters, (Steps{10000, 5000, 1000, 900}));

    // An index move drives only its axes.
    ASSERT_EQ(controller_.move({0, 0, 0, 0}, 0x04, 5000), kStatusAccepted);
    EXPECT_EQ(lastMdiLine(),
              "G53 G90 G93 G1 X100.000000 Y50.000000 Z0.000000 A90.000000 F300.000000");
}

TEST_F(LinuxCncControllerTest, SetPositionMovesTheCountersZeroNotTheMachine) {
    resetAndHome();
    ASSERT_EQ(controller_.move({10000, 5000, 0, 0}, 0x0F, 10000), kStatusAccepted);
    ASSERT_EQ(waitForMotion(), kStatusMotionComplete);
    ASSERT_EQ(controller_.setPosition({0, 0, 0, 0}, 0x01), kStatusAccepted);
    Steps counters{};
    EXPECT_EQ(controller_.getPosition(counters), kStatusMotionComplete);
    EXPECT_EQ(counters, (Steps{0, 5000, 0, 0}));

    ASSERT_EQ(controller_.move({1000, 5000, 0, 0}, 0x0F, 10000), kStatusAccepted);
    EXPECT_EQ(lastMdiLine(),
              "G53 G90 G93 G1 X110.000000 Y50.000000 Z0.000000 A0.000000 F600.000000");
}

TEST_F(LinuxCncControllerTest, EachOutputMaskIsOneDigitalOutput) {
    resetAndHome();
    const std::pair<int, int> outputs[] = {{4, 0}, {8, 1}, {16, 2}, {32, 3}, {64, 4}};
    for (const auto& [mask, index] : outputs) {
        EXPECT_EQ(controller_.setOutput(mask, true), kStatusAccepted) << mask;
        EXPECT_TRUE(shell_.machine().outputs[static_cast<std::size_t>(index)]) << mask;
        EXPECT_EQ(lastMdiLine(), "M64 P" + std::to_string(index));
        EXPECT_EQ(controller_.setOutput(mask, false), kStatusAccepted) << mask;
        EXPECT_EQ(lastMdiLine(), "M65 P" + std::to_string(index));
    }
    EXPECT_EQ(controller_.setOutput(128, true), kStatusRefused);
    EXPECT_EQ(controller_.setOutput(12, true), kStatusRefused);
    EXPECT_EQ(controller_.setOutputs(16 | 64), kStatusAccepted);
    EXPECT_EQ(shell_.machine().outputs, (std::array<bool, 5>{false, false, true, false, true}));
}

TEST_F(LinuxCncControllerTest, LinuxCncsStopRefusesMotionAndOutputsOnButLetsThemOff) {
    resetAndHome();
    ASSERT_EQ(controller_.setOutput(16, true), kStatusAccepted);
    ASSERT_EQ(controller_.move({10000, 0, 0, 0}, 0x0F, 10000), kStatusAccepted);
    shell_.change([](FakeRemoteShell::Machine& m) {
        m.estop = true;
        m.on = false;
        m.moveTarget.reset();
    });
    Steps counters{};
    EXPECT_EQ(controller_.getPosition(counters), kStatusRefusedUnderStop);
    EXPECT_EQ(controller_.move({0, 0, 0, 0}, 0x0F, 10000), kStatusRefusedUnderStop);
    EXPECT_EQ(controller_.home(0x0F, 300), kStatusRefusedUnderStop);
    EXPECT_EQ(controller_.setOutput(16, true), kStatusRefusedUnderStop);
    EXPECT_EQ(controller_.setOutput(16, false), kStatusAccepted);
    EXPECT_EQ(controller_.acceptSetUp(), kStatusRefusedUnderStop);

    // The world saw the vacuum go with the stop.
    int worldOutputs = -1;
    controller_.withWorld([&](SimWorld&, const HeadPose&, int outputs) { worldOutputs = outputs; });
    EXPECT_EQ(worldOutputs, 0);

    // RESET takes LinuxCNC out of its stop; a stop it cannot leave keeps the set-up refused.
    EXPECT_EQ(controller_.reset(), kStatusAccepted);
    EXPECT_EQ(controller_.acceptSetUp(), kStatusAccepted);
}

TEST_F(LinuxCncControllerTest, AMoveLinuxCncRefusesIsAnsweredRefusedOnceAtRest) {
    resetAndHome();
    shell_.change([](FakeRemoteShell::Machine& m) { m.refuseMoves = true; });
    // Taken before LinuxCNC has looked at it; at rest short of its target it is refused.
    ASSERT_EQ(controller_.move({10000, 0, 0, 0}, 0x0F, 10000), kStatusAccepted);
    Steps counters{};
    EXPECT_EQ(controller_.getPosition(counters), kStatusRefused);
    EXPECT_EQ(controller_.getPosition(counters), kStatusRefused);
    EXPECT_EQ(counters, (Steps{0, 0, 0, 0}));
    // Speeds and masks the machine cannot run are refused before anything is sent.
    EXPECT_EQ(controller_.move({0, 0, 0, 0}, 0x0F, 0), kStatusRefused);
    EXPECT_EQ(controller_.move({0, 0, 0, 0}, 0x10, 1000), kStatusRefused);
}

TEST_F(LinuxCncControllerTest, ALostSessionAnswersNoAnswerUntilResetConnectsAgain) {
    resetAndHome();
    shell_.dropClient();
    Steps counters{};
    EXPECT_EQ(controller_.getPosition(counters), kStatusNoAnswer);
    EXPECT_EQ(controller_.setOutput(16, false), kStatusNoAnswer);
    controller_.close();
    EXPECT_EQ(controller_.getPosition(counters), kStatusNotConnected);
    EXPECT_EQ(controller_.reset(), kStatusAccepted);
    EXPECT_EQ(controller_.getPosition(counters), kStatusMotionComplete);
}

TEST_F(LinuxCncControllerTest, EndCurrentMoveAbortsWhatRuns) {
    resetAndHome();
    ASSERT_EQ(controller_.move({10000, 0, 0, 0}, 0x0F, 10000), kStatusAccepted);
    EXPECT_EQ(controller_.endCurrentMove(), kStatusAccepted);
    EXPECT_EQ(shell_.received().back(), "set abort");
    Steps counters{};
    EXPECT_EQ(controller_.getPosition(counters), kStatusMotionComplete);
    EXPECT_EQ(counters, (Steps{0, 0, 0, 0}));
}

TEST_F(LinuxCncControllerTest, TheWorldFollowsLinuxCncsPositionAndOutputs) {
    resetAndHome();
    ASSERT_EQ(controller_.move({10000, 5000, 0, 900}, 0x0F, 10000), kStatusAccepted);
    ASSERT_EQ(waitForMotion(), kStatusMotionComplete);
    ASSERT_EQ(controller_.setOutput(16, true), kStatusAccepted);
    HeadPose pose;
    int outputs = 0;
    controller_.withWorld([&](SimWorld&, const HeadPose& now, int on) {
        pose = now;
        outputs = on;
    });
    EXPECT_DOUBLE_EQ(pose.head.x, 100);
    EXPECT_DOUBLE_EQ(pose.head.y, 50);
    EXPECT_DOUBLE_EQ(pose.a, 90);
    EXPECT_EQ(outputs, 16);
}

struct SetUpCase {
    const char* text;
    int problems;
    LinuxCncSetUp expected;
};

TEST(LinuxCncSetUpText, ReadsTheAddressAndTheScaling) {
    const auto setUp = [](const char* host, int port, linuxcnc::Position scale) {
        LinuxCncSetUp made;
        made.host = host;
        made.port = port;
        made.stepsPerUnit = scale;
        return made;
    };
    const linuxcnc::Position defaults = LinuxCncSetUp().stepsPerUnit;
    const SetUpCase cases[] = {
        {"address=cnc.local:5008", 0, setUp("cnc.local", 5008, defaults)},
        {"address=[::1]:5007\n", 0, setUp("::1", 5007, defaults)},
        {"x_steps_per_mm=100\ny_steps_per_mm=200\nz_steps_per_mm=50\na_steps_per_rev=3600", 0,
         setUp("127.0.0.1", 5007, {100, 200, 50, 10})},
        {"# a comment\n\n  address = 10.0.0.2:80  ", 0, setUp("10.0.0.2", 80, defaults)},
        {"address=cnc.local", 1, LinuxCncSetUp()},
        {"address=cnc.local:0", 1, LinuxCncSetUp()},
        {"address=cnc.local:70000", 1, LinuxCncSetUp()},
        {"address=:5007", 1, LinuxCncSetUp()},
        {"x_steps_per_mm=0\ny_steps_per_mm=-3\nz_steps_per_mm=abc", 3, LinuxCncSetUp()},
        {"speed=3", 1, LinuxCncSetUp()},
        {"no equals sign", 1, LinuxCncSetUp()},
    };
    for (const SetUpCase& c : cases) {
        LinuxCncSetUp read;
        EXPECT_EQ(linuxcnc::applySetUpText(read, c.text).size(),
                  static_cast<std::size_t>(c.problems))
            << c.text;
        EXPECT_EQ(read, c.expected) << c.text;
    }
}

}  // namespace
