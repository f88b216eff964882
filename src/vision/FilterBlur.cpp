#include "vision/FilterBlur.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

int kernelHalfWidth(int radius) {
    return std::max(radius * 13 / 256, 1);
}

// A binomial filter of order L - 1 as L - 1 cascaded two-tap sums: after feeding a value, the
// result is the binomially weighted sum of the last L values fed.
class BinomialCascade {
public:
    explicit BinomialCascade(int stages) : stages_(stages) {}
    void clear() { stage_.fill(0); }
    std::uint32_t feed(std::uint32_t value) {
        for (int s = 0; s < stages_; ++s) {
            const std::uint32_t previous = stage_[s];
            stage_[s] = value;
            value += previous;
        }
        return value;
    }

private:
    int stages_;
    std::array<std::uint32_t, 24> stage_{};
};

// Runs the cascade along one line of `count` values read by `at`, with the line's end repeated;
// what lies before the start is given by `before`: -half to repeat the first value, 0 to count
// it as black. `store`(index, value) receives every smoothed value.
template <typename At, typename Store>
void smoothLine(BinomialCascade& cascade, int half, int stages, int count, int before, At at,
                Store store) {
    cascade.clear();
    for (int i = before; i < count + half; ++i) {
        const std::uint32_t sum = cascade.feed(at(std::clamp(i, 0, count - 1)));
        if (i >= half) {
            store(i - half, sum >> stages);
        }
    }
}

void boxBlur(const TBitmap32& in, TBitmap32& out, int reachX, int reachY) {
    reshapeImage(out, in.Width, in.Height);
    for (int y = 0; y < in.Height; ++y) {
        for (int x = 0; x < in.Width; ++x) {
            std::array<int, 3> sums{};
            const int count = (2 * reachX + 1) * (2 * reachY + 1);
            for (int dy = -reachY; dy <= reachY; ++dy) {
                for (int dx = -reachX; dx <= reachX; ++dx) {
                    const TColor32 p = in.pixel(std::clamp(x + dx, 0, in.Width - 1),
                                                std::clamp(y + dy, 0, in.Height - 1));
                    sums[0] += static_cast<int>((p >> 16) & 0xFF);
                    sums[1] += static_cast<int>((p >> 8) & 0xFF);
                    sums[2] += static_cast<int>(p & 0xFF);
                }
            }
            out.pixel(x, y) = makeColor32(sums[0] / count, sums[1] / count, sums[2] / count, 255);
        }
    }
}

}  // namespace

void binomialBlur(const TBitmap32& in, TBitmap32& out, int radius) {
    const int k = radius * 13 / 256;
    const int length = k >= 1 ? 2 * k + 1 : 3;
    const int half = length / 2;
    const int stages = length - 1;
    BinomialCascade cascade(stages);
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(in.Width) * in.Height);
    for (int y = 0; y < in.Height; ++y) {
        std::uint32_t* row = &rows[static_cast<std::size_t>(y) * in.Width];
        smoothLine(
            cascade, half, stages, in.Width, 0,
            [&](int x) { return static_cast<std::uint32_t>(colorToGrey(in.pixel(x, y))); },
            [&](int x, std::uint32_t value) { row[x] = value; });
    }
    reshapeImage(out, in.Width, in.Height);
    for (int x = 0; x < in.Width; ++x) {
        smoothLine(
            cascade, half, stages, in.Height, -half,
            [&](int y) { return rows[static_cast<std::size_t>(y) * in.Width + x]; },
            [&](int y, std::uint32_t value) {
                out.pixel(x, y) = greyToColor(static_cast<int>(value), 255);
            });
    }
}

TFilterBlur::TFilterBlur()
    : inImage_(addParameterImage("INIMAGE", "input image to blur")),
      outImage_(addParameterImage("OUTIMAGE", "blur result image")),
      radius_(addParameterInteger("RADIUS", "radius", 128, 255, 0)),
      mode_(addParameterInteger("MODE", "blur type", 0, 2, 0)) {}

void TFilterBlur::Run() {
    if (!inImage_.Value || !outImage_.Value) {
        return;
    }
    TBitmap32& out = *outImage_.Value;
    // Blurring an image onto itself would read pixels already overwritten.
    const ImagePtr ownCopy = inImage_.Value == &out ? cloneImage(&out) : nullptr;
    const TBitmap32& in = ownCopy ? *ownCopy : *inImage_.Value;
    const auto radius = static_cast<int>(radius_.Value);
    switch (mode_.Value) {
        case 0:
            boxBlur(in, out, kernelHalfWidth(radius), kernelHalfWidth(radius));
            break;
        case 1:
            boxBlur(in, out, kernelHalfWidth(radius), 0);
            break;
        default:
            binomialBlur(in, out, radius);
            break;
    }
}
