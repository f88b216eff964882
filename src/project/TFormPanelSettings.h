#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "project/BoardOrigin.h"

struct ProgramContext;
class QLineEdit;

namespace Ui {
class TFormPanelSettings;
}

// The window "Panel Settings": the board counts and spacings of the panel, the current board,
// and moves to the current and the next board. It opens at the top right corner of the screen
// and saves the machine settings when it closes.
class TFormPanelSettings : public QDialog {
    Q_OBJECT

public:
    TFormPanelSettings(ProgramContext& context, std::function<void()> saveMachineSettings,
                       QWidget* parent = nullptr);
    ~TFormPanelSettings() override;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void FormShow();
    // Shows the stored values and enables the moves exactly when the machine is ready.
    void RefreshWindow();
    // A typed count or spacing: stored by `edit` when accepted, red when refused.
    using PanelEdit = bool (*)(ProjectState&, PanelAxis, QStringView);
    void connectEdit(QLineEdit* box, PanelEdit edit, PanelAxis axis);

    std::unique_ptr<Ui::TFormPanelSettings> ui;
    ProgramContext& context;
    std::function<void()> saveMachineSettings;
    // False while the window fills its own boxes: the change handlers then do nothing.
    bool Enabled = false;
};
