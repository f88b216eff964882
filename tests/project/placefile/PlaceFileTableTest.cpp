#include "project/PlaceFileTable.h"

#include <gtest/gtest.h>

using namespace PlaceFile;

namespace {

TEST(SplitFields, QuotesGroupAndEmptyFieldsStayUnlessBlanksSeparate) {
    const struct {
        const char* name;
        QString line;
        Delimiter delimiter;
        QStringList fields;
    } cases[] = {
        {"comma, quoted comma",
         R"("C1","10u, 16 V",C_0805,1.5,-2)",
         Delimiter::Comma,
         {"C1", "10u, 16 V", "C_0805", "1.5", "-2"}},
        {"doubled quote is one", R"("J1","5"" jack",x)", Delimiter::Comma, {"J1", "5\" jack", "x"}},
        {"quote inside a field is text",
         R"(J2,0.5" pitch,y)",
         Delimiter::Comma,
         {"J2", "0.5\" pitch", "y"}},
        {"spreadsheet padding",
         "Units used: mm,,,",
         Delimiter::Comma,
         {"Units used: mm", "", "", ""}},
        {"semicolon keeps decimal commas",
         "R1; 12,5 ;-3,25;90",
         Delimiter::Semicolon,
         {"R1", "12,5", "-3,25", "90"}},
        {"tab", "R1\t\t1.0\t2", Delimiter::Tab, {"R1", "", "1.0", "2"}},
        {"blank runs",
         "  C33   0.1uF  TopLayer \"Ceramic, 10V\"  ",
         Delimiter::Whitespace,
         {"C33", "0.1uF", "TopLayer", "Ceramic, 10V"}},
        {"quoted empty field among blanks",
         "U4 \"\" 7.44",
         Delimiter::Whitespace,
         {"U4", "", "7.44"}},
        {"empty line", "", Delimiter::Whitespace, {}},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(SplitFields(testCase.line, testCase.delimiter), testCase.fields) << testCase.name;
    }
}

TEST(SplitFields, TellsAQuoteLeftOpenAtTheEndOfTheLine) {
    bool open = false;
    SplitFields(u"RY1 \"Releu 5 pini", Delimiter::Whitespace, &open);
    EXPECT_TRUE(open);
    SplitFields(u"RY1 \"Releu\" 5", Delimiter::Whitespace, &open);
    EXPECT_FALSE(open);
}

// What each header names, by 0-based column: designator, X, Y, rotation, side, value, footprint.
TEST(MatchColumnNames, KnowsTheWordsOfTheDesignTools) {
    using Columns = std::array<int, kColumnCount>;
    const struct {
        QStringList header;
        Columns columns;
    } cases[] = {
        {{"Ref", "Val", "Package", "PosX", "PosY", "Rot", "Side"}, {0, 3, 4, 5, 6, 1, 2}},
        {{"Designator", "Mid X", "Mid Y", "Layer", "Rotation"}, {0, 1, 2, 4, 3, -1, -1}},
        {{"Designator", "Comment", "Layer", "Footprint", "Center-X(mm)", "Center-Y(mm)", "Rotation",
          "Description"},
         {0, 4, 5, 6, 2, 1, 3}},
        {{"RefDes", "X (mil)", "Y (mil)", "Angle", "TB", "Value", "Pattern"},
         {0, 1, 2, 3, 4, 5, 6}},
        {{"Part", "Location X", "Location Y", "Orientation"}, {0, 1, 2, 3, -1, -1, -1}},
        {{"reference", "posx_mm", "posy_mm", "ROTATION", "mount side"}, {0, 1, 2, 3, 4, -1, -1}},
        // The centre wins over the reference point, whatever their order.
        {{"Designator", "Ref X", "Ref Y", "Mid X", "Mid Y", "Rotation"}, {0, 3, 4, 5, -1, -1, -1}},
        {{"Name", "Designator", "X", "Y"}, {1, 2, 3, -1, -1, -1, -1}},
        {{"Qty", "Manufacturer", "Notes"}, {-1, -1, -1, -1, -1, -1, -1}},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(MatchColumnNames(testCase.header).index, testCase.columns)
            << testCase.header.join(", ").toStdString();
    }
}

TEST(HeaderUnit, ComesFromTheNameOfTheXColumn) {
    const std::pair<QStringList, std::optional<LengthUnit>> cases[] = {
        {{"Designator", "Center-X(mil)", "Center-Y(mil)", "Rotation"}, LengthUnit::Mil},
        {{"Ref", "X [mm]", "Y [mm]", "Rot"}, LengthUnit::Millimetre},
        {{"Ref", "PosX_in", "PosY_in", "Rot"}, LengthUnit::Inch},
        {{"Ref", "PosX", "PosY", "Rot"}, std::nullopt},
    };
    for (const auto& [header, unit] : cases) {
        EXPECT_EQ(HeaderUnit(header, MatchColumnNames(header)), unit)
            << header.join(", ").toStdString();
    }
}

