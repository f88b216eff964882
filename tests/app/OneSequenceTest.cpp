// One machine sequence at a time, as the operator meets it on the demo panel: while a sequence
// waits, only the stop controls are live in the main window and the open window is off, the
// program does not close under it, and no window's action drops a held part.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <functional>
#include <optional>

#include "support/widgets/DemoWindowFixture.h"

namespace {

// Controls that only choose the camera picture shown: live at any time.
const QStringList kViewControls = {"RadioButtonUpCamera", "RadioButtonDownCamera"};

class OneSequenceTest : public DemoWindowFixture {
protected:
    OneSequenceTest() { enableOnly({"U1", "Q1", "R1"}); }

    // The controls of the main window an operator could use now, the picture choice aside.
    QStringList liveControls() const {
        QStringList live;
        for (QWidget* control : window->centralWidget()->findChildren<QWidget*>()) {
            const bool operable = qobject_cast<QAbstractButton*>(control) ||
                                  qobject_cast<QListView*>(control) ||
                                  qobject_cast<QComboBox*>(control);
            if (operable && control->isVisibleTo(window.get()) && control->isEnabled() &&
                !kViewControls.contains(control->objectName())) {
                live << control->objectName();
            }
        }
        // The menu bar's own menus: not the overflow menu Qt adds when they do not fit.
        for (QAction* entry : window->menuBar()->actions()) {
            if (entry->menu() && entry->isEnabled()) {
                live << entry->menu()->objectName();
            }
        }
        live.sort();
        return live;
    }

    // Runs `operate` once, at the first message round at which `when` holds.
    void onceWhen(std::function<bool()> when, std::function<void()> operate) {
        auto done = std::make_shared<bool>(false);
        person.onProcessEvents = [=] {
            if (!*done && when()) {
                *done = true;
                operate();
            }
        };
    }

    void clickRow(const QString& designator) {
        auto* list = control<QListView>("ListBoxPartList");
        const QModelIndex row = list->model()->index(partNumber(designator) - 1, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
    }

    bool held() const { return worldState()["held_part"].isObject(); }
    bool carrying() const { return context->cycle.PartOnNozzle; }

    // U1 picked by hand: it waits centred over the up-looking camera.
    void pickU1() {
        context->project.CurrentPart = partNumber("U1");
        window->updatePartList();
        click("ButtonPickPart");
        ASSERT_TRUE(held());
        person.calls.clear();
    }
};

TEST_F(OneSequenceTest, WhileAPickWaitsOnlyTheStopIsLiveAndNothingElseStartsOrChanges) {
    QStringList live;
    onceWhen([this] { return carrying(); },
             [this, &live] {
                 live = liveControls();
                 clickRow("Q1");
                 for (const char* name :
                      {"ButtonAddPart", "ButtonDeletePart", "ButtonPickPart", "ButtonGotoCamera"}) {
                     QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
                 }
             });
    context->project.CurrentPart = partNumber("U1");
    window->updatePartList();
    click("ButtonPickPart");
    EXPECT_EQ(live, QStringList{"ButtonEmergencyStop"});
    EXPECT_EQ(context->project.CurrentPart, partNumber("U1"));
    EXPECT_EQ(context->project.PartCount(), 21);
    EXPECT_TRUE(held());
    EXPECT_TRUE(person.callsStartingWith("error: ").isEmpty());
    EXPECT_EQ(runFaults({}), QStringList{});  // one pick, nothing dragged low
}

TEST_F(OneSequenceTest, ARunPlacesEachPartOnItsOwnPadWhateverIsClickedMeanwhile) {
    QStringList live;
    onceWhen([this] { return carrying() && context->cycle.running(); },
             [this, &live] {
                 live = liveControls();
                 clickRow("R1");
                 for (const char* name : {"ButtonAddPart", "ButtonDeletePart", "ButtonSortParts",
                                          "ButtonSetPartPosition", "ButtonStartBoard"}) {
                     QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
                 }
             });
    click("ButtonStartBoard");
    EXPECT_EQ(live, QStringList({"ButtonEmergencyStop", "ButtonPause", "ButtonStop"}));
    EXPECT_EQ(context->project.PartCount(), 21);
    EXPECT_EQ(runFaults({{1, "U1"}, {1, "Q1"}, {1, "R1"}}), QStringList{});
    EXPECT_TRUE(person.callsStartingWith("speak: ").contains("Automatic Placement Cycle Finished"));
}

TEST_F(OneSequenceTest, TheProgramDoesNotCloseUnderARun) {
    std::optional<bool> closed;
    onceWhen([this] { return carrying() && context->cycle.running(); },
             [this, &closed] { closed = window->close(); });
    click("ButtonStartBoard");
    ASSERT_TRUE(closed.has_value());
    EXPECT_FALSE(*closed);
    EXPECT_EQ(person.callsStartingWith("information: "),
              QStringList{"THE MACHINE IS STILL WORKING.\rSTOP IT OR LET IT FINISH BEFORE CLOSING "
                          "THE PROGRAM!"});
    EXPECT_TRUE(sim.commandsNamed("MotrixClose").empty());  // the library stays open
    EXPECT_EQ(runFaults({{1, "U1"}, {1, "Q1"}, {1, "R1"}}), QStringList{});
    EXPECT_TRUE(window->close());  // once the run is over
}

TEST_F(OneSequenceTest, TheFeedersWindowIsOffWhileItsTestPickWaits) {
    std::optional<bool> windowLive;
    int feeders = 0;
    inWindow([this] { click("ButtonFeeders"); },
             [&](QDialog& window) {
                 feeders = context->project.FeederCount();
                 onceWhen([this] { return carrying(); },
                          [&] {
                              auto* add = window.findChild<QAbstractButton*>("ButtonAddFeeder");
                              windowLive = add->isEnabled();
                              QTest::mouseClick(add, Qt::LeftButton);
                              window.close();
                          });
                 window.findChild<QAbstractButton*>("ButtonTestPick")->click();
                 EXPECT_TRUE(window.isVisible());  // not closed under its sequence
                 window.findChild<QAbstractButton*>("ButtonDiscard")->click();
             });
    ASSERT_TRUE(windowLive.has_value());
    EXPECT_FALSE(*windowLive);
    EXPECT_EQ(context->project.FeederCount(), feeders);
    EXPECT_EQ(runFaults({}), QStringList{});  // the test pick went into a reject tray
}

TEST_F(OneSequenceTest, NoWindowActionDropsAHeldPart) {
    struct Case {
        const char* name;
        std::function<void()> act;
    };
    const auto inMenuWindow = [this](const char* item, const char* button) {
        return [this, item, button] {
            inWindow([this, item] { window->findChild<QAction*>(item)->trigger(); },
                     [button](QDialog& open) {
                         if (button) {
                             open.findChild<QAbstractButton*>(button)->click();
                         }
                     });
        };
    };
    const Case cases[] = {
        {"Go To Camera", [this] { click("ButtonGotoCamera"); }},
        {"Park", [this] { click("ButtonPark"); }},
        {"HOME", [this] { click("ButtonHome"); }},
        {"Home Settings: Go To Home", inMenuWindow("Home1", "ButtonGotoHome1")},
        {"Home Settings: Go To Home2", inMenuWindow("Home1", "ButtonGotoHome2")},
        {"Home Settings: park Go To", inMenuWindow("Home1", "ButtonGotoPark")},
        {"Home Settings: Test",
         [&] {
             context->settings.visualHome = true;
             inMenuWindow("Home1", "ButtonTestHome1")();
             context->settings.visualHome = false;
         }},
        {"CNC Settings: HOME", inMenuWindow("CNC1", "ButtonHome")},
        {"Vision Settings: Go To Camera", inMenuWindow("Vision1", "ButtonGotoCamera")},
        {"opening Nozzle Offset", inMenuWindow("NozzleOffset1", nullptr)},
    };
    pickU1();
    const int moves = static_cast<int>(sim.commandsNamed("MotrixLinearMove").size());
    for (const Case& c : cases) {
        person.calls.clear();
        c.act();
        EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"DISCARD THE PART FIRST."})
            << c.name;
        EXPECT_TRUE(held()) << c.name;
        EXPECT_TRUE(sim.outputOn(16)) << c.name;
    }
    EXPECT_EQ(static_cast<int>(sim.commandsNamed("MotrixLinearMove").size()), moves);
}

