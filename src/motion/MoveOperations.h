#pragma once

struct ProgramContext;

// The move operations every sequence uses: the machine-frame move and the home- and
// board-relative moves with their output handling and window refreshes. The board-relative
// ones add the current board origin. All return the result of the underlying move.
//
// WithNozzleProtection: vacuum and feeder actuator off first, then a Z-safe move.
// WithPart: vacuum on first (a part is held).
bool Move(ProgramContext& context, double x, double y, double z, double a, int speed);
bool MoveHomeRelative(ProgramContext& context, double x, double y, double z, double a, int speed);
bool MoveBoardRelative(ProgramContext& context, double x, double y, double z, double a, int speed);
bool MoveHomeRelativeWithNozzleProtection(ProgramContext& context, double x, double y, double z,
                                          double a, int speed);
bool MoveBoardRelativeWithNozzleProtection(ProgramContext& context, double x, double y, double z,
                                           double a, int speed);
bool MoveHomeRelativeWithPart(ProgramContext& context, double x, double y, double z, double a,
                              int speed);
bool MoveBoardRelativeWithPart(ProgramContext& context, double x, double y, double z, double a,
                               int speed);
bool MoveHomeRelativeWithPartAndNozzleProtection(ProgramContext& context, double x, double y,
                                                 double z, double a, int speed);
bool MoveBoardRelativeWithPartAndNozzleProtection(ProgramContext& context, double x, double y,
                                                  double z, double a, int speed);
