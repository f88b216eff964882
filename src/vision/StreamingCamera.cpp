#include "vision/StreamingCamera.h"

#include <algorithm>

StreamingCameraBackend::StreamingCameraBackend(std::unique_ptr<VideoInput> input,
                                               StreamTimings timings)
    : timings_(timings), input_(std::move(input)) {
    watchdog_.setInterval(timings_.watchMs);
    connect(&watchdog_, &QTimer::timeout, this, &StreamingCameraBackend::watch);
    connect(input_.get(), &VideoInput::errorOccurred, this, &StreamingCameraBackend::inputFailed);
    connect(input_.get(), &VideoInput::activeChanged, this,
            &StreamingCameraBackend::inputActiveChanged);
    connect(&feed_, &VideoFeed::previewReady, this, [this] {
        if (onImageAvailable) {
            onImageAvailable();
        }
    });
}

StreamingCameraBackend::~StreamingCameraBackend() {
    input_->stop();
}

void StreamingCameraBackend::start(const TWCameraFormat& format) {
    stop();
    // A camera slower than the stall limit still sends three frames within it.
    const double slowest = format.MinFrameRate > 0 ? format.MinFrameRate : format.MaxFrameRate;
    stallMs_ = slowest > 0 ? std::max(timings_.stallMs, static_cast<int>(3000 / slowest))
                           : timings_.stallMs;
    state_ = State::Starting;
    startError_.clear();
    const quint64 before = feed_.framesReceived();
    input_->start(format, sink_);
    const bool pictured = WaitHandlingEvents(
        [&] { return !startError_.isEmpty() || feed_.framesReceived() > before; },
        timings_.firstFrameMs);
    if (!pictured || !startError_.isEmpty()) {
        const QString error = startError_.isEmpty() ? "The camera sends no picture" : startError_;
        stop();
        throw EWCameraError(error);
    }
    state_ = State::Running;
    feed_.restartClock();
    watchdog_.start();
}

void StreamingCameraBackend::stop() {
    state_ = State::Stopped;
    watchdog_.stop();
    input_->stop();
    feed_.clear();
}

bool StreamingCameraBackend::grab(QImage& frame) {
    if (state_ != State::Running) {
        return false;
    }
    return feed_.grab(frame, timings_.grabMs, [this] { return state_ != State::Running; });
}

void StreamingCameraBackend::inputFailed(const QString& text) {
    const QString reason = text.isEmpty() ? QString("The camera failed") : text.left(160);
    if (state_ == State::Starting) {
        startError_ = reason;
    } else {
        lose(reason);
    }
}

void StreamingCameraBackend::inputActiveChanged(bool active) {
    if (!active) {
        inputFailed("The camera stopped");
    }
}

void StreamingCameraBackend::watch() {
    if (feed_.msSinceLastFrame() > stallMs_) {
        lose(QString("No picture for %1 s").arg(stallMs_ / 1000.0));
    }
}

void StreamingCameraBackend::lose(const QString& reason) {
    if (state_ != State::Running) {
        return;
    }
    state_ = State::Lost;
    watchdog_.stop();
    input_->stop();
    if (onLost) {
        onLost(reason);
    }
}
