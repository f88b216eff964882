#include "handling/RejectTrays.h"

#include "app/ProgramContext.h"
#include "motion/MoveOperations.h"
#include "settings/NumberText.h"

std::optional<double> ParseTrayCoordinate(const ProgramContext& context, Axis2D axis,
                                          QStringView text) {
    const MachineSettings& settings = context.settings;
    const bool isX = axis == Axis2D::X;
    const double offset = isX ? context.cnc.HomeOffsetX : context.cnc.HomeOffsetY;
    const double minimum = (isX ? settings.minimumXPosition : settings.minimumYPosition) - offset;
    const double maximum = (isX ? settings.maximumXPosition : settings.maximumYPosition) - offset;
    const std::optional<double> value = ParseReal(text);
    if (!value || *value < minimum || *value > maximum) {
        return std::nullopt;
    }
    return value;
}

void SetRejectTrayHere(ProgramContext& context, int tray) {
    const MotrixCNC& cnc = context.cnc;
    context.settings.rejectTrayX[tray - 1] = cnc.CommandedX - cnc.HomeOffsetX;
    context.settings.rejectTrayY[tray - 1] = cnc.CommandedY - cnc.HomeOffsetY;
}

bool GoToRejectTray(ProgramContext& context, int tray) {
    const MachineSettings& settings = context.settings;
    return MoveHomeRelativeWithNozzleProtection(context, settings.rejectTrayX[tray - 1],
                                                settings.rejectTrayY[tray - 1], 0, 0,
                                                settings.maxStepsPerSecond);
}
