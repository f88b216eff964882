#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "handling/MachineCheck.h"

struct ProgramContext;

// What the main window shows, computed from the program state so that the rules can be
// tested without a window. The main window applies them to its controls by object name.

// "EMERGENCY STOP", "READY" or "DISABLED".
QString StatusWord(const ProgramContext& context);

struct PositionReadout {
    QColor frameColour;  // green: home-relative mm; yellow: board-relative
    bool metric = true;  // the read-out unit, which becomes DisplayMetric
    QString x, y, z, a;
};

// The position read-out. `settingsWindowOpen`: a settings window that shows the machine frame
// is visible, which forces the home-relative read-out.
PositionReadout ReadPosition(const ProgramContext& context, bool settingsWindowOpen);

// "NO NOZZLE", "NOZZLE n", or empty without a nozzle changer.
QString NozzleText(const ProgramContext& context);

QString WindowTitle(const ProgramContext& context);

// The enabled state of every main-window control and menu that has a rule, in rule order
// (when a name appears twice the last entry wins).
std::vector<std::pair<QString, bool>> EnabledStates(const ProgramContext& context);

// Controls shown only while a project is open.
QStringList ProjectOnlyControls();

// The main-window control that opens the window mending a machine check problem ("Settings1"
// for the settings windows, "ButtonFeeders", ...); empty for the main window itself.
QString FixWindowOpener(FixWindow window);
// Whether the machine check may open that window now: as its opener is enabled by the rules
// above, the main window always, no window never.
bool FixWindowAvailable(const ProgramContext& context, FixWindow window);
