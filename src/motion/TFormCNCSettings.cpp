#include "motion/TFormCNCSettings.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/CNCSettingsFields.h"
#include "motion/ControllerChoice.h"
#include "motion/Homing.h"
#include "ui_TFormCNCSettings.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

namespace {

void switchDispenser(ProgramContext& context, bool on) {
    context.cnc.SetDispenserOutput(on);
}
void switchVacuum(ProgramContext& context, bool on) {
    context.cnc.SetVacuumOutput(on);
}
void switchBlow(ProgramContext& context, bool on) {
    context.cnc.SetBlowOutput(on);
}
void switchFeeder(ProgramContext& context, bool on) {
    context.cnc.SetFeederOutput(on);
}

}  // namespace

TFormCNCSettings::TFormCNCSettings(ProgramContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui::TFormCNCSettings>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::MotorStep, this);
    ui_->LayoutJog->addWidget(jog_);
    for (const CNCSettingField& field : CNCSettingFields()) {
        connect(findChild<QLineEdit*>(field.editName), &QLineEdit::textChanged, this,
                [this, &field] { EditChange(field); });
    }
    connect(ui_->CheckBoxDualYAxis, &QCheckBox::toggled, this,
            [this](bool checked) { CheckBoxChange(context_.settings.dualYAxis, checked); });
    connect(ui_->CheckBoxVisualHome, &QCheckBox::toggled, this,
            [this](bool checked) { CheckBoxChange(context_.settings.visualHome, checked); });
    connectControllerChoice();
    connect(ui_->ButtonHome, &QPushButton::clicked, this, &TFormCNCSettings::ButtonHomeClick);
    connect(ui_->ButtonReset, &QPushButton::clicked, this, &TFormCNCSettings::ButtonResetClick);
    connectOutputButton(ui_->ButtonDispenser, OutputDispenser, switchDispenser);
    connectOutputButton(ui_->ButtonVacuum, OutputVacuum, switchVacuum);
    connectOutputButton(ui_->ButtonBlow, OutputBlow, switchBlow);
    connectOutputButton(ui_->ButtonFeeder, OutputFeeder, switchFeeder);
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

TFormCNCSettings::~TFormCNCSettings() = default;

void TFormCNCSettings::connectOutputButton(QPushButton* button, int output,
                                           OutputSwitch switchOutput) {
    // Press and release are taken from the mouse itself: the release reaches the button that
    // took the press wherever the pointer then is, so the output never stays on.
    outputButtons_[button] = {output, switchOutput};
    button->setFocusPolicy(Qt::NoFocus);
    button->installEventFilter(this);
}

