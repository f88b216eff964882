#include "project/TFormPanelSettings.h"

#include <algorithm>

#include "context/ProgramContext.h"
#include "project/PanelOperations.h"
#include "ui_TFormPanelSettings.h"
#include "windowkit/DisplayLength.h"
#include "windowkit/WindowWidgets.h"

TFormPanelSettings::TFormPanelSettings(ProgramContext& context,
                                       std::function<void()> saveMachineSettings, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TFormPanelSettings>()),
      context(context),
      saveMachineSettings(std::move(saveMachineSettings)) {
    ui->setupUi(this);
    connectControls();
}

TFormPanelSettings::~TFormPanelSettings() = default;

void TFormPanelSettings::connectControls() {
    connectEdit(ui->EditBoardCountX, &EditBoardCount, PanelAxis::X);
    connectEdit(ui->EditBoardCountY, &EditBoardCount, PanelAxis::Y);
    connectEdit(ui->EditBoardSpacingX, &EditBoardSpacing, PanelAxis::X);
    connectEdit(ui->EditBoardSpacingY, &EditBoardSpacing, PanelAxis::Y);
    connect(ui->ButtonGoToBoard, &QPushButton::clicked, this, [this] {
        MoveToCurrentBoard(context);
        RefreshWindow();
    });
    connect(ui->ButtonGoToNextBoard, &QPushButton::clicked, this, [this] {
        GoToNextBoard(context);
        RefreshWindow();
    });
    connect(ui->ButtonPanelReset, &QPushButton::clicked, this, [this] {
        ResetPanel(context);
        RefreshWindow();
    });
    connect(ui->ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormPanelSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormPanelSettings::FormShow() {
    PlaceAtTopRight(this);
    context.SelectedCamera = 0;
    RefreshWindow();
}

void TFormPanelSettings::done(int result) {
    if (saveMachineSettings) {
        saveMachineSettings();
    }
    QDialog::done(result);
}

void TFormPanelSettings::RefreshWindow() {
    Enabled = false;
    ProjectState& project = context.project;
    ui->EditBoardSpacingX->setText(FormatLength(project.BoardSpacingX, project.Metric));
    ui->EditBoardSpacingY->setText(FormatLength(project.BoardSpacingY, project.Metric));
    project.BoardCountX = std::max(project.BoardCountX, 1);
    project.BoardCountY = std::max(project.BoardCountY, 1);
    ui->EditBoardCountX->setText(QString::number(project.BoardCountX));
    ui->EditBoardCountY->setText(QString::number(project.BoardCountY));
    project.CurrentPanelBoard = std::max(project.CurrentPanelBoard, 1);
    ui->EditCurrentPanelCount->setText(QString::number(project.CurrentPanelBoard));
    for (QLineEdit* box :
         {ui->EditBoardCountX, ui->EditBoardCountY, ui->EditBoardSpacingX, ui->EditBoardSpacingY}) {
        ShowEditVerdict(box, true);
    }
    Enabled = true;
    const bool ready = context.cnc.usable();
    ui->ButtonGoToBoard->setEnabled(ready);
    ui->ButtonGoToNextBoard->setEnabled(ready);
}

void TFormPanelSettings::connectEdit(QLineEdit* box, PanelEdit edit, PanelAxis axis) {
    connect(box, &QLineEdit::textChanged, this, [this, box, edit, axis](const QString& text) {
        if (Enabled) {
            ShowEditVerdict(box, edit(context.project, axis, text));
        }
    });
}
