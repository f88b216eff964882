#pragma once

// The entry points of the motion-controller library "MotrixAPI", as the controller layer binds
// them by name. Integer arguments are 32-bit; byte arguments are widened to 32 bits. Every
// function answers one status byte unless noted. The simulated controller in sim/ implements
// exactly these.

#include <cstdint>

extern "C" {
using MotrixStatus = std::uint8_t;

using MotrixSetArcDirectionFn = MotrixStatus (*)(std::int32_t* option);
using MotrixGetFirmwareVersionFn = double (*)();
using MotrixResetFn = MotrixStatus (*)(std::int32_t* comPort, std::int32_t a, std::int32_t b);
using MotrixGetPositionFn = MotrixStatus (*)(std::int32_t* x, std::int32_t* y, std::int32_t* z,
                                             std::int32_t* a);
using MotrixPauseFn = MotrixStatus (*)();
using MotrixContinueFn = MotrixStatus (*)();
using MotrixEndCurrentMoveFn = MotrixStatus (*)();
using MotrixEmStopFn = MotrixStatus (*)();
using MotrixSetPositionFn = MotrixStatus (*)(std::int32_t x, std::int32_t y, std::int32_t z,
                                             std::int32_t a, std::int32_t axisMask);
using MotrixSetOutputFn = MotrixStatus (*)(std::int32_t mask, std::int32_t on, std::int32_t x,
                                           std::int32_t y, std::int32_t z, std::int32_t a);
using MotrixDelayFn = MotrixStatus (*)(std::int32_t delayA, std::int32_t delayB, std::int32_t* x,
                                       std::int32_t* y, std::int32_t* z, std::int32_t* a);
// Linear and rapid moves: target in steps, speed in steps/s, four out integers.
using MotrixMoveFn = MotrixStatus (*)(std::int32_t x, std::int32_t y, std::int32_t z,
                                      std::int32_t a, std::int32_t speed, std::int32_t speedAux,
                                      std::int32_t* out1, std::int32_t* out2, std::int32_t* out3,
                                      std::int32_t* out4);
using MotrixArcMoveFn = MotrixStatus (*)(std::int32_t arc3, std::int32_t x, std::int32_t y,
                                         std::int32_t arc1, std::int32_t arc2, std::int32_t speed,
                                         std::int32_t speedAux, std::int32_t flag,
                                         std::int32_t* out1, std::int32_t* out2, std::int32_t* out3,
                                         std::int32_t* out4);
using MotrixHomeFn = MotrixStatus (*)(std::int32_t axisMask, std::int32_t option,
                                      std::int32_t speed);
using MotrixSetFeedOverrideFn = MotrixStatus (*)(std::int32_t speed);
using MotrixSetMaxSPSFn = MotrixStatus (*)(std::int32_t speed, std::int32_t b, std::int32_t c,
                                           std::int32_t d, std::int32_t spsAux);
using MotrixIndexMoveFn = MotrixStatus (*)(std::int32_t x, std::int32_t y, std::int32_t z,
                                           std::int32_t a, std::int32_t speed,
                                           std::int32_t axisMask, std::int32_t* out1,
                                           std::int32_t* out2, std::int32_t* out3,
                                           std::int32_t* out4);
using MotrixReadInputsFn = std::uint8_t (*)();
using MotrixChaseEncoderFn = MotrixStatus (*)(std::int32_t axisMask, std::int32_t option,
                                              std::int32_t x, std::int32_t y, std::int32_t z,
                                              std::int32_t a);
using MotrixEndChaseEncoderFn = MotrixStatus (*)();
using MotrixSetOutputImediateFn = MotrixStatus (*)(std::int32_t option);
using MotrixCloseFn = MotrixStatus (*)();
using MotrixSetAccellerationFn = MotrixStatus (*)(std::int32_t acceleration,
                                                  std::int32_t maxStepsPerSecond,
                                                  std::int32_t startStepsPerSecond,
                                                  std::int32_t scale);

// Optional: the LinuxCNC library's set-up (`key=value` lines: where LinuxCNC's remote shell
// listens and the machine's scaling), handed over before each reset when the library has it.
using MotrixLinuxCncSetUpFn = int (*)(const char* text);
}

// X(name, type): every entry point the program binds, in one list for the binder and the
// simulator's signature checks.
#define MOTRIX_API_FUNCTIONS(X)                             \
    X(MotrixSetArcDirection, MotrixSetArcDirectionFn)       \
    X(MotrixGetFirmwareVersion, MotrixGetFirmwareVersionFn) \
    X(MotrixReset, MotrixResetFn)                           \
    X(MotrixGetPosition, MotrixGetPositionFn)               \
    X(MotrixPause, MotrixPauseFn)                           \
    X(MotrixContinue, MotrixContinueFn)                     \
    X(MotrixEndCurrentMove, MotrixEndCurrentMoveFn)         \
    X(MotrixEmStop, MotrixEmStopFn)                         \
    X(MotrixSetPosition, MotrixSetPositionFn)               \
    X(MotrixSetOutput, MotrixSetOutputFn)                   \
    X(MotrixDelay, MotrixDelayFn)                           \
    X(MotrixLinearMove, MotrixMoveFn)                       \
    X(MotrixRapidMove, MotrixMoveFn)                        \
    X(MotrixQuadrantArcMoveCW, MotrixArcMoveFn)             \
    X(MotrixQuadrantArcMoveCCW, MotrixArcMoveFn)            \
    X(MotrixHome, MotrixHomeFn)                             \
    X(MotrixSetFeedOverride, MotrixSetFeedOverrideFn)       \
    X(MotrixSetMaxSPS, MotrixSetMaxSPSFn)                   \
    X(MotrixIndexMove, MotrixIndexMoveFn)                   \
    X(MotrixReadInputs, MotrixReadInputsFn)                 \
    X(MotrixChaseEncoder, MotrixChaseEncoderFn)             \
    X(MotrixEndChaseEncoder, MotrixEndChaseEncoderFn)       \
    X(MotrixSetOutputImediate, MotrixSetOutputImediateFn)   \
    X(MotrixClose, MotrixCloseFn)                           \
    X(MotrixSetAccelleration, MotrixSetAccellerationFn)
