#pragma once

#include <QImage>
#include <QString>

#include "project/ProjectFile.h"
#include "settings/MachineSettingsStore.h"
#include "vision/Image.h"

// The demo as the repository holds it (demo/): its project, the machine it was taught on and
// its snaps.

inline const QString kDemo = QString(CORVANE_SOURCE_DIR) + "/demo";

// The demo project and the machine settings it was taught with.
inline bool LoadDemo(ProjectState& project, MachineSettings& settings) {
    if (!LoadProject(project, settings, kDemo + "/Demo Panel/", "Demo Panel")) {
        return false;
    }
    LoadMachineSettings(*OpenMachineSettingsStoreAt(kDemo + "/Machine Settings/Corvane 2.ini"),
                        settings);
    return true;
}

// A snap of the demo, by its path in demo/; null when it cannot be read.
inline ImagePtr LoadDemoSnap(const QString& path) {
    const QImage picture(kDemo + "/" + path);
    return picture.isNull() ? nullptr : pictureToImage(picture);
}
