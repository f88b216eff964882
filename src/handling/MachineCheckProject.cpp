// The machine check of the project on this machine: the part list, the feeders, the board's
// height and every part and fiducial within the travel.
#include <QMap>
#include <algorithm>

#include "handling/MachineCheckFindings.h"
#include "project/FeederList.h"
#include "project/Fiducials.h"

namespace {

void checkPartFeeder(CheckFindings& f, int part) {
    const ProjectState& project = f.project;
    const PartRec& record = project.Parts[part - 1];
    if (!record.Enabled || FeederAt(project, record.Feeder)) {
        return;
    }
    const QString feeders = project.FeederCount() == 1
                                ? QString("1 feeder")
                                : QString("%1 feeders").arg(project.FeederCount());
    const QString what = record.Feeder == 0
                             ? f.partName(part) + " has no feeder."
                             : QString(
                                   "%1 takes its parts from feeder %2, which does not exist "
                                   "(the project has %3).")
                                   .arg(f.partName(part))
                                   .arg(record.Feeder)
                                   .arg(feeders);
    f.add(CheckSeverity::Blocking, what,
          "Choose its feeder in the part details, or add the feeder in the Feeders window.",
          FixWindow::MainWindow)
        .part = part;
}

void checkDesignators(CheckFindings& f) {
    QMap<QString, QList<int>> partsOf;
    for (int part = 1; part <= f.project.PartCount(); ++part) {
        const QString designator = f.project.Parts[part - 1].Designator.trimmed();
        if (!designator.isEmpty()) {
            partsOf[designator] << part;
        }
    }
    for (auto it = partsOf.cbegin(); it != partsOf.cend(); ++it) {
        if (it.value().size() < 2) {
            continue;
        }
        f.add(CheckSeverity::Warning,
              QString("Parts %1 are all %2: the part list and the run's report cannot tell them "
                      "apart.")
                  .arg(CheckFindings::listed(it.value()), CheckFindings::quoted(it.key())),
              "Give each part its own designator in the part details.", FixWindow::MainWindow)
            .part = it.value().last();
    }
}

void checkFeederSnap(CheckFindings& f, int feeder) {
    const FeederRec& record = f.project.Feeders[feeder - 1];
    const QString path = FeederSnapFile(f.systemFolder, record);
    if (!record.SnapName.isEmpty() && CheckFindings::snapReadable(path)) {
        return;
    }
    const QString what = record.SnapName.isEmpty()
                             ? QString("it has no snap, so its parts cannot be picked.")
                             : QString("its snap %1 cannot be read, so its parts cannot be picked.")
                                   .arg(CheckFindings::quoted(record.SnapName));
    f.addForFeeder(CheckSeverity::Blocking, feeder, what,
                   "Show its part in the up camera and press \"Take New Snap\" in the Feeders "
                   "window.")
        .file = record.SnapName.isEmpty() ? QString() : path;
}

void checkFeederPosition(CheckFindings& f, int feeder) {
    const FeederRec& record = f.project.Feeders[feeder - 1];
    const QString teach =
        "Centre its part in the down camera and press \"Set Position\" in the Feeders window.";
    if (record.X == 0 && record.Y == 0) {
        f.addForFeeder(CheckSeverity::Blocking, feeder,
                       "its pick position is 0, 0, untaught: the nozzle would go down on the "
                       "home mark.",
                       teach);
        return;
    }
    for (const QPointF& pick : FeederPickExtremes(record)) {
        const QString fault =
            f.travelFault(pick.x() + f.settings.nozzleOffsetX, pick.y() + f.settings.nozzleOffsetY);
        if (!fault.isEmpty()) {
            f.addForFeeder(CheckSeverity::Blocking, feeder,
                           "the nozzle cannot reach its parts: " + fault + ".", teach);
            break;
        }
    }
}

void checkFeederHeight(CheckFindings& f, int feeder) {
    const FeederRec& record = f.project.Feeders[feeder - 1];
    const QString setHeight =
        "Lower the nozzle onto its part and press \"Set Nozzle Height\" in the Feeders window.";
    if (record.Z == 0) {
        f.addForFeeder(CheckSeverity::Warning, feeder,
                       "its pick height is 0: the nozzle does not go down to its parts.",
                       setHeight);
    } else if (const QString fault = f.travelFault(TravelAxis::Z, record.Z); !fault.isEmpty()) {
        f.addForFeeder(CheckSeverity::Blocking, feeder,
                       "its pick height cannot be reached: " + fault + ".", setHeight);
    }
}

// The part's underside in the up camera's focus, where its picks measure it.
void checkFocalHeight(CheckFindings& f, int feeder) {
    const FeederRec& record = f.project.Feeders[feeder - 1];
    if (!record.Use_Vision || f.settings.uplookingCameraZ == 0) {
        return;  // an untaught camera height is reported once, for the machine
    }
    const QString fault =
        f.travelFault(TravelAxis::Z, f.settings.uplookingCameraZ - record.PartHeight);
    if (!fault.isEmpty()) {
        f.addForFeeder(CheckSeverity::Blocking, feeder,
                       "its parts cannot be lowered into the up camera's focus (camera height "
                       "minus part height): " +
                           fault + ".",
                       "Check its part height here, and the up camera's height in Settings / "
                       "Nozzle Offset.");
    }
}

void checkFiducial(CheckFindings& f, int fiducial) {
    ProjectState project = f.project;
    const FiducialFields mark = FiducialFieldsOf(project, fiducial);
    const QString name = QString("Fiducial %1").arg(fiducial);
    const QString path = FiducialSnapPath(project, fiducial);
    if (mark.snapName.isEmpty() || !CheckFindings::snapReadable(path)) {
        const QString what =
            mark.snapName.isEmpty()
                ? name + " has no snap, and the fiducials are checked before a run."
                : QString(
                      "%1's snap %2 cannot be read, and the fiducials are checked before a "
                      "run.")
                      .arg(name, CheckFindings::quoted(mark.snapName));
        f.add(CheckSeverity::Blocking, what,
              "Centre the mark in the camera and press \"Take Snap\" in the Fiducial Settings "
              "window, or switch \"ENABLE FIDUCIAL\" off there.",
              FixWindow::FiducialSettings)
            .file = mark.snapName.isEmpty() ? QString() : path;
    }
    const QString teach =
        "Centre the mark in the camera and press \"Set\" in the Fiducial Settings window.";
    const CheckFindings::BoardTravel travel = f.boardTravel(mark.x, mark.y);
    if (!travel.boards.isEmpty()) {
        f.add(CheckSeverity::Blocking,
              QString("%1 cannot be seen on %2: %3.")
                  .arg(name, CheckFindings::boardsText(travel.boards), travel.fault),
              teach, FixWindow::FiducialSettings);
    }
    if (const QString fault = f.travelFault(TravelAxis::Z, mark.z); !fault.isEmpty()) {
        f.add(CheckSeverity::Blocking, name + "'s camera height cannot be reached: " + fault + ".",
              teach, FixWindow::FiducialSettings);
    }
}

}  // namespace

