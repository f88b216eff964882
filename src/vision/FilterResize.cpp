#include "vision/FilterResize.h"

#include <algorithm>
#include <cmath>

namespace {

// Output pixel (x, y) takes source pixel (x * bx + 0.5, y * by + 0.5), cut toward zero and
// clamped to the last column and row.
void sample(const TBitmap32& source, TBitmap32& out, double bx, double by) {
    for (int y = 0; y < out.Height; ++y) {
        const int sy = std::min(static_cast<int>(y * by + 0.5), source.Height - 1);
        for (int x = 0; x < out.Width; ++x) {
            const int sx = std::min(static_cast<int>(x * bx + 0.5), source.Width - 1);
            out.pixel(x, y) = source.pixel(sx, sy);
        }
    }
}

}  // namespace

TFilterResize::TFilterResize()
    : inImage_(addParameterImage("INIMAGE", "input image to Resize")),
      outImage_(addParameterImage("OUTIMAGE", "result image of Resize")),
      mode_(addParameterInteger("MODE", "Aproximation method", 0, 1, 0)) {}

// Blurs with a radius that grows with the resampling ratio (`growth` = ratio - 1 scaled).
void TFilterResize::blur(TBitmap32& in, TBitmap32& out, double growth) {
    blur_.setParameterImage("INIMAGE", &in);
    blur_.setParameterImage("OUTIMAGE", &out);
    blur_.setParameterInteger("MODE", 2);
    blur_.setParameterInteger("RADIUS", std::min<long>(std::lround(std::nearbyint(growth)), 255));
    blur_.Run();
}

void TFilterResize::Run() {
    if (!inImage_.Value || !outImage_.Value) {
        return;
    }
    TBitmap32& in = *inImage_.Value;
    TBitmap32& out = *outImage_.Value;
    const double bx = static_cast<double>(in.Width) / out.Width;
    const double by = static_cast<double>(in.Height) / out.Height;
    const double ratio = (bx + by) / 2;
    const bool smooth = mode_.Value == 1;
    if (smooth && ratio > 1) {
        ImagePtr blurred = updateOrCreateImageLike(&in);
        blur(in, *blurred, (ratio - 1) * 20);
        sample(*blurred, out, bx, by);
    } else if (smooth && ratio < 1) {
        ImagePtr sampled = updateOrCreateImageLike(&out);
        sample(in, *sampled, bx, by);
        blur(*sampled, out, (1 / ratio - 1) * 60);
    } else {
        sample(in, out, bx, by);
    }
}
