// The controller library's entry points, carried out by LinuxCNC (LinuxCncController), and the
// set-up and world configuration calls of this library.

#include "LinuxCncController.h"
#include "MotrixApiExports.h"
#include "MotrixLinuxCnc.h"
#include "MotrixSimControl.h"
#include "SimStatus.h"
#include "StepPointers.h"
#include "WorldJson.h"

using linuxcnc::controller;
using motrix_sim::StepPointers;
using motrix_sim::Steps;

#define MOTRIX_CHECK_SIGNATURE(name, type) \
    static_assert(std::is_same_v<decltype(&name), type>, #name " has the wrong signature");
MOTRIX_API_FUNCTIONS(MOTRIX_CHECK_SIGNATURE)
#undef MOTRIX_CHECK_SIGNATURE

namespace {

constexpr int kAllAxes = 0x0F;
constexpr int kArcAxes = 0x03;  // an arc runs in the X-Y plane

// Writes the counters of an answered call to the caller's pointers.
MotrixStatus withCounters(MotrixStatus status, const Steps& counters, StepPointers out) {
    if (motrix_sim::answered(status)) {
        out.write(counters);
    }
    return status;
}

MotrixStatus move(const Steps& target, int axisMask, std::int32_t speed, StepPointers out) {
    const MotrixStatus status = controller().move(target, axisMask, speed);
    return withCounters(status, controller().lastCounters(), out);
}

}  // namespace

namespace motrix_sim {

WorldHost& worldHost() {
    return controller();
}

}  // namespace motrix_sim

extern "C" {

MotrixStatus MotrixSetArcDirection(std::int32_t*) {
    return controller().acceptSetUp();
}

double MotrixGetFirmwareVersion() {
    return controller().firmwareVersion();
}

MotrixStatus MotrixReset(std::int32_t*, std::int32_t, std::int32_t) {
    return controller().reset();
}

MotrixStatus MotrixGetPosition(std::int32_t* x, std::int32_t* y, std::int32_t* z, std::int32_t* a) {
    Steps counters{};
    const MotrixStatus status = controller().getPosition(counters);
    return withCounters(status, counters, {x, y, z, a});
}

MotrixStatus MotrixPause() {
    return controller().pause();
}

MotrixStatus MotrixContinue() {
    return controller().resume();
}

MotrixStatus MotrixEndCurrentMove() {
    return controller().endCurrentMove();
}

MotrixStatus MotrixEmStop() {
    return controller().emergencyStop();
}

MotrixStatus MotrixSetPosition(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                               std::int32_t axisMask) {
    return controller().setPosition({x, y, z, a}, axisMask);
}

MotrixStatus MotrixSetOutput(std::int32_t mask, std::int32_t on, std::int32_t, std::int32_t,
                             std::int32_t, std::int32_t) {
    return controller().setOutput(mask, on != 0);
}

MotrixStatus MotrixDelay(std::int32_t, std::int32_t, std::int32_t* x, std::int32_t* y,
                         std::int32_t* z, std::int32_t* a) {
    Steps counters{};
    const MotrixStatus status = controller().readCounters(counters);
    return withCounters(status, counters, {x, y, z, a});
}

MotrixStatus MotrixLinearMove(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                              std::int32_t speed, std::int32_t, std::int32_t* out1,
                              std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return move({x, y, z, a}, kAllAxes, speed, {out1, out2, out3, out4});
}

MotrixStatus MotrixRapidMove(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                             std::int32_t speed, std::int32_t, std::int32_t* out1,
                             std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return move({x, y, z, a}, kAllAxes, speed, {out1, out2, out3, out4});
}

// Arcs run as straight moves to their end point, as on the simulator.
MotrixStatus MotrixQuadrantArcMoveCW(std::int32_t, std::int32_t x, std::int32_t y, std::int32_t,
                                     std::int32_t, std::int32_t speed, std::int32_t, std::int32_t,
                                     std::int32_t* out1, std::int32_t* out2, std::int32_t* out3,
                                     std::int32_t* out4) {
    return move({x, y, 0, 0}, kArcAxes, speed, {out1, out2, out3, out4});
}

MotrixStatus MotrixQuadrantArcMoveCCW(std::int32_t, std::int32_t x, std::int32_t y, std::int32_t,
                                      std::int32_t, std::int32_t speed, std::int32_t, std::int32_t,
                                      std::int32_t* out1, std::int32_t* out2, std::int32_t* out3,
                                      std::int32_t* out4) {
    return move({x, y, 0, 0}, kArcAxes, speed, {out1, out2, out3, out4});
}

MotrixStatus MotrixHome(std::int32_t axisMask, std::int32_t, std::int32_t speed) {
    return controller().home(axisMask, speed);
}

MotrixStatus MotrixSetFeedOverride(std::int32_t) {
    return controller().acceptSetUp();
}

MotrixStatus MotrixSetMaxSPS(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return controller().acceptSetUp();
}

MotrixStatus MotrixIndexMove(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t a,
                             std::int32_t speed, std::int32_t axisMask, std::int32_t* out1,
                             std::int32_t* out2, std::int32_t* out3, std::int32_t* out4) {
    return move({x, y, z, a}, axisMask, speed, {out1, out2, out3, out4});
}

std::uint8_t MotrixReadInputs() {
    return controller().inputs();
}

MotrixStatus MotrixChaseEncoder(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                std::int32_t, std::int32_t) {
    return controller().acceptSetUp();
}

MotrixStatus MotrixEndChaseEncoder() {
    return controller().acceptSetUp();
}

MotrixStatus MotrixSetOutputImediate(std::int32_t option) {
    return controller().setOutputs(option);
}

MotrixStatus MotrixClose() {
    controller().close();
    return motrix_sim::kStatusAccepted;
}

MotrixStatus MotrixSetAccelleration(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return controller().acceptSetUp();
}

int MotrixLinuxCncSetUp(const char* text) {
    linuxcnc::LinuxCncSetUp setUp = controller().currentSetUp();
    const std::vector<std::string> problems =
        linuxcnc::applySetUpText(setUp, text != nullptr ? text : "");
    controller().setUp(setUp);
    return linuxcnc::reportProblems(problems);
}

// The world on LinuxCNC's table: only its world keys (null: the environment's, as at start).
int MotrixSimConfigure(const char* text) {
    std::vector<std::string> problems;
    motrix_sim::Configuration configured =
        motrix_sim::configurationFromText(text, motrix_sim::applyWorldText, problems);
    controller().configureWorld(configured.config, std::move(configured.world));
    return linuxcnc::reportProblems(problems);
}

}  // extern "C"
