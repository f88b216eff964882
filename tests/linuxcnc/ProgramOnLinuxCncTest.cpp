// The program's controller layer on the LinuxCNC library, bound by its path as the program binds
// it, against a stand-in for LinuxCNC's remote shell: the set-up handed over at RESET, the
// program's millimetres reaching LinuxCNC, LinuxCNC's stop and a lost connection.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "FakeRemoteShell.h"
#include "context/ProgramContext.h"
#include "motion/ControllerChoice.h"
#include "support/ScriptedOperatorPort.h"

namespace {

class ProgramOnLinuxCncTest : public ::testing::Test {
protected:
    ProgramOnLinuxCncTest() {
        QString error;
        auto api = MotrixApi::Bind(CORVANE_LINUXCNC_LIBRARY, &error);
        EXPECT_TRUE(api) << qPrintable(error);
        EXPECT_TRUE(BoundToLinuxCnc(api.get()));
        cnc.attach(std::move(api));
        context.settings.controller = kControllerLinuxCnc;
        context.settings.linuxCncPort = shell.port();
        context.settings.visualHome = false;
    }

    // The X, Y, Z and A of the last MDI move LinuxCNC received.
    std::array<double, 4> lastMoveTarget() {
        static const QRegularExpression move(R"(X(\S+) Y(\S+) Z(\S+) A(\S+))");
        const auto match = move.match(QString::fromStdString(shell.mdiLines().back()));
        EXPECT_TRUE(match.hasMatch());
        return {match.captured(1).toDouble(), match.captured(2).toDouble(),
                match.captured(3).toDouble(), match.captured(4).toDouble()};
    }

    FakeRemoteShell shell;
    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
    MotrixCNC& cnc = context.cnc;
};

TEST_F(ProgramOnLinuxCncTest, ResetReachesLinuxCncAtTheChosenAddressAndMovesArriveInMm) {
    ASSERT_TRUE(cnc.InitialiseController());
    EXPECT_TRUE(shell.machine().on);
    // Every output went off, the Y alignment first.
    const std::vector<std::string> outputs = shell.mdiLines();
    EXPECT_EQ(outputs,
              (std::vector<std::string>{"M65 P0", "M65 P1", "M65 P2", "M65 P3", "M65 P4"}));

    ASSERT_TRUE(cnc.RunHomingSequence());
    EXPECT_TRUE(shell.machine().homed);
    ASSERT_TRUE(cnc.MoveMachine(100, 50, 10, 90, 65000));
    const std::array<double, 4> target = lastMoveTarget();
    EXPECT_NEAR(target[0], 100, 0.007);  // within half a step of 78.74 steps/mm
    EXPECT_NEAR(target[1], 50, 0.007);
    EXPECT_NEAR(target[2], 10, 0.007);
    EXPECT_NEAR(target[3], 90, 0.03);
    EXPECT_EQ(shell.machine().position, target);

    // Another scaling reaches LinuxCNC at the next RESET: the same steps, other millimetres.
    context.settings.xStepsPerMM = 2 * context.settings.xStepsPerMM;
    ASSERT_TRUE(cnc.InitialiseController());
    ASSERT_TRUE(cnc.MoveMachine(10, 50, 10, 90, 65000));
    EXPECT_NEAR(lastMoveTarget()[0], 10, 0.004);
}

TEST_F(ProgramOnLinuxCncTest, LinuxCncsStopIsTheProgramsStop) {
    ASSERT_TRUE(cnc.InitialiseController());
    ASSERT_TRUE(cnc.RunHomingSequence());
    cnc.SetVacuumOutput(true);
    shell.change([](FakeRemoteShell::Machine& m) {
        m.estop = true;
        m.on = false;
    });
    EXPECT_FALSE(cnc.MoveMachine(100, 0, 0, 0, 65000));
    EXPECT_TRUE(cnc.EmergencyStop);
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
    // Under the stop the vacuum is down already: switching it off is taken at once.
    cnc.SetVacuumOutput(false);
    EXPECT_FALSE(cnc.OutputState[OutputVacuum]);

    cnc.EmergencyStop = false;  // RESET
    EXPECT_TRUE(cnc.InitialiseController());
    EXPECT_TRUE(cnc.MoveMachine(100, 0, 0, 0, 65000));
}

TEST_F(ProgramOnLinuxCncTest, ALostConnectionIsAControllerNotResponding) {
    ASSERT_TRUE(cnc.InitialiseController());
    ASSERT_TRUE(cnc.RunHomingSequence());
    shell.dropClient();
    EXPECT_FALSE(cnc.MoveMachine(100, 0, 0, 0, 65000));
    EXPECT_FALSE(cnc.ControllerReady);
    EXPECT_EQ(port.callsStartingWith("error: "),
              QStringList{"CNC CONTROLLER NOT RESPONDING!\rCHECK ITS POWER AND ITS CABLE, THEN "
                          "PRESS RESET: ITS OUTPUTS MAY STILL BE ON."});
    EXPECT_TRUE(cnc.InitialiseController());
}

}  // namespace
