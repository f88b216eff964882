#include "handling/MachineCheckFindings.h"

#include <QSet>
#include <algorithm>
#include <climits>

#include "project/BoardOrigin.h"
#include "project/FeederList.h"
#include "settings/NumberText.h"
#include "vision/Capture.h"

namespace {

QList<int> runFeedersOf(const ProjectState& project) {
    QList<int> feeders;
    if (!project.ProjectOpen) {
        return feeders;
    }
    QSet<int> seen;
    for (const PartRec& part : project.Parts) {
        if (part.Enabled && FeederAt(project, part.Feeder) && !seen.contains(part.Feeder)) {
            seen.insert(part.Feeder);
            feeders << part.Feeder;
        }
    }
    std::sort(feeders.begin(), feeders.end());
    return feeders;
}

QList<CheckFindings::Board> boundingBoardsOf(const ProjectState& project, CheckedBoards checked) {
    QList<CheckFindings::Board> boards;
    if (!project.ProjectOpen) {
        return boards;
    }
    ProjectState panel = project;
    QList<int> numbers;
    if (checked == CheckedBoards::Current) {
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
    for (int board : numbers) {
        panel.CurrentPanelBoard = board;
        RecomputeBoardOrigin(panel);
        boards.append({board, panel.BoardOriginX, panel.BoardOriginY});
    }
    return boards;
}

}  // namespace

CheckFindings::CheckFindings(const MachineCheckSubject& subject)
    : settings(subject.settings),
      project(subject.project),
      systemFolder(subject.systemSettingsFolder),
      runFeeders(runFeedersOf(subject.project)),
      boards(boundingBoardsOf(subject.project, subject.boards)) {}

CheckProblem& CheckFindings::add(CheckSeverity severity, const QString& what, const QString& fix,
                                 FixWindow window) {
    problems.append({severity, what, fix, window, 0, 0, QString()});
    return problems.last();
}

CheckProblem& CheckFindings::addForFeeder(CheckSeverity severity, int feeder, const QString& what,
                                          const QString& fix) {
    CheckProblem& problem =
        add(severity, feederName(feeder) + ": " + what, fix, FixWindow::Feeders);
    problem.feeder = feeder;
    return problem;
}

QString CheckFindings::travelFault(TravelAxis axis, double homeRelative) const {
    const double home = axis == TravelAxis::X   ? settings.home1X
                        : axis == TravelAxis::Y ? settings.home1Y
                                                : settings.homeZ;
    const double machine = homeRelative + home;
    if (WithinTravel(settings, axis, machine)) {
        return {};
    }
    const auto [minimum, maximum] = TravelLimits(settings, axis);
    const char* name = axis == TravelAxis::X ? "X" : axis == TravelAxis::Y ? "Y" : "Z";
    return QString("machine %1 %2 lies beyond its travel, %3 to %4")
        .arg(name, millimetres(machine), FormatFixed(minimum, 3), millimetres(maximum));
}

QString CheckFindings::travelFault(double homeRelativeX, double homeRelativeY) const {
    const QString x = travelFault(TravelAxis::X, homeRelativeX);
    return x.isEmpty() ? travelFault(TravelAxis::Y, homeRelativeY) : x;
}

CheckFindings::BoardTravel CheckFindings::boardTravel(double x, double y) const {
    BoardTravel travel;
    for (const Board& board : boards) {
        const QString fault = travelFault(board.originX + x, board.originY + y);
        if (!fault.isEmpty()) {
            travel.fault = travel.fault.isEmpty() ? fault : travel.fault;
            travel.boards << board.number;
        }
    }
    return travel;
}

bool CheckFindings::usesUpCamera() const {
    return !project.ProjectOpen ||
           std::any_of(runFeeders.begin(), runFeeders.end(),
                       [this](int feeder) { return project.Feeders[feeder - 1].Use_Vision; });
}

QString CheckFindings::feederName(int feeder) const {
    return QString("Feeder %1 %2").arg(feeder).arg(quoted(project.Feeders[feeder - 1].Description));
}

QString CheckFindings::partName(int part) const {
    return QString("Part %1 %2").arg(part).arg(quoted(project.Parts[part - 1].Designator));
}

QString CheckFindings::quoted(const QString& text) {
    return '"' + text + '"';
}

QString CheckFindings::listed(const QList<int>& numbers) {
    QStringList texts;
    for (int number : numbers) {
        texts << QString::number(number);
    }
    const QString last = texts.takeLast();
    return texts.isEmpty() ? last : texts.join(", ") + " and " + last;
}

QString CheckFindings::boardsText(const QList<int>& boards) {
    return (boards.size() == 1 ? QString("board ") : QString("boards ")) + listed(boards);
}

QString CheckFindings::millimetres(double value) {
    return FormatFixed(value, 3) + " mm";
}

bool CheckFindings::snapReadable(const QString& path) {
    ImagePtr snap;
    return LoadSnap(path, snap);
}
