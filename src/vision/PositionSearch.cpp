#include "vision/PositionSearch.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "vision/ParallelFor.h"
#include "vision/PeakFit.h"

namespace {

// Below this many multiply-adds starting a second thread costs more than it saves.
constexpr double kParallelWork = 8.0e6;
constexpr int kCoarseStep = 8;

// Placements (x + k dx, y + k dy), k < count: scored together, taken in this order.
struct Run {
    int x;
    int y;
    int dx;
    int dy;
    int count;
};

class SearchState {
public:
    SearchState(const GreySearchImage& image, const GreyReference& reference, int factor,
                int threads)
        : image_(image),
          reference_(reference),
          factor_(factor),
          threads_(threads),
          reachX_(image.width() - reference.width()),
          reachY_(image.height() - reference.height()) {
        for (SearchRecord& record : result_.BestHistory) {
            record = SearchRecord{0, 0, 0, factor};
        }
    }

    // Adds the placements of a run that lie within the size difference; the others are never
    // tried.
    void add(int x, int y, int dx, int dy, int count) {
        int first = 0;
        while (first < count) {
            while (first < count && !tried(x + first * dx, y + first * dy)) {
                ++first;
            }
            int end = first;
            while (end < count && tried(x + end * dx, y + end * dy)) {
                ++end;
            }
            if (end > first) {
                runs_.push_back({x + first * dx, y + first * dy, dx, dy, end - first});
                placements_ += end - first;
            }
            first = end;
        }
    }

    // Scores the runs added since the last call and takes them in order.
    void tryAll() {
        std::vector<int> starts(runs_.size());
        for (std::size_t r = 1; r < runs_.size(); ++r) {
            starts[r] = starts[r - 1] + runs_[r - 1].count;
        }
        scores_.resize(placements_);
        const double work = static_cast<double>(placements_) * reference_.count();
        const int threads = work >= kParallelWork ? threads_ : 1;
        ParallelFor(static_cast<int>(runs_.size()), threads, [&](int begin, int end) {
            for (int r = begin; r < end; ++r) {
                const Run& run = runs_[r];
                image_.scoreRun(reference_, run.x, run.y, run.dx, run.dy, run.count,
                                &scores_[starts[r]]);
            }
        });
        for (std::size_t r = 0; r < runs_.size(); ++r) {
            for (int k = 0; k < runs_[r].count; ++k) {
                take(scores_[starts[r] + k], runs_[r].x + k * runs_[r].dx,
                     runs_[r].y + k * runs_[r].dy);
            }
        }
        runs_.clear();
        placements_ = 0;
    }

    int coarseReach() const { return std::max(reachX_, reachY_) / kCoarseStep; }
    PositionSearchResult& result() { return result_; }

private:
    bool tried(int x, int y) const { return std::abs(x) <= reachX_ && std::abs(y) <= reachY_; }

    void take(double score, int x, int y) {
        auto& history = result_.BestHistory;
        if (score > history[0].Score) {
            std::move_backward(history.begin(), history.end() - 1, history.end());
            history[0] = SearchRecord{score, x, y, factor_};
        }
        result_.LowestScore = std::min(result_.LowestScore, score);
    }

    const GreySearchImage& image_;
    const GreyReference& reference_;
    int factor_;
    int threads_;
    int reachX_;
    int reachY_;
    std::vector<Run> runs_;
    int placements_ = 0;
    std::vector<float> scores_;
    PositionSearchResult result_;
};

// Columns of offsets around the candidate, the candidate's own row and column left out when
// the rules say so.
void addFineSearch(SearchState& search, const SearchRecord& centre, const SearchRules& rules) {
    const int reach = rules.fineReach;
    for (int a = -reach; a <= reach; ++a) {
        if (!rules.skipCandidateAxes) {
            search.add(centre.X + a, centre.Y - reach, 0, 1, 2 * reach + 1);
        } else if (a != 0) {
            search.add(centre.X + a, centre.Y - reach, 0, 1, reach);
            search.add(centre.X + a, centre.Y + 1, 0, 1, reach);
        }
    }
}

// The scores of the 3 x 3 placements around (x, y), row by row.
std::array<double, 9> patchScores(const GreySearchImage& image, const GreyReference& reference,
                                  int x, int y) {
    std::array<float, 9> scores{};
    for (int row = 0; row < 3; ++row) {
        image.scoreRun(reference, x - 1, y - 1 + row, 1, 0, 3, &scores[row * 3]);
    }
    std::array<double, 9> patch{};
    std::copy(scores.begin(), scores.end(), patch.begin());
    return patch;
}

}  // namespace

SubPixelPlacement refinePlacement(const GreySearchImage& image, const GreyReference& reference,
                                  int x, int y, int climb) {
    std::array<double, 9> patch = patchScores(image, reference, x, y);
    for (int step = 0; step < climb; ++step) {
        const auto best = std::max_element(patch.begin(), patch.end()) - patch.begin();
        if (patch[best] <= patch[4]) {
            break;
        }
        x += static_cast<int>(best % 3) - 1;
        y += static_cast<int>(best / 3) - 1;
        patch = patchScores(image, reference, x, y);
    }
    const PatchPeak peak = fitPatchPeak(patch);
    return {x + peak.dx, y + peak.dy, peak.score};
}

SubPixelPlacement bestPlacementNear(const GreySearchImage& image, const GreyReference& reference,
                                    int x, int y, int reach) {
    const int side = 2 * reach + 1;
    std::vector<float> scores(static_cast<std::size_t>(side) * side);
    for (int row = 0; row < side; ++row) {
        image.scoreRun(reference, x - reach, y - reach + row, 1, 0, side, &scores[row * side]);
    }
    const auto best = std::max_element(scores.begin(), scores.end()) - scores.begin();
    return refinePlacement(image, reference, x - reach + static_cast<int>(best % side),
                           y - reach + static_cast<int>(best / side), 1);
}

bool needsFineSearch(const std::array<SearchRecord, 4>& candidates, int index, int reach) {
    for (int earlier = 0; earlier < index; ++earlier) {
        const bool outside = std::abs(candidates[index].X - candidates[earlier].X) > reach ||
                             std::abs(candidates[index].Y - candidates[earlier].Y) > reach;
        if (!outside) {
            return false;
        }
    }
    return true;
}

PositionSearchResult PositionSearch(const GreySearchImage& image, const GreyReference& reference,
                                    int factor, const SearchRules& rules, int threads) {
    SearchState search(image, reference, factor, threads);
    const int reach = search.coarseReach();
    for (int i = -reach; i <= reach; ++i) {
        search.add(kCoarseStep * i, -kCoarseStep * reach, 0, kCoarseStep, 2 * reach + 1);
    }
    search.tryAll();
    PositionSearchResult& result = search.result();
    result.Candidates = result.BestHistory;
    for (int k = 0; k < 4; ++k) {
        result.Refined[k] = needsFineSearch(result.Candidates, k, rules.fineReach);
        if (result.Refined[k]) {
            addFineSearch(search, result.Candidates[k], rules);
        }
    }
    search.tryAll();
    return result;
}
