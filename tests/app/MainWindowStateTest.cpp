// The main window's read-out and enable rules, computed from the program state.
#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "app/MainWindowState.h"
#include "app/SingleInstance.h"
#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"

namespace {

class MainWindowStateTest : public ::testing::Test {
protected:
    MainWindowStateTest() {
        context.cnc.ControllerFound = true;
        context.cnc.ControllerReady = true;
        context.cnc.CommandedX = 120;
        context.cnc.CommandedY = 80;
        context.cnc.CommandedZ = 3;
        context.cnc.HomeOffsetX = 20;
        context.cnc.HomeOffsetY = 20;
        context.project.BoardOriginX = 50;
        context.project.BoardOriginY = 10;
    }
    bool enabled(const QString& name) const {
        bool state = false;
        bool found = false;
        for (const auto& [control, on] : EnabledStates(context)) {
            if (control == name) {
                state = on;
                found = true;
            }
        }
        EXPECT_TRUE(found) << name.toStdString();
        return state;
    }

    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
};

TEST_F(MainWindowStateTest, StatusWordFollowsStopAndReadiness) {
    EXPECT_EQ(StatusWord(context), "READY");
    context.cnc.ControllerReady = false;
    EXPECT_EQ(StatusWord(context), "DISABLED");
    context.cnc.EmergencyStop = true;
    EXPECT_EQ(StatusWord(context), "EMERGENCY STOP");
}

TEST_F(MainWindowStateTest, ReadOutFrameFollowsProjectAndSettingsWindows) {
    struct Case {
        bool projectOpen;
        bool metric;
        bool settingsWindowOpen;
        QColor colour;
        QString x, y, z;
    };
    const QColor green(0, 255, 0), yellow(255, 255, 0);
    const Case cases[] = {
        {false, false, false, green, "X 100.000mm", "Y 60.000mm", "Z 3.000mm"},
        {true, true, false, yellow, "X 50.000mm", "Y 50.000mm", "Z 3.000mm"},
        {true, false, false, yellow, "X 1.9685in", "Y 1.9685in", "Z 0.1181in"},
        {true, false, true, green, "X 100.000mm", "Y 60.000mm", "Z 3.000mm"},
    };
    for (const Case& c : cases) {
        context.project.ProjectOpen = c.projectOpen;
        context.project.Metric = c.metric;
        const PositionReadout readout = ReadPosition(context, c.settingsWindowOpen);
        EXPECT_EQ(readout.frameColour, c.colour);
        EXPECT_EQ(readout.x, c.x);
        EXPECT_EQ(readout.y, c.y);
        EXPECT_EQ(readout.z, c.z);
        EXPECT_EQ(readout.metric, c.metric || !c.projectOpen || c.settingsWindowOpen);
    }
}

TEST_F(MainWindowStateTest, EnableRulesInTheStatesThatMatter) {
    EXPECT_FALSE(enabled("ButtonReset"));
    EXPECT_TRUE(enabled("ButtonHome"));
    EXPECT_FALSE(enabled("GroupBoxPlaceControls"));  // no project
    EXPECT_FALSE(enabled("ButtonParkNozzle"));       // no nozzle mounted

    context.project.ProjectOpen = true;
    context.project.Parts.resize(2);
    context.project.CurrentPart = 2;
    EXPECT_TRUE(enabled("ButtonSortParts"));
    EXPECT_TRUE(enabled("ButtonStartBoard"));
    EXPECT_FALSE(enabled("ButtonStartPanel"));  // a single board
    EXPECT_FALSE(enabled("SaveProject1"));
    context.project.ProjectModified = true;
    EXPECT_TRUE(enabled("SaveProject1"));

    context.cycle.BoardRunActive = true;
    EXPECT_FALSE(enabled("ButtonSortParts"));
    EXPECT_FALSE(enabled("File1"));
    EXPECT_TRUE(enabled("ButtonPause"));
    EXPECT_TRUE(enabled("ButtonStop"));
    context.cycle.PauseRequested = true;
    EXPECT_FALSE(enabled("ButtonPause"));
    EXPECT_TRUE(enabled("ButtonResume"));

    context.cnc.EmergencyStop = true;
    EXPECT_TRUE(enabled("ButtonReset"));
    EXPECT_FALSE(enabled("ButtonGotoPart"));
    EXPECT_FALSE(enabled("ButtonEmergencyStop"));
}

TEST_F(MainWindowStateTest, WhileASequenceRunsOnlyTheStopControlsStayOn) {
    context.project.ProjectOpen = true;
    context.project.Parts.resize(3);
    context.project.CurrentPart = 1;
    context.project.BoardCountX = 2;
    context.cycle.BoardRunActive = true;
    ASSERT_TRUE(context.sequences.enter(0));
    for (const char* off :
         {"ButtonHome", "ButtonPark", "GroupBoxJogControl", "ButtonGotoCamera", "ListBoxPartList",
          "GroupBoxPartDetails", "CheckBoxMetric", "ButtonFeeders", "ButtonFiducials", "File1",
          "Settings1", "GroupBoxPanelSettings", "ButtonSetOrigin", "ButtonPickPart",
          "ButtonReset"}) {
        EXPECT_FALSE(enabled(off)) << off;
    }
    for (const char* on : {"ButtonEmergencyStop", "ButtonStop", "ButtonPause"}) {
        EXPECT_TRUE(enabled(on)) << on;
    }
    // The stop ends the sequence: RESET comes on while it gives up, nothing else.
    context.cnc.EmergencyStop = true;
    context.sequences.endAll();
    context.cycle.BoardRunActive = false;
    EXPECT_TRUE(enabled("ButtonReset"));
    EXPECT_FALSE(enabled("ButtonEmergencyStop"));
    EXPECT_FALSE(enabled("ListBoxPartList"));
    context.sequences.leave();
    EXPECT_TRUE(enabled("ListBoxPartList"));
    EXPECT_TRUE(enabled("File1"));
}

TEST_F(MainWindowStateTest, MachineCheckOpensAWindowOnlyWhenItsOwnControlIsEnabled) {
    const FixWindow settingsWindows[] = {FixWindow::HomeSettings, FixWindow::NozzleOffset,
                                         FixWindow::NozzleChanger};
    const FixWindow projectWindows[] = {FixWindow::Feeders, FixWindow::FiducialSettings,
                                        FixWindow::PanelSettings};
    context.project.ProjectOpen = true;
    for (FixWindow window : settingsWindows) {
        EXPECT_EQ(FixWindowOpener(window), "Settings1");
        EXPECT_TRUE(FixWindowAvailable(context, window));
    }
    for (FixWindow window : projectWindows) {
        EXPECT_TRUE(enabled(FixWindowOpener(window)));
        EXPECT_TRUE(FixWindowAvailable(context, window));
    }
    EXPECT_TRUE(FixWindowAvailable(context, FixWindow::MainWindow));
    EXPECT_FALSE(FixWindowAvailable(context, FixWindow::None));

    context.cycle.BoardRunActive = true;  // the windows a run must not see changed
    for (FixWindow window :
         {FixWindow::HomeSettings, FixWindow::Feeders, FixWindow::FiducialSettings}) {
        EXPECT_FALSE(FixWindowAvailable(context, window)) << FixWindowTitle(window).toStdString();
    }
    context.cycle.BoardRunActive = false;
    context.project.ProjectOpen = false;
    EXPECT_FALSE(FixWindowAvailable(context, FixWindow::Feeders));
    EXPECT_TRUE(FixWindowAvailable(context, FixWindow::HomeSettings));
}

TEST_F(MainWindowStateTest, BoardCountsOfADamagedFileMultiplyIn64Bits) {
    struct Case {
        int countX, countY, currentBoard;
        bool nextBoard;
    };
    const Case cases[] = {
        {2, 3, 5, true},
        {2, 3, 6, false},
        {65536, 65536, 1, true},  // 2^32 boards: an int product would be 0
        {46341, 46341, 7, true},  // just beyond the int range: an int product would be negative
    };
    context.project.ProjectOpen = true;
    for (const Case& c : cases) {
        context.project.BoardCountX = c.countX;
        context.project.BoardCountY = c.countY;
        context.project.CurrentPanelBoard = c.currentBoard;
        EXPECT_EQ(enabled("ButtonNextBoard"), c.nextBoard) << c.countX << " x " << c.countY;
    }
}

TEST_F(MainWindowStateTest, NozzleLabelAndTitle) {
    EXPECT_EQ(NozzleText(context), "NO NOZZLE");
    context.settings.currentNozzle = 3;
    EXPECT_EQ(NozzleText(context), "NOZZLE 3");
    context.settings.nozzleChangerEnabled = false;
    EXPECT_EQ(NozzleText(context), "");
    EXPECT_EQ(WindowTitle(context), "Corvane - ** NO PROJECT! **");
    context.project.ProjectOpen = true;
    context.project.ProjectName = "Blinky";
    EXPECT_EQ(WindowTitle(context), "Corvane - Blinky");
}

// A person whose first message round starts another delay, as a button handler might.
class ReentrantPort : public ScriptedOperatorPort {
public:
    ProgramContext* context = nullptr;
    void handlePendingMessages() override {
        ScriptedOperatorPort::handlePendingMessages();
        if (context && !nested_) {
            nested_ = true;
            Delay(*context, 2.0);
        }
    }

private:
    bool nested_ = false;
};

TEST(DelayTest, WaitsItsPeriodAndANestedDelayEnds) {
    VirtualClock clock;
    ReentrantPort port;
    ProgramContext context{clock, port};
    Delay(context, 0.5);
    EXPECT_NEAR(clock.now(), 0.5, 1e-9);
    EXPECT_EQ(port.statusUpdates, 1);

    port.context = &context;
    const double start = clock.now();
    Delay(context, 1.0);
    EXPECT_GE(clock.now() - start, 2.0);  // the nested wait ran to its end inside
    EXPECT_LT(clock.now() - start, 3.1);

    const double before = clock.now();
    Delay(context, 0.0001);  // rounds to no wait, yet returns
    EXPECT_EQ(clock.now(), before);
}

TEST(SingleInstanceTest, ASecondCopyIsRefused) {
    QTemporaryDir folder;
    const QString lock = folder.filePath("corvane.lock");
    SingleInstance first(lock);
    ASSERT_TRUE(first.acquire());
    SingleInstance second(lock);
    EXPECT_FALSE(second.acquire());
    EXPECT_STREQ(kSecondCopyMessage, "You already have a copy of this program running.");
}

}  // namespace
