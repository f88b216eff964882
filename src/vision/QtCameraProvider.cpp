#include "vision/QtCameraProvider.h"

#include <QCamera>
#include <QCameraDevice>
#include <QDir>
#include <QFileInfo>
#include <QMediaCaptureSession>

#include "vision/StreamingCamera.h"

namespace {

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
    described.MinFrameRate = format.minFrameRate();
    described.MaxFrameRate = format.maxFrameRate();
    if (format.maxFrameRate() > 0) {
        described.AvgTimePerFrame = static_cast<std::int64_t>(10000000.0 / format.maxFrameRate());
    }
    described.PixelFormat = format.pixelFormat();
    described.BitsPerPixel = bitsPerPixel(format.pixelFormat());
    described.Index = index;
    return described;
}

// One QCamera, its errors and its active state passed on as they come.
class QtVideoInput : public VideoInput {
public:
    explicit QtVideoInput(const QCameraDevice& device) : device_(device), camera_(device) {
        session_.setCamera(&camera_);
        connect(&camera_, &QCamera::errorOccurred, this,
                [this](QCamera::Error, const QString& text) { emit errorOccurred(text); });
        connect(&camera_, &QCamera::activeChanged, this, &VideoInput::activeChanged);
    }

    ~QtVideoInput() override { camera_.stop(); }

    QList<TWCameraFormat> formats() const override {
        QList<TWCameraFormat> described;
        const QList<QCameraFormat> offered = device_.videoFormats();
        for (int index = 0; index < offered.size(); ++index) {
            described.append(describe(offered[index], index));
        }
        return described;
    }

    void start(const TWCameraFormat& format, QVideoSink& sink) override {
        const QList<QCameraFormat> offered = device_.videoFormats();
        if (format.Index < 0 || format.Index >= offered.size() ||
            !(describe(offered[format.Index], format.Index) == format)) {
            emit errorOccurred("Format not found");
            return;
        }
        session_.setVideoSink(&sink);
        camera_.setCameraFormat(offered[format.Index]);
        camera_.start();
        if (camera_.error() != QCamera::NoError) {
            emit errorOccurred(camera_.errorString());
        }
    }

    void stop() override { camera_.stop(); }

private:
    QCameraDevice device_;
    QCamera camera_;
    QMediaCaptureSession session_;
};

}  // namespace

QString CameraIdentity(const QByteArray& id, const QString& portLinks) {
    const QString text = QString::fromUtf8(id);
    // "/dev/video2", or with the backend's prefix, "v4l2:/dev/video2".
    const qsizetype scheme = text.indexOf(":/");
    const QString node = text.startsWith(u'/') ? text : scheme > 0 ? text.mid(scheme + 1) : "";
    const QString target = node.isEmpty() ? QString() : QFileInfo(node).canonicalFilePath();
    if (target.isEmpty()) {
        return text;
    }
    for (const QFileInfo& link : QDir(portLinks).entryInfoList(QDir::System | QDir::Files)) {
        if (link.canonicalFilePath() == target) {
            return link.fileName();
        }
    }
    return text;
}

QtCameraProvider::QtCameraProvider() {
    connect(&watch_, &QMediaDevices::videoInputsChanged, this, &CameraProvider::devicesChanged);
}

QList<TWVideoCaptureDevice> QtCameraProvider::devices() {
    QList<TWVideoCaptureDevice> devices;
    for (const QCameraDevice& device : QMediaDevices::videoInputs()) {
        devices.append({device.description(), device.description(), CameraIdentity(device.id())});
    }
    return devices;
}

std::unique_ptr<CameraBackend> QtCameraProvider::open(const TWVideoCaptureDevice& device) {
    for (const QCameraDevice& present : QMediaDevices::videoInputs()) {
        if (CameraIdentity(present.id()) == device.Path) {
            return std::make_unique<StreamingCameraBackend>(
                std::make_unique<QtVideoInput>(present));
        }
    }
    return nullptr;
}
