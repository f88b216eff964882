#pragma once

#include <vector>

#include "context/ProgramContext.h"
#include "project/BoardOrigin.h"
#include "support/ScriptedOperatorPort.h"
#include "windowkit/MainWindowPanel.h"

// The scripted port standing in for the main window: its status and part-list refreshes reach
// the panels under test as the main window's do (the board origin recomputed first).
class WidgetTestPort : public ScriptedOperatorPort {
public:
    ProgramContext* context = nullptr;
    std::vector<MainWindowPanel*> panels;

    void updateStatus() override {
        ScriptedOperatorPort::updateStatus();
        RecomputeBoardOrigin(context->project);
        for (MainWindowPanel* panel : panels) {
            panel->refreshStatus();
        }
    }
    void updatePartList() override {
        ScriptedOperatorPort::updatePartList();
        for (MainWindowPanel* panel : panels) {
            panel->refreshPartList();
        }
    }
};
