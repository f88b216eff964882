#include "motion/MotrixCNC.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QString>

#include "context/Clock.h"
#include "context/OperatorPort.h"
#include "motion/ControllerChoice.h"
#include "settings/MachineSettings.h"

namespace {

// A send is repeated while the controller answers busy, for at most this long, and at most
// this many times while it refuses outright.
constexpr double kSendTimeBound = 5.0;
constexpr int kRefusalLimit = 3;
// A motion may take twice its nominal time plus this margin before the controller counts as
// not answering (acceleration, pauses and slow homing approaches all fit in it).
constexpr double kMotionTimeMargin = 10.0;
constexpr double kPollInterval = 0.001;

// Motion and output-on codes the controller layer refuses while the stop is latched. Switching
// an output off passes: the stop must be able to take the vacuum and the actuator down.
bool refusedUnderStop(const ControllerCommand& command) {
    switch (command.Code) {
        case 11:
            return command.OutputOn != 0;
        case 7:
        case 12:
        case 13:
        case 14:
        case 15:
        case 16:
        case 17:
        case 20:
        case 24:
            return true;
        default:
            return false;
    }
}

std::int32_t roundToSteps(double value) {
    const double rounded = std::nearbyint(value);  // ties to even in the default rounding mode
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(rounded, lowest, highest));
}

}  // namespace

MotrixCNC::MotrixCNC(const MachineSettings& settings, Clock& clock, OperatorPort& port,
                     RunningSequences& sequences)
    : settings_(settings), clock_(clock), port_(port), sequences_(sequences) {}

bool MotrixCNC::commandsRefused() const {
    return sequences_.refusesCommands(port_.messageDepth());
}

bool MotrixCNC::refusedNow(const ControllerCommand& command) const {
    return (EmergencyStop || commandsRefused()) && refusedUnderStop(command);
}

std::uint8_t MotrixCNC::ExecuteControllerCommand(const ControllerCommand& command) {
    const ControllerCommand local = command;
    if (!ControllerFound || !api_) {
        return ResultRefused;
    }
    const std::uint8_t status = refusedNow(local) ? StatusRefusedUnderStop : callLibrary(local);
    if (status <= 211 || (status >= 214 && status <= 232) || status == 235) {
        return ResultAccepted;
    }
    if (status == 213 || status == StatusMotionComplete) {
        MotionComplete = true;
        return ResultAccepted;
    }
    if (status == StatusSendAgain) {
        return ResultBusy;
    }
    if (status == 247) {
        MotionComplete = true;
    }
    if (status == StatusControllerStopped) {
        // The controller's own stop is the program's stop: it ends the running sequences too,
        // so that their failure paths send nothing and leave the read-out where the head stopped.
        EmergencyStop = true;
        sequences_.endAll();
    }
    return ResultRefused;
}

