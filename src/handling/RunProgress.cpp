#include "handling/RunProgress.h"

#include <cmath>

#include "project/BoardOrigin.h"
#include "project/ProjectState.h"

namespace {

QString minutesAndSeconds(double seconds) {
    const long long whole = std::llround(seconds);
    return QString("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
}

}  // namespace

long long RunProgress::position(const ProjectState& project) const {
    return (project.CurrentPanelBoard - 1LL) * project.PartCount() + project.CurrentPart;
}

void RunProgress::start(const ProjectState& project, double now) {
    startPosition_ = position(project);
    startTime_ = now;
}

long long RunProgress::partsLeft(const ProjectState& project, bool panel) {
    const long long parts = project.PartCount();
    const long long boardsAfter = panel ? BoardCount(project) - project.CurrentPanelBoard : 0;
    return parts - project.CurrentPart + 1 + boardsAfter * parts;
}

QString RunProgress::text(const ProjectState& project, double now) const {
    QString line = QString("Part %1 of %2  Board %3 of %4")
                       .arg(project.CurrentPart)
                       .arg(project.PartCount())
                       .arg(project.CurrentPanelBoard)
                       .arg(BoardCount(project));
    const long long done = position(project) - startPosition_;
    if (done > 0) {
        const double perPart = (now - startTime_) / static_cast<double>(done);
        line += "  Time left " + minutesAndSeconds(perPart * partsLeft(project, panel));
    }
    return line;
}
