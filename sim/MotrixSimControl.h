#pragma once

// Entry points of the simulated controller beyond the vendor's, for the program's cameras, tests
// and tools. They are not logged and take the same lock as the controller calls; a camera frame
// holds it only to copy what the frame shows and renders after releasing it.

#include <algorithm>
#include <cstdint>
#include <string>

#include "MotrixExport.h"

extern "C" {
// Replaces the simulator's configuration with the `key=value` lines of `text` (null: read the
// environment again), powers the virtual machine up afresh and clears the command log.
// Returns the number of lines that could not be used (they are reported on stderr).
MOTRIX_EXPORT int MotrixSimConfigure(const char* text);
// Replaces the faults of the running simulator with the fault lines of `text` (`fault_*`,
// `camera_down_no_frame`, `camera_up_no_frame`; null or empty: no faults) without powering up:
// the machine, its world and the log stay as they are, and calls are counted afresh for
// `fault_after_calls`. Returns the number of lines that could not be used (any other key
// among them); the faults in force then stay as they were.
MOTRIX_EXPORT int MotrixSimInjectFaults(const char* text);
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

// Cameras: 0 = down-looking, 1 = up-looking. 1 when the camera exists, with its frame size.
MOTRIX_EXPORT int MotrixSimCameraSize(int camera, int* width, int* height);
// Renders the camera's current view into `pixels` (width * height 0xAARRGGBB values, rows top
// to bottom, width and height as MotrixSimCameraSize gives). 1 on success; 0 when the camera
// does not exist, the size differs, or a "no frame" fault is injected.
MOTRIX_EXPORT int MotrixSimCameraFrame(int camera, std::uint32_t* pixels, int width, int height);

// Puts a fresh world on the table: the world file text `json`, used as it is, or with null the
// configured world again (its world file or the built-in world, with the configuration's
// errors). The machine stays as it is. 1 on success; 0 with the reason copied into `error`
// (NUL-terminated, cut to `errorSize`), the world in use staying as it was.
MOTRIX_EXPORT int MotrixSimLoadWorld(const char* json, char* error, int errorSize);
// JSON reports (sim/README.md), copied like MotrixSimCommandLog: the world in use as a world
// file; every dropped part and where it counts; the true state of nozzle, part, boards and
// feeders; the true target of every pad. Each returns the size it needs, terminator included.
MOTRIX_EXPORT int MotrixSimWorldJson(char* buffer, int size);
MOTRIX_EXPORT int MotrixSimDropRecord(char* buffer, int size);
MOTRIX_EXPORT int MotrixSimWorldState(char* buffer, int size);
MOTRIX_EXPORT int MotrixSimPadTargets(char* buffer, int size);
// Fills every pocket of tray feeder `feeder` (1-based, in the world file's order), as an
// operator refills it. 1 on success; 0 when that feeder is no tray.
MOTRIX_EXPORT int MotrixSimRefillTray(int feeder);
}

// X(name): every test-control entry point.
#define MOTRIX_SIM_CONTROL_FUNCTIONS(X) \
    X(MotrixSimConfigure)               \
    X(MotrixSimInjectFaults)            \
    X(MotrixSimCommandLog)              \
    X(MotrixSimClearLog)                \
    X(MotrixSimOutputs)                 \
    X(MotrixSimPhysicalPosition)        \
    X(MotrixSimCounters)                \
    X(MotrixSimCameraSize)              \
    X(MotrixSimCameraFrame)             \
    X(MotrixSimLoadWorld)               \
    X(MotrixSimWorldJson)               \
    X(MotrixSimDropRecord)              \
    X(MotrixSimWorldState)              \
    X(MotrixSimPadTargets)              \
    X(MotrixSimRefillTray)

// The whole of a report copied like MotrixSimCommandLog, without its terminator. The report may
// grow on another thread between asking for its size and copying it: ask until it fits.
inline std::string MotrixSimCopyReport(int (*report)(char* buffer, int size)) {
    std::string text(static_cast<std::size_t>(std::max(report(nullptr, 0), 1)), '\0');
    while (true) {
        const int needed = report(text.data(), static_cast<int>(text.size()));
        if (needed <= static_cast<int>(text.size())) {
            text.resize(static_cast<std::size_t>(std::max(needed - 1, 0)));
            return text;
        }
        text.resize(static_cast<std::size_t>(needed));
    }
}