TEST_F(OneSequenceTest, ClosingCncSettingsSwitchesOffOnlyWhatItsButtonsSwitchedOn) {
    pickU1();
    inWindow([this] { window->findChild<QAction*>("CNC1")->trigger(); },
             [](QDialog& cnc) {
                 auto* vacuum = cnc.findChild<QAbstractButton*>("ButtonVacuum");
                 QTest::mousePress(vacuum, Qt::LeftButton);  // on already: the part's
                 QTest::mouseRelease(vacuum, Qt::LeftButton);
                 QTest::mousePress(cnc.findChild<QAbstractButton*>("ButtonDispenser"),
                                   Qt::LeftButton);  // held as the window closes
             });
    EXPECT_TRUE(held());
    EXPECT_EQ(sim.outputs(), 16);  // the vacuum stays on, the dispenser went off
}

TEST_F(OneSequenceTest, TheFiducialWindowKeepsTheBoardRelativeReadOut) {
    const auto readOut = [this] {
        return std::pair{text("LabelX"),
                         control("GroupBoxPosition")->palette().color(QPalette::Window)};
    };
    const auto board = readOut();
    ASSERT_EQ(board.second, QColor(255, 255, 0));
    std::pair<QString, QColor> inFiducials, inCnc;
    inWindow([this] { click("ButtonFiducials"); }, [&](QDialog&) { inFiducials = readOut(); });
    inWindow([this] { window->findChild<QAction*>("CNC1")->trigger(); },
             [&](QDialog&) { inCnc = readOut(); });
    EXPECT_EQ(inFiducials, board);
    EXPECT_EQ(inCnc.second, QColor(0, 255, 0));  // the machine frame, home-relative
}

TEST_F(OneSequenceTest, TakeNewSnapTellsACameraWithoutAFrame) {
    sim.injectFaults("camera_up_no_frame=1");
    inWindow(
        [this] { click("ButtonFeeders"); },
        [](QDialog& feeders) { feeders.findChild<QAbstractButton*>("ButtonTakeSnap")->click(); });
    EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"CAMERA FAILED!"});
}

}  // namespace
