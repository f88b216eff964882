#pragma once

struct MachineSettings;

enum class TravelAxis { X, Y, Z };

// True when a machine-frame position (mm) lies within the soft limits of that axis, both
// limits included: the check every typed table position or height passes before it is stored.
bool WithinTravel(const MachineSettings& settings, TravelAxis axis, double machineMm);
