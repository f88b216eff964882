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

struct Key {
    std::string name;
    Setter apply;  // false when the value is unusable
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
            {"fault_reset_unanswered", field(&SimConfig::faultResetUnanswered)},
            {"fault_max_speed_refused", field(&SimConfig::faultMaxSpeedRefused)},
            {"fault_acceleration_refused", field(&SimConfig::faultAccelerationRefused)},
            {"fault_busy_answers", field(&SimConfig::faultBusyAnswers)},
            {"fault_motion_never_finishes", field(&SimConfig::faultMotionNeverFinishes)},
            {"fault_refuse_motion", field(&SimConfig::faultRefuseMotion)},
            {"firmware_version", field(&SimConfig::firmwareVersion)},
            {"log_limit", field(&SimConfig::logLimit)},
            {"world", field(&SimConfig::worldFile)},
            {"seed", errorField(&WorldErrorOverrides::seed)},
            {"board_offset_x", errorField(&WorldErrorOverrides::boardOffsetX)},
            {"board_offset_y", errorField(&WorldErrorOverrides::boardOffsetY)},
            {"board_rotation", errorField(&WorldErrorOverrides::boardRotation)},
            {"home_switch_error_x", errorField(&WorldErrorOverrides::homeSwitchErrorX)},
            {"home_switch_error_y", errorField(&WorldErrorOverrides::homeSwitchErrorY)},
            {"pick_jitter_mm", errorField(&WorldErrorOverrides::pickJitterMm)},
            {"pick_jitter_deg", errorField(&WorldErrorOverrides::pickJitterDeg)},
            {"missing", errorField(&WorldErrorOverrides::missing)},
            {"camera_down_no_frame", errorField(&WorldErrorOverrides::downCameraNoFrame)},
            {"camera_up_no_frame", errorField(&WorldErrorOverrides::upCameraNoFrame)},
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

std::string applyLine(SimConfig& config, std::string_view line) {
    line = trimmed(line);
    if (line.empty() || line.front() == '#') {
        return {};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return "no '=' in '" + std::string(line) + "'";
    }
    return applySetting(config, trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
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
    std::vector<std::string> problems;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string problem = applyLine(config, text.substr(0, end));
        if (!problem.empty()) {
            problems.push_back(std::move(problem));
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return problems;
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
