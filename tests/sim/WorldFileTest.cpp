// The world file: the built-in world and sim/worlds/default.json, the round trip, and what a
// broken file is told.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "WorldJson.h"

using namespace motrix_sim;

namespace {

std::string defaultWorldFile() {
    return std::string(CORVANE_SOURCE_DIR) + "/sim/worlds/default.json";
}

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The message of the WorldError that `text` raises, or "" when it reads.
std::string problemOf(const std::string& text) {
    try {
        worldFromJson(text);
    } catch (const WorldError& error) {
        return error.what();
    }
    return "";
}

TEST(WorldFileTest, TheBuiltInWorldIsTheDefaultWorldFile) {
    const World fromFile = worldFromFile(defaultWorldFile());
    EXPECT_EQ(defaultWorld(), fromFile);
    EXPECT_EQ(defaultWorldText(), readFile(defaultWorldFile()));
}

// The built-in world matches the default machine settings, as the README promises.
TEST(WorldFileTest, TheBuiltInWorldFitsTheDefaultMachineSettings) {
    const World& world = defaultWorld();
    EXPECT_EQ(world.scaling.stepsPerMm,
              (std::array<double, 3>{78.74015748, 78.74015748, 78.74015748}));
    EXPECT_EQ(world.scaling.aStepsPerRev, 8000);
    ASSERT_EQ(world.homeMarks.size(), 2U);
    EXPECT_EQ(world.homeMarks[0], (Vec2{20, 20}));
    EXPECT_EQ(world.homeMarks[1], (world.homeMarks[0] + Vec2{20, 120}));
    EXPECT_EQ(world.upCamera.position, (world.homeMarks[0] + Vec2{200, 200}));
    EXPECT_EQ(world.nozzleOffset, Vec2{});
    EXPECT_EQ(world.downCamera.viewWidth, 40);
    EXPECT_EQ(world.upCamera.viewWidth, 40);
    EXPECT_EQ(world.panel.boardCount(), 4);
    EXPECT_GE(world.board.parts.size(), 18U);
    EXPECT_EQ(world.rejectTrays.size(), 5U);
    EXPECT_EQ(world.nozzleChanger.holders.size(), 8U);
    const auto within = [](Vec2 point) {
        return point.x >= -5 && point.x <= 405 && point.y >= -5 && point.y <= 350;
    };
    for (const FeederSpec& feeder : world.feeders) {
        EXPECT_TRUE(within(feeder.pick)) << feeder.part;
    }
    for (const NozzleHolder& holder : world.nozzleChanger.holders) {
        EXPECT_TRUE(within(holder.position - Vec2{16, 0})) << "room to slide out";
    }
}

TEST(WorldFileTest, EveryFieldSurvivesTheRoundTrip) {
    World world = defaultWorld();
    world.nozzleOffset = {-30.25, 5.5};
    world.upCamera.noise = 0;
    world.partKinds[0].markingDiameter = 0.3;
    world.board.parts[3].angle = 12.5;
    world.feeders[2].type = FeederType::Vibration;
    world.nozzleChanger.location = ChangerLocation::Rear;
    world.nozzleChanger.mounted = 0;
    world.seed = 123456789012345ULL;
    world.errors = {{0.3, -0.2}, 0.7, {0.1, 0.05}, 0.25, 6, {{1, 3}, {4, 0}}, true, true};
    EXPECT_EQ(worldFromJson(worldToJson(world)), world);
    EXPECT_EQ(worldFromJson(worldToJson(defaultWorld())), defaultWorld());
}

TEST(WorldFileTest, KeysLeftOutKeepTheirDefaults) {
    const World world = worldFromJson(R"({"seed": 9, "cameras": {"up": {"focus_z": 12}}})");
    World expected;
    expected.seed = 9;
    expected.upCamera.focusZ = 12;
    EXPECT_EQ(world, expected);
    EXPECT_TRUE(world.feeders.empty());
}

TEST(WorldFileTest, ABrokenWorldIsRefusedWithWhereAndWhy) {
    struct Case {
        std::string text;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"", "not valid JSON"},
        {R"({"seed": 1,})", "not valid JSON"},
        {R"([1, 2])", "world: expected an object"},
        {R"({"sed": 1})", "sed: unknown key"},
        {R"({"seed": -1})", "seed: expected a whole number of 0 or more"},
        {R"({"table_z": "deep"})", "table_z: expected a number"},
        {R"({"home_marks": [[1, 2, 3]]})", "home_marks[0]: expected an array of 2 values"},
        {R"({"cameras": {"down": {"resolution": [8, 6]}}})", "cameras.down.resolution:"},
        {R"({"cameras": {"side": {}}})", "cameras.side: unknown key"},
        {R"({"part_kinds": [{"name": "A", "body": [1, 1], "top_colour": "red"}]})",
         "part_kinds[0].top_colour: expected a colour"},
        {R"({"part_kinds": [{"name": "A", "body": [1, 0]}]})", "part_kinds[0].body:"},
        {R"({"part_kinds": [{"name": "A", "body": [1, 1]}, {"name": "A", "body": [1, 1]}]})",
         "'A' is named twice"},
        {R"({"feeders": [{"type": "reel", "part": "0402"}]})",
         "feeders[0].part: no part kind '0402'"},
        {R"({"feeders": [{"type": "belt"}]})",
         "feeders[0].type: expected one of reel, tray, vibration"},
        {R"({"board": {"parts": [{"kind": "X"}]}})", "board.parts[0].kind: no part kind 'X'"},
        {R"({"panel": {"count": [0, 2]}})", "panel.count:"},
        {R"({"nozzle_changer": {"mounted": 2, "holders": [{"nozzle": 2}]}})",
         "nozzle 2 cannot be in two places"},
        {R"({"nozzle_changer": {"mounted": 9}})", "nozzle_changer.mounted: must lie within 0..8"},
        {R"({"errors": {"missing": ["2:x"]}})", "errors.missing[0]: expected"},
        {R"({"errors": {"missing": ["1"]}})", "errors.missing[0]: there is no feeder 1"},
        {R"({"errors": {"pick_jitter_mm": -0.1}})", "errors: the pick jitter must not be negative"},
    };
    for (const Case& c : cases) {
        const std::string problem = problemOf(c.text);
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.text << "\n  gave: " << problem;
    }
}

