// The vision windows on the offscreen platform: the live picture's overlay, "Create Snap" and
// "Vision Settings", with cameras a test scripts.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "context/ProgramContext.h"
#include "settings/NumberText.h"
#include "support/ScriptedOperatorPort.h"
#include "support/SimController.h"
#include "support/widgets/MainWindowFixture.h"
#include "vision/CameraSet.h"
#include "vision/Capture.h"
#include "vision/FakeCameras.h"
#include "vision/LiveVideoWidget.h"
#include "vision/PictureWidget.h"
#include "vision/TFormCreateSnap.h"
#include "vision/TFormVisionSettings.h"
#include "vision/TFormVisionTest.h"
#include "windowkit/WindowWidgets.h"

namespace {

class VisionWindowTest : public ::testing::Test {
protected:
    VisionWindowTest() {
        context.cameras = &cameras;
        context.project.ProjectFolder = folder.path() + "/";
    }
    template <typename T = QWidget>
    T* child(QWidget& window, const QString& name) {
        T* found = window.findChild<T*>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    void settle() {
        for (int round = 0; round < 5; ++round) {
            QApplication::processEvents();
        }
    }
    void startDown(const QString& device) {
        TWCamera& camera = cameras.WCameraDown;
        camera.SetDeviceName(device);
        camera.SetFormat(camera.GetSupportedFormats().front());
        camera.SetActive(true);
        settle();
    }

    QTemporaryDir folder;
    VirtualClock clock;
    ScriptedOperatorPort person;
    ProgramContext context{clock, person};
    std::shared_ptr<FakeCameraProvider> provider = std::make_shared<FakeCameraProvider>();
    CameraSet cameras{{provider}};
};

class LiveVideoTest : public VisionWindowTest {
protected:
    LiveVideoTest() { live.show(); }
    void sizePanel(int width, int height) {
        child(live, "PanelLiveVideo")->setFixedSize(width, height);
        live.adjustSize();
        settle();
    }
    QRect at(const QString& name) { return child(live, name)->geometry(); }

    TFormCreateSnap snap{context};
    LiveVideoWidget live{context, cameras, snap};
};

TEST_F(LiveVideoTest, RulersOfAn800By600AndA1000By600Panel) {
    sizePanel(800, 600);
    EXPECT_EQ(at("PanelVideoCrossHairX"), QRect(0, 300, 800, 1));
    EXPECT_EQ(at("PanelVideoCrossHairY"), QRect(400, 0, 1, 600));
    EXPECT_EQ(at("PanelV1"), QRect(380, 240, 1, 120));
    EXPECT_EQ(at("PanelH30"), QRect(300, 600, 200, 1));
    EXPECT_EQ(at("PanelVideoCrossHairXSmall"), QRect(398, 288, 5, 24));
    sizePanel(1000, 600);
    EXPECT_EQ(at("PanelVideoCrossHairY"), QRect(500, 0, 1, 600));
    EXPECT_EQ(at("PanelV1"), QRect(480, 240, 1, 120));  // still 20 px per mm
    EXPECT_TRUE(child(live, "PanelV1")->isVisible());
}

TEST_F(LiveVideoTest, SwitchingCamerasLaysTheRulersOutForTheOtherViewWidth) {
    context.settings.uplookingCameraViewWidthMM = 20;
    sizePanel(800, 600);
    context.SelectedCamera = 1;
    live.UpdateCameraSelection();
    EXPECT_EQ(at("PanelV1"), QRect(360, 180, 1, 240));  // 40 px per mm
    EXPECT_TRUE(child(live, "PanelCameraUp")->isVisible());
    EXPECT_FALSE(child(live, "PanelCameraDown")->isVisible());
    EXPECT_TRUE(child<QRadioButton>(live, "RadioButtonUpCamera")->isChecked());
    context.SelectedCamera = 0;
    live.UpdateCameraSelection();
    EXPECT_EQ(at("PanelV1"), QRect(380, 240, 1, 120));
}

TEST_F(LiveVideoTest, TheRulersFollowTheProportionsOfTheRunningFrame) {
    provider->add("Wide", {CameraFormat(1280, 720)},
                  [](const TWCameraFormat& format) { return GreyFrame(format, 80); });
    sizePanel(1000, 600);
    startDown("Wide");
    live.UpdateVideoGridRulers();  // a frame arrived: its 16:9 fills the panel's width
    EXPECT_EQ(at("PanelV1"), QRect(475, 225, 1, 150));
    // No view width: nothing to measure with, the last layout stays.
    context.settings.downlookingCameraViewWidthMM = 0;
    live.UpdateVideoGridRulers();
    EXPECT_EQ(at("PanelV1"), QRect(475, 225, 1, 150));
}

TEST_F(LiveVideoTest, APressOnThePictureWithoutAProjectDoesNothing) {
    provider->add("Down", {CameraFormat(800, 600)},
                  [](const TWCameraFormat& format) { return GreyFrame(format, 80); });
    sizePanel(800, 600);
    startDown("Down");
    QTest::mouseClick(child(live, "PanelCameraDown"), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_TRUE(person.calls.isEmpty());
    EXPECT_FALSE(snap.isVisible());
}

class CreateSnapTest : public VisionWindowTest {
protected:
    CreateSnapTest() {
        frame = createImage(800, 600);
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                frame->pixel(x, y) = makeColor32(x % 256, y % 256, 128, 255);
            }
        }
    }
    // Runs `act` inside the window's own modal loop.
    void whileShown(std::function<void()> act) {
        QTimer::singleShot(0, &snap, [this, act] {
            act();
            if (snap.isVisible()) {
                snap.reject();
            }
        });
    }
    PictureWidget* picture() { return child<PictureWidget>(snap, "ImageMain"); }
    void pressAtCentre() {
        const QPoint centre(picture()->width() / 2, picture()->height() / 2);
        QTest::mousePress(picture(), Qt::LeftButton, {}, centre);
    }

