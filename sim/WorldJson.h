#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "World.h"

namespace motrix_sim {

// A world file or text that cannot be used; the message says where and why.
class WorldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a world from its JSON text. Keys that are left out keep the member defaults of World
// (an empty list for the lists); unknown keys, wrong types and impossible values are refused
// with a WorldError naming the key ("feeders[2].pick_z: ...").
World worldFromJson(std::string_view text);
// Reads the file at `path`; a WorldError also when it cannot be read.
World worldFromFile(const std::string& path);
// The world as JSON text that worldFromJson reads back to an equal world.
std::string worldToJson(const World& world);

// "reel", "tray" or "vibration", as the world file names the feeder types.
const char* feederTypeName(FeederType type);

// Checks what a world needs to make sense (kinds that exist, counts, nozzle numbers, the
// feeders named by missing parts, ...); throws a WorldError naming the first problem.
void validateWorld(const World& world);

// The world of sim/worlds/default.json, built into the library.
const World& defaultWorld();
std::string_view defaultWorldText();

// The world a configuration asks for: its world file or the built-in world, with its error
// overrides. A file or override that cannot be used is reported in `problems` and left out.
World configuredWorld(const SimConfig& config, std::vector<std::string>& problems);

// What a MotrixSimConfigure text asks for: its lines read by `apply` (null text: the
// environment's configuration), and that configuration's world. Problems are appended.
struct Configuration {
    SimConfig config;
    World world;
};
using ConfigTextReader = std::vector<std::string> (*)(SimConfig&, std::string_view);
Configuration configurationFromText(const char* text, ConfigTextReader apply,
                                    std::vector<std::string>& problems);

}  // namespace motrix_sim
