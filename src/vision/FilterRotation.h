#pragma once

#include "vision/Filter.h"

enum class MissingPixels { Mirror, White, Black };

// How a rotation maps output pixels to input pixels; worked out once per run.
struct RotationPlan {
    int inWidth = 1;
    int inHeight = 1;
    int outWidth = 1;
    int outHeight = 1;
    float centerX = 0;
    float centerY = 0;
    float cosine = 1;
    float sine = 0;
    // Where output pixel (0, 0) lies left of and above the turned input's centre, beyond
    // centerX and centerY: half the growth of the output over the input, toward zero. A
    // fraction puts the output's pixels between the input's.
    float shiftX = 0;
    float shiftY = 0;
    int interpolation = 2;
    MissingPixels missing = MissingPixels::Mirror;
};

// Turns INIMAGE by ANGLE degrees (positive turns the picture clockwise on screen) and publishes
// the result as OUTIMAGE, which the filter owns until its next run or its end.
// INTERPOLATION: 0 nearest (wrapping around the edges), 1 three-step, 2 bilinear.
// MISSINGPIXELCOLORMODE: "WHITE" or "BLACK" fill, anything else mirrors at the edges.
// AUTOADJUSTSIZE: the output grows to hold the turned corners.
class TFilterRotation : public TFilter {
public:
    TFilterRotation();
    using TFilter::Run;
    void Run() override;

    // The mapping a run would use for an input of this size with the current parameters.
    RotationPlan plan(int width, int height) const;

private:
    TParameterImage& inImage_;
    TParameterSingle& angle_;
    TParameterInteger& interpolation_;
    TParameterString& missingPixelMode_;
    TParameterBoolean& autoAdjustSize_;
    TParameterImage& outParameter_;
    ImagePtr outImage_;
};

// Renders the output pixels of columns left .. left + out.Width - 1 and rows
// top .. top + out.Height - 1 of a rotation into `out`, so a caller can turn only the part of a
// picture it will look at.
void renderRotation(const TBitmap32& in, const RotationPlan& plan, int left, int top,
                    TBitmap32& out);
// The same for a caller that turns many small parts of one input and has asked once whether
// it is grey (`isGreyImage`), which the plain form asks of every pixel at every call.
void renderRotation(const TBitmap32& in, const RotationPlan& plan, int left, int top,
                    TBitmap32& out, bool greyInput);

// True when every pixel has equal red, green and blue, as the blurred, shrunk images have: the
// bilinear rotation then needs one channel's arithmetic.
bool isGreyImage(const TBitmap32& image);
