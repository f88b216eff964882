#include "project/PlaceFileImport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "project/PlaceFileParser.h"
#include "settings/TextEncoding.h"
#include "support/TestFiles.h"

using namespace PlaceFile;

namespace {

using PlaceFile::PartRec;

TEST(SplitLines, EndsLinesAtLfOrCrLf) {
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {"", {}},     {"a\r\nb\r\n", {"a", "b"}}, {"a\nb", {"a", "b"}}, {"a\n\n", {"a", ""}},
        {"\n", {""}}, {"a\rb\n", {"a\rb"}},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(SplitLines(testCase.text), testCase.lines) << testCase.text.toStdString();
    }
}

QByteArray encoded(QStringConverter::Encoding encoding, const QString& text, bool withMark) {
    QStringEncoder encoder(
        encoding, withMark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

// Exports that came as UTF-16 used to be read as 8-bit text and gave no rows at all.
TEST(ReadPlaceFile, EveryEncodingGivesTheSameRow) {
    const QString text = QString::fromUtf8(
        "Designator\tFootprint\tMid X\r\n"
        "\"L1\"\t\"0805\"\t\"1000mil\"\t\"2000mil\"\t\"1000mil\"\t\"2000mil\"\t\"1000mil\"\t"
        "\"2000mil\"\t\"T\"\t\"90\"\t\"10\u00B5H\u2013\u00B1\u201C5%\u201D\"\r\n");
    const QString comment = QString::fromUtf8("10\u00B5H\u2013\u00B1\u201C5%\u201D");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-16 LE", encoded(QStringConverter::Utf16LE, text, true)},
        {"UTF-16 BE", encoded(QStringConverter::Utf16BE, text, true)},
        {"UTF-8 with mark", encoded(QStringConverter::Utf8, text, true)},
        {"UTF-8", encoded(QStringConverter::Utf8, text, false)},
        {"Windows-1252", EncodeText(text)},
    };
    ASSERT_EQ(cases[4].bytes.size(), text.size()) << "one byte per character";
    QTemporaryDir folder;
    for (const auto& testCase : cases) {
        const auto lines = ReadPlaceFile(writeFile(folder, testCase.name, testCase.bytes));
        ASSERT_TRUE(lines) << testCase.name;
        EXPECT_EQ(lines->size(), 2) << testCase.name;
        const ParseResult result = ParsePlaceLines(*lines);
        ASSERT_EQ(result.Rows.size(), 1) << testCase.name;
        EXPECT_EQ(result.Rows.first().Comment, comment) << testCase.name;
        EXPECT_NEAR(result.Rows.first().Y, 50.8, 1e-9) << testCase.name;
    }
}

TEST(ReadPlaceFile, MissingFileOrFolderCannotBeRead) {
    QTemporaryDir folder;
    EXPECT_FALSE(ReadPlaceFile(folder.filePath("missing.txt")));
    EXPECT_FALSE(ReadPlaceFile(folder.path()));
}

PlaceFile::PartRec row(const QString& designator, double rotation) {
    return {designator, "0805", 25.4, 50.8, "T", rotation, "10k"};
}

PlaceFile::PartRec sidedRow(const QString& designator, BoardSide side, double x, double rotation) {
    return {designator, "0805", x, 7, side == BoardSide::Top ? "T" : "B", rotation, "10k", side};
}

QStringList designators(const QList<PlaceFile::PartRec>& rows) {
    QStringList names;
    for (const PlaceFile::PartRec& each : rows) {
        names << each.Designator;
    }
    return names;
}

TEST(SelectRows, TakesTheChosenSideAndTurnsTheBottomOverOnlyWhenAsked) {
    const QList<PlaceFile::PartRec> rows = {
        sidedRow("B1", BoardSide::Bottom, 10, 90), sidedRow("T1", BoardSide::Top, 5, 0),
        sidedRow("B2", BoardSide::Bottom, -3, -135), sidedRow("T2", BoardSide::Top, 6, 270)};
    EXPECT_EQ(CountSides(rows).Top, 2);
    EXPECT_EQ(CountSides(rows).Bottom, 2);
    EXPECT_EQ(designators(SelectRows(rows, SideChoice::All)), designators(rows));
    EXPECT_EQ(designators(SelectRows(rows, SideChoice::Top)), QStringList({"T1", "T2"}));

    const QList<PlaceFile::PartRec> bottom = SelectRows(rows, SideChoice::Bottom);
    ASSERT_EQ(designators(bottom), QStringList({"B1", "B2"}));
    EXPECT_EQ(bottom[0].X, 10);
    EXPECT_EQ(bottom[0].Rotation, 90);

    // Sorted again by the new angles: "315.000" before "90.000" as text.
    const QList<PlaceFile::PartRec> turned = SelectRows(rows, SideChoice::BottomTurnedOver);
    ASSERT_EQ(designators(turned), QStringList({"B2", "B1"}));
    EXPECT_EQ(turned[0].X, 3);
    EXPECT_EQ(turned[0].Rotation, 315);
    EXPECT_EQ(turned[1].X, -10);
    EXPECT_EQ(turned[1].Y, 7);
    EXPECT_EQ(turned[1].Rotation, 90);
}

TEST(TurnedOver, MirrorsXAndTheAngleAndKeepsTheAngleWithinAFullTurn) {
    const std::pair<double, double> angles[] = {{0, 180},    {60, 120},  {180, 0},    {-90, 270},
                                                {-135, 315}, {-270, 90}, {-300, 120}, {359, -179}};
    for (const auto& [angle, turned] : angles) {
        const PlaceFile::PartRec result = TurnedOver(sidedRow("A", BoardSide::Bottom, 2.5, angle));
        EXPECT_EQ(result.X, -2.5) << angle;
        EXPECT_DOUBLE_EQ(result.Rotation, turned) << angle;
        EXPECT_GT(result.Rotation, -360) << angle;
        EXPECT_LT(result.Rotation, 360) << angle;
    }
}

ProjectState projectWithTwoParts(int currentPart) {
    ProjectState project;
    project.ProjectOpen = true;
    project.Parts = {::PartRec{"OLD1", "", 1, 1, 0, 1, false},
                     ::PartRec{"OLD2", "", 2, 2, 0, 1, false}};
    project.CurrentPart = currentPart;
    project.Feeders = {FeederRec{}};
    project.BoardHeight = 1.6;
    return project;
}

TEST(ReplacePartList, ImportedPartsHaveNoFeederAndCarryValueAndFootprint) {
    ProjectState project = projectWithTwoParts(1);
    ASSERT_TRUE(ReplacePartList(project, {row("R1", 90)}, false));
    ASSERT_EQ(project.PartCount(), 1);
    const ::PartRec& part = project.Parts.first();
    EXPECT_EQ(part.Designator, "R1");
    EXPECT_EQ(part.Comment, "10k 0805");
    EXPECT_DOUBLE_EQ(part.X, 25.4);
    EXPECT_DOUBLE_EQ(part.Y, 50.8);
    EXPECT_DOUBLE_EQ(part.Angle, 90);
    EXPECT_EQ(part.Feeder, 0);
    EXPECT_TRUE(part.Enabled);
    EXPECT_FALSE(project.Metric);
    EXPECT_TRUE(project.ProjectModified);
    EXPECT_EQ(project.FeederCount(), 1);
    EXPECT_DOUBLE_EQ(project.BoardHeight, 1.6);
}

TEST(ReplacePartList, CurrentPartStaysWithinTheNewList) {
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {5, 3}};
    for (const auto& [before, after] : cases) {
        ProjectState project = projectWithTwoParts(before);
        ReplacePartList(project, {row("R1", 0), row("R2", 0), row("R3", 0)}, true);
        EXPECT_EQ(project.CurrentPart, after) << before;
    }
}

TEST(ReplacePartList, NoRowsLeaveTheProjectAsItWas) {
    ProjectState project = projectWithTwoParts(2);
    EXPECT_FALSE(ReplacePartList(project, {}, false));
    EXPECT_EQ(project.PartCount(), 2);
    EXPECT_EQ(project.CurrentPart, 2);
    EXPECT_TRUE(project.Metric);
    EXPECT_FALSE(project.ProjectModified);
}

}  // namespace
