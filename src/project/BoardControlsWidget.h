#pragma once

#include <QGroupBox>
#include <memory>

#include "windowkit/MainWindowPanel.h"

struct ProgramContext;
class QVBoxLayout;

namespace Ui {
class BoardControlsWidget;
}

// The main window's place-control group (`GroupBoxPlaceControls`): the current board's origin
// and height with Set Origin, Go To Board and Set Height. The run buttons of the placement
// cycle go into runButtonsLayout(), below the board controls.
class BoardControlsWidget : public QGroupBox, public MainWindowPanel {
    Q_OBJECT

public:
    explicit BoardControlsWidget(ProgramContext& context, QWidget* parent = nullptr);
    ~BoardControlsWidget() override;

    QVBoxLayout* runButtonsLayout();

    // The board origin (as last recomputed) and height in the project's unit.
    void refreshStatus() override;

private:
    std::unique_ptr<Ui::BoardControlsWidget> ui;
    ProgramContext& context;
};
