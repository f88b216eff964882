// Snaps: the box a press draws, where it falls in the camera frame, and how the file is saved.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"
#include "support/TestFiles.h"
#include "vision/Capture.h"
#include "vision/SnapBox.h"
#include "vision/SnapFiles.h"

namespace {

TEST(SnapBox, ACentrePressGivesTheSmallestBox) {
    const SnapBox box = SnapBoxForPress(QSize(1024, 768), QPoint(512, 384));
    EXPECT_EQ(box.Width, 51);   // Round(0.05 x 1024)
    EXPECT_EQ(box.Height, 38);  // Round(0.05 x 768)
    EXPECT_EQ(box.Left, 486);
    EXPECT_EQ(box.Right, 537);
    EXPECT_EQ(box.Top, 365);
    EXPECT_EQ(box.Bottom, 403);
}

TEST(SnapBox, ACornerPressIsHeldTo90PercentOfTheHeight) {
    for (const QPoint corner : {QPoint(0, 0), QPoint(1023, 767), QPoint(5, 760)}) {
        const SnapBox box = SnapBoxForPress(QSize(1024, 768), corner);
        EXPECT_EQ(box.Width, 691);
        EXPECT_EQ(box.Height, 691);
    }
    const SnapBox box = SnapBoxForPress(QSize(1024, 768), QPoint(600, 400));
    EXPECT_EQ(box.Width, 176);
    EXPECT_EQ(box.Height, 38);  // 32 raised to the 5 % floor
    const auto outline = box.outline();
    EXPECT_EQ(outline[0], QRect(box.Left - 1, box.Top - 1, 2, box.Bottom - box.Top + 3));
    EXPECT_EQ(outline[3], QRect(box.Left - 1, box.Bottom + 2, box.Right - box.Left + 3, 2));
}

TEST(SnapBox, An800By600FrameInA4To3ControlKeepsTheClassicNumbers) {
    const QSize control(1024, 768);
    const SnapBox box = SnapBoxForPress(control, QPoint(312, 234));
    const WindowBounds window = SnapWindowInFrame(box, control, QSize(800, 600));
    const double sx = 800.0 / 1024;
    const double sy = 600.0 / 768;
    EXPECT_EQ(window.Bottom, static_cast<int>(std::nearbyint(box.Top * sy)) - 1);
    EXPECT_EQ(window.Top, static_cast<int>(std::nearbyint((box.Bottom + 1) * sy)) - 1);
    EXPECT_EQ(window.Left, static_cast<int>(std::nearbyint(box.Left * sx)) - 1);
    EXPECT_EQ(window.Right, static_cast<int>(std::nearbyint((box.Right + 1) * sx)) - 1);
}

// The cut must sit on the frame's centre whatever the frame's size and proportions.
TEST(SnapBox, OtherFrameSizesAreCutAroundTheirOwnCentre) {
    const QSize control(1024, 768);
    const SnapBox box = SnapBoxForPress(control, QPoint(412, 334));
    for (const QSize frame : {QSize(640, 480), QSize(1280, 720), QSize(600, 800)}) {
        const WindowBounds window = SnapWindowInFrame(box, control, frame);
        const double centreX = (window.Left + window.Right + 1) / 2.0;
        const double centreY = (window.Bottom + window.Top + 1) / 2.0;
        EXPECT_NEAR(centreX, frame.width() / 2.0, 1.5) << frame.width();
        EXPECT_NEAR(centreY, frame.height() / 2.0, 1.5) << frame.width();
        EXPECT_GE(window.Left, 0);
        EXPECT_GE(window.Bottom, 0);
        EXPECT_LT(window.Right, frame.width());
        EXPECT_LT(window.Top, frame.height());
    }
    // A 16:9 frame is shown 576 px high: the box's 100 px are 125 frame rows.
    const WindowBounds wide = SnapWindowInFrame(box, control, QSize(1280, 720));
    EXPECT_NEAR(wide.height(), 100 * 720.0 / 576, 2);
    // A box taller than the letterboxed picture is held to the frame.
    const SnapBox tall = SnapBoxForPress(control, QPoint(0, 0));
    const WindowBounds held = SnapWindowInFrame(tall, control, QSize(1280, 720));
    EXPECT_EQ(held.Bottom, 0);
    EXPECT_EQ(held.Top, 719);
}

class SnapFileTest : public ::testing::Test {
protected:
    SnapFileTest() {
        context.project.ProjectFolder = folder.filePath("Board") + "/";
        context.SystemSettingsFolder = folder.filePath("System") + "/";
        QDir().mkpath(context.project.ProjectFolder);
        QDir().mkpath(context.SystemSettingsFolder);
        frame = createImage(800, 600);
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                frame->pixel(x, y) = makeColor32(x % 256, y % 256, 0, 255);
            }
        }
        window.Left = 350;
        window.Right = 449;
        window.Bottom = 270;
        window.Top = 329;
    }
    bool save(SnapDestination destination, const QString& special = {}) {
        return SaveSnap(context, *frame, window, destination, special, &fileName);
    }
    QStringList filesIn(const QString& path) const { return QDir(path).entryList(QDir::Files); }

    QTemporaryDir folder;
    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
    ImagePtr frame;
    WindowBounds window;
    QString fileName;
};

