#pragma once

#include <QString>
#include <QStringView>

#include "project/ProjectState.h"

// The panel of boards. Board 1 lies at the panel origin; boards are numbered row by row:
// 1..BoardCountX along X, the next BoardCountX one BoardSpacingY further along Y, and so on.

enum class PanelAxis { X, Y };

// Boards in the panel; a count below 1 counts as 1.
long long BoardCount(const ProjectState& project);

// Brings both counts to at least 1 and the current board into the panel (board 1 when it
// lies outside), then sets BoardOriginX/Y to the current board's origin. The first step of
// every status refresh and of every move to the current board.
void RecomputeBoardOrigin(ProjectState& project);

// The next board, board 1 after the last one; the part list starts again at its first part.
void AdvancePanelBoard(ProjectState& project);
// Board 1 and the first part.
void RewindPanel(ProjectState& project);

// "3 of 6": the current board and the number of boards.
QString PanelBoardText(const ProjectState& project);

// A typed board count. An integer 1..50 is stored and marks the project modified. Any other
// integer stores nothing; a text that is not an integer makes the count 1 without marking the
// project modified. True only when the typed count was stored.
bool EditBoardCount(ProjectState& project, PanelAxis axis, QStringView text);

// A typed board spacing (inches when the project is not metric). 0..500 mm is stored and
// marks the project modified; anything else stores nothing. True when stored.
bool EditBoardSpacing(ProjectState& project, PanelAxis axis, QStringView text);
