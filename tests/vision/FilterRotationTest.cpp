#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "TestImages.h"
#include "vision/FilterRotation.h"

namespace {

struct Options {
    float angle = 90.0f;
    const char* missing = nullptr;
    int interpolation = 2;
    bool autoSize = true;
};

ImagePtr rotate(TBitmap32& image, const Options& options) {
    TFilterRotation rotation;
    rotation.setParameterImage("INIMAGE", &image);
    rotation.setParameterSingle("ANGLE", options.angle);
    rotation.setParameterInteger("INTERPOLATION", options.interpolation);
    rotation.setParameterBoolean("AUTOADJUSTSIZE", options.autoSize);
    if (options.missing) {
        rotation.setParameterString("MISSINGPIXELCOLORMODE", options.missing);
    }
    rotation.Run();
    return cloneImage(rotation.getOutputParameterImage("OUTIMAGE").Value);
}

// The rotation worked out here from its description alone (automatic size, bilinear, mirror):
// the output size from the turned corners, each output pixel from its source point.
class DescribedRotation {
public:
    DescribedRotation(const TBitmap32& in, float angle) : in_(in) {
        const double theta = static_cast<double>(angle) * std::numbers::pi / 180;
        centerX_ = static_cast<float>(in.Width / 2);
        centerY_ = static_cast<float>(in.Height / 2);
        cosine_ = static_cast<float>(std::cos(theta));
        sine_ = static_cast<float>(std::sin(theta));
        growCorners(static_cast<float>(theta));
    }

    int width() const { return in_.Width + growthX_; }
    int height() const { return in_.Height + growthY_; }

    // The source point of output pixel (i, row), and whether it lay outside before folding.
    struct Source {
        float x;
        float y;
        bool missing;
    };
    Source source(int i, int row) const {
        const float u = static_cast<float>(i) - centerX_ - static_cast<float>(growthX_ / 2);
        const float v = static_cast<float>(row) - centerY_ - static_cast<float>(growthY_ / 2);
        float x = u * cosine_ + v * sine_ + centerX_;
        float y = v * cosine_ - u * sine_ + centerY_;
        const bool missing = x < 0 || y < 0 || x >= static_cast<float>(in_.Width - 1) ||
                             y >= static_cast<float>(in_.Height - 1);
        if (missing) {
            x = folded(x, in_.Width);
            y = folded(y, in_.Height);
        }
        return {x, y, missing};
    }

    TColor32 pixel(int i, int row) const {
        const Source point = source(i, row);
        const int x0 = static_cast<int>(std::floor(point.x));
        const int y0 = static_cast<int>(std::floor(point.y));
        const int wx = static_cast<int>(std::floor((point.x - static_cast<float>(x0)) * 128));
        const int wy = static_cast<int>(std::floor((point.y - static_cast<float>(y0)) * 128));
        const int column = std::min(x0, in_.Width - 2);
        const int line = std::min(y0, in_.Height - 2);
        TColor32 result = 0;  // alpha 0
        for (int shift : {0, 8, 16}) {
            const auto channel = [&](int x, int y) {
                return static_cast<int>((in_.pixel(x, y) >> shift) & 0xFF);
            };
            const int top =
                ((128 - wx) * channel(column, line) + wx * channel(column + 1, line)) >> 7;
            const int bottom =
                ((128 - wx) * channel(column, line + 1) + wx * channel(column + 1, line + 1)) >> 7;
            result |= static_cast<TColor32>(((128 - wy) * top + wy * bottom) >> 7) << shift;
        }
        return result;
    }

private:
    static float folded(float v, int size) {
        v = std::fabs(v);
        if (v >= static_cast<float>(size - 1)) {
            v = v - static_cast<float>(size) + 1;
            if (v >= static_cast<float>(size)) {
                v = static_cast<float>(size - 1);
            }
        }
        return v;
    }

    void growCorners(float theta) {
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        const int right = in_.Width - 1;
        const int bottom = in_.Height - 1;
        float minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
        for (const auto& [x, y] : {std::pair{0, 0}, {right, 0}, {right, bottom}, {0, bottom}}) {
            const float dx = static_cast<float>(x) - centerX_;
            const float dy = static_cast<float>(y) - centerY_;
            const float turnedX = std::floor(static_cast<float>(centerX_ + c * dx - s * dy));
            const float turnedY = std::floor(static_cast<float>(centerY_ + s * dx + c * dy));
            minX = std::min(minX, turnedX);
            maxX = std::max(maxX, turnedX);
            minY = std::min(minY, turnedY);
            maxY = std::max(maxY, turnedY);
        }
        growthX_ = static_cast<int>(maxX - minX) - in_.Width;
        growthY_ = static_cast<int>(maxY - minY) - in_.Height;
    }

