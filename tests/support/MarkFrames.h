#pragma once

#include <QImage>
#include <QPoint>
#include <deque>
#include <optional>

#include "vision/FrameSource.h"

// Down-camera frames of a printed home mark on a plain table, for the camera sequences before
// a simulated world renders them: each capture shows the mark at the next queued offset from
// the image centre (pixels, +x right, +y up), or the bare table for an empty entry or once the
// queue has run out. The up camera gives no frame.
class MarkFrames : public FrameSource {
public:
    static constexpr int kWidth = 400;  // with the default 40 mm view: 0.1 mm per pixel
    static constexpr int kHeight = 300;

    bool currentFrame(CameraRole camera, QImage& frame) override;

    static QImage frameWithMark(std::optional<QPoint> offset);
    // The reference snap of the mark: a cut of a frame with the mark centred.
    static QImage markSnap();

    std::deque<std::optional<QPoint>> offsets;
    int captures = 0;
};
