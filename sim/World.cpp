#include "World.h"

#include <algorithm>

namespace motrix_sim {
namespace {

template <typename Value>
void applyIfSet(Value& target, const std::optional<Value>& value) {
    if (value) {
        target = *value;
    }
}

}  // namespace

const PartKind* World::kind(const std::string& name) const {
    const auto found = std::find_if(partKinds.begin(), partKinds.end(),
                                    [&name](const PartKind& kind) { return kind.name == name; });
    return found == partKinds.end() ? nullptr : &*found;
}

void applyErrorOverrides(World& world, const WorldErrorOverrides& overrides) {
    WorldErrors& errors = world.errors;
    applyIfSet(world.seed, overrides.seed);
    applyIfSet(errors.boardOffset.x, overrides.boardOffsetX);
    applyIfSet(errors.boardOffset.y, overrides.boardOffsetY);
    applyIfSet(errors.boardRotation, overrides.boardRotation);
    applyIfSet(errors.homeSwitch.x, overrides.homeSwitchErrorX);
    applyIfSet(errors.homeSwitch.y, overrides.homeSwitchErrorY);
    applyIfSet(errors.pickJitterMm, overrides.pickJitterMm);
    applyIfSet(errors.pickJitterDeg, overrides.pickJitterDeg);
    applyIfSet(errors.missing, overrides.missing);
    applyIfSet(errors.downCameraNoFrame, overrides.downCameraNoFrame);
    applyIfSet(errors.upCameraNoFrame, overrides.upCameraNoFrame);
}

}  // namespace motrix_sim
