#pragma once

#include <QString>

struct ProgramContext;

// Waits `seconds` (rounded to whole milliseconds) on the context's clock while the window
// stays responsive: pending messages are handled throughout, so the emergency stop, pause and
// stop buttons act during the wait. A delay started from inside another one ends on its own
// deadline, and the outer one then resumes; a zero delay returns after one message round.
void Delay(ProgramContext& context, double seconds);

// One round of an open-ended wait (the pause of a run): pending messages are handled, then the
// clock sleeps a few milliseconds, so the wait does not keep a processor busy.
void HandleMessagesAMoment(ProgramContext& context);

// A failed machine step: says `text`, shows it with "!" in an error box, gives false.
bool Fail(ProgramContext& context, const QString& text);

// The failure of a step of a machine sequence: reported like Fail while the machine is usable.
// Once it is not, the cause has been shown already (the emergency stop on the status line, a
// controller that stopped answering in its own box), and the step's box would only add to it:
// the step then only gives false.
bool FailStep(ProgramContext& context, const QString& text);
