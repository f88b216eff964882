#pragma once

#include "SimWorld.h"

namespace motrix_sim {

// Handles parts in a SimWorld without a controller: the nozzle goes straight to where it is
// sent and the outputs switch at once. For tools, tests and benchmarks that script a run.
class WorldDriver {
public:
    explicit WorldDriver(SimWorld& world) : world_(world) {}

    // Puts the nozzle axis at `nozzle` (machine mm on the table), its tip at `z`, A at `a`.
    void moveNozzleTo(Vec2 nozzle, double z, double a);
    void switchOutput(int mask, bool on);
    // Picks the next part of feeder `feeder` (0-based) at A = 0 and lifts it to Z 0, moving a
    // reel's tape on with an actuator pulse after the pick. True when a part is held.
    bool pickFrom(int feeder);
    // Lowers the held part so that it sits on a surface at `surfaceZ` with its centre meant for
    // `target`, turned to `a`, and lets go: the nozzle goes to `target` minus the part's offset
    // from the nozzle as it is at `a`.
    void placeAt(Vec2 target, double surfaceZ, double a);

    const HeadPose& pose() const { return pose_; }
    int outputs() const { return outputs_; }

private:
    void observe() { world_.observe(pose_, outputs_); }

    SimWorld& world_;
    HeadPose pose_;
    int outputs_ = 0;
};

}  // namespace motrix_sim
