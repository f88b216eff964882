#pragma once

struct MachineSettings;
struct ProgramContext;

// The holders of the nozzle changer are numbered 1..8; "Current Nozzle" 0 means none mounted.
constexpr int kNozzleCount = 8;
inline bool IsNozzleNumber(int nozzle) {
    return nozzle >= 1 && nozzle <= kNozzleCount;
}

// "Nozzle Changer Location": the side towards which the holders open.
enum NozzleChangerSide { NozzleChangerRight = 0, NozzleChangerFront = 1, NozzleChangerRear = 2 };

// The nozzle exchange at the nozzle changer: makes `requestedNozzle` (1..8) the mounted
// nozzle, parking the mounted one first; no move when it is already mounted. False when the
// machine is not usable or a move fails.
//
// Both operations make no move and give true while the machine has no changer ("Nozzle
// Changer Enabled" off). They refuse (false, nothing sent) an exchange while a part is on the
// nozzle (telling the operator), when "Current Nozzle" or the changer's side is not a known
// value, or when pressing onto a nozzle ("Entry Height" + "Pick Down") would go beyond the Z
// travel. On every exit after the machine check the mounted nozzle is saved and the main
// window refreshed.
bool SelectNozzle(ProgramContext& context, int requestedNozzle);

// Returns the mounted nozzle to its holder ("Current Nozzle" becomes 0).
bool ParkNozzle(ProgramContext& context);

// "Park Up": how far above Z zero the head rises after leaving a nozzle in its holder. A rise
// goes up: the value lies from 0 to "Maximum Z Position", and the head ends above the entry
// height ("Nozzle Down"), the top of the Z travel standing in for a height beyond it.
bool ParkRiseAccepted(const MachineSettings& settings, double nozzleUp);
