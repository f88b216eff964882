#include "context/SettingsPersistence.h"

#include <QDir>

#include "context/ProgramContext.h"
#include "settings/MachineSettingsStore.h"

namespace {

// Writes through `write` into a freshly opened store. A failure is told, once until a save
// succeeds again: a run saves after every part, and a full disk must not raise a box each time.
template <typename Write>
bool saveToStore(ProgramContext& context, Write write) {
    if (!context.openSettingsStore) {
        return false;
    }
    const std::unique_ptr<QSettings> store = context.openSettingsStore();
    if (write(*store)) {
        context.settingsSaveFailing = false;
        return true;
    }
    if (!context.settingsSaveFailing) {
        context.settingsSaveFailing = true;
        context.port.speak("FAILED TO SAVE THE MACHINE SETTINGS");
        context.port.showError("FAILED TO SAVE THE MACHINE SETTINGS " +
                               QDir::toNativeSeparators(store->fileName()) + "!");
    }
    return false;
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
