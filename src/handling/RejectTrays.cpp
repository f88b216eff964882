#include "handling/RejectTrays.h"

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "motion/MoveOperations.h"
#include "settings/NumberText.h"

std::optional<double> ParseTrayCoordinate(const ProgramContext& context, TravelAxis axis,
                                          QStringView text) {
    const std::optional<double> value = ParseReal(text);
    if (!value || !WithinTravelFromHome(context, axis, *value)) {
        return std::nullopt;
    }
    return value;
}

void SetRejectTrayHere(ProgramContext& context, int tray) {
    RunSequence(context, [&context, tray] {
        const MotrixCNC& cnc = context.cnc;
        context.settings.rejectTrayX[tray - 1] = cnc.CommandedX - cnc.HomeOffsetX;
        context.settings.rejectTrayY[tray - 1] = cnc.CommandedY - cnc.HomeOffsetY;
    });
}

bool GoToRejectTray(ProgramContext& context, int tray) {
    return RunSequence(context, [&context, tray] {
        const MachineSettings& settings = context.settings;
        return MoveHomeRelativeWithNozzleProtection(context, settings.rejectTrayX[tray - 1],
                                                    settings.rejectTrayY[tray - 1], 0, 0,
                                                    settings.maxStepsPerSecond);
    });
}
