// "Fiducial Settings": taking a mark's snap, as the operator does it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "project/Fiducials.h"
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

// The window on an open project whose board lies at (100, 80) from the home position, fiducial 1
// taught at (10, 20), 2 mm down, with its snap in the project folder.
class FiducialTeachingTest : public FiducialWindowTest {
protected:
    FiducialTeachingTest() {
        ProjectState& project = context->project;
        project.ProjectOpen = true;
        project.ProjectFolder = folder.path() + "/";
        project.PanelOriginX = 100;
        project.PanelOriginY = 80;
        project.Fiducial1X = 10;
        project.Fiducial1Y = 20;
        project.Fiducial1Z = 2;
        project.Fiducial1SnapName = "Mark";
        MarkFrames::markSnap().save(project.ProjectFolder + "Mark.bmp", "BMP");
        context->cameras = &frames;
        window->updateStatus();
        form.show();
        person.calls.clear();
    }
    QLineEdit* box(const char* name) { return form.findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) { return form.findChild<QPushButton*>(name); }
    bool red(const char* name) {
        return box(name)->palette().color(QPalette::Base) == QColor(255, 0, 0);
    }
    // Where the camera stands over the board (machine mm minus home offset minus board origin).
    QPointF head() const {
        const MotrixCNC& cnc = context->cnc;
        return {cnc.CommandedX - cnc.HomeOffsetX - 100, cnc.CommandedY - cnc.HomeOffsetY - 80};
    }

    QTemporaryDir folder;
    TFormFiducialSettings form{*context, nullptr, window.get()};
};

TEST_F(FiducialTeachingTest, SetTeachesTheMarkWhereTheCameraStandsOnlyAfterYes) {
    ASSERT_TRUE(context->cnc.MoveHomeFrame(130, 95, 1.5, 0, 65000));
    for (const auto answer : {OperatorPort::Answer::No, OperatorPort::Answer::Yes}) {
        person.answers = {answer};
        button("ButtonSetFiducial1")->click();
        const bool yes = answer == OperatorPort::Answer::Yes;
        EXPECT_EQ(context->project.Fiducial1X, yes ? 30 : 10);
        EXPECT_EQ(context->project.Fiducial1Y, yes ? 15 : 20);
        EXPECT_EQ(context->project.Fiducial1Z, yes ? 1.5 : 2);
        EXPECT_EQ(context->project.ProjectModified, yes);
    }
    EXPECT_EQ(person.callsStartingWith("ask2: "),
              QStringList(2, "ARE YOU SURE YOU WANT TO CHANGE FIDUCIAL 1?"));
    EXPECT_EQ(box("EditFiducial1X")->text(), "30.000");
    EXPECT_EQ(box("EditFiducial1Z")->text(), "1.500");
}

TEST_F(FiducialTeachingTest, GoToTakesTheCameraOverTheMarkButNeverDropsAHeldPart) {
    button("ButtonGotoFiducial1")->click();
    EXPECT_EQ(head(), QPointF(10, 20));
    EXPECT_EQ(context->cnc.CommandedZ, 2);

    ASSERT_TRUE(context->cnc.MoveHomeFrame(0, 0, 0, 0, 65000));
    context->cycle.PartOnNozzle = true;
    context->cnc.SetVacuumOutput(true);
    window->updateButtons();
    sim.clearLog();
    form.UpdateButtons();
    button("ButtonGotoFiducial1")->click();  // disabled while a part is held
    EXPECT_TRUE(sim.commandsNamed("MotrixLinearMove").empty());
    EXPECT_TRUE(sim.outputOn(16));
}

TEST_F(FiducialTeachingTest, TestCentresTheCameraOnAFoundMarkAndTellsWhyNotOtherwise) {
    frames.offsets = {std::nullopt, std::nullopt, QPoint(8, -5)};  // 0.8 mm right, 0.5 down
    button("ButtonTestFiducial1")->click();
    EXPECT_EQ(person.calls, QStringList{"beep"});
    EXPECT_NEAR(head().x(), 10.8, 1e-9);
    EXPECT_NEAR(head().y(), 19.5, 1e-9);
    EXPECT_EQ(context->project.Fiducial1X, 10);  // the taught position stays
    EXPECT_EQ(context->project.FiducialOffsetX, 0);

    person.calls.clear();
    button("ButtonTestFiducial1")->click();  // the table only: no mark
    EXPECT_EQ(person.calls, QStringList{"information: FIDUCAL 1 TEST FAILED!"});

    QFile::remove(context->project.ProjectFolder + "Mark.bmp");
    form.UpdateButtons();
    EXPECT_FALSE(button("ButtonTestFiducial1")->isEnabled());
}

TEST_F(FiducialTeachingTest, TypedPositionsMustLieInTheTravelOverTheBoard) {
    struct Case {
        const char* box;
        bool metric;
        const char* typed;
        bool accepted;
        double stored;  // mm
    };
    // X travel -5..405 less the board's 100 from home (home offset 20): -125..285.
    const Case cases[] = {
        {"EditFiducial1X", true, "285", true, 285},  {"EditFiducial1X", true, "285.01", false, 285},
        {"EditFiducial1X", true, "abc", false, 285}, {"EditFiducial1X", false, "2", true, 50.8},
        {"EditFiducial1Z", true, "35", true, 35},    {"EditFiducial1Z", true, "-0.01", false, 35}};
    for (const Case& c : cases) {
        context->project.Metric = c.metric;
        context->project.ProjectModified = false;
        box(c.box)->setText(c.typed);
        EXPECT_EQ(red(c.box), !c.accepted) << c.box << " " << c.typed;
        const FiducialFields fiducial = FiducialFieldsOf(context->project, 1);
        EXPECT_NEAR(c.box[13] == 'X' ? fiducial.x : fiducial.z, c.stored, 1e-9) << c.typed;
        EXPECT_TRUE(context->project.ProjectModified) << c.typed;
    }
}

}  // namespace
