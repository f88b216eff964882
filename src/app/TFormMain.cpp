#include "app/TFormMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <QPainter>
#include <QTimer>

#include "app/MachineControl.h"
#include "app/MainWindowState.h"
#include "app/TFormAbout.h"
#include "context/MachineSequence.h"
#include "context/SettingsPersistence.h"
#include "handling/RunControlsWidget.h"
#include "handling/TFormConfirmNozzleSelection.h"
#include "handling/TFormFeeders.h"
#include "handling/TFormMachineCheck.h"
#include "handling/TFormNozzleChanger.h"
#include "handling/TFormNozzleOffset.h"
#include "handling/TFormRejectTray.h"
#include "motion/Homing.h"
#include "motion/MoveOperations.h"
#include "motion/TFormCNCSettings.h"
#include "motion/TFormHomeSettings.h"
#include "project/BoardControlsWidget.h"
#include "project/BoardOrigin.h"
#include "project/DemoProject.h"
#include "project/PanelControlsWidget.h"
#include "project/PartDetailsWidget.h"
#include "project/ProjectCommands.h"
#include "project/TFormFiducialSettings.h"
#include "project/TFormImportPlaceFile.h"
#include "project/TFormNewProject.h"
#include "ui_TFormMain.h"
#include "vision/CameraSet.h"
#include "vision/LiveVideoWidget.h"
#include "vision/TFormCreateSnap.h"
#include "vision/TFormVisionSettings.h"
#include "vision/TFormVisionTest.h"
#include "windowkit/JogPanelWidget.h"

namespace {

const QString kBusyClosingText =
    "THE MACHINE IS STILL WORKING.\rSTOP IT OR LET IT FINISH BEFORE CLOSING THE PROGRAM!";

QIcon emergencyStopIcon() {
    QPixmap picture(220, 220);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(255, 210, 0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(picture.rect());
    painter.setBrush(QColor(200, 0, 0));
    painter.drawEllipse(picture.rect().adjusted(25, 25, -25, -25));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(44);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, "STOP");
    return QIcon(picture);
}

void setControlEnabled(QObject* control, bool enabled) {
    if (auto* menu = qobject_cast<QMenu*>(control)) {
        menu->menuAction()->setEnabled(enabled);
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        action->setEnabled(enabled);
    } else if (auto* widget = qobject_cast<QWidget*>(control)) {
        widget->setEnabled(enabled);
    }
}

}  // namespace

TFormMain::TFormMain(Clock& clock, std::shared_ptr<const MotrixApi> api,
                     SettingsStoreOpener openStore, OperatorPort* people)
    : context_(clock, *this),
      ui_(std::make_unique<Ui::TFormMain>()),
      dialogs_(this),
      people_(people),
      TimerStartup(new QTimer(this)) {
    ui_->setupUi(this);
    context_.openSettingsStore = std::move(openStore);
    context_.cnc.attach(std::move(api));
    cameras_ = std::make_unique<CameraSet>(CameraSet::ProvidersFor(context_.cnc.api()));
    context_.cameras = cameras_.get();
    ui_->ButtonEmergencyStop->setIcon(emergencyStopIcon());
    TimerStartup->setObjectName("TimerStartup");
    TimerStartup->setInterval(1000);
    TimerStartup->setSingleShot(true);
    connect(TimerStartup, &QTimer::timeout, this, &TFormMain::startUp);
    FormCNCSettings = new TFormCNCSettings(context_, this);
    FormNozzleChanger = new TFormNozzleChanger(context_, this);
    FormHomeSettings = new TFormHomeSettings(
        context_,
        [this](const TBitmap32& frame, const QString& path) {
            return FormCreateSnap->CreateSpecialSnap(frame, path);
        },
        this);
    FormRejectTray = new TFormRejectTray(context_, this);
    FormImportPlaceFile = new TFormImportPlaceFile(context_, this);
    FormNewProject = new TFormNewProject(context_, this);
    FormFeeders = new TFormFeeders(
        context_,
        [this](const TBitmap32& frame, QString& name) {
            return takeSnapName(FormCreateSnap->CreateSystemSnap(frame, CameraRole::Up), name);
        },
        this);
    FormFiducialSettings = new TFormFiducialSettings(
        context_,
        [this](const TBitmap32& frame, QString& name) {
            return takeSnapName(FormCreateSnap->CreateProjectSnap(frame, CameraRole::Down), name);
        },
        this);
    FormNozzleOffset = new TFormNozzleOffset(context_, this);
    FormConfirmNozzleSelection = new TFormConfirmNozzleSelection(context_, this);
    addJogPanel();
    addProjectPanels();
    addVisionWindows();
    addMachineCheck();
    connectControls();
    connectHelpMenu();
}

