#include "vision/WCamera.h"

#include <QHash>
#include <QMetaObject>
#include <algorithm>

namespace {

struct ListedDevice {
    TWVideoCaptureDevice device;  // with its unique name
    CameraProvider* provider;
    TWVideoCaptureDevice providerDevice;  // as the provider named it
};

// Two identical cameras report the same name; the second becomes "Name #2", and so on.
QList<ListedDevice> listDevices(const CameraProviders& providers) {
    QList<ListedDevice> listed;
    QHash<QString, int> seen;
    for (const auto& provider : providers) {
        for (const TWVideoCaptureDevice& device : provider->devices()) {
            const int count = ++seen[device.Name];
            TWVideoCaptureDevice named = device;
            if (count > 1) {
                named.Name = QString("%1 #%2").arg(device.Name).arg(count);
            }
            listed.append({named, provider.get(), device});
        }
    }
    return listed;
}

// The names cameras' tools give their pixel formats.
QString pixelFormatName(QVideoFrameFormat::PixelFormat format) {
    using F = QVideoFrameFormat;
    switch (format) {
        case F::Format_Jpeg:
            return "MJPEG";
        case F::Format_YUV420P:
            return "I420";
        case F::Format_Y8:
            return "GREY";
        case F::Format_BGRX8888:
            return "RGB32";
        case F::Format_BGRA8888:
            return "BGRA";
        case F::Format_Invalid:
            return "unknown format";
        default:
            return F::pixelFormatToString(format);
    }
}

QString rateText(double rate) {
    QString text = QString::number(rate, 'f', 2);
    while (text.endsWith(u'0')) {
        text.chop(1);
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text;
}

}  // namespace

QString CameraFormatText(const TWCameraFormat& format) {
    QString text = QString("%1x%2 ").arg(format.Width).arg(format.Height);
    if (format.MaxFrameRate > 0) {
        const bool range = format.MinFrameRate > 0 && format.MinFrameRate < format.MaxFrameRate;
        text += (range ? rateText(format.MinFrameRate) + "-" : QString()) +
                rateText(format.MaxFrameRate) + "Hz ";
    }
    return text + pixelFormatName(format.PixelFormat);
}

QString LegacyCameraFormatText(const TWCameraFormat& format) {
    const QString size = QString("%1x%2 ").arg(format.Width).arg(format.Height);
    if (format.AvgTimePerFrame > 0) {
        return size + QString("%1Hz %2bpp")
                          .arg(10000000 / format.AvgTimePerFrame)
                          .arg(format.BitsPerPixel);
    }
    return size + QString("%1bpp").arg(format.BitsPerPixel);
}

int FindCameraFormat(const QList<TWCameraFormat>& formats, const QString& text) {
    for (const auto& describe : {CameraFormatText, LegacyCameraFormatText}) {
        const auto found = std::find_if(formats.begin(), formats.end(), [&](const auto& format) {
            return describe(format) == text;
        });
        if (found != formats.end()) {
            return static_cast<int>(found - formats.begin());
        }
    }
    return -1;
}

TWCamera::TWCamera(CameraProviders providers, QObject* parent)
    : QObject(parent), providers_(std::move(providers)) {
    for (const auto& provider : providers_) {
        connect(provider.get(), &CameraProvider::devicesChanged, this,
                &TWCamera::devicesHaveChanged);
    }
}

TWCamera::~TWCamera() {
    releaseBackend();
}

QList<TWVideoCaptureDevice> TWCamera::GetDevices() const {
    QList<TWVideoCaptureDevice> devices;
    for (const ListedDevice& listed : listDevices(providers_)) {
        devices.append(listed.device);
    }
    return devices;
}

void TWCamera::SetDeviceName(const QString& name) {
    TWVideoCaptureDevice named{name, {}, {}};
    for (const TWVideoCaptureDevice& device : GetDevices()) {
        if (device.Name == name) {
            named = device;
            break;
        }
    }
    SetDevice(named);
}

void TWCamera::SetDevice(const TWVideoCaptureDevice& device) {
    const bool same = device.Path.isEmpty() ? device_.Path.isEmpty() && device.Name == device_.Name
                                            : device.Path == device_.Path;
    if (!same) {
        SetActive(false);
        releaseBackend();
        formatSet_ = false;
        lost_ = false;
    }
    device_ = device;
}

bool TWCamera::DeviceListed() const {
    const QList<TWVideoCaptureDevice> devices = GetDevices();
    return std::any_of(devices.begin(), devices.end(), [this](const TWVideoCaptureDevice& device) {
        return !device_.Path.isEmpty() && device.Path == device_.Path;
    });
}

std::unique_ptr<CameraBackend> TWCamera::openSelected() {
    for (const ListedDevice& listed : listDevices(providers_)) {
        const bool same = device_.Path.isEmpty() ? listed.device.Name == device_.Name
                                                 : listed.device.Path == device_.Path;
        if (same) {
            return listed.provider->open(listed.providerDevice);
        }
    }
    return nullptr;
}

CameraBackend& TWCamera::openBackend() {
    if (device_.Name.isEmpty() && device_.Path.isEmpty()) {
        throw EWCameraError("Camera device not selected");
    }
    if (!backend_) {
        backend_ = openSelected();
        if (!backend_) {
            throw EWCameraError("Camera device not found");
        }
        // The backend may call from its own threads, and from inside its own handlers: its
        // reports reach the camera queued, and only while it is still the camera's backend.
        const quint64 generation = ++backendGeneration_;
        backend_->onImageAvailable = [this] {
            QMetaObject::invokeMethod(this, &TWCamera::imageAvailable, Qt::QueuedConnection);
        };
        backend_->onLost = [this, generation](const QString& reason) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, reason] {
                    if (generation == backendGeneration_) {
                        lose(reason);
                    }
                },
                Qt::QueuedConnection);
        };
        backend_->setPreviewWanted(previewWanted_);
        backend_->setPreviewSize(previewSize_);
    }
    return *backend_;
}

