// Homing on the simulated world, as a machine owner would check it: the home switches displaced
// by a known error, the simulated cameras, the demo machine's settings and home-mark snaps, and
// the head's true place read back from the world.
#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "motion/Homing.h"
#include "motion/MoveOperations.h"
#include "settings/MachineSettingsStore.h"
#include "support/MachineFixture.h"
#include "support/SimCameras.h"

namespace {

QJsonObject jsonOf(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

QPointF pointOf(const QJsonValue& pair) {
    return {pair[0].toDouble(), pair[1].toDouble()};
}

class HomingWorldTest : public MachineFixture {
protected:
    void SetUp() override {
        cameras = StartSimCameras(cnc.api());
        if (!cameras) {
            GTEST_SKIP() << "the simulator renders no cameras";
        }
        context.cameras = cameras.get();
        context.SystemSettingsFolder = CORVANE_DEMO_DIR "/System Settings/";
        LoadMachineSettings(
            *OpenMachineSettingsStoreAt(CORVANE_DEMO_DIR "/Machine Settings/Corvane 2.ini"),
            context.settings);
    }

    // The machine powered up afresh with its X and Y home switches displaced by `error` mm.
    void powerUpWithSwitchError(QPointF error) {
        configure(QString("mode=instant\nhome_switch_error_x=%1\nhome_switch_error_y=%2")
                      .arg(error.x())
                      .arg(error.y())
                      .toStdString());
        const QJsonObject world = jsonOf(sim.worldJson());
        const QJsonArray marks = world["home_marks"].toArray();
        home1 = pointOf(marks[0]);
        home2 = pointOf(marks[1]);
        pixel = world["cameras"]["down"]["view_width"].toDouble() /
                world["cameras"]["down"]["resolution"][0].toDouble();
    }

    // Where the down camera's centre truly stands on the table.
    QPointF trueHead() const {
        const QJsonObject head = jsonOf(sim.worldState())["head"].toObject();
        return {head["x"].toDouble(), head["y"].toDouble()};
    }

    void expectOver(QPointF mark, const char* name) const {
        const QPointF head = trueHead();
        EXPECT_NEAR(head.x(), mark.x(), pixel) << name;
        EXPECT_NEAR(head.y(), mark.y(), pixel) << name;
    }

    // The Y-alignment output's switches (mask 4), in the order sent.
    std::vector<int> alignmentSwitches() const {
        std::vector<int> states;
        for (const SimCommand& command : outputCommands()) {
            if (command.args.at(0) == 4) {
                states.push_back(command.args.at(1));
            }
        }
        return states;
    }

    std::unique_ptr<CameraSet> cameras;
    QPointF home1, home2;
    double pixel = 0;  // mm per down-camera pixel
};

TEST_F(HomingWorldTest, VisualHomeCorrectsADisplacedHomeSwitchToOnePixel) {
    struct Case {
        QPointF switchError;
        bool dualY;
    };
    const Case cases[] = {
        {{0.4, -0.3}, true}, {{0, 0}, true}, {{-1.23, 0.87}, true}, {{0.4, -0.3}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "switch error (" << c.switchError.x() << ", "
                                        << c.switchError.y() << ") dual Y " << c.dualY);
        context.settings.dualYAxis = c.dualY;
        powerUpWithSwitchError(c.switchError);
        port.calls.clear();

        ASSERT_TRUE(Home(context)) << port.calls.join("\n").toStdString();
        EXPECT_TRUE(port.calls.isEmpty()) << port.calls.join("\n").toStdString();
        // The home offsets take up the switch error: the home-relative frame is the table's.
        const MachineSettings& s = context.settings;
        EXPECT_NEAR(cnc.HomeOffsetX - s.home1X, -c.switchError.x(), pixel);
        EXPECT_NEAR(cnc.HomeOffsetY - s.home1Y, -c.switchError.y(), pixel);
        const std::vector<int> squaring = c.dualY ? std::vector<int>{1, 0} : std::vector<int>{};
        EXPECT_EQ(alignmentSwitches(), squaring);
        EXPECT_EQ(sim.outputs(), 0);

        // The demo machine parks over Home 1; Home 2 is where its settings say.
        ASSERT_EQ(s.parkX, 0);
        ASSERT_EQ(s.parkY, 0);
        expectOver(home1, "parked over Home 1");
        ASSERT_TRUE(
            MoveHomeRelative(context, s.home2X, s.home2Y, s.home2Z, 0, s.maxStepsPerSecond));
        expectOver(home2, "over Home 2");
    }
}

TEST_F(HomingWorldTest, WithoutVisualHomeTheSwitchErrorStays) {
    context.settings.visualHome = false;
    powerUpWithSwitchError({0.4, -0.3});
    ASSERT_TRUE(Home(context));
    const QPointF head = trueHead();
    const double step = 1 / 78.74015748;  // the world's scaling
    EXPECT_NEAR(head.x() - home1.x(), 0.4, step);
    EXPECT_NEAR(head.y() - home1.y(), -0.3, step);
}

}  // namespace
