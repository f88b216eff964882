#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestImages.h"
#include "vision/FilterBlur.h"
#include "vision/FilterResize.h"

namespace {

// The binomial blur written as a plain weighted sum: weights C(L-1, j), black left of the first
// column, the last column repeated, the first and last rows repeated.
std::vector<int> expectedBlur(const TBitmap32& in, int radius) {
    const int k = radius * 13 / 256;
    const int length = k >= 1 ? 2 * k + 1 : 3;
    const int half = length / 2;
    std::vector<std::int64_t> weights(length, 1);
    for (int j = 1; j < length; ++j) {
        weights[j] = weights[j - 1] * (length - j) / j;
    }
    auto grey = [&](int x, int y) {
        return x < 0 ? 0 : colorToGrey(in.pixel(std::min(x, in.Width - 1), y));
    };
    std::vector<int> rows(static_cast<std::size_t>(in.Width) * in.Height);
    for (int y = 0; y < in.Height; ++y) {
        for (int x = 0; x < in.Width; ++x) {
            std::int64_t sum = 0;
            for (int j = 0; j < length; ++j) {
                sum += weights[j] * grey(x + half - j, y);
            }
            rows[static_cast<std::size_t>(y) * in.Width + x] =
                static_cast<int>(sum >> (length - 1));
        }
    }
    std::vector<int> out(rows.size());
    for (int y = 0; y < in.Height; ++y) {
        for (int x = 0; x < in.Width; ++x) {
            std::int64_t sum = 0;
            for (int j = 0; j < length; ++j) {
                const int row = std::clamp(y + half - j, 0, in.Height - 1);
                sum += weights[j] * rows[static_cast<std::size_t>(row) * in.Width + x];
            }
            out[static_cast<std::size_t>(y) * in.Width + x] = static_cast<int>(sum >> (length - 1));
        }
    }
    return out;
}

ImagePtr blurred(TBitmap32& in, int radius, int mode = 2) {
    ImagePtr out = updateOrCreateImageLike(&in);
    TFilterBlur blur;
    blur.setParameterImage("INIMAGE", &in);
    blur.setParameterImage("OUTIMAGE", out.get());
    blur.setParameterInteger("RADIUS", radius);
    blur.setParameterInteger("MODE", mode);
    blur.Run();
    return out;
}

ImagePtr resized(TBitmap32& in, int width, int height, int mode) {
    ImagePtr out = createImage(width, height);
    TFilterResize resize;
    resize.setParameterImage("INIMAGE", &in);
    resize.setParameterImage("OUTIMAGE", out.get());
    resize.setParameterInteger("MODE", mode);
    resize.Run();
    return out;
}

std::vector<TColor32> opaqueGrey(const std::vector<int>& grey) {
    std::vector<TColor32> pixels;
    for (int g : grey) {
        pixels.push_back(greyToColor(g, 255));
    }
    return pixels;
}

TEST(FilterBlurTest, BinomialBlurIsTheWeightedSumWithItsEdgeRules) {
    ImagePtr image = test_images::noise(37, 23, 21);
    ImagePtr narrow = test_images::noise(5, 4, 22);
    for (int radius : {0, 19, 20, 40, 128, 255}) {
        EXPECT_EQ(blurred(*image, radius)->Bits, opaqueGrey(expectedBlur(*image, radius)))
            << "radius " << radius;
        EXPECT_EQ(blurred(*narrow, radius)->Bits, opaqueGrey(expectedBlur(*narrow, radius)))
            << "narrow, radius " << radius;
    }
}

TEST(FilterBlurTest, UniformGreyDarkensOnlyNearTheLeftEdge) {
    ImagePtr flat = test_images::uniform(30, 12, 0xFF646464);  // grey 100
    for (int radius : {0, 128}) {
        const int half = std::max(radius * 13 / 256, 1);
        const ImagePtr out = blurred(*flat, radius);
        for (int y = 0; y < out->Height; ++y) {
            for (int x = 0; x < out->Width; ++x) {
                const int grey = colorToGrey(out->pixel(x, y));
                if (x < half) {
                    EXPECT_LT(grey, 100) << x;
                } else {
                    EXPECT_EQ(grey, 100) << x;
                }
            }
        }
    }
    EXPECT_EQ(colorToGrey(blurred(*flat, 0)->pixel(0, 0)), 75);  // (0 + 2 * 100 + 100) / 4
}

TEST(FilterBlurTest, BoxModesKeepColourAndSpreadOverTheirBox) {
    ImagePtr spot = test_images::uniform(21, 21, 0xFF000000);
    spot->pixel(10, 10) = makeColor32(250, 0, 0, 255);
    const ImagePtr square = blurred(*spot, 40, 0);  // k = 2: a 5 x 5 box
    const ImagePtr row = blurred(*spot, 40, 1);     // 5 x 1
    EXPECT_EQ(square->pixel(12, 8), makeColor32(10, 0, 0, 255));
    EXPECT_EQ(square->pixel(13, 10), makeColor32(0, 0, 0, 255));
    EXPECT_EQ(row->pixel(8, 10), makeColor32(50, 0, 0, 255));
    EXPECT_EQ(row->pixel(10, 11), makeColor32(0, 0, 0, 255));
    ImagePtr inPlace = cloneImage(spot.get());
    TFilterBlur blur;
    blur.setParameterImage("INIMAGE", inPlace.get());
    blur.setParameterImage("OUTIMAGE", inPlace.get());
    blur.setParameterInteger("RADIUS", 40);
    blur.Run();
    EXPECT_EQ(inPlace->Bits, square->Bits);
}

TEST(FilterResizeTest, EqualSizesCopyExactly) {
    ImagePtr image = test_images::noise(33, 17, 23);
    image->pixel(3, 3) = 0x12345678;
    for (int mode : {0, 1}) {
        EXPECT_EQ(resized(*image, 33, 17, mode)->Bits, image->Bits);
    }
}

TEST(FilterResizeTest, ShrinkingBlursFirstThenSamples) {
    ImagePtr image = test_images::noise(200, 200, 24);
    const std::vector<int> smooth = expectedBlur(*image, 20);  // kernel length 3
    const ImagePtr half = resized(*image, 100, 100, 1);
    const ImagePtr plain = resized(*image, 100, 100, 0);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            ASSERT_EQ(half->pixel(x, y), greyToColor(smooth[2 * y * 200 + 2 * x], 255));
            ASSERT_EQ(plain->pixel(x, y), image->pixel(2 * x, 2 * y));
        }
    }
    // 221 -> 73 is the angle search's shrink by 3: radius Round(2.03 * 20) = 41.
    ImagePtr window = test_images::noise(221, 221, 25);
    const std::vector<int> smooth41 = expectedBlur(*window, 41);
    const ImagePtr third = resized(*window, 73, 73, 1);
    const double step = 221.0 / 73;
    for (int y = 0; y < 73; ++y) {
        for (int x = 0; x < 73; ++x) {
            const int sx = std::min(static_cast<int>(x * step + 0.5), 220);
            const int sy = std::min(static_cast<int>(y * step + 0.5), 220);
            ASSERT_EQ(third->pixel(x, y), greyToColor(smooth41[sy * 221 + sx], 255));
        }
    }
}

TEST(FilterResizeTest, EnlargingSamplesThenBlurs) {
    ImagePtr image = test_images::noise(50, 40, 26);
    ImagePtr sampled = resized(*image, 100, 80, 0);
    EXPECT_EQ(sampled->pixel(7, 9), image->pixel(4, 5));  // Trunc(3.5 + 0.5), Trunc(4.5 + 0.5)
    const ImagePtr smooth = resized(*image, 100, 80, 1);  // radius Round(1 * 60) = 60
    EXPECT_EQ(smooth->Bits, opaqueGrey(expectedBlur(*sampled, 60)));
}

}  // namespace
