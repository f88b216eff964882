// Small place files in the shapes the design tools document, recognised by their content.
#include "project/PlaceFileFormats.h"

#include <gtest/gtest.h>

#include "PlaceFileRowChecks.h"

using namespace PlaceFile;

namespace {

using PlaceFile::PartRec;

QStringList lines(const char* text) {
    QStringList split = QString::fromUtf8(text).split(u'\n');
    if (split.constLast().isEmpty()) {
        split.removeLast();
    }
    return split;
}

struct FormatCase {
    const char* name;
    QStringList lines;
    PlaceFormat format;
    LengthUnit unit;
    bool unitStated;
    PartRec first;  // the first row in the sorted order
};

const PartRec& rowNamed(const PlaceFileReading& reading, const QString& designator) {
    const PartRec* row = FindRow(reading.Rows, designator);
    return row != nullptr ? *row : reading.Rows.constFirst();
}

TEST(RecognisePlaceLines, ReadsEachToolsShape) {
    const FormatCase cases[] = {
        {"KiCad .pos in mm",
         lines("### Footprint positions - created on Mon 01 Jan 2024 ###\n"
               "### Printed by KiCad version 7.0.10\n"
               "## Unit = mm, Angle = deg.\n"
               "## Side : top\n"
               "# Ref     Val       Package       PosX       PosY       Rot  Side\n"
               "C1        100n_50V  C_0603     15.5000   -22.2500   90.0000  top\n"
               "## End\n"),
         PlaceFormat::KicadPos,
         LengthUnit::Millimetre,
         true,
         {"C1", "C_0603", 15.5, -22.25, "top", 90, "100n_50V"}},
        {"KiCad CSV: mm unless told otherwise",
         lines("Ref,Val,Package,PosX,PosY,Rot,Side\n"
               "\"U1\",\"BC847\",\"SOT-23\",30.000000,-12.700000,-45.000000,top\n"),
         PlaceFormat::KicadCsv,
         LengthUnit::Millimetre,
         false,
         {"U1", "SOT-23", 30, -12.7, "top", -45, "BC847"}},
        {"Eagle mountsmd: an empty value leaves two blanks",
         lines("U4  7.44 -109.94  90  HVQFN33\n"
               "C3 53.04 -105.41   0 9.1pF(EU)/6.8pF(NA) 0402\n"),
         PlaceFormat::EagleMountsmd,
         LengthUnit::Millimetre,
         true,
         {"C3", "0402", 53.04, -105.41, "", 0, "9.1pF(EU)/6.8pF(NA)"}},
        {"JLC CPL in its own column order, no footprint, mil",
         lines("Designator,Mid X,Mid Y,Layer,Rotation,Comment\n"
               "C1,611mil,830mil,B,270,1uF\n"),
         PlaceFormat::EasyedaCpl,
         LengthUnit::Mil,
         true,
         {"C1", "", 15.5194, 21.082, "B", 270, "1uF", BoardSide::Bottom}},
        {"JLC CPL without units or value",
         lines("Designator,Footprint,Mid X,Mid Y,Layer,Rotation\n"
               "R1,0402,12.5,3,T,180\n"),
         PlaceFormat::EasyedaCpl,
         LengthUnit::Millimetre,
         false,
         {"R1", "0402", 12.5, 3, "T", 180, ""}},
        {"Altium text under its title block",
         lines("Altium Designer Pick and Place Locations\n"
               "C:\\Board\\Pick Place for PCB1.txt\n"
               "\n"
               "========================================\n"
               "Units used: mil\n"
               "\n"
               "Designator Comment Layer Footprint Center-X(mil) Center-Y(mil) Rotation "
               "Description\n"
               "J1 \"ICSP Header\" BottomLayer 15916100 -1000 500.5 270 \"Header, 6 pins\"\n"),
         PlaceFormat::AltiumText,
         LengthUnit::Mil,
         true,
         {"J1", "15916100", -25.4, 12.7127, "BottomLayer", 270, "ICSP Header", BoardSide::Bottom}},
        {"Altium CSV re-saved by a spreadsheet",
         lines("Altium Designer Pick and Place Locations,,,,,,,\n"
               "Units used: mm,,,,,,,\n"
               ",,,,,,,\n"
               "Designator,Comment,Layer,Footprint,Center-X(mm),Center-Y(mm),Rotation,"
               "Description\n"
               "R9,\"RES 47.5K, 1%\",TopLayer,0402_RES,25.527,14.605,0,\"Resistor, 0402\"\n"
               ",,,,,,,\n"),
         PlaceFormat::AltiumCsv,
         LengthUnit::Millimetre,
         true,
         {"R9", "0402_RES", 25.527, 14.605, "TopLayer", 0, "RES 47.5K, 1%"}},
        {"semicolons and decimal commas, units in the header",
         lines("RefDes;Value;Package;X (mm);Y (mm);Angle;Layer\n"
               "R1;10k;0603;12,5;-3,25;90;Top\n"),
         PlaceFormat::NamedColumns,
         LengthUnit::Millimetre,
         true,
         {"R1", "0603", 12.5, -3.25, "Top", 90, "10k"}},
        {"tab-separated in inches named by the header",
         lines("Part\tLocation X (in)\tLocation Y (in)\tOrientation\n"
               "U7\t1.5\t0.25\t-90\n"),
         PlaceFormat::NamedColumns,
         LengthUnit::Inch,
         true,
         {"U7", "", 38.1, 6.35, "", -90, ""}},
    };
    for (const FormatCase& c : cases) {
        const PlaceFileReading reading = RecognisePlaceLines(c.lines);
        ASSERT_TRUE(reading.Succeeded()) << c.name << ": " << reading.Problem.toStdString();
        EXPECT_EQ(reading.Format, c.format) << c.name;
        EXPECT_EQ(reading.Unit, c.unit) << c.name;
        EXPECT_EQ(reading.UnitStated, c.unitStated) << c.name;
        ASSERT_FALSE(reading.Rows.isEmpty()) << c.name;
        ExpectSameRow(reading.Rows.first(), c.first, c.name);
    }
}

TEST(RecognisePlaceLines, UnitOfAFileThatDoesNotStateItIsTheOperators) {
    const QStringList kicadCsv = lines(
        "Ref,Val,Package,PosX,PosY,Rot,Side\n"
        "\"R3\",\"4k7\",\"R_0805\",0.500000,-1.000000,-90.000000,top\n");
    ReadOptions options;
    options.assumedUnit = LengthUnit::Inch;
    const PlaceFileReading reading = RecognisePlaceLines(kicadCsv, options);
    EXPECT_EQ(reading.Unit, LengthUnit::Inch);
    EXPECT_FALSE(reading.UnitStated);
    EXPECT_DOUBLE_EQ(reading.Rows.first().X, 12.7);
    EXPECT_FALSE(reading.Metric());

    // A file that states its unit keeps it.
    options.assumedUnit = LengthUnit::Mil;
    const PlaceFileReading stated = RecognisePlaceLines(
        lines("## Unit = mm, Angle = deg.\n# Ref Val Package PosX PosY Rot Side\n"
              "R3 4k7 R_0805 0.5 -1 -90 top\n"),
        options);
    EXPECT_EQ(stated.Unit, LengthUnit::Millimetre);
    EXPECT_DOUBLE_EQ(stated.Rows.first().X, 0.5);
}

TEST(RecognisePlaceLines, EagleSideComesFromTheFileName) {
    const QStringList mountsmd = lines("C1 26.66 -114.88 270 10uF 0603\n");
    for (const auto& [name, side] :
         {std::pair{"board.mnt", BoardSide::Top}, std::pair{"BOARD.MNB", BoardSide::Bottom},
          std::pair{"", BoardSide::Top}}) {
        ReadOptions options;
        options.fileName = QString("/boards/") + name;
        const PlaceFileReading reading = RecognisePlaceLines(mountsmd, options);
        ASSERT_EQ(reading.Rows.size(), 1) << name;
        EXPECT_EQ(reading.Rows.first().Side, side) << name;
        EXPECT_DOUBLE_EQ(reading.Rows.first().X, 26.66) << name;
    }
}

// The X that KiCad 6 writes for bottom parts is seen from below; the rows hold the top view.
TEST(RecognisePlaceLines, KicadBottomXIsTakenAsSeenFromTheTop) {
    const char* const header = "Ref,Val,Package,PosX,PosY,Rot,Side\n";
    const struct {
        const char* name;
        QString text;
        bool seenFromBelow;
        double bottomX;
    } cases[] = {
        {"bottom left of the origin, top right of it",
         QString(header) + "T1,v,p,10,-5,0,top\nB1,v,p,-12,-5,0,bottom\n", true, 12},
        {"both sides right of the origin",
         QString(header) + "T1,v,p,10,-5,0,top\nB1,v,p,12,-5,0,bottom\n", false, 12},
        {"only bottom parts, left of the origin", QString(header) + "B1,v,p,-12,-5,0,bottom\n",
         true, 12},
        {"straddling the origin, a CSV names no version: as KiCad 6",
         QString(header) + "T1,v,p,-10,-5,0,top\nT2,v,p,10,-5,0,top\nB1,v,p,-12,-5,0,bottom\n",
         true, 12},
        {"straddling the origin, an early .pos",
         "### Printed by Pcbnew version pcbnew (2013-07-07 BZR 4022)-stable\n"
         "## Unit = mm, Angle = deg.\n# Ref Val Package PosX PosY Rot Side\n"
         "T1 v p -10 -5 0 F.Cu\nT2 v p 10 -5 0 F.Cu\nB1 v p -12 -5 0 B.Cu\n",
         false, -12},
    };
    for (const auto& c : cases) {
        const PlaceFileReading reading = RecognisePlaceLines(c.text.split(u'\n'));
        ASSERT_TRUE(reading.Succeeded()) << c.name << ": " << reading.Problem.toStdString();
        EXPECT_EQ(reading.BottomSeenFromBelow, c.seenFromBelow) << c.name;
        EXPECT_EQ(rowNamed(reading, "B1").X, c.bottomX) << c.name;
        EXPECT_EQ(rowNamed(reading, "B1").Side, BoardSide::Bottom) << c.name;
    }
}

// A file that also has a header the tables know still reads as the unit-suffixed layout.
TEST(RecognisePlaceLines, UnitSuffixedColumnsComeFirst) {
    const PlaceFileReading reading = RecognisePlaceLines(
        lines("Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Comment\n"
              "R1 0805 1000mil 2000mil 1000mil 2000mil 1000mil 2000mil B 90 10k\n"));
    EXPECT_EQ(reading.Format, PlaceFormat::SuffixedColumns);
    ASSERT_EQ(reading.Rows.size(), 1);
    ExpectSameRow(reading.Rows.first(),
                  {"R1", "0805", 25.4, 50.8, "B", 90, "10k", BoardSide::Bottom}, "mil row");
}

TEST(RecognisePlaceLines, RefusesWhatIsNoPlaceFileAndSaysWhatItLookedFor) {
    const struct {
        const char* name;
        QStringList lines;
        QString problem;
    } cases[] = {
        {"empty file", {}, kNotAPlaceFile},
        {"a note", lines("Board notes\nAssemble the top side first.\n"), kNotAPlaceFile},
        {"a project file",
         lines("[Board Settings]\nPanel Origin X=0.0000000000\n[Part List]\nPart Count=0\n"),
         kNotAPlaceFile},
        {"prose that names the columns",
         lines("KiCad writes the header\n# Ref Val Package PosX PosY Rot Side\n"
               "and then one part per line, 5 or 50 of them.\n"),
         kNotAPlaceFile},
        {"words and numbers lined up with blanks",
         lines("Controller bounds are these\nA busy answer is sent again for 5 s, 3 times\n"),
         kNotAPlaceFile},
        {"a bill of materials without positions", lines("Designator,Value,Quantity\nR1,10k,1\n"),
         kNotAPlaceFile},
        {"binary bytes",
         {QString::fromLatin1("\x7f"
                              "ELF\x02\x01\x01\x00\x00",
                              9)},
         kNotAPlaceFile},
        {"a known header without components", lines("Ref,Val,Package,PosX,PosY,Rot,Side\n"),
         "KiCad CSV: the file lists no components."},
        {"the unit-suffixed layout, header only",
         lines("Designator Footprint Mid X Mid Y Ref X Ref Y Pad X Pad Y TB Rotation Comment\n"),
         "Table with named columns: the file lists no components."},
    };
    for (const auto& c : cases) {
        const PlaceFileReading reading = RecognisePlaceLines(c.lines);
        EXPECT_FALSE(reading.Succeeded()) << c.name;
        EXPECT_EQ(reading.Problem, c.problem) << c.name;
        EXPECT_TRUE(reading.Rows.isEmpty()) << c.name;
        EXPECT_FALSE(reading.NeedsColumns()) << c.name;
    }
}

TEST(RecognisePlaceLines, AConversionErrorNamesTheLine) {
    const PlaceFileReading reading = RecognisePlaceLines(
        lines("Ref,Val,Package,PosX,PosY,Rot,Side\n\"R1\",\"1k\",\"0603\",1,2,0,top\n"
              "\"R2\",\"1k\",\"0603\",1.2.3,2,0,top\n"));
    EXPECT_EQ(reading.Problem, "Line 3 of the place file: \"1.2.3\" is not a valid number.");
    EXPECT_TRUE(reading.BadLine);
    EXPECT_TRUE(reading.Rows.isEmpty());
}

TEST(RecognisePlaceLines, UnknownColumnsWaitForTheOperatorsOrTheRememberedOnes) {
    const QStringList table = lines(
        "Bauteil;Wert;Lage X;Lage Y;Drehung;Seite\n"
        "R1;10k;12,5;3;90;oben\n"
        "R2;1k;1;2;-90;unten\n");
    const PlaceFileReading waiting = RecognisePlaceLines(table);
    EXPECT_TRUE(waiting.NeedsColumns());
    EXPECT_FALSE(waiting.Succeeded());
    EXPECT_EQ(waiting.Header->names,
              QStringList({"Bauteil", "Wert", "Lage X", "Lage Y", "Drehung", "Seite"}));

    ColumnMapping columns;
    columns[Column::Designator] = 0;
    columns[Column::Value] = 1;
    columns[Column::X] = 2;
    columns[Column::Y] = 3;
    columns[Column::Rotation] = 4;
    columns.unit = LengthUnit::Mil;
    ReadOptions options;
    options.rememberedColumns = [&](const QStringList& header) -> std::optional<ColumnMapping> {
        return header == waiting.Header->names ? std::optional(columns) : std::nullopt;
    };
    const PlaceFileReading remembered = RecognisePlaceLines(table, options);
    ASSERT_TRUE(remembered.Succeeded()) << remembered.Problem.toStdString();
    EXPECT_EQ(remembered.Format, PlaceFormat::OperatorColumns);
    EXPECT_EQ(remembered.Unit, LengthUnit::Mil);
    ASSERT_EQ(remembered.Rows.size(), 2);
    ExpectSameRow(rowNamed(remembered, "R1"), {"R1", "", 12.5 * 0.0254, 3 * 0.0254, "", 90, "10k"},
                  "R1");

    // The operator's columns of this time win over the remembered ones.
    ColumnMapping operators = columns;
    operators[Column::Rotation] = -1;
    operators.unit = LengthUnit::Millimetre;
    options.columns = operators;
    const PlaceFileReading named = RecognisePlaceLines(table, options);
    ASSERT_TRUE(named.Succeeded());
    EXPECT_EQ(rowNamed(named, "R1").Rotation, 0);
    EXPECT_EQ(rowNamed(named, "R1").X, 12.5);
}

}  // namespace
