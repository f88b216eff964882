#pragma once

#include <QList>
#include <QString>

#include "handling/MachineCheck.h"
#include "motion/Travel.h"
#include "project/ProjectState.h"
#include "settings/MachineSettings.h"

// What the parts of the machine check share: the settings and the project checked, the run's
// feeders and boards, the wording of a problem and the problems found so far.
class CheckFindings {
public:
    explicit CheckFindings(const MachineCheckSubject& subject);

    CheckProblem& add(CheckSeverity severity, const QString& what, const QString& fix,
                      FixWindow window);
    // A problem of feeder `feeder`, mended in the feeders window: "Feeder 3 "name": " + what.
    CheckProblem& addForFeeder(CheckSeverity severity, int feeder, const QString& what,
                               const QString& fix);

    // Empty when the home-relative position lies in the travel of `axis`, else which machine
    // position leaves it. Home-relative means from the taught home ("Home 1 X"/"Home 1 Y",
    // "Home Z"), which the camera corrects by a fraction of a millimetre only.
    QString travelFault(TravelAxis axis, double homeRelative) const;
    QString travelFault(double homeRelativeX, double homeRelativeY) const;

    // The first travel fault of a board-relative point, and the bounding boards it happens on.
    struct BoardTravel {
        QString fault;
        QList<int> boards;
    };
    BoardTravel boardTravel(double x, double y) const;

    // True when some feeder of the run measures its parts over the up camera (without a
    // project, the camera counts as used).
    bool usesUpCamera() const;

    QString feederName(int feeder) const;  // Feeder 3 "0603R reel"
    QString partName(int part) const;      // Part 6 "R1"
    static QString quoted(const QString& text);
    static QString listed(const QList<int>& numbers);     // "1, 2 and 4"
    static QString boardsText(const QList<int>& boards);  // "board 2", "boards 2 and 4"
    static QString millimetres(double value);             // "12.500 mm"
    static bool snapReadable(const QString& path);

    // A board of the run and its origin (home-relative mm).
    struct Board {
        int number = 0;
        double originX = 0;
        double originY = 0;
    };

    const MachineSettings& settings;
    const ProjectState& project;
    const QString systemFolder;
    // The feeders the run picks from: those of its enabled parts, when they exist; in order.
    const QList<int> runFeeders;
    // The run's boards that bound all others: the current board, or the panel's corner boards
    // (board origins step by the spacing, so the corners bound every board).
    const QList<Board> boards;
    QList<CheckProblem> problems;
};

// The parts of the check, each adding what it finds.
void CheckHomeMarks(CheckFindings& findings);
void CheckUpCamera(CheckFindings& findings);
void CheckNozzleOffset(CheckFindings& findings);
void CheckNozzles(CheckFindings& findings);
void CheckPartList(CheckFindings& findings);
void CheckFeeders(CheckFindings& findings);
void CheckBoardHeight(CheckFindings& findings);
void CheckPartTravel(CheckFindings& findings);
void CheckFiducials(CheckFindings& findings);
