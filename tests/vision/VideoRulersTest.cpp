// The live picture's overlay: cross-hair, small cross and millimetre ticks.
#include <gtest/gtest.h>

#include "vision/VideoRulers.h"

namespace {

TEST(VideoRulers, An800By600PanelWith40MmShows20PixelsPerMillimetre) {
    const auto layout = LayOutRulers(QRect(0, 0, 800, 600), QSize(800, 600), 40.0);
    ASSERT_TRUE(layout);
    EXPECT_DOUBLE_EQ(layout->mmPerPixel, 0.05);
    EXPECT_EQ(layout->crossHairX, QRect(0, 300, 800, 1));
    EXPECT_EQ(layout->crossHairY, QRect(400, 0, 1, 600));
    // tiny = 60 div 5 = 12
    EXPECT_EQ(layout->crossHairXSmall, QRect(398, 288, 5, 24));
    EXPECT_EQ(layout->crossHairYSmall, QRect(388, 298, 24, 5));
    // PanelV1 20 px left of the vertical line, short ticks of 60 px each way.
    EXPECT_EQ(layout->v[0], QRect(380, 240, 1, 120));
    EXPECT_EQ(layout->v[15], QRect(420, 240, 1, 120));  // PanelV16
    EXPECT_EQ(layout->v[4], QRect(300, 200, 1, 200));   // PanelV5: long, 100 px each way
    EXPECT_EQ(layout->v[29], QRect(700, 200, 1, 200));  // PanelV30: 15 mm right
    EXPECT_EQ(layout->h[0], QRect(340, 280, 120, 1));   // PanelH1
    EXPECT_EQ(layout->h[24], QRect(300, 500, 200, 1));  // PanelH25: 10 mm down, long
}

TEST(VideoRulers, APanelWiderThanThePictureScalesByThePicturesShownWidth) {
    const auto narrow = LayOutRulers(QRect(0, 0, 800, 600), QSize(800, 600), 40.0);
    const auto wide = LayOutRulers(QRect(0, 0, 1000, 600), QSize(800, 600), 40.0);
    ASSERT_TRUE(narrow && wide);
    EXPECT_DOUBLE_EQ(wide->mmPerPixel, narrow->mmPerPixel);
    EXPECT_EQ(wide->v[0], narrow->v[0].translated(100, 0));
    EXPECT_EQ(wide->h[29], narrow->h[29].translated(100, 0));
    // A 16:9 camera fills the whole width of the wide panel, so a millimetre is shorter.
    const auto wideFrame = LayOutRulers(QRect(0, 0, 1000, 600), QSize(1280, 720), 40.0);
    ASSERT_TRUE(wideFrame);
    EXPECT_DOUBLE_EQ(wideFrame->mmPerPixel, 0.04);
    EXPECT_EQ(wideFrame->v[0].left(), 500 - 25);
}

TEST(VideoRulers, NothingToLayOutWithoutASizeOrAScale) {
    EXPECT_FALSE(LayOutRulers(QRect(0, 0, 0, 600), QSize(800, 600), 40.0));
    EXPECT_FALSE(LayOutRulers(QRect(0, 0, 800, 0), QSize(800, 600), 40.0));
    EXPECT_FALSE(LayOutRulers(QRect(0, 0, 800, 600), QSize(), 40.0));
    EXPECT_FALSE(LayOutRulers(QRect(0, 0, 800, 600), QSize(800, 600), 0.0));
}

}  // namespace
