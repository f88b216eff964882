#include "handling/MachineCheck.h"

#include <QMap>
#include <QSet>
#include <algorithm>
#include <climits>

#include "context/ProgramContext.h"
#include "handling/NozzleChanger.h"
#include "motion/HomeMarks.h"
#include "motion/Travel.h"
#include "project/BoardOrigin.h"
#include "project/FeederList.h"
#include "project/Fiducials.h"
#include "settings/NumberText.h"
#include "vision/Capture.h"

namespace {

QString mm(double value) {
    return FormatFixed(value, 3) + " mm";
}

QString quoted(const QString& text) {
    return '"' + text + '"';
}

QString feederName(const ProjectState& project, int feeder) {
    return QString("Feeder %1 %2").arg(feeder).arg(quoted(project.Feeders[feeder - 1].Description));
}

QString partName(const ProjectState& project, int part) {
    return QString("Part %1 %2").arg(part).arg(quoted(project.Parts[part - 1].Designator));
}

bool snapReadable(const QString& path) {
    ImagePtr snap;
    return LoadSnap(path, snap);
}

// "1, 2 and 4".
QString listed(const QList<int>& numbers) {
    QStringList texts;
    for (int number : numbers) {
        texts << QString::number(number);
    }
    const QString last = texts.takeLast();
    return texts.isEmpty() ? last : texts.join(", ") + " and " + last;
}

// A board of the run and its origin (home-relative mm).
struct BoardPlace {
    int board = 0;
    double originX = 0;
    double originY = 0;
};

class Checker {
public:
    explicit Checker(const MachineCheckSubject& subject)
        : settings_(subject.settings),
          project_(subject.project),
          systemFolder_(subject.systemSettingsFolder),
          boards_(subject.boards) {}

    QList<CheckProblem> run() {
        findRunFeeders();
        checkHomeMarks();
        checkUpCamera();
        checkNozzleOffset();
        if (!project_.ProjectOpen) {
            add(CheckSeverity::Warning, "No project is open: only the machine was checked.",
                "Open the project to run (File / Open Project).", FixWindow::None);
            return problems_;
        }
        places_ = boundingBoards();
        checkPartList();
        checkFeeders();
        checkNozzles();
        checkBoardHeight();
        checkPartTravel();
        checkFiducials();
        return problems_;
    }

private:
    CheckProblem& add(CheckSeverity severity, const QString& what, const QString& fix,
                      FixWindow window) {
        problems_.append({severity, what, fix, window, 0, 0, QString()});
        return problems_.last();
    }

    // Empty when the home-relative position lies in the travel of `axis`, else which value
    // leaves it.
    QString travelFault(TravelAxis axis, double homeRelative) const {
        const double home = axis == TravelAxis::X   ? settings_.home1X
                            : axis == TravelAxis::Y ? settings_.home1Y
                                                    : settings_.homeZ;
        const double machine = homeRelative + home;
        if (WithinTravel(settings_, axis, machine)) {
            return {};
        }
        const auto [minimum, maximum] = TravelLimits(settings_, axis);
        const char* name = axis == TravelAxis::X ? "X" : axis == TravelAxis::Y ? "Y" : "Z";
        return QString("machine %1 %2 lies beyond its travel, %3 to %4")
            .arg(name, mm(machine), FormatFixed(minimum, 3), mm(maximum));
    }

    QString travelFault(double homeRelativeX, double homeRelativeY) const {
        const QString x = travelFault(TravelAxis::X, homeRelativeX);
        return x.isEmpty() ? travelFault(TravelAxis::Y, homeRelativeY) : x;
    }

    // The feeders the run picks from: those of the enabled parts that name an existing one.
    void findRunFeeders() {
        if (!project_.ProjectOpen) {
            return;
        }
        QSet<int> seen;
        for (const PartRec& part : project_.Parts) {
            if (part.Enabled && FeederAt(project_, part.Feeder) && !seen.contains(part.Feeder)) {
                seen.insert(part.Feeder);
                runFeeders_ << part.Feeder;
            }
        }
        std::sort(runFeeders_.begin(), runFeeders_.end());
    }

