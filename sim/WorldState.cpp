#include "WorldState.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace motrix_sim {
namespace {

// A holder takes the nozzle pressed up to this far below its depth.
constexpr double kHolderPressRange = 4;
// The feeder actuator's lever reaches a reel whose pick point is this close to the nozzle.
constexpr double kActuatorReach = 2;

bool on(int outputs, int mask) {
    return (outputs & mask) != 0;
}

bool inside(Vec2 point, const RejectTray& tray) {
    return std::abs(point.x - tray.centre.x) <= tray.size.x / 2 &&
           std::abs(point.y - tray.centre.y) <= tray.size.y / 2;
}

std::vector<bool> filledPockets(const FeederSpec& feeder, int number,
                                const std::vector<MissingPart>& missing) {
    std::vector<bool> present(static_cast<std::size_t>(feeder.pocketCount()), true);
    for (const MissingPart& part : missing) {
        if (part.feeder != number) {
            continue;
        }
        if (part.pocket == 0) {
            std::fill(present.begin(), present.end(), false);
        } else if (part.pocket <= static_cast<int>(present.size())) {
            present[static_cast<std::size_t>(part.pocket - 1)] = false;
        }
    }
    return present;
}

}  // namespace

std::uint64_t WorldRandom::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double WorldRandom::uniform() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

WorldState::WorldState(const World& world, const WorldLayout& layout)
    : world_(&world), layout_(&layout), random_(world.seed), mounted_(world.nozzleChanger.mounted) {
    for (std::size_t i = 0; i < world.feeders.size(); ++i) {
        feeders_.push_back(
            {filledPockets(world.feeders[i], static_cast<int>(i) + 1, world.errors.missing), 0});
    }
    for (const NozzleHolder& holder : world.nozzleChanger.holders) {
        holders_.push_back(holder.nozzle);
    }
}

void WorldState::observe(const HeadPose& pose, int outputs) {
    exchangeNozzles(pose);
    driveFeederActuator(pose, on(outputs, kOutputFeeder));
    if (held_ && (!on(outputs, kOutputVacuum) || on(outputs, kOutputBlow))) {
        drop(pose);
    }
    if (!held_ && on(outputs, kOutputVacuum) && !on(outputs, kOutputBlow) && mounted_ != 0) {
        tryPick(pose);
    }
    lastOutputs_ = outputs;
}

// A nozzle slid into an empty holder at its depth, or a bare head pressed onto a nozzle in its
// holder, sits in the holder's fork while on the head. Rising straight up leaves it in the
// holder; sliding out sideways at the depth takes it along.
void WorldState::exchangeNozzles(const HeadPose& pose) {
    const NozzleChanger& changer = world_->nozzleChanger;
    const Vec2 axis = nozzleAxis(pose);
    int near = -1;
    for (std::size_t i = 0; i < changer.holders.size(); ++i) {
        if (length(changer.holders[i].position - axis) <= world_->tolerances.holderXY) {
            near = static_cast<int>(i);
        }
    }
    const double entry = changer.depth - world_->tolerances.holderZ;
    const bool atDepth = pose.z >= entry && pose.z <= changer.depth + kHolderPressRange;
    if (seatedHolder_ >= 0) {
        if (near == seatedHolder_ && atDepth) {
            return;
        }
        if (near == seatedHolder_ && pose.z < entry) {
            holders_[static_cast<std::size_t>(seatedHolder_)] = mounted_;
            mounted_ = 0;
        }
        seatedHolder_ = -1;
        return;
    }
    if (near < 0 || !atDepth) {
        return;
    }
    int& holder = holders_[static_cast<std::size_t>(near)];
    if (mounted_ != 0 && holder == 0) {
        seatedHolder_ = near;
    } else if (mounted_ == 0 && holder != 0) {
        mounted_ = std::exchange(holder, 0);
        seatedHolder_ = near;
    }
}

