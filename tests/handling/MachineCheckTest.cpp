// The machine check on the demo machine and project, taught, then damaged one way at a time.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "handling/MachineCheck.h"
#include "project/ProjectFile.h"
#include "settings/MachineSettings.h"
#include "settings/MachineSettingsStore.h"
#include "support/TestFiles.h"

namespace {

// The demo machine and project in a folder of their own, with the nozzle offset taught.
struct DemoMachine {
    DemoMachine() {
        systemFolder = disk.filePath("System Settings") + "/";
        copyFolder(kDemoFolder + "System Settings", systemFolder);
        copyFolder(kDemoFolder + "Demo Panel", disk.filePath("Demo Panel"));
        LoadMachineSettings(
            *OpenMachineSettingsStoreAt(kDemoFolder + "Machine Settings/Corvane 2.ini"), settings);
        settings.nozzleOffsetX = 1;
        settings.nozzleOffsetY = 1;
        QString problem;
        EXPECT_TRUE(
            ReadProjectFile(disk.filePath("Demo Panel/Demo Panel.Corvane"), project, problem))
            << problem.toStdString();
        project.ProjectFolder = disk.filePath("Demo Panel") + "/";
        project.ProjectName = "Demo Panel";
        project.ProjectOpen = true;
    }

    QList<CheckProblem> check(CheckedBoards boards = CheckedBoards::Panel) const {
        return CheckMachine({settings, project, systemFolder, boards});
    }

    void removeSystemSnap(const QString& file) const {
        EXPECT_TRUE(QFile::remove(systemFolder + file)) << file.toStdString();
    }

