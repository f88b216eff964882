#pragma once

// Entry points of the simulated controller beyond the vendor's, for tests and tools. They are
// not logged and take the same lock as the controller calls.

#include <cstdint>

#include "MotrixExport.h"

extern "C" {
// Replaces the simulator's configuration with the `key=value` lines of `text` (null: read the
// environment again), powers the virtual machine up afresh and clears the command log.
// Returns the number of lines that could not be used (they are reported on stderr).
MOTRIX_EXPORT int MotrixSimConfigure(const char* text);
// Copies the command log, one line per call received, NUL-terminated and cut to `size`.
// Returns the size the whole log needs, terminator included.
MOTRIX_EXPORT int MotrixSimCommandLog(char* buffer, int size);
MOTRIX_EXPORT void MotrixSimClearLog();
// The outputs switched on, as the sum of their masks (4, 8, 16, 32, 64).
MOTRIX_EXPORT int MotrixSimOutputs();
// The axes' physical positions in steps (the home switches sit at their configured places).
MOTRIX_EXPORT void MotrixSimPhysicalPosition(std::int32_t* x, std::int32_t* y, std::int32_t* z,
                                             std::int32_t* a);
// The controller's step counters, read without a position poll.
MOTRIX_EXPORT void MotrixSimCounters(std::int32_t* x, std::int32_t* y, std::int32_t* z,
                                     std::int32_t* a);
}

// X(name): every test-control entry point.
#define MOTRIX_SIM_CONTROL_FUNCTIONS(X) \
    X(MotrixSimConfigure)               \
    X(MotrixSimCommandLog)              \
    X(MotrixSimClearLog)                \
    X(MotrixSimOutputs)                 \
    X(MotrixSimPhysicalPosition)        \
    X(MotrixSimCounters)
