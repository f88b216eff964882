#pragma once

#include <cstdint>
#include <vector>

#include "vision/FilterWindow.h"
#include "vision/Image.h"

// The fast form of the correlation score used by the searches. Grey values are held as 16-bit
// integers in contiguous rows; the reference's sums are worked out once, the search image's
// window sums come from per-row running sums, and the only per-score work is one integer dot
// product. Integer sums make the score exact; the filter's float accumulation differs from it
// by float rounding only.

// The image to find, prepared once per search. Rows are padded with zeros to whole blocks of 8
// values so the dot product needs no scalar tail.
class GreyReference {
public:
    explicit GreyReference(const TBitmap32& image);

    int width() const { return width_; }
    int height() const { return height_; }
    int paddedWidth() const { return paddedWidth_; }
    const std::int16_t* row(int y) const {
        return &values_[static_cast<std::size_t>(y) * paddedWidth_];
    }
    std::int64_t count() const { return static_cast<std::int64_t>(width_) * height_; }
    std::int64_t sum() const { return sum_; }
    // count * sum of squares - sum^2: zero exactly when the image is flat.
    double spread() const { return spread_; }

private:
    int width_;
    int height_;
    int paddedWidth_;
    std::vector<std::int16_t> values_;
    std::int64_t sum_ = 0;
    double spread_ = 0;
};

// The image to search, or a window of it. Reusable: assign() keeps its buffers.
class GreySearchImage {
public:
    void assign(const TBitmap32& image, const WindowBounds& window);
    void assign(const TBitmap32& image);

    int width() const { return width_; }
    int height() const { return height_; }

    // The correlation of the reference placed with its centre (x, y) pixels right of and below
    // this image's centre; 0 where the filter gives 0 (invalid placement, flat area, fewer
    // than two pixels).
    float score(const GreyReference& reference, int x, int y) const;
    // The scores of the `count` placements (x + k dx, y + k dy), k < count, into scores[k]:
    // neighbouring placements share the reading of the reference.
    void scoreRun(const GreyReference& reference, int x, int y, int dx, int dy, int count,
                  float* scores) const;

private:
    float finishScore(const GreyReference& reference, int x0, int y0, std::int64_t dot) const;

    template <typename Sum>
    Sum windowSum(const std::vector<Sum>& table, int x0, int y0, int width, int height) const;

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<std::int16_t> values_;
    // Summed-area tables of the grey values and of their squares, (width + 1) x (height + 1).
    // The plain sums may wrap past 2^32: window sums, being smaller, come out exact anyway.
    std::vector<std::uint32_t> sums_;
    std::vector<std::uint64_t> squareSums_;
};
