#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include "support/TestFiles.h"
#include "vision/Capture.h"

namespace {

template <typename Number>
void append(QByteArray& bytes, Number value) {
    const auto little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

// An 8-bit run-length coded BMP of two colours whose pixel data is only the end-of-picture
// mark: Qt's reader gives a picture of the header's size, however large, from a few bytes.
QByteArray runLengthBmp(qint32 width, qint32 height) {
    const QByteArray pixels("\x00\x01", 2);
    constexpr quint32 kDataOffset = 14 + 40 + 2 * 4;
    QByteArray bytes("BM");
    append<quint32>(bytes, kDataOffset + pixels.size());
    append<quint32>(bytes, 0);
    append<quint32>(bytes, kDataOffset);
    for (const qint32 field : {40, width, height}) {
        append<qint32>(bytes, field);
    }
    append<quint16>(bytes, 1);  // planes
    append<quint16>(bytes, 8);  // bits per pixel
    append<quint32>(bytes, 1);  // run-length coded, 8 bits
    append<quint32>(bytes, static_cast<quint32>(pixels.size()));
    for (const qint32 field : {2835, 2835, 2, 0}) {
        append<qint32>(bytes, field);
    }
    bytes.append("\x40\x80\xC0\x00\xFF\xFF\xFF\x00", 8);  // blue-green-red-0
    return bytes + pixels;
}

TEST(LoadSnap, GivesThePicturesPixelsOpaque) {
    QTemporaryDir folder;
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    picture.setPixel(2, 1, qRgb(200, 100, 50));
    QByteArray bmp;
    QBuffer buffer(&bmp);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "BMP"));

    ImagePtr image;
    ASSERT_TRUE(LoadSnap(writeFile(folder, "Fid.Bmp", bmp), image));
    ASSERT_EQ(image->Width, 3);
    ASSERT_EQ(image->Height, 2);
    EXPECT_EQ(image->pixel(0, 0), makeColor32(10, 20, 30, 255));
    EXPECT_EQ(image->pixel(2, 1), makeColor32(200, 100, 50, 255));

    ASSERT_TRUE(LoadSnap(writeFile(folder, "Small.bmp", runLengthBmp(5, 4)), image));
    EXPECT_EQ(image->Width, 5);
    EXPECT_EQ(image->Height, 4);
}

TEST(LoadSnap, RefusesWhatIsNoSnapAndLeavesNoImage) {
    QTemporaryDir folder;
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        {"missing file", folder.filePath("Missing.bmp")},
        {"text, not a picture", writeFile(folder, "Text.bmp", "[Board Settings]\r\n")},
        {"a header cut short", writeFile(folder, "Cut.bmp", runLengthBmp(5, 4).left(30))},
        // 70 bytes that Qt would read as 25 million pixels: 100 MB for the image alone.
        {"a header claiming more pixels than any camera gives",
         writeFile(folder, "Huge.bmp", runLengthBmp(5000, 5000))},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        ImagePtr image = createImage(2, 2);
        EXPECT_FALSE(LoadSnap(testCase.path, image));
        EXPECT_EQ(image, nullptr);
    }
}

}  // namespace
