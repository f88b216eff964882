#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TFormConfirmNozzleSelection;
}
class QRadioButton;
struct ProgramContext;

// "Confirm Nozzle Selection": at start-up the operator says which nozzle is really on the
// head; each choice sets "Current Nozzle" at once.
class TFormConfirmNozzleSelection : public QDialog {
    Q_OBJECT

public:
    TFormConfirmNozzleSelection(ProgramContext& context, QWidget* parent = nullptr);
    ~TFormConfirmNozzleSelection() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The radio button of nozzle `nozzle` (1..8), or of "NONE" for any other value.
    QRadioButton* radioOf(int nozzle) const;

    ProgramContext& context_;
    std::unique_ptr<Ui::TFormConfirmNozzleSelection> ui_;
};
