#pragma once

#include <QSize>
#include <QWidget>

#include "vision/FrameSource.h"

class CameraSet;
class PictureWidget;
class QLabel;
class QRadioButton;
class TFormCreateSnap;
struct ProgramContext;

// The main window's live picture: one camera at a time (SelectedCamera) in PanelLiveVideo,
// with the magenta cross-hair, the small red cross and the yellow millimetre ticks, and the
// "Camera Selection" group. A press on the picture cuts a project snap from that camera.
class LiveVideoWidget : public QWidget {
    Q_OBJECT

public:
    LiveVideoWidget(ProgramContext& context, CameraSet& cameras, TFormCreateSnap& snapWindow,
                    QWidget* parent = nullptr);

    // Shows the panel of SelectedCamera and checks its radio button; lays the rulers out when
    // the camera differs from the one they were last laid out for.
    void UpdateCameraSelection();
    // Lays the overlay out for the selected camera's panel, view width and frame proportions.
    void UpdateVideoGridRulers();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildVideoPanel();
    void buildCameraSelection();
    PictureWidget* panelOf(CameraRole role) const;
    void showFrame(CameraRole role);
    // A lost camera: its last picture greyed under "CAMERA STOPPED" and why, said once.
    void showState(CameraRole role);
    QLabel* noticeOf(CameraRole role) const;
    // The selected camera's notice, if it is stopped, centred over the picture; the other hidden.
    void placeStoppedNotices();
    QSize frameSizeOf(CameraRole role) const;
    void PanelCameraClick(CameraRole role);
    void selectCamera(int camera);

    ProgramContext& context_;
    CameraSet& cameras_;
    TFormCreateSnap& snapWindow_;
    QWidget* PanelLiveVideo;
    PictureWidget* PanelCameraDown;
    PictureWidget* PanelCameraUp;
    QWidget* PanelVideoCrossHairX;
    QWidget* PanelVideoCrossHairY;
    QLabel* LabelCameraStoppedDown;
    QLabel* LabelCameraStoppedUp;
    QRadioButton* RadioButtonDownCamera;
    QRadioButton* RadioButtonUpCamera;
    int laidOutCamera_ = -1;
    QSize laidOutFrame_;
    bool stoppedShown_[2] = {false, false};
};
