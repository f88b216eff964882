#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "windowkit/SnapCutter.h"

namespace Ui {
class TFormFeeders;
}
class JogPanelWidget;
class QLineEdit;
struct FeederRec;
struct ProgramContext;

// "Feeders": the project's feeder list; adds, deletes, teaches and edits feeders, takes or
// chooses their part snaps, exports and imports feeder files, and tries a pick.
class TFormFeeders : public QDialog {
    Q_OBJECT

public:
    // `cutSystemSnap` saves a snap into the system settings folder; without one "Take New
    // Snap" is hidden.
    TFormFeeders(ProgramContext& context, SnapCutter cutSystemSnap, QWidget* parent = nullptr);
    ~TFormFeeders() override;

    void Refresh();
    void UpdateWindowButtons();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectEdits();
    void connectChoices();
    void connectButtons();
    // Runs `operation`, then Refresh and UpdateWindowButtons.
    void onClick(QWidget* button, std::function<void()> operation);
    void fillCurrent();
    void fillEmpty();
    void showSnap(const FeederRec* feeder);
    void setText(QLineEdit* box, const QString& text);
    void ButtonDeleteFeederClick();
    void ButtonTakeSnapClick();

    ProgramContext& context_;
    SnapCutter cutSystemSnap_;
    std::unique_ptr<Ui::TFormFeeders> ui_;
    JogPanelWidget* jog_;
    bool filling_ = false;
};
