#include "handling/TFormMachineCheck.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidgetItem>
#include <algorithm>

#include "context/ProgramContext.h"
#include "ui_TFormMachineCheck.h"
#include "windowkit/WindowWidgets.h"

namespace {

enum Column { ColumnSeverity, ColumnWhat, ColumnFix };

const QColor kBlockingColour(255, 190, 190);
const QColor kWarningColour(255, 235, 160);

QString counted(qsizetype count, const char* one, const char* many) {
    return QString("%1 %2").arg(count).arg(count == 1 ? one : many);
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setToolTip(text);
    return item;
}

}  // namespace

TFormMachineCheck::TFormMachineCheck(ProgramContext& context, Fixes fixes, QWidget* parent)
    : QDialog(parent),
      context_(context),
      fixes_(std::move(fixes)),
      ui_(std::make_unique<Ui::TFormMachineCheck>()) {
    ui_->setupUi(this);
    QHeaderView* header = ui_->TableProblems->horizontalHeader();
    header->resizeSection(ColumnSeverity, 90);
    header->resizeSection(ColumnWhat, 420);
    connect(ui_->TableProblems, &QTableWidget::itemSelectionChanged, this,
            &TFormMachineCheck::updateButtonStates);
    connect(ui_->TableProblems, &QTableWidget::cellDoubleClicked, this, [this] {
        if (ui_->ButtonOpenFix->isEnabled()) {
            ButtonOpenFixClick();
        }
    });
    connect(ui_->ButtonOpenFix, &QPushButton::clicked, this,
            &TFormMachineCheck::ButtonOpenFixClick);
    connect(ui_->ButtonCheckAgain, &QPushButton::clicked, this, [this] {
        runCheck();
        fill();
    });
    connect(ui_->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

TFormMachineCheck::~TFormMachineCheck() = default;

void TFormMachineCheck::Execute(CheckedBoards boards, const QString& blockedRun) {
    boards_ = boards;
    blockedRun_ = blockedRun;
    ui_->TableProblems->setCurrentCell(-1, -1);  // a fresh check starts at its first problem
    runCheck();
    fill();
    exec();
}

void TFormMachineCheck::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtTopRight(this);
}

void TFormMachineCheck::runCheck() {
    problems_ = CheckMachine(context_, boards_);
}

QString TFormMachineCheck::summary() const {
    const qsizetype blocking = std::count_if(
        problems_.begin(), problems_.end(),
        [](const CheckProblem& problem) { return problem.severity == CheckSeverity::Blocking; });
    const qsizetype warnings = problems_.size() - blocking;
    const QString warned = counted(warnings, "warning", "warnings") + " below.";
    const bool refusedRun = !blockedRun_.isEmpty();
    if (blocking > 0) {
        return (refusedRun ? QString("\"%1\" did not start: ").arg(blockedRun_) : QString()) +
               counted(blocking, "problem blocks", "problems block") + " a run" +
               (warnings > 0 ? ", and " + warned : QString(".")) +
               " Select a problem and open the window that mends it.";
    }
    return (warnings > 0 ? "Nothing blocks a run now, " + warned
                         : QString("Nothing blocks a run now, and nothing looks amiss.")) +
           (refusedRun ? QString(" Close this window and press \"%1\" again.").arg(blockedRun_)
                       : QString());
}

void TFormMachineCheck::fill() {
    const int previousRow = ui_->TableProblems->currentRow();
    ui_->LabelSummary->setText(summary());
    QTableWidget* table = ui_->TableProblems;
    table->clearContents();
    table->setRowCount(static_cast<int>(problems_.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const CheckProblem& problem = problems_[row];
        const bool blocking = problem.severity == CheckSeverity::Blocking;
        QTableWidgetItem* severity = cell(blocking ? "BLOCKING" : "WARNING");
        severity->setBackground(blocking ? kBlockingColour : kWarningColour);
        table->setItem(row, ColumnSeverity, severity);
        table->setItem(row, ColumnWhat, cell(problem.what));
        table->setItem(row, ColumnFix, cell(problem.fix));
    }
    table->resizeRowsToContents();
    if (table->rowCount() > 0) {
        table->selectRow(std::clamp(previousRow, 0, table->rowCount() - 1));
    }
    updateButtonStates();
}

const CheckProblem* TFormMachineCheck::selectedProblem() const {
    const QList<QTableWidgetItem*> selected = ui_->TableProblems->selectedItems();
    return selected.isEmpty() ? nullptr : &problems_[selected.front()->row()];
}

void TFormMachineCheck::updateButtonStates() {
    const CheckProblem* problem = selectedProblem();
    const FixWindow window = problem ? problem->window : FixWindow::None;
    ui_->ButtonOpenFix->setText(window == FixWindow::MainWindow ? QString("Show in Main Window")
                                : window == FixWindow::None     ? QString("Open")
                                                                : "Open " + FixWindowTitle(window));
    ui_->ButtonOpenFix->setEnabled(window != FixWindow::None && fixes_.available(window));
}

void TFormMachineCheck::ButtonOpenFixClick() {
    const CheckProblem* selected = selectedProblem();
    if (!selected) {
        return;
    }
    const CheckProblem problem = *selected;
    fixes_.open(problem);
    if (problem.window == FixWindow::MainWindow) {
        accept();  // the main window mends it: the check gives way
        return;
    }
    runCheck();
    fill();
}