TEST_F(SnapFileTest, ATypedNameIsSavedWithBmpSpelledAsTheProgramDoesInTheModesFolder) {
    port.files.push_back(folder.filePath("elsewhere/Fid1.bmp"));
    ASSERT_TRUE(save(SnapDestination::Project));
    EXPECT_EQ(fileName, "Fid1");
    EXPECT_EQ(filesIn(context.project.ProjectFolder), QStringList{"Fid1.Bmp"});
    EXPECT_EQ(port.lastFileDialog.folder, context.project.ProjectFolder);
    ImagePtr snap;
    ASSERT_TRUE(LoadSnap(context.project.ProjectFolder + "Fid1.bmp", snap));
    EXPECT_EQ(snap->Width, 100);
    EXPECT_EQ(snap->Height, 60);
    EXPECT_EQ(snap->pixel(0, 0), frame->pixel(350, 270));
    EXPECT_EQ(snap->pixel(99, 59), frame->pixel(449, 329));

    port.files.push_back("Feeder 3.BMP");
    ASSERT_TRUE(save(SnapDestination::System));
    EXPECT_EQ(filesIn(context.SystemSettingsFolder), QStringList{"Feeder 3.Bmp"});
}

TEST_F(SnapFileTest, CancelWritesNothing) {
    EXPECT_FALSE(save(SnapDestination::Project));
    EXPECT_TRUE(filesIn(context.project.ProjectFolder).isEmpty());
    EXPECT_TRUE(port.callsStartingWith("error: ").isEmpty());
}

TEST_F(SnapFileTest, AnExistingSnapIsReplacedOnlyWhenThePersonSaysYes) {
    QFile old(context.project.ProjectFolder + "fid1.bmp");  // an older spelling
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    port.files.push_back("Fid1.bmp");
    port.answers.push_back(OperatorPort::Answer::No);
    EXPECT_FALSE(save(SnapDestination::Project));
    EXPECT_EQ(port.callsStartingWith("ask2: "), QStringList{kSnapOverwriteQuestion});
    EXPECT_EQ(filesIn(context.project.ProjectFolder), QStringList{"fid1.bmp"});

    port.files.push_back("Fid1.bmp");
    port.answers.push_back(OperatorPort::Answer::Yes);
    ASSERT_TRUE(save(SnapDestination::Project));
    // One file is left, in the program's spelling, holding the new picture.
    EXPECT_EQ(filesIn(context.project.ProjectFolder), QStringList{"Fid1.Bmp"});
    ImagePtr snap;
    EXPECT_TRUE(LoadSnap(context.project.ProjectFolder + "fid1.bmp", snap));
}

TEST_F(SnapFileTest, TheHomeSnapReplacesItsFileWithoutAsking) {
    const QString home = context.SystemSettingsFolder + "Home.BMP";
    QFile old(home);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    ASSERT_TRUE(save(SnapDestination::Special, home));
    EXPECT_TRUE(port.calls.isEmpty());
    EXPECT_EQ(filesIn(context.SystemSettingsFolder), QStringList{"Home.BMP"});
    EXPECT_GT(QFileInfo(home).size(), 100 * 60 * 3);
}

TEST_F(SnapFileTest, SnapsAreWritten32BitAndBothDepthsLoadToTheSamePixels) {
    const QString written = context.SystemSettingsFolder + "Home.BMP";
    ASSERT_TRUE(save(SnapDestination::Special, written));
    const QByteArray bytes = readFile(written);
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 28), 32);  // bits per pixel
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 30), 0u);  // no compression
    EXPECT_EQ(bytes.size(), 54 + 100 * 60 * 4);
    // The bottom row comes first, each pixel blue, green, red, 255.
    const TColor32 bottomLeft = frame->pixel(350, 329);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 54), bottomLeft | 0xFF000000u);

    // An older 24-bit snap of the same cut.
    const QString older = context.SystemSettingsFolder + "Older.bmp";
    QImage picture;
    imageToPicture(copyWindow(*frame, window).get(), picture);
    ASSERT_TRUE(picture.save(older, "BMP"));
    ImagePtr fromNew;
    ImagePtr fromOld;
    ASSERT_TRUE(LoadSnap(written, fromNew));
    ASSERT_TRUE(LoadSnap(older, fromOld));
    EXPECT_EQ(fromNew->Width, 100);
    EXPECT_EQ(fromNew->Height, 60);
    EXPECT_EQ(fromNew->Bits, fromOld->Bits);
    EXPECT_EQ(fromNew->pixel(0, 0), frame->pixel(350, 270));
}

// The picture reader takes a bitmap that broke off half-way and fills the rest: such a snap
// must not become a reference.
TEST_F(SnapFileTest, ABitmapCutShortIsNoSnap) {
    const QString path = context.SystemSettingsFolder + "Home.BMP";
    ASSERT_TRUE(save(SnapDestination::Special, path));
    const QByteArray whole = readFile(path);
    QFile file(path);
    ASSERT_FALSE(BitmapCutShort(whole));
    ImagePtr snap;
    ASSERT_TRUE(LoadSnap(path, snap));
    for (const qsizetype length : {whole.size() - 1, whole.size() / 2, qsizetype{40}}) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(whole.left(length));
        file.close();
        EXPECT_TRUE(BitmapCutShort(whole.left(length))) << length;
        EXPECT_FALSE(LoadSnap(path, snap)) << length;
        EXPECT_FALSE(snap) << length;
    }
    EXPECT_FALSE(BitmapCutShort("not a bitmap at all, but long enough to hold the headers"));
}

TEST_F(SnapFileTest, AFailedWriteIsReportedAndLeavesNoFile) {
    const QString missing = folder.filePath("no such folder/Home.BMP");
    EXPECT_FALSE(save(SnapDestination::Special, missing));
    EXPECT_EQ(port.callsStartingWith("error: ").size(), 1);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

}  // namespace
