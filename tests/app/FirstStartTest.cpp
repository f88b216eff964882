// The very first start, as a new user sees it: a fresh home folder (no settings store, no
// projects) and the simulated machine, its home switches displaced. The program installs the
// demo and opens it, starts the cameras, homes with the camera (Home 1 found, the gantry
// squared with Home 2, parked) and asks which nozzle is mounted.
#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include "support/widgets/FreshHome.h"
#include "support/widgets/MainWindowFixture.h"
#include "vision/CameraSet.h"

namespace {

QJsonObject jsonOf(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

class FirstStartTest : public FreshHome, public MainWindowFixture {
protected:
    FirstStartTest()
        : MainWindowFixture("mode=instant\nhome_switch_error_x=0.4\nhome_switch_error_y=-0.3") {}

    // Runs the start-up step; the person answers every dialog with OK and notes its title.
    QStringList startUpNotingDialogs() {
        QStringList shown;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&shown] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                shown << dialog->windowTitle();
                dialog->findChild<QPushButton*>("ButtonOk")->click();
            }
        });
        answer.start(5);
        window->startUp();
        return shown;
    }

    // The Y-alignment output's switches (mask 4) from the first one on, in the order sent.
    std::vector<int> alignmentSwitches() const {
        std::vector<int> states;
        for (const SimCommand& command : sim.commandsNamed("MotrixSetOutput")) {
            if (command.args.at(0) == 4 && (!states.empty() || command.args.at(1) == 1)) {
                states.push_back(command.args.at(1));
            }
        }
        return states;
    }
};

TEST_F(FirstStartTest, OpensTheDemoHomesWithTheCameraAndAsksForTheNozzle) {
    // Shown: the demo installed beside the user's files, its machine stored, the project open.
    EXPECT_EQ(window->windowTitle(), "Corvane - Demo Panel");
    EXPECT_TRUE(QFileInfo::exists(context->ProjectsRoot + "Demo Panel/Demo Panel.Corvane"));
    EXPECT_TRUE(QFileInfo::exists(context->SystemSettingsFolder + "Home.BMP"));
    const auto store = OpenMachineSettingsStoreAt(settingsFile());
    EXPECT_EQ(store->value("Current Status/Last Project Name").toString(), "Demo Panel");
    EXPECT_EQ(store->value("CNC Settings/Visual Home").toString(), "1");
    context->settings.visualHome = true;  // the demo machine's: the fixture turns it off

    EXPECT_EQ(startUpNotingDialogs(), QStringList{"Confirm Nozzle Selection"});
    EXPECT_TRUE(person.calls.isEmpty()) << person.calls.join("\n").toStdString();
    const auto* cameras = dynamic_cast<const CameraSet*>(context->cameras);
    ASSERT_NE(cameras, nullptr);
    EXPECT_TRUE(cameras->WCameraDown.GetActive());
    EXPECT_TRUE(cameras->WCameraUp.GetActive());
    EXPECT_EQ(text("LabelStatus"), "READY");
    EXPECT_EQ(text("LabelNozzle"), "NOZZLE 1");

    // Homing took up the displaced switches and squared the gantry; the demo parks over Home 1.
    const QJsonObject world = jsonOf(sim.worldJson());
    const double pixel = world["cameras"]["down"]["view_width"].toDouble() /
                         world["cameras"]["down"]["resolution"][0].toDouble();
    const MachineSettings& s = context->settings;
    EXPECT_NEAR(context->cnc.HomeOffsetX - s.home1X, -0.4, pixel);
    EXPECT_NEAR(context->cnc.HomeOffsetY - s.home1Y, 0.3, pixel);
    EXPECT_EQ(alignmentSwitches(), (std::vector<int>{1, 0}));
    const QJsonValue home1 = world["home_marks"][0];
    const QJsonObject head = jsonOf(sim.worldState())["head"].toObject();
    EXPECT_NEAR(head["x"].toDouble(), home1[0].toDouble(), pixel);
    EXPECT_NEAR(head["y"].toDouble(), home1[1].toDouble(), pixel);
}

// The demo's machine settings are a file of the program's own writer: the plain names the
// settings store writes, not the escaped ones of earlier versions ("CNC%20Settings").
TEST(DemoMachineSettingsTest, AreWrittenAsTheProgramWritesItsStore) {
    const QString demo = QStringLiteral(CORVANE_SOURCE_DIR "/demo/Machine Settings/Corvane 2.ini");
    MachineSettings settings;
    LoadMachineSettings(*OpenMachineSettingsStoreAt(demo), settings);
    QTemporaryDir scratch;
    const QString rewritten = scratch.filePath("Corvane 2.ini");
    ASSERT_TRUE(SaveMachineSettings(*OpenMachineSettingsStoreAt(rewritten), settings));
    QFile original(demo);
    QFile written(rewritten);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(original.readAll() == written.readAll());
}

}  // namespace
