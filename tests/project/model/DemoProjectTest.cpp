// The demo project of a first start: copied beside the user's files, never over them.
#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "context/ProgramContext.h"
#include "context/SettingsPersistence.h"
#include "project/DemoProject.h"
#include "project/ProjectCommands.h"
#include "project/model/ModelTestSupport.h"
#include "settings/MachineSettingsStore.h"
#include "support/ScriptedOperatorPort.h"

namespace {

class DemoProjectTest : public ::testing::Test {
protected:
    DemoProjectTest() {
        const QString project = demo.filePath("Demo Board/");
        const QString system = demo.filePath("System Settings/");
        QDir().mkpath(project);
        QDir().mkpath(system);
        QDir().mkpath(demo.filePath("Machine Settings"));
        MachineSettings taught;
        taught.uplookingCameraZ = 10;
        taught.lastProjectName = "Somewhere Else";
        SaveMachineSettings(
            *OpenMachineSettingsStoreAt(demo.filePath("Machine Settings/Corvane 2.ini")), taught);
        WriteBytes(project + "Demo Board.Corvane", "[Board Settings]\r\nMetric=1\r\n");
        WriteBytes(project + "Fid1.Bmp", "fiducial");
        WriteBytes(system + "Home.BMP", "demo home");
        WriteBytes(system + "Feeder 1.Bmp", "demo feeder");
        SetUpProjectFolders(context, documents.path());
        const QString store = documents.filePath("machine.ini");
        context.openSettingsStore = [store] {
            return std::make_unique<QSettings>(store, QSettings::IniFormat);
        };
    }

    QTemporaryDir demo;
    QTemporaryDir documents;
    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
};

TEST_F(DemoProjectTest, AFirstStartCopiesTheDemoAndOpensIt) {
    EXPECT_TRUE(IsFirstStart(context));
    ASSERT_TRUE(InstallDemoProject(context, demo.path()));
    EXPECT_EQ(ReadBytes(context.ProjectsRoot + "Demo Board/Fid1.Bmp"), "fiducial");
    EXPECT_EQ(ReadBytes(context.SystemSettingsFolder + "Feeder 1.Bmp"), "demo feeder");
    EXPECT_DOUBLE_EQ(context.settings.uplookingCameraZ, 10);  // the demo's machine
    ReopenLastProject(context);
    EXPECT_TRUE(context.project.ProjectOpen);
    EXPECT_EQ(context.project.ProjectName, "Demo Board");
    EXPECT_EQ(context.project.ProjectFolder, context.ProjectsRoot + "Demo Board/");

    ASSERT_TRUE(SaveMachineSettings(context));
    EXPECT_FALSE(IsFirstStart(context));
}

TEST_F(DemoProjectTest, TheUsersFilesAreNeverReplaced) {
    WriteBytes(context.SystemSettingsFolder + "home.bmp", "my home mark");
    ASSERT_TRUE(InstallDemoProject(context, demo.path()));
    EXPECT_EQ(ReadBytes(context.SystemSettingsFolder + "home.bmp"), "my home mark");
    EXPECT_FALSE(QFileInfo::exists(context.SystemSettingsFolder + "Home.BMP"));
    EXPECT_EQ(ReadBytes(context.SystemSettingsFolder + "Feeder 1.Bmp"), "demo feeder");
}

TEST_F(DemoProjectTest, AProjectOfTheSameNameOrNoDemoLeavesEverythingAlone) {
    QDir().mkpath(context.ProjectsRoot + "Demo Board");
    WriteBytes(context.ProjectsRoot + "Demo Board/Notes.txt", "mine");
    EXPECT_FALSE(InstallDemoProject(context, demo.path()));
    EXPECT_EQ(QDir(context.ProjectsRoot + "Demo Board").entryList(QDir::Files),
              QStringList{"Notes.txt"});
    EXPECT_FALSE(QFileInfo::exists(context.SystemSettingsFolder + "Home.BMP"));
    EXPECT_TRUE(context.settings.lastProjectName.isEmpty());
    EXPECT_DOUBLE_EQ(context.settings.uplookingCameraZ, 0);

    EXPECT_FALSE(InstallDemoProject(context, documents.filePath("no demo here")));
    EXPECT_TRUE(context.settings.lastProjectName.isEmpty());
}

}  // namespace
