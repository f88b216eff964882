#include "context/SettingsPersistence.h"

#include "context/ProgramContext.h"
#include "settings/MachineSettingsStore.h"

void LoadMachineSettings(ProgramContext& context) {
    if (context.openSettingsStore) {
        LoadMachineSettings(*context.openSettingsStore(), context.settings);
    }
}

bool SaveMachineSettings(ProgramContext& context) {
    return context.openSettingsStore &&
           SaveMachineSettings(*context.openSettingsStore(), context.settings);
}

bool SaveCurrentStatus(ProgramContext& context) {
    return context.openSettingsStore &&
           SaveCurrentStatus(*context.openSettingsStore(), context.settings);
}
