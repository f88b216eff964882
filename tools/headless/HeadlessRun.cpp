#include "HeadlessRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <cmath>

#include "PolicyOperatorPort.h"
#include "RunSources.h"
#include "SimulatorSession.h"
#include "app/MachineControl.h"
#include "context/ProgramContext.h"
#include "context/SettingsPersistence.h"
#include "handling/Pick.h"
#include "motion/ControllerChoice.h"
#include "motion/Homing.h"
#include "project/BoardOrigin.h"
#include "project/BoardTransform.h"
#include "project/FeederList.h"
#include "project/ProjectFile.h"
#include "settings/MachineSettingsStore.h"
#include "vision/SimCameraProvider.h"

namespace {

// The simulator's two cameras as the machine sequences capture them: each frame rendered
// when it is asked for, showing the machine as it is then.
class SimulatedCameras : public FrameSource {
public:
    explicit SimulatedCameras(const MotrixApi* api) : provider_(SimCameraCalls::Of(api)) {
        for (const TWVideoCaptureDevice& device : provider_.devices()) {
            const int role = device.Name == SimCameraProvider::kUpName ? 1 : 0;
            backends_[role] = provider_.open(device);
            const QList<TWCameraFormat> formats =
                backends_[role] ? backends_[role]->formats() : QList<TWCameraFormat>();
            if (formats.isEmpty()) {
                backends_[role].reset();
            } else {
                backends_[role]->start(formats.front());
            }
        }
    }

    bool currentFrame(CameraRole camera, QImage& frame) override {
        const auto& backend = backends_[camera == CameraRole::Up ? 1 : 0];
        return backend && backend->grab(frame);
    }

private:
    SimCameraProvider provider_;
    std::unique_ptr<CameraBackend> backends_[2];
};

// The copies are the run's own: writable even when the originals are not, since tray picks
// save the project.
void copyFiles(const QString& from, const QString& to) {
    QDir().mkpath(to);
    if (from.isEmpty()) {
        return;  // no folder (QDir would take the working folder for it)
    }
    for (const QFileInfo& file : QDir(from).entryInfoList(QDir::Files)) {
        const QString copy = QDir(to).filePath(file.fileName());
        QFile::copy(file.absoluteFilePath(), copy);
        QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner);
    }
}

QString simulatorConfiguration(const HeadlessRunOptions& options) {
    QStringList lines;
    if (!options.linuxCnc) {
        lines << "mode=instant";  // LinuxCNC moves in real time
    }
    if (!options.worldFile.isEmpty()) {
        lines << "world=" + QFileInfo(options.worldFile).absoluteFilePath();
    }
    const auto pair = [&](const char* keyX, const char* keyY, const auto& value) {
        if (value) {
            lines << QString("%1=%2").arg(keyX).arg(value->first, 0, 'g', 17)
                  << QString("%1=%2").arg(keyY).arg(value->second, 0, 'g', 17);
        }
    };
    pair("board_offset_x", "board_offset_y", options.boardOffset);
    pair("home_switch_error_x", "home_switch_error_y", options.homeError);
    pair("pick_jitter_mm", "pick_jitter_deg", options.pickJitter);
    if (options.boardRotation) {
        lines << QString("board_rotation=%1").arg(*options.boardRotation, 0, 'g', 17);
    }
    if (options.seed) {
        lines << QString("seed=%1").arg(*options.seed);
    }
    return lines.join('\n');
}

QJsonArray reportList(const QByteArray& json, const char* key) {
    return QJsonDocument::fromJson(json).object().value(key).toArray();
}

TablePose poseOf(const QJsonObject& object) {
    return {object.value("x").toDouble(), object.value("y").toDouble(),
            object.value("angle").toDouble()};
}

// Where the run's copies go: memory when the system offers it, since the copies are thrown away
// and each place's settings save would otherwise wait for the disk.
QString scratchFolder() {
    const QFileInfo memory("/dev/shm");
    return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
}