void TWCamera::releaseBackend() {
    if (backend_) {
        backend_->stop();
        backend_.reset();
        ++backendGeneration_;
    }
}

QList<TWCameraFormat> TWCamera::GetSupportedFormats() {
    return openBackend().formats();
}

void TWCamera::SetFormat(const TWCameraFormat& format) {
    if (!GetSupportedFormats().contains(format)) {
        throw EWCameraError("Format not found");
    }
    SetActive(false);
    format_ = format;
    formatSet_ = true;
}

void TWCamera::SetActive(bool active) {
    if (active == active_) {
        return;
    }
    if (!active) {
        // The device is released, so a camera unplugged meanwhile is noticed at the next start.
        active_ = false;
        lost_ = false;
        releaseBackend();
        emit imageAvailable();  // the live picture goes blank
        emit stateChanged();
        return;
    }
    CameraBackend& backend = openBackend();
    if (!formatSet_) {
        throw EWCameraError("Format not found");
    }
    try {
        backend.start(format_);
    } catch (const EWCameraError&) {
        releaseBackend();  // opened afresh at the next try, wherever the device is by then
        throw;
    }
    active_ = true;
    lost_ = false;
    emit imageAvailable();
    emit stateChanged();
}

void TWCamera::lose(const QString& reason) {
    if (!active_) {
        return;
    }
    active_ = false;
    lost_ = true;
    lostReason_ = reason;
    releaseBackend();
    emit stateChanged();
}

void TWCamera::devicesHaveChanged() {
    if (active_ && !DeviceListed()) {
        lose("The camera was unplugged");
    } else if (lost_) {
        emit stateChanged();  // its device may be back
    }
    emit devicesChanged();
}

bool TWCamera::CurrentImage(QImage& frame) {
    if (!active_ || !backend_) {
        return false;
    }
    QImage grabbed;
    if (!backend_->grab(grabbed) || grabbed.isNull()) {
        return false;
    }
    frame = grabbed;
    return true;
}

QImage TWCamera::PreviewImage() {
    return active_ && backend_ ? backend_->preview() : QImage();
}

void TWCamera::SetPreviewWanted(bool wanted) {
    previewWanted_ = wanted;
    if (backend_) {
        backend_->setPreviewWanted(wanted);
    }
}

void TWCamera::SetPreviewSize(QSize size) {
    previewSize_ = size;
    if (backend_) {
        backend_->setPreviewSize(size);
    }
}
