#include "vision/LiveVideoWidget.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "vision/CameraSet.h"
#include "vision/Capture.h"
#include "vision/PictureWidget.h"
#include "vision/TFormCreateSnap.h"
#include "vision/VideoRulersWidget.h"

namespace {

// Before a camera has shown a frame the rulers assume the working images' size.
const QSize kDefaultFrame(800, 600);

PictureWidget* makeCameraPanel(QWidget* parent, const QString& name, const QString& touchName) {
    auto* panel = new PictureWidget(parent);
    panel->setObjectName(name);
    auto* touch = new QLabel(panel);
    touch->setObjectName(touchName);
    touch->setAlignment(Qt::AlignCenter);
    touch->setAttribute(Qt::WA_TransparentForMouseEvents);  // the panel takes the press
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(touch);
    return panel;
}

// A stopped camera's last picture: grey, darker and flatter, so it is never taken for a live
// one and the notice over it reads well.
QImage stoppedPicture(const QImage& picture) {
    QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        uchar* row = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            row[x] = static_cast<uchar>(48 + row[x] * 3 / 8);
        }
    }
    return grey;
}

QString stoppedNotice(const TWCamera& camera) {
    const QString next = camera.DeviceListed()
                             ? "Press Start in Settings, Vision to run it again."
                             : "Plug it in again, then press Start in Settings, Vision.";
    return "<p style='font-size:26pt; font-weight:bold'>CAMERA STOPPED</p><p>" +
           camera.LostReason().toHtmlEscaped() + "</p><p>" + next + "</p>";
}

// Over the picture and its rulers, in a dark box that keeps it readable on any picture.
QLabel* makeStoppedNotice(QWidget* parent, const QString& name) {
    auto* notice = new QLabel(parent);
    notice->setObjectName(name);
    notice->setAlignment(Qt::AlignCenter);
    notice->setStyleSheet(
        "QLabel { color: #ff4040; background-color: rgba(0, 0, 0, 230); font-size: 13pt;"
        " padding: 6px 24px; border: 2px solid #ff4040; }");
    notice->setAttribute(Qt::WA_TransparentForMouseEvents);  // a press still reaches the picture
    notice->hide();
    return notice;
}

}  // namespace

LiveVideoWidget::LiveVideoWidget(ProgramContext& context, CameraSet& cameras,
                                 TFormCreateSnap& snapWindow, QWidget* parent)
    : QWidget(parent), context_(context), cameras_(cameras), snapWindow_(snapWindow) {
    setObjectName("LiveVideo");
    buildVideoPanel();
    buildCameraSelection();
    for (CameraRole role : {CameraRole::Down, CameraRole::Up}) {
        connect(&cameras_.camera(role), &TWCamera::imageAvailable, this,
                [this, role] { showFrame(role); });
        connect(&cameras_.camera(role), &TWCamera::stateChanged, this,
                [this, role] { showState(role); });
        connect(panelOf(role), &PictureWidget::pressed, this,
                [this, role] { PanelCameraClick(role); });
    }
    UpdateCameraSelection();
}

void LiveVideoWidget::buildVideoPanel() {
    PanelLiveVideo = new QWidget(this);
    PanelLiveVideo->setObjectName("PanelLiveVideo");
    PanelLiveVideo->setAutoFillBackground(true);
    QPalette palette = PanelLiveVideo->palette();
    palette.setColor(QPalette::Window, Qt::blue);
    PanelLiveVideo->setPalette(palette);
    PanelLiveVideo->setMinimumSize(320, 240);
    PanelLiveVideo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    PanelLiveVideo->installEventFilter(this);
    PanelCameraDown = makeCameraPanel(PanelLiveVideo, "PanelCameraDown", "LabelVideoTouchDown");
    PanelCameraUp = makeCameraPanel(PanelLiveVideo, "PanelCameraUp", "LabelVideoTouchUp");
    PanelVideoCrossHairX = CreateOverlayLine(PanelLiveVideo, "PanelVideoCrossHairX", Qt::magenta);
    PanelVideoCrossHairY = CreateOverlayLine(PanelLiveVideo, "PanelVideoCrossHairY", Qt::magenta);
    CreateRulerPanels(PanelLiveVideo);
    LabelCameraStoppedDown = makeStoppedNotice(PanelLiveVideo, "LabelCameraStoppedDown");
    LabelCameraStoppedUp = makeStoppedNotice(PanelLiveVideo, "LabelCameraStoppedUp");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PanelLiveVideo, 1);
}

void LiveVideoWidget::buildCameraSelection() {
    auto* group = new QGroupBox("Camera Selection", this);
    group->setObjectName("GroupBoxCameraSelection");
    RadioButtonDownCamera = new QRadioButton("Down", group);
    RadioButtonDownCamera->setObjectName("RadioButtonDownCamera");
    RadioButtonDownCamera->setChecked(true);
    RadioButtonUpCamera = new QRadioButton("Up", group);
    RadioButtonUpCamera->setObjectName("RadioButtonUpCamera");
    auto* row = new QHBoxLayout(group);
    row->addWidget(RadioButtonDownCamera);
    row->addWidget(RadioButtonUpCamera);
    row->addStretch();
    static_cast<QVBoxLayout*>(layout())->addWidget(group);
    connect(RadioButtonDownCamera, &QRadioButton::clicked, this, [this] { selectCamera(0); });
    connect(RadioButtonUpCamera, &QRadioButton::clicked, this, [this] { selectCamera(1); });
}

void LiveVideoWidget::selectCamera(int camera) {
    context_.SelectedCamera = camera;
    context_.port.updateButtons();
}