// The user's files as the run's own copies: the project, the system snaps and the machine
// settings it runs with, in a temporary folder that goes when the run ends.
class Workspace {
public:
    bool prepare(const HeadlessRunOptions& options, ProgramContext& context, QString* error) {
        const std::optional<RunSources> sources =
            FindRunSources(options.projectFile, options.userSettingsFile, options.userSystemFolder);
        if (!sources || !disk_.isValid()) {
            *error = "no project file " + options.projectFile;
            return false;
        }
        const QString name = sources->projectName;
        context.ProjectsRoot = disk_.filePath("Corvane Projects") + "/";
        context.SystemSettingsFolder = disk_.filePath("Corvane System Settings") + "/";
        copyFiles(sources->projectFolder, context.ProjectsRoot + name);
        copyFiles(sources->systemSettingsFolder, context.SystemSettingsFolder);
        LoadRunMachineSettings(*sources, context.settings);
        const QString store = disk_.filePath("Corvane 2.ini");
        context.openSettingsStore = [store] { return OpenMachineSettingsStoreAt(store); };
        SaveMachineSettings(context);
        ProjectState& state = context.project;
        if (!LoadProject(state, context.settings, context.ProjectsRoot + name + "/", name)) {
            *error = "cannot read the project " + options.projectFile;
            return false;
        }
        state.ProjectOpen = true;
        state.ProjectModified = false;
        return true;
    }

private:
    QTemporaryDir disk_{scratchFolder() + "/corvane-run-XXXXXX"};
};

// Where the fiducial correction in force puts the current board: its origin's shift and its turn.
TablePose correctionAtOrigin(const ProjectState& project) {
    const QPointF origin = CorrectedBoardPosition(project, 0, 0);
    return {origin.x(), origin.y(), project.FiducialRotation};
}

// The world's boards as they truly lie: each origin's shift from its nominal place and the turn.
QMap<int, TablePose> trueBoardPlaces(const SimulatorSession& simulator) {
    QMap<int, TablePose> places;
    for (const QJsonValue value : reportList(simulator.worldState(), "boards")) {
        const QJsonObject board = value.toObject();
        places[board.value("board").toInt()] = {
            board.value("origin_x").toDouble() - board.value("nominal_x").toDouble(),
            board.value("origin_y").toDouble() - board.value("nominal_y").toDouble(),
            board.value("angle").toDouble()};
    }
    return places;
}

QString feederDescription(const ProjectState& project, int feeder) {
    const FeederRec* record = FeederAt(project, feeder);
    return record ? record->Description : QString();
}

// Follows the run through its part counters: each advance past a part is that part placed
// (or skipped, when disabled), and the world's newest drop is where it landed; the correction
// it was placed with is its board's.
class RunTracker {
public:
    RunTracker(ProgramContext& context, const SimulatorSession& simulator,
               const std::function<void(const QString&)>& progress)
        : context_(context), simulator_(simulator), progress_(progress) {}

    void start() {
        board_ = context_.project.CurrentPanelBoard;
        part_ = context_.project.CurrentPart;
    }

    void partListRefreshed() {
        const ProjectState& project = context_.project;
        if (project.CurrentPart == part_ && project.CurrentPanelBoard == board_) {
            return;
        }
        if (part_ >= 1 && part_ <= project.PartCount()) {
            const bool enabled = project.Parts[part_ - 1].Enabled;
            if (enabled) {
                dropOf_[{board_, part_}] = dropCount();
                measured_[board_] = correctionAtOrigin(project);
            }
            tell(board_, part_, enabled ? "placed" : "skipped (disabled)");
        }
        start();
    }

