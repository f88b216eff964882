// corvane2-cli check, as a new owner runs it on the demo and on a damaged copy; and the version
// both programs tell.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <nlohmann/json.hpp>

#include "CorvaneVersion.h"
#include "settings/MachineSettings.h"
#include "settings/MachineSettingsStore.h"
#include "support/TestFiles.h"
#include "support/cli/CliRun.h"

namespace {

using Json = nlohmann::json;

// Changes the machine settings in the store file `path` through the program's own reader and
// writer.
void changeSettings(const QString& path, const std::function<void(MachineSettings&)>& change) {
    MachineSettings settings;
    LoadMachineSettings(*OpenMachineSettingsStoreAt(path), settings);
    change(settings);
    ASSERT_TRUE(SaveMachineSettings(*OpenMachineSettingsStoreAt(path), settings));
}

class CheckCliTest : public ::testing::Test {
protected:
    // Checks with a home of its own, so no user's settings or documents are read.
    CliRun check(const QString& project) const { return runCli({"check", project}, home.path()); }

    // The demo as it is in the repository, copied: its project, machine settings and snaps.
    QString demoCopy() const {
        for (const char* folder : {"Demo Panel", "Machine Settings", "System Settings"}) {
            copyFolder(kDemoFolder + folder, disk.filePath(folder));
        }
        return disk.filePath("Demo Panel/Demo Panel.Corvane");
    }

    static std::vector<Json> problemsWhere(const Json& report, const char* key,
                                           const std::function<bool(const Json&)>& test) {
        std::vector<Json> found;
        for (const Json& problem : report["problems"]) {
            if (problem.contains(key) && test(problem[key])) {
                found.push_back(problem);
            }
        }
        return found;
    }

    QTemporaryDir home;
    QTemporaryDir disk;
};

TEST_F(CheckCliTest, DemoHasNothingThatBlocksARun) {
    const CliRun o = check(kDemoFolder + "Demo Panel/Demo Panel.Corvane");
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const Json report = Json::parse(o.out.toStdString());
    EXPECT_EQ(report["blocking"], 0);
    EXPECT_EQ(report["machine_settings"],
              (kDemoFolder + "Machine Settings/Corvane 2.ini").toStdString());
    EXPECT_EQ(report["system_settings"], (kDemoFolder + "System Settings/").toStdString());
    for (const Json& problem : report["problems"]) {
        EXPECT_EQ(problem["severity"], "warning") << problem.dump();
    }
}

TEST_F(CheckCliTest, DamagedCopyNamesTheHomeSnapTheFeederSnapAndTheUpCameraHeight) {
    const QString project = demoCopy();
    ASSERT_TRUE(QFile::remove(disk.filePath("System Settings/Home.BMP")));
    ASSERT_TRUE(QFile::remove(disk.filePath("System Settings/Demo SOT-23.Bmp")));
    changeSettings(disk.filePath("Machine Settings/Corvane 2.ini"),
                   [](MachineSettings& settings) { settings.uplookingCameraZ = 0; });

    const CliRun o = check(project);
    ASSERT_EQ(o.exitCode, 1) << o.err.toStdString();
    const Json report = Json::parse(o.out.toStdString());
    EXPECT_EQ(report["blocking"], 3);
    const auto homeSnap = problemsWhere(report, "file", [](const Json& file) {
        return file.get<std::string>().ends_with("/System Settings/Home.BMP");
    });
    ASSERT_EQ(homeSnap.size(), 1u);
    EXPECT_EQ(homeSnap[0]["severity"], "blocking");
    EXPECT_EQ(homeSnap[0]["window"], "Home Settings");
    const auto feederSnap =
        problemsWhere(report, "feeder", [](const Json& feeder) { return feeder == 5; });
    ASSERT_EQ(feederSnap.size(), 1u);
    EXPECT_EQ(feederSnap[0]["window"], "Feeders");
    EXPECT_NE(feederSnap[0]["what"].get<std::string>().find("\"Demo SOT-23\""), std::string::npos);
    const auto height = problemsWhere(report, "what", [](const Json& what) {
        return what.get<std::string>().find("\"Uplooking Camera Z\") is 0") != std::string::npos;
    });
    ASSERT_EQ(height.size(), 1u);
    EXPECT_EQ(height[0]["window"], "Nozzle Offset");
    EXPECT_FALSE(height[0]["fix"].get<std::string>().empty());
    EXPECT_TRUE(o.err.isEmpty()) << o.err.toStdString();
}

TEST_F(CheckCliTest, ProjectWithoutItsOwnSettingsIsCheckedWithTheUsersAsARunWouldBe) {
    copyFolder(kDemoFolder + "Demo Panel", disk.filePath("alone/Demo Panel"));
    const QString project = disk.filePath("alone/Demo Panel/Demo Panel.Corvane");

    const Json bare = Json::parse(check(project).out.toStdString());
    EXPECT_TRUE(bare["machine_settings"].is_null());  // no store: the defaults
    EXPECT_EQ(bare["system_settings"],
              (home.path() + "/Documents/Corvane System Settings/").toStdString());
    EXPECT_EQ(
        problemsWhere(bare, "window", [](const Json& window) { return window == "Home Settings"; })
            .size(),
        2u);  // "Visual Home" and "Dual Y Axis" are on by default, and no snap is there

    const QString store = home.filePath(".config/Velmora Electronics/Corvane 2.ini");
    QDir().mkpath(QFileInfo(store).path());
    QFile::copy(kDemoFolder + "Machine Settings/Corvane 2.ini", store);
    changeSettings(store, [](MachineSettings& settings) { settings.visualHome = false; });
    copyFolder(kDemoFolder + "System Settings", home.filePath("Documents/Corvane System Settings"));
    const CliRun o = check(project);
    EXPECT_EQ(o.exitCode, 0) << o.out.toStdString();
    EXPECT_EQ(Json::parse(o.out.toStdString())["machine_settings"], store.toStdString());
}

TEST_F(CheckCliTest, UnusableArgumentsExitWithTwo) {
    for (const QStringList& arguments :
         {QStringList{"check"}, QStringList{"check", "a.Corvane", "b.Corvane"},
          QStringList{"check", "--panel"}, QStringList{"check", disk.filePath("none.Corvane")}}) {
        const CliRun o = runCli(arguments, home.path());
        EXPECT_EQ(o.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(o.out.isEmpty());
        EXPECT_TRUE(o.err.startsWith("corvane2-cli check: ")) << o.err.toStdString();
    }
}

TEST(Version, BothProgramsTellTheVersionSetInTheBuild) {
    const CliRun cli = runCli(QStringList{"--version"});
    EXPECT_EQ(cli.exitCode, 0);
    EXPECT_EQ(cli.out.toStdString(), std::string("corvane2-cli ") + kCorvaneVersion + "\n");
    QProcess program;  // answers without a display
    program.start(CORVANE_PROGRAM, {"--version"});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput().toStdString(),
              std::string("Corvane2 ") + kCorvaneVersion + "\n");
}

}  // namespace
