// The emergency stop at any instant of a panel run: pressed at 200 seeded rounds of message
// handling of a run of the demo panel on the simulated world, in virtual time. Each time the
// motion stops, the outputs are off at the refresh that follows the press, the run flags are
// clear and nothing is written half; after RESET (which homes) the run resumes from the part
// it stopped at and ends with every part of the panel placed once.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>
#include <optional>
#include <random>

#include "app/MachineControl.h"
#include "faults/FaultMachine.h"
#include "handling/PlacementCycle.h"
#include "project/BoardOrigin.h"

namespace {

constexpr int kInstants = 200;
constexpr std::uint32_t kSeed = 20260512;
// A part put down lands at most this far above the board; one that fell from higher up was
// dropped by the stop, not placed.
constexpr double kPlacedFall = 0.5;

QJsonArray dropsOf(const FaultMachine& machine) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(machine.sim.dropRecord()))
        .object()["drops"]
        .toArray();
}

// Board and designator of a part put down on its pad.
using Pad = std::pair<int, QString>;

std::map<Pad, int> placementsPerPad(const QJsonArray& drops) {
    std::map<Pad, int> placed;
    for (const QJsonValue& drop : drops) {
        if (drop["place"] == "board" && drop["fell_mm"].toDouble() <= kPlacedFall) {
            ++placed[{drop["board"].toInt(), drop["designator"].toString()}];
        }
    }
    return placed;
}

std::size_t partsOnThePanel(const ProjectState& project) {
    const auto enabled = std::count_if(project.Parts.begin(), project.Parts.end(),
                                       [](const PartRec& part) { return part.Enabled; });
    return static_cast<std::size_t>(enabled * BoardCount(project));
}

// The part the counters stand on, or the next enabled one after it: where a run goes on.
// None when no part is left to place on the panel.
std::optional<Pad> nextPartToPlace(const ProjectState& project) {
    for (long long board = project.CurrentPanelBoard, part = project.CurrentPart;
         board <= BoardCount(project); part = 1, ++board) {
        for (; part <= project.PartCount(); ++part) {
            const PartRec& record = project.Parts[static_cast<qsizetype>(part - 1)];
            if (record.Enabled) {
                return Pad{static_cast<int>(board), record.Designator};
            }
        }
    }
    return std::nullopt;
}

// The demo panel as its operator runs it from part 1 of board 1, with its dual fiducial check,
// placing a part of every feeder kind and side on each board (the tray's U1, the vibration
// feeder's Q1, a rear reel's R1 and a front reel's R7; the other parts are skipped). So that
// 200 runs take seconds, the parts are placed without the up camera and RESET homes without
// the camera: the fault matrix covers both.
class EmergencyStopTest : public ::testing::Test {
protected:
    static void prepare(FaultMachine& machine) {
        machine.powerUpAndHome();
        machine.context.settings.visualHome = false;
        ProjectState& project = machine.context.project;
        for (FeederRec& feeder : project.Feeders) {
            feeder.Use_Vision = false;
        }
        for (PartRec& part : project.Parts) {
            part.Enabled = QStringList{"U1", "Q1", "R1", "R7"}.contains(part.Designator);
        }
        project.CurrentPart = 1;
        project.CurrentPanelBoard = 1;
        machine.sim.clearLog();
        machine.port.calls.clear();
    }

    static void startPanel(FaultMachine& machine) {
        // Resuming mid-board, the cycle asks where to start: at the current part.
        machine.port.answers = {OperatorPort::Answer::No};
        StartRun(machine.context, RunKind::Panel);
        machine.port.answers.clear();
    }

    static bool finished(const FaultMachine& machine) {
        return machine.port.callsStartingWith("speak: ").contains(
            "Automatic Placement Cycle Finished");
    }

    void stopAt(int round);
};

