#include "vision/PeakFit.h"

#include <algorithm>

namespace {

// The centre sample is the best of the nine: the top lies nearer to it than to a neighbour.
constexpr double kHalf = 0.5;

double at(const std::array<double, 9>& scores, int x, int y) {
    return scores[static_cast<std::size_t>((y + 1) * 3 + (x + 1))];
}

// f = a + b x + c y + d x^2 + e x y + g y^2 through the centre row and column, with the cross
// term from the corners: exact for a quadratic surface, and led by the samples nearest the top.
struct Quadratic {
    double a, b, c, d, e, g;

    double operator()(double x, double y) const {
        return a + b * x + c * y + d * x * x + e * x * y + g * y * y;
    }
};

Quadratic quadraticThrough(const std::array<double, 9>& s) {
    return {at(s, 0, 0),
            (at(s, 1, 0) - at(s, -1, 0)) / 2,
            (at(s, 0, 1) - at(s, 0, -1)) / 2,
            (at(s, 1, 0) + at(s, -1, 0)) / 2 - at(s, 0, 0),
            (at(s, -1, -1) + at(s, 1, 1) - at(s, 1, -1) - at(s, -1, 1)) / 4,
            (at(s, 0, 1) + at(s, 0, -1)) / 2 - at(s, 0, 0)};
}

}  // namespace

ParabolaPeak fitParabolaPeak(double before, double centre, double after, double reach) {
    const double curvature = before - 2 * centre + after;
    if (!(curvature < 0)) {
        return {0, centre};
    }
    const double offset = std::clamp((before - after) / (2 * curvature), -reach, reach);
    const double slope = (after - before) / 2;
    return {offset, centre + slope * offset + curvature / 2 * offset * offset};
}

PatchPeak fitPatchPeak(const std::array<double, 9>& scores) {
    const Quadratic q = quadraticThrough(scores);
    const double determinant = 4 * q.d * q.g - q.e * q.e;
    if (q.d < 0 && determinant > 0) {
        const double dx = std::clamp((q.e * q.c - 2 * q.g * q.b) / determinant, -kHalf, kHalf);
        const double dy = std::clamp((q.e * q.b - 2 * q.d * q.c) / determinant, -kHalf, kHalf);
        return {dx, dy, q(dx, dy)};
    }
    const ParabolaPeak x =
        fitParabolaPeak(at(scores, -1, 0), at(scores, 0, 0), at(scores, 1, 0), kHalf);
    const ParabolaPeak y =
        fitParabolaPeak(at(scores, 0, -1), at(scores, 0, 0), at(scores, 0, 1), kHalf);
    return {x.offset, y.offset, std::max(x.score, y.score)};
}
