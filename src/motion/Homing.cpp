#include "motion/Homing.h"

#include "context/ProgramContext.h"
#include "motion/MoveOperations.h"

bool Home(ProgramContext& context) {
    OperatorPort& port = context.port;
    MotrixCNC& cnc = context.cnc;
    const MachineSettings& settings = context.settings;
    port.processEvents();
    const bool sequenceDone = cnc.RunHomingSequence();
    port.updateStatus();
    port.updateButtons();
    port.processEvents();
    cnc.HomeOffsetX = settings.home1X;
    cnc.HomeOffsetY = settings.home1Y;
    // The camera correction of the home position arrives with the cameras; until then the
    // offsets are the taught Home 1 position.
    const bool homed = sequenceDone;
    port.processEvents();
    MoveHomeRelativeWithNozzleProtection(context, settings.parkX, settings.parkY,
                                         settings.home1Z - settings.homeZ, 0,
                                         settings.maxStepsPerSecond);
    port.processEvents();
    port.updateStatus();
    port.updateButtons();
    return homed;
}
