#pragma once

struct ProgramContext;

// The placement cycle: part after part of the current board, or of every board of the panel,
// in the order of the part list. Pause, Resume, Stop and the emergency stop act through the
// cycle flags, which the cycle reads between parts.

enum class RunKind { Board, Panel };

// Asked (YES, CANCEL; CANCEL the default) when the fiducial check of a run fails: YES places
// without the correction.
extern const char* const kFiducialFailureQuestion;

// "Start Board" / "Start Panel": when the current part is not part 1, asks which part to start
// with (cancelling starts nothing); a part still held is discarded first, since the run's
// nozzle-protected moves would drop it. Then runs the cycle and parks the head.
void StartRun(ProgramContext& context, RunKind kind);

// Checks the fiducials, then places parts until the run flags are cleared; a panel run checks
// the fiducials of each board as it comes to it.
void AutomaticCycle(ProgramContext& context);

// Handles the current part once: skips a disabled part, or picks it (unless the held part is
// the one this part needs) and places it, then advances the counters. True when placed or
// skipped.
bool PlaceNextPart(ProgramContext& context);

// The next part; after the board's last part the next board, after the panel's last board
// board 1, ending the board and panel runs as they finish.
void AdvancePartCounters(ProgramContext& context);

// The main window's buttons.
void PressStop(ProgramContext& context);
void PressPause(ProgramContext& context);
void PressResume(ProgramContext& context);
void PressPickPart(ProgramContext& context);
void PressPlacePart(ProgramContext& context);
void PressDiscard(ProgramContext& context);
