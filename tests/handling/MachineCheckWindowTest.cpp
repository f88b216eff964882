// "Machine Check" in the main window: each problem's button opens the window that mends it, and
// Start Board shows the check instead of starting when something blocks the run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <functional>

#include "handling/TFormMachineCheck.h"
#include "project/ProjectFile.h"
#include "settings/MachineSettingsStore.h"
#include "support/TestFiles.h"
#include "support/widgets/MainWindowFixture.h"

namespace {

// What the person saw after pressing a problem's button.
struct Opened {
    std::string problem;  // the problem's fix window, as the check names it
    std::string window;   // the title of the window that opened; empty when none did
    int feeder = 0;       // the feeders window's feeder
    int part = 0;         // the main window's current part afterwards
    bool checkClosed = false;
};

class MachineCheckWindowTest : public MainWindowFixture {
protected:
    // The homed demo machine with the demo project open, its snaps in a folder of the test's own.
    MachineCheckWindowTest() {
        startUp();
        copyFolder(kDemoFolder + "System Settings", disk.filePath("System"));
        copyFolder(kDemoFolder + "Demo Panel", disk.filePath("Demo Panel"));
        context->SystemSettingsFolder = disk.filePath("System") + "/";
        LoadMachineSettings(
            *OpenMachineSettingsStoreAt(kDemoFolder + "Machine Settings/Corvane 2.ini"),
            context->settings);
        context->settings.nozzleOffsetX = context->settings.nozzleOffsetY = 1;
        EXPECT_TRUE(LoadProject(context->project, context->settings,
                                disk.filePath("Demo Panel") + "/", "Demo Panel"));
        context->project.ProjectOpen = true;
        window->updatePartList();
        window->updateStatus();
        window->updateButtons();
    }

    // One problem of every kind of window that mends it.
    void damageOneOfEachKind() {
        ProjectState& project = context->project;
        MachineSettings& settings = context->settings;
        QFile::remove(disk.filePath("System/Home.BMP"));
        QFile::remove(disk.filePath("System/Demo SOT-23.Bmp"));
        QFile::remove(disk.filePath("Demo Panel/Fiducial1.Bmp"));
        settings.uplookingCameraZ = 0;
        project.Parts[6].Feeder = 0;    // part 7 without a feeder
        project.Parts[5].X = 300;       // part 6 beyond the travel on boards 2 and 4
        project.Feeders[1].Nozzle = 3;  // into an untaught holder
        settings.nozzleX[2] = settings.nozzleY[2] = 0;
    }

    // Opens Settings / Machine Check and lets `person` act on the window once it shows; the
    // window is closed afterwards if the person left it open.
    void withMachineCheck(const std::function<void(TFormMachineCheck&)>& person) {
        bool acted = false;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* check = qobject_cast<TFormMachineCheck*>(QApplication::activeModalWidget());
            if (check && check->isVisible() && !acted) {
                acted = true;
                person(*check);
                check->accept();
            }
        });
        look.start(5);
        window->findChild<QAction*>("MachineCheck1")->trigger();
        EXPECT_TRUE(acted);
    }

    // Presses the button of problem `row`; the person notes the window that opens and closes it.
    Opened openFixOf(int row) {
        Opened opened;
        withMachineCheck([&](TFormMachineCheck& check) {
            opened.problem = FixWindowTitle(check.problems()[row].window).toStdString();
            check.findChild<QTableWidget*>("TableProblems")->selectRow(row);
            QTimer note;
            QObject::connect(&note, &QTimer::timeout, [&] {
                QWidget* top = QApplication::activeModalWidget();
                if (top && top != &check && top->isVisible()) {
                    opened.window = top->windowTitle().toStdString();
                    opened.feeder = context->project.CurrentFeeder;
                    qobject_cast<QDialog*>(top)->reject();
                }
            });
            note.start(5);
            auto* button = check.findChild<QPushButton*>("ButtonOpenFix");
            ASSERT_TRUE(button->isEnabled()) << opened.problem;
            button->click();
            opened.checkClosed = !check.isVisible();
        });
        opened.part = context->project.CurrentPart;
        return opened;
    }

    QTemporaryDir disk;
};

