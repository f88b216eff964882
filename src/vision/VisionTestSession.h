#pragma once

#include "vision/VisualCorrelation.h"

// The vision test mode for the length of one search: the test window is open while the search
// runs, and every prepared pair of images waits for the person's "SINGLE STEP!".
class VisionTestSession {
public:
    explicit VisionTestSession(const VisionContext& vision)
        : vision_(vision), active_(vision.settings.visionTestMode) {
        if (active_ && vision_.testDisplay) {
            vision_.testDisplay->open();
        }
    }
    ~VisionTestSession() {
        if (active_ && vision_.testDisplay) {
            vision_.testDisplay->close();
        }
    }
    VisionTestSession(const VisionTestSession&) = delete;
    VisionTestSession& operator=(const VisionTestSession&) = delete;

    bool active() const { return active_; }

    void pause(const TBitmap32& searchImage, const TBitmap32& reference) const {
        if (!active_) {
            return;
        }
        if (vision_.testDisplay) {
            vision_.testDisplay->show(searchImage, reference);
        }
        vision_.port.showInformation("SINGLE STEP!");
    }

private:
    const VisionContext& vision_;
    bool active_;
};
