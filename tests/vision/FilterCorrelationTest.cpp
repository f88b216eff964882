#include <gtest/gtest.h>

#include <cmath>

#include "TestImages.h"
#include "vision/FilterNormalisedCrossCorrelation.h"

namespace {

float correlate(TBitmap32* search, TBitmap32* find, std::int64_t x, std::int64_t y) {
    TFilterNormalisedCrossCorrelation filter;
    filter.setParameterImage("INIMAGETOSEARCH", search);
    filter.setParameterImage("INIMAGETOFIND", find);
    filter.setParameterInteger("X", x);
    filter.setParameterInteger("Y", y);
    filter.Run();
    EXPECT_EQ(filter.Correlation, filter.getOutputParameterSingle("CORRELATION").Value);
    return filter.Correlation;
}

// Pearson's coefficient in double precision, the textbook way.
double pearson(const TBitmap32& search, const TBitmap32& find, int x0, int y0) {
    const double n = static_cast<double>(find.Width) * find.Height;
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (int y = 0; y < find.Height; ++y) {
        for (int x = 0; x < find.Width; ++x) {
            const double a = colorToGrey(search.pixel(x0 + x, y0 + y));
            const double b = colorToGrey(find.pixel(x, y));
            sa += a;
            sb += b;
            saa += a * a;
            sbb += b * b;
            sab += a * b;
        }
    }
    return (n * sab - sa * sb) / std::sqrt((n * saa - sa * sa) * (n * sbb - sb * sb));
}

TEST(FilterCorrelationTest, OnlyPlacementsWithinHalfTheSizeDifferenceScore) {
    ImagePtr search = test_images::texture(100, 100, 11);
    ImagePtr find = test_images::texture(60, 60, 12);
    struct Case {
        int x, y;
        bool valid;
    };
    for (const Case c : {Case{20, 0, true}, Case{-20, 0, true}, Case{0, 20, true},
                         Case{0, -20, true}, Case{20, -20, true}, Case{21, 0, false},
                         Case{-21, 0, false}, Case{0, 21, false}, Case{0, -21, false}}) {
        const float score = correlate(search.get(), find.get(), c.x, c.y);
        if (c.valid) {
            EXPECT_NEAR(score, pearson(*search, *find, 20 + c.x, 20 + c.y), 1e-4)
                << c.x << "," << c.y;
        } else {
            EXPECT_EQ(score, 0.0f) << c.x << "," << c.y;
        }
    }
}

TEST(FilterCorrelationTest, SizesThatDoNotFitOrDefaultsScoreZero) {
    ImagePtr search = test_images::texture(50, 40, 13);
    ImagePtr taller = test_images::texture(30, 41, 14);
    for (int x : {-10, 0, 10}) {
        EXPECT_EQ(correlate(search.get(), taller.get(), x, 0), 0.0f);
    }
    ImagePtr same = test_images::texture(50, 40, 15);
    EXPECT_NEAR(correlate(search.get(), same.get(), 0, 0), pearson(*search, *same, 0, 0), 1e-4);
    EXPECT_EQ(correlate(search.get(), same.get(), 1, 0), 0.0f);
    EXPECT_EQ(correlate(search.get(), nullptr, 0, 0), 0.0f);

    TFilterNormalisedCrossCorrelation untouched;
    untouched.setParameterImage("INIMAGETOSEARCH", search.get());
    untouched.setParameterImage("INIMAGETOFIND", same.get());
    untouched.Run();
    EXPECT_EQ(untouched.getOutputParameterSingle("CORRELATION").Value, 0.0f);
}

TEST(FilterCorrelationTest, SelfNegativeFlatAndSinglePixelScores) {
    ImagePtr image = test_images::texture(64, 48, 16);
    ImagePtr negative = cloneImage(image.get());
    for (TColor32& pixel : negative->Bits) {
        pixel = makeColor32(255 - colorToGrey(pixel), 255 - colorToGrey(pixel),
                            255 - colorToGrey(pixel), 255);
    }
    ImagePtr flat = test_images::uniform(64, 48, 0xFF808080);
    ImagePtr dot = test_images::uniform(1, 1, 0xFFFFFFFF);
    EXPECT_NEAR(correlate(image.get(), image.get(), 0, 0), 1.0, 1e-4);
    EXPECT_NEAR(correlate(image.get(), negative.get(), 0, 0), -1.0, 1e-4);
    EXPECT_EQ(correlate(image.get(), flat.get(), 0, 0), 0.0f);
    EXPECT_EQ(correlate(flat.get(), image.get(), 0, 0), 0.0f);
    for (int x : {-5, 0, 31}) {
        EXPECT_EQ(correlate(image.get(), dot.get(), x, 0), 0.0f);
    }
}

TEST(FilterCorrelationTest, MatchesPearsonOnRandomImages) {
    for (unsigned seed = 0; seed < 6; ++seed) {
        ImagePtr search = test_images::noise(90, 70, 100 + seed);
        ImagePtr find = test_images::cut(*search, 10 + seed, 5, 40 + seed, 30);
        test_images::addNoise(*find, 60, seed);
        const int x = -static_cast<int>(seed);
        const int y = 3;
        const int dW = search->Width - find->Width;
        const int dH = search->Height - find->Height;
        EXPECT_NEAR(correlate(search.get(), find.get(), x, y),
                    pearson(*search, *find, dW / 2 + x, dH / 2 + y), 1e-4);
    }
}

}  // namespace
