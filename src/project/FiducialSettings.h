#pragma once

#include <QStringView>

struct ProgramContext;

// The operations of the "Fiducial Settings" window; fiducial numbers are 1 or 2.

enum class FiducialAxis { X, Y, Z };

// A typed position (inches when the project is not metric). X and Y are accepted when the
// mark lies within the travel over the current board, Z when the head height lies within
// the Z travel; an accepted value is stored and clears the correction. The project is marked
// modified either way. True when stored.
bool EditFiducialPosition(ProgramContext& context, int fiducial, FiducialAxis axis,
                          QStringView text);

// "Set": after the operator agrees, the fiducial lies where the down-looking camera stands.
bool SetFiducialHere(ProgramContext& context, int fiducial);

// "Go To": the down-looking camera over the mark. Refused (false, no move) while a part is
// held, as the protected move would drop it.
bool GoToFiducial(ProgramContext& context, int fiducial);

// "Test": finds the mark, reports a failure (a snap that cannot be read by its name; nothing
// once the machine is not usable, whose cause is shown already), and centres the camera on the
// mark with a beep. With both marks tested, the result line shows the board's turn
// (NoteFiducialSighting).
// The taught position and the correction stay as they are (the correction is cleared).
bool TestFiducial(ProgramContext& context, int fiducial);

// The snap name field: chooses the mark's snap file (see ChooseSnapFile). True when changed.
bool ChooseFiducialSnap(ProgramContext& context, int fiducial);
