#pragma once

#include <QStringList>
#include <QStringView>

struct ProgramContext;
struct ProjectState;

// The operations of the feeders window on the current feeder (CurrentFeeder). Edits store an
// accepted value and mark the project modified; they give false, storing nothing, for a
// refused text or when there is no current feeder.

enum class FeederField { X, Y, Z, PartHeight, TraySpacingX, TraySpacingY };
bool EditFeederField(ProgramContext& context, FeederField field, QStringView text);
// Tray counts 1..50; a text that is no integer makes the count 1 (and gives false).
bool EditTrayCount(ProgramContext& context, bool alongX, QStringView text);

// "Feeder 2 - Resistors", with " - * NOT USED *" for a feeder no part takes parts from.
QStringList FeederListLines(const ProjectState& project);
// "4 of 12".
QString TrayPickText(const ProjectState& project, int feeder);

// Set Position / Set Nozzle Height, after the operator agrees.
bool SetFeederPositionHere(ProgramContext& context);
bool SetFeederHeightHere(ProgramContext& context);
// Go to Camera, Go to Nozzle (the nozzle down on the part) and Park. Refused while a part is
// held, since their protected moves would drop it (the operator is told).
bool GoToFeederCamera(ProgramContext& context);
bool GoToFeederNozzle(ProgramContext& context);
bool ParkOverUpCamera(ProgramContext& context);

// The snap name field (see ChooseSnapFile), in the system settings folder.
bool ChooseFeederSnap(ProgramContext& context);

// Save Feeder / Load Feeder through file dialogs in the system settings folder. A file chosen
// in another folder is refused with a message, and a save that fails is reported.
bool SaveFeederAsked(ProgramContext& context);
bool LoadFeederAsked(ProgramContext& context);