std::uint8_t MotrixCNC::callLibrary(const ControllerCommand& c) {
    const MotrixApi& api = *api_;
    std::int32_t out[4] = {};
    auto& p = PositionSteps;
    switch (c.Code) {
        case 1: {
            std::int32_t option = c.Option;
            return api.MotrixSetArcDirection(&option);
        }
        case 3:
            FirmwareVersion = api.MotrixGetFirmwareVersion();
            return 0;
        case 4: {
            std::int32_t comPort = settings_.comPort;
            return api.MotrixReset(&comPort, 27, 1);
        }
        case 5: {
            const std::uint8_t status = api.MotrixGetPosition(&p[0], &p[1], &p[2], &p[3]);
            MotionComplete = status == StatusMotionComplete;
            return status;
        }
        case 6: {
            const std::uint8_t status = api.MotrixPause();
            ControllerPaused = ControllerPaused || status == StatusAccepted;
            return status;
        }
        case 7: {
            const std::uint8_t status = api.MotrixContinue();
            ControllerPaused = ControllerPaused && status != StatusAccepted;
            return status;
        }
        case 8:
            return api.MotrixEndCurrentMove();
        case 9:
            return api.MotrixEmStop();
        case 10:
            return api.MotrixSetPosition(c.X, c.Y, c.Z, c.A, c.AxisMask);
        case 11:
            return api.MotrixSetOutput(c.OutputMask, c.OutputOn, p[0], p[1], p[2], p[3]);
        case 12:
            return api.MotrixDelay(c.DelayA, c.DelayB, &p[0], &p[1], &p[2], &p[3]);
        case 13:
            return api.MotrixLinearMove(c.X, c.Y, c.Z, c.A, c.Speed, c.SpeedAux, &out[0], &out[1],
                                        &out[2], &out[3]);
        case 14:
            return api.MotrixRapidMove(c.X, c.Y, c.Z, c.A, c.Speed, c.SpeedAux, &out[0], &out[1],
                                       &out[2], &out[3]);
        case 15:
            return api.MotrixQuadrantArcMoveCW(c.Arc3, c.X, c.Y, c.Arc1, c.Arc2, c.Speed,
                                               c.SpeedAux, c.Flag, &out[0], &out[1], &out[2],
                                               &out[3]);
        case 16:
            return api.MotrixQuadrantArcMoveCCW(c.Arc3, c.X, c.Y, c.Arc1, c.Arc2, c.Speed,
                                                c.SpeedAux, c.Flag, &out[0], &out[1], &out[2],
                                                &out[3]);
        case 17:
            return api.MotrixHome(c.AxisMask, c.Option, c.Speed);
        case 18:
            return api.MotrixSetFeedOverride(c.Speed);
        case 19:
            return api.MotrixSetMaxSPS(c.Speed, 4, 0, 0, c.SpsAux);
        case 20:
            return api.MotrixIndexMove(c.X, c.Y, c.Z, c.A, c.Speed, c.AxisMask, &out[0], &out[1],
                                       &out[2], &out[3]);
        case 21:
            InputBits = api.MotrixReadInputs();
            return StatusAccepted;
        case 22:
            return c.Flag == 1 ? api.MotrixChaseEncoder(c.AxisMask, c.Option, c.X, c.Y, c.Z, c.A)
                               : api.MotrixEndChaseEncoder();
        case 24:
            return api.MotrixSetOutputImediate(c.Option);
        default:
            return 0;  // codes without a library call
    }
}

bool MotrixCNC::InitialiseController() {
    ControllerReady = false;
    if (api_) {
        api_->MotrixClose();
    }
    OutputState.fill(false);
    ControllerFound = false;
    if (!api_) {
        return false;
    }
    handOverLinuxCncSetUp();
    std::int32_t comPort = settings_.comPort;
    std::uint8_t status = api_->MotrixReset(&comPort, 27, 1);
    LastControllerStatus = status;
    ControllerFound = status == StatusAccepted;
    if (!ControllerFound) {
        return false;
    }
    status = api_->MotrixSetMaxSPS(settings_.maxStepsPerSecond, 4, 0, 0, 0);
    if (status == StatusAccepted) {
        status = api_->MotrixSetAccelleration(settings_.acceleration, settings_.maxStepsPerSecond,
                                              settings_.startStepsPerSecond, settings_.scale);
        ControllerReady = status == StatusAccepted;
    }
    SetYAlignOutput(false);
    // Whatever a fault left on, and a controller kept through its reset, goes off too.
    SetFeederOutput(false);
    SetVacuumOutput(false);
    SetBlowOutput(false);
    SetDispenserOutput(false);
    return ControllerReady;
}

void MotrixCNC::handOverLinuxCncSetUp() {
    const auto setUp =
        reinterpret_cast<MotrixLinuxCncSetUpFn>(api_->resolveOptional("MotrixLinuxCncSetUp"));
    if (setUp) {
        setUp(LinuxCncSetUpText(settings_).toUtf8().constData());
    }
}

bool MotrixCNC::WaitForMotionComplete() {
    if (!ControllerFound || !ControllerReady) {
        return false;
    }
    const double deadline = clock_.now() + motionTimeBound_;
    ControllerCommand command;
    std::uint8_t result = ResultRefused;
    for (;;) {
        if (EmergencyStop) {
            command.Code = 8;
        } else {
            MotionComplete = false;
            command.Code = 5;
        }
        result = ExecuteControllerCommand(command);
        LastControllerStatus = result;
        if ((result == ResultAccepted && MotionComplete) || EmergencyStop) {
            break;
        }
        if (clock_.now() >= deadline) {
            reportNotResponding();
            return false;
        }
        clock_.sleep(kPollInterval);
    }
    return result == ResultAccepted && MotionComplete && !EmergencyStop;
}

