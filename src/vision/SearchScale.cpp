#include "vision/SearchScale.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "settings/NumberText.h"

namespace {

QString twoDecimals(double value) {
    return FormatFixed(value, 2);
}

}  // namespace

SearchScale searchScale(double viewWidthMM, int imageWidth, int enlargeMM) {
    const double mmPerPixel = viewWidthMM / imageWidth;
    const double margin = std::nearbyint(enlargeMM / mmPerPixel);
    const bool failed = !std::isfinite(mmPerPixel) || mmPerPixel == 0 || !std::isfinite(margin) ||
                        std::fabs(margin) > std::numeric_limits<int>::max() / 2;
    if (failed) {
        return {0.0625, 100};
    }
    return {mmPerPixel, static_cast<int>(margin)};
}

bool positionFound(double bestScore, double lowestScore, double limit) {
    return bestScore >= limit && bestScore - lowestScore > 0.05;
}

int angleSearchFactor(int maxDimension, int largest) {
    return std::min(static_cast<int>(maxDimension / 50.0) + 1, largest);
}

double angleStep(int factor, int referenceWidth) {
    const double step = std::atan(2.0 * factor / referenceWidth) * 180 / std::numbers::pi;
    return std::isfinite(step) && step > 0 ? step : 1.0;
}

int angleStepCount(double range, double step) {
    return static_cast<int>(std::ceil(range / step));
}

void turnPoint(double& x, double& y, double degrees) {
    const double radians = degrees * std::numbers::pi / 180;
    const double turnedX = std::cos(radians) * x - std::sin(radians) * y;
    const double turnedY = std::sin(radians) * x + std::cos(radians) * y;
    x = turnedX;
    y = turnedY;
}

QString positionResultText(const VisionState& state) {
    return "Correlation = " + twoDecimals(state.VisionCorrelation) +
           "  X = " + twoDecimals(state.VisionCentreX) +
           "mm  Y = " + twoDecimals(state.VisionCentreY) + "mm";
}

QString angleResultText(double correlation, double angle, double xMM, double yMM) {
    return "Correlation = " + twoDecimals(correlation) + "  Angle = " + twoDecimals(angle) +
           "Deg.  X = " + twoDecimals(xMM) + "mm  Y = " + twoDecimals(yMM) + "mm";
}
