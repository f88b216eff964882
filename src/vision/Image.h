#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

// A pixel: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
using TColor32 = std::uint32_t;

// The one in-memory picture of the vision code: Width x Height pixels, row after row from the
// top row down, no padding between rows. Bits always holds exactly Width * Height pixels.
struct TBitmap32 {
    std::int32_t Width = 1;
    std::int32_t Height = 1;
    std::vector<TColor32> Bits;

    const TColor32& pixel(int x, int y) const { return Bits[index(x, y)]; }
    TColor32& pixel(int x, int y) { return Bits[index(x, y)]; }

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
               static_cast<std::size_t>(x);
    }
};

// Images are owned by whoever created them; freeImage releases one and clears the reference.
using ImagePtr = std::unique_ptr<TBitmap32>;

// Raised by the image operations with the program's own error texts.
class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr TColor32 makeColor32(int red, int green, int blue, int alpha) {
    return (static_cast<TColor32>(alpha & 0xFF) << 24) | (static_cast<TColor32>(red & 0xFF) << 16) |
           (static_cast<TColor32>(green & 0xFF) << 8) | static_cast<TColor32>(blue & 0xFF);
}

// Luminance 0..255 with integer weights that add up to 256.
constexpr int colorToGrey(TColor32 pixel) {
    const int red = static_cast<int>((pixel >> 16) & 0xFF);
    const int green = static_cast<int>((pixel >> 8) & 0xFF);
    const int blue = static_cast<int>(pixel & 0xFF);
    return (red * 61 + green * 174 + blue * 21) >> 8;
}

constexpr TColor32 greyToColor(int grey, int alpha) {
    return makeColor32(grey, grey, grey, alpha);
}

// A zeroed image; a width or height of 0 or less becomes 1. Raises "Can't allocate memory for
// image" when the pixels cannot be had (including sizes whose pixel index would not fit 32 bits).
ImagePtr createImage(int width, int height);
void freeImage(ImagePtr& image);
void clearImage(TBitmap32* image);
ImagePtr updateOrCreateImageLike(const TBitmap32* image);
// Raises, in this order: no source, no destination, different sizes; the destination is then
// left as it was.
void copyImageToImage(const TBitmap32* from, TBitmap32* to);
ImagePtr cloneImage(const TBitmap32* image);

// Gives `image` the size width x height (at least 1 x 1), keeping its pixel buffer when it is
// big enough. Filters whose output size is decided by the run use it on their output image.
void reshapeImage(TBitmap32& image, int width, int height);

// Window-system pictures: any QImage in, an opaque image out (alpha 255). Raises "Can't allocate
// memory for image" when there is no memory for the copy.
ImagePtr pictureToImage(const QImage& picture);
// Fills `picture` with a 32-bit copy of the image; nothing for no image.
void imageToPicture(const TBitmap32* image, QImage& picture);
