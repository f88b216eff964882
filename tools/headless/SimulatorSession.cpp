#include "SimulatorSession.h"

#include <QList>
#include <algorithm>
#include <cstdlib>

#include "../../sim/MotrixSimControl.h"

namespace {

template <typename Function>
bool resolve(const MotrixApi& api, const char* name, Function& function) {
    function = reinterpret_cast<Function>(api.resolveOptional(name));
    return function != nullptr;
}

// The axes a logged motion drives and where to, and its speed; false for other calls.
bool motionOf(const QList<QByteArray>& words, SimulatorSession::Steps& target, int& axisMask,
              double& speed) {
    const auto number = [&](int index) { return words.value(index).toInt(); };
    const QByteArray& name = words.front();
    if (name == "MotrixLinearMove" || name == "MotrixRapidMove" || name == "MotrixIndexMove") {
        target = {number(1), number(2), number(3), number(4)};
        speed = number(5);
        axisMask = name == "MotrixIndexMove" ? number(6) : 0x0F;
        return true;
    }
    if (name == "MotrixQuadrantArcMoveCW" || name == "MotrixQuadrantArcMoveCCW") {
        target = {number(2), number(3), 0, 0};  // run as a straight move in X and Y
        speed = number(6);
        axisMask = 0x03;
        return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<SimulatorSession> SimulatorSession::Open(const QString& libraryPath,
                                                         QString* error) {
    auto api = MotrixApi::Bind(libraryPath, error);
    if (!api) {
        return nullptr;
    }
    std::unique_ptr<SimulatorSession> session(new SimulatorSession);
    Functions& f = session->functions_;
    const bool world = resolve(*api, "MotrixSimConfigure", f.configure) &&
                       resolve(*api, "MotrixSimDropRecord", f.dropRecord) &&
                       resolve(*api, "MotrixSimPadTargets", f.padTargets) &&
                       resolve(*api, "MotrixSimWorldState", f.worldState) &&
                       resolve(*api, "MotrixSimWorldJson", f.worldJson) &&
                       resolve(*api, "MotrixSimRefillTray", f.refillTray);
    if (!world) {
        *error = libraryPath + " is not the simulated controller: it has no simulated world";
        return nullptr;
    }
    // Only the simulator logs its motions; on LinuxCNC they take real time instead.
    const bool motionLog = resolve(*api, "MotrixSimCommandLog", f.commandLog) &&
                           resolve(*api, "MotrixSimClearLog", f.clearLog) &&
                           resolve(*api, "MotrixSimCounters", f.counters);
    if (!motionLog) {
        f.commandLog = nullptr;
        f.clearLog = nullptr;
        f.counters = nullptr;
    }
    session->api_ = std::move(api);
    return session;
}

bool SimulatorSession::configure(const QString& text) const {
    return functions_.configure(text.toUtf8().constData()) == 0;
}

QByteArray SimulatorSession::report(int (*copy)(char*, int)) {
    return QByteArray::fromStdString(MotrixSimCopyReport(copy));
}

SimulatorSession::Steps SimulatorSession::counters() const {
    Steps steps{};
    functions_.counters(&steps[0], &steps[1], &steps[2], &steps[3]);
    return steps;
}

void SimulatorSession::startMotionClock() const {
    if (!functions_.commandLog) {
        return;
    }
    functions_.clearLog();
    motionStart_ = counters();
}

double SimulatorSession::takeMotionSeconds() const {
    if (!functions_.commandLog) {
        return 0;
    }
    const QByteArray log = report(functions_.commandLog);
    functions_.clearLog();
    const double seconds = MotionSecondsOf(log, motionStart_);
    motionStart_ = counters();
    return seconds;
}

double MotionSecondsOf(const QByteArray& log, SimulatorSession::Steps& position) {
    double seconds = 0;
    for (const QByteArray& line : log.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        SimulatorSession::Steps target{};
        int axisMask = 0;
        double speed = 0;
        if (words.front().isEmpty() || !motionOf(words, target, axisMask, speed) || speed <= 0) {
            continue;
        }
        double longest = 0;
        for (std::size_t axis = 0; axis < position.size(); ++axis) {
            if (axisMask & (1 << axis)) {
                longest = std::max(longest, std::abs(1.0 * target[axis] - position[axis]));
                position[axis] = target[axis];
            }
        }
        seconds += longest / speed;
    }
    return seconds;
}
