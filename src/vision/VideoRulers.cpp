#include "vision/VideoRulers.h"

#include <algorithm>
#include <cmath>
#include <tuple>

std::pair<QRect, QRect> CrossHairLines(const QRect& panel) {
    return {QRect(panel.left(), panel.top() + panel.height() / 2, panel.width(), 1),
            QRect(panel.left() + panel.width() / 2, panel.top(), 1, panel.height())};
}

std::optional<RulerLayout> LayOutRulers(const QRect& panel, QSize frame, double viewWidthMM) {
    if (panel.width() <= 0 || panel.height() <= 0 || frame.width() <= 0 || frame.height() <= 0 ||
        !(viewWidthMM > 0)) {
        return std::nullopt;
    }
    RulerLayout layout;
    std::tie(layout.crossHairX, layout.crossHairY) = CrossHairLines(panel);
    const int cx = layout.crossHairY.left();
    const int cy = layout.crossHairX.top();

    // The width the picture really takes on screen: all of the panel, or less when the panel
    // is wider than the frame's proportions.
    const int shownWidth = static_cast<int>(std::min<long long>(
        panel.width(), static_cast<long long>(frame.width()) * panel.height() / frame.height()));
    if (shownWidth <= 0) {
        return std::nullopt;
    }
    const double mmPerPixel = viewWidthMM / shownWidth;
    layout.mmPerPixel = mmPerPixel;
    const int shortTick = RoundHalfEven(3 / mmPerPixel);
    const int longTick = RoundHalfEven(5 / mmPerPixel);
    const int tiny = shortTick / 5;

    layout.crossHairXSmall = QRect(cx - 2, cy - tiny, 5, 2 * tiny);
    layout.crossHairYSmall = QRect(cx - tiny, cy - 2, 2 * tiny, 5);
    for (int k = 1; k <= RulerLayout::kTicksPerSide; ++k) {
        const int d = RoundHalfEven(k / mmPerPixel);
        const int span = k % 5 == 0 ? longTick : shortTick;
        const int before = k - 1;
        const int after = RulerLayout::kTicksPerSide + k - 1;
        layout.v[before] = QRect(cx - d, cy - span, 1, 2 * span);
        layout.v[after] = QRect(cx + d, cy - span, 1, 2 * span);
        layout.h[before] = QRect(cx - span, cy - d, 2 * span, 1);
        layout.h[after] = QRect(cx - span, cy + d, 2 * span, 1);
    }
    return layout;
}

QRectF ShownPictureRect(const QRectF& area, QSize frame) {
    if (area.width() <= 0 || area.height() <= 0 || frame.width() <= 0 || frame.height() <= 0) {
        return {};
    }
    const double scale = std::min(area.width() / frame.width(), area.height() / frame.height());
    const double width = frame.width() * scale;
    const double height = frame.height() * scale;
    return QRectF(area.left() + (area.width() - width) / 2,
                  area.top() + (area.height() - height) / 2, width, height);
}
