#include "support/MarkFrames.h"

#include <QPainter>

bool MarkFrames::currentFrame(CameraRole camera, QImage& frame) {
    if (camera != CameraRole::Down) {
        return false;
    }
    ++captures;
    std::optional<QPoint> offset;
    if (!offsets.empty()) {
        offset = offsets.front();
        offsets.pop_front();
    }
    frame = frameWithMark(offset);
    return true;
}

QImage MarkFrames::frameWithMark(std::optional<QPoint> offset) {
    QImage frame(kWidth, kHeight, QImage::Format_RGB32);
    frame.fill(QColor(200, 200, 190));
    if (!offset) {
        return frame;
    }
    const QPoint centre(kWidth / 2 + offset->x(), kHeight / 2 - offset->y());
    QPainter painter(&frame);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 20, 20));
    // A ring with a bar through it and a dot beside it: one position only fits.
    painter.drawRect(centre.x() - 12, centre.y() - 2, 24, 4);
    painter.drawRect(centre.x() - 2, centre.y() - 12, 4, 24);
    painter.drawRect(centre.x() + 6, centre.y() + 6, 5, 5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(20, 20, 20), 3));
    painter.drawEllipse(centre, 16, 16);
    return frame;
}

QImage MarkFrames::markSnap() {
    constexpr int size = 48;
    return frameWithMark(QPoint(0, 0))
        .copy(kWidth / 2 - size / 2, kHeight / 2 - size / 2, size, size);
}
