#pragma once

#include <QImage>
#include <QVideoFrame>

// A camera's frame as an opaque 32-bit picture (QImage::Format_RGB32); null when the frame
// cannot be read. Safe on any thread. Full size, or, for a smaller `shown` size (the live
// picture's), the frame fitted into it with its proportions kept, each pixel the frame's
// nearest one, as an unsmoothed scaling of the whole picture would show it, at a fraction of
// the work.
//
// The formats cameras deliver (YUYV, UYVY, NV12, NV21, I420, YV12, grey, every 32-bit RGB
// byte order, MJPEG) are converted here, on the processor, the same way on
// every machine: Qt's own conversion goes through the graphics card where there is one, which
// costs many times more and answers differently from machine to machine. Other formats are
// left to Qt. YUV follows the frame's colour space (BT.601 unless it says BT.709 or BT.2020)
// and range (video range unless it says full).
QImage VideoFrameToImage(const QVideoFrame& frame, QSize shown = QSize());