    ImagePtr frame;
    TFormCreateSnap snap{context};
};

TEST_F(CreateSnapTest, ACentrePressCutsTheSmallestBoxAndSavesIt) {
    person.files.push_back("Fiducial.bmp");
    whileShown([this] {
        EXPECT_FALSE(child<QPushButton>(snap, "ButtonOk")->isEnabled());
        pressAtCentre();
        EXPECT_TRUE(child(snap, "PanelReferenceBoxLeft")->isVisible());
        child<QPushButton>(snap, "ButtonOk")->click();
    });
    ASSERT_TRUE(snap.CreateProjectSnap(*frame));
    EXPECT_EQ(snap.FileName, "Fiducial");
    ImagePtr saved;
    ASSERT_TRUE(LoadSnap(folder.filePath("Fiducial.Bmp"), saved));
    // 5 % of the picture each way, measured in frame pixels, centred on the frame.
    const QRectF shown = picture()->shownRect();
    EXPECT_NEAR(saved->Width, 0.05 * picture()->width() * 800 / shown.width(), 3);
    EXPECT_NEAR(saved->Height, 0.05 * picture()->height() * 600 / shown.height(), 3);
    const int left = 400 - saved->Width / 2;
    EXPECT_NEAR(static_cast<int>(saved->pixel(0, 0) >> 16 & 0xFF), left % 256, 2);
}

TEST_F(CreateSnapTest, CancelWritesNothing) {
    whileShown([this] {
        pressAtCentre();
        child<QPushButton>(snap, "ButtonCancel")->click();
    });
    EXPECT_FALSE(snap.CreateProjectSnap(*frame));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(snap.isVisible());
    // Save, then Cancel in the name dialog: nothing either.
    whileShown([this] {
        pressAtCentre();
        child<QPushButton>(snap, "ButtonOk")->click();
    });
    EXPECT_FALSE(snap.CreateProjectSnap(*frame));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(CreateSnapTest, TheRulersUseTheViewWidthOfTheCameraTheFrameCameFrom) {
    context.settings.uplookingCameraViewWidthMM = 20;
    int downTick = 0;
    int upTick = 0;
    whileShown([&] { downTick = child(snap, "PanelV16")->x() - child(snap, "PanelV1")->x(); });
    snap.CreateProjectSnap(*frame, CameraRole::Down);
    whileShown([&] { upTick = child(snap, "PanelV16")->x() - child(snap, "PanelV1")->x(); });
    snap.CreateProjectSnap(*frame, CameraRole::Up);
    EXPECT_GT(downTick, 0);
    EXPECT_NEAR(upTick, 2 * downTick, 2);
}

class VisionSettingsTest : public VisionWindowTest {
protected:
    VisionSettingsTest() {
        sim.configure("mode=instant");
        QString error;
        api = MotrixApi::Bind(CORVANE_SIM_LIBRARY, &error);
        context.cnc.attach(api);
        context.cnc.InitialiseController();
    }
    QLineEdit* edit(const QString& name) { return child<QLineEdit>(window, name); }
    bool refused(const QString& name) {
        return edit(name)->palette().color(QPalette::Base) == QColor(255, 0, 0);
    }
    QComboBox* list(const QString& name) { return child<QComboBox>(window, name); }

    SimController sim{CORVANE_SIM_LIBRARY};
    std::shared_ptr<const MotrixApi> api;
    int rulerLayouts = 0;
    TFormVisionSettings window{context, cameras, [this] { ++rulerLayouts; }};
};

TEST_F(VisionSettingsTest, EditsAcceptOnlyTheirRanges) {
    window.show();
    struct Case {
        const char* box;
        const char* text;
        bool accepted;
        std::function<double()> setting;
        double kept;
    };
    const MachineSettings& s = context.settings;
    const Case cases[] = {
        {"EditVisionCorrelationLimit", "0.95", false, [&] { return s.visionCorrelationLimit; },
         0.7},
        {"EditVisionCorrelationLimit", "0.9", true, [&] { return s.visionCorrelationLimit; }, 0.9},
        {"EditVisionCorrelationLimit", "0.3", true, [&] { return s.visionCorrelationLimit; }, 0.3},
        {"EditDownlookingEnlargementMM", "10", false,
         [&] { return s.downlookingCameraEnlargementMM; }, 6},
        {"EditDownlookingEnlargementMM", "9", true,
         [&] { return s.downlookingCameraEnlargementMM; }, 9},
        {"EditUplookingEnlargementMM", "0", false, [&] { return s.uplookingCameraEnlargementMM; },
         6},
        {"EditUplookingEnlargementMM", "2.5", false, [&] { return s.uplookingCameraEnlargementMM; },
         6},
        {"EditAngleTestLimit", "10", false, [&] { return s.uplookingCameraAngleTestLimit; }, 40},
        {"EditAngleTestLimit", "89", true, [&] { return s.uplookingCameraAngleTestLimit; }, 89},
        {"EditDownlookingViewWidthInMM", "100", false,
         [&] { return s.downlookingCameraViewWidthMM; }, 40},
        {"EditDownlookingViewWidthInMM", "1", false, [&] { return s.downlookingCameraViewWidthMM; },
         40},
        {"EditDownlookingViewWidthInMM", "32.5", true,
         [&] { return s.downlookingCameraViewWidthMM; }, 32.5},
        {"EditUplookingSettlingDelay", "5", false, [&] { return s.uplookingCameraSettlingDelay; },
         0.25},
        {"EditUplookingSettlingDelay", "0", false, [&] { return s.uplookingCameraSettlingDelay; },
         0.25},
        {"EditUplookingSettlingDelay", "4.9", true, [&] { return s.uplookingCameraSettlingDelay; },
         4.9},
        {"EditPositionX", "405.5", false, [&] { return s.uplookingCameraX; }, 200},
        {"EditPositionX", "abc", false, [&] { return s.uplookingCameraX; }, 200},
        {"EditPositionX", "-5", true, [&] { return s.uplookingCameraX; }, -5},
        {"EditPositionZ", "36", false, [&] { return s.uplookingCameraZ; }, 0},
        {"EditPositionZ", "35", true, [&] { return s.uplookingCameraZ; }, 35},
    };
    for (const Case& c : cases) {
        edit(c.box)->setText(c.text);
        EXPECT_EQ(refused(c.box), !c.accepted) << c.box << " " << c.text;
        EXPECT_DOUBLE_EQ(c.setting(), c.kept) << c.box << " " << c.text;
    }
    EXPECT_EQ(rulerLayouts, 1);  // only the accepted view width lays the rulers out
    window.ShowSettings();
    EXPECT_EQ(edit("EditVisionCorrelationLimit")->text(), "0.30");
    EXPECT_EQ(edit("EditDownlookingViewWidthInMM")->text(), "32.500");
    EXPECT_FALSE(refused("EditPositionX"));
}

TEST_F(VisionSettingsTest, StartUpRestoresTheStoredCamerasAndLeavesAGoneOneStopped) {
    auto down = provider->add("Bench Camera", {CameraFormat(640, 480), CameraFormat(800, 600)},
                              [](const TWCameraFormat& format) { return GreyFrame(format, 50); });
    context.settings.cameraDownDeviceName = "Bench Camera";
    context.settings.cameraDownFormatName = "800x600 30Hz 16bpp";  // as older versions stored it
    context.settings.cameraUpDeviceName = "Unplugged Camera";
    context.settings.cameraUpFormatName = "640x480 30Hz YUYV";
    window.StartCameras();
    EXPECT_TRUE(cameras.WCameraDown.GetActive());
    EXPECT_EQ(cameras.WCameraDown.GetFormat().Width, 800);
    // It ran: its choice is kept as the program writes it now, with the camera's identity.
    EXPECT_EQ(context.settings.cameraDownFormatName, "800x600 30Hz YUYV");
    EXPECT_EQ(context.settings.cameraDownDeviceId, down->id);
    EXPECT_FALSE(cameras.WCameraUp.GetActive());
    EXPECT_EQ(list("ComboBoxCameraUp")->currentIndex(), -1);
    EXPECT_EQ(list("ComboBoxFormatUp")->currentIndex(), -1);
    EXPECT_EQ(context.settings.cameraUpDeviceName, "Unplugged Camera");  // kept for its return
    EXPECT_EQ(context.SelectedCamera, 0);
    EXPECT_TRUE(person.calls.isEmpty());
    EXPECT_TRUE(CaptureDownlooking(context));
}

TEST_F(VisionSettingsTest, StartAndStopFollowTheChosenDeviceAndReportAGoneOne) {
    auto camera = provider->add("Bench Camera", {CameraFormat(640, 480)},
                                [](const TWCameraFormat& format) { return GreyFrame(format, 50); });
    window.show();
    window.StartCameras();  // nothing stored and no simulator: nothing starts
    EXPECT_FALSE(cameras.WCameraUp.GetActive());
    list("ComboBoxCameraUp")->setCurrentIndex(0);
    emit list("ComboBoxCameraUp")->activated(0);
    ASSERT_EQ(list("ComboBoxFormatUp")->count(), 1);
    EXPECT_EQ(list("ComboBoxFormatUp")->itemText(0), "640x480 30Hz YUYV");
    list("ComboBoxFormatUp")->setCurrentIndex(0);
    child<QPushButton>(window, "ButtonUpCameraStart")->click();
    EXPECT_TRUE(cameras.WCameraUp.GetActive());
    EXPECT_EQ(context.SelectedCamera, 1);
    EXPECT_EQ(context.settings.cameraUpFormatName, "640x480 30Hz YUYV");
    EXPECT_FALSE(child<QPushButton>(window, "ButtonUpCameraStart")->isEnabled());
    EXPECT_FALSE(list("ComboBoxCameraUp")->isEnabled());

    child<QPushButton>(window, "ButtonUpCameraStop")->click();
    EXPECT_FALSE(cameras.WCameraUp.GetActive());
    provider->cameras.clear();  // unplugged while listed
    child<QPushButton>(window, "ButtonUpCameraStart")->click();
    EXPECT_FALSE(cameras.WCameraUp.GetActive());
    EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"Camera device not found"});
}

