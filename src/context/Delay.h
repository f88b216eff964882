#pragma once

#include <QString>

struct ProgramContext;

// Waits `seconds` (rounded to whole milliseconds) on the context's clock while the window
// stays responsive: pending messages are handled throughout, so the emergency stop, pause and
// stop buttons act during the wait. A delay started from inside another one ends on its own
// deadline, and the outer one then resumes; a zero delay returns after one message round.
void Delay(ProgramContext& context, double seconds);

// A failed machine step: says `text`, shows it with "!" in an error box, gives false.
bool Fail(ProgramContext& context, const QString& text);
