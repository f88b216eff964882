#include "vision/TFormVisionSettings.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "motion/HomeCalibration.h"
#include "motion/MoveOperations.h"
#include "motion/Travel.h"
#include "settings/NumberText.h"
#include "ui_TFormVisionSettings.h"
#include "vision/CameraDeviceComboBoxWidget.h"
#include "vision/CameraSet.h"
#include "vision/SimCameraProvider.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

// One edit box: how it parses, what it accepts, where the value goes and what follows.
struct TFormVisionSettings::EditRule {
    enum class After { Nothing, Rulers, Enables, EnablesAlways };
    QLineEdit* box;
    bool integer;
    int decimals;
    std::function<bool(double)> accepts;
    double MachineSettings::*real = nullptr;
    int MachineSettings::*whole = nullptr;
    After after = After::Nothing;
};

TFormVisionSettings::TFormVisionSettings(ProgramContext& context, CameraSet& cameras,
                                         std::function<void()> rulersChanged, QWidget* parent)
    : QDialog(parent),
      context_(context),
      cameras_(cameras),
      rulersChanged_(std::move(rulersChanged)),
      ui_(std::make_unique<Ui::TFormVisionSettings>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::None, this);
    ui_->LayoutJog->addWidget(jog_);
    connectCamera(CameraRole::Down);
    connectCamera(CameraRole::Up);
    connectEdits();
    connectPositionButtons();
    connect(ui_->CheckBoxVisionTestMode, &QCheckBox::toggled, this, [this](bool checked) {
        if (Enabled) {
            context_.settings.visionTestMode = checked;
        }
    });
    connect(ui_->RadioButtonDownCamera, &QRadioButton::clicked, this, [this] { selectCamera(0); });
    connect(ui_->RadioButtonUpCamera, &QRadioButton::clicked, this, [this] { selectCamera(1); });
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
    adjustSize();  // sized before the first show, so its placement at the top right holds
}

TFormVisionSettings::~TFormVisionSettings() = default;

QComboBox* TFormVisionSettings::deviceList(CameraRole role) const {
    return role == CameraRole::Up ? ui_->ComboBoxCameraUp : ui_->ComboBoxCameraDown;
}

QComboBox* TFormVisionSettings::formatList(CameraRole role) const {
    return role == CameraRole::Up ? ui_->ComboBoxFormatUp : ui_->ComboBoxFormatDown;
}

void TFormVisionSettings::connectCamera(CameraRole role) {
    auto* devices = static_cast<CameraDeviceComboBox*>(deviceList(role));
    connect(devices, &CameraDeviceComboBox::aboutToDropDown, this,
            [this, role] { refillDevices(role); });
    connect(devices, &QComboBox::activated, this, [this, role] { refillFormats(role); });
    const bool up = role == CameraRole::Up;
    connect(up ? ui_->ButtonUpCameraStart : ui_->ButtonDownCameraStart, &QPushButton::clicked, this,
            [this, role] { startCamera(role, true); });
    connect(up ? ui_->ButtonUpCameraStop : ui_->ButtonDownCameraStop, &QPushButton::clicked, this,
            [this, role] { stopCamera(role); });
    TWCamera& camera = cameras_.camera(role);
    connect(&camera, &TWCamera::stateChanged, this, &TFormVisionSettings::RefreshEnables);
    connect(&camera, &TWCamera::devicesChanged, this, [this, role] { refillDevices(role); });
}

