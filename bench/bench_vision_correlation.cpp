// The two correlation searches on an 800 x 600 frame (40 mm view width, 6 mm enlargement),
// single-threaded unless the threads argument says 2, refined as the program runs them or with
// their literal answers (the last argument: 1 refined, 0 literal), beside the literal searches
// written out that define them. Counters: peak memory of one search over the frame's size, and the
// fine searches run (the background's early bests make all four the usual case).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "support/ScriptedOperatorPort.h"
#include "vision/CorrelationOracle.h"
#include "vision/PositionSearch.h"
#include "vision/TestImages.h"
#include "vision/VisualCorrelation.h"

namespace {

std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t size) {
    auto* block = static_cast<char*>(std::malloc(size + kHeader));
    if (!block) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    const long long now = liveBytes += static_cast<long long>(size);
    long long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
    return block + kHeader;
}

void release(void* pointer) {
    if (pointer) {
        char* block = static_cast<char*>(pointer) - kHeader;
        liveBytes -= static_cast<long long>(*reinterpret_cast<std::size_t*>(block));
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* pointer) noexcept {
    release(pointer);
}
void operator delete[](void* pointer) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    release(pointer);
}

namespace {

constexpr double kFrameBytes = 800.0 * 600.0 * 4;

struct Scene {
    VisionState state;
    MachineSettings settings;
    ScriptedOperatorPort port;

    Scene(int width, int height, bool up) {
        state.ImageReference = test_images::texture(width, height, 7);
        ImagePtr frame = test_images::texture(800, 600, 3);
        test_images::pasteAtOffset(*frame, *state.ImageReference, 13, -7);
        (up ? state.ImageUplooking : state.ImageDownlooking) = std::move(frame);
    }
    VisionContext context(int threads, bool refined) {
        return {state,   settings, port,
                nullptr, threads,  refined ? SearchPrecision::Refined : SearchPrecision::Literal};
    }
};

int fineSearches(Scene& scene, int width, int height) {
    GreySearchImage window;
    window.assign(*scene.state.ImageDownlooking, searchWindow(800, 600, width + 120, height + 120));
    const PositionSearchResult result = PositionSearch(
        window, GreyReference(*scene.state.ImageReference), 1, kPositionSearchRules, 1);
    return static_cast<int>(std::count(result.Refined.begin(), result.Refined.end(), true));
}

template <typename Search>
void measure(benchmark::State& state, Search search) {
    const long long before = liveBytes.load();
    peakBytes = before;
    bool found = false;
    for (auto _ : state) {
        found = search();
        benchmark::DoNotOptimize(found);
    }
    state.counters["peak_memory_over_frame"] =
        static_cast<double>(peakBytes - before) / kFrameBytes;
    if (!found) {
        state.SkipWithError("the reference was not found");
    }
}

void BM_VisualCorrelation(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int threads = static_cast<int>(state.range(2));
    const bool refined = state.range(3) != 0;
    Scene scene(width, height, false);
    state.counters["fine_searches"] = fineSearches(scene, width, height);
    measure(state, [&] { return VisualCorrelation(scene.context(threads, refined), 0, 6, false); });
}

void BM_VisualCorrelationOracle(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    Scene scene(width, height, false);
    measure(state, [&] {
        return oracle::visualCorrelation(*scene.state.ImageDownlooking, *scene.state.ImageReference,
                                         scene.settings, 0, 6, false)
            .found;
    });
}

void BM_AngularVisualCorrelation(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    const bool refined = state.range(1) != 0;
    Scene scene(100, 100, true);
    measure(state, [&] { return AngularVisualCorrelation(scene.context(threads, refined), 0, 6); });
}

void BM_AngularVisualCorrelationOracle(benchmark::State& state) {
    Scene scene(100, 100, true);
    measure(state, [&] {
        oracle::Fields fields;
        oracle::angularVisualCorrelation(*scene.state.ImageUplooking, *scene.state.ImageReference,
                                         scene.settings, 0, 6, fields);
        return fields.found;
    });
}

}  // namespace

// Arguments: reference width, height, threads, refined.
BENCHMARK(BM_VisualCorrelation)
    ->Args({40, 40, 1, 1})
    ->Args({100, 100, 1, 1})
    ->Args({200, 150, 1, 1})
    ->Args({100, 100, 2, 1})
    ->Args({200, 150, 2, 1})
    ->Args({100, 100, 1, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VisualCorrelationOracle)
    ->Args({40, 40})
    ->Args({100, 100})
    ->Args({200, 150})
    ->Unit(benchmark::kMillisecond);
// Arguments: threads, refined.
BENCHMARK(BM_AngularVisualCorrelation)
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AngularVisualCorrelationOracle)->Unit(benchmark::kMillisecond);
