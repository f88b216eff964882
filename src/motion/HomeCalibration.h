#pragma once

#include "motion/HomeMarks.h"

struct ProgramContext;

// The teaching and testing of the home marks and the park position ("Home Settings"), and the
// teaching of the up-looking camera's position.

// The question before a camera position is taught.
extern const char* const kCameraPositionQuestion;

// "Set Home": after two warnings answered Yes, the Home 1 mark becomes the camera's machine
// position, its height the camera's height above Z zero. True when changed.
bool SetHome1Here(ProgramContext& context);

// "Set Home2": after two confirmations, the Home 2 mark becomes the camera's home-relative
// position and height. True when changed.
bool SetHome2Here(ProgramContext& context);

// "Set Position": the park position becomes the camera's home-relative position.
void SetParkHere(ProgramContext& context);

// "Set Position" of the up camera: its position after one confirmation; a changed height only
// after two more warnings answered Yes.
void SetUpCameraHere(ProgramContext& context);

// The camera over a mark at its height, or the head at the park position at machine Z 0,
// nozzle protected at full speed.
bool GoToHomeMark(ProgramContext& context, HomeMark mark);
bool GoToPark(ProgramContext& context);

// "Test": goes to the mark, looks for it in three frames and, when found, centres the camera
// on it with a beep. The home offsets are not changed. Failures are reported.
void TestHomeMark(ProgramContext& context, HomeMark mark);

// The typed values the window accepts: the Home 1 mark within the machine's travel, the
// heights within the Z travel as seen from Z zero, the park position within the travel once
// the home offsets are added.
enum class HomeSettingEdit { Home1X, Home1Y, Home2X, Home2Y, HomeZ, ParkX, ParkY };
bool HomeSettingInRange(const ProgramContext& context, HomeSettingEdit edit, double value);
