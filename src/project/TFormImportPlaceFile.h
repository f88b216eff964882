#pragma once

#include <QDialog>
#include <QList>
#include <memory>

#include "project/PlaceFileParser.h"

struct ProgramContext;

namespace Ui {
class TFormImportPlaceFile;
}

// The window "Import Place File": reads a place file, shows its component rows sorted in a
// grid, and on OK replaces the project's part list with them. The main window creates it once;
// the file's lines, the parsed rows and the state of OK carry over to the next opening.
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
    void ButtonOkClick();
    // Reads and parses the file; false when it could not be read or did not convert.
    bool ImportFile(const QString& path);
    void ShowRows();
    void ClearGrid();

    std::unique_ptr<Ui::TFormImportPlaceFile> ui;
    ProgramContext& context;
    QList<PlaceFile::PartRec> ImportRows;
    bool PlaceFileMetric = false;
};
