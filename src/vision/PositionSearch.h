#pragma once

#include <array>

#include "vision/GreyCorrelation.h"

// One candidate placement: its score and the offset of the reference's centre from the search
// image's centre (X right, Y down, in pixels of the image searched, which was shrunk by Factor).
struct SearchRecord {
    double Score = 0;
    int X = 0;
    int Y = 0;
    int Factor = 1;
};

// What differs between the plain position search and the one inside the angle search.
struct SearchRules {
    int fineReach;           // a fine search covers offsets -reach .. reach around a candidate
    bool skipCandidateAxes;  // and leaves out the row and the column through the candidate
};
inline constexpr SearchRules kPositionSearchRules{6, false};
inline constexpr SearchRules kAngleSearchRules{7, true};

struct PositionSearchResult {
    // The best placement first, then the three bests it displaced, newest first.
    std::array<SearchRecord, 4> BestHistory;
    // The lowest score of the search, invalid placements (score 0) included.
    double LowestScore = 1.0;
    // The history after the coarse grid, and which of those candidates were refined.
    std::array<SearchRecord, 4> Candidates;
    std::array<bool, 4> Refined{};
};

// The coarse grid (every 8 pixels) followed by fine searches around the best candidates.
// Scores are computed on up to `threads` threads, then taken in the search order, so the result
// does not depend on the thread count.
PositionSearchResult PositionSearch(const GreySearchImage& image, const GreyReference& reference,
                                    int factor, const SearchRules& rules, int threads);

// A placement found to a fraction of a pixel (offsets as the search counts them) and the score
// of the peak fitted there.
struct SubPixelPlacement {
    double x = 0;
    double y = 0;
    double score = 0;
};

// The peak of the scores near placement (x, y): the placement climbs to its best neighbour, at
// most `climb` times, until none of the eight is better, and a quadratic fitted to the 3 x 3
// scores around it tells where between them the peak lies.
SubPixelPlacement refinePlacement(const GreySearchImage& image, const GreyReference& reference,
                                  int x, int y, int climb);

// The best of the placements within `reach` of (x, y) in both directions, found to a fraction of
// a pixel as above.
SubPixelPlacement bestPlacementNear(const GreySearchImage& image, const GreyReference& reference,
                                    int x, int y, int reach);

// Candidate `index` is refined when it lies outside the fine-search window of every earlier
// candidate, that is more than `reach` pixels away from each in X or in Y.
bool needsFineSearch(const std::array<SearchRecord, 4>& candidates, int index, int reach);
