// The controller library's entry points: each one logs the call and hands it to the virtual
// machine of this process.

#include "MotrixApiExports.h"

#include "SimStatus.h"
#include "Simulator.h"
#include "StepPointers.h"

using motrix_sim::kAllAxes;
using motrix_sim::simulator;
using motrix_sim::StepPointers;
using motrix_sim::Steps;
using motrix_sim::VirtualMachine;

#define MOTRIX_CHECK_SIGNATURE(name, type) \
    static_assert(std::is_same_v<decltype(&name), type>, #name " has the wrong signature");
MOTRIX_API_FUNCTIONS(MOTRIX_CHECK_SIGNATURE)
#undef MOTRIX_CHECK_SIGNATURE

namespace {

constexpr int kArcAxes = 0x03;  // an arc runs in the X-Y plane

std::int32_t valueOrZero(const std::int32_t* value) {
    return value != nullptr ? *value : 0;
}

// A call that answers its status and, when connected, writes the counters it produced.
template <typename Action>
MotrixStatus serveWithCounters(std::string_view name, std::initializer_list<std::int32_t> args,
                               StepPointers out, Action&& action) {
    return simulator().serve(name, args, [&](VirtualMachine& machine) {
        Steps counters{};
        const MotrixStatus status = action(machine, counters);
        if (motrix_sim::answered(status)) {
            out.write(counters);
        }
        return status;
    });
}

// A move command; its four out integers receive the counters at the time of the command.
MotrixStatus serveMove(std::string_view name, std::initializer_list<std::int32_t> args,
                       const Steps& target, int axisMask, std::int32_t speed, StepPointers out) {
    return serveWithCounters(name, args, out, [&](VirtualMachine& machine, Steps& counters) {
        const MotrixStatus status = machine.move(target, axisMask, speed);
        counters = machine.counters();
        return status;
    });
}

MotrixStatus serveSetUp(std::string_view name, std::initializer_list<std::int32_t> args) {
    return simulator().serve(name, args,
                             [](VirtualMachine& machine) { return machine.acceptSetUp(); });
}

}  // namespace

extern "C" {

MotrixStatus MotrixSetArcDirection(std::int32_t* option) {
    return serveSetUp(__func__, {valueOrZero(option)});
}

double MotrixGetFirmwareVersion() {
    return simulator().serve(__func__, {},
                             [](VirtualMachine& machine) { return machine.firmwareVersion(); });
}

MotrixStatus MotrixReset(std::int32_t* comPort, std::int32_t a, std::int32_t b) {
    return simulator().serve(__func__, {valueOrZero(comPort), a, b},
                             [](VirtualMachine& machine) { return machine.reset(); });
}

MotrixStatus MotrixGetPosition(std::int32_t* x, std::int32_t* y, std::int32_t* z, std::int32_t* a) {
    return serveWithCounters(
        __func__, {}, {x, y, z, a},
        [](VirtualMachine& machine, Steps& counters) { return machine.getPosition(counters); });
}

MotrixStatus MotrixPause() {
    return simulator().serve(__func__, {}, [](VirtualMachine& machine) { return machine.pause(); });
}

MotrixStatus MotrixContinue() {
    return simulator().serve(__func__, {},
                             [](VirtualMachine& machine) { return machine.resume(); });
}

MotrixStatus MotrixEndCurrentMove() {
    return simulator().serve(__func__, {},
                             [](VirtualMachine& machine) { return machine.endCurrentMove(); });
}

MotrixStatus MotrixEmStop() {
    return simulator().serve(__func__, {},
                             [](VirtualMachine& machine) { return machine.emergencyStop(); });
}

MotrixStatus MotrixSetPosition(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                               std::int32_t axisMask) {
    return simulator().serve(__func__, {x, y, z, a, axisMask}, [&](VirtualMachine& machine) {
        return machine.setPosition({x, y, z, a}, axisMask);
    });
}

MotrixStatus MotrixSetOutput(std::int32_t mask, std::int32_t on, std::int32_t x, std::int32_t y,
                             std::int32_t z, std::int32_t a) {
    return simulator().serve(__func__, {mask, on, x, y, z, a}, [&](VirtualMachine& machine) {
        return machine.setOutput(mask, on != 0);
    });
}

MotrixStatus MotrixDelay(std::int32_t delayA, std::int32_t delayB, std::int32_t* x, std::int32_t* y,
                         std::int32_t* z, std::int32_t* a) {
    return serveWithCounters(
        __func__, {delayA, delayB}, {x, y, z, a},
        [](VirtualMachine& machine, Steps& counters) { return machine.delay(counters); });
}

MotrixStatus MotrixLinearMove(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                              std::int32_t speed, std::int32_t speedAux, std::int32_t* out1,
                              std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return serveMove(__func__, {x, y, z, a, speed, speedAux}, {x, y, z, a}, kAllAxes, speed,
                     {out1, out2, out3, out4});
}

MotrixStatus MotrixRapidMove(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                             std::int32_t speed, std::int32_t speedAux, std::int32_t* out1,
                             std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return serveMove(__func__, {x, y, z, a, speed, speedAux}, {x, y, z, a}, kAllAxes, speed,
                     {out1, out2, out3, out4});
}

// Arcs run as straight moves to their end point.
MotrixStatus MotrixQuadrantArcMoveCW(std::int32_t arc3, std::int32_t x, std::int32_t y,
                                     std::int32_t arc1, std::int32_t arc2, std::int32_t speed,
                                     std::int32_t speedAux, std::int32_t flag, std::int32_t* out1,
                                     std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return serveMove(__func__, {arc3, x, y, arc1, arc2, speed, speedAux, flag}, {x, y, 0, 0},
                     kArcAxes, speed, {out1, out2, out3, out4});
}

MotrixStatus MotrixQuadrantArcMoveCCW(std::int32_t arc3, std::int32_t x, std::int32_t y,
                                      std::int32_t arc1, std::int32_t arc2, std::int32_t speed,
                                      std::int32_t speedAux, std::int32_t flag, std::int32_t* out1,
                                      std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return serveMove(__func__, {arc3, x, y, arc1, arc2, speed, speedAux, flag}, {x, y, 0, 0},
                     kArcAxes, speed, {out1, out2, out3, out4});
}

MotrixStatus MotrixHome(std::int32_t axisMask, std::int32_t option, std::int32_t speed) {
    return simulator().serve(__func__, {axisMask, option, speed}, [&](VirtualMachine& machine) {
        return machine.home(axisMask, speed);
    });
}

MotrixStatus MotrixSetFeedOverride(std::int32_t speed) {
    return serveSetUp(__func__, {speed});
}

MotrixStatus MotrixSetMaxSPS(std::int32_t speed, std::int32_t b, std::int32_t c, std::int32_t d,
                             std::int32_t spsAux) {
    return simulator().serve(__func__, {speed, b, c, d, spsAux}, [](VirtualMachine& machine) {
        return machine.setMaxStepsPerSecond();
    });
}

// An index move drives only the masked axes.
MotrixStatus MotrixIndexMove(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                             std::int32_t speed, std::int32_t axisMask, std::int32_t* out1,
                             std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return serveMove(__func__, {x, y, z, a, speed, axisMask}, {x, y, z, a}, axisMask, speed,
                     {out1, out2, out3, out4});
}

std::uint8_t MotrixReadInputs() {
    return simulator().serve(__func__, {},
                             [](VirtualMachine& machine) { return machine.inputs(); });
}

MotrixStatus MotrixChaseEncoder(std::int32_t axisMask, std::int32_t option, std::int32_t x,
                                std::int32_t y, std::int32_t z, std::int32_t a) {
    return serveSetUp(__func__, {axisMask, option, x, y, z, a});
}

MotrixStatus MotrixEndChaseEncoder() {
    return serveSetUp(__func__, {});
}

MotrixStatus MotrixSetOutputImediate(std::int32_t option) {
    return simulator().serve(__func__, {option}, [&](VirtualMachine& machine) {
        return machine.setOutputsImmediate(option);
    });
}

MotrixStatus MotrixClose() {
    return simulator().serve(__func__, {}, [](VirtualMachine& machine) {
        machine.close();
        return motrix_sim::kStatusAccepted;
    });
}

MotrixStatus MotrixSetAccelleration(std::int32_t acceleration, std::int32_t maxStepsPerSecond,
                                    std::int32_t startStepsPerSecond, std::int32_t scale) {
    return simulator().serve(__func__,
                             {acceleration, maxStepsPerSecond, startStepsPerSecond, scale},
                             [](VirtualMachine& machine) { return machine.setAcceleration(); });
}

}  // extern "C"
