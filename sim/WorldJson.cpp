#include "WorldJson.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

namespace motrix_sim {
namespace {

using Json = nlohmann::ordered_json;
using IntPair = std::array<int, 2>;

[[noreturn]] void fail(const std::string& path, const std::string& problem) {
    throw WorldError((path.empty() ? std::string("world") : path) + ": " + problem);
}

void require(bool condition, const std::string& path, const std::string& problem) {
    if (!condition) {
        fail(path, problem);
    }
}

std::string joined(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

std::string indexed(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

// ---- reading ----------------------------------------------------------------------------

// Reads the keys of one JSON object into their targets and refuses keys nobody asked for.
class ObjectReader {
public:
    ObjectReader(const Json& json, std::string path) : json_(json), path_(std::move(path)) {
        require(json.is_object(), path_, "expected an object");
    }

    template <typename Value>
    ObjectReader& operator()(const char* key, Value& target);

    void finish() const {
        for (const auto& item : json_.items()) {
            require(known_.count(item.key()) > 0, joined(path_, item.key()), "unknown key");
        }
    }

private:
    const Json& json_;
    std::string path_;
    std::set<std::string> known_;
};

// Every reader, declared first: the list readers and the object readers use one another.
void readValue(const Json& json, const std::string& path, double& value);
void readValue(const Json& json, const std::string& path, int& value);
void readValue(const Json& json, const std::string& path, std::uint64_t& value);
void readValue(const Json& json, const std::string& path, bool& value);
void readValue(const Json& json, const std::string& path, std::string& value);
void readValue(const Json& json, const std::string& path, Json& value);
void readValue(const Json& json, const std::string& path, Vec2& value);
void readValue(const Json& json, const std::string& path, Colour& value);
void readValue(const Json& json, const std::string& path, Lead& value);
void readValue(const Json& json, const std::string& path, NozzleTip& value);
void readValue(const Json& json, const std::string& path, MissingPart& value);
void readValue(const Json& json, const std::string& path, FeederType& value);
void readValue(const Json& json, const std::string& path, ChangerLocation& value);
void readValue(const Json& json, const std::string& path, WorldScaling& value);
void readValue(const Json& json, const std::string& path, CameraSpec& value);
void readValue(const Json& json, const std::string& path, Tolerances& value);
void readValue(const Json& json, const std::string& path, PartKind& value);
void readValue(const Json& json, const std::string& path, Fiducial& value);
void readValue(const Json& json, const std::string& path, Placement& value);
void readValue(const Json& json, const std::string& path, BoardDesign& value);
void readValue(const Json& json, const std::string& path, Panel& value);
void readValue(const Json& json, const std::string& path, FeederSpec& value);
void readValue(const Json& json, const std::string& path, NozzleHolder& value);
void readValue(const Json& json, const std::string& path, NozzleChanger& value);
void readValue(const Json& json, const std::string& path, RejectTray& value);
void readValue(const Json& json, const std::string& path, WorldErrors& value);

void readValue(const Json& json, const std::string& path, double& value) {
    require(json.is_number(), path, "expected a number");
    value = json.get<double>();
}

void readValue(const Json& json, const std::string& path, int& value) {
    require(json.is_number_integer(), path, "expected a whole number");
    const auto wide = json.get<long long>();
    require(wide >= std::numeric_limits<int>::min() && wide <= std::numeric_limits<int>::max(),
            path, "number out of range");
    value = static_cast<int>(wide);
}

void readValue(const Json& json, const std::string& path, std::uint64_t& value) {
    require(json.is_number_unsigned(), path, "expected a whole number of 0 or more");
    value = json.get<std::uint64_t>();
}

void readValue(const Json& json, const std::string& path, bool& value) {
    require(json.is_boolean(), path, "expected true or false");
    value = json.get<bool>();
}

void readValue(const Json& json, const std::string& path, std::string& value) {
    require(json.is_string(), path, "expected a text");
    value = json.get<std::string>();
}

template <typename Value, std::size_t N>
void readValue(const Json& json, const std::string& path, std::array<Value, N>& values) {
    require(json.is_array() && json.size() == N, path,
            "expected an array of " + std::to_string(N) + " values");
    for (std::size_t i = 0; i < N; ++i) {
        readValue(json[i], indexed(path, i), values[i]);
    }
}

template <typename Value>
void readValue(const Json& json, const std::string& path, std::vector<Value>& values) {
    require(json.is_array(), path, "expected an array");
    values.assign(json.size(), Value{});
    for (std::size_t i = 0; i < json.size(); ++i) {
        readValue(json[i], indexed(path, i), values[i]);
    }
}

void readValue(const Json& json, const std::string& path, Vec2& value) {
    std::array<double, 2> pair{};
    readValue(json, path, pair);
    value = {pair[0], pair[1]};
}

void readValue(const Json& json, const std::string& path, Colour& value) {
    std::string text;
    readValue(json, path, text);
    unsigned red = 0;
    unsigned green = 0;
    unsigned blue = 0;
    char extra = 0;
    require(text.size() == 7 &&
                std::sscanf(text.c_str(), "#%2x%2x%2x%c", &red, &green, &blue, &extra) == 3,
            path, "expected a colour \"#rrggbb\"");
    value = {static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
             static_cast<std::uint8_t>(blue)};
}

void readValue(const Json& json, const std::string& path, Lead& value) {
    std::array<double, 4> numbers{};
    readValue(json, path, numbers);
    value = {{numbers[0], numbers[1]}, {numbers[2], numbers[3]}};
}

void readValue(const Json& json, const std::string& path, NozzleTip& value) {
    std::array<double, 2> numbers{};
    readValue(json, path, numbers);
    value = {numbers[0], numbers[1]};
}

void readValue(const Json& json, const std::string& path, MissingPart& value) {
    std::string text;
    readValue(json, path, text);
    std::vector<MissingPart> parts;
    require(parseMissingParts(text, parts) && parts.size() == 1, path,
            "expected \"FEEDER\" or \"FEEDER:POCKET\"");
    value = parts.front();
}

template <typename Enum, std::size_t N>
void readName(const Json& json, const std::string& path, Enum& value,
              const std::array<const char*, N>& names) {
    std::string text;
    readValue(json, path, text);
    for (std::size_t i = 0; i < N; ++i) {
        if (text == names[i]) {
            value = static_cast<Enum>(i);
            return;
        }
    }
    std::string choices;
    for (const char* name : names) {
        choices += (choices.empty() ? "" : ", ") + std::string(name);
    }
    fail(path, "expected one of " + choices);
}

constexpr std::array<const char*, 3> kFeederTypeNames = {"reel", "tray", "vibration"};
constexpr std::array<const char*, 3> kLocationNames = {"right", "front", "rear"};

void readValue(const Json& json, const std::string& path, FeederType& value) {
    readName(json, path, value, kFeederTypeNames);
}

void readValue(const Json& json, const std::string& path, ChangerLocation& value) {
    readName(json, path, value, kLocationNames);
}

void readValue(const Json& json, const std::string& path, WorldScaling& value) {
    ObjectReader(json, path)("steps_per_mm", value.stepsPerMm)("a_steps_per_rev",
                                                               value.aStepsPerRev)
        .finish();
}

void readValue(const Json& json, const std::string& path, CameraSpec& value) {
    IntPair resolution{value.width, value.height};
    ObjectReader(json, path)("position", value.position)("view_width", value.viewWidth)(
        "resolution", resolution)("focus_z", value.focusZ)("depth_of_field", value.depthOfField)(
        "defocus_blur", value.defocusBlur)("noise", value.noise)
        .finish();
    value.width = resolution[0];
    value.height = resolution[1];
}

void readValue(const Json& json, const std::string& path, Tolerances& value) {
    ObjectReader(json, path)("pick_xy", value.pickXY)("pick_z", value.pickZ)("pad_xy", value.padXY)(
        "holder_xy", value.holderXY)("holder_z", value.holderZ)
        .finish();
}

void readValue(const Json& json, const std::string& path, PartKind& value) {
    std::array<double, 3> marking{value.marking.x, value.marking.y, value.markingDiameter};
    ObjectReader(json, path)("name", value.name)("body", value.body)("height", value.height)(
        "top_colour", value.topColour)("bottom_colour", value.bottomColour)(
        "lead_colour", value.leadColour)("leads", value.leads)("marking", marking)
        .finish();
    value.marking = {marking[0], marking[1]};
    value.markingDiameter = marking[2];
}

void readValue(const Json& json, const std::string& path, Fiducial& value) {
    ObjectReader(json, path)("position", value.position)("dot", value.dot)("clearance",
                                                                           value.clearance)
        .finish();
}

void readValue(const Json& json, const std::string& path, Placement& value) {
    ObjectReader(json, path)("designator", value.designator)("kind", value.kind)(
        "position", value.position)("angle", value.angle)
        .finish();
}

void readValue(const Json& json, const std::string& path, BoardDesign& value) {
    ObjectReader(json, path)("size", value.size)("surface_z", value.surfaceZ)(
        "pad_growth", value.padGrowth)("fiducials", value.fiducials)("parts", value.parts)
        .finish();
}

void readValue(const Json& json, const std::string& path, Panel& value) {
    IntPair count{value.countX, value.countY};
    ObjectReader(json, path)("origin", value.origin)("count", count)("spacing", value.spacing)
        .finish();
    value.countX = count[0];
    value.countY = count[1];
}

void readValue(const Json& json, const std::string& path, FeederSpec& value) {
    IntPair pockets{value.countX, value.countY};
    ObjectReader(json, path)("type", value.type)("part", value.part)("pick", value.pick)(
        "pick_z", value.pickZ)("angle", value.angle)("next_pocket", value.nextPocket)(
        "count", value.count)("pitch", value.pitch)("pockets", pockets)
        .finish();
    value.countX = pockets[0];
    value.countY = pockets[1];
}

void readValue(const Json& json, const std::string& path, NozzleHolder& value) {
    ObjectReader(json, path)("position", value.position)("nozzle", value.nozzle).finish();
}

void readValue(const Json& json, const std::string& path, NozzleChanger& value) {
    ObjectReader(json, path)("location", value.location)("depth", value.depth)(
        "mounted", value.mounted)("tips", value.tips)("holders", value.holders)
        .finish();
}

void readValue(const Json& json, const std::string& path, RejectTray& value) {
    ObjectReader(json, path)("centre", value.centre)("size", value.size).finish();
}

void readValue(const Json& json, const std::string& path, WorldErrors& value) {
    ObjectReader(json, path)("board_offset", value.boardOffset)(
        "board_rotation", value.boardRotation)("home_switch", value.homeSwitch)(
        "pick_jitter_mm", value.pickJitterMm)("pick_jitter_deg", value.pickJitterDeg)(
        "missing", value.missing)("down_camera_no_frame", value.downCameraNoFrame)(
        "up_camera_no_frame", value.upCameraNoFrame)
        .finish();
}

void readValue(const Json& json, const std::string& path, Json& value) {
    require(json.is_object(), path, "expected an object");
    value = json;
}

template <typename Value>
ObjectReader& ObjectReader::operator()(const char* key, Value& target) {
    known_.insert(key);
    const auto found = json_.find(key);
    if (found != json_.end()) {
        readValue(*found, joined(path_, key), target);
    }
    return *this;
}

void readCameras(const Json& json, const std::string& path, World& world) {
    ObjectReader(json, path)("down", world.downCamera)("up", world.upCamera).finish();
}

World readWorld(const Json& json) {
    World world;
    Json cameras = Json::object();
    ObjectReader(json, "")("scaling", world.scaling)("table_z", world.tableZ)(
        "home_marks", world.homeMarks)("nozzle_offset", world.nozzleOffset)("cameras", cameras)(
        "tolerances", world.tolerances)("part_kinds", world.partKinds)("board", world.board)(
        "panel", world.panel)("feeders", world.feeders)("nozzle_changer", world.nozzleChanger)(
        "reject_trays", world.rejectTrays)("seed", world.seed)("errors", world.errors)
        .finish();
    readCameras(cameras, "cameras", world);
    return world;
}

// ---- writing ----------------------------------------------------------------------------

Json toJson(Vec2 value) {
    return Json::array({value.x, value.y});
}

Json toJson(const Colour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

Json toJson(const CameraSpec& camera) {
    Json json = Json::object();
    json["position"] = toJson(camera.position);
    json["view_width"] = camera.viewWidth;
    json["resolution"] = Json::array({camera.width, camera.height});
    json["focus_z"] = camera.focusZ;
    json["depth_of_field"] = camera.depthOfField;
    json["defocus_blur"] = camera.defocusBlur;
    json["noise"] = camera.noise;
    return json;
}

Json toJson(const PartKind& kind) {
    Json json = Json::object();
    json["name"] = kind.name;
    json["body"] = toJson(kind.body);
    json["height"] = kind.height;
    json["top_colour"] = toJson(kind.topColour);
    json["bottom_colour"] = toJson(kind.bottomColour);
    json["lead_colour"] = toJson(kind.leadColour);
    Json leads = Json::array();
    for (const Lead& lead : kind.leads) {
        leads.push_back(Json::array({lead.centre.x, lead.centre.y, lead.size.x, lead.size.y}));
    }
    json["leads"] = leads;
    json["marking"] = Json::array({kind.marking.x, kind.marking.y, kind.markingDiameter});
    return json;
}

Json toJson(const BoardDesign& board) {
    Json fiducials = Json::array();
    for (const Fiducial& fiducial : board.fiducials) {
        fiducials.push_back({{"position", toJson(fiducial.position)},
                             {"dot", fiducial.dot},
                             {"clearance", fiducial.clearance}});
    }
    Json parts = Json::array();
    for (const Placement& part : board.parts) {
        parts.push_back({{"designator", part.designator},
                         {"kind", part.kind},
                         {"position", toJson(part.position)},
                         {"angle", part.angle}});
    }
    return {{"size", toJson(board.size)},
            {"surface_z", board.surfaceZ},
            {"pad_growth", board.padGrowth},
            {"fiducials", fiducials},
            {"parts", parts}};
}

Json toJson(const FeederSpec& feeder) {
    return {{"type", kFeederTypeNames[static_cast<std::size_t>(feeder.type)]},
            {"part", feeder.part},
            {"pick", toJson(feeder.pick)},
            {"pick_z", feeder.pickZ},
            {"angle", feeder.angle},
            {"next_pocket", toJson(feeder.nextPocket)},
            {"count", feeder.count},
            {"pitch", toJson(feeder.pitch)},
            {"pockets", Json::array({feeder.countX, feeder.countY})}};
}

Json toJson(const NozzleChanger& changer) {
    Json tips = Json::array();
    for (const NozzleTip& tip : changer.tips) {
        tips.push_back(Json::array({tip.outer, tip.inner}));
    }
    Json holders = Json::array();
    for (const NozzleHolder& holder : changer.holders) {
        holders.push_back({{"position", toJson(holder.position)}, {"nozzle", holder.nozzle}});
    }
    return {{"location", kLocationNames[static_cast<std::size_t>(changer.location)]},
            {"depth", changer.depth},
            {"mounted", changer.mounted},
            {"tips", tips},
            {"holders", holders}};
}

Json toJson(const WorldErrors& errors) {
    Json missing = Json::array();
    for (const MissingPart& part : errors.missing) {
        missing.push_back(missingPartText(part));
    }
    return {{"board_offset", toJson(errors.boardOffset)},
            {"board_rotation", errors.boardRotation},
            {"home_switch", toJson(errors.homeSwitch)},
            {"pick_jitter_mm", errors.pickJitterMm},
            {"pick_jitter_deg", errors.pickJitterDeg},
            {"missing", missing},
            {"down_camera_no_frame", errors.downCameraNoFrame},
            {"up_camera_no_frame", errors.upCameraNoFrame}};
}

Json toJson(const RejectTray& tray) {
    return {{"centre", toJson(tray.centre)}, {"size", toJson(tray.size)}};
}

template <typename Value>
Json listJson(const std::vector<Value>& values) {
    Json list = Json::array();
    for (const Value& value : values) {
        list.push_back(toJson(value));
    }
    return list;
}

Json worldJson(const World& world) {
    Json json = Json::object();
    json["scaling"] = {{"steps_per_mm", world.scaling.stepsPerMm},
                       {"a_steps_per_rev", world.scaling.aStepsPerRev}};
    json["table_z"] = world.tableZ;
    json["home_marks"] = listJson(world.homeMarks);
    json["nozzle_offset"] = toJson(world.nozzleOffset);
    json["cameras"] = {{"down", toJson(world.downCamera)}, {"up", toJson(world.upCamera)}};
    const Tolerances& tolerances = world.tolerances;
    json["tolerances"] = {{"pick_xy", tolerances.pickXY},
                          {"pick_z", tolerances.pickZ},
                          {"pad_xy", tolerances.padXY},
                          {"holder_xy", tolerances.holderXY},
                          {"holder_z", tolerances.holderZ}};
    json["part_kinds"] = listJson(world.partKinds);
    json["board"] = toJson(world.board);
    json["panel"] = {{"origin", toJson(world.panel.origin)},
                     {"count", Json::array({world.panel.countX, world.panel.countY})},
                     {"spacing", toJson(world.panel.spacing)}};
    json["feeders"] = listJson(world.feeders);
    json["nozzle_changer"] = toJson(world.nozzleChanger);
    json["reject_trays"] = listJson(world.rejectTrays);
    json["seed"] = world.seed;
    json["errors"] = toJson(world.errors);
    return json;
}

// ---- validation ---------------------------------------------------------------------------

void requirePositive(double value, const std::string& path) {
    require(value > 0, path, "must be greater than 0");
}

void requirePositive(Vec2 size, const std::string& path) {
    require(size.x > 0 && size.y > 0, path, "both sizes must be greater than 0");
}

void validateCamera(const CameraSpec& camera, const std::string& path) {
    requirePositive(camera.viewWidth, joined(path, "view_width"));
    require(
        camera.width >= 16 && camera.width <= 4096 && camera.height >= 16 && camera.height <= 4096,
        joined(path, "resolution"), "each side must lie within 16..4096 pixels");
    require(camera.depthOfField >= 0, joined(path, "depth_of_field"), "must not be negative");
    require(camera.defocusBlur >= 0, joined(path, "defocus_blur"), "must not be negative");
    require(camera.noise >= 0 && camera.noise <= 64, joined(path, "noise"),
            "must lie within 0..64");
}

void validateKinds(const World& world) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < world.partKinds.size(); ++i) {
        const PartKind& kind = world.partKinds[i];
        const std::string path = indexed("part_kinds", i);
        require(!kind.name.empty(), joined(path, "name"), "must not be empty");
        require(names.insert(kind.name).second, joined(path, "name"),
                "'" + kind.name + "' is named twice");
        requirePositive(kind.body, joined(path, "body"));
        requirePositive(kind.height, joined(path, "height"));
        for (std::size_t lead = 0; lead < kind.leads.size(); ++lead) {
            requirePositive(kind.leads[lead].size, indexed(joined(path, "leads"), lead));
        }
    }
}

void requireKind(const World& world, const std::string& name, const std::string& path) {
    require(world.kind(name) != nullptr, path, "no part kind '" + name + "'");
}

void validateBoard(const World& world) {
    requirePositive(world.board.size, "board.size");
    for (std::size_t i = 0; i < world.board.parts.size(); ++i) {
        requireKind(world, world.board.parts[i].kind, joined(indexed("board.parts", i), "kind"));
    }
    for (std::size_t i = 0; i < world.board.fiducials.size(); ++i) {
        const Fiducial& fiducial = world.board.fiducials[i];
        const std::string path = indexed("board.fiducials", i);
        requirePositive(fiducial.dot, joined(path, "dot"));
        require(fiducial.clearance >= fiducial.dot, joined(path, "clearance"),
                "must be at least the dot's diameter");
    }
    require(world.panel.countX >= 1 && world.panel.countX <= 50 && world.panel.countY >= 1 &&
                world.panel.countY <= 50,
            "panel.count", "each count must lie within 1..50");
}

void validateFeeders(const World& world) {
    for (std::size_t i = 0; i < world.feeders.size(); ++i) {
        const FeederSpec& feeder = world.feeders[i];
        const std::string path = indexed("feeders", i);
        requireKind(world, feeder.part, joined(path, "part"));
        require(feeder.count >= 0 && feeder.count <= 100000, joined(path, "count"),
                "must lie within 0..100000");
        require(
            feeder.countX >= 1 && feeder.countX <= 50 && feeder.countY >= 1 && feeder.countY <= 50,
            joined(path, "pockets"), "each count must lie within 1..50");
    }
    for (std::size_t i = 0; i < world.errors.missing.size(); ++i) {
        const MissingPart& part = world.errors.missing[i];
        require(part.feeder <= static_cast<int>(world.feeders.size()), indexed("errors.missing", i),
                "there is no feeder " + std::to_string(part.feeder));
    }
}

void validateNozzles(const NozzleChanger& changer) {
    require(changer.holders.size() <= 8, "nozzle_changer.holders", "at most 8 holders");
    std::set<int> seen;
    const auto take = [&seen](int nozzle, const std::string& path) {
        require(nozzle >= 0 && nozzle <= 8, path, "must lie within 0..8");
        require(nozzle == 0 || seen.insert(nozzle).second, path,
                "nozzle " + std::to_string(nozzle) + " cannot be in two places");
    };
    take(changer.mounted, "nozzle_changer.mounted");
    for (std::size_t i = 0; i < changer.holders.size(); ++i) {
        take(changer.holders[i].nozzle, joined(indexed("nozzle_changer.holders", i), "nozzle"));
    }
    for (std::size_t i = 0; i < changer.tips.size(); ++i) {
        const NozzleTip& tip = changer.tips[i];
        require(tip.outer > 0 && tip.inner >= 0 && tip.inner < tip.outer,
                indexed("nozzle_changer.tips", i), "needs 0 <= inner < outer");
    }
}

std::string withoutLibraryPrefix(const std::string& message) {
    const std::size_t bracket = message.find("] ");
    return message.front() == '[' && bracket != std::string::npos ? message.substr(bracket + 2)
                                                                  : message;
}

}  // namespace

const char* feederTypeName(FeederType type) {
    return kFeederTypeNames[static_cast<std::size_t>(type)];
}

void validateWorld(const World& world) {
    for (int axis = 0; axis < 3; ++axis) {
        requirePositive(world.scaling.stepsPerMm[static_cast<std::size_t>(axis)],
                        indexed("scaling.steps_per_mm", static_cast<std::size_t>(axis)));
    }
    requirePositive(world.scaling.aStepsPerRev, "scaling.a_steps_per_rev");
    validateCamera(world.downCamera, "cameras.down");
    validateCamera(world.upCamera, "cameras.up");
    validateKinds(world);
    validateBoard(world);
    validateFeeders(world);
    validateNozzles(world.nozzleChanger);
    require(world.rejectTrays.size() <= 5, "reject_trays", "at most 5 trays");
    for (std::size_t i = 0; i < world.rejectTrays.size(); ++i) {
        requirePositive(world.rejectTrays[i].size, joined(indexed("reject_trays", i), "size"));
    }
    require(world.errors.pickJitterMm >= 0 && world.errors.pickJitterDeg >= 0, "errors",
            "the pick jitter must not be negative");
}

World worldFromJson(std::string_view text) {
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::exception& error) {
        throw WorldError("not valid JSON: " + withoutLibraryPrefix(error.what()));
    }
    World world = readWorld(json);
    validateWorld(world);
    return world;
}

World worldFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        throw WorldError("world file '" + path + "' cannot be read");
    }
    try {
        return worldFromJson(text.str());
    } catch (const WorldError& error) {
        throw WorldError("world file '" + path + "': " + error.what());
    }
}

