#pragma once

#include <chrono>
#include <thread>

// The one clock every wait asks: delays and the bounds of the controller polling loops.
// The program uses real time; tests and headless runs use virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since an arbitrary fixed point.
    virtual double now() const = 0;
    // Lets `seconds` pass (a real sleep, or an advance of virtual time).
    virtual void sleep(double seconds) = 0;
};

class RealClock final : public Clock {
public:
    double now() const override {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void sleep(double seconds) override {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
};

// Time that passes only when someone sleeps: a whole run takes no real time.
class VirtualClock final : public Clock {
public:
    double now() const override { return time_; }
    void sleep(double seconds) override {
        if (seconds > 0) {
            time_ += seconds;
        }
    }

private:
    double time_ = 0;
};
