#pragma once

struct ProgramContext;

// The main window's machine-level operations, free of widgets.

// Initialises the controller, refreshes, and gives its readiness.
bool Initialise(ProgramContext& context);

// The start-up step: initialise the controller, report why it is unusable, else home.
// True when the machine ends homed.
bool StartUpController(ProgramContext& context);

// The emergency-stop button: latches the stop, ends any run and ends the machine sequence in
// progress, which after RESET gets no command through. No controller command is sent here;
// the stop acts through the controller layer and the refresh switches the outputs off.
void PressEmergencyStop(ProgramContext& context);

// The RESET button: clears the stop and the run flags, re-initialises and homes. True when the
// machine ends homed.
bool PressReset(ProgramContext& context);

// Under a latched stop: feeder, blow, vacuum and dispenser outputs that are on go off.
void SwitchOffOutputsUnderStop(ProgramContext& context);

// What the button refresh does to the machine: the outputs off under a latched stop, and a
// nozzle whose vacuum is off holds nothing, so PartOnNozzle never claims a part that fell
// (under the stop, or when a controller fault had the vacuum switched off).
void RefreshOutputsAndNozzle(ProgramContext& context);

// On close: feeder, vacuum, blow and dispenser outputs off, in that order, then the
// Y-alignment output.
void SwitchOutputsOff(ProgramContext& context);