bool TFormMain::takeSnapName(bool saved, QString& name) const {
    if (saved) {
        name = FormCreateSnap->FileName;
    }
    return saved;
}

void TFormMain::addVisionWindows() {
    FormCreateSnap = new TFormCreateSnap(context_, this);
    LiveVideo = new LiveVideoWidget(context_, *cameras_, *FormCreateSnap, centralWidget());
    ui_->LayoutColumns->addWidget(LiveVideo, 2);
    FormVisionSettings = new TFormVisionSettings(
        context_, *cameras_, [this] { LiveVideo->UpdateVideoGridRulers(); }, this);
    FormVisionTest = new TFormVisionTest(this);
    context_.visionTestDisplay = FormVisionTest;
}

void TFormMain::addProjectPanels() {
    auto* parts = new PartDetailsWidget(context_, centralWidget());
    auto* board = new BoardControlsWidget(context_, centralWidget());
    auto* panel = new PanelControlsWidget(
        context_, [this](QDialog& window) { runSettingsWindow(window, false); }, centralWidget());
    RunControlsWidget::Windows windows;
    windows.feeders = [this] { ButtonFeedersClick(); };
    windows.fiducials = [this] {
        runSettingsWindow(*FormFiducialSettings, false);  // fiducials are board-relative
        focusPartList();
    };
    windows.focusPartList = [this] { focusPartList(); };
    windows.mayStart = [this](RunKind kind) { return mayStartRun(kind); };
    auto* run = new RunControlsWidget(context_, std::move(windows), centralWidget());
    for (QWidget* widget : {static_cast<QWidget*>(parts), static_cast<QWidget*>(board),
                            static_cast<QWidget*>(run), static_cast<QWidget*>(panel)}) {
        ui_->LayoutProjectColumn->addWidget(widget);
    }
    panels_ = {parts, board, run, panel};
}

void TFormMain::addJogPanel() {
    JogPanelWidget::Options options;
    options.withA = true;
    options.fineAStep = [this] { return JogPanelWidget::motorStepA(context_); };
    options.refresh = [this] {
        updateStatus();
        updateButtons();
    };
    auto* jog = new JogPanelWidget(context_, std::move(options), centralWidget());
    // Above the column's closing spacer.
    ui_->LayoutMachineColumn->insertWidget(ui_->LayoutMachineColumn->count() - 1, jog);
}

void TFormMain::moveToFixedPosition(double x, double y, double z) {
    RunSequence(context_, [this, x, y, z] {
        context_.SelectedCamera = 1;
        updateStatus();
        updateButtons();
        MoveHomeRelativeWithNozzleProtection(context_, x, y, z, 0,
                                             context_.settings.maxStepsPerSecond);
        updateStatus();
        updateButtons();
    });
}

TFormMain::~TFormMain() = default;

void TFormMain::ButtonFeedersClick() {
    const ProjectState& project = context_.project;
    const bool partChosen = project.CurrentPart >= 1 && project.CurrentPart <= project.PartCount();
    showFeeders(partChosen ? project.Parts[project.CurrentPart - 1].Feeder : 0);
}

void TFormMain::showFeeders(int feeder) {
    context_.project.CurrentFeeder = feeder;
    runSettingsWindow(*FormFeeders);
    updatePartList();
    updateButtons();
    updateStatus();
}

