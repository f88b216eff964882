#include <gtest/gtest.h>

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
    // Grey inputs take a one-channel shortcut; a colour input with the same red and green takes
    // the per-channel path, and both must agree on those channels.
    ImagePtr grey = test_images::texture(45, 38, 36);
    for (TColor32& pixel : grey->Bits) {
        pixel = greyToColor(colorToGrey(pixel), 255);
    }
    ImagePtr colour = cloneImage(grey.get());
    for (TColor32& pixel : colour->Bits) {
        pixel &= 0xFFFFFF00;
    }
    for (float angle : {17.0f, -64.0f, 200.0f}) {
        const ImagePtr fromGrey = rotate(*grey, {.angle = angle});
        const ImagePtr fromColour = rotate(*colour, {.angle = angle});
        ASSERT_EQ(fromGrey->Bits.size(), fromColour->Bits.size());
        for (std::size_t i = 0; i < fromGrey->Bits.size(); ++i) {
            ASSERT_EQ(fromGrey->Bits[i] & 0xFFFFFF00, fromColour->Bits[i]) << angle << " " << i;
            ASSERT_EQ(fromGrey->Bits[i] >> 24, 0u);
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
