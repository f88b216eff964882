#include "handling/FeederEdits.h"

#include <QDir>
#include <QFileInfo>

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "handling/Pick.h"
#include "motion/MoveOperations.h"
#include "motion/Travel.h"
#include "project/FeederFile.h"
#include "project/FeederList.h"
#include "project/SnapChoice.h"
#include "settings/NumberText.h"

namespace {

constexpr int kTrayCountLimit = 50;
constexpr double kTraySpacingLimit = 50;
constexpr double kPartHeightLimit = 25;

FeederRec* currentFeeder(ProgramContext& context) {
    return FeederAt(context.project, context.project.CurrentFeeder);
}

bool fieldAccepted(const ProgramContext& context, FeederField field, double value) {
    switch (field) {
        case FeederField::X:
            return WithinTravelFromHome(context, TravelAxis::X, value);
        case FeederField::Y:
            return WithinTravelFromHome(context, TravelAxis::Y, value);
        case FeederField::Z:
            return WithinTravelFromHome(context, TravelAxis::Z, value);
        case FeederField::PartHeight:
            return value > 0 && value <= kPartHeightLimit;
        default:
            return value >= -kTraySpacingLimit && value <= kTraySpacingLimit;
    }
}

double& fieldOf(FeederRec& feeder, FeederField field) {
    switch (field) {
        case FeederField::X:
            return feeder.X;
        case FeederField::Y:
            return feeder.Y;
        case FeederField::Z:
            return feeder.Z;
        case FeederField::PartHeight:
            return feeder.PartHeight;
        case FeederField::TraySpacingX:
            return feeder.TraySpacingX;
        default:
            return feeder.TraySpacingY;
    }
}

// The base name of a feeder file chosen in the system settings folder; empty, with a message,
// for one in another folder (the feeder file always lives in the system settings folder).
QString feederFileName(ProgramContext& context, const QString& chosen) {
    const QFileInfo file(chosen);
    if (QDir(file.absolutePath()) != QDir(context.SystemSettingsFolder)) {
        context.port.showError("FEEDER FILES MUST BE IN THE SYSTEM SETTINGS FOLDER " +
                               QDir::toNativeSeparators(context.SystemSettingsFolder) + "!");
        return {};
    }
    return file.completeBaseName();
}

FileDialogRequest feederDialog(const ProgramContext& context, const QString& title,
                               const QString& proposed) {
    return {title, context.SystemSettingsFolder + proposed, "FEEDER (*.Feeder)", "", "Feeder"};
}

// "Set Position" / "Set Nozzle Height": after the operator agrees, `store` takes the head's
// position into the current feeder.
template <typename Store>
bool setFeederHere(ProgramContext& context, const QString& question, Store store) {
    return RunSequence(context, [&] {
        if (!currentFeeder(context) || !context.port.confirms(question)) {
            return false;
        }
        store(*currentFeeder(context));  // looked up again: the question waited
        context.project.ProjectModified = true;
        return true;
    });
}

}  // namespace

bool EditFeederField(ProgramContext& context, FeederField field, QStringView text) {
    FeederRec* feeder = currentFeeder(context);
    const std::optional<double> value = ParseReal(text);
    if (!feeder || !value || !fieldAccepted(context, field, *value)) {
        return false;
    }
    fieldOf(*feeder, field) = *value;
    if (field == FeederField::Y && feeder->Kind == FeederReel) {
        UpdateFeederLocation(*feeder, context.settings, context.cnc.HomeOffsetY);
    }
    context.project.ProjectModified = true;
    return true;
}

bool EditTrayCount(ProgramContext& context, bool alongX, QStringView text) {
    FeederRec* feeder = currentFeeder(context);
    if (!feeder) {
        return false;
    }
    int& count = alongX ? feeder->TrayCountX : feeder->TrayCountY;
    const std::optional<int> value = ParseInteger(text);
    if (!value) {
        count = 1;
        return false;
    }
    if (*value < 1 || *value > kTrayCountLimit) {
        return false;
    }
    count = *value;
    context.project.ProjectModified = true;
    return true;
}

QStringList FeederListLines(const ProjectState& project) {
    QStringList lines;
    for (int n = 1; n <= project.FeederCount(); ++n) {
        QString line = "Feeder " + QString::number(n) + " - " + project.Feeders[n - 1].Description;
        if (!FeederInUse(project, n)) {
            line += " - * NOT USED *";
        }
        lines << line;
    }
    return lines;
}

