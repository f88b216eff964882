#pragma once

#include <QMediaDevices>

#include "vision/WCamera.h"

// The platform's cameras through Qt Multimedia, listed by their description and known by
// their identity (CameraIdentity), each run as a StreamingCameraBackend over a QCamera.
class QtCameraProvider : public CameraProvider {
    Q_OBJECT

public:
    QtCameraProvider();
    QList<TWVideoCaptureDevice> devices() override;
    std::unique_ptr<CameraBackend> open(const TWVideoCaptureDevice& device) override;

private:
    QMediaDevices watch_;  // tells when cameras are plugged in or out
};

// A camera's identity from Qt's id for it: on Linux, where the id is a video node such as
// "/dev/video2" that the next plug-in may give to another camera, the name of its link in
// `portLinks` (udev's "/dev/v4l/by-path"), which names the USB port; otherwise the id itself.
QString CameraIdentity(const QByteArray& id, const QString& portLinks = "/dev/v4l/by-path");
