#include <QFile>

#include "PlacingFixture.h"
#include "handling/Pick.h"
#include "project/FeederList.h"
#include "project/ProjectFile.h"

namespace {

class PickTest : public PlacingFixture {
protected:
    // Feeder 3: a tray of 2 pockets along Y, with a snap.
    int addTray() {
        FeederRec tray = reel("Chips", 150, 30, 2);
        tray.Kind = FeederTray;
        tray.Location = LocationFront;
        tray.TrayCountY = 2;
        tray.TraySpacingY = 4;
        tray.SnapName = "Resistor";
        context.project.Feeders.append(tray);
        return context.project.FeederCount();
    }
};

TEST_F(PickTest, PartWithoutVisionIsHeldAtItsFeedersAngle) {
    context.project.Feeders[0].Location = LocationRear;
    ASSERT_TRUE(PickPart(context, 1, 90));
    const CycleState& cycle = context.cycle;
    EXPECT_TRUE(cycle.PartOnNozzle);
    EXPECT_EQ(cycle.PickCorrectionA, 270);
    EXPECT_EQ(cycle.HeldFeeder, 1);
    EXPECT_EQ(cycle.HeldAngle, 90);
    EXPECT_FALSE(cycle.HeldMeasured);
    EXPECT_TRUE(sim.outputOn(16));                      // vacuum holds it
    EXPECT_TRUE(movedTo(homeSteps(50, 300, 5, 0)));     // down to the part
    EXPECT_TRUE(movedTo(homeSteps(50, 280, 0, 0)));     // clear of a rear reel: -20 in Y
    EXPECT_EQ(context.vision.ImageReference, nullptr);  // released
}

TEST_F(PickTest, VisionPickCarriesThePartToTheCameraAtBasePlusPartAngle) {
    FeederRec& feeder = context.project.Feeders[0];
    feeder.Use_Vision = true;
    feeder.Location = LocationRear;
    const MachineSettings& s = context.settings;
    EXPECT_FALSE(PickPart(context, 1, 90));  // no camera frame
    EXPECT_TRUE(movedTo(homeSteps(s.uplookingCameraX, s.uplookingCameraY,
                                  s.uplookingCameraZ - feeder.PartHeight, 270)));
    EXPECT_EQ(port.callsStartingWith("speak: "), QStringList{"Failed to capture image"});
    // Lifted, so held: the cycle discards it instead of dropping it where the head stands.
    EXPECT_TRUE(context.cycle.PartOnNozzle);
    EXPECT_FALSE(context.cycle.HeldMeasured);
}

TEST_F(PickTest, MissingSnapIsReportedBeforeAnyMove) {
    for (const QString& name : {QString("Gone"), QString()}) {
        context.project.Feeders[0].SnapName = name;
        port.calls.clear();
        EXPECT_FALSE(PickPart(context, 1, 0));
        const QString text = "SNAP IMAGE " + name + " IS MISSING!";
        EXPECT_EQ(port.calls, QStringList({"speak: " + text, "information: " + text}));
    }
    EXPECT_TRUE(moves().empty());
    EXPECT_FALSE(context.cycle.PartOnNozzle);
}

TEST_F(PickTest, NoSuchFeederPicksNothingAndSaysNothing) {
    for (const int feeder : {0, 3, -1}) {
        EXPECT_FALSE(PickPart(context, feeder, 0));
        EXPECT_FALSE(PickPartWithoutCorrelation(context, feeder, 0));
    }
    EXPECT_TRUE(moves().empty());
    EXPECT_TRUE(port.calls.isEmpty());
}

TEST_F(PickTest, TrayAdvancesSavesAndAnnouncesItsRefillAtTheNextPick) {
    const int tray = addTray();
    ASSERT_TRUE(PickPart(context, tray, 0));
    EXPECT_TRUE(movedTo(homeSteps(150, 30, 5, 0)));
    EXPECT_EQ(context.project.Feeders[tray - 1].TrayPickCount, 2);
    EXPECT_FALSE(context.project.ProjectModified);
    EXPECT_TRUE(QFile::exists(ProjectFilePath(context.project.ProjectFolder, "Board")));
    context.cycle.PartOnNozzle = false;
    ASSERT_TRUE(PickPart(context, tray, 0));
    EXPECT_TRUE(movedTo(homeSteps(150, 34, 5, 0)));
    EXPECT_EQ(context.project.TrayRefillPendingFeeder, tray);
    EXPECT_TRUE(port.calls.isEmpty());
    context.cycle.PartOnNozzle = false;
    ASSERT_TRUE(PickPart(context, 1, 0));  // any feeder's pick announces it first
    const QString text = "FEEDER 3 Chips TRAY NEEDS TO BE REFILLED!";
    EXPECT_EQ(port.calls, QStringList({"speak: " + text, "information: " + text}));
    EXPECT_EQ(context.project.TrayRefillPendingFeeder, 0);
}

TEST_F(PickTest, PendingRefillFollowsItsTrayWhenAFeederBeforeItIsDeleted) {
    ProjectState& project = context.project;
    const int tray = addTray();
    project.Parts[2].Feeder = 2;  // feeder 1 is now unused
    project.Parts[0].Feeder = 2;
    project.TrayRefillPendingFeeder = tray;
    ASSERT_TRUE(DeleteFeeder(project, 1));
    EXPECT_EQ(project.TrayRefillPendingFeeder, 2);
    EXPECT_EQ(TrayRefillText(project, 2), "FEEDER 2 Chips TRAY NEEDS TO BE REFILLED!");
    ASSERT_TRUE(DeleteFeeder(project, 2));
    EXPECT_EQ(project.TrayRefillPendingFeeder, 0);
}

TEST_F(PickTest, TrayCountEditedBelowThePickCountStartsAgainAtTheFirstPocket) {
    const int tray = addTray();
    context.project.Feeders[tray - 1].TrayPickCount = 7;
    ASSERT_TRUE(PickPart(context, tray, 0));
    EXPECT_TRUE(movedTo(homeSteps(150, 30, 5, 0)));
    EXPECT_EQ(context.project.Feeders[tray - 1].TrayPickCount, 2);
}

TEST_F(PickTest, TestPickEndsOverTheCameraAndMarksTheTrayStepModified) {
    const int tray = addTray();
    context.project.Feeders[tray - 1].SnapName = "Gone";  // a test pick needs no snap
    context.project.ProjectModified = false;
    ASSERT_TRUE(PickPartWithoutCorrelation(context, tray, 0));
    const MachineSettings& s = context.settings;
    EXPECT_EQ(moveTargets().back(),
              homeSteps(s.uplookingCameraX, s.uplookingCameraY, s.uplookingCameraZ - 0.5, 0));
    EXPECT_EQ(context.project.Feeders[tray - 1].TrayPickCount, 2);
    EXPECT_TRUE(context.project.ProjectModified);
    EXPECT_TRUE(context.cycle.PartOnNozzle);
    EXPECT_TRUE(port.calls.isEmpty());
}

}  // namespace
