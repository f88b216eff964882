// Homing's result reaches its callers: HOME, the start-up step and RESET tell whether the
// machine ended homed.
#include <gtest/gtest.h>

#include "app/MachineControl.h"
#include "motion/Homing.h"
#include "support/MachineFixture.h"

namespace {

using MachineControlTest = MachineFixture;

TEST_F(MachineControlTest, HomeIsTrueOnlyWhenTheHomingSequenceFinished) {
    struct Case {
        const char* sim;
        bool stopLatched;
        bool visualHome;
        bool homed;
        QStringList errors;
    };
    const QStringList notResponding = {"CNC CONTROLLER NOT RESPONDING!"};
    // After a failed sequence the camera steps are skipped: one message, or none under the
    // stop, which shows itself.
    const Case cases[] = {
        {"mode=instant", false, false, true, {}},
        {"mode=instant\nfault_refuse_motion=1", false, false, false, notResponding},
        {"mode=instant\nfault_motion_never_finishes=1", false, false, false, notResponding},
        {"mode=instant", true, false, false, {}},
        {"mode=instant\nfault_refuse_motion=1", false, true, false, notResponding},
        {"mode=instant", true, true, false, {}},
    };
    for (const Case& c : cases) {
        configure(c.sim);
        port.calls.clear();
        cnc.EmergencyStop = c.stopLatched;
        context.settings.visualHome = c.visualHome;
        EXPECT_EQ(Home(context), c.homed) << c.sim << " visual " << c.visualHome;
        EXPECT_EQ(port.callsStartingWith("error: "), c.errors)
            << c.sim << " visual " << c.visualHome;
    }
}

TEST_F(MachineControlTest, StartUpAndResetPassTheHomingResultOn) {
    context.settings.visualHome = false;  // the camera steps have tests of their own
    sim.configure("mode=instant\nfault_refuse_motion=1");
    EXPECT_FALSE(StartUpController(context));
    EXPECT_FALSE(PressReset(context));
    EXPECT_EQ(port.callsStartingWith("error: "),
              (QStringList{"CNC CONTROLLER NOT RESPONDING!", "CNC CONTROLLER NOT RESPONDING!"}));

    sim.configure("mode=instant");
    EXPECT_TRUE(PressReset(context));
    EXPECT_TRUE(StartUpController(context));
    EXPECT_EQ(port.callsStartingWith("error: ").size(), 2);
}

}  // namespace