void TFormVisionSettings::connectEdits() {
    using After = EditRule::After;
    using M = MachineSettings;
    const auto between = [](double low, double high) {
        return [low, high](double v) { return low < v && v < high; };
    };
    const auto within = [](double low, double high) {
        return [low, high](double v) { return low <= v && v <= high; };
    };
    rules_ = {
        {ui_->EditDownlookingViewWidthInMM, false, 3, between(1, 100),
         &M::downlookingCameraViewWidthMM, nullptr, After::Rulers},
        {ui_->EditDownlookingSettlingDelay, false, 3, between(0, 5),
         &M::downlookingCameraSettlingDelay},
        {ui_->EditDownlookingEnlargementMM, true, 0, within(1, 9), nullptr,
         &M::downlookingCameraEnlargementMM},
        {ui_->EditUplookingViewWidthInMM, false, 3, between(1, 100), &M::uplookingCameraViewWidthMM,
         nullptr, After::Rulers},
        {ui_->EditUplookingSettlingDelay, false, 3, between(0, 5),
         &M::uplookingCameraSettlingDelay},
        {ui_->EditUplookingEnlargementMM, true, 0, within(1, 9), nullptr,
         &M::uplookingCameraEnlargementMM},
        {ui_->EditAngleTestLimit, true, 0, within(11, 89), nullptr,
         &M::uplookingCameraAngleTestLimit},
        {ui_->EditVisionCorrelationLimit, false, 2, within(0.3, 0.9), &M::visionCorrelationLimit,
         nullptr, After::Enables},
        // The position is kept home-relative; the soft limits are in the machine frame.
        {ui_->EditPositionX, false, 3,
         [this](double v) { return WithinTravelFromHome(context_, TravelAxis::X, v); },
         &M::uplookingCameraX, nullptr, After::EnablesAlways},
        {ui_->EditPositionY, false, 3,
         [this](double v) { return WithinTravelFromHome(context_, TravelAxis::Y, v); },
         &M::uplookingCameraY, nullptr, After::EnablesAlways},
        {ui_->EditPositionZ, false, 3,
         [this](double v) { return WithinTravelFromHome(context_, TravelAxis::Z, v); },
         &M::uplookingCameraZ, nullptr, After::EnablesAlways},
    };
    for (const EditRule& rule : rules_) {
        connect(rule.box, &QLineEdit::textChanged, this, [this, &rule] { editChanged(rule); });
    }
}

void TFormVisionSettings::editChanged(const EditRule& rule) {
    if (!Enabled) {
        return;
    }
    std::optional<double> value;
    if (rule.integer) {
        if (const auto whole = ParseInteger(rule.box->text())) {
            value = *whole;
        }
    } else {
        value = ParseReal(rule.box->text());
    }
    const bool accepted = value && rule.accepts(*value);
    if (accepted) {
        if (rule.integer) {
            context_.settings.*rule.whole = static_cast<int>(*value);
        } else {
            context_.settings.*rule.real = *value;
        }
    }
    ShowEditVerdict(rule.box, accepted);
    if (accepted && rule.after == EditRule::After::Rulers && rulersChanged_) {
        rulersChanged_();
    }
    if ((accepted && rule.after == EditRule::After::Enables) ||
        rule.after == EditRule::After::EnablesAlways) {
        RefreshEnables();
    }
}

void TFormVisionSettings::ShowSettings() {
    Enabled = false;
    for (const EditRule& rule : rules_) {
        rule.box->setText(rule.integer ? QString::number(context_.settings.*rule.whole)
                                       : FormatFixed(context_.settings.*rule.real, rule.decimals));
        ShowEditVerdict(rule.box, true);
    }
    ui_->CheckBoxVisionTestMode->setChecked(context_.settings.visionTestMode);
    Enabled = true;
}

void TFormVisionSettings::RefreshEnables() {
    const bool usable = Usable(context_);
    ui_->ButtonGotoCamera->setEnabled(usable);
    ui_->ButtonSetPosition->setEnabled(usable);
    jog_->refreshEnabled();
    for (CameraRole role : {CameraRole::Down, CameraRole::Up}) {
        const bool active = cameras_.camera(role).GetActive();
        const bool up = role == CameraRole::Up;
        (up ? ui_->ButtonUpCameraStart : ui_->ButtonDownCameraStart)->setEnabled(!active);
        (up ? ui_->ButtonUpCameraStop : ui_->ButtonDownCameraStop)->setEnabled(active);
        deviceList(role)->setEnabled(!active);
        formatList(role)->setEnabled(!active && deviceList(role)->currentIndex() >= 0);
    }
    const bool wasEnabled = Enabled;
    Enabled = false;
    (context_.SelectedCamera == 1 ? ui_->RadioButtonUpCamera : ui_->RadioButtonDownCamera)
        ->setChecked(true);
    Enabled = wasEnabled;
}