bool TFormCNCSettings::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    const auto found = outputButtons_.find(watched);
    if (found != outputButtons_.end() && (press || release) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OutputButton& button = found->second;
        const bool on = context_.cnc.OutputState[button.output];
        if (press && !on) {
            button.switchOutput(context_, true);
            button.switchedOn = context_.cnc.OutputState[button.output];
        } else if (release && button.switchedOn) {
            button.switchOutput(context_, false);
            button.switchedOn = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormCNCSettings::switchTestOutputsOff() {
    for (auto& [control, button] : outputButtons_) {
        if (button.switchedOn) {
            button.switchOutput(context_, false);
            button.switchedOn = false;
        }
    }
}

void TFormCNCSettings::fill() {
    filling_ = true;
    const MachineSettings& settings = context_.settings;
    for (const CNCSettingField& field : CNCSettingFields()) {
        auto* edit = findChild<QLineEdit*>(field.editName);
        edit->setText(CNCSettingText(settings, field));
        ShowEditVerdict(edit, true);
    }
    ui_->CheckBoxDualYAxis->setChecked(settings.dualYAxis);
    ui_->CheckBoxVisualHome->setChecked(settings.visualHome);
    fillControllerChoice();
    filling_ = false;
}

void TFormCNCSettings::connectControllerChoice() {
    connect(ui_->RadioButtonControllerLibrary, &QRadioButton::clicked, this,
            [this] { RadioButtonControllerClick(kControllerLibrary); });
    connect(ui_->RadioButtonControllerLinuxCnc, &QRadioButton::clicked, this,
            [this] { RadioButtonControllerClick(kControllerLinuxCnc); });
    connect(ui_->EditLinuxCncHost, &QLineEdit::textChanged, this,
            [this] { EditLinuxCncAddressChange(ui_->EditLinuxCncHost, ApplyLinuxCncHost); });
    connect(ui_->EditLinuxCncPort, &QLineEdit::textChanged, this,
            [this] { EditLinuxCncAddressChange(ui_->EditLinuxCncPort, ApplyLinuxCncPort); });
}

void TFormCNCSettings::fillControllerChoice() {
    const MachineSettings& settings = context_.settings;
    const bool linuxCnc = UsesLinuxCnc(settings);
    ui_->RadioButtonControllerLibrary->setChecked(!linuxCnc);
    ui_->RadioButtonControllerLinuxCnc->setChecked(linuxCnc);
    ui_->EditLinuxCncHost->setText(settings.linuxCncHost);
    ui_->EditLinuxCncPort->setText(QString::number(settings.linuxCncPort));
    ShowEditVerdict(ui_->EditLinuxCncHost, true);
    ShowEditVerdict(ui_->EditLinuxCncPort, true);
}

void TFormCNCSettings::RadioButtonControllerClick(const char* controller) {
    context_.settings.controller = QLatin1String(controller);
    refreshControllerChoice();
}

// LinuxCNC's address is a controller parameter: the controller is reached there at RESET.
void TFormCNCSettings::EditLinuxCncAddressChange(QLineEdit* edit,
                                                 bool (*apply)(MachineSettings&, QStringView)) {
    if (filling_) {
        return;
    }
    const bool accepted = apply(context_.settings, edit->text());
    ShowEditVerdict(edit, accepted);
    if (accepted) {
        context_.cnc.ControllerReady = false;
        refreshMain();
        refreshButtons();
    }
}

void TFormCNCSettings::refreshControllerChoice() {
    const bool linuxCnc = UsesLinuxCnc(context_.settings);
    ui_->EditLinuxCncHost->setEnabled(linuxCnc);
    ui_->EditLinuxCncPort->setEnabled(linuxCnc);
    // The library is bound at start-up only: another choice waits for the next start.
    ui_->LabelControllerRestart->setVisible(linuxCnc != BoundToLinuxCnc(context_.cnc.api()));
}

void TFormCNCSettings::refreshButtons() {
    const MotrixCNC& cnc = context_.cnc;
    ui_->ButtonReset->setEnabled(!(cnc.ControllerFound && cnc.ControllerReady));
    const bool usable = Usable(context_);
    for (QWidget* control :
         {static_cast<QWidget*>(ui_->ButtonHome), static_cast<QWidget*>(ui_->ButtonFeeder),
          static_cast<QWidget*>(ui_->ButtonBlow), static_cast<QWidget*>(ui_->ButtonVacuum),
          static_cast<QWidget*>(ui_->ButtonDispenser)}) {
        control->setEnabled(usable);
    }
    jog_->refreshEnabled();
    ui_->CheckBoxDualYAxis->setEnabled(context_.settings.visualHome);
    refreshControllerChoice();
}

void TFormCNCSettings::refreshMain() {
    RefreshStatusAndButtons(context_);
}

void TFormCNCSettings::EditChange(const CNCSettingField& field) {
    if (!filling_) {
        auto* edit = findChild<QLineEdit*>(field.editName);
        ShowEditVerdict(edit, ApplyCNCSettingEdit(context_, field, edit->text()));
    }
    refreshButtons();
}

void TFormCNCSettings::CheckBoxChange(bool& setting, bool checked) {
    if (filling_) {
        return;
    }
    setting = checked;
    context_.cnc.ControllerReady = false;
    fill();
    refreshMain();
    refreshButtons();
}

void TFormCNCSettings::ButtonHomeClick() {
    Home(context_);
    refreshMain();
    refreshButtons();
}

void TFormCNCSettings::ButtonResetClick() {
    RunSequence(context_, [this] {
        OperatorPort& port = context_.port;
        context_.cnc.EmergencyStop = false;
        port.updateStatus();
        port.processEvents();
        const bool ready = context_.cnc.InitialiseController();
        refreshMain();
        if (ready) {
            port.updateStatus();
            port.processEvents();
            Home(context_);
        } else {
            Fail(context_, "FAILED TO INITIALISE CNC CONTROLLER");
        }
        refreshMain();
    });
    refreshButtons();
}

void TFormCNCSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
    fill();
    refreshButtons();
    refreshMain();
}

void TFormCNCSettings::hideEvent(QHideEvent* event) {
    switchTestOutputsOff();
    QDialog::hideEvent(event);
}
