// Saves that fail are told once per outage: a full disk fails every save of a run, and one box
// says so until the files save again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "context/SaveReport.h"
#include "faults/FaultMachine.h"
#include "handling/PlacementCycle.h"

namespace {

TEST(SaveReportTest, AFailureIsToldOnlyWhileNoOtherSaveIsFailing) {
    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
    struct Step {
        bool saved;
        const char* what;
        const char* path;
        QStringList told;
    };
    const Step steps[] = {
        {true, "PROJECT", "/p/Board.Corvane", {}},
        {false,
         "MACHINE SETTINGS",
         "/s/Corvane 2.ini",
         {"speak: FAILED TO SAVE THE MACHINE SETTINGS",
          "error: FAILED TO SAVE THE MACHINE SETTINGS /s/Corvane 2.ini!"}},
        {false, "PROJECT", "/p/Board.Corvane", {}},           // the same outage
        {false, "MACHINE SETTINGS", "/s/Corvane 2.ini", {}},  // still failing
        {true, "MACHINE SETTINGS", "/s/Corvane 2.ini", {}},
        {false, "MACHINE SETTINGS", "/s/Corvane 2.ini", {}},  // the project still fails
        {true, "PROJECT", "/p/Board.Corvane", {}},
        {true, "MACHINE SETTINGS", "/s/Corvane 2.ini", {}},
        {false,
         "PROJECT",
         "/p/Board.Corvane",
         {"speak: FAILED TO SAVE THE PROJECT",
          "error: FAILED TO SAVE THE PROJECT /p/Board.Corvane!"}},
    };
    int step = 0;
    for (const Step& s : steps) {
        port.calls.clear();
        EXPECT_EQ(ReportSave(context, s.saved, s.what, s.path), s.saved) << step;
        EXPECT_EQ(port.calls, s.told) << step;
        ++step;
    }
}

// A tray pick saves the project so the pocket is on disk: when that fails it is told once, and
// the project stays modified so that closing it offers the save again.
TEST(SaveReportTest, APickWhoseTraySaveFailsTellsItOnce) {
    FaultMachine machine;
    machine.powerUpAndHome();
    ProjectState& project = machine.context.project;
    const QString file = machine.projectFilePath();
    ASSERT_TRUE(QFile::rename(file, file + ".aside"));
    ASSERT_TRUE(QDir().mkdir(file));  // a folder in its place: no save replaces it
    project.CurrentPart = 1;          // U1, from the tray
    const QStringList failed = {"error: FAILED TO SAVE THE PROJECT " +
                                QDir::toNativeSeparators(file) + "!"};
    for (int pick = 0; pick < 2; ++pick) {
        PressPickPart(machine.context);
        ASSERT_TRUE(machine.context.cycle.PartOnNozzle);
        EXPECT_TRUE(project.ProjectModified);
        PressDiscard(machine.context);
        EXPECT_EQ(machine.port.dialogs(), failed) << "pick " << pick;
    }

    ASSERT_TRUE(QDir().rmdir(file));
    ASSERT_TRUE(QFile::rename(file + ".aside", file));
    PressPickPart(machine.context);
    EXPECT_FALSE(project.ProjectModified);
    EXPECT_TRUE(machine.context.failingSaves.isEmpty());
    EXPECT_TRUE(ProjectFileWhole(file));
    EXPECT_EQ(machine.port.dialogs(), failed);
}

}  // namespace
