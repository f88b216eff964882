#include "handling/TFormNozzleOffset.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "handling/NozzleChanger.h"
#include "handling/NozzleOffset.h"
#include "motion/HomeCalibration.h"
#include "motion/Travel.h"
#include "settings/NumberText.h"
#include "ui_TFormNozzleOffset.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

namespace {

// Home-relative positions on the table: within the travel once the home offsets are added.
bool tableX(const ProgramContext& context, double x) {
    return WithinTravelFromHome(context, TravelAxis::X, x);
}

bool tableY(const ProgramContext& context, double y) {
    return WithinTravelFromHome(context, TravelAxis::Y, y);
}

bool machineZ(const ProgramContext& context, double z) {
    return WithinTravel(context.settings, TravelAxis::Z, z);
}

bool homeRelativeZ(const ProgramContext& context, double z) {
    return WithinTravelFromHome(context, TravelAxis::Z, z);
}

bool offset(const ProgramContext&, double value) {
    return value >= -100 && value <= 100;
}

}  // namespace

TFormNozzleOffset::TFormNozzleOffset(ProgramContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui::TFormNozzleOffset>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::None, this);
    ui_->LayoutJog->addWidget(jog_);
    connectNozzleRadios();
    connectButtons();
    connectEdits();
}

TFormNozzleOffset::~TFormNozzleOffset() = default;

void TFormNozzleOffset::connectNozzleRadios() {
    for (int n = 1; n <= kNozzleCount; ++n) {
        connect(findChild<QRadioButton*>(QString("RadioButton%1").arg(n)), &QRadioButton::clicked,
                this, [this, n] {
                    SelectCalibrationNozzle(context_, n);
                    refreshButtons();
                });
    }
    const auto camera = [this](int selected) {
        return [this, selected](bool checked) {
            if (checked && !filling_) {
                context_.SelectedCamera = selected;
                RefreshStatusAndButtons(context_);
            }
        };
    };
    connect(ui_->RadioButtonDownCamera, &QRadioButton::toggled, this, camera(0));
    connect(ui_->RadioButtonUpCamera, &QRadioButton::toggled, this, camera(1));
}

void TFormNozzleOffset::connectButtons() {
    connect(ui_->ButtonSetCamera, &QPushButton::clicked, this, [this] {
        if (SetCalibrationMarkHere(context_)) {
            fill();
        }
    });
    connect(ui_->ButtonSetNozzle, &QPushButton::clicked, this, [this] {
        if (SetNozzleOffsetHere(context_)) {
            fill();
        }
    });
    connect(ui_->ButtonGotoCamera, &QPushButton::clicked, this, [this] {
        GoToCalibrationMark(context_);
        afterMove();
    });
    connect(ui_->ButtonGotoNozzle, &QPushButton::clicked, this, [this] {
        GoToNozzleOnMark(context_);
        afterMove();
    });
    connect(ui_->ButtonUpCamera, &QPushButton::clicked, this, [this] {
        GoToUpCamera(context_);
        afterMove();
    });
    connect(ui_->ButtonSetPosition, &QPushButton::clicked, this, [this] {
        SetUpCameraHere(context_);
        fill();
    });
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormNozzleOffset::connectEdits() {
    MachineSettings& s = context_.settings;
    // The calibration fields show what the buttons taught; nothing is typed into them.
    for (QLineEdit* edit :
         {ui_->EditX, ui_->EditY, ui_->EditZ, ui_->EditOffsetX, ui_->EditOffsetY}) {
        edit->setReadOnly(true);
    }
    connectEdit(ui_->EditX, tableX, nullptr);
    connectEdit(ui_->EditY, tableY, nullptr);
    connectEdit(ui_->EditZ, machineZ, nullptr);
    connectEdit(ui_->EditOffsetX, offset, nullptr);
    connectEdit(ui_->EditOffsetY, offset, nullptr);
    connectEdit(ui_->EditPositionX, tableX, &s.uplookingCameraX);
    connectEdit(ui_->EditPositionY, tableY, &s.uplookingCameraY);
    connectEdit(ui_->EditPositionZ, homeRelativeZ, &s.uplookingCameraZ);
}

void TFormNozzleOffset::connectEdit(QLineEdit* edit, bool (*inRange)(const ProgramContext&, double),
                                    double* store) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit, inRange, store] {
        if (filling_) {
            return;
        }
        const auto value = ParseReal(edit->text());
        const bool accepted = value && inRange(context_, *value);
        if (accepted && store) {
            *store = *value;
        }
        ShowEditVerdict(edit, accepted);
    });
}

void TFormNozzleOffset::fill() {
    filling_ = true;
    const MachineSettings& s = context_.settings;
    const auto show = [](QLineEdit* edit, double value) {
        edit->setText(FormatFixed(value, 3));
        ShowEditVerdict(edit, true);
    };
    show(ui_->EditPositionX, s.uplookingCameraX);
    show(ui_->EditPositionY, s.uplookingCameraY);
    show(ui_->EditPositionZ, s.uplookingCameraZ);
    show(ui_->EditX, s.nozzleCalibrationX);
    show(ui_->EditY, s.nozzleCalibrationY);
    show(ui_->EditZ, s.nozzleCalibrationZ);
    show(ui_->EditOffsetX, s.nozzleOffsetX);
    show(ui_->EditOffsetY, s.nozzleOffsetY);
    const int nozzle = IsNozzleNumber(s.nozzleNumber) ? s.nozzleNumber : 1;
    findChild<QRadioButton*>(QString("RadioButton%1").arg(nozzle))->setChecked(true);
    ui_->RadioButtonDownCamera->setChecked(context_.SelectedCamera == 0);
    ui_->RadioButtonUpCamera->setChecked(context_.SelectedCamera == 1);
    filling_ = false;
}

void TFormNozzleOffset::refreshButtons() {
    const bool usable = Usable(context_);
    for (QWidget* button :
         {static_cast<QWidget*>(ui_->ButtonSetCamera), static_cast<QWidget*>(ui_->ButtonGotoCamera),
          static_cast<QWidget*>(ui_->ButtonGotoNozzle)}) {
        button->setEnabled(usable);
    }
    // An offset measured with another nozzle than the calibration nozzle would be wrong.
    ui_->ButtonSetNozzle->setEnabled(usable && CalibrationNozzleMounted(context_));
    jog_->refreshEnabled();
}

void TFormNozzleOffset::afterMove() {
    fill();
    RefreshStatusAndButtons(context_);
    refreshButtons();
}

void TFormNozzleOffset::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
    OldViewSelection = context_.SelectedCamera;
    context_.SelectedCamera = 0;
    fill();
    StartNozzleOffsetCalibration(context_);
    fill();
    refreshButtons();
    RefreshStatusAndButtons(context_);
}

void TFormNozzleOffset::hideEvent(QHideEvent* event) {
    context_.SelectedCamera = OldViewSelection;
    RefreshStatusAndButtons(context_);
    QDialog::hideEvent(event);
}
