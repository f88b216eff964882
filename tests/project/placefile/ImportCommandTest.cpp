#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"
#include "support/TestFiles.h"
#include "support/cli/CliRun.h"

namespace {

const QString kFixtureFolder = CORVANE_SOURCE_DIR "/tests/project/placefile/fixtures";

CliRun runImport(const QStringList& arguments) {
    return runCli(QStringList{"import"} + arguments);
}

QJsonObject jsonOf(const CliRun& run) {
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return json;
}

TEST(ImportCommand, PrintsTheRowsTheWindowWouldShowInItsOrder) {
    const QString path = kFixtureFolder + "/other_kicad_faraday_all.pos";
    const CliRun run = runImport({path});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = jsonOf(run);
    EXPECT_EQ(json["format"], "kicad-pos");
    EXPECT_EQ(json["unit"], "inches");
    EXPECT_EQ(json["unit_stated"], true);
    EXPECT_EQ(json["metric"], false);
    EXPECT_EQ(json["side"], "all");
    EXPECT_EQ(json["rows_top"], 99);
    EXPECT_EQ(json["rows_bottom"], 4);
    const QJsonArray rows = json["rows"].toArray();

    const PlaceFile::PlaceFileReading expected =
        PlaceFile::RecognisePlaceLines(PlaceFile::ReadPlaceFile(path).value());
    ASSERT_EQ(rows.size(), expected.Rows.size());
    for (qsizetype index = 0; index < rows.size(); ++index) {
        const QJsonObject row = rows[index].toObject();
        const PlaceFile::PartRec& want = expected.Rows[index];
        EXPECT_EQ(row["designator"].toString(), want.Designator) << index;
        EXPECT_EQ(row["pattern"].toString(), want.Pattern) << index;
        EXPECT_EQ(row["x_mm"].toDouble(), want.X) << index;
        EXPECT_EQ(row["y_mm"].toDouble(), want.Y) << index;
        EXPECT_EQ(row["layer"].toString(), want.Layer) << index;
        EXPECT_EQ(row["side"].toString(),
                  want.Side == PlaceFile::BoardSide::Bottom ? "bottom" : "top")
            << index;
        EXPECT_EQ(row["rotation"].toDouble(), want.Rotation) << index;
        EXPECT_EQ(row["comment"].toString(), want.Comment) << index;
    }
}

TEST(ImportCommand, TakesTheChosenSideAndTheUnitOfAFileWithoutOne) {
    QTemporaryDir folder;
    const QString path = writeFile(folder, "board-pos.csv",
                                   "Ref,Val,Package,PosX,PosY,Rot,Side\n"
                                   "\"R1\",\"10k\",\"R_0805\",0.5,-1,0,top\n"
                                   "\"A2\",\"ASYM\",\"ASYM\",-1,-0.5,60,bottom\n");
    const CliRun run = runImport({path, "--side", "bottom", "--turned-over", "--unit", "inches"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = jsonOf(run);
    EXPECT_EQ(json["format"], "kicad-csv");
    EXPECT_EQ(json["unit"], "inches");
    EXPECT_EQ(json["unit_stated"], false);
    EXPECT_EQ(json["bottom_x_seen_from_below"], true);
    EXPECT_EQ(json["turned_over"], true);
    const QJsonArray rows = json["rows"].toArray();
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject row = rows.first().toObject();
    EXPECT_EQ(row["designator"], "A2");
    EXPECT_EQ(row["layer"], "bottom");
    // KiCad wrote X -1 as seen from below: 1 inch from the top, -1 inch on the turned board.
    EXPECT_DOUBLE_EQ(row["x_mm"].toDouble(), -25.4);
    EXPECT_DOUBLE_EQ(row["y_mm"].toDouble(), -12.7);
    EXPECT_DOUBLE_EQ(row["rotation"].toDouble(), 120);

    const CliRun top = runImport({path, "--side", "top"});
    EXPECT_EQ(jsonOf(top)["rows"].toArray().size(), 1);
    EXPECT_DOUBLE_EQ(jsonOf(top)["rows"].toArray().first()["x_mm"].toDouble(), 0.5);
}

TEST(ImportCommand, TextsSurviveAsJson) {
    QTemporaryDir folder;
    const QString line = QString::fromUtf8(
        "R\\1 08\x01"
        "05 1mm 2mm 1mm 2mm 1mm 2mm T -90 4.7\u00B5H\n");
    const CliRun run = runImport({writeFile(folder, "place.txt", line.toUtf8())});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = jsonOf(run);
    EXPECT_EQ(json["metric"], QJsonValue(true));
    EXPECT_EQ(json["format"], "unit-suffixed-columns");
    const QJsonObject row = json["rows"].toArray().first().toObject();
    EXPECT_EQ(row["designator"].toString(), "R\\1");
    EXPECT_EQ(row["pattern"].toString(), QString::fromUtf8("08\x01"
                                                           "05"));
    EXPECT_EQ(row["rotation"].toDouble(), -90);
    EXPECT_EQ(row["comment"].toString(), QString::fromUtf8("4.7\u00B5H"));
}

// A file the import cannot read says why on standard error, prints nothing and exits 1;
// a command line it does not understand exits 2.
TEST(ImportCommand, RefusalsGoToStandardErrorWithNothingOnStandardOutput) {
    QTemporaryDir folder;
    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        QString message;
    } cases[] = {
        {"missing file", {folder.filePath("missing.txt")}, 1, "cannot read"},
        {"number does not convert",
         {writeFile(folder, "place.txt",
                    "Designator\nR1 0805 1mm 2mm 1mm 2mm 1mm 2mm T 1.8.0 1k\n")},
         1,
         "Line 2 of the place file: \"1.8.0\" is not a valid number."},
        {"no place file",
         {writeFile(folder, "notes.txt", "Assemble the top first.\n")},
         1,
         PlaceFile::kNotAPlaceFile},
        {"header without components",
         {writeFile(folder, "empty-pos.csv", "Ref,Val,Package,PosX,PosY,Rot,Side\n")},
         1,
         "KiCad CSV: the file lists no components."},
        {"columns not known",
         {writeFile(folder, "de.csv", "Bauteil;Lage X;Lage Y;Drehung\nR1;1;2;90\n")},
         1,
         "The Import Place File window lets you name them."},
        {"no file", {}, 2, "expected exactly one place file"},
        {"unknown side",
         {folder.filePath("x"), "--side", "left"},
         2,
         "--side takes one of: all, top, bottom"},
        {"turned over without the bottom",
         {folder.filePath("x"), "--turned-over"},
         2,
         "--turned-over takes the bottom side"},
    };
    for (const auto& testCase : cases) {
        const CliRun run = runImport(testCase.arguments);
        EXPECT_EQ(run.exitCode, testCase.exitCode) << testCase.name;
        EXPECT_TRUE(run.out.isEmpty()) << testCase.name;
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(testCase.message))
            << testCase.name << ": " << run.err.toStdString();
    }
}

}  // namespace
