#pragma once

#include <QString>
#include <QStringView>
#include <vector>

struct MachineSettings;
struct ProgramContext;

// One edit box of the "CNC Settings" window: the setting it holds, how it is shown, and the
// values it accepts.
struct CNCSettingField {
    QString editName;  // the control's object name
    int decimals;      // shown with this many decimals; -1 for an integer setting
    bool resetsReady;  // a controller parameter: an accepted change needs RESET
    double (*read)(const MachineSettings&);
    // Stores `value` when it lies in the field's range (which may depend on other settings).
    bool (*accept)(MachineSettings&, double value);
};

// Every edit of the window, in the order the window shows them.
const std::vector<CNCSettingField>& CNCSettingFields();

// The text the window fills the field's edit with.
QString CNCSettingText(const MachineSettings& settings, const CNCSettingField& field);

// A change of the field's text: accepted when the whole text parses (an integer for integer
// settings) and lies in range; the setting is then stored and, for a controller parameter,
// the controller marked not ready. A refused text stores nothing.
bool ApplyCNCSettingEdit(ProgramContext& context, const CNCSettingField& field, QStringView text);
