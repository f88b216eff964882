#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "motion/HomeCalibration.h"

namespace Ui {
class TFormHomeSettings;
}
class JogPanelWidget;
class QLabel;
class QLineEdit;
struct TBitmap32;
struct ProgramContext;

// "Home Settings": teaches the Home 1 and Home 2 marks, their reference snaps and the park
// position, and tests that the marks are found.
class TFormHomeSettings : public QDialog {
    Q_OBJECT

public:
    // Lets the operator cut a snap from a frame and writes it to the given file without asking
    // for a name; true when written. Without one the snap buttons stay disabled.
    using SpecialSnap = std::function<bool(const TBitmap32& frame, const QString& path)>;

    TFormHomeSettings(ProgramContext& context, SpecialSnap createSpecialSnap,
                      QWidget* parent = nullptr);
    ~TFormHomeSettings() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectEdit(QLineEdit* edit, HomeSettingEdit kind, double& setting);
    void connectButtons();
    void fill();
    void showSnap(HomeMark mark, QLabel* image, QLabel* noSnap);
    void refreshButtons();
    void afterMove();
    void afterChange();
    void takeSnap(HomeMark mark);

    ProgramContext& context_;
    SpecialSnap createSpecialSnap_;
    std::unique_ptr<Ui::TFormHomeSettings> ui_;
    JogPanelWidget* jog_;
    bool filling_ = false;
};
