#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace motrix_sim {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000U;
constexpr std::uint32_t kRedBlue = 0x00FF00FFU;
constexpr std::uint32_t kGreen = 0x0000FF00U;

// An open interval of x along one pixel row.
struct Span {
    double low = 0;
    double high = 0;

    bool empty() const { return !(low < high); }
    Span operator&(const Span& other) const {
        return {std::max(low, other.low), std::min(high, other.high)};
    }
};

constexpr double kEverywhere = std::numeric_limits<double>::max();

// The x where |slope * x + offset| < limit.
Span slab(double slope, double offset, double limit) {
    if (limit <= 0) {
        return {0, 0};
    }
    if (std::abs(slope) < 1e-12) {
        return std::abs(offset) < limit ? Span{-kEverywhere, kEverywhere} : Span{0, 0};
    }
    const double a = (-limit - offset) / slope;
    const double b = (limit - offset) / slope;
    return {std::min(a, b), std::max(a, b)};
}

// A shape in pixel coordinates: its centre, half sizes along its axes eu and ev (unit vectors
// in pixel space), and how far it reaches from its centre.
struct PixelShape {
    Shape::Type type;
    double cx;
    double cy;
    double hu;
    double hv;
    double eux;
    double euy;
    double evx;
    double evy;
    double reach;
};

PixelShape toPixels(const CameraView& view, const Shape& shape) {
    const double radians = shape.angle * std::numbers::pi / 180;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double mirror = view.mirrored ? -1 : 1;
    const double hu = shape.half.x * view.pixelsPerMm;
    const double hv = shape.half.y * view.pixelsPerMm;
    // The shape's own axes on the table are (c, -s) and (s, c); pixel rows run downwards.
    return {shape.type,
            view.pixelX(shape.centre.x),
            view.pixelY(shape.centre.y),
            hu,
            hv,
            mirror * c,
            s,
            mirror * s,
            -c,
            (shape.type == Shape::Type::Box ? std::hypot(hu, hv) : hu) + 1};
}

// Per channel: dst + (src - dst) * alpha / 256.
std::uint32_t blend(std::uint32_t dst, std::uint32_t src, std::uint32_t alpha) {
    const std::uint32_t keep = 256 - alpha;
    const std::uint32_t redBlue =
        (((src & kRedBlue) * alpha + (dst & kRedBlue) * keep) >> 8) & kRedBlue;
    const std::uint32_t green = (((src & kGreen) * alpha + (dst & kGreen) * keep) >> 8) & kGreen;
    return kOpaque | redBlue | green;
}

// A shape's extent along one pixel row, and what its edge distance needs there.
struct RowGeometry {
    Span outer;  // pixels the shape touches
    Span inner;  // pixels it covers completely
    double bu = 0;
    double bv = 0;
    double dy = 0;
};

RowGeometry rowGeometry(const PixelShape& p, double y) {
    RowGeometry row;
    if (p.type == Shape::Type::Box) {
        row.bu = (y - p.cy) * p.euy - p.cx * p.eux;
        row.bv = (y - p.cy) * p.evy - p.cx * p.evx;
        row.outer = slab(p.eux, row.bu, p.hu + 0.5) & slab(p.evx, row.bv, p.hv + 0.5);
        row.inner = slab(p.eux, row.bu, p.hu - 0.5) & slab(p.evx, row.bv, p.hv - 0.5);
        return row;
    }
    row.dy = y - p.cy;
    const auto chord = [&](double radius) {
        const double squared = radius * radius - row.dy * row.dy;
        if (radius <= 0 || squared <= 0) {
            return Span{0, 0};
        }
        const double half = std::sqrt(squared);
        return Span{p.cx - half, p.cx + half};
    };
    row.outer = chord(p.hu + 0.5);
    row.inner = chord(p.hu - 0.5);
    return row;
}

// Signed distance from the shape's edge (negative inside) at pixel x of the row.
double edgeDistance(const PixelShape& p, const RowGeometry& row, double x) {
    if (p.type == Shape::Type::Box) {
        const double u = std::abs(p.eux * x + row.bu) - p.hu;
        const double v = std::abs(p.evx * x + row.bv) - p.hv;
        return std::max(u, v);
    }
    return std::hypot(x - p.cx, row.dy) - p.hu;
}

void blendEdge(std::uint32_t* pixels, int from, int to, const PixelShape& p, const RowGeometry& row,
               std::uint32_t colour) {
    for (int x = from; x <= to; ++x) {
        const double coverage = std::clamp(0.5 - edgeDistance(p, row, x), 0.0, 1.0);
        const auto alpha = static_cast<std::uint32_t>(std::lround(coverage * 256));
        if (alpha >= 256) {
            pixels[x] = colour;
        } else if (alpha > 0) {
            pixels[x] = blend(pixels[x], colour, alpha);
        }
    }
}

