// The main window on the simulated machine: start-up, the status read-out, the enable rules,
// the emergency stop, RESET and closing.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>

#include "CorvaneVersion.h"
#include "settings/MachineSettingsStore.h"
#include "support/widgets/MainWindowFixture.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

namespace {

const QStringList kMachineButtons = {"ButtonHome", "ButtonPark", "ButtonGotoCamera",
                                     "GroupBoxJogControl", "ButtonEmergencyStop"};

class MainWindowTest : public MainWindowFixture {
protected:
    bool enabled(const QString& name) { return control(name)->isEnabled(); }
    void expectOnlyResetAmongMachineButtons() {
        EXPECT_TRUE(enabled("ButtonReset"));
        for (const QString& name : kMachineButtons) {
            EXPECT_FALSE(enabled(name)) << name.toStdString();
        }
    }
};

TEST_F(MainWindowTest, StartsReadyParkedAndHomeRelativeWithoutAProject) {
    startUp();
    EXPECT_EQ(window->windowTitle(), "Corvane - ** NO PROJECT! **");
    EXPECT_EQ(text("LabelStatus"), "READY");
    EXPECT_EQ(text("LabelX"), "X 0.000mm");
    EXPECT_EQ(text("LabelY"), "Y 0.000mm");
    EXPECT_EQ(text("LabelZ"), "Z 0.000mm");
    EXPECT_EQ(text("LabelA"), "A 0.000");
    EXPECT_EQ(text("LabelNozzle"), "NO NOZZLE");
    EXPECT_EQ(control("GroupBoxPosition")->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_FALSE(enabled("ButtonReset"));
    for (const QString& name : kMachineButtons) {
        EXPECT_TRUE(enabled(name)) << name.toStdString();
    }
    EXPECT_FALSE(control("CheckBoxMetric")->isVisibleTo(window.get()));
    EXPECT_TRUE(person.callsStartingWith("error: ").isEmpty());
    // The placement controls belong to a project, Park Noz. with them.
    context->settings.currentNozzle = 1;
    window->updateButtons();
    EXPECT_FALSE(control("GroupBoxRunControls")->isVisibleTo(window.get()));
    EXPECT_FALSE(enabled("ButtonParkNozzle"));
}

// The switched outputs that the stop and the close sequence take down, by mask.
constexpr int kFeeder = 8, kBlow = 32, kVacuum = 16, kDispenser = 64, kYAlign = 4;

std::vector<SimCommand> offCommands(std::initializer_list<int> masks) {
    std::vector<SimCommand> commands;
    for (int mask : masks) {
        commands.push_back({"MotrixSetOutput", {mask, 0, 0, 0, 0, 0}});
    }
    return commands;
}

// The output commands of the log with the position words cleared.
std::vector<SimCommand> outputCommands(const SimController& sim) {
    std::vector<SimCommand> commands = sim.commandsNamed("MotrixSetOutput");
    for (SimCommand& command : commands) {
        std::fill(command.args.begin() + 2, command.args.end(), 0);
    }
    return commands;
}

TEST_F(MainWindowTest, EmergencyStopSwitchesEveryOutputOffAndLeavesOnlyReset) {
    startUp();
    MotrixCNC& cnc = context->cnc;
    cnc.SetVacuumOutput(true);
    cnc.SetFeederOutput(true);
    cnc.SetBlowOutput(true);
    cnc.SetDispenserOutput(true);
    sim.clearLog();
    click("ButtonEmergencyStop");
    EXPECT_EQ(text("LabelStatus"), "EMERGENCY STOP");
    expectOnlyResetAmongMachineButtons();
    // One off command per output, in the refresh's order; nothing is on afterwards.
    EXPECT_EQ(outputCommands(sim), offCommands({kFeeder, kBlow, kVacuum, kDispenser}));
    for (OutputIndex output : {OutputFeeder, OutputBlow, OutputVacuum, OutputDispenser}) {
        EXPECT_FALSE(cnc.OutputState[output]) << output;
    }
    EXPECT_EQ(sim.outputs(), 0);
    EXPECT_TRUE(person.callsStartingWith("error: ").isEmpty());

    // Later refreshes have nothing left to switch; switching on stays refused.
    sim.clearLog();
    window->updateButtons();
    cnc.SetVacuumOutput(true);
    EXPECT_TRUE(sim.commandsNamed("MotrixSetOutput").empty());
    EXPECT_FALSE(cnc.OutputState[OutputVacuum]);

    click("ButtonReset");
    EXPECT_EQ(text("LabelStatus"), "READY");
    EXPECT_FALSE(context->cnc.OutputState[OutputVacuum]);
    EXPECT_FALSE(sim.outputOn(16));
    EXPECT_FALSE(sim.commandsNamed("MotrixHome").empty());
    EXPECT_TRUE(enabled("ButtonHome"));
}

TEST_F(MainWindowTest, EmergencyStopEndsARun) {
    startUp();
    context->cycle.BoardRunActive = true;
    context->cycle.PartOnNozzle = true;
    window->updateButtons();
    EXPECT_FALSE(window->menuBar()->findChild<QMenu*>("File1")->menuAction()->isEnabled());
    click("ButtonEmergencyStop");
    EXPECT_FALSE(context->cycle.running());
    EXPECT_FALSE(context->cycle.PartOnNozzle);
    EXPECT_TRUE(window->menuBar()->findChild<QMenu*>("File1")->menuAction()->isEnabled());
}

TEST_F(MainWindowTest, TheFineAStepIsOneMotorStepOrATenthOfADegreeAsTheWindowWants) {
    startUp();
    context->settings.aStepsPerRev = 8000;
    struct Case {
        JogPanelWidget::AButtons aButtons;
        double fineStep;
    };
    for (const Case& c : {Case{JogPanelWidget::AButtons::MotorStep, 0.045},
                          Case{JogPanelWidget::AButtons::TenthDegree, 0.1}}) {
        std::unique_ptr<JogPanelWidget> jog(
            JogPanelWidget::forSettingsWindow(*context, c.aButtons, nullptr));
        jog->refreshEnabled();
        const double a = context->cnc.CommandedA;
        jog->findChild<QPushButton*>("ButtonJogAPlus")->click();
        EXPECT_NEAR(context->cnc.CommandedA - a, c.fineStep, 1e-9);
    }
    std::unique_ptr<JogPanelWidget> withoutA(
        JogPanelWidget::forSettingsWindow(*context, JogPanelWidget::AButtons::None, nullptr));
    EXPECT_EQ(withoutA->findChild<QPushButton*>("ButtonJogAPlus"), nullptr);
}

TEST_F(MainWindowTest, JogPanelStepsTheHead) {
    startUp();
    const double x = context->cnc.CommandedX;
    click("ButtonJogXPlus");
    EXPECT_NEAR(context->cnc.CommandedX - x, 0.025, 1e-12);
    for (int press = 1; press < 10; ++press) {
        click("ButtonJogXPlus");
    }
    EXPECT_NEAR(context->cnc.CommandedX - x, 0.25, 1e-9);
    click("ButtonJogAPlus");
    EXPECT_NEAR(context->cnc.CommandedA, 0.045, 1e-12);
    EXPECT_EQ(text("LabelA"), "A 0.045");

    ASSERT_TRUE(
        context->cnc.MoveMachine(context->cnc.CommandedX, context->cnc.CommandedY, 30, 0, 65000));
    click("ButtonZPlus10");
    EXPECT_EQ(context->cnc.CommandedZ, 35);
    EXPECT_TRUE(person.callsStartingWith("error: ").isEmpty());  // a clamped jog says nothing
}

TEST_F(MainWindowTest, ParkAndGoToCameraTravelRaisedAndShowTheUpCamera) {
    startUp();
    context->settings.uplookingCameraZ = 3;
    ASSERT_TRUE(context->cnc.MoveMachine(50, 50, 2, 0, 65000));
    sim.clearLog();
    click("ButtonGotoCamera");
    EXPECT_EQ(context->SelectedCamera, 1);
    const auto moves = sim.commandsNamed("MotrixLinearMove");
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].args[2], 0);
    EXPECT_EQ(moves[1].args[2], 0);
    EXPECT_EQ(moves[2].args[2], 236);
    EXPECT_EQ(text("LabelX"), "X 200.000mm");

