#include "project/TFormImportPlaceFile.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "context/ProgramContext.h"
#include "project/PlaceFileFormats.h"
#include "settings/MachineSettingsStore.h"
#include "support/ScriptedOperatorPort.h"

namespace {

class ImportPlaceFileWindow : public ::testing::Test {
protected:
    void SetUp() override {
        context.project.ProjectOpen = true;
        context.project.Parts = {PartRec{"OLD1", "", 1, 1, 0, 1, false},
                                 PartRec{"OLD2", "", 2, 2, 0, 1, false}};
        context.project.CurrentPart = 2;
        context.openSettingsStore = [this] {
            return OpenMachineSettingsStoreAt(folder.filePath("Corvane 2.ini"));
        };
    }

    QString placeFile(const QString& name, const QByteArray& content) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    void importFile(const QString& path) {
        port.files.push_back(path);
        button("BurronOpenFile")->click();
    }

    // Runs the modal window; `whileOpen` acts on it and closes it.
    bool execute(const std::function<void()>& whileOpen) {
        QTimer::singleShot(0, &form, whileOpen);
        return form.Execute();
    }

    QPushButton* button(const char* name) { return form.findChild<QPushButton*>(name); }
    QComboBox* combo(const char* name) { return form.findChild<QComboBox*>(name); }
    QLabel* label(const char* name) { return form.findChild<QLabel*>(name); }
    QCheckBox* turnedOver() { return form.findChild<QCheckBox*>("CheckBoxTurnedOver"); }
    QGroupBox* columnStep() { return form.findChild<QGroupBox*>("GroupBoxColumns"); }
    QTableWidget* grid() { return form.findChild<QTableWidget*>("StringGrid1"); }
    QListWidget* input() { return form.findChild<QListWidget*>("ListBoxInput"); }

    QStringList gridRow(int row) {
        QStringList cells;
        for (int column = 0; column < grid()->columnCount(); ++column) {
            cells << grid()->item(row, column)->text();
        }
        return cells;
    }

    QStringList gridHeaders() {
        QStringList headers;
        for (int column = 0; column < grid()->columnCount(); ++column) {
            headers << grid()->horizontalHeaderItem(column)->text();
        }
        return headers;
    }

    QTemporaryDir folder;
    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
    TFormImportPlaceFile form{context, nullptr};

