#include "context/MachineSequence.h"

SequenceScope::SequenceScope(ProgramContext& context) : context_(context) {
    RunningSequences& sequences = context.sequences;
    const int depth = context.port.messageDepth();
    first_ = sequences.startsAfresh(depth);
    entered_ = sequences.enter(depth);
    if (entered_ && first_) {
        context.port.updateButtons();
    }
}

SequenceScope::~SequenceScope() {
    if (entered_) {
        context_.sequences.leave();
    }
}

void SequenceScope::finish() {
    if (!entered_) {
        return;
    }
    entered_ = false;
    context_.sequences.leave();
    if (first_) {
        context_.port.updateButtons();
    }
}
