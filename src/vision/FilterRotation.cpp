#include "vision/FilterRotation.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr TColor32 kRedBlue = 0x00FF00FF;
constexpr TColor32 kGreen = 0x0000FF00;

// Where the auto-sized output's corners land: the growth over the input size.
struct Growth {
    int width;
    int height;
};

Growth cornerGrowth(int width, int height, float centerX, float centerY, double theta) {
    const auto thetaSingle = static_cast<float>(theta);
    const double cosine = std::cos(thetaSingle);
    const double sine = std::sin(thetaSingle);
    const std::array<std::array<int, 2>, 4> corners{
        {{0, 0}, {width - 1, 0}, {width - 1, height - 1}, {0, height - 1}}};
    float minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (const auto& [x, y] : corners) {
        const auto turnedX =
            static_cast<float>(centerX + cosine * (x - centerX) - sine * (y - centerY));
        const auto turnedY =
            static_cast<float>(centerY + sine * (x - centerX) + cosine * (y - centerY));
        minX = std::min(minX, std::floor(turnedX));
        maxX = std::max(maxX, std::floor(turnedX));
        minY = std::min(minY, std::floor(turnedY));
        maxY = std::max(maxY, std::floor(turnedY));
    }
    return {static_cast<int>(maxX - minX) - width, static_cast<int>(maxY - minY) - height};
}

TColor32 blend(TColor32 a, TColor32 b, int weightB) {
    const auto weightA = static_cast<TColor32>(128 - weightB);
    const auto weight = static_cast<TColor32>(weightB);
    const TColor32 redBlue = ((weightA * (a & kRedBlue) + weight * (b & kRedBlue)) >> 7) & kRedBlue;
    const TColor32 green = ((weightA * (a & kGreen) + weight * (b & kGreen)) >> 7) & kGreen;
    return redBlue | green;
}

TColor32 blendChannel(TColor32 a, TColor32 b, int weightB) {
    return ((static_cast<TColor32>(128 - weightB) * a + static_cast<TColor32>(weightB) * b) >> 7);
}

TColor32 halfSum(TColor32 a, TColor32 b) {
    return ((a >> 1) & 0x7F7F7F) + ((b >> 1) & 0x7F7F7F);
}

TColor32 threeStep(TColor32 a, TColor32 b, float fraction) {
    if (fraction < 0.34f) {
        return a;
    }
    if (fraction > 0.66f) {
        return b;
    }
    return halfSum(a, b);
}

// Folds a coordinate that left the image back inside it.
float mirror(float v, int size) {
    v = std::fabs(v);
    if (v >= static_cast<float>(size - 1)) {
        v = v - static_cast<float>(size) + 1;
        if (v >= static_cast<float>(size)) {
            v = static_cast<float>(size - 1);
        }
    }
    return v;
}

int wrap(int v, int size) {
    return ((v % size) + size) % size;
}

TColor32 nearest(const TBitmap32& in, float x, float y) {
    return in.pixel(wrap(static_cast<int>(x + 0.5f), in.Width),
                    wrap(static_cast<int>(y + 0.5f), in.Height));
}

// The pixel at source point (x, y), which lies inside the image or on its last row or column.
// Both are non-negative, so cutting toward zero rounds down.
TColor32 interpolate(const TBitmap32& in, int interpolation, bool greyInput, float x, float y) {
    const auto x0 = static_cast<int>(x);
    const auto y0 = static_cast<int>(y);
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    // Clamped both ways so that one-pixel-wide or -high images stay inside.
    const int column = std::clamp(x0, 0, std::max(in.Width - 2, 0));
    const int row = std::clamp(y0, 0, std::max(in.Height - 2, 0));
    const int nextColumn = std::min(column + 1, in.Width - 1);
    const int nextRow = std::min(row + 1, in.Height - 1);
    const TColor32 topLeft = in.pixel(column, row);
    const TColor32 topRight = in.pixel(nextColumn, row);
    const TColor32 bottomLeft = in.pixel(column, nextRow);
    const TColor32 bottomRight = in.pixel(nextColumn, nextRow);
    if (interpolation == 1) {
        return threeStep(threeStep(topLeft, topRight, fx), threeStep(bottomLeft, bottomRight, fx),
                         fy);
    }
    const auto wx = static_cast<int>(fx * 128.0f);
    const auto wy = static_cast<int>(fy * 128.0f);
    if (greyInput) {
        // Equal channels blend alike: one channel's arithmetic gives all three.
        const TColor32 top = blendChannel(topLeft & 0xFF, topRight & 0xFF, wx);
        const TColor32 bottom = blendChannel(bottomLeft & 0xFF, bottomRight & 0xFF, wx);
        return blendChannel(top, bottom, wy) * 0x010101u;
    }
    return blend(blend(topLeft, topRight, wx), blend(bottomLeft, bottomRight, wx), wy);
}

