// The camera component and capture: device names, formats, errors, the simulator's cameras,
// and captures that fail without ever handing out a stale frame.
#include <gtest/gtest.h>

#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"
#include "vision/CameraSet.h"
#include "vision/Capture.h"
#include "vision/FakeCameras.h"
#include "vision/SimCameraProvider.h"

namespace {

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EWCameraError& error) {
        return error.text();
    }
    return {};
}

TEST(CameraFormatText, SaysTheSizeTheRateOrItsRangeAndThePixelFormat) {
    using F = QVideoFrameFormat;
    EXPECT_EQ(CameraFormatText(CameraFormat(640, 480, 30)), "640x480 30Hz YUYV");
    EXPECT_EQ(CameraFormatText(CameraFormat(800, 600, 0, F::Format_BGRX8888)), "800x600 RGB32");
    TWCameraFormat format = CameraFormat(1920, 1080, 30, F::Format_Jpeg);
    format.MinFrameRate = 7.5;
    EXPECT_EQ(CameraFormatText(format), "1920x1080 7.5-30Hz MJPEG");
    format.MinFrameRate = format.MaxFrameRate = 29.97;
    format.PixelFormat = F::Format_NV12;
    EXPECT_EQ(CameraFormatText(format), "1920x1080 29.97Hz NV12");
}

// Two formats that read alike in the older texts (same size, rate and depth) are told apart
// now, and a stored text finds exactly its own format; an older text still finds one.
TEST(CameraFormatText, AStoredTextRestoresTheExactFormat) {
    using F = QVideoFrameFormat;
    TWCameraFormat slow = CameraFormat(1280, 720, 30, F::Format_BGRX8888);
    slow.MinFrameRate = 5;
    const TWCameraFormat fixed = CameraFormat(1280, 720, 30, F::Format_BGRX8888);
    const TWCameraFormat bgra = CameraFormat(1280, 720, 30, F::Format_BGRA8888);
    const QList<TWCameraFormat> formats{slow, fixed, bgra};
    EXPECT_EQ(LegacyCameraFormatText(slow), "1280x720 30Hz 32bpp");
    EXPECT_EQ(LegacyCameraFormatText(bgra), LegacyCameraFormatText(fixed));
    for (int index = 0; index < formats.size(); ++index) {
        EXPECT_EQ(FindCameraFormat(formats, CameraFormatText(formats[index])), index);
    }
    EXPECT_EQ(FindCameraFormat(formats, "1280x720 30Hz 32bpp"), 0);
    EXPECT_EQ(LegacyCameraFormatText(CameraFormat(800, 600, 0)), "800x600 16bpp");
    EXPECT_EQ(FindCameraFormat(formats, "1280x720 60Hz YUYV"), -1);
}

TEST(TWCamera, IdenticalDevicesGetDistinctNamesThatOpenEachOne) {
    auto provider = std::make_shared<FakeCameraProvider>();
    auto first = provider->add("USB Camera", {CameraFormat(640, 480)});
    auto other = provider->add("Bench Camera", {CameraFormat(640, 480)});
    auto second = provider->add("USB Camera", {CameraFormat(640, 480)});
    TWCamera camera({provider});
    QStringList names;
    for (const TWVideoCaptureDevice& device : camera.GetDevices()) {
        names << device.Name;
    }
    EXPECT_EQ(names, QStringList({"USB Camera", "Bench Camera", "USB Camera #2"}));

    camera.SetDeviceName("USB Camera #2");
    camera.SetFormat(CameraFormat(640, 480));
    camera.SetActive(true);
    EXPECT_TRUE(second->running);
    EXPECT_FALSE(first->running);
}

TEST(TWCamera, RaisesItsOwnErrorsAndStaysInactive) {
    auto provider = std::make_shared<FakeCameraProvider>();
    provider->add("USB Camera", {CameraFormat(640, 480)});
    TWCamera camera({provider});

    EXPECT_EQ(errorOf([&] { camera.SetActive(true); }), "Camera device not selected");
    EXPECT_EQ(errorOf([&] { camera.GetSupportedFormats(); }), "Camera device not selected");
    camera.SetDeviceName("Gone Camera");
    EXPECT_EQ(errorOf([&] { camera.GetSupportedFormats(); }), "Camera device not found");
    camera.SetDeviceName("USB Camera");
    EXPECT_EQ(errorOf([&] { camera.SetFormat(CameraFormat(1920, 1080)); }), "Format not found");
    EXPECT_EQ(errorOf([&] { camera.SetActive(true); }), "Format not found");
    EXPECT_FALSE(camera.GetActive());

    camera.SetFormat(CameraFormat(640, 480));
    camera.SetActive(true);
    EXPECT_TRUE(camera.GetActive());
    camera.SetDeviceName("Gone Camera");  // another device stops the running one
    EXPECT_FALSE(camera.GetActive());
}

// A rendered scene whose brightness follows a "head position", so a capture shows whether it
// was rendered when asked for.
int simGrey = 10;
int simFrameResult = 1;

int simSize(int camera, int* width, int* height) {
    *width = camera == 0 ? 800 : 640;
    *height = camera == 0 ? 600 : 480;
    return 1;
}