void TFormMain::addMachineCheck() {
    TFormMachineCheck::Fixes fixes;
    fixes.open = [this](const CheckProblem& problem) { openMachineCheckFix(problem); };
    fixes.available = [this](FixWindow window) { return FixWindowAvailable(context_, window); };
    FormMachineCheck = new TFormMachineCheck(context_, std::move(fixes), this);
    connect(ui_->MachineCheck1, &QAction::triggered, this, [this] {
        FormMachineCheck->Execute(CheckedBoards::Panel);
        updateStatus();
        updateButtons();
    });
}

void TFormMain::openMachineCheckFix(const CheckProblem& problem) {
    switch (problem.window) {
        case FixWindow::HomeSettings:
            return runSettingsWindow(*FormHomeSettings);
        case FixWindow::NozzleOffset:
            return runSettingsWindow(*FormNozzleOffset);
        case FixWindow::NozzleChanger:
            return runSettingsWindow(*FormNozzleChanger);
        case FixWindow::Feeders:
            return showFeeders(problem.feeder);
        case FixWindow::FiducialSettings:
            return runSettingsWindow(*FormFiducialSettings);
        case FixWindow::PanelSettings:
            // As its own button opens it.
            return centralWidget()->findChild<QPushButton*>("ButtonPanelSettings")->click();
        case FixWindow::MainWindow:
            if (problem.part > 0) {
                context_.project.CurrentPart = problem.part;
                updatePartList();
            }
            updateStatus();
            updateButtons();
            return focusPartList();
        case FixWindow::None:
            break;
    }
}

bool TFormMain::mayStartRun(RunKind kind) {
    const CheckedBoards boards =
        kind == RunKind::Panel ? CheckedBoards::Panel : CheckedBoards::Current;
    if (!AnyBlocking(CheckMachine(context_, boards))) {
        return true;
    }
    FormMachineCheck->Execute(boards, kind == RunKind::Panel ? "Start Panel" : "Start Board");
    return false;
}

void TFormMain::connectHelpMenu() {
    connect(ui_->About1, &QAction::triggered, this, [this] {
        TFormAbout about(this);
        about.exec();
    });
}

void TFormMain::focusPartList() {
    if (QWidget* partList = centralWidget()->findChild<QWidget*>("ListBoxPartList")) {
        partList->setFocus();
    }
}

void TFormMain::connectControls() {
    connect(ui_->ButtonEmergencyStop, &QPushButton::clicked, this,
            [this] { PressEmergencyStop(context_); });
    connect(ui_->ButtonReset, &QPushButton::clicked, this, [this] { PressReset(context_); });
    connect(ui_->ButtonHome, &QPushButton::clicked, this, [this] {
        context_.SelectedCamera = 0;
        updateButtons();
        Home(context_);
        updateStatus();
        updateButtons();
    });
    connect(ui_->ButtonPark, &QPushButton::clicked, this, [this] {
        const MachineSettings& s = context_.settings;
        moveToFixedPosition(s.parkX, s.parkY, -s.homeZ);  // park at machine Z 0
    });
    connect(ui_->ButtonGotoCamera, &QPushButton::clicked, this, [this] {
        const MachineSettings& s = context_.settings;
        moveToFixedPosition(s.uplookingCameraX, s.uplookingCameraY, s.uplookingCameraZ);
    });
    connect(ui_->CheckBoxMetric, &QCheckBox::clicked, this, &TFormMain::CheckBoxMetricClick);
    connect(ui_->Exit1, &QAction::triggered, this, &QWidget::close);
    connect(ui_->NewProject1, &QAction::triggered, this, [this] {
        NewProject(context_, [this] { return FormNewProject->exec() == QDialog::Accepted; });
    });
    connect(ui_->Open1, &QAction::triggered, this, [this] { OpenProject(context_); });
    connect(ui_->SaveProject1, &QAction::triggered, this, [this] { SaveCurrentProject(context_); });
    connect(ui_->Close1, &QAction::triggered, this, [this] { CloseProject(context_); });
    connect(ui_->ImportPlaceFile1, &QAction::triggered, this, [this] {
        if (FormImportPlaceFile->Execute()) {
            updatePartList();
            updateStatus();
            updateButtons();
        }
    });
    connect(ui_->CNC1, &QAction::triggered, this, [this] { runSettingsWindow(*FormCNCSettings); });
    connect(ui_->Home1, &QAction::triggered, this,
            [this] { runSettingsWindow(*FormHomeSettings); });
    connect(ui_->NozzleChanger1, &QAction::triggered, this,
            [this] { runSettingsWindow(*FormNozzleChanger); });
    connect(ui_->NozzleOffset1, &QAction::triggered, this,
            [this] { runSettingsWindow(*FormNozzleOffset); });
    connect(ui_->RejectTray1, &QAction::triggered, this,
            [this] { runSettingsWindow(*FormRejectTray); });
    connect(ui_->Vision1, &QAction::triggered, this,
            [this] { runSettingsWindow(*FormVisionSettings); });
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        formShow();
    }
}

