#pragma once

#include "vision/Image.h"
#include "vision/SearchFrame.h"

// An answer of the angle search: the turn found, in degrees relative to the base angle, and
// where the reference's centre lies from the optical axis (camera pixels, Y up, not mirrored).
struct AngleAnswer {
    double angle = 0;
    PixelOffset offset;
};

// The part of the camera image the angle search looked at, and where the optical axis lies in
// its pixels.
struct CameraPicture {
    const TBitmap32& picture;
    int axisX;
    int axisY;
};

// What the refinement starts from: the angle search's whole-step answer, the step of its last
// sweep and the factor that sweep shrank the images by.
struct AngleRefinementStart {
    AngleAnswer answer;
    double step = 1;
    int factor = 1;
};

// Refines the angle search's answer below its step and below a pixel, on the camera image at
// full resolution (in grey). Each look turns the part of the camera image around the reference's
// expected place by a trial angle and fits the peak of the scores around the best placement there;
// the angle then follows the tops of parabolas through the peak scores at the best angle and its
// two neighbours, a step, a quarter step and a sixteenth of a step apart (until the score stops
// rising), stepping on while a neighbour scores better. Every move raises the full-resolution
// score, so the answer is never worse than the one it starts from, and a start a step or two off
// (the shrunk images match poorly at some offsets) is set right. `threads`: the looks at the two
// neighbours may run side by side.
AngleAnswer refineAngleAnswer(const CameraPicture& camera, const TBitmap32& reference, double base,
                              const AngleRefinementStart& start, int threads);
