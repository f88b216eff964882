// What one simulated camera frame costs: an 800 x 600 frame should take under 5 ms, so that the
// live view and the searches run at camera speed on the simulator.
#include <benchmark/benchmark.h>

#include <vector>

#include "WorldDriver.h"
#include "WorldJson.h"

namespace {

using motrix_sim::SimWorld;

// Every pad of the panel gets its part, picked from the feeder of its kind.
void populatePanel(SimWorld& world) {
    motrix_sim::WorldDriver driver(world);
    const motrix_sim::World& description = world.world();
    for (const motrix_sim::PadTarget& pad : world.model().layout.pads()) {
        for (std::size_t feeder = 0; feeder < description.feeders.size(); ++feeder) {
            if (world.model().layout.feederKind(static_cast<int>(feeder)) == pad.kind &&
                driver.pickFrom(static_cast<int>(feeder))) {
                driver.placeAt(pad.position, description.board.surfaceZ,
                               pad.angle - description.feeders[feeder].angle);
                break;
            }
        }
    }
}

// A frame of `camera` with the head at machine (x, y, z), taken and rendered as
// MotrixSimCameraFrame does.
void renderFrames(benchmark::State& state, SimWorld& world, int camera, double x, double y,
                  double z = 0) {
    int width = 0;
    int height = 0;
    motrix_sim::cameraSize(world.world(), camera, width, height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    const motrix_sim::HeadPose pose = world.poseFromMachine(x, y, z, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            motrix_sim::renderFrame(world.frameJob(camera, pose), pixels.data(), width, height));
        benchmark::ClobberMemory();
    }
}

// The busiest view of the table: the middle of the panel, every part placed.
void BM_DownCameraOverPopulatedPanel(benchmark::State& state) {
    SimWorld world(motrix_sim::defaultWorld());
    populatePanel(world);
    renderFrames(state, world, motrix_sim::kDownCamera, 145, 85);
}
BENCHMARK(BM_DownCameraOverPopulatedPanel)->Unit(benchmark::kMillisecond);

void BM_DownCameraOverReels(benchmark::State& state) {
    SimWorld world(motrix_sim::defaultWorld());
    renderFrames(state, world, motrix_sim::kDownCamera, 108, 310);
}
BENCHMARK(BM_DownCameraOverReels)->Unit(benchmark::kMillisecond);

// A SOIC-8 from the tray held over the up-looking camera, its underside at `depth` mm from the
// focal plane: in focus, or as the head travels in at the top of the Z travel.
void BM_UpCameraWithPart(benchmark::State& state) {
    SimWorld world(motrix_sim::defaultWorld());
    motrix_sim::WorldDriver driver(world);
    driver.pickFrom(5);
    const motrix_sim::CameraSpec& camera = world.world().upCamera;
    const double z = camera.focusZ - 1.5 - static_cast<double>(state.range(0));
    renderFrames(state, world, motrix_sim::kUpCamera, camera.position.x, camera.position.y, z);
}
BENCHMARK(BM_UpCameraWithPart)->Arg(0)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
