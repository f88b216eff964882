#pragma once

struct MachineSettings;

enum class TravelAxis { X, Y };

// True when a machine-frame position (mm) lies within the soft limits of that axis, both
// limits included: the check every typed table position passes before it is stored.
bool WithinTravel(const MachineSettings& settings, TravelAxis axis, double machineMm);
