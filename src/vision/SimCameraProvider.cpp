#include "vision/SimCameraProvider.h"

#include <QTimer>

#include "motion/MotrixApi.h"

const char* const SimCameraProvider::kDownName = "Simulated Down Camera";
const char* const SimCameraProvider::kUpName = "Simulated Up Camera";

SimCameraCalls SimCameraCalls::Of(const MotrixApi* api) {
    SimCameraCalls calls;
    if (api) {
        calls.size =
            reinterpret_cast<decltype(calls.size)>(api->resolveOptional("MotrixSimCameraSize"));
        calls.frame =
            reinterpret_cast<decltype(calls.frame)>(api->resolveOptional("MotrixSimCameraFrame"));
    }
    return calls;
}

namespace {

class SimCameraBackend : public CameraBackend {
public:
    SimCameraBackend(SimCameraCalls calls, int camera) : calls_(calls), camera_(camera) {
        timer_.setInterval(1000 / SimCameraProvider::kPreviewRate);
        QObject::connect(&timer_, &QTimer::timeout, [this] { renderPreview(); });
    }

    QList<TWCameraFormat> formats() override {
        int width = 0;
        int height = 0;
        if (calls_.size(camera_, &width, &height) != 1 || width <= 0 || height <= 0) {
            return {};
        }
        TWCameraFormat format;
        format.Width = width;
        format.Height = height;
        format.AvgTimePerFrame = 10000000 / SimCameraProvider::kPreviewRate;
        format.BitsPerPixel = 32;
        format.PixelFormat = QVideoFrameFormat::Format_BGRX8888;  // 0xAARRGGBB in memory
        format.MinFrameRate = format.MaxFrameRate = SimCameraProvider::kPreviewRate;
        return {format};
    }

    void start(const TWCameraFormat& format) override {
        if (!formats().contains(format)) {
            throw EWCameraError("Format not found");
        }
        format_ = format;
        running_ = true;
        followPreview();
    }

    void stop() override {
        running_ = false;
        latest_ = QImage();
        followPreview();
    }

    bool grab(QImage& frame) override { return running_ && render(frame); }

    QImage preview() override { return latest_; }

    void setPreviewWanted(bool wanted) override {
        wanted_ = wanted;
        followPreview();
    }

private:
    bool render(QImage& frame) const {
        QImage rendered(format_.Width, format_.Height, QImage::Format_RGB32);
        auto* pixels = reinterpret_cast<std::uint32_t*>(rendered.bits());
        if (calls_.frame(camera_, pixels, format_.Width, format_.Height) != 1) {
            return false;
        }
        frame = rendered;
        return true;
    }

    void renderPreview() {
        if (render(latest_) && onImageAvailable) {
            onImageAvailable();
        }
    }

    void followPreview() {
        if (running_ && wanted_) {
            if (!timer_.isActive()) {
                renderPreview();
                timer_.start();
            }
        } else {
            timer_.stop();
        }
    }

    SimCameraCalls calls_;
    int camera_;
    TWCameraFormat format_;
    bool running_ = false;
    bool wanted_ = false;
    QImage latest_;
    QTimer timer_;
};

}  // namespace

QList<TWVideoCaptureDevice> SimCameraProvider::devices() {
    if (!calls_.available()) {
        return {};
    }
    return {{kDownName, "The simulator's down-looking camera", "sim:0"},
            {kUpName, "The simulator's up-looking camera", "sim:1"}};
}

std::unique_ptr<CameraBackend> SimCameraProvider::open(const TWVideoCaptureDevice& device) {
    if (!calls_.available()) {
        return nullptr;
    }
    for (int camera : {0, 1}) {
        if (device.Path == QString("sim:%1").arg(camera)) {
            return std::make_unique<SimCameraBackend>(calls_, camera);
        }
    }
    return nullptr;
}
