#include "handling/TFormNozzleChanger.h"

#include <QLineEdit>
#include <QPushButton>

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "handling/NozzleChanger.h"
#include "motion/MoveOperations.h"
#include "motion/Travel.h"
#include "settings/NumberText.h"
#include "ui_TFormNozzleChanger.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

namespace {

const QString kSetPositionQuestion = "ARE YOU SURE YOU WANT TO CHANGE THE POSITION OF THIS NOZZLE?";
const QString kGotoQuestion =
    "WARNING! THIS CAN CAUSE MECHANICAL DAMAGE!!, ARE YOU SURE YOU WANT TO CONTINUE?";

bool within(double value, double lowest, double highest) {
    return value >= lowest && value <= highest;
}

}  // namespace

TFormNozzleChanger::TFormNozzleChanger(ProgramContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui::TFormNozzleChanger>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::None, this);
    ui_->LayoutJog->addWidget(jog_);
    connectEdits();
    connectButtons();
}

TFormNozzleChanger::~TFormNozzleChanger() = default;

void TFormNozzleChanger::connectEdit(QLineEdit* edit, bool integer,
                                     std::function<bool(double)> store) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit, integer, store = std::move(store)] {
        if (filling_) {
            return;
        }
        std::optional<double> value;
        if (!integer) {
            value = ParseReal(edit->text());
        } else if (const auto whole = ParseInteger(edit->text())) {
            value = *whole;
        }
        ShowEditVerdict(edit, value && store(*value));
    });
}

void TFormNozzleChanger::connectEdits() {
    MachineSettings& s = context_.settings;
    for (int n = 1; n <= kNozzleCount; ++n) {
        const auto holder = [this, &s, n](TravelAxis axis) {
            return [this, &s, n, axis](double v) {
                if (!WithinTravelFromHome(context_, axis, v)) {
                    return false;
                }
                (axis == TravelAxis::X ? s.nozzleX : s.nozzleY)[n - 1] = v;
                return true;
            };
        };
        connectEdit(findChild<QLineEdit*>(QString("EditNozzle%1X").arg(n)), false,
                    holder(TravelAxis::X));
        connectEdit(findChild<QLineEdit*>(QString("EditNozzle%1Y").arg(n)), false,
                    holder(TravelAxis::Y));
    }
    // The entry height is home-relative: the Z travel as seen from Z zero.
    const auto height = [this](double& setting) {
        return [this, &setting](double v) {
            if (!WithinTravelFromHome(context_, TravelAxis::Z, v)) {
                return false;
            }
            setting = v;
            return true;
        };
    };
    const auto ranged = [](double& setting, double lowest, double highest) {
        return [&setting, lowest, highest](double v) {
            if (!within(v, lowest, highest)) {
                return false;
            }
            setting = v;
            return true;
        };
    };
    connectEdit(ui_->EditNozzleHorizontal, false, ranged(s.nozzleHorizontal, 10, 30));
    connectEdit(ui_->EditNozzleUp, false, [this, &s](double v) {
        if (!ParkRiseAccepted(context_.settings, v)) {
            return false;
        }
        s.nozzleUp = v;
        return true;
    });
    connectEdit(ui_->EditNozzleDown, false, height(s.nozzleDown));
    connectEdit(ui_->EditNozzlePickDown, false, ranged(s.nozzlePickDown, 0, 3));
    // A speed of 0 would stall every exchange.
    connectEdit(ui_->EditNozzleChangerSpeed, true, [&s](double v) {
        if (!within(v, 1, s.maxStepsPerSecond)) {
            return false;
        }
        s.nozzleChangerSpeed = static_cast<int>(v);
        return true;
    });
    ui_->EditCurrentNozzle->setReadOnly(true);
}