// A start that fails is told and never kept as the camera to start next time.
TEST_F(VisionSettingsTest, AFailedStartIsToldAndNotStored) {
    auto busy = provider->add("Bench Camera", {CameraFormat(640, 480)});
    busy->startError = "Device or resource busy";
    window.show();
    window.StartCameras();  // lists the devices; nothing stored, nothing starts
    list("ComboBoxCameraDown")->setCurrentIndex(0);
    emit list("ComboBoxCameraDown")->activated(0);
    list("ComboBoxFormatDown")->setCurrentIndex(0);
    child<QPushButton>(window, "ButtonDownCameraStart")->click();
    EXPECT_FALSE(cameras.WCameraDown.GetActive());
    EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"Device or resource busy"});
    EXPECT_TRUE(context.settings.cameraDownDeviceName.isEmpty());
    EXPECT_TRUE(context.settings.cameraDownDeviceId.isEmpty());
    EXPECT_TRUE(context.settings.cameraDownFormatName.isEmpty());
    EXPECT_TRUE(child<QPushButton>(window, "ButtonDownCameraStart")->isEnabled());
}

// Two "USB Camera"s: each role finds its own by the port, whatever the order they are listed
// in and whichever of them is called "#2" now; when a camera's port is gone its name is the
// fallback, but never for the camera the other role knows as its own.
TEST_F(VisionSettingsTest, IdenticalCamerasKeepTheirRolesWhenTheirOrderChanges) {
    const auto showing = [](int grey) {
        return [grey](const TWCameraFormat& format) { return GreyFrame(format, grey); };
    };
    auto upCamera = provider->add("USB Camera", {CameraFormat(640, 480)}, showing(10));
    auto downCamera = provider->add("USB Camera", {CameraFormat(640, 480)}, showing(200));
    context.settings.cameraUpDeviceName = "USB Camera";
    context.settings.cameraUpDeviceId = upCamera->id;
    context.settings.cameraDownDeviceName = "USB Camera #2";
    context.settings.cameraDownDeviceId = downCamera->id;
    context.settings.cameraUpFormatName = context.settings.cameraDownFormatName =
        "640x480 30Hz YUYV";
    std::swap(provider->cameras[0], provider->cameras[1]);  // replugged: listed the other way
    window.StartCameras();
    EXPECT_TRUE(upCamera->running);
    EXPECT_TRUE(downCamera->running);
    QImage frame;
    ASSERT_TRUE(cameras.currentFrame(CameraRole::Down, frame));
    EXPECT_EQ(qRed(frame.pixel(0, 0)), 200);
    ASSERT_TRUE(cameras.currentFrame(CameraRole::Up, frame));
    EXPECT_EQ(qRed(frame.pixel(0, 0)), 10);
    EXPECT_EQ(context.settings.cameraDownDeviceName, "USB Camera");  // its listed name now
    EXPECT_EQ(context.settings.cameraDownDeviceId, downCamera->id);

    // The down camera unplugged: the up camera is now the only "USB Camera", the down
    // camera's name, but it stays the up camera's.
    cameras.WCameraUp.SetActive(false);
    cameras.WCameraDown.SetActive(false);
    std::erase(provider->cameras, downCamera);
    TFormVisionSettings restarted{context, cameras, [] {}};
    restarted.StartCameras();
    EXPECT_TRUE(cameras.WCameraUp.GetActive());
    EXPECT_FALSE(cameras.WCameraDown.GetActive());
    EXPECT_EQ(restarted.findChild<QComboBox*>("ComboBoxCameraDown")->currentIndex(), -1);
}

