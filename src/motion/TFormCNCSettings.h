#pragma once

#include <QDialog>
#include <map>
#include <memory>

namespace Ui {
class TFormCNCSettings;
}
class JogPanelWidget;
class QLineEdit;
class QPushButton;
class QStringView;
struct CNCSettingField;
struct MachineSettings;
struct ProgramContext;

// "CNC Settings": the controller parameters, soft limits, scaling and part-handling values,
// and a small test bench (HOME, RESET, press-and-hold output buttons, jog panel).
class TFormCNCSettings : public QDialog {
    Q_OBJECT

public:
    TFormCNCSettings(ProgramContext& context, QWidget* parent = nullptr);
    ~TFormCNCSettings() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using OutputSwitch = void (*)(ProgramContext&, bool);
    // A press-and-hold test button. Its release, and closing the window, switch off only what
    // its press switched on: an output already on (the vacuum of a held part) stays on.
    struct OutputButton {
        int output;  // OutputIndex
        OutputSwitch switchOutput;
        bool switchedOn = false;
    };
    void connectOutputButton(QPushButton* button, int output, OutputSwitch switchOutput);
    void fill();
    void refreshButtons();
    void refreshMain();
    void EditChange(const CNCSettingField& field);
    void CheckBoxChange(bool& setting, bool checked);
    // The controller group: the choice, LinuxCNC's address and the restart note.
    void connectControllerChoice();
    void fillControllerChoice();
    void RadioButtonControllerClick(const char* controller);
    void EditLinuxCncAddressChange(QLineEdit* edit, bool (*apply)(MachineSettings&, QStringView));
    void refreshControllerChoice();
    void ButtonHomeClick();
    void ButtonResetClick();
    void switchTestOutputsOff();

    ProgramContext& context_;
    std::unique_ptr<Ui::TFormCNCSettings> ui_;
    JogPanelWidget* jog_;
    std::map<QObject*, OutputButton> outputButtons_;
    bool filling_ = false;
};
