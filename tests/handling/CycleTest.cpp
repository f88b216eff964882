#include <functional>
#include <optional>

#include "PlacingFixture.h"
#include "handling/Pick.h"
#include "handling/Place.h"
#include "handling/PlacementCycle.h"
#include "motion/Homing.h"
#include "project/PartOperations.h"

namespace {

class CycleTest : public PlacingFixture {
protected:
    // Board-relative X, Y of the parts put down, in order (the lowering moves).
    std::vector<std::pair<int, int>> placedXY() const {
        std::vector<std::pair<int, int>> placed;
        const int boardZ = cnc.toSteps(0, 0, 12, 0)[2];
        for (const auto& target : moveTargets()) {
            if (target[2] == boardZ) {
                placed.emplace_back(target[0], target[1]);
            }
        }
        return placed;
    }
    std::pair<int, int> partXY(int part) const {
        const PartRec& p = context.project.Parts[part - 1];
        const auto steps = boardSteps(p.X, p.Y, 0, 0);
        return {steps[0], steps[1]};
    }
    QStringList spoken() const { return port.callsStartingWith("speak: "); }
};

TEST_F(CycleTest, BoardRunPlacesEveryEnabledPartInOrderAndParks) {
    context.project.Parts[1].Enabled = false;
    StartRun(context, RunKind::Board);
    EXPECT_EQ(placedXY(), (std::vector{partXY(1), partXY(3)}));
    EXPECT_EQ(spoken(), QStringList{"Automatic Placement Cycle Finished"});
    EXPECT_FALSE(context.cycle.running());
    EXPECT_EQ(context.project.CurrentPart, 1);
    const MachineSettings& s = context.settings;
    EXPECT_EQ(moveTargets().back(), homeSteps(s.parkX, s.parkY, 0, 0));
    EXPECT_EQ(sim.outputs(), 0);
}

TEST_F(CycleTest, BoardRunOnBoardTwoOfFourEndsOnBoardThree) {
    ProjectState& project = context.project;
    project.BoardCountX = project.BoardCountY = 2;
    project.BoardSpacingX = 60;
    project.CurrentPanelBoard = 2;
    StartRun(context, RunKind::Board);
    EXPECT_EQ(project.CurrentPanelBoard, 3);
    EXPECT_EQ(project.CurrentPart, 1);
    EXPECT_EQ(placedXY().front(), std::pair(cnc.toSteps(170, 0, 0, 0)[0], partXY(1).second));
}

TEST_F(CycleTest, PanelRunPlacesEveryBoardAndWrapsToBoardOne) {
    ProjectState& project = context.project;
    project.BoardCountX = 2;
    project.BoardSpacingX = 60;
    StartRun(context, RunKind::Panel);
    EXPECT_EQ(placedXY().size(), 6u);
    EXPECT_EQ(project.CurrentPanelBoard, 1);
    EXPECT_FALSE(context.cycle.running());
}

TEST_F(CycleTest, StartQuestionPicksTheFirstPartKeepsTheCurrentOneOrStartsNothing) {
    struct Case {
        OperatorPort::Answer answer;
        int placedFirst;  // 0: nothing started
    };
    for (const Case& c : {Case{OperatorPort::Answer::Yes, 1}, Case{OperatorPort::Answer::No, 2},
                          Case{OperatorPort::Answer::Cancel, 0}}) {
        sim.clearLog();
        port.calls.clear();
        context.project.CurrentPart = 2;
        port.answers = {c.answer};
        StartRun(context, RunKind::Board);
        EXPECT_EQ(port.calls.mid(0, 2),
                  QStringList({"speak: Select Part to Start With",
                               "choice: The Current Part is NOT part 1\rSelect Part to Start With. "
                               "[PART 1/*CURRENT PART/CANCEL]"}));
        if (c.placedFirst == 0) {
            EXPECT_TRUE(moves().empty());
            EXPECT_EQ(context.project.CurrentPart, 2);
        } else {
            EXPECT_EQ(placedXY().front(), partXY(c.placedFirst));
        }
        EXPECT_FALSE(context.cycle.running());
    }
}

TEST_F(CycleTest, FailedFiducialCheckAsksAndRunsOnUncorrectedOnlyAfterYes) {
    context.project.FiducialEnable = true;  // no snap and no frame: the check fails
    for (const auto answer : {OperatorPort::Answer::Cancel, OperatorPort::Answer::Yes}) {
        sim.clearLog();
        port.calls.clear();
        port.answers = {answer};
        StartRun(context, RunKind::Board);
        EXPECT_EQ(port.calls.mid(0, 2),
                  QStringList({"speak: Fiducial Check Failure",
                               "choice: FIDUCIAL FAILURE. DO YOU WANT TO CONTINUE ANYWAY? "
                               "[YES/*CANCEL]"}));
        const bool ranOn = answer == OperatorPort::Answer::Yes;
        const std::vector<std::pair<int, int>> all{partXY(1), partXY(2), partXY(3)};
        EXPECT_EQ(placedXY(), ranOn ? all : decltype(all){});
        EXPECT_EQ(spoken().contains("Automatic Placement Cycle Finished"), ranOn);
        EXPECT_EQ(context.project.FiducialOffsetX, 0);
        EXPECT_FALSE(context.cycle.running());
    }
}

// A panel run checks each board's fiducials when it comes to the board: the second board's
// failed check asks again, and Cancel ends the run there, without the finished message.
TEST_F(CycleTest, PanelRunChecksTheFiducialsOfEachBoard) {
    ProjectState& project = context.project;
    project.BoardCountX = 2;
    project.BoardSpacingX = 60;
    project.FiducialEnable = true;  // no snap and no frame: every check fails
    for (const auto second : {OperatorPort::Answer::Cancel, OperatorPort::Answer::Yes}) {
        sim.clearLog();
        port.calls.clear();
        port.answers = {OperatorPort::Answer::Yes, second};
        StartRun(context, RunKind::Panel);
        const bool ranOn = second == OperatorPort::Answer::Yes;
        EXPECT_EQ(port.callsStartingWith("choice: FIDUCIAL FAILURE").size(), 2);
        EXPECT_EQ(placedXY().size(), ranOn ? 6u : 3u);
        EXPECT_EQ(spoken().contains("Automatic Placement Cycle Finished"), ranOn);
        EXPECT_EQ(project.CurrentPanelBoard, ranOn ? 1 : 2);
        EXPECT_FALSE(context.cycle.running());
        project.CurrentPanelBoard = 1;
    }
}

TEST_F(CycleTest, FailingPickIsRetriedDiscardedIntoItsTrayAndStopsTheRunOnThatPart) {
    context.project.Feeders[1].Use_Vision = true;  // no camera frame: fails after lifting
    context.settings.pickRetryCount = 2;
    StartRun(context, RunKind::Board);
    EXPECT_EQ(placedXY(), (std::vector{partXY(1)}));
    EXPECT_EQ(spoken().count("Failed to capture image"), 2);
    EXPECT_EQ(spoken().last(), "Retry Limit Reached Failed to Place Part");
    EXPECT_TRUE(port.calls.contains("information: Retry Limit Reached.\rFailed to Place Part"));
    int visitsToTray4 = 0;
    const auto tray4 = homeSteps(context.settings.rejectTrayX[3], 20, 0, 0);
    std::array<std::int32_t, 4> previous{};
    for (const auto& target : moveTargets()) {
        visitsToTray4 += target == tray4 && previous != tray4;
        previous = target;
    }
    EXPECT_EQ(visitsToTray4, 2);  // feeder 2 rejects into tray 4
    EXPECT_EQ(context.project.CurrentPart, 2);
    EXPECT_FALSE(context.cycle.running());
    EXPECT_FALSE(context.cycle.PartOnNozzle);
}

TEST_F(CycleTest, RetryCountZeroStillMakesOneAttempt) {
    context.project.Feeders[0].SnapName = "Gone";
    context.settings.pickRetryCount = 0;
    StartRun(context, RunKind::Board);
    EXPECT_EQ(port.callsStartingWith("information: SNAP IMAGE").size(), 1);
}

TEST_F(CycleTest, PauseFinishesThePartWaitsAndResumeOrStopEndsTheWait) {
    for (const bool resume : {true, false}) {
        context.project.CurrentPart = 1;
        sim.clearLog();
        port.calls.clear();
        int pausedRounds = 0;
        std::size_t movesWhenPaused = 0;
        double pausedAt = 0;
        double pausedFor = 0;
        bool stoodStill = true;
        port.onProcessEvents = [&] {
            CycleState& cycle = context.cycle;
            const bool waiting = cycle.PauseRequested && context.project.CurrentPart == 2;
            if (context.project.CurrentPart == 1 && cycle.running() && !cycle.PauseRequested) {
                PressPause(context);  // during part 1
            } else if (waiting && pausedRounds++ == 0) {
                movesWhenPaused = moves().size();
                pausedAt = clock.now();
            } else if (waiting && pausedRounds == 5) {
                stoodStill = moves().size() == movesWhenPaused;
                pausedFor = clock.now() - pausedAt;
                resume ? PressResume(context) : PressStop(context);
            }
        };
        StartRun(context, RunKind::Board);
        port.onProcessEvents = nullptr;
        EXPECT_EQ(pausedRounds, 5);
        EXPECT_TRUE(stoodStill);
        EXPECT_GT(pausedFor, 0.01);  // the wait sleeps between its rounds, rather than spin
        EXPECT_EQ(placedXY().size(), resume ? 3u : 1u);
        EXPECT_EQ(context.project.CurrentPart, resume ? 1 : 2);
        EXPECT_EQ(spoken(), QStringList{"Automatic Placement Cycle Finished"});
        EXPECT_FALSE(context.cycle.PauseRequested);
    }
}

TEST_F(CycleTest, EmergencyStopDuringAMoveEndsTheRunWithOutputsOffAndPartsIntact) {
    const QList<PartRec> parts = context.project.Parts;
    port.onProcessEvents = [&] {
        // Stop as the second part leaves its reel.
        if (context.project.CurrentPart == 2 && context.cycle.PartOnNozzle && !cnc.EmergencyStop) {
            PressEmergencyStop(context);
        }
    };
    std::size_t movesAtStop = 0;
    std::size_t outputCommandsAtStop = 0;
    int outputsAtStop = 0;
    port.onUpdateButtons = [&] {
        if (cnc.EmergencyStop && movesAtStop == 0) {
            movesAtStop = moves().size();
            outputCommandsAtStop = outputCommands().size();
            outputsAtStop = sim.outputs();
        }
        SwitchOffOutputsUnderStop(context);
    };
    StartRun(context, RunKind::Board);
    EXPECT_TRUE(cnc.EmergencyStop);
    EXPECT_EQ(moves().size(), movesAtStop);  // the stop refuses every later move
    EXPECT_EQ(outputsAtStop, 16 + 8);        // vacuum and the reel's actuator on
    EXPECT_EQ(sim.outputs(), 0);             // and the stop switched them off
    const std::vector<SimCommand> outputs = outputCommands();
    for (std::size_t i = outputCommandsAtStop; i < outputs.size(); ++i) {
        EXPECT_EQ(outputs[i].args[1], 0) << outputs[i];  // nothing switched on
    }
    EXPECT_FALSE(context.cycle.running());
    EXPECT_FALSE(context.cycle.PartOnNozzle);
    EXPECT_EQ(placedXY().size(), 1u);
    EXPECT_EQ(context.project.CurrentPart, 2);
    EXPECT_EQ(context.project.Parts.size(), parts.size());
    for (int i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(context.project.Parts[i].Designator, parts[i].Designator);
    }
    EXPECT_FALSE(spoken().contains("Automatic Placement Cycle Finished"));
}

TEST_F(CycleTest, AStoppedRunStillWaitingWhenResetHomesMakesNoFurtherMove) {
    context.settings.visualHome = false;
    const auto r1 = partXY(1);  // RESET homes afresh: the home offsets may change
    std::optional<int> stoppedAt;
    std::optional<std::size_t> movesAfterReset;
    port.onProcessEvents = [&] {
        // The stop as the second part's nozzle waits the pick delay down on its reel; RESET a
        // few message rounds later, while that wait still goes on.
        const bool pickDelay = context.project.CurrentPart == 2 && cnc.CommandedZ > 0 &&
                               cnc.OutputState[OutputVacuum] && !context.cycle.PartOnNozzle;
        if (!stoppedAt && pickDelay) {
            stoppedAt = port.eventRounds;
            PressEmergencyStop(context);
        } else if (stoppedAt && !movesAfterReset && port.eventRounds == *stoppedAt + 3) {
            movesAfterReset = 0;  // RESET's own rounds come back here
            EXPECT_TRUE(PressReset(context));
            movesAfterReset = moves().size();
        }
    };
    StartRun(context, RunKind::Board);
    ASSERT_TRUE(movesAfterReset.has_value());
    EXPECT_EQ(moves().size(), *movesAfterReset);  // homed and parked, then nothing
    EXPECT_EQ(placedXY(), (std::vector{r1}));
    EXPECT_EQ(context.project.CurrentPart, 2);  // C1 is not counted as placed
    EXPECT_FALSE(context.cycle.PartOnNozzle);
    EXPECT_FALSE(spoken().contains("Automatic Placement Cycle Finished"));
    EXPECT_TRUE(Usable(context));
}

TEST_F(CycleTest, TheRunPlacesThePartItPickedWhicheverPartTheListShowsMeanwhile) {
    bool changed = false;
    port.onProcessEvents = [&] {
        // As the first part is carried, the list shows the second as current.
        if (!changed && context.cycle.PartOnNozzle && context.project.CurrentPart == 1) {
            changed = true;
            context.project.CurrentPart = 2;
        }
    };
    StartRun(context, RunKind::Board);
    EXPECT_TRUE(changed);
    EXPECT_EQ(placedXY(), (std::vector{partXY(1), partXY(2), partXY(3)}));
    EXPECT_EQ(spoken(), QStringList{"Automatic Placement Cycle Finished"});
}

TEST_F(CycleTest, StopDuringTheLastFailingAttemptEndsTheRunWithoutFinished) {
    context.project.Feeders[1].Use_Vision = true;  // no camera frame: C1's pick fails
    context.settings.pickRetryCount = 1;
    port.onProcessEvents = [&] {
        if (context.project.CurrentPart == 2 && context.cycle.PartOnNozzle &&
            context.cycle.running()) {
            PressStop(context);
        }
    };
    StartRun(context, RunKind::Board);
    EXPECT_EQ(placedXY(), (std::vector{partXY(1)}));
    EXPECT_FALSE(spoken().contains("Automatic Placement Cycle Finished"));
    EXPECT_FALSE(port.calls.contains("information: Retry Limit Reached.\rFailed to Place Part"));
    EXPECT_EQ(context.project.CurrentPart, 2);
}

TEST_F(CycleTest, ASequenceAskedForWhileAnotherWaitsIsRefusedWithoutAMoveOrAWord) {
    struct Case {
        const char* name;
        std::function<bool()> start;
    };
    const Case cases[] = {{"Pick Part", [this] { return PickPart(context, 2, 0); }},
                          {"Place Part", [this] { return PlacePart(context, 2); }},
                          {"Discard", [this] { return DiscardPart(context, 1); }},
                          {"Go To Part", [this] { return GoToPart(context); }},
                          {"HOME", [this] { return Home(context); }},
                          {"a jog", [this] {
                               cnc.JogDelta = {5, 0, 0, 0};
                               return cnc.JogMove();
                           }}};
    for (const Case& c : cases) {
        context.project.CurrentPart = 1;
        context.cycle = CycleState{};
        sim.clearLog();
        port.calls.clear();
        std::optional<bool> result;
        std::size_t commandsBefore = 0;
        std::size_t commandsAfter = 0;
        port.onProcessEvents = [&] {
            if (!result && context.cycle.PartOnNozzle) {  // the pick carries R1
                commandsBefore = sim.commands().size();
                result = c.start();
                commandsAfter = sim.commands().size();
            }
        };
        PressPickPart(context);
        port.onProcessEvents = nullptr;
        ASSERT_TRUE(result.has_value()) << c.name;
        EXPECT_FALSE(*result) << c.name;
        EXPECT_EQ(commandsAfter, commandsBefore) << c.name;
        EXPECT_TRUE(port.calls.isEmpty()) << c.name << ": " << port.calls.join(" | ").toStdString();
        EXPECT_TRUE(context.cycle.PartOnNozzle) << c.name;  // the first pick went on and holds R1
        EXPECT_EQ(context.cycle.HeldFeeder, 1) << c.name;
    }
}

TEST_F(CycleTest, HeldPartIsReusedOnlyForThePartItWasPickedFor) {
    ProjectState& project = context.project;
    ASSERT_TRUE(PickListedPart(context, 1));
    EXPECT_TRUE(HeldPartFits(context, 1));
    EXPECT_FALSE(HeldPartFits(context, 3));  // same feeder, another part
    EXPECT_FALSE(HeldPartFits(context, 2));
    sim.clearLog();
    ASSERT_TRUE(PlaceNextPart(context));
    EXPECT_FALSE(movedTo(homeSteps(50, 300, 5, 0)));  // no second pick
    ASSERT_TRUE(PickPart(context, 1, 0));             // R1's feeder and angle, for no part (a test)
    EXPECT_FALSE(HeldPartFits(context, 1));
    project.CurrentPart = 2;  // C1 needs feeder 2: the held part goes to tray 3 first
    sim.clearLog();
    ASSERT_TRUE(PlaceNextPart(context));
    const auto tray3 = homeSteps(context.settings.rejectTrayX[2], 20, 0, 0);
    EXPECT_TRUE(movedTo(tray3));
    EXPECT_TRUE(movedTo(homeSteps(70, 300, 5, 0)));
}

TEST_F(CycleTest, RunStartDiscardsAHeldPartBeforeItsProtectedMovesCouldDropIt) {
    ASSERT_TRUE(PickPart(context, 2, 0));
    sim.clearLog();
    StartRun(context, RunKind::Board);
    const auto tray4 = homeSteps(context.settings.rejectTrayX[3], 20, 0, 0);
    EXPECT_EQ(moveTargets().front(), tray4);
}

TEST_F(CycleTest, DisabledCurrentPartIsSkippedWithoutMoving) {
    context.project.Parts[0].Enabled = false;
    EXPECT_TRUE(PlaceNextPart(context));
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(context.project.CurrentPart, 2);
}

}  // namespace
