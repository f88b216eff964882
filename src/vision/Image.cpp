#include "vision/Image.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

// Pixel indices are 32-bit signed in the record, and so are the byte sizes of the pixels.
constexpr std::int64_t kMaxPixels = std::numeric_limits<std::int32_t>::max() / 4;

void requireAllocatable(std::int64_t pixels) {
    if (pixels > kMaxPixels) {
        throw ImageError("Can't allocate memory for image");
    }
}

}  // namespace

ImagePtr createImage(int width, int height) {
    const int w = std::max(width, 1);
    const int h = std::max(height, 1);
    requireAllocatable(static_cast<std::int64_t>(w) * h);
    try {
        auto image = std::make_unique<TBitmap32>();
        image->Width = w;
        image->Height = h;
        image->Bits.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
        return image;
    } catch (const std::bad_alloc&) {
        throw ImageError("Can't allocate memory for image");
    }
}

void freeImage(ImagePtr& image) {
    image.reset();
}

void clearImage(TBitmap32* image) {
    if (image) {
        std::fill(image->Bits.begin(), image->Bits.end(), 0);
    }
}

ImagePtr updateOrCreateImageLike(const TBitmap32* image) {
    if (!image) {
        throw ImageError("error in updateOrCreateImageLike : image is null");
    }
    return createImage(image->Width, image->Height);
}

void copyImageToImage(const TBitmap32* from, TBitmap32* to) {
    if (!from) {
        throw ImageError("error in imageIO.copyImageToImage : aImageFrom is null");
    }
    if (!to) {
        throw ImageError("error in imageIO.copyImageToImage : aImageTo is null");
    }
    if (from->Width != to->Width || from->Height != to->Height) {
        throw ImageError("error in imageIO.copyImageToImage : different image size");
    }
    to->Bits = from->Bits;
}

ImagePtr cloneImage(const TBitmap32* image) {
    if (!image) {
        throw ImageError("error in imageIO.copyImageToImage : aImageFrom is null");
    }
    ImagePtr copy = createImage(image->Width, image->Height);
    copyImageToImage(image, copy.get());
    return copy;
}

void reshapeImage(TBitmap32& image, int width, int height) {
    const int w = std::max(width, 1);
    const int h = std::max(height, 1);
    requireAllocatable(static_cast<std::int64_t>(w) * h);
    image.Width = w;
    image.Height = h;
    image.Bits.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
}

ImagePtr pictureToImage(const QImage& picture) {
    if (picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32) {
        // Camera frames come in this layout: a row copy, made opaque.
        ImagePtr image = createImage(picture.width(), picture.height());
        for (int y = 0; y < picture.height(); ++y) {
            const auto* source = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            TColor32* target = &image->pixel(0, y);
            for (int x = 0; x < picture.width(); ++x) {
                target[x] = source[x] | 0xFF000000u;
            }
        }
        return image;
    }
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull() && !picture.isNull()) {
        throw ImageError("Can't allocate memory for image");  // the conversion found none
    }
    ImagePtr image = createImage(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* source = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const uchar* rgbBytes = source + 3 * x;
            image->pixel(x, y) = makeColor32(rgbBytes[0], rgbBytes[1], rgbBytes[2], 255);
        }
    }
    return image;
}

void imageToPicture(const TBitmap32* image, QImage& picture) {
    if (!image) {
        return;
    }
    picture = QImage(image->Width, image->Height, QImage::Format_RGB32);
    for (int y = 0; y < image->Height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < image->Width; ++x) {
            // The picture format wants an opaque alpha byte; filters may leave it 0.
            row[x] = image->pixel(x, y) | 0xFF000000u;
        }
    }
}