void TFormVisionSettings::refillDevices(CameraRole role) {
    QComboBox* list = deviceList(role);
    const QString chosen = cameras_.camera(role).GetDevicePath();
    const QString selected = list->currentIndex() >= 0 ? list->currentData().toString() : chosen;
    const QSignalBlocker quiet(list);
    list->clear();
    for (const TWVideoCaptureDevice& device : cameras_.camera(role).GetDevices()) {
        list->addItem(device.Name, device.Path);  // the identity, which the name may not tell
    }
    list->setCurrentIndex(list->findData(selected));
}

void TFormVisionSettings::refillFormats(CameraRole role) {
    TWCamera& camera = cameras_.camera(role);
    QComboBox* devices = deviceList(role);
    QComboBox* formats = formatList(role);
    camera.SetActive(false);
    camera.SetDevice(
        devices->currentIndex() >= 0
            ? TWVideoCaptureDevice{devices->currentText(), {}, devices->currentData().toString()}
            : TWVideoCaptureDevice{});
    const QSignalBlocker quiet(formats);
    formats->clear();
    listedFormats_[static_cast<int>(role)].clear();
    formats->setEnabled(!camera.GetDevicePath().isEmpty());
    if (!formats->isEnabled()) {
        return;
    }
    try {
        listedFormats_[static_cast<int>(role)] = camera.GetSupportedFormats();
    } catch (const EWCameraError&) {
        formats->setEnabled(false);  // the device has gone since the list was filled
    }
    for (const TWCameraFormat& format : listedFormats_[static_cast<int>(role)]) {
        formats->addItem(CameraFormatText(format));
    }
    formats->setCurrentIndex(-1);
}

TFormVisionSettings::StoredCamera TFormVisionSettings::storedCamera(CameraRole role) {
    MachineSettings& s = context_.settings;
    if (role == CameraRole::Up) {
        return {s.cameraUpDeviceName, s.cameraUpDeviceId, s.cameraUpFormatName};
    }
    return {s.cameraDownDeviceName, s.cameraDownDeviceId, s.cameraDownFormatName};
}

void TFormVisionSettings::startCamera(CameraRole role, bool fromButton) {
    if (fromButton) {
        context_.SelectedCamera = static_cast<int>(role);
    }
    TWCamera& camera = cameras_.camera(role);
    const QComboBox* formats = formatList(role);
    if (formats->currentIndex() >= 0) {
        try {
            camera.SetActive(false);
            const QList<TWCameraFormat> offered = camera.GetSupportedFormats();
            if (formats->currentIndex() >= offered.size()) {
                throw EWCameraError("Format not found");
            }
            camera.SetFormat(offered[formats->currentIndex()]);
            camera.SetActive(true);
        } catch (const EWCameraError& error) {
            // At start-up a camera that cannot run just stays stopped; a person who pressed
            // "Start" is told why.
            if (fromButton) {
                context_.port.showError(error.text());
            }
        }
    }
    if (camera.GetActive()) {  // it runs and sends pictures: a good choice to keep
        const StoredCamera stored = storedCamera(role);
        stored.device = deviceList(role)->currentText();
        stored.id = camera.GetDevicePath();
        stored.format = CameraFormatText(camera.GetFormat());
    }
    RefreshEnables();
    context_.port.updateButtons();
}

void TFormVisionSettings::stopCamera(CameraRole role) {
    cameras_.camera(role).SetActive(false);
    RefreshEnables();
}

