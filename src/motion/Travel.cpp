#include "motion/Travel.h"

#include <utility>

#include "settings/MachineSettings.h"

namespace {

std::pair<double, double> softLimits(const MachineSettings& settings, TravelAxis axis) {
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

}  // namespace

bool WithinTravel(const MachineSettings& settings, TravelAxis axis, double machineMm) {
    const auto [minimum, maximum] = softLimits(settings, axis);
    return machineMm >= minimum && machineMm <= maximum;
}
