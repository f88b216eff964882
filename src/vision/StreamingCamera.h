#pragma once

#include <QObject>
#include <QTimer>
#include <QVideoSink>
#include <memory>

#include "vision/VideoFeed.h"
#include "vision/WCamera.h"

// What a streaming camera backend needs of the platform's camera: Qt's QCamera on a machine
// (QtCameraProvider), a double in the tests, which play the camera's frames and signals
// through it.
class VideoInput : public QObject {
    Q_OBJECT

public:
    virtual QList<TWCameraFormat> formats() const = 0;
    // Starts sending frames of `format` (one of formats()) into `sink`. A failure is told by
    // errorOccurred, at once or later.
    virtual void start(const TWCameraFormat& format, QVideoSink& sink) = 0;
    virtual void stop() = 0;

signals:
    void errorOccurred(const QString& text);
    void activeChanged(bool active);
};

// How long a streaming camera is given.
struct StreamTimings {
    int firstFrameMs = 3000;  // a start waits this long for the first picture
    int stallMs = 1500;       // no frame for this long while running: the camera is lost
    int grabMs = 1000;        // a capture waits this long for a new frame
    int watchMs = 250;        // how often the watchdog looks
};

// A camera that streams frames on its own: a start succeeds only once a picture arrives, and
// a running camera is watched. An error, the camera going inactive, or no frame for
// `stallMs` make it lost: it tells onLost once, and its captures fail at once from then on.
class StreamingCameraBackend : public QObject, public CameraBackend {
    Q_OBJECT

public:
    explicit StreamingCameraBackend(std::unique_ptr<VideoInput> input, StreamTimings timings = {});
    ~StreamingCameraBackend() override;

    QList<TWCameraFormat> formats() override { return input_->formats(); }
    // Raises the camera's error, or "The camera sends no picture", and leaves it stopped.
    void start(const TWCameraFormat& format) override;
    void stop() override;
    bool grab(QImage& frame) override;
    QImage preview() override { return feed_.takePreview(); }
    void setPreviewWanted(bool wanted) override { feed_.setPreviewWanted(wanted); }
    void setPreviewSize(QSize size) override { feed_.setPreviewSize(size); }

private:
    enum class State { Stopped, Starting, Running, Lost };
    void inputFailed(const QString& text);
    void inputActiveChanged(bool active);
    void watch();
    void lose(const QString& reason);

    StreamTimings timings_;
    int stallMs_ = 0;  // stallMs, or three frame times of a camera slower than that
    State state_ = State::Stopped;
    QString startError_;
    QTimer watchdog_;
    // The input is destroyed first, so no frame reaches a feed or a sink that is gone.
    QVideoSink sink_;
    VideoFeed feed_{sink_};
    std::unique_ptr<VideoInput> input_;
};