void MotrixCNC::Shutdown() {
    if (ControllerFound && ControllerReady) {
        ControllerCommand endMove;
        endMove.Code = 8;
        ExecuteControllerCommand(endMove);
    }
    if (api_) {
        api_->MotrixClose();
    }
}

bool MotrixCNC::sendUntilAccepted(const ControllerCommand& command) {
    const double deadline = clock_.now() + kSendTimeBound;
    int refusals = 0;
    for (;;) {
        const std::uint8_t result = ExecuteControllerCommand(command);
        if (result == ResultAccepted) {
            return true;
        }
        if (result == ResultRefused) {
            // Nothing changes a latched stop (or an ended sequence) while this loop runs.
            if (!ControllerFound || refusedNow(command)) {
                return false;
            }
            if (++refusals >= kRefusalLimit) {
                reportNotResponding();
                return false;
            }
        }
        if (clock_.now() >= deadline) {
            reportNotResponding();
            return false;
        }
        clock_.sleep(kPollInterval);
    }
}

void MotrixCNC::reportNotResponding() {
    // Not ready until RESET: every later routine then does nothing, so this shows once.
    if (!ControllerReady) {
        return;
    }
    ControllerReady = false;
    sequences_.endAll();
    const bool answering = switchOutputsOffAfterFault();
    port_.speak("CNC CONTROLLER NOT RESPONDING");
    port_.showError(answering ? QString("CNC CONTROLLER NOT RESPONDING!")
                              : QString("CNC CONTROLLER NOT RESPONDING!\rCHECK ITS POWER AND ITS "
                                        "CABLE, THEN PRESS RESET: ITS OUTPUTS MAY STILL BE ON."));
}

bool MotrixCNC::switchOutputsOffAfterFault() {
    // A controller that stopped moving may still switch: nothing that it could switch off may
    // stay on until RESET.
    bool allOff = true;
    for (const OutputIndex output :
         {OutputFeeder, OutputBlow, OutputVacuum, OutputDispenser, OutputYAlign}) {
        switchOutput(output, false);
        allOff = allOff && !OutputState[output];
    }
    ControllerCommand poll;
    poll.Code = 5;
    return allOff && ExecuteControllerCommand(poll) != ResultRefused;
}

void MotrixCNC::expectMotion(double steps, int speed) {
    const double seconds = std::abs(steps) / std::max(speed, 1);
    motionTimeBound_ = 2 * seconds + kMotionTimeMargin;
}

bool MotrixCNC::RunHomingSequence() {
    if (!ControllerFound || !ControllerReady || !WaitForMotionComplete()) {
        return false;
    }
    HomeOffsetX = settings_.home1X;
    HomeOffsetY = settings_.home1Y;
    const auto home = [this](std::uint8_t axes, int speed) {
        ControllerCommand command;
        command.Code = 17;
        command.AxisMask = axes;
        command.Speed = speed;
        expectMotion(travelSpanSteps(), speed);
        return sendUntilAccepted(command) && WaitForMotionComplete();
    };
    const auto zeroPosition = [this] {
        ControllerCommand command;
        command.Code = 10;
        command.AxisMask = 15;
        return sendUntilAccepted(command);
    };
    const auto backOff = [this](std::int32_t a) {
        ControllerCommand command;
        command.Code = 14;
        command.X = 400;
        command.Y = 400;
        command.Z = 250;
        command.A = a;
        command.Speed = 300;
        expectMotion(400, 300);
        return sendUntilAccepted(command) && WaitForMotionComplete();
    };
    return home(12, 300) && home(15, 5000) && zeroPosition() && backOff(0) && backOff(400) &&
           home(15, 300) && zeroPosition() && WaitForMotionComplete();
}

// The commanded position is program state; the controller may stand elsewhere (after homing it
// stands at its new zero), so the longer of both travels bounds the motion.
double MotrixCNC::longestTravelSteps(const std::array<std::int32_t, 4>& to) const {
    const auto commanded = toSteps(CommandedX, CommandedY, CommandedZ, CommandedA);
    double longest = 0;
    for (std::size_t axis = 0; axis < to.size(); ++axis) {
        const double target = to[axis];
        longest = std::max(
            {longest, std::abs(target - commanded[axis]), std::abs(target - PositionSteps[axis])});
    }
    return longest;
}

