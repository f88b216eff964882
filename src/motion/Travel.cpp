#include "motion/Travel.h"

#include "settings/MachineSettings.h"

bool WithinTravel(const MachineSettings& settings, TravelAxis axis, double machineMm) {
    const bool isX = axis == TravelAxis::X;
    const double minimum = isX ? settings.minimumXPosition : settings.minimumYPosition;
    const double maximum = isX ? settings.maximumXPosition : settings.maximumYPosition;
    return machineMm >= minimum && machineMm <= maximum;
}
