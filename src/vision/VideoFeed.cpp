#include "vision/VideoFeed.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QVideoSink>
#include <chrono>

#include "vision/VideoFrameImage.h"

namespace {

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

bool WaitHandlingEvents(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

VideoFeed::VideoFeed(QVideoSink& sink, QObject* parent) : QObject(parent), lastFrameNs_(nowNs()) {
    // The sink calls from the camera's threads: the frame is only kept there, never converted.
    connect(
        &sink, &QVideoSink::videoFrameChanged, this,
        [this](const QVideoFrame& frame) { receive(frame); }, Qt::DirectConnection);
    converter_ = std::thread([this] { convertLoop(); });
}

VideoFeed::~VideoFeed() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    converter_.join();
}

void VideoFeed::receive(const QVideoFrame& frame) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = frame;
        pendingSerial_ = ++received_;
        lastFrameNs_ = nowNs();
    }
    wake_.notify_all();
}

qint64 VideoFeed::msSinceLastFrame() const {
    return (nowNs() - lastFrameNs_.load()) / 1000000;
}

void VideoFeed::restartClock() {
    lastFrameNs_ = nowNs();
}

void VideoFeed::clear() {
    const std::lock_guard lock(mutex_);
    pending_ = QVideoFrame();
    preview_ = QImage();
    previewTaken_ = true;
}

void VideoFeed::setPreviewWanted(bool wanted) {
    {
        const std::lock_guard lock(mutex_);
        previewWanted_ = wanted;
    }
    wake_.notify_all();
}

void VideoFeed::setPreviewSize(QSize size) {
    const std::lock_guard lock(mutex_);
    previewSize_ = size;
}

QImage VideoFeed::takePreview() {
    QImage picture;
    {
        const std::lock_guard lock(mutex_);
        picture = preview_;
        previewTaken_ = true;
    }
    wake_.notify_all();
    return picture;
}

bool VideoFeed::grab(QImage& picture, int timeoutMs, const std::function<bool()>& giveUp) {
    {
        const std::lock_guard lock(mutex_);
        captureWanted_ = true;
        captureDone_ = false;
        captureAfter_ = received_.load();
        captured_ = QImage();
    }
    wake_.notify_all();
    const auto done = [this] {
        const std::lock_guard lock(mutex_);
        return captureDone_;
    };
    const bool arrived = WaitHandlingEvents([&] { return done() || giveUp(); }, timeoutMs);
    const std::lock_guard lock(mutex_);
    captureWanted_ = false;
    if (!arrived || !captureDone_ || captured_.isNull()) {
        return false;
    }
    picture = captured_;
    captured_ = QImage();
    return true;
}

bool VideoFeed::workWaiting() const {
    if (!pending_.isValid()) {
        return false;
    }
    const bool forCapture = captureWanted_ && !captureDone_ && pendingSerial_ > captureAfter_;
    return forCapture || (previewWanted_ && previewTaken_);
}

void VideoFeed::convertLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || workWaiting(); });
        if (quit_) {
            return;
        }
        QVideoFrame frame = std::move(pending_);
        pending_ = QVideoFrame();
        const quint64 serial = pendingSerial_;
        const bool forCapture = captureWanted_ && !captureDone_ && serial > captureAfter_;
        const QSize size = forCapture ? QSize() : previewSize_;  // a capture is full size
        lock.unlock();
        const QImage picture = VideoFrameToImage(frame, size);
        frame = QVideoFrame();  // the camera may reuse its buffer now
        lock.lock();
        // Still wanted, and by the same capture: one asked for meanwhile needs a later frame.
        if (forCapture && captureWanted_ && !captureDone_ && serial > captureAfter_) {
            captured_ = picture;
            captureDone_ = true;
        }
        if (previewWanted_ && previewTaken_ && !picture.isNull()) {
            preview_ = picture;
            previewTaken_ = false;
            lock.unlock();
            emit previewReady();
            lock.lock();
        }
    }
}
