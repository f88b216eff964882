#include "vision/QtCameraProvider.h"

#include <QCamera>
#include <QCameraDevice>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMutex>
#include <QThread>
#include <QVideoFrame>
#include <QVideoSink>
#include <atomic>

namespace {

constexpr int kGrabTimeoutMs = 1000;

int bitsPerPixel(QVideoFrameFormat::PixelFormat format) {
    switch (format) {
        case QVideoFrameFormat::Format_Y8:
            return 8;
        case QVideoFrameFormat::Format_YUV420P:
        case QVideoFrameFormat::Format_YV12:
        case QVideoFrameFormat::Format_NV12:
        case QVideoFrameFormat::Format_NV21:
        case QVideoFrameFormat::Format_IMC1:
        case QVideoFrameFormat::Format_IMC2:
        case QVideoFrameFormat::Format_IMC3:
        case QVideoFrameFormat::Format_IMC4:
            return 12;
        case QVideoFrameFormat::Format_YUYV:
        case QVideoFrameFormat::Format_UYVY:
        case QVideoFrameFormat::Format_YUV422P:
        case QVideoFrameFormat::Format_Y16:
            return 16;
        case QVideoFrameFormat::Format_Jpeg:
        case QVideoFrameFormat::Format_P010:
        case QVideoFrameFormat::Format_P016:
            return 24;
        default:
            return 32;
    }
}

TWCameraFormat describe(const QCameraFormat& format, int index) {
    TWCameraFormat described;
    described.Width = format.resolution().width();
    described.Height = format.resolution().height();
    if (format.maxFrameRate() > 0) {
        described.AvgTimePerFrame = static_cast<std::int64_t>(10000000.0 / format.maxFrameRate());
    }
    described.BitsPerPixel = bitsPerPixel(format.pixelFormat());
    described.Index = index;
    return described;
}

class QtCameraBackend : public CameraBackend {
public:
    explicit QtCameraBackend(const QCameraDevice& device) : device_(device), camera_(device) {
        session_.setCamera(&camera_);
        session_.setVideoSink(&sink_);
        // Frames may arrive on the framework's threads; only the newest is kept.
        QObject::connect(
            &sink_, &QVideoSink::videoFrameChanged, &sink_,
            [this](const QVideoFrame& frame) { receive(frame); }, Qt::DirectConnection);
    }

    ~QtCameraBackend() override { camera_.stop(); }

    QList<TWCameraFormat> formats() override {
        QList<TWCameraFormat> described;
        const QList<QCameraFormat> offered = device_.videoFormats();
        for (int index = 0; index < offered.size(); ++index) {
            described.append(describe(offered[index], index));
        }
        return described;
    }

    void start(const TWCameraFormat& format) override {
        const QList<QCameraFormat> offered = device_.videoFormats();
        if (format.Index < 0 || format.Index >= offered.size() ||
            !(describe(offered[format.Index], format.Index) == format)) {
            throw EWCameraError("Format not found");
        }
        camera_.setCameraFormat(offered[format.Index]);
        camera_.start();
        if (camera_.error() != QCamera::NoError) {
            const QString text = camera_.errorString().left(160);
            camera_.stop();
            throw EWCameraError(text);
        }
    }

    void stop() override {
        camera_.stop();
        QMutexLocker lock(&mutex_);
        latest_ = QVideoFrame();
    }

    bool grab(QImage& frame) override {
        const quint64 requested = serial_.load();
        const QDeadlineTimer deadline(kGrabTimeoutMs);
        while (!deadline.hasExpired()) {
            if (serial_.load() > requested) {
                frame = newest().toImage();
                return !frame.isNull();
            }
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
            QThread::msleep(2);
        }
        return false;
    }

    QImage preview() override { return newest().toImage(); }

    // A camera whose picture is hidden keeps its frames for grabs but does not announce them,
    // so the window does not convert frames nobody sees.
    void setPreviewWanted(bool wanted) override { previewWanted_ = wanted; }

private:
    void receive(const QVideoFrame& frame) {
        {
            QMutexLocker lock(&mutex_);
            latest_ = frame;
        }
        ++serial_;
        if (previewWanted_ && onImageAvailable) {
            onImageAvailable();
        }
    }

    QVideoFrame newest() {
        QMutexLocker lock(&mutex_);
        return latest_;
    }

    QCameraDevice device_;
    QCamera camera_;
    QMediaCaptureSession session_;
    QVideoSink sink_;
    QMutex mutex_;
    QVideoFrame latest_;
    std::atomic<quint64> serial_{0};
    std::atomic<bool> previewWanted_{false};
};

}  // namespace

QList<TWVideoCaptureDevice> QtCameraProvider::devices() {
    QList<TWVideoCaptureDevice> devices;
    for (const QCameraDevice& device : QMediaDevices::videoInputs()) {
        devices.append(
            {device.description(), device.description(), QString::fromUtf8(device.id())});
    }
    return devices;
}

std::unique_ptr<CameraBackend> QtCameraProvider::open(const TWVideoCaptureDevice& device) {
    for (const QCameraDevice& present : QMediaDevices::videoInputs()) {
        if (QString::fromUtf8(present.id()) == device.Path) {
            return std::make_unique<QtCameraBackend>(present);
        }
    }
    return nullptr;
}
