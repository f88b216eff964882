#pragma once

// The LinuxCNC library's own entry point beyond the vendor's, which the program's controller
// layer calls before each reset when the bound library has it.

#include "MotrixExport.h"

extern "C" {
// Applies the `key=value` lines of `text` for the next reset: `address` (HOST:PORT of
// LinuxCNC's remote shell), `x_steps_per_mm`, `y_steps_per_mm`, `z_steps_per_mm`,
// `a_steps_per_rev` (the program's scaling). Returns the number of lines that could not be
// used (they are reported on stderr and change nothing).
MOTRIX_EXPORT int MotrixLinuxCncSetUp(const char* text);
}