PictureWidget* LiveVideoWidget::panelOf(CameraRole role) const {
    return role == CameraRole::Up ? PanelCameraUp : PanelCameraDown;
}

void LiveVideoWidget::UpdateCameraSelection() {
    const CameraRole shown = context_.SelectedCamera == 1 ? CameraRole::Up : CameraRole::Down;
    const CameraRole hidden = shown == CameraRole::Up ? CameraRole::Down : CameraRole::Up;
    panelOf(hidden)->hide();
    panelOf(shown)->show();
    cameras_.camera(hidden).SetPreviewWanted(false);
    cameras_.camera(shown).SetPreviewWanted(true);
    if (context_.SelectedCamera != laidOutCamera_) {
        UpdateVideoGridRulers();
    }
    (shown == CameraRole::Up ? RadioButtonUpCamera : RadioButtonDownCamera)->setChecked(true);
    placeStoppedNotices();
}

QSize LiveVideoWidget::frameSizeOf(CameraRole role) const {
    // The live picture may be made smaller than the frame: the format tells the frame's size.
    const TWCamera& camera = cameras_.camera(role);
    if (camera.GetActive()) {
        return QSize(camera.GetFormat().Width, camera.GetFormat().Height);
    }
    const QImage& picture = panelOf(role)->image();
    return picture.isNull() ? kDefaultFrame : picture.size();
}

void LiveVideoWidget::UpdateVideoGridRulers() {
    const CameraRole role = context_.SelectedCamera == 1 ? CameraRole::Up : CameraRole::Down;
    const double viewWidth = role == CameraRole::Up
                                 ? context_.settings.uplookingCameraViewWidthMM
                                 : context_.settings.downlookingCameraViewWidthMM;
    const QRect panel = panelOf(role)->geometry();
    const QSize frame = frameSizeOf(role);
    const std::optional<RulerLayout> layout = LayOutRulers(panel, frame, viewWidth);
    laidOutCamera_ = context_.SelectedCamera;
    laidOutFrame_ = frame;
    if (!layout) {
        return;  // nothing to measure against yet (no size or no view width)
    }
    PanelLiveVideo->setUpdatesEnabled(false);
    PlaceCrossHairs(PanelVideoCrossHairX, PanelVideoCrossHairY, panel);
    PlaceRulerPanels(PanelLiveVideo, layout);
    PanelLiveVideo->setUpdatesEnabled(true);
}

void LiveVideoWidget::showFrame(CameraRole role) {
    TWCamera& camera = cameras_.camera(role);
    if (camera.IsLost()) {
        return;  // the stopped picture stays until the camera runs again
    }
    panelOf(role)->setImage(camera.PreviewImage());
    if (static_cast<int>(role) == context_.SelectedCamera && frameSizeOf(role) != laidOutFrame_) {
        UpdateVideoGridRulers();
    }
}

void LiveVideoWidget::showState(CameraRole role) {
    const TWCamera& camera = cameras_.camera(role);
    const int index = static_cast<int>(role);
    if (!camera.IsLost()) {
        stoppedShown_[index] = false;
    } else if (!stoppedShown_[index]) {
        stoppedShown_[index] = true;
        panelOf(role)->setImage(stoppedPicture(panelOf(role)->image()));
        context_.port.speak(role == CameraRole::Up ? "Up camera stopped" : "Down camera stopped");
    }
    noticeOf(role)->setText(camera.IsLost() ? stoppedNotice(camera) : QString());
    placeStoppedNotices();
}

QLabel* LiveVideoWidget::noticeOf(CameraRole role) const {
    return role == CameraRole::Up ? LabelCameraStoppedUp : LabelCameraStoppedDown;
}

void LiveVideoWidget::placeStoppedNotices() {
    for (CameraRole role : {CameraRole::Down, CameraRole::Up}) {
        QLabel* notice = noticeOf(role);
        const bool shown =
            !notice->text().isEmpty() && static_cast<int>(role) == context_.SelectedCamera;
        notice->setVisible(shown);
        if (shown) {
            notice->adjustSize();
            // In the upper part, clear of the centre cross the operator aims with.
            notice->move((PanelLiveVideo->width() - notice->width()) / 2,
                         PanelLiveVideo->height() / 5 - notice->height() / 2);
            notice->raise();
        }
    }
}

bool LiveVideoWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelLiveVideo && event->type() == QEvent::Resize) {
        // The cameras make their live pictures no larger than the screen shows them.
        const QSize shown = PanelLiveVideo->size() * PanelLiveVideo->devicePixelRatio();
        for (CameraRole role : {CameraRole::Down, CameraRole::Up}) {
            panelOf(role)->setGeometry(PanelLiveVideo->rect());
            cameras_.camera(role).SetPreviewSize(shown);
        }
        UpdateVideoGridRulers();
        placeStoppedNotices();
    }
    return QWidget::eventFilter(watched, event);
}

void LiveVideoWidget::PanelCameraClick(CameraRole role) {
    // A project snap needs a project to go into, and the snap window would halt a running
    // machine sequence while it is open.
    if (!context_.project.ProjectOpen || SequenceRunning(context_)) {
        return;
    }
    const bool captured =
        role == CameraRole::Up ? CaptureUplooking(context_) : CaptureDownlooking(context_);
    const ImagePtr& image =
        role == CameraRole::Up ? context_.vision.ImageUplooking : context_.vision.ImageDownlooking;
    if (!captured || !image) {
        Fail(context_, "CAMERA FAILED");
        return;
    }
    snapWindow_.CreateProjectSnap(*image, role);
}
