#include "project/PanelControlsWidget.h"

#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "project/BoardOrigin.h"
#include "project/PanelOperations.h"
#include "project/TFormPanelSettings.h"
#include "ui_PanelControlsWidget.h"

PanelControlsWidget::PanelControlsWidget(ProgramContext& context,
                                         std::function<void(QDialog&)> runWindow, QWidget* parent)
    : QGroupBox(parent),
      ui(std::make_unique<Ui::PanelControlsWidget>()),
      context(context),
      runWindow(std::move(runWindow)) {
    ui->setupUi(this);
    connect(ui->ButtonPanelSettings, &QPushButton::clicked, this, [this] {
        this->runWindow(panelSettingsWindow());
        RefreshStatusAndButtons(this->context);
    });
    connect(ui->ButtonResetPanel, &QPushButton::clicked, this,
            [this] { ResetPanel(this->context); });
    connect(ui->ButtonNextBoard, &QPushButton::clicked, this, [this] { NextBoard(this->context); });
}

PanelControlsWidget::~PanelControlsWidget() = default;

void PanelControlsWidget::refreshStatus() {
    ui->EditCurrentPanelCount->setText(PanelBoardText(context.project));
}

TFormPanelSettings& PanelControlsWidget::panelSettingsWindow() {
    if (!panelSettings) {
        // A window of its own, not a child of the central widget, so that the main window's
        // rules by control name never reach its controls.
        panelSettings = new TFormPanelSettings(context, nullptr, window());
    }
    return *panelSettings;
}
