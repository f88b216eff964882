// The controller the machine settings choose: the library bound at start-up, LinuxCNC's
// address as the settings window takes it, and the set-up handed to the LinuxCNC library.
#include <gtest/gtest.h>

#include <QStringList>

#include "motion/ControllerChoice.h"
#include "settings/MachineSettings.h"

namespace {

TEST(ControllerChoiceTest, TheLibraryUnlessLinuxCncIsChosen) {
    MachineSettings settings;
    EXPECT_FALSE(UsesLinuxCnc(settings));
    EXPECT_EQ(ControllerLibraryPath(settings, "/opt/corvane"), "/opt/corvane/MotrixAPI");
    for (const char* other : {"", "linuxcnc", "Vendor"}) {
        settings.controller = other;
        EXPECT_EQ(ControllerLibraryPath(settings, "/opt/corvane"), "/opt/corvane/MotrixAPI")
            << other;
    }
    settings.controller = "LinuxCNC";
    EXPECT_TRUE(UsesLinuxCnc(settings));
    EXPECT_EQ(ControllerLibraryPath(settings, "/opt/corvane"), "/opt/corvane/MotrixLinuxCNC");
    EXPECT_FALSE(BoundToLinuxCnc(nullptr));
}

TEST(ControllerChoiceTest, LinuxCncsAddressTakesAHostWithoutBlanksAndAPort) {
    struct Case {
        bool (*apply)(MachineSettings&, QStringView);
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {ApplyLinuxCncHost, "cnc.local", true},  {ApplyLinuxCncHost, "192.168.1.20", true},
        {ApplyLinuxCncHost, "::1", true},        {ApplyLinuxCncHost, "", false},
        {ApplyLinuxCncHost, "cnc local", false}, {ApplyLinuxCncPort, "1", true},
        {ApplyLinuxCncPort, "65535", true},      {ApplyLinuxCncPort, "0", false},
        {ApplyLinuxCncPort, "65536", false},     {ApplyLinuxCncPort, "50.7", false},
        {ApplyLinuxCncPort, "", false},
    };
    for (const Case& c : cases) {
        MachineSettings settings;
        const MachineSettings before = settings;
        EXPECT_EQ(c.apply(settings, QString::fromLatin1(c.text)), c.accepted) << c.text;
        if (!c.accepted) {
            EXPECT_EQ(settings, before) << c.text;
        }
    }
}

TEST(ControllerChoiceTest, TheSetUpCarriesTheAddressAndTheExactScaling) {
    MachineSettings settings;
    settings.linuxCncHost = "cnc.local";
    settings.linuxCncPort = 5008;
    settings.xStepsPerMM = 2000 / 25.4;
    settings.aStepsPerRev = 3200;
    const QStringList lines = LinuxCncSetUpText(settings).split(u'\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "address=cnc.local:5008");
    const std::pair<const char*, double> scaling[] = {{"x_steps_per_mm", settings.xStepsPerMM},
                                                      {"y_steps_per_mm", settings.yStepsPerMM},
                                                      {"z_steps_per_mm", settings.zStepsPerMM},
                                                      {"a_steps_per_rev", 3200}};
    for (std::size_t i = 0; i < std::size(scaling); ++i) {
        const QString& line = lines[static_cast<qsizetype>(i) + 1];
        EXPECT_EQ(line.section(u'=', 0, 0), scaling[i].first);
        EXPECT_EQ(line.section(u'=', 1).toDouble(), scaling[i].second) << qPrintable(line);
    }
    settings.linuxCncHost = "fe80::1";
    EXPECT_TRUE(LinuxCncSetUpText(settings).startsWith("address=[fe80::1]:5008\n"));
}

}  // namespace
