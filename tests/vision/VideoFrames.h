#pragma once

#include <QBuffer>
#include <QImage>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <cmath>
#include <cstring>

// Camera frames with a known picture, in the layouts cameras deliver: eight upright bands of
// colour, in reverse order in the lower half. The bands and the halves start on even pixels,
// so chroma shared by two pixels or two rows never straddles a border.
namespace video_frames {

constexpr QRgb kBands[8] = {qRgb(0, 0, 0),      qRgb(255, 255, 255), qRgb(255, 0, 0),
                            qRgb(0, 255, 0),    qRgb(0, 0, 255),     qRgb(128, 128, 128),
                            qRgb(200, 100, 50), qRgb(30, 160, 220)};

inline QRgb PatternPixel(QSize size, int x, int y) {
    const int bandWidth = size.width() / 8 / 2 * 2;
    const int band = std::min(x / bandWidth, 7);
    return kBands[y < size.height() / 2 / 2 * 2 ? band : 7 - band];
}

inline QImage PatternImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, PatternPixel(size, x, y));
        }
    }
    return image;
}

// BT.601, video range: the way USB cameras send YUV.
struct Yuv {
    int y;
    int u;
    int v;
};

inline Yuv ToYuv(QRgb rgb) {
    const double r = qRed(rgb);
    const double g = qGreen(rgb);
    const double b = qBlue(rgb);
    return {static_cast<int>(std::lround(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255)),
            static_cast<int>(std::lround(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255)),
            static_cast<int>(std::lround(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255))};
}

inline void Fill32(QVideoFrame& frame, const QImage& picture, int red, int green, int blue,
                   int alpha) {
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = frame.bits(0) + y * frame.bytesPerLine(0);
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            uchar* target = row + 4 * x;
            target[red] = static_cast<uchar>(qRed(pixel));
            target[green] = static_cast<uchar>(qGreen(pixel));
            target[blue] = static_cast<uchar>(qBlue(pixel));
            target[alpha] = 255;
        }
    }
}

// Luma per pixel; chroma from the pixel at the top left of each pair (or 2 x 2 block).
inline void FillYuv(QVideoFrame& frame, const QImage& picture, QVideoFrameFormat::PixelFormat f) {
    const bool packed = f == QVideoFrameFormat::Format_YUYV || f == QVideoFrameFormat::Format_UYVY;
    const bool halfHeight = !packed;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Yuv here = ToYuv(picture.pixel(x, y));
            const Yuv shared = ToYuv(picture.pixel(x / 2 * 2, halfHeight ? y / 2 * 2 : y));
            const int chromaRow = halfHeight ? y / 2 : y;
            const auto at = [&](int plane, int row, int column) {
                return frame.bits(plane) + row * frame.bytesPerLine(plane) + column;
            };
            switch (f) {
                case QVideoFrameFormat::Format_YUYV:
                    *at(0, y, 2 * x) = static_cast<uchar>(here.y);
                    *at(0, y, x / 2 * 4 + 1) = static_cast<uchar>(shared.u);
                    *at(0, y, x / 2 * 4 + 3) = static_cast<uchar>(shared.v);
                    break;
                case QVideoFrameFormat::Format_UYVY:
                    *at(0, y, 2 * x + 1) = static_cast<uchar>(here.y);
                    *at(0, y, x / 2 * 4) = static_cast<uchar>(shared.u);
                    *at(0, y, x / 2 * 4 + 2) = static_cast<uchar>(shared.v);
                    break;
                case QVideoFrameFormat::Format_NV12:
                case QVideoFrameFormat::Format_NV21: {
                    const bool nv12 = f == QVideoFrameFormat::Format_NV12;
                    *at(0, y, x) = static_cast<uchar>(here.y);
                    *at(1, chromaRow, x / 2 * 2 + (nv12 ? 0 : 1)) = static_cast<uchar>(shared.u);
                    *at(1, chromaRow, x / 2 * 2 + (nv12 ? 1 : 0)) = static_cast<uchar>(shared.v);
                    break;
                }
                default: {  // planar: I420, YV12 (V before U)
                    const bool yv12 = f == QVideoFrameFormat::Format_YV12;
                    *at(0, y, x) = static_cast<uchar>(here.y);
                    *at(yv12 ? 2 : 1, chromaRow, x / 2) = static_cast<uchar>(shared.u);
                    *at(yv12 ? 1 : 2, chromaRow, x / 2) = static_cast<uchar>(shared.v);
                }
            }
        }
    }
}

// `picture` as a frame of `format`.
inline QVideoFrame MakeFrame(const QImage& picture, QVideoFrameFormat::PixelFormat format) {
    using F = QVideoFrameFormat;
    if (format == F::Format_Jpeg) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPG", 95);
        QVideoFrame frame(F(picture.size(), format));
        frame.map(QVideoFrame::WriteOnly);
        std::memcpy(frame.bits(0), bytes.constData(),
                    std::min<std::size_t>(bytes.size(), frame.mappedBytes(0)));
        frame.unmap();
        return frame;
    }
    QVideoFrame frame(F(picture.size(), format));
    frame.map(QVideoFrame::WriteOnly);
    switch (format) {
        case F::Format_BGRA8888:
        case F::Format_BGRX8888:
            Fill32(frame, picture, 2, 1, 0, 3);
            break;
        case F::Format_XRGB8888:
        case F::Format_ARGB8888:
            Fill32(frame, picture, 1, 2, 3, 0);
            break;
        case F::Format_RGBX8888:
        case F::Format_RGBA8888:
            Fill32(frame, picture, 0, 1, 2, 3);
            break;
        case F::Format_XBGR8888:
        case F::Format_ABGR8888:
            Fill32(frame, picture, 3, 2, 1, 0);
            break;
        default:
            FillYuv(frame, picture, format);
    }
    frame.unmap();
    return frame;
}

}  // namespace video_frames
