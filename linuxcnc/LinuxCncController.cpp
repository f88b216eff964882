#include "LinuxCncController.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <memory>

#include "SimStatus.h"
#include "WorldJson.h"

namespace linuxcnc {
namespace {

using namespace motrix_sim;

constexpr RemoteShell::Seconds kConnectTimeout{2.0};
// A "set" waits until LinuxCNC has taken the command (linuxcncrsh checks every 100 ms); a
// reply later than this means LinuxCNC has stopped serving.
constexpr RemoteShell::Seconds kReplyTimeout{3.0};
// A camera frame or a report reads the position again when it is older than this.
constexpr std::chrono::milliseconds kPositionFreshness{20};
// LinuxCNC reports positions with six decimals.
constexpr double kReachTolerance = 1e-3;
constexpr int kAllAxes = 0x0F;
constexpr std::array<int, 5> kOutputMasks = {4, 8, 16, 32, 64};  // motion.digital-out-00..04

bool axisSelected(int axisMask, int axis) {
    return (axisMask & (1 << axis)) != 0;
}

bool validAxisMask(int axisMask) {
    return (axisMask & ~kAllAxes) == 0;
}

// The digital output (M64/M65 P) of an output mask; -1 for a mask that is not one output.
int outputIndex(int mask) {
    const auto found = std::find(kOutputMasks.begin(), kOutputMasks.end(), mask);
    return found == kOutputMasks.end() ? -1 : static_cast<int>(found - kOutputMasks.begin());
}

bool parseNumber(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "HOST:PORT", the host in brackets when it is an IPv6 address.
bool parseAddress(std::string_view text, LinuxCncSetUp& setUp) {
    const std::size_t colon = text.rfind(':');
    double port = 0;
    if (colon == std::string_view::npos || !parseNumber(text.substr(colon + 1), port) || port < 1 ||
        port > 65535 || port != std::floor(port)) {
        return false;
    }
    std::string_view host = text.substr(0, colon);
    if (host.starts_with('[') && host.ends_with(']')) {
        host = host.substr(1, host.size() - 2);
    }
    if (host.empty() || host.find_first_of(" \t") != std::string_view::npos) {
        return false;
    }
    setUp.host = std::string(host);
    setUp.port = static_cast<int>(port);
    return true;
}

// One set-up line; a problem description, empty when it was used.
std::string applySetUpLine(LinuxCncSetUp& setUp, std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return "no '=' in '" + std::string(line) + "'";
    }
    const std::string_view key = trimmed(line.substr(0, equals));
    const std::string_view value = trimmed(line.substr(equals + 1));
    const std::string unusable =
        "unusable value '" + std::string(value) + "' for '" + std::string(key) + "'";
    if (key == "address") {
        return parseAddress(value, setUp) ? std::string() : unusable;
    }
    static constexpr std::array<std::string_view, 4> kScaleKeys = {
        "x_steps_per_mm", "y_steps_per_mm", "z_steps_per_mm", "a_steps_per_rev"};
    const auto scale = std::find(kScaleKeys.begin(), kScaleKeys.end(), key);
    if (scale == kScaleKeys.end()) {
        return "unknown setting '" + std::string(key) + "'";
    }
    double number = 0;
    if (!parseNumber(value, number) || !std::isfinite(number) || number <= 0) {
        return unusable;
    }
    const auto axis = static_cast<std::size_t>(scale - kScaleKeys.begin());
    setUp.stepsPerUnit[axis] = axis == 3 ? number / 360.0 : number;
    return {};
}

// The four numbers of a position reply ("ABS_ACT_POS x y z a b c").
bool parsePosition(const std::string& reply, std::string_view name, Position& position) {
    const std::vector<std::string> values = replyValues(reply);
    if (!reply.starts_with(name) || values.size() < position.size()) {
        return false;
    }
    for (std::size_t axis = 0; axis < position.size(); ++axis) {
        if (!parseNumber(values[axis], position[axis])) {
            return false;
        }
    }
    return true;
}

bool allJointsHomed(const std::string& reply) {
    const std::vector<std::string> values = replyValues(reply);
    return values.size() >= 4 &&
           std::all_of(values.begin(), values.begin() + 4,
                       [](const std::string& value) { return value == "YES"; });
}

bool reached(const Position& position, const Position& target) {
    for (std::size_t axis = 0; axis < position.size(); ++axis) {
        if (std::abs(position[axis] - target[axis]) > kReachTolerance) {
            return false;
        }
    }
    return true;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace

std::vector<std::string> applySetUpText(LinuxCncSetUp& setUp, std::string_view text) {
    std::vector<std::string> problems;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        if (!line.empty() && line.front() != '#') {
            if (std::string problem = applySetUpLine(setUp, line); !problem.empty()) {
                problems.push_back(std::move(problem));
            }
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return problems;
}

LinuxCncController::LinuxCncController(const SimConfig& worldConfig, World world)
    : worldConfig_(worldConfig), world_(std::move(world)) {}

void LinuxCncController::setUp(const LinuxCncSetUp& setUp) {
    std::lock_guard lock(mutex_);
    setUp_ = setUp;
}

LinuxCncSetUp LinuxCncController::currentSetUp() {
    std::lock_guard lock(mutex_);
    return setUp_;
}

std::uint8_t LinuxCncController::unconnectedStatus() const {
    return lost_ ? kStatusNoAnswer : kStatusNotConnected;
}

std::uint8_t LinuxCncController::reset() {
    std::lock_guard lock(mutex_);
    shell_.close();
    lost_ = false;
    if (!shell_.connect(setUp_.host, setUp_.port, kConnectTimeout)) {
        return kStatusNotFound;
    }
    std::optional<MachineStatus> status = poll();
    if (status && !status->on && command("estop off") && command("machine on")) {
        status = poll();
    }
    if (!status) {
        return kStatusNotFound;
    }
    if (status->on && !status->idle) {
        command("abort");
    }
    homing_ = false;
    target_.reset();
    // The configuration's outputs stay down after the stop until switched off and on again.
    outputs_ = 0;
    world_.observe(pose(), outputs_);
    // Found even when LinuxCNC's stop is still held: the set-up calls then answer 241.
    return kStatusAccepted;
}

void LinuxCncController::close() {
    std::lock_guard lock(mutex_);
    shell_.close();
    lost_ = false;
}

std::optional<MachineStatus> LinuxCncController::poll() {
    if (!shell_.connected()) {
        return std::nullopt;
    }
    const std::vector<std::string> replies =
        shell_.exchange({"get machine", "get mode", "get program_status", "get joint_homed",
                         "get abs_cmd_pos", "get abs_act_pos", "get error"},
                        kReplyTimeout);
    noteLateReplies();
    MachineStatus status;
    const bool read =
        replies.size() == 7 && replies[0].starts_with("MACHINE ") &&
        replies[1].starts_with("MODE ") && replies[2].starts_with("PROGRAM_STATUS ") &&
        replies[3].starts_with("JOINT_HOMED ") &&
        parsePosition(replies[4], "ABS_CMD_POS", status.commanded) &&
        parsePosition(replies[5], "ABS_ACT_POS", status.actual) && replies[6].starts_with("ERROR");
    if (!read) {
        // Lost, or out of step with the shell: a session whose replies cannot be trusted.
        lost_ = true;
        shell_.close();
        return std::nullopt;
    }
    status.on = replies[0] == "MACHINE ON";
    status.mode = replyValues(replies[1]).front();
    status.idle = replies[2] == "PROGRAM_STATUS IDLE";
    status.homed = allJointsHomed(replies[3]);
    noteError(replies[6]);
    mode_ = status.mode;
    position_ = status.actual;
    positionRead_ = Clock::now();
    if (!status.on) {
        // LinuxCNC's stop ends motion and homing, and its outputs are down.
        homing_ = false;
        target_.reset();
        outputs_ = 0;
    }
    world_.observe(pose(), outputs_);
    return status;
}

std::uint8_t LinuxCncController::admit(const std::optional<MachineStatus>& status) const {
    if (!status) {
        return unconnectedStatus();
    }
    if (!status->on) {
        return kStatusRefusedUnderStop;
    }
    return homing_ || !status->idle ? kStatusSendAgain : 0;
}

bool LinuxCncController::command(const std::string& text) {
    const bool mdi = text.starts_with("mdi ");
    std::vector<std::string> commands = {"set " + text};
    if (mdi) {
        // LinuxCNC acknowledges an MDI line as received and tells a refusal in its errors.
        commands.push_back("get error");
    }
    const std::vector<std::string> replies = shell_.exchange(commands, kReplyTimeout);
    noteLateReplies();
    if (replies.size() != commands.size()) {
        lost_ = true;
        return false;
    }
    if (mdi) {
        noteError(replies[1]);
    }
    return acknowledged(replies[0]) && (!mdi || replies[1] == "ERROR OK");
}

bool LinuxCncController::ensureMode(const std::string& mode) {
    if (mode_ == mode) {
        return true;
    }
    std::string lower = mode;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!command("mode " + lower)) {
        return false;
    }
    mode_ = mode;
    return true;
}

void LinuxCncController::noteError(const std::string& reply) {
    if (reply != "ERROR OK" && reply.starts_with("ERROR ")) {
        std::cerr << "MotrixLinuxCNC: LinuxCNC says: " << reply.substr(6) << '\n';
    }
}

void LinuxCncController::noteLateReplies() {
    for (const std::string& reply : shell_.takeLateReplies()) {
        if (reply.ends_with(" NAK")) {
            std::cerr << "MotrixLinuxCNC: LinuxCNC refused: " << reply << '\n';
        }
        noteError(reply);
    }
}

std::optional<MachineStatus> LinuxCncController::pollCounters(Steps& counters) {
    std::optional<MachineStatus> status = poll();
    if (status) {
        counters = countersOf(status->actual);
    }
    return status;
}

std::uint8_t LinuxCncController::getPosition(Steps& counters) {
    std::lock_guard lock(mutex_);
    const std::optional<MachineStatus> status = pollCounters(counters);
    if (!status) {
        return unconnectedStatus();
    }
    if (!status->on) {
        return kStatusRefusedUnderStop;
    }
    if (homing_) {
        homing_ = !status->homed;
        return homing_ ? kStatusMoving : kStatusMotionComplete;
    }
    if (!status->idle) {
        return kStatusMoving;
    }
    // At rest short of its target, the move was refused or cut short (its error is on stderr).
    if (target_ && !reached(status->commanded, *target_)) {
        return kStatusRefused;
    }
    return kStatusMotionComplete;
}

std::uint8_t LinuxCncController::admitMotion(const std::optional<MachineStatus>& status,
                                             int axisMask, std::int32_t speed) const {
    if (status && status->on && (speed <= 0 || !validAxisMask(axisMask))) {
        return kStatusRefused;
    }
    return admit(status);
}

std::uint8_t LinuxCncController::moveAxes(const MachineStatus& status, int axisMask,
                                          const Position& destination, std::int32_t speed) {
    Position to = status.commanded;
    double steps = 0;  // the longest axis travel
    for (std::size_t axis = 0; axis < to.size(); ++axis) {
        if (axisSelected(axisMask, static_cast<int>(axis))) {
            to[axis] = destination[axis];
            steps = std::max(
                steps, std::abs(to[axis] - status.commanded[axis]) * setUp_.stepsPerUnit[axis]);
        }
    }
    if (steps < 0.5) {
        target_ = status.commanded;  // nothing to travel
        return kStatusAccepted;
    }
    // Inverse time: F is the number of such moves a minute.
    const double seconds = steps / speed;
    const std::string line = "set mdi G53 G90 G93 G1 X" + number(to[0]) + " Y" + number(to[1]) +
                             " Z" + number(to[2]) + " A" + number(to[3]) + " F" +
                             number(60.0 / seconds);
    if (!ensureMode("MDI")) {
        return lost_ ? kStatusNoAnswer : kStatusRefused;
    }
    // The shell acknowledges a command only at its next check, 100 ms on: the move runs
    // meanwhile, and its acknowledgement is read with the next poll. A move LinuxCNC refuses
    // never reaches its target, which the poll then answers as refused.
    if (!shell_.post({line, "get error"})) {
        lost_ = true;
        return kStatusNoAnswer;
    }
    target_ = to;
    return kStatusAccepted;
}

std::uint8_t LinuxCncController::move(const Steps& target, int axisMask, std::int32_t speed) {
    std::lock_guard lock(mutex_);
    const std::optional<MachineStatus> status = poll();
    if (const std::uint8_t refused = admitMotion(status, axisMask, speed)) {
        return refused;
    }
    Position destination{};
    for (std::size_t axis = 0; axis < destination.size(); ++axis) {
        destination[axis] = (target[axis] + zero_[axis]) / setUp_.stepsPerUnit[axis];
    }
    return moveAxes(*status, axisMask, destination, speed);
}

std::uint8_t LinuxCncController::home(int axisMask, std::int32_t speed) {
    std::lock_guard lock(mutex_);
    const std::optional<MachineStatus> status = poll();
    if (const std::uint8_t refused = admitMotion(status, axisMask, speed)) {
        return refused;
    }
    if (!status->homed) {
        if (!ensureMode("MANUAL") || !command("home -1")) {
            return lost_ ? kStatusNoAnswer : kStatusRefused;
        }
        homing_ = true;
        target_.reset();
        return kStatusAccepted;
    }
    return moveAxes(*status, axisMask, Position{}, speed);  // home is machine zero
}

std::uint8_t LinuxCncController::setPosition(const Steps& counters, int axisMask) {
    std::lock_guard lock(mutex_);
    const std::optional<MachineStatus> status = poll();
    if (!status) {
        return unconnectedStatus();
    }
    if (!validAxisMask(axisMask)) {
        return kStatusRefused;
    }
    if (homing_ || !status->idle) {
        return kStatusSendAgain;
    }
    for (std::size_t axis = 0; axis < zero_.size(); ++axis) {
        if (axisSelected(axisMask, static_cast<int>(axis))) {
            zero_[axis] =
                std::llround(status->actual[axis] * setUp_.stepsPerUnit[axis]) - counters[axis];
        }
    }
    return kStatusAccepted;
}

std::uint8_t LinuxCncController::setOutput(int mask, bool on) {
    std::lock_guard lock(mutex_);
    const int index = outputIndex(mask);
    const std::optional<MachineStatus> status = poll();
    if (!status) {
        return unconnectedStatus();
    }
    if (index < 0) {
        return kStatusRefused;
    }
    if (!status->on) {
        // Under LinuxCNC's stop every output is down already; none may come on.
        return on ? kStatusRefusedUnderStop : kStatusAccepted;
    }
    if (homing_ || !status->idle) {
        return kStatusSendAgain;
    }
    if (!ensureMode("MDI") ||
        !command(std::string(on ? "mdi M64 P" : "mdi M65 P") + std::to_string(index))) {
        return lost_ ? kStatusNoAnswer : kStatusRefused;
    }
    outputs_ = on ? (outputs_ | mask) : (outputs_ & ~mask);
    world_.observe(pose(), outputs_);
    return kStatusAccepted;
}

std::uint8_t LinuxCncController::setOutputs(int outputs) {
    if ((outputs & ~0x7C) != 0) {
        return kStatusRefused;
    }
    for (const int mask : kOutputMasks) {
        if (const std::uint8_t status = setOutput(mask, (outputs & mask) != 0);
            status != kStatusAccepted) {
            return status;
        }
    }
    return kStatusAccepted;
}

std::uint8_t LinuxCncController::endCurrentMove() {
    std::lock_guard lock(mutex_);
    const std::optional<MachineStatus> status = poll();
    if (!status) {
        return unconnectedStatus();
    }
    if (status->on && (homing_ || !status->idle) && !command("abort")) {
        return lost_ ? kStatusNoAnswer : kStatusRefused;
    }
    homing_ = false;
    target_.reset();
    return kStatusAccepted;
}

std::uint8_t LinuxCncController::emergencyStop() {
    std::lock_guard lock(mutex_);
    if (!shell_.connected()) {
        return unconnectedStatus();
    }
    if (!command("estop on")) {
        return lost_ ? kStatusNoAnswer : kStatusRefused;
    }
    homing_ = false;
    target_.reset();
    outputs_ = 0;
    world_.observe(pose(), outputs_);
    return kStatusAccepted;
}

std::uint8_t LinuxCncController::pause() {
    std::lock_guard lock(mutex_);
    if (!shell_.connected()) {
        return unconnectedStatus();
    }
    return command("pause") ? kStatusAccepted : lost_ ? kStatusNoAnswer : kStatusRefused;
}

std::uint8_t LinuxCncController::resume() {
    std::lock_guard lock(mutex_);
    if (!shell_.connected()) {
        return unconnectedStatus();
    }
    return command("resume") ? kStatusAccepted : lost_ ? kStatusNoAnswer : kStatusRefused;
}

std::uint8_t LinuxCncController::acceptSetUp() {
    std::lock_guard lock(mutex_);
    const std::optional<MachineStatus> status = poll();
    if (!status) {
        return unconnectedStatus();
    }
    return status->on ? kStatusAccepted : kStatusRefusedUnderStop;
}

std::uint8_t LinuxCncController::readCounters(Steps& counters) {
    std::lock_guard lock(mutex_);
    return pollCounters(counters) ? kStatusAccepted : unconnectedStatus();
}

Steps LinuxCncController::lastCounters() {
    std::lock_guard lock(mutex_);
    return countersOf(position_);
}

std::uint8_t LinuxCncController::inputs() {
    std::lock_guard lock(mutex_);
    const std::optional<MachineStatus> status = poll();
    std::uint8_t bits = 0;
    for (std::size_t axis = 0; status && status->homed && axis < 4; ++axis) {
        if (std::abs(status->actual[axis]) * setUp_.stepsPerUnit[axis] < 0.5) {
            bits |= static_cast<std::uint8_t>(1 << axis);
        }
    }
    return bits;
}

double LinuxCncController::firmwareVersion() {
    std::lock_guard lock(mutex_);
    double version = 0;
    return shell_.connected() && parseNumber(shell_.serverVersion(), version) ? version : 0.0;
}

Steps LinuxCncController::countersOf(const Position& machine) const {
    Steps counters{};
    for (std::size_t axis = 0; axis < counters.size(); ++axis) {
        const double steps = std::round(machine[axis] * setUp_.stepsPerUnit[axis]) -
                             static_cast<double>(zero_[axis]);
        counters[axis] = static_cast<std::int32_t>(
            std::clamp(steps, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                       static_cast<double>(std::numeric_limits<std::int32_t>::max())));
    }
    return counters;
}

HeadPose LinuxCncController::pose() const {
    return world_.poseFromMachine(position_[0], position_[1], position_[2], position_[3]);
}

void LinuxCncController::refreshPositionForCamera() {
    if (!shell_.connected() || Clock::now() - positionRead_ < kPositionFreshness) {
        return;
    }
    Position actual{};
    const std::string reply = shell_.ask("get abs_act_pos", kReplyTimeout);
    noteLateReplies();
    if (parsePosition(reply, "ABS_ACT_POS", actual)) {
        position_ = actual;
        positionRead_ = Clock::now();
    } else {
        lost_ = true;
        shell_.close();
    }
}

void LinuxCncController::withWorld(const WorldAction& action) {
    std::lock_guard lock(mutex_);
    refreshPositionForCamera();
    const HeadPose now = pose();
    world_.observe(now, outputs_);
    action(world_, now, outputs_);
}

FrameJob LinuxCncController::frameJob(int camera) {
    std::lock_guard lock(mutex_);
    refreshPositionForCamera();
    const HeadPose now = pose();
    world_.observe(now, outputs_);
    return world_.frameJob(camera, now);
}

void LinuxCncController::loadWorld(World world) {
    std::lock_guard lock(mutex_);
    world_ = SimWorld(std::move(world));
    world_.observe(pose(), outputs_);
}

SimConfig LinuxCncController::config() {
    std::lock_guard lock(mutex_);
    return worldConfig_;
}

void LinuxCncController::configureWorld(const SimConfig& worldConfig, World world) {
    std::lock_guard lock(mutex_);
    worldConfig_ = worldConfig;
    world_ = SimWorld(std::move(world));
    world_.observe(pose(), outputs_);
}

int reportProblems(const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) {
        std::cerr << "MotrixLinuxCNC: " << problem << '\n';
    }
    return static_cast<int>(problems.size());
}

LinuxCncController& controller() {
    static const std::unique_ptr<LinuxCncController> instance = [] {
        std::vector<std::string> problems;
        const SimConfig config = simConfigFromEnvironment(problems);
        World world = configuredWorld(config, problems);
        reportProblems(problems);
        return std::make_unique<LinuxCncController>(config, std::move(world));
    }();
    return *instance;
}

}  // namespace linuxcnc
