#include "project/BoardControlsWidget.h"

#include "context/ProgramContext.h"
#include "project/PanelOperations.h"
#include "ui_BoardControlsWidget.h"
#include "windowkit/DisplayLength.h"

BoardControlsWidget::BoardControlsWidget(ProgramContext& context, QWidget* parent)
    : QGroupBox(parent), ui(std::make_unique<Ui::BoardControlsWidget>()), context(context) {
    ui->setupUi(this);
    connect(ui->ButtonSetOrigin, &QPushButton::clicked, this,
            [this] { SetPanelOrigin(this->context); });
    connect(ui->ButtonGotoBoard, &QPushButton::clicked, this, [this] { GoToBoard(this->context); });
    connect(ui->ButtonSetBoardHeight, &QPushButton::clicked, this,
            [this] { SetBoardHeight(this->context); });
}

BoardControlsWidget::~BoardControlsWidget() = default;

QVBoxLayout* BoardControlsWidget::runButtonsLayout() {
    return ui->LayoutRunButtons;
}

void BoardControlsWidget::refreshStatus() {
    const ProjectState& project = context.project;
    ui->EditBoardOriginX->setText(FormatLength(project.BoardOriginX, project.Metric));
    ui->EditBoardOriginY->setText(FormatLength(project.BoardOriginY, project.Metric));
    ui->EditBoardHeight->setText(FormatLength(project.BoardHeight, project.Metric));
}