    bool usesUpCamera() const {
        return !project_.ProjectOpen ||
               std::any_of(runFeeders_.begin(), runFeeders_.end(),
                           [this](int feeder) { return project_.Feeders[feeder - 1].Use_Vision; });
    }

    void checkHomeMarks() {
        if (!settings_.visualHome) {
            return;
        }
        checkHomeMark(HomeMark::Home1, "Home 1", "Home Snap");
        if (settings_.dualYAxis) {
            checkHomeMark(HomeMark::Home2, "Home 2", "Home2 Snap");
        }
    }

    void checkHomeMark(HomeMark mark, const char* name, const char* button) {
        const QString path = HomeMarkSnapFile(systemFolder_, mark);
        if (snapReadable(path)) {
            return;
        }
        add(CheckSeverity::Blocking,
            QString("The %1 mark's snap %2 cannot be read, and \"Visual Home\" is on: homing "
                    "cannot find the mark.")
                .arg(name, quoted(path.section('/', -1))),
            QString("Centre the mark in the camera and press \"%1\" in Settings / Home, or switch "
                    "\"Visual Home\" off in Settings / CNC.")
                .arg(button),
            FixWindow::HomeSettings)
            .file = path;
    }

    void checkUpCamera() {
        if (!usesUpCamera()) {
            return;
        }
        const QString teach =
            "Teach it in Settings / Nozzle Offset: \"Go To Camera\", jog the nozzle tip over the "
            "camera and into focus, then \"Set Position\".";
        if (settings_.uplookingCameraZ == 0) {
            add(CheckSeverity::Blocking,
                "The up camera's height (\"Uplooking Camera Z\") is 0, untaught: every pick that "
                "uses vision fails.",
                teach, FixWindow::NozzleOffset);
        }
        if (settings_.uplookingCameraX == 0 && settings_.uplookingCameraY == 0) {
            add(CheckSeverity::Blocking,
                "The up camera's position (\"Uplooking Camera X\", \"Uplooking Camera Y\") is 0, "
                "0, untaught: parts are carried to the home mark to be measured.",
                teach, FixWindow::NozzleOffset);
        } else if (const QString fault =
                       travelFault(settings_.uplookingCameraX, settings_.uplookingCameraY);
                   !fault.isEmpty()) {
            add(CheckSeverity::Blocking,
                "The up camera's position cannot be reached: " + fault + ".", teach,
                FixWindow::NozzleOffset);
        }
    }

    void checkNozzleOffset() {
        if (settings_.nozzleOffsetX != 0 || settings_.nozzleOffsetY != 0) {
            return;
        }
        add(CheckSeverity::Warning,
            "The nozzle offset is 0, 0: parts are placed where the down camera looks, which is "
            "right only when the nozzle sits on the camera's axis.",
            "Measure it in Settings / Nozzle Offset: centre the mark in the camera and press \"Set "
            "Camera\", lower the nozzle onto it and press \"Set Nozzle\".",
            FixWindow::NozzleOffset);
    }

    void checkPartList() {
        const QString partList =
            "Import a place file (File / Import Place File), or add parts "
            "in the part list.";
        if (project_.PartCount() == 0) {
            add(CheckSeverity::Blocking, "The project has no parts: a run places nothing.",
                partList, FixWindow::MainWindow);
            return;
        }
        if (std::none_of(project_.Parts.begin(), project_.Parts.end(),
                         [](const PartRec& part) { return part.Enabled; })) {
            add(CheckSeverity::Blocking, "No part is enabled: a run places nothing.",
                "Enable the parts to place in the part details.", FixWindow::MainWindow);
        }
        for (int part = 1; part <= project_.PartCount(); ++part) {
            checkPartFeeder(part);
        }
        checkDesignators();
    }

