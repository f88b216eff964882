// Streaming cameras without a camera: frames come through a video sink, the camera's signals
// through the fake input. A start needs a picture; a stall, an error, going inactive or being
// unplugged make the camera lost (captures fail at once) until Start brings it back; a
// capture never takes a frame from before it was asked for; one frame at a time is converted.
#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>

#include "context/ProgramContext.h"
#include "support/ScriptedOperatorPort.h"
#include "vision/CameraSet.h"
#include "vision/Capture.h"
#include "vision/FakeVideoInputs.h"
#include "vision/LiveVideoWidget.h"
#include "vision/PictureWidget.h"
#include "vision/QtCameraProvider.h"
#include "vision/TFormCreateSnap.h"

namespace {

using F = QVideoFrameFormat;

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EWCameraError& error) {
        return error.text();
    }
    return {};
}

// Handles window messages until `done`, for at most two seconds.
bool eventually(const std::function<bool()>& done) {
    return WaitHandlingEvents(done, 2000);
}

class StreamingCameraTest : public ::testing::Test {
protected:
    StreamingCameraTest() {
        const TWCameraFormat format = CameraFormat(640, 480);
        device = provider->add(
            "USB Camera", "usb-port-1", {format},
            video_frames::MakeFrame(video_frames::PatternImage({640, 480}), F::Format_YUYV));
        context.cameras = &cameras;
        context.vision.ImageDownlooking = createImage(800, 600);
    }
    TWCamera& down() { return cameras.WCameraDown; }
    void start() {
        down().SetDeviceName("USB Camera");
        down().SetFormat(down().GetSupportedFormats().front());
        down().SetActive(true);
    }
    // A lost camera: inactive, the reason kept, and every capture refused at once.
    void expectLost(const QString& reason) {
        ASSERT_TRUE(eventually([&] { return down().IsLost(); })) << reason.toStdString();
        EXPECT_FALSE(down().GetActive());
        EXPECT_EQ(down().LostReason(), reason);
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(CaptureDownlooking(context));
        EXPECT_LT(clock.elapsed(), 50);
    }

    std::shared_ptr<FakeStreamingProvider> provider = std::make_shared<FakeStreamingProvider>();
    std::shared_ptr<FakeStreamingDevice> device;
    CameraSet cameras{{provider}};
    VirtualClock clock;
    ScriptedOperatorPort person;
    ProgramContext context{clock, person};
};

TEST_F(StreamingCameraTest, AStartNeedsAPictureAndAFailedStartRaisesWhy) {
    provider->timings.firstFrameMs = 200;
    struct Case {
        const char* what;
        std::function<void(FakeVideoInput&)> onStart;
        QString error;
    };
    const Case cases[] = {
        {"busy", [](FakeVideoInput& input) { input.fail("Device busy"); }, "Device busy"},
        {"silent", [](FakeVideoInput&) {}, "The camera sends no picture"},
    };
    for (const Case& c : cases) {
        down().SetDeviceName("USB Camera");
        down().SetFormat(down().GetSupportedFormats().front());  // opens the device
        device->input->onStart = c.onStart;
        EXPECT_EQ(errorOf([&] { down().SetActive(true); }), c.error) << c.what;
        EXPECT_FALSE(down().GetActive()) << c.what;
        EXPECT_FALSE(down().IsLost()) << c.what;
        EXPECT_FALSE(device->input) << c.what;  // let go, to be opened afresh
    }
    start();  // a camera that sends its picture
    EXPECT_TRUE(down().GetActive());
}

TEST_F(StreamingCameraTest, AStallAnErrorOrGoingInactiveLoseTheCameraAndStartBringsItBack) {
    struct Case {
        const char* what;
        std::function<void(FakeVideoInput&)> strike;
        QString reason;
    };
    const Case cases[] = {
        {"stall", [](FakeVideoInput&) {}, "No picture for 0.3 s"},
        {"error", [](FakeVideoInput& input) { input.fail("Resource error"); }, "Resource error"},
        {"inactive", [](FakeVideoInput& input) { input.goInactive(); }, "The camera stopped"},
    };
    for (const Case& c : cases) {
        start();
        ASSERT_TRUE(down().GetActive()) << c.what;
        c.strike(*device->input);
        expectLost(c.reason);
        EXPECT_FALSE(device->input);         // the device was let go
        EXPECT_TRUE(down().DeviceListed());  // never unplugged: Start works at once
        down().SetActive(true);
        EXPECT_TRUE(down().GetActive()) << c.what;
        EXPECT_FALSE(down().IsLost());
        down().SetActive(false);
    }
}

TEST_F(StreamingCameraTest, AnUnpluggedCameraIsLostUntilItComesBackAndIsStarted) {
    start();
    int changes = 0;
    QObject::connect(&down(), &TWCamera::stateChanged, [&] { ++changes; });
    provider->unplug(device);
    expectLost("The camera was unplugged");
    EXPECT_FALSE(down().DeviceListed());
    EXPECT_EQ(errorOf([&] { down().SetActive(true); }), "Camera device not found");

    provider->plugIn(device);  // on another port it would be another camera: same identity here
    EXPECT_TRUE(down().IsLost());
    EXPECT_TRUE(down().DeviceListed());
    EXPECT_EQ(changes, 2);  // lost, then back
    down().SetActive(true);
    EXPECT_TRUE(down().GetActive());
    FrameStream stream(*device->input->sink, QSize(640, 480), 30);
    EXPECT_TRUE(CaptureDownlooking(context));
}

