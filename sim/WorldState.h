#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "World.h"
#include "WorldLayout.h"

namespace motrix_sim {

inline constexpr int kOutputFeeder = 8;
inline constexpr int kOutputVacuum = 16;
inline constexpr int kOutputBlow = 32;

// The seeded random numbers of one world (pick jitter); SplitMix64, the same sequence on
// every platform.
class WorldRandom {
public:
    explicit WorldRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    double uniform();  // [0, 1)

private:
    std::uint64_t state_;
};

// The part on the nozzle: where it sat against the nozzle axis when it was picked, and how it
// lay. Its offset turns with A about the nozzle axis.
struct HeldPart {
    int feeder = 0;    // 1-based
    int kind = 0;      // index into the world's part kinds
    Vec2 offset;       // part centre minus nozzle axis, at A = aAtPick
    double angle = 0;  // the part's angle at A = aAtPick
    double aAtPick = 0;

    Vec2 offsetAt(double a) const { return turned(offset, a - aAtPick); }
    double angleAt(double a) const { return angle + (a - aAtPick); }
};

enum class DropPlace { Board, RejectTray, Table };

// A part that left the nozzle, and where it counts.
struct Drop {
    int feeder = 0;
    int kind = 0;
    Vec2 position;
    double angle = 0;
    double fellFrom = 0;  // mm between the part's underside and the surface below
    DropPlace place = DropPlace::Table;
    int pad = -1;  // index into the layout's pads (Board)
    int tray = 0;  // 1-based (RejectTray)
};

struct FeederState {
    std::vector<bool> present;  // per pocket (1-based pocket n at index n-1)
    int advanced = 0;           // reel: pockets moved past the pick point; vibration: parts taken
};

// The changing part of a world: parts in the feeders, the part on the nozzle, the nozzles and
// every drop. Copied whole for a camera frame.
class WorldState {
public:
    WorldState(const World& world, const WorldLayout& layout);

    // Takes in where the head is and which outputs are on, and does what physically follows:
    // nozzle exchanges at the holders, the reel under the feeder actuator advancing when the
    // actuator switches off, a drop when the vacuum goes off or the blow comes on, a pick when
    // the vacuum is on with the nozzle at a part.
    void observe(const HeadPose& pose, int outputs);

    const std::optional<HeldPart>& held() const { return held_; }
    const std::vector<Drop>& drops() const { return drops_; }
    const std::vector<FeederState>& feeders() const { return feeders_; }
    int mountedNozzle() const { return mounted_; }
    const std::vector<int>& holderNozzles() const { return holders_; }
    // The pocket (1-based) at the pick point of a reel or vibration feeder (0-based index).
    int pickPocket(int feeder) const {
        return feeders_[static_cast<std::size_t>(feeder)].advanced + 1;
    }

private:
    Vec2 nozzleAxis(const HeadPose& pose) const { return pose.head + world_->nozzleOffset; }
    void exchangeNozzles(const HeadPose& pose);
    void driveFeederActuator(const HeadPose& pose, bool actuatorOn);
    void tryPick(const HeadPose& pose);
    bool pickFrom(int feeder, int pocket, const HeadPose& pose);
    void drop(const HeadPose& pose);
    Drop classified(Drop drop, double undersideZ) const;

    const World* world_;
    const WorldLayout* layout_;
    WorldRandom random_;
    std::vector<FeederState> feeders_;
    std::optional<HeldPart> held_;
    std::vector<Drop> drops_;
    int mounted_;
    std::vector<int> holders_;
    int seatedHolder_ = -1;  // holder whose fork holds the nozzle on the head
    int engagedReel_ = -1;   // reel whose lever the feeder actuator holds
    int lastOutputs_ = 0;
};

}  // namespace motrix_sim
