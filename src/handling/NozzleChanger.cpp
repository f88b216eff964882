#include "handling/NozzleChanger.h"

#include <algorithm>
#include <optional>

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/SettingsPersistence.h"
#include "context/WindowRefresh.h"
#include "motion/MoveOperations.h"
#include "motion/Travel.h"

namespace {

// Seconds the head rests on a freshly pressed nozzle, then after lifting to the entry height.
constexpr double kSeatDelay = 0.25;
constexpr double kSettleDelay = 0.15;

struct HolderPosition {
    double x = 0;
    double y = 0;
};

HolderPosition holder(const MachineSettings& settings, int nozzle) {
    return {settings.nozzleX[nozzle - 1], settings.nozzleY[nozzle - 1]};
}

// The holder's opening: where the head stands to slide a nozzle in or out. None for an
// unknown side, where the only way in would be straight down onto the holder.
std::optional<HolderPosition> opening(const MachineSettings& settings, HolderPosition at) {
    const double h = settings.nozzleHorizontal;
    switch (settings.nozzleChangerLocation) {
        case NozzleChangerRight:
            return HolderPosition{at.x - h, at.y};
        case NozzleChangerFront:
            return HolderPosition{at.x, at.y + h};
        case NozzleChangerRear:
            return HolderPosition{at.x, at.y - h};
        default:
            return std::nullopt;
    }
}

// Home-relative Z of the rise after parking: "Nozzle Up" above Z zero, but never beyond the
// top of the Z travel, where the move would be clamped and reported as failed.
double parkRiseZ(const MachineSettings& settings, double nozzleUp) {
    return std::max(-nozzleUp, settings.minimumZPosition - settings.homeZ);
}

double parkRiseZ(const MachineSettings& settings) {
    return parkRiseZ(settings, settings.nozzleUp);
}

// What every exchange needs before a move: a changer, a known side and a free nozzle (a held
// part is told about: the exchange's protected moves would drop it).
bool mayExchange(ProgramContext& context) {
    return context.settings.nozzleChangerEnabled && opening(context.settings, {}).has_value() &&
           NozzleFree(context);
}

// The head presses onto a nozzle "Pick Down" below the entry height: a press beyond the Z
// travel would stop at the limit, short of seating the nozzle, with the head on it.
bool pressWithinTravel(const ProgramContext& context) {
    const MachineSettings& settings = context.settings;
    return WithinTravelFromHome(context, TravelAxis::Z,
                                settings.nozzleDown + settings.nozzlePickDown);
}

bool parkMounted(ProgramContext& context) {
    MachineSettings& settings = context.settings;
    const int mounted = settings.currentNozzle;
    if (mounted <= 0 || !settings.nozzleChangerEnabled) {
        return true;
    }
    if (!IsNozzleNumber(mounted) || !mayExchange(context)) {
        return false;
    }
    const HolderPosition at = holder(settings, mounted);
    const HolderPosition door = *opening(settings, at);
    const bool parked =
        MoveHomeRelativeWithNozzleProtection(context, door.x, door.y, settings.nozzleDown, 0,
                                             settings.maxStepsPerSecond) &&
        MoveHomeRelative(context, at.x, at.y, settings.nozzleDown, 0,
                         settings.nozzleChangerSpeed) &&
        MoveHomeRelative(context, at.x, at.y, parkRiseZ(settings), 0, settings.nozzleChangerSpeed);
    if (parked) {
        settings.currentNozzle = 0;
    }
    return parked;
}

bool fetch(ProgramContext& context, int nozzle) {
    MachineSettings& settings = context.settings;
    const HolderPosition at = holder(settings, nozzle);
    const HolderPosition door = *opening(settings, at);
    const int slow = settings.nozzleChangerSpeed;
    const bool pressed = MoveHomeRelativeWithNozzleProtection(context, at.x, at.y, 0, 0,
                                                              settings.maxStepsPerSecond) &&
                         MoveHomeRelative(context, at.x, at.y,
                                          settings.nozzleDown + settings.nozzlePickDown, 0, slow);
    if (!pressed) {
        return false;
    }
    Delay(context, kSeatDelay);
    if (!MoveHomeRelative(context, at.x, at.y, settings.nozzleDown, 0, slow)) {
        return false;
    }
    Delay(context, kSettleDelay);
    const bool out = MoveHomeRelative(context, door.x, door.y, settings.nozzleDown, 0, slow) &&
                     MoveHomeRelative(context, door.x, door.y, 0, 0, settings.maxStepsPerSecond);
    if (out) {
        settings.currentNozzle = nozzle;
    }
    return out;
}

bool exchange(ProgramContext& context, int requestedNozzle) {
    if (requestedNozzle == context.settings.currentNozzle ||
        !context.settings.nozzleChangerEnabled) {
        return true;
    }
    const bool fetches = IsNozzleNumber(requestedNozzle);
    if (!mayExchange(context) || (fetches && !pressWithinTravel(context)) ||
        !parkMounted(context)) {
        return false;
    }
    return fetches && fetch(context, requestedNozzle);
}

// Every exit after the machine check: the mounted nozzle reaches the store and the screen.
bool finish(ProgramContext& context, bool result) {
    SaveCurrentStatus(context);
    RefreshStatusAndButtons(context);
    return result;
}

}  // namespace

bool ParkRiseAccepted(const MachineSettings& settings, double nozzleUp) {
    return nozzleUp >= 0 && nozzleUp <= settings.maximumZPosition &&
           parkRiseZ(settings, nozzleUp) < settings.nozzleDown;
}

bool SelectNozzle(ProgramContext& context, int requestedNozzle) {
    return RunSequence(context, [&context, requestedNozzle] {
        return Usable(context) && finish(context, exchange(context, requestedNozzle));
    });
}

bool ParkNozzle(ProgramContext& context) {
    return RunSequence(
        context, [&context] { return Usable(context) && finish(context, parkMounted(context)); });
}
