#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "windowkit/MainWindowPanel.h"

struct ProgramContext;
class PartListModel;
class QLineEdit;

namespace Ui {
class PartDetailsWidget;
}

// The main window's part list (`ListBoxPartList`) and its "Part Details" group
// (`GroupBoxPartDetails`): the current part's fields, its feeder and the feeder's snap, and
// the buttons that add, delete, sort, teach and visit parts.
class PartDetailsWidget : public QWidget, public MainWindowPanel {
    Q_OBJECT

public:
    explicit PartDetailsWidget(ProgramContext& context, QWidget* parent = nullptr);
    ~PartDetailsWidget() override;

    // UpdatePartList: the list, the current part's details, the feeder box and the snap.
    void refreshPartList() override;

private:
    void connectList();
    void connectDetails();
    void connectButtons();
    // Runs `handle` for the operator's typing only, never for the refresh's own fills.
    void onTyped(QLineEdit* box, std::function<void(const QString&)> handle);
    void FillFeederBox();
    void FillDetails();
    void ClearDetails();
    void ShowSnap();
    void ShowNoSnap();
    void FocusPartList();

    std::unique_ptr<Ui::PartDetailsWidget> ui;
    ProgramContext& context;
    PartListModel* partList;
    // True while refreshPartList fills the controls.
    bool filling = false;
};