    void checkPartFeeder(int part) {
        const PartRec& record = project_.Parts[part - 1];
        if (!record.Enabled || FeederAt(project_, record.Feeder)) {
            return;
        }
        const QString what =
            record.Feeder == 0
                ? partName(project_, part) + " has no feeder."
                : QString(
                      "%1 takes its parts from feeder %2, which does not exist (the project "
                      "has %3).")
                      .arg(partName(project_, part))
                      .arg(record.Feeder)
                      .arg(project_.FeederCount() == 1
                               ? QString("1 feeder")
                               : QString("%1 feeders").arg(project_.FeederCount()));
        add(CheckSeverity::Blocking, what,
            "Choose its feeder in the part details, or add the feeder in the Feeders window.",
            FixWindow::MainWindow)
            .part = part;
    }

    void checkDesignators() {
        QMap<QString, QList<int>> partsOf;
        for (int part = 1; part <= project_.PartCount(); ++part) {
            const QString designator = project_.Parts[part - 1].Designator.trimmed();
            if (!designator.isEmpty()) {
                partsOf[designator] << part;
            }
        }
        for (auto it = partsOf.cbegin(); it != partsOf.cend(); ++it) {
            if (it.value().size() < 2) {
                continue;
            }
            add(CheckSeverity::Warning,
                QString("Parts %1 are all %2: the part list and the run's report cannot tell them "
                        "apart.")
                    .arg(listed(it.value()), quoted(it.key())),
                "Give each part its own designator in the part details.", FixWindow::MainWindow)
                .part = it.value().last();
        }
    }

    CheckProblem& addForFeeder(CheckSeverity severity, int feeder, const QString& what,
                               const QString& fix) {
        CheckProblem& problem =
            add(severity, feederName(project_, feeder) + ": " + what, fix, FixWindow::Feeders);
        problem.feeder = feeder;
        return problem;
    }

    void checkFeeders() {
        for (int feeder : runFeeders_) {
            checkFeederSnap(feeder);
            checkFeederPosition(feeder);
            checkFocalHeight(feeder);
        }
    }

    void checkFeederSnap(int feeder) {
        const FeederRec& record = project_.Feeders[feeder - 1];
        const QString path = FeederSnapFile(systemFolder_, record);
        if (!record.SnapName.isEmpty() && snapReadable(path)) {
            return;
        }
        const QString what = record.SnapName.isEmpty()
                                 ? QString("it has no snap, so its parts cannot be picked.")
                                 : QString(
                                       "its snap %1 cannot be read, so its parts cannot be "
                                       "picked.")
                                       .arg(quoted(record.SnapName));
        addForFeeder(CheckSeverity::Blocking, feeder, what,
                     "Show its part in the up camera and press \"Take New Snap\" in the Feeders "
                     "window.")
            .file = record.SnapName.isEmpty() ? QString() : path;
    }

    void checkFeederPosition(int feeder) {
        const FeederRec& record = project_.Feeders[feeder - 1];
        const QString teach =
            "Centre its part in the down camera and press \"Set Position\" in the Feeders window.";
        if (record.X == 0 && record.Y == 0) {
            addForFeeder(CheckSeverity::Blocking, feeder,
                         "its pick position is 0, 0, untaught: the nozzle would go down on the "
                         "home mark.",
                         teach);
            return;
        }
        for (const QPointF& pick : FeederPickExtremes(record)) {
            const QString fault =
                travelFault(pick.x() + settings_.nozzleOffsetX, pick.y() + settings_.nozzleOffsetY);
            if (!fault.isEmpty()) {
                addForFeeder(CheckSeverity::Blocking, feeder,
                             "the nozzle cannot reach its parts: " + fault + ".", teach);
                break;
            }
        }
        const QString setHeight =
            "Lower the nozzle onto its part and press \"Set Nozzle Height\" in the Feeders window.";
        if (record.Z == 0) {
            addForFeeder(CheckSeverity::Warning, feeder,
                         "its pick height is 0: the nozzle does not go down to its parts.",
                         setHeight);
        } else if (const QString fault = travelFault(TravelAxis::Z, record.Z); !fault.isEmpty()) {
            addForFeeder(CheckSeverity::Blocking, feeder,
                         "its pick height cannot be reached: " + fault + ".", setHeight);
        }
    }

