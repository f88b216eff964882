#pragma once

#include <algorithm>
#include <cmath>
#include <random>

#include "vision/Image.h"

// Synthetic pictures for the vision tests and benchmarks.
namespace test_images {

inline ImagePtr uniform(int width, int height, TColor32 colour) {
    ImagePtr image = createImage(width, height);
    std::fill(image->Bits.begin(), image->Bits.end(), colour);
    return image;
}

// Independent random colours: neighbouring pixels are unrelated.
inline ImagePtr noise(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    ImagePtr image = createImage(width, height);
    for (TColor32& pixel : image->Bits) {
        pixel = makeColor32(byte(random), byte(random), byte(random), 255);
    }
    return image;
}

// Soft blobs of random size and brightness on a mid-grey ground, like the pads and prints a
// camera sees: scores fall off smoothly around a match, so the coarse grid can find it.
inline ImagePtr texture(int width, int height, unsigned seed, int blobsPer10000Pixels = 12) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> grey(static_cast<std::size_t>(width) * height, 128.0);
    const int blobs = std::max(1, width * height * blobsPer10000Pixels / 10000);
    for (int b = 0; b < blobs; ++b) {
        const double cx = unit(random) * width;
        const double cy = unit(random) * height;
        const double sigma = 2.5 + unit(random) * 6.0;
        const double amplitude = (unit(random) - 0.5) * 200.0;
        const int reach = static_cast<int>(3 * sigma) + 1;
        for (int y = std::max(0, static_cast<int>(cy) - reach);
             y < std::min(height, static_cast<int>(cy) + reach); ++y) {
            for (int x = std::max(0, static_cast<int>(cx) - reach);
                 x < std::min(width, static_cast<int>(cx) + reach); ++x) {
                const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                grey[static_cast<std::size_t>(y) * width + x] +=
                    amplitude * std::exp(-d2 / (2 * sigma * sigma));
            }
        }
    }
    ImagePtr image = createImage(width, height);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const int value = std::clamp(static_cast<int>(grey[i] + unit(random) * 6.0), 0, 255);
        image->Bits[i] = makeColor32(value, value, std::clamp(value + 10, 0, 255), 255);
    }
    return image;
}

inline void paste(TBitmap32& target, const TBitmap32& piece, int left, int top) {
    for (int y = 0; y < piece.Height; ++y) {
        for (int x = 0; x < piece.Width; ++x) {
            target.pixel(left + x, top + y) = piece.pixel(x, y);
        }
    }
}

// Pastes `piece` so that the searches measure it (dx, dy) pixels right of and below the centre
// of `target` (even sizes and margins).
inline void pasteAtOffset(TBitmap32& target, const TBitmap32& piece, int dx, int dy) {
    paste(target, piece, target.Width / 2 - piece.Width / 2 + dx,
          target.Height / 2 - piece.Height / 2 + dy);
}

inline ImagePtr cut(const TBitmap32& image, int left, int top, int width, int height) {
    ImagePtr piece = createImage(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            piece->pixel(x, y) = image.pixel(left + x, top + y);
        }
    }
    return piece;
}

// Adds seeded noise of +-amount to every channel: a degraded copy scores below 1.
inline void addNoise(TBitmap32& image, int amount, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> change(-amount, amount);
    for (TColor32& pixel : image.Bits) {
        const int grey = std::clamp(colorToGrey(pixel) + change(random), 0, 255);
        pixel = makeColor32(grey, grey, grey, 255);
    }
}

}  // namespace test_images
