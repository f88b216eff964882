#include "project/FeederList.h"

#include <algorithm>

#include "settings/MachineSettings.h"

namespace {

// A tray count below 1 would divide by zero; such a tray has one row or column.
int atLeastOne(int count) {
    return std::max(count, 1);
}

qint64 pocketCount(const FeederRec& tray) {
    return qint64{atLeastOne(tray.TrayCountX)} * atLeastOne(tray.TrayCountY);
}

QPointF trayPocketOffset(const FeederRec& tray) {
    const int pocket = tray.TrayPickCount - 1;
    const int countX = atLeastOne(tray.TrayCountX);
    const int countY = atLeastOne(tray.TrayCountY);
    if (countX == 1) {
        return {0, pocket * tray.TraySpacingY};
    }
    if (countY == 1) {
        return {pocket * tray.TraySpacingX, 0};
    }
    return {(pocket / countY) * tray.TraySpacingX, (pocket % countY) * tray.TraySpacingY};
}

}  // namespace

FeederRec* FeederAt(ProjectState& project, int feeder) {
    return feeder >= 1 && feeder <= project.FeederCount() ? &project.Feeders[feeder - 1] : nullptr;
}

const FeederRec* FeederAt(const ProjectState& project, int feeder) {
    return feeder >= 1 && feeder <= project.FeederCount() ? &project.Feeders[feeder - 1] : nullptr;
}

QString FeederSnapFile(const QString& systemSettingsFolder, const FeederRec& feeder) {
    return systemSettingsFolder + feeder.SnapName + ".bmp";
}

FeederRec NewFeeder() {
    FeederRec feeder;
    feeder.Nozzle = 0;
    return feeder;
}

void AddFeeder(ProjectState& project) {
    AppendFeeder(project, NewFeeder());
}

void AppendFeeder(ProjectState& project, const FeederRec& feeder) {
    project.Feeders.append(feeder);
    project.CurrentFeeder = project.FeederCount();
}

bool FeederInUse(const ProjectState& project, int feeder) {
    if (project.Feeders.isEmpty()) {
        return false;
    }
    return std::ranges::any_of(project.Parts,
                               [feeder](const PartRec& part) { return part.Feeder == feeder; });
}

bool DeleteFeeder(ProjectState& project, int feeder) {
    if (!FeederAt(project, feeder) || FeederInUse(project, feeder)) {
        return false;
    }
    for (PartRec& part : project.Parts) {
        if (part.Feeder >= feeder) {
            --part.Feeder;
        }
    }
    project.Feeders.removeAt(feeder - 1);
    // A pending refill announcement follows its tray, or is dropped with it.
    int& pending = project.TrayRefillPendingFeeder;
    if (pending == feeder) {
        pending = 0;
    } else if (pending > feeder) {
        --pending;
    }
    project.CurrentFeeder = std::min(project.CurrentFeeder, project.FeederCount());
    project.ProjectModified = true;
    return true;
}

void ApplyKindLocation(FeederRec& feeder) {
    if (feeder.Kind == FeederTray) {
        feeder.Location = LocationFront;
    } else if (feeder.Kind == FeederVibration) {
        feeder.Location = LocationRight;
    }
}

void UpdateFeederLocation(FeederRec& feeder, const MachineSettings& settings, double homeOffsetY) {
    ApplyKindLocation(feeder);
    if (feeder.Kind != FeederReel) {
        return;
    }
    const double middleY =
        settings.minimumYPosition + (settings.maximumYPosition - settings.minimumYPosition) / 2;
    feeder.Location = feeder.Y + homeOffsetY > middleY ? LocationRear : LocationFront;
}

int PlaceSpeedOf(const MachineSettings& settings, const FeederRec& feeder) {
    switch (feeder.PlaceSpeedType) {
        case PlaceSpeedMedium:
            return settings.mediumPlaceSpeed;
        case PlaceSpeedSlow:
            return settings.slowPlaceSpeed;
        default:
            return settings.fastPlaceSpeed;
    }
}

QPointF FeederPickPoint(FeederRec& feeder) {
    const QPointF origin(feeder.X, feeder.Y);
    if (feeder.Kind != FeederTray) {
        return origin;
    }
    // A count edited below the pick count would send the head beyond the last pocket.
    if (feeder.TrayPickCount < 1 || feeder.TrayPickCount > pocketCount(feeder)) {
        feeder.TrayPickCount = 1;
    }
    return origin + trayPocketOffset(feeder);
}

QList<QPointF> FeederPickExtremes(const FeederRec& feeder) {
    const QPointF origin(feeder.X, feeder.Y);
    if (feeder.Kind != FeederTray) {
        return {origin};
    }
    // Pockets step by the spacing along each axis, so the corners bound them all.
    const double lastX = (atLeastOne(feeder.TrayCountX) - 1) * feeder.TraySpacingX;
    const double lastY = (atLeastOne(feeder.TrayCountY) - 1) * feeder.TraySpacingY;
    return {origin, origin + QPointF(lastX, 0), origin + QPointF(0, lastY),
            origin + QPointF(lastX, lastY)};
}

void AdvanceTray(FeederRec& feeder) {
    feeder.TrayPickCount =
        feeder.TrayPickCount >= pocketCount(feeder) ? 1 : feeder.TrayPickCount + 1;
}

void ResetAllTrays(ProjectState& project) {
    for (FeederRec& feeder : project.Feeders) {
        feeder.TrayPickCount = 1;
    }
    project.ProjectModified = true;
}
