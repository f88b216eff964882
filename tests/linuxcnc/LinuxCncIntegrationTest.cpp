// The program on a real LinuxCNC, started from the repository's configuration by
// `make linuxcnc-sim` (CTest label "linuxcnc", run by `make linuxcnc-test`): homing, jog, a
// Z-safe move, each output, the program's stop and LinuxCNC's, a demo board, the command round
// trips, and last a connection lost when LinuxCNC stops mid-move. Skipped when no LinuxCNC
// answers, unless CORVANE_LINUXCNC_EXPECTED is set (then that is a failure).

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "HeadlessRun.h"
#include "RemoteShell.h"
#include "context/ProgramContext.h"
#include "motion/ControllerChoice.h"
#include "motion/Homing.h"
#include "support/ScriptedOperatorPort.h"

namespace {

using linuxcnc::RemoteShell;
using Seconds = RemoteShell::Seconds;

constexpr int kPort = 5007;
constexpr double kStep = 1 / 78.74015748;  // mm, the default scaling
const char* const kScript = CORVANE_SOURCE_DIR "/linuxcnc/linuxcnc-sim.sh";

// The script that `make linuxcnc-sim` and `make linuxcnc-sim-stop` run.
bool runScript(const char* action) {
    QProcess script;
    script.setProcessChannelMode(QProcess::ForwardedChannels);
    script.start(kScript, {action, CORVANE_LINUXCNC_RUN_DIR});
    return script.waitForFinished(180000) && script.exitCode() == 0;
}

// A signal of LinuxCNC's HAL ("output:vacuum"), or a change of one.
QString halSignal(const QString& name) {
    QProcess hal;
    hal.start("halcmd", {"gets", name});
    hal.waitForFinished(10000);
    return QString::fromLatin1(hal.readAllStandardOutput()).trimmed();
}

void setHalSignal(const QString& name, const QString& value) {
    QProcess hal;
    hal.start("halcmd", {"sets", name, value});
    ASSERT_TRUE(hal.waitForFinished(10000) && hal.exitCode() == 0) << qPrintable(name);
}

// LinuxCNC's machine position as its own shell tells it, through a session of the test's own
// that only watches.
std::array<double, 4> linuxCncPosition() {
    RemoteShell shell;
    if (!shell.connect("127.0.0.1", kPort, Seconds(5), RemoteShell::Role::Watch)) {
        ADD_FAILURE() << "LinuxCNC does not answer";
        return {};
    }
    const std::vector<std::string> values =
        linuxcnc::replyValues(shell.ask("get abs_act_pos", Seconds(5)));
    std::array<double, 4> position{};
    for (std::size_t axis = 0; axis < position.size() && axis < values.size(); ++axis) {
        position[axis] = std::stod(values[axis]);
    }
    return position;
}

bool linuxCncAnswers() {
    RemoteShell shell;
    return shell.connect("127.0.0.1", kPort, Seconds(5), RemoteShell::Role::Watch);
}

// Median and largest of `samples`, milliseconds.
void tellRoundTrips(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    std::cout << "round trip of " << what << ": median " << median << " ms, worst "
              << samples.back() << " ms over " << samples.size() << " commands\n";
    ::testing::Test::RecordProperty(std::string(what) + "_median_ms", std::to_string(median));
    ::testing::Test::RecordProperty(std::string(what) + "_worst_ms",
                                    std::to_string(samples.back()));
}

class LinuxCncIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!linuxCncAnswers()) {
            if (std::getenv("CORVANE_LINUXCNC_EXPECTED")) {
                FAIL() << "No LinuxCNC answers on port " << kPort << ": make linuxcnc-sim";
            }
            GTEST_SKIP() << "No LinuxCNC answers on port " << kPort << " (make linuxcnc-sim)";
        }
        QString error;
        auto api = MotrixApi::Bind(CORVANE_LINUXCNC_LIBRARY, &error);
        ASSERT_TRUE(api) << qPrintable(error);
        cnc.attach(std::move(api));
        context.settings.controller = kControllerLinuxCnc;
        context.settings.visualHome = false;
        ASSERT_TRUE(cnc.InitialiseController());
        ASSERT_TRUE(Home(context));
    }

    // A move sent without waiting for it, as the program's wait then polls it.
    void startMove(double x, double y, double z, int speed) {
        const auto steps = cnc.toSteps(x, y, z, 0);
        ControllerCommand move;
        move.Code = 13;
        move.X = steps[0];
        move.Y = steps[1];
        move.Z = steps[2];
        move.Speed = speed;
        ASSERT_EQ(cnc.ExecuteControllerCommand(move), ResultAccepted);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    // RESET, as the main window's button does it.
    bool reset() {
        cnc.EmergencyStop = false;
        return cnc.InitialiseController() && Home(context);
    }

    RealClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
    MotrixCNC& cnc = context.cnc;
};