int ceilClamped(double value, int low, int high) {
    return static_cast<int>(std::clamp(std::ceil(value), double(low), double(high)));
}

int floorClamped(double value, int low, int high) {
    return static_cast<int>(std::clamp(std::floor(value), double(low), double(high)));
}

std::uint32_t mix121(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const std::uint32_t redBlue =
        (((a & kRedBlue) + 2 * (b & kRedBlue) + (c & kRedBlue)) >> 2) & kRedBlue;
    const std::uint32_t green = (((a & kGreen) + 2 * (b & kGreen) + (c & kGreen)) >> 2) & kGreen;
    return kOpaque | redBlue | green;
}

// Running channel sums of a box blur: red and blue in two 16-bit lanes, green alone.
struct BoxSums {
    std::uint32_t redBlue = 0;
    std::uint32_t green = 0;

    void add(std::uint32_t pixel) {
        redBlue += pixel & kRedBlue;
        green += (pixel >> 8) & 0xFF;
    }
    void remove(std::uint32_t pixel) {
        redBlue -= pixel & kRedBlue;
        green -= (pixel >> 8) & 0xFF;
    }
    // The mean, with `scale` = 2^24 / pixels in the box.
    std::uint32_t mean(std::uint64_t scale) const {
        const auto channel = [scale](std::uint32_t sum) {
            return static_cast<std::uint32_t>((sum * scale) >> 24);
        };
        return kOpaque | (channel(redBlue >> 16) << 16) | (channel(green) << 8) |
               channel(redBlue & 0xFFFF);
    }
};

std::uint64_t boxScale(int radius) {
    const auto count = static_cast<std::uint64_t>(2 * radius + 1);
    return ((1ULL << 24) + count - 1) / count;
}

// Blurs each row with a box of 2 radius + 1 pixels; the edge pixels repeat beyond the edges.
void boxBlurRows(const FrameBuffer& frame, int radius) {
    const std::uint64_t scale = boxScale(radius);
    std::vector<std::uint32_t> padded(static_cast<std::size_t>(frame.width + 2 * radius));
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = frame.row(y);
        std::fill(padded.begin(), padded.begin() + radius, row[0]);
        std::copy(row, row + frame.width, padded.begin() + radius);
        std::fill(padded.end() - radius, padded.end(), row[frame.width - 1]);
        BoxSums sums;
        for (int i = 0; i < 2 * radius; ++i) {
            sums.add(padded[static_cast<std::size_t>(i)]);
        }
        for (int x = 0; x < frame.width; ++x) {
            sums.add(padded[static_cast<std::size_t>(x + 2 * radius)]);
            row[x] = sums.mean(scale);
            sums.remove(padded[static_cast<std::size_t>(x)]);
        }
    }
}

// The same down the columns, a whole row at a time. A row's original pixels are still needed
// for `radius` rows after it is overwritten, so they wait in a ring of radius + 1 rows.
void boxBlurColumns(const FrameBuffer& frame, int radius) {
    const std::uint64_t scale = boxScale(radius);
    const int lastRow = frame.height - 1;
    const auto ringSize = static_cast<std::size_t>(radius + 1);
    std::vector<std::uint32_t> ring(ringSize * static_cast<std::size_t>(frame.width));
    const auto ringRow = [&](int y) {
        return ring.data() + static_cast<std::size_t>(y) % ringSize * frame.width;
    };
    std::vector<BoxSums> sums(static_cast<std::size_t>(frame.width));
    for (int y = -radius; y < radius; ++y) {
        const std::uint32_t* row = frame.row(std::clamp(y, 0, lastRow));
        for (int x = 0; x < frame.width; ++x) {
            sums[static_cast<std::size_t>(x)].add(row[x]);
        }
    }
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* out = frame.row(y);
        std::copy(out, out + frame.width, ringRow(y));
        const std::uint32_t* entering = frame.row(std::min(y + radius, lastRow));
        const std::uint32_t* leaving = ringRow(std::max(y - radius, 0));
        for (int x = 0; x < frame.width; ++x) {
            BoxSums& column = sums[static_cast<std::size_t>(x)];
            column.add(entering[x]);
            out[x] = column.mean(scale);
            column.remove(leaving[x]);
        }
    }
}

void addNoise(std::uint8_t* bytes, const std::int8_t* noise, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const int value = bytes[i] + noise[i];
        bytes[i] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
}

}  // namespace

Bounds Shape::bounds() const {
    if (type == Type::Disc) {
        return {centre - half, centre + half};
    }
    const double radians = angle * std::numbers::pi / 180;
    const double c = std::abs(std::cos(radians));
    const double s = std::abs(std::sin(radians));
    const Vec2 extent{c * half.x + s * half.y, s * half.x + c * half.y};
    return {centre - extent, centre + extent};
}

