#pragma once

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <functional>

#include "app/MachineControl.h"
#include "project/BoardOrigin.h"
#include "support/MachineFixture.h"
#include "vision/FrameSource.h"

// Camera frames a test scripts as a function of the camera and where the head stands.
class ScriptedCameras : public FrameSource {
public:
    std::function<QImage(CameraRole)> frame;

    bool currentFrame(CameraRole camera, QImage& image) override {
        if (!frame) {
            return false;
        }
        QImage next = frame(camera);
        if (next.isNull()) {
            return false;
        }
        image = std::move(next);
        return true;
    }
};

// A machine with an open project on a temporary disk: a board at (100, 80) home-relative,
// three parts, two reel feeders without vision (rejecting into trays 3 and 4) whose snaps
// exist, five reject trays at known places, the feeders' nozzle mounted. The port refreshes like
// the main window: its button refresh switches the outputs off under an emergency stop.
class PlacingFixture : public MachineFixture {
protected:
    PlacingFixture() {
        context.SystemSettingsFolder = folder("System");
        ProjectState& project = context.project;
        project.ProjectOpen = true;
        project.ProjectFolder = folder("Project");
        project.ProjectName = "Board";
        project.PanelOriginX = 100;
        project.PanelOriginY = 80;
        project.BoardHeight = 12;
        project.FiducialEnable = false;
        project.Feeders = {reel("Resistors", 50, 300, 3), reel("Capacitors", 70, 300, 4)};
        project.Parts = {part("R1", 10, 20, 0, 1), part("C1", 30, 25, 90, 2),
                         part("R2", 40, 5, 180, 1)};
        project.CurrentPart = 1;
        writeSnap(context.SystemSettingsFolder + "Resistor.bmp");
        writeSnap(context.SystemSettingsFolder + "Capacitor.bmp");
        project.Feeders[0].SnapName = "Resistor";
        project.Feeders[1].SnapName = "Capacitor";
        MachineSettings& settings = context.settings;
        for (int tray = 0; tray < 5; ++tray) {
            settings.rejectTrayX[tray] = 300 + 10 * tray;
            settings.rejectTrayY[tray] = 20;
        }
        settings.uplookingCameraZ = 10;
        settings.currentNozzle = 1;  // the feeders' nozzle: no exchange
        context.cameras = &cameras;
        port.onUpdateButtons = [this] { SwitchOffOutputsUnderStop(context); };
        RecomputeBoardOrigin(project);
    }

    static FeederRec reel(const QString& description, double x, double y, int rejectTray) {
        FeederRec feeder;
        feeder.Description = description;
        feeder.X = x;
        feeder.Y = y;
        feeder.Z = 5;
        feeder.PartHeight = 0.5;
        feeder.RejectTray = rejectTray;
        feeder.Use_Vision = false;
        return feeder;
    }

    static PartRec part(const QString& designator, double x, double y, double angle, int feeder) {
        PartRec part;
        part.Designator = designator;
        part.X = x;
        part.Y = y;
        part.Angle = angle;
        part.Feeder = feeder;
        return part;
    }

    QString folder(const QString& name) {
        QDir(disk.path()).mkpath(name);
        return disk.filePath(name) + "/";
    }

    static void writeSnap(const QString& path) {
        QImage snap(40, 40, QImage::Format_RGB32);
        snap.fill(Qt::white);
        snap.save(path, "BMP");
    }

    // The nozzle holds the part of part `part` as its pick leaves it, the vacuum on.
    void holdPartFor(int part) {
        const PartRec& record = context.project.Parts[part - 1];
        CycleState& cycle = context.cycle;
        cycle.PartOnNozzle = true;
        cycle.HeldPart = part;
        cycle.HeldFeeder = record.Feeder;
        cycle.HeldAngle = record.Angle;
        cycle.HeldMeasured = false;
        cnc.SetVacuumOutput(true);
    }

    // Machine-frame step counts of a home-relative position, as the moves send them.
    std::array<std::int32_t, 4> homeSteps(double x, double y, double z, double a) const {
        return cnc.toSteps(x + cnc.HomeOffsetX, y + cnc.HomeOffsetY, z + context.settings.homeZ, a);
    }
    std::array<std::int32_t, 4> boardSteps(double x, double y, double z, double a) const {
        return homeSteps(x + context.project.BoardOriginX, y + context.project.BoardOriginY, z, a);
    }
    // Targets of the linear moves in the log, in steps.
    std::vector<std::array<std::int32_t, 4>> moveTargets() const {
        std::vector<std::array<std::int32_t, 4>> targets;
        for (const SimCommand& move : moves()) {
            targets.push_back({move.args[0], move.args[1], move.args[2], move.args[3]});
        }
        return targets;
    }
    bool movedTo(const std::array<std::int32_t, 4>& steps) const {
        const auto targets = moveTargets();
        return std::find(targets.begin(), targets.end(), steps) != targets.end();
    }
    bool movedOverXY(double homeX, double homeY) const {
        const auto xy = homeSteps(homeX, homeY, 0, 0);
        for (const auto& target : moveTargets()) {
            if (target[0] == xy[0] && target[1] == xy[1]) {
                return true;
            }
        }
        return false;
    }

    QTemporaryDir disk;
    ScriptedCameras cameras;
};
