#pragma once

#include <QImage>
#include <functional>

#include "vision/WCamera.h"

// Cameras a test scripts: each device offers the formats it is given and serves the frame its
// `frame` function makes (none: the grab fails), so captures, device lists and the vision
// settings run without a real camera. A device is known by its `id` (the port it is plugged
// into), the order of `cameras` is the enumeration order.
struct FakeCamera {
    QString name;
    QList<TWCameraFormat> formats;
    std::function<QImage(const TWCameraFormat&)> frame;
    QString id;
    QString startError;  // a start that fails with this
    int starts = 0;
    bool running = false;
};

class FakeCameraProvider : public CameraProvider {
public:
    std::vector<std::shared_ptr<FakeCamera>> cameras;

    std::shared_ptr<FakeCamera> add(const QString& name, QList<TWCameraFormat> formats,
                                    std::function<QImage(const TWCameraFormat&)> frame = {}) {
        auto camera = std::make_shared<FakeCamera>();
        camera->name = name;
        camera->formats = std::move(formats);
        camera->frame = std::move(frame);
        camera->id = QString("port-%1").arg(++added_);
        cameras.push_back(camera);
        return camera;
    }

    QList<TWVideoCaptureDevice> devices() override {
        QList<TWVideoCaptureDevice> listed;
        for (const auto& camera : cameras) {
            listed.append({camera->name, "fake", camera->id});
        }
        return listed;
    }

    std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& device) override {
        for (const auto& camera : cameras) {
            if (camera->id == device.Path) {
                return std::make_unique<Backend>(camera);
            }
        }
        return nullptr;
    }

private:
    int added_ = 0;

    class Backend : public CameraBackend {
    public:
        explicit Backend(std::shared_ptr<FakeCamera> camera) : camera_(std::move(camera)) {}
        QList<TWCameraFormat> formats() override { return camera_->formats; }
        void start(const TWCameraFormat& format) override {
            if (!camera_->startError.isEmpty()) {
                throw EWCameraError(camera_->startError);
            }
            format_ = format;
            ++camera_->starts;
            camera_->running = true;
        }
        void stop() override { camera_->running = false; }
        bool grab(QImage& frame) override {
            if (!camera_->frame) {
                return false;
            }
            frame = camera_->frame(format_);
            return true;
        }
        QImage preview() override {
            QImage frame;
            return grab(frame) ? frame : QImage();
        }
        void setPreviewWanted(bool) override {}

    private:
        std::shared_ptr<FakeCamera> camera_;
        TWCameraFormat format_;
    };
};

// A format as a camera lists it: a fixed rate (none for 0) and a pixel format.
inline TWCameraFormat CameraFormat(
    int width, int height, int hertz = 30,
    QVideoFrameFormat::PixelFormat pixels = QVideoFrameFormat::Format_YUYV) {
    TWCameraFormat format;
    format.Width = width;
    format.Height = height;
    format.AvgTimePerFrame = hertz > 0 ? 10000000 / hertz : 0;
    format.MinFrameRate = format.MaxFrameRate = hertz;
    format.PixelFormat = pixels;
    format.BitsPerPixel = pixels == QVideoFrameFormat::Format_YUYV ? 16 : 32;
    return format;
}

// A frame of the format's size in one grey level.
inline QImage GreyFrame(const TWCameraFormat& format, int grey) {
    QImage frame(format.Width, format.Height, QImage::Format_RGB32);
    frame.fill(qRgb(grey, grey, grey));
    return frame;
}
