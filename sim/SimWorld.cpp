#include "SimWorld.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "WorldJson.h"

namespace motrix_sim {
namespace {

using Json = nlohmann::ordered_json;

const std::string& kindName(const World& world, int kind) {
    return world.partKinds[static_cast<std::size_t>(kind)].name;
}

Json padJson(const World& world, const PadTarget& pad) {
    return {{"board", pad.board},
            {"designator", world.board.parts[static_cast<std::size_t>(pad.placement)].designator},
            {"kind", kindName(world, pad.kind)},
            {"x", pad.position.x},
            {"y", pad.position.y},
            {"angle", pad.angle}};
}

Json dropJson(const WorldModel& model, const Drop& drop, std::size_t index) {
    Json json = {{"index", index + 1},
                 {"feeder", drop.feeder},
                 {"kind", kindName(model.world, drop.kind)},
                 {"x", drop.position.x},
                 {"y", drop.position.y},
                 {"angle", drop.angle},
                 {"fell_mm", drop.fellFrom}};
    switch (drop.place) {
        case DropPlace::Board: {
            const PadTarget& pad = model.layout.pads()[static_cast<std::size_t>(drop.pad)];
            json["place"] = "board";
            json["board"] = pad.board;
            json["designator"] =
                model.world.board.parts[static_cast<std::size_t>(pad.placement)].designator;
            json["target_x"] = pad.position.x;
            json["target_y"] = pad.position.y;
            json["target_angle"] = pad.angle;
            json["error_x"] = drop.position.x - pad.position.x;
            json["error_y"] = drop.position.y - pad.position.y;
            json["error_angle"] = normalisedDegrees(drop.angle - pad.angle);
            break;
        }
        case DropPlace::RejectTray:
            json["place"] = "reject_tray";
            json["tray"] = drop.tray;
            break;
        case DropPlace::Table:
            json["place"] = "table";
            break;
    }
    return json;
}

Json heldJson(const World& world, const WorldState& state, const HeadPose& pose) {
    if (!state.held()) {
        return nullptr;
    }
    const HeldPart& part = *state.held();
    const Vec2 offset = part.offsetAt(pose.a);
    return {{"feeder", part.feeder},
            {"kind", kindName(world, part.kind)},
            {"offset_x", offset.x},
            {"offset_y", offset.y},
            {"angle", part.angleAt(pose.a)}};
}

Json boardsJson(const WorldModel& model) {
    Json boards = Json::array();
    for (int board = 1; board <= model.world.panel.boardCount(); ++board) {
        const Vec2 origin = model.layout.boardPoint(board, {});
        const Vec2 nominal = model.layout.nominalBoardOrigin(board);
        boards.push_back({{"board", board},
                          {"origin_x", origin.x},
                          {"origin_y", origin.y},
                          {"nominal_x", nominal.x},
                          {"nominal_y", nominal.y},
                          {"angle", model.layout.boardAngle()}});
    }
    return boards;
}

Json feedersJson(const World& world, const WorldState& state) {
    Json feeders = Json::array();
    for (std::size_t i = 0; i < world.feeders.size(); ++i) {
        const FeederState& feeder = state.feeders()[i];
        const auto left = std::count(feeder.present.begin(), feeder.present.end(), true);
        Json json = {{"feeder", i + 1},
                     {"type", feederTypeName(world.feeders[i].type)},
                     {"parts_left", left}};
        if (world.feeders[i].type != FeederType::Tray) {
            json["pick_pocket"] = state.pickPocket(static_cast<int>(i));
        }
        feeders.push_back(json);
    }
    return feeders;
}

}  // namespace

SimWorld::SimWorld(World world, const Steps& homeSwitchSteps)
    : model_(std::make_shared<const WorldModel>(std::move(world), homeSwitchSteps)),
      state_(model_->world, model_->layout) {}

HeadPose SimWorld::poseFromSteps(const Steps& physical) const {
    const World& world = model_->world;
    const auto mm = [&](int axis) {
        return (physical[static_cast<std::size_t>(axis)] -
                model_->homeSwitch[static_cast<std::size_t>(axis)]) /
               world.scaling.stepsPerMm[static_cast<std::size_t>(axis)];
    };
    const double a = (physical[3] - model_->homeSwitch[3]) * 360.0 / world.scaling.aStepsPerRev;
    return {Vec2{mm(0), mm(1)} + world.errors.homeSwitch, mm(2), a};
}

HeadPose SimWorld::poseFromMachine(double x, double y, double z, double a) const {
    return {Vec2{x, y} + model_->world.errors.homeSwitch, z, a};
}

FrameJob SimWorld::frameJob(int camera, const HeadPose& pose) {
    const std::uint64_t number = camera == kUpCamera || camera == kDownCamera
                                     ? framesTaken_[static_cast<std::size_t>(camera)]++
                                     : 0;
    return {model_, state_, pose, camera, number};
}

std::string SimWorld::dropsJson() const {
    Json drops = Json::array();
    for (std::size_t i = 0; i < state_.drops().size(); ++i) {
        drops.push_back(dropJson(*model_, state_.drops()[i], i));
    }
    return Json{{"drops", drops}}.dump(2);
}

std::string SimWorld::stateJson(const HeadPose& pose, int outputs) const {
    const World& world = model_->world;
    const Vec2 nozzle = pose.head + world.nozzleOffset;
    Json json = {{"head", {{"x", pose.head.x}, {"y", pose.head.y}, {"z", pose.z}, {"a", pose.a}}},
                 {"nozzle", {{"x", nozzle.x}, {"y", nozzle.y}, {"z", pose.z}}},
                 {"outputs", outputs},
                 {"mounted_nozzle", state_.mountedNozzle()},
                 {"holders", state_.holderNozzles()},
                 {"held_part", heldJson(world, state_, pose)},
                 {"boards", boardsJson(*model_)},
                 {"feeders", feedersJson(world, state_)},
                 {"drops", state_.drops().size()}};
    return json.dump(2);
}

std::string SimWorld::padsJson() const {
    Json pads = Json::array();
    for (const PadTarget& pad : model_->layout.pads()) {
        pads.push_back(padJson(model_->world, pad));
    }
    return Json{{"pads", pads}}.dump(2);
}

}  // namespace motrix_sim