int TFormVisionSettings::storedDeviceIndex(CameraRole role) {
    const StoredCamera stored = storedCamera(role);
    const QString otherId =
        storedCamera(role == CameraRole::Up ? CameraRole::Down : CameraRole::Up).id;
    const QComboBox* devices = deviceList(role);
    if (stored.device.isEmpty() && stored.id.isEmpty()) {
        // Nothing chosen yet: on the simulator its own camera is the obvious choice.
        return devices->findText(role == CameraRole::Up ? SimCameraProvider::kUpName
                                                        : SimCameraProvider::kDownName);
    }
    const int byId = stored.id.isEmpty() ? -1 : devices->findData(stored.id);
    if (byId >= 0) {
        return byId;
    }
    // The identity is gone (or was never stored): the name, but never the device the other
    // camera knows as its own, so two identical cameras cannot trade roles.
    for (int index = 0; index < devices->count(); ++index) {
        if (devices->itemText(index) == stored.device &&
            (otherId.isEmpty() || devices->itemData(index).toString() != otherId)) {
            return index;
        }
    }
    return -1;
}

void TFormVisionSettings::selectStored(CameraRole role) {
    const QString format = storedCamera(role).format;
    deviceList(role)->setCurrentIndex(storedDeviceIndex(role));
    refillFormats(role);
    const QList<TWCameraFormat>& listed = listedFormats_[static_cast<int>(role)];
    formatList(role)->setCurrentIndex(
        format.isEmpty() && !listed.isEmpty() ? 0 : FindCameraFormat(listed, format));
}

void TFormVisionSettings::StartCameras() {
    for (CameraRole role : {CameraRole::Down, CameraRole::Up}) {
        refillDevices(role);
        selectStored(role);
    }
    context_.SelectedCamera = 1;
    startCamera(CameraRole::Up, false);
    context_.SelectedCamera = 0;
    if (deviceList(CameraRole::Down)->currentIndex() >= 0) {
        startCamera(CameraRole::Down, false);
    }
    RefreshEnables();
    context_.port.updateButtons();
}

void TFormVisionSettings::selectCamera(int camera) {
    if (!Enabled) {
        return;
    }
    context_.SelectedCamera = camera;
    refreshMain();
    RefreshEnables();
}

void TFormVisionSettings::connectPositionButtons() {
    connect(ui_->ButtonGotoCamera, &QPushButton::clicked, this,
            &TFormVisionSettings::ButtonGotoCameraClick);
    connect(ui_->ButtonSetPosition, &QPushButton::clicked, this,
            &TFormVisionSettings::ButtonSetPositionClick);
}

void TFormVisionSettings::ButtonGotoCameraClick() {
    RunSequence(context_, [this] {
        context_.SelectedCamera = 1;
        context_.port.updateStatus();
        RefreshEnables();
        const MachineSettings& s = context_.settings;
        MoveHomeRelativeWithNozzleProtection(context_, s.uplookingCameraX, s.uplookingCameraY,
                                             s.uplookingCameraZ, 0, s.maxStepsPerSecond);
    });
    refreshMain();
    RefreshEnables();
}

void TFormVisionSettings::ButtonSetPositionClick() {
    SetUpCameraHere(context_);
    ShowSettings();
    RefreshEnables();
}

void TFormVisionSettings::refreshMain() {
    context_.port.updateStatus();
    context_.port.updateButtons();
}

void TFormVisionSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Enabled = false;
    PlaceAtTopRight(this);
    OldViewSelection = context_.SelectedCamera;
    (OldViewSelection == 1 ? ui_->RadioButtonUpCamera : ui_->RadioButtonDownCamera)
        ->setChecked(true);
    Enabled = true;
    ShowSettings();
    RefreshEnables();
    refreshMain();
}

void TFormVisionSettings::done(int result) {
    context_.SelectedCamera = OldViewSelection;
    context_.port.updateButtons();
    Enabled = false;
    QDialog::done(result);
}
