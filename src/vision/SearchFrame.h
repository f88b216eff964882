#pragma once

// Where a refined search measures from. A search compares the reference with a searched image
// cut from the camera image, perhaps turned first; its offsets count from the searched image's
// centre in whole pixels. A refined answer is measured from the camera's optical axis instead,
// at pixel (width div 2, height div 2) of the camera image, the pixel that the reference's own
// centre pixel (width div 2, height div 2) stood on when the snap was cut. Counted so, an answer
// does not depend on the parity of the sizes involved nor on how much a turned image grew.

// A point's offset from the optical axis in camera pixels: X right, Y up, not yet mirrored for
// the up camera.
struct PixelOffset {
    double x = 0;
    double y = 0;
};

// The searched image is the camera image turned by `turn` degrees (the rotation filter's sense:
// clockwise on screen) about the optical axis, which lies at (axisX, axisY) of its pixels.
struct SearchFrame {
    double axisX = 0;
    double axisY = 0;
    double turn = 0;
};

// The sizes of a searched image and of the reference compared with it.
struct SearchSizes {
    int imageWidth;
    int imageHeight;
    int referenceWidth;
    int referenceHeight;
};

// Where the reference's centre pixel lies, from the optical axis in the camera image, when the
// reference is placed at offset (x, y) of the searched image (as the search counts offsets,
// fractions allowed).
PixelOffset cameraOffsetOf(const SearchFrame& frame, const SearchSizes& sizes, double x, double y);

// The placement (as the search counts offsets) that puts the reference's centre pixel at
// `offset` from the optical axis: the inverse of cameraOffsetOf.
PixelOffset placementOf(const SearchFrame& frame, const SearchSizes& sizes, PixelOffset offset);