    // Every part of the run's boards in run order, placed or not, scored against the world.
    QList<PartOutcome> outcomes(int firstBoard, int lastBoard) const {
        const QJsonArray drops = reportList(simulator_.dropRecord(), "drops");
        QMap<QPair<int, QString>, TablePose> targets;
        for (const QJsonValue pad : reportList(simulator_.padTargets(), "pads")) {
            const QJsonObject object = pad.toObject();
            targets[{object.value("board").toInt(), object.value("designator").toString()}] =
                poseOf(object);
        }
        QList<PartOutcome> outcomes;
        const ProjectState& project = context_.project;
        for (int board = firstBoard; board <= lastBoard; ++board) {
            for (int part = 1; part <= project.PartCount(); ++part) {
                PartOutcome outcome;
                outcome.designator = project.Parts[part - 1].Designator;
                outcome.kind = feederDescription(project, project.Parts[part - 1].Feeder);
                outcome.board = board;
                outcome.enabled = project.Parts[part - 1].Enabled;
                const auto drop = dropOf_.constFind({board, part});
                outcome.placed = drop != dropOf_.constEnd();
                if (targets.contains({board, outcome.designator})) {
                    outcome.target = targets[{board, outcome.designator}];
                }
                if (outcome.placed && *drop >= 1 && *drop <= drops.size()) {
                    const QJsonObject landed = drops[*drop - 1].toObject();
                    if (landed.value("place").toString() != "reject_tray") {
                        outcome.actual = poseOf(landed);
                    }
                }
                outcomes << outcome;
            }
        }
        return outcomes;
    }

    // The run's boards: the correction each was placed with beside the world's truth.
    QList<BoardOutcome> boards(int firstBoard, int lastBoard) const {
        const QMap<int, TablePose> truth = trueBoardPlaces(simulator_);
        QList<BoardOutcome> boards;
        for (int board = firstBoard; board <= lastBoard; ++board) {
            BoardOutcome outcome{board, std::nullopt, std::nullopt};
            if (measured_.contains(board)) {
                outcome.measured = measured_[board];
            }
            if (truth.contains(board)) {
                outcome.truth = truth[board];
            }
            boards << outcome;
        }
        return boards;
    }

    void tellUnplaced(int firstBoard, int lastBoard) const {
        for (int board = firstBoard; board <= lastBoard; ++board) {
            for (int part = 1; part <= context_.project.PartCount(); ++part) {
                if (context_.project.Parts[part - 1].Enabled && !dropOf_.contains({board, part})) {
                    tell(board, part, "not placed");
                }
            }
        }
    }

private:
    int dropCount() const {
        return QJsonDocument::fromJson(simulator_.worldState()).object().value("drops").toInt();
    }

    void tell(int board, int part, const QString& what) const {
        if (progress_) {
            const ProjectState& project = context_.project;
            progress_(QString("board %1 part %2/%3 %4 %5")
                          .arg(board)
                          .arg(part)
                          .arg(project.PartCount())
                          .arg(project.Parts[part - 1].Designator, what));
        }
    }

    ProgramContext& context_;
    const SimulatorSession& simulator_;
    std::function<void(const QString&)> progress_;
    int board_ = 0;
    int part_ = 0;
    QMap<QPair<int, int>, int> dropOf_;  // (board, part) -> 1-based index in the drop record
    QMap<int, TablePose> measured_;      // board -> the correction its parts were placed with
};

// A text as it is said and shown, without its punctuation.
QString plainWords(const QString& text) {
    return QString(text).remove('.').remove('!').simplified();
}

// Why a run that did not place every part stopped: the last message it showed, the part the
// counters stopped on, and the last failure it spoke before.
QString stopReason(const PolicyOperatorPort& port, const ProjectState& project) {
    QString shown;
    QStringList said;
    for (const QString& message : port.messages()) {
        const QString text = message.section(": ", 1);
        if (message.startsWith("error: ") || message.startsWith("information: ")) {
            shown = text;
        } else if (message.startsWith("said: ")) {
            said << text;
        }
    }
    QString failure;  // the last one that is not the shown message said aloud
    for (const QString& text : said) {
        if (plainWords(text) != plainWords(shown)) {
            failure = text;
        }
    }
    QString reason = shown.isEmpty() ? "the run ended before every part was placed" : shown;
    if (project.CurrentPart >= 1 && project.CurrentPart <= project.PartCount()) {
        reason += QString(" at %1 of board %2")
                      .arg(project.Parts[project.CurrentPart - 1].Designator)
                      .arg(project.CurrentPanelBoard);
    }
    return failure.isEmpty() ? reason : reason + "; last failure: " + failure;
}

