#pragma once

#include <QRect>
#include <QSize>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

// The overlay of a camera picture: the cross-hair through its centre, a small cross, and a
// tick every millimetre out to 15 mm along both cross-hair lines (longer at 5, 10 and 15 mm).
struct RulerLayout {
    static constexpr int kTicksPerSide = 15;

    QRect crossHairX;  // PanelVideoCrossHairX: the horizontal line
    QRect crossHairY;  // PanelVideoCrossHairY: the vertical line
    QRect crossHairXSmall;
    QRect crossHairYSmall;
    std::array<QRect, 2 * kTicksPerSide> v;  // PanelV1..PanelV30: ticks on the horizontal line
    std::array<QRect, 2 * kTicksPerSide> h;  // PanelH1..PanelH30: ticks on the vertical line
    double mmPerPixel = 0;
};

// Rounds half to even, as the overlay's and the snap box's lengths are measured.
inline int RoundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

// The cross-hair lines through the centre of `panel`: the horizontal one, then the vertical.
std::pair<QRect, QRect> CrossHairLines(const QRect& panel);

// The overlay of a picture of `frame` pixels shown proportionally and centred in `panel`, whose
// full frame width spans `viewWidthMM`. Nothing when the panel, the frame or the view width is
// empty (there is no scale to lay out).
std::optional<RulerLayout> LayOutRulers(const QRect& panel, QSize frame, double viewWidthMM);

// The rectangle in which a picture of `frame` pixels is shown inside `area`: as large as it
// fits with its proportions kept, centred. Empty when either is empty.
QRectF ShownPictureRect(const QRectF& area, QSize frame);
