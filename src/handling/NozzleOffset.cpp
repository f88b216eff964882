#include "handling/NozzleOffset.h"

#include "context/Delay.h"
#include "context/MachineSequence.h"
#include "context/ProgramContext.h"
#include "context/WindowRefresh.h"
#include "handling/NozzleChanger.h"
#include "motion/HomeCalibration.h"
#include "motion/MoveOperations.h"

namespace {

const QString kNozzleOffsetQuestion = "ARE YOU SURE YOU WANT TO SET THE NOZZLE OFFSET?";

double homeRelativeX(const ProgramContext& context) {
    return context.cnc.CommandedX - context.cnc.HomeOffsetX;
}

double homeRelativeY(const ProgramContext& context) {
    return context.cnc.CommandedY - context.cnc.HomeOffsetY;
}

double homeRelativeZ(const ProgramContext& context) {
    return context.cnc.CommandedZ - context.settings.homeZ;
}

bool showCameraAndMove(ProgramContext& context, int camera, double x, double y, double z) {
    return RunSequence(context, [&context, camera, x, y, z] {
        context.SelectedCamera = camera;
        context.port.updateStatus();
        return MoveHomeRelativeWithNozzleProtection(context, x, y, z, 0,
                                                    context.settings.maxStepsPerSecond);
    });
}

// Mounts "Nozzle Number" (1 when it names no holder); a nozzle that cannot be mounted is told.
bool mountCalibrationNozzle(ProgramContext& context) {
    MachineSettings& s = context.settings;
    if (!IsNozzleNumber(s.nozzleNumber)) {
        s.nozzleNumber = 1;
    }
    return SelectNozzle(context, s.nozzleNumber) ||
           FailStep(context, QString("FAILED TO SELECT NOZZLE %1").arg(s.nozzleNumber));
}

}  // namespace

bool CalibrationNozzleMounted(const ProgramContext& context) {
    const MachineSettings& s = context.settings;
    return !s.nozzleChangerEnabled || s.currentNozzle == s.nozzleNumber;
}

bool SetCalibrationMarkHere(ProgramContext& context) {
    return RunSequence(context, [&context] {
        if (!context.port.confirms(kCameraPositionQuestion)) {
            return false;
        }
        context.settings.nozzleCalibrationX = homeRelativeX(context);
        context.settings.nozzleCalibrationY = homeRelativeY(context);
        return true;
    });
}

bool SetNozzleOffsetHere(ProgramContext& context) {
    return RunSequence(context, [&context] {
        if (!CalibrationNozzleMounted(context) || !context.port.confirms(kNozzleOffsetQuestion)) {
            return false;
        }
        MachineSettings& s = context.settings;
        s.nozzleOffsetX = homeRelativeX(context) - s.nozzleCalibrationX;
        s.nozzleOffsetY = homeRelativeY(context) - s.nozzleCalibrationY;
        s.nozzleCalibrationZ = homeRelativeZ(context);
        return true;
    });
}

bool GoToCalibrationMark(ProgramContext& context) {
    const MachineSettings& s = context.settings;
    return showCameraAndMove(context, 0, s.nozzleCalibrationX, s.nozzleCalibrationY, 0);
}

bool GoToNozzleOnMark(ProgramContext& context) {
    const MachineSettings& s = context.settings;
    return showCameraAndMove(context, 0, s.nozzleCalibrationX + s.nozzleOffsetX,
                             s.nozzleCalibrationY + s.nozzleOffsetY, s.nozzleCalibrationZ);
}

bool GoToUpCamera(ProgramContext& context) {
    const MachineSettings& s = context.settings;
    return showCameraAndMove(context, 1, s.uplookingCameraX, s.uplookingCameraY,
                             s.uplookingCameraZ);
}

bool SelectCalibrationNozzle(ProgramContext& context, int nozzle) {
    return RunSequence(context, [&context, nozzle] {
        context.settings.nozzleNumber = nozzle;
        return NozzleFree(context) && mountCalibrationNozzle(context);
    });
}

bool StartNozzleOffsetCalibration(ProgramContext& context) {
    return RunSequence(context, [&context] {
        return NozzleFree(context) && mountCalibrationNozzle(context) &&
               GoToCalibrationMark(context);
    });
}
