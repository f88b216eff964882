#pragma once

#include <QImage>
#include <QObject>
#include <QVideoFrame>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QVideoSink;

// Waits until `done` says so or `timeoutMs` pass, handling window messages other than input
// meanwhile, so timers and camera signals keep coming while a button's handler waits. True
// when `done` said so.
bool WaitHandlingEvents(const std::function<bool()>& done, int timeoutMs);

// The frames of one streaming camera, as a video sink hands them over on the camera's own
// threads. Only the newest frame is kept: it is turned into a picture on the feed's own thread,
// and only when the live picture waits for one or a capture asks for one. Frames that arrive
// while nobody waits, or while the window has not yet taken the last picture, are dropped, so
// a busy window never has a queue of frames to work off.
class VideoFeed : public QObject {
    Q_OBJECT

public:
    explicit VideoFeed(QVideoSink& sink, QObject* parent = nullptr);
    ~VideoFeed() override;

    // Any thread: a new frame replaces the one kept.
    void receive(const QVideoFrame& frame);
    // Frames received since the feed was made.
    quint64 framesReceived() const { return received_.load(); }
    // Milliseconds since the last frame arrived, or since `restartClock` when none has since.
    qint64 msSinceLastFrame() const;
    void restartClock();
    // Drops the frame kept and the last picture (the camera stopped).
    void clear();

    // While wanted, each new frame becomes a picture and previewReady says so, but only once
    // the window has taken the picture before.
    void setPreviewWanted(bool wanted);
    // The size the live picture is shown at: its pictures are made no larger than that.
    void setPreviewSize(QSize size);
    // The newest picture for the live view; taking it lets the next frame be converted.
    QImage takePreview();

    // A picture of the first frame that arrives after this call, at full resolution. Waits
    // with WaitHandlingEvents; false when none comes within `timeoutMs` or `giveUp` says so.
    bool grab(QImage& picture, int timeoutMs, const std::function<bool()>& giveUp);

signals:
    // Emitted on the feed's thread; a connection made on the window's thread is queued.
    void previewReady();

private:
    bool workWaiting() const;
    void convertLoop();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    QVideoFrame pending_;  // the newest frame not yet converted
    quint64 pendingSerial_ = 0;
    bool previewWanted_ = false;
    bool previewTaken_ = true;  // the window has the last picture: the next may come
    QSize previewSize_;
    QImage preview_;
    bool captureWanted_ = false;
    quint64 captureAfter_ = 0;  // a capture takes only a frame with a higher serial
    bool captureDone_ = false;
    QImage captured_;
    std::atomic<quint64> received_{0};
    std::atomic<qint64> lastFrameNs_;
    std::thread converter_;
};