// The world's tray under the first pocket of the project's tray feeder `feeder`: the nearest
// within 5 mm of where the machine picks its first part. 0 when there is none.
int worldTrayOf(const ProgramContext& context, const SimulatorSession& simulator, int feeder) {
    constexpr double kReach = 5;
    const FeederRec& tray = context.project.Feeders[feeder - 1];
    const double x = tray.X + context.cnc.HomeOffsetX;
    const double y = tray.Y + context.cnc.HomeOffsetY;
    const QJsonArray feeders = reportList(simulator.worldFile(), "feeders");
    int nearest = 0;
    double nearestDistance = kReach;
    for (int i = 0; i < feeders.size(); ++i) {
        const QJsonObject world = feeders[i].toObject();
        const QJsonArray pick = world.value("pick").toArray();
        const double distance = std::hypot(pick[0].toDouble() - x, pick[1].toDouble() - y);
        if (world.value("type").toString() == "tray" && distance <= nearestDistance) {
            nearest = i + 1;
            nearestDistance = distance;
        }
    }
    return nearest;
}

// The operator of a headless run refills an announced tray at once.
void refillAnnouncedTray(const ProgramContext& context, const SimulatorSession& simulator,
                         const QString& text) {
    const int feeder = context.project.TrayRefillPendingFeeder;
    if (feeder >= 1 && feeder <= context.project.FeederCount() &&
        text == TrayRefillText(context.project, feeder)) {
        if (const int tray = worldTrayOf(context, simulator, feeder)) {
            simulator.refillTray(tray);
        }
    }
}

// Homes the machine as the program's start-up does. False, with the reason, when it cannot.
bool startMachine(ProgramContext& context, QString& reason) {
    MotrixCNC& cnc = context.cnc;
    if (!cnc.InitialiseController()) {
        reason = cnc.ControllerFound ? "FAILED TO INITIALISE CNC CONTROLLER"
                                     : "FAILED TO LOCATE CNC CONTROLLER";
        return false;
    }
    if (!Home(context) || !Usable(context)) {
        reason = "homing failed";
        return false;
    }
    return true;
}

// The run's machine settings choose LinuxCNC at the address given.
void chooseLinuxCnc(MachineSettings& settings, const LinuxCncAddress& address) {
    settings.controller = kControllerLinuxCnc;
    settings.linuxCncHost = address.host;
    settings.linuxCncPort = address.port;
}

// A run without cameras: homing takes the taught home, no feeder measures its part and no
// fiducial is looked at.
void leaveOutVision(ProgramContext& context) {
    context.settings.visualHome = false;
    for (FeederRec& feeder : context.project.Feeders) {
        feeder.Use_Vision = false;
    }
    context.project.FiducialEnable = false;
}

}  // namespace

std::optional<double> PartOutcome::errorMm() const {
    if (!target || !actual) {
        return std::nullopt;
    }
    return std::hypot(actual->x - target->x, actual->y - target->y);
}

std::optional<double> PartOutcome::errorDeg() const {
    if (!target || !actual) {
        return std::nullopt;
    }
    const double turn = std::remainder(actual->angle - target->angle, 360.0);
    return turn == -180 ? 180 : turn;
}

int HeadlessRunReport::partsPlaced() const {
    return static_cast<int>(std::count_if(parts.begin(), parts.end(),
                                          [](const PartOutcome& part) { return part.placed; }));
}

int HeadlessRunReport::partsFailed() const {
    return static_cast<int>(std::count_if(parts.begin(), parts.end(), [](const PartOutcome& part) {
        return part.enabled && !part.placed;
    }));
}

double HeadlessRunReport::maxErrorMm() const {
    double largest = 0;
    for (const PartOutcome& part : parts) {
        largest = std::max(largest, part.errorMm().value_or(0));
    }
    return largest;
}

double HeadlessRunReport::rmsErrorMm() const {
    double sum = 0;
    int count = 0;
    for (const PartOutcome& part : parts) {
        if (const auto error = part.errorMm()) {
            sum += *error * *error;
            ++count;
        }
    }
    return count > 0 ? std::sqrt(sum / count) : 0;
}

double HeadlessRunReport::maxErrorDeg() const {
    double largest = 0;
    for (const PartOutcome& part : parts) {
        largest = std::max(largest, std::abs(part.errorDeg().value_or(0)));
    }
    return largest;
}

