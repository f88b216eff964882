// The closed loop on the simulated world, as a machine owner would check it: what the cameras
// show where the head stands, found again by the searches with snaps cut from those frames.
#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>

#include "../../sim/MotrixSimControl.h"
#include "motion/Homing.h"
#include "motion/MoveOperations.h"
#include "support/MachineFixture.h"
#include "support/SimCameras.h"
#include "vision/CameraSet.h"
#include "vision/Capture.h"
#include "vision/FilterWindow.h"

namespace {

using JsonReport = int (*)(char* buffer, int size);
using LoadWorld = int (*)(const char* json, char* error, int errorSize);

class ClosedLoopTest : public MachineFixture {
protected:
    void SetUp() override {
        library.setFileName(CORVANE_SIM_LIBRARY);
        worldJson = reinterpret_cast<JsonReport>(library.resolve("MotrixSimWorldJson"));
        worldState = reinterpret_cast<JsonReport>(library.resolve("MotrixSimWorldState"));
        loadWorld = reinterpret_cast<LoadWorld>(library.resolve("MotrixSimLoadWorld"));
        cameras = StartSimCameras(cnc.api());
        if (!cameras || !worldJson || !worldState || !loadWorld) {
            GTEST_SKIP() << "the simulator renders no cameras";
        }
        context.cameras = cameras.get();
        context.settings.visualHome = false;  // the taught home frame: no home-mark snaps here
        ASSERT_TRUE(Home(context));
        world = report(worldJson);
    }

    static QJsonObject reportOf(JsonReport call) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(MotrixSimCopyReport(call)))
            .object();
    }
    QJsonObject report(JsonReport call) const { return reportOf(call); }

    bool moveTo(double x, double y, double z) {
        return Move(context, x, y, z, cnc.CommandedA, settings().maxStepsPerSecond);
    }
    const MachineSettings& settings() const { return context.settings; }
    double mmPerPixel(CameraRole role) const {
        const QJsonObject camera =
            world["cameras"].toObject()[role == CameraRole::Up ? "up" : "down"].toObject();
        return camera["view_width"].toDouble() / camera["resolution"].toArray()[0].toDouble();
    }

    // The snap a person would cut: a square of `size` pixels around the frame's centre.
    void cutSnap(const ImagePtr& frame, int size) {
        WindowBounds window;
        window.Left = frame->Width / 2 - size / 2;
        window.Right = window.Left + size - 1;
        window.Bottom = frame->Height / 2 - size / 2;
        window.Top = window.Bottom + size - 1;
        context.vision.ImageReference = copyWindow(*frame, window);
    }

    // Cuts a snap with the head over (x, y), then moves by (dx, dy) and expects the search to
    // find the target at minus that move, within one pixel.
    void expectFoundAfterMove(double x, double y, double dx, double dy) {
        ASSERT_TRUE(moveTo(x, y, 0));
        ASSERT_TRUE(CaptureDownlooking(context));
        cutSnap(context.vision.ImageDownlooking, 120);
        const int enlarge = settings().downlookingCameraEnlargementMM;
        ASSERT_TRUE(VisualCorrelation(VisionOf(context), 0, enlarge, false));
        const double pixel = mmPerPixel(CameraRole::Down);
        EXPECT_NEAR(context.vision.VisionCentreX, 0, pixel);
        EXPECT_NEAR(context.vision.VisionCentreY, 0, pixel);

        ASSERT_TRUE(moveTo(x + dx, y + dy, 0));
        ASSERT_TRUE(CaptureDownlooking(context));
        ASSERT_TRUE(VisualCorrelation(VisionOf(context), 0, enlarge, false));
        EXPECT_NEAR(context.vision.VisionCentreX, -dx, pixel);
        EXPECT_NEAR(context.vision.VisionCentreY, -dy, pixel);
    }

    // Picks the part of pocket `pocket` (0-based, along the first row) of the world's tray and
    // carries it over the up camera, its underside in the camera's focus. A part this large
    // hides the nozzle tip, so the snap shows the part alone.
    void carryAPartOverTheUpCamera(int pocket) {
        QJsonObject feeder;
        for (const QJsonValue& candidate : world["feeders"].toArray()) {
            if (candidate["type"].toString() == "tray") {
                feeder = candidate.toObject();
            }
        }
        ASSERT_FALSE(feeder.isEmpty());
        const QJsonArray nozzle = world["nozzle_offset"].toArray();
        const QJsonArray pick = feeder["pick"].toArray();
        const double pitch = feeder["pitch"].toArray()[0].toDouble();
        const double headX = pick[0].toDouble() + pocket * pitch - nozzle[0].toDouble();
        const double headY = pick[1].toDouble() - nozzle[1].toDouble();
        ASSERT_TRUE(moveTo(headX, headY, 0));
        ASSERT_TRUE(moveTo(headX, headY, feeder["pick_z"].toDouble()));
        cnc.SetVacuumOutput(true);
        ASSERT_TRUE(moveTo(headX, headY, 0));
        ASSERT_FALSE(report(worldState)["held_part"].isNull());

        const QJsonObject up = world["cameras"].toObject()["up"].toObject();
        double height = 0;
        for (const QJsonValue& kind : world["part_kinds"].toArray()) {
            if (kind["name"] == feeder["part"]) {
                height = kind["height"].toDouble();
            }
        }
        const QJsonArray axis = up["position"].toArray();
        ASSERT_TRUE(moveTo(axis[0].toDouble() - nozzle[0].toDouble(),
                           axis[1].toDouble() - nozzle[1].toDouble(),
                           up["focus_z"].toDouble() - height));
    }

    void dropThePart() {
        ASSERT_TRUE(moveTo(cnc.CommandedX + 30, cnc.CommandedY, cnc.CommandedZ));
        cnc.SetVacuumOutput(false);
        ASSERT_TRUE(moveTo(cnc.CommandedX, cnc.CommandedY, 0));
    }

    QLibrary library;
    JsonReport worldJson = nullptr;
    JsonReport worldState = nullptr;
    LoadWorld loadWorld = nullptr;
    std::unique_ptr<CameraSet> cameras;
    QJsonObject world;
};

