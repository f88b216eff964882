#include "WorldScene.h"

#include <algorithm>
#include <cmath>

namespace motrix_sim {
namespace {

constexpr std::uint32_t kMark = 0xFF141414;
constexpr std::uint32_t kSolderMask = 0xFF1F6B3A;
constexpr std::uint32_t kCopper = 0xFFC9A95C;
constexpr std::uint32_t kSubstrate = 0xFF9C946A;
constexpr std::uint32_t kSilkscreen = 0xFFEDEDE6;
constexpr std::uint32_t kTrayRim = 0xFF4A4A4A;
constexpr std::uint32_t kTrayFloor = 0xFF2E2E2E;
constexpr std::uint32_t kPaperTape = 0xFFD9D3BE;
constexpr std::uint32_t kTapePocket = 0xFFA89F86;
constexpr std::uint32_t kSprocketHole = 0xFF505050;
constexpr std::uint32_t kFeederMetal = 0xFF8C8C8C;
constexpr std::uint32_t kPartTray = 0xFF262626;
constexpr std::uint32_t kPartTrayPocket = 0xFF3A3A3A;
constexpr std::uint32_t kTrackChannel = 0xFF6A6A6A;
constexpr std::uint32_t kHolderBlock = 0xFF8A8A8A;
constexpr std::uint32_t kHolderSlot = 0xFF3C3C3C;
constexpr std::uint32_t kNozzleBody = 0xFFC0C0C0;
constexpr std::uint32_t kNozzleBore = 0xFF202020;
constexpr std::uint32_t kCameraWindow = 0xFF1A1A22;

constexpr double kTapeWidth = 8;
constexpr double kSilkscreenLine = 0.15;
constexpr double kSilkscreenMargin = 0.3;
constexpr int kPocketsShown = 12;  // pockets of a reel or parts of a vibration feeder in view

// The angle, in the A sense, that lays a box's own X axis along `direction`.
double angleAlong(Vec2 direction) {
    return std::atan2(-direction.y, direction.x) * 180 / std::numbers::pi;
}

Vec2 unit(Vec2 v) {
    const double size = length(v);
    return size > 0 ? v * (1 / size) : Vec2{1, 0};
}

// Places a part-frame point of a board placement on the table.
struct PartFrame {
    Vec2 centre;
    double angle;
    Vec2 at(Vec2 local) const { return centre + turned(local, angle); }
};

void addRectangleOutline(std::vector<Shape>& shapes, const PartFrame& frame, Vec2 size,
                         std::uint32_t colour) {
    const double line = kSilkscreenLine;
    const Vec2 half = size * 0.5;
    shapes.push_back(Shape::box(frame.at({0, half.y}), {size.x + line, line}, frame.angle, colour));
    shapes.push_back(
        Shape::box(frame.at({0, -half.y}), {size.x + line, line}, frame.angle, colour));
    shapes.push_back(Shape::box(frame.at({half.x, 0}), {line, size.y + line}, frame.angle, colour));
    shapes.push_back(
        Shape::box(frame.at({-half.x, 0}), {line, size.y + line}, frame.angle, colour));
}

void addHomeMark(std::vector<Shape>& shapes, Vec2 centre) {
    shapes.push_back(Shape::disc(centre, 4.0, kMark));
    shapes.push_back(Shape::disc(centre, 3.0, palette::kTable));
    shapes.push_back(Shape::box(centre, {6.0, 0.5}, 0, kMark));
    shapes.push_back(Shape::box(centre, {0.5, 6.0}, 0, kMark));
}

void addBoard(std::vector<Shape>& shapes, const World& world, const WorldLayout& layout,
              int board) {
    const BoardDesign& design = world.board;
    const double rotation = layout.boardAngle();
    shapes.push_back(Shape::box(layout.boardPoint(board, design.size * 0.5), design.size, rotation,
                                kSolderMask));
    std::vector<PartFrame> frames;
    for (const Placement& part : design.parts) {
        frames.push_back({layout.boardPoint(board, part.position), part.angle + rotation});
    }
    for (std::size_t i = 0; i < design.parts.size(); ++i) {
        const PartKind& kind = *world.kind(design.parts[i].kind);
        addRectangleOutline(shapes, frames[i], kind.body + Vec2{1, 1} * (2 * kSilkscreenMargin),
                            kSilkscreen);
    }
    const Vec2 growth = Vec2{1, 1} * (2 * design.padGrowth);
    for (std::size_t i = 0; i < design.parts.size(); ++i) {
        for (const Lead& lead : world.kind(design.parts[i].kind)->leads) {
            shapes.push_back(Shape::box(frames[i].at(lead.centre), lead.size + growth,
                                        frames[i].angle, kCopper));
        }
    }
    for (const Fiducial& fiducial : design.fiducials) {
        const Vec2 centre = layout.boardPoint(board, fiducial.position);
        shapes.push_back(Shape::disc(centre, fiducial.clearance, kSubstrate));
        shapes.push_back(Shape::disc(centre, fiducial.dot, kCopper));
    }
}

// The tape between its rails, with its pockets and sprocket holes; the pockets repeat every
// pitch, so the tape looks the same after each advance.
void addReel(std::vector<Shape>& shapes, const FeederSpec& feeder, const PartKind& kind) {
    const Vec2 along = unit(feeder.nextPocket);
    const Vec2 across{-along.y, along.x};
    const double pitch = length(feeder.nextPocket);
    const double angle = angleAlong(along);
    const double before = 1.5 * pitch;
    const double after = (kPocketsShown + 0.5) * pitch;
    const Vec2 middle = feeder.pick + along * ((after - before) / 2);
    const double tapeLength = before + after;
    for (double side : {-1.0, 1.0}) {
        shapes.push_back(Shape::box(middle + across * (side * (kTapeWidth / 2 + 1)),
                                    {tapeLength, 2}, angle, kFeederMetal));
    }
    shapes.push_back(Shape::box(middle, {tapeLength, kTapeWidth}, angle, kPaperTape));
    for (int pocket = -1; pocket <= kPocketsShown; ++pocket) {
        const Vec2 centre = feeder.pick + along * (pocket * pitch);
        shapes.push_back(Shape::box(centre, kind.body + Vec2{0.4, 0.4}, feeder.angle, kTapePocket));
        shapes.push_back(
            Shape::disc(centre + along * (pitch / 2) + across * 3.5, 1.5, kSprocketHole));
    }
}

void addTray(std::vector<Shape>& shapes, const FeederSpec& feeder, const PartKind& kind,
             const WorldLayout& layout, int index) {
    const Vec2 first = layout.pocketPosition(index, 1, 0);
    const Vec2 last = layout.pocketPosition(index, feeder.pocketCount(), 0);
    const Vec2 low{std::min(first.x, last.x), std::min(first.y, last.y)};
    const Vec2 high{std::max(first.x, last.x), std::max(first.y, last.y)};
    const Vec2 margin = Vec2{std::abs(feeder.pitch.x), std::abs(feeder.pitch.y)} * 0.5 + Vec2{2, 2};
    shapes.push_back(Shape::box((low + high) * 0.5, high - low + margin * 2, 0, kPartTray));
    for (int pocket = 1; pocket <= feeder.pocketCount(); ++pocket) {
        shapes.push_back(Shape::box(layout.pocketPosition(index, pocket, 0), kind.body + Vec2{1, 1},
                                    feeder.angle, kPartTrayPocket));
    }
}

void addVibrationTrack(std::vector<Shape>& shapes, const FeederSpec& feeder, const PartKind& kind) {
    const Vec2 along = unit(feeder.nextPocket);
    const double pitch = length(feeder.nextPocket);
    const double before = 3;
    const double after = (kPocketsShown + 0.5) * pitch;
    const Vec2 middle = feeder.pick + along * ((after - before) / 2);
    const double width = std::max(kind.body.x, kind.body.y);
    const double angle = angleAlong(along);
    shapes.push_back(Shape::box(middle, {before + after, width + 3}, angle, kFeederMetal));
    shapes.push_back(Shape::box(middle, {before + after, width + 0.6}, angle, kTrackChannel));
}

Vec2 holderOpening(ChangerLocation location) {
    switch (location) {
        case ChangerLocation::Front:
            return {0, 1};
        case ChangerLocation::Rear:
            return {0, -1};
        case ChangerLocation::Right:
            break;
    }
    return {-1, 0};
}

void addHolders(std::vector<Shape>& shapes, const NozzleChanger& changer) {
    const Vec2 opening = holderOpening(changer.location);
    for (const NozzleHolder& holder : changer.holders) {
        shapes.push_back(Shape::box(holder.position, {10, 10}, 0, kHolderBlock));
        shapes.push_back(Shape::box(holder.position + opening * 2.5,
                                    opening.x != 0 ? Vec2{5, 3} : Vec2{3, 5}, 0, kHolderSlot));
        shapes.push_back(Shape::disc(holder.position, 3, kHolderSlot));
    }
}

void addRejectTrays(std::vector<Shape>& shapes, const std::vector<RejectTray>& trays) {
    for (const RejectTray& tray : trays) {
        shapes.push_back(Shape::box(tray.centre, tray.size + Vec2{2, 2}, 0, kTrayRim));
        shapes.push_back(Shape::box(tray.centre, tray.size, 0, kTrayFloor));
    }
}

std::vector<Shape> fixedShapes(const World& world, const WorldLayout& layout) {
    std::vector<Shape> shapes;
    addRejectTrays(shapes, world.rejectTrays);
    for (std::size_t i = 0; i < world.feeders.size(); ++i) {
        const FeederSpec& feeder = world.feeders[i];
        const PartKind& kind = *world.kind(feeder.part);
        switch (feeder.type) {
            case FeederType::Reel:
                addReel(shapes, feeder, kind);
                break;
            case FeederType::Tray:
                addTray(shapes, feeder, kind, layout, static_cast<int>(i));
                break;
            case FeederType::Vibration:
                addVibrationTrack(shapes, feeder, kind);
                break;
        }
    }
    addHolders(shapes, world.nozzleChanger);
    shapes.push_back(Shape::box(world.upCamera.position, {16, 16}, 0, kFeederMetal));
    shapes.push_back(Shape::disc(world.upCamera.position, 12, kCameraWindow));
    for (const Vec2& mark : world.homeMarks) {
        addHomeMark(shapes, mark);
    }
    for (int board = 1; board <= world.panel.boardCount(); ++board) {
        addBoard(shapes, world, layout, board);
    }
    return shapes;
}

Bounds feederArea(const WorldLayout& layout, const FeederSpec& feeder, int index) {
    Bounds area{feeder.pick, feeder.pick};
    const auto include = [&area](Vec2 point) {
        area.low = {std::min(area.low.x, point.x), std::min(area.low.y, point.y)};
        area.high = {std::max(area.high.x, point.x), std::max(area.high.y, point.y)};
    };
    if (feeder.type == FeederType::Tray) {
        include(layout.pocketPosition(index, feeder.pocketCount(), 0));
    } else {
        include(feeder.pick + feeder.nextPocket * kPocketsShown);
    }
    const Vec2 reach{10, 10};  // the largest part's half size, and then some
    return {area.low - reach, area.high + reach};
}

void addFeederParts(std::vector<Shape>& shapes, const WorldModel& model, const WorldState& state,
                    int index) {
    const FeederSpec& feeder = model.world.feeders[static_cast<std::size_t>(index)];
    const FeederState& pockets = state.feeders()[static_cast<std::size_t>(index)];
    const PartKind& kind =
        model.world.partKinds[static_cast<std::size_t>(model.layout.feederKind(index))];
    int first = 1;
    int last = feeder.pocketCount();
    if (feeder.type != FeederType::Tray) {
        first = pockets.advanced + 1;
        last = std::min(last, pockets.advanced + kPocketsShown);
    }
    for (int pocket = first; pocket <= last; ++pocket) {
        if (pockets.present[static_cast<std::size_t>(pocket - 1)]) {
            addPartShapes(shapes, kind,
                          model.layout.pocketPosition(index, pocket, pockets.advanced),
                          feeder.angle, false);
        }
    }
}

}  // namespace

WorldModel::WorldModel(World description, const Steps& homeSwitchSteps)
    : world(std::move(description)),
      homeSwitch(homeSwitchSteps),
      layout(world),
      tableShapes(fixedShapes(world, layout)),
      downNoise(world.downCamera.width, world.downCamera.height, world.downCamera.noise,
                world.seed * 2 + 1),
      upNoise(world.upCamera.width, world.upCamera.height, world.upCamera.noise,
              world.seed * 2 + 2) {
    for (const Shape& shape : tableShapes) {
        tableBounds.push_back(shape.bounds());
    }
    for (std::size_t i = 0; i < world.feeders.size(); ++i) {
        feederAreas.push_back(feederArea(layout, world.feeders[i], static_cast<int>(i)));
    }
}

void addPartShapes(std::vector<Shape>& shapes, const PartKind& kind, Vec2 centre, double angle,
                   bool fromBelow) {
    const PartFrame frame{centre, angle};
    shapes.push_back(Shape::box(centre, kind.body, angle,
                                (fromBelow ? kind.bottomColour : kind.topColour).argb()));
    for (const Lead& lead : kind.leads) {
        shapes.push_back(
            Shape::box(frame.at(lead.centre), lead.size, angle, kind.leadColour.argb()));
    }
    if (!fromBelow && kind.markingDiameter > 0) {
        shapes.push_back(
            Shape::disc(frame.at(kind.marking), kind.markingDiameter, kind.leadColour.argb()));
    }
}

std::vector<Shape> movableShapes(const WorldModel& model, const WorldState& state,
                                 const Bounds& area) {
    std::vector<Shape> shapes;
    const World& world = model.world;
    for (std::size_t i = 0; i < world.feeders.size(); ++i) {
        if (model.feederAreas[i].overlaps(area)) {
            addFeederParts(shapes, model, state, static_cast<int>(i));
        }
    }
    const auto& holders = world.nozzleChanger.holders;
    for (std::size_t i = 0; i < holders.size(); ++i) {
        const int nozzle = state.holderNozzles()[i];
        if (nozzle != 0) {
            const NozzleTip& tip = world.nozzleChanger.tips[static_cast<std::size_t>(nozzle - 1)];
            shapes.push_back(Shape::disc(holders[i].position, tip.outer + 2.5, kNozzleBody));
            shapes.push_back(Shape::disc(holders[i].position, tip.inner, kNozzleBore));
        }
    }
    for (const Drop& drop : state.drops()) {
        addPartShapes(shapes, world.partKinds[static_cast<std::size_t>(drop.kind)], drop.position,
                      drop.angle, false);
    }
    return shapes;
}

}  // namespace motrix_sim
