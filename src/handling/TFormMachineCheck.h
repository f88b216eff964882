#pragma once

#include <QDialog>
#include <QList>
#include <functional>
#include <memory>

#include "handling/MachineCheck.h"

namespace Ui {
class TFormMachineCheck;
}
struct ProgramContext;

// "Machine Check": what would make a run fail or go wrong, each problem with how bad it is and
// how to mend it, and a button that opens the window that mends the selected one. Opened from
// the Settings menu, and by Start Board / Start Panel when something blocks the run.
class TFormMachineCheck : public QDialog {
    Q_OBJECT

public:
    // What the main window lends: opening the window that mends a problem (modally), and
    // whether that window may be opened now, by the rule of the control that opens it there.
    struct Fixes {
        std::function<void(const CheckProblem&)> open;
        std::function<bool(FixWindow)> available;
    };
    TFormMachineCheck(ProgramContext& context, Fixes fixes, QWidget* parent = nullptr);
    ~TFormMachineCheck() override;

    // Checks the machine and the project for `boards` and shows the problems modally.
    // `blockedRun` ("Start Board"), when given, names the run that did not start because of them.
    void Execute(CheckedBoards boards, const QString& blockedRun = QString());

    const QList<CheckProblem>& problems() const { return problems_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void runCheck();
    void fill();
    QString summary() const;
    void updateButtonStates();
    const CheckProblem* selectedProblem() const;
    void ButtonOpenFixClick();

    ProgramContext& context_;
    Fixes fixes_;
    std::unique_ptr<Ui::TFormMachineCheck> ui_;
    CheckedBoards boards_ = CheckedBoards::Panel;
    QString blockedRun_;
    QList<CheckProblem> problems_;
};
