#pragma once

struct ProgramContext;

// The calibration of the nozzle offset (nozzle axis minus down-camera centre) on a reference
// mark, and the teaching of the up-looking camera's position ("Nozzle Offset" window).

// "Set Camera": after a confirmation, the mark's position is the camera's home-relative
// position. True when changed.
bool SetCalibrationMarkHere(ProgramContext& context);

// "Set Nozzle": after a confirmation, the offset is the head's home-relative position less the
// mark's, and the touch height the head's height above Z zero. True when changed.
bool SetNozzleOffsetHere(ProgramContext& context);

// The camera over the mark raised, or the nozzle on the mark at its touch height; the
// down-looking camera shown.
bool GoToCalibrationMark(ProgramContext& context);
bool GoToNozzleOnMark(ProgramContext& context);

// The nozzle over the up-looking camera at its focus height, that camera shown.
bool GoToUpCamera(ProgramContext& context);

// Showing the window: the calibration nozzle mounted and the camera over the mark.
void StartNozzleOffsetCalibration(ProgramContext& context);