void TFormMain::formShow() {
    context_.project.BoardOriginX = 0;
    context_.project.BoardOriginY = 0;
    context_.project.ProjectOpen = false;
    context_.project.ProjectName.clear();
    context_.project.ProjectFolder.clear();
    SetUpProjectFolders(context_);
    const bool firstStart = IsFirstStart(context_);
    LoadMachineSettings(context_);
    if (firstStart) {
        InstallDemoProject(context_, ":/demo");
    }
    context_.DisplayMetric = true;
    context_.vision.ImageDownlooking = createImage(800, 600);
    context_.vision.ImageUplooking = createImage(800, 600);
    context_.SelectedCamera = 0;
    LiveVideo->UpdateCameraSelection();
    LiveVideo->UpdateVideoGridRulers();
    ReopenLastProject(context_);  // refreshes the part list, status and buttons
    SystemStarted = true;
    TimerStartup->start();
}

void TFormMain::startUp() {
    TimerStartup->stop();
    FormVisionSettings->StartCameras();
    StartUpController(context_);
    if (context_.settings.nozzleChangerEnabled) {
        FormConfirmNozzleSelection->exec();
    }
    updateStatus();
    updateButtons();
    LiveVideo->UpdateVideoGridRulers();
    if (context_.project.ProjectOpen) {
        focusPartList();
    }
}

void TFormMain::updateStatus() {
    ui_->LabelStatus->setText(StatusWord(context_));
    RecomputeBoardOrigin(context_.project);
    const PositionReadout readout = ReadPosition(context_, machineFrameWindowsOpen_ > 0);
    context_.DisplayMetric = readout.metric;
    QPalette palette = ui_->GroupBoxPosition->palette();
    palette.setColor(QPalette::Window, readout.frameColour);
    ui_->GroupBoxPosition->setPalette(palette);
    ui_->LabelX->setText(readout.x);
    ui_->LabelY->setText(readout.y);
    ui_->LabelZ->setText(readout.z);
    ui_->LabelA->setText(readout.a);
    ui_->LabelNozzle->setText(NozzleText(context_));
    ui_->LabelVisionResult->setText(context_.vision.VisionResultText);
    for (MainWindowPanel* panel : panels_) {
        panel->refreshStatus();
    }
}

void TFormMain::updateButtons() {
    RefreshOutputsAndNozzle(context_);
    LiveVideo->UpdateCameraSelection();
    applyEnabledStates();
    applyProjectVisibility();
    setWindowTitle(WindowTitle(context_));
    processEvents();
}

void TFormMain::applyEnabledStates() {
    // A settings window keeps each control's own rule; as a whole it is off during a sequence.
    for (QDialog* window : openWindows_) {
        window->setEnabled(!SequenceRunning(context_));
    }
    for (const auto& [name, enabled] : EnabledStates(context_)) {
        for (QObject* control : controlsNamed(name)) {
            setControlEnabled(control, enabled);
        }
    }
}

void TFormMain::applyProjectVisibility() {
    for (const QString& name : ProjectOnlyControls()) {
        for (QObject* control : controlsNamed(name)) {
            if (auto* widget = qobject_cast<QWidget*>(control)) {
                widget->setVisible(context_.project.ProjectOpen);
            }
        }
    }
}

