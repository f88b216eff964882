#pragma once

struct ProgramContext;

// The machine settings of the context and its store (ProgramContext::openSettingsStore).
// Saves give false when the store cannot be written (or there is none); the file on disk is
// then left as it was, and the operator is told ("FAILED TO SAVE THE MACHINE SETTINGS <file>!",
// see ReportSave).
void LoadMachineSettings(ProgramContext& context);
bool SaveMachineSettings(ProgramContext& context);
// Only "Current Nozzle" and "Vision Test Mode", as the nozzle changer keeps them up to date.
bool SaveCurrentStatus(ProgramContext& context);
