#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "support/SimController.h"

// What a machine owner checks after a run on the simulated world: where every part landed (the
// world's drop record) and how the head carried them (the controller's command log).

// The world's drops, in order.
QJsonArray DropsOf(const SimController& sim);

// A pad of a board of the panel: its board (1-based) and its part's designator.
using Pad = std::pair<int, QString>;

// What is wrong with the drops against the pads that should have got their part: every one of
// `expected` exactly once, put down on it (not fallen from height) within `tolerance` mm of
// where it belongs, no part on any other pad, and no part on the table (a part let go anywhere
// but a pad or a reject tray). Empty when all is well.
QStringList PlacementFaults(const QJsonArray& drops, const std::set<Pad>& expected,
                            double tolerance);

// The linear moves of `log` (which begins with the head at `startSteps`, X Y Z) that carried a
// part (the vacuum on) below the safe height (machine Z 0) other than straight up or down, or
// over the up-looking camera (within `cameraRadius` steps of `cameraSteps` at both ends): such
// a move drags a held part across whatever lies below it. Empty when there is none.
QStringList LowCarryFaults(const std::vector<SimCommand>& log,
                           const std::array<std::int32_t, 3>& startSteps,
                           const std::array<std::int32_t, 2>& cameraSteps, int cameraRadius);
