#pragma once

#include <QString>

struct ProgramContext;

// Tells the operator of a file save that failed, and gives `saved` back. A failure is said
// and shown ("FAILED TO SAVE THE <what> <file>!") only while no other save is failing: a full
// disk fails every save of a run, and one box is enough until the files save again. A save
// that succeeds takes its file off the failing ones.
bool ReportSave(ProgramContext& context, bool saved, const QString& what, const QString& path);