TEST_F(ClosedLoopTest, TheHomeMarkIsFoundWhereTheHeadStands) {
    const QJsonArray home = world["home_marks"].toArray()[0].toArray();
    expectFoundAfterMove(home[0].toDouble(), home[1].toDouble(), 0.3, -0.2);
}

TEST_F(ClosedLoopTest, AFiducialIsFoundWhereTheHeadStands) {
    const QJsonObject board = report(worldState)["boards"].toArray()[0].toObject();
    const QJsonArray fiducial =
        world["board"].toObject()["fiducials"].toArray()[0].toObject()["position"].toArray();
    expectFoundAfterMove(board["origin_x"].toDouble() + fiducial[0].toDouble(),
                         board["origin_y"].toDouble() + fiducial[1].toDouble(), 0.3, -0.2);
}

TEST_F(ClosedLoopTest, APartHeldOffItsAxisAndTurnedIsMeasuredOverTheUpCamera) {
    // The reference: a part held straight on the nozzle axis.
    carryAPartOverTheUpCamera(0);
    ASSERT_TRUE(CaptureUplooking(context));
    cutSnap(context.vision.ImageUplooking, 150);
    const ImagePtr reference = cloneImage(context.vision.ImageReference.get());
    dropThePart();

    // The same kind of part, picked with a known error of offset and angle.
    QJsonObject jittery = world;
    QJsonObject errors = jittery["errors"].toObject();
    errors["pick_jitter_mm"] = 0.4;
    errors["pick_jitter_deg"] = 8.0;
    jittery["errors"] = errors;
    char error[256] = {};
    ASSERT_EQ(loadWorld(QJsonDocument(jittery).toJson().constData(), error, sizeof error), 1)
        << error;
    carryAPartOverTheUpCamera(1);
    const QJsonObject held = report(worldState)["held_part"].toObject();
    ASSERT_TRUE(CaptureUplooking(context));
    context.vision.ImageReference = cloneImage(reference.get());
    ASSERT_TRUE(
        AngularVisualCorrelation(VisionOf(context), 0, settings().uplookingCameraEnlargementMM));

    // The angle search works on shrunken images: its turn is within one of its angle steps
    // (r = 1 + size div 50, at most 3 in the refinement).
    const int refined = std::min(3, 1 + reference->Width / 50);
    const double step = std::atan(2.0 * refined / reference->Width) * 180 / M_PI;
    EXPECT_NEAR(context.vision.VisionAngle, held["angle"].toDouble(), step);

    // The offset, as the pick measures it: the position search at the angle found, at full
    // resolution, within one pixel.
    const double angle = context.vision.VisionAngle;
    ASSERT_TRUE(
        VisualCorrelation(VisionOf(context), angle, settings().uplookingCameraEnlargementMM, true));
    const double pixel = mmPerPixel(CameraRole::Up);
    EXPECT_NEAR(context.vision.VisionCentreX, held["offset_x"].toDouble(), pixel);
    EXPECT_NEAR(context.vision.VisionCentreY, held["offset_y"].toDouble(), pixel);
}

}  // namespace
