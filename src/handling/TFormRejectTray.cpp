#include "handling/TFormRejectTray.h"

#include <QLineEdit>
#include <QPushButton>

#include "context/ProgramContext.h"
#include "handling/RejectTrays.h"
#include "settings/NumberText.h"
#include "ui_TFormRejectTray.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

TFormRejectTray::TFormRejectTray(ProgramContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui::TFormRejectTray>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::None, this);
    ui_->LayoutJog->addWidget(jog_);
    for (int tray = 1; tray <= kRejectTrayCount; ++tray) {
        connectTray(tray);
    }
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

TFormRejectTray::~TFormRejectTray() = default;

QLineEdit* TFormRejectTray::edit(int tray, char axis) const {
    return findChild<QLineEdit*>(QString("EditTray%1%2").arg(tray).arg(axis));
}

void TFormRejectTray::connectTray(int tray) {
    for (char axis : {'X', 'Y'}) {
        connect(edit(tray, axis), &QLineEdit::textChanged, this,
                [this, tray, axis] { EditTrayChange(tray, axis); });
    }
    connect(findChild<QPushButton*>(QString("ButtonSetTray%1").arg(tray)), &QPushButton::clicked,
            this, [this, tray] {
                SetRejectTrayHere(context_, tray);
                fill();
            });
    connect(findChild<QPushButton*>(QString("ButtonGotoTray%1").arg(tray)), &QPushButton::clicked,
            this, [this, tray] {
                GoToRejectTray(context_, tray);
                refreshMain();
                updateButtonStates();
            });
}

void TFormRejectTray::EditTrayChange(int tray, char axis) {
    if (filling_) {
        return;
    }
    QLineEdit* box = edit(tray, axis);
    const auto value =
        ParseTrayCoordinate(context_, axis == 'X' ? TravelAxis::X : TravelAxis::Y, box->text());
    if (value) {
        (axis == 'X' ? context_.settings.rejectTrayX : context_.settings.rejectTrayY)[tray - 1] =
            *value;
    }
    ShowEditVerdict(box, value.has_value());
}

void TFormRejectTray::fill() {
    filling_ = true;
    for (int tray = 1; tray <= kRejectTrayCount; ++tray) {
        for (char axis : {'X', 'Y'}) {
            const auto& positions =
                axis == 'X' ? context_.settings.rejectTrayX : context_.settings.rejectTrayY;
            QLineEdit* box = edit(tray, axis);
            box->setText(FormatFixed(positions[tray - 1], 3));
            ShowEditVerdict(box, true);
        }
    }
    filling_ = false;
}

void TFormRejectTray::updateButtonStates() {
    const bool usable = Usable(context_);
    for (int tray = 1; tray <= kRejectTrayCount; ++tray) {
        findChild<QPushButton*>(QString("ButtonSetTray%1").arg(tray))->setEnabled(usable);
        findChild<QPushButton*>(QString("ButtonGotoTray%1").arg(tray))->setEnabled(usable);
    }
    jog_->refreshEnabled();
}

void TFormRejectTray::refreshMain() {
    context_.port.updateStatus();
    context_.port.updateButtons();
}

void TFormRejectTray::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
    fill();
    updateButtonStates();
    refreshMain();
}
