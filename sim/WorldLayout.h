#pragma once

#include <string>
#include <vector>

#include "World.h"

namespace motrix_sim {

// Where a placement of the board design truly lies on one board of the panel, after the
// injected board offset and rotation: the spot a placed part should land on.
struct PadTarget {
    int board = 0;      // 1-based, row by row
    int placement = 0;  // index into the board design's parts
    int kind = 0;       // index into the world's part kinds
    Vec2 position;      // machine mm
    double angle = 0;   // degrees, A sense
};

// The positions derived from a world description: the true place of every board and pad, and
// of every feeder pocket. Immutable once made.
class WorldLayout {
public:
    explicit WorldLayout(const World& world);

    // Board `board` (1-based) as it truly lies: a board-relative point in machine mm.
    Vec2 boardPoint(int board, Vec2 local) const;
    // True when `point` lies on one of the panel's boards.
    bool onBoard(Vec2 point) const;
    // Its nominal origin, where the panel would put it without the injected error.
    Vec2 nominalBoardOrigin(int board) const;
    double boardAngle() const { return rotation_; }
    const std::vector<PadTarget>& pads() const { return pads_; }
    // The kind index of each feeder's parts.
    int feederKind(int feeder) const { return feederKinds_[static_cast<std::size_t>(feeder)]; }
    // Where pocket `pocket` (1-based) of feeder `feeder` (0-based) lies while `advanced` pockets
    // (reel) or parts (vibration) have gone past the pick point; trays ignore `advanced`.
    Vec2 pocketPosition(int feeder, int pocket, int advanced) const;

private:
    const World* world_;
    double rotation_;
    std::vector<PadTarget> pads_;
    std::vector<int> feederKinds_;
};

// The index of the kind named `name` in the world's list (the world is validated, so it
// exists).
int kindIndex(const World& world, const std::string& name);

}  // namespace motrix_sim
