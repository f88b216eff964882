#include "VirtualMachine.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "SimStatus.h"

namespace motrix_sim {
namespace {

// Elapsed times are sums of clock differences: a motion whose time has come within this many
// seconds is finished.
constexpr double kClockResolution = 1e-9;

bool axisSelected(int axisMask, int axis) {
    return (axisMask & (1 << axis)) != 0;
}

bool validAxisMask(int axisMask) {
    return (axisMask & ~kAllAxes) == 0;
}

// One or more of the five outputs and nothing else.
bool validOutputs(int outputs) {
    return (outputs & ~kOutputBits) == 0;
}

template <typename Values>
Steps rounded(const Values& values) {
    Steps steps{};
    std::transform(values.begin(), values.end(), steps.begin(),
                   [](double value) { return static_cast<std::int32_t>(std::lround(value)); });
    return steps;
}

}  // namespace

VirtualMachine::VirtualMachine(const SimConfig& config, Clock now)
    : config_(config),
      now_(std::move(now)),
      lastTick_(now_()),
      busyAnswersLeft_(config.faultBusyAnswers) {
    std::copy(config.powerUpPosition.begin(), config.powerUpPosition.end(), offset_.begin());
}

std::uint8_t VirtualMachine::reset() {
    connected_ = !config_.faultResetUnanswered;
    if (!connected_) {
        return kStatusNotFound;
    }
    stopMotion();
    paused_ = false;
    stopped_ = false;
    outputs_ = 0;
    return kStatusAccepted;
}

std::uint8_t VirtualMachine::connectedStatus() const {
    return connected_ ? kStatusAccepted : kStatusNotConnected;
}

std::uint8_t VirtualMachine::acceptSetUp() const {
    return connectedStatus();
}

std::uint8_t VirtualMachine::setMaxStepsPerSecond() const {
    return connected_ && config_.faultMaxSpeedRefused ? kStatusRefused : connectedStatus();
}

std::uint8_t VirtualMachine::setAcceleration() const {
    return connected_ && config_.faultAccelerationRefused ? kStatusRefused : connectedStatus();
}

std::uint8_t VirtualMachine::getPosition(Steps& counters) {
    if (!connected_) {
        return kStatusNotConnected;
    }
    advance();
    if (motion_ && !paused_ && config_.mode == TimeMode::Instant) {
        position_ = motion_->to;
        motion_.reset();
    }
    counters = rounded(position_);
    const bool finished = !motion_ && !config_.faultMotionNeverFinishes;
    return finished ? kStatusMotionComplete : kStatusMoving;
}

std::uint8_t VirtualMachine::delay(Steps& written) {
    if (connected_) {
        written = counters();
    }
    return connectedStatus();
}

std::uint8_t VirtualMachine::move(const Steps& target, int axisMask, std::int32_t speed) {
    Position position{};
    std::copy(target.begin(), target.end(), position.begin());
    return commandMotion(position, axisMask, speed);
}

std::uint8_t VirtualMachine::home(int axisMask, std::int32_t speed) {
    Position switches{};
    for (int axis = 0; axis < kAxisCount; ++axis) {
        switches[axis] = config_.homeSwitch[axis] - offset_[axis];
    }
    return commandMotion(switches, axisMask, speed);
}

std::uint8_t VirtualMachine::admitMotion(std::int32_t speed, int axisMask) {
    if (!connected_) {
        return kStatusNotConnected;
    }
    if (stopped_) {
        return kStatusRefusedUnderStop;
    }
    if (config_.faultRefuseMotion || speed <= 0 || !validAxisMask(axisMask)) {
        return kStatusRefused;
    }
    if (busyAnswersLeft_ > 0) {
        --busyAnswersLeft_;
        return kStatusSendAgain;
    }
    advance();
    return motion_ ? kStatusSendAgain : kStatusAccepted;
}

std::uint8_t VirtualMachine::commandMotion(const Position& target, int axisMask,
                                           std::int32_t speed) {
    const std::uint8_t status = admitMotion(speed, axisMask);
    if (status != kStatusAccepted) {
        return status;
    }
    Motion motion{position_, position_};
    double longestTravel = 0;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        if (axisSelected(axisMask, axis)) {
            motion.to[axis] = target[axis];
            longestTravel = std::max(longestTravel, std::abs(target[axis] - position_[axis]));
        }
    }
    motion.duration = longestTravel / speed;
    motion_ = motion;
    return kStatusAccepted;
}

