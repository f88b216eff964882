#include "project/PlaceFileColumnMemory.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "settings/MachineSettingsStore.h"

using namespace PlaceFile;

namespace {

ColumnMapping mapping(int designator, int x, int y, std::optional<LengthUnit> unit = {}) {
    ColumnMapping columns;
    columns[Column::Designator] = designator;
    columns[Column::X] = x;
    columns[Column::Y] = y;
    columns.unit = unit;
    return columns;
}

TEST(ColumnsText, ReadsBackWhatItWrites) {
    ColumnMapping columns = mapping(0, 2, 3, LengthUnit::Inch);
    columns[Column::Rotation] = 4;
    columns[Column::Footprint] = 9;
    const QString text = ColumnsText(columns);
    EXPECT_EQ(text,
              "Designator 1, X 3, Y 4, Rotation 5, Side none, Value none, Footprint 10, "
              "Unit inches");
    EXPECT_EQ(ColumnsFromText(text), columns);
    EXPECT_EQ(ColumnsFromText(u"designator 2, x 1, y 3"), mapping(1, 0, 2));
    for (const char* damaged : {"Designator 0, X 1, Y 2", "Designator one", "Colour 1",
                                "Designator 1, Unit parsecs", "Designator"}) {
        EXPECT_FALSE(ColumnsFromText(QString::fromLatin1(damaged))) << damaged;
    }
}

class ColumnMemory : public ::testing::Test {
protected:
    std::unique_ptr<QSettings> store() {
        return OpenMachineSettingsStoreAt(folder.filePath("Corvane 2.ini"));
    }

    QTemporaryDir folder;
    const QStringList header = {"Bauteil", "Lage X", "Lage Y", "Drehung"};
};

TEST_F(ColumnMemory, RemembersPerHeaderInTheMachineSettingsStore) {
    EXPECT_FALSE(RecallColumns(*store(), header));
    ASSERT_TRUE(RememberColumns(*store(), header, mapping(0, 1, 2, LengthUnit::Mil)));
    EXPECT_EQ(RecallColumns(*store(), header), mapping(0, 1, 2, LengthUnit::Mil));
    EXPECT_FALSE(RecallColumns(*store(), {"Bauteil", "Lage X", "Lage Y"}));

    // Naming the columns again replaces what was remembered; the file stays readable.
    ASSERT_TRUE(RememberColumns(*store(), header, mapping(0, 2, 1)));
    EXPECT_EQ(RecallColumns(*store(), header), mapping(0, 2, 1));
    QFile file(folder.filePath("Corvane 2.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("[Place File Columns]\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Header 1=Bauteil | Lage X | Lage Y | Drehung\r\n"));
    EXPECT_TRUE(text.contains("Columns 1=Designator 1, X 3, Y 2, Rotation none"));
    EXPECT_FALSE(text.contains("Header 2="));
}

TEST_F(ColumnMemory, KeepsTheMachineSettingsAndTheLatestHeadersOnly) {
    MachineSettings settings;
    settings.maximumXPosition = 321;
    ASSERT_TRUE(SaveMachineSettings(*store(), settings));
    for (int number = 0; number <= kRememberedHeaders; ++number) {
        ASSERT_TRUE(
            RememberColumns(*store(), {QString("Ref %1").arg(number), "X", "Y"}, mapping(0, 1, 2)));
    }
    EXPECT_FALSE(RecallColumns(*store(), {"Ref 0", "X", "Y"})) << "the oldest is forgotten";
    EXPECT_TRUE(RecallColumns(*store(), {"Ref 1", "X", "Y"}));
    EXPECT_TRUE(RecallColumns(*store(), {QString("Ref %1").arg(kRememberedHeaders), "X", "Y"}));
    MachineSettings loaded;
    LoadMachineSettings(*store(), loaded);
    EXPECT_EQ(loaded.maximumXPosition, 321);
}

TEST_F(ColumnMemory, ColumnsThatNoLongerFitTheHeaderAreNotRecalled) {
    auto writer = store();
    writer->setValue("Place File Columns/Header 1", "Bauteil | Lage X | Lage Y | Drehung");
    writer->setValue("Place File Columns/Columns 1", "Designator 1, X 2, Y 7");
    writer->setValue("Place File Columns/Header 2", "A | B | C");
    writer->setValue("Place File Columns/Columns 2", "nonsense");
    writer->sync();
    EXPECT_FALSE(RecallColumns(*store(), header));
    EXPECT_FALSE(RecallColumns(*store(), {"A", "B", "C"}));
}

}  // namespace