    const QByteArray milFile =
        "Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Comment\r\n"
        "\r\n"
        "R1 0805 1000mil 2000mil 1000mil 2000mil 1000mil 2000mil T 90 10k\r\n"
        "C1 0603 500mil -250mil 500mil -250mil 500mil -250mil B 450 100n\r\n";
};

TEST_F(ImportPlaceFileWindow, FillsItsGridAndOkReplacesThePartList) {
    EXPECT_EQ(form.windowTitle(), "Import Place File");
    EXPECT_FALSE(button("ButtonOk")->isEnabled());

    importFile(placeFile("board.txt", milFile));

    EXPECT_EQ(port.calls.first(), "open: Open Place File");
    EXPECT_GE(port.eventRounds, 1);
    EXPECT_EQ(input()->count(), 4);
    EXPECT_EQ(gridHeaders(),
              QStringList({"Designator", "Comment", "Pattern", "X in", "Y in", "Angle", "Side"}));
    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(gridRow(0),
              QStringList({"C1", "100n", "0603", "0.5000", "-0.2500", "90.000", "Bottom"}));
    EXPECT_EQ(gridRow(1), QStringList({"R1", "10k", "0805", "1.0000", "2.0000", "90.000", "Top"}));
    EXPECT_EQ(label("LabelFormat")->text(), "Altium / EasyEDA (unit-suffixed columns), mil");
    EXPECT_EQ(label("LabelRows")->text(), "2 rows: 1 top, 1 bottom");
    EXPECT_TRUE(button("ButtonOk")->isEnabled());

    EXPECT_TRUE(execute([this] { button("ButtonOk")->click(); }));
    const ProjectState& project = context.project;
    ASSERT_EQ(project.PartCount(), 2);
    EXPECT_EQ(project.Parts[0].Designator, "C1");
    EXPECT_EQ(project.Parts[0].Comment, "100n 0603");
    EXPECT_NEAR(project.Parts[0].Y, -6.35, 1e-9);
    EXPECT_EQ(project.Parts[1].Comment, "10k 0805");
    EXPECT_EQ(project.CurrentPart, 2);
    EXPECT_FALSE(project.Metric);
    EXPECT_TRUE(project.ProjectModified);
}

// A file without component rows is refused: the window says what it looked for.
TEST_F(ImportPlaceFileWindow, FilesWithoutComponentRowsAreRefused) {
    const struct {
        const char* name;
        QByteArray content;
        QString problem;
    } cases[] = {
        {"header only", "Ref,Val,Package,PosX,PosY,Rot,Side\r\n",
         "KiCad CSV: the file lists no components."},
        {"no place file", "[Board Settings]\r\nBoard Height=1.6\r\n", PlaceFile::kNotAPlaceFile},
    };
    for (const auto& testCase : cases) {
        importFile(placeFile("board.txt", milFile));
        ASSERT_TRUE(button("ButtonOk")->isEnabled());
        port.calls.clear();
        importFile(placeFile("other.txt", testCase.content));
        EXPECT_EQ(label("LabelFormat")->text(), testCase.problem) << testCase.name;
        EXPECT_EQ(label("LabelRows")->text(), "") << testCase.name;
        EXPECT_EQ(grid()->rowCount(), 0) << testCase.name;
        EXPECT_FALSE(button("ButtonOk")->isEnabled()) << testCase.name;
        EXPECT_TRUE(port.calls.filter("error").isEmpty()) << testCase.name;
    }
    EXPECT_FALSE(execute([this] { button("ButtonClose")->click(); }));
    EXPECT_EQ(context.project.Parts.first().Designator, "OLD1");
    EXPECT_FALSE(context.project.ProjectModified);
}

TEST_F(ImportPlaceFileWindow, ImportsTheChosenSideAndTurnsTheBottomOver) {
    importFile(CORVANE_SOURCE_DIR "/tests/project/placefile/fixtures/kicad/board-mm-all.pos");
    EXPECT_EQ(label("LabelFormat")->text(),
              "KiCad .pos, mm; the file gives bottom X as seen from below, taken here as seen "
              "from the top");
    EXPECT_EQ(label("LabelRows")->text(), "11 rows: 5 top, 6 bottom");
    EXPECT_EQ(combo("ComboBoxSide")->currentText(), "All");
    EXPECT_FALSE(combo("ComboBoxUnit")->isEnabled()) << "the file states its unit";
    EXPECT_EQ(grid()->rowCount(), 11);
    EXPECT_FALSE(turnedOver()->isEnabled());

    combo("ComboBoxSide")->setCurrentText("Top");
    EXPECT_EQ(grid()->rowCount(), 5);
    combo("ComboBoxSide")->setCurrentText("Bottom");
    EXPECT_EQ(grid()->rowCount(), 6);
    ASSERT_TRUE(turnedOver()->isEnabled());
    EXPECT_EQ(gridRow(0),
              QStringList({"A3", "ASYM", "ASYM", "45.0000", "-22.5000", "-135.000", "Bottom"}));
    turnedOver()->setChecked(true);
    EXPECT_EQ(gridRow(0),
              QStringList({"A2", "ASYM", "ASYM", "-35.0000", "-18.0000", "120.000", "Bottom"}));

    EXPECT_TRUE(execute([this] { button("ButtonOk")->click(); }));
    const ProjectState& project = context.project;
    ASSERT_EQ(project.PartCount(), 6);
    EXPECT_EQ(project.Parts.first().Designator, "A2");
    EXPECT_DOUBLE_EQ(project.Parts.first().X, -35);
    EXPECT_DOUBLE_EQ(project.Parts.first().Angle, 120);
    EXPECT_TRUE(project.Metric);
}

TEST_F(ImportPlaceFileWindow, TheOperatorSaysTheUnitOfAFileWithoutOne) {
    importFile(CORVANE_SOURCE_DIR
               "/tests/project/placefile/fixtures/kicad/board-inches-top-pos.csv");
    EXPECT_EQ(label("LabelFormat")->text(), "KiCad CSV, mm (the file does not state its unit)");
    ASSERT_TRUE(combo("ComboBoxUnit")->isEnabled());
    combo("ComboBoxUnit")->setCurrentText("inches");
    EXPECT_EQ(label("LabelFormat")->text(), "KiCad CSV, inches (the file does not state its unit)");
    EXPECT_EQ(gridHeaders()[3], "X in");
    EXPECT_EQ(gridRow(0)[3], "1.5748");  // A1 at 40 mm
    EXPECT_TRUE(execute([this] { button("ButtonOk")->click(); }));
    EXPECT_FALSE(context.project.Metric);
    EXPECT_NEAR(context.project.Parts.first().X, 40, 1e-5);
}

TEST_F(ImportPlaceFileWindow, UnknownColumnsAreNamedOnceAndRememberedForTheirHeader) {
    const QByteArray table =
        "Bauteil;Wert;Lage X;Lage Y;Drehung;Seite\r\n"
        "R1;10k;12,5;3;90;oben\r\n"
        "R2;1k;1;2;-90;unten\r\n";
    importFile(placeFile("teile.csv", table));
    EXPECT_TRUE(columnStep()->isVisibleTo(&form));
    EXPECT_TRUE(label("LabelFormat")->text().startsWith("The header of this file names columns"));
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    EXPECT_FALSE(button("ButtonUseColumns")->isEnabled());
    ASSERT_EQ(combo("ComboBoxXColumn")->count(), 7);
    EXPECT_EQ(combo("ComboBoxXColumn")->itemText(3), "3: Lage X");

    combo("ComboBoxDesignatorColumn")->setCurrentIndex(1);
    combo("ComboBoxValueColumn")->setCurrentIndex(2);
    combo("ComboBoxXColumn")->setCurrentIndex(3);
    EXPECT_FALSE(button("ButtonUseColumns")->isEnabled()) << "Y is not named yet";
    combo("ComboBoxYColumn")->setCurrentIndex(4);
    combo("ComboBoxRotationColumn")->setCurrentIndex(5);
    ASSERT_TRUE(button("ButtonUseColumns")->isEnabled());
    button("ButtonUseColumns")->click();

    EXPECT_FALSE(columnStep()->isVisibleTo(&form));
    EXPECT_EQ(label("LabelFormat")->text(),
              "Table with the columns you named, mm (the file does not state its unit)");
    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(gridRow(0), QStringList({"R1", "10k", "", "12.5000", "3.0000", "90.000", "Top"}));
    EXPECT_TRUE(button("ButtonOk")->isEnabled());

    // Cancelling the next choice of a file leaves no columns to name.
    columnStep()->show();
    importFile(QString());
    EXPECT_FALSE(columnStep()->isVisibleTo(&form));
    EXPECT_FALSE(button("ButtonOk")->isEnabled());
    EXPECT_FALSE(button("ButtonColumns")->isEnabled());

    // The next file with this header imports at once.
    TFormImportPlaceFile another(context, nullptr);
    port.files.push_back(placeFile("more.csv", table));
    another.findChild<QPushButton*>("BurronOpenFile")->click();
    EXPECT_TRUE(another.findChild<QPushButton*>("ButtonOk")->isEnabled());
    EXPECT_FALSE(another.findChild<QGroupBox*>("GroupBoxColumns")->isVisibleTo(&another));
    EXPECT_EQ(another.findChild<QTableWidget*>("StringGrid1")->rowCount(), 2);
}

// OK stays enabled between openings, so the grid must show the rows it would import.
TEST_F(ImportPlaceFileWindow, ReopeningShowsTheRowsOkWouldImport) {
    importFile(placeFile("board.txt", milFile));
    int rowsShown = -1;
    EXPECT_FALSE(execute([&] {
        rowsShown = grid()->rowCount();
        button("ButtonClose")->click();
    }));
    EXPECT_EQ(rowsShown, 2);
    EXPECT_EQ(context.project.Parts.first().Designator, "OLD1");
}

TEST_F(ImportPlaceFileWindow, FailedImportsDisableOk) {
    const QString goodFile = placeFile("board.txt", milFile);
    const QString badNumber = placeFile(
        "bad.txt",
        "R1 0805 1mm 2mm 1mm 2mm 1mm 2mm T 0 1k\nR2 0805 1mm 2..5mm 1mm 2mm 1mm 2mm T 0 1k\n");
    const struct {
        const char* name;
        QString path;
        QString report;
    } cases[] = {
        {"dialog cancelled", QString(), QString()},
        {"file missing", folder.filePath("missing.txt"), "information: File Error."},
        {"number does not convert", badNumber,
         "error: Line 2 of the place file: \"2..5mm\" is not a valid number."},
    };
    for (const auto& testCase : cases) {
        importFile(goodFile);
        ASSERT_TRUE(button("ButtonOk")->isEnabled()) << testCase.name;
        port.calls.clear();
        importFile(testCase.path);
        EXPECT_FALSE(button("ButtonOk")->isEnabled()) << testCase.name;
        EXPECT_EQ(grid()->rowCount(), 0) << testCase.name;
        if (!testCase.report.isEmpty()) {
            EXPECT_TRUE(port.calls.contains(testCase.report)) << testCase.name;
        }
    }
}

TEST_F(ImportPlaceFileWindow, RefusedWithoutAnOpenProjectOrDuringARun) {
    bool opened = false;
    const auto closeAtOnce = [&] {
        opened = true;
        form.reject();
    };
    context.project.ProjectOpen = false;
    EXPECT_FALSE(execute(closeAtOnce));
    context.project.ProjectOpen = true;
    context.cycle.BoardRunActive = true;
    EXPECT_FALSE(execute(closeAtOnce));
    EXPECT_FALSE(opened);
}

}  // namespace
