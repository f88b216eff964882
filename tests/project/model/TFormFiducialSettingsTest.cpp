// "Fiducial Settings": taking a mark's snap, as the operator does it.
#include <gtest/gtest.h>

#include <QPushButton>

#include "project/TFormFiducialSettings.h"
#include "support/MarkFrames.h"
#include "support/widgets/MainWindowFixture.h"

namespace {

class FiducialWindowTest : public MainWindowFixture {
protected:
    FiducialWindowTest() {
        startUp();
        person.calls.clear();
    }

    // Opens the window with a snap cutter that names the snap "Mark" and counts its frames.
    void takeSnap(int fiducial) {
        TFormFiducialSettings form(
            *context,
            [this](const TBitmap32& frame, QString& name) {
                cutWidths.push_back(frame.Width);
                name = "Mark";
                return true;
            },
            window.get());
        form.show();
        auto* button = form.findChild<QPushButton*>(QString("ButtonFiducial%1Snap").arg(fiducial));
        ASSERT_TRUE(button && button->isEnabled());
        button->click();
    }

    MarkFrames frames;
    std::vector<int> cutWidths;
};

TEST_F(FiducialWindowTest, TakeSnapCutsTheLastOfThreeFramesAndNamesTheMark) {
    context->cameras = &frames;
    takeSnap(2);
    EXPECT_EQ(frames.captures, 3);
    EXPECT_EQ(cutWidths, std::vector<int>{MarkFrames::kWidth});
    EXPECT_EQ(context->project.Fiducial2SnapName, "Mark");
    EXPECT_TRUE(context->project.ProjectModified);
    EXPECT_TRUE(person.callsStartingWith("error: ").isEmpty());
}

TEST_F(FiducialWindowTest, ACameraWithoutFramesIsReportedAndNothingIsCut) {
    context->cameras = nullptr;
    const QString before = context->project.Fiducial1SnapName;
    takeSnap(1);
    EXPECT_TRUE(cutWidths.empty());
    EXPECT_EQ(context->project.Fiducial1SnapName, before);
    EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"CAMERA FAILED!"});
}

}  // namespace