std::string worldToJson(const World& world) {
    return worldJson(world).dump(2) + "\n";
}

const World& defaultWorld() {
    static const World world = worldFromJson(defaultWorldText());
    return world;
}

World configuredWorld(const SimConfig& config, std::vector<std::string>& problems) {
    World world = defaultWorld();
    if (!config.worldFile.empty()) {
        try {
            world = worldFromFile(config.worldFile);
        } catch (const WorldError& error) {
            problems.push_back(std::string(error.what()) + "; the built-in world is used");
        }
    }
    World withErrors = world;
    applyErrorOverrides(withErrors, config.worldErrors);
    try {
        validateWorld(withErrors);
        return withErrors;
    } catch (const WorldError& error) {
        problems.push_back(std::string("the configured world errors are left out: ") +
                           error.what());
        return world;
    }
}

Configuration configurationFromText(const char* text, ConfigTextReader apply,
                                    std::vector<std::string>& problems) {
    SimConfig config;
    if (text == nullptr) {
        config = simConfigFromEnvironment(problems);
    } else {
        const std::vector<std::string> unusable = apply(config, text);
        problems.insert(problems.end(), unusable.begin(), unusable.end());
    }
    World world = configuredWorld(config, problems);
    return {std::move(config), std::move(world)};
}

}  // namespace motrix_sim
