// The "CNC Settings" window: what each edit accepts, the controller parameters that need
// RESET, and the press-and-hold output buttons.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "motion/TFormCNCSettings.h"
#include "support/widgets/MainWindowFixture.h"

namespace {

class CNCSettingsWindowTest : public MainWindowFixture {
protected:
    CNCSettingsWindowTest() : form(*context, window.get()) {
        startUp();
        form.show();
    }
    QLineEdit* edit(const QString& name) { return form.findChild<QLineEdit*>(name); }
    bool red(const QString& name) {
        return edit(name)->palette().color(QPalette::Base) == QColor(255, 0, 0);
    }

    TFormCNCSettings form;
};

TEST_F(CNCSettingsWindowTest, EditsAcceptOnlyTheirRange) {
    struct Case {
        const char* edit;
        const char* text;
        bool accepted;
    };
    // Limits 0..35 in Z; the maximum X is 405; "Max Steps Per Second" 65000.
    const Case cases[] = {{"EditCNCMaxStepsPerSecond", "400", false},
                          {"EditCNCMaxStepsPerSecond", "401", true},
                          {"EditPickDelay", "0", false},
                          {"EditPickDelay", "1.999", true},
                          {"EditPlaceZPush", "0", true},
                          {"EditPlaceZPush", "3", false},
                          {"EditHomeZ", "35", true},
                          {"EditHomeZ", "35.01", false},
                          {"EditMinimumX", "404.999", true},
                          {"EditMinimumX", "405", false},
                          {"EditMaximumZ", "0", false},
                          {"EditCNCScale", "256", false},
                          {"EditCNCScale", "255", true},
                          {"EditCNCComPort", "2.5", false},
                          {"EditSlowPlaceSpeed", "9", false},
                          {"EditSlowPlaceSpeed", "10", true},
                          {"EditFastPlaceSpeed", "65001", false},
                          {"EditPickRetryCount", "11", false},
                          {"EditXStepsPerMM", "1,5", false},
                          {"EditJogSpeed", "", false}};
    for (const Case& c : cases) {
        edit(c.edit)->setText(c.text);
        EXPECT_EQ(red(c.edit), !c.accepted) << c.edit << " " << c.text;
    }
    const MachineSettings& s = context->settings;
    EXPECT_EQ(s.maxStepsPerSecond, 401);
    EXPECT_EQ(s.pickDelay, 1.999);
    EXPECT_EQ(s.placeZPush, 0);
    EXPECT_EQ(s.homeZ, 35);
    EXPECT_EQ(s.minimumXPosition, 404.999);
    EXPECT_EQ(s.scale, 255);
    EXPECT_EQ(s.slowPlaceSpeed, 10);
    EXPECT_EQ(s.comPort, 1);
}

TEST_F(CNCSettingsWindowTest, AControllerParameterNeedsResetAndFillingChangesNothing) {
    EXPECT_TRUE(context->cnc.ControllerReady);  // showing filled every edit
    EXPECT_FALSE(form.findChild<QPushButton*>("ButtonReset")->isEnabled());
    edit("EditJogSpeed")->setText("2000");
    EXPECT_TRUE(context->cnc.ControllerReady);
    edit("EditCNCAcceleration")->setText("2000000");
    EXPECT_FALSE(context->cnc.ControllerReady);
    EXPECT_FALSE(form.findChild<QPushButton*>("ButtonHome")->isEnabled());
    EXPECT_FALSE(form.findChild<QWidget*>("GroupBoxJogControl")->isEnabled());

    form.findChild<QPushButton*>("ButtonReset")->click();
    EXPECT_TRUE(context->cnc.ControllerReady);
    EXPECT_FALSE(sim.commandsNamed("MotrixHome").empty());
    EXPECT_EQ(sim.commandsNamed("MotrixSetAccelleration").at(0).args.at(0), 2000000);
}

TEST_F(CNCSettingsWindowTest, DualYCanChangeOnlyWithVisualHome) {
    auto* dual = form.findChild<QCheckBox*>("CheckBoxDualYAxis");
    auto* visual = form.findChild<QCheckBox*>("CheckBoxVisualHome");
    ASSERT_FALSE(visual->isChecked());  // the fixture homes without the camera
    EXPECT_FALSE(dual->isEnabled());
    visual->click();
    EXPECT_TRUE(context->settings.visualHome);
    EXPECT_FALSE(context->cnc.ControllerReady);
    EXPECT_TRUE(dual->isEnabled());
    dual->click();
    EXPECT_EQ(context->settings.dualYAxis, dual->isChecked());
}

// The controller is bound at start-up: another choice waits for the next start, while
// LinuxCNC's address is a controller parameter, taken at RESET.
TEST_F(CNCSettingsWindowTest, TheControllerChoiceWaitsForTheNextStart) {
    auto* library = form.findChild<QRadioButton*>("RadioButtonControllerLibrary");
    auto* linuxCnc = form.findChild<QRadioButton*>("RadioButtonControllerLinuxCnc");
    auto* restart = form.findChild<QLabel*>("LabelControllerRestart");
    EXPECT_TRUE(library->isChecked());
    EXPECT_FALSE(restart->isVisible());
    EXPECT_FALSE(edit("EditLinuxCncHost")->isEnabled());
    EXPECT_EQ(edit("EditLinuxCncPort")->text(), "5007");

    linuxCnc->click();
    EXPECT_EQ(context->settings.controller, "LinuxCNC");
    EXPECT_TRUE(restart->isVisible());
    EXPECT_TRUE(context->cnc.ControllerReady);  // the bound library goes on serving
    ASSERT_TRUE(edit("EditLinuxCncHost")->isEnabled());

    edit("EditLinuxCncHost")->setText("cnc local");
    EXPECT_TRUE(red("EditLinuxCncHost"));
    edit("EditLinuxCncPort")->setText("70000");
    EXPECT_TRUE(red("EditLinuxCncPort"));
    EXPECT_TRUE(context->cnc.ControllerReady);
    edit("EditLinuxCncHost")->setText("cnc.local");
    edit("EditLinuxCncPort")->setText("5008");
    EXPECT_FALSE(red("EditLinuxCncHost"));
    EXPECT_EQ(context->settings.linuxCncHost, "cnc.local");
    EXPECT_EQ(context->settings.linuxCncPort, 5008);
    EXPECT_FALSE(context->cnc.ControllerReady);

    library->click();
    EXPECT_EQ(context->settings.controller, "MotrixAPI");
    EXPECT_FALSE(restart->isVisible());
}

TEST_F(CNCSettingsWindowTest, OutputButtonsHoldTheirOutputOnlyWhilePressed) {
    auto* vacuum = form.findChild<QPushButton*>("ButtonVacuum");
    QTest::mousePress(vacuum, Qt::LeftButton);
    EXPECT_TRUE(sim.outputOn(16));
    // Released far away from the button: still off.
    QTest::mouseRelease(vacuum, Qt::LeftButton, {}, QPoint(-200, -200));
    EXPECT_FALSE(sim.outputOn(16));

    QTest::mousePress(form.findChild<QPushButton*>("ButtonFeeder"), Qt::LeftButton);
    QTest::mousePress(form.findChild<QPushButton*>("ButtonDispenser"), Qt::LeftButton);
    EXPECT_EQ(sim.outputs(), 8 + 64);
    form.close();
    EXPECT_EQ(sim.outputs(), 0);
}

}  // namespace