    // The part's underside in the up camera's focus, where its picks measure it.
    void checkFocalHeight(int feeder) {
        const FeederRec& record = project_.Feeders[feeder - 1];
        if (!record.Use_Vision || settings_.uplookingCameraZ == 0) {
            return;  // an untaught camera height is reported once, for the machine
        }
        const QString fault =
            travelFault(TravelAxis::Z, settings_.uplookingCameraZ - record.PartHeight);
        if (!fault.isEmpty()) {
            addForFeeder(CheckSeverity::Blocking, feeder,
                         "its parts cannot be lowered into the up camera's focus (camera height "
                         "minus part height): " +
                             fault + ".",
                         "Check its part height here, and the up camera's height in Settings / "
                         "Nozzle Offset.");
        }
    }

    void checkNozzles() {
        if (!settings_.nozzleChangerEnabled) {
            checkNozzlesWithoutChanger();
            return;
        }
        const QString changer = "Set it in Settings / Nozzle Changer.";
        if (settings_.nozzleChangerLocation < NozzleChangerRight ||
            settings_.nozzleChangerLocation > NozzleChangerRear) {
            add(CheckSeverity::Blocking,
                QString("The nozzle changer's side (\"Nozzle Changer Location\") is %1, neither "
                        "RIGHT, FRONT nor REAR: no nozzle can be exchanged.")
                    .arg(settings_.nozzleChangerLocation),
                changer, FixWindow::NozzleChanger);
        }
        if (settings_.currentNozzle != 0 && !IsNozzleNumber(settings_.currentNozzle)) {
            add(CheckSeverity::Blocking,
                QString("The mounted nozzle (\"Current Nozzle\") is %1, not 1 to 8: no nozzle can "
                        "be exchanged.")
                    .arg(settings_.currentNozzle),
                "Park or select a nozzle in Settings / Nozzle Changer.", FixWindow::NozzleChanger);
        }
        QSet<int> holders;
        for (int feeder : runFeeders_) {
            const int nozzle = project_.Feeders[feeder - 1].Nozzle;
            if (!IsNozzleNumber(nozzle)) {
                addForFeeder(
                    CheckSeverity::Blocking, feeder,
                    QString("it asks for nozzle %1, which the changer does not have.").arg(nozzle),
                    "Choose its nozzle (1 to 8) in the Feeders window.");
            } else if (nozzle != settings_.currentNozzle) {
                holders << nozzle;  // the exchange parks the mounted nozzle and takes this one
                if (IsNozzleNumber(settings_.currentNozzle)) {
                    holders << settings_.currentNozzle;
                }
            }
        }
        checkHolders(holders);
    }

