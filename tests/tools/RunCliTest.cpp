// corvane2-cli run, as a person runs it: progress on stderr, the report on stdout.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <nlohmann/json.hpp>

#include "support/cli/CliRun.h"

namespace {

class RunCliTest : public ::testing::Test {
protected:
    // Runs with a home of its own, so no user's settings or documents are read.
    CliRun run(const QString& arguments) const { return runCli("run", arguments, dir.path()); }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    const QString demo =
        QString("\"%1/demo/Demo Panel/Demo Panel.Corvane\"").arg(CORVANE_SOURCE_DIR);
};

// The panel turned a whole degree: each board's own fiducials give its correction (the report
// shows it beside the world's), and the far marks, beyond the search's reach from where they
// were taught, are looked at a second time.
TEST_F(RunCliTest, PanelRunPrintsAProgressLinePerPartAndTheReport) {
    const CliRun o = run(demo + " --panel --board-offset 0.5,0.5 --board-rotation 1 --seed 3");
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_EQ(o.err.count('\n'), 84);
    EXPECT_TRUE(o.err.startsWith("board 1 part 1/21 U1 placed\n")) << o.err.toStdString();
    EXPECT_TRUE(o.err.endsWith("board 4 part 21/21 C7 placed\n"));
    const nlohmann::json report = nlohmann::json::parse(o.out.toStdString());
    ASSERT_EQ(report["parts"].size(), 84u);
    std::vector<std::string> keys;
    for (const auto& [key, value] : report["parts"][0].items()) {
        keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"actual_angle", "actual_x", "actual_y", "board",
                                              "designator", "error_deg", "error_mm", "placed",
                                              "target_angle", "target_x", "target_y"}));
    EXPECT_EQ(report["parts"][83]["board"], 4);
    EXPECT_EQ(report["parts_placed"], 84);
    EXPECT_EQ(report["parts_failed"], 0);
    EXPECT_LT(report["max_error_mm"].get<double>(), 0.1);
    EXPECT_LE(report["rms_error_mm"].get<double>(), report["max_error_mm"].get<double>());
    for (const char* figure : {"max_error_deg", "machine_time_s", "wall_time_s"}) {
        EXPECT_TRUE(report[figure].is_number()) << figure;
    }
    EXPECT_EQ(report["finished"], true);
    EXPECT_EQ(report["controller"], "simulator");

    ASSERT_EQ(report["boards"].size(), 4u);
    for (const nlohmann::json& board : report["boards"]) {
        EXPECT_EQ(board["true_rotation"], 1.0);
        EXPECT_NEAR(board["measured_rotation"].get<double>(), 1.0, 0.02) << board.dump();
        for (const char* axis : {"x", "y"}) {
            EXPECT_NEAR(board[std::string("measured_offset_") + axis].get<double>(),
                        board[std::string("true_offset_") + axis].get<double>(), 0.02)
                << board.dump();
        }
    }
    EXPECT_EQ(report["boards"][3]["board"], 4);
    std::map<std::string, int> kinds;
    for (const nlohmann::json& kind : report["part_kinds"]) {
        kinds[kind["kind"]] = kind["parts"];
        EXPECT_LE(kind["rms_error_deg"].get<double>(), kind["max_error_deg"].get<double>());
        EXPECT_LT(kind["max_error_deg"].get<double>(), 1.0) << kind.dump();
    }
    EXPECT_EQ(kinds, (std::map<std::string, int>{{"0603C reel", 12},
                                                 {"0603R reel", 12},
                                                 {"0805C reel", 16},
                                                 {"0805R reel", 24},
                                                 {"SOIC-8 tray", 8},
                                                 {"SOT-23 vibration", 12}}));
}

TEST_F(RunCliTest, StoppedRunExitsWithOneAndUnusableArgumentsWithTwo) {
    const QString world = dir.filePath("world.json");
    const CliRun missingWorld = run(demo + " --board --world \"" + world + "\"");
    EXPECT_EQ(missingWorld.exitCode, 2);
    nlohmann::json noMarks = nlohmann::json::parse(
        read(QString(CORVANE_SOURCE_DIR) + "/sim/worlds/default.json").toStdString());
    noMarks["board"]["fiducials"] = nlohmann::json::array();
    QFile file(world);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(noMarks.dump()));
    file.close();
    const CliRun stopped = run(demo + " --board --world \"" + world + "\" --fiducial-failure stop");
    EXPECT_EQ(stopped.exitCode, 1) << stopped.err.toStdString();
    const nlohmann::json report = nlohmann::json::parse(stopped.out.toStdString());
    EXPECT_EQ(report["finished"], false);
    EXPECT_EQ(report["reason"], "fiducial check failed");
    EXPECT_EQ(report["parts_failed"], 21);
    struct Case {
        const char* arguments;
        const char* complaint;
    };
    for (const Case c : {Case{"--board", "no project file"},
                         Case{"x.Corvane --board --panel", "give one of --board and --panel"},
                         Case{"x.Corvane --board --seed", "--seed needs a value"},
                         Case{"x.Corvane --board --pick-jitter 0.3", "bad value for --pick-jitter"},
                         Case{"x.Corvane --board --fiducial-failure maybe", "bad value"},
                         Case{"x.Corvane --board --controller vendor", "bad value"},
                         Case{"x.Corvane --board --controller linuxcnc=cnc.local", "bad value"},
                         Case{"x.Corvane --board --controller linuxcnc=:5007", "bad value"},
                         Case{"x.Corvane --board --controller linuxcnc=h:65536", "bad value"},
                         Case{"x.Corvane --board", "no project file x.Corvane"}}) {
        const CliRun o = run(c.arguments);
        EXPECT_EQ(o.exitCode, 2) << c.arguments;
        EXPECT_TRUE(o.err.contains(c.complaint)) << o.err.toStdString();
        EXPECT_TRUE(o.out.isEmpty());
    }
}

// Nothing listens on port 1: the run reports the controller it could not find.
TEST_F(RunCliTest, ALinuxCncThatDoesNotAnswerIsAControllerNotFound) {
    const CliRun o = run(demo + " --board --controller linuxcnc=127.0.0.1:1");
    EXPECT_EQ(o.exitCode, 1) << o.err.toStdString();
    const nlohmann::json report = nlohmann::json::parse(o.out.toStdString());
    EXPECT_EQ(report["controller"], "linuxcnc");
    EXPECT_EQ(report["reason"], "FAILED TO LOCATE CNC CONTROLLER");
    EXPECT_EQ(report["parts_placed"], 0);
}

}  // namespace