TColor32 sourcePixel(const TBitmap32& in, const RotationPlan& plan, bool greyInput, float x,
                     float y) {
    if (plan.interpolation == 0) {
        return nearest(in, x, y);
    }
    const bool missing = x < 0 || y < 0 || x >= static_cast<float>(in.Width - 1) ||
                         y >= static_cast<float>(in.Height - 1);
    if (missing) {
        switch (plan.missing) {
            case MissingPixels::White:
                return 0xFFFFFFFF;
            case MissingPixels::Black:
                return 0xFF000000;
            case MissingPixels::Mirror:
                x = mirror(x, in.Width);
                y = mirror(y, in.Height);
                break;
        }
    }
    return interpolate(in, plan.interpolation, greyInput, x, y);
}

// One row of output pixels (i, row), i from `first` below `end`, from their source points.
struct RowSpan {
    const float* columnX;
    const float* columnY;
    float rowX;
    float rowY;
    int first;
    int end;
    TColor32* out;
};

constexpr int kLanes = 8;

// ((128 - weight) * a + weight * b) >> 7 in each lane, as `blendChannel` works it out.
__attribute__((target("avx2"))) __m256i blendLanes(__m256i a, __m256i b, __m256i weight) {
    const __m256i keep = _mm256_sub_epi32(_mm256_set1_epi32(128), weight);
    return _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(keep, a), _mm256_mullo_epi32(weight, b)), 7);
}

// The grey value (the low byte) of the pixels at `index` from `pixels`.
__attribute__((target("avx2"))) __m256i greyLanes(const int* pixels, __m256i index) {
    return _mm256_and_si256(_mm256_i32gather_epi32(pixels, index, 4), _mm256_set1_epi32(0xFF));
}

// The bilinear weight of the fraction of each lane's coordinate: Floor(fraction x 128).
__attribute__((target("avx2"))) __m256i weightLanes(__m256 coordinate, __m256i whole) {
    return _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_sub_ps(coordinate, _mm256_cvtepi32_ps(whole)),
                                             _mm256_set1_ps(128.0f)));
}

// True when all eight source points lie inside the image, where nothing is folded or filled.
__attribute__((target("avx2"))) bool allInside(__m256 x, __m256 y, int width, int height) {
    const __m256 zero = _mm256_setzero_ps();
    const __m256 lastX = _mm256_set1_ps(static_cast<float>(width - 1));
    const __m256 lastY = _mm256_set1_ps(static_cast<float>(height - 1));
    const __m256 inside = _mm256_and_ps(
        _mm256_and_ps(_mm256_cmp_ps(x, zero, _CMP_GE_OQ), _mm256_cmp_ps(y, zero, _CMP_GE_OQ)),
        _mm256_and_ps(_mm256_cmp_ps(x, lastX, _CMP_LT_OQ), _mm256_cmp_ps(y, lastY, _CMP_LT_OQ)));
    return _mm256_movemask_ps(inside) == 0xFF;
}

// The bilinear rotation of a grey image, eight output pixels at a time while all eight source
// points lie inside the image (the usual case): the arithmetic of `interpolate`, lane by lane,
// so the pixels come out the same to the bit. Gives the first pixel it left to the caller.
__attribute__((target("avx2"))) int greyInteriorRow(const TBitmap32& in, const RotationPlan& plan,
                                                    const RowSpan& span) {
    const __m256 rowX = _mm256_set1_ps(span.rowX);
    const __m256 rowY = _mm256_set1_ps(span.rowY);
    const __m256 centreX = _mm256_set1_ps(plan.centerX);
    const __m256 centreY = _mm256_set1_ps(plan.centerY);
    const auto* pixels = reinterpret_cast<const int*>(in.Bits.data());
    int i = span.first;
    for (; i + kLanes <= span.end; i += kLanes) {
        const __m256 x =
            _mm256_add_ps(_mm256_add_ps(_mm256_loadu_ps(span.columnX + i), rowX), centreX);
        const __m256 y =
            _mm256_add_ps(_mm256_sub_ps(rowY, _mm256_loadu_ps(span.columnY + i)), centreY);
        if (!allInside(x, y, in.Width, in.Height)) {
            break;
        }
        const __m256i x0 = _mm256_cvttps_epi32(x);
        const __m256i y0 = _mm256_cvttps_epi32(y);
        const __m256i wx = weightLanes(x, x0);
        const __m256i index =
            _mm256_add_epi32(_mm256_mullo_epi32(y0, _mm256_set1_epi32(in.Width)), x0);
        const __m256i top = blendLanes(greyLanes(pixels, index), greyLanes(pixels + 1, index), wx);
        const __m256i bottom = blendLanes(greyLanes(pixels + in.Width, index),
                                          greyLanes(pixels + in.Width + 1, index), wx);
        const __m256i value = _mm256_mullo_epi32(blendLanes(top, bottom, weightLanes(y, y0)),
                                                 _mm256_set1_epi32(0x010101));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(span.out + i), value);
    }
    return i;
}

