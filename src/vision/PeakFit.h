#pragma once

#include <array>

// Where a peak lies between the samples around its best one. The searches score whole pixels
// and whole angle steps; a smooth score surface peaks in between, and a quadratic through the
// best sample and its neighbours finds where.

// A peak of a 3 x 3 patch of scores: its offset from the centre sample, in sample spacings
// (within half a spacing either way), and the fitted score there.
struct PatchPeak {
    double dx = 0;
    double dy = 0;
    double score = 0;
};

// The scores at offsets (x, y) = (-1..1, -1..1) around a best sample, row by row (y = -1 first,
// x = -1 first within a row). Fits a quadratic surface through the centre row, the centre column
// and the corners, and takes its top; when the surface has no top (a ridge, a flat patch) each
// axis takes the top of the parabola through the centre row and column, or stays at the centre.
PatchPeak fitPatchPeak(const std::array<double, 9>& scores);

// The top of the parabola through (-1, before), (0, centre), (1, after): its offset from the
// centre in sample spacings, at most `reach` either way (0 when the three do not curve down),
// and the parabola's score there.
struct ParabolaPeak {
    double offset = 0;
    double score = 0;
};
ParabolaPeak fitParabolaPeak(double before, double centre, double after, double reach);
