#include "motion/HomeCalibration.h"

#include <cmath>

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "motion/MoveOperations.h"
#include "motion/Travel.h"

const char* const kCameraPositionQuestion = "ARE YOU SURE YOU WANT TO CHANGE THE CAMERA POSITION?";

namespace {

const QString kUpCameraHeightWarning =
    "\"WARNING!! THE CAMERA HEIGHT HAS CHANGED\rARE YOU SURE YOU WANT TO\rCHANGE THE CAMERA "
    "HEIGHT?";
const QString kUpCameraHeightLastWarning =
    "LAST WARNING!!!\r\rDO YOU REALLY WANT TO\rCHANGE THE CAMERA HEIGHT?";
const QString kHomeWarning =
    "\"WARNING!! WARNING!! WARNING!!\r\rCHANGING THIS WILL IMPACT ON\rA WIDE RANGE OF OTHER "
    "FIXTURE SETTINGS.\r\rARE YOU SURE YOU WANT TO\rCHANGE THE HOME POSITION?";
const QString kHomeLastWarning =
    "LAST WARNING!!!\r\rDO YOU REALLY WANT TO\rCHANGE THE HOME POSITION?";
const QString kHome2Alignment =
    "THE Y AXIS MUST BE\rCAREFULLY ALIGNED\rBEFORE SETTING THIS VALUE.\rARE YOU SURE?";
const QString kHome2Change = "ARE YOU SURE YOU WANT TO CHANGE THE HOME 2 POSITION?";

bool yesToBoth(OperatorPort& port, const QString& first, const QString& second) {
    return port.confirms(first) && port.confirms(second);
}

struct MarkPosition {
    double x, y, z;  // home-relative
};

MarkPosition markPosition(const MachineSettings& s, HomeMark mark) {
    return mark == HomeMark::Home1 ? MarkPosition{0, 0, s.home1Z}
                                   : MarkPosition{s.home2X, s.home2Y, s.home2Z};
}

bool lookAt(ProgramContext& context, HomeMark mark) {
    context.SelectedCamera = 0;
    context.port.updateButtons();
    const MarkPosition at = markPosition(context.settings, mark);
    return MoveHomeRelativeWithNozzleProtection(context, at.x, at.y, at.z, 0,
                                                context.settings.maxStepsPerSecond);
}

void setUpCameraHere(ProgramContext& context) {
    context.SelectedCamera = 1;
    context.port.updateStatus();
    MachineSettings& s = context.settings;
    const MotrixCNC& cnc = context.cnc;
    if (context.port.confirms(kCameraPositionQuestion)) {
        s.uplookingCameraX = cnc.CommandedX - cnc.HomeOffsetX;
        s.uplookingCameraY = cnc.CommandedY - cnc.HomeOffsetY;
    }
    const double height = cnc.CommandedZ - s.homeZ;
    if (std::abs(s.uplookingCameraZ - height) > 1e-9 &&
        yesToBoth(context.port, kUpCameraHeightWarning, kUpCameraHeightLastWarning)) {
        s.uplookingCameraZ = height;
    }
}

void testHomeMark(ProgramContext& context, HomeMark mark) {
    const HomeMarkReference reference(context, mark);
    if (!lookAt(context, mark)) {
        Fail(context, "FAILED TO MOVE TO HOME");
    } else if (const MarkSearch search = LookForMark(context, 3);
               search == MarkSearch::CameraFailed) {
        Fail(context, "CAMERA FAILED");
    } else if (search == MarkSearch::NotFound) {
        context.port.showInformation(mark == HomeMark::Home1 ? "HOME TEST FAILED!"
                                                             : "HOME 2 TEST FAILED!");
    } else {
        const MarkPosition at = markPosition(context.settings, mark);
        const VisionState& found = context.vision;
        if (MoveHomeRelative(context, at.x + found.VisionCentreX, at.y + found.VisionCentreY, at.z,
                             0, context.settings.maxStepsPerSecond)) {
            context.port.beep();
        } else {
            Fail(context, "FAILED TO MOVE TO CENTRE");
        }
    }
}

}  // namespace

bool SetHome1Here(ProgramContext& context) {
    return RunSequence(context, [&context] {
        if (!yesToBoth(context.port, kHomeWarning, kHomeLastWarning)) {
            return false;
        }
        MachineSettings& s = context.settings;
        const MotrixCNC& cnc = context.cnc;
        s.home1X = cnc.CommandedX;
        s.home1Y = cnc.CommandedY;
        s.home1Z = cnc.CommandedZ - s.homeZ;
        return true;
    });
}

bool SetHome2Here(ProgramContext& context) {
    return RunSequence(context, [&context] {
        if (!yesToBoth(context.port, kHome2Alignment, kHome2Change)) {
            return false;
        }
        MachineSettings& s = context.settings;
        const MotrixCNC& cnc = context.cnc;
        s.home2X = cnc.CommandedX - cnc.HomeOffsetX;
        s.home2Y = cnc.CommandedY - cnc.HomeOffsetY;
        s.home2Z = cnc.CommandedZ - s.homeZ;
        return true;
    });
}

void SetParkHere(ProgramContext& context) {
    RunSequence(context, [&context] {
        const MotrixCNC& cnc = context.cnc;
        context.settings.parkX = cnc.CommandedX - cnc.HomeOffsetX;
        context.settings.parkY = cnc.CommandedY - cnc.HomeOffsetY;
    });
}

void SetUpCameraHere(ProgramContext& context) {
    RunSequence(context, [&context] { setUpCameraHere(context); });
}

bool GoToHomeMark(ProgramContext& context, HomeMark mark) {
    return RunSequence(context, [&context, mark] { return lookAt(context, mark); });
}

bool GoToPark(ProgramContext& context) {
    return RunSequence(context, [&context] {
        const MachineSettings& s = context.settings;
        return MoveHomeRelativeWithNozzleProtection(context, s.parkX, s.parkY, -s.homeZ, 0,
                                                    s.maxStepsPerSecond);
    });
}

void TestHomeMark(ProgramContext& context, HomeMark mark) {
    RunSequence(context, [&context, mark] {
        if (NozzleFree(context)) {
            testHomeMark(context, mark);
        }
        context.port.updateButtons();
    });
}

bool HomeSettingInRange(const ProgramContext& context, HomeSettingEdit edit, double value) {
    const MachineSettings& s = context.settings;
    switch (edit) {
        case HomeSettingEdit::Home1X:
        case HomeSettingEdit::Home2X:
            return WithinTravel(s, TravelAxis::X, value);
        case HomeSettingEdit::Home1Y:
        case HomeSettingEdit::Home2Y:
            return WithinTravel(s, TravelAxis::Y, value);
        case HomeSettingEdit::HomeZ:
            return WithinTravelFromHome(context, TravelAxis::Z, value);
        case HomeSettingEdit::ParkX:
            return WithinTravelFromHome(context, TravelAxis::X, value);
        case HomeSettingEdit::ParkY:
            return WithinTravelFromHome(context, TravelAxis::Y, value);
    }
    return false;
}
