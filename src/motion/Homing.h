#pragma once

struct ProgramContext;

// The complete homing: the controller's homing sequence, the home offsets from the Home 1
// mark, and the park move (made whatever happened before). True when the home position is
// known: false when the homing sequence stopped early.
bool Home(ProgramContext& context);
