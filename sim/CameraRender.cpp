#include "CameraRender.h"

#include <algorithm>
#include <cmath>

namespace motrix_sim {
namespace {

constexpr std::uint32_t kNozzleTip = 0xFF4A4A4A;
constexpr std::uint32_t kNozzleBore = 0xFF050505;
constexpr std::uint32_t kBareHead = 0xFF2A2A2A;
constexpr NozzleTip kBareHeadTip{2.0, 0.8};
constexpr int kLargestDefocus = 16;  // pixels of blur radius
constexpr double kCullMargin = 1;    // mm: edges soften beyond a shape's own bounds

const CameraSpec& spec(const World& world, int camera) {
    return camera == kUpCamera ? world.upCamera : world.downCamera;
}

CameraView viewOf(const CameraSpec& camera, Vec2 axis, bool mirrored) {
    return {axis, camera.width / camera.viewWidth, mirrored, camera.width, camera.height};
}

int defocusRadius(const CameraSpec& camera, double surfaceZ) {
    const double beyond = std::abs(surfaceZ - camera.focusZ) - camera.depthOfField;
    return std::clamp(static_cast<int>(std::lround(beyond * camera.defocusBlur)), 0,
                      kLargestDefocus);
}

// Another shift of the noise field for every frame.
std::uint64_t noiseShift(std::uint64_t seed, std::uint64_t frame) {
    WorldRandom random(seed ^ (frame * 0xD1B54A32D192ED03ULL));
    return random.next();
}

void drawCulled(const FrameBuffer& frame, const CameraView& view, const std::vector<Shape>& shapes,
                const Bounds& visible) {
    for (const Shape& shape : shapes) {
        if (shape.bounds().overlaps(visible)) {
            draw(frame, view, shape);
        }
    }
}

void finish(const FrameBuffer& frame, const CameraSpec& camera, double surfaceZ,
            const NoiseField& noise, std::uint64_t seed, std::uint64_t frameNumber) {
    softenEdges(frame);
    defocus(frame, defocusRadius(camera, surfaceZ));
    noise.apply(frame, noiseShift(seed, frameNumber));
}

void renderDown(const FrameJob& job, const FrameBuffer& frame) {
    const WorldModel& model = *job.model;
    const CameraView view = downCameraView(model.world, job.pose);
    const Bounds visible = view.visible(kCullMargin);
    fill(frame, palette::kTable);
    for (std::size_t i = 0; i < model.tableShapes.size(); ++i) {
        if (model.tableBounds[i].overlaps(visible)) {
            draw(frame, view, model.tableShapes[i]);
        }
    }
    drawCulled(frame, view, movableShapes(model, job.state, visible), visible);
    finish(frame, model.world.downCamera, job.pose.z, model.downNoise, model.world.seed,
           job.frameNumber);
}

// From below: the nozzle tip (or the bare head), and over it the part it holds.
void renderUp(const FrameJob& job, const FrameBuffer& frame) {
    const World& world = job.model->world;
    const CameraView view = upCameraView(world);
    const Vec2 axis = job.pose.head + world.nozzleOffset;
    const int mounted = job.state.mountedNozzle();
    const NozzleTip& tip = mounted != 0
                               ? world.nozzleChanger.tips[static_cast<std::size_t>(mounted - 1)]
                               : kBareHeadTip;
    std::vector<Shape> shapes = {
        Shape::disc(axis, tip.outer, mounted != 0 ? kNozzleTip : kBareHead),
        Shape::disc(axis, tip.inner, kNozzleBore)};
    double surfaceZ = job.pose.z;
    if (const auto& held = job.state.held()) {
        const PartKind& kind = world.partKinds[static_cast<std::size_t>(held->kind)];
        addPartShapes(shapes, kind, axis + held->offsetAt(job.pose.a), held->angleAt(job.pose.a),
                      true);
        surfaceZ += kind.height;
    }
    fill(frame, palette::kUpBackground);
    drawCulled(frame, view, shapes, view.visible(kCullMargin));
    finish(frame, world.upCamera, surfaceZ, job.model->upNoise, world.seed, job.frameNumber);
}

}  // namespace

bool cameraSize(const World& world, int camera, int& width, int& height) {
    if (camera != kDownCamera && camera != kUpCamera) {
        return false;
    }
    width = spec(world, camera).width;
    height = spec(world, camera).height;
    return true;
}

CameraView downCameraView(const World& world, const HeadPose& pose) {
    return viewOf(world.downCamera, pose.head, false);
}

CameraView upCameraView(const World& world) {
    return viewOf(world.upCamera, world.upCamera.position, true);
}

bool renderFrame(const FrameJob& job, std::uint32_t* pixels, int width, int height) {
    const World& world = job.model->world;
    int cameraWidth = 0;
    int cameraHeight = 0;
    if (pixels == nullptr || !cameraSize(world, job.camera, cameraWidth, cameraHeight) ||
        width != cameraWidth || height != cameraHeight) {
        return false;
    }
    const bool noFrame =
        job.camera == kUpCamera ? world.errors.upCameraNoFrame : world.errors.downCameraNoFrame;
    if (noFrame) {
        return false;
    }
    const FrameBuffer frame{pixels, width, height};
    if (job.camera == kUpCamera) {
        renderUp(job, frame);
    } else {
        renderDown(job, frame);
    }
    return true;
}

}  // namespace motrix_sim