    const TBitmap32& in_;
    float centerX_ = 0;
    float centerY_ = 0;
    float cosine_ = 1;
    float sine_ = 0;
    int growthX_ = 0;
    int growthY_ = 0;
};

// Red, green and blue follow different ramps, so a channel mixed up shows.
ImagePtr channelRamps(int width, int height) {
    ImagePtr image = createImage(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto red = static_cast<TColor32>(x * 5 & 0xFF);
            const auto green = static_cast<TColor32>(y * 6 & 0xFF);
            const auto blue = static_cast<TColor32>((x * 3 + y * 7) * 11 & 0xFF);
            image->pixel(x, y) = 0xFF000000 | red << 16 | green << 8 | blue;
        }
    }
    return image;
}

TEST(FilterRotationTest, OutputSizeHoldsTheTurnedCorners) {
    struct Case {
        int width, height;
        float angle;
        int outWidth, outHeight;
    };
    // 30 degrees: the corners land at x -6.2 .. 55.8 and y -9.8 .. 48.5, rounded down.
    const Case cases[] = {
        {50, 40, 30.0f, 62, 58}, {50, 40, 90.0f, 40, 50}, {50, 40, 0.0f, 49, 39},
        {41, 30, 30.0f, 49, 45}, {41, 30, 90.0f, 30, 41}, {41, 30, -30.0f, 49, 45},
    };
    for (const Case& c : cases) {
        ImagePtr image = channelRamps(c.width, c.height);
        const DescribedRotation described(*image, c.angle);
        const ImagePtr out = rotate(*image, {.angle = c.angle});
        EXPECT_EQ(out->Width, c.outWidth) << c.width << "x" << c.height << " at " << c.angle;
        EXPECT_EQ(out->Height, c.outHeight) << c.width << "x" << c.height << " at " << c.angle;
        EXPECT_EQ(described.width(), c.outWidth) << c.angle;
        EXPECT_EQ(described.height(), c.outHeight) << c.angle;
    }
}

TEST(FilterRotationTest, BilinearValuesAtFractionalSourcePoints) {
    ImagePtr image = channelRamps(50, 40);
    const DescribedRotation described(*image, 30.0f);
    const ImagePtr out = rotate(*image, {.angle = 30.0f});
    struct Case {
        int i, row;
        bool missing;  // the source point lies outside and is folded back in
    };
    const Case cases[] = {
        {20, 25, false}, {40, 12, false}, {33, 40, false}, {12, 30, false}, {0, 0, true},
        {61, 57, true},  {0, 57, true},   {61, 0, true},   {2, 28, true},
    };
    for (const Case& c : cases) {
        const DescribedRotation::Source point = described.source(c.i, c.row);
        ASSERT_EQ(point.missing, c.missing) << c.i << "," << c.row;
        ASSERT_NE(point.x, std::floor(point.x)) << "x is fractional at " << c.i << "," << c.row;
        ASSERT_NE(point.y, std::floor(point.y)) << "y is fractional at " << c.i << "," << c.row;
        EXPECT_EQ(out->pixel(c.i, c.row), described.pixel(c.i, c.row)) << c.i << "," << c.row;
    }
    // And every other pixel, at a few more angles.
    for (float angle : {30.0f, 90.0f, -47.5f, 200.0f}) {
        const DescribedRotation turned(*image, angle);
        const ImagePtr result = rotate(*image, {.angle = angle});
        ASSERT_EQ(result->Width, turned.width());
        ASSERT_EQ(result->Height, turned.height());
        for (int row = 0; row < result->Height; ++row) {
            for (int i = 0; i < result->Width; ++i) {
                ASSERT_EQ(result->pixel(i, row), turned.pixel(i, row))
                    << angle << " at " << i << "," << row;
            }
        }
    }
}

TEST(FilterRotationTest, NoTurnWithAutomaticSizeLosesOneColumnAndOneRow) {
    ImagePtr image = test_images::noise(41, 30, 31);
    const ImagePtr out = rotate(*image, {.angle = 0.0f});
    ASSERT_EQ(out->Width, 40);
    ASSERT_EQ(out->Height, 29);
    for (int y = 0; y < out->Height; ++y) {
        for (int x = 0; x < out->Width; ++x) {
            ASSERT_EQ(out->pixel(x, y), image->pixel(x, y) & 0x00FFFFFF);  // alpha 0
        }
    }
    const ImagePtr kept = rotate(*image, {.angle = 0.0f, .autoSize = false});
    EXPECT_EQ(kept->Width, 41);
    EXPECT_EQ(kept->Height, 30);
}

