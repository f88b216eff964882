#pragma once

#include "vision/FilterBlur.h"

// Resamples INIMAGE to the size of the OUTIMAGE given by the caller. MODE 0 samples the nearest
// pixel; MODE 1 also blurs (binomial blur) before shrinking and after enlarging, so shrunk
// images keep their features. A ratio of exactly 1 is a plain copy.
class TFilterResize : public TFilter {
public:
    TFilterResize();
    using TFilter::Run;
    void Run() override;

private:
    void blur(TBitmap32& in, TBitmap32& out, double growth);

    TParameterImage& inImage_;
    TParameterImage& outImage_;
    TParameterInteger& mode_;
    TFilterBlur blur_;
};