TEST_F(VisionSettingsTest, ClosingRestoresTheCameraShownBefore) {
    context.SelectedCamera = 0;
    QTimer::singleShot(0, &window, [this] {
        child<QRadioButton>(window, "RadioButtonUpCamera")->click();
        EXPECT_EQ(context.SelectedCamera, 1);
        window.accept();
    });
    window.exec();
    EXPECT_EQ(context.SelectedCamera, 0);
}

TEST_F(VisionSettingsTest, SetPositionAsksAboutTheHeightOnlyWhenItChanged) {
    window.show();
    context.cnc.CommandedX = 230;
    context.cnc.CommandedY = 210;
    person.answers = {OperatorPort::Answer::Yes};
    child<QPushButton>(window, "ButtonSetPosition")->click();
    EXPECT_EQ(person.callsStartingWith("ask2: ").size(), 1);
    EXPECT_DOUBLE_EQ(context.settings.uplookingCameraX, 230 - context.cnc.HomeOffsetX);
    EXPECT_EQ(edit("EditPositionY")->text(), FormatFixed(210 - context.cnc.HomeOffsetY, 3));

    person.calls.clear();
    context.cnc.CommandedZ = 12;
    person.answers = {OperatorPort::Answer::No, OperatorPort::Answer::Yes,
                      OperatorPort::Answer::Yes};
    child<QPushButton>(window, "ButtonSetPosition")->click();
    EXPECT_EQ(person.callsStartingWith("ask2: ").size(), 3);
    EXPECT_DOUBLE_EQ(context.settings.uplookingCameraZ, 12 - context.settings.homeZ);
    EXPECT_DOUBLE_EQ(context.settings.uplookingCameraX, 230 - context.cnc.HomeOffsetX);
}

