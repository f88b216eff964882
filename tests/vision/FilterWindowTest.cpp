#include <gtest/gtest.h>

#include "TestImages.h"
#include "vision/FilterWindow.h"

namespace {

struct Bounds {
    int left, right, bottom, top;
};

ImagePtr cutWindow(TBitmap32& input, const Bounds& b, ImagePtr out = nullptr) {
    if (!out) {
        out = updateOrCreateImageLike(&input);
    }
    TFilterWindow window;
    window.setParameterImage("INIMAGE", &input);
    window.setParameterImage("OUTIMAGE", out.get());
    window.setParameterInteger("LEFT", b.left);
    window.setParameterInteger("RIGHT", b.right);
    window.setParameterInteger("BOTTOM", b.bottom);
    window.setParameterInteger("TOP", b.top);
    window.Run();
    return out;
}

TEST(FilterWindowTest, CopiesTheWindowWithOrderedAndClampedBounds) {
    ImagePtr input = test_images::noise(400, 300, 5);
    struct Case {
        Bounds bounds;
        int left, top, width, height;  // the expected window: top-left pixel and size
    };
    const Case cases[] = {
        {{100, 300, 20, 60}, 100, 20, 201, 41},
        {{300, 100, 20, 60}, 100, 20, 201, 41},       // left and right swapped
        {{100, 300, 60, 20}, 100, 20, 201, 41},       // top below bottom
        {{350, 9000, 250, 10000}, 350, 250, 50, 50},  // beyond the image: last column and row
        {{7, 7, 3, 3}, 7, 3, 1, 1},
    };
    for (const Case& c : cases) {
        const ImagePtr out = cutWindow(*input, c.bounds);
        ASSERT_EQ(out->Width, c.width);
        ASSERT_EQ(out->Height, c.height);
        EXPECT_EQ(out->Bits, test_images::cut(*input, c.left, c.top, c.width, c.height)->Bits);
    }
}

TEST(FilterWindowTest, NeedsBothImagesAndRangeCheckedBounds) {
    ImagePtr input = test_images::noise(20, 20, 6);
    TFilterWindow window;
    window.setParameterImage("INIMAGE", input.get());
    window.Run();
    EXPECT_THROW(window.setParameterInteger("LEFT", -1), EParameterValueOutOfBound);
    EXPECT_THROW(window.setParameterInteger("TOP", 10001), EParameterValueOutOfBound);
}

TEST(FilterWindowTest, OutputSmallerThanTheWindowGrows) {
    ImagePtr input = test_images::noise(50, 40, 7);
    const ImagePtr expected = test_images::cut(*input, 5, 10, 31, 21);
    const ImagePtr small = cutWindow(*input, {5, 35, 10, 30}, createImage(2, 2));
    EXPECT_EQ(small->Bits, expected->Bits);
}

TEST(FilterWindowTest, InPlaceWindowKeepsTheWindowPixels) {
    ImagePtr image = test_images::noise(50, 40, 8);
    const ImagePtr expected = test_images::cut(*image, 5, 10, 31, 21);
    TFilterWindow window;
    window.setParameterImage("INIMAGE", image.get());
    window.setParameterImage("OUTIMAGE", image.get());
    window.setParameterInteger("LEFT", 5);
    window.setParameterInteger("RIGHT", 35);
    window.setParameterInteger("BOTTOM", 10);
    window.setParameterInteger("TOP", 30);
    window.Run();
    EXPECT_EQ(image->Width, 31);
    EXPECT_EQ(image->Bits, expected->Bits);
}

TEST(FilterWindowTest, SearchWindowIsCentredOrWhole) {
    struct Case {
        int imageWidth, imageHeight, width, height;
        WindowBounds expected;
    };
    const Case cases[] = {
        {800, 600, 220, 220, {290, 510, 410, 190}},
        {800, 600, 800, 100, {0, 799, 599, 0}},  // too wide: the whole image
        {10, 10, 9, 9, {1, 9, 9, 1}},            // clamped to the last row and column
    };
    for (const Case& c : cases) {
        const WindowBounds w = searchWindow(c.imageWidth, c.imageHeight, c.width, c.height);
        EXPECT_EQ(std::tie(w.Left, w.Right, w.Top, w.Bottom),
                  std::tie(c.expected.Left, c.expected.Right, c.expected.Top, c.expected.Bottom));
    }
}

}  // namespace
