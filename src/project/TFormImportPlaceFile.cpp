#include "project/TFormImportPlaceFile.h"

#include <QTableWidgetItem>

#include "context/ProgramContext.h"
#include "project/PlaceFileImport.h"
#include "settings/NumberText.h"
#include "ui_TFormImportPlaceFile.h"
#include "windowkit/DisplayLength.h"

namespace {

const QString kDialogTitle = "Open Place File";
const QString kFileFilter = "PLACE FILE (*)";  // every file, with or without an extension

QStringList gridHeaders(bool metric) {
    if (metric) {
        return {"Designator", "Comment", "Pattern", "X mm", "Y mm", "Angle"};
    }
    return {"Designator", "Comment", "Pattern", "X in", "Y in", "Angle"};
}

QStringList gridCells(const PlaceFile::PartRec& row, bool metric) {
    const double scale = metric ? 1 : 1 / kMmPerInch;
    return {row.Designator,
            row.Comment,
            row.Pattern,
            FormatFixed(row.X * scale, 4),
            FormatFixed(row.Y * scale, 4),
            FormatFixed(row.Rotation, 3)};
}

}  // namespace

TFormImportPlaceFile::TFormImportPlaceFile(ProgramContext& context, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormImportPlaceFile>()), context(context) {
    ui->setupUi(this);
    connect(ui->BurronOpenFile, &QPushButton::clicked, this,
            &TFormImportPlaceFile::BurronOpenFileClick);
    connect(ui->ButtonOk, &QPushButton::clicked, this, &TFormImportPlaceFile::ButtonOkClick);
    connect(ui->ButtonClose, &QPushButton::clicked, this, &QDialog::reject);
}

TFormImportPlaceFile::~TFormImportPlaceFile() = default;

bool TFormImportPlaceFile::Execute() {
    if (!context.project.ProjectOpen || context.cycle.running()) {
        return false;
    }
    return exec() == QDialog::Accepted;
}

void TFormImportPlaceFile::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // OK keeps its state from the last opening, so the grid shows the rows it would import.
    if (ui->ButtonOk->isEnabled()) {
        ShowRows();
    } else {
        ClearGrid();
    }
}

void TFormImportPlaceFile::BurronOpenFileClick() {
    ClearGrid();
    const QString path =
        context.port.chooseOpenFile({kDialogTitle, context.ProjectsRoot, kFileFilter, {}, {}});
    const bool imported = !path.isEmpty() && ImportFile(path);
    ui->ButtonOk->setEnabled(imported);
    if (imported) {
        ShowRows();
    }
}

bool TFormImportPlaceFile::ImportFile(const QString& path) {
    ui->ListBoxInput->clear();
    const auto lines = PlaceFile::ReadPlaceFile(path);
    if (!lines) {
        context.port.showInformation("File Error.");
        return false;
    }
    ui->ListBoxInput->addItems(*lines);
    setEnabled(false);  // no second import starts while the parse lets events through
    const PlaceFile::ParseResult result =
        PlaceFile::ParsePlaceLines(*lines, [this] { context.port.processEvents(); });
    setEnabled(true);
    ImportRows = result.Rows;
    PlaceFileMetric = result.Metric.value_or(PlaceFileMetric);
    if (!result.Succeeded()) {
        context.port.showError(result.Error);
        return false;
    }
    return true;
}

void TFormImportPlaceFile::ButtonOkClick() {
    PlaceFile::ReplacePartList(context.project, ImportRows, PlaceFileMetric);
    accept();
}

void TFormImportPlaceFile::ShowRows() {
    ui->StringGrid1->setColumnCount(6);
    ui->StringGrid1->setHorizontalHeaderLabels(gridHeaders(PlaceFileMetric));
    ui->StringGrid1->setRowCount(static_cast<int>(ImportRows.size()));
    for (int row = 0; row < ImportRows.size(); ++row) {
        const QStringList cells = gridCells(ImportRows[row], PlaceFileMetric);
        for (int column = 0; column < cells.size(); ++column) {
            ui->StringGrid1->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
}

void TFormImportPlaceFile::ClearGrid() {
    ui->StringGrid1->setRowCount(0);
    ui->StringGrid1->setColumnCount(0);
}
