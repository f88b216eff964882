#include "WorldLayout.h"

#include <algorithm>
#include <iterator>

namespace motrix_sim {

int kindIndex(const World& world, const std::string& name) {
    return static_cast<int>(std::distance(world.partKinds.data(), world.kind(name)));
}

WorldLayout::WorldLayout(const World& world)
    : world_(&world), rotation_(world.errors.boardRotation) {
    for (int board = 1; board <= world.panel.boardCount(); ++board) {
        for (std::size_t i = 0; i < world.board.parts.size(); ++i) {
            const Placement& part = world.board.parts[i];
            pads_.push_back({board, static_cast<int>(i), kindIndex(world, part.kind),
                             boardPoint(board, part.position), part.angle + rotation_});
        }
    }
    for (const FeederSpec& feeder : world.feeders) {
        feederKinds_.push_back(kindIndex(world, feeder.part));
    }
}

Vec2 WorldLayout::nominalBoardOrigin(int board) const {
    const Panel& panel = world_->panel;
    const int index = board - 1;
    return panel.origin +
           Vec2{(index % panel.countX) * panel.spacing.x, (index / panel.countX) * panel.spacing.y};
}

// The panel lies displaced by the board offset and turned about the nominal origin of board 1.
Vec2 WorldLayout::boardPoint(int board, Vec2 local) const {
    const Vec2 pivot = world_->panel.origin;
    const Vec2 nominal = nominalBoardOrigin(board) + local;
    return pivot + world_->errors.boardOffset + turned(nominal - pivot, rotation_);
}

bool WorldLayout::onBoard(Vec2 point) const {
    const Vec2 pivot = world_->panel.origin;
    const Vec2 nominal = pivot + turned(point - pivot - world_->errors.boardOffset, -rotation_);
    const Vec2 size = world_->board.size;
    for (int board = 1; board <= world_->panel.boardCount(); ++board) {
        const Vec2 local = nominal - nominalBoardOrigin(board);
        if (local.x >= 0 && local.y >= 0 && local.x <= size.x && local.y <= size.y) {
            return true;
        }
    }
    return false;
}

Vec2 WorldLayout::pocketPosition(int feeder, int pocket, int advanced) const {
    const FeederSpec& spec = world_->feeders[static_cast<std::size_t>(feeder)];
    const int index = pocket - 1;
    if (spec.type == FeederType::Tray) {
        return spec.pick +
               Vec2{(index / spec.countY) * spec.pitch.x, (index % spec.countY) * spec.pitch.y};
    }
    return spec.pick + spec.nextPocket * (index - advanced);
}

}  // namespace motrix_sim
