// Capture: a camera frame into the TBitmap32 the searches read (target: under 2 ms).
#include <benchmark/benchmark.h>

#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"
#include "vision/CameraSet.h"
#include "vision/Capture.h"
#include "vision/FakeCameras.h"

namespace {

QImage sceneFrame(const TWCameraFormat& format) {
    QImage frame(format.Width, format.Height, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            row[x] = qRgb(x % 251, y % 241, (x ^ y) & 0xFF);
        }
    }
    return frame;
}

// The conversion alone.
void BM_FrameToImage(benchmark::State& state) {
    const QImage frame = sceneFrame(CameraFormat(800, 600));
    for (auto _ : state) {
        ImagePtr image = pictureToImage(frame);
        benchmark::DoNotOptimize(image->Bits.data());
    }
}
BENCHMARK(BM_FrameToImage)->Unit(benchmark::kMillisecond);

// CaptureDownlooking through the camera component, with a camera that has its frame ready.
void BM_CaptureDownlooking(benchmark::State& state) {
    auto provider = std::make_shared<FakeCameraProvider>();
    const QImage frame = sceneFrame(CameraFormat(800, 600));
    provider->add("Camera", {CameraFormat(800, 600)},
                  [frame](const TWCameraFormat&) { return frame; });
    CameraSet cameras({provider});
    cameras.WCameraDown.SetDeviceName("Camera");
    cameras.WCameraDown.SetFormat(CameraFormat(800, 600));
    cameras.WCameraDown.SetActive(true);
    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context(clock, port);
    context.cameras = &cameras;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CaptureDownlooking(context));
    }
}
BENCHMARK(BM_CaptureDownlooking)->Unit(benchmark::kMillisecond);

}  // namespace
