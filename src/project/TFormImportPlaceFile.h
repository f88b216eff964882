#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"

struct ProgramContext;
class QComboBox;

namespace Ui {
class TFormImportPlaceFile;
}

// The window "Import Place File": reads a place file, says which format and unit it
// recognised, shows the component rows of the chosen side sorted in a grid, and on OK
// replaces the project's part list with them. A table whose header it does not know waits for
// the operator to name its columns, which are remembered for that header. A file it cannot
// read is refused with what it looked for. The main window creates it once; the file's lines,
// the rows and the state of OK carry over to the next opening.
class TFormImportPlaceFile : public QDialog {
    Q_OBJECT

public:
    TFormImportPlaceFile(ProgramContext& context, QWidget* parent);
    ~TFormImportPlaceFile() override;

    // Shows the window modally, centred on its parent. True when it closed with OK; the caller
    // then refreshes the part list, the status and the buttons. Refused while no project is
    // open or a run is active.
    bool Execute();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BurronOpenFileClick();
    void ComboBoxUnitChange();
    void ButtonColumnsClick();
    void ButtonUseColumnsClick();
    void ButtonOkClick();

    // Reads the file; false when it could not be read.
    bool ReadFile(const QString& path);
    // Recognises the lines again with the unit and columns chosen so far, and shows the result.
    void Recognise();
    void ShowReading();
    void ShowSelection();
    void ShowRows();
    void ClearGrid();
    void ForgetFile();

    PlaceFile::SideChoice ChosenSide() const;
    void FillColumnStep(const PlaceFile::ColumnMapping& columns);
    PlaceFile::ColumnMapping ChosenColumns() const;
    void UpdateColumnStep();
    std::optional<PlaceFile::ColumnMapping> RememberedColumns(const QStringList& header) const;
    void RememberColumns(const QStringList& header, const PlaceFile::ColumnMapping& columns);

    std::unique_ptr<Ui::TFormImportPlaceFile> ui;
    ProgramContext& context;
    std::array<QComboBox*, PlaceFile::kColumnCount> columnBoxes{};
    QString FilePath;
    QStringList Lines;
    PlaceFile::PlaceFileReading Reading;
    std::optional<PlaceFile::LengthUnit> AssumedUnit;  // chosen for a file without a unit
    std::optional<PlaceFile::ColumnMapping> OperatorColumns;
    QList<PlaceFile::PartRec> ImportRows;  // the rows OK takes: the chosen side's
};
