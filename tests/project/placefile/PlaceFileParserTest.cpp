#include "project/PlaceFileParser.h"

#include "PlaceFileRowChecks.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace PlaceFile;

namespace {

TEST(TokeniseLine, SplitsAtTabsSpacesAndCommasAndDropsQuotes) {
    const struct {
        QString line;
        QStringList fields;
    } cases[] = {
        {"", {}},
        {" ", {""}},
        {"\"\"", {""}},
        {"R1  0805\t\t1000mil", {"R1", "0805", "1000mil"}},
        {"\"R1\",\"0805\",\"10k\"", {"R1", "0805", "10k"}},
        {"\"U6\"\t,\"QFN\"\t,", {"U6", "QFN", ""}},
        {"R1 0805 ", {"R1", "0805", ""}},
        {"BCV47,SOT23", {"BCV47", "SOT23"}},
        {"10.0 \u00B5H", {"10.0", "\u00B5H"}},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(TokeniseLine(testCase.line), testCase.fields) << testCase.line.toStdString();
    }
}

TEST(TokeniseLine, KeepsTheFirst99Fields) {
    QStringList words;
    for (int index = 1; index <= 120; ++index) {
        words << QString("w%1").arg(index);
    }
    const QStringList fields = TokeniseLine(words.join(' ') + ' ');
    ASSERT_EQ(fields.size(), kMaxFields);
    EXPECT_EQ(fields.constLast(), "w99");
}

TEST(RejoinPattern, JoinsFootprintWordsUntilACoordinateFollows) {
    const struct {
        const char* name;
        QString line;
        QStringList fields;
    } cases[] = {
        {"two-word footprint",
         "U1 SOT 23 1mil 2mil 3mil 4mil 5mil 6mil T 90 10k",
         {"U1", "SOT 23", "1mil", "2mil", "3mil", "4mil", "5mil", "6mil", "T", "90", "10k", ""}},
        {"one-word footprint stays",
         "R1 0805 1mm 2mm 3mm 4mm 5mm 6mm T 90 10k",
         {"R1", "0805", "1mm", "2mm", "3mm", "4mm", "5mm", "6mm", "T", "90", "10k"}},
        {"fewer than ten fields are left alone",
         "Designator Footprint Mid X Mid Y Ref X Ref",
         {"Designator", "Footprint", "Mid", "X", "Mid", "Y", "Ref", "X", "Ref"}},
        {"at most ten extra words",
         "U1 a b c d e f g h i j k 1mil 2mil",
         {"U1", "a b c d e f g h i j k", "1mil", "2mil", "", "", "", "", "", "", "", "", "", ""}},
        {"an eleventh word is not joined",
         "U1 a b c d e f g h i j k l 1mil",
         {"U1", "a b c d e f g h i j k", "l", "1mil", "", "", "", "", "", "", "", "", "", ""}},
    };
    for (const auto& testCase : cases) {
        QStringList fields = TokeniseLine(testCase.line);
        RejoinPattern(fields);
        EXPECT_EQ(fields, testCase.fields) << testCase.name;
    }
}

TEST(Number, KeepsSignPointAndDigitsOnly) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"1000mil", 1000}, {"-803.15mil", -803.15},
        {"90.00", 90},     {"\"-56.77mm\"", -56.77},
        {"T", 0},          {"", 0},
        {"1.", 1},         {".5", 0.5},
        {"R-12.5", -12.5}, {"1.2.3mil", {}},
        {"5-3", {}},       {"-", {}},
        {".", {}},         {"--1", {}},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(number(QString::fromUtf8(testCase.text)), testCase.value) << testCase.text;
    }
}

TEST(Number, MinusZeroReadsAsZero) {
    const std::optional<double> value = number(u"-0.00");
    ASSERT_TRUE(value);
    EXPECT_FALSE(std::signbit(*value));
}

TEST(StepRotation, TakesOneStepOf360) {
    const std::pair<double, double> cases[] = {{450, 90},        {720, 360},  {360, 0},
                                               {-360, 0},        {-450, -90}, {-720, -360},
                                               {359.99, 359.99}, {-90, -90},  {0, 0}};
    for (const auto& [rotation, stepped] : cases) {
        EXPECT_DOUBLE_EQ(StepRotation(rotation), stepped) << rotation;
    }
}

struct LineCase {
    const char* name;
    QString line;
    PartRec row;
    bool metric;
};

