#pragma once

// A group of the main window owned by a subsystem (part details, panel of boards, ...). The
// main window calls these from its own refreshes.
class MainWindowPanel {
public:
    virtual ~MainWindowPanel() = default;
    // From UpdateStatus: read-outs that follow the machine and project state.
    virtual void refreshStatus() {}
    // From UpdatePartList: anything that shows the part list.
    virtual void refreshPartList() {}
};
