#pragma once

#include <memory>
#include <vector>

#include "Raster.h"
#include "World.h"
#include "WorldLayout.h"
#include "WorldState.h"

namespace motrix_sim {

// The colours of the things the world draws itself (part kinds bring their own).
namespace palette {
inline constexpr std::uint32_t kTable = 0xFFB4B4AE;
inline constexpr std::uint32_t kUpBackground = 0xFF0C0C0C;
}  // namespace palette

// Everything about a world that stays as it is while the world is in use: the description,
// its derived positions, the fixed shapes on the table and the cameras' noise. Shared by the
// simulator and every frame being rendered.
struct WorldModel {
    WorldModel(World description, const Steps& homeSwitchSteps);
    WorldModel(const WorldModel&) = delete;
    WorldModel& operator=(const WorldModel&) = delete;

    World world;
    Steps homeSwitch;  // physical steps of the home switches' nominal places
    WorldLayout layout;
    std::vector<Shape> tableShapes;  // drawn in this order
    std::vector<Bounds> tableBounds;
    std::vector<Bounds> feederAreas;  // where each feeder's parts can lie
    NoiseField downNoise;
    NoiseField upNoise;
};

using WorldModelPtr = std::shared_ptr<const WorldModel>;

// A part as seen from above (from below: the underside colour, no marking), lying at `centre`
// turned by `angle`.
void addPartShapes(std::vector<Shape>& shapes, const PartKind& kind, Vec2 centre, double angle,
                   bool fromBelow);

// The parts in the feeders, the placed and dropped parts and the nozzles in their holders,
// as the state has them, within `area`.
std::vector<Shape> movableShapes(const WorldModel& model, const WorldState& state,
                                 const Bounds& area);

}  // namespace motrix_sim
