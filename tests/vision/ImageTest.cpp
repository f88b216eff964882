#include <gtest/gtest.h>

#include <QImage>

#include "TestImages.h"
#include "vision/Image.h"

namespace {

template <typename Call>
std::string errorText(Call call) {
    try {
        call();
    } catch (const ImageError& error) {
        return error.what();
    }
    return "no error";
}

TEST(ImageTest, CreateImageClampsSizesAndZeroesPixels) {
    struct Case {
        int width, height, expectedWidth, expectedHeight;
    };
    for (const Case c : {Case{0, -5, 1, 1}, Case{-3, 7, 1, 7}, Case{640, 480, 640, 480}}) {
        const ImagePtr image = createImage(c.width, c.height);
        EXPECT_EQ(image->Width, c.expectedWidth);
        EXPECT_EQ(image->Height, c.expectedHeight);
        ASSERT_EQ(image->Bits.size(), static_cast<std::size_t>(c.expectedWidth) * c.expectedHeight);
        EXPECT_TRUE(
            std::all_of(image->Bits.begin(), image->Bits.end(), [](TColor32 p) { return p == 0; }));
    }
}

TEST(ImageTest, ImpossibleSizesRaiseTheAllocationError) {
    for (auto size : {std::pair{100000, 100000}, std::pair{2147483647, 2}}) {
        EXPECT_EQ(errorText([&] { createImage(size.first, size.second); }),
                  "Can't allocate memory for image");
    }
}

TEST(ImageTest, CopyErrorsComeInOrderAndLeaveTheDestination) {
    ImagePtr source = test_images::noise(10, 10, 1);
    ImagePtr taller = test_images::uniform(10, 11, 0xFF123456);
    struct Case {
        TBitmap32* from;
        TBitmap32* to;
        const char* text;
    };
    for (const Case c :
         {Case{nullptr, nullptr, "error in imageIO.copyImageToImage : aImageFrom is null"},
          Case{source.get(), nullptr, "error in imageIO.copyImageToImage : aImageTo is null"},
          Case{source.get(), taller.get(),
               "error in imageIO.copyImageToImage : different image size"}}) {
        EXPECT_EQ(errorText([&] { copyImageToImage(c.from, c.to); }), c.text);
    }
    EXPECT_EQ(taller->pixel(9, 10), 0xFF123456u);
    EXPECT_EQ(errorText([] { updateOrCreateImageLike(nullptr); }),
              "error in updateOrCreateImageLike : image is null");
}

TEST(ImageTest, CloneCopiesAndFreeClearsTheReference) {
    ImagePtr source = test_images::noise(7, 5, 2);
    ImagePtr copy = cloneImage(source.get());
    EXPECT_EQ(copy->Bits, source->Bits);
    ImagePtr like = updateOrCreateImageLike(source.get());
    EXPECT_EQ(like->Width, 7);
    EXPECT_EQ(like->Bits, std::vector<TColor32>(35, 0));
    clearImage(copy.get());
    EXPECT_EQ(copy->Bits, like->Bits);
    clearImage(nullptr);
    freeImage(copy);
    EXPECT_EQ(copy, nullptr);
    freeImage(copy);
}

TEST(ImageTest, PixelHelpers) {
    EXPECT_EQ(makeColor32(0x12, 0x34, 0x56, 0x78), 0x78123456u);
    EXPECT_EQ(makeColor32(0x112, 0, 0, 0x1FF), 0xFF120000u);
    EXPECT_EQ(greyToColor(0x40, 0xFF), 0xFF404040u);
    struct Case {
        TColor32 pixel;
        int grey;
    };
    for (const Case c : {Case{0xFFFFFFFF, 255}, Case{0x0000FF00, 173}, Case{0x00FF0000, 60},
                         Case{0x000000FF, 20}, Case{0xFF000000, 0}}) {
        EXPECT_EQ(colorToGrey(c.pixel), c.grey) << std::hex << c.pixel;
    }
}

TEST(ImageTest, PicturesConvertBothWays) {
    QImage picture(3, 2, QImage::Format_RGB888);
    picture.fill(QColor(10, 20, 30));
    picture.setPixelColor(2, 1, QColor(200, 100, 50));
    const ImagePtr image = pictureToImage(picture);
    ASSERT_EQ(image->Width, 3);
    ASSERT_EQ(image->Height, 2);
    EXPECT_EQ(image->pixel(0, 0), makeColor32(10, 20, 30, 255));
    EXPECT_EQ(image->pixel(2, 1), makeColor32(200, 100, 50, 255));

    QImage shown;
    imageToPicture(image.get(), shown);
    EXPECT_EQ(shown.size(), QSize(3, 2));
    EXPECT_EQ(shown.pixelColor(2, 1), QColor(200, 100, 50));
    imageToPicture(nullptr, shown);
    EXPECT_EQ(shown.size(), QSize(3, 2));
}

}  // namespace
