#include "project/BoardOrigin.h"

#include <algorithm>

#include "settings/NumberText.h"
#include "windowkit/DisplayLength.h"

namespace {

constexpr int kMaxBoardCount = 50;
constexpr double kMaxBoardSpacing = 500;

int& countOf(ProjectState& project, PanelAxis axis) {
    return axis == PanelAxis::X ? project.BoardCountX : project.BoardCountY;
}

double& spacingOf(ProjectState& project, PanelAxis axis) {
    return axis == PanelAxis::X ? project.BoardSpacingX : project.BoardSpacingY;
}

void restartPartList(ProjectState& project) {
    project.CurrentPart = project.PartCount() > 0 ? 1 : 0;
}

}  // namespace

long long BoardCount(const ProjectState& project) {
    // 64 bits: counts read from a file are not bounded by the 1..50 of typed ones.
    return static_cast<long long>(std::max(project.BoardCountX, 1)) *
           std::max(project.BoardCountY, 1);
}

void RecomputeBoardOrigin(ProjectState& project) {
    // The counts are made valid before the board is checked against them, so that two
    // negative counts (a positive product) cannot leave the board outside a 1 x 1 panel.
    project.BoardCountX = std::max(project.BoardCountX, 1);
    project.BoardCountY = std::max(project.BoardCountY, 1);
    if (project.CurrentPanelBoard < 1 || project.CurrentPanelBoard > BoardCount(project)) {
        project.CurrentPanelBoard = 1;
    }
    const int k = project.CurrentPanelBoard - 1;
    project.BoardOriginX = project.PanelOriginX + (k % project.BoardCountX) * project.BoardSpacingX;
    project.BoardOriginY = project.PanelOriginY + (k / project.BoardCountX) * project.BoardSpacingY;
}

void AdvancePanelBoard(ProjectState& project) {
    ++project.CurrentPanelBoard;
    if (project.CurrentPanelBoard > BoardCount(project)) {
        project.CurrentPanelBoard = 1;
    }
    restartPartList(project);
}

void RewindPanel(ProjectState& project) {
    project.CurrentPanelBoard = 1;
    restartPartList(project);
}

QString PanelBoardText(const ProjectState& project) {
    return QString("%1 of %2").arg(project.CurrentPanelBoard).arg(BoardCount(project));
}

bool EditBoardCount(ProjectState& project, PanelAxis axis, QStringView text) {
    const std::optional<int> typed = ParseInteger(text);
    if (!typed) {
        countOf(project, axis) = 1;
        return false;
    }
    if (*typed < 1 || *typed > kMaxBoardCount) {
        return false;
    }
    countOf(project, axis) = *typed;
    project.ProjectModified = true;
    return true;
}

bool EditBoardSpacing(ProjectState& project, PanelAxis axis, QStringView text) {
    const std::optional<double> mm = ParseLength(text, project.Metric);
    if (!mm || *mm < 0 || *mm > kMaxBoardSpacing) {
        return false;
    }
    spacingOf(project, axis) = *mm;
    project.ProjectModified = true;
    return true;
}
