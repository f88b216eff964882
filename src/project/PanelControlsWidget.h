#pragma once

#include <QGroupBox>
#include <functional>
#include <memory>

#include "windowkit/MainWindowPanel.h"

struct ProgramContext;
class QDialog;
class TFormPanelSettings;

namespace Ui {
class PanelControlsWidget;
}

// The main window's panel group (`GroupBoxPanelSettings`): the current board of the panel,
// Reset, Next, and the "Panel Settings" window.
class PanelControlsWidget : public QGroupBox, public MainWindowPanel {
    Q_OBJECT

public:
    // `runWindow` shows the "Panel Settings" window modally as the main window shows its
    // settings windows (its jog group hidden, the machine settings saved afterwards).
    PanelControlsWidget(ProgramContext& context, std::function<void(QDialog&)> runWindow,
                        QWidget* parent = nullptr);
    ~PanelControlsWidget() override;

    // "2 of 6".
    void refreshStatus() override;

    // The "Panel Settings" window, created on first use as a window of the main window.
    TFormPanelSettings& panelSettingsWindow();

private:
    std::unique_ptr<Ui::PanelControlsWidget> ui;
    ProgramContext& context;
    std::function<void(QDialog&)> runWindow;
    TFormPanelSettings* panelSettings = nullptr;
};