QList<PartKindOutcome> HeadlessRunReport::partKinds() const {
    QList<PartKindOutcome> kinds;
    QMap<QString, double> squares;
    for (const PartOutcome& part : parts) {
        const std::optional<double> error = part.errorDeg();
        if (!error) {
            continue;
        }
        auto kind = std::find_if(kinds.begin(), kinds.end(), [&](const PartKindOutcome& known) {
            return known.kind == part.kind;
        });
        if (kind == kinds.end()) {
            kinds << PartKindOutcome{part.kind};
            kind = kinds.end() - 1;
        }
        ++kind->parts;
        kind->maxErrorDeg = std::max(kind->maxErrorDeg, std::abs(*error));
        squares[part.kind] += *error * *error;
    }
    for (PartKindOutcome& kind : kinds) {
        kind.rmsErrorDeg = std::sqrt(squares[kind.kind] / kind.parts);
    }
    return kinds;
}

std::optional<HeadlessRunReport> RunHeadless(const HeadlessRunOptions& options, QString* error) {
    QElapsedTimer wall;
    wall.start();
    const auto simulator = SimulatorSession::Open(options.simulatorLibrary, error);
    if (!simulator) {
        return std::nullopt;
    }
    if (!simulator->configure(simulatorConfiguration(options))) {
        *error = "the simulated world cannot be set up as asked";
        return std::nullopt;
    }
    // LinuxCNC takes the time its motions take; the simulator's instant mode takes none.
    RealClock realClock;
    VirtualClock virtualClock;
    Clock& clock = options.linuxCnc ? static_cast<Clock&>(realClock) : virtualClock;
    PolicyOperatorPort port(options.runOnAfterFiducialFailure);
    ProgramContext context(clock, port);
    context.cnc.attach(simulator->api());
    SimulatedCameras cameras(simulator->api().get());
    context.cameras = &cameras;
    Workspace workspace;
    if (!workspace.prepare(options, context, error)) {
        return std::nullopt;
    }
    if (options.linuxCnc) {
        chooseLinuxCnc(context.settings, *options.linuxCnc);
    }
    ProjectState& project = context.project;
    if (options.withoutVision) {
        leaveOutVision(context);
    }
    port.onButtonUpdate = [&context] { RefreshOutputsAndNozzle(context); };
    port.onInformation = [&context, &simulator](const QString& text) {
        refillAnnouncedTray(context, *simulator, text);
    };
    RunTracker tracker(context, *simulator, options.progress);
    port.onPartListUpdate = [&tracker] { tracker.partListRefreshed(); };

    HeadlessRunReport report;
    report.controller = options.linuxCnc ? "linuxcnc" : "simulator";
    const int firstBoard = options.kind == RunKind::Panel ? 1 : project.CurrentPanelBoard;
    const int lastBoard = options.kind == RunKind::Panel ? BoardCount(project) : firstBoard;
    if (startMachine(context, report.reason)) {
        project.CurrentPart = std::min(1, project.PartCount());  // no start question
        project.CurrentPanelBoard = firstBoard;
        tracker.start();
        simulator->startMotionClock();
        const double started = clock.now();
        QElapsedTimer cycle;
        cycle.start();
        StartRun(context, options.kind);
        report.cycleWallSeconds = cycle.nsecsElapsed() / 1e9;
        report.machineSeconds = clock.now() - started + simulator->takeMotionSeconds();
    }
    report.parts = tracker.outcomes(firstBoard, lastBoard);
    report.boards = tracker.boards(firstBoard, lastBoard);
    report.finished = report.reason.isEmpty() && report.partsFailed() == 0;
    if (!report.finished) {
        tracker.tellUnplaced(firstBoard, lastBoard);
        if (report.reason.isEmpty()) {
            report.reason = port.fiducialFailureAsked() && !options.runOnAfterFiducialFailure
                                ? "fiducial check failed"
                                : stopReason(port, project);
        }
    }
    report.messages = port.messages();
    report.wallSeconds = wall.elapsed() / 1000.0;
    return report;
}
