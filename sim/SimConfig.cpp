#include "SimConfig.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

namespace motrix_sim {
namespace {

using Setter = std::function<bool(SimConfig&, std::string_view)>;

// What a key sets: the machine, one of its faults, the world, or a world fault (a camera
// without frames, injectable into a running machine as well).
enum class KeyKind { Machine, Fault, World, WorldFault };

struct Key {
    std::string name;
    Setter apply;  // false when the value is unusable
    KeyKind kind = KeyKind::Machine;
};

std::string_view trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool parseValue(std::string_view text, bool& value) {
    static constexpr std::pair<std::string_view, bool> kWords[] = {
        {"1", true},  {"true", true},   {"yes", true}, {"on", true},
        {"0", false}, {"false", false}, {"no", false}, {"off", false}};
    const auto* word = std::find_if(std::begin(kWords), std::end(kWords),
                                    [text](const auto& entry) { return entry.first == text; });
    if (word == std::end(kWords)) {
        return false;
    }
    value = word->second;
    return true;
}

bool parseValue(std::string_view text, TimeMode& value) {
    if (text == "realtime") {
        value = TimeMode::RealTime;
    } else if (text == "instant") {
        value = TimeMode::Instant;
    } else {
        return false;
    }
    return true;
}

template <typename Number>
bool parseValue(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

bool parseValue(std::string_view text, std::string& value) {
    value = std::string(text);
    return true;
}

bool parseValue(std::string_view text, std::vector<MissingPart>& value) {
    return parseMissingParts(text, value);
}

// One "F" or "F:P" entry, both numbers 1 or more.
bool parseMissingPart(std::string_view text, MissingPart& part) {
    const std::size_t colon = text.find(':');
    if (!parseValue(trimmed(text.substr(0, colon)), part.feeder) || part.feeder < 1) {
        return false;
    }
    part.pocket = 0;
    return colon == std::string_view::npos ||
           (parseValue(trimmed(text.substr(colon + 1)), part.pocket) && part.pocket >= 1);
}

template <typename Value>
Setter field(Value SimConfig::*member) {
    return [member](SimConfig& config, std::string_view text) {
        Value value{};
        if (!parseValue(text, value)) {
            return false;
        }
        config.*member = value;
        return true;
    };
}

template <typename Value>
Setter errorField(std::optional<Value> WorldErrorOverrides::*member) {
    return [member](SimConfig& config, std::string_view text) {
        Value value{};
        if (!parseValue(text, value)) {
            return false;
        }
        config.worldErrors.*member = std::move(value);
        return true;
    };
}

Setter axisField(Steps SimConfig::*member, int axis) {
    return [member, axis](SimConfig& config, std::string_view text) {
        std::int32_t value = 0;
        if (!parseValue(text, value)) {
            return false;
        }
        (config.*member)[axis] = value;
        return true;
    };
}

const std::vector<Key>& keys() {
    static const std::vector<Key> table = [] {
        std::vector<Key> all = {
            {"mode", field(&SimConfig::mode)},
            {"fault_reset_unanswered", field(&SimConfig::faultResetUnanswered), KeyKind::Fault},
            {"fault_max_speed_refused", field(&SimConfig::faultMaxSpeedRefused), KeyKind::Fault},
            {"fault_acceleration_refused", field(&SimConfig::faultAccelerationRefused),
             KeyKind::Fault},
            {"fault_busy_answers", field(&SimConfig::faultBusyAnswers), KeyKind::Fault},
            {"fault_motion_never_finishes", field(&SimConfig::faultMotionNeverFinishes),
             KeyKind::Fault},
            {"fault_refuse_motion", field(&SimConfig::faultRefuseMotion), KeyKind::Fault},
            {"fault_unanswered", field(&SimConfig::faultUnanswered), KeyKind::Fault},
            {"fault_after_calls", field(&SimConfig::faultAfterCalls), KeyKind::Fault},
            {"firmware_version", field(&SimConfig::firmwareVersion)},
            {"log_limit", field(&SimConfig::logLimit)},
            {"world", field(&SimConfig::worldFile), KeyKind::World},
            {"seed", errorField(&WorldErrorOverrides::seed), KeyKind::World},
            {"board_offset_x", errorField(&WorldErrorOverrides::boardOffsetX), KeyKind::World},
            {"board_offset_y", errorField(&WorldErrorOverrides::boardOffsetY), KeyKind::World},
            {"board_rotation", errorField(&WorldErrorOverrides::boardRotation), KeyKind::World},
            {"home_switch_error_x", errorField(&WorldErrorOverrides::homeSwitchErrorX),
             KeyKind::World},
            {"home_switch_error_y", errorField(&WorldErrorOverrides::homeSwitchErrorY),
             KeyKind::World},
            {"pick_jitter_mm", errorField(&WorldErrorOverrides::pickJitterMm), KeyKind::World},
            {"pick_jitter_deg", errorField(&WorldErrorOverrides::pickJitterDeg), KeyKind::World},
            {"missing", errorField(&WorldErrorOverrides::missing), KeyKind::World},
            {"camera_down_no_frame", errorField(&WorldErrorOverrides::downCameraNoFrame),
             KeyKind::WorldFault},
            {"camera_up_no_frame", errorField(&WorldErrorOverrides::upCameraNoFrame),
             KeyKind::WorldFault},
        };
        static constexpr std::string_view kAxisNames = "xyza";
        for (int axis = 0; axis < kAxisCount; ++axis) {
            const std::string suffix(1, kAxisNames[axis]);
            all.push_back({"home_switch_" + suffix, axisField(&SimConfig::homeSwitch, axis)});
            all.push_back({"power_up_" + suffix, axisField(&SimConfig::powerUpPosition, axis)});
        }
        return all;
    }();
    return table;
}

const Key* findKey(std::string_view name) {
    const auto& all = keys();
    const auto found =
        std::find_if(all.begin(), all.end(), [name](const Key& key) { return key.name == name; });
    return found == all.end() ? nullptr : &*found;
}

// Applies one setting; returns a problem description, empty when it was used.
std::string applySetting(SimConfig& config, std::string_view name, std::string_view value) {
    const Key* key = findKey(name);
    if (key == nullptr) {
        return "unknown setting '" + std::string(name) + "'";
    }
    if (!key->apply(config, value)) {
        return "unusable value '" + std::string(value) + "' for '" + std::string(name) + "'";
    }
    return {};
}

// Which keys a text may set: all of them, the faults of a running machine, or the world's.
enum class KeyScope { All, Faults, World };

// The problem with setting `key` from a text of `scope`; empty when it may.
std::string outOfScope(const Key& key, KeyScope scope) {
    const bool fault = key.kind == KeyKind::Fault || key.kind == KeyKind::WorldFault;
    const bool world = key.kind == KeyKind::World || key.kind == KeyKind::WorldFault;
    if (scope == KeyScope::Faults && !fault) {
        return "not a fault: '" + key.name + "'";
    }
    if (scope == KeyScope::World && !world) {
        return "not a world setting: '" + key.name + "'";
    }
    return {};
}

std::string applyLine(SimConfig& config, std::string_view line, KeyScope scope) {
    line = trimmed(line);
    if (line.empty() || line.front() == '#') {
        return {};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return "no '=' in '" + std::string(line) + "'";
    }
    const std::string_view name = trimmed(line.substr(0, equals));
    if (const Key* key = findKey(name)) {
        if (std::string problem = outOfScope(*key, scope); !problem.empty()) {
            return problem;
        }
    }
    return applySetting(config, name, trimmed(line.substr(equals + 1)));
}

std::vector<std::string> applyLines(SimConfig& config, std::string_view text, KeyScope scope) {
    std::vector<std::string> problems;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string problem = applyLine(config, text.substr(0, end), scope);
        if (!problem.empty()) {
            problems.push_back(std::move(problem));
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return problems;
}

std::string environmentName(const std::string& key) {
    std::string name = "MOTRIX_SIM_" + key;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

void applyConfigFile(SimConfig& config, const char* path, std::vector<std::string>& problems) {
    std::ifstream file(path);
    if (!file) {
        problems.push_back("cannot read configuration file '" + std::string(path) + "'");
        return;
    }
    std::ostringstream text;
    text << file.rdbuf();
    for (std::string& problem : applySimConfigText(config, text.str())) {
        problems.push_back(std::string(path) + ": " + problem);
    }
}

}  // namespace

bool parseMissingParts(std::string_view text, std::vector<MissingPart>& parts) {
    std::vector<MissingPart> read;
    text = trimmed(text);
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        MissingPart part;
        if (!parseMissingPart(trimmed(text.substr(0, comma)), part)) {
            return false;
        }
        read.push_back(part);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
        if (trimmed(text).empty()) {
            return false;  // a trailing comma leaves an empty entry
        }
    }
    parts = std::move(read);
    return true;
}

std::string missingPartText(const MissingPart& part) {
    std::string text = std::to_string(part.feeder);
    if (part.pocket > 0) {
        text += ':' + std::to_string(part.pocket);
    }
    return text;
}

std::vector<std::string> applySimConfigText(SimConfig& config, std::string_view text) {
    return applyLines(config, text, KeyScope::All);
}

std::vector<std::string> applyFaultText(SimConfig& config, std::string_view text) {
    return applyLines(config, text, KeyScope::Faults);
}

std::vector<std::string> applyWorldText(SimConfig& config, std::string_view text) {
    return applyLines(config, text, KeyScope::World);
}

void copyFaults(const SimConfig& from, SimConfig& to) {
    to.faultResetUnanswered = from.faultResetUnanswered;
    to.faultMaxSpeedRefused = from.faultMaxSpeedRefused;
    to.faultAccelerationRefused = from.faultAccelerationRefused;
    to.faultBusyAnswers = from.faultBusyAnswers;
    to.faultMotionNeverFinishes = from.faultMotionNeverFinishes;
    to.faultRefuseMotion = from.faultRefuseMotion;
    to.faultUnanswered = from.faultUnanswered;
    to.faultAfterCalls = from.faultAfterCalls;
    to.worldErrors.downCameraNoFrame = from.worldErrors.downCameraNoFrame;
    to.worldErrors.upCameraNoFrame = from.worldErrors.upCameraNoFrame;
}

SimConfig simConfigFromEnvironment(std::vector<std::string>& problems) {
    SimConfig config;
    if (const char* path = std::getenv("MOTRIX_SIM_CONFIG")) {
        applyConfigFile(config, path, problems);
    }
    for (const Key& key : keys()) {
        const std::string name = environmentName(key.name);
        if (const char* value = std::getenv(name.c_str())) {
            std::string problem = applySetting(config, key.name, trimmed(value));
            if (!problem.empty()) {
                problems.push_back(name + ": " + problem);
            }
        }
    }
    return config;
}

}  // namespace motrix_sim
