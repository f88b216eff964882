// The demo project in demo/: what the generator writes now, readable by the program, and its
// snaps found by the program's searches in the simulated cameras.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>

#include "RenderedSearch.h"
#include "WorldDriver.h"
#include "support/DemoFiles.h"

using namespace motrix_sim;

namespace {

QStringList filesIn(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(folder).relativeFilePath(it.next());
    }
    files.removeAll("README.md");
    files.removeAll(".gitattributes");
    files.sort();
    return files;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DemoTest, TheRepositoryHoldsWhatTheGeneratorWritesNow) {
    QTemporaryDir dir;
    const QString command = QString("%1 '%2'").arg(CORVANE_DEMO_TOOL, dir.path());
    ASSERT_EQ(std::system(command.toLocal8Bit().constData()), 0);
    const QStringList written = filesIn(dir.path());
    EXPECT_EQ(filesIn(kDemo), written);
    for (const QString& file : written) {
        EXPECT_TRUE(contents(dir.filePath(file)) == contents(kDemo + "/" + file))
            << file.toStdString() << " differs: run corvane2-demo demo";
    }
}

class DemoProjectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadDemo(project, settings)); }
    // The machine position of a home-relative one (Home 1 is the home-relative origin).
    Vec2 machine(double x, double y) const {
        return Vec2{x, y} + Vec2{settings.home1X, settings.home1Y};
    }

    ProjectState project;
    MachineSettings settings;
};

TEST_F(DemoProjectTest, TheProjectDescribesTheBuiltInWorld) {
    const World& world = defaultWorld();
    ASSERT_EQ(project.PartCount(), static_cast<int>(world.board.parts.size()));
    ASSERT_EQ(project.FeederCount(), static_cast<int>(world.feeders.size()));
    SimWorld simulated(world);
    const auto& pads = simulated.model().layout.pads();
    const Vec2 origin = machine(project.PanelOriginX, project.PanelOriginY);
    for (int i = 0; i < project.PartCount(); ++i) {
        const PartRec& part = project.Parts[i];
        const PadTarget& pad = pads[static_cast<std::size_t>(i)];  // board 1
        EXPECT_EQ(Vec2(origin + Vec2{part.X, part.Y}), pad.position)
            << part.Designator.toStdString();
        EXPECT_EQ(part.Angle, pad.angle);
        ASSERT_GE(part.Feeder, 1);
        EXPECT_EQ(world.feeders[static_cast<std::size_t>(part.Feeder - 1)].part,
                  part.Comment.toStdString());
    }
    for (int i = 0; i < project.FeederCount(); ++i) {
        const FeederRec& feeder = project.Feeders[i];
        EXPECT_EQ(Vec2(machine(feeder.X, feeder.Y)),
                  world.feeders[static_cast<std::size_t>(i)].pick);
        EXPECT_EQ(feeder.Nozzle, world.nozzleChanger.mounted);
        EXPECT_FALSE(QImage(kDemo + "/System Settings/" + feeder.SnapName + ".Bmp").isNull());
    }
    EXPECT_EQ(settings.uplookingCameraZ, world.upCamera.focusZ);
    EXPECT_EQ(Vec2(machine(settings.rejectTrayX[4], settings.rejectTrayY[4])),
              world.rejectTrays[4].centre);
}

// The home marks and the fiducials (on the last board of the panel, not the one snapped).
TEST_F(DemoProjectTest, TheMarkSnapsAreFoundWhereTheProjectSaysTheMarksAre) {
    SimWorld world(defaultWorld());
    const Vec2 lastBoard = machine(project.PanelOriginX + project.BoardSpacingX,
                                   project.PanelOriginY + project.BoardSpacingY);
    struct Case {
        QString snap;
        Vec2 at;
    };
    const std::vector<Case> cases = {
        {"System Settings/Home.BMP", machine(0, 0)},
        {"System Settings/Home2.BMP", machine(settings.home2X, settings.home2Y)},
        {"Demo Panel/Fiducial1.Bmp", lastBoard + Vec2{project.Fiducial1X, project.Fiducial1Y}},
        {"Demo Panel/Fiducial2.Bmp", lastBoard + Vec2{project.Fiducial2X, project.Fiducial2Y}},
    };
    for (const Case& c : cases) {
        Searcher search;
        search.state.ImageReference = LoadDemoSnap(c.snap);
        ASSERT_TRUE(search.state.ImageReference) << c.snap.toStdString();
        search.state.ImageDownlooking = imageOf(
            world_test::render(world, kDownCamera, world.poseFromMachine(c.at.x, c.at.y, 0, 0)));
        EXPECT_TRUE(VisualCorrelation(search.context(), 0, 6, false)) << c.snap.toStdString();
        EXPECT_GT(search.state.VisionCorrelation, 0.9) << c.snap.toStdString();
        EXPECT_NEAR(search.state.VisionCentreX, 0, 0.051) << c.snap.toStdString();
        EXPECT_NEAR(search.state.VisionCentreY, 0, 0.051) << c.snap.toStdString();
    }
}

// Every feeder's snap matches its part held over the up camera, picked with some error.
TEST_F(DemoProjectTest, EveryFeederSnapMatchesItsPartSeenFromBelow) {
    World jittery = defaultWorld();
    jittery.errors.pickJitterMm = 0.2;
    jittery.errors.pickJitterDeg = 5;
    for (int i = 0; i < project.FeederCount(); ++i) {
        SimWorld world(jittery);
        WorldDriver driver(world);
        ASSERT_TRUE(driver.pickFrom(i));
        const FeederRec& feeder = project.Feeders[i];
        const double base = feeder.Kind == FeederReel && feeder.Location == LocationRear ? 180 : 0;
        const HeadPose over{world.world().upCamera.position,
                            settings.uplookingCameraZ - feeder.PartHeight, base};
        Searcher search;
        search.state.ImageReference = LoadDemoSnap("System Settings/" + feeder.SnapName + ".Bmp");
        search.state.ImageUplooking = imageOf(world_test::render(world, kUpCamera, over));
        EXPECT_TRUE(AngularVisualCorrelation(search.context(), 0, 6))
            << feeder.Description.toStdString();
        EXPECT_GT(search.state.VisionCorrelation, 0.8) << feeder.Description.toStdString();
    }
}

}  // namespace
