#include "project/TFormImportPlaceFile.h"

#include <QSignalBlocker>
#include <QTableWidgetItem>

#include "context/ProgramContext.h"
#include "context/SaveReport.h"
#include "project/PlaceFileColumnMemory.h"
#include "settings/NumberText.h"
#include "ui_TFormImportPlaceFile.h"
#include "windowkit/DisplayLength.h"

using namespace PlaceFile;

namespace {

const QString kDialogTitle = "Open Place File";
const QString kFileFilter = "PLACE FILE (*)";  // every file, with or without an extension
const QString kProblemStyle = "color: rgb(200, 0, 0);";
constexpr LengthUnit kUnitsInBox[] = {LengthUnit::Millimetre, LengthUnit::Mil, LengthUnit::Inch};
// The items of ComboBoxSide.
enum SideItem { kAllSides, kTopSide, kBottomSide };

QStringList gridHeaders(bool metric) {
    if (metric) {
        return {"Designator", "Comment", "Pattern", "X mm", "Y mm", "Angle", "Side"};
    }
    return {"Designator", "Comment", "Pattern", "X in", "Y in", "Angle", "Side"};
}

QStringList gridCells(const PlaceFile::PartRec& row, bool metric) {
    const double scale = metric ? 1 : 1 / kMmPerInch;
    return {row.Designator,
            row.Comment,
            row.Pattern,
            FormatFixed(row.X * scale, 4),
            FormatFixed(row.Y * scale, 4),
            FormatFixed(row.Rotation, 3),
            row.Side == BoardSide::Bottom ? "Bottom" : "Top"};
}

// "KiCad .pos, inches", with what the operator should know about how it was read.
QString formatText(const PlaceFileReading& reading) {
    QString text = FormatCaption(*reading.Format) + ", " + UnitName(reading.Unit);
    if (!reading.UnitStated) {
        text += " (the file does not state its unit)";
    }
    if (reading.BottomSeenFromBelow) {
        text += "; the file gives bottom X as seen from below, taken here as seen from the top";
    }
    return text;
}

QString rowsText(const PlaceFileReading& reading) {
    const SideCounts counts = CountSides(reading.Rows);
    return QString("%1 rows: %2 top, %3 bottom")
        .arg(reading.Rows.size())
        .arg(counts.Top)
        .arg(counts.Bottom);
}

}  // namespace

TFormImportPlaceFile::TFormImportPlaceFile(ProgramContext& context, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormImportPlaceFile>()), context(context) {
    ui->setupUi(this);
    columnBoxes = {ui->ComboBoxDesignatorColumn, ui->ComboBoxXColumn,    ui->ComboBoxYColumn,
                   ui->ComboBoxRotationColumn,   ui->ComboBoxSideColumn, ui->ComboBoxValueColumn,
                   ui->ComboBoxFootprintColumn};
    ui->GroupBoxColumns->hide();
    connect(ui->BurronOpenFile, &QPushButton::clicked, this,
            &TFormImportPlaceFile::BurronOpenFileClick);
    connect(ui->ComboBoxSide, &QComboBox::currentIndexChanged, this, [this] {
        ui->CheckBoxTurnedOver->setEnabled(ui->ComboBoxSide->currentIndex() == kBottomSide);
        ShowSelection();
    });
    connect(ui->CheckBoxTurnedOver, &QCheckBox::toggled, this,
            &TFormImportPlaceFile::ShowSelection);
    connect(ui->ComboBoxUnit, &QComboBox::currentIndexChanged, this,
            &TFormImportPlaceFile::ComboBoxUnitChange);
    connect(ui->ButtonColumns, &QPushButton::clicked, this,
            &TFormImportPlaceFile::ButtonColumnsClick);
    connect(ui->ButtonUseColumns, &QPushButton::clicked, this,
            &TFormImportPlaceFile::ButtonUseColumnsClick);
    for (QComboBox* box : columnBoxes) {
        connect(box, &QComboBox::currentIndexChanged, this,
                &TFormImportPlaceFile::UpdateColumnStep);
    }
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
    if (path.isEmpty() || !ReadFile(path)) {
        ForgetFile();
        return;
    }
    Recognise();
}

bool TFormImportPlaceFile::ReadFile(const QString& path) {
    ui->ListBoxInput->clear();
    const auto lines = ReadPlaceFile(path);
    if (!lines) {
        context.port.showInformation("File Error.");
        return false;
    }
    FilePath = path;
    Lines = *lines;
    AssumedUnit.reset();
    OperatorColumns.reset();
    ui->GroupBoxColumns->hide();
    ui->ListBoxInput->addItems(Lines);
    return true;
}

void TFormImportPlaceFile::ForgetFile() {
    FilePath.clear();
    Lines.clear();
    ui->ListBoxInput->clear();
    Reading = {};
    ShowReading();
}

void TFormImportPlaceFile::Recognise() {
    ReadOptions options;
    options.fileName = FilePath;
    options.assumedUnit = AssumedUnit;
    options.columns = OperatorColumns;
    options.rememberedColumns = [this](const QStringList& header) {
        return RememberedColumns(header);
    };
    options.pump = [this] { context.port.processEvents(); };
    setEnabled(false);  // no second import starts while the reading lets events through
    Reading = RecognisePlaceLines(Lines, options);
    setEnabled(true);
    ShowReading();
    if (Reading.BadLine) {
        context.port.showError(Reading.Problem);
    }
}

