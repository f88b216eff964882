// corvane2-demo: writes the demo project for the simulator's built-in world into a folder (the
// repository keeps it in demo/): the project with its fiducial snaps, the system snaps (home
// marks, feeders' parts) and the machine settings that match the world. Every file is written
// by the program's own writers, every snap cut from a frame the simulated cameras render.
#include <QCoreApplication>
#include <QDir>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "WorldDriver.h"
#include "WorldJson.h"
#include "handling/Pick.h"
#include "project/FeederList.h"
#include "project/ProjectFile.h"
#include "project/TextFiles.h"
#include "settings/MachineSettingsStore.h"
#include "vision/FilterWindow.h"
#include "vision/SnapFiles.h"

namespace {

using motrix_sim::Vec2;

const QString kProjectName = "Demo Panel";
const QString kProjectFolder = "Demo Panel";
const QString kSystemFolder = "System Settings";
const QString kSettingsFile = "Machine Settings/Corvane 2.ini";

// The built-in world's machine: Home 1 is the home-relative origin, "Home Z" is 0.
struct DemoMachine {
    const motrix_sim::World& world = motrix_sim::defaultWorld();
    Vec2 home1 = world.homeMarks.at(0);

    Vec2 homeRelative(Vec2 machine) const { return machine - home1; }
    // The head position that puts the nozzle axis at `nozzle`.
    Vec2 headFor(Vec2 nozzle) const { return nozzle - world.nozzleOffset; }
};

// The rectangle the snap window cuts for a box of width x height pixels drawn centred on a
// picture of the frame's own size.
WindowBounds snapWindow(int frameWidth, int frameHeight, int width, int height) {
    const int centreX = frameWidth / 2;
    const int centreY = frameHeight / 2;
    const auto low = [](int centre, int size) { return static_cast<int>(centre - size / 2.0); };
    const auto high = [](int centre, int size) { return static_cast<int>(size / 2.0 + centre); };
    return {low(centreX, width) - 1, high(centreX, width), high(centreY, height),
            low(centreY, height) - 1};
}

class DemoWriter {
public:
    explicit DemoWriter(const QString& folder) : root_(folder) {}

    bool write() { return makeFolders() && writeProject() && writeHomeSnaps() && writeSettings(); }

private:
    bool makeFolders() {
        for (const QString& sub :
             {kProjectFolder, kSystemFolder, QFileInfo(kSettingsFile).path()}) {
            if (!root_.mkpath(sub)) {
                return fail("cannot create " + root_.filePath(sub));
            }
        }
        return true;
    }

    bool fail(const QString& problem) {
        std::fprintf(stderr, "corvane2-demo: %s\n", qPrintable(problem));
        return false;
    }

    // A frame of `camera` in `world` with the head at `pose`, cut as the snap window cuts a
    // box of `size` mm, saved as a bitmap.
    bool saveSnap(motrix_sim::SimWorld& world, int camera, const motrix_sim::HeadPose& pose,
                  double sizeMm, const QString& path) {
        int width = 0;
        int height = 0;
        motrix_sim::cameraSize(world.world(), camera, width, height);
        ImagePtr frame = createImage(width, height);
        motrix_sim::renderFrame(world.frameJob(camera, pose), frame->Bits.data(), width, height);
        const motrix_sim::CameraSpec& spec =
            camera == motrix_sim::kUpCamera ? world.world().upCamera : world.world().downCamera;
        // The snap window's box is twice the press's distance from the centre: always even.
        // An odd box would put the snap's centre a pixel off the part's.
        const int box = 2 * static_cast<int>(std::lround(sizeMm / spec.mmPerPixel() / 2));
        const ImagePtr cut = copyWindow(*frame, snapWindow(width, height, box, box));
        if (!WriteBitmap32(*cut, path)) {
            return fail("cannot write " + path);
        }
        return true;
    }

    bool writeHomeSnaps() {
        motrix_sim::SimWorld world(machine_.world);
        const QStringList names = {"Home.BMP", "Home2.BMP"};
        for (int i = 0; i < 2; ++i) {
            const Vec2 mark = machine_.world.homeMarks.at(static_cast<std::size_t>(i));
            if (!saveSnap(world, motrix_sim::kDownCamera, {mark, 0, 0}, 5,
                          root_.filePath(kSystemFolder + "/" + names[i]))) {
                return false;
            }
        }
        return true;
    }

    bool writeFiducials(ProjectState& project) {
        motrix_sim::SimWorld world(machine_.world);
        const auto& fiducials = machine_.world.board.fiducials;
        for (std::size_t i = 0; i < 2 && i < fiducials.size(); ++i) {
            const Vec2 local = fiducials[i].position;
            const QString name = QString("Fiducial%1").arg(i + 1);
            (i == 0 ? project.Fiducial1SnapName : project.Fiducial2SnapName) = name;
            (i == 0 ? project.Fiducial1X : project.Fiducial2X) = local.x;
            (i == 0 ? project.Fiducial1Y : project.Fiducial2Y) = local.y;
            const Vec2 at = world.model().layout.boardPoint(1, local);
            if (!saveSnap(world, motrix_sim::kDownCamera, {at, 0, 0}, 3.5,
                          root_.filePath(kProjectFolder + "/" + name + ".Bmp"))) {
                return false;
            }
        }
        project.DualFiducial = fiducials.size() >= 2;
        return true;
    }

