#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "vision/FrameSource.h"
#include "vision/WCamera.h"

namespace Ui {
class TFormVisionSettings;
}
class CameraSet;
class JogPanelWidget;
class QComboBox;
class QLineEdit;
struct ProgramContext;

// "Vision Settings": chooses, starts and stops the two cameras, edits the view widths,
// settling delays, enlargements, search limits and the up camera's position, and teaches that
// position with the jog panel.
class TFormVisionSettings : public QDialog {
    Q_OBJECT

public:
    // `rulersChanged` lays the live picture's rulers out again after a view width changes.
    TFormVisionSettings(ProgramContext& context, CameraSet& cameras,
                        std::function<void()> rulersChanged, QWidget* parent = nullptr);
    ~TFormVisionSettings() override;

    // At start-up: selects the stored devices and formats and starts the cameras that have
    // both. A stored device that is gone leaves its camera stopped. With nothing stored, the
    // simulator's cameras are taken when the controller library offers them.
    void StartCameras();
    void ShowSettings();
    void RefreshEnables();

    bool Enabled = false;  // while false, the edits and radio buttons change nothing
    int OldViewSelection = 0;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    struct EditRule;
    // A camera's choice in the machine settings.
    struct StoredCamera {
        QString& device;
        QString& id;
        QString& format;
    };
    StoredCamera storedCamera(CameraRole role);
    // The listed device the settings name: by identity, else by name.
    int storedDeviceIndex(CameraRole role);
    void connectCamera(CameraRole role);
    void connectEdits();
    void connectPositionButtons();
    QComboBox* deviceList(CameraRole role) const;
    QComboBox* formatList(CameraRole role) const;
    void refillDevices(CameraRole role);
    void refillFormats(CameraRole role);
    void selectStored(CameraRole role);
    void startCamera(CameraRole role, bool fromButton);
    void stopCamera(CameraRole role);
    void editChanged(const EditRule& rule);
    void selectCamera(int camera);
    void ButtonSetPositionClick();
    void ButtonGotoCameraClick();
    void refreshMain();

    ProgramContext& context_;
    CameraSet& cameras_;
    std::function<void()> rulersChanged_;
    std::unique_ptr<Ui::TFormVisionSettings> ui_;
    JogPanelWidget* jog_;
    std::vector<EditRule> rules_;
    std::array<QList<TWCameraFormat>, 2> listedFormats_;  // as the format lists show them
};
