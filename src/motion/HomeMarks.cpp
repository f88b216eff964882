#include "motion/HomeMarks.h"

#include "context/Delay.h"
#include "context/ProgramContext.h"
#include "vision/Capture.h"

QString HomeMarkSnapFile(const QString& systemSettingsFolder, HomeMark mark) {
    return systemSettingsFolder + (mark == HomeMark::Home1 ? "Home.BMP" : "Home2.BMP");
}

QString HomeMarkSnapPath(const ProgramContext& context, HomeMark mark) {
    return HomeMarkSnapFile(context.SystemSettingsFolder, mark);
}

HomeMarkReference::HomeMarkReference(ProgramContext& context, HomeMark mark)
    : context_(context),
      loaded_(LoadSnap(HomeMarkSnapPath(context, mark), context.vision.ImageReference)) {}

HomeMarkReference::~HomeMarkReference() {
    context_.vision.ImageReference.reset();
}

MarkSearch LookForMark(ProgramContext& context, int captures) {
    const MachineSettings& settings = context.settings;
    Delay(context, settings.downlookingCameraSettlingDelay);
    context.port.processEvents();
    if (!CaptureDownlookingFrames(context, captures)) {
        return MarkSearch::CameraFailed;
    }
    VisualCorrelation(VisionOf(context), 0, settings.downlookingCameraEnlargementMM, false);
    return context.vision.VisionCorrelation > 0 ? MarkSearch::Found : MarkSearch::NotFound;
}