TEST(ParsePlaceLines, ReadsComponentLinesInMilAndMm) {
    const LineCase cases[] = {
        {"mil converted to mm",
         "R1 0805 1000mil 2000mil 1000mil 2000mil 1000mil 2000mil T 90 10k",
         {"R1", "0805", 25.4, 50.8, "T", 90, "10k"},
         false},
        {"mm taken as they are",
         "R1 0805 1000mm 2000mm 1000mm 2000mm 1000mm 2000mm T 90 10k",
         {"R1", "0805", 1000, 2000, "T", 90, "10k"},
         true},
        {"two-word footprint",
         "U1 SOT 23 10mm 20mm 10mm 20mm 10mm 20mm B 180 BC847",
         {"U1", "SOT 23", 10, 20, "B", 180, "BC847", BoardSide::Bottom},
         true},
        {"rotation 450",
         "C1 0603 1mm 2mm 1mm 2mm 1mm 2mm T 450 1u",
         {"C1", "0603", 1, 2, "T", 90, "1u"},
         true},
        {"rotation 720",
         "C1 0603 1mm 2mm 1mm 2mm 1mm 2mm T 720 1u",
         {"C1", "0603", 1, 2, "T", 360, "1u"},
         true},
        {"quoted and comma-separated",
         "\"R1\",\"0805\",\"1000mil\",\"2000mil\",\"1000mil\",\"2000mil\",\"1000mil\",\"2000mil\","
         "\"T\",\"90\",\"10k\"",
         {"R1", "0805", 25.4, 50.8, "T", 90, "10k"},
         false},
        {"multi-word value keeps its first word",
         "R7 0805 -10mil 0mil 0mil 0mil 0mil 0mil T 270.00 RES 10K 5%",
         {"R7", "0805", -0.254, 0, "T", 270, "RES"},
         false},
        {"missing rotation and value read as 0 and empty",
         "TP1 PAD 1mm 2mm 3mm 4mm 5mm 6mm T",
         {"TP1", "PAD", 1, 2, "T", 0, ""},
         true},
    };
    for (const LineCase& testCase : cases) {
        const ParseResult result = ParsePlaceLines({testCase.line});
        ASSERT_TRUE(result.Succeeded()) << testCase.name;
        ASSERT_EQ(result.Rows.size(), 1) << testCase.name;
        ExpectSameRow(result.Rows.first(), testCase.row, testCase.name);
        EXPECT_EQ(result.Metric, testCase.metric) << testCase.name;
    }
}

TEST(ParsePlaceLines, SkipsLinesThatAreNotComponentRows) {
    const QStringList lines = {
        "Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Comment",
        "",
        "\"\"",
        "R1 0805 1000MIL 2000MIL 1000MIL 2000MIL 1000MIL 2000MIL T 90 10k",
        "R2 0805 1mil 2mil 3mil 4mil 5mil 6mm T 90 10k",
        "R3 0805 1000mil 2000mil T 90 10k",
        "R4,10k,0805,12.5,-3.2,90,top",
    };
    const ParseResult result = ParsePlaceLines(lines);
    EXPECT_TRUE(result.Succeeded());
    EXPECT_TRUE(result.Rows.isEmpty());
    EXPECT_FALSE(result.Metric.has_value());
}

// The header's distance from rotation to comment counts only on lines with the extra columns.
TEST(ParsePlaceLines, HeaderPlacesTheCommentOfLinesWithExtraColumnsOnly) {
    const QString ordinaryHeader =
        "Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Unit Comment";
    const QString wideHeader =
        "Designator,Footprint,Mid X,Mid Y,Ref X,Ref Y,Pad X,Pad Y,Pins,Layer,Rotation,SMD,Comment";
    const QString smdHeader =
        "Designator,Device,Footprint,Mid X,Mid Y,Ref X,Ref Y,Pad X,Pad "
        "Y,Layer,Rotation,SMD,Comment";
    const struct {
        const char* name;
        QStringList lines;
        PartRec row;
    } cases[] = {
        {"ordinary header with a word between rotation and comment",
         {ordinaryHeader, "R1 0805 1mm 2mm 1mm 2mm 1mm 2mm T 90 10k"},
         {"R1", "0805", 1, 2, "T", 90, "10k"}},
        {"the same with a line that ends in a separator",
         {ordinaryHeader, "R1,0805,1mm,2mm,1mm,2mm,1mm,2mm,T,90,10k,"},
         {"R1", "0805", 1, 2, "T", 90, "10k"}},
        {"pin count and SMD flag",
         {wideHeader, "U1,SOT-23,1mm,2mm,1mm,2mm,1mm,2mm,3,B,270,Yes,BC847"},
         {"U1", "SOT-23", 1, 2, "B", 270, "BC847", BoardSide::Bottom}},
        {"pin count and SMD flag, no comment",
         {wideHeader, "U1,SOT-23,1mm,2mm,1mm,2mm,1mm,2mm,3,B,270,Yes"},
         {"U1", "SOT-23", 1, 2, "B", 270, "", BoardSide::Bottom}},
        {"SMD flag without a pin count",
         {smdHeader, "U2,BC847,SOT-23,1mm,2mm,1mm,2mm,1mm,2mm,T,90,Yes,BC847B"},
         {"U2", "BC847 SOT-23", 1, 2, "T", 90, "BC847B"}},
        {"ordinary line after a wide header",
         {wideHeader, "C1,0603,1mm,2mm,1mm,2mm,1mm,2mm,T,180,100n"},
         {"C1", "0603", 1, 2, "T", 180, "100n"}},
    };
    for (const auto& testCase : cases) {
        const ParseResult result = ParsePlaceLines(testCase.lines);
        ASSERT_EQ(result.Rows.size(), 1) << testCase.name;
        ExpectSameRow(result.Rows.first(), testCase.row, testCase.name);
    }
}

