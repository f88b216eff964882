#pragma once

struct ProgramContext;

// The complete homing: the controller's homing sequence, the home offsets from the Home 1
// mark, and the park move. True when the home position is known.
bool Home(ProgramContext& context);
