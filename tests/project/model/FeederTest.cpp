#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "ModelTestSupport.h"
#include "project/FeederFile.h"
#include "project/FeederList.h"
#include "settings/MachineSettings.h"

namespace {

FeederRec Tray(int countX, int countY) {
    FeederRec tray;
    tray.Kind = FeederTray;
    tray.X = 100;
    tray.Y = 50;
    tray.TraySpacingX = 2;
    tray.TraySpacingY = -3;
    tray.TrayCountX = countX;
    tray.TrayCountY = countY;
    return tray;
}

ProjectState ProjectWithFeeders(int feeders, const std::vector<int>& partFeeders) {
    ProjectState project;
    for (int n = 1; n <= feeders; ++n) {
        FeederRec feeder;
        feeder.Description = QString("F%1").arg(n);
        project.Feeders.append(feeder);
    }
    for (int feeder : partFeeders) {
        project.Parts.append(PartRec{"", "", 0, 0, 0, feeder, true});
    }
    return project;
}

std::vector<int> PartFeeders(const ProjectState& project) {
    std::vector<int> feeders;
    for (const PartRec& part : project.Parts) {
        feeders.push_back(part.Feeder);
    }
    return feeders;
}

TEST(TrayWalk, PocketsGoAlongYFirstAndWrapAfterTheLast) {
    using Pocket = std::pair<int, int>;  // (column along X, row along Y) in pitch units
    const struct {
        int countX;
        int countY;
        std::vector<Pocket> pockets;
    } trays[] = {
        {3,
         4,
         {{0, 0},
          {0, 1},
          {0, 2},
          {0, 3},
          {1, 0},
          {1, 1},
          {1, 2},
          {1, 3},
          {2, 0},
          {2, 1},
          {2, 2},
          {2, 3}}},
        {1, 5, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}},
        {5, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
        {1, 1, {{0, 0}}},
    };
    for (const auto& trayCase : trays) {
        SCOPED_TRACE(testing::Message() << trayCase.countX << " x " << trayCase.countY);
        FeederRec tray = Tray(trayCase.countX, trayCase.countY);
        for (std::size_t attempt = 0; attempt < trayCase.pockets.size(); ++attempt) {
            const auto [column, row] = trayCase.pockets[attempt];
            EXPECT_EQ(tray.TrayPickCount, static_cast<int>(attempt) + 1);
            EXPECT_EQ(FeederPickPoint(tray), QPointF(100 + 2 * column, 50 - 3 * row));
            AdvanceTray(tray);
        }
        EXPECT_EQ(tray.TrayPickCount, 1) << "back to the first pocket after the last";
    }
}

TEST(TrayWalk, PickCountBelowOneStartsAtTheFirstPocket) {
    FeederRec tray = Tray(3, 4);
    tray.TrayPickCount = 0;
    EXPECT_EQ(FeederPickPoint(tray), QPointF(100, 50));
    EXPECT_EQ(tray.TrayPickCount, 1);
}

TEST(TrayWalk, TrayCountsBelowOneCountAsOneInsteadOfDividingByZero) {
    FeederRec tray = Tray(3, 0);
    tray.TrayPickCount = 2;
    EXPECT_EQ(FeederPickPoint(tray), QPointF(102, 50));
    AdvanceTray(tray);
    EXPECT_EQ(tray.TrayPickCount, 3);
    AdvanceTray(tray);
    EXPECT_EQ(tray.TrayPickCount, 1);
}

TEST(TrayWalk, OtherKindsPickAtTheirPositionAndResetAllRestartsEveryFeeder) {
    FeederRec reel = Tray(3, 4);
    reel.Kind = FeederReel;
    reel.TrayPickCount = 5;
    EXPECT_EQ(FeederPickPoint(reel), QPointF(100, 50));

    ProjectState project;
    project.Feeders = {reel, Tray(3, 4)};
    project.Feeders[1].TrayPickCount = 9;
    ResetAllTrays(project);
    EXPECT_EQ(project.Feeders[0].TrayPickCount, 1);
    EXPECT_EQ(project.Feeders[1].TrayPickCount, 1);
    EXPECT_TRUE(project.ProjectModified);
}

TEST(FeederLocation, FollowsTheKindAndForAReelTheMiddleOfTheYTravel) {
    MachineSettings settings;
    settings.minimumYPosition = -5;
    settings.maximumYPosition = 350;  // middle 172.5
    const double homeOffsetY = 2.5;
    const struct {
        int kind;
        double y;
        int location;
    } cases[] = {
        {FeederReel, 170, LocationFront},  // exactly the middle
        {FeederReel, 170.001, LocationRear}, {FeederReel, -20, LocationFront},
        {FeederTray, 300, LocationFront},    {FeederVibration, 300, LocationRight},
        {FeederVibration, 0, LocationRight},
    };
    for (const auto& locationCase : cases) {
        SCOPED_TRACE(testing::Message()
                     << "kind " << locationCase.kind << ", Y " << locationCase.y);
        FeederRec feeder;
        feeder.Kind = locationCase.kind;
        feeder.Y = locationCase.y;
        feeder.Location = LocationRear;
        UpdateFeederLocation(feeder, settings, homeOffsetY);
        EXPECT_EQ(feeder.Location, locationCase.location);
    }
}

TEST(FeederList, NewFeederDefaultsAndAddingMakesItCurrentWithoutMarkingModified) {
    const FeederRec feeder = NewFeeder();
    EXPECT_EQ(feeder.Kind, FeederReel);
    EXPECT_EQ(feeder.Location, LocationFront);
    EXPECT_EQ(feeder.Nozzle, 0);
    EXPECT_EQ(feeder.TrayCountX, 1);
    EXPECT_EQ(feeder.TrayCountY, 1);
    EXPECT_EQ(feeder.TrayPickCount, 1);
    EXPECT_EQ(feeder.PlaceSpeedType, PlaceSpeedFast);
    EXPECT_EQ(feeder.RejectTray, 1);
    EXPECT_TRUE(feeder.Use_Vision);

    ProjectState project = ProjectWithFeeders(2, {});
    AddFeeder(project);
    EXPECT_EQ(project.FeederCount(), 3);
    EXPECT_EQ(project.CurrentFeeder, 3);
    AppendFeeder(project, QfpTray());
    EXPECT_EQ(project.CurrentFeeder, 4);
    EXPECT_EQ(project.Feeders[3].Description, "QFP tray");
    EXPECT_FALSE(project.ProjectModified);
}

TEST(FeederList, DeletingFeeder2Of4RenumbersThePartsOfTheFeedersAfterIt) {
    ProjectState project = ProjectWithFeeders(4, {1, 3, 4, 0, 3});
    project.CurrentFeeder = 4;
    ASSERT_TRUE(DeleteFeeder(project, 2));
    EXPECT_EQ(PartFeeders(project), (std::vector<int>{1, 2, 3, 0, 2}));
    ASSERT_EQ(project.FeederCount(), 3);
    EXPECT_EQ(project.Feeders[1].Description, "F3");
    EXPECT_EQ(project.Feeders[2].Description, "F4");
    EXPECT_EQ(project.CurrentFeeder, 3);
    EXPECT_TRUE(project.ProjectModified);
}

TEST(FeederList, DeletingIsRefusedForAFeederInUseOrNotInTheList) {
    ProjectState project = ProjectWithFeeders(3, {2, 3});
    for (int feeder : {2, 0, 4}) {
        SCOPED_TRACE(feeder);
        EXPECT_FALSE(DeleteFeeder(project, feeder));
        EXPECT_EQ(project.FeederCount(), 3);
        EXPECT_EQ(PartFeeders(project), (std::vector<int>{2, 3}));
        EXPECT_FALSE(project.ProjectModified);
    }
    EXPECT_TRUE(FeederInUse(project, 3));
    EXPECT_FALSE(FeederInUse(project, 1));
    EXPECT_FALSE(FeederInUse(ProjectWithFeeders(0, {1}), 1)) << "no feeders, none in use";
}

class FeederFileTest : public ::testing::Test {
protected:
    QString folder() const { return dir_.path() + u'/'; }
    QTemporaryDir dir_;
};

TEST_F(FeederFileTest, ExportedFeederIsByteForByteTheGoldenFile) {
    ASSERT_TRUE(SaveFeederFile(folder(), "QFP tray", QfpTray()));
    EXPECT_EQ(ReadBytes(folder() + "QFP tray.Feeder"), Golden("QfpTray.Feeder"));

    // Writing again replaces the file and keeps no copy.
    FeederRec changed = QfpTray();
    changed.Nozzle = 6;
    ASSERT_TRUE(SaveFeederFile(folder(), "QFP tray", changed));
    EXPECT_EQ(FilesIn(folder()), QStringList{"QFP tray.Feeder"});
}

TEST_F(FeederFileTest, FeederFileIsWindows1252Text) {
    FeederRec feeder = QfpTray();
    feeder.Description = QStringLiteral("QFP “44” – 0.8 mm € ±");
    ASSERT_TRUE(SaveFeederFile(folder(), "QFP", feeder));
    EXPECT_TRUE(ReadBytes(folder() + "QFP.Feeder")
                    .contains("\r\nFeeder Description=QFP \x93"
                              "44\x94 \x96 0.8 mm \x80 \xb1\r\n"));
    FeederRec loaded;
    ASSERT_TRUE(LoadFeederFile(folder(), "QFP", loaded));
    EXPECT_EQ(loaded.Description, feeder.Description);
}

TEST_F(FeederFileTest, TrayExportedAtPocket7ImportsAtPocket1) {
    FeederRec exported = QfpTray();
    exported.Location = LocationRear;
    ASSERT_EQ(exported.TrayPickCount, 7);
    ASSERT_TRUE(SaveFeederFile(folder(), "Tray", exported));

    FeederRec imported;
    ASSERT_TRUE(LoadFeederFile(folder(), "Tray", imported));
    FeederRec expected = QfpTray();
    expected.TrayPickCount = 1;
    EXPECT_EQ(FeederFileText(imported), FeederFileText(expected));
    EXPECT_EQ(imported.TrayPickCount, 1);
    EXPECT_EQ(imported.Location, LocationFront) << "a tray always stands at the front";
}

TEST_F(FeederFileTest, ReadsByKeyWithDefaults) {
    WriteBytes(folder() + "Partial.Feeder",
               CrLfLines({"[feeder list]", "FEEDER KIND=2", "Feeder X=1,5", "Feeder Y=-4.5",
                          "Feeder Description=Vibra"}));
    FeederRec feeder = QfpTray();
    ASSERT_TRUE(LoadFeederFile(folder(), "Partial", feeder));
    EXPECT_EQ(feeder.Description, "Vibra");
    EXPECT_EQ(feeder.Kind, FeederVibration);
    EXPECT_EQ(feeder.Location, LocationRight);
    EXPECT_EQ(feeder.X, 0);
    EXPECT_EQ(feeder.Y, -4.5);
    EXPECT_EQ(feeder.Nozzle, 1);
    EXPECT_TRUE(feeder.Use_Vision);
    EXPECT_EQ(feeder.TrayCountX, 1);
    EXPECT_TRUE(feeder.SnapName.isEmpty());
}

TEST_F(FeederFileTest, MissingFileGivesDefaultsAndUnreadableFileFails) {
    FeederRec feeder = QfpTray();
    ASSERT_TRUE(LoadFeederFile(folder(), "Missing", feeder));
    EXPECT_EQ(FeederFileText(feeder), FeederFileText(FeederRec{}));

    ASSERT_TRUE(QDir(folder()).mkdir("Folder.Feeder"));
    EXPECT_FALSE(LoadFeederFile(folder(), "Folder", feeder));
    EXPECT_FALSE(SaveFeederFile(folder() + "missing/", "Tray", feeder));
}

}  // namespace