const std::vector<QObject*>& TFormMain::controlsNamed(const QString& name) {
    // Looked up once: the refresh runs after every move.
    auto [found, added] = controlsByName_.try_emplace(name);
    if (added) {
        // Only the main window's own controls: settings windows carry controls of the same
        // names.
        for (QObject* area :
             {static_cast<QObject*>(centralWidget()), static_cast<QObject*>(menuBar())}) {
            if (QObject* control = area->findChild<QObject*>(name)) {
                found->second.push_back(control);
            }
        }
        if (QAction* action = findChild<QAction*>(name, Qt::FindDirectChildrenOnly)) {
            found->second.push_back(action);
        }
    }
    return found->second;
}

void TFormMain::updatePartList() {
    ui_->CheckBoxMetric->setChecked(context_.project.Metric);
    for (MainWindowPanel* panel : panels_) {
        panel->refreshPartList();
    }
}

void TFormMain::CheckBoxMetricClick(bool checked) {
    context_.project.Metric = checked;
    context_.DisplayMetric = checked;
    if (isEnabled()) {
        context_.project.ProjectModified = true;
    }
    updatePartList();
    updateStatus();
    updateButtons();
}

void TFormMain::runSettingsWindow(QDialog& window, bool machineFrame) {
    QWidget* jog = centralWidget()->findChild<QWidget*>("GroupBoxJogControl");
    if (jog) {
        jog->hide();
    }
    machineFrameWindowsOpen_ += machineFrame ? 1 : 0;
    openWindows_.push_back(&window);
    window.installEventFilter(this);
    updateStatus();
    window.exec();
    window.removeEventFilter(this);
    window.setEnabled(true);
    openWindows_.pop_back();
    machineFrameWindowsOpen_ -= machineFrame ? 1 : 0;
    saveMachineSettings();
    if (jog) {
        jog->show();
    }
    updateStatus();
    updateButtons();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    // A settings window whose sequence runs stays open: closing it mid-sequence would switch
    // its outputs off or restore the camera under the sequence.
    if (event->type() == QEvent::Close && SequenceRunning(context_)) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // Closing switches the outputs off and closes the controller's library: never under a
    // sequence, which would drop a carried part and command a closed library.
    if (SequenceRunning(context_)) {
        event->ignore();
        showInformation(kBusyClosingText);
        return;
    }
    if (!MainWindowMayClose(context_)) {
        event->ignore();
        return;
    }
    SystemStarted = false;
    TimerStartup->stop();
    SwitchOutputsOff(context_);
    saveMachineSettings();
    cameras_->WCameraDown.SetActive(false);
    cameras_->WCameraUp.SetActive(false);
    context_.cnc.Shutdown();
    event->accept();
}

void TFormMain::saveMachineSettings() {
    SaveMachineSettings(context_);
}

void TFormMain::handlePendingMessages() {
    QCoreApplication::processEvents();
    if (people_) {
        people_->processEvents();  // a scripted person acts at the moments a real one could
    }
}

void TFormMain::speak(const QString& text) {
    people_ ? people_->speak(text) : dialogs_.speak(text);
}

void TFormMain::showError(const QString& text) {
    people_ ? people_->showError(text) : dialogs_.showError(text);
}

void TFormMain::showInformation(const QString& text) {
    people_ ? people_->showInformation(text) : dialogs_.showInformation(text);
}

OperatorPort::Answer TFormMain::ask(const QString& question, bool withCancel) {
    return people_ ? people_->ask(question, withCancel) : dialogs_.ask(question, withCancel);
}

OperatorPort::Answer TFormMain::askChoice(const QString& question, const QString& yesCaption,
                                          const QString& noCaption, const QString& cancelCaption,
                                          Answer preferred) {
    if (people_) {
        return people_->askChoice(question, yesCaption, noCaption, cancelCaption, preferred);
    }
    return dialogs_.askChoice(question, {yesCaption, noCaption, cancelCaption}, preferred);
}

QString TFormMain::chooseOpenFile(const FileDialogRequest& request) {
    return people_ ? people_->chooseOpenFile(request) : dialogs_.chooseFile(request, false);
}

QString TFormMain::chooseSaveFile(const FileDialogRequest& request) {
    return people_ ? people_->chooseSaveFile(request) : dialogs_.chooseFile(request, true);
}

void TFormMain::beep() {
    people_ ? people_->beep() : dialogs_.beep();
}
