#pragma once

#include <gtest/gtest.h>

#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"
#include "support/SimController.h"

// A program context on the simulated controller in instant mode with virtual time, the
// controller initialised and the command log cleared.
class MachineFixture : public ::testing::Test {
protected:
    explicit MachineFixture(const std::string& simConfiguration = "mode=instant");

    // Re-initialises the controller after a change of the simulator's configuration.
    void configure(const std::string& simConfiguration);
    std::vector<SimCommand> moves() const { return sim.commandsNamed("MotrixLinearMove"); }
    std::vector<SimCommand> outputCommands() const { return sim.commandsNamed("MotrixSetOutput"); }

    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
    MotrixCNC& cnc = context.cnc;
    SimController sim{CORVANE_SIM_LIBRARY};
};
