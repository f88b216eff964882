#include "WorldDriver.h"

namespace motrix_sim {

void WorldDriver::moveNozzleTo(Vec2 nozzle, double z, double a) {
    pose_ = {nozzle - world_.world().nozzleOffset, z, a};
    observe();
}

void WorldDriver::switchOutput(int mask, bool on) {
    outputs_ = on ? (outputs_ | mask) : (outputs_ & ~mask);
    observe();
}

bool WorldDriver::pickFrom(int feeder) {
    const World& world = world_.world();
    const FeederSpec& spec = world.feeders[static_cast<std::size_t>(feeder)];
    const FeederState& state = world_.state().feeders()[static_cast<std::size_t>(feeder)];
    int pocket = world_.state().pickPocket(feeder);
    if (spec.type == FeederType::Tray) {
        pocket = 1;
        while (pocket < spec.pocketCount() &&
               !state.present[static_cast<std::size_t>(pocket - 1)]) {
            ++pocket;
        }
    }
    const Vec2 part = world_.model().layout.pocketPosition(feeder, pocket, state.advanced);
    moveNozzleTo(part, 0, 0);
    switchOutput(kOutputVacuum, true);
    moveNozzleTo(part, spec.pickZ, 0);
    moveNozzleTo(part, 0, 0);
    if (spec.type == FeederType::Reel) {
        switchOutput(kOutputFeeder, true);
        switchOutput(kOutputFeeder, false);
    }
    return world_.state().held().has_value();
}

void WorldDriver::placeAt(Vec2 target, double surfaceZ, double a) {
    const auto& held = world_.state().held();
    if (!held) {
        return;
    }
    const double height = world_.world().partKinds[static_cast<std::size_t>(held->kind)].height;
    const Vec2 nozzle = target - held->offsetAt(a);
    moveNozzleTo(nozzle, 0, a);
    moveNozzleTo(nozzle, surfaceZ - height, a);
    switchOutput(kOutputVacuum, false);
    moveNozzleTo(nozzle, 0, a);
}

}  // namespace motrix_sim