    click("ButtonPark");
    EXPECT_EQ(text("LabelX"), "X 0.000mm");
    EXPECT_EQ(context->cnc.CommandedZ, 0);
}

TEST_F(MainWindowTest, AMissingControllerIsReportedAndLeavesOnlyReset) {
    sim.configure("mode=instant\nfault_reset_unanswered=1");
    startUp();
    EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"FAILED TO LOCATE CNC CONTROLLER!"});
    EXPECT_EQ(person.callsStartingWith("speak: "), QStringList{"FAILED TO LOCATE CNC CONTROLLER"});
    EXPECT_EQ(text("LabelStatus"), "DISABLED");
    expectOnlyResetAmongMachineButtons();

    click("ButtonReset");
    EXPECT_EQ(person.callsStartingWith("error: ").size(), 2);
    sim.configure("mode=instant");
    click("ButtonReset");
    EXPECT_EQ(text("LabelStatus"), "READY");
}

TEST_F(MainWindowTest, ARefusedSetUpIsReportedAsFailedInitialisation) {
    sim.configure("mode=instant\nfault_max_speed_refused=1");
    startUp();
    EXPECT_EQ(person.callsStartingWith("error: "),
              QStringList{"FAILED TO INITIALISE CNC CONTROLLER!"});
    EXPECT_EQ(text("LabelStatus"), "DISABLED");
}

