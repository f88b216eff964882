// Teaching and testing the home marks and the park position, in the core and through the
// "Home Settings" window; camera frames scripted at 0.1 mm per pixel.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "motion/HomeCalibration.h"
#include "motion/TFormHomeSettings.h"
#include "support/MarkFrames.h"
#include "support/widgets/MainWindowFixture.h"

namespace {

class HomeSettingsTest : public MainWindowFixture {
protected:
    HomeSettingsTest() {
        startUp();
        context->SystemSettingsFolder = snaps.path() + "/";
        MarkFrames::markSnap().save(snaps.filePath("Home.BMP"), "BMP");
        context->cameras = &frames;
        person.calls.clear();
    }

    QTemporaryDir snaps;
    MarkFrames frames;
};

TEST_F(HomeSettingsTest, SetHomeNeedsYesToBothWarnings) {
    ASSERT_TRUE(context->cnc.MoveMachine(30, 40, 2, 0, 65000));
    using A = OperatorPort::Answer;
    for (const auto& answers : {std::deque<A>{A::No}, std::deque<A>{A::Yes, A::No}}) {
        person.answers = answers;
        EXPECT_FALSE(SetHome1Here(*context));
        EXPECT_EQ(context->settings.home1X, 20);
    }
    person.calls.clear();
    person.answers = {A::Yes, A::Yes};
    EXPECT_TRUE(SetHome1Here(*context));
    EXPECT_EQ(context->settings.home1X, 30);
    EXPECT_EQ(context->settings.home1Y, 40);
    EXPECT_EQ(context->settings.home1Z, 2);
    EXPECT_EQ(person.calls,
              QStringList({"ask2: \"WARNING!! WARNING!! WARNING!!\r\rCHANGING THIS WILL IMPACT "
                           "ON\rA WIDE RANGE OF OTHER FIXTURE SETTINGS.\r\rARE YOU SURE YOU WANT "
                           "TO\rCHANGE THE HOME POSITION?",
                           "ask2: LAST WARNING!!!\r\rDO YOU REALLY WANT TO\rCHANGE THE HOME "
                           "POSITION?"}));
}

TEST_F(HomeSettingsTest, AFoundMarkCentresTheCameraWithoutChangingTheOffsets) {
    const double offsetX = context->cnc.HomeOffsetX;
    frames.offsets = {QPoint(0, 0), QPoint(0, 0), QPoint(3, -2)};
    TestHomeMark(*context, HomeMark::Home1);
    EXPECT_EQ(frames.captures, 3);  // the last of three frames is searched
    EXPECT_NEAR(context->cnc.CommandedX, offsetX + 0.3, 1e-9);
    EXPECT_NEAR(context->cnc.CommandedY, context->cnc.HomeOffsetY - 0.2, 1e-9);
    EXPECT_EQ(context->cnc.HomeOffsetX, offsetX);
    EXPECT_EQ(person.calls, QStringList{"beep"});
    EXPECT_FALSE(context->vision.ImageReference);
}

TEST_F(HomeSettingsTest, AMissingMarkSnapOrCameraIsReported) {
    TestHomeMark(*context, HomeMark::Home1);  // bare table
    TestHomeMark(*context, HomeMark::Home2);  // no Home2.BMP
    EXPECT_EQ(person.calls,
              QStringList({"information: HOME TEST FAILED!", "information: HOME 2 TEST FAILED!"}));
    context->cameras = nullptr;
    person.calls.clear();
    TestHomeMark(*context, HomeMark::Home1);
    EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"CAMERA FAILED!"});
}

TEST_F(HomeSettingsTest, WindowOffersWhatTheMachineHas) {
    context->settings.visualHome = true;
    context->settings.dualYAxis = false;
    TFormHomeSettings form(*context, {}, window.get());
    form.show();
    EXPECT_EQ(form.findChild<QLineEdit*>("EditHome1X")->text(), "20.000");
    EXPECT_TRUE(form.findChild<QLineEdit*>("EditHome1X")->isReadOnly());
    EXPECT_FALSE(form.findChild<QWidget*>("GroupBoxHome2Settings")->isVisible());
    EXPECT_TRUE(form.findChild<QPushButton*>("ButtonTestHome1")->isEnabled());
    EXPECT_TRUE(form.findChild<QWidget*>("ImageHome1")->isVisible());
    EXPECT_FALSE(form.findChild<QWidget*>("ImageNoSnap1")->isVisible());

    ASSERT_TRUE(context->cnc.MoveMachine(70, 90, 0, 0, 65000));
    form.findChild<QPushButton*>("ButtonSetPark")->click();
    EXPECT_EQ(form.findChild<QLineEdit*>("EditParkX")->text(), "50.000");
    EXPECT_EQ(form.findChild<QLineEdit*>("EditParkY")->text(), "70.000");
}

}  // namespace
