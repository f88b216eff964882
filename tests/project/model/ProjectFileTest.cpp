#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "ModelTestSupport.h"
#include "project/PartList.h"
#include "settings/MachineSettings.h"

namespace {

class ProjectFileTest : public ::testing::Test {
protected:
    QString folder() const { return dir_.path() + u'/'; }
    QString file(const QString& name) const { return folder() + name; }

    bool save(ProjectState& project) { return SaveProject(project, settings_, folder(), "Board"); }
    bool load(ProjectState& project) { return LoadProject(project, settings_, folder(), "Board"); }

    // Loads `lines` (CR LF) as the project file.
    ProjectState loadLines(const QStringList& lines) {
        WriteBytes(file("Board.Corvane"), CrLfLines(lines));
        ProjectState project;
        EXPECT_TRUE(load(project));
        return project;
    }

    QTemporaryDir dir_;
    MachineSettings settings_;
};

TEST_F(ProjectFileTest, NewProjectFileIsTheFiveLineSkeletonAndLoadsAsAnEmptyProject) {
    ProjectState project = SampleProject();
    ASSERT_TRUE(CreateEmptyProjectFile(project, settings_, folder(), "Test"));
    EXPECT_EQ(ReadBytes(file("Test.Corvane")), Golden("NewProject.Corvane"));
    EXPECT_EQ(FilesIn(folder()), QStringList{"Test.Corvane"});

    ASSERT_TRUE(LoadProject(project, settings_, folder(), "Test"));
    EXPECT_EQ(project.BoardCountX, 1);
    EXPECT_EQ(project.BoardCountY, 1);
    EXPECT_TRUE(project.FiducialEnable);
    EXPECT_FALSE(project.DualFiducial);
    EXPECT_TRUE(project.Metric);
    EXPECT_EQ(project.PanelOriginX, 0);
    EXPECT_TRUE(project.Fiducial2SnapName.isEmpty());
    EXPECT_EQ(project.PartCount(), 0);
    EXPECT_EQ(project.CurrentPart, 0);
    EXPECT_EQ(project.FeederCount(), 0);
    EXPECT_EQ(project.CurrentFeeder, 0);
}

TEST_F(ProjectFileTest, SavedProjectIsByteForByteTheGoldenFile) {
    ProjectState project = SampleProject();
    ASSERT_TRUE(save(project));
    EXPECT_EQ(ReadBytes(file("Board.Corvane")), Golden("SavedProject.Corvane"));
}

TEST_F(ProjectFileTest, LoadingTheGoldenFileGivesBackTheProjectAndItsStartingState) {
    WriteBytes(file("Board.Corvane"), Golden("SavedProject.Corvane"));
    ProjectState project;
    project.CurrentPanelBoard = 4;
    project.FiducialOffsetX = 1.5;
    project.FiducialOffsetY = -2;
    project.TrayRefillPendingFeeder = 2;
    ASSERT_TRUE(load(project));

    EXPECT_EQ(project.Fiducial2SnapName, QStringLiteral("Passmarke Süd"));
    EXPECT_EQ(project.BoardSpacingY, 0.3333333333);
    EXPECT_EQ(project.Parts[1].Y, 1000);
    EXPECT_FALSE(project.Parts[1].Enabled);
    EXPECT_EQ(project.Feeders[1].TrayPickCount, 7);
    EXPECT_EQ(project.CurrentPanelBoard, 1);
    EXPECT_EQ(project.CurrentPart, 1);
    EXPECT_EQ(project.CurrentFeeder, 1);
    EXPECT_EQ(project.FiducialOffsetX, 0);
    EXPECT_EQ(project.FiducialOffsetY, 0);
    EXPECT_EQ(project.TrayRefillPendingFeeder, 0);
    EXPECT_EQ(project.ProjectFolder, folder());
    EXPECT_EQ(project.ProjectName, "Board");
    EXPECT_EQ(settings_.lastProjectPath, folder());
    EXPECT_EQ(settings_.lastProjectName, "Board");

    // Everything the file holds survives a second round.
    ASSERT_TRUE(save(project));
    EXPECT_EQ(ReadBytes(file("Board.Corvane")), Golden("SavedProject.Corvane"));
}

TEST_F(ProjectFileTest, Windows1252FileLoadsShowsAndSavesBackByteForByte) {
    const QByteArray golden = Golden("Windows1252Project.Corvane");
    WriteBytes(file("Board.Corvane"), golden);
    ProjectState project;
    ASSERT_TRUE(load(project));

    const QString partComment = QStringLiteral("10µF ±10% – X7R 0805");
    EXPECT_EQ(project.Fiducial1SnapName, QStringLiteral("Marke “A” ±0.05"));
    EXPECT_EQ(project.Fiducial2SnapName, QStringLiteral("Passmarke Süd"));
    EXPECT_EQ(project.Parts[0].Comment, partComment);
    EXPECT_EQ(project.Parts[1].Comment, QStringLiteral("„Treiber“ ‘SO-8’ … 2€ ™"));
    EXPECT_EQ(project.Feeders[0].Description, QStringLiteral("Reel 10µF — ŠŽšžŒœŸ"));
    EXPECT_TRUE(PartListEntry(project.Parts[0], 1).contains(partComment));
    EXPECT_EQ(FeederItems(project).value(0), QStringLiteral("1 - Reel 10µF — ŠŽšžŒœŸ"));

    ASSERT_TRUE(save(project));
    EXPECT_EQ(ReadBytes(file("Board.Corvane")), golden);
}

TEST_F(ProjectFileTest, SavesAsUtf8OnlyWhenACharacterIsNotInWindows1252) {
    // Files saved as UTF-8 by earlier versions load, and go back in the 8-bit code page.
    WriteBytes(file("Board.Corvane"),
               CrLfLines({"[Part List]", "Part Count=1", "Part 1 Comment=10µF ±10%"}));
    ProjectState project;
    ASSERT_TRUE(load(project));
    ASSERT_TRUE(save(project));
    EXPECT_TRUE(ReadBytes(file("Board.Corvane"))
                    .contains("Part 1 Comment=10\xb5"
                              "F \xb1"
                              "10%\r\n"));

    project.Parts[0].Comment = QStringLiteral("5.1kΩ ±1% – 0402");
    ASSERT_TRUE(save(project));
    const QByteArray bytes = ReadBytes(file("Board.Corvane"));
    EXPECT_TRUE(
        bytes.contains("Part 1 Comment=5.1k\xce\xa9 \xc2\xb1"
                       "1% \xe2\x80\x93 0402\r\n"));
    EXPECT_FALSE(bytes.startsWith("\xef\xbb\xbf")) << "no byte-order mark";
    ProjectState reloaded;
    ASSERT_TRUE(load(reloaded));
    EXPECT_EQ(reloaded.Parts[0].Comment, project.Parts[0].Comment);
}

TEST_F(ProjectFileTest, SavingKeepsThePreviousFileAsBackup) {
    ProjectState project = SampleProject();
    ASSERT_TRUE(save(project));
    EXPECT_EQ(FilesIn(folder()), QStringList{"Board.Corvane"}) << "a first save makes no backup";
    const QByteArray first = ReadBytes(file("Board.Corvane"));

    project.Parts.removeLast();
    ASSERT_TRUE(save(project));
    const QByteArray second = ReadBytes(file("Board.Corvane"));
    EXPECT_NE(second, first);
    EXPECT_EQ(ReadBytes(file("Board.BAK")), first);

    project.Parts.clear();
    ASSERT_TRUE(save(project));
    EXPECT_EQ(ReadBytes(file("Board.BAK")), second);
    EXPECT_EQ(FilesIn(folder()), (QStringList{"Board.BAK", "Board.Corvane"}));
}

TEST_F(ProjectFileTest, FailedWriteLeavesPreviousFileAndBackupIntact) {
    ProjectState project = SampleProject();
    ASSERT_TRUE(save(project));
    project.Parts.removeLast();
    ASSERT_TRUE(save(project));
    const QByteArray previous = ReadBytes(file("Board.Corvane"));
    const QByteArray backup = ReadBytes(file("Board.BAK"));
    settings_.lastProjectName = "Other";

    ProjectState big = SampleProject();
    big.Parts = QList<PartRec>(500, PartRec{"C1", "100n", 1, 2, 0, 1, true});
    {
        const FileSizeLimit limit(static_cast<rlim_t>(previous.size() + 1000));
        EXPECT_FALSE(SaveProject(big, settings_, folder(), "Board"));
    }
    EXPECT_EQ(ReadBytes(file("Board.Corvane")), previous);
    EXPECT_EQ(ReadBytes(file("Board.BAK")), backup);
    EXPECT_EQ(FilesIn(folder()), (QStringList{"Board.BAK", "Board.Corvane"}))
        << "no temporary file is left behind";
    EXPECT_EQ(settings_.lastProjectName, "Other");
    EXPECT_TRUE(big.ProjectName.isEmpty());
}

TEST_F(ProjectFileTest, SaveIntoMissingFolderFails) {
    ProjectState project = SampleProject();
    EXPECT_FALSE(SaveProject(project, settings_, folder() + "missing/", "Board"));
    EXPECT_FALSE(CreateEmptyProjectFile(project, settings_, folder() + "missing/", "Board"));
    EXPECT_TRUE(settings_.lastProjectPath.isEmpty());
}

TEST_F(ProjectFileTest, LineBreaksInTextValuesAreSavedAsSpaces) {
    ProjectState project;
    project.Fiducial1SnapName = "FID\r\nDual Fiducial=1";
    project.Parts = {{"R1\nPart 1 Feeder=9", "two\r\rlines", 0, 0, 0, 3, true}};
    ASSERT_TRUE(save(project));

    const QByteArray bytes = ReadBytes(file("Board.Corvane"));
    const int lines = 19 + 9 + 2;  // one per section header and key, no more
    EXPECT_EQ(bytes.count("\r\n"), lines);
    EXPECT_EQ(bytes.count('\r'), lines);
    EXPECT_EQ(bytes.count('\n'), lines);
    ProjectState loaded;
    ASSERT_TRUE(load(loaded));
    EXPECT_FALSE(loaded.DualFiducial);
    EXPECT_EQ(loaded.Fiducial1SnapName, "FID Dual Fiducial=1");
    ASSERT_EQ(loaded.PartCount(), 1);
    EXPECT_EQ(loaded.Parts[0].Feeder, 3);
    EXPECT_EQ(loaded.Parts[0].Designator, "R1 Part 1 Feeder=9");
    EXPECT_EQ(loaded.Parts[0].Comment, "two  lines");
}

struct ReadingCase {
    const char* name;
    QStringList lines;
    std::function<void(const ProjectState&)> check;
};

TEST_F(ProjectFileTest, ReadsByKeyWithDefaultsForMissingOrUnreadableValues) {
    const ReadingCase cases[] = {
        {"missing keys take their defaults",
         {"[Board Settings]", "Panel Count X=3", "[Part List]", "Part Count=1",
          "Part 1 Designator=R7", "[Feeder List]", "Feeder Count=1", "Feeder 1 Kind=0"},
         [](const ProjectState& p) {
             EXPECT_EQ(p.BoardCountX, 3);
             EXPECT_EQ(p.BoardCountY, 1);
             EXPECT_TRUE(p.Metric);
             EXPECT_TRUE(p.FiducialEnable);
             EXPECT_TRUE(p.Parts[0].Enabled);
             EXPECT_EQ(p.Parts[0].Designator, "R7");
             EXPECT_TRUE(p.Parts[0].Comment.isEmpty());
             EXPECT_TRUE(p.Feeders[0].Use_Vision);
             EXPECT_EQ(p.Feeders[0].Nozzle, 1);
             EXPECT_EQ(p.Feeders[0].Location, LocationFront);
             EXPECT_EQ(p.Feeders[0].TrayPickCount, 1);
             EXPECT_EQ(p.Feeders[0].RejectTray, 1);
         }},
        {"values of the wrong type take their defaults",
         {"[Board Settings]", "Panel Count X=two", "Panel Count Y=2.5", "Dual Fiducial=yes",
          "Fiducial Enable=", "Board Height=1e", "[Part List]", "Part Count=1", "Part 1 Feeder=x",
          "Part 1 X=abc", "Part 1 Enabled=-1"},
         [](const ProjectState& p) {
             EXPECT_EQ(p.BoardCountX, 1);
             EXPECT_EQ(p.BoardCountY, 1);
             EXPECT_FALSE(p.DualFiducial);
             EXPECT_TRUE(p.FiducialEnable);
             EXPECT_EQ(p.BoardHeight, 0);
             EXPECT_EQ(p.Parts[0].Feeder, 0);
             EXPECT_EQ(p.Parts[0].X, 0);
             EXPECT_TRUE(p.Parts[0].Enabled) << "any non-zero integer is true";
         }},
        {"reals written with a comma take their defaults",
         {"[Board Settings]", "Panel Origin X=12,5", "Panel Origin Y=7.5", "[Part List]",
          "Part Count=1", "Part 1 Angle=90,0", "Part 1 Y=-1.25"},
         [](const ProjectState& p) {
             EXPECT_EQ(p.PanelOriginX, 0);
             EXPECT_EQ(p.PanelOriginY, 7.5);
             EXPECT_EQ(p.Parts[0].Angle, 0);
             EXPECT_EQ(p.Parts[0].Y, -1.25);
         }},
        {"section and key names match in any letter case, in any order",
         {"[PART LIST]", "part 1 designator=R9", "PART COUNT=1", "[board settings]",
          "Unknown Key=5", "fiducial enable=0", "PANEL ORIGIN x=5"},
         [](const ProjectState& p) {
             EXPECT_EQ(p.PanelOriginX, 5);
             EXPECT_FALSE(p.FiducialEnable);
             ASSERT_EQ(p.PartCount(), 1);
             EXPECT_EQ(p.Parts[0].Designator, "R9");
         }},
        {"a part count lower than the keys present reads only that many parts",
         {"[Part List]", "Part Count=2", "Part 1 Designator=R1", "Part 2 Designator=R2",
          "Part 3 Designator=R3", "Part 4 Designator=R4", "Part 5 Designator=R5"},
         [](const ProjectState& p) {
             ASSERT_EQ(p.PartCount(), 2);
             EXPECT_EQ(p.Parts[1].Designator, "R2");
             EXPECT_EQ(p.CurrentPart, 1);
         }},
        {"a part count higher than the keys present gives default parts",
         {"[Part List]", "Part Count=3", "Part 1 Designator=R1", "Part 1 Enabled=0"},
         [](const ProjectState& p) {
             ASSERT_EQ(p.PartCount(), 3);
             EXPECT_FALSE(p.Parts[0].Enabled);
             EXPECT_TRUE(p.Parts[2].Designator.isEmpty());
             EXPECT_TRUE(p.Parts[2].Enabled);
         }},
        {"keys outside their own section do not count",
         {"Panel Count X=4", "[Part List]", "Panel Count Y=4", "Part Count=0"},
         [](const ProjectState& p) {
             EXPECT_EQ(p.BoardCountX, 1);
             EXPECT_EQ(p.BoardCountY, 1);
         }},
        {"text keeps its spaces and any \"=\" after the first",
         {"[Board Settings]", "Board Fiducial 1 Snap Name= a=b ", "Board Height = 2.5 "},
         [](const ProjectState& p) {
             EXPECT_EQ(p.Fiducial1SnapName, " a=b ");
             EXPECT_EQ(p.BoardHeight, 2.5);
         }},
        {"feeders read from the file stand where their kind demands",
         {"[Feeder List]", "Feeder Count=3", "Feeder 1 Kind=1", "Feeder 1 Location=0",
          "Feeder 2 Kind=2", "Feeder 2 Location=2", "Feeder 3 Kind=0", "Feeder 3 Location=0"},
         [](const ProjectState& p) {
             ASSERT_EQ(p.FeederCount(), 3);
             EXPECT_EQ(p.Feeders[0].Location, LocationFront);
             EXPECT_EQ(p.Feeders[1].Location, LocationRight);
             EXPECT_EQ(p.Feeders[2].Location, LocationRight) << "a reel keeps its side";
             EXPECT_EQ(p.CurrentFeeder, 1);
         }},
    };
    for (const ReadingCase& readingCase : cases) {
        SCOPED_TRACE(readingCase.name);
        readingCase.check(loadLines(readingCase.lines));
    }
}

TEST_F(ProjectFileTest, DecodesFilesMadeOnOtherSystems) {
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"Windows-1252, CR LF",
         "[Board Settings]\r\nBoard Fiducial 1 Snap Name=S\xfc"
         "d\r\nBoard Height=1.5\r\n"},
        {"Windows-1252, CR alone (older Mac tools)",
         "[Board Settings]\rBoard Fiducial 1 Snap Name=S\xfc"
         "d\rBoard Height=1.5\r"},
        {"UTF-8 with byte-order mark, LF",
         "\xef\xbb\xbf[Board Settings]\nBoard Fiducial 1 Snap "
         "Name=S\xc3\xbc"
         "d\nBoard Height=1.5\n"},
    };
    for (const auto& encoded : cases) {
        SCOPED_TRACE(encoded.name);
        WriteBytes(file("Board.Corvane"), encoded.bytes);
        ProjectState project;
        ASSERT_TRUE(load(project));
        EXPECT_EQ(project.Fiducial1SnapName, QStringLiteral("Süd"));
        EXPECT_EQ(project.BoardHeight, 1.5);
    }
}