// "SINGLE STEP!" pauses a search with the test window open and both images in it.
class PausingPort : public ScriptedOperatorPort {
public:
    std::function<void()> onPause;
    void showInformation(const QString& text) override {
        ScriptedOperatorPort::showInformation(text);
        if (onPause) {
            onPause();
        }
    }
};

TEST(VisionTestWindow, ShowsEachPreparedPairWhileTheSearchWaits) {
    VisionState state;
    MachineSettings settings;
    settings.visionTestMode = true;
    PausingPort port;
    TFormVisionTest window;
    state.ImageDownlooking = createImage(200, 150);
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < 200; ++x) {
            const int grey = ((x / 10 + y / 10) % 2) * 200 + (x * y) % 37;
            state.ImageDownlooking->pixel(x, y) = greyToColor(grey, 255);
        }
    }
    state.ImageReference = copyWindow(*state.ImageDownlooking, WindowBounds{80, 119, 89, 60});
    QSize shownReference;
    bool openWhilePaused = false;
    port.onPause = [&] {
        openWhilePaused = window.isVisible();
        shownReference = window.findChild<PictureWidget*>("ImageReference")->image().size();
    };
    ASSERT_TRUE(VisualCorrelation(VisionContext{state, settings, port, &window}, 0, 6, false));
    EXPECT_EQ(port.callsStartingWith("information: "), QStringList{"SINGLE STEP!"});
    EXPECT_TRUE(openWhilePaused);
    EXPECT_EQ(shownReference, QSize(40, 30));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Vision Test");
}

// The main window's live picture: the result line, and a press that needs a project and a
// working camera before it cuts a snap.
class MainWindowVisionTest : public MainWindowFixture {};

TEST_F(MainWindowVisionTest, APressOnTheLivePictureCutsASnapOnlyWithAProjectAndAFrame) {
    context->vision.VisionResultText = "Correlation = 0.95  X = 0.10mm  Y = -0.05mm";
    window->updateStatus();
    EXPECT_EQ(text("LabelVisionResult"), context->vision.VisionResultText);

    QWidget* picture = control("PanelCameraDown");
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(person.calls.isEmpty());  // no project: nothing to save into

    context->project.ProjectOpen = true;
    context->project.ProjectFolder = settingsDir_.path() + "/";
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(person.callsStartingWith("error: "), QStringList{"CAMERA FAILED!"});
    EXPECT_TRUE(QDir(settingsDir_.path()).entryList({"*.Bmp"}, QDir::Files).isEmpty());
}

}  // namespace
