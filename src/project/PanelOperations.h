#pragma once

struct ProgramContext;

// The board and panel operations of the main window and of the "Panel Settings" window.
// Each ends with the main window's refreshes; the moves report their own failures.

// "Set Origin": after a spoken confirmation, the head's home-relative position becomes the
// origin of board 1, whichever board is current. True when set.
bool SetPanelOrigin(ProgramContext& context);

// "Set Height": after a spoken confirmation, the head's Z above "Home Z" becomes the board
// height. True when set.
bool SetBoardHeight(ProgramContext& context);

// Moves the head, nozzle protected, over the current board's origin at Z 0 and A 0.
bool MoveToCurrentBoard(ProgramContext& context);

// Main window "Go To Board": the down-looking camera over the current board's origin.
bool GoToBoard(ProgramContext& context);

// "Next": the next board (board 1 after the last) from its first part; the head stays.
void NextBoard(ProgramContext& context);

// "Reset": board 1 from its first part.
void ResetPanel(ProgramContext& context);

// "Go to Next" of the "Panel Settings" window: the next board, and the head goes there.
bool GoToNextBoard(ProgramContext& context);
