#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// A capture device as the device list shows it. Name is unique in the list (duplicates get
// " #2", " #3" in enumeration order), so it can be stored and matched again later.
struct TWVideoCaptureDevice {
    QString Name;
    QString Description;
    QString Path;
};

// One capture format of a device.
struct TWCameraFormat {
    int Width = 0;
    int Height = 0;
    std::int64_t AvgTimePerFrame = 0;  // 100-nanosecond units; 0: unknown frame rate
    int BitsPerPixel = 0;
    int Index = 0;  // the backend's own number for it

    bool operator==(const TWCameraFormat& other) const = default;
};

// "640x480 30Hz 24bpp", or "640x480 24bpp" without a frame time: how the vision settings list
// a format and store the one chosen.
QString CameraFormatText(const TWCameraFormat& format);

// The camera component's own errors ("Camera device not selected", "Format not found", ...).
class EWCameraError : public std::runtime_error {
public:
    explicit EWCameraError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// One opened device, as a capture backend drives it.
class CameraBackend {
public:
    virtual ~CameraBackend() = default;
    virtual QList<TWCameraFormat> formats() = 0;
    // Raises EWCameraError when the device cannot run.
    virtual void start(const TWCameraFormat& format) = 0;
    virtual void stop() = 0;
    // A frame taken after this call began, at full resolution. False when none comes within
    // about a second or it is empty.
    virtual bool grab(QImage& frame) = 0;
    // The newest frame for the live picture (may be null).
    virtual QImage preview() = 0;
    // Whether the live picture is on screen: while nobody looks, no new frame is announced and
    // a backend that renders on demand stops rendering.
    virtual void setPreviewWanted(bool wanted) = 0;
    // Called (on the thread of the window system) whenever a new preview frame is there.
    std::function<void()> onImageAvailable;
};

// A family of devices: the platform's cameras, the simulator's, or a test's.
class CameraProvider {
public:
    virtual ~CameraProvider() = default;
    virtual QList<TWVideoCaptureDevice> devices() = 0;
    // The device named `device.Path` opened; null when it has gone.
    virtual std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& device) = 0;
};

using CameraProviders = std::vector<std::shared_ptr<CameraProvider>>;

// One camera of the machine: chooses a device by name and a format, runs it, and hands out
// the current frame and the live picture.
class TWCamera : public QObject {
    Q_OBJECT

public:
    explicit TWCamera(CameraProviders providers, QObject* parent = nullptr);
    ~TWCamera() override;

    // Every device of every provider in enumeration order, with unique names.
    QList<TWVideoCaptureDevice> GetDevices() const;

    // Selecting another device stops the camera first.
    void SetDeviceName(const QString& name);
    QString GetDeviceName() const { return deviceName_; }

    // Raises "Camera device not selected" or "Camera device not found".
    QList<TWCameraFormat> GetSupportedFormats();
    // Raises "Format not found" when the device does not offer it.
    void SetFormat(const TWCameraFormat& format);
    TWCameraFormat GetFormat() const { return format_; }

    // Starts (true) or stops (false) the device. Starting raises "Camera device not selected",
    // "Camera device not found", "Format not found" or the backend's error and leaves the
    // camera inactive.
    void SetActive(bool active);
    bool GetActive() const { return active_; }

    // The current frame at full resolution; false when inactive or no frame comes.
    bool CurrentImage(QImage& frame);
    // The newest frame for the live picture; null while inactive.
    QImage PreviewImage() const;
    void SetPreviewWanted(bool wanted);

signals:
    void imageAvailable();

private:
    CameraBackend& openBackend();
    std::unique_ptr<CameraBackend> openNamed(const QString& name);

    CameraProviders providers_;
    QString deviceName_;
    TWCameraFormat format_;
    bool formatSet_ = false;
    bool active_ = false;
    bool previewWanted_ = false;
    std::unique_ptr<CameraBackend> backend_;
};