TEST_F(MainWindowTest, ClosingSwitchesOutputsOffSavesSettingsAndClosesTheLibrary) {
    startUp();
    context->cnc.SetFeederOutput(true);
    context->settings.jogSpeed = 1234;
    sim.clearLog();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(sim.outputOn(8));
    const auto commands = sim.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[commands.size() - 2].name, "MotrixEndCurrentMove");
    EXPECT_EQ(commands.back().name, "MotrixClose");
    EXPECT_EQ(
        OpenMachineSettingsStoreAt(settingsFile())->value("CNC Settings/Jog Speed").toString(),
        "1234");
}

TEST_F(MainWindowTest, ClosingUnderTheStopStillSwitchesEveryOutputOff) {
    startUp();
    click("ButtonEmergencyStop");
    sim.clearLog();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(outputCommands(sim), offCommands({kFeeder, kVacuum, kBlow, kDispenser, kYAlign}));
    EXPECT_EQ(sim.commands().back().name, "MotrixClose");
}

QRect workAreaOf(const QWidget& window) {
    return window.screen()->availableGeometry();
}

// What is wrong with an open settings window's place and size: empty when its frame's top right
// corner is the screen's and every control lies inside it.
QStringList misplacement(const QWidget& window) {
    QStringList faults;
    if (window.frameGeometry().topRight() != workAreaOf(window).topRight()) {
        faults << "not at the top right corner";
    }
    if (window.width() < window.sizeHint().width() ||
        window.height() < window.sizeHint().height()) {
        faults << "smaller than its layout asks";
    }
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        const QRect at(control->mapTo(&window, QPoint(0, 0)), control->size());
        if (control->isVisibleTo(&window) && !window.rect().contains(at)) {
            faults << control->objectName() + " cut off";
        }
    }
    return faults;
}