std::uint8_t VirtualMachine::setPosition(const Steps& counters, int axisMask) {
    if (!connected_) {
        return kStatusNotConnected;
    }
    if (!validAxisMask(axisMask)) {
        return kStatusRefused;
    }
    advance();
    if (motion_) {
        return kStatusSendAgain;
    }
    for (int axis = 0; axis < kAxisCount; ++axis) {
        if (axisSelected(axisMask, axis)) {
            offset_[axis] += position_[axis] - counters[axis];
            position_[axis] = counters[axis];
        }
    }
    return kStatusAccepted;
}

std::uint8_t VirtualMachine::pause() {
    if (connected_) {
        advance();
        paused_ = true;
    }
    return connectedStatus();
}

std::uint8_t VirtualMachine::resume() {
    if (connected_) {
        advance();
        paused_ = false;
    }
    return connectedStatus();
}

std::uint8_t VirtualMachine::endCurrentMove() {
    if (connected_) {
        stopMotion();
    }
    return connectedStatus();
}

std::uint8_t VirtualMachine::emergencyStop() {
    if (connected_) {
        stopMotion();
        stopped_ = true;
    }
    return connectedStatus();
}

std::uint8_t VirtualMachine::setOutput(int mask, bool on) {
    if (!connected_) {
        return kStatusNotConnected;
    }
    if (mask == 0 || !validOutputs(mask)) {
        return kStatusRefused;
    }
    if (stopped_ && on) {
        return kStatusRefusedUnderStop;
    }
    outputs_ = on ? (outputs_ | mask) : (outputs_ & ~mask);
    return kStatusAccepted;
}

std::uint8_t VirtualMachine::setOutputsImmediate(int outputs) {
    if (!connected_) {
        return kStatusNotConnected;
    }
    if (!validOutputs(outputs)) {
        return kStatusRefused;
    }
    if (stopped_ && (outputs & ~outputs_) != 0) {
        return kStatusRefusedUnderStop;
    }
    outputs_ = outputs;
    return kStatusAccepted;
}

std::uint8_t VirtualMachine::inputs() {
    if (!connected_) {
        return 0;
    }
    const Steps physical = physicalPosition();
    std::uint8_t bits = 0;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        if (physical[axis] == config_.homeSwitch[axis]) {
            bits |= static_cast<std::uint8_t>(1 << axis);
        }
    }
    return bits;
}

Steps VirtualMachine::counters() {
    advance();
    return rounded(position_);
}

Steps VirtualMachine::physicalPosition() {
    advance();
    Position physical{};
    for (int axis = 0; axis < kAxisCount; ++axis) {
        physical[axis] = position_[axis] + offset_[axis];
    }
    return rounded(physical);
}

// Lets the real time since the last call pass for the running motion (none while paused).
void VirtualMachine::advance() {
    const double now = now_();
    if (motion_ && !paused_ && config_.mode == TimeMode::RealTime) {
        motion_->elapsed += now - lastTick_;
        const double fraction = motion_->elapsed >= motion_->duration - kClockResolution
                                    ? 1.0
                                    : motion_->elapsed / motion_->duration;
        for (int axis = 0; axis < kAxisCount; ++axis) {
            position_[axis] =
                motion_->from[axis] + (motion_->to[axis] - motion_->from[axis]) * fraction;
        }
        if (fraction >= 1.0) {
            motion_.reset();
        }
    }
    lastTick_ = now;
}

// A stepper stands on whole steps: the stopped axes keep the step they reached.
void VirtualMachine::stopMotion() {
    advance();
    const Steps reached = rounded(position_);
    std::copy(reached.begin(), reached.end(), position_.begin());
    motion_.reset();
}

}  // namespace motrix_sim
