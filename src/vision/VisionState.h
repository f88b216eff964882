#pragma once

#include <QString>

#include "vision/Image.h"

// The images the searches work on and their last result, shared by the camera, homing,
// fiducial and pick code and shown by the main window.
struct VisionState {
    ImagePtr ImageReference;    // the snap to find: loaded before a search, freed after it
    ImagePtr ImageDownlooking;  // the last frame of each camera
    ImagePtr ImageUplooking;

    double VisionCentreX = 0;  // offset of the found reference from the image centre, mm
    double VisionCentreY = 0;
    double VisionAngle = 0;        // turn found by the angle search, degrees
    double VisionCorrelation = 0;  // the winning score, -1 .. 1
    QString VisionResultText;      // the result line for LabelVisionResult
};