TEST_F(MainWindowTest, HelpAboutTellsTheVersionTheLicenceAndQt) {
    QStringList labels;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            look.stop();
            labels << about->windowTitle();
            for (const char* name : {"LabelVersion", "LabelLicence", "LabelQtVersion"}) {
                labels << about->findChild<QLabel*>(name)->text();
            }
            about->accept();
        }
    });
    look.start(5);
    window->findChild<QAction*>("About1")->trigger();
    ASSERT_EQ(labels.size(), 4);
    EXPECT_EQ(labels[0], "About Corvane2");
    EXPECT_EQ(labels[1], QString("Version ") + kCorvaneVersion);
    EXPECT_TRUE(labels[2].contains("GNU General Public License, version 3 or later"));
    EXPECT_TRUE(labels[2].contains("GPL-3.0-or-later"));
    EXPECT_TRUE(labels[3].startsWith(QString("Qt ") + qVersion())) << labels[3].toStdString();
}

TEST_F(MainWindowTest, SettingsWindowsOpenAtTheTopRightShowingEveryControl) {
    startUp();
    for (const char* item : {"CNC1", "Home1", "NozzleChanger1", "NozzleOffset1", "RejectTray1",
                             "Vision1", "MachineCheck1"}) {
        QString opened;
        QStringList faults;
        QTimer look;  // the person looks once the window is on screen, then closes it
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (open && open->isVisible()) {
                look.stop();
                opened = open->windowTitle();
                faults = misplacement(*open);
                open->reject();
            }
        });
        look.start(5);
        window->findChild<QAction*>(item)->trigger();
        EXPECT_FALSE(opened.isEmpty()) << item;
        EXPECT_TRUE(faults.isEmpty()) << item << ": " << faults.join(", ").toStdString();
    }
}

// The window system frames a new window and may move or size it after the window placed
// itself; the operator may move it later.
TEST(SettingsWindowPlacement, KeepsTheCornerWhileTheWindowSystemSettlesThenLeavesItToTheOperator) {
    QDialog window;
    auto* layout = new QVBoxLayout(&window);
    auto* wide = new QLineEdit(&window);
    wide->setMinimumWidth(500);
    layout->addWidget(wide);
    window.show();
    PlaceAtTopRight(&window);
    const QPoint corner = workAreaOf(window).topRight();
    EXPECT_TRUE(misplacement(window).isEmpty()) << misplacement(window).join(", ").toStdString();

    window.move(corner.x() - 900, 300);  // as a window manager's own placement would
    QCoreApplication::processEvents();
    EXPECT_EQ(window.frameGeometry().topRight(), corner);

    QTest::qWait(1100);  // settled
    window.move(200, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.pos(), QPoint(200, 300));

    window.hide();
    window.show();
    PlaceAtTopRight(&window);  // each showing starts at the corner again
    EXPECT_EQ(window.frameGeometry().topRight(), corner);
}

}  // namespace

namespace {

class MainWindowProjectTest : public MainWindowFixture {
protected:
    // A modified project open in the window.
    void openModifiedProject() {
        context->project.ProjectOpen = true;
        context->project.ProjectModified = true;
        context->project.ProjectName = "Blinky";
        context->project.Parts.resize(3);
        context->project.CurrentPart = 1;
        window->updateButtons();
    }
};

TEST_F(MainWindowProjectTest, CancellingTheCloseQuestionKeepsTheProjectAndTheProgram) {
    startUp();
    openModifiedProject();
    EXPECT_EQ(window->windowTitle(), "Corvane - Blinky");
    person.answers.push_back(OperatorPort::Answer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(person.callsStartingWith("ask3: "), QStringList{"Save Changes to PROJECT?"});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(context->project.ProjectOpen);
    EXPECT_EQ(context->project.PartCount(), 3);
    EXPECT_TRUE(sim.commandsNamed("MotrixClose").empty());
}

TEST_F(MainWindowProjectTest, AnsweringNoClosesWithoutSaving) {
    startUp();
    openModifiedProject();
    person.answers.push_back(OperatorPort::Answer::No);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(context->project.ProjectOpen);
    EXPECT_EQ(sim.commandsNamed("MotrixClose").size(), 1u);
}

}  // namespace
