#pragma once

struct ProgramContext;

// The complete homing: the controller's homing sequence, the home offsets from the Home 1
// mark corrected by the down-looking camera when "Visual Home" is on (and the dual-Y gantry
// squared with the Home 2 mark), then the park move, whatever the camera steps gave. True
// when the home position is known: false when the homing sequence stopped early (the camera
// steps are then skipped) or a camera step failed. A machine sequence: refused while another
// runs, and while a part is held (its park would drop it: the operator is told).
bool Home(ProgramContext& context);

// The camera correction of the home offsets: the head goes over the Home 1 mark, the camera
// finds it and the offsets move by the measured distance. Failures are reported ("FAILED TO MOVE TO
// POSITION!", "CAMERA FAILED!", "CORRELATION FAILED!", the last also for a snap that cannot be
// read; nothing more once the machine is not usable, whose cause has been shown) and leave
// the offsets as they were.
bool CorrelateHome1(ProgramContext& context);

// Squares a dual-Y gantry: the camera finds the Home 2 mark, the Y-alignment output is held
// on while the head moves by the mark's Y offset, then Home 1 is correlated again.
bool CorrelateHome2(ProgramContext& context);

// Home 1, then Home 2 when that succeeded, then the camera back over the home origin.
bool AlignDualYAxis(ProgramContext& context);
