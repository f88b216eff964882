#include "vision/SearchFrame.h"

#include "vision/SearchScale.h"

namespace {

// The searched image's column (row) under the reference's centre pixel at placement 0: the
// reference's top-left lies half the size difference in, rounded toward zero.
double centreAtZero(int imageSize, int referenceSize) {
    return (imageSize - referenceSize) / 2 + referenceSize / 2;
}

}  // namespace

PixelOffset cameraOffsetOf(const SearchFrame& frame, const SearchSizes& sizes, double x, double y) {
    // From the axis in the searched image, rows down; then turned back into the camera image.
    double right = centreAtZero(sizes.imageWidth, sizes.referenceWidth) + x - frame.axisX;
    double up = -(centreAtZero(sizes.imageHeight, sizes.referenceHeight) + y - frame.axisY);
    turnPoint(right, up, frame.turn);
    return {right, up};
}

PixelOffset placementOf(const SearchFrame& frame, const SearchSizes& sizes, PixelOffset offset) {
    turnPoint(offset.x, offset.y, -frame.turn);
    return {frame.axisX + offset.x - centreAtZero(sizes.imageWidth, sizes.referenceWidth),
            frame.axisY - offset.y - centreAtZero(sizes.imageHeight, sizes.referenceHeight)};
}
