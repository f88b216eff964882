#pragma once

#include <QString>

#include "vision/VisionState.h"

// Millimetres per camera pixel and the margin, in pixels, by which a search may reach beyond
// the reference's own size. A view width or image width that makes either division fail gives
// 0.0625 mm per pixel and a margin of 100.
struct SearchScale {
    double mmPerPixel;
    int margin;
};
SearchScale searchScale(double viewWidthMM, int imageWidth, int enlargeMM);

// A position search found its reference when the best score reaches the limit and stands out
// from the lowest score by more than 0.05.
bool positionFound(double bestScore, double lowestScore, double limit);

// The angle search works on images shrunk by maxDimension / 50 + 1, at most `largest`.
int angleSearchFactor(int maxDimension, int largest);
// The turn, in degrees, that moves a point at half the reference's width by `factor` pixels
// (1 degree when that cannot be worked out).
double angleStep(int factor, int referenceWidth);
// Steps of `step` degrees needed to cover `range` degrees, rounded up.
int angleStepCount(double range, double step);

// Turns (x, y) by `degrees` (counter-clockwise with Y up).
void turnPoint(double& x, double& y, double degrees);

// The result line after a position search and after an angle search (offsets in mm).
QString positionResultText(const VisionState& state);
QString angleResultText(double correlation, double angle, double xMM, double yMM);
