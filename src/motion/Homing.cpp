#include "motion/Homing.h"

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/HomeMarks.h"
#include "motion/MoveOperations.h"

namespace {

// The camera searches over the home marks run at half speed, the return to the squared
// origin at a quarter.
int halfSpeed(const MachineSettings& settings) {
    return settings.maxStepsPerSecond / 2;
}

// A failed search step: the mark that could not be reached, seen or found.
bool reportSearch(ProgramContext& context, MarkSearch search) {
    switch (search) {
        case MarkSearch::Found:
            return true;
        case MarkSearch::CameraFailed:
            return FailStep(context, "CAMERA FAILED");
        case MarkSearch::NotFound:
            break;
    }
    return FailStep(context, "CORRELATION FAILED");
}

// A home snap that cannot be read fails the correlation, before any move towards the mark.
bool reportMissingSnap(ProgramContext& context) {
    return FailStep(context, "CORRELATION FAILED");
}

// The camera over the Home 1 mark at its height. A lowered nozzle (after squaring over Home 2)
// rises where it stands first, so it never travels low.
bool moveOverHome1(ProgramContext& context) {
    MotrixCNC& cnc = context.cnc;
    const MachineSettings& settings = context.settings;
    const int speed = halfSpeed(settings);
    const bool raised =
        cnc.CommandedZ <= 0 || cnc.MoveMachine(cnc.CommandedX, cnc.CommandedY, 0, 0, speed);
    return raised && cnc.MoveMachine(cnc.HomeOffsetX, cnc.HomeOffsetY, 0, 0, speed) &&
           cnc.MoveMachine(cnc.HomeOffsetX, cnc.HomeOffsetY, settings.homeZ + settings.home1Z, 0,
                           speed);
}

// Measures the Home 2 mark; its Y offset is what the gantry is squared by.
bool measureHome2(ProgramContext& context) {
    const MachineSettings& settings = context.settings;
    const HomeMarkReference reference(context, HomeMark::Home2);
    context.port.processEvents();
    if (!reference.loaded()) {
        return reportMissingSnap(context);
    }
    if (!context.cnc.MoveHomeFrameZSafe(settings.home2X, settings.home2Y, settings.home2Z, 0,
                                        halfSpeed(settings))) {
        return FailStep(context, "FAILED TO MOVE TO POSITION");
    }
    return reportSearch(context, LookForMark(context, 1));
}

}  // namespace

bool CorrelateHome1(ProgramContext& context) {
    MotrixCNC& cnc = context.cnc;
    const HomeMarkReference reference(context, HomeMark::Home1);
    context.port.processEvents();
    if (!reference.loaded()) {
        return reportMissingSnap(context);
    }
    if (!moveOverHome1(context)) {
        return FailStep(context, "FAILED TO MOVE TO POSITION");
    }
    if (!reportSearch(context, LookForMark(context, 1))) {
        return false;
    }
    cnc.HomeOffsetX += context.vision.VisionCentreX;
    cnc.HomeOffsetY += context.vision.VisionCentreY;
    return true;
}

bool CorrelateHome2(ProgramContext& context) {
    if (!measureHome2(context)) {
        return false;
    }
    MotrixCNC& cnc = context.cnc;
    const MachineSettings& settings = context.settings;
    // Only one Y motor follows while the alignment output is on: the gantry turns square by
    // the mark's Y offset. Its X offset is of no use here.
    const double squaredY = settings.home2Y + context.vision.VisionCentreY;
    const double z = settings.home2Z - settings.homeZ;
    const int speed = halfSpeed(settings);
    cnc.SetYAlignOutput(true);
    cnc.MoveHomeFrame(settings.home2X, squaredY, z, 0, speed);
    cnc.SetYAlignOutput(false);
    context.port.processEvents();
    if (!cnc.MoveHomeFrame(settings.home2X, squaredY, z, 0, speed)) {
        return FailStep(context, "FAILED TO MOVE TO POSITION");
    }
    return CorrelateHome1(context);
}

bool AlignDualYAxis(ProgramContext& context) {
    context.port.processEvents();
    bool aligned = CorrelateHome1(context) && CorrelateHome2(context);
    context.port.processEvents();
    if (aligned) {
        const MachineSettings& settings = context.settings;
        aligned =
            context.cnc.MoveHomeFrame(0, 0, settings.home1Z, 0, settings.maxStepsPerSecond / 4);
    }
    context.port.processEvents();
    RefreshStatusAndButtons(context);
    return aligned;
}

namespace {

// The controller's homing sequence, the camera corrections and the park.
bool homeAndPark(ProgramContext& context) {
    OperatorPort& port = context.port;
    MotrixCNC& cnc = context.cnc;
    const MachineSettings& settings = context.settings;
    port.processEvents();
    const bool sequenceDone = cnc.RunHomingSequence();
    RefreshStatusAndButtons(context);
    port.processEvents();
    cnc.HomeOffsetX = settings.home1X;
    cnc.HomeOffsetY = settings.home1Y;
    // A sequence that stopped early leaves no origin to correct, and its cause has been shown
    // (the stop, or the controller not answering): the camera steps would only add a message.
    bool homed = sequenceDone;
    if (sequenceDone && settings.visualHome) {
        homed = settings.dualYAxis ? AlignDualYAxis(context) : CorrelateHome1(context);
    }
    port.processEvents();
    MoveHomeRelativeWithNozzleProtection(context, settings.parkX, settings.parkY,
                                         settings.home1Z - settings.homeZ, 0,
                                         settings.maxStepsPerSecond);
    port.processEvents();
    RefreshStatusAndButtons(context);
    return homed;
}

}  // namespace

bool Home(ProgramContext& context) {
    return RunSequence(context, [&context] { return NozzleFree(context) && homeAndPark(context); });
}
