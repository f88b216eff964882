#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "project/PlaceFileImport.h"
#include "support/TestFiles.h"
#include "support/cli/CliRun.h"

namespace {

const QString kFixtureFolder = CORVANE_SOURCE_DIR "/tests/project/placefile/fixtures";

CliRun runImport(const QString& path) {
    return runCli({"import", path});
}

TEST(ImportCommand, PrintsTheRowsTheWindowWouldShowInItsOrder) {
    const QString path = kFixtureFolder + "/altium_capchess_pcb1_mil.txt";
    const CliRun run = runImport(path);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json["metric"], QJsonValue(false));
    const QJsonArray rows = json["rows"].toArray();

    const PlaceFile::ParseResult expected =
        PlaceFile::ParsePlaceLines(PlaceFile::ReadPlaceFile(path).value());
    ASSERT_EQ(rows.size(), expected.Rows.size());
    for (qsizetype index = 0; index < rows.size(); ++index) {
        const QJsonObject row = rows[index].toObject();
        const PlaceFile::PartRec& want = expected.Rows[index];
        EXPECT_EQ(row["designator"].toString(), want.Designator) << index;
        EXPECT_EQ(row["pattern"].toString(), want.Pattern) << index;
        EXPECT_EQ(row["x_mm"].toDouble(), want.X) << index;
        EXPECT_EQ(row["y_mm"].toDouble(), want.Y) << index;
        EXPECT_EQ(row["layer"].toString(), want.Layer) << index;
        EXPECT_EQ(row["rotation"].toDouble(), want.Rotation) << index;
        EXPECT_EQ(row["comment"].toString(), want.Comment) << index;
    }
}

TEST(ImportCommand, TextsSurviveAsJson) {
    QTemporaryDir folder;
    const QString line = QString::fromUtf8(
        "R\\1 08\x01"
        "05 1mm 2mm 1mm 2mm 1mm 2mm T -90 4.7\u00B5H\n");
    const CliRun run = runImport(writeFile(folder, "place.txt", line.toUtf8()));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    EXPECT_EQ(json["metric"], QJsonValue(true));
    const QJsonObject row = json["rows"].toArray().first().toObject();
    EXPECT_EQ(row["designator"].toString(), "R\\1");
    EXPECT_EQ(row["pattern"].toString(), QString::fromUtf8("08\x01"
                                                           "05"));
    EXPECT_EQ(row["rotation"].toDouble(), -90);
    EXPECT_EQ(row["comment"].toString(), QString::fromUtf8("4.7\u00B5H"));
}

TEST(ImportCommand, FailuresGoToStandardErrorWithStatus1) {
    QTemporaryDir folder;
    const struct {
        const char* name;
        QString path;
        QString message;
    } cases[] = {
        {"missing file", folder.filePath("missing.txt"), "cannot read"},
        {"number does not convert",
         writeFile(folder, "place.txt", "Designator\nR1 0805 1mm 2mm 1mm 2mm 1mm 2mm T 1.8.0 1k\n"),
         "Line 2 of the place file: \"1.8.0\" is not a valid number."},
    };
    for (const auto& testCase : cases) {
        const CliRun run = runImport(testCase.path);
        EXPECT_EQ(run.exitCode, 1) << testCase.name;
        EXPECT_TRUE(run.out.isEmpty()) << testCase.name;
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(testCase.message))
            << testCase.name << ": " << run.err.toStdString();
    }
}

}  // namespace