TEST_F(LinuxCncIntegrationTest, HomesJogsAndMakesAZSafeMove) {
    // Homed, then parked at the home-relative park position (0, 0) over Home 1 at (20, 20).
    std::array<double, 4> at = linuxCncPosition();
    EXPECT_NEAR(at[0], 20, kStep);
    EXPECT_NEAR(at[1], 20, kStep);

    cnc.JogDelta = {1, -2, 0, 45};
    ASSERT_TRUE(cnc.JogMove());
    at = linuxCncPosition();
    EXPECT_NEAR(at[0], 21, kStep);
    EXPECT_NEAR(at[1], 18, kStep);
    EXPECT_NEAR(at[3], 45, 0.05);

    // Lowered to Z 10, then a Z-safe move: up, across, down.
    ASSERT_TRUE(cnc.MoveHomeFrame(10, 10, 10, 0, 20000));
    ASSERT_TRUE(cnc.MoveHomeFrameZSafe(100, 80, 5, 90, 20000));
    at = linuxCncPosition();
    EXPECT_NEAR(at[0], 120, kStep);
    EXPECT_NEAR(at[1], 100, kStep);
    EXPECT_NEAR(at[2], 5, kStep);
    EXPECT_NEAR(at[3], 90, 0.05);
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
}

TEST_F(LinuxCncIntegrationTest, EachOutputSwitchesItsSignalOnAndOff) {
    const std::pair<void (MotrixCNC::*)(bool), const char*> outputs[] = {
        {&MotrixCNC::SetYAlignOutput, "output:y-align"},
        {&MotrixCNC::SetFeederOutput, "output:feeder"},
        {&MotrixCNC::SetVacuumOutput, "output:vacuum"},
        {&MotrixCNC::SetBlowOutput, "output:blow"},
        {&MotrixCNC::SetDispenserOutput, "output:dispenser"}};
    for (const auto& [output, signal] : outputs) {
        (cnc.*output)(true);
        EXPECT_EQ(halSignal(signal), "TRUE") << signal;
        (cnc.*output)(false);
        EXPECT_EQ(halSignal(signal), "FALSE") << signal;
    }
}

TEST_F(LinuxCncIntegrationTest, TheProgramsStopEndsTheMoveAndResetRecovers) {
    cnc.SetVacuumOutput(true);
    startMove(300, 200, 0, 4000);
    cnc.EmergencyStop = true;  // the stop button, pressed while the head travels
    EXPECT_FALSE(cnc.WaitForMotionComplete());
    cnc.SetVacuumOutput(false);  // the button refresh under the stop
    const std::array<double, 4> stoppedAt = linuxCncPosition();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(linuxCncPosition(), stoppedAt) << "the head stood still after the stop";
    EXPECT_LT(stoppedAt[0], 250);
    EXPECT_EQ(halSignal("output:vacuum"), "FALSE");

    ASSERT_TRUE(reset());
    EXPECT_TRUE(cnc.MoveHomeFrame(0, 0, 0, 0, 20000));
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
}

