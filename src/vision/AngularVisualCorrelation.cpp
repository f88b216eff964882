#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "vision/AngleRefinement.h"
#include "vision/FilterResize.h"
#include "vision/FilterRotation.h"
#include "vision/FilterWindow.h"
#include "vision/ParallelFor.h"
#include "vision/PositionSearch.h"
#include "vision/SearchScale.h"
#include "vision/VisionTestSession.h"
#include "vision/VisualCorrelation.h"

namespace {

constexpr int kHalfTurn = 180;  // degrees

// One trial angle, relative to the base angle, and what the position search found at it:
// the score and the offset in full-resolution pixels (Y up) of the turned image.
struct AngleTrial {
    double relative = 0;
    float score = 0;
    double x = 0;
    double y = 0;
};

struct AngleBest {
    double score = 0;
    double angle = 0;
    double x = 0;
    double y = 0;
};

ImagePtr shrink(TBitmap32& image, int factor) {
    ImagePtr shrunk = createImage(image.Width / factor, image.Height / factor);
    TFilterResize resize;
    resize.setParameterImage("INIMAGE", &image);
    resize.setParameterImage("OUTIMAGE", shrunk.get());
    resize.setParameterInteger("MODE", 1);
    resize.Run();
    return shrunk;
}

// The search image and the reference shrunk by one factor. They do not depend on the trial
// angle, so each factor is prepared once.
struct ShrunkPair {
    ShrunkPair(TBitmap32& searchImage, TBitmap32& referenceImage, int factor)
        : factor(factor),
          image(shrink(searchImage, factor)),
          referenceImage(shrink(referenceImage, factor)),
          reference(*this->referenceImage) {}
    int factor;
    ImagePtr image;
    ImagePtr referenceImage;
    GreyReference reference;
};

// What one thread reuses from trial to trial.
struct TrialWorkspace {
    TFilterRotation rotation;
    TBitmap32 turned;
    GreySearchImage grey;
};

std::vector<AngleTrial> coarseTrials(int count, double step) {
    std::vector<AngleTrial> trials;
    for (int n = count; n >= 0; --n) {
        trials.push_back({n * step});
    }
    for (int n = count; n >= 0; --n) {
        trials.push_back({-(n * step)});
    }
    return trials;
}

std::vector<AngleTrial> refinementTrials(double centre, int count, double step) {
    std::vector<AngleTrial> trials;
    for (int n = count; n >= 0; --n) {
        trials.push_back({centre + n * step});
        trials.push_back({centre - n * step});
    }
    return trials;
}

// The centred square of size + 1 pixels, cut twice as the search always has: once from the
// camera image and once more from that window.
WindowBounds angleSearchWindow(const TBitmap32& camera, int size) {
    const WindowBounds outer = searchWindow(camera.Width, camera.Height, size, size);
    const WindowBounds inner = searchWindow(outer.width(), outer.height(), size, size);
    return {outer.Left + inner.Left, outer.Left + inner.Right, outer.Bottom + inner.Top,
            outer.Bottom + inner.Bottom};
}

// Position searches over trial angles on shrunk, turned copies of the search image.
class AngleSearch {
public:
    AngleSearch(TBitmap32& searchImage, TBitmap32& reference, const VisionTestSession& session,
                int threads)
        : searchImage_(searchImage), reference_(reference), session_(session), threads_(threads) {}

    // Tries every trial at base + its relative angle, then takes the results in trial order:
    // the state shows each in turn, and a strictly better score becomes the best. Returns the
    // last trial, whose values the state then holds.
    AngleTrial run(std::vector<AngleTrial> trials, double base, int factor, VisionState& state,
                   AngleBest& best) {
        const ShrunkPair& shrunk = pair(factor);
        ParallelFor(static_cast<int>(trials.size()), threads_, [&](int begin, int end) {
            TrialWorkspace workspace;
            for (int i = begin; i < end; ++i) {
                tryAngle(shrunk, base + trials[i].relative, trials[i], workspace);
            }
        });
        for (const AngleTrial& trial : trials) {
            state.VisionCorrelation = trial.score;
            state.VisionCentreX = trial.x;
            state.VisionCentreY = trial.y;
            if (trial.score > best.score) {
                best = {trial.score, trial.relative, trial.x, trial.y};
            }
        }
        return trials.back();
    }

private:
    const ShrunkPair& pair(int factor) {
        for (const auto& shrunk : pairs_) {
            if (shrunk->factor == factor) {
                return *shrunk;
            }
        }
        pairs_.push_back(std::make_unique<ShrunkPair>(searchImage_, reference_, factor));
        return *pairs_.back();
    }

