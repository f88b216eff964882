#pragma once

#include <cstddef>
#include <cstdint>

// Dot products of one reference against several placements at once, the inner loop of the
// searches: dots[k] = the sum over `rows` rows and i < width of
// a[k * step + row * aStride + i] * b[row * width + i], for k < count. The values are 16-bit
// grey levels (0..255) and width a multiple of 8, so the integer sums are exact. Loading each
// reference block once for several placements halves the memory traffic. Uses AVX2 where the
// processor has it.
void windowDots(const std::int16_t* a, std::ptrdiff_t step, std::ptrdiff_t aStride,
                const std::int16_t* b, int width, int rows, int count, std::int64_t* dots);
