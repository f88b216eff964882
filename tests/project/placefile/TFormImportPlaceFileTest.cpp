#include "project/TFormImportPlaceFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"

namespace {

class ImportPlaceFileWindow : public ::testing::Test {
protected:
    void SetUp() override {
        context.project.ProjectOpen = true;
        context.project.Parts = {PartRec{"OLD1", "", 1, 1, 0, 1, false},
                                 PartRec{"OLD2", "", 2, 2, 0, 1, false}};
        context.project.CurrentPart = 2;
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
              QStringList({"Designator", "Comment", "Pattern", "X in", "Y in", "Angle"}));
    ASSERT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(gridRow(0), QStringList({"C1", "100n", "0603", "0.5000", "-0.2500", "90.000"}));
    EXPECT_EQ(gridRow(1), QStringList({"R1", "10k", "0805", "1.0000", "2.0000", "90.000"}));
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

TEST_F(ImportPlaceFileWindow, OkWithoutComponentRowsLeavesThePartList) {
    importFile(placeFile("header.txt", "Designator Footprint Mid X Mid Y\r\n"));
    EXPECT_EQ(grid()->rowCount(), 0);
    EXPECT_TRUE(button("ButtonOk")->isEnabled());
    EXPECT_TRUE(execute([this] { button("ButtonOk")->click(); }));
    EXPECT_EQ(context.project.PartCount(), 2);
    EXPECT_EQ(context.project.Parts.first().Designator, "OLD1");
    EXPECT_FALSE(context.project.ProjectModified);
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
