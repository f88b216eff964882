#include "vision/TFormCreateSnap.h"

#include <QPushButton>

#include "context/ProgramContext.h"
#include "ui_TFormCreateSnap.h"
#include "vision/PictureWidget.h"
#include "vision/VideoRulersWidget.h"

namespace {

const char* const kBoxPanels[] = {"PanelReferenceBoxLeft", "PanelReferenceBoxRight",
                                  "PanelReferenceBoxTop", "PanelReferenceBoxBottom"};

}  // namespace

TFormCreateSnap::TFormCreateSnap(ProgramContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui::TFormCreateSnap>()) {
    ui_->setupUi(this);
    setFixedSize(1042, 821);
    QWidget* panel = ui_->PanelReference;
    PanelReferenceCrosshairX = CreateOverlayLine(panel, "PanelReferenceCrosshairX", Qt::magenta);
    PanelReferenceCrosshairY = CreateOverlayLine(panel, "PanelReferenceCrosshairY", Qt::magenta);
    CreateRulerPanels(panel);
    for (const char* name : kBoxPanels) {
        CreateOverlayLine(panel, name, Qt::green);
    }
    connect(ui_->ImageMain, &PictureWidget::pressed, this, &TFormCreateSnap::ImageMainMouseDown);
    connect(ui_->ButtonOk, &QPushButton::clicked, this, &TFormCreateSnap::ButtonOkClick);
    connect(ui_->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormCreateSnap::~TFormCreateSnap() = default;

bool TFormCreateSnap::CreateProjectSnap(const TBitmap32& image, CameraRole camera) {
    return execute(image, SnapDestination::Project, {}, camera);
}

bool TFormCreateSnap::CreateSystemSnap(const TBitmap32& image, CameraRole camera) {
    return execute(image, SnapDestination::System, {}, camera);
}

bool TFormCreateSnap::CreateSpecialSnap(const TBitmap32& image, const QString& fileName,
                                        CameraRole camera) {
    return execute(image, SnapDestination::Special, fileName, camera);
}

bool TFormCreateSnap::execute(const TBitmap32& image, SnapDestination destination,
                              const QString& special, CameraRole camera) {
    destination_ = destination;
    SpecialFilename = special;
    camera_ = camera;
    ImageSnap = cloneImage(&image);
    QImage picture;
    imageToPicture(ImageSnap.get(), picture);
    ui_->ImageMain->setImage(picture);
    exec();
    ImageSnap.reset();
    return ActionResult;
}

void TFormCreateSnap::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    layOutOverlay();
    for (const char* name : kBoxPanels) {
        ui_->PanelReference->findChild<QWidget*>(name)->hide();
    }
    ui_->ButtonOk->setEnabled(false);
    ActionResult = false;
}

void TFormCreateSnap::layOutOverlay() {
    const QRect picture = ui_->ImageMain->geometry();
    const double viewWidth = camera_ == CameraRole::Up
                                 ? context_.settings.uplookingCameraViewWidthMM
                                 : context_.settings.downlookingCameraViewWidthMM;
    const std::optional<RulerLayout> layout =
        LayOutRulers(picture, ui_->ImageMain->image().size(), viewWidth);
    PlaceCrossHairs(PanelReferenceCrosshairX, PanelReferenceCrosshairY, picture);
    PlaceRulerPanels(ui_->PanelReference, layout);
}

void TFormCreateSnap::ImageMainMouseDown(QPoint position) {
    const QSize control = ui_->ImageMain->size();
    const SnapBox box = SnapBoxForPress(control, position);
    const QPoint offset = ui_->ImageMain->pos();
    const auto outline = box.outline();
    for (int side = 0; side < 4; ++side) {
        QWidget* line = ui_->PanelReference->findChild<QWidget*>(kBoxPanels[side]);
        line->setGeometry(outline[side].translated(offset));
        line->show();
        line->raise();
    }
    window_ = SnapWindowInFrame(box, control, QSize(ImageSnap->Width, ImageSnap->Height));
    ui_->ButtonOk->setEnabled(true);
}

void TFormCreateSnap::ButtonOkClick() {
    ActionResult =
        SaveSnap(context_, *ImageSnap, window_, destination_, SpecialFilename, &FileName);
    if (ActionResult) {
        QImage cut;
        const ImagePtr shown = copyWindow(*ImageSnap, window_);
        imageToPicture(shown.get(), cut);
        ui_->ImageMain->setImage(cut);
    }
    ActionResult ? accept() : reject();
}
