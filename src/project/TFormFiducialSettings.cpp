#include "project/TFormFiducialSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "project/FiducialSettings.h"
#include "project/Fiducials.h"
#include "ui_TFormFiducialSettings.h"
#include "vision/Capture.h"
#include "windowkit/DisplayLength.h"
#include "windowkit/JogPanelWidget.h"
#include "windowkit/WindowWidgets.h"

namespace {

constexpr int kSnapCaptures = 3;
constexpr int kSnapPictureSize = 100;  // pixels, the snap scaled down to fit  // the camera's first
                                       // frames may still show the move

}  // namespace

TFormFiducialSettings::TFormFiducialSettings(ProgramContext& context, SnapCutter cutProjectSnap,
                                             QWidget* parent)
    : QDialog(parent),
      context_(context),
      cutProjectSnap_(std::move(cutProjectSnap)),
      ui_(std::make_unique<Ui::TFormFiducialSettings>()) {
    ui_->setupUi(this);
    jog_ = JogPanelWidget::forSettingsWindow(context_, JogPanelWidget::AButtons::None, this);
    ui_->LayoutJog->addWidget(jog_);
    connect(ui_->CheckBoxEnableFiducial, &QCheckBox::toggled, this, [this](bool on) {
        if (Enabled) {
            context_.project.FiducialEnable = on;
            refreshMain();
            UpdateButtons();
        }
    });
    connect(ui_->CheckBoxDualFiducial, &QCheckBox::toggled, this, [this](bool on) {
        if (Enabled) {
            context_.project.DualFiducial = on;
            refreshMain();
            UpdateButtons();
        }
    });
    connectFiducial(1);
    connectFiducial(2);
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

TFormFiducialSettings::~TFormFiducialSettings() = default;

template <typename T>
T* TFormFiducialSettings::control(const QString& pattern, int fiducial) const {
    return findChild<T*>(pattern.arg(fiducial));
}

void TFormFiducialSettings::connectFiducial(int fiducial) {
    for (char axis : {'X', 'Y', 'Z'}) {
        connect(control<QLineEdit>(QString("EditFiducial%1") + axis, fiducial),
                &QLineEdit::textChanged, this,
                [this, fiducial, axis] { EditPositionChange(fiducial, axis); });
    }
    control<QLineEdit>("EditFiducial%1SnapName", fiducial)->installEventFilter(this);
    control<QLineEdit>("EditFiducial%1SnapName", fiducial)->setReadOnly(true);
    const auto onClick = [this, fiducial](const QString& name, auto operation) {
        connect(control<QPushButton>(name, fiducial), &QPushButton::clicked, this,
                [this, fiducial, operation] {
                    operation(context_, fiducial);
                    refreshMain();
                    UpdateButtons();
                });
    };
    onClick("ButtonSetFiducial%1", SetFiducialHere);
    onClick("ButtonGotoFiducial%1", GoToFiducial);
    onClick("ButtonTestFiducial%1", TestFiducial);
    connect(control<QPushButton>("ButtonFiducial%1Snap", fiducial), &QPushButton::clicked, this,
            [this, fiducial] { ButtonSnapClick(fiducial); });
}

bool TFormFiducialSettings::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int fiducial : {1, 2}) {
            if (watched == control<QLineEdit>("EditFiducial%1SnapName", fiducial)) {
                ChooseFiducialSnap(context_, fiducial);
                UpdateButtons();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormFiducialSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
    UpdateButtons();
    refreshMain();
}

void TFormFiducialSettings::refreshMain() {
    RefreshStatusAndButtons(context_);
}

void TFormFiducialSettings::UpdateButtons() {
    Enabled = false;
    const ProjectState& project = context_.project;
    const bool ready = Usable(context_);
    jog_->refreshEnabled();
    ui_->CheckBoxDualFiducial->setChecked(project.DualFiducial);
    ui_->CheckBoxEnableFiducial->setChecked(project.FiducialEnable);
    ui_->CheckBoxDualFiducial->setVisible(project.FiducialEnable);
    fillFiducial(1, ready);
    fillFiducial(2, ready);
    Enabled = true;
}

void TFormFiducialSettings::fillFiducial(int fiducial, bool ready) {
    const ProjectState& project = context_.project;
    const FiducialFields fields = FiducialFieldsOf(context_.project, fiducial);
    const bool metric = project.Metric;
    const double values[] = {fields.x, fields.y, fields.z};
    const char axes[] = {'X', 'Y', 'Z'};
    for (int i = 0; i < 3; ++i) {
        QLineEdit* box = control<QLineEdit>(QString("EditFiducial%1") + axes[i], fiducial);
        box->setText(FormatLength(values[i], metric));
        ShowEditVerdict(box, true);
    }
    control<QLineEdit>("EditFiducial%1SnapName", fiducial)->setText(fields.snapName);
    // A held part would be dropped by the protected moves of Set's neighbours.
    const bool free = ready && !context_.cycle.PartOnNozzle;
    control<QPushButton>("ButtonSetFiducial%1", fiducial)->setEnabled(ready);
    control<QPushButton>("ButtonGotoFiducial%1", fiducial)->setEnabled(free);
    QPushButton* snapButton = control<QPushButton>("ButtonFiducial%1Snap", fiducial);
    snapButton->setEnabled(ready);
    snapButton->setVisible(static_cast<bool>(cutProjectSnap_));
    const bool snapShown = ShowSnapOrPlaceholder(
        control<QLabel>("ImageFiducial%1", fiducial), control<QLabel>("ImageNoSnap%1", fiducial),
        ResolveSnapPath(FiducialSnapPath(project, fiducial)), kSnapPictureSize);
    control<QPushButton>("ButtonTestFiducial%1", fiducial)->setEnabled(snapShown && ready);
}

void TFormFiducialSettings::EditPositionChange(int fiducial, char axis) {
    if (!Enabled) {
        return;
    }
    QLineEdit* box = control<QLineEdit>(QString("EditFiducial%1") + axis, fiducial);
    const FiducialAxis which = axis == 'X'   ? FiducialAxis::X
                               : axis == 'Y' ? FiducialAxis::Y
                                             : FiducialAxis::Z;
    ShowEditVerdict(box, EditFiducialPosition(context_, fiducial, which, box->text()));
}

void TFormFiducialSettings::ButtonSnapClick(int fiducial) {
    context_.SelectedCamera = 0;
    context_.port.updateButtons();
    if (!CaptureDownlookingFrames(context_, kSnapCaptures)) {
        Fail(context_, "CAMERA FAILED");
        return;
    }
    QString name;
    if (cutProjectSnap_(*context_.vision.ImageDownlooking, name)) {
        FiducialFieldsOf(context_.project, fiducial).snapName = name;
        context_.project.ProjectModified = true;
        UpdateButtons();
    }
}
