// The controller layer: the dispatcher's status rules, refusal under the emergency stop,
// initialisation, the bounded waits and sends, homing and shutdown.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/FakeMotrixLibrary.h"
#include "support/MachineFixture.h"

namespace {

// The dispatcher on a fake library that answers one fixed status.
class DispatcherTest : public ::testing::Test {
protected:
    void answer(int status) {
        cnc.attach(FakeMotrixLibrary::Make(status));
        cnc.ControllerFound = true;
        cnc.ControllerReady = true;
    }
    std::uint8_t send(int code) {
        ControllerCommand command;
        command.Code = code;
        return cnc.ExecuteControllerCommand(command);
    }
    const std::vector<std::string>& calls() const { return FakeMotrixLibrary::calls; }

    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
    MotrixCNC& cnc = context.cnc;
};

TEST_F(DispatcherTest, StatusBytesMapToResultsAndMotionComplete) {
    struct Case {
        int status;
        std::uint8_t result;
        bool motionComplete;
    };
    const Case cases[] = {{0, 1, false},   {100, 1, false}, {211, 1, false}, {212, 0, false},
                          {213, 1, true},  {214, 1, false}, {232, 1, false}, {233, 0, false},
                          {234, 0, false}, {235, 1, false}, {236, 1, true},  {237, 2, false},
                          {238, 0, false}, {246, 0, false}, {247, 0, true},  {248, 0, false},
                          {255, 0, false}};
    for (const Case& c : cases) {
        for (int code : {5, 13}) {
            answer(c.status);
            cnc.MotionComplete = false;
            EXPECT_EQ(send(code), c.result) << "status " << c.status << " code " << code;
            EXPECT_EQ(cnc.MotionComplete, c.motionComplete)
                << "status " << c.status << " code " << code;
        }
    }
}

TEST_F(DispatcherTest, CodesWithoutACallAreAcceptedWithoutReachingTheLibrary) {
    answer(250);
    for (int code : {0, 2, 23, 25, 99, -1}) {
        EXPECT_EQ(send(code), ResultAccepted) << "code " << code;
    }
    EXPECT_TRUE(calls().empty());
    // The firmware query has status 0; reading the inputs counts as accepted.
    EXPECT_EQ(send(3), ResultAccepted);
    EXPECT_EQ(send(21), ResultAccepted);
    EXPECT_EQ(calls(), (std::vector<std::string>{"MotrixGetFirmwareVersion", "MotrixReadInputs"}));
    EXPECT_EQ(cnc.InputBits, 250);
}

TEST_F(DispatcherTest, LatchedStopRefusesMotionAndOutputOnButPassesOutputOffAndTheRest) {
    answer(235);
    cnc.EmergencyStop = true;
    for (int code : {7, 12, 13, 14, 15, 16, 17, 20, 24}) {
        EXPECT_EQ(send(code), ResultRefused) << "code " << code;
    }
    ControllerCommand output;
    output.Code = 11;
    output.OutputMask = kOutputMasks[OutputVacuum];
    output.OutputOn = 1;
    EXPECT_EQ(cnc.ExecuteControllerCommand(output), ResultRefused);
    EXPECT_TRUE(calls().empty());
    output.OutputOn = 0;
    EXPECT_EQ(cnc.ExecuteControllerCommand(output), ResultAccepted);
    for (int code : {5, 8, 9, 10, 18, 19}) {
        send(code);
    }
    EXPECT_EQ(calls(),
              (std::vector<std::string>{"MotrixSetOutput", "MotrixGetPosition",
                                        "MotrixEndCurrentMove", "MotrixEmStop", "MotrixSetPosition",
                                        "MotrixSetFeedOverride", "MotrixSetMaxSPS"}));
}

// A controller whose own stop holds (241: its stop button, LinuxCNC's stop) stops the program
// as its emergency-stop button does; no other refusal does.
TEST_F(DispatcherTest, TheControllersOwnStopLatchesTheProgramsStop) {
    for (int status : {240, 242, 243, 255}) {
        answer(status);
        EXPECT_EQ(send(13), ResultRefused) << "status " << status;
        EXPECT_FALSE(cnc.EmergencyStop) << "status " << status;
    }
    answer(241);
    EXPECT_EQ(send(5), ResultRefused);
    EXPECT_TRUE(cnc.EmergencyStop);
}

TEST_F(DispatcherTest, NothingReachesTheLibraryWhileTheControllerIsNotFound) {
    answer(235);
    cnc.ControllerFound = false;
    for (int code = 0; code <= 25; ++code) {
        EXPECT_EQ(send(code), ResultRefused) << "code " << code;
    }
    EXPECT_TRUE(calls().empty());
}

TEST_F(DispatcherTest, PauseAndContinueFollowTheirAcceptance) {
    answer(235);
    send(6);
    EXPECT_TRUE(cnc.ControllerPaused);
    answer(240);
    send(7);
    EXPECT_TRUE(cnc.ControllerPaused);
    answer(235);
    send(7);
    EXPECT_FALSE(cnc.ControllerPaused);
}

// A controller whose motions take their time on the test's virtual clock: a linear move lasts
// its longest axis travel from the controller's own counters over its speed.
namespace SlowController {

VirtualClock* clock = nullptr;
std::array<std::int32_t, 4> counters{};
double finishesAt = 0;

MotrixStatus getPosition(std::int32_t* x, std::int32_t* y, std::int32_t* z, std::int32_t* a) {
    *x = counters[0];
    *y = counters[1];
    *z = counters[2];
    *a = counters[3];
    return clock->now() >= finishesAt ? StatusMotionComplete : 200;
}

MotrixStatus linearMove(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                        std::int32_t speed, std::int32_t, std::int32_t*, std::int32_t*,
                        std::int32_t*, std::int32_t*) {
    const std::array<std::int32_t, 4> target = {x, y, z, a};
    double travel = 0;
    for (std::size_t axis = 0; axis < target.size(); ++axis) {
        travel = std::max(travel, std::abs(double(target[axis]) - counters[axis]));
    }
    counters = target;
    finishesAt = clock->now() + travel / speed;
    return StatusAccepted;
}

}  // namespace SlowController

TEST_F(DispatcherTest, TheMotionBoundCoversTheTravelFromWhereTheControllerStands) {
    auto api = FakeMotrixLibrary::Make(StatusAccepted);
    api->MotrixGetPosition = SlowController::getPosition;
    api->MotrixLinearMove = SlowController::linearMove;
    SlowController::clock = &clock;
    SlowController::counters = {};
    SlowController::finishesAt = 0;
    cnc.attach(api);
    cnc.ControllerFound = true;
    cnc.ControllerReady = true;
    // Homing zeroed the controller while the commanded position still says X 100 mm: the move
    // back to X 100 really travels 7874 steps, 15.7 s at 500 steps/s.
    cnc.CommandedX = 100;
    EXPECT_TRUE(cnc.MoveMachine(100, 0, 0, 0, 500));
    EXPECT_GT(clock.now(), 15.7);
    EXPECT_TRUE(cnc.ControllerReady);
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
}

using ControllerTest = MachineFixture;

TEST_F(ControllerTest, InitialisationReportsWhatTheControllerRefused) {
    struct Case {
        const char* fault;
        bool found;
        bool ready;
    };
    const Case cases[] = {{"", true, true},
                          {"fault_reset_unanswered=1", false, false},
                          {"fault_max_speed_refused=1", true, false},
                          {"fault_acceleration_refused=1", true, false}};
    for (const Case& c : cases) {
        sim.configure(std::string("mode=instant\n") + c.fault);
        EXPECT_EQ(cnc.InitialiseController(), c.ready) << c.fault;
        EXPECT_EQ(cnc.ControllerFound, c.found) << c.fault;
        EXPECT_EQ(cnc.ControllerReady, c.ready) << c.fault;
    }
}

TEST_F(ControllerTest, InitialisationClearsTheOutputsAndSwitchesTheAlignmentOff) {
    cnc.OutputState.fill(true);
    sim.clearLog();
    ASSERT_TRUE(cnc.InitialiseController());
    EXPECT_EQ(cnc.OutputState, (std::array<bool, 5>{}));
    const auto names = sim.commands();
    ASSERT_GE(names.size(), 5u);
    EXPECT_EQ(names[0].name, "MotrixClose");
    EXPECT_EQ(names[1], (SimCommand{"MotrixReset", {1, 27, 1}}));
    EXPECT_EQ(names[2], (SimCommand{"MotrixSetMaxSPS", {65000, 4, 0, 0, 0}}));
    EXPECT_EQ(names[3], (SimCommand{"MotrixSetAccelleration", {3000000, 65000, 750, 64}}));
    EXPECT_EQ(outputCommands().front().args[0], 4);
    EXPECT_EQ(outputCommands().front().args[1], 0);
}

TEST_F(ControllerTest, AMotionThatNeverFinishesEndsTheWaitWithOneMessage) {
    configure("mode=instant\nfault_motion_never_finishes=1");
    const double start = clock.now();
    EXPECT_FALSE(cnc.MoveMachine(10, 10, 0, 0, 65000));
    EXPECT_LT(clock.now() - start, 60.0);
    EXPECT_FALSE(cnc.ControllerReady);
    EXPECT_EQ(port.callsStartingWith("error: "), QStringList{"CNC CONTROLLER NOT RESPONDING!"});
    EXPECT_FALSE(cnc.MoveMachine(20, 20, 0, 0, 65000));  // nothing more until RESET
    EXPECT_EQ(port.callsStartingWith("error: ").size(), 1);
}

TEST_F(ControllerTest, BusyAnswersAreSentAgainAndPersistentRefusalGivesUp) {
    configure("mode=instant\nfault_busy_answers=3");
    EXPECT_TRUE(cnc.MoveMachine(10, 0, 0, 0, 65000));
    EXPECT_EQ(moves().size(), 4u);

    configure("mode=instant\nfault_refuse_motion=1");
    EXPECT_FALSE(cnc.MoveMachine(10, 0, 0, 0, 65000));
    EXPECT_LE(moves().size(), 3u);
    EXPECT_EQ(port.callsStartingWith("error: "), QStringList{"CNC CONTROLLER NOT RESPONDING!"});
}

TEST_F(ControllerTest, EndlessBusyAnswersGiveUpWithinTheSendBound) {
    configure("mode=instant\nfault_busy_answers=1000000");
    const double start = clock.now();
    EXPECT_FALSE(cnc.MoveMachine(10, 0, 0, 0, 65000));
    EXPECT_LT(clock.now() - start, 10.0);
    EXPECT_FALSE(cnc.ControllerReady);
}

// A controller that stops moving may still switch: whatever is on goes off before the one
// message. One that stops answering altogether cannot be told: the message says what to check,
// and RESET switches the outputs off once it answers again.
TEST_F(ControllerTest, NotRespondingSwitchesTheOutputsOffWhereTheControllerStillCan) {
    const QString notAnswering =
        "CNC CONTROLLER NOT RESPONDING!\rCHECK ITS POWER AND ITS CABLE, THEN PRESS RESET: ITS "
        "OUTPUTS MAY STILL BE ON.";
    struct Case {
        const char* fault;
        int outputsAfter;
        QString message;
    };
    const Case cases[] = {
        {"fault_motion_never_finishes=1", 0, "CNC CONTROLLER NOT RESPONDING!"},
        {"fault_busy_answers=100000000", 0, "CNC CONTROLLER NOT RESPONDING!"},
        {"fault_refuse_motion=1", 0, "CNC CONTROLLER NOT RESPONDING!"},
        {"fault_unanswered=1", 16 | 8 | 64, notAnswering},
    };
    for (const Case& c : cases) {
        configure("mode=instant");
        cnc.SetVacuumOutput(true);
        cnc.SetFeederOutput(true);
        cnc.SetDispenserOutput(true);
        port.calls.clear();
        sim.injectFaults(c.fault);
        EXPECT_FALSE(cnc.MoveMachine(10, 0, 0, 0, 65000)) << c.fault;
        EXPECT_EQ(sim.outputs(), c.outputsAfter) << c.fault;
        EXPECT_EQ(port.callsStartingWith("error: "), QStringList{c.message}) << c.fault;
        EXPECT_FALSE(cnc.MoveMachine(20, 0, 0, 0, 65000));
        EXPECT_EQ(port.callsStartingWith("error: ").size(), 1) << c.fault;

        sim.injectFaults("");
        sim.clearLog();
        EXPECT_TRUE(cnc.InitialiseController());
        EXPECT_EQ(sim.outputs(), 0);
        EXPECT_EQ(outputCommands().size(), 5u) << "every output is switched off";
    }
}

TEST_F(ControllerTest, UnderALatchedStopOutputsGoOffButNeverOn) {
    cnc.SetVacuumOutput(true);
    cnc.SetFeederOutput(true);
    ASSERT_TRUE(sim.outputOn(16 | 8));
    cnc.EmergencyStop = true;
    sim.clearLog();

    cnc.SetVacuumOutput(false);
    EXPECT_FALSE(cnc.OutputState[OutputVacuum]);
    EXPECT_FALSE(sim.outputOn(16));
    ASSERT_EQ(outputCommands().size(), 1u);
    EXPECT_EQ(outputCommands()[0].args[0], 16);
    EXPECT_EQ(outputCommands()[0].args[1], 0);

    sim.clearLog();
    cnc.SetBlowOutput(true);
    EXPECT_FALSE(cnc.OutputState[OutputBlow]);
    EXPECT_TRUE(outputCommands().empty());  // refused before the library
    EXPECT_FALSE(sim.outputOn(32));
    EXPECT_TRUE(sim.outputOn(8));
    EXPECT_TRUE(cnc.ControllerReady);  // a refusal under stop is no controller fault
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
}

// The simulator's own stop (MotrixEmStop) refuses the next move with 241: the move fails at
// once, as under the program's stop, with no controller fault to report.
TEST_F(ControllerTest, TheControllersStopEndsAMoveAsTheProgramsStop) {
    ControllerCommand stop;
    stop.Code = 9;
    ASSERT_EQ(cnc.ExecuteControllerCommand(stop), ResultAccepted);
    EXPECT_FALSE(cnc.MoveMachine(10, 0, 0, 0, 65000));
    EXPECT_TRUE(cnc.EmergencyStop);
    EXPECT_TRUE(cnc.ControllerReady);
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
    EXPECT_EQ(moves().size(), 1u);  // refused once, not sent again
}

// The controller's own stop during a sequence ends that sequence, as the program's stop does:
// its failure path (a move home, say) sends nothing and the read-out keeps the stopped move.
TEST_F(ControllerTest, TheControllersStopEndsTheRunningSequence) {
    ASSERT_TRUE(context.sequences.enter(port.messageDepth()));
    ControllerCommand stop;
    stop.Code = 9;
    ASSERT_EQ(cnc.ExecuteControllerCommand(stop), ResultAccepted);
    EXPECT_FALSE(cnc.MoveMachine(10, 0, 0, 0, 65000));
    EXPECT_TRUE(context.sequences.currentEnded());
    sim.clearLog();
    EXPECT_FALSE(cnc.MoveMachine(0, 0, 0, 0, 65000));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(cnc.CommandedX, 10);
    context.sequences.leave();
}

TEST_F(ControllerTest, WaitUnderAStopEndsTheMoveAndFails) {
    cnc.EmergencyStop = true;
    EXPECT_FALSE(cnc.WaitForMotionComplete());
    EXPECT_EQ(sim.commands(), (std::vector<SimCommand>{{"MotrixEndCurrentMove", {}}}));
}

TEST_F(ControllerTest, HomingSequenceSendsTheFastAndSlowApproachAndZeroesTheCounters) {
    context.settings.home1X = 33;
    context.settings.home1Y = 44;
    cnc.RunHomingSequence();
    std::vector<SimCommand> sent;
    for (const SimCommand& command : sim.commands()) {
        if (command.name != "MotrixGetPosition") {
            sent.push_back(command);
        }
    }
    const std::vector<SimCommand> expected = {
        {"MotrixHome", {12, 0, 300}},
        {"MotrixHome", {15, 0, 5000}},
        {"MotrixSetPosition", {0, 0, 0, 0, 15}},
        {"MotrixRapidMove", {400, 400, 250, 0, 300, 0}},
        {"MotrixRapidMove", {400, 400, 250, 400, 300, 0}},
        {"MotrixHome", {15, 0, 300}},
        {"MotrixSetPosition", {0, 0, 0, 0, 15}},
    };
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(sim.counters(), (std::array<std::int32_t, 4>{}));
    EXPECT_EQ(cnc.HomeOffsetX, 33);
    EXPECT_EQ(cnc.HomeOffsetY, 44);
}

TEST_F(ControllerTest, AHomingSequenceThatStopsEarlyReportsFailure) {
    EXPECT_TRUE(cnc.RunHomingSequence());
    configure("mode=instant\nfault_refuse_motion=1");
    EXPECT_FALSE(cnc.RunHomingSequence());
    configure("mode=instant");
    cnc.EmergencyStop = true;
    EXPECT_FALSE(cnc.RunHomingSequence());
    EXPECT_TRUE(sim.commandsNamed("MotrixHome").empty());
}

TEST_F(ControllerTest, ShutdownEndsTheMoveAndClosesTheLibrary) {
    cnc.Shutdown();
    EXPECT_EQ(sim.commands(),
              (std::vector<SimCommand>{{"MotrixEndCurrentMove", {}}, {"MotrixClose", {}}}));
    sim.clearLog();
    cnc.ControllerReady = false;
    cnc.Shutdown();
    EXPECT_EQ(sim.commands(), (std::vector<SimCommand>{{"MotrixClose", {}}}));
}

}  // namespace

namespace {

TEST(MotrixApiTest, BindingNamesAMissingLibraryOrFunction) {
    QString error;
    EXPECT_EQ(MotrixApi::Bind("/nonexistent/MotrixAPI", &error), nullptr);
    EXPECT_TRUE(error.contains("\"MotrixAPI\" could not be loaded")) << error.toStdString();

    // A real library without the controller's functions.
    EXPECT_EQ(MotrixApi::Bind("libm.so.6", &error), nullptr);
    EXPECT_TRUE(error.contains("lacks the functions MotrixSetArcDirection,"))
        << error.toStdString();
    EXPECT_TRUE(error.contains("MotrixSetAccelleration")) << error.toStdString();

    EXPECT_NE(MotrixApi::Bind(CORVANE_SIM_LIBRARY, &error), nullptr);
}

}  // namespace