TEST_F(MachineCheckWindowTest, EachProblemsButtonOpensTheWindowThatMendsIt) {
    damageOneOfEachKind();
    QList<CheckProblem> problems;
    withMachineCheck([&](TFormMachineCheck& check) { problems = check.problems(); });
    QSet<FixWindow> kinds;
    for (int row = 0; row < problems.size(); ++row) {
        kinds << problems[row].window;
        const Opened opened = openFixOf(row);
        if (problems[row].window == FixWindow::MainWindow) {
            EXPECT_EQ(opened.window, "") << problems[row].what.toStdString();
            EXPECT_TRUE(opened.checkClosed);
            EXPECT_EQ(opened.part, problems[row].part);
            continue;
        }
        EXPECT_EQ(opened.window, opened.problem) << problems[row].what.toStdString();
        EXPECT_FALSE(opened.checkClosed);
        if (problems[row].window == FixWindow::Feeders) {
            EXPECT_EQ(opened.feeder, problems[row].feeder);
        }
    }
    EXPECT_EQ(kinds,
              (QSet<FixWindow>{FixWindow::HomeSettings, FixWindow::NozzleOffset,
                               FixWindow::MainWindow, FixWindow::Feeders, FixWindow::NozzleChanger,
                               FixWindow::PanelSettings, FixWindow::FiducialSettings}));
}

TEST_F(MachineCheckWindowTest, AMendedProblemLeavesTheListWhenItsWindowCloses) {
    QFile::remove(disk.filePath("System/Home.BMP"));
    QString summaryBefore, summaryAfter;
    withMachineCheck([&](TFormMachineCheck& check) {
        summaryBefore = check.findChild<QLabel*>("LabelSummary")->text();
        QTimer mend;  // the operator takes the snap in Home Settings and closes it
        QObject::connect(&mend, &QTimer::timeout, [&] {
            QWidget* top = QApplication::activeModalWidget();
            if (top && top != &check && top->isVisible()) {
                QFile::copy(kDemoFolder + "System Settings/Home.BMP",
                            disk.filePath("System/Home.BMP"));
                qobject_cast<QDialog*>(top)->reject();
            }
        });
        mend.start(5);
        check.findChild<QPushButton*>("ButtonOpenFix")->click();
        summaryAfter = check.findChild<QLabel*>("LabelSummary")->text();
        EXPECT_EQ(check.findChild<QTableWidget*>("TableProblems")->rowCount(), 0);
        EXPECT_FALSE(check.findChild<QPushButton*>("ButtonOpenFix")->isEnabled());
    });
    EXPECT_EQ(summaryBefore.toStdString().substr(0, 24), "1 problem blocks a run. ");
    EXPECT_EQ(summaryAfter, "Nothing blocks a run now, and nothing looks amiss.");
}

TEST_F(MachineCheckWindowTest, StartBoardShowsTheCheckInsteadOfStartingWhenSomethingBlocks) {
    QFile::remove(disk.filePath("System/Demo SOT-23.Bmp"));
    sim.clearLog();
    QString summary, mended;
    QTimer look;  // the operator reads it, puts the snap back and checks again
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (auto* check = qobject_cast<TFormMachineCheck*>(QApplication::activeModalWidget())) {
            summary = check->findChild<QLabel*>("LabelSummary")->text();
            QFile::copy(kDemoFolder + "System Settings/Demo SOT-23.Bmp",
                        disk.filePath("System/Demo SOT-23.Bmp"));
            check->findChild<QPushButton*>("ButtonCheckAgain")->click();
            mended = check->findChild<QLabel*>("LabelSummary")->text();
            check->accept();
        }
    });
    look.start(5);
    click("ButtonStartBoard");
    EXPECT_TRUE(summary.startsWith("\"Start Board\" did not start: 1 problem blocks a run."))
        << summary.toStdString();
    EXPECT_EQ(mended,
              "Nothing blocks a run now, and nothing looks amiss. Close this window and "
              "press \"Start Board\" again.");
    EXPECT_TRUE(sim.commandsNamed("MotrixLinearMove").empty());
    EXPECT_TRUE(person.callsStartingWith("choice: ").isEmpty());
}

TEST_F(MachineCheckWindowTest, StartBoardStartsWhenNothingBlocks) {
    ProjectState& project = context->project;
    for (int part = 2; part <= project.PartCount(); ++part) {
        project.Parts[part - 1].Enabled = false;
    }
    project.FiducialEnable = false;
    sim.clearLog();
    bool checkShown = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (auto* check = qobject_cast<TFormMachineCheck*>(QApplication::activeModalWidget())) {
            checkShown = true;
            check->accept();
        }
    });
    look.start(5);
    click("ButtonStartBoard");
    EXPECT_FALSE(checkShown);
    EXPECT_FALSE(sim.commandsNamed("MotrixLinearMove").empty());
}

}  // namespace