double MotrixCNC::travelSpanSteps() const {
    const MachineSettings& s = settings_;
    return std::max({(s.maximumXPosition - s.minimumXPosition) * s.xStepsPerMM,
                     (s.maximumYPosition - s.minimumYPosition) * s.yStepsPerMM,
                     (s.maximumZPosition - s.minimumZPosition) * s.zStepsPerMM, s.aStepsPerRev});
}

std::array<std::int32_t, 4> MotrixCNC::toSteps(double x, double y, double z, double a) const {
    return {roundToSteps(x * settings_.xStepsPerMM), roundToSteps(y * settings_.yStepsPerMM),
            roundToSteps(z * settings_.zStepsPerMM),
            roundToSteps(a * settings_.aStepsPerRev / 360.0)};
}

void MotrixCNC::setCommanded(double x, double y, double z, double a) {
    CommandedX = x;
    CommandedY = y;
    CommandedZ = z;
    CommandedA = a;
}

bool MotrixCNC::MoveMachine(double x, double y, double z, double a, int speed) {
    // Below one step a second a motion would never finish: refused before anything is sent. A
    // motion refused to its asker leaves the commanded position where the head stands.
    if (!ControllerFound || !ControllerReady || speed < 1 || commandsRefused()) {
        return false;
    }
    if (!WaitForMotionComplete()) {
        setCommanded(x, y, z, a);
        return false;
    }
    bool clamped = false;
    const auto limit = [&clamped](double& value, double minimum, double maximum) {
        if (value < minimum) {
            value = minimum;
            clamped = true;
        }
        if (value > maximum) {
            value = maximum;
            clamped = true;
        }
    };
    limit(x, settings_.minimumXPosition, settings_.maximumXPosition);
    limit(y, settings_.minimumYPosition, settings_.maximumYPosition);
    limit(z, settings_.minimumZPosition, settings_.maximumZPosition);
    if (EmergencyStop) {
        setCommanded(x, y, z, a);
        return false;
    }
    const auto to = toSteps(x, y, z, a);
    ControllerCommand command;
    command.Code = 13;
    command.Speed = speed;
    command.SpeedAux = 0;
    command.X = to[0];
    command.Y = to[1];
    command.Z = to[2];
    command.A = to[3];
    expectMotion(longestTravelSteps(to), speed);
    const bool sent = sendUntilAccepted(command);
    const bool finished = sent && WaitForMotionComplete();
    setCommanded(x, y, z, a);
    return finished && !clamped;
}

bool MotrixCNC::MoveHomeFrame(double x, double y, double z, double a, int speed) {
    return MoveMachine(x + HomeOffsetX, y + HomeOffsetY, z + settings_.homeZ, a, speed);
}

bool MotrixCNC::MoveHomeFrameZSafe(double x, double y, double z, double a, int speed) {
    // Both tests in the machine frame: the target is lowered when its machine Z is below 0.
    if (CommandedZ > 0 || z + settings_.homeZ > 0) {
        return MoveMachine(CommandedX, CommandedY, 0, a, speed) &&
               MoveHomeFrame(x, y, -settings_.homeZ, a, speed) && MoveHomeFrame(x, y, z, a, speed);
    }
    return MoveHomeFrame(x, y, z, a, speed);
}

bool MotrixCNC::JogMove() {
    return MoveMachine(CommandedX + JogDelta.X, CommandedY + JogDelta.Y, CommandedZ + JogDelta.Z,
                       CommandedA + JogDelta.A, settings_.jogSpeed);
}

void MotrixCNC::switchOutput(OutputIndex output, bool on) {
    // Switching off is tried whenever the controller was found, ready or not: a controller that
    // stopped answering motions may still take it.
    if (!ControllerFound || (on && (!ControllerReady || commandsRefused()))) {
        return;
    }
    ControllerCommand command;
    command.Code = 11;
    command.OutputMask = kOutputMasks[output];
    command.OutputOn = on ? 1 : 0;
    if (sendUntilAccepted(command)) {
        OutputState[output] = on;
    }
}
