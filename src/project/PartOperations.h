#pragma once

#include <QPointF>
#include <QStringView>

struct ProgramContext;

// The part list operations of the main window: selecting, adding, deleting, sorting and
// editing parts, teaching a part's position and moving the head to it. Each ends with the
// refreshes the main window needs; the moves report their own failures.

// The head's position over the current board (board-relative mm), the origin recomputed.
QPointF HeadOverCurrentBoard(ProgramContext& context);

// The list entry `row` (0-based, -1 for none) becomes the current part.
void SelectPart(ProgramContext& context, int row);

// "Add Part": a new enabled part without feeder at the head's position over the board.
void AddPartAtHead(ProgramContext& context);

// "Delete Part": removes the current part after a confirmation. True when removed.
bool DeletePartAsked(ProgramContext& context);

// "Sort Parts": by nozzle, feeder, designator and comment (see SortKeyOf).
void SortPartList(ProgramContext& context);

// "Set Position": after a spoken confirmation the current part lies under the head.
bool SetPartPosition(ProgramContext& context);

// The down-looking camera over the point (x, y) of the current board (board-relative mm) where
// the fiducial correction says it lies, its turn included.
bool MoveCameraOverCorrectedPoint(ProgramContext& context, double x, double y);

// "Go To Part": the down-looking camera over the current part where the fiducial correction
// says it lies.
bool GoToPart(ProgramContext& context);

// "Go To Next": the next part (part 1 after the last) becomes current, and Go To Part.
bool GoToNextPart(ProgramContext& context);

// Feeder box: gives the current part `feeder` and, when the operator agrees, every part of
// the same comment too.
void ChangePartFeeder(ProgramContext& context, int feeder);

// ENABLED box.
void SetPartEnabled(ProgramContext& context, bool enabled);

// The detail boxes. Each stores an accepted value in the current part and marks the project
// modified; false when the text is refused (or there is no current part), nothing stored.
// Positions are typed in the project's unit and must put the head within the soft limits.
bool EditPartDesignator(ProgramContext& context, const QString& text);
bool EditPartComment(ProgramContext& context, const QString& text);
bool EditPartX(ProgramContext& context, QStringView text);
bool EditPartY(ProgramContext& context, QStringView text);
bool EditPartAngle(ProgramContext& context, QStringView text);
