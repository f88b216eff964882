#pragma once

#include <QImage>
#include <functional>
#include <map>

#include "vision/WCamera.h"

// Cameras a test scripts: each device offers the formats it is given and serves the frame its
// `frame` function makes (none: the grab fails), so captures, device lists and the vision
// settings run without a real camera.
struct FakeCamera {
    QString name;
    QList<TWCameraFormat> formats;
    std::function<QImage(const TWCameraFormat&)> frame;
    int starts = 0;
    bool running = false;
};

class FakeCameraProvider : public CameraProvider {
public:
    std::vector<std::shared_ptr<FakeCamera>> cameras;

    std::shared_ptr<FakeCamera> add(const QString& name, QList<TWCameraFormat> formats,
                                    std::function<QImage(const TWCameraFormat&)> frame = {}) {
        auto camera =
            std::make_shared<FakeCamera>(FakeCamera{name, std::move(formats), std::move(frame)});
        cameras.push_back(camera);
        return camera;
    }

    QList<TWVideoCaptureDevice> devices() override {
        QList<TWVideoCaptureDevice> listed;
        for (std::size_t index = 0; index < cameras.size(); ++index) {
            listed.append({cameras[index]->name, "fake", QString::number(index)});
        }
        return listed;
    }

    std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& device) override {
        const std::size_t index = device.Path.toULongLong();
        return index < cameras.size() ? std::make_unique<Backend>(cameras[index]) : nullptr;
    }

private:
    class Backend : public CameraBackend {
    public:
        explicit Backend(std::shared_ptr<FakeCamera> camera) : camera_(std::move(camera)) {}
        QList<TWCameraFormat> formats() override { return camera_->formats; }
        void start(const TWCameraFormat& format) override {
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

inline TWCameraFormat CameraFormat(int width, int height, int hertz = 30, int bits = 24) {
    TWCameraFormat format;
    format.Width = width;
    format.Height = height;
    format.AvgTimePerFrame = hertz > 0 ? 10000000 / hertz : 0;
    format.BitsPerPixel = bits;
    return format;
}

// A frame of the format's size in one grey level.
inline QImage GreyFrame(const TWCameraFormat& format, int grey) {
    QImage frame(format.Width, format.Height, QImage::Format_RGB32);
    frame.fill(qRgb(grey, grey, grey));
    return frame;
}
