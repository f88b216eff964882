#include "vision/SnapBox.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "vision/VideoRulers.h"

namespace {

// At most the whole extent and 90 % of it, at least 5 % of it.
int limitToExtent(int length, int extent) {
    length = std::min(length, extent);
    length = std::min(length, RoundHalfEven(0.9 * extent));
    return std::max(length, RoundHalfEven(0.05 * extent));
}

// Picture-control coordinate -> frame pixel: `shownStart`/`scale` map the control onto the
// frame; the -1 keeps the rounding of the 800 x 600 case.
int toFrame(int controlPosition, double shownStart, double scale, int frameExtent) {
    const int pixel = RoundHalfEven((controlPosition - shownStart) * scale) - 1;
    return std::clamp(pixel, 0, frameExtent - 1);
}

}  // namespace

std::array<QRect, 4> SnapBox::outline() const {
    const int high = Bottom - Top + 3;
    const int wide = Right - Left + 3;
    return {QRect(Left - 1, Top - 1, 2, high), QRect(Right + 2, Top, 2, high),
            QRect(Left - 1, Top - 1, wide, 2), QRect(Left - 1, Bottom + 2, wide, 2)};
}

SnapBox SnapBoxForPress(QSize control, QPoint press) {
    SnapBox box;
    box.CentreX = control.width() / 2;
    box.CentreY = control.height() / 2;
    box.Height = limitToExtent(std::abs(press.y() - box.CentreY) * 2, control.height());
    box.Width = limitToExtent(std::abs(press.x() - box.CentreX) * 2, control.width());
    box.Width = std::min(box.Width, RoundHalfEven(0.9 * control.height()));
    box.Top = static_cast<int>(box.CentreY - box.Height / 2.0);
    box.Bottom = static_cast<int>(box.Height / 2.0 + box.CentreY);
    box.Left = static_cast<int>(box.CentreX - box.Width / 2.0);
    box.Right = static_cast<int>(box.Width / 2.0 + box.CentreX);
    return box;
}

WindowBounds SnapWindowInFrame(const SnapBox& box, QSize control, QSize frame) {
    const QRectF shown = ShownPictureRect(QRectF(QPointF(0, 0), QSizeF(control)), frame);
    WindowBounds window;
    if (shown.isEmpty()) {
        return window;
    }
    const double sx = frame.width() / shown.width();
    const double sy = frame.height() / shown.height();
    // The window filter counts Top as the larger row: the box's lower edge.
    window.Bottom = toFrame(box.Top, shown.top(), sy, frame.height());
    window.Top = toFrame(box.Bottom + 1, shown.top(), sy, frame.height());
    window.Left = toFrame(box.Left, shown.left(), sx, frame.width());
    window.Right = toFrame(box.Right + 1, shown.left(), sx, frame.width());
    return window;
}
