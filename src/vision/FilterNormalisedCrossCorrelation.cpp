#include "vision/FilterNormalisedCrossCorrelation.h"

#include <cmath>

namespace {

// Mean and sample standard deviation of a grey sequence, both kept as 32-bit floats.
struct Spread {
    float mean;
    float deviation;
};

template <typename GreyAt>
Spread spreadOf(std::int64_t count, GreyAt grey) {
    double sum = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        sum += grey(i);
    }
    const auto mean = static_cast<float>(sum / static_cast<double>(count));
    double squares = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double deviation = grey(i) - mean;
        squares += deviation * deviation;
    }
    return {mean, static_cast<float>(std::sqrt(squares / static_cast<double>(count - 1)))};
}

}  // namespace

std::optional<PlacementOrigin> correlationPlacement(int searchWidth, int searchHeight,
                                                    int findWidth, int findHeight, std::int64_t x,
                                                    std::int64_t y) {
    const int dW = searchWidth - findWidth;
    const int dH = searchHeight - findHeight;
    if (dW < 0 || dH < 0 || x > dW / 2 || x < -dW / 2 || y > dH / 2 || y < -dH / 2) {
        return std::nullopt;
    }
    return PlacementOrigin{dW / 2 + static_cast<int>(x), dH / 2 + static_cast<int>(y)};
}

TFilterNormalisedCrossCorrelation::TFilterNormalisedCrossCorrelation()
    : imageToSearch_(addParameterImage("INIMAGETOSEARCH", "input image to search")),
      imageToFind_(addParameterImage("INIMAGETOFIND", "input image to find")),
      x_(addParameterInteger("X", "the x center of image 2, in image 1", 2147483647, 2147483647,
                             -2147483646)),
      y_(addParameterInteger("Y", "the y center of image 2, in image 1", 2147483647, 2147483647,
                             -2147483646)),
      correlation_(
          addOutputParameterSingle("CORRELATION", "correlation between same size image 1 and 2")) {}

void TFilterNormalisedCrossCorrelation::Run() {
    Correlation = score();
    correlation_.Value = Correlation;
}

// The literal definition: grey values as floats, means and deviations as floats, each term in
// extended precision summed into a float.
float TFilterNormalisedCrossCorrelation::score() const {
    const TBitmap32* search = imageToSearch_.Value;
    const TBitmap32* find = imageToFind_.Value;
    if (!search || !find) {
        return 0.0f;
    }
    const auto origin = correlationPlacement(search->Width, search->Height, find->Width,
                                             find->Height, x_.Value, y_.Value);
    const std::int64_t count = static_cast<std::int64_t>(find->Width) * find->Height;
    if (!origin || count < 2) {
        return 0.0f;
    }
    const int width = find->Width;
    auto searchGrey = [&](std::int64_t i) {
        return static_cast<float>(colorToGrey(search->pixel(
            origin->x0 + static_cast<int>(i % width), origin->y0 + static_cast<int>(i / width))));
    };
    auto findGrey = [&](std::int64_t i) { return static_cast<float>(colorToGrey(find->Bits[i])); };
    const Spread a = spreadOf(count, searchGrey);
    const Spread b = spreadOf(count, findGrey);
    float sum = 0.0f;
    if (a.deviation != 0.0f && b.deviation != 0.0f) {
        const long double deviations = static_cast<long double>(a.deviation) * b.deviation;
        for (std::int64_t i = 0; i < count; ++i) {
            const long double term =
                (static_cast<long double>(searchGrey(i)) - a.mean) * (findGrey(i) - b.mean);
            sum = static_cast<float>(sum + term / deviations);
        }
    }
    return static_cast<float>(sum * (1.0 / static_cast<double>(count - 1)));
}
