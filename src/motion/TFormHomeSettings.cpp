#include "motion/TFormHomeSettings.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "settings/NumberText.h"
#include "ui_TFormHomeSettings.h"
#include "vision/Capture.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

namespace {

constexpr int kSnapCaptures = 3;  // the last of three frames in a row is cut

}  // namespace

TFormHomeSettings::TFormHomeSettings(ProgramContext& context, SpecialSnap createSpecialSnap,
                                     QWidget* parent)
    : QDialog(parent),
      context_(context),
      createSpecialSnap_(std::move(createSpecialSnap)),
      ui_(std::make_unique<Ui::TFormHomeSettings>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::None, this);
    ui_->LayoutJog->addWidget(jog_);
    for (QLabel* noSnap : {ui_->ImageNoSnap1, ui_->ImageNoSnap2}) {
        noSnap->setText("NO SNAP");
    }
    MachineSettings& s = context_.settings;
    connectEdit(ui_->EditHome1X, HomeSettingEdit::Home1X, s.home1X);
    connectEdit(ui_->EditHome1Y, HomeSettingEdit::Home1Y, s.home1Y);
    connectEdit(ui_->EditHome1Z, HomeSettingEdit::HomeZ, s.home1Z);
    connectEdit(ui_->EditHome2X, HomeSettingEdit::Home2X, s.home2X);
    connectEdit(ui_->EditHome2Y, HomeSettingEdit::Home2Y, s.home2Y);
    connectEdit(ui_->EditHome2Z, HomeSettingEdit::HomeZ, s.home2Z);
    connectEdit(ui_->EditParkX, HomeSettingEdit::ParkX, s.parkX);
    connectEdit(ui_->EditParkY, HomeSettingEdit::ParkY, s.parkY);
    connectButtons();
}

TFormHomeSettings::~TFormHomeSettings() = default;

void TFormHomeSettings::connectEdit(QLineEdit* edit, HomeSettingEdit kind, double& setting) {
    // The values are taught with the buttons, never typed.
    edit->setReadOnly(true);
    connect(edit, &QLineEdit::textChanged, this, [this, edit, kind, &setting] {
        if (filling_) {
            return;
        }
        const auto value = ParseReal(edit->text());
        const bool accepted = value && HomeSettingInRange(context_, kind, *value);
        if (accepted) {
            setting = *value;
        }
        ShowEditVerdict(edit, accepted);
    });
}

void TFormHomeSettings::connectButtons() {
    connect(ui_->ButtonSetHome1, &QPushButton::clicked, this, [this] {
        if (SetHome1Here(context_)) {
            afterChange();
        }
    });
    connect(ui_->ButtonSetHome2, &QPushButton::clicked, this, [this] {
        if (SetHome2Here(context_)) {
            afterChange();
        }
    });
    connect(ui_->ButtonSetPark, &QPushButton::clicked, this, [this] {
        SetParkHere(context_);
        afterChange();
    });
    connect(ui_->ButtonGotoHome1, &QPushButton::clicked, this, [this] {
        GoToHomeMark(context_, HomeMark::Home1);
        afterMove();
    });
    connect(ui_->ButtonGotoHome2, &QPushButton::clicked, this, [this] {
        GoToHomeMark(context_, HomeMark::Home2);
        afterMove();
    });
    connect(ui_->ButtonGotoPark, &QPushButton::clicked, this, [this] {
        GoToPark(context_);
        afterMove();
    });
    connect(ui_->ButtonTestHome1, &QPushButton::clicked, this, [this] {
        TestHomeMark(context_, HomeMark::Home1);
        refreshButtons();
    });
    connect(ui_->ButtonTestHome2, &QPushButton::clicked, this, [this] {
        TestHomeMark(context_, HomeMark::Home2);
        refreshButtons();
    });
    connect(ui_->ButtonHome1Snap, &QPushButton::clicked, this,
            [this] { takeSnap(HomeMark::Home1); });
    connect(ui_->ButtonHome2Snap, &QPushButton::clicked, this,
            [this] { takeSnap(HomeMark::Home2); });
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormHomeSettings::takeSnap(HomeMark mark) {
    context_.SelectedCamera = 0;
    context_.port.updateButtons();
    if (!CaptureDownlookingFrames(context_, kSnapCaptures)) {
        Fail(context_, "CAMERA FAILED");
        return;
    }
    createSpecialSnap_(*context_.vision.ImageDownlooking, HomeMarkSnapPath(context_, mark));
    afterChange();
}

void TFormHomeSettings::fill() {
    filling_ = true;
    const MachineSettings& s = context_.settings;
    const auto show = [](QLineEdit* edit, double value) {
        edit->setText(FormatFixed(value, 3));
        ShowEditVerdict(edit, true);
    };
    show(ui_->EditHome1X, s.home1X);
    show(ui_->EditHome1Y, s.home1Y);
    show(ui_->EditHome1Z, s.home1Z);
    show(ui_->EditHome2X, s.home2X);
    show(ui_->EditHome2Y, s.home2Y);
    show(ui_->EditHome2Z, s.home2Z);
    show(ui_->EditParkX, s.parkX);
    show(ui_->EditParkY, s.parkY);
    showSnap(HomeMark::Home1, ui_->ImageHome1, ui_->ImageNoSnap1);
    showSnap(HomeMark::Home2, ui_->ImageHome2, ui_->ImageNoSnap2);
    filling_ = false;
}

void TFormHomeSettings::showSnap(HomeMark mark, QLabel* image, QLabel* noSnap) {
    ShowSnapOrPlaceholder(image, noSnap, ResolveSnapPath(HomeMarkSnapPath(context_, mark)));
}

void TFormHomeSettings::refreshButtons() {
    const MachineSettings& s = context_.settings;
    const bool usable = Usable(context_);
    const bool camera = usable && s.visualHome;
    const bool home2 = usable && s.dualYAxis;
    const bool snaps = camera && createSpecialSnap_;
    jog_->refreshEnabled();
    for (QWidget* control :
         {static_cast<QWidget*>(ui_->ButtonSetHome1), static_cast<QWidget*>(ui_->ButtonGotoHome1),
          static_cast<QWidget*>(ui_->ButtonGotoPark), static_cast<QWidget*>(ui_->ButtonSetPark)}) {
        control->setEnabled(usable);
    }
    ui_->ButtonHome1Snap->setEnabled(snaps);
    ui_->ButtonTestHome1->setEnabled(camera);
    ui_->ButtonSetHome2->setEnabled(home2);
    ui_->ButtonGotoHome2->setEnabled(home2);
    ui_->ButtonHome2Snap->setEnabled(snaps && s.dualYAxis);
    ui_->ButtonTestHome2->setEnabled(camera && s.dualYAxis);
    ui_->GroupBoxHome2Settings->setVisible(s.dualYAxis);
}

void TFormHomeSettings::afterMove() {
    RefreshStatusAndButtons(context_);
    refreshButtons();
}

void TFormHomeSettings::afterChange() {
    fill();
    refreshButtons();
}

void TFormHomeSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
    fill();
    refreshButtons();
    RefreshStatusAndButtons(context_);
}
