#pragma once

struct ProgramContext;

// The nozzle exchange at the nozzle changer: makes `requestedNozzle` (1..8) the mounted
// nozzle, parking the mounted one first; no move when it is already mounted. False when the
// machine is not usable or a move fails.
bool SelectNozzle(ProgramContext& context, int requestedNozzle);

// Returns the mounted nozzle to its holder ("Current Nozzle" becomes 0).
bool ParkNozzle(ProgramContext& context);
