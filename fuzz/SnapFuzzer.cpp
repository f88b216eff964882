// The snap loader (LoadSnap: Qt's BMP reader through QImage, then pictureToImage) on any bytes.
#include <QImage>

#include "FuzzSupport.h"
#include "vision/Capture.h"

namespace {

constexpr std::size_t kLargestSnap = 4096 * 4096;  // LoadSnap refuses larger pictures
constexpr std::size_t kLargestWrittenBack = 1024 * 1024;

// How the program would write the image back: a BMP file.
QString savedAsBmp(const TBitmap32& image) {
    QImage picture;
    imageToPicture(&image, picture);
    const QString path = ScratchFolder() + QStringLiteral("saved.bmp");
    FUZZ_CHECK(picture.save(path, "BMP"), "the snap cannot be written as a BMP file");
    return path;
}

void checkImage(const TBitmap32& image) {
    FUZZ_CHECK(image.Width > 0 && image.Height > 0 &&
                   image.Bits.size() == std::size_t(image.Width) * std::size_t(image.Height),
               QStringLiteral("%1 x %2 pixels in %3")
                   .arg(image.Width)
                   .arg(image.Height)
                   .arg(image.Bits.size()));
    FUZZ_CHECK(image.Bits.size() <= kLargestSnap, "a picture larger than any camera frame loads");
    for (const TColor32 pixel : image.Bits) {
        FUZZ_CHECK(pixel >> 24 == 0xFF, "a snap pixel is not opaque");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = WriteScratchFile(QStringLiteral("input.bmp"), InputBytes(data, size));
    ImagePtr image = createImage(2, 2);
    if (!LoadSnap(path, image)) {
        FUZZ_CHECK(!image, "a failed load leaves an image");
        return 0;
    }
    FUZZ_CHECK(image != nullptr, "a load that succeeded gives no image");
    checkImage(*image);
    // Writing back goes the same way for every size; the largest pictures would only slow the run.
    if (image->Bits.size() > kLargestWrittenBack) {
        return 0;
    }
    ImagePtr saved;
    FUZZ_CHECK(LoadSnap(savedAsBmp(*image), saved), "the snap written back does not load");
    FUZZ_CHECK(saved->Width == image->Width && saved->Height == image->Height &&
                   saved->Bits == image->Bits,
               "the snap written back loads as another picture");
    return 0;
}