TEST_F(LinuxCncIntegrationTest, LinuxCncsStopInputStopsTheProgram) {
    cnc.SetVacuumOutput(true);
    startMove(300, 200, 0, 4000);
    setHalSignal("stop:released", "0");
    EXPECT_FALSE(cnc.WaitForMotionComplete());
    EXPECT_TRUE(cnc.EmergencyStop);
    EXPECT_EQ(halSignal("output:vacuum"), "FALSE");
    EXPECT_LT(linuxCncPosition()[0], 250);

    // While LinuxCNC's stop is held RESET finds it but cannot set it up.
    cnc.EmergencyStop = false;
    EXPECT_FALSE(cnc.InitialiseController());
    EXPECT_TRUE(cnc.ControllerFound);
    setHalSignal("stop:released", "1");
    ASSERT_TRUE(reset());
    // The vacuum stays off until switched on again.
    EXPECT_EQ(halSignal("output:vacuum"), "FALSE");
    cnc.SetVacuumOutput(true);
    EXPECT_EQ(halSignal("output:vacuum"), "TRUE");
    cnc.SetVacuumOutput(false);
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
}

TEST_F(LinuxCncIntegrationTest, CommandRoundTrips) {
    const auto timed = [](const std::function<void()>& command) {
        const auto start = std::chrono::steady_clock::now();
        command();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    std::vector<double> polls;
    ControllerCommand poll;
    poll.Code = 5;
    for (int i = 0; i < 500; ++i) {
        polls.push_back(timed([&] { EXPECT_EQ(cnc.ExecuteControllerCommand(poll), 1); }));
    }
    tellRoundTrips("position_poll", polls);
    std::vector<double> outputs;
    for (int i = 0; i < 20; ++i) {
        outputs.push_back(timed([&] { cnc.SetDispenserOutput(i % 2 == 0); }));
    }
    tellRoundTrips("output_switch", outputs);
    std::vector<double> moves;
    for (int i = 0; i < 20; ++i) {
        moves.push_back(timed([&] {
            const auto steps = cnc.toSteps(20 + i % 2, 20, 0, 0);
            ControllerCommand move;
            move.Code = 13;
            move.X = steps[0];
            move.Y = steps[1];
            move.Speed = 20000;
            EXPECT_EQ(cnc.ExecuteControllerCommand(move), 1);
        }));
        EXPECT_TRUE(cnc.WaitForMotionComplete());
    }
    tellRoundTrips("move_command", moves);
}

TEST_F(LinuxCncIntegrationTest, ADemoBoardIsPlacedWithinATenth) {
    QTemporaryDir nowhere;
    HeadlessRunOptions options;
    options.projectFile = CORVANE_SOURCE_DIR "/demo/Demo Panel/Demo Panel.Corvane";
    options.kind = RunKind::Board;
    options.simulatorLibrary = CORVANE_LINUXCNC_LIBRARY;
    options.linuxCnc = LinuxCncAddress{};
    options.userSettingsFile = nowhere.filePath("no store.ini");
    options.userSystemFolder = nowhere.filePath("no system folder");
    QString error;
    const std::optional<HeadlessRunReport> report = RunHeadless(options, &error);
    ASSERT_TRUE(report) << qPrintable(error);
    EXPECT_TRUE(report->finished) << qPrintable(report->reason);
    EXPECT_EQ(report->controller, "linuxcnc");
    EXPECT_EQ(report->partsPlaced(), 21);
    EXPECT_LT(report->maxErrorMm(), 0.1);
    std::cout << "demo board on LinuxCNC: " << report->partsPlaced() << " parts, largest error "
              << report->maxErrorMm() << " mm, cycle " << report->machineSeconds << " s, wall "
              << report->wallSeconds << " s\n";
}

// Last: LinuxCNC is stopped under a move, then started again for whatever runs next.
TEST_F(LinuxCncIntegrationTest, LinuxCncStoppedMidMoveIsAControllerNotResponding) {
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        runScript("stop");
    });
    const bool moved = cnc.MoveMachine(60, 20, 0, 0, 2000);
    stopper.join();
    EXPECT_FALSE(moved);
    EXPECT_FALSE(cnc.ControllerReady);
    EXPECT_EQ(port.callsStartingWith("error: ").size(), 1);
    EXPECT_TRUE(
        port.callsStartingWith("error: ").value(0).startsWith("CNC CONTROLLER NOT RESPONDING!"));
    EXPECT_FALSE(cnc.InitialiseController());
    EXPECT_FALSE(cnc.ControllerFound);

    ASSERT_TRUE(runScript("start"));
    EXPECT_TRUE(reset());
}

}  // namespace
