#include "context/SettingsPersistence.h"

#include "context/ProgramContext.h"
#include "context/SaveReport.h"
#include "settings/MachineSettingsStore.h"

namespace {

// Writes through `write` into a freshly opened store, and tells a failure (ReportSave).
template <typename Write>
bool saveToStore(ProgramContext& context, Write write) {
    if (!context.openSettingsStore) {
        return false;
    }
    const std::unique_ptr<QSettings> store = context.openSettingsStore();
    return ReportSave(context, write(*store), "MACHINE SETTINGS", store->fileName());
}

}  // namespace

void LoadMachineSettings(ProgramContext& context) {
    if (context.openSettingsStore) {
        LoadMachineSettings(*context.openSettingsStore(), context.settings);
    }
}

bool SaveMachineSettings(ProgramContext& context) {
    return saveToStore(context, [&context](QSettings& store) {
        return SaveMachineSettings(store, context.settings);
    });
}

bool SaveCurrentStatus(ProgramContext& context) {
    return saveToStore(context, [&context](QSettings& store) {
        return SaveCurrentStatus(store, context.settings);
    });
}
