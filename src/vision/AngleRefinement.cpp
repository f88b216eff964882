#include "vision/AngleRefinement.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "vision/FilterRotation.h"
#include "vision/GreyCorrelation.h"
#include "vision/ParallelFor.h"
#include "vision/PeakFit.h"
#include "vision/PositionSearch.h"
#include "vision/SearchScale.h"

namespace {

// Step, quarter step, sixteenth of a step, while the score still rises by more than a trace:
// past that the angle moves by hundredths of a degree.
constexpr int kLevels = 3;
constexpr double kLevelDivisor = 4;
constexpr double kSettledGain = 1e-3;
// How often one level may step on toward a neighbour that scores better.
constexpr int kMovesPerLevel = 2;
// Placements a look may climb from the expected one.
constexpr int kClimb = 2;
constexpr float kHalfPixel = 0.5f;

// What one trial angle gave: the fitted peak score and where the reference lies.
struct Look {
    double angle = 0;
    double score = 0;
    PixelOffset offset;
};

class AngleRefinement {
public:
    AngleRefinement(const CameraPicture& camera, const TBitmap32& reference, double base,
                    int threads)
        : picture_(greyCopy(camera.picture)),
          axisX_(camera.axisX),
          axisY_(camera.axisY),
          reference_(reference),
          base_(base),
          threads_(threads) {}

    AngleAnswer run(const AngleRefinementStart& start) const {
        Look centre = look(start.answer.angle, start.answer.offset, start.factor + 1);
        double spacing = start.step;
        for (int level = 0; level < kLevels; ++level, spacing /= kLevelDivisor) {
            const Look refined = refineLevel(centre, spacing);
            const bool settled = refined.score - centre.score < kSettledGain;
            centre = refined;
            if (settled) {
                break;
            }
        }
        return {centre.angle, centre.offset};
    }

private:
    // One level: the best angle and its neighbours `spacing` apart, stepping on while a neighbour
    // scores better, then the top of the parabola through the three when it scores better still.
    Look refineLevel(Look centre, double spacing) const {
        Look sides[2];
        ParallelFor(2, threads_, [&](int begin, int end) {
            for (int side = begin; side < end; ++side) {
                sides[side] = look(centre.angle + (side == 0 ? -spacing : spacing), centre.offset);
            }
        });
        Look& before = sides[0];
        Look& after = sides[1];
        for (int move = 0;
             move < kMovesPerLevel && std::max(before.score, after.score) > centre.score; ++move) {
            if (after.score > before.score) {
                before = std::exchange(centre, after);
                after = look(centre.angle + spacing, centre.offset);
            } else {
                after = std::exchange(centre, before);
                before = look(centre.angle - spacing, centre.offset);
            }
        }
        const ParabolaPeak top = fitParabolaPeak(before.score, centre.score, after.score, 1);
        if (top.offset != 0) {
            const Look between = look(centre.angle + top.offset * spacing, centre.offset);
            if (between.score > centre.score) {
                return between;
            }
        }
        return centre;
    }

    // Turns the camera image by base + `angle` about its optical axis, only where the reference
    // may lie: around `expected`, with room for `reach` pixels of search and the climb.
    Look look(double angle, PixelOffset expected, int reach = 0) const {
        const double turn = base_ + angle;
        const RotationPlan plan = planOf(turn);
        const int margin = reach + kClimb + 1;
        const SearchSizes sizes{reference_.width() + 2 * margin, reference_.height() + 2 * margin,
                                reference_.width(), reference_.height()};
        // The patch's left column and top row in the turned image, whose axis lies at the centre.
        PixelOffset turned = expected;
        turnPoint(turned.x, turned.y, -turn);
        const double axisX = plan.centerX + plan.shiftX;
        const double axisY = plan.centerY + plan.shiftY;
        const long left = std::lround(axisX + turned.x) - reference_.width() / 2 - margin;
        const long top = std::lround(axisY - turned.y) - reference_.height() / 2 - margin;
        TBitmap32 patch;
        reshapeImage(patch, sizes.imageWidth, sizes.imageHeight);
        renderRotation(picture_, plan, static_cast<int>(left), static_cast<int>(top), patch, true);
        GreySearchImage grey;
        grey.assign(patch);
        const SubPixelPlacement peak = reach > 0 ? bestPlacementNear(grey, reference_, 0, 0, reach)
                                                 : refinePlacement(grey, reference_, 0, 0, kClimb);
        const SearchFrame frame{axisX - left, axisY - top, turn};
        return {angle, peak.score, cameraOffsetOf(frame, sizes, peak.x, peak.y)};
    }

    // The searches compare grey values: the picture turns a third faster as grey.
    static TBitmap32 greyCopy(const TBitmap32& picture) {
        TBitmap32 grey;
        reshapeImage(grey, picture.Width, picture.Height);
        std::transform(picture.Bits.begin(), picture.Bits.end(), grey.Bits.begin(),
                       [](TColor32 pixel) { return greyToColor(colorToGrey(pixel), 255); });
        return grey;
    }

    // The rotation filter's mapping at its defaults, about the optical axis, with the output's
    // pixels half a pixel off the input's. Turned by a small angle on whole pixels, a picture
    // would be copied where the turn is near nothing and blended further out: the sensor noise
    // it averages away would lift the scores of the angles that blend more, and draw the answer
    // away from the straight part. Half a pixel off, every pixel is blended about alike.
    RotationPlan planOf(double turn) const {
        RotationPlan plan;
        plan.inWidth = picture_.Width;
        plan.inHeight = picture_.Height;
        plan.centerX = static_cast<float>(axisX_);
        plan.centerY = static_cast<float>(axisY_);
        const double theta = static_cast<double>(static_cast<float>(turn)) * std::numbers::pi / 180;
        plan.cosine = static_cast<float>(std::cos(theta));
        plan.sine = static_cast<float>(std::sin(theta));
        plan.shiftX = kHalfPixel;
        plan.shiftY = kHalfPixel;
        return plan;
    }

    TBitmap32 picture_;
    int axisX_;
    int axisY_;
    GreyReference reference_;
    double base_;
    int threads_;
};

}  // namespace

AngleAnswer refineAngleAnswer(const CameraPicture& camera, const TBitmap32& reference, double base,
                              const AngleRefinementStart& start, int threads) {
    return AngleRefinement(camera, reference, base, threads).run(start);
}
