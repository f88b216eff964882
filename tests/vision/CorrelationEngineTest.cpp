#include <gtest/gtest.h>

#include <functional>

#include "CorrelationOracle.h"
#include "TestImages.h"
#include "vision/PositionSearch.h"

namespace {

using test_images::noise;
using test_images::texture;
using test_images::uniform;

// Integer sums against the filter's float accumulation: they differ by float rounding only.
constexpr double kScoreTolerance = 1e-4;

struct ScoreCase {
    const char* name;
    std::function<ImagePtr()> search;
    std::function<ImagePtr()> reference;
};

TEST(CorrelationEngineTest, ScoresEqualTheFilterEverywhere) {
    const ScoreCase cases[] = {
        {"texture", [] { return texture(161, 141, 41); }, [] { return texture(40, 40, 42); }},
        {"noise", [] { return noise(120, 90, 43); }, [] { return noise(37, 23, 44); }},
        {"cut from the search image", [] { return texture(140, 140, 45); },
         [] { return test_images::cut(*texture(140, 140, 45), 30, 40, 100, 60); }},
        {"uniform search image", [] { return uniform(80, 80, 0xFF404040); },
         [] { return texture(30, 30, 46); }},
        {"uniform reference", [] { return texture(80, 80, 47); },
         [] { return uniform(30, 30, 0xFF404040); }},
        {"single pixel", [] { return texture(20, 20, 48); }, [] { return uniform(1, 1, 0); }},
        {"reference larger", [] { return texture(50, 50, 49); },
         [] { return texture(60, 40, 50); }},
        {"equal sizes", [] { return texture(64, 48, 51); }, [] { return texture(64, 48, 52); }},
        {"odd and wide", [] { return noise(301, 17, 53); }, [] { return noise(150, 16, 54); }},
    };
    for (const ScoreCase& c : cases) {
        ImagePtr search = c.search();
        ImagePtr reference = c.reference();
        GreySearchImage grey;
        grey.assign(*search);
        const GreyReference greyReference(*reference);
        const int reachX = std::abs(search->Width - reference->Width) / 2 + 2;
        const int reachY = std::abs(search->Height - reference->Height) / 2 + 2;
        for (int y = -reachY; y <= reachY; y += std::max(1, reachY / 5)) {
            for (int x = -reachX; x <= reachX; ++x) {
                const float expected = oracle::score(*search, *reference, x, y);
                const float actual = grey.score(greyReference, x, y);
                if (expected == 0.0f) {
                    ASSERT_EQ(actual, 0.0f) << c.name << " at " << x << "," << y;
                } else {
                    ASSERT_NEAR(actual, expected, kScoreTolerance)
                        << c.name << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(CorrelationEngineTest, WindowOfAnImageScoresLikeItsCopy) {
    ImagePtr frame = texture(300, 200, 55);
    const WindowBounds window{40, 200, 170, 30};
    ImagePtr copy = copyWindow(*frame, window);
    ImagePtr reference = texture(60, 50, 56);
    GreySearchImage inPlace, copied;
    inPlace.assign(*frame, window);
    copied.assign(*copy);
    const GreyReference greyReference(*reference);
    for (int x = -50; x <= 50; x += 7) {
        EXPECT_EQ(inPlace.score(greyReference, x, 5), copied.score(greyReference, x, 5));
    }
}

void expectSameSearch(const PositionSearchResult& fast, const oracle::Search& slow,
                      const std::string& name) {
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(fast.BestHistory[k].Score, slow.history[k].score, kScoreTolerance) << name;
        EXPECT_EQ(fast.BestHistory[k].X, slow.history[k].x) << name << " record " << k;
        EXPECT_EQ(fast.BestHistory[k].Y, slow.history[k].y) << name << " record " << k;
        EXPECT_EQ(fast.BestHistory[k].Factor, slow.history[k].factor) << name;
    }
    EXPECT_NEAR(fast.LowestScore, slow.lowest, kScoreTolerance) << name;
}

struct SearchCase {
    const char* name;
    ImagePtr image;
    ImagePtr reference;
    int factor;
    SearchRules rules;
};

std::vector<SearchCase> searchCases() {
    std::vector<SearchCase> cases;
    auto pasted = [](int size, int refWidth, int refHeight, int dx, int dy, unsigned seed,
                     int noiseAmount) {
        ImagePtr frame = texture(size, size, seed);
        ImagePtr reference = texture(refWidth, refHeight, seed + 1);
        ImagePtr copy = cloneImage(reference.get());
        if (noiseAmount > 0) {
            test_images::addNoise(*copy, noiseAmount, seed);
        }
        test_images::pasteAtOffset(*frame, *copy, dx, dy);
        return std::pair{std::move(frame), std::move(reference)};
    };
    for (const auto& [name, size, w, h, dx, dy, seed, amount] :
         {std::tuple{"centre", 221, 100, 100, 0, 0, 61u, 0},
          std::tuple{"off the grid", 221, 100, 100, 13, -27, 62u, 0},
          std::tuple{"noisy copy", 221, 80, 60, -21, 5, 63u, 60},
          std::tuple{"small reference", 161, 40, 40, 30, 30, 64u, 20},
          std::tuple{"wide reference", 321, 200, 150, -40, 17, 65u, 0}}) {
        auto [frame, reference] = pasted(size, w, h, dx, dy, seed, amount);
        cases.push_back({name, std::move(frame), std::move(reference), 1, kPositionSearchRules});
    }
    auto [frame, reference] = pasted(73, 33, 33, 6, -9, 66u, 0);
    cases.push_back({"angle rules", std::move(frame), std::move(reference), 3, kAngleSearchRules});
    cases.push_back({"unrelated", noise(150, 150, 67), noise(50, 50, 68), 1, kPositionSearchRules});
    cases.push_back({"uniform frame", uniform(150, 150, 0xFF808080), texture(50, 50, 69), 1,
                     kPositionSearchRules});
    cases.push_back(
        {"reference larger", texture(60, 60, 70), texture(80, 50, 71), 1, kPositionSearchRules});
    return cases;
}

TEST(CorrelationEngineTest, PositionSearchAgreesWithTheLiteralSearch) {
    for (SearchCase& c : searchCases()) {
        const oracle::Search slow = oracle::positionSearch(
            *c.image, *c.reference, c.factor, c.rules.fineReach, c.rules.skipCandidateAxes);
        GreySearchImage grey;
        grey.assign(*c.image);
        const GreyReference reference(*c.reference);
        for (int threads : {1, 2}) {
            expectSameSearch(PositionSearch(grey, reference, c.factor, c.rules, threads), slow,
                             c.name + std::string(threads == 1 ? "" : ", two threads"));
        }
    }
}

TEST(CorrelationEngineTest, CandidatesOutsideEveryEarlierFineWindowAreRefined) {
    auto at = [](int x, int y) { return SearchRecord{0.5, x, y, 1}; };
    struct Case {
        std::array<SearchRecord, 4> candidates;
        int index;
        int reach;
        bool refined;
    };
    const Case cases[] = {
        {{at(0, 0), at(40, 0)}, 1, 6, true},  // same row, far along X
        {{at(0, 0), at(0, -7)}, 1, 6, true},  // same column, just outside
        {{at(0, 0), at(6, 6)}, 1, 6, false},  // inside the window
        {{at(0, 0), at(7, 7)}, 1, 7, false},
        {{at(0, 0), at(8, 1)}, 1, 7, true},
        {{at(0, 0), at(40, 0), at(42, 3)}, 2, 6, false},  // inside the second window
        {{at(0, 0), at(40, 0), at(-24, 0), at(0, 6)}, 3, 6, false},
        {{at(0, 0), at(40, 0), at(-24, 0), at(16, 16)}, 3, 6, true},
        {{at(0, 0)}, 0, 6, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(needsFineSearch(c.candidates, c.index, c.reach), c.refined)
            << c.candidates[c.index].X << "," << c.candidates[c.index].Y;
    }
}

}  // namespace
