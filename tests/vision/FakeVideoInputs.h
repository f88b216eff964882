#pragma once

#include <QVideoSink>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "vision/FakeCameras.h"
#include "vision/StreamingCamera.h"
#include "vision/VideoFrames.h"

// Streaming cameras a test plays: each device runs a StreamingCameraBackend over a
// FakeVideoInput, through which the test sends frames into the camera's sink and plays the
// camera's signals (an error, going inactive), as Qt's camera would.
class FakeVideoInput : public VideoInput {
public:
    // What the camera does when started: by default it sends one frame.
    std::function<void(FakeVideoInput&)> onStart = [](FakeVideoInput& input) {
        input.send(input.frame);
    };
    std::function<void()> onStop;  // the camera was told to stop: its frames must end
    QList<TWCameraFormat> offered;
    QVideoFrame frame;  // what `send` sends by default
    QVideoSink* sink = nullptr;
    bool running = false;
    FakeVideoInput** registered = nullptr;  // cleared when the backend lets the input go

    ~FakeVideoInput() override {
        if (registered && *registered == this) {
            *registered = nullptr;
        }
    }

    QList<TWCameraFormat> formats() const override { return offered; }
    void start(const TWCameraFormat&, QVideoSink& into) override {
        sink = &into;
        running = true;
        onStart(*this);
    }
    void stop() override {
        running = false;
        if (onStop) {
            onStop();
        }
    }

    void send(const QVideoFrame& sent) {
        if (running && sink) {
            sink->setVideoFrame(sent);
        }
    }
    void fail(const QString& text) { emit errorOccurred(text); }
    void goInactive() { emit activeChanged(false); }
};

// A device of the fake family: its description, its identity and the input of its backend
// while it is open.
struct FakeStreamingDevice {
    QString description;
    QString id;
    QList<TWCameraFormat> formats;
    QVideoFrame frame;
    FakeVideoInput* input = nullptr;
};

class FakeStreamingProvider : public CameraProvider {
public:
    std::vector<std::shared_ptr<FakeStreamingDevice>> plugged;  // in enumeration order
    StreamTimings timings{3000, 300, 1000, 20};                 // a stall shows in 0.3 s

    std::shared_ptr<FakeStreamingDevice> add(const QString& description, const QString& id,
                                             const QList<TWCameraFormat>& formats,
                                             const QVideoFrame& frame) {
        auto device = std::make_shared<FakeStreamingDevice>(
            FakeStreamingDevice{description, id, formats, frame});
        plugged.push_back(device);
        return device;
    }
    void unplug(const std::shared_ptr<FakeStreamingDevice>& device) {
        std::erase(plugged, device);
        emit devicesChanged();
    }
    void plugIn(const std::shared_ptr<FakeStreamingDevice>& device) {
        plugged.push_back(device);
        emit devicesChanged();
    }

    QList<TWVideoCaptureDevice> devices() override {
        QList<TWVideoCaptureDevice> listed;
        for (const auto& device : plugged) {
            listed.append({device->description, device->description, device->id});
        }
        return listed;
    }

    std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& wanted) override {
        for (const auto& device : plugged) {
            if (device->id == wanted.Path) {
                auto input = std::make_unique<FakeVideoInput>();
                input->offered = device->formats;
                input->frame = device->frame;
                device->input = input.get();
                input->registered = &device->input;
                return std::make_unique<StreamingCameraBackend>(std::move(input), timings);
            }
        }
        return nullptr;
    }
};

// A camera's own thread sending frames at a steady rate, each a new frame whose pixels all
// hold its number (frame n: grey level n % 256 in blue, n / 256 in green), as long as it runs.
class FrameStream {
public:
    FrameStream(QVideoSink& sink, QSize size, int framesPerSecond)
        : thread_([this, &sink, size, framesPerSecond] {
              const auto period = std::chrono::microseconds(1000000 / framesPerSecond);
              auto next = std::chrono::steady_clock::now();
              while (!stop_) {
                  const int number = sent_ + 1;
                  QImage picture(size, QImage::Format_RGB32);
                  picture.fill(qRgb(0, number / 256 % 256, number % 256));
                  sink.setVideoFrame(
                      video_frames::MakeFrame(picture, QVideoFrameFormat::Format_BGRX8888));
                  sent_ = number;
                  next += period;
                  std::this_thread::sleep_until(next);
              }
          }) {}
    ~FrameStream() {
        stop_ = true;
        thread_.join();
    }
    int sent() const { return sent_; }
    static int NumberOf(const QImage& picture) {
        const QRgb pixel = picture.pixel(0, 0);
        return qGreen(pixel) * 256 + qBlue(pixel);
    }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> sent_{0};
    std::thread thread_;
};
