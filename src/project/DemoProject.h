#pragma once

#include <QString>

struct ProgramContext;

// The demo project that a first start opens, so a new user sees a real board at once. Its
// folder holds the project "<name>/<name>.Corvane" with its snaps, "System Settings/" (feeder
// and home-mark snaps) and "Machine Settings/Corvane 2.ini" (the machine it was taught on).

// True when the machine settings store holds nothing yet: the program has never run here,
// so no project was ever opened.
bool IsFirstStart(const ProgramContext& context);

// Copies the demo at `demoRoot` into the context's projects and system settings folders,
// never replacing a file that is there (in any letter case), takes the demo's machine settings
// (call it on a first start only: the store is empty then) and makes the demo the last project
// so that the start-up opens it. Nothing happens when there is no demo or a project folder of
// its name exists already. True when the demo became the last project.
bool InstallDemoProject(ProgramContext& context, const QString& demoRoot);
