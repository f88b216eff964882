#include "project/ProjectCommands.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "ModelTestSupport.h"
#include "context/ProgramContext.h"
#include "project/ProjectFile.h"
#include "support/ScriptedOperatorPort.h"

namespace {

using Answer = OperatorPort::Answer;

// Records the main window's refreshes among the other calls, so their order shows.
class RecordingPort : public ScriptedOperatorPort {
public:
    void updatePartList() override { calls << "part list"; }
    void updateStatus() override { calls << "status"; }
    void updateButtons() override { calls << "buttons"; }
};

const QStringList kRefresh{"part list", "status", "buttons"};

// One run of the program: its context, with the operator's answers scripted.
struct Session {
    VirtualClock clock;
    RecordingPort port;
    ProgramContext ctx{clock, port};
};

class ProjectCommandsTest : public ::testing::Test {
protected:
    ProjectCommandsTest() { SetUpProjectFolders(ctx(), documents_.path()); }

    ProgramContext& ctx() { return session_->ctx; }
    RecordingPort& port() { return session_->port; }
    ProjectState& project() { return session_->ctx.project; }
    QString root() { return ctx().ProjectsRoot; }

    // A saved sample project in its own folder under ProjectsRoot, open and unchanged.
    void openSample(const QString& name) {
        const QString folder = root() + name + u'/';
        QDir().mkpath(folder);
        ProjectState sample = SampleProject();
        ASSERT_TRUE(SaveProject(sample, ctx().settings, folder, name));
        ASSERT_TRUE(LoadProject(project(), ctx().settings, folder, name));
        project().ProjectOpen = true;
        port().calls.clear();
    }

    void modify() {
        project().Parts.append(PartRec{"C9", "1u", 3, 4, 180, 1, true});
        project().ProjectModified = true;
    }

    // A new run of the program with the machine settings the last one kept.
    void restart() {
        const MachineSettings kept = ctx().settings;
        session_ = std::make_unique<Session>();
        ctx().settings = kept;
        SetUpProjectFolders(ctx(), documents_.path());
        ReopenLastProject(ctx());
    }

    std::function<bool()> nameAs(const QString& name) {
        return [this, name] {
            port().calls << "form";
            SetNewProjectName(ctx(), name);
            return true;
        };
    }

