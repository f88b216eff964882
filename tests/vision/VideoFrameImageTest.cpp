// Camera frames into pictures: every layout a camera delivers gives the known picture back,
// pixel by pixel, at the two sizes cameras run at most.
#include <gtest/gtest.h>

#include "vision/VideoFrameImage.h"
#include "vision/VideoFrames.h"

namespace {

using F = QVideoFrameFormat;
using video_frames::MakeFrame;
using video_frames::PatternImage;

// The first pixel further from the pattern than `tolerance` in any channel, or "".
std::string firstMismatch(const QImage& converted, const QImage& expected, int tolerance) {
    if (converted.size() != expected.size()) {
        return "size differs";
    }
    if (converted.format() != QImage::Format_RGB32) {
        return "not an RGB32 picture";
    }
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb got = converted.pixel(x, y);
            const QRgb want = expected.pixel(x, y);
            if (std::abs(qRed(got) - qRed(want)) > tolerance ||
                std::abs(qGreen(got) - qGreen(want)) > tolerance ||
                std::abs(qBlue(got) - qBlue(want)) > tolerance || qAlpha(got) != 255) {
                return QString("pixel (%1, %2) is %3, not %4")
                    .arg(x)
                    .arg(y)
                    .arg(got, 8, 16)
                    .arg(want, 8, 16)
                    .toStdString();
            }
        }
    }
    return {};
}

struct LayoutCase {
    F::PixelFormat format;
    const char* name;
    int tolerance;  // YUV rounds twice on its way back to RGB
};

class EveryLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(EveryLayout, GivesTheKnownPictureAtBothSizes) {
    for (const QSize size : {QSize(1920, 1080), QSize(640, 480)}) {
        const QImage pattern = PatternImage(size);
        const QImage converted = VideoFrameToImage(MakeFrame(pattern, GetParam().format));
        EXPECT_EQ(firstMismatch(converted, pattern, GetParam().tolerance), "")
            << GetParam().name << " " << size.width();
    }
}

INSTANTIATE_TEST_SUITE_P(CameraFormats, EveryLayout,
                         ::testing::Values(LayoutCase{F::Format_YUYV, "YUYV", 2},
                                           LayoutCase{F::Format_UYVY, "UYVY", 2},
                                           LayoutCase{F::Format_NV12, "NV12", 2},
                                           LayoutCase{F::Format_NV21, "NV21", 2},
                                           LayoutCase{F::Format_YUV420P, "I420", 2},
                                           LayoutCase{F::Format_YV12, "YV12", 2},
                                           LayoutCase{F::Format_BGRX8888, "RGB32", 0},
                                           LayoutCase{F::Format_BGRA8888, "BGRA", 0},
                                           LayoutCase{F::Format_XRGB8888, "XRGB", 0},
                                           LayoutCase{F::Format_RGBA8888, "RGBA", 0},
                                           LayoutCase{F::Format_ABGR8888, "ABGR", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The live picture's frames are made at the size they are shown: fitted with the frame's
// proportions, each band still its colour, never larger than the frame.
TEST(VideoFrameToImage, ASmallerShownSizeGivesTheFittedPictureOfEachLayout) {
    const QSize size(1920, 1080);
    const QImage pattern = PatternImage(size);
    for (const F::PixelFormat format :
         {F::Format_YUYV, F::Format_NV12, F::Format_YUV420P, F::Format_BGRX8888, F::Format_Jpeg}) {
        const QVideoFrame frame = MakeFrame(pattern, format);
        const QImage shown = VideoFrameToImage(frame, QSize(1024, 768));
        ASSERT_EQ(shown.size(), QSize(1024, 576)) << format;
        EXPECT_EQ(shown.format(), QImage::Format_RGB32) << format;
        for (int band = 0; band < 8; ++band) {
            for (const int y : {100, 476}) {
                const int x = band * 128 + 64;
                const QRgb got = shown.pixel(x, y);
                const QRgb want = video_frames::PatternPixel(size, x * 15 / 8, y * 15 / 8);
                EXPECT_NEAR(qRed(got), qRed(want), 8) << format << " band " << band;
                EXPECT_NEAR(qGreen(got), qGreen(want), 8) << format << " band " << band;
                EXPECT_NEAR(qBlue(got), qBlue(want), 8) << format << " band " << band;
            }
        }
        EXPECT_EQ(VideoFrameToImage(frame, QSize(4000, 3000)).size(), size) << format;
    }
}

// MJPEG is lossy: the bands' insides, away from the edges a JPEG blurs, are checked.
TEST(VideoFrameToImage, MjpegGivesTheKnownBands) {
    const QSize size(640, 480);
    const QImage converted = VideoFrameToImage(MakeFrame(PatternImage(size), F::Format_Jpeg));
    ASSERT_EQ(converted.size(), size);
    for (int band = 0; band < 8; ++band) {
        for (const int y : {60, 420}) {
            const int x = band * 80 + 40;
            const QRgb got = converted.pixel(x, y);
            const QRgb want = video_frames::PatternPixel(size, x, y);
            EXPECT_NEAR(qRed(got), qRed(want), 8) << band << " " << y;
            EXPECT_NEAR(qGreen(got), qGreen(want), 8) << band << " " << y;
            EXPECT_NEAR(qBlue(got), qBlue(want), 8) << band << " " << y;
        }
    }
}

TEST(VideoFrameToImage, GreyFramesAndTheFramesColourSpaceAndRange) {
    QVideoFrame grey(F(QSize(4, 2), F::Format_Y16));
    ASSERT_TRUE(grey.map(QVideoFrame::WriteOnly));
    auto* samples = reinterpret_cast<quint16*>(grey.bits(0));
    samples[0] = 0x10FF;  // little-endian: the high byte is the grey level
    grey.unmap();
    EXPECT_EQ(VideoFrameToImage(grey).pixel(0, 0), qRgb(0x10, 0x10, 0x10));

    // One YUYV pair of pure red's YUV, decoded as BT.709 full range, as the frame says.
    F format(QSize(2, 1), F::Format_YUYV);
    format.setColorSpace(F::ColorSpace_BT709);
    format.setColorRange(F::ColorRange_Full);
    QVideoFrame red(format);
    ASSERT_TRUE(red.map(QVideoFrame::WriteOnly));
    const uchar bt709FullRed[4] = {54, 99, 54, 255};  // Y U Y V
    std::memcpy(red.bits(0), bt709FullRed, 4);
    red.unmap();
    const QRgb pixel = VideoFrameToImage(red).pixel(1, 0);
    EXPECT_NEAR(qRed(pixel), 255, 2);
    EXPECT_NEAR(qGreen(pixel), 0, 2);
    EXPECT_NEAR(qBlue(pixel), 0, 2);
}

TEST(VideoFrameToImage, AnInvalidFrameGivesNoPicture) {
    EXPECT_TRUE(VideoFrameToImage(QVideoFrame()).isNull());
}

}  // namespace
