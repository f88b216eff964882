#pragma once

struct ProgramContext;

// The main window's machine-level operations, free of widgets.

// Initialises the controller, refreshes, and gives its readiness.
bool Initialise(ProgramContext& context);

// The start-up step: initialise the controller, report why it is unusable, else home.
// True when the machine ends homed.
bool StartUpController(ProgramContext& context);

// The emergency-stop button: latches the stop and ends any run. No controller command is sent
// here; the stop acts through the controller layer and the refresh switches the outputs off.
void PressEmergencyStop(ProgramContext& context);

// The RESET button: clears the stop and the run flags, re-initialises and homes. True when the
// machine ends homed.
bool PressReset(ProgramContext& context);

// Under a latched stop: feeder, blow, vacuum and dispenser outputs that are on go off.
void SwitchOffOutputsUnderStop(ProgramContext& context);

// On close: feeder, vacuum, blow and dispenser outputs off, in that order, then the
// Y-alignment output.
void SwitchOutputsOff(ProgramContext& context);
