#pragma once

struct ProgramContext;

// The move operations every sequence uses: the machine-frame move and the home- and
// board-relative moves with their output handling and window refreshes. The board-relative
// ones add the current board origin. All return the result of the underlying move.
//
// WithNozzleProtection: vacuum and feeder actuator off first, then a Z-safe move. Refused
// (false, nothing moved) while a part is held, which the vacuum going off would drop.
// WithPart: vacuum on first (a part is held).
bool Move(ProgramContext& context, double x, double y, double z, double a, int speed);
bool MoveHomeRelative(ProgramContext& context, double x, double y, double z, double a, int speed);
bool MoveBoardRelative(ProgramContext& context, double x, double y, double z, double a, int speed);
// True when no part is held. Otherwise a nozzle-protected move would drop it: the operator is
// told once, "DISCARD THE PART FIRST." (nothing once the machine is not usable: the cause is
// shown already), and the caller makes no such move. Sequences whose first move is protected
// ask this before anything else, so that the message is their only one.
bool NozzleFree(ProgramContext& context);

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
