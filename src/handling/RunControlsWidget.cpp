#include "handling/RunControlsWidget.h"

#include <QPushButton>

#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "handling/NozzleChanger.h"
#include "handling/PlacementCycle.h"
#include "ui_RunControlsWidget.h"

RunControlsWidget::RunControlsWidget(ProgramContext& context, Windows windows, QWidget* parent)
    : QGroupBox(parent),
      ui(std::make_unique<Ui::RunControlsWidget>()),
      context(context),
      windows(std::move(windows)) {
    ui->setupUi(this);
    ProgramContext& c = context;
    connectButton(
        ui->ButtonStartBoard, [this] { startRun(false); }, true);
    connectButton(
        ui->ButtonStartPanel, [this] { startRun(true); }, true);
    connectButton(
        ui->ButtonStop, [&c] { PressStop(c); }, false);
    connectButton(
        ui->ButtonPause, [&c] { PressPause(c); }, false);
    connectButton(
        ui->ButtonResume, [&c] { PressResume(c); }, false);
    connectButton(
        ui->ButtonParkNozzle, [&c] { ParkNozzle(c); }, false);
    connectButton(
        ui->ButtonPickPart, [&c] { PressPickPart(c); }, true);
    connectButton(
        ui->ButtonPlacePart, [&c] { PressPlacePart(c); }, true);
    connectButton(
        ui->ButtonDiscard, [&c] { PressDiscard(c); }, true);
    connectButton(
        ui->ButtonFeeders, [this] { this->windows.feeders(); }, true);
    connectButton(
        ui->ButtonFiducials, [this] { this->windows.fiducials(); }, true);
}

RunControlsWidget::~RunControlsWidget() = default;

void RunControlsWidget::connectButton(QWidget* button, std::function<void()> operation,
                                      bool focusList) {
    connect(static_cast<QPushButton*>(button), &QPushButton::clicked, this,
            [this, operation = std::move(operation), focusList] {
                operation();
                RefreshStatusAndButtons(context);
                if (focusList && windows.focusPartList) {
                    windows.focusPartList();
                }
            });
}

void RunControlsWidget::startRun(bool panel) {
    const RunKind kind = panel ? RunKind::Panel : RunKind::Board;
    if (!windows.mayStart || windows.mayStart(kind)) {
        StartRun(context, kind);
    }
}

void RunControlsWidget::refreshStatus() {
    const bool running = context.cycle.running();
    if (running && !progressShown) {
        // The first refresh of a run: it starts at the part the operator chose.
        progress.panel = context.cycle.PanelRunActive;
        progress.start(context.project, context.clock.now());
    }
    progressShown = running;
    ui->LabelRunProgress->setVisible(running);
    if (running) {
        ui->LabelRunProgress->setText(progress.text(context.project, context.clock.now()));
    }
}
