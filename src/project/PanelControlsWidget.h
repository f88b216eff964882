#pragma once

#include <QGroupBox>
#include <functional>
#include <memory>

#include "windowkit/MainWindowPanel.h"

struct ProgramContext;
class TFormPanelSettings;

namespace Ui {
class PanelControlsWidget;
}

// The main window's panel group (`GroupBoxPanelSettings`): the current board of the panel,
// Reset, Next, and the "Panel Settings" window.
class PanelControlsWidget : public QGroupBox, public MainWindowPanel {
    Q_OBJECT

public:
    // `saveMachineSettings` runs when the "Panel Settings" window closes.
    PanelControlsWidget(ProgramContext& context, std::function<void()> saveMachineSettings,
                        QWidget* parent = nullptr);
    ~PanelControlsWidget() override;

    // "2 of 6".
    void refreshStatus() override;

    // The "Panel Settings" window, created on first use as a window of the main window.
    TFormPanelSettings& panelSettingsWindow();

private:
    // Shows the window modally with the main window's jog group hidden, then refreshes.
    void ButtonPanelSettingsClick();

    std::unique_ptr<Ui::PanelControlsWidget> ui;
    ProgramContext& context;
    std::function<void()> saveMachineSettings;
    TFormPanelSettings* panelSettings = nullptr;
};
