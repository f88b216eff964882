#pragma once

#include "context/ProgramContext.h"

// The main window's refreshes after a change of project or machine state: the part list
// first when the list or the current part changed, then the status, then the buttons.

inline void RefreshStatusAndButtons(ProgramContext& context) {
    context.port.updateStatus();
    context.port.updateButtons();
}

inline void RefreshPartListStatusAndButtons(ProgramContext& context) {
    context.port.updatePartList();
    RefreshStatusAndButtons(context);
}
