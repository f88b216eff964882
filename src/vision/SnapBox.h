#pragma once

#include <QRect>
#include <QSize>
#include <array>

#include "vision/FilterWindow.h"

// The box a person drags on the snap window's picture: always centred on the picture, one
// press marks a corner. Sizes are in picture-control pixels.
struct SnapBox {
    int CentreX = 0;
    int CentreY = 0;
    int Width = 0;
    int Height = 0;
    int Top = 0;
    int Bottom = 0;
    int Left = 0;
    int Right = 0;

    // The four 2-pixel outline lines: left, right, top, bottom.
    std::array<QRect, 4> outline() const;
};

// The box for a press at `press` on a control of `control` size: at least 5 % and at most
// 90 % of the control each way, and never wider than 90 % of the control's height.
SnapBox SnapBoxForPress(QSize control, QPoint press);

// The camera pixels under `box` for a frame of `frame` pixels shown proportionally and centred
// in the control, clamped to the frame. For an 800 x 600 frame filling a 4:3 control these are
// Round(top x 600 / control height) - 1 and so on.
WindowBounds SnapWindowInFrame(const SnapBox& box, QSize control, QSize frame);
