#include <gtest/gtest.h>

#include <string>

#include "SimConfig.h"
#include "SimStatus.h"
#include "VirtualMachine.h"

using namespace motrix_sim;

namespace {

SimConfig configFrom(const std::string& text) {
    SimConfig config;
    EXPECT_TRUE(applySimConfigText(config, text).empty()) << text;
    return config;
}

// A machine on a hand-driven clock, so real-time motion is exact and takes no time.
class VirtualMachineTest : public ::testing::Test {
protected:
    VirtualMachine powerUp(const std::string& configText) {
        return VirtualMachine(configFrom(configText), [this] { return seconds; });
    }
    VirtualMachine connected(const std::string& configText) {
        VirtualMachine machine = powerUp(configText);
        EXPECT_EQ(machine.reset(), kStatusAccepted);
        return machine;
    }
    static std::uint8_t poll(VirtualMachine& machine) {
        Steps ignored{};
        return machine.getPosition(ignored);
    }

    double seconds = 100;
};

TEST_F(VirtualMachineTest, SetUpAnswersFollowTheFaults) {
    struct Case {
        const char* config;
        std::uint8_t reset, maxSpeed, acceleration;
    };
    const Case cases[] = {
        {"", kStatusAccepted, kStatusAccepted, kStatusAccepted},
        {"fault_reset_unanswered=1", kStatusNotFound, kStatusNotConnected, kStatusNotConnected},
        {"fault_max_speed_refused=1", kStatusAccepted, kStatusRefused, kStatusAccepted},
        {"fault_acceleration_refused=1", kStatusAccepted, kStatusAccepted, kStatusRefused},
    };
    for (const Case& c : cases) {
        VirtualMachine machine = powerUp(c.config);
        EXPECT_EQ(machine.reset(), c.reset) << c.config;
        EXPECT_EQ(machine.setMaxStepsPerSecond(), c.maxSpeed) << c.config;
        EXPECT_EQ(machine.setAcceleration(), c.acceleration) << c.config;
    }
}

TEST_F(VirtualMachineTest, AnswersOnlyWhileConnected) {
    VirtualMachine machine = powerUp("mode=instant\nfirmware_version=4.5");
    const auto expectDisconnected = [&] {
        Steps counters{7, 7, 7, 7};
        EXPECT_EQ(machine.getPosition(counters), kStatusNotConnected);
        EXPECT_EQ(counters, (Steps{7, 7, 7, 7}));
        EXPECT_EQ(machine.move({10, 0, 0, 0}, kAllAxes, 100), kStatusNotConnected);
        EXPECT_EQ(machine.setOutput(16, true), kStatusNotConnected);
        EXPECT_EQ(machine.acceptSetUp(), kStatusNotConnected);
        EXPECT_EQ(machine.inputs(), 0);
        EXPECT_EQ(machine.firmwareVersion(), 0.0);
    };
    expectDisconnected();
    ASSERT_EQ(machine.reset(), kStatusAccepted);
    EXPECT_EQ(machine.firmwareVersion(), 4.5);
    EXPECT_EQ(machine.acceptSetUp(), kStatusAccepted);
    machine.close();
    expectDisconnected();
    EXPECT_EQ(machine.reset(), kStatusAccepted);
    EXPECT_EQ(machine.move({10, 0, 0, 0}, kAllAxes, 100), kStatusAccepted);
}

TEST_F(VirtualMachineTest, InstantMotionCompletesAtTheNextPoll) {
    VirtualMachine machine = connected("mode=instant");
    ASSERT_EQ(machine.move({100, -50, 20, 400}, kAllAxes, 1000), kStatusAccepted);
    seconds += 1000;
    EXPECT_EQ(machine.counters(), (Steps{0, 0, 0, 0})) << "only a poll completes the motion";

    Steps counters{};
    EXPECT_EQ(machine.getPosition(counters), kStatusMotionComplete);
    EXPECT_EQ(counters, (Steps{100, -50, 20, 400}));
    EXPECT_EQ(machine.getPosition(counters), kStatusMotionComplete);
}

TEST_F(VirtualMachineTest, RealTimeMotionTakesTheLongestTravelOverTheSpeed) {
    VirtualMachine machine = connected("mode=realtime");
    ASSERT_EQ(machine.move({1000, -500, 0, 0}, kAllAxes, 2000), kStatusAccepted);
    Steps counters{};

    seconds += 0.25;
    EXPECT_EQ(machine.getPosition(counters), kStatusMoving);
    EXPECT_EQ(counters, (Steps{500, -250, 0, 0}));
    seconds += 0.24;
    EXPECT_EQ(machine.getPosition(counters), kStatusMoving);
    seconds += 0.01;
    EXPECT_EQ(machine.getPosition(counters), kStatusMotionComplete);
    EXPECT_EQ(counters, (Steps{1000, -500, 0, 0}));
}

TEST_F(VirtualMachineTest, MotionCommandsWhileMovingAreToBeSentAgain) {
    for (const char* mode : {"mode=instant", "mode=realtime"}) {
        VirtualMachine machine = connected(mode);
        ASSERT_EQ(machine.move({100, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
        EXPECT_EQ(machine.move({0, 100, 0, 0}, kAllAxes, 1000), kStatusSendAgain) << mode;
        EXPECT_EQ(machine.home(kAllAxes, 1000), kStatusSendAgain) << mode;
        EXPECT_EQ(machine.setPosition({0, 0, 0, 0}, kAllAxes), kStatusSendAgain) << mode;

        seconds += 0.1;
        EXPECT_EQ(poll(machine), kStatusMotionComplete) << mode;
        EXPECT_EQ(machine.move({0, 100, 0, 0}, kAllAxes, 1000), kStatusAccepted) << mode;
    }
}

TEST_F(VirtualMachineTest, BusyAnswersCountDownBeforeMotionIsAccepted) {
    VirtualMachine machine = connected("mode=instant\nfault_busy_answers=3");
    EXPECT_EQ(machine.move({100, 0, 0, 0}, kAllAxes, 1000), kStatusSendAgain);
    EXPECT_EQ(machine.home(kAllAxes, 1000), kStatusSendAgain);
    EXPECT_EQ(machine.move({100, 0, 0, 0}, kAllAxes, 1000), kStatusSendAgain);
    EXPECT_EQ(machine.move({100, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
    EXPECT_EQ(poll(machine), kStatusMotionComplete);
    EXPECT_EQ(machine.move({0, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
}

TEST_F(VirtualMachineTest, MotionThatNeverFinishesStillMoves) {
    VirtualMachine machine = connected("mode=instant\nfault_motion_never_finishes=1");
    Steps counters{};
    EXPECT_EQ(machine.getPosition(counters), kStatusMoving);
    ASSERT_EQ(machine.move({100, 200, 0, 0}, kAllAxes, 1000), kStatusAccepted);
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_EQ(machine.getPosition(counters), kStatusMoving);
    }
    EXPECT_EQ(counters, (Steps{100, 200, 0, 0}));
}

TEST_F(VirtualMachineTest, RefusesMotionThatCannotRun) {
    struct Case {
        const char* config;
        std::int32_t speed;
        int axisMask;
    };
    const Case cases[] = {
        {"fault_refuse_motion=1", 1000, kAllAxes},
        {"", 0, kAllAxes},
        {"", -300, kAllAxes},
        {"", 1000, 0x10},
    };
    for (const Case& c : cases) {
        VirtualMachine machine = connected(std::string("mode=instant\n") + c.config);
        EXPECT_EQ(machine.move({100, 0, 0, 0}, c.axisMask, c.speed), kStatusRefused) << c.speed;
        EXPECT_EQ(machine.home(c.axisMask, c.speed), kStatusRefused) << c.speed;
        EXPECT_EQ(poll(machine), kStatusMotionComplete);
        EXPECT_EQ(machine.counters(), (Steps{0, 0, 0, 0}));
    }
}

TEST_F(VirtualMachineTest, HomingDrivesToTheSwitchesAndTheCountersFollowTheTravel) {
    VirtualMachine machine = connected(
        "mode=realtime\npower_up_x=300\npower_up_y=200\npower_up_z=50\npower_up_a=100\n"
        "home_switch_y=-100");
    EXPECT_EQ(machine.inputs(), 0);

    ASSERT_EQ(machine.home(0b1100, 100), kStatusAccepted);  // Z and A: 100 steps at most
    seconds += 1;
    EXPECT_EQ(poll(machine), kStatusMotionComplete);
    EXPECT_EQ(machine.counters(), (Steps{0, 0, -50, -100}));
    EXPECT_EQ(machine.inputs(), 0b1100);

    ASSERT_EQ(machine.home(kAllAxes, 100), kStatusAccepted);  // Y travels 300 steps
    seconds += 1.5;
    EXPECT_EQ(machine.physicalPosition(), (Steps{150, 50, 0, 0}));
    seconds += 1.5;
    EXPECT_EQ(poll(machine), kStatusMotionComplete);
    EXPECT_EQ(machine.counters(), (Steps{-300, -300, -50, -100}));
    EXPECT_EQ(machine.physicalPosition(), (Steps{0, -100, 0, 0}));
    EXPECT_EQ(machine.inputs(), 0b1111);
}

TEST_F(VirtualMachineTest, SetPositionMovesOnlyTheMaskedCounters) {
    VirtualMachine machine = connected("mode=instant\npower_up_x=300\npower_up_z=50");
    ASSERT_EQ(machine.setPosition({10, 20, 30, 40}, 0b0101), kStatusAccepted);
    EXPECT_EQ(machine.counters(), (Steps{10, 0, 30, 0}));
    EXPECT_EQ(machine.physicalPosition()[0], 300);

    ASSERT_EQ(machine.move({110, 0, 30, 0}, kAllAxes, 1000), kStatusAccepted);
    EXPECT_EQ(poll(machine), kStatusMotionComplete);
    EXPECT_EQ(machine.physicalPosition()[0], 400);
    EXPECT_EQ(machine.physicalPosition()[2], 50);
    EXPECT_EQ(machine.setPosition({0, 0, 0, 0}, 0x20), kStatusRefused);
}

TEST_F(VirtualMachineTest, PauseFreezesMotionTimeUntilContinue) {
    VirtualMachine machine = connected("mode=realtime");
    ASSERT_EQ(machine.move({1000, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
    seconds += 0.25;
    ASSERT_EQ(machine.pause(), kStatusAccepted);
    seconds += 10;
    EXPECT_EQ(poll(machine), kStatusMoving);
    EXPECT_EQ(machine.counters()[0], 250);

    ASSERT_EQ(machine.resume(), kStatusAccepted);
    seconds += 0.7;
    EXPECT_EQ(poll(machine), kStatusMoving);
    seconds += 0.05;
    EXPECT_EQ(poll(machine), kStatusMotionComplete);
    EXPECT_EQ(machine.counters()[0], 1000);
}

TEST_F(VirtualMachineTest, PausedInstantMotionWaitsForContinue) {
    VirtualMachine machine = connected("mode=instant");
    ASSERT_EQ(machine.pause(), kStatusAccepted);
    ASSERT_EQ(machine.move({1000, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
    EXPECT_EQ(poll(machine), kStatusMoving);
    EXPECT_EQ(machine.counters()[0], 0);
    ASSERT_EQ(machine.resume(), kStatusAccepted);
    EXPECT_EQ(poll(machine), kStatusMotionComplete);
    EXPECT_EQ(machine.counters()[0], 1000);
}

TEST_F(VirtualMachineTest, EndCurrentMoveStopsOnTheStepReached) {
    VirtualMachine machine = connected("mode=realtime\npower_up_x=300");
    ASSERT_EQ(machine.move({1000, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
    seconds += 0.4004;
    ASSERT_EQ(machine.endCurrentMove(), kStatusAccepted);
    seconds += 1;

    Steps counters{};
    EXPECT_EQ(machine.getPosition(counters), kStatusMotionComplete);
    EXPECT_EQ(counters[0], 400);
    EXPECT_EQ(machine.physicalPosition()[0], 700);
    EXPECT_EQ(machine.move({0, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
}

TEST_F(VirtualMachineTest, EmergencyStopRefusesMotionAndOutputsOnUntilReset) {
    VirtualMachine machine = connected("mode=realtime");
    ASSERT_EQ(machine.setOutput(16, true), kStatusAccepted);
    ASSERT_EQ(machine.setOutput(8, true), kStatusAccepted);
    ASSERT_EQ(machine.move({1000, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
    seconds += 0.5;
    ASSERT_EQ(machine.emergencyStop(), kStatusAccepted);
    seconds += 1;
    EXPECT_EQ(poll(machine), kStatusMotionComplete);
    EXPECT_EQ(machine.counters()[0], 500);

    EXPECT_EQ(machine.move({0, 0, 0, 0}, kAllAxes, 1000), kStatusRefusedUnderStop);
    EXPECT_EQ(machine.home(kAllAxes, 1000), kStatusRefusedUnderStop);
    EXPECT_EQ(machine.setPosition({0, 0, 0, 0}, kAllAxes), kStatusAccepted);

    // Off passes, on is refused, by mask or all at once.
    EXPECT_EQ(machine.setOutput(32, true), kStatusRefusedUnderStop);
    EXPECT_EQ(machine.setOutputsImmediate(16 | 8 | 4), kStatusRefusedUnderStop);
    EXPECT_EQ(machine.outputs(), 16 | 8);
    EXPECT_EQ(machine.setOutput(16, false), kStatusAccepted);
    EXPECT_EQ(machine.outputs(), 8);
    EXPECT_EQ(machine.setOutputsImmediate(0), kStatusAccepted);
    EXPECT_EQ(machine.outputs(), 0);

    ASSERT_EQ(machine.reset(), kStatusAccepted);
    EXPECT_EQ(machine.move({0, 0, 0, 0}, kAllAxes, 1000), kStatusAccepted);
    EXPECT_EQ(machine.setOutput(32, true), kStatusAccepted);
}

TEST_F(VirtualMachineTest, OutputsSwitchByMask) {
    VirtualMachine machine = connected("");
    for (int mask : {4, 8, 16, 32, 64}) {
        ASSERT_EQ(machine.setOutput(mask, true), kStatusAccepted) << mask;
        EXPECT_EQ(machine.outputs(), mask);
        ASSERT_EQ(machine.setOutput(mask, false), kStatusAccepted) << mask;
        EXPECT_EQ(machine.outputs(), 0);
    }
    ASSERT_EQ(machine.setOutput(4, true), kStatusAccepted);
    ASSERT_EQ(machine.setOutput(64, true), kStatusAccepted);
    EXPECT_EQ(machine.outputs(), 68);
    for (int mask : {0, 1, 2, 128, 4 | 1}) {
        EXPECT_EQ(machine.setOutput(mask, false), kStatusRefused) << mask;
        EXPECT_EQ(machine.setOutputsImmediate(mask | 0x80), kStatusRefused) << mask;
    }
    EXPECT_EQ(machine.outputs(), 68);

    ASSERT_EQ(machine.setOutputsImmediate(0x7C), kStatusAccepted);
    EXPECT_EQ(machine.outputs(), 0x7C);
    ASSERT_EQ(machine.reset(), kStatusAccepted);
    EXPECT_EQ(machine.outputs(), 0);
}

}  // namespace
