// corvane2-cli render, run as a person would run it.

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

#include "WorldTestSupport.h"
#include "support/cli/CliRun.h"

namespace {

class RenderCliTest : public ::testing::Test {
protected:
    CliRun run(const QString& arguments) const { return runCli("render", arguments); }
    QString file(const char* name) const { return dir.filePath(name); }
    void write(const char* name, const QByteArray& text) const {
        QFile out(file(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }

    QTemporaryDir dir;
};

// The bitmap holds what the world's camera shows: the Home 1 mark in the middle of the down
// camera's frame, the nozzle tip's ring around the middle of the up camera's.
TEST_F(RenderCliTest, WritesTheFrameTheCameraShows) {
    struct Case {
        const char* arguments;
        int probeX;  // a pixel of the mark or the ring
        bool dark;   // darker than the corner, or brighter
    };
    for (const Case c : {Case{"--camera down --x 20 --y 20", 400, true},
                         Case{"--camera up --x 220 --y 220 --z 10 --a 45", 407, false}}) {
        const QString out = file("frame.bmp");
        QFile::remove(out);
        const CliRun o = run(QString("%1 --out %2").arg(c.arguments, out));
        ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
        const QImage image(out);
        ASSERT_EQ(image.size(), QSize(800, 600)) << c.arguments;
        const int probe = world_test::grey(image.pixel(c.probeX, 300));
        const int corner = world_test::grey(image.pixel(10, 10));
        EXPECT_EQ(probe < corner, c.dark) << c.arguments << ": " << probe << " " << corner;
    }
}

TEST_F(RenderCliTest, AWorldFileIsRenderedWithItsErrors) {
    motrix_sim::World world = motrix_sim::defaultWorld();
    world.errors.homeSwitch = {1, 0};
    write("world.json", QByteArray::fromStdString(motrix_sim::worldToJson(world)));
    const CliRun o = run(QString("--camera down --x 20 --y 20 --world %1 --out %2")
                             .arg(file("world.json"), file("shifted.bmp")));
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QImage image(file("shifted.bmp"));
    // The homed frame lies 1 mm (20 pixels) to the right: the mark's vertical bar shows left.
    EXPECT_LT(world_test::grey(image.pixel(380, 350)), 100);
    EXPECT_GT(world_test::grey(image.pixel(400, 350)), 150);
}

TEST_F(RenderCliTest, UsageErrorsAndFailuresAreToldAndExitNonZero) {
    write("broken.json", R"({"feeders": [{"part": "X"}]})");
    struct Case {
        QString arguments;
        int status;
        const char* message;
    };
    const QString out = file("out.bmp");
    const std::vector<Case> cases = {
        {"", 2, "--camera, --x, --y and --out are needed"},
        {"--camera down --x 1 --y 2", 2, "--camera, --x, --y and --out are needed"},
        {"--camera side --x 1 --y 2 --out " + out, 2, "--camera needs down or up"},
        {"--camera up --x one --y 2 --out " + out, 2, "--x needs a number"},
        {"--camera up --x 1 --y 2 --out " + out + " --z", 2, "--z needs a number"},
        {"--camera up --x 1 --y 2 --out " + out + " --zoom 2", 2, "unknown option --zoom"},
        {"--camera up --x 1 --y 2 --out " + out + " --world " + file("none.json"), 1,
         "cannot be read"},
        {"--camera up --x 1 --y 2 --out " + out + " --world " + file("broken.json"), 1,
         "feeders[0].part: no part kind 'X'"},
        {"--camera up --x 1 --y 2 --out " + file("missing/out.bmp"), 1, "cannot write"},
    };
    for (const Case& c : cases) {
        const CliRun o = run(c.arguments);
        EXPECT_EQ(o.exitCode, c.status) << c.arguments.toStdString();
        EXPECT_TRUE(o.err.contains(c.message)) << c.arguments.toStdString() << "\n"
                                               << o.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

}  // namespace
