#include "vision/VisualCorrelation.h"

#include "vision/FilterRotation.h"
#include "vision/FilterWindow.h"
#include "vision/ParallelFor.h"
#include "vision/PositionSearch.h"
#include "vision/SearchScale.h"
#include "vision/VisionTestSession.h"

namespace {

// The grey values of the window the position search looks in, and in the test mode the window
// itself. Only the window of a turned image is turned: the rest would be thrown away. The
// resize of both images to their own size that follows in the search is a plain copy and is
// left out.
void prepareSearchImage(const TBitmap32& camera, const TBitmap32& reference, double angle,
                        int margin, GreySearchImage& grey, ImagePtr* picture) {
    const int width = reference.Width + margin;
    const int height = reference.Height + margin;
    if (angle == 0) {
        const WindowBounds window = searchWindow(camera.Width, camera.Height, width, height);
        grey.assign(camera, window);
        if (picture) {
            *picture = copyWindow(camera, window);
        }
        return;
    }
    TFilterRotation rotation;
    rotation.setParameterSingle("ANGLE", static_cast<float>(angle));
    const RotationPlan plan = rotation.plan(camera.Width, camera.Height);
    const WindowBounds window = searchWindow(plan.outWidth, plan.outHeight, width, height);
    ImagePtr turned = createImage(window.width(), window.height());
    renderRotation(camera, plan, window.Left, window.Bottom, *turned);
    grey.assign(*turned);
    if (picture) {
        *picture = std::move(turned);
    }
}

void setPositionResult(VisionState& state, const SearchRecord& best, double angle, bool upCamera,
                       double mmPerPixel) {
    double x = best.X * best.Factor;
    double y = -(best.Y * best.Factor);  // rows count downwards, Y upwards
    if (angle != 0) {
        turnPoint(x, y, angle);
    }
    if (upCamera) {
        x = -x;  // the up camera sees the part from below, mirrored
    }
    state.VisionCorrelation = best.Score;
    state.VisionCentreX = x * mmPerPixel;
    state.VisionCentreY = y * mmPerPixel;
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

    GreySearchImage searchImage;
    ImagePtr picture;
    prepareSearchImage(*camera, *reference, angle, scale.margin, searchImage,
                       session.active() ? &picture : nullptr);
    if (picture) {
        session.pause(*picture, *reference);
    }
    const GreyReference greyReference(*reference);
    const PositionSearchResult result = PositionSearch(
        searchImage, greyReference, 1, kPositionSearchRules, searchThreads(vision.threads));
    const SearchRecord& best = result.BestHistory[0];
    const bool found =
        positionFound(best.Score, result.LowestScore, settings.visionCorrelationLimit);
    if (found) {
        setPositionResult(state, best, angle, useUpCamera, scale.mmPerPixel);
    }
    return finish(state, found);
}
