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
        bool homed;
        QStringList errors;
    };
    const Case cases[] = {
        {"mode=instant", false, true, {}},
        {"mode=instant\nfault_refuse_motion=1", false, false, {"CNC CONTROLLER NOT RESPONDING!"}},
        {"mode=instant\nfault_motion_never_finishes=1",
         false,
         false,
         {"CNC CONTROLLER NOT RESPONDING!"}},
        {"mode=instant", true, false, {}},  // the stop shows itself; no dialog
    };
    for (const Case& c : cases) {
        configure(c.sim);
        port.calls.clear();
        cnc.EmergencyStop = c.stopLatched;
        EXPECT_EQ(Home(context), c.homed) << c.sim;
        EXPECT_EQ(port.callsStartingWith("error: "), c.errors) << c.sim;
    }
}

TEST_F(MachineControlTest, StartUpAndResetPassTheHomingResultOn) {
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
