#include "motion/Travel.h"

#include "context/ProgramContext.h"
#include "settings/MachineSettings.h"

std::pair<double, double> TravelLimits(const MachineSettings& settings, TravelAxis axis) {
    switch (axis) {
        case TravelAxis::X:
            return {settings.minimumXPosition, settings.maximumXPosition};
        case TravelAxis::Y:
            return {settings.minimumYPosition, settings.maximumYPosition};
        case TravelAxis::Z:
            break;
    }
    return {settings.minimumZPosition, settings.maximumZPosition};
}

bool WithinTravel(const MachineSettings& settings, TravelAxis axis, double machineMm) {
    const auto [minimum, maximum] = TravelLimits(settings, axis);
    return machineMm >= minimum && machineMm <= maximum;
}

bool WithinTravelFromHome(const ProgramContext& context, TravelAxis axis, double homeRelativeMm) {
    const MotrixCNC& cnc = context.cnc;
    const double home = axis == TravelAxis::X   ? cnc.HomeOffsetX
                        : axis == TravelAxis::Y ? cnc.HomeOffsetY
                                                : context.settings.homeZ;
    return WithinTravel(context.settings, axis, homeRelativeMm + home);
}
