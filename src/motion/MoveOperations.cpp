#include "motion/MoveOperations.h"

#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"

namespace {

void refreshAll(ProgramContext& context) {
    RefreshStatusAndButtons(context);
    context.port.processEvents();
}

// Outputs already in the wanted state cost no command and no wait.
void ensureVacuumOn(ProgramContext& context) {
    if (!context.cnc.OutputState[OutputVacuum]) {
        context.cnc.SetVacuumOutput(true);
        Delay(context, context.settings.pickDelay);
    }
}

void protectNozzle(ProgramContext& context) {
    MotrixCNC& cnc = context.cnc;
    if (cnc.OutputState[OutputVacuum]) {
        cnc.SetVacuumOutput(false);
        Delay(context, context.settings.pickDelay);
    }
    if (cnc.OutputState[OutputFeeder]) {
        cnc.SetFeederOutput(false);
        Delay(context, context.settings.actuatorOffDelay);
    }
}

double boardX(const ProgramContext& context, double x) {
    return x + context.project.BoardOriginX;
}

double boardY(const ProgramContext& context, double y) {
    return y + context.project.BoardOriginY;
}

}  // namespace

bool NozzleFree(ProgramContext& context) {
    if (!context.cycle.PartOnNozzle) {
        return true;
    }
    if (Usable(context)) {
        context.port.speak("DISCARD THE PART FIRST");
        context.port.showError("DISCARD THE PART FIRST.");
    }
    return false;
}

bool Move(ProgramContext& context, double x, double y, double z, double a, int speed) {
    const bool moved = context.cnc.MoveMachine(x, y, z, a, speed);
    refreshAll(context);
    return moved;
}

bool MoveHomeRelative(ProgramContext& context, double x, double y, double z, double a, int speed) {
    const bool moved = context.cnc.MoveHomeFrame(x, y, z, a, speed);
    refreshAll(context);
    return moved;
}

bool MoveBoardRelative(ProgramContext& context, double x, double y, double z, double a, int speed) {
    const bool moved =
        MoveHomeRelative(context, boardX(context, x), boardY(context, y), z, a, speed);
    context.port.processEvents();
    return moved;
}

bool MoveHomeRelativeWithNozzleProtection(ProgramContext& context, double x, double y, double z,
                                          double a, int speed) {
    if (!NozzleFree(context)) {
        return false;
    }
    protectNozzle(context);
    const bool moved = context.cnc.MoveHomeFrameZSafe(x, y, z, a, speed);
    refreshAll(context);
    return moved;
}

bool MoveBoardRelativeWithNozzleProtection(ProgramContext& context, double x, double y, double z,
                                           double a, int speed) {
    const bool moved = MoveHomeRelativeWithNozzleProtection(context, boardX(context, x),
                                                            boardY(context, y), z, a, speed);
    context.port.processEvents();
    return moved;
}

bool MoveHomeRelativeWithPart(ProgramContext& context, double x, double y, double z, double a,
                              int speed) {
    ensureVacuumOn(context);
    const bool moved = context.cnc.MoveHomeFrame(x, y, z, a, speed);
    refreshAll(context);
    return moved;
}

bool MoveBoardRelativeWithPart(ProgramContext& context, double x, double y, double z, double a,
                               int speed) {
    ensureVacuumOn(context);
    const bool moved =
        context.cnc.MoveHomeFrameZSafe(boardX(context, x), boardY(context, y), z, a, speed);
    RefreshStatusAndButtons(context);
    return moved;
}

bool MoveHomeRelativeWithPartAndNozzleProtection(ProgramContext& context, double x, double y,
                                                 double z, double a, int speed) {
    ensureVacuumOn(context);
    const bool moved = context.cnc.MoveHomeFrameZSafe(x, y, z, a, speed);
    refreshAll(context);
    return moved;
}

bool MoveBoardRelativeWithPartAndNozzleProtection(ProgramContext& context, double x, double y,
                                                  double z, double a, int speed) {
    return MoveHomeRelativeWithPartAndNozzleProtection(context, boardX(context, x),
                                                       boardY(context, y), z, a, speed);
}
