#pragma once

#include <QImage>

// The machine's two cameras.
enum class CameraRole { Down = 0, Up = 1 };

// Where captured frames come from: the running cameras of the program, or frames a test
// scripts. Frames are pulled on demand only.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // The camera's current frame at full resolution: the first to arrive after the call. False,
    // with `frame` untouched, when the camera is not running (at once, also for a camera that
    // was lost), no frame arrives within about a second, or the frame is empty.
    virtual bool currentFrame(CameraRole camera, QImage& frame) = 0;
};
