#include <gtest/gtest.h>

#include <QDir>
#include <QMap>

#include "project/PlaceFileImport.h"

using namespace PlaceFile;

namespace {

// Real exports from public board designs, kept beside the repository.
const QString kFixtureFolder = CORVANE_SOURCE_DIR "/tests/project/placefile/fixtures";

// Component rows each export must give; the formats the import does not read give none.
const QMap<QString, int> kExpectedRows = {
    {"altium_a24v5v_pcb1_mil.txt", 69},
    {"altium_capchess_pcb1_mil.txt", 436},
    {"altium_crazytrigger_pcb1_mil.txt", 36},
    {"altium_crazytrigger_pcb1_mil.csv", 36},
    {"altium_tpa3116d2_pcb2_mil_cp1252.txt", 53},
    {"easyeda_bmi160_mm_utf16.csv", 10},
    {"easyeda_gego_motor_mil_utf16.csv", 26},
    {"easyeda_7seg_counter_mil_utf16.csv", 14},
    {"easyeda_usb_a_hub_mm_utf16.csv", 6},
    {"easyeda_m5_garage_mm_utf16.csv", 18},
    {"easyeda_hexapod_mm_utf16.csv", 2},
    {"easyeda_dewesoft_mm_utf8bom.csv", 14},
    {"easyeda_companionrt_mil_utf16.csv", 40},
    {"easyeda_heartyx_mm_utf16.csv", 67},
    {"easyeda_opi_wifi_hat_mm_utf16.csv", 3},
    {"easyeda_tangnano_shield_mm_utf16.csv", 9},
    {"easyeda_ikea_blinds_mm_utf16.csv", 11},
    {"easyeda_steemdex_mm_utf16.csv", 9},
    {"easyeda_sankhya_node_mm_utf16_multiwordfp.csv", 23},
    {"easyeda_solar_gateway_mm_utf16_multiwordfp.csv", 92},
    {"easyeda_hackcard_mm_utf8_unquoted.csv", 5},
    {"easyeda_usb_to_c_mm_utf16_ohm.csv", 3},
    {"easyedapro_usb_serial_kvm_mm.csv", 75},
    {"easyedapro_usb_hub_mm_utf16.csv", 23},
    {"easyedapro_open_programmer_mm_utf16.csv", 58},
    {"easyedapro_bldcservo_mil_tabcomma.csv", 192},
    {"other_kicad_faraday_all.pos", 0},
    {"other_kicad_epee03_top-pos.csv", 0},
    {"other_eagle_mbedxdotshield.mnt", 0},
    {"other_jlc_cpl_imageproc_mil.csv", 0},
    {"other_altium_newfmt_greenhouse_mil.txt", 0},
    {"other_altium_jlc_resaved_esp32dev_mm.csv", 0},
};

ParseResult parseFixture(const QString& name) {
    const auto lines = ReadPlaceFile(kFixtureFolder + "/" + name);
    EXPECT_TRUE(lines) << name.toStdString();
    return ParsePlaceLines(lines.value_or(QStringList()));
}

TEST(PlaceFileFixtures, EveryExportGivesItsComponentRows) {
    const QStringList present =
        QDir(kFixtureFolder).entryList({"*.txt", "*.csv", "*.pos", "*.mnt"}, QDir::Files);
    ASSERT_EQ(QStringList(kExpectedRows.keys()), present) << "fixture list out of step";
    for (auto expected = kExpectedRows.cbegin(); expected != kExpectedRows.cend(); ++expected) {
        const ParseResult result = parseFixture(expected.key());
        EXPECT_TRUE(result.Succeeded())
            << expected.key().toStdString() << ": " << result.Error.toStdString();
        EXPECT_EQ(result.Rows.size(), expected.value()) << expected.key().toStdString();
    }
}

TEST(PlaceFileFixtures, UnitFollowsTheFile) {
    EXPECT_EQ(parseFixture("altium_capchess_pcb1_mil.txt").Metric, false);
    EXPECT_EQ(parseFixture("easyeda_gego_motor_mil_utf16.csv").Metric, false);
    EXPECT_EQ(parseFixture("easyeda_hexapod_mm_utf16.csv").Metric, true);
    EXPECT_EQ(parseFixture("easyeda_dewesoft_mm_utf8bom.csv").Metric, true);
}

TEST(PlaceFileFixtures, QuotedCsvAndTextExportOfOneBoardImportAlike) {
    const ParseResult text = parseFixture("altium_crazytrigger_pcb1_mil.txt");
    const ParseResult csv = parseFixture("altium_crazytrigger_pcb1_mil.csv");
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
        const ParseResult result = parseFixture(name);
        const bool found =
            std::any_of(result.Rows.cbegin(), result.Rows.cend(),
                        [&](const PlaceFile::PartRec& row) { return row.Pattern == pattern; });
        EXPECT_TRUE(found) << name;
    }
}

}  // namespace

namespace {

// The wider exports put a pin count before the layer and an SMD flag before the comment.
TEST(PlaceFileFixtures, WideExportsKeepLayerRotationAndComment) {
    struct Case {
        const char* file;
        const char* designator;
        const char* layer;
        double rotation;
        const char* comment;
    };
    const Case cases[] = {
        {"easyedapro_usb_hub_mm_utf16.csv", "C2", "T", 90, "1uF"},
        {"easyedapro_open_programmer_mm_utf16.csv", "U1", "T", 90, "PIC18F25K50-I/SS"},
        {"easyedapro_bldcservo_mil_tabcomma.csv", "U6", "T", 135, "TMC4671-LA"},
        {"easyedapro_bldcservo_mil_tabcomma.csv", "U2", "T", -90, "CSD88599Q5DCT"},
        {"easyeda_bmi160_mm_utf16.csv", "C1", "T", 270, "10u"},
    };
    for (const Case& c : cases) {
        const ParseResult result = parseFixture(c.file);
        const auto row =
            std::find_if(result.Rows.cbegin(), result.Rows.cend(),
                         [&](const PlaceFile::PartRec& r) { return r.Designator == c.designator; });
        ASSERT_NE(row, result.Rows.cend()) << c.file << " " << c.designator;
        EXPECT_EQ(row->Layer, c.layer) << c.file;
        EXPECT_EQ(row->Rotation, c.rotation) << c.file;
        EXPECT_EQ(row->Comment, c.comment) << c.file;
    }
}

}  // namespace