int simFrame(int camera, std::uint32_t* pixels, int width, int height) {
    for (int index = 0; index < width * height; ++index) {
        pixels[index] = 0xFF000000u | static_cast<std::uint32_t>((simGrey + camera) * 0x010101);
    }
    return simFrameResult;
}

TEST(SimCameraProvider, OffersTwoCamerasOnlyWhenTheLibraryRendersThem) {
    EXPECT_TRUE(SimCameraProvider(SimCameraCalls{}).devices().isEmpty());
    EXPECT_FALSE(SimCameraCalls::Of(nullptr).available());

    TWCamera camera({std::make_shared<SimCameraProvider>(SimCameraCalls{simSize, simFrame})});
    const QList<TWVideoCaptureDevice> devices = camera.GetDevices();
    ASSERT_EQ(devices.size(), 2);
    EXPECT_EQ(devices[0].Name, "Simulated Down Camera");
    EXPECT_EQ(devices[1].Name, "Simulated Up Camera");
    camera.SetDeviceName("Simulated Up Camera");
    const QList<TWCameraFormat> formats = camera.GetSupportedFormats();
    ASSERT_EQ(formats.size(), 1);
    EXPECT_EQ(CameraFormatText(formats[0]), "640x480 30Hz RGB32");
}

TEST(SimCameraProvider, EveryCaptureShowsTheMachineAsItIsNow) {
    TWCamera camera({std::make_shared<SimCameraProvider>(SimCameraCalls{simSize, simFrame})});
    camera.SetDeviceName("Simulated Down Camera");
    camera.SetFormat(camera.GetSupportedFormats().front());
    camera.SetActive(true);
    QImage frame;
    simGrey = 10;
    simFrameResult = 1;
    ASSERT_TRUE(camera.CurrentImage(frame));
    EXPECT_EQ(frame.size(), QSize(800, 600));
    EXPECT_EQ(qRed(frame.pixel(400, 300)), 10);
    simGrey = 90;  // the head moved
    ASSERT_TRUE(camera.CurrentImage(frame));
    EXPECT_EQ(qRed(frame.pixel(400, 300)), 90);
    simFrameResult = 0;  // the renderer fails: no frame, the last one stays with the caller
    EXPECT_FALSE(camera.CurrentImage(frame));
    EXPECT_EQ(qRed(frame.pixel(400, 300)), 90);
    simFrameResult = 1;
}

class CaptureTest : public ::testing::Test {
protected:
    CaptureTest() {
        down =
            provider->add("Down", {CameraFormat(800, 600)},
                          [this](const TWCameraFormat& format) { return GreyFrame(format, grey); });
        provider->add("Empty", {CameraFormat(800, 600)},
                      [](const TWCameraFormat&) { return QImage(); });
        provider->add("Silent", {CameraFormat(800, 600)});
        context.cameras = &cameras;
        context.vision.ImageDownlooking = createImage(800, 600);
        context.vision.ImageDownlooking->pixel(0, 0) = 0xFF123456u;
    }
    void start(const QString& device) {
        TWCamera& camera = cameras.WCameraDown;
        camera.SetDeviceName(device);
        camera.SetFormat(camera.GetSupportedFormats().front());
        camera.SetActive(true);
    }
    void expectOldImageKept() {
        ASSERT_TRUE(context.vision.ImageDownlooking);
        EXPECT_EQ(context.vision.ImageDownlooking->pixel(0, 0), 0xFF123456u);
    }

    int grey = 200;
    std::shared_ptr<FakeCameraProvider> provider = std::make_shared<FakeCameraProvider>();
    std::shared_ptr<FakeCamera> down;
    CameraSet cameras{{provider}};
    VirtualClock clock;
    ScriptedOperatorPort port;
    ProgramContext context{clock, port};
};

TEST_F(CaptureTest, ReplacesTheImageWithTheCurrentFrame) {
    start("Down");
    ASSERT_TRUE(CaptureDownlooking(context));
    EXPECT_EQ(context.vision.ImageDownlooking->pixel(0, 0), 0xFFC8C8C8u);
    grey = 20;
    ASSERT_TRUE(CaptureDownlooking(context));
    EXPECT_EQ(context.vision.ImageDownlooking->pixel(400, 300), 0xFF141414u);
}

TEST_F(CaptureTest, FailuresReturnFalseAndKeepTheOldImage) {
    // Never started, then a camera that stops, an empty frame and a camera that sends nothing.
    EXPECT_FALSE(CaptureDownlooking(context));
    expectOldImageKept();
    start("Down");
    cameras.WCameraDown.SetActive(false);
    EXPECT_FALSE(CaptureDownlooking(context));
    expectOldImageKept();
    for (const QString device : {"Empty", "Silent"}) {
        start(device);
        EXPECT_FALSE(CaptureDownlooking(context)) << device.toStdString();
        expectOldImageKept();
    }
    EXPECT_FALSE(CaptureUplooking(context));  // the up camera never ran
    context.cameras = nullptr;
    EXPECT_FALSE(CaptureDownlooking(context));
    expectOldImageKept();
}

}  // namespace
