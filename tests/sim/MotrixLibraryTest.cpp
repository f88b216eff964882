// The simulated controller through its C entry points, as the program binds them.

#include <gtest/gtest.h>

#include <QLibrary>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "MotrixApiExports.h"
#include "MotrixSimControl.h"
#include "SimConfig.h"
#include "SimStatus.h"
#include "support/SimController.h"

using namespace motrix_sim;
using namespace std::chrono_literals;

namespace {

using Call = std::function<MotrixStatus()>;

MotrixStatus connect() {
    std::int32_t comPort = 3;
    return MotrixReset(&comPort, 27, 1);
}

MotrixStatus poll() {
    Steps counters{};
    return MotrixGetPosition(&counters[0], &counters[1], &counters[2], &counters[3]);
}

Steps polledCounters() {
    Steps counters{};
    MotrixGetPosition(&counters[0], &counters[1], &counters[2], &counters[3]);
    return counters;
}

MotrixStatus linearMove(const Steps& target, std::int32_t speed) {
    Steps out{};
    return MotrixLinearMove(target[0], target[1], target[2], target[3], speed, 0, &out[0], &out[1],
                            &out[2], &out[3]);
}

MotrixStatus rapidMove(const Steps& target, std::int32_t speed) {
    Steps out{};
    return MotrixRapidMove(target[0], target[1], target[2], target[3], speed, 0, &out[0], &out[1],
                           &out[2], &out[3]);
}

// Repeats a command while the controller asks for it again, as the program's send loops do.
MotrixStatus sendUntilAccepted(const Call& command) {
    MotrixStatus status = kStatusSendAgain;
    for (int attempt = 0; attempt < 100 && status == kStatusSendAgain; ++attempt) {
        status = command();
    }
    return status;
}

bool waitForMotion(std::chrono::duration<double> limit = 5s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        if (poll() == kStatusMotionComplete) {
            return true;
        }
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

class MotrixLibraryTest : public ::testing::Test {
protected:
    SimController sim{QString::fromUtf8(CORVANE_SIM_LIBRARY)};
};

TEST_F(MotrixLibraryTest, EveryEntryPointResolvesByNameToTheLinkedInstance) {
    QLibrary library(QString::fromUtf8(CORVANE_SIM_LIBRARY));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
#define EXPECT_RESOLVES_TO_LINKED(name, ...) \
    EXPECT_EQ(library.resolve(#name), reinterpret_cast<QFunctionPointer>(&name)) << #name;
    MOTRIX_API_FUNCTIONS(EXPECT_RESOLVES_TO_LINKED)
    MOTRIX_SIM_CONTROL_FUNCTIONS(EXPECT_RESOLVES_TO_LINKED)
#undef EXPECT_RESOLVES_TO_LINKED
}

TEST_F(MotrixLibraryTest, LogsOneLinePerCallWithItsIntegerArguments) {
    sim.configure("mode=instant");
    std::int32_t comPort = 7;
    std::int32_t arcOption = 2;
    Steps out{};
    connect();
    MotrixReset(&comPort, 27, 1);
    MotrixSetMaxSPS(4000, 4, 0, 0, 0);
    MotrixSetAccelleration(100, 4000, 200, 3);
    MotrixSetArcDirection(&arcOption);
    MotrixLinearMove(1575, 787, 0, 2000, 65000, 0, &out[0], &out[1], &out[2], &out[3]);
    MotrixGetPosition(&out[0], &out[1], &out[2], &out[3]);
    MotrixQuadrantArcMoveCCW(1, 2, 3, 4, 5, 6, 0, 1, &out[0], &out[1], &out[2], &out[3]);
    MotrixHome(15, 0, 300);
    MotrixSetOutput(16, 1, out[0], out[1], out[2], out[3]);
    MotrixDelay(250, 0, &out[0], &out[1], &out[2], &out[3]);
    MotrixReadInputs();
    MotrixGetFirmwareVersion();
    MotrixEmStop();
    MotrixClose();

    const std::vector<SimCommand> expected = {
        {"MotrixReset", {3, 27, 1}},
        {"MotrixReset", {7, 27, 1}},
        {"MotrixSetMaxSPS", {4000, 4, 0, 0, 0}},
        {"MotrixSetAccelleration", {100, 4000, 200, 3}},
        {"MotrixSetArcDirection", {2}},
        {"MotrixLinearMove", {1575, 787, 0, 2000, 65000, 0}},
        {"MotrixGetPosition", {}},
        {"MotrixQuadrantArcMoveCCW", {1, 2, 3, 4, 5, 6, 0, 1}},
        {"MotrixHome", {15, 0, 300}},
        {"MotrixSetOutput", {16, 1, 1575, 787, 0, 2000}},
        {"MotrixDelay", {250, 0}},
        {"MotrixReadInputs", {}},
        {"MotrixGetFirmwareVersion", {}},
        {"MotrixEmStop", {}},
        {"MotrixClose", {}},
    };
    EXPECT_EQ(sim.commands(), expected);
    EXPECT_NE(sim.logText().find("\nMotrixLinearMove 1575 787 0 2000 65000 0\n"),
              std::string::npos);
    EXPECT_EQ(sim.commandsNamed("MotrixHome"),
              (std::vector<SimCommand>{{"MotrixHome", {15, 0, 300}}}));

    sim.clearLog();
    EXPECT_TRUE(sim.commands().empty());
}

TEST_F(MotrixLibraryTest, ConfigureClearsTheLogWhichKeepsOnlyTheNewestLines) {
    sim.configure("log_limit=3");
    for (int speed = 1; speed <= 5; ++speed) {
        MotrixSetFeedOverride(speed);
    }
    EXPECT_EQ(sim.commands(), (std::vector<SimCommand>{{"MotrixSetFeedOverride", {3}},
                                                       {"MotrixSetFeedOverride", {4}},
                                                       {"MotrixSetFeedOverride", {5}}}));
    sim.configure("");
    EXPECT_EQ(sim.logText(), "");

    EXPECT_EQ(MotrixSimConfigure("mode=fast\nbogus=1\nmode=instant"), 2);
    EXPECT_THROW(sim.configure("fault_busy_answers=lots"), std::invalid_argument);
}

TEST_F(MotrixLibraryTest, InjectedFaultsActOnTheRunningMachineAndItsCameras) {
    sim.configure("mode=instant");
    ASSERT_EQ(connect(), kStatusAccepted);
    ASSERT_EQ(linearMove({100, 50, 0, 0}, 1000), kStatusAccepted);
    ASSERT_EQ(poll(), kStatusMotionComplete);
    ASSERT_EQ(MotrixSetOutput(16, 1, 0, 0, 0, 0), kStatusAccepted);
    int width = 0;
    int height = 0;
    ASSERT_EQ(MotrixSimCameraSize(1, &width, &height), 1);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);

    sim.injectFaults("fault_after_calls=1\nfault_unanswered=1\ncamera_up_no_frame=1");
    EXPECT_EQ(sim.counters(), (Steps{100, 50, 0, 0})) << "no power-up";
    EXPECT_EQ(sim.outputs(), 16);
    EXPECT_EQ(sim.commands().size(), 4U) << "the log stays";
    EXPECT_EQ(MotrixSimCameraFrame(1, pixels.data(), width, height), 0);
    EXPECT_EQ(MotrixSimCameraFrame(0, pixels.data(), width, height), 1);
    EXPECT_EQ(poll(), kStatusMotionComplete);
    Steps counters{7, 7, 7, 7};
    EXPECT_EQ(MotrixGetPosition(&counters[0], &counters[1], &counters[2], &counters[3]),
              kStatusNoAnswer);
    EXPECT_EQ(counters, (Steps{7, 7, 7, 7}));
    EXPECT_EQ(connect(), kStatusNotFound);

    EXPECT_THROW(sim.injectFaults("mode=realtime"), std::invalid_argument);
    EXPECT_EQ(connect(), kStatusNotFound) << "an unusable injection changes nothing";
    sim.injectFaults("");
    EXPECT_EQ(connect(), kStatusAccepted);
    EXPECT_EQ(sim.outputs(), 0);
    EXPECT_EQ(MotrixSimCameraFrame(1, pixels.data(), width, height), 1);
}

TEST_F(MotrixLibraryTest, NullConfigurationRereadsTheEnvironment) {
    qputenv("MOTRIX_SIM_FAULT_RESET_UNANSWERED", "1");
    MotrixSimConfigure(nullptr);
    qunsetenv("MOTRIX_SIM_FAULT_RESET_UNANSWERED");
    EXPECT_EQ(connect(), kStatusNotFound);

    MotrixSimConfigure(nullptr);
    EXPECT_EQ(connect(), kStatusAccepted);
}

TEST_F(MotrixLibraryTest, EachEntryPointReachesItsOperation) {
    sim.configure("mode=instant");
    Steps out{};
    std::int32_t arcOption = 0;
    struct Step {
        const char* what;
        Call call;
        MotrixStatus expected;
    };
    const Step steps[] = {
        {"reset", connect, kStatusAccepted},
        {"set-up calls", [&] { return MotrixSetArcDirection(&arcOption); }, kStatusAccepted},
        {"feed override", [] { return MotrixSetFeedOverride(100); }, kStatusAccepted},
        {"chase encoder", [] { return MotrixChaseEncoder(1, 0, 0, 0, 0, 0); }, kStatusAccepted},
        {"end chase encoder", MotrixEndChaseEncoder, kStatusAccepted},
        {"pause", MotrixPause, kStatusAccepted},
        {"move while paused",
         [] {
             return linearMove({100, 0, 0, 0}, 1000);
         },
         kStatusAccepted},
        {"poll while paused", poll, kStatusMoving},
        {"continue", MotrixContinue, kStatusAccepted},
        {"poll after continue", poll, kStatusMotionComplete},
        {"delay", [&] { return MotrixDelay(1, 0, &out[0], &out[1], &out[2], &out[3]); },
         kStatusAccepted},
        {"emergency stop", MotrixEmStop, kStatusAccepted},
        {"rapid move under stop",
         [] {
             return rapidMove({0, 0, 0, 0}, 1000);
         },
         kStatusRefusedUnderStop},
        {"home under stop", [] { return MotrixHome(15, 0, 300); }, kStatusRefusedUnderStop},
        {"index move under stop",
         [&] { return MotrixIndexMove(0, 0, 0, 0, 1000, 15, &out[0], &out[1], &out[2], &out[3]); },
         kStatusRefusedUnderStop},
        {"arc under stop",
         [&] {
             return MotrixQuadrantArcMoveCW(0, 0, 0, 0, 0, 1000, 0, 0, &out[0], &out[1], &out[2],
                                            &out[3]);
         },
         kStatusRefusedUnderStop},
        {"set position under stop", [] { return MotrixSetPosition(0, 0, 0, 0, 15); },
         kStatusAccepted},
        {"reset clears the stop", connect, kStatusAccepted},
        {"rapid move",
         [] {
             return rapidMove({500, 0, 0, 0}, 1000);
         },
         kStatusAccepted},
        {"end current move", MotrixEndCurrentMove, kStatusAccepted},
        {"poll after the end", poll, kStatusMotionComplete},
        {"all outputs on", [] { return MotrixSetOutputImediate(0x7C); }, kStatusAccepted},
        {"Y-alignment off", [] { return MotrixSetOutput(4, 0, 0, 0, 0, 0); }, kStatusAccepted},
        {"unknown output", [] { return MotrixSetOutput(2, 1, 0, 0, 0, 0); }, kStatusRefused},
        {"close", MotrixClose, kStatusAccepted},
        {"poll after close", poll, kStatusNotConnected},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.call(), step.expected) << step.what;
    }
    EXPECT_EQ(sim.outputs(), 0x78);
    EXPECT_TRUE(sim.outputOn(16));
    EXPECT_FALSE(sim.outputOn(4));
    EXPECT_EQ(sim.counters(), (Steps{0, 0, 0, 0})) << "the rapid move ended before it ran";
}

TEST_F(MotrixLibraryTest, ArcsAndIndexMovesDriveOnlyTheirAxes) {
    sim.configure("mode=instant");
    ASSERT_EQ(connect(), kStatusAccepted);
    ASSERT_EQ(linearMove({10, 20, 30, 40}, 1000), kStatusAccepted);
    ASSERT_TRUE(waitForMotion());

    Steps out{};
    ASSERT_EQ(
        MotrixQuadrantArcMoveCW(5, 100, 200, 6, 7, 1000, 0, 1, &out[0], &out[1], &out[2], &out[3]),
        kStatusAccepted);
    EXPECT_EQ(out, (Steps{10, 20, 30, 40})) << "the out integers hold the counters";
    ASSERT_TRUE(waitForMotion());
    EXPECT_EQ(polledCounters(), (Steps{100, 200, 30, 40}));

    ASSERT_EQ(MotrixIndexMove(1, 2, 3, 4, 1000, 0b1010, &out[0], &out[1], &out[2], &out[3]),
              kStatusAccepted);
    ASSERT_TRUE(waitForMotion());
    EXPECT_EQ(polledCounters(), (Steps{100, 2, 30, 4}));
}

// The program's homing sequence: fast home, back off, slow home, zero the counters.
void runHomingSequence() {
    const auto home = [](int axisMask, int speed) -> Call {
        return [=] { return MotrixHome(axisMask, 0, speed); };
    };
    const auto backOff = [](const Steps& target) -> Call {
        return [=] { return rapidMove(target, 300); };
    };
    const Call zeroCounters = [] { return MotrixSetPosition(0, 0, 0, 0, 15); };
    for (const Call& step :
         {home(12, 300), home(15, 5000), zeroCounters, backOff({400, 400, 250, 0}),
          backOff({400, 400, 250, 400}), home(15, 300), zeroCounters}) {
        ASSERT_EQ(sendUntilAccepted(step), kStatusAccepted);
        ASSERT_TRUE(waitForMotion());
    }
}

TEST_F(MotrixLibraryTest, HomingSequenceEndsWithEveryCounterZeroAtTheSwitches) {
    for (const std::string config :
         {"mode=instant", "mode=instant\nfault_busy_answers=4",
          "mode=instant\nhome_switch_x=-1500\npower_up_x=2500\nhome_switch_a=90\npower_up_z=-40"}) {
        SCOPED_TRACE(config);
        SimConfig machine;
        applySimConfigText(machine, config);
        sim.configure(config);
        ASSERT_EQ(connect(), kStatusAccepted);
        ASSERT_EQ(MotrixSetMaxSPS(5000, 4, 0, 0, 0), kStatusAccepted);
        ASSERT_EQ(MotrixSetAccelleration(100, 5000, 200, 1), kStatusAccepted);

        runHomingSequence();
        EXPECT_EQ(polledCounters(), (Steps{0, 0, 0, 0}));
        EXPECT_EQ(sim.physicalPosition(), machine.homeSwitch);
        EXPECT_EQ(MotrixReadInputs(), 0x0F);
        EXPECT_EQ(sim.commandsNamed("MotrixSetPosition").size(), 2U);
    }
}

TEST_F(MotrixLibraryTest, RealTimeMoveTakesAboutItsTime) {
    sim.configure("mode=realtime");
    ASSERT_EQ(connect(), kStatusAccepted);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(linearMove({300, -150, 0, 0}, 1000), kStatusAccepted);  // 0.3 s
    EXPECT_EQ(poll(), kStatusMoving);
    EXPECT_EQ(linearMove({0, 0, 0, 0}, 1000), kStatusSendAgain);

    ASSERT_TRUE(waitForMotion());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed.count(), 0.29);
    EXPECT_LT(elapsed.count(), 2.0);
    EXPECT_EQ(polledCounters(), (Steps{300, -150, 0, 0}));
}

}  // namespace
