#pragma once

#include <QGroupBox>
#include <functional>
#include <memory>

#include "handling/PlacementCycle.h"
#include "handling/RunProgress.h"
#include "windowkit/MainWindowPanel.h"

struct ProgramContext;

namespace Ui {
class RunControlsWidget;
}

// The main window's placement buttons: Start Board and Start Panel, Stop, Pause, Resume, the
// manual Pick Part, Place Part and Discard, Park Noz., and the Feeders and Fiducials windows;
// below them the progress of a run. Their enabled states follow the main window's rules.
class RunControlsWidget : public QGroupBox, public MainWindowPanel {
    Q_OBJECT

public:
    struct Windows {
        std::function<void()> feeders;    // shows the feeders window modally
        std::function<void()> fiducials;  // shows the fiducial settings window modally
        std::function<void()> focusPartList;
        // Before Start Board / Start Panel: false when the run must not start (the machine
        // check found something that blocks it, and showed it). Unset: the run starts.
        std::function<bool(RunKind)> mayStart;
    };
    RunControlsWidget(ProgramContext& context, Windows windows, QWidget* parent = nullptr);
    ~RunControlsWidget() override;

    // Part n of N, board b of B and the time left while a run goes on.
    void refreshStatus() override;

private:
    // Runs a button's operation, then refreshes and gives the part list the focus.
    void connectButton(QWidget* button, std::function<void()> operation, bool focusList);
    void startRun(bool panel);

    std::unique_ptr<Ui::RunControlsWidget> ui;
    ProgramContext& context;
    Windows windows;
    RunProgress progress;
    bool progressShown = false;
};
