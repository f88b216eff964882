#pragma once

#include <QMainWindow>
#include <QSettings>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/TFormMainDialogs.h"
#include "context/OperatorPort.h"
#include "context/ProgramContext.h"
#include "handling/MachineCheck.h"
#include "handling/PlacementCycle.h"
#include "windowkit/MainWindowPanel.h"

namespace Ui {
class TFormMain;
}
class CameraSet;
class LiveVideoWidget;
class QDialog;
class QTimer;
class TFormCNCSettings;
class TFormConfirmNozzleSelection;
class TFormCreateSnap;
class TFormFeeders;
class TFormFiducialSettings;
class TFormHomeSettings;
class TFormImportPlaceFile;
class TFormMachineCheck;
class TFormNewProject;
class TFormNozzleChanger;
class TFormNozzleOffset;
class TFormRejectTray;
class TFormVisionSettings;
class TFormVisionTest;

// The main window: status and position read-outs, the machine buttons, the menus, and the
// panels of the later subsystems. It is the program's operator port.
class TFormMain : public QMainWindow, public OperatorPort {
    Q_OBJECT

public:
    // Opens the machine settings store afresh for each load or save.
    using SettingsStoreOpener = std::function<std::unique_ptr<QSettings>()>;

    // `people`: where messages, questions and speech go instead of real dialogs (tests pass
    // a scripted port).
    TFormMain(Clock& clock, std::shared_ptr<const MotrixApi> api, SettingsStoreOpener openStore,
              OperatorPort* people = nullptr);
    ~TFormMain() override;

    ProgramContext& context() { return context_; }

    // Shows a settings window modally with the main jog panel hidden, then saves the machine
    // settings and refreshes. While it is open, the position read-out is home-relative when
    // the window shows the machine frame, and the window is disabled as a whole (each control
    // keeping its own rule) while a machine sequence runs, and cannot be closed then.
    void runSettingsWindow(QDialog& window, bool machineFrame = true);

    // The start-up step, run by TimerStartup one second after the window is first shown.
    void startUp();

    void speak(const QString& text) override;
    void updateStatus() override;
    void updateButtons() override;
    void updatePartList() override;
    void showError(const QString& text) override;
    void showInformation(const QString& text) override;
    Answer ask(const QString& question, bool withCancel) override;
    Answer askChoice(const QString& question, const QString& yesCaption, const QString& noCaption,
                     const QString& cancelCaption, Answer preferred) override;
    QString chooseOpenFile(const FileDialogRequest& request) override;
    QString chooseSaveFile(const FileDialogRequest& request) override;
    void beep() override;

protected:
    void handlePendingMessages() override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void formShow();
    void connectControls();
    void addJogPanel();
    void addProjectPanels();
    void addVisionWindows();
    // Park and Go To Camera: a nozzle-protected home-relative move with the up camera shown.
    void moveToFixedPosition(double x, double y, double z);
    void applyEnabledStates();
    void applyProjectVisibility();
    // The main window's own controls named `name` (a widget, a menu, an action).
    const std::vector<QObject*>& controlsNamed(const QString& name);
    void saveMachineSettings();
    void CheckBoxMetricClick(bool checked);
    // "Feeders": the feeders window on the current part's feeder.
    void ButtonFeedersClick();
    // The feeders window on `feeder` (0: none).
    void showFeeders(int feeder);
    // Settings / Machine Check and Help / About.
    void addMachineCheck();
    void connectHelpMenu();
    // The window that mends a machine check problem; the main window's own on its part.
    void openMachineCheckFix(const CheckProblem& problem);
    // Start Board / Start Panel: false, with the problems shown, when something blocks the run.
    bool mayStartRun(RunKind kind);
    // After the snap window: its saved file's name, when it saved one.
    bool takeSnapName(bool saved, QString& name) const;
    void focusPartList();

    ProgramContext context_;
    std::unique_ptr<CameraSet> cameras_;  // WCameraDown and WCameraUp, for the whole run
    std::unique_ptr<Ui::TFormMain> ui_;
    TFormMainDialogs dialogs_;
    OperatorPort* people_;
    QTimer* TimerStartup;
    TFormCNCSettings* FormCNCSettings;
    TFormNozzleChanger* FormNozzleChanger;
    TFormHomeSettings* FormHomeSettings;
    TFormRejectTray* FormRejectTray;
    TFormNozzleOffset* FormNozzleOffset;
    TFormConfirmNozzleSelection* FormConfirmNozzleSelection;
    TFormImportPlaceFile* FormImportPlaceFile;
    TFormNewProject* FormNewProject;
    TFormFeeders* FormFeeders;
    TFormFiducialSettings* FormFiducialSettings;
    TFormCreateSnap* FormCreateSnap;
    TFormVisionSettings* FormVisionSettings;
    TFormVisionTest* FormVisionTest;
    TFormMachineCheck* FormMachineCheck;
    LiveVideoWidget* LiveVideo;
    bool SystemStarted = false;
    bool shownOnce_ = false;
    int machineFrameWindowsOpen_ = 0;
    std::vector<QDialog*> openWindows_;  // the settings windows shown, the innermost last
    std::vector<MainWindowPanel*> panels_;
    std::map<QString, std::vector<QObject*>>
        controlsByName_;  // the subsystems' groups, refreshed with the window
};
