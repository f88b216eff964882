#pragma once

#include <cstdint>
#include <vector>

#include "WorldGeometry.h"

namespace motrix_sim {

// A frame being drawn: width x height pixels 0xAARRGGBB, rows top to bottom.
struct FrameBuffer {
    std::uint32_t* pixels;
    int width;
    int height;

    std::uint32_t* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * width; }
};

// An axis-aligned rectangle of the table, for culling.
struct Bounds {
    Vec2 low;
    Vec2 high;

    bool overlaps(const Bounds& other) const {
        return low.x <= other.high.x && other.low.x <= high.x && low.y <= other.high.y &&
               other.low.y <= high.y;
    }
};

// A filled shape on the table or under the nozzle, in machine mm: a box (turned by `angle`
// degrees in the A sense) or a disc (radius in half.x).
struct Shape {
    enum class Type : std::uint8_t { Box, Disc };

    Type type = Type::Box;
    Vec2 centre;
    Vec2 half;
    double angle = 0;
    std::uint32_t colour = 0xFF000000;

    static Shape box(Vec2 centre, Vec2 size, double angle, std::uint32_t colour) {
        return {Type::Box, centre, size * 0.5, angle, colour};
    }
    static Shape disc(Vec2 centre, double diameter, std::uint32_t colour) {
        return {Type::Disc, centre, {diameter / 2, diameter / 2}, 0, colour};
    }
    Bounds bounds() const;
};

// How a camera maps the table to its pixels: the optical axis at pixel (width div 2,
// height div 2), square pixels, +Y up; +X right, or left for a mirrored (up-looking) camera.
struct CameraView {
    Vec2 axis;  // machine XY of the optical axis
    double pixelsPerMm = 20;
    bool mirrored = false;
    int width = 800;
    int height = 600;

    double pixelX(double x) const {
        return width / 2 + (mirrored ? axis.x - x : x - axis.x) * pixelsPerMm;
    }
    double pixelY(double y) const { return height / 2 - (y - axis.y) * pixelsPerMm; }
    // The part of the table in view, widened by `margin` mm.
    Bounds visible(double margin) const;
};

void fill(const FrameBuffer& frame, std::uint32_t colour);
// Draws `shape` with anti-aliased edges over what the frame holds.
void draw(const FrameBuffer& frame, const CameraView& view, const Shape& shape);
// The slight softening of every lens: a 1-2-1 blur across and down.
void softenEdges(const FrameBuffer& frame);
// An out-of-focus blur: a box of 2 radius + 1 pixels across and down.
void defocus(const FrameBuffer& frame, int radius);

// A field of sensor noise, one signed byte per colour channel (none on alpha), for frames of
// one size; each frame reads it at another offset.
class NoiseField {
public:
    NoiseField(int width, int height, int amplitude, std::uint64_t seed);
    // Adds the noise read from the field shifted by `shift` pixels, saturating each channel.
    void apply(const FrameBuffer& frame, std::uint64_t shift) const;

private:
    int width_;
    int height_;
    std::vector<std::int8_t> values_;  // width x height x 4
};

}  // namespace motrix_sim
