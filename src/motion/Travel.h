#pragma once

#include <utility>

struct MachineSettings;
struct ProgramContext;

enum class TravelAxis { X, Y, Z };

// The soft limits of an axis (minimum, maximum), machine-frame mm.
std::pair<double, double> TravelLimits(const MachineSettings& settings, TravelAxis axis);

// True when a machine-frame position (mm) lies within the soft limits of that axis, both
// limits included: the check every typed table position or height passes before it is stored.
bool WithinTravel(const MachineSettings& settings, TravelAxis axis, double machineMm);

// The same for a home-relative position: the home offsets (X, Y) or "Home Z" (Z) added first.
bool WithinTravelFromHome(const ProgramContext& context, TravelAxis axis, double homeRelativeMm);