    QTemporaryDir documents_;
    std::unique_ptr<Session> session_ = std::make_unique<Session>();
};

TEST_F(ProjectCommandsTest, FoldersAreMadeUnderDocumentsWithTheirMissingParents) {
    const QString documents = documents_.path() + "/deep/Documents/";
    SetUpProjectFolders(ctx(), documents);
    EXPECT_EQ(ctx().ProjectsRoot, documents_.path() + "/deep/Documents/Corvane Projects/");
    EXPECT_EQ(ctx().SystemSettingsFolder,
              documents_.path() + "/deep/Documents/Corvane System Settings/");
    EXPECT_TRUE(QFileInfo(ctx().ProjectsRoot).isDir());
    EXPECT_TRUE(QFileInfo(ctx().SystemSettingsFolder).isDir());
}

TEST_F(ProjectCommandsTest, NewProjectMakesItsFolderAndSkeletonFileAndOpensIt) {
    NewProject(ctx(), nameAs("Test"));
    EXPECT_EQ(port().calls, QStringList{"form"} + kRefresh);
    EXPECT_EQ(ReadBytes(root() + "Test/Test.Corvane"), Golden("NewProject.Corvane"));
    EXPECT_EQ(FilesIn(root() + "Test"), QStringList{"Test.Corvane"});
    EXPECT_TRUE(project().ProjectOpen);
    EXPECT_FALSE(project().ProjectModified);
    EXPECT_EQ(project().ProjectFolder, root() + "Test/");
    EXPECT_EQ(project().ProjectName, "Test");
    EXPECT_EQ(ctx().settings.lastProjectPath, root() + "Test/");
    EXPECT_EQ(ctx().settings.lastProjectName, "Test");
}

TEST_F(ProjectCommandsTest, NewProjectFailuresLeaveNoProjectOpen) {
    const struct {
        const char* name;
        std::function<void()> prepare;
        QStringList errors;
        bool folderRemains;
    } failures[] = {
        {"the folder exists already",
         [this] { QDir().mkdir(root() + "Test"); },
         {"FOLDER CREATION ERROR!"},
         true},
        {"the parent folder is gone",
         [this] { QDir(root()).removeRecursively(); },
         {"FOLDER CREATION ERROR!"},
         false},
        {"the file cannot be written", [] {}, {"FILE CREATION ERROR!"}, true},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        session_ = std::make_unique<Session>();
        SetUpProjectFolders(ctx(), documents_.path());
        QDir(root() + "Test").removeRecursively();
        failure.prepare();
        project().Parts = SampleProject().Parts;
        project().CurrentPart = 2;
        project().ProjectModified = true;
        {
            std::optional<FileSizeLimit> noRoomForFiles;
            if (failure.errors.first() == "FILE CREATION ERROR!") {
                noRoomForFiles.emplace(0);
            }
            NewProject(ctx(), nameAs("Test"));
        }
        EXPECT_EQ(port().callsStartingWith("error: "), failure.errors);
        EXPECT_EQ(port().calls.mid(port().calls.size() - 3), kRefresh);
        EXPECT_FALSE(project().ProjectOpen);
        EXPECT_FALSE(project().ProjectModified);
        EXPECT_TRUE(project().ProjectName.isEmpty());
        EXPECT_EQ(project().PartCount(), 0);
        EXPECT_EQ(project().CurrentPart, 0);
        EXPECT_EQ(QFileInfo(root() + "Test").isDir(), failure.folderRemains);
        EXPECT_TRUE(FilesIn(root() + "Test").isEmpty());
    }
}

TEST_F(ProjectCommandsTest, NewProjectCancelledCreatesNothing) {
    NewProject(ctx(), [] { return false; });
    EXPECT_EQ(port().calls, kRefresh);
    EXPECT_FALSE(project().ProjectOpen);
    EXPECT_TRUE(FilesIn(root()).isEmpty());
}

TEST_F(ProjectCommandsTest, NewProjectOffersToSaveTheOpenOneThroughSaveAs) {
    openSample("Board");
    port().answers = {Answer::Yes};  // and the Save As dialog is cancelled
    NewProject(ctx(), nameAs("Test"));
    EXPECT_EQ(port().calls, QStringList({"ask2: Save Changes To Current Project?",
                                         "save: Save Project As", "status", "buttons"}) +
                                kRefresh);
    EXPECT_TRUE(project().ProjectOpen) << "no save, no new project";
    EXPECT_EQ(project().ProjectName, "Board");
    EXPECT_EQ(port().lastFileDialog.acceptLabel, "Save Project");
    EXPECT_EQ(port().lastFileDialog.filter, "Corvane Project (*.Corvane)");

    port().calls.clear();
    port().answers = {Answer::No};
    NewProject(ctx(), nameAs("Test"));
    EXPECT_EQ(port().calls,
              QStringList({"ask2: Save Changes To Current Project?", "form"}) + kRefresh);
    EXPECT_EQ(project().ProjectName, "Test");
    EXPECT_EQ(project().PartCount(), 0);
}

TEST_F(ProjectCommandsTest, OpenWithoutChangesAsksNothingAndCancelLeavesNoProject) {
    openSample("Board");
    OpenProject(ctx());
    EXPECT_EQ(port().calls, QStringList{"open: Open Project"} + kRefresh);
    EXPECT_EQ(port().lastFileDialog.acceptLabel, "Open Project");
    EXPECT_FALSE(project().ProjectOpen);
}

TEST_F(ProjectCommandsTest, OpenSavesTheModifiedProjectWhenAskedThenLoadsTheChosenOne) {
    openSample("Other");
    openSample("Board");
    modify();
    port().answers = {Answer::Yes};
    port().files = {root() + "Other/Other.Corvane"};
    OpenProject(ctx());

    EXPECT_EQ(
        port().calls,
        QStringList({"ask2: Save Changes To Current Project??", "open: Open Project"}) + kRefresh);
    ProjectState saved;
    MachineSettings scratch;
    ASSERT_TRUE(LoadProject(saved, scratch, root() + "Board/", "Board"));
    EXPECT_EQ(saved.PartCount(), 3);
    EXPECT_TRUE(QFileInfo::exists(root() + "Board/Board.BAK"));

    EXPECT_TRUE(project().ProjectOpen);
    EXPECT_FALSE(project().ProjectModified);
    EXPECT_EQ(project().ProjectFolder, root() + "Other/");
    EXPECT_EQ(project().ProjectName, "Other");
    EXPECT_EQ(project().PartCount(), 2);
    EXPECT_EQ(ctx().settings.lastProjectName, "Other");
}

// The save that failed is told, naming the file that could not be written.
QStringList failedSaveOf(const QString& path) {
    return {"speak: FAILED TO SAVE THE PROJECT",
            "error: FAILED TO SAVE THE PROJECT " + QDir::toNativeSeparators(path) + "!"};
}

TEST_F(ProjectCommandsTest, OpenKeepsTheProjectWhenTheSaveAskedForFails) {
    openSample("Board");
    modify();
    project().ProjectFolder = root() + "missing/";
    port().answers = {Answer::Yes};
    OpenProject(ctx());
    EXPECT_EQ(port().calls, QStringList{"ask2: Save Changes To Current Project??"} +
                                failedSaveOf(root() + "missing/Board.Corvane") + kRefresh);
    EXPECT_TRUE(project().ProjectOpen);
    EXPECT_TRUE(project().ProjectModified);
}

TEST_F(ProjectCommandsTest, FailedOpenLeavesNoProjectWithTheAttemptedName) {
    const struct {
        const char* name;
        std::function<void()> prepare;
        QString chosen;
    } failures[] = {
        {"the chosen file cannot be read",
         [this] { QDir().mkpath(root() + "Broken/Broken.Corvane"); }, "Broken/Broken.Corvane"},
        {"the chosen file is not the project file its name gives",
         [this] {
             QDir().mkpath(root() + "Broken");
             WriteBytes(root() + "Broken/Broken.corvane", Golden("SavedProject.Corvane"));
         },
         "Broken/Broken.corvane"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.name);
        QDir(root() + "Broken").removeRecursively();
        failure.prepare();
        port().files = {root() + failure.chosen};
        EXPECT_FALSE(OpenProjectDialog(ctx()));
        EXPECT_FALSE(project().ProjectOpen);
        EXPECT_EQ(project().ProjectFolder, root() + "Broken/");
        EXPECT_EQ(project().ProjectName, "Broken");
        EXPECT_TRUE(ctx().settings.lastProjectName.isEmpty());
    }
}

TEST_F(ProjectCommandsTest, SaveAsWritesTheChosenFileAndTakesItsName) {
    openSample("Board");
    modify();
    port().files = {QString()};
    EXPECT_FALSE(SaveProjectAs(ctx()));
    EXPECT_EQ(project().ProjectName, "Board");

    QDir().mkpath(root() + "Copy");
    port().calls.clear();
    port().files = {root() + "Copy/Renamed.Corvane"};
    EXPECT_TRUE(SaveProjectAs(ctx()));
    EXPECT_EQ(port().calls, QStringList({"save: Save Project As", "status", "buttons"}));
    EXPECT_EQ(ReadBytes(root() + "Copy/Renamed.Corvane"), ProjectFileText(project()));
    EXPECT_EQ(project().ProjectFolder, root() + "Copy/");
    EXPECT_EQ(project().ProjectName, "Renamed");
    EXPECT_FALSE(project().ProjectModified);
    EXPECT_EQ(ctx().settings.lastProjectPath, root() + "Copy/");
}

TEST_F(ProjectCommandsTest, SaveProjectClearsModifiedOnlyWhenTheSaveSucceeds) {
    openSample("Board");
    modify();
    SaveCurrentProject(ctx());
    EXPECT_EQ(port().calls, QStringList{"buttons"});
    EXPECT_FALSE(project().ProjectModified);
    EXPECT_EQ(ReadBytes(root() + "Board/Board.Corvane"), ProjectFileText(project()));

    modify();
    project().ProjectFolder = root() + "missing/";
    SaveCurrentProject(ctx());
    EXPECT_TRUE(project().ProjectModified);
}

TEST_F(ProjectCommandsTest, ClosedProjectIsNotReopenedAtTheNextStart) {
    openSample("Board");
    CloseProject(ctx());
    EXPECT_EQ(port().calls, kRefresh);
    EXPECT_FALSE(project().ProjectOpen);
    EXPECT_EQ(project().PartCount(), 0);
    EXPECT_EQ(project().CurrentPart, 0);
    EXPECT_TRUE(ctx().settings.lastProjectPath.isEmpty());
    EXPECT_TRUE(ctx().settings.lastProjectName.isEmpty());

    restart();
    EXPECT_FALSE(project().ProjectOpen);
    EXPECT_EQ(port().calls, kRefresh);
}

TEST_F(ProjectCommandsTest, CloseAsksAboutChangesAndStaysOpenWhenTheSaveFails) {
    openSample("Board");
    modify();
    project().ProjectFolder = root() + "missing/";
    port().answers = {Answer::Yes};
    CloseProject(ctx());
    EXPECT_EQ(port().calls, QStringList{"ask2: Save Changes To Current Project?"} +
                                failedSaveOf(root() + "missing/Board.Corvane") + kRefresh);
    EXPECT_TRUE(project().ProjectOpen);
    EXPECT_EQ(project().PartCount(), 3);
    EXPECT_FALSE(ctx().settings.lastProjectName.isEmpty());
}

TEST_F(ProjectCommandsTest, ExitingWithAProjectOpenReopensItAtTheNextStart) {
    openSample("Board");
    modify();
    port().answers = {Answer::Yes};
    EXPECT_TRUE(MainWindowMayClose(ctx()));
    EXPECT_EQ(port().calls, QStringList{"ask3: Save Changes to PROJECT?"} + kRefresh);
    EXPECT_FALSE(project().ProjectOpen);
    EXPECT_EQ(project().PartCount(), 0);

    restart();
    EXPECT_EQ(port().calls, kRefresh);
    EXPECT_TRUE(project().ProjectOpen);
    EXPECT_FALSE(project().ProjectModified);
    EXPECT_EQ(project().ProjectName, "Board");
    EXPECT_EQ(project().PartCount(), 3) << "the change saved on exit";
    EXPECT_EQ(project().CurrentPart, 1);
}

TEST_F(ProjectCommandsTest, CloseQuestionAnswers) {
    const struct {
        const char* name;
        Answer answer;
        bool saveFails;
        bool mayClose;
    } cases[] = {
        {"Cancel keeps the window and the project", Answer::Cancel, false, false},
        {"Yes with a failed save keeps them", Answer::Yes, true, false},
        {"No closes without saving", Answer::No, false, true},
    };
    for (const auto& closeCase : cases) {
        SCOPED_TRACE(closeCase.name);
        openSample("Board");
        const QByteArray onDisk = ReadBytes(root() + "Board/Board.Corvane");
        modify();
        if (closeCase.saveFails) {
            project().ProjectFolder = root() + "missing/";
        }
        port().answers = {closeCase.answer};
        EXPECT_EQ(MainWindowMayClose(ctx()), closeCase.mayClose);
        EXPECT_EQ(project().ProjectOpen, !closeCase.mayClose);
        EXPECT_EQ(project().PartCount(), closeCase.mayClose ? 0 : 3);
        EXPECT_EQ(ReadBytes(root() + "Board/Board.Corvane"), onDisk);
        EXPECT_EQ(ctx().settings.lastProjectName, "Board");
    }
}

TEST_F(ProjectCommandsTest, StartWithoutAReopenableProjectForgetsTheLastOne) {
    QDir().mkpath(root() + "Folder/Folder.Corvane");
    const struct {
        const char* name;
        QString path;
        QString project;
    } cases[] = {
        {"no last project", "", ""},
        {"its file is gone", root() + "Gone/", "Gone"},
        {"its file cannot be read", root() + "Folder/", "Folder"},
        {"only the name is known", "", "Board"},
    };
    for (const auto& startCase : cases) {
        SCOPED_TRACE(startCase.name);
        ctx().settings.lastProjectPath = startCase.path;
        ctx().settings.lastProjectName = startCase.project;
        restart();
        EXPECT_FALSE(project().ProjectOpen);
        EXPECT_TRUE(project().ProjectName.isEmpty());
        EXPECT_TRUE(project().ProjectFolder.isEmpty());
        EXPECT_TRUE(ctx().settings.lastProjectPath.isEmpty());
        EXPECT_TRUE(ctx().settings.lastProjectName.isEmpty());
    }
}

}  // namespace
