#pragma once

struct ProgramContext;

// Puts the held part down at part `part` (1-based) of the current board: its position moved by
// the fiducial correction (offset times factor, and the board's turn, which turns the pick
// corrections and adds to the angle too) plus the nozzle offset and the pick corrections,
// lowered to the board height less the part's height plus "Place Z Push", then released and
// blown off. Only a part picked for exactly this part (HeldPartFits) is placed; any other
// held part is discarded and nothing is placed. True when the part is down at board height,
// the nozzle is then empty (unless the controller stopped answering and the vacuum stayed on:
// held there until RESET) and the corrections zero; the nozzle rises, or, after a stop or a
// controller fault, stays down until the next move raises it. A failed move on the way keeps
// the part held. The machine settings are saved on every exit.
bool PlacePart(ProgramContext& context, int part);

// True when the held part is what part `part` needs: picked for it, from its feeder, for its
// angle, and measured exactly when its feeder uses vision.
bool HeldPartFits(const ProgramContext& context, int part);

// Drops the held part into the reject tray of `feeder` (1-based): its tray when that is 1..5,
// else tray 1, and tray 1 also for a feeder number that names no feeder. The part is let go
// only over the tray: when the head cannot get there the part stays held and the operator is
// told. Otherwise the vacuum and blow end off and the nozzle counts as empty (unless the
// controller no longer answers, which leaves the vacuum on and the part held). True when the
// head reached the tray and released the part.
bool DiscardPart(ProgramContext& context, int feeder);

// The reject tray (1..5) that receives parts of `feeder`.
int RejectTrayOf(const ProgramContext& context, int feeder);