TEST(ParsePlaceLines, UnitOfTheLastComponentLineDecides) {
    const ParseResult result = ParsePlaceLines({
        "R1 0805 1mm 2mm 1mm 2mm 1mm 2mm T 0 1k",
        "R2 0805 1mil 2mil 1mil 2mil 1mil 2mil T 0 1k",
        "not a component line",
    });
    EXPECT_EQ(result.Rows.size(), 2);
    EXPECT_EQ(result.Metric, false);
}

TEST(ParsePlaceLines, ConversionErrorStopsAndNamesTheLine) {
    const ParseResult result = ParsePlaceLines({
        "Designator Footprint",
        "R1 0805 1mm 2mm 1mm 2mm 1mm 2mm T 0 1k",
        "R2 0805 1.2.3mm 2mm 1mm 2mm 1mm 2mm T 0 1k",
        "R3 0805 1mm 2mm 1mm 2mm 1mm 2mm T 0 1k",
    });
    EXPECT_FALSE(result.Succeeded());
    EXPECT_TRUE(result.Error.contains("Line 3")) << result.Error.toStdString();
    EXPECT_TRUE(result.Error.contains("1.2.3mm")) << result.Error.toStdString();
    ASSERT_EQ(result.Rows.size(), 1);
    EXPECT_EQ(result.Rows.first().Designator, "R1");
}

TEST(ParsePlaceLines, RotationThatDoesNotConvertIsAnError) {
    const ParseResult result = ParsePlaceLines({"R1 0805 1mm 2mm 1mm 2mm 1mm 2mm T 9-0 1k"});
    EXPECT_TRUE(result.Error.contains("\"9-0\"")) << result.Error.toStdString();
    EXPECT_TRUE(result.Rows.isEmpty());
}

QStringList designators(const QList<PartRec>& rows) {
    QStringList names;
    for (const PartRec& row : rows) {
        names << row.Designator;
    }
    return names;
}

TEST(ParsePlaceLines, SortsByFootprintValueAndRotationText) {
    const ParseResult result = ParsePlaceLines({
        "R1 0805 1mm 1mm 1mm 1mm 1mm 1mm T 90 10k",
        "C1 0603 1mm 1mm 1mm 1mm 1mm 1mm T 0 100n",
        "R2 0805 1mm 1mm 1mm 1mm 1mm 1mm T 180 10k",
        "R3 0805 1mm 1mm 1mm 1mm 1mm 1mm T 0 1k",
        "C2 0603 1mm 1mm 1mm 1mm 1mm 1mm T -90 100n",
        "U1 SOT 23 1mm 1mm 1mm 1mm 1mm 1mm T 0 BC847",
    });
    // Compared as text: "-" before digits, 180.000 before 90.000, and "10k" before "1k " because
    // the value is padded with spaces.
    EXPECT_EQ(designators(result.Rows), QStringList({"C2", "C1", "R2", "R1", "R3", "U1"}));
}

TEST(SortKey, PadsAndCutsEachPartTo50Characters) {
    const QString longPattern(60, u'P');
    const PartRec row{"R1", longPattern, 0, 0, "T", 12.5, "10k"};
    const QString key = SortKey(row);
    ASSERT_EQ(key.size(), 150);
    EXPECT_EQ(key.left(50), longPattern.left(50));
    EXPECT_EQ(key.mid(50, 50), QString("10k").leftJustified(50));
    EXPECT_EQ(key.mid(100), QString("12.500").leftJustified(50));
}

// The rotation's text rounds a tie away from zero and writes no sign on zero.
TEST(SortKey, RotationTextRoundsLikeTheProgramsNumberFormat) {
    const std::pair<double, const char*> cases[] = {
        {-717.0625, "-717.063"}, {545.5625, "545.563"}, {-0.0, "0.000"}, {359.9995, "360.000"}};
    for (const auto& [rotation, text] : cases) {
        const PartRec row{"R1", "0805", 0, 0, "T", rotation, "10k"};
        EXPECT_EQ(SortKey(row).mid(100).trimmed(), text) << rotation;
    }
}

TEST(SortRows, FootprintsEqualInTheirFirst50CharactersSortByValue) {
    const QString stem(50, u'F');
    QList<PartRec> rows = {{"A", stem + "Z", 0, 0, "T", 0, "2"},
                           {"B", stem + "A", 0, 0, "T", 0, "1"}};
    SortRows(rows);
    EXPECT_EQ(designators(rows), QStringList({"B", "A"}));
}

TEST(ParsePlaceLines, PumpsEventsWhileParsing) {
    const QStringList lines(5, "R1 0805 1mm 1mm 1mm 1mm 1mm 1mm T 0 1k");
    int everyLine = 0;
    ParsePlaceLines(
        lines, [&] { ++everyLine; }, std::chrono::milliseconds(0));
    EXPECT_EQ(everyLine, 5);

    int throttled = 0;
    ParsePlaceLines(
        lines, [&] { ++throttled; }, std::chrono::hours(1));
    EXPECT_EQ(throttled, 1);
}

}  // namespace