TEST(WorldFileTest, AFileThatCannotBeReadSaysWhich) {
    try {
        worldFromFile("/nonexistent/world.json");
        FAIL() << "no error";
    } catch (const WorldError& error) {
        EXPECT_STREQ(error.what(), "world file '/nonexistent/world.json' cannot be read");
    }
}

class ConfiguredWorldTest : public ::testing::Test {
protected:
    std::string writeWorld(const std::string& text) {
        const QString path = dir.filePath("world.json");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path.toStdString();
    }
    World configured(const std::string& lines, std::vector<std::string>& problems) {
        SimConfig config;
        EXPECT_TRUE(applySimConfigText(config, lines).empty()) << lines;
        return configuredWorld(config, problems);
    }
    QTemporaryDir dir;
};

TEST_F(ConfiguredWorldTest, TheConfigurationChoosesTheFileAndOverridesItsErrors) {
    World onFile = defaultWorld();
    onFile.errors.pickJitterMm = 0.2;
    onFile.errors.boardRotation = 1;
    const std::string path = writeWorld(worldToJson(onFile));
    std::vector<std::string> problems;
    const World world = configured("world=" + path +
                                       "\nboard_offset_x=0.5\nboard_offset_y=-0.25\n"
                                       "home_switch_error_x=0.1\nhome_switch_error_y=0.2\n"
                                       "pick_jitter_deg=4\nmissing=1:3, 6\nseed=42\n"
                                       "camera_up_no_frame=yes",
                                   problems);
    EXPECT_TRUE(problems.empty());
    World expected = onFile;
    expected.seed = 42;
    expected.errors.boardOffset = {0.5, -0.25};
    expected.errors.homeSwitch = {0.1, 0.2};
    expected.errors.pickJitterDeg = 4;
    expected.errors.missing = {{1, 3}, {6, 0}};
    expected.errors.upCameraNoFrame = true;
    EXPECT_EQ(world, expected);  // the file's jitter and rotation stand where nothing overrides
}

TEST_F(ConfiguredWorldTest, AnUnusableFileOrOverrideIsReportedAndLeftOut) {
    std::vector<std::string> problems;
    const std::string path = writeWorld(R"({"feeders": 3})");
    EXPECT_EQ(configured("world=" + path, problems), defaultWorld());
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_NE(problems[0].find("feeders: expected an array"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("the built-in world is used"), std::string::npos) << problems[0];

    problems.clear();
    EXPECT_EQ(configured("missing=9:1", problems), defaultWorld());
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_NE(problems[0].find("there is no feeder 9"), std::string::npos) << problems[0];
}

}  // namespace