TEST_F(ProjectFileTest, MissingFileLoadsAsEmptyProject) {
    ProjectState project = SampleProject();
    ASSERT_TRUE(load(project));
    EXPECT_EQ(project.PartCount(), 0);
    EXPECT_EQ(project.FeederCount(), 0);
    EXPECT_EQ(project.BoardCountX, 1);
}

TEST_F(ProjectFileTest, UnreadableFileOrDamagedCountFailsAndChangesNothing) {
    const struct {
        const char* name;
        QStringList lines;
    } damaged[] = {
        {"negative part count",
         {"[Board Settings]", "Panel Count X=9", "[Part List]", "Part Count=-1"}},
        {"part count beyond any machine job", {"[Part List]", "Part Count=2000000000"}},
        {"negative feeder count", {"[Feeder List]", "Feeder Count=-3"}},
        // Read as it stood, this one line took seconds and a hundred megabytes of empty parts.
        {"part count beyond what its section holds", {"[Part List]", "Part Count=1000000"}},
        {"feeder count beyond what its section holds",
         {"[Feeder List]", "Feeder Count=40", "Feeder 1 Kind=1"}},
    };
    for (const auto& damagedFile : damaged) {
        SCOPED_TRACE(damagedFile.name);
        WriteBytes(file("Board.Corvane"), CrLfLines(damagedFile.lines));
        ProjectState project = SampleProject();
        EXPECT_FALSE(load(project));
        EXPECT_EQ(ProjectFileText(project), ProjectFileText(SampleProject()));
        EXPECT_TRUE(project.ProjectName.isEmpty());
        EXPECT_TRUE(settings_.lastProjectName.isEmpty());
    }

    ASSERT_TRUE(QDir(folder()).mkdir("Folder.Corvane"));
    ProjectState project;
    EXPECT_FALSE(LoadProject(project, settings_, folder(), "Folder"));
}

}  // namespace
