#pragma once

#include "vision/Filter.h"

// Smooths INIMAGE into OUTIMAGE (which takes the input's size). RADIUS 0..255, MODE:
// 0 a box blur over a square of 2k + 1 pixels a side, 1 the same box stretched along rows only,
// 2 the binomial ("Gaussian") blur that gives a grey result. k grows with RADIUS as in mode 2.
// Only mode 2 is used by the searches; modes 0 and 1 keep the colours.
class TFilterBlur : public TFilter {
public:
    TFilterBlur();
    using TFilter::Run;
    void Run() override;

private:
    TParameterImage& inImage_;
    TParameterImage& outImage_;
    TParameterInteger& radius_;
    TParameterInteger& mode_;
};

// The binomial blur of mode 2: kernel length 2k + 1 (3 when k = 0) with k = radius * 13 / 256.
// Left of the first column counts as black; the other edges repeat their last pixel.
void binomialBlur(const TBitmap32& in, TBitmap32& out, int radius);
