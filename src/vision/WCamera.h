#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QVideoFrameFormat>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

// A capture device as the device list shows it. Name is unique in the list (duplicates get
// " #2", " #3" in enumeration order); Path is the device's identity, which stays the same
// whatever the order: for a USB camera, the port it is plugged into where the platform tells.
struct TWVideoCaptureDevice {
    QString Name;
    QString Description;
    QString Path;
};

// One capture format of a device.
struct TWCameraFormat {
    int Width = 0;
    int Height = 0;
    std::int64_t AvgTimePerFrame = 0;  // 100-nanosecond units at the highest rate; 0: unknown
    int BitsPerPixel = 0;
    QVideoFrameFormat::PixelFormat PixelFormat = QVideoFrameFormat::Format_Invalid;
    double MinFrameRate = 0;  // frames per second; 0: unknown
    double MaxFrameRate = 0;
    int Index = 0;  // the backend's own number for it

    bool operator==(const TWCameraFormat& other) const = default;
};

// How the vision settings list a format and store the one chosen: the size, the frame rate or
// its range, and the pixel format, "1920x1080 5-30Hz YUYV" ("640x480 YUYV" without a rate), so
// no two formats of a device read alike.
QString CameraFormatText(const TWCameraFormat& format);
// The text older versions stored, "640x480 30Hz 16bpp": the highest whole rate and the depth.
QString LegacyCameraFormatText(const TWCameraFormat& format);
// The format a stored text names: the one of that text, else the first whose older text it is;
// -1 for none.
int FindCameraFormat(const QList<TWCameraFormat>& formats, const QString& text);

// The camera component's own errors ("Camera device not selected", "Format not found", ...).
class EWCameraError : public std::runtime_error {
public:
    explicit EWCameraError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromStdString(what()); }
};

// One opened device, as a capture backend drives it. Its callbacks may come from any thread.
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
    // The size the live picture is shown at; a backend may make its preview frames no larger.
    virtual void setPreviewSize(QSize) {}
    // Called whenever a new preview frame is there.
    std::function<void()> onImageAvailable;
    // Called once when a running device is lost (an error, it stopped, no picture), with why.
    std::function<void(const QString& reason)> onLost;
};

// A family of devices: the platform's cameras, the simulator's, or a test's.
class CameraProvider : public QObject {
    Q_OBJECT

public:
    virtual QList<TWVideoCaptureDevice> devices() = 0;
    // The device `device.Path` opened; null when it has gone.
    virtual std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& device) = 0;

signals:
    // A device was plugged in or unplugged.
    void devicesChanged();
};

using CameraProviders = std::vector<std::shared_ptr<CameraProvider>>;

// One camera of the machine: chooses a device and a format, runs it, and hands out the current
// frame and the live picture. It watches its device: a running camera whose device fails,
// stops sending pictures or is unplugged becomes lost: inactive, with the reason kept, until
// it is started again (which works once the device is back) or another device is chosen.
class TWCamera : public QObject {
    Q_OBJECT

public:
    explicit TWCamera(CameraProviders providers, QObject* parent = nullptr);
    ~TWCamera() override;

    // Every device of every provider in enumeration order, with unique names.
    QList<TWVideoCaptureDevice> GetDevices() const;

    // Selects a device by its listed name; it is held by its identity from then on, so it
    // stays the same device when the list's order changes. Another device stops the camera.
    void SetDeviceName(const QString& name);
    // Selects the device of identity `device.Path` (named `device.Name` for display).
    void SetDevice(const TWVideoCaptureDevice& device);
    QString GetDeviceName() const { return device_.Name; }
    QString GetDevicePath() const { return device_.Path; }

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

    // Lost since it last ran, and why ("No picture for 1.5 s", "The camera was unplugged", the
    // framework's error).
    bool IsLost() const { return lost_; }
    QString LostReason() const { return lostReason_; }
    // Whether the chosen device is listed now: for a lost camera, whether Start may bring it
    // back (it was never unplugged, or it is plugged in again).
    bool DeviceListed() const;

    // The current frame at full resolution; false when inactive or no frame comes.
    bool CurrentImage(QImage& frame);
    // The newest frame for the live picture; null while inactive.
    QImage PreviewImage();
    void SetPreviewWanted(bool wanted);
    void SetPreviewSize(QSize size);

signals:
    void imageAvailable();
    // Started, stopped or lost, or a lost camera's device came back.
    void stateChanged();
    // A device was plugged in or unplugged.
    void devicesChanged();

private:
    CameraBackend& openBackend();
    std::unique_ptr<CameraBackend> openSelected();
    void releaseBackend();
    void lose(const QString& reason);
    void devicesHaveChanged();

    CameraProviders providers_;
    TWVideoCaptureDevice device_;
    TWCameraFormat format_;
    bool formatSet_ = false;
    bool active_ = false;
    bool lost_ = false;
    QString lostReason_;
    bool previewWanted_ = false;
    QSize previewSize_;
    std::unique_ptr<CameraBackend> backend_;
    // Counts the backends opened, so a report queued by one that is gone is ignored.
    quint64 backendGeneration_ = 0;
};
