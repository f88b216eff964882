#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "SimConfig.h"

using namespace motrix_sim;

namespace {

TEST(SimConfigTest, EveryKeyIsApplied) {
    SimConfig config;
    const auto problems = applySimConfigText(config,
                                             "# a test machine\r\n"
                                             "\n"
                                             "  mode = instant  \r\n"
                                             "fault_reset_unanswered=yes\n"
                                             "fault_max_speed_refused=true\n"
                                             "fault_acceleration_refused=on\n"
                                             "fault_busy_answers=4\n"
                                             "fault_motion_never_finishes=1\n"
                                             "fault_refuse_motion=1\n"
                                             "firmware_version=2.75\n"
                                             "log_limit=10\n"
                                             "home_switch_x=-5\nhome_switch_y=6\n"
                                             "home_switch_z=-7\nhome_switch_a=8\n"
                                             "power_up_x=1\npower_up_y=-2\n"
                                             "power_up_z=3\npower_up_a=-4");
    EXPECT_TRUE(problems.empty());

    SimConfig expected;
    expected.mode = TimeMode::Instant;
    expected.faultResetUnanswered = true;
    expected.faultMaxSpeedRefused = true;
    expected.faultAccelerationRefused = true;
    expected.faultBusyAnswers = 4;
    expected.faultMotionNeverFinishes = true;
    expected.faultRefuseMotion = true;
    expected.firmwareVersion = 2.75;
    expected.logLimit = 10;
    expected.homeSwitch = {-5, 6, -7, 8};
    expected.powerUpPosition = {1, -2, 3, -4};
    EXPECT_EQ(config, expected);
    EXPECT_TRUE(applySimConfigText(config, "mode=realtime\nfault_refuse_motion=off").empty());
    EXPECT_EQ(config.mode, TimeMode::RealTime);
    EXPECT_FALSE(config.faultRefuseMotion);
}

TEST(SimConfigTest, UnusableLinesAreReportedAndChangeNothing) {
    for (const char* line :
         {"mode=fast", "fault_busy_answers=two", "fault_refuse_motion=maybe", "power_up_x=1.5",
          "log_limit=-1", "firmware_version=", "speed=3", "fault_reset_unanswered",
          "board_offset_x=left", "seed=-3", "camera_up_no_frame=2", "missing=0", "missing=2:0",
          "missing=1,", "missing=a:1", "pick_jitter_mm="}) {
        SimConfig config;
        EXPECT_EQ(applySimConfigText(config, line).size(), 1U) << line;
        EXPECT_EQ(config, SimConfig()) << line;
    }
    SimConfig config;
    EXPECT_EQ(applySimConfigText(config, "mode=fast\nfault_busy_answers=2\nbogus=1").size(), 2U);
    EXPECT_EQ(config.faultBusyAnswers, 2);
}

// Sets the simulator's environment variables for one test and removes them afterwards.
class SimEnvironmentTest : public ::testing::Test {
protected:
    void set(const char* name, const QByteArray& value) {
        qputenv(name, value);
        names_.push_back(name);
    }
    void TearDown() override {
        for (const char* name : names_) {
            qunsetenv(name);
        }
    }

private:
    std::vector<const char*> names_;
};

TEST_F(SimEnvironmentTest, VariablesOverrideTheConfigurationFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath("sim.conf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("mode=instant\nfault_busy_answers=3\npower_up_y=70\n");
    file.close();
    set("MOTRIX_SIM_CONFIG", QFile::encodeName(file.fileName()));
    set("MOTRIX_SIM_FAULT_BUSY_ANSWERS", "5");
    set("MOTRIX_SIM_HOME_SWITCH_X", " -20 ");

    std::vector<std::string> problems;
    const SimConfig config = simConfigFromEnvironment(problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(config.mode, TimeMode::Instant);
    EXPECT_EQ(config.faultBusyAnswers, 5);
    EXPECT_EQ(config.homeSwitch[0], -20);
    EXPECT_EQ(config.powerUpPosition[1], 70);
}

TEST_F(SimEnvironmentTest, UnreadableFileAndBadVariablesAreReported) {
    set("MOTRIX_SIM_CONFIG", "/nonexistent/sim.conf");
    set("MOTRIX_SIM_MODE", "sometimes");
    set("MOTRIX_SIM_FAULT_REFUSE_MOTION", "1");

    std::vector<std::string> problems;
    const SimConfig config = simConfigFromEnvironment(problems);
    ASSERT_EQ(problems.size(), 2U);
    EXPECT_NE(problems[0].find("/nonexistent/sim.conf"), std::string::npos);
    EXPECT_NE(problems[1].find("MOTRIX_SIM_MODE"), std::string::npos);
    EXPECT_EQ(config.mode, TimeMode::RealTime);
    EXPECT_TRUE(config.faultRefuseMotion);
}

}  // namespace