    QTemporaryDir disk;
    QString systemFolder;
    MachineSettings settings;
    ProjectState project;
};

// "blocking Feeders feeder 5": what a test tells a problem by.
std::vector<std::string> described(const QList<CheckProblem>& problems) {
    std::vector<std::string> texts;
    for (const CheckProblem& problem : problems) {
        QString text =
            SeverityName(problem.severity) + " " +
            (problem.window == FixWindow::None ? "no window" : FixWindowTitle(problem.window));
        if (problem.feeder > 0) {
            text += QString(" feeder %1").arg(problem.feeder);
        }
        if (problem.part > 0) {
            text += QString(" part %1").arg(problem.part);
        }
        texts.push_back(text.toStdString());
    }
    return texts;
}

using Damage = std::function<void(DemoMachine&)>;

struct Case {
    const char* name;
    Damage damage;
    std::vector<std::string> expected;
};

void disableParts(ProjectState& project, int first, int last) {
    for (int part = first; part <= last; ++part) {
        project.Parts[part - 1].Enabled = false;
    }
}

TEST(MachineCheck, FindsWhatWouldMakeARunFailOrGoWrongEachInTheWindowThatMendsIt) {
    const std::string home = "blocking Home Settings";
    const std::string upCamera = "blocking Nozzle Offset";
    const QList<Case> cases{
        {"the taught demo", [](DemoMachine&) {}, {}},
        {"an untaught nozzle offset",
         [](DemoMachine& m) { m.settings.nozzleOffsetX = m.settings.nozzleOffsetY = 0; },
         {"warning Nozzle Offset"}},
        {"Home 1 snap missing", [](DemoMachine& m) { m.removeSystemSnap("Home.BMP"); }, {home}},
        {"Home 1 snap missing, visual home off",
         [](DemoMachine& m) {
             m.removeSystemSnap("Home.BMP");
             m.settings.visualHome = false;
         },
         {}},
        {"Home 2 snap missing", [](DemoMachine& m) { m.removeSystemSnap("Home2.BMP"); }, {home}},
        {"Home 2 snap missing, one Y motor",
         [](DemoMachine& m) {
             m.removeSystemSnap("Home2.BMP");
             m.settings.dualYAxis = false;
         },
         {}},
        {"up camera height 0", [](DemoMachine& m) { m.settings.uplookingCameraZ = 0; }, {upCamera}},
        {"up camera height 0, no feeder uses vision",
         [](DemoMachine& m) {
             m.settings.uplookingCameraZ = 0;
             for (FeederRec& feeder : m.project.Feeders) {
                 feeder.Use_Vision = false;
             }
         },
         {}},
        {"up camera position 0, 0",
         [](DemoMachine& m) { m.settings.uplookingCameraX = m.settings.uplookingCameraY = 0; },
         {upCamera}},
        {"up camera beyond the X travel",
         [](DemoMachine& m) { m.settings.uplookingCameraX = 500; },
         {upCamera}},
        {"a part too tall for the up camera's focus",
         [](DemoMachine& m) { m.project.Feeders[0].PartHeight = 11; },
         {"blocking Feeders feeder 1"}},
        {"feeder snap missing",
         [](DemoMachine& m) { m.removeSystemSnap("Demo SOT-23.Bmp"); },
         {"blocking Feeders feeder 5"}},
        {"feeder snap missing, its parts disabled",
         [](DemoMachine& m) {
             m.removeSystemSnap("Demo SOT-23.Bmp");
             disableParts(m.project, 3, 5);
         },
         {}},
        {"feeder without a snap name",
         [](DemoMachine& m) { m.project.Feeders[4].SnapName.clear(); },
         {"blocking Feeders feeder 5"}},
        {"part without a feeder",
         [](DemoMachine& m) { m.project.Parts[5].Feeder = 0; },
         {"blocking Main Window part 6"}},
        {"part naming a feeder that does not exist",
         [](DemoMachine& m) { m.project.Parts[5].Feeder = 9; },
         {"blocking Main Window part 6"}},
        {"feeder asking for nozzle 0",
         [](DemoMachine& m) { m.project.Feeders[0].Nozzle = 0; },
         {"blocking Feeders feeder 1"}},
        {"feeder asking for nozzle 0, no changer",
         [](DemoMachine& m) {
             m.project.Feeders[0].Nozzle = 0;
             m.settings.nozzleChangerEnabled = false;
         },
         {}},
        {"feeders asking for two nozzles, no changer",
         [](DemoMachine& m) {
             m.project.Feeders[1].Nozzle = 3;
             m.settings.nozzleChangerEnabled = false;
         },
         {"warning Feeders feeder 1", "warning Feeders feeder 2", "warning Feeders feeder 3",
          "warning Feeders feeder 4", "warning Feeders feeder 5", "warning Feeders feeder 6"}},
        {"nozzle exchanged into an untaught holder",
         [](DemoMachine& m) {
             m.project.Feeders[1].Nozzle = 3;
             m.settings.nozzleX[2] = m.settings.nozzleY[2] = 0;
         },
         {"blocking Nozzle Changer"}},
        {"changer on an unknown side",
         [](DemoMachine& m) { m.settings.nozzleChangerLocation = 5; },
         {"blocking Nozzle Changer"}},
        {"mounted nozzle unknown",
         [](DemoMachine& m) { m.settings.currentNozzle = 9; },
         {"blocking Nozzle Changer"}},
        {"feeder beyond the X travel",
         [](DemoMachine& m) { m.project.Feeders[0].X = 500; },
         {"blocking Feeders feeder 1"}},
        {"feeder untaught",
         [](DemoMachine& m) { m.project.Feeders[0].X = m.project.Feeders[0].Y = 0; },
         {"blocking Feeders feeder 1"}},
        {"tray whose far pockets leave the travel",
         [](DemoMachine& m) { m.project.Feeders[5].TraySpacingX = 60; },
         {"blocking Feeders feeder 6"}},
        {"feeder pick height 0",
         [](DemoMachine& m) { m.project.Feeders[0].Z = 0; },
         {"warning Feeders feeder 1"}},
        {"feeder pick height beyond the Z travel",
         [](DemoMachine& m) { m.project.Feeders[0].Z = 50; },
         {"blocking Feeders feeder 1"}},
        {"part beyond the travel on the right-hand boards",
         [](DemoMachine& m) { m.project.Parts[5].X = 300; },
         {"blocking Panel Settings part 6"}},
        {"part beyond the travel on every board",
         [](DemoMachine& m) { m.project.Parts[5].X = 400; },
         {"blocking Main Window part 6"}},
        {"board height untaught",
         [](DemoMachine& m) { m.project.BoardHeight = 0; },
         {"blocking Main Window"}},
        {"board beyond the Z travel",
         [](DemoMachine& m) { m.project.BoardHeight = 40; },
         {"blocking Main Window"}},
        {"thin parts pushed beyond the Z travel",
         [](DemoMachine& m) { m.project.BoardHeight = 35; },
         {"blocking Feeders feeder 3"}},
        {"fiducial 1 snap missing",
         [](DemoMachine& m) { QFile::remove(m.project.ProjectFolder + "Fiducial1.Bmp"); },
         {"blocking Fiducial Settings"}},
        {"fiducial 2 snap missing, one fiducial checked",
         [](DemoMachine& m) {
             QFile::remove(m.project.ProjectFolder + "Fiducial2.Bmp");
             m.project.DualFiducial = false;
         },
         {}},
        {"fiducial snaps missing, fiducials off",
         [](DemoMachine& m) {
             m.project.Fiducial1SnapName.clear();
             m.project.Fiducial2SnapName.clear();
             m.project.FiducialEnable = false;
         },
         {}},
        {"fiducial beyond the travel",
         [](DemoMachine& m) { m.project.Fiducial2Y = 400; },
         {"blocking Fiducial Settings"}},
        {"two parts of one designator",
         [](DemoMachine& m) { m.project.Parts[6].Designator = "R1"; },
         {"warning Main Window part 7"}},
        {"no part enabled",
         [](DemoMachine& m) { disableParts(m.project, 1, 21); },
         {"blocking Main Window"}},
        {"no parts", [](DemoMachine& m) { m.project.Parts.clear(); }, {"blocking Main Window"}},
        {"no project open",
         [](DemoMachine& m) { m.project.ProjectOpen = false; },
         {"warning no window"}},
        {"blocking problems listed before warnings",
         [](DemoMachine& m) {
             m.settings.nozzleOffsetX = m.settings.nozzleOffsetY = 0;
             m.removeSystemSnap("Demo SOT-23.Bmp");
         },
         {"blocking Feeders feeder 5", "warning Nozzle Offset"}},
    };
    for (const Case& c : cases) {
        DemoMachine machine;
        c.damage(machine);
        EXPECT_EQ(described(machine.check()), c.expected) << c.name;
    }
}

TEST(MachineCheck, NamesTheSettingTheFileAndTheBoardsConcerned) {
    DemoMachine machine;
    machine.removeSystemSnap("Home.BMP");
    machine.removeSystemSnap("Demo SOT-23.Bmp");
    machine.settings.uplookingCameraZ = 0;
    machine.project.Parts[5].X = 300;
    const QList<CheckProblem> problems = machine.check();
    ASSERT_EQ(problems.size(), 4);
    EXPECT_EQ(problems[0].file, machine.systemFolder + "Home.BMP");
    EXPECT_TRUE(problems[1].what.contains("\"Uplooking Camera Z\") is 0"))
        << problems[1].what.toStdString();
    EXPECT_TRUE(
        problems[2].what.startsWith("Feeder 5 \"SOT-23 vibration\": its snap \"Demo SOT-23\""))
        << problems[2].what.toStdString();
    EXPECT_TRUE(problems[2].file.startsWith(machine.systemFolder + "Demo SOT-23."));
    EXPECT_TRUE(
        problems[3].what.contains("Part 6 \"R1\" cannot be placed on boards 2 and 4: "
                                  "machine X 451.000 mm lies beyond its travel"))
        << problems[3].what.toStdString();
    EXPECT_TRUE(AnyBlocking(problems));
}

TEST(MachineCheck, StartBoardChecksTheCurrentBoardAndStartPanelEveryBoard) {
    DemoMachine machine;
    machine.project.Parts[5].X = 300;  // beyond the travel on boards 2 and 4 only
    EXPECT_TRUE(AnyBlocking(machine.check(CheckedBoards::Panel)));
    EXPECT_FALSE(AnyBlocking(machine.check(CheckedBoards::Current)));
    machine.project.CurrentPanelBoard = 2;
    EXPECT_EQ(described(machine.check(CheckedBoards::Current)),
              std::vector<std::string>{"blocking Main Window part 6"});
}

TEST(MachineCheck, PanelOfManyBoardsIsCheckedByItsCornerBoards) {
    DemoMachine machine;
    machine.project.BoardCountX = 50;
    machine.project.BoardCountY = 50;
    machine.project.BoardSpacingX = 1;
    machine.project.BoardSpacingY = 1;
    EXPECT_FALSE(AnyBlocking(machine.check()));
    machine.project.BoardSpacingY = 7;  // the last row lies 343 mm further along Y
    const QList<CheckProblem> problems = machine.check();
    ASSERT_FALSE(problems.isEmpty());
    EXPECT_TRUE(problems[0].what.contains("on boards 2451 and 2500"))
        << problems[0].what.toStdString();
}

}  // namespace
