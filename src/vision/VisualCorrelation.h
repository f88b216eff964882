#pragma once

#include "context/OperatorPort.h"
#include "settings/MachineSettings.h"
#include "vision/Image.h"
#include "vision/VisionState.h"

// Shows the two images a search is about to compare while the vision test mode is on (the
// vision test window): opened at the start of a search, closed at its end.
class VisionTestDisplay {
public:
    virtual ~VisionTestDisplay() = default;
    virtual void open() = 0;
    virtual void show(const TBitmap32& searchImage, const TBitmap32& reference) = 0;
    virtual void close() = 0;
};

// Literal: the answers of the searches as they are defined, offsets in whole pixels (of the
// shrunk images, for the angle search) and angles in whole steps. Refined, what the program
// uses: those answers refined at full resolution to a fraction of a pixel and of a step
// (DESIGN.md, "Refined searches"). Whether the reference was found, and the score shown, are
// the literal search's either way.
enum class SearchPrecision { Literal, Refined };

// What a search needs from the program: its images and result fields, the settings it reads
// (view widths, "Vision Correlation Limit", "Uplooking Camera Angle Test Limit",
// "Vision Test Mode"), and the operator port for the test mode's "SINGLE STEP!" pause.
struct VisionContext {
    VisionState& state;
    const MachineSettings& settings;
    OperatorPort& port;
    VisionTestDisplay* testDisplay = nullptr;
    int threads = 0;  // 0: every core
    SearchPrecision precision = SearchPrecision::Refined;
};

// Finds state.ImageReference in the up- or down-camera image, first turned by `angle` degrees
// (0 for the down camera, the part's angle for the up camera), searching `enlargeMM` beyond the
// reference's size. True: VisionCorrelation and VisionCentreX/Y (mm from the image centre,
// machine sense) hold the result; false: they are 0. VisionAngle is 0 either way, and
// VisionResultText holds the result line. Missing images give false.
bool VisualCorrelation(const VisionContext& vision, double angle, int enlargeMM, bool useUpCamera);

// Finds state.ImageReference in the up-camera image and measures its turn, sweeping trial
// angles around `angle` up to "Uplooking Camera Angle Test Limit". True: VisionCorrelation,
// VisionCentreX/Y (mm, in the camera image: the offset found in the image turned by `angle`
// plus the trial angle is turned back by both) and VisionAngle (degrees, relative to `angle`)
// hold the result. False: VisionAngle is unchanged and the other three hold the last trial's
// values (pixels of the turned image). VisionResultText holds the result line, in mm either
// way. Missing images give false.
bool AngularVisualCorrelation(const VisionContext& vision, double angle, int enlargeMM);
