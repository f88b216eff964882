// Teaching and visiting the reject trays, in the core and through their window.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>

#include "handling/RejectTrays.h"
#include "handling/TFormRejectTray.h"
#include "support/widgets/MainWindowFixture.h"

namespace {

class RejectTrayTest : public MainWindowFixture {
protected:
    RejectTrayTest() {
        startUp();
        context->cnc.HomeOffsetX = 20;
        context->cnc.HomeOffsetY = 20;
    }
};

TEST_F(RejectTrayTest, SetTrayTakesTheCameraPositionHomeRelative) {
    ASSERT_TRUE(context->cnc.MoveMachine(120, 80, 0, 0, 65000));
    TFormRejectTray window(*context, this->window.get());
    window.show();
    window.findChild<QPushButton*>("ButtonSetTray3")->click();
    EXPECT_EQ(context->settings.rejectTrayX[2], 100);
    EXPECT_EQ(context->settings.rejectTrayY[2], 60);
    EXPECT_EQ(window.findChild<QLineEdit*>("EditTray3X")->text(), "100.000");
    EXPECT_EQ(window.findChild<QLineEdit*>("EditTray3Y")->text(), "60.000");
}

TEST_F(RejectTrayTest, TypedCoordinatesMustLieWithinTheTravel) {
    struct Case {
        TravelAxis axis;
        const char* text;
        bool accepted;
    };
    // X travel -5..405 and Y travel -5..350, less the home offsets of 20.
    const Case cases[] = {{TravelAxis::X, "-25", true},  {TravelAxis::X, "-25.001", false},
                          {TravelAxis::X, "385", true},  {TravelAxis::X, "385.5", false},
                          {TravelAxis::Y, "330", true},  {TravelAxis::Y, "331", false},
                          {TravelAxis::X, "1,5", false}, {TravelAxis::X, "", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(ParseTrayCoordinate(*context, c.axis, QString(c.text)).has_value(), c.accepted)
            << c.text;
    }
}

TEST_F(RejectTrayTest, AnOutOfTravelValueTurnsTheBoxRedAndKeepsTheSetting) {
    context->settings.rejectTrayX[4] = 12.5;
    TFormRejectTray window(*context, this->window.get());
    window.show();
    QLineEdit* edit = window.findChild<QLineEdit*>("EditTray5X");
    edit->setText("999");
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(context->settings.rejectTrayX[4], 12.5);
    edit->setText("42.5");
    EXPECT_NE(edit->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(context->settings.rejectTrayX[4], 42.5);
}

TEST_F(RejectTrayTest, GoToTrayTravelsRaisedToTheTray) {
    context->settings.rejectTrayX[1] = 30;
    context->settings.rejectTrayY[1] = 40;
    ASSERT_TRUE(context->cnc.MoveMachine(100, 100, 3, 0, 65000));
    sim.clearLog();
    TFormRejectTray window(*context, this->window.get());
    window.show();
    window.findChild<QPushButton*>("ButtonGotoTray2")->click();
    const auto moves = sim.commandsNamed("MotrixLinearMove");
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].args[2], 0);
    EXPECT_DOUBLE_EQ(context->cnc.CommandedX, 50);
    EXPECT_DOUBLE_EQ(context->cnc.CommandedY, 60);
}

TEST_F(RejectTrayTest, ButtonsAndJogFollowTheMachineState) {
    TFormRejectTray window(*context, this->window.get());
    context->cnc.EmergencyStop = true;
    window.show();
    EXPECT_FALSE(window.findChild<QPushButton*>("ButtonGotoTray1")->isEnabled());
    EXPECT_FALSE(window.findChild<QWidget*>("GroupBoxJogControl")->isEnabled());
    EXPECT_EQ(window.findChild<QWidget*>("ButtonJogAPlus"), nullptr);  // no A on this panel
}

}  // namespace