    void tryAngle(const ShrunkPair& shrunk, double angle, AngleTrial& trial,
                  TrialWorkspace& workspace) const {
        const TBitmap32* image = shrunk.image.get();
        if (angle != 0) {
            workspace.rotation.setParameterSingle("ANGLE", static_cast<float>(angle));
            const RotationPlan plan = workspace.rotation.plan(image->Width, image->Height);
            reshapeImage(workspace.turned, plan.outWidth, plan.outHeight);
            renderRotation(*image, plan, 0, 0, workspace.turned);
            image = &workspace.turned;
        }
        session_.pause(*image, *shrunk.referenceImage);
        workspace.grey.assign(*image);
        const SearchRecord best =
            PositionSearch(workspace.grey, shrunk.reference, shrunk.factor, kAngleSearchRules, 1)
                .BestHistory[0];
        trial.score = static_cast<float>(best.Score);
        trial.x = best.X * shrunk.factor;
        trial.y = -(best.Y * shrunk.factor);
    }

    TBitmap32& searchImage_;
    TBitmap32& reference_;
    const VisionTestSession& session_;
    int threads_;
    std::vector<std::unique_ptr<ShrunkPair>> pairs_;
};

// A turn found at (x, y) pixels (Y up) of the camera image turned by `turnedBy` degrees, as an
// answer: the offset turned back into the camera image.
AngleAnswer answerOf(const AngleBest& best, double turnedBy) {
    double x = best.x;
    double y = best.y;
    turnPoint(x, y, turnedBy);
    return {best.angle, {x, y}};
}

// An offset from the optical axis in mm, machine sense: the up camera sees the part from below,
// mirrored.
PixelOffset machineOffset(PixelOffset offset, double mmPerPixel) {
    return {-offset.x * mmPerPixel, offset.y * mmPerPixel};
}

QString resultText(const VisionState& state, PixelOffset offset) {
    return angleResultText(state.VisionCorrelation, state.VisionAngle, offset.x, offset.y);
}

}  // namespace

bool AngularVisualCorrelation(const VisionContext& vision, double angle, int enlargeMM) {
    VisionTestSession session(vision);
    VisionState& state = vision.state;
    TBitmap32* camera = state.ImageUplooking.get();
    TBitmap32* reference = state.ImageReference.get();
    if (!camera || !reference) {
        state.VisionResultText = resultText(state, {state.VisionCentreX, state.VisionCentreY});
        return false;
    }
    const MachineSettings& settings = vision.settings;
    const SearchScale scale =
        searchScale(settings.uplookingCameraViewWidthMM, camera->Width, enlargeMM);
    const int maxDimension = std::max(reference->Width, reference->Height);
    const int factor = angleSearchFactor(maxDimension, 6);
    const WindowBounds window = angleSearchWindow(*camera, maxDimension + scale.margin);
    const ImagePtr searchImage = copyWindow(*camera, window);
    // The test mode pauses between trials, so it tries them one after another.
    const int threads = session.active() ? 1 : searchThreads(vision.threads);
    AngleSearch search(*searchImage, *reference, session, threads);

    // The step and the factor of the last sweep, where a refinement starts from.
    AngleRefinementStart lastSweep{{}, angleStep(factor, reference->Width), factor};
    // The sweep reaches at most half a turn either way: past that it would only try again
    // angles it has tried. A limit out of 0..180 (a damaged settings file, a typing slip) asked
    // for billions of trials, or for none, and then took a result from an empty list.
    const int limit = std::clamp(settings.uplookingCameraAngleTestLimit, 0, kHalfTurn);
    AngleBest best;
    AngleTrial last =
        search.run(coarseTrials(angleStepCount(limit, lastSweep.step), lastSweep.step), angle,
                   factor, state, best);
    if (best.score > 0 && limit > std::fabs(best.angle)) {
        if (factor > 1) {
            const int fineFactor = angleSearchFactor(maxDimension, 3);
            const double fineStep = angleStep(fineFactor, reference->Width);
            last = search.run(
                refinementTrials(best.angle, angleStepCount(lastSweep.step, fineStep), fineStep),
                angle, fineFactor, state, best);
            lastSweep.step = fineStep;
            lastSweep.factor = fineFactor;
        }
    } else {
        best = AngleBest{};
    }
    const bool found = best.score >= settings.visionCorrelationLimit;
    if (found) {
        AngleAnswer answer = answerOf(best, angle + best.angle);
        if (vision.precision == SearchPrecision::Refined) {
            lastSweep.answer = answer;
            const CameraPicture picture{*searchImage, camera->Width / 2 - window.Left,
                                        camera->Height / 2 - window.Bottom};
            answer = refineAngleAnswer(picture, *reference, angle, lastSweep, threads);
        }
        const PixelOffset offset = machineOffset(answer.offset, scale.mmPerPixel);
        state.VisionCentreX = offset.x;
        state.VisionCentreY = offset.y;
        state.VisionCorrelation = best.score;
        state.VisionAngle = answer.angle;
        state.VisionResultText = resultText(state, offset);
    } else {
        // The fields keep the last trial's pixels; the line shows them in mm like a result.
        const AngleBest lastTrial{last.score, last.relative, last.x, last.y};
        state.VisionResultText = resultText(
            state,
            machineOffset(answerOf(lastTrial, angle + last.relative).offset, scale.mmPerPixel));
    }
    return found;
}
