#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "ModelTestSupport.h"
#include "project/FeederFile.h"
#include "project/ProjectFile.h"
#include "support/cli/CliRun.h"

namespace {

CliRun runProject(const QStringList& arguments) {
    return runCli(QStringList{"project"} + arguments);
}

QString goldenPath(const QString& name) {
    return QStringLiteral(CORVANE_SOURCE_DIR "/tests/project/model/golden/") + name;
}

QStringList keysOf(const QList<FileValue>& values) {
    QStringList keys;
    for (const FileValue& value : values) {
        keys << value.key;
    }
    return keys;
}

QJsonObject parsed(const CliRun& run) {
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return json.object();
}

TEST(ProjectCommand, PrintsEveryBoardKeyThePartsAndEveryFeederKey) {
    const CliRun run = runProject({goldenPath("SavedProject.Corvane")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = parsed(run);
    const ProjectState sample = SampleProject();

    const QJsonObject board = json["board"].toObject();
    QStringList boardKeys = keysOf(BoardFileValues(sample));
    ASSERT_EQ(boardKeys.size(), 18);
    QStringList printedKeys = board.keys();
    boardKeys.sort();
    EXPECT_EQ(printedKeys, boardKeys);
    EXPECT_EQ(board["Panel Origin Y"].toDouble(), -3.25);
    EXPECT_EQ(board["Panel Count Y"].toInt(), 3);
    EXPECT_EQ(board["Board Fiducial 2 Snap Name"].toString(), QStringLiteral("Passmarke Süd"));
    EXPECT_EQ(board["Dual Fiducial"], QJsonValue(true));
    EXPECT_EQ(board["Board Metric"], QJsonValue(false));

    const QJsonArray parts = json["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    const QJsonObject second = parts[1].toObject();
    EXPECT_EQ(second.keys(),
              (QStringList{"angle", "comment", "designator", "enabled", "feeder", "x", "y"}));
    EXPECT_EQ(second["designator"].toString(), "U3");
    EXPECT_EQ(second["y"].toDouble(), 1000);
    EXPECT_EQ(second["angle"].toDouble(), -45.5);
    EXPECT_EQ(second["feeder"].toInt(), 2);
    EXPECT_EQ(second["enabled"], QJsonValue(false));
    EXPECT_EQ(parts[0].toObject()["comment"].toString(), "10k 0603");

    const QJsonArray feeders = json["feeders"].toArray();
    ASSERT_EQ(feeders.size(), 2);
    QStringList feederKeys = keysOf(FeederFileValues(QfpTray()));
    ASSERT_EQ(feederKeys.size(), 17);
    feederKeys.sort();
    const QJsonObject tray = feeders[1].toObject();
    EXPECT_EQ(tray.keys(), feederKeys);
    EXPECT_EQ(tray["Description"].toString(), "QFP tray");
    EXPECT_EQ(tray["Tray Pick Count"].toInt(), 7);
    EXPECT_EQ(tray["Tray Y Spacing"].toDouble(), -12.7);
    EXPECT_EQ(tray["Use Vision"], QJsonValue(false));
}

TEST(ProjectCommand, SaveWritesTheFileBackWithTheProgramsWriter) {
    QTemporaryDir folder;
    const QString copy = folder.filePath("copy.Corvane");
    const CliRun run = runProject({goldenPath("Windows1252Project.Corvane"), "--save", copy});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(ReadBytes(copy), Golden("Windows1252Project.Corvane"));
    EXPECT_EQ(parsed(run)["parts"].toArray()[0].toObject()["comment"].toString(),
              QStringLiteral("10µF ±10% – X7R 0805"));

    // A hand-made file comes back in the program's own layout.
    const QString sparse = folder.filePath("sparse.Corvane");
    WriteBytes(sparse, "[part list]\npart count=1\npart 1 designator=R9\n");
    ASSERT_EQ(runProject({sparse, "--save", sparse}).exitCode, 0);
    ProjectState expected;
    expected.Parts = {PartRec{"R9", QString(), 0, 0, 0, 0, true}};
    EXPECT_EQ(ReadBytes(sparse), ProjectFileText(expected));
}

TEST(ProjectCommand, FailuresSayWhyOnStandardError) {
    QTemporaryDir folder;
    const QString damaged = folder.filePath("damaged.Corvane");
    WriteBytes(damaged, CrLfLines({"[Part List]", "Part Count=-1"}));
    const QString damagedFeeders = folder.filePath("feeders.Corvane");
    WriteBytes(damagedFeeders, CrLfLines({"[Feeder List]", "Feeder Count=5000000"}));
    const QString countOnly = folder.filePath("count.Corvane");
    WriteBytes(countOnly, CrLfLines({"[Part List]", "Part Count=1000"}));
    const QString good = goldenPath("NewProject.Corvane");
    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        QString message;
    } cases[] = {
        {"no such file", {folder.filePath("missing.Corvane")}, 1, "there is no such file"},
        {"a folder", {folder.path()}, 1, "cannot read"},
        {"damaged part count", {damaged}, 1, "\"Part Count\" is -1"},
        {"damaged feeder count", {damagedFeeders}, 1, "\"Feeder Count\" is 5000000"},
        {"count beyond its section",
         {countOnly},
         1,
         "\"Part Count\" is 1000, but its section holds only 1 value"},
        {"nowhere to save",
         {good, "--save", folder.filePath("no/such/folder.Corvane")},
         1,
         "cannot write"},
        {"no file", {}, 2, "expected a project file"},
        {"save without its file", {good, "--save"}, 2, "--save needs the file to write"},
        {"unknown option", {good, "--json"}, 2, "unexpected argument --json"},
        {"two files", {good, good}, 2, "unexpected argument"},
    };
    for (const auto& testCase : cases) {
        const CliRun run = runProject(testCase.arguments);
        EXPECT_EQ(run.exitCode, testCase.exitCode) << testCase.name;
        EXPECT_TRUE(run.out.isEmpty()) << testCase.name;
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(testCase.message))
            << testCase.name << ": " << run.err.toStdString();
    }
    EXPECT_EQ(FilesIn(folder.path()),
              (QStringList{"count.Corvane", "damaged.Corvane", "feeders.Corvane"}));
}

}  // namespace
