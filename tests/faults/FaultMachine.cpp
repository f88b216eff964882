#include "faults/FaultMachine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/MachineControl.h"
#include "context/SettingsPersistence.h"
#include "motion/Homing.h"
#include "project/BoardOrigin.h"
#include "project/ProjectFile.h"
#include "settings/MachineSettingsStore.h"
#include "support/SimCameras.h"

namespace {

const QString kDemoProject = QStringLiteral("Demo Panel");

// Copies every file of `from` into `to`, which is created. Byte by byte: a scratch copy needs
// none of the disk syncs of QFile::copy, which would cost more than a whole cell's run.
void copyWithoutSyncs(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile source(QDir(from).filePath(name));
        QFile copy(QDir(to).filePath(name));
        if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly) ||
            copy.write(source.readAll()) != source.size()) {
            throw std::runtime_error("cannot copy " + name.toStdString());
        }
    }
}

constexpr int kHandlingOutputs = 8 | 16 | 32 | 64;  // actuator, vacuum, blow, dispenser

}  // namespace

bool IsMotion(const SimCommand& command) {
    return command.name == "MotrixLinearMove" || command.name == "MotrixRapidMove" ||
           command.name == "MotrixHome" || command.name == "MotrixIndexMove" ||
           command.name == "MotrixQuadrantArcMoveCW" || command.name == "MotrixQuadrantArcMoveCCW";
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SettingsFileWhole(const QString& path) {
    MachineSettings settings;
    LoadMachineSettings(*OpenMachineSettingsStoreAt(path), settings);
    QTemporaryDir scratch;
    const QString copy = scratch.filePath("copy.ini");
    return SaveMachineSettings(*OpenMachineSettingsStoreAt(copy), settings) &&
           FileBytes(copy) == FileBytes(path);
}

bool ProjectFileWhole(const QString& path) {
    ProjectState project;
    QString problem;
    return ReadProjectFile(path, project, problem) && ProjectFileText(project) == FileBytes(path);
}

void BudgetClock::sleep(double seconds) {
    if (seconds > 0) {
        time_ += seconds;
    }
    if (time_ > deadline_) {
        throw SequenceHung("the sequence waited past its budget of virtual time");
    }
}

void FaultPort::handlePendingMessages() {
    if (eventRounds >= roundBudget) {
        throw SequenceHung("the sequence handled messages past its budget of rounds");
    }
    ScriptedOperatorPort::handlePendingMessages();
}

QStringList FaultPort::dialogs() const {
    QStringList shown;
    for (const QString& call : calls) {
        if (call.startsWith("error: ") || call.startsWith("information: ") ||
            call.startsWith("ask") || call.startsWith("choice: ")) {
            shown << call;
        }
    }
    return shown;
}

FaultMachine::FaultMachine() {
    if (!disk.isValid()) {
        throw std::runtime_error("no scratch folder");
    }
    bindController();
    installDemo();
    startCameras();
    port.onUpdateButtons = [this] { RefreshOutputsAndNozzle(context); };
}

void FaultMachine::bindController() {
    QString error;
    auto api = MotrixApi::Bind(CORVANE_SIM_LIBRARY, &error);
    if (!api) {
        throw std::runtime_error(error.toStdString());
    }
    cnc.attach(std::move(api));
}

void FaultMachine::startCameras() {
    cameras = StartSimCameras(cnc.api());
    if (!cameras) {
        throw std::runtime_error("the simulator renders no cameras");
    }
    context.cameras = cameras.get();
}

// The demo machine and project, as a first start installs them.
void FaultMachine::installDemo() {
    copyWithoutSyncs(kDemoFolder + "Machine Settings", disk.filePath("Store"));
    const QString store = storePath();
    context.openSettingsStore = [store] { return OpenMachineSettingsStoreAt(store); };
    LoadMachineSettings(context);
    context.SystemSettingsFolder = disk.filePath("System") + "/";
    context.ProjectsRoot = disk.filePath("Projects") + "/";
    copyWithoutSyncs(kDemoFolder + "System Settings", context.SystemSettingsFolder);
    const QString projectFolder = context.ProjectsRoot + kDemoProject + "/";
    copyWithoutSyncs(kDemoFolder + kDemoProject, projectFolder);
    ProjectState& project = context.project;
    if (!LoadProject(project, context.settings, projectFolder, kDemoProject)) {
        throw std::runtime_error("cannot load the demo project");
    }
    project.ProjectOpen = true;
    RecomputeBoardOrigin(project);
}

void FaultMachine::powerUpAndHome(const std::string& simulator) {
    sim.configure(simulator);
    if (!cnc.InitialiseController()) {
        throw std::runtime_error("the simulated controller cannot be initialised");
    }
    MachineSettings& settings = context.settings;
    const bool visualHome = settings.visualHome;
    settings.visualHome = false;
    const bool homed = Home(context);
    settings.visualHome = visualHome;
    if (!homed) {
        throw std::runtime_error("the simulated machine cannot be homed");
    }
    sim.clearLog();
    port.calls.clear();
}

bool FaultMachine::partHeld() const {
    const QJsonObject state =
        QJsonDocument::fromJson(QByteArray::fromStdString(sim.worldState())).object();
    return state["held_part"].isObject();
}

int FaultMachine::handlingOutputs() const {
    return outputs() & kHandlingOutputs;
}

QString FaultMachine::projectFilePath() const {
    return ProjectFilePath(context.project.ProjectFolder, context.project.ProjectName);
}