void scalarRow(const TBitmap32& in, const RotationPlan& plan, bool greyInput, const RowSpan& span) {
    for (int i = span.first; i < span.end; ++i) {
        const float x = span.columnX[i] + span.rowX + plan.centerX;
        const float y = span.rowY - span.columnY[i] + plan.centerY;
        span.out[i] = sourcePixel(in, plan, greyInput, x, y);
    }
}

// A grey bilinear row: eight at a time inside the image, one at a time near its edges.
void greyRow(const TBitmap32& in, const RotationPlan& plan, RowSpan span) {
    while (span.first < span.end) {
        span.first = greyInteriorRow(in, plan, span);
        const int edge = std::min(span.first + kLanes, span.end);
        scalarRow(in, plan, true,
                  {span.columnX, span.columnY, span.rowX, span.rowY, span.first, edge, span.out});
        span.first = edge;
    }
}

}  // namespace

bool isGreyImage(const TBitmap32& image) {
    return std::all_of(image.Bits.begin(), image.Bits.end(), [](TColor32 p) {
        return ((p >> 16) & 0xFF) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF);
    });
}

TFilterRotation::TFilterRotation()
    : inImage_(addParameterImage("INIMAGE", "input image to invert")),
      angle_(addParameterSingle("ANGLE", "angle in degree", 90.0f, 10000.0f, -10000.0f)),
      interpolation_(addParameterInteger("INTERPOLATION", "Interpolation mode", 2, 2, 0)),
      missingPixelMode_(addParameterString(
          "MISSINGPIXELCOLORMODE",
          "how the filter must set the missing pixel due to the rotation [MIRROR/WHITE/BLACK]",
          "MIRROR")),
      autoAdjustSize_(addParameterBoolean(
          "AUTOADJUSTSIZE", "auto adjust imageOut size to show all imageIn pixel", true)),
      outParameter_(addOutputParameterImage("OUTIMAGE", "outImage")) {}

RotationPlan TFilterRotation::plan(int width, int height) const {
    RotationPlan plan;
    plan.inWidth = width;
    plan.inHeight = height;
    plan.centerX = static_cast<float>(width) / 2;
    plan.centerY = static_cast<float>(height) / 2;
    const double theta = static_cast<double>(angle_.Value) * std::numbers::pi / 180;
    Growth growth{0, 0};
    if (autoAdjustSize_.Value) {
        plan.centerX = static_cast<float>(width / 2);
        plan.centerY = static_cast<float>(height / 2);
        growth = cornerGrowth(width, height, plan.centerX, plan.centerY, theta);
    }
    plan.outWidth = std::max(width + growth.width, 1);
    plan.outHeight = std::max(height + growth.height, 1);
    plan.shiftX = growth.width / 2;
    plan.shiftY = growth.height / 2;
    plan.cosine = static_cast<float>(std::cos(theta));
    plan.sine = static_cast<float>(std::sin(theta));
    plan.interpolation = static_cast<int>(interpolation_.Value);
    const std::string& mode = missingPixelMode_.Value;
    plan.missing = mode == "WHITE"   ? MissingPixels::White
                   : mode == "BLACK" ? MissingPixels::Black
                                     : MissingPixels::Mirror;
    return plan;
}

void TFilterRotation::Run() {
    outImage_.reset();
    outParameter_.Value = nullptr;
    if (!inImage_.Value) {
        return;
    }
    const TBitmap32& in = *inImage_.Value;
    const RotationPlan rotation = plan(in.Width, in.Height);
    outImage_ = createImage(rotation.outWidth, rotation.outHeight);
    renderRotation(in, rotation, 0, 0, *outImage_);
    outParameter_.Value = outImage_.get();
}

// Source x = u cos + v sin + centre x, source y = v cos - u sin + centre y, in 32-bit floats,
// with the column terms and the row terms worked out once.
void renderRotation(const TBitmap32& in, const RotationPlan& plan, int left, int top,
                    TBitmap32& out) {
    renderRotation(in, plan, left, top, out, isGreyImage(in));
}

void renderRotation(const TBitmap32& in, const RotationPlan& plan, int left, int top,
                    TBitmap32& out, bool greyInput) {
    greyInput = greyInput && plan.interpolation == 2;
    std::vector<float> columnX(out.Width), columnY(out.Width);
    for (int i = 0; i < out.Width; ++i) {
        const float u = static_cast<float>(left + i) - plan.centerX - plan.shiftX;
        columnX[i] = u * plan.cosine;
        columnY[i] = u * plan.sine;
    }
    static const bool avx2 = __builtin_cpu_supports("avx2");
    for (int row = 0; row < out.Height; ++row) {
        const float v = static_cast<float>(top + row) - plan.centerY - plan.shiftY;
        const RowSpan span{columnX.data(), columnY.data(),    v * plan.sine, v * plan.cosine, 0,
                           out.Width,      &out.pixel(0, row)};
        if (greyInput && avx2) {
            greyRow(in, plan, span);
        } else {
            scalarRow(in, plan, greyInput, span);
        }
    }
}
