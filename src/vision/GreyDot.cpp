#include "vision/GreyDot.h"

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// A 32-bit lane takes two products of at most 255 * 255 per block of values: flushing into
// 64-bit totals before 16000 blocks keeps it far from overflow.
constexpr int kFlushBlocks = 16000;

std::int64_t lanesSum(__m128i lanes) {
    alignas(16) std::int32_t values[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(values), lanes);
    return std::int64_t{values[0]} + values[1] + values[2] + values[3];
}

__attribute__((target("avx2"))) std::int64_t lanesSum(__m256i lanes) {
    return lanesSum(_mm256_castsi256_si128(lanes)) + lanesSum(_mm256_extracti128_si256(lanes, 1));
}

__m128i load8(const std::int16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

__attribute__((target("avx2"))) __m256i load16(const std::int16_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Adds the dot products of K placements over `length` values of each row to dots[0 .. K - 1].
template <int K>
void dotsSse2(const std::int16_t* a, std::ptrdiff_t step, std::ptrdiff_t aStride,
              const std::int16_t* b, std::ptrdiff_t bStride, int length, int rows,
              std::int64_t* dots) {
    __m128i lanes[K];
    std::fill(lanes, lanes + K, _mm_setzero_si128());
    const int rowsPerFlush = std::max(1, kFlushBlocks / (length / 8));
    for (int row = 0; row < rows; ++row, a += aStride, b += bStride) {
        for (int i = 0; i < length; i += 8) {
            const __m128i reference = load8(b + i);
            for (int k = 0; k < K; ++k) {
                lanes[k] =
                    _mm_add_epi32(lanes[k], _mm_madd_epi16(load8(a + k * step + i), reference));
            }
        }
        if ((row + 1) % rowsPerFlush == 0) {
            for (int k = 0; k < K; ++k) {
                dots[k] += lanesSum(lanes[k]);
                lanes[k] = _mm_setzero_si128();
            }
        }
    }
    for (int k = 0; k < K; ++k) {
        dots[k] += lanesSum(lanes[k]);
    }
}

template <int K>
__attribute__((target("avx2"))) void dotsAvx2(const std::int16_t* a, std::ptrdiff_t step,
                                              std::ptrdiff_t aStride, const std::int16_t* b,
                                              std::ptrdiff_t bStride, int length, int rows,
                                              std::int64_t* dots) {
    __m256i lanes[K];
    std::fill(lanes, lanes + K, _mm256_setzero_si256());
    const int wide = length & ~15;
    const int rowsPerFlush = std::max(1, kFlushBlocks / (length / 8));
    for (int row = 0; row < rows; ++row, a += aStride, b += bStride) {
        for (int i = 0; i < wide; i += 16) {
            const __m256i reference = load16(b + i);
            for (int k = 0; k < K; ++k) {
                lanes[k] = _mm256_add_epi32(lanes[k],
                                            _mm256_madd_epi16(load16(a + k * step + i), reference));
            }
        }
        if (wide != length) {
            const __m128i reference = load8(b + wide);
            for (int k = 0; k < K; ++k) {
                const __m128i tail = _mm_madd_epi16(load8(a + k * step + wide), reference);
                lanes[k] = _mm256_add_epi32(lanes[k], _mm256_zextsi128_si256(tail));
            }
        }
        if ((row + 1) % rowsPerFlush == 0) {
            for (int k = 0; k < K; ++k) {
                dots[k] += lanesSum(lanes[k]);
                lanes[k] = _mm256_setzero_si256();
            }
        }
    }
    for (int k = 0; k < K; ++k) {
        dots[k] += lanesSum(lanes[k]);
    }
}

using DotsKernel = void (*)(const std::int16_t*, std::ptrdiff_t, std::ptrdiff_t,
                            const std::int16_t*, std::ptrdiff_t, int, int, std::int64_t*);

// The kernel for each batch size 1 .. 8.
using Kernels = std::array<DotsKernel, 8>;

template <std::size_t... K>
Kernels kernelsFor(bool avx2, std::index_sequence<K...>) {
    return avx2 ? Kernels{dotsAvx2<K + 1>...} : Kernels{dotsSse2<K + 1>...};
}

// Rows wider than this would overflow a lane within a single row: they go in strips.
constexpr int kWidestRow = 8 * kFlushBlocks;

}  // namespace

void windowDots(const std::int16_t* a, std::ptrdiff_t step, std::ptrdiff_t aStride,
                const std::int16_t* b, int width, int rows, int count, std::int64_t* dots) {
    static const Kernels kernels =
        kernelsFor(__builtin_cpu_supports("avx2"), std::make_index_sequence<8>());
    std::fill(dots, dots + count, 0);
    for (int start = 0; start < width; start += kWidestRow) {
        const int strip = std::min(width - start, kWidestRow);
        for (int k = 0; k < count; k += 8) {
            const int batch = std::min(count - k, 8);
            kernels[batch - 1](a + k * step + start, step, aStride, b + start, width, strip, rows,
                               dots + k);
        }
    }
}