    FeederRec feederFor(const motrix_sim::FeederSpec& spec, int number) const {
        static const int kinds[] = {FeederReel, FeederTray, FeederVibration};
        FeederRec feeder;
        feeder.Kind = kinds[static_cast<int>(spec.type)];
        feeder.Description =
            QString::fromStdString(spec.part + " " + motrix_sim::feederTypeName(spec.type));
        feeder.SnapName = QString("Demo %1").arg(QString::fromStdString(spec.part));
        const Vec2 at = machine_.homeRelative(spec.pick);
        feeder.X = at.x;
        feeder.Y = at.y;
        feeder.Z = spec.pickZ;
        feeder.PartHeight = machine_.world.kind(spec.part)->height;
        feeder.Nozzle = machine_.world.nozzleChanger.mounted;
        if (spec.type == motrix_sim::FeederType::Tray) {
            feeder.TraySpacingX = spec.pitch.x;
            feeder.TraySpacingY = spec.pitch.y;
            feeder.TrayCountX = spec.countX;
            feeder.TrayCountY = spec.countY;
        }
        feeder.RejectTray = (number - 1) % 5 + 1;
        UpdateFeederLocation(feeder, settings_, machine_.home1.y);
        return feeder;
    }

    // The feeder's part as the up camera sees it after a test pick: held at the base angle of
    // the pick's approach table, its underside in focus.
    bool writeFeederSnap(int index, const FeederRec& feeder) {
        motrix_sim::SimWorld world(machine_.world);
        motrix_sim::WorldDriver driver(world);
        if (!driver.pickFrom(index)) {
            return fail("no part to pick from feeder " + QString::number(index + 1));
        }
        const motrix_sim::CameraSpec& camera = machine_.world.upCamera;
        const motrix_sim::PartKind& kind =
            *machine_.world.kind(machine_.world.feeders[static_cast<std::size_t>(index)].part);
        const double size = std::max(std::hypot(kind.body.x, kind.body.y), 2.0) + 1;
        return saveSnap(world, motrix_sim::kUpCamera,
                        {machine_.headFor(camera.position), camera.focusZ - kind.height,
                         ApproachOf(feeder).baseAngle},
                        size, root_.filePath(kSystemFolder + "/" + feeder.SnapName + ".Bmp"));
    }

    bool writeProject() {
        const motrix_sim::World& world = machine_.world;
        ProjectState project;
        const Vec2 origin = machine_.homeRelative(world.panel.origin);
        project.PanelOriginX = origin.x;
        project.PanelOriginY = origin.y;
        project.BoardSpacingX = world.panel.spacing.x;
        project.BoardSpacingY = world.panel.spacing.y;
        project.BoardCountX = world.panel.countX;
        project.BoardCountY = world.panel.countY;
        project.BoardHeight = world.board.surfaceZ;
        if (!writeFiducials(project)) {
            return false;
        }
        for (std::size_t i = 0; i < world.feeders.size(); ++i) {
            project.Feeders.append(feederFor(world.feeders[i], static_cast<int>(i) + 1));
            if (!writeFeederSnap(static_cast<int>(i), project.Feeders.back())) {
                return false;
            }
        }
        for (const motrix_sim::Placement& placement : world.board.parts) {
            project.Parts.append(partFor(placement));
        }
        const QString path = root_.filePath(kProjectFolder + "/" + kProjectName + ".Corvane");
        return ReplaceFile(path, ProjectFileText(project)) || fail("cannot write " + path);
    }

    // The part of the board design, taken from the feeder of its kind.
    PartRec partFor(const motrix_sim::Placement& placement) const {
        PartRec part;
        part.Designator = QString::fromStdString(placement.designator);
        part.Comment = QString::fromStdString(placement.kind);
        part.X = placement.position.x;
        part.Y = placement.position.y;
        part.Angle = placement.angle;
        for (std::size_t i = 0; i < machine_.world.feeders.size(); ++i) {
            if (machine_.world.feeders[i].part == placement.kind) {
                part.Feeder = static_cast<int>(i) + 1;
                break;
            }
        }
        return part;
    }

    // What the machine settings need beyond their defaults to fit the world: the up camera's
    // focal height, the holders, the reject trays, the mounted nozzle, and a park height that
    // stays within the Z travel.
    bool writeSettings() {
        MachineSettings settings = settings_;
        const motrix_sim::World& world = machine_.world;
        const Vec2 upCamera = machine_.homeRelative(machine_.headFor(world.upCamera.position));
        settings.uplookingCameraX = upCamera.x;
        settings.uplookingCameraY = upCamera.y;
        settings.uplookingCameraZ = world.upCamera.focusZ;
        settings.nozzleOffsetX = -world.nozzleOffset.x;
        settings.nozzleOffsetY = -world.nozzleOffset.y;
        const auto& holders = world.nozzleChanger.holders;
        for (std::size_t i = 0; i < holders.size() && i < settings.nozzleX.size(); ++i) {
            const Vec2 at = machine_.homeRelative(machine_.headFor(holders[i].position));
            settings.nozzleX[i] = at.x;
            settings.nozzleY[i] = at.y;
        }
        settings.nozzleDown = world.nozzleChanger.depth;
        settings.nozzleUp = 0;
        settings.nozzleChangerLocation = static_cast<int>(world.nozzleChanger.location);
        settings.currentNozzle = world.nozzleChanger.mounted;
        for (std::size_t i = 0; i < world.rejectTrays.size() && i < settings.rejectTrayX.size();
             ++i) {
            const Vec2 at = machine_.homeRelative(world.rejectTrays[i].centre);
            settings.rejectTrayX[i] = at.x;
            settings.rejectTrayY[i] = at.y;
        }
        const QString path = root_.filePath(kSettingsFile);
        QFile::remove(path);
        return SaveMachineSettings(*OpenMachineSettingsStoreAt(path), settings) ||
               fail("cannot write " + path);
    }

    QDir root_;
    DemoMachine machine_;
    MachineSettings settings_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() != 1) {
        std::fputs("usage: corvane2-demo FOLDER\n", stderr);
        return 2;
    }
    return DemoWriter(arguments.front()).write() ? 0 : 1;
}
