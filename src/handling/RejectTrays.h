#pragma once

#include <QStringView>
#include <optional>

#include "motion/Travel.h"

struct ProgramContext;

// The five reject trays: home-relative positions over which discarded parts are released.
constexpr int kRejectTrayCount = 5;

// A typed tray coordinate, accepted when it parses and lies within the machine's travel on
// that axis, expressed home-relative.
std::optional<double> ParseTrayCoordinate(const ProgramContext& context, TravelAxis axis,
                                          QStringView text);

// Tray `tray` (1..5) takes the down-looking camera's current home-relative position.
void SetRejectTrayHere(ProgramContext& context, int tray);

// Moves the head, nozzle protected, over tray `tray` (1..5) at full speed.
bool GoToRejectTray(ProgramContext& context, int tray);
