#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "SimConfig.h"

namespace motrix_sim {

inline constexpr int kAllAxes = 0x0F;     // bit 0 X, bit 1 Y, bit 2 Z, bit 3 A
inline constexpr int kOutputBits = 0x7C;  // the five outputs: masks 4, 8, 16, 32, 64

// The machine behind the simulated controller: four axes with home switches, the
// controller's step counters, one motion at a time, pause and emergency stop, five outputs.
// Every operation answers the controller's status byte (SimStatus.h). Not thread-safe.
class VirtualMachine {
public:
    using Clock = std::function<double()>;  // monotonic seconds

    VirtualMachine(const SimConfig& config, Clock now);

    // Connects and clears motion, pause, emergency stop and outputs.
    std::uint8_t reset();
    void close() { connected_ = false; }
    std::uint8_t setMaxStepsPerSecond() const;
    std::uint8_t setAcceleration() const;
    // A set-up call that changes nothing in the simulation.
    std::uint8_t acceptSetUp() const;

    // Writes the counters; 236 once the last motion has finished.
    std::uint8_t getPosition(Steps& counters);
    // A dwell in the command stream: nothing moves; writes the counters.
    std::uint8_t delay(Steps& written);
    // Starts a straight motion of the masked axes to `target` at `speed` steps/s.
    std::uint8_t move(const Steps& target, int axisMask, std::int32_t speed);
    // Drives the masked axes to their home switches; the counters follow the travel.
    std::uint8_t home(int axisMask, std::int32_t speed);
    std::uint8_t setPosition(const Steps& counters, int axisMask);
    std::uint8_t pause();
    std::uint8_t resume();
    std::uint8_t endCurrentMove();
    // Stops and refuses motion and switching outputs on until the next reset.
    std::uint8_t emergencyStop();

    // Under the stop an output may still be switched off, never on.
    std::uint8_t setOutput(int mask, bool on);
    std::uint8_t setOutputsImmediate(int outputs);
    // Bit per axis (bit 0 X .. bit 3 A), set while the axis sits at its home switch.
    std::uint8_t inputs();
    double firmwareVersion() const { return connected_ ? config_.firmwareVersion : 0.0; }

    // Observation for tests: lets real time pass, but completes nothing in instant mode.
    Steps counters();
    Steps physicalPosition();
    int outputs() const { return outputs_; }

private:
    using Position = std::array<double, kAxisCount>;

    struct Motion {
        Position from;
        Position to;
        double duration = 0;  // seconds
        double elapsed = 0;   // seconds of unpaused real time since the start
    };

    std::uint8_t admitMotion(std::int32_t speed, int axisMask);
    std::uint8_t commandMotion(const Position& target, int axisMask, std::int32_t speed);
    std::uint8_t connectedStatus() const;
    void advance();
    void stopMotion();

    SimConfig config_;
    Clock now_;
    double lastTick_;
    bool connected_ = false;
    bool paused_ = false;
    bool stopped_ = false;
    int busyAnswersLeft_;
    int outputs_ = 0;
    Position position_{};  // the counters, fractional while a real-time motion runs
    Position offset_{};    // physical position minus counter
    std::optional<Motion> motion_;
};

}  // namespace motrix_sim
