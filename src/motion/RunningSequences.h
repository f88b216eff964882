#pragma once

#include <vector>

// The machine sequences in progress, one at a time. A sequence (a pick, a run, homing, a Go To of
// a window) holds a scope from its start to its end (SequenceScope, context/MachineSequence.h); a
// step that is a sequence of its own, such as the pick inside a run, holds a nested scope.
//
// Sequences keep the window alive: their waits handle pending messages, and a message handled
// there may ask for another sequence. It is told from a step by how deep in message handling it
// runs (the operator port's count) and refused. Only once the running sequence is ended (the
// emergency stop, a controller that stopped answering) may RESET and what follows it start
// afresh, on top of it; the ended one then gets no command through and gives up.
class RunningSequences {
public:
    // Enters a sequence whose code runs `messageDepth` rounds deep. False: it must not run.
    bool enter(int messageDepth) {
        if (!startsAfresh(messageDepth)) {
            // A step of the running sequence, unless that one was ended.
            Sequence& current = sequences_.back();
            current.nesting += current.ended ? 0 : 1;
            return !current.ended;
        }
        if (running() && !currentEnded()) {
            return false;  // asked for from a message handled while a live sequence waits
        }
        sequences_.push_back({messageDepth, 1, false});
        return true;
    }
    // Leaves the innermost scope entered.
    void leave() {
        if (running() && --sequences_.back().nesting == 0) {
            sequences_.pop_back();
        }
    }

    // A sequence is in progress (possibly an ended one that has not given up yet).
    bool running() const { return !sequences_.empty(); }
    // True when `messageDepth` starts a new sequence rather than a step of the running one.
    bool startsAfresh(int messageDepth) const {
        return !running() || messageDepth > sequences_.back().messageDepth;
    }
    // The sequence whose code runs now was ended: it gets no motion and no output on.
    bool currentEnded() const { return running() && sequences_.back().ended; }
    // What the controller refuses to send for code running `messageDepth` rounds deep: motions
    // and outputs switched on, for an ended sequence and for a message handled while a live
    // one waits (which did not enter a sequence of its own).
    bool refusesCommands(int messageDepth) const {
        return currentEnded() || (running() && messageDepth > sequences_.back().messageDepth);
    }
    // The emergency stop, or the controller stopped answering: every running sequence ends.
    void endAll() {
        for (Sequence& sequence : sequences_) {
            sequence.ended = true;
        }
    }

private:
    struct Sequence {
        int messageDepth = 0;
        int nesting = 1;
        bool ended = false;
    };
    std::vector<Sequence> sequences_;
};