void EmergencyStopTest::stopAt(int round) {
    FaultMachine machine;
    prepare(machine);
    const QByteArray settingsBefore = FileBytes(machine.storePath());
    const QByteArray projectBefore = FileBytes(machine.projectFilePath());
    std::optional<std::size_t> pressedAt;
    int outputsAfterPress = -1;
    const int pressRound = machine.port.eventRounds + round;
    machine.port.onProcessEvents = [&] {
        if (machine.port.eventRounds == pressRound) {
            pressedAt = machine.sim.commands().size();
            PressEmergencyStop(machine.context);  // its refresh switches the outputs off
            outputsAfterPress = machine.handlingOutputs();
        }
    };
    startPanel(machine);
    machine.port.onProcessEvents = nullptr;
    ASSERT_TRUE(pressedAt.has_value()) << "the run ended before round " << round;

    // The stop: nothing moves after it, every output off, the run over, the files whole.
    const std::vector<SimCommand> log = machine.sim.commands();
    for (std::size_t at = *pressedAt; at < log.size(); ++at) {
        ASSERT_FALSE(IsMotion(log[at])) << log[at] << " after the stop";
    }
    EXPECT_EQ(outputsAfterPress, 0);
    EXPECT_EQ(machine.handlingOutputs(), 0);
    EXPECT_FALSE(machine.context.cycle.running());
    EXPECT_FALSE(machine.context.cycle.PauseRequested);
    EXPECT_FALSE(machine.context.cycle.PartOnNozzle);
    EXPECT_FALSE(machine.partHeld());
    EXPECT_TRUE(machine.port.dialogs().isEmpty())
        << machine.port.dialogs().join(" | ").toStdString();
    const QByteArray settingsAfter = FileBytes(machine.storePath());
    EXPECT_TRUE(settingsAfter == settingsBefore || SettingsFileWhole(machine.storePath()));
    const QByteArray projectAfter = FileBytes(machine.projectFilePath());
    EXPECT_TRUE(projectAfter == projectBefore || ProjectFileWhole(machine.projectFilePath()));

    // RESET homes; the run resumes at the part the counters stand on.
    const std::optional<Pad> stoppedAt = nextPartToPlace(machine.context.project);
    ASSERT_TRUE(PressReset(machine.context));
    const qsizetype dropsBefore = dropsOf(machine).size();
    machine.port.calls.clear();
    startPanel(machine);
    ASSERT_TRUE(finished(machine)) << machine.port.dialogs().join(" | ").toStdString();
    const QJsonArray drops = dropsOf(machine);
    if (stoppedAt) {
        ASSERT_GT(drops.size(), dropsBefore);
        const QJsonObject firstAfter = drops[dropsBefore].toObject();
        EXPECT_EQ((Pad{firstAfter["board"].toInt(), firstAfter["designator"].toString()}),
                  *stoppedAt)
            << "the run resumes from the part it stopped at";
    } else {
        EXPECT_EQ(drops.size(), dropsBefore) << "stopped after its last part, nothing is left";
    }

    // Every part of the panel placed once.
    const std::map<Pad, int> placed = placementsPerPad(drops);
    EXPECT_EQ(placed.size(), partsOnThePanel(machine.context.project));
    for (const auto& [pad, times] : placed) {
        EXPECT_EQ(times, 1) << "board " << pad.first << " " << pad.second.toStdString();
    }
}

TEST_F(EmergencyStopTest, AtAnyInstantOfAPanelRunTheMachineStopsSafelyAndTheRunResumes) {
    int rounds = 0;  // of message handling in a whole run
    {
        FaultMachine machine;
        prepare(machine);
        const int before = machine.port.eventRounds;
        startPanel(machine);
        ASSERT_TRUE(finished(machine));
        rounds = machine.port.eventRounds - before;
    }
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> instant(1, rounds);
    for (int press = 0; press < kInstants; ++press) {
        const int round = instant(random);
        SCOPED_TRACE("stop at round " + std::to_string(round) + " of " + std::to_string(rounds));
        stopAt(round);
        if (HasFatalFailure()) {
            return;
        }
    }
}

}  // namespace
