#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "SimWorld.h"
#include "WorldJson.h"

namespace world_test {

// One rendered camera frame.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

inline int grey(std::uint32_t pixel) {
    return static_cast<int>((((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF)) / 3);
}

inline Frame render(motrix_sim::SimWorld& world, int camera, const motrix_sim::HeadPose& pose) {
    Frame frame;
    motrix_sim::cameraSize(world.world(), camera, frame.width, frame.height);
    frame.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height);
    motrix_sim::renderFrame(world.frameJob(camera, pose), frame.pixels.data(), frame.width,
                            frame.height);
    return frame;
}

// The weighted centre of a frame's pixels, in pixel coordinates; `weight` gives each pixel's
// share (0 for none). With a `reach`, only the pixels that far from the frame's centre count.
struct Centroid {
    double x = 0;
    double y = 0;
    double mass = 0;
};

inline Centroid centroid(const Frame& frame, const std::function<double(std::uint32_t)>& weight,
                         int reach = 100000) {
    Centroid sum;
    const int cx = frame.width / 2;
    const int cy = frame.height / 2;
    for (int y = std::max(0, cy - reach); y < std::min(frame.height, cy + reach + 1); ++y) {
        for (int x = std::max(0, cx - reach); x < std::min(frame.width, cx + reach + 1); ++x) {
            const double w = weight(frame.at(x, y));
            sum.x += w * x;
            sum.y += w * y;
            sum.mass += w;
        }
    }
    if (sum.mass > 0) {
        sum.x /= sum.mass;
        sum.y /= sum.mass;
    }
    return sum;
}

// Weights that pick out what is darker (or brighter) than `threshold` grey levels.
inline std::function<double(std::uint32_t)> darkerThan(int threshold) {
    return [threshold](std::uint32_t pixel) { return std::max(0, threshold - grey(pixel)) * 1.0; };
}
inline std::function<double(std::uint32_t)> brighterThan(int threshold) {
    return [threshold](std::uint32_t pixel) { return std::max(0, grey(pixel) - threshold) * 1.0; };
}

inline double mmPerPixel(const motrix_sim::CameraSpec& camera) {
    return camera.viewWidth / camera.width;
}

}  // namespace world_test
