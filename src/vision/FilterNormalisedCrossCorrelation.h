#pragma once

#include <cstdint>
#include <optional>

#include "vision/Filter.h"

// The top-left pixel, in the image to search, of the area compared with the image to find when
// the centre of the image to find lies (x, y) pixels right of and below the centre of the image
// to search. Nothing when the image to find does not fit there: offsets reach half the size
// difference, rounded toward zero.
struct PlacementOrigin {
    int x0;
    int y0;
};
std::optional<PlacementOrigin> correlationPlacement(int searchWidth, int searchHeight,
                                                    int findWidth, int findHeight, std::int64_t x,
                                                    std::int64_t y);

// Scores one placement of INIMAGETOFIND in INIMAGETOSEARCH by the Pearson correlation of their
// grey values (X, Y: offset of its centre from the search image's centre). Output CORRELATION:
// 1.0 for equal content, -1.0 for inverted content, 0 for a flat area, an invalid placement or
// fewer than two pixels.
class TFilterNormalisedCrossCorrelation : public TFilter {
public:
    TFilterNormalisedCrossCorrelation();
    using TFilter::Run;
    void Run() override;

    float Correlation = 0.0f;

private:
    float score() const;

    TParameterImage& imageToSearch_;
    TParameterImage& imageToFind_;
    TParameterInteger& x_;
    TParameterInteger& y_;
    TParameterSingle& correlation_;
};
