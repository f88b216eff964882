#pragma once

#include <QDialog>
#include <memory>

#include "vision/FrameSource.h"
#include "vision/Image.h"
#include "vision/SnapBox.h"
#include "vision/SnapFiles.h"

namespace Ui {
class TFormCreateSnap;
}
struct ProgramContext;

// "Create Snap": shows a captured frame; one press draws a box centred on the picture, "Save"
// cuts the box out and writes it as a snap. The frame's camera gives the rulers their scale.
class TFormCreateSnap : public QDialog {
    Q_OBJECT

public:
    explicit TFormCreateSnap(ProgramContext& context, QWidget* parent = nullptr);
    ~TFormCreateSnap() override;

    // Into the project folder, under a typed name (the live picture, the fiducial settings).
    bool CreateProjectSnap(const TBitmap32& image, CameraRole camera = CameraRole::Down);
    // Into the system settings folder, under a typed name (the feeders' snaps); FileName then
    // holds the name without extension.
    bool CreateSystemSnap(const TBitmap32& image, CameraRole camera = CameraRole::Down);
    // To `fileName` without asking, replacing it (the home marks' snaps).
    bool CreateSpecialSnap(const TBitmap32& image, const QString& fileName,
                           CameraRole camera = CameraRole::Down);

    bool ActionResult = false;
    QString FileName;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool execute(const TBitmap32& image, SnapDestination destination, const QString& special,
                 CameraRole camera);
    void layOutOverlay();
    void ImageMainMouseDown(QPoint position);
    void ButtonOkClick();

    ProgramContext& context_;
    std::unique_ptr<Ui::TFormCreateSnap> ui_;
    QWidget* PanelReferenceCrosshairX;
    QWidget* PanelReferenceCrosshairY;
    ImagePtr ImageSnap;
    SnapDestination destination_ = SnapDestination::Project;
    QString SpecialFilename;
    CameraRole camera_ = CameraRole::Down;
    WindowBounds window_;
};
