#include <gtest/gtest.h>

#include <QDir>
#include <QMap>
#include <algorithm>

#include "project/PlaceFileFormats.h"
#include "project/PlaceFileImport.h"
#include "project/PlaceFileParser.h"

#include "PlaceFileRowChecks.h"

using namespace PlaceFile;

namespace {

using PlaceFile::PartRec;

// Real exports from public board designs, kept beside the repository (SOURCES.md).
const QString kFixtureFolder = CORVANE_SOURCE_DIR "/tests/project/placefile/fixtures";

struct Expected {
    int rows;
    PlaceFormat format;
    LengthUnit unit;
};

constexpr auto kSuffixed = PlaceFormat::SuffixedColumns;
constexpr auto kMm = LengthUnit::Millimetre;
constexpr auto kMil = LengthUnit::Mil;

// Every export with the component rows it lists, the format and the unit it is in.
const QMap<QString, Expected> kExpected = {
    {"altium_a24v5v_pcb1_mil.txt", {69, kSuffixed, kMil}},
    {"altium_capchess_pcb1_mil.txt", {436, kSuffixed, kMil}},
    {"altium_crazytrigger_pcb1_mil.txt", {36, kSuffixed, kMil}},
    {"altium_crazytrigger_pcb1_mil.csv", {36, kSuffixed, kMil}},
    {"altium_tpa3116d2_pcb2_mil_cp1252.txt", {53, kSuffixed, kMil}},
    {"easyeda_bmi160_mm_utf16.csv", {10, kSuffixed, kMm}},
    {"easyeda_gego_motor_mil_utf16.csv", {26, kSuffixed, kMil}},
    {"easyeda_7seg_counter_mil_utf16.csv", {14, kSuffixed, kMil}},
    {"easyeda_usb_a_hub_mm_utf16.csv", {6, kSuffixed, kMm}},
    {"easyeda_m5_garage_mm_utf16.csv", {18, kSuffixed, kMm}},
    {"easyeda_hexapod_mm_utf16.csv", {2, kSuffixed, kMm}},
    {"easyeda_dewesoft_mm_utf8bom.csv", {14, kSuffixed, kMm}},
    {"easyeda_companionrt_mil_utf16.csv", {40, kSuffixed, kMil}},
    {"easyeda_heartyx_mm_utf16.csv", {67, kSuffixed, kMm}},
    {"easyeda_opi_wifi_hat_mm_utf16.csv", {3, kSuffixed, kMm}},
    {"easyeda_tangnano_shield_mm_utf16.csv", {9, kSuffixed, kMm}},
    {"easyeda_ikea_blinds_mm_utf16.csv", {11, kSuffixed, kMm}},
    {"easyeda_steemdex_mm_utf16.csv", {9, kSuffixed, kMm}},
    {"easyeda_sankhya_node_mm_utf16_multiwordfp.csv", {23, kSuffixed, kMm}},
    {"easyeda_solar_gateway_mm_utf16_multiwordfp.csv", {92, kSuffixed, kMm}},
    {"easyeda_hackcard_mm_utf8_unquoted.csv", {5, kSuffixed, kMm}},
    {"easyeda_usb_to_c_mm_utf16_ohm.csv", {3, kSuffixed, kMm}},
    {"easyedapro_usb_serial_kvm_mm.csv", {75, kSuffixed, kMm}},
    {"easyedapro_usb_hub_mm_utf16.csv", {23, kSuffixed, kMm}},
    {"easyedapro_open_programmer_mm_utf16.csv", {58, kSuffixed, kMm}},
    {"easyedapro_bldcservo_mil_tabcomma.csv", {192, kSuffixed, kMil}},
    {"other_kicad_faraday_all.pos", {103, PlaceFormat::KicadPos, LengthUnit::Inch}},
    {"other_kicad_epee03_top-pos.csv", {46, PlaceFormat::KicadCsv, kMm}},
    {"other_eagle_mbedxdotshield.mnt", {66, PlaceFormat::EagleMountsmd, kMm}},
    {"other_jlc_cpl_imageproc_mil.csv", {100, PlaceFormat::EasyedaCpl, kMil}},
    // 136 components: the description of RY1 runs over three lines inside its quotes.
    {"other_altium_newfmt_greenhouse_mil.txt", {136, PlaceFormat::AltiumText, kMil}},
    {"other_altium_jlc_resaved_esp32dev_mm.csv", {41, PlaceFormat::AltiumCsv, kMm}},
};

QStringList fixtureLines(const QString& name) {
    const auto lines = ReadPlaceFile(kFixtureFolder + "/" + name);
    EXPECT_TRUE(lines) << name.toStdString();
    return lines.value_or(QStringList());
}

PlaceFileReading recogniseFixture(const QString& name) {
    ReadOptions options;
    options.fileName = name;
    return RecognisePlaceLines(fixtureLines(name), options);
}

TEST(PlaceFileFixtures, EveryExportGivesItsRowsInItsFormatAndUnit) {
    const QStringList present =
        QDir(kFixtureFolder).entryList({"*.txt", "*.csv", "*.pos", "*.mnt"}, QDir::Files);
    ASSERT_EQ(QStringList(kExpected.keys()), present) << "fixture list out of step";
    for (auto expected = kExpected.cbegin(); expected != kExpected.cend(); ++expected) {
        const std::string name = expected.key().toStdString();
        const PlaceFileReading reading = recogniseFixture(expected.key());
        EXPECT_TRUE(reading.Succeeded()) << name << ": " << reading.Problem.toStdString();
        EXPECT_EQ(reading.Rows.size(), expected->rows) << name;
        EXPECT_EQ(reading.Format, expected->format) << name;
        EXPECT_EQ(reading.Unit, expected->unit) << name;
    }
}

// The layout of older Altium versions and EasyEDA reads exactly as it always did.
TEST(PlaceFileFixtures, UnitSuffixedExportsReadExactlyAsTheirOwnParserReadsThem) {
    for (auto expected = kExpected.cbegin(); expected != kExpected.cend(); ++expected) {
        if (expected->format != kSuffixed) {
            continue;
        }
        const std::string name = expected.key().toStdString();
        const QStringList lines = fixtureLines(expected.key());
        const ParseResult parsed = ParsePlaceLines(lines);
        const PlaceFileReading reading = RecognisePlaceLines(lines);
        EXPECT_EQ(reading.Metric(), parsed.Metric.value()) << name;
        ASSERT_EQ(reading.Rows.size(), parsed.Rows.size()) << name;
        for (qsizetype index = 0; index < parsed.Rows.size(); ++index) {
            const PartRec& want = parsed.Rows[index];
            const PartRec& got = reading.Rows[index];
            EXPECT_EQ(SortKey(got), SortKey(want)) << name << " " << index;
            EXPECT_EQ(got.Designator, want.Designator) << name << " " << index;
            EXPECT_EQ(got.X, want.X) << name << " " << index;
            EXPECT_EQ(got.Y, want.Y) << name << " " << index;
            EXPECT_EQ(got.Layer, want.Layer) << name << " " << index;
        }
    }
}

TEST(PlaceFileFixtures, QuotedCsvAndTextExportOfOneBoardImportAlike) {
    const PlaceFileReading text = recogniseFixture("altium_crazytrigger_pcb1_mil.txt");
    const PlaceFileReading csv = recogniseFixture("altium_crazytrigger_pcb1_mil.csv");
    ASSERT_EQ(text.Rows.size(), csv.Rows.size());
    for (qsizetype index = 0; index < text.Rows.size(); ++index) {
        EXPECT_EQ(SortKey(text.Rows[index]), SortKey(csv.Rows[index])) << index;
        EXPECT_DOUBLE_EQ(text.Rows[index].X, csv.Rows[index].X) << index;
        EXPECT_DOUBLE_EQ(text.Rows[index].Y, csv.Rows[index].Y) << index;
    }
}

TEST(PlaceFileFixtures, MultiWordFootprintsAreRejoined) {
    const std::pair<const char*, const char*> cases[] = {
        {"easyeda_heartyx_mm_utf16.csv", "PULSADOR NA"},
        {"easyeda_sankhya_node_mm_utf16_multiwordfp.csv", "WAVESHARE ESP32-S3-NANO"},
        {"easyeda_solar_gateway_mm_utf16_multiwordfp.csv", "18650 SMD 2P"},
    };
    for (const auto& [name, pattern] : cases) {
        const PlaceFileReading reading = recogniseFixture(name);
        EXPECT_TRUE(std::ranges::any_of(reading.Rows, [&](const PartRec& row) {
            return row.Pattern == pattern;
        })) << name;
    }
}

// One row of each export, as its file writes it: value, footprint, position, angle and side.
TEST(PlaceFileFixtures, RowsCarryTheirFieldsInMillimetres) {
    struct Case {
        const char* file;
        PartRec row;
    };
    const Case cases[] = {
        // The wider exports put a pin count before the layer and an SMD flag before the value.
        {"easyedapro_usb_hub_mm_utf16.csv", {"C2", "", 0, 0, "T", 90, "1uF"}},
        {"easyedapro_open_programmer_mm_utf16.csv", {"U1", "", 0, 0, "T", 90, "PIC18F25K50-I/SS"}},
        {"easyedapro_bldcservo_mil_tabcomma.csv", {"U6", "", 0, 0, "T", 135, "TMC4671-LA"}},
        {"easyedapro_bldcservo_mil_tabcomma.csv", {"U2", "", 0, 0, "T", -90, "CSD88599Q5DCT"}},
        {"easyeda_bmi160_mm_utf16.csv", {"C1", "", 0, 0, "T", 270, "10u"}},
        // "C9 30pF C0402 1.5650 1.0900 180.0 F.Cu", in inches.
        {"other_kicad_faraday_all.pos",
         {"C9", "C0402", 1.565 * 25.4, 1.09 * 25.4, "F.Cu", 180, "30pF", BoardSide::Top}},
        // A bottom part of the 2013 writer, which gave bottom X as seen from the top.
        {"other_kicad_faraday_all.pos",
         {"P2", "2514-6002UB", 1.1 * 25.4, 0.975 * 25.4, "B.Cu", 270, "DNP", BoardSide::Bottom}},
        {"other_kicad_epee03_top-pos.csv",
         {"C2", "C_0402_1005Metric", 104.425, -117.6, "top", -90, "0.1u 50 V"}},
        // "U4  7.44 -109.94  90  HVQFN33": an empty value leaves two blanks.
        {"other_eagle_mbedxdotshield.mnt", {"U4", "HVQFN33", 7.44, -109.94, "", 90, ""}},
        {"other_eagle_mbedxdotshield.mnt", {"C1", "0603", 26.66, -114.88, "", 270, "10uF"}},
        {"other_jlc_cpl_imageproc_mil.csv",
         {"C1", "0402-CAP", 611 * 0.0254, 830 * 0.0254, "B", 270, "1uF", BoardSide::Bottom}},
        {"other_altium_newfmt_greenhouse_mil.txt",
         {"J1", "15916100", -2331.692 * 0.0254, -2838.780 * 0.0254, "TopLayer", 180,
          "ICSP Header"}},
        {"other_altium_jlc_resaved_esp32dev_mm.csv",
         {"R9", "0402_RES", 25.527, 14.605, "TopLayer", 0, "RES 0402 47.5K 1%"}},
    };
    for (const Case& c : cases) {
        const PlaceFileReading reading = recogniseFixture(c.file);
        const PartRec* row = FindRow(reading.Rows, c.row.Designator);
        ASSERT_NE(row, nullptr) << c.file << " " << c.row.Designator.toStdString();
        const std::string name = std::string(c.file) + " " + c.row.Designator.toStdString();
        if (!c.row.Pattern.isEmpty()) {
            EXPECT_EQ(row->Pattern, c.row.Pattern) << name;
            EXPECT_NEAR(row->X, c.row.X, 1e-9) << name;
            EXPECT_NEAR(row->Y, c.row.Y, 1e-9) << name;
            EXPECT_EQ(row->Side, c.row.Side) << name;
        }
        EXPECT_EQ(row->Layer, c.row.Layer) << name;
        EXPECT_EQ(row->Rotation, c.row.Rotation) << name;
        EXPECT_EQ(row->Comment, c.row.Comment) << name;
    }
}

}  // namespace
