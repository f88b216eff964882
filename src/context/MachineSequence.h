#pragma once

#include <type_traits>
#include <utility>

#include "context/ProgramContext.h"

// One machine sequence at a time. Every sequence (homing, a pick, a place, a run, a nozzle
// change, the fiducial test, a window's Go To, Test or Set) runs inside RunSequence. While one
// runs, its waits keep the window alive; RunSequence refuses a second one started from a
// message handled there (false, nothing moved, nothing said), the windows disable every
// control that moves the machine or edits the project, its feeders or its part list
// (SequenceRunning), and the emergency stop, STOP and the run's Pause and Resume stay live.
// The emergency stop and a controller that stops answering end the running sequence: after
// RESET it gets no command through and gives up (RunningSequences).

// A sequence is in progress: the controls that move the machine or edit are off.
inline bool SequenceRunning(const ProgramContext& context) {
    return context.sequences.running();
}

// The operator may start a machine action: the machine is usable and no sequence runs.
inline bool MachineFree(const ProgramContext& context) {
    return Usable(context) && !SequenceRunning(context);
}

// The scope a sequence holds while it runs. The first scope of a sequence refreshes the
// buttons at its start, so the controls go off before the first wait, and at its end, so they
// come back (finish). A scope left by an exception only leaves the register.
class SequenceScope {
public:
    explicit SequenceScope(ProgramContext& context);
    ~SequenceScope();
    SequenceScope(const SequenceScope&) = delete;
    SequenceScope& operator=(const SequenceScope&) = delete;

    // False: another sequence runs (or this one was ended); nothing may be done.
    bool entered() const { return entered_; }
    // Leaves the scope, then refreshes the buttons when it was the sequence's first.
    void finish();

private:
    ProgramContext& context_;
    bool entered_ = false;
    bool first_ = false;
};

// Runs `steps` as a machine sequence: its result (true for steps without one), or false,
// without running them, when another sequence is in progress.
template <typename Steps>
bool RunSequence(ProgramContext& context, Steps&& steps) {
    SequenceScope scope(context);
    if (!scope.entered()) {
        return false;
    }
    bool done = true;
    if constexpr (std::is_void_v<decltype(steps())>) {
        std::forward<Steps>(steps)();
    } else {
        done = std::forward<Steps>(steps)();
    }
    scope.finish();
    return done;
}