// The actuator holds the lever of the reel under the nozzle; releasing it moves the tape on by
// one pocket.
void WorldState::driveFeederActuator(const HeadPose& pose, bool actuatorOn) {
    const bool wasOn = on(lastOutputs_, kOutputFeeder);
    if (actuatorOn && !wasOn) {
        engagedReel_ = -1;
        for (std::size_t i = 0; i < world_->feeders.size(); ++i) {
            const FeederSpec& feeder = world_->feeders[i];
            if (feeder.type == FeederType::Reel &&
                length(feeder.pick - nozzleAxis(pose)) <= kActuatorReach) {
                engagedReel_ = static_cast<int>(i);
            }
        }
    } else if (!actuatorOn && wasOn && engagedReel_ >= 0) {
        ++feeders_[static_cast<std::size_t>(engagedReel_)].advanced;
        engagedReel_ = -1;
    }
}

// A reel or vibration feeder offers only the part at its pick point; a tray every pocket.
void WorldState::tryPick(const HeadPose& pose) {
    for (std::size_t i = 0; i < world_->feeders.size(); ++i) {
        const FeederSpec& feeder = world_->feeders[i];
        if (std::abs(pose.z - feeder.pickZ) > world_->tolerances.pickZ) {
            continue;
        }
        const int feederIndex = static_cast<int>(i);
        if (feeder.type != FeederType::Tray) {
            if (pickFrom(feederIndex, pickPocket(feederIndex), pose)) {
                return;
            }
            continue;
        }
        for (int pocket = 1; pocket <= feeder.pocketCount(); ++pocket) {
            if (pickFrom(feederIndex, pocket, pose)) {
                return;
            }
        }
    }
}

bool WorldState::pickFrom(int feeder, int pocket, const HeadPose& pose) {
    FeederState& state = feeders_[static_cast<std::size_t>(feeder)];
    const FeederSpec& spec = world_->feeders[static_cast<std::size_t>(feeder)];
    const Vec2 part = layout_->pocketPosition(feeder, pocket, state.advanced);
    if (pocket < 1 || pocket > static_cast<int>(state.present.size()) ||
        !state.present[static_cast<std::size_t>(pocket - 1)] ||
        length(part - nozzleAxis(pose)) > world_->tolerances.pickXY) {
        return false;
    }
    state.present[static_cast<std::size_t>(pocket - 1)] = false;
    if (spec.type == FeederType::Vibration) {
        ++state.advanced;  // the next part slides up to the pick point
    }
    const WorldErrors& errors = world_->errors;
    const double radius = errors.pickJitterMm * std::sqrt(random_.uniform());
    const double direction = 2 * std::numbers::pi * random_.uniform();
    const Vec2 jitter{radius * std::cos(direction), radius * std::sin(direction)};
    const double turn = errors.pickJitterDeg * (2 * random_.uniform() - 1);
    held_ = HeldPart{feeder + 1, layout_->feederKind(feeder), part - nozzleAxis(pose) + jitter,
                     spec.angle + turn, pose.a};
    return true;
}

void WorldState::drop(const HeadPose& pose) {
    const HeldPart part = *held_;
    held_.reset();
    const double height = world_->partKinds[static_cast<std::size_t>(part.kind)].height;
    Drop dropped{part.feeder, part.kind, nozzleAxis(pose) + part.offsetAt(pose.a),
                 part.angleAt(pose.a)};
    drops_.push_back(classified(dropped, pose.z + height));
}

// A reject tray takes what falls into it; otherwise the nearest pad of the part's kind within
// the pad tolerance; otherwise the part lies on the table.
Drop WorldState::classified(Drop drop, double undersideZ) const {
    double surfaceZ = layout_->onBoard(drop.position) ? world_->board.surfaceZ : world_->tableZ;
    for (std::size_t i = 0; i < world_->rejectTrays.size(); ++i) {
        if (inside(drop.position, world_->rejectTrays[i])) {
            drop.place = DropPlace::RejectTray;
            drop.tray = static_cast<int>(i) + 1;
        }
    }
    if (drop.place != DropPlace::RejectTray) {
        double nearest = std::numeric_limits<double>::max();
        const auto& pads = layout_->pads();
        for (std::size_t i = 0; i < pads.size(); ++i) {
            const double distance = length(pads[i].position - drop.position);
            if (pads[i].kind == drop.kind && distance <= world_->tolerances.padXY &&
                distance < nearest) {
                nearest = distance;
                drop.place = DropPlace::Board;
                drop.pad = static_cast<int>(i);
            }
        }
    }
    drop.fellFrom = std::max(0.0, surfaceZ - undersideZ);
    return drop;
}

}  // namespace motrix_sim