Bounds CameraView::visible(double margin) const {
    const Vec2 half{width / 2.0 / pixelsPerMm + margin, height / 2.0 / pixelsPerMm + margin};
    return {axis - half, axis + half};
}

void fill(const FrameBuffer& frame, std::uint32_t colour) {
    std::fill(frame.pixels, frame.pixels + static_cast<std::ptrdiff_t>(frame.width) * frame.height,
              colour);
}

void draw(const FrameBuffer& frame, const CameraView& view, const Shape& shape) {
    const PixelShape p = toPixels(view, shape);
    const int firstRow = ceilClamped(p.cy - p.reach, 0, frame.height);
    const int lastRow = floorClamped(p.cy + p.reach, -1, frame.height - 1);
    const int lastColumn = frame.width - 1;
    for (int y = firstRow; y <= lastRow; ++y) {
        const RowGeometry row = rowGeometry(p, y);
        if (row.outer.empty()) {
            continue;
        }
        const int from = ceilClamped(row.outer.low, 0, frame.width);
        const int to = floorClamped(row.outer.high, -1, lastColumn);
        if (from > to) {
            continue;
        }
        int solidFrom = to + 1;
        int solidTo = to;
        if (!row.inner.empty()) {
            solidFrom = std::max(from, ceilClamped(row.inner.low, 0, frame.width));
            solidTo = std::min(to, floorClamped(row.inner.high, -1, lastColumn));
            if (solidFrom > solidTo) {
                solidFrom = to + 1;
                solidTo = to;
            }
        }
        std::uint32_t* pixels = frame.row(y);
        blendEdge(pixels, from, solidFrom - 1, p, row, shape.colour);
        std::fill(pixels + solidFrom, pixels + solidTo + 1, shape.colour);
        blendEdge(pixels, solidTo + 1, to, p, row, shape.colour);
    }
}

void softenEdges(const FrameBuffer& frame) {
    const int width = frame.width;
    // Each row is read from a copy with its edge pixels repeated, so the loop has no carried
    // value and no bounds test, and vectorises.
    std::vector<std::uint32_t> padded(static_cast<std::size_t>(width) + 2);
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = frame.row(y);
        padded.front() = row[0];
        std::copy(row, row + width, padded.begin() + 1);
        padded.back() = row[width - 1];
        const std::uint32_t* source = padded.data();
        for (int x = 0; x < width; ++x) {
            row[x] = mix121(source[x], source[x + 1], source[x + 2]);
        }
    }
    std::vector<std::uint32_t> above(frame.row(0), frame.row(0) + width);
    std::vector<std::uint32_t> current(static_cast<std::size_t>(width));
    for (int y = 0; y < frame.height; ++y) {
        std::uint32_t* row = frame.row(y);
        const std::uint32_t* below = frame.row(std::min(y + 1, frame.height - 1));
        std::copy(row, row + width, current.begin());
        for (int x = 0; x < width; ++x) {
            row[x] = mix121(above[static_cast<std::size_t>(x)],
                            current[static_cast<std::size_t>(x)], below[x]);
        }
        above.swap(current);
    }
}

void defocus(const FrameBuffer& frame, int radius) {
    if (radius < 1) {
        return;
    }
    boxBlurRows(frame, radius);
    boxBlurColumns(frame, radius);
}

NoiseField::NoiseField(int width, int height, int amplitude, std::uint64_t seed)
    : width_(width), height_(height) {
    if (amplitude <= 0) {
        return;
    }
    values_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::uint64_t state = seed;
    const auto span = static_cast<std::uint64_t>(2 * amplitude + 1);
    for (std::size_t pixel = 0; pixel < values_.size(); pixel += 4) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const auto grey =
            static_cast<std::int8_t>(static_cast<int>((state >> 33) % span) - amplitude);
        values_[pixel] = grey;
        values_[pixel + 1] = grey;
        values_[pixel + 2] = grey;
    }
}

void NoiseField::apply(const FrameBuffer& frame, std::uint64_t shift) const {
    if (values_.empty() || frame.width != width_ || frame.height != height_) {
        return;
    }
    const int shiftX = static_cast<int>(shift % static_cast<std::uint64_t>(width_));
    const int shiftY = static_cast<int>((shift / static_cast<std::uint64_t>(width_)) %
                                        static_cast<std::uint64_t>(height_));
    for (int y = 0; y < height_; ++y) {
        auto* bytes = reinterpret_cast<std::uint8_t*>(frame.row(y));
        const std::int8_t* noiseRow =
            values_.data() + static_cast<std::size_t>((y + shiftY) % height_) * width_ * 4;
        const auto head = static_cast<std::size_t>(width_ - shiftX) * 4;
        addNoise(bytes, noiseRow + static_cast<std::size_t>(shiftX) * 4, head);
        addNoise(bytes + head, noiseRow, static_cast<std::size_t>(shiftX) * 4);
    }
}

}  // namespace motrix_sim
