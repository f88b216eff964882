#include "handling/TFormConfirmNozzleSelection.h"

#include <QPushButton>
#include <QRadioButton>

#include "context/ProgramContext.h"
#include "handling/NozzleChanger.h"
#include "ui_TFormConfirmNozzleSelection.h"

TFormConfirmNozzleSelection::TFormConfirmNozzleSelection(ProgramContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui::TFormConfirmNozzleSelection>()) {
    ui_->setupUi(this);
    for (int nozzle = 0; nozzle <= kNozzleCount; ++nozzle) {
        connect(radioOf(nozzle), &QRadioButton::clicked, this,
                [this, nozzle] { context_.settings.currentNozzle = nozzle; });
    }
    connect(ui_->ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
}

TFormConfirmNozzleSelection::~TFormConfirmNozzleSelection() = default;

QRadioButton* TFormConfirmNozzleSelection::radioOf(int nozzle) const {
    return IsNozzleNumber(nozzle)
               ? findChild<QRadioButton*>(QString("RadioButtonNozzle%1").arg(nozzle))
               : ui_->RadioButtonNone;
}

void TFormConfirmNozzleSelection::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        move(parentWidget()->geometry().center() - rect().center());
    }
    radioOf(context_.settings.currentNozzle)->setChecked(true);
}
