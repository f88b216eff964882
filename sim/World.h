#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "SimConfig.h"
#include "WorldGeometry.h"

namespace motrix_sim {

// The simulated world: everything on the machine's table and head that the cameras see and
// the nozzle handles. Lengths are machine millimetres (the machine frame of a machine whose
// home switches sit at their nominal places), Z grows downwards from the raised nozzle (0).
// Angles are degrees in the sense of the A axis: a positive angle turns clockwise as seen from
// above (+X right, +Y up). Sizes are full lengths, not halves. The file format is the JSON of
// WorldJson.h, described in sim/README.md.

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    std::uint32_t argb() const {
        return 0xFF000000U | (static_cast<std::uint32_t>(red) << 16) |
               (static_cast<std::uint32_t>(green) << 8) | blue;
    }
    bool operator==(const Colour&) const = default;
};

// From physical steps to world millimetres and degrees.
struct WorldScaling {
    std::array<double, 3> stepsPerMm = {78.74015748, 78.74015748, 78.74015748};
    double aStepsPerRev = 8000;

    bool operator==(const WorldScaling&) const = default;
};

struct CameraSpec {
    Vec2 position;          // up camera only: the machine XY of its optical axis
    double viewWidth = 40;  // mm across the frame
    int width = 800;        // pixels
    int height = 600;
    double focusZ = 0;        // down: head Z in focus; up: Z of the surface seen sharp
    double depthOfField = 1;  // mm either side of focusZ without blur
    double defocusBlur = 2;   // pixels of blur radius per mm beyond the depth of field
    int noise = 4;            // largest sensor noise, grey levels

    double mmPerPixel() const { return viewWidth / width; }
    bool operator==(const CameraSpec&) const = default;
};

// A lead or terminal of a part: a rectangle in the part's own frame (as seen from above).
struct Lead {
    Vec2 centre;
    Vec2 size;

    bool operator==(const Lead&) const = default;
};

// A kind of part: its body and leads as seen from above; from below the same outline with the
// body's underside colour. The marking (pin-1 dot) shows from above only.
struct PartKind {
    std::string name;
    Vec2 body;  // length along the part's X, width along its Y
    double height = 0.5;
    Colour topColour{32, 32, 32};
    Colour bottomColour{60, 60, 60};
    Colour leadColour{200, 200, 200};
    std::vector<Lead> leads;
    double markingDiameter = 0;  // 0: no marking
    Vec2 marking;

    bool operator==(const PartKind&) const = default;
};

struct Fiducial {
    Vec2 position;  // board-relative
    double dot = 1;
    double clearance = 2.5;  // diameter of the clear ring around the dot

    bool operator==(const Fiducial&) const = default;
};

// A part of the board design: the kind placed at a board-relative position and angle.
struct Placement {
    std::string designator;
    std::string kind;
    Vec2 position;
    double angle = 0;

    bool operator==(const Placement&) const = default;
};

// One board design, repeated over the panel. Its origin is its lower left corner.
struct BoardDesign {
    Vec2 size{60, 40};
    double surfaceZ = 25;     // nozzle Z touching the board
    double padGrowth = 0.15;  // copper beyond each lead, every side
    std::vector<Fiducial> fiducials;
    std::vector<Placement> parts;

    bool operator==(const BoardDesign&) const = default;
};

// Boards are numbered row by row from the origin board (1), along X first.
struct Panel {
    Vec2 origin{80, 40};
    int countX = 1;
    int countY = 1;
    Vec2 spacing;

    int boardCount() const { return countX * countY; }
    bool operator==(const Panel&) const = default;
};

enum class FeederType { Reel, Tray, Vibration };

// A feeder. Reel: `pick` is the pocket the actuator has advanced to, the next pockets lie at
// multiples of `nextPocket` behind it, `count` parts on the tape. Tray: `pick` is the first
// pocket; pocket k (1-based) lies at pick + ((k-1) div countY * pitch.x, (k-1) mod countY *
// pitch.y). Vibration: parts queue at multiples of `nextPocket` behind the pick point.
struct FeederSpec {
    FeederType type = FeederType::Reel;
    std::string part;
    Vec2 pick;
    double pickZ = 24;  // nozzle Z touching the part
    double angle = 0;   // of the parts as they lie in the feeder
    Vec2 nextPocket{0, 4};
    int count = 50;  // parts (reel, vibration)
    Vec2 pitch{10, 10};
    int countX = 1;  // pockets (tray)
    int countY = 1;

    int pocketCount() const { return type == FeederType::Tray ? countX * countY : count; }
    bool operator==(const FeederSpec&) const = default;
};

struct NozzleTip {
    double outer = 1;  // diameters
    double inner = 0.5;

    bool operator==(const NozzleTip&) const = default;
};

struct NozzleHolder {
    Vec2 position;   // where the nozzle axis stands when the nozzle sits in it
    int nozzle = 0;  // 0: empty

    bool operator==(const NozzleHolder&) const = default;
};

enum class ChangerLocation { Right, Front, Rear };

struct NozzleChanger {
    ChangerLocation location = ChangerLocation::Right;  // the holders open away from it
    double depth = 20;  // nozzle Z at which a nozzle slides in and out of a holder
    int mounted = 1;    // 0: none
    std::array<NozzleTip, 8> tips{};
    std::vector<NozzleHolder> holders;

    bool operator==(const NozzleChanger&) const = default;
};

struct RejectTray {
    Vec2 centre;
    Vec2 size{25, 25};

    bool operator==(const RejectTray&) const = default;
};

struct Tolerances {
    double pickXY = 0.5;    // nozzle axis to part centre, to pick it
    double pickZ = 0.5;     // nozzle Z to the feeder's pick height
    double padXY = 1;       // a dropped part to the pad it counts for
    double holderXY = 0.5;  // nozzle axis to a holder's centre
    double holderZ = 0.5;   // above the holder depth (below it: up to 4 mm of pressing)

    bool operator==(const Tolerances&) const = default;
};

// Injected errors; every one also settable by the simulator's configuration.
struct WorldErrors {
    Vec2 boardOffset;          // the panel lies this far from its nominal place
    double boardRotation = 0;  // and turned by this about the nominal origin of board 1
    Vec2 homeSwitch;           // the home switches sit this far off: the homed zero is there
    double pickJitterMm = 0;
    double pickJitterDeg = 0;
    std::vector<MissingPart> missing;
    bool downCameraNoFrame = false;
    bool upCameraNoFrame = false;

    bool operator==(const WorldErrors&) const = default;
};

struct World {
    WorldScaling scaling;
    double tableZ = 30;  // nozzle Z touching the table
    std::vector<Vec2> homeMarks;
    Vec2 nozzleOffset;  // nozzle axis minus the down camera's centre (the commanded position)
    CameraSpec downCamera;
    CameraSpec upCamera{{220, 220}, 40, 800, 600, 10, 1, 2, 4};
    Tolerances tolerances;
    std::vector<PartKind> partKinds;
    BoardDesign board;
    Panel panel;
    std::vector<FeederSpec> feeders;
    NozzleChanger nozzleChanger;
    std::vector<RejectTray> rejectTrays;
    std::uint64_t seed = 1;
    WorldErrors errors;

    // The kind named `name`, or null.
    const PartKind* kind(const std::string& name) const;
    bool operator==(const World&) const = default;
};

// Replaces the world's errors by those the configuration sets.
void applyErrorOverrides(World& world, const WorldErrorOverrides& overrides);

}  // namespace motrix_sim
