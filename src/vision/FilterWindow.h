#pragma once

#include "vision/Filter.h"

// Columns Left..Right and rows Bottom..Top of an image, inclusive. Rows count from the top of
// the image, so Top is the larger row index.
struct WindowBounds {
    int Left = 0;
    int Right = 0;
    int Top = 0;
    int Bottom = 0;
    int width() const { return Right - Left + 1; }
    int height() const { return Top - Bottom + 1; }
};

// Cuts a rectangle out of INIMAGE into OUTIMAGE, which takes the rectangle's size.
// Parameters: INIMAGE, OUTIMAGE, TOP, BOTTOM, LEFT, RIGHT (0..10000 each).
class TFilterWindow : public TFilter {
public:
    TFilterWindow();
    using TFilter::Run;
    void Run() override;

    // The rectangle a run copies out of an image of this size: the bounds put in order and
    // clamped to the last column and row.
    WindowBounds windowIn(int width, int height) const;

private:
    TParameterImage& inImage_;
    TParameterImage& outImage_;
    TParameterInteger& top_;
    TParameterInteger& bottom_;
    TParameterInteger& left_;
    TParameterInteger& right_;
};

// The bounds that cut a window of (width + 1) x (height + 1) pixels centred on an image of
// imageWidth x imageHeight, as the searches set them.
struct CentredWindow {
    int left;
    int right;
    int top;
    int bottom;
};
CentredWindow centredWindow(int imageWidth, int imageHeight, int width, int height);

// Sets the four bounds of a window filter.
void setWindowBounds(TFilterWindow& window, const CentredWindow& bounds);

// Where a search looks: the centred window of (width + 1) x (height + 1) pixels when it is
// smaller than the image in both directions, otherwise the whole image.
WindowBounds searchWindow(int imageWidth, int imageHeight, int width, int height);

// A new image holding the pixels of `window`.
ImagePtr copyWindow(const TBitmap32& image, const WindowBounds& window);
