#include "vision/FilterWindow.h"

#include <algorithm>
#include <cstring>
#include <utility>

TFilterWindow::TFilterWindow()
    : inImage_(addParameterImage("INIMAGE", "input image")),
      outImage_(addParameterImage("OUTIMAGE", "result image")),
      top_(addParameterInteger("TOP", "top greater than bottom", 0, 10000, 0)),
      bottom_(addParameterInteger("BOTTOM", "bottom less than top", 0, 10000, 0)),
      left_(addParameterInteger("LEFT", "left less than right", 0, 10000, 0)),
      right_(addParameterInteger("RIGHT", "right greater than left", 0, 10000, 0)) {}

WindowBounds TFilterWindow::windowIn(int width, int height) const {
    auto left = static_cast<int>(left_.Value);
    auto right = static_cast<int>(right_.Value);
    auto top = static_cast<int>(top_.Value);
    auto bottom = static_cast<int>(bottom_.Value);
    if (right < left) {
        std::swap(left, right);
    }
    if (top < bottom) {
        std::swap(top, bottom);
    }
    return {std::min(left, width - 1), std::min(right, width - 1), std::min(top, height - 1),
            std::min(bottom, height - 1)};
}

void TFilterWindow::Run() {
    TBitmap32* in = inImage_.Value;
    TBitmap32* out = outImage_.Value;
    if (!in || !out) {
        return;
    }
    const WindowBounds window = windowIn(in->Width, in->Height);
    const auto needed = static_cast<std::size_t>(window.width()) * window.height();
    // An output smaller than the window grows instead of being overrun.
    if (out->Bits.size() < needed) {
        out->Bits.resize(needed);
    }
    // Rows move towards the start of the buffer, so the input may also be the output.
    for (int row = 0; row < window.height(); ++row) {
        std::memmove(&out->Bits[static_cast<std::size_t>(row) * window.width()],
                     &in->pixel(window.Left, window.Bottom + row),
                     static_cast<std::size_t>(window.width()) * sizeof(TColor32));
    }
    reshapeImage(*out, window.width(), window.height());
}

CentredWindow centredWindow(int imageWidth, int imageHeight, int width, int height) {
    const int bottom = imageHeight / 2 - height / 2;
    const int left = imageWidth / 2 - width / 2;
    return {left, left + width, bottom + height, bottom};
}

void setWindowBounds(TFilterWindow& window, const CentredWindow& bounds) {
    window.setParameterInteger("BOTTOM", bounds.bottom);
    window.setParameterInteger("TOP", bounds.top);
    window.setParameterInteger("LEFT", bounds.left);
    window.setParameterInteger("RIGHT", bounds.right);
}

WindowBounds searchWindow(int imageWidth, int imageHeight, int width, int height) {
    if (width < imageWidth && height < imageHeight) {
        TFilterWindow window;
        setWindowBounds(window, centredWindow(imageWidth, imageHeight, width, height));
        return window.windowIn(imageWidth, imageHeight);
    }
    return WindowBounds{0, imageWidth - 1, imageHeight - 1, 0};
}

ImagePtr copyWindow(const TBitmap32& image, const WindowBounds& window) {
    ImagePtr copy = createImage(window.width(), window.height());
    for (int row = 0; row < window.height(); ++row) {
        const TColor32* source = &image.pixel(window.Left, window.Bottom + row);
        std::copy(source, source + window.width(), &copy->pixel(0, row));
    }
    return copy;
}
