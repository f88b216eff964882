#pragma once

struct ProgramContext;

// The calibration of the nozzle offset (nozzle axis minus down-camera centre) on a reference
// mark, and the teaching of the up-looking camera's position ("Nozzle Offset" window).

// "Set Camera": after a confirmation, the mark's position is the camera's home-relative
// position. True when changed.
bool SetCalibrationMarkHere(ProgramContext& context);

// "Set Nozzle": after a confirmation, the offset is the head's home-relative position less the
// mark's, and the touch height the head's height above Z zero. Refused (false) while another
// nozzle than the calibration nozzle ("Nozzle Number") is mounted. True when changed.
bool SetNozzleOffsetHere(ProgramContext& context);

// The camera over the mark raised, or the nozzle on the mark at its touch height; the
// down-looking camera shown.
bool GoToCalibrationMark(ProgramContext& context);
bool GoToNozzleOnMark(ProgramContext& context);

// The nozzle over the up-looking camera at its focus height, that camera shown.
bool GoToUpCamera(ProgramContext& context);

// The calibration nozzle ("Nozzle Number") is the one on the head (always, without a changer).
bool CalibrationNozzleMounted(const ProgramContext& context);

// A nozzle radio button: `nozzle` becomes the calibration nozzle and is mounted.
bool SelectCalibrationNozzle(ProgramContext& context, int nozzle);

// Showing the window: the calibration nozzle mounted and the camera over the mark. Refused
// while a part is held (the moves would drop it), and a nozzle that cannot be mounted is
// reported; in both cases the head does not go to the mark. True when it is there.
bool StartNozzleOffsetCalibration(ProgramContext& context);
