#include "vision/WCamera.h"

#include <QHash>
#include <QMetaObject>

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

}  // namespace

QString CameraFormatText(const TWCameraFormat& format) {
    const QString size = QString("%1x%2 ").arg(format.Width).arg(format.Height);
    if (format.AvgTimePerFrame > 0) {
        return size + QString("%1Hz %2bpp")
                          .arg(10000000 / format.AvgTimePerFrame)
                          .arg(format.BitsPerPixel);
    }
    return size + QString("%1bpp").arg(format.BitsPerPixel);
}

TWCamera::TWCamera(CameraProviders providers, QObject* parent)
    : QObject(parent), providers_(std::move(providers)) {}

TWCamera::~TWCamera() {
    if (backend_) {
        backend_->stop();
    }
}

QList<TWVideoCaptureDevice> TWCamera::GetDevices() const {
    QList<TWVideoCaptureDevice> devices;
    for (const ListedDevice& listed : listDevices(providers_)) {
        devices.append(listed.device);
    }
    return devices;
}

void TWCamera::SetDeviceName(const QString& name) {
    if (name == deviceName_) {
        return;
    }
    SetActive(false);
    backend_.reset();
    formatSet_ = false;
    deviceName_ = name;
}

std::unique_ptr<CameraBackend> TWCamera::openNamed(const QString& name) {
    for (const ListedDevice& listed : listDevices(providers_)) {
        if (listed.device.Name == name) {
            return listed.provider->open(listed.providerDevice);
        }
    }
    return nullptr;
}

CameraBackend& TWCamera::openBackend() {
    if (deviceName_.isEmpty()) {
        throw EWCameraError("Camera device not selected");
    }
    if (!backend_) {
        backend_ = openNamed(deviceName_);
        if (!backend_) {
            throw EWCameraError("Camera device not found");
        }
        // The backend may call from its own threads: the signal reaches the window queued.
        backend_->onImageAvailable = [this] {
            QMetaObject::invokeMethod(this, &TWCamera::imageAvailable, Qt::QueuedConnection);
        };
        backend_->setPreviewWanted(previewWanted_);
    }
    return *backend_;
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
        if (backend_) {
            backend_->stop();
            backend_.reset();
        }
        emit imageAvailable();  // the live picture goes blank
        return;
    }
    CameraBackend& backend = openBackend();
    if (!formatSet_) {
        throw EWCameraError("Format not found");
    }
    backend.start(format_);
    active_ = true;
    emit imageAvailable();
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

QImage TWCamera::PreviewImage() const {
    return active_ && backend_ ? backend_->preview() : QImage();
}

void TWCamera::SetPreviewWanted(bool wanted) {
    previewWanted_ = wanted;
    if (backend_) {
        backend_->setPreviewWanted(wanted);
    }
}