void TFormNozzleChanger::connectButtons() {
    for (int n = 1; n <= kNozzleCount; ++n) {
        connect(findChild<QPushButton*>(QString("ButtonSelectNozzle%1").arg(n)),
                &QPushButton::clicked, this, [this, n] {
                    SelectNozzle(context_, n);
                    afterExchange();
                });
    }
    connect(ui_->ButtonParkNozzle, &QPushButton::clicked, this, [this] {
        ParkNozzle(context_);
        afterExchange();
    });
    const auto side = [this](int location) {
        return [this, location](bool checked) {
            if (checked && !filling_) {
                context_.settings.nozzleChangerLocation = location;
            }
        };
    };
    connect(ui_->RadioButtonRight, &QRadioButton::toggled, this, side(NozzleChangerRight));
    connect(ui_->RadioButtonFront, &QRadioButton::toggled, this, side(NozzleChangerFront));
    connect(ui_->RadioButtonRear, &QRadioButton::toggled, this, side(NozzleChangerRear));
    connect(ui_->CheckBoxNozzleChangerEnabled, &QCheckBox::toggled, this, [this](bool checked) {
        if (filling_) {
            return;
        }
        context_.settings.nozzleChangerEnabled = checked;
        context_.port.updateStatus();
        refreshButtons();
    });
    connect(ui_->ButtonSetPosition, &QPushButton::clicked, this,
            &TFormNozzleChanger::ButtonSetPositionClick);
    connect(ui_->ButtonGotoPosition, &QPushButton::clicked, this,
            &TFormNozzleChanger::ButtonGotoPositionClick);
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormNozzleChanger::ButtonSetPositionClick() {
    RunSequence(context_, [this] {
        MachineSettings& s = context_.settings;
        if (!IsNozzleNumber(s.currentNozzle) || !context_.port.confirms(kSetPositionQuestion)) {
            return;
        }
        s.nozzleX[s.currentNozzle - 1] = context_.cnc.CommandedX - context_.cnc.HomeOffsetX;
        s.nozzleY[s.currentNozzle - 1] = context_.cnc.CommandedY - context_.cnc.HomeOffsetY;
    });
    fill();
    refreshButtons();
}

void TFormNozzleChanger::ButtonGotoPositionClick() {
    RunSequence(context_, [this] {
        const MachineSettings& s = context_.settings;
        if (!IsNozzleNumber(s.currentNozzle) || !context_.port.confirms(kGotoQuestion)) {
            return;
        }
        MoveHomeRelativeWithNozzleProtection(context_, s.nozzleX[s.currentNozzle - 1],
                                             s.nozzleY[s.currentNozzle - 1], 0, 0,
                                             s.maxStepsPerSecond);
    });
    RefreshStatusAndButtons(context_);
    refreshButtons();
}

void TFormNozzleChanger::afterExchange() {
    fill();
    refreshButtons();
}

void TFormNozzleChanger::fill() {
    filling_ = true;
    const MachineSettings& s = context_.settings;
    const auto show = [](QLineEdit* edit, const QString& text) {
        edit->setText(text);
        ShowEditVerdict(edit, true);
    };
    for (int n = 1; n <= kNozzleCount; ++n) {
        show(findChild<QLineEdit*>(QString("EditNozzle%1X").arg(n)),
             FormatFixed(s.nozzleX[n - 1], 3));
        show(findChild<QLineEdit*>(QString("EditNozzle%1Y").arg(n)),
             FormatFixed(s.nozzleY[n - 1], 3));
    }
    show(ui_->EditNozzleHorizontal, FormatFixed(s.nozzleHorizontal, 3));
    show(ui_->EditNozzleUp, FormatFixed(s.nozzleUp, 3));
    show(ui_->EditNozzleDown, FormatFixed(s.nozzleDown, 3));
    show(ui_->EditNozzlePickDown, FormatFixed(s.nozzlePickDown, 3));
    show(ui_->EditNozzleChangerSpeed, QString::number(s.nozzleChangerSpeed));
    ui_->RadioButtonRight->setChecked(s.nozzleChangerLocation == NozzleChangerRight);
    ui_->RadioButtonFront->setChecked(s.nozzleChangerLocation == NozzleChangerFront);
    ui_->RadioButtonRear->setChecked(s.nozzleChangerLocation == NozzleChangerRear);
    ui_->CheckBoxNozzleChangerEnabled->setChecked(s.nozzleChangerEnabled);
    ui_->EditCurrentNozzle->setText(s.currentNozzle == 0 ? QString("NONE")
                                                         : QString::number(s.currentNozzle));
    filling_ = false;
}

void TFormNozzleChanger::refreshButtons() {
    const MachineSettings& s = context_.settings;
    const bool usable = Usable(context_);
    const bool exchanges = usable && s.nozzleChangerEnabled && !context_.cycle.PartOnNozzle;
    const bool mounted = exchanges && IsNozzleNumber(s.currentNozzle);
    ui_->GroupBoxNozzles->setEnabled(s.nozzleChangerEnabled);
    for (int n = 1; n <= kNozzleCount; ++n) {
        findChild<QPushButton*>(QString("ButtonSelectNozzle%1").arg(n))
            ->setEnabled(exchanges && n != s.currentNozzle);
    }
    ui_->ButtonParkNozzle->setEnabled(mounted);
    ui_->ButtonSetPosition->setEnabled(mounted);
    ui_->ButtonGotoPosition->setEnabled(mounted);
    jog_->refreshEnabled();
}

void TFormNozzleChanger::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
    fill();
    refreshButtons();
    RefreshStatusAndButtons(context_);
}

void TFormNozzleChanger::hideEvent(QHideEvent* event) {
    refreshButtons();
    QDialog::hideEvent(event);
}