void CheckPartList(CheckFindings& f) {
    const QList<PartRec>& parts = f.project.Parts;
    if (parts.isEmpty()) {
        f.add(CheckSeverity::Blocking, "The project has no parts: a run places nothing.",
              "Import a place file (File / Import Place File), or add parts in the part list.",
              FixWindow::MainWindow);
        return;
    }
    if (std::none_of(parts.begin(), parts.end(),
                     [](const PartRec& part) { return part.Enabled; })) {
        f.add(CheckSeverity::Blocking, "No part is enabled: a run places nothing.",
              "Enable the parts to place in the part details.", FixWindow::MainWindow);
    }
    for (int part = 1; part <= f.project.PartCount(); ++part) {
        checkPartFeeder(f, part);
    }
    checkDesignators(f);
}

void CheckFeeders(CheckFindings& f) {
    for (int feeder : f.runFeeders) {
        checkFeederSnap(f, feeder);
        checkFeederPosition(f, feeder);
        checkFeederHeight(f, feeder);
        checkFocalHeight(f, feeder);
    }
}

void CheckBoardHeight(CheckFindings& f) {
    const ProjectState& project = f.project;
    const QString setHeight =
        "Lower the nozzle onto the board and press \"Set Height\" in the main window.";
    if (project.BoardHeight == 0) {
        f.add(CheckSeverity::Blocking,
              "The board height is 0, untaught: parts would be let go at the top of the Z "
              "travel.",
              setHeight, FixWindow::MainWindow);
        return;
    }
    if (const QString fault = f.travelFault(TravelAxis::Z, project.BoardHeight); !fault.isEmpty()) {
        f.add(CheckSeverity::Blocking, "The board cannot be reached: " + fault + ".", setHeight,
              FixWindow::MainWindow);
        return;
    }
    for (int feeder : f.runFeeders) {
        const FeederRec& record = project.Feeders[feeder - 1];
        const double placeZ = project.BoardHeight - record.PartHeight + f.settings.placeZPush;
        if (const QString fault = f.travelFault(TravelAxis::Z, placeZ); !fault.isEmpty()) {
            f.addForFeeder(CheckSeverity::Blocking, feeder,
                           "its parts cannot be put down on the board (board height minus part "
                           "height plus \"Place Z Push\"): " +
                               fault + ".",
                           "Check its part height here, and the board height (\"Set Height\" in "
                           "the main window).");
        }
    }
}

void CheckPartTravel(CheckFindings& f) {
    for (int part = 1; part <= f.project.PartCount(); ++part) {
        const PartRec& record = f.project.Parts[part - 1];
        if (!record.Enabled) {
            continue;
        }
        const CheckFindings::BoardTravel travel =
            f.boardTravel(record.X + f.settings.nozzleOffsetX, record.Y + f.settings.nozzleOffsetY);
        if (travel.boards.isEmpty()) {
            continue;
        }
        // Off every board: its position is wrong; off some: the panel is.
        const bool everywhere = travel.boards.size() == f.boards.size();
        f.add(CheckSeverity::Blocking,
              QString("%1 cannot be placed on %2: %3.")
                  .arg(f.partName(part), CheckFindings::boardsText(travel.boards), travel.fault),
              "Correct the part's position in the part details, or the panel: its origin (\"Set "
              "Origin\") and its counts and spacing (Panel Settings).",
              everywhere ? FixWindow::MainWindow : FixWindow::PanelSettings)
            .part = part;
    }
}

void CheckFiducials(CheckFindings& f) {
    if (!f.project.FiducialEnable) {
        return;
    }
    checkFiducial(f, 1);
    if (f.project.DualFiducial) {
        checkFiducial(f, 2);
    }
}
