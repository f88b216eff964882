#include "vision/GreyCorrelation.h"

#include <algorithm>
#include <cmath>

#include "vision/FilterNormalisedCrossCorrelation.h"
#include "vision/GreyDot.h"

namespace {

// Reference rows are padded to a multiple of this many values.
constexpr int kBlock = 8;
// Placements scored together.
constexpr int kBatch = 8;

__extension__ using Int128 = __int128;

int padded(int width) {
    return (width + kBlock - 1) / kBlock * kBlock;
}

}  // namespace

GreyReference::GreyReference(const TBitmap32& image)
    : width_(image.Width),
      height_(image.Height),
      paddedWidth_(padded(image.Width)),
      values_(static_cast<std::size_t>(paddedWidth_) * image.Height, 0) {
    std::int64_t squares = 0;
    for (int y = 0; y < height_; ++y) {
        std::int16_t* out = &values_[static_cast<std::size_t>(y) * paddedWidth_];
        for (int x = 0; x < width_; ++x) {
            const int grey = colorToGrey(image.pixel(x, y));
            out[x] = static_cast<std::int16_t>(grey);
            sum_ += grey;
            squares += grey * grey;
        }
    }
    const Int128 spread = static_cast<Int128>(count()) * squares - static_cast<Int128>(sum_) * sum_;
    spread_ = static_cast<double>(spread);
}

void GreySearchImage::assign(const TBitmap32& image) {
    assign(image, WindowBounds{0, image.Width - 1, image.Height - 1, 0});
}

void GreySearchImage::assign(const TBitmap32& image, const WindowBounds& window) {
    width_ = window.width();
    height_ = window.height();
    // Room after each row for a padded reference row that starts at the last valid column.
    stride_ = width_ + kBlock;
    values_.assign(static_cast<std::size_t>(stride_) * height_, 0);
    const std::size_t tableWidth = static_cast<std::size_t>(width_) + 1;
    sums_.assign(tableWidth * (height_ + 1), 0);
    squareSums_.assign(tableWidth * (height_ + 1), 0);
    for (int y = 0; y < height_; ++y) {
        std::int16_t* out = &values_[static_cast<std::size_t>(y) * stride_];
        const TColor32* source = &image.pixel(window.Left, window.Bottom + y);
        const std::size_t above = y * tableWidth;
        const std::size_t here = above + tableWidth;
        std::uint32_t rowSum = 0;
        std::uint64_t rowSquares = 0;
        for (int x = 0; x < width_; ++x) {
            const int grey = colorToGrey(source[x]);
            out[x] = static_cast<std::int16_t>(grey);
            rowSum += static_cast<std::uint32_t>(grey);
            rowSquares += static_cast<std::uint64_t>(grey * grey);
            sums_[here + x + 1] = sums_[above + x + 1] + rowSum;
            squareSums_[here + x + 1] = squareSums_[above + x + 1] + rowSquares;
        }
    }
}

template <typename Sum>
Sum GreySearchImage::windowSum(const std::vector<Sum>& table, int x0, int y0, int width,
                               int height) const {
    const std::size_t tableWidth = static_cast<std::size_t>(width_) + 1;
    const std::size_t top = y0 * tableWidth;
    const std::size_t bottom = (y0 + height) * tableWidth;
    return table[bottom + x0 + width] - table[bottom + x0] - table[top + x0 + width] +
           table[top + x0];
}

float GreySearchImage::score(const GreyReference& reference, int x, int y) const {
    float value = 0;
    scoreRun(reference, x, y, 0, 0, 1, &value);
    return value;
}

void GreySearchImage::scoreRun(const GreyReference& reference, int x, int y, int dx, int dy,
                               int count, float* scores) const {
    auto placement = [&](int k) {
        return correlationPlacement(width_, height_, reference.width(), reference.height(),
                                    x + k * dx, y + k * dy);
    };
    const bool scorable = reference.count() >= 2 && reference.spread() != 0;
    for (int k = 0; k < count;) {
        const auto origin = placement(k);
        if (!origin || !scorable) {
            scores[k++] = 0.0f;
            continue;
        }
        int batch = 1;
        while (batch < kBatch && k + batch < count && placement(k + batch)) {
            ++batch;
        }
        std::int64_t dots[kBatch];
        windowDots(&values_[static_cast<std::size_t>(origin->y0) * stride_ + origin->x0],
                   dx + static_cast<std::ptrdiff_t>(dy) * stride_, stride_, reference.row(0),
                   reference.paddedWidth(), reference.height(), batch, dots);
        for (int j = 0; j < batch; ++j) {
            scores[k + j] =
                finishScore(reference, origin->x0 + j * dx, origin->y0 + j * dy, dots[j]);
        }
        k += batch;
    }
}

// Pearson's coefficient from integer sums: exact up to the final division.
float GreySearchImage::finishScore(const GreyReference& reference, int x0, int y0,
                                   std::int64_t dot) const {
    const std::int64_t count = reference.count();
    const std::int64_t sum = windowSum(sums_, x0, y0, reference.width(), reference.height());
    const auto squares = static_cast<std::int64_t>(
        windowSum(squareSums_, x0, y0, reference.width(), reference.height()));
    const Int128 spread = static_cast<Int128>(count) * squares - static_cast<Int128>(sum) * sum;
    if (spread == 0) {
        return 0.0f;
    }
    const Int128 covariance =
        static_cast<Int128>(count) * dot - static_cast<Int128>(sum) * reference.sum();
    return static_cast<float>(static_cast<double>(covariance) /
                              std::sqrt(static_cast<double>(spread) * reference.spread()));
}
