#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>

#include "TestImages.h"
#include "support/cli/CliRun.h"

namespace {

QImage picture(const TBitmap32& image) {
    QImage shown;
    imageToPicture(&image, shown);
    return shown;
}

class CorrelateCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ImagePtr reference = test_images::texture(100, 100, 141);
        ImagePtr frame = test_images::texture(800, 600, 140);
        test_images::pasteAtOffset(*frame, *reference, 16, 0);
        ASSERT_TRUE(picture(*reference).save(dir.filePath("ref.bmp")));
        ASSERT_TRUE(picture(*frame).save(dir.filePath("frame.bmp")));
    }
    QString file(const char* name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

// The literal answers are whole pixels; the refined ones lie between them, here within a third of a
// pixel of the pasted place (the pasted edges make the scores around it a little lopsided).
TEST_F(CorrelateCliTest, FindsAPastedReferenceInASavedFrame) {
    struct Case {
        const char* options;
        double x;
        double tolerance;  // the literal angle search measures on images shrunk by 3
        double minimumScore;
    };
    constexpr double kThirdPixel = 40.0 / 800 / 3;
    for (const Case c :
         {Case{"--literal", 0.8, 1e-6, 0.99}, Case{"--up --literal", -0.8, 1e-6, 0.99},
          Case{"--view-width 80 --literal", 1.6, 1e-6, 0.99},
          Case{"--angular --limit 0.5 --literal", -0.8, 0.15, 0.5},
          Case{"", 0.8, kThirdPixel, 0.99}, Case{"--up", -0.8, kThirdPixel, 0.99}}) {
        const CliRun o =
            runCli("correlate", QString("--reference %1 --image %2 %3")
                                    .arg(file("ref.bmp"), file("frame.bmp"), c.options));
        ASSERT_EQ(o.exitCode, 0) << c.options << o.err.toStdString();
        const QJsonObject json = QJsonDocument::fromJson(o.out).object();
        EXPECT_TRUE(json["found"].toBool()) << o.out.toStdString();
        EXPECT_NEAR(json["x_mm"].toDouble(), c.x, c.tolerance) << c.options;
        EXPECT_NEAR(json["y_mm"].toDouble(), 0, c.tolerance) << c.options;
        EXPECT_EQ(json["angle_deg"].toDouble(), 0) << c.options;
        EXPECT_GT(json["correlation"].toDouble(), c.minimumScore) << c.options;
    }
}

// Not finding is an answer, not an error; it shows no score or offset of a failed trial.
TEST_F(CorrelateCliTest, NotFoundStillExitsZeroAndShowsNothingElse) {
    ImagePtr flat = test_images::uniform(800, 600, 0xFF303030);
    ASSERT_TRUE(picture(*flat).save(file("flat.bmp")));
    const QString notFound =
        R"({"found": false, "correlation": 0, "x_mm": 0, "y_mm": 0, "angle_deg": 0})";
    const QString reference = "--reference " + file("ref.bmp");
    for (const QString& options : {
             QString("--image %1").arg(file("flat.bmp")),
             QString("--image %1 --angular").arg(file("flat.bmp")),
             QString("--image %1 --angular --limit 1.01").arg(file("frame.bmp")),
             QString("--image %1 --limit 1.01").arg(file("frame.bmp")),
         }) {
        const CliRun o = runCli("correlate", reference + ' ' + options);
        EXPECT_EQ(o.exitCode, 0) << options.toStdString();
        EXPECT_EQ(QString::fromUtf8(o.out.trimmed()), notFound) << options.toStdString();
    }
}

TEST_F(CorrelateCliTest, UnreadableFilesAndBadArgumentsAreRefused) {
    struct Case {
        QString arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {QString("--reference %1 --image %2").arg(file("missing.bmp"), file("frame.bmp")), 1,
         "cannot read the reference image"},
        {QString("--reference %1 --image %2").arg(file("ref.bmp"), file("stderr.txt")), 1,
         "cannot read the camera image"},
        {QString("--image %1").arg(file("frame.bmp")), 2, "--reference"},
        {QString("--reference %1 --image %2 --limit high").arg(file("ref.bmp"), file("frame.bmp")),
         2, "--limit"},
        {QString("--reference %1 --image %2 --color").arg(file("ref.bmp"), file("frame.bmp")), 2,
         "unknown option --color"},
        {QString("--image %1 --reference").arg(file("frame.bmp")), 2,
         "--reference needs a file name"},
        {QString("--reference --image %1").arg(file("frame.bmp")), 2,
         "--reference needs a file name"},
        {QString("--reference %1 --image").arg(file("ref.bmp")), 2, "--image needs a file name"},
        {QString("--reference %1 --image %2 --angle").arg(file("ref.bmp"), file("frame.bmp")), 2,
         "--angle needs a number"},
    };
    for (const Case& c : cases) {
        const CliRun o = runCli("correlate", c.arguments);
        EXPECT_EQ(o.exitCode, c.status) << c.arguments.toStdString();
        EXPECT_TRUE(o.out.isEmpty());
        EXPECT_TRUE(o.err.contains(c.message)) << o.err.toStdString();
    }
}

}  // namespace
