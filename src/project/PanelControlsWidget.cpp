#include "project/PanelControlsWidget.h"

#include <QMainWindow>

#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "project/BoardOrigin.h"
#include "project/PanelOperations.h"
#include "project/TFormPanelSettings.h"
#include "ui_PanelControlsWidget.h"

PanelControlsWidget::PanelControlsWidget(ProgramContext& context,
                                         std::function<void()> saveMachineSettings, QWidget* parent)
    : QGroupBox(parent),
      ui(std::make_unique<Ui::PanelControlsWidget>()),
      context(context),
      saveMachineSettings(std::move(saveMachineSettings)) {
    ui->setupUi(this);
    connect(ui->ButtonPanelSettings, &QPushButton::clicked, this,
            &PanelControlsWidget::ButtonPanelSettingsClick);
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
        panelSettings = new TFormPanelSettings(context, saveMachineSettings, window());
    }
    return *panelSettings;
}

void PanelControlsWidget::ButtonPanelSettingsClick() {
    // The main window's own jog group: settings windows carry groups of the same name.
    const auto* main = qobject_cast<QMainWindow*>(window());
    QWidget* jog = main && main->centralWidget()
                       ? main->centralWidget()->findChild<QWidget*>("GroupBoxJogControl")
                       : nullptr;
    if (jog) {
        jog->hide();
    }
    panelSettingsWindow().exec();
    if (jog) {
        jog->show();
    }
    RefreshStatusAndButtons(context);
}
