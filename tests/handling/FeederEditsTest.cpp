#include <QDir>
#include <QFile>

#include "PlacingFixture.h"
#include "handling/FeederEdits.h"
#include "vision/SnapFiles.h"

namespace {

class FeederEditsTest : public PlacingFixture {
protected:
    FeederEditsTest() { context.project.CurrentFeeder = 1; }
    FeederRec& feeder() { return context.project.Feeders[0]; }
};

TEST_F(FeederEditsTest, PartHeightAndTrayCountsKeepTheirRanges) {
    struct Case {
        const char* text;
        bool accepted;
    };
    for (const Case& c : {Case{"0", false}, Case{"25", true}, Case{"25.001", false},
                          Case{"0.6", true}, Case{"abc", false}}) {
        EXPECT_EQ(EditFeederField(context, FeederField::PartHeight, QString(c.text)), c.accepted)
            << c.text;
    }
    EXPECT_EQ(feeder().PartHeight, 0.6);
    feeder().TrayCountX = 7;
    EXPECT_FALSE(EditTrayCount(context, true, u"abc"));
    EXPECT_EQ(feeder().TrayCountX, 1);
    EXPECT_FALSE(EditTrayCount(context, true, u"51"));
    EXPECT_TRUE(EditTrayCount(context, true, u"50"));
    EXPECT_EQ(feeder().TrayCountX, 50);
}

TEST_F(FeederEditsTest, UnusedFeedersAreMarkedInTheList) {
    context.project.Parts[1].Feeder = 1;
    EXPECT_EQ(FeederListLines(context.project),
              QStringList({"Feeder 1 - Resistors", "Feeder 2 - Capacitors - * NOT USED *"}));
}

TEST_F(FeederEditsTest, FeederFilesLiveInTheSystemFolderAndAFailedSaveIsReported) {
    port.files = {folder("Elsewhere") + "Reel.Feeder"};
    EXPECT_FALSE(SaveFeederAsked(context));
    EXPECT_EQ(port.callsStartingWith("error: ").size(), 1);
    EXPECT_FALSE(QFile::exists(folder("Elsewhere") + "Reel.Feeder"));
    port.files = {context.SystemSettingsFolder + "Reel.Feeder"};
    EXPECT_TRUE(SaveFeederAsked(context));
    port.files = {context.SystemSettingsFolder + "Reel.Feeder"};
    EXPECT_TRUE(LoadFeederAsked(context));
    EXPECT_EQ(context.project.FeederCount(), 3);
    EXPECT_EQ(context.project.Feeders[2].Description, "Resistors");
    QDir(context.SystemSettingsFolder).mkpath("Blocked.Feeder");  // a folder cannot be written
    port.files = {context.SystemSettingsFolder + "Blocked.Feeder"};
    port.calls.clear();
    context.project.CurrentFeeder = 1;
    EXPECT_FALSE(SaveFeederAsked(context));
    EXPECT_EQ(port.callsStartingWith("error: "),
              QStringList{"FAILED TO SAVE FEEDER FILE Blocked!"});
}

TEST_F(FeederEditsTest, SnapFromElsewhereIsCopiedInAndAFailedCopyKeepsTheOldName) {
    const QString outside = folder("Elsewhere") + "Chip.bmp";
    writeSnap(outside);
    port.files = {outside};
    EXPECT_TRUE(ChooseFeederSnap(context));
    EXPECT_EQ(feeder().SnapName, "Chip");
    EXPECT_TRUE(QFile::exists(context.SystemSettingsFolder + "Chip.bmp"));
    port.files = {context.SystemSettingsFolder + "Capacitor.bmp"};  // in place: no copy
    EXPECT_TRUE(ChooseFeederSnap(context));
    EXPECT_EQ(feeder().SnapName, "Capacitor");
    QFile::remove(outside);  // the chosen file vanished: the copy fails
    port.files = {outside};
    port.answers = {OperatorPort::Answer::Yes};
    EXPECT_FALSE(ChooseFeederSnap(context));
    EXPECT_EQ(feeder().SnapName, "Capacitor");
    EXPECT_TRUE(port.calls.contains("error: FILE COPY ERROR!!"));
}

TEST_F(FeederEditsTest, ASnapOfTheSameNameInAnyLetterCaseIsReplacedOnlyAfterAsking) {
    const QString folderPath = context.SystemSettingsFolder;
    writeSnap(folderPath + "Chip.Bmp");  // as the program writes its snaps
    const QString outside = folder("Elsewhere") + "Chip.bmp";
    QImage other(20, 20, QImage::Format_RGB32);
    other.fill(Qt::black);
    other.save(outside, "BMP");
    const auto chipFiles = [&folderPath] {
        return QDir(folderPath).entryList({"chip.*"}, QDir::Files);  // any letter case
    };
    for (const auto answer : {OperatorPort::Answer::No, OperatorPort::Answer::Yes}) {
        port.calls.clear();
        port.files = {outside};
        port.answers = {answer};
        EXPECT_EQ(ChooseFeederSnap(context), answer == OperatorPort::Answer::Yes);
        EXPECT_EQ(port.calls.filter("ask2: ").size(), 1);
        EXPECT_TRUE(port.calls.contains(QString("ask2: ") + kSnapOverwriteQuestion));
        ASSERT_EQ(chipFiles().size(), 1) << chipFiles().join(", ").toStdString();
    }
    // The one snap of that name is the chosen picture.
    EXPECT_EQ(QImage(folderPath + chipFiles().front()).size(), QSize(20, 20));
    EXPECT_EQ(feeder().SnapName, "Chip");
}

}  // namespace
