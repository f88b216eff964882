// The machine check of what the machine itself is taught: the home marks, the up camera, the
// nozzle offset and the nozzle changer.
#include <QSet>
#include <algorithm>

#include "handling/MachineCheckFindings.h"
#include "handling/NozzleChanger.h"
#include "motion/HomeMarks.h"

namespace {

void checkHomeMark(CheckFindings& f, HomeMark mark, const char* name, const char* button) {
    const QString path = HomeMarkSnapFile(f.systemFolder, mark);
    if (CheckFindings::snapReadable(path)) {
        return;
    }
    f.add(CheckSeverity::Blocking,
          QString("The %1 mark's snap %2 cannot be read, and \"Visual Home\" is on: homing "
                  "cannot find the mark.")
              .arg(name, CheckFindings::quoted(path.section('/', -1))),
          QString("Centre the mark in the camera and press \"%1\" in Settings / Home, or switch "
                  "\"Visual Home\" off in Settings / CNC.")
              .arg(button),
          FixWindow::HomeSettings)
        .file = path;
}

void checkHolders(CheckFindings& f, const QSet<int>& holders) {
    QList<int> sorted(holders.begin(), holders.end());
    std::sort(sorted.begin(), sorted.end());
    for (int nozzle : sorted) {
        const double x = f.settings.nozzleX[nozzle - 1];
        const double y = f.settings.nozzleY[nozzle - 1];
        const QString fault = x == 0 && y == 0 ? QString("0, 0, untaught") : f.travelFault(x, y);
        if (!fault.isEmpty()) {
            f.add(CheckSeverity::Blocking,
                  QString("The run exchanges nozzle %1, but its holder's position cannot be "
                          "used: %2.")
                      .arg(nozzle)
                      .arg(fault),
                  QString("Teach holder %1 in Settings / Nozzle Changer (\"Set Position\").")
                      .arg(nozzle),
                  FixWindow::NozzleChanger);
        }
    }
}

void checkChanger(CheckFindings& f) {
    const MachineSettings& settings = f.settings;
    if (settings.nozzleChangerLocation < NozzleChangerRight ||
        settings.nozzleChangerLocation > NozzleChangerRear) {
        f.add(CheckSeverity::Blocking,
              QString("The nozzle changer's side (\"Nozzle Changer Location\") is %1, neither "
                      "RIGHT, FRONT nor REAR: no nozzle can be exchanged.")
                  .arg(settings.nozzleChangerLocation),
              "Set it in Settings / Nozzle Changer.", FixWindow::NozzleChanger);
    }
    if (settings.currentNozzle != 0 && !IsNozzleNumber(settings.currentNozzle)) {
        f.add(CheckSeverity::Blocking,
              QString("The mounted nozzle (\"Current Nozzle\") is %1, not 1 to 8: no nozzle can "
                      "be exchanged.")
                  .arg(settings.currentNozzle),
              "Park or select a nozzle in Settings / Nozzle Changer.", FixWindow::NozzleChanger);
    }
    QSet<int> holders;
    for (int feeder : f.runFeeders) {
        const int nozzle = f.project.Feeders[feeder - 1].Nozzle;
        if (!IsNozzleNumber(nozzle)) {
            f.addForFeeder(
                CheckSeverity::Blocking, feeder,
                QString("it asks for nozzle %1, which the changer does not have.").arg(nozzle),
                "Choose its nozzle (1 to 8) in the Feeders window.");
        } else if (nozzle != settings.currentNozzle) {
            holders << nozzle;  // the exchange parks the mounted nozzle and takes this one
            if (IsNozzleNumber(settings.currentNozzle)) {
                holders << settings.currentNozzle;
            }
        }
    }
    checkHolders(f, holders);
}

// Without a changer every part is picked with the nozzle on the head.
void checkWithoutChanger(CheckFindings& f) {
    QList<int> asking;  // "no nozzle chosen" (0) takes whatever is mounted
    QSet<int> nozzles;
    for (int feeder : f.runFeeders) {
        if (IsNozzleNumber(f.project.Feeders[feeder - 1].Nozzle)) {
            asking << feeder;
            nozzles << f.project.Feeders[feeder - 1].Nozzle;
        }
    }
    if (nozzles.size() < 2) {
        return;
    }
    for (int feeder : asking) {
        f.addForFeeder(CheckSeverity::Warning, feeder,
                       QString("it asks for nozzle %1 and other feeders of the run for another "
                               "one, but the machine has no nozzle changer: every part is picked "
                               "with the nozzle on the head.")
                           .arg(f.project.Feeders[feeder - 1].Nozzle),
                       "Give the feeders one nozzle in the Feeders window, or enable the nozzle "
                       "changer in Settings / Nozzle Changer.");
    }
}

}  // namespace

void CheckHomeMarks(CheckFindings& f) {
    if (!f.settings.visualHome) {
        return;
    }
    checkHomeMark(f, HomeMark::Home1, "Home 1", "Home Snap");
    if (f.settings.dualYAxis) {
        checkHomeMark(f, HomeMark::Home2, "Home 2", "Home2 Snap");
    }
}

void CheckUpCamera(CheckFindings& f) {
    const MachineSettings& settings = f.settings;
    if (!f.usesUpCamera()) {
        return;
    }
    const QString teach =
        "Teach it in Settings / Nozzle Offset: \"Go To Camera\", jog the nozzle tip over the "
        "camera and into focus, then \"Set Position\".";
    if (settings.uplookingCameraZ == 0) {
        f.add(CheckSeverity::Blocking,
              "The up camera's height (\"Uplooking Camera Z\") is 0, untaught: every pick that "
              "uses vision fails.",
              teach, FixWindow::NozzleOffset);
    }
    if (settings.uplookingCameraX == 0 && settings.uplookingCameraY == 0) {
        f.add(CheckSeverity::Blocking,
              "The up camera's position (\"Uplooking Camera X\", \"Uplooking Camera Y\") is 0, "
              "0, untaught: parts are carried to the home mark to be measured.",
              teach, FixWindow::NozzleOffset);
    } else if (const QString fault =
                   f.travelFault(settings.uplookingCameraX, settings.uplookingCameraY);
               !fault.isEmpty()) {
        f.add(CheckSeverity::Blocking, "The up camera's position cannot be reached: " + fault + ".",
              teach, FixWindow::NozzleOffset);
    }
}

void CheckNozzleOffset(CheckFindings& f) {
    if (f.settings.nozzleOffsetX != 0 || f.settings.nozzleOffsetY != 0) {
        return;
    }
    f.add(CheckSeverity::Warning,
          "The nozzle offset is 0, 0: parts are placed where the down camera looks, which is "
          "right only when the nozzle sits on the camera's axis.",
          "Measure it in Settings / Nozzle Offset: centre the mark in the camera and press \"Set "
          "Camera\", lower the nozzle onto it and press \"Set Nozzle\".",
          FixWindow::NozzleOffset);
}

void CheckNozzles(CheckFindings& f) {
    if (f.settings.nozzleChangerEnabled) {
        checkChanger(f);
    } else {
        checkWithoutChanger(f);
    }
}