void TFormImportPlaceFile::ShowReading() {
    const bool recognised = Reading.Format.has_value();
    ui->LabelFormat->setText(Reading.Succeeded() && recognised ? formatText(Reading)
                                                               : Reading.Problem);
    ui->LabelFormat->setStyleSheet(Reading.Succeeded() ? QString() : kProblemStyle);
    {
        const QSignalBlocker filling(ui->ComboBoxUnit);
        ui->ComboBoxUnit->setCurrentIndex(
            static_cast<int>(std::ranges::find(kUnitsInBox, Reading.Unit) - kUnitsInBox));
    }
    ui->ComboBoxUnit->setEnabled((recognised && !Reading.UnitStated) || Reading.NeedsColumns());
    ui->ButtonColumns->setEnabled(Reading.Header.has_value());
    if (Reading.NeedsColumns()) {
        FillColumnStep(Reading.Header->matched);
        ui->GroupBoxColumns->show();
    } else if (!Reading.Header) {
        ui->GroupBoxColumns->hide();  // no columns to name
    }
    ShowSelection();
}

void TFormImportPlaceFile::ShowSelection() {
    const bool readable = Reading.Format && Reading.Succeeded();
    ImportRows = readable ? SelectRows(Reading.Rows, ChosenSide()) : QList<PlaceFile::PartRec>();
    ui->LabelRows->setText(readable ? rowsText(Reading) : QString());
    ui->ButtonOk->setEnabled(!ImportRows.isEmpty());
    if (readable) {
        ShowRows();
    } else {
        ClearGrid();
    }
}

SideChoice TFormImportPlaceFile::ChosenSide() const {
    switch (ui->ComboBoxSide->currentIndex()) {
        case kTopSide:
            return SideChoice::Top;
        case kBottomSide:
            return ui->CheckBoxTurnedOver->isChecked() ? SideChoice::BottomTurnedOver
                                                       : SideChoice::Bottom;
        default:
            return SideChoice::All;
    }
}

void TFormImportPlaceFile::ComboBoxUnitChange() {
    AssumedUnit = kUnitsInBox[ui->ComboBoxUnit->currentIndex()];
    if (!Reading.NeedsColumns()) {
        Recognise();
    }
}

void TFormImportPlaceFile::ButtonColumnsClick() {
    if (ui->GroupBoxColumns->isVisible() || !Reading.Header) {
        ui->GroupBoxColumns->hide();
        return;
    }
    FillColumnStep(Reading.Format ? Reading.Columns : Reading.Header->matched);
    ui->GroupBoxColumns->show();
}

void TFormImportPlaceFile::ButtonUseColumnsClick() {
    if (!Reading.Header) {
        return;
    }
    ColumnMapping columns = ChosenColumns();
    columns.unit = kUnitsInBox[ui->ComboBoxUnit->currentIndex()];
    RememberColumns(Reading.Header->names, columns);
    OperatorColumns = columns;
    AssumedUnit = columns.unit;
    Recognise();
    if (Reading.Succeeded()) {
        ui->GroupBoxColumns->hide();
    }
}

void TFormImportPlaceFile::FillColumnStep(const ColumnMapping& columns) {
    const QStringList& names = Reading.Header->names;
    for (Column column : kColumns) {
        QComboBox* box = columnBoxes[static_cast<std::size_t>(column)];
        const QSignalBlocker filling(box);
        box->clear();
        box->addItem("(none)", -1);
        for (int index = 0; index < names.size(); ++index) {
            box->addItem(QString("%1: %2").arg(index + 1).arg(names[index]), index);
        }
        box->setCurrentIndex(box->findData(columns[column]));
    }
    UpdateColumnStep();
}

ColumnMapping TFormImportPlaceFile::ChosenColumns() const {
    ColumnMapping columns;
    for (Column column : kColumns) {
        columns[column] = columnBoxes[static_cast<std::size_t>(column)]->currentData().toInt();
    }
    return columns;
}

void TFormImportPlaceFile::UpdateColumnStep() {
    ui->ButtonUseColumns->setEnabled(ChosenColumns().Usable());
}

std::optional<ColumnMapping> TFormImportPlaceFile::RememberedColumns(
    const QStringList& header) const {
    if (!context.openSettingsStore) {
        return std::nullopt;
    }
    return RecallColumns(*context.openSettingsStore(), header);
}

void TFormImportPlaceFile::RememberColumns(const QStringList& header,
                                           const ColumnMapping& columns) {
    if (context.openSettingsStore) {
        const std::unique_ptr<QSettings> store = context.openSettingsStore();
        ReportSave(context, PlaceFile::RememberColumns(*store, header, columns), "MACHINE SETTINGS",
                   store->fileName());
    }
}

void TFormImportPlaceFile::ButtonOkClick() {
    ReplacePartList(context.project, ImportRows, Reading.Metric());
    accept();
}

void TFormImportPlaceFile::ShowRows() {
    const QStringList headers = gridHeaders(Reading.Metric());
    ui->StringGrid1->setColumnCount(static_cast<int>(headers.size()));
    ui->StringGrid1->setHorizontalHeaderLabels(headers);
    ui->StringGrid1->setRowCount(static_cast<int>(ImportRows.size()));
    for (int row = 0; row < ImportRows.size(); ++row) {
        const QStringList cells = gridCells(ImportRows[row], Reading.Metric());
        for (int column = 0; column < cells.size(); ++column) {
            ui->StringGrid1->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
}

void TFormImportPlaceFile::ClearGrid() {
    ui->StringGrid1->setRowCount(0);
    ui->StringGrid1->setColumnCount(0);
}
