#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "motion/MotrixApi.h"
#include "motion/RunningSequences.h"

class Clock;
class OperatorPort;
struct MachineSettings;

// The fixed command record every controller request is packed into.
struct ControllerCommand {
    std::int32_t Code = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;
    std::int32_t A = 0;
    std::int32_t Arc1 = 0;
    std::int32_t Arc2 = 0;
    std::int32_t Arc3 = 0;
    std::int32_t Speed = 0;
    std::int32_t SpeedAux = 0;
    std::int32_t DelayA = 0;
    std::int32_t DelayB = 0;
    std::uint8_t AxisMask = 0;  // bit 0 X, bit 1 Y, bit 2 Z, bit 3 A
    std::uint8_t Flag = 0;
    std::uint8_t Option = 0;
    std::uint8_t OutputMask = 0;
    std::uint8_t OutputOn = 0;
    std::int32_t SpsAux = 0;
};

// Dispatcher results.
enum ControllerResult : std::uint8_t { ResultRefused = 0, ResultAccepted = 1, ResultBusy = 2 };

// Controller status bytes the program relies on.
constexpr std::uint8_t StatusAccepted = 235;
constexpr std::uint8_t StatusMotionComplete = 236;
constexpr std::uint8_t StatusSendAgain = 237;
constexpr std::uint8_t StatusRefusedUnderStop = 255;
// Refused because the controller's own emergency stop holds (its stop button, LinuxCNC's stop):
// the program latches its stop too.
constexpr std::uint8_t StatusControllerStopped = 241;

// Output masks of the five switched outputs, in OutputState order.
enum OutputIndex { OutputYAlign = 0, OutputFeeder, OutputBlow, OutputVacuum, OutputDispenser };
constexpr std::array<std::uint8_t, 5> kOutputMasks = {4, 8, 32, 16, 64};

// Position in the machine frame: mm for X, Y, Z (Z grows downwards, 0 = nozzle raised),
// degrees for A.
struct AxisPosition {
    double X = 0;
    double Y = 0;
    double Z = 0;
    double A = 0;
};

// The controller layer: the connection state, the single dispatcher into the vendor library,
// the motion wait, homing, moves in the machine and home-relative frames, and the outputs.
// Only this layer calls the library.
class MotrixCNC {
public:
    // `sequences`: the machine sequences in progress; an ended one gets no command through.
    MotrixCNC(const MachineSettings& settings, Clock& clock, OperatorPort& port,
              RunningSequences& sequences);

    // The bound library; without one the controller is never found.
    void attach(std::shared_ptr<const MotrixApi> api) { api_ = std::move(api); }
    const MotrixApi* api() const { return api_.get(); }

    std::uint8_t ExecuteControllerCommand(const ControllerCommand& command);
    // Connects and sets the controller up; every output then goes off, the Y-alignment first.
    bool InitialiseController();
    bool WaitForMotionComplete();
    // Program end: one end-current-move when usable, then the library is closed.
    void Shutdown();

    // True when every step of the sequence was accepted and finished.
    bool RunHomingSequence();

    bool MoveMachine(double x, double y, double z, double a, int speed);
    bool MoveHomeFrame(double x, double y, double z, double a, int speed);
    bool MoveHomeFrameZSafe(double x, double y, double z, double a, int speed);
    bool JogMove();

    // Switching off is tried whenever the controller was found, switching on only while it is
    // ready.
    void SetYAlignOutput(bool on) { switchOutput(OutputYAlign, on); }
    void SetFeederOutput(bool on) { switchOutput(OutputFeeder, on); }
    void SetBlowOutput(bool on) { switchOutput(OutputBlow, on); }
    void SetVacuumOutput(bool on) { switchOutput(OutputVacuum, on); }
    void SetDispenserOutput(bool on) { switchOutput(OutputDispenser, on); }

    // Machine-frame step counts of a position (round half to even).
    std::array<std::int32_t, 4> toSteps(double x, double y, double z, double a) const;
    // Controller found and ready, and no emergency stop.
    bool usable() const { return ControllerFound && ControllerReady && !EmergencyStop; }

    bool ControllerFound = false;
    bool ControllerReady = false;
    bool EmergencyStop = false;
    bool MotionComplete = false;
    bool ControllerPaused = false;
    std::int32_t LastControllerStatus = 0;
    std::array<std::int32_t, 4> PositionSteps{};
    std::uint8_t InputBits = 0;
    double FirmwareVersion = 0;
    std::array<bool, 5> OutputState{};

    double CommandedX = 0;
    double CommandedY = 0;
    double CommandedZ = 0;
    double CommandedA = 0;
    double HomeOffsetX = 0;
    double HomeOffsetY = 0;
    AxisPosition JogDelta;

private:
    std::uint8_t callLibrary(const ControllerCommand& command);
    // The LinuxCNC library takes the remote shell's address and the scaling before its reset.
    void handOverLinuxCncSetUp();
    // A motion or an output switched on may not be sent now: the latched stop, or the code
    // asking is an ended sequence or a message handled while a sequence waits.
    bool refusedNow(const ControllerCommand& command) const;
    bool commandsRefused() const;
    bool sendUntilAccepted(const ControllerCommand& command);
    void switchOutput(OutputIndex output, bool on);
    void setCommanded(double x, double y, double z, double a);
    // Once until RESET: the controller counts as not ready, its outputs go off where it still
    // takes that, and the operator is told (what to check when it does not answer at all).
    void reportNotResponding();
    // Every output off; true when the controller took that and still answers a position poll.
    bool switchOutputsOffAfterFault();
    // Sets the time bound of the next motion wait from its longest axis travel.
    void expectMotion(double steps, int speed);
    double longestTravelSteps(const std::array<std::int32_t, 4>& to) const;
    double travelSpanSteps() const;

    const MachineSettings& settings_;
    Clock& clock_;
    OperatorPort& port_;
    RunningSequences& sequences_;
    std::shared_ptr<const MotrixApi> api_;
    double motionTimeBound_ = 10;  // seconds the current motion may take, set when it is sent
};
