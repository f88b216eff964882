#pragma once

#include "project/ProjectState.h"

// The panel these tests share: an open project whose board 1 lies at home-relative (100, 20),
// the boards 50 mm apart along X and 40 mm along Y.
inline void UseSamplePanel(ProjectState& project) {
    project.ProjectOpen = true;
    project.PanelOriginX = 100;
    project.PanelOriginY = 20;
    project.BoardSpacingX = 50;
    project.BoardSpacingY = 40;
}
