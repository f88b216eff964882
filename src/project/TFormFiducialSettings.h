#pragma once

#include <QDialog>
#include <memory>

#include "windowkit/SnapCutter.h"

namespace Ui {
class TFormFiducialSettings;
}
class JogPanelWidget;
class QLineEdit;
struct ProgramContext;

// "Fiducial Settings": teaches the board's two fiducial marks (position, head height, snap),
// moves the camera to them, takes their snaps and tests that they are found.
class TFormFiducialSettings : public QDialog {
    Q_OBJECT

public:
    // `cutProjectSnap` saves a snap into the project folder; without one "Take Snap" is hidden.
    TFormFiducialSettings(ProgramContext& context, SnapCutter cutProjectSnap,
                          QWidget* parent = nullptr);
    ~TFormFiducialSettings() override;

    // Fills the boxes and pictures and sets the enabled and visible states.
    void UpdateButtons();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectFiducial(int fiducial);
    void fillFiducial(int fiducial, bool ready);
    void EditPositionChange(int fiducial, char axis);
    void ButtonSnapClick(int fiducial);
    void refreshMain();
    template <typename T>
    T* control(const QString& pattern, int fiducial) const;

    ProgramContext& context_;
    SnapCutter cutProjectSnap_;
    std::unique_ptr<Ui::TFormFiducialSettings> ui_;
    JogPanelWidget* jog_;
    bool Enabled = false;
};