QString TrayPickText(const ProjectState& project, int feeder) {
    const FeederRec& f = project.Feeders[feeder - 1];
    return QString("%1 of %2").arg(f.TrayPickCount).arg(f.TrayCountX * f.TrayCountY);
}

bool SetFeederPositionHere(ProgramContext& context) {
    const MotrixCNC& cnc = context.cnc;
    return setFeederHere(context, "ARE YOU SURE YOU WANT TO SET THE FEEDER POSITION?",
                         [&cnc](FeederRec& feeder) {
                             feeder.X = cnc.CommandedX - cnc.HomeOffsetX;
                             feeder.Y = cnc.CommandedY - cnc.HomeOffsetY;
                         });
}

bool SetFeederHeightHere(ProgramContext& context) {
    return setFeederHere(context, "ARE YOU SURE YOU WANT TO SET THE FEEDER Z POSITION?",
                         [&context](FeederRec& feeder) {
                             feeder.Z = context.cnc.CommandedZ - context.settings.homeZ;
                         });
}

bool GoToFeederCamera(ProgramContext& context) {
    return RunSequence(context, [&context] {
        const FeederRec* feeder = currentFeeder(context);
        if (!feeder) {
            return false;
        }
        context.SelectedCamera = 0;
        return MoveHomeRelativeWithNozzleProtection(context, feeder->X, feeder->Y, 0, 0,
                                                    context.settings.maxStepsPerSecond);
    });
}

bool GoToFeederNozzle(ProgramContext& context) {
    return RunSequence(context, [&context] {
        if (!currentFeeder(context)) {
            return false;
        }
        const FeederRec feeder = *currentFeeder(context);  // a copy: the moves wait
        const MachineSettings& s = context.settings;
        const double x = feeder.X + s.nozzleOffsetX;
        const double y = feeder.Y + s.nozzleOffsetY;
        context.SelectedCamera = 0;
        if (!MoveHomeRelativeWithNozzleProtection(context, x, y, 0, 0, s.maxStepsPerSecond)) {
            return false;
        }
        if (feeder.Kind == FeederReel) {
            context.cnc.SetFeederOutput(true);
            Delay(context, s.actuatorOnDelay);
        }
        return MoveHomeRelative(context, x, y, feeder.Z, 0, s.maxStepsPerSecond);
    });
}

bool ParkOverUpCamera(ProgramContext& context) {
    return RunSequence(context, [&context] {
        const MachineSettings& s = context.settings;
        context.SelectedCamera = 1;
        return MoveHomeRelativeWithNozzleProtection(context, s.parkX, s.parkY, -s.homeZ, 0,
                                                    s.maxStepsPerSecond);
    });
}

bool ChooseFeederSnap(ProgramContext& context) {
    FeederRec* feeder = currentFeeder(context);
    if (!feeder) {
        return false;
    }
    QString name;
    const SnapChoice choice =
        ChooseSnapFile(context, context.SystemSettingsFolder, feeder->SnapName, name);
    if (choice == SnapChoice::Cancelled) {
        return false;
    }
    context.project.ProjectModified = true;
    if (choice == SnapChoice::Kept) {
        return false;
    }
    feeder->SnapName = name;
    return true;
}

bool SaveFeederAsked(ProgramContext& context) {
    const FeederRec* feeder = currentFeeder(context);
    if (!feeder) {
        return false;
    }
    const QString chosen =
        context.port.chooseSaveFile(feederDialog(context, "Save a Feeder", feeder->Description));
    const QString name = chosen.isEmpty() ? QString() : feederFileName(context, chosen);
    if (name.isEmpty()) {
        return false;
    }
    if (!SaveFeederFile(context.SystemSettingsFolder, name, *feeder)) {
        context.port.showError("FAILED TO SAVE FEEDER FILE " + name + "!");
        return false;
    }
    return true;
}

bool LoadFeederAsked(ProgramContext& context) {
    const QString chosen = context.port.chooseOpenFile(feederDialog(context, "Load a Feeder", ""));
    const QString name = chosen.isEmpty() ? QString() : feederFileName(context, chosen);
    FeederRec feeder;
    if (name.isEmpty() || !LoadFeederFile(context.SystemSettingsFolder, name, feeder)) {
        return false;
    }
    AppendFeeder(context.project, feeder);
    return true;
}
