#include "context/Delay.h"

#include <algorithm>
#include <cmath>

#include "context/ProgramContext.h"

namespace {

// Longest sleep between two rounds of message handling: short enough for a responsive window.
constexpr double kMessageRoundInterval = 0.005;

}  // namespace

void Delay(ProgramContext& context, double seconds) {
    const double period = std::max(0.0, std::round(seconds * 1000.0) / 1000.0);
    context.port.processEvents();
    context.port.updateStatus();
    context.port.updateButtons();
    const double deadline = context.clock.now() + period;
    for (double remaining = period; remaining > 0; remaining = deadline - context.clock.now()) {
        context.port.processEvents();
        context.clock.sleep(std::min(remaining, kMessageRoundInterval));
    }
    context.port.processEvents();
}

void HandleMessagesAMoment(ProgramContext& context) {
    context.port.processEvents();
    context.clock.sleep(kMessageRoundInterval);
}

bool Fail(ProgramContext& context, const QString& text) {
    context.port.speak(text);
    context.port.showError(text + "!");
    return false;
}

bool FailStep(ProgramContext& context, const QString& text) {
    return Usable(context) && Fail(context, text);
}