TEST(ReadCellNumber, ReadsNumbersWithTheirUnitsAndDecimalCommasWhereCommasDoNotSeparate) {
    const struct {
        const char* cell;
        Delimiter delimiter;
        std::optional<double> value;
        std::optional<LengthUnit> unit;
    } cases[] = {
        {"25.5270mm", Delimiter::Comma, 25.527, LengthUnit::Millimetre},
        {"1746mil", Delimiter::Comma, 1746, LengthUnit::Mil},
        {"-0.5 in", Delimiter::Comma, -0.5, LengthUnit::Inch},
        {"0.25\"", Delimiter::Tab, 0.25, LengthUnit::Inch},
        {"+90", Delimiter::Comma, 90, std::nullopt},
        {"90°", Delimiter::Comma, 90, std::nullopt},
        {"-135deg", Delimiter::Comma, -135, std::nullopt},
        {"12,5", Delimiter::Semicolon, 12.5, std::nullopt},
        {"-3,25mm", Delimiter::Tab, -3.25, LengthUnit::Millimetre},
        {"12,5", Delimiter::Comma, std::nullopt, std::nullopt},
        {"1,234.5", Delimiter::Semicolon, std::nullopt, std::nullopt},
        {"10k", Delimiter::Comma, std::nullopt, std::nullopt},
        {"inf", Delimiter::Comma, std::nullopt, std::nullopt},
        {"", Delimiter::Comma, std::nullopt, std::nullopt},
        {"mm", Delimiter::Comma, std::nullopt, std::nullopt},
    };
    for (const auto& testCase : cases) {
        const std::optional<CellNumber> number =
            ReadCellNumber(QString::fromUtf8(testCase.cell), testCase.delimiter);
        ASSERT_EQ(number.has_value(), testCase.value.has_value()) << testCase.cell;
        if (number) {
            EXPECT_DOUBLE_EQ(number->value, *testCase.value) << testCase.cell;
            EXPECT_EQ(number->unit, testCase.unit) << testCase.cell;
        }
    }
}

TEST(FindHeader, FindsTheHeaderUnderATitleBlock) {
    const QStringList lines = {
        "Altium Designer Pick and Place Locations,,,",
        "Units used: mm,,,",
        ",,,",
        "Designator,Comment,Layer,Footprint,Mid X,Mid Y,Rotation,Description",
        "R9,RES 0402,TopLayer,0402_RES,25.5270mm,14.6050mm,0,\"Resistor, 0402\"",
    };
    const std::optional<TableHeader> header = FindNamedHeader(lines);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->line, 3);
    EXPECT_EQ(header->delimiter, Delimiter::Comma);
    EXPECT_EQ(header->names.size(), 8);
}

TEST(FindHeader, AnUnknownHeaderIsOneOfWordsAboveALineOfNumbers) {
    const std::optional<TableHeader> header =
        FindAnyHeader({"Bauteil;Lage X;Lage Y;Drehung", "R1;12,5;3,2;90", "R2;1;2;0"});
    ASSERT_TRUE(header);
    EXPECT_EQ(header->line, 0);
    EXPECT_EQ(header->delimiter, Delimiter::Semicolon);
    EXPECT_EQ(header->names, QStringList({"Bauteil", "Lage X", "Lage Y", "Drehung"}));
    EXPECT_FALSE(header->matched.Usable());

    EXPECT_FALSE(FindAnyHeader({"Just some words in a note", "and more words here"}));
    EXPECT_FALSE(FindAnyHeader({"R1 1.0 2.0 90 10k 0805"}));
    EXPECT_FALSE(FindAnyHeader({"Part Value Notes"}));
}

TEST(ReadTableRows, NamesTheLineThatDoesNotRead) {
    TableHeader header;
    header.names = {"Ref", "X", "Y", "Rot"};
    header.delimiter = Delimiter::Comma;
    const ColumnMapping columns = MatchColumnNames(header.names);
    const struct {
        QStringList lines;
        QString error;
    } cases[] = {
        {{"Ref,X,Y,Rot", "R1,1,2,0", "R2,1..5,2,0"},
         "Line 3 of the place file: \"1..5\" is not a valid number."},
        {{"Ref,X,Y,Rot", "R1,1,2,ninety"},
         "Line 2 of the place file: \"ninety\" is not a valid number."},
        {{"Ref,X,Y,Rot", "R1,1"}, "Line 2 of the place file has 2 columns; its header names 4."},
        {{"Ref,X,Y,Rot", "R1,1,2,0", "\"R2,1,2,0", "R3,1,2,0"},
         "Line 3 of the place file opens a quote that does not close."},
    };
    for (const auto& testCase : cases) {
        const TableRows rows =
            ReadTableRows(testCase.lines, header, columns, LengthUnit::Millimetre);
        EXPECT_EQ(rows.error, testCase.error) << testCase.lines.join(" | ").toStdString();
    }
}

TEST(ReadTableRows, ReadsQuotedFieldsOverSeveralLinesAndSkipsPadding) {
    TableHeader header;
    header.names = {"Ref", "X", "Y", "Rot", "Description"};
    header.delimiter = Delimiter::Comma;
    const QStringList lines = {
        "Ref,X,Y,Rot,Description", "R1,1,2,-450,\"first line", "", "last line\"", ",,,,",
        "R2,0.5mil,3,90,"};
    const TableRows rows =
        ReadTableRows(lines, header, MatchColumnNames(header.names), LengthUnit::Inch);
    ASSERT_TRUE(rows.error.isEmpty()) << rows.error.toStdString();
    ASSERT_EQ(rows.rows.size(), 2);
    EXPECT_DOUBLE_EQ(rows.rows[0].X, 25.4);
    EXPECT_DOUBLE_EQ(rows.rows[0].Rotation, -90);
    EXPECT_DOUBLE_EQ(rows.rows[1].X, 0.0127);
    EXPECT_DOUBLE_EQ(rows.rows[1].Y, 3 * 25.4);
    EXPECT_FALSE(rows.valueUnit.has_value()) << "the first X carried no unit";
}

}  // namespace
