#include "vision/VisualCorrelation.h"

#include "vision/FilterRotation.h"
#include "vision/FilterWindow.h"
#include "vision/ParallelFor.h"
#include "vision/PositionSearch.h"
#include "vision/SearchFrame.h"
#include "vision/SearchScale.h"
#include "vision/VisionTestSession.h"

namespace {

// The window the position search looks in: its grey values, where the camera's optical axis
// lies in it, and in the test mode the window itself.
struct SearchImage {
    GreySearchImage grey;
    SearchFrame frame;
    ImagePtr picture;
};

// Only the window of a turned image is turned: the rest would be thrown away. The resize of
// both images to their own size that follows in the search is a plain copy and is left out.
void prepareSearchImage(const TBitmap32& camera, const TBitmap32& reference, double angle,
                        int margin, bool keepPicture, SearchImage& search) {
    const int width = reference.Width + margin;
    const int height = reference.Height + margin;
    if (angle == 0) {
        const WindowBounds window = searchWindow(camera.Width, camera.Height, width, height);
        search.grey.assign(camera, window);
        search.frame = {static_cast<double>(camera.Width / 2 - window.Left),
                        static_cast<double>(camera.Height / 2 - window.Bottom), 0};
        if (keepPicture) {
            search.picture = copyWindow(camera, window);
        }
        return;
    }
    TFilterRotation rotation;
    rotation.setParameterSingle("ANGLE", static_cast<float>(angle));
    const RotationPlan plan = rotation.plan(camera.Width, camera.Height);
    const WindowBounds window = searchWindow(plan.outWidth, plan.outHeight, width, height);
    ImagePtr turned = createImage(window.width(), window.height());
    renderRotation(camera, plan, window.Left, window.Bottom, *turned);
    search.grey.assign(*turned);
    // The turn is about the camera's centre pixel, which lands on (centre + shift).
    search.frame = {plan.centerX + plan.shiftX - window.Left,
                    plan.centerY + plan.shiftY - window.Bottom, angle};
    if (keepPicture) {
        search.picture = std::move(turned);
    }
}

// The offset in pixels (Y up) of the literal answer: whole pixels of the searched image, turned
// back by the image's turn.
PixelOffset literalOffset(const SearchRecord& best, double angle) {
    double x = best.X * best.Factor;
    double y = -(best.Y * best.Factor);  // rows count downwards, Y upwards
    if (angle != 0) {
        turnPoint(x, y, angle);
    }
    return {x, y};
}

// The refined answer: the peak between the pixels around the best placement, measured from the
// optical axis.
PixelOffset refinedOffset(const SearchImage& search, const GreyReference& reference,
                          const SearchRecord& best) {
    const SubPixelPlacement peak = refinePlacement(search.grey, reference, best.X, best.Y, 1);
    const SearchSizes sizes{search.grey.width(), search.grey.height(), reference.width(),
                            reference.height()};
    return cameraOffsetOf(search.frame, sizes, peak.x, peak.y);
}

void setPositionResult(VisionState& state, double score, PixelOffset offset, bool upCamera,
                       double mmPerPixel) {
    if (upCamera) {
        offset.x = -offset.x;  // the up camera sees the part from below, mirrored
    }
    state.VisionCorrelation = score;
    state.VisionCentreX = offset.x * mmPerPixel;
    state.VisionCentreY = offset.y * mmPerPixel;
}

bool finish(VisionState& state, bool found) {
    if (!found) {
        state.VisionCorrelation = 0;
        state.VisionCentreX = 0;
        state.VisionCentreY = 0;
    }
    state.VisionAngle = 0;
    state.VisionResultText = positionResultText(state);
    return found;
}

}  // namespace

bool VisualCorrelation(const VisionContext& vision, double angle, int enlargeMM, bool useUpCamera) {
    VisionTestSession session(vision);
    VisionState& state = vision.state;
    const TBitmap32* camera =
        useUpCamera ? state.ImageUplooking.get() : state.ImageDownlooking.get();
    const TBitmap32* reference = state.ImageReference.get();
    if (!camera || !reference) {
        return finish(state, false);
    }
    const MachineSettings& settings = vision.settings;
    const double viewWidth =
        useUpCamera ? settings.uplookingCameraViewWidthMM : settings.downlookingCameraViewWidthMM;
    const SearchScale scale = searchScale(viewWidth, camera->Width, enlargeMM);

    SearchImage search;
    prepareSearchImage(*camera, *reference, angle, scale.margin, session.active(), search);
    if (search.picture) {
        session.pause(*search.picture, *reference);
    }
    const GreyReference greyReference(*reference);
    const PositionSearchResult result = PositionSearch(
        search.grey, greyReference, 1, kPositionSearchRules, searchThreads(vision.threads));
    const SearchRecord& best = result.BestHistory[0];
    const bool found =
        positionFound(best.Score, result.LowestScore, settings.visionCorrelationLimit);
    if (found) {
        const PixelOffset offset = vision.precision == SearchPrecision::Refined
                                       ? refinedOffset(search, greyReference, best)
                                       : literalOffset(best, angle);
        setPositionResult(state, best.Score, offset, useUpCamera, scale.mmPerPixel);
    }
    return finish(state, found);
}