TEST(FilterRotationTest, PositiveAnglesTurnClockwiseOnScreen) {
    ImagePtr image = test_images::uniform(61, 61, 0xFF000000);
    for (int y = 29; y <= 31; ++y) {
        for (int x = 48; x <= 50; ++x) {
            image->pixel(x, y) = 0xFFFFFFFF;  // a spot 19 px right of the centre
        }
    }
    const ImagePtr out = rotate(*image, {.angle = 90.0f});
    int brightestX = 0, brightestY = 0, brightest = -1;
    for (int y = 0; y < out->Height; ++y) {
        for (int x = 0; x < out->Width; ++x) {
            if (colorToGrey(out->pixel(x, y)) > brightest) {
                brightest = colorToGrey(out->pixel(x, y));
                brightestX = x;
                brightestY = y;
            }
        }
    }
    EXPECT_NEAR(brightestX, out->Width / 2, 2);
    EXPECT_NEAR(brightestY, out->Height / 2 + 19, 2);  // now below the centre
}

TEST(FilterRotationTest, MissingPixelsFillOrMirror) {
    ImagePtr image = test_images::texture(50, 40, 32);
    const ImagePtr mirrored = rotate(*image, {.angle = 30.0f});
    EXPECT_EQ(rotate(*image, {.angle = 30.0f, .missing = "white"})->Bits, mirrored->Bits);
    EXPECT_EQ(rotate(*image, {.angle = 30.0f, .missing = "GREY"})->Bits, mirrored->Bits);
    EXPECT_EQ(rotate(*image, {.angle = 30.0f, .missing = "WHITE"})->pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(rotate(*image, {.angle = 30.0f, .missing = "BLACK"})->pixel(0, 0), 0xFF000000u);
    EXPECT_NE(mirrored->pixel(0, 0), 0xFFFFFFFFu);
}

TEST(FilterRotationTest, GreyImagesTurnLikeColourImages) {
    // Grey inputs take a one-channel shortcut (eight pixels at a time inside the image, where
    // the processor allows); a colour input with the same red and green takes the per-channel
    // path, and both must agree on those channels, at the edges and inside.
    for (const auto& [width, height] : {std::pair{45, 38}, {203, 150}}) {
        ImagePtr grey = test_images::texture(width, height, 36);
        for (TColor32& pixel : grey->Bits) {
            pixel = greyToColor(colorToGrey(pixel), 255);
        }
        ImagePtr colour = cloneImage(grey.get());
        for (TColor32& pixel : colour->Bits) {
            pixel &= 0xFFFFFF00;
        }
        for (float angle : {17.0f, -64.0f, 200.0f, 0.0f, 0.37f}) {
            const ImagePtr fromGrey = rotate(*grey, {.angle = angle});
            const ImagePtr fromColour = rotate(*colour, {.angle = angle});
            ASSERT_EQ(fromGrey->Bits.size(), fromColour->Bits.size());
            for (std::size_t i = 0; i < fromGrey->Bits.size(); ++i) {
                ASSERT_EQ(fromGrey->Bits[i] & 0xFFFFFF00, fromColour->Bits[i])
                    << width << " " << angle << " " << i;
                ASSERT_EQ(fromGrey->Bits[i] >> 24, 0u);
            }
        }
    }
}

TEST(FilterRotationTest, NearestPixelWrapsAroundTheEdges) {
    ImagePtr image = test_images::noise(10, 8, 33);
    const ImagePtr out = rotate(
        *image, {.angle = 180.0f, .missing = "BLACK", .interpolation = 0, .autoSize = false});
    ASSERT_EQ(out->Width, 10);
    EXPECT_EQ(out->pixel(0, 0), image->pixel(0, 0));  // source (10, 8) wraps to (0, 0)
    EXPECT_EQ(out->pixel(1, 1), image->pixel(9, 7));
    EXPECT_EQ(out->pixel(6, 3), image->pixel(4, 5));
}

TEST(FilterRotationTest, ThinImagesAndRepeatedRunsAreSafe) {
    for (auto size : {std::pair{1, 20}, std::pair{20, 1}, std::pair{1, 1}}) {
        ImagePtr thin = test_images::noise(size.first, size.second, 34);
        for (int interpolation : {0, 1, 2}) {
            const ImagePtr out = rotate(*thin, {.angle = 33.0f, .interpolation = interpolation});
            EXPECT_GE(out->Width, 1);
        }
    }
    ImagePtr image = test_images::noise(20, 20, 35);
    TFilterRotation rotation;
    rotation.setParameterImage("INIMAGE", image.get());
    rotation.Run();
    rotation.setParameterSingle("ANGLE", 45.0f);
    rotation.Run();
    EXPECT_GT(rotation.getOutputParameterImage("OUTIMAGE").Value->Width, 20);
    EXPECT_THROW(rotation.setParameterSingle("ANGLE", 10001.0f), EParameterValueOutOfBound);
}

}  // namespace