    void checkHolders(const QSet<int>& holders) {
        QList<int> sorted(holders.begin(), holders.end());
        std::sort(sorted.begin(), sorted.end());
        for (int nozzle : sorted) {
            const double x = settings_.nozzleX[nozzle - 1];
            const double y = settings_.nozzleY[nozzle - 1];
            const QString fault = x == 0 && y == 0 ? QString("0, 0, untaught") : travelFault(x, y);
            if (!fault.isEmpty()) {
                add(CheckSeverity::Blocking,
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

    // Without a changer every part is picked with the nozzle on the head.
    void checkNozzlesWithoutChanger() {
        QSet<int> nozzles;  // "no nozzle chosen" (0) takes whatever is mounted
        for (int feeder : runFeeders_) {
            if (IsNozzleNumber(project_.Feeders[feeder - 1].Nozzle)) {
                nozzles << project_.Feeders[feeder - 1].Nozzle;
            }
        }
        if (nozzles.size() < 2) {
            return;
        }
        for (int feeder : runFeeders_) {
            if (!IsNozzleNumber(project_.Feeders[feeder - 1].Nozzle)) {
                continue;
            }
            addForFeeder(CheckSeverity::Warning, feeder,
                         QString("it asks for nozzle %1 and other feeders of the run for another "
                                 "one, but the machine has no nozzle changer: every part is "
                                 "picked with the nozzle on the head.")
                             .arg(project_.Feeders[feeder - 1].Nozzle),
                         "Give the feeders one nozzle in the Feeders window, or enable the nozzle "
                         "changer in Settings / Nozzle Changer.");
        }
    }

    void checkBoardHeight() {
        const QString setHeight =
            "Lower the nozzle onto the board and press \"Set Height\" in the main window.";
        if (project_.BoardHeight == 0) {
            add(CheckSeverity::Blocking,
                "The board height is 0, untaught: parts would be let go at the top of the Z "
                "travel.",
                setHeight, FixWindow::MainWindow);
            return;
        }
        if (const QString fault = travelFault(TravelAxis::Z, project_.BoardHeight);
            !fault.isEmpty()) {
            add(CheckSeverity::Blocking, "The board cannot be reached: " + fault + ".", setHeight,
                FixWindow::MainWindow);
            return;
        }
        for (int feeder : runFeeders_) {
            const FeederRec& record = project_.Feeders[feeder - 1];
            const double placeZ = project_.BoardHeight - record.PartHeight + settings_.placeZPush;
            if (const QString fault = travelFault(TravelAxis::Z, placeZ); !fault.isEmpty()) {
                addForFeeder(CheckSeverity::Blocking, feeder,
                             "its parts cannot be put down on the board (board height minus part "
                             "height plus \"Place Z Push\"): " +
                                 fault + ".",
                             "Check its part height here, and the board height (\"Set Height\" "
                             "in the main window).");
            }
        }
    }

    // The run's boards that bound all others: the current board, or the panel's corner boards
    // (board origins step by the spacing, so the corners bound every board).
    QList<BoardPlace> boundingBoards() const {
        ProjectState panel = project_;
        QList<int> numbers;
        if (boards_ == CheckedBoards::Current) {
            RecomputeBoardOrigin(panel);
            numbers << panel.CurrentPanelBoard;
        } else {
            const long long countX = std::max(panel.BoardCountX, 1);
            const long long last = BoardCount(panel);
            for (long long board : {1LL, countX, last - countX + 1, last}) {
                numbers << static_cast<int>(std::min<long long>(board, INT_MAX));
            }
            std::sort(numbers.begin(), numbers.end());
            numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        }
        QList<BoardPlace> places;
        for (int board : numbers) {
            panel.CurrentPanelBoard = board;
            RecomputeBoardOrigin(panel);
            places.append({board, panel.BoardOriginX, panel.BoardOriginY});
        }
        return places;
    }

    // The first travel fault of a board-relative point, and the bounding boards it happens on.
    struct BoardTravel {
        QString fault;
        QList<int> boards;
    };
    BoardTravel boardTravel(double x, double y) const {
        BoardTravel travel;
        for (const BoardPlace& place : places_) {
            const QString fault = travelFault(place.originX + x, place.originY + y);
            if (!fault.isEmpty()) {
                travel.fault = travel.fault.isEmpty() ? fault : travel.fault;
                travel.boards << place.board;
            }
        }
        return travel;
    }

    QString boardsText(const QList<int>& boards) const {
        return (boards.size() == 1 ? QString("board ") : QString("boards ")) + listed(boards);
    }

    void checkPartTravel() {
        for (int part = 1; part <= project_.PartCount(); ++part) {
            const PartRec& record = project_.Parts[part - 1];
            if (!record.Enabled) {
                continue;
            }
            const BoardTravel travel =
                boardTravel(record.X + settings_.nozzleOffsetX, record.Y + settings_.nozzleOffsetY);
            if (travel.boards.isEmpty()) {
                continue;
            }
            // Off every board: its position is wrong; off some: the panel is.
            const bool everywhere = travel.boards.size() == places_.size();
            add(CheckSeverity::Blocking,
                QString("%1 cannot be placed on %2: %3.")
                    .arg(partName(project_, part), boardsText(travel.boards), travel.fault),
                "Correct the part's position in the part details, or the panel: its origin "
                "(\"Set Origin\") and its counts and spacing (Panel Settings).",
                everywhere ? FixWindow::MainWindow : FixWindow::PanelSettings)
                .part = part;
        }
    }

    void checkFiducials() {
        if (!project_.FiducialEnable) {
            return;
        }
        checkFiducial(1);
        if (project_.DualFiducial) {
            checkFiducial(2);
        }
    }

    void checkFiducial(int fiducial) {
        ProjectState project = project_;
        const FiducialFields mark = FiducialFieldsOf(project, fiducial);
        const QString name = QString("Fiducial %1").arg(fiducial);
        const QString path = FiducialSnapPath(project, fiducial);
        if (mark.snapName.isEmpty() || !snapReadable(path)) {
            const QString what =
                mark.snapName.isEmpty()
                    ? name + " has no snap, and the fiducials are checked before a run."
                    : QString(
                          "%1's snap %2 cannot be read, and the fiducials are checked before "
                          "a run.")
                          .arg(name, quoted(mark.snapName));
            add(CheckSeverity::Blocking, what,
                "Centre the mark in the camera and press \"Take Snap\" in the Fiducial Settings "
                "window, or switch \"ENABLE FIDUCIAL\" off there.",
                FixWindow::FiducialSettings)
                .file = mark.snapName.isEmpty() ? QString() : path;
        }
        const QString teach =
            "Centre the mark in the camera and press \"Set\" in the Fiducial "
            "Settings window.";
        const BoardTravel travel = boardTravel(mark.x, mark.y);
        if (!travel.boards.isEmpty()) {
            add(CheckSeverity::Blocking,
                QString("%1 cannot be seen on %2: %3.")
                    .arg(name, boardsText(travel.boards), travel.fault),
                teach, FixWindow::FiducialSettings);
        }
        if (const QString fault = travelFault(TravelAxis::Z, mark.z); !fault.isEmpty()) {
            add(CheckSeverity::Blocking,
                name + "'s camera height cannot be reached: " + fault + ".", teach,
                FixWindow::FiducialSettings);
        }
    }

    const MachineSettings& settings_;
    const ProjectState& project_;
    const QString systemFolder_;
    const CheckedBoards boards_;
    QList<int> runFeeders_;
    QList<BoardPlace> places_;
    QList<CheckProblem> problems_;
};

}  // namespace

QList<CheckProblem> CheckMachine(const MachineCheckSubject& subject) {
    QList<CheckProblem> problems = Checker(subject).run();
    std::stable_sort(problems.begin(), problems.end(),
                     [](const CheckProblem& first, const CheckProblem& second) {
                         return first.severity == CheckSeverity::Blocking &&
                                second.severity == CheckSeverity::Warning;
                     });
    return problems;
}

QList<CheckProblem> CheckMachine(const ProgramContext& context, CheckedBoards boards) {
    return CheckMachine({context.settings, context.project, context.SystemSettingsFolder, boards});
}

bool AnyBlocking(const QList<CheckProblem>& problems) {
    return std::any_of(problems.begin(), problems.end(), [](const CheckProblem& problem) {
        return problem.severity == CheckSeverity::Blocking;
    });
}

QString SeverityName(CheckSeverity severity) {
    return severity == CheckSeverity::Blocking ? "blocking" : "warning";
}

QString FixWindowTitle(FixWindow window) {
    switch (window) {
        case FixWindow::HomeSettings:
            return "Home Settings";
        case FixWindow::NozzleOffset:
            return "Nozzle Offset";
        case FixWindow::NozzleChanger:
            return "Nozzle Changer";
        case FixWindow::Feeders:
            return "Feeders";
        case FixWindow::FiducialSettings:
            return "Fiducial Settings";
        case FixWindow::PanelSettings:
            return "Panel Settings";
        case FixWindow::MainWindow:
            return "Main Window";
        case FixWindow::None:
            break;
    }
    return {};
}