TEST_F(StreamingCameraTest, ACaptureTakesAFrameThatArrivedAfterItWasAskedFor) {
    start();
    FrameStream stream(*device->input->sink, QSize(640, 480), 30);
    for (int capture = 0; capture < 10; ++capture) {
        const int sentBefore = stream.sent();
        QImage frame;
        ASSERT_TRUE(cameras.currentFrame(CameraRole::Down, frame)) << capture;
        EXPECT_GT(FrameStream::NumberOf(frame), sentBefore) << capture;
        EXPECT_EQ(frame.size(), QSize(640, 480));
    }
    ASSERT_TRUE(CaptureDownlooking(context));
    EXPECT_EQ(context.vision.ImageDownlooking->Width, 640);
}

// With the live picture wanted but not taken, frames keep coming and are dropped: one picture
// waits, and the next is made only once the window took it.
TEST(VideoFeed, OneFrameInFlightTheOthersDropped) {
    QVideoSink sink;
    VideoFeed feed(sink);
    int ready = 0;
    QObject::connect(&feed, &VideoFeed::previewReady, [&] { ++ready; });
    QImage picture(64, 48, QImage::Format_RGB32);
    const auto send = [&](int grey) {
        picture.fill(qRgb(grey, grey, grey));
        sink.setVideoFrame(video_frames::MakeFrame(picture, F::Format_BGRX8888));
    };
    send(1);  // nobody wants it: not converted
    feed.setPreviewWanted(true);
    ASSERT_TRUE(eventually([&] { return ready == 1; }));
    for (int grey = 2; grey <= 20; ++grey) {
        send(grey);
    }
    WaitHandlingEvents([] { return false; }, 100);
    EXPECT_EQ(ready, 1);
    EXPECT_EQ(qRed(feed.takePreview().pixel(0, 0)), 1);
    ASSERT_TRUE(eventually([&] { return ready == 2; }));
    EXPECT_EQ(qRed(feed.takePreview().pixel(0, 0)), 20);  // the newest, the rest were dropped
    EXPECT_EQ(feed.framesReceived(), 20u);
}

// The live picture of a lost camera: its last picture greyed, "CAMERA STOPPED" and why over
// it, said once; the notice tells when Start can bring it back, and goes when it runs again.
TEST_F(StreamingCameraTest, TheLivePictureOfALostCameraSaysCameraStopped) {
    TFormCreateSnap snap(context);
    LiveVideoWidget live(context, cameras, snap);
    live.resize(800, 700);
    live.show();
    start();
    auto* panel = live.findChild<PictureWidget*>("PanelCameraDown");
    auto* notice = live.findChild<QLabel*>("LabelCameraStoppedDown");
    ASSERT_TRUE(eventually([&] { return !panel->image().isNull(); }));
    EXPECT_FALSE(panel->image().allGray());

    provider->unplug(device);
    ASSERT_TRUE(eventually([&] { return down().IsLost(); }));
    EXPECT_TRUE(notice->text().contains("CAMERA STOPPED"));
    EXPECT_TRUE(notice->text().contains("The camera was unplugged"));
    EXPECT_TRUE(notice->text().contains("Plug it in again, then press Start"));
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(panel->image().allGray());
    EXPECT_EQ(panel->image().size(), QSize(640, 480));
    provider->plugIn(device);
    EXPECT_TRUE(notice->text().contains("Press Start in Settings, Vision to run it again."));
    EXPECT_EQ(person.callsStartingWith("speak: "), QStringList{"Down camera stopped"});

    down().SetActive(true);
    EXPECT_FALSE(notice->isVisible());
    ASSERT_TRUE(eventually([&] { return !panel->image().allGray(); }));
}

TEST(CameraIdentity, AVideoNodeIsKnownByTheLinkThatNamesItsPort) {
    QTemporaryDir dev;
    QDir(dev.path()).mkpath("v4l/by-path");
    QFile node(dev.filePath("video2"));
    ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    node.close();
    const QString port = "pci-0000:00:14.0-usb-0:2:1.0-video-index0";
    ASSERT_TRUE(QFile::link(dev.filePath("video2"), dev.filePath("v4l/by-path/" + port)));
    const QString links = dev.filePath("v4l/by-path");
    EXPECT_EQ(CameraIdentity(dev.filePath("video2").toUtf8(), links), port);
    EXPECT_EQ(CameraIdentity(("v4l2:" + dev.filePath("video2")).toUtf8(), links), port);
    // No link for it, or not a video node: Qt's id as it is.
    EXPECT_EQ(CameraIdentity("/dev/video7", links), "/dev/video7");
    EXPECT_EQ(CameraIdentity("\\\\?\\usb#vid_046d&pid_0825#5&1f2a#0", links),
              "\\\\?\\usb#vid_046d&pid_0825#5&1f2a#0");
}

}  // namespace
