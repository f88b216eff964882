// The fault matrix: every machine sequence crossed with every fault the simulator can inject,
// on the simulated world in virtual time. Each cell checks that the sequence ends within its
// budget, that the operator gets one clear message (none when the fault cannot touch the
// sequence, which then ends as it does without the fault), that the vacuum, blow, actuator
// and dispenser end off, that PartOnNozzle tells the truth, that the settings and project
// files on disk are whole, and that RESET with its HOME brings the machine back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <optional>
#include <random>

#include "app/MachineControl.h"
#include "faults/FaultMachine.h"
#include "faults/Sequences.h"
#include "motion/Homing.h"
#include "settings/MachineSettingsStore.h"
#include "support/FileSizeLimit.h"

namespace {

enum class Fault {
    None,
    SetUpRefused,
    BusyBurst,
    BusyStorm,
    MotionNeverFinishes,
    ControllerSilent,
    EmergencyStop,
    DownCameraNoFrame,
    UpCameraNoFrame,
    SnapMissing,
    SnapDamaged,
    DiskFull,
    ReadOnlyFolder,
};

const QString kNotResponding = "CNC CONTROLLER NOT RESPONDING!";
const QString kNotAnswering =
    "CNC CONTROLLER NOT RESPONDING!\rCHECK ITS POWER AND ITS CABLE, THEN PRESS RESET: ITS "
    "OUTPUTS MAY STILL BE ON.";

bool never(const MachineSequence&) {
    return false;
}
bool always(const MachineSequence&) {
    return true;
}

// What a fault does to the sequences it can touch.
struct FaultSpec {
    Fault fault;
    const char* name;
    // Seeded instants tried per sequence: a fault that strikes mid-sequence strikes somewhere
    // else in each.
    int instants;
    bool (*touches)(const MachineSequence&);
    // The one dialog a touched sequence shows: the text, or its beginning.
    QStringList messages;
    // Striking after the sequence's last use of what it breaks, it leaves the sequence as it is.
    bool mayMiss = false;
    // The sequence may tell it as a failure of its own step (MachineSequence::failureDialogs).
    bool toldAsStepFailure = false;
};

const FaultSpec kFaults[] = {
    {Fault::None, "None", 1, never, {}},
    {Fault::SetUpRefused,
     "SetUpRefused",
     1,
     [](const MachineSequence& s) { return s.initialisesController; },
     {"FAILED TO INITIALISE CNC CONTROLLER!"}},
    {Fault::BusyBurst, "BusyBurst", 3, never, {}},
    {Fault::BusyStorm, "BusyStorm", 3, always, {kNotResponding}, true},
    {Fault::MotionNeverFinishes, "MotionNeverFinishes", 3, always, {kNotResponding}, true},
    {Fault::ControllerSilent,
     "ControllerSilent",
     3,
     always,
     {kNotAnswering, "FAILED TO LOCATE CNC CONTROLLER!", "FAILED TO INITIALISE CNC CONTROLLER!"}},
    {Fault::EmergencyStop, "EmergencyStop", 3, always, {}, true},
    {Fault::DownCameraNoFrame,
     "DownCameraNoFrame",
     1,
     [](const MachineSequence& s) { return s.usesDownCamera; },
     {"CAMERA FAILED!"},
     false,
     true},
    {Fault::UpCameraNoFrame,
     "UpCameraNoFrame",
     1,
     [](const MachineSequence& s) { return s.usesUpCamera; },
     {"CAMERA FAILED!"},
     false,
     true},
    {Fault::SnapMissing,
     "SnapMissing",
     1,
     [](const MachineSequence& s) { return !s.snaps.isEmpty(); },
     {"SNAP IMAGE ", "CORRELATION FAILED!"},
     false,
     true},
    {Fault::SnapDamaged,
     "SnapDamaged",
     1,
     [](const MachineSequence& s) { return !s.snaps.isEmpty(); },
     {"SNAP IMAGE ", "CORRELATION FAILED!"},
     false,
     true},
    {Fault::DiskFull,
     "DiskFull",
     1,
     [](const MachineSequence& s) { return s.savesSettings || s.savesProject; },
     {"FAILED TO SAVE THE MACHINE SETTINGS ", "FAILED TO SAVE THE PROJECT "}},
    {Fault::ReadOnlyFolder,
     "ReadOnlyFolder",
     1,
     [](const MachineSequence& s) { return s.savesSettings || s.savesProject; },
     {"FAILED TO SAVE THE MACHINE SETTINGS ", "FAILED TO SAVE THE PROJECT "}},
};

// How a sequence ran.
struct SequenceRun {
    bool hung = false;
    bool result = false;
    int calls = 0;   // controller calls
    int rounds = 0;  // message rounds
    double seconds = 0;
    QStringList dialogs;  // boxes and questions
};

// The dialogs of `run` beyond those the sequence shows without a fault (its confirmations).
QStringList addedDialogs(const SequenceRun& run, const SequenceRun& clean) {
    QStringList added = run.dialogs;
    for (const QString& usual : clean.dialogs) {
        added.removeOne(usual);
    }
    return added;
}

SequenceRun runSequence(FaultMachine& machine, const MachineSequence& sequence) {
    SequenceRun run;
    const double start = machine.clock.now();
    const int rounds = machine.port.eventRounds;
    try {
        run.result = sequence.run(machine);
    } catch (const SequenceHung&) {
        run.hung = true;
    }
    run.calls = static_cast<int>(machine.sim.commands().size());
    run.rounds = machine.port.eventRounds - rounds;
    run.seconds = machine.clock.now() - start;
    run.dialogs = machine.port.dialogs();
    return run;
}

void arrange(FaultMachine& machine, const MachineSequence& sequence) {
    machine.powerUpAndHome();
    if (sequence.arrange) {
        sequence.arrange(machine);
    }
    machine.sim.clearLog();
    machine.port.calls.clear();
}

// The sequence without a fault, once per sequence: what a fault that cannot touch it must
// leave as it is, and the span (calls, rounds) in which a fault strikes.
const SequenceRun& cleanRun(std::size_t sequenceIndex) {
    static std::map<std::size_t, SequenceRun> runs;
    const auto found = runs.find(sequenceIndex);
    if (found != runs.end()) {
        return found->second;
    }
    FaultMachine machine;
    const MachineSequence& sequence = MachineSequences()[sequenceIndex];
    arrange(machine, sequence);
    return runs[sequenceIndex] = runSequence(machine, sequence);
}

// The files of the sequence's snaps, in the system settings or the project folder.
QStringList snapFiles(const FaultMachine& machine, const MachineSequence& sequence) {
    QStringList files;
    for (const QString& folder :
         {machine.context.SystemSettingsFolder, machine.context.project.ProjectFolder}) {
        for (const QString& name : QDir(folder).entryList({"*.bmp"}, QDir::Files)) {
            if (sequence.snaps.contains(QFileInfo(name).completeBaseName())) {
                files << QDir(folder).filePath(name);
            }
        }
    }
    return files;
}

// A fault made to happen, and undone when the operator has put its cause right.
class Injection {
public:
    Injection(FaultMachine& machine, const MachineSequence& sequence, Fault fault,
              const SequenceRun& clean, std::uint32_t seed)
        : machine_(machine), sequence_(sequence), fault_(fault), random_(seed) {
        inject(clean);
    }
    ~Injection() { putRight(); }

    // The log's length when the emergency stop was pressed; none when it was not.
    std::optional<std::size_t> stopPressedAt() const { return stopPressedAt_; }
    // The outputs a fault must not leave on, right after the press.
    int outputsAfterStop() const { return outputsAfterStop_; }

    // The cause put right: the controller answers, the cameras deliver, the snaps are back,
    // the disk has room.
    void putRight() {
        diskFull_.reset();
        machine_.port.onProcessEvents = nullptr;
        machine_.sim.injectFaults("");
        for (const auto& [path, bytes] : savedSnaps_) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(bytes);
            }
        }
        savedSnaps_.clear();
        unblockSaves();
    }

private:
    int between(int first, int last) {
        return std::uniform_int_distribution<int>(first, std::max(first, last))(random_);
    }
    // A controller fault from a seeded call of the sequence on.
    void controllerFault(const SequenceRun& clean, const std::string& fault) {
        machine_.sim.injectFaults(
            "fault_after_calls=" + std::to_string(between(0, clean.calls - 1)) + "\n" + fault);
    }
    // The operator's emergency stop, pressed at a seeded round of message handling: where a
    // click on the button is handled while the sequence runs.
    void pressStopAtARound(const SequenceRun& clean) {
        const int round = machine_.port.eventRounds + between(1, clean.rounds);
        machine_.port.onProcessEvents = [this, round] {
            if (machine_.port.eventRounds == round) {
                stopPressedAt_ = machine_.sim.commands().size();
                PressEmergencyStop(machine_.context);  // its refresh switches the outputs off
                outputsAfterStop_ = machine_.handlingOutputs();
            }
        };
    }
    void breakSnaps() {
        for (const QString& path : snapFiles(machine_, sequence_)) {
            const QByteArray bytes = FileBytes(path);
            savedSnaps_.emplace_back(path, bytes);
            QFile::remove(path);
            if (fault_ == Fault::SnapDamaged) {
                QFile file(path);  // a copy that broke off half-way
                if (file.open(QIODevice::WriteOnly)) {
                    file.write(bytes.left(bytes.size() / 2));
                }
            }
        }
    }
    // Permissions do not bind root, so nothing is made read-only: the store's folder is a file,
    // which nobody can write into, and the project file is a folder, which no save replaces.
    // Everything the sequence reads stays readable.
    void blockSaves() {
        const QString blocked = machine_.diskPath("blocked");
        QFile file(blocked);
        if (!file.open(QIODevice::WriteOnly)) {
            throw std::runtime_error("cannot block the store's folder");
        }
        savedStore_ = machine_.context.openSettingsStore;
        const QString store = blocked + "/Corvane 2.ini";
        machine_.context.openSettingsStore = [store] { return OpenMachineSettingsStoreAt(store); };
        const QString project = machine_.projectFilePath();
        if (!QFile::rename(project, project + ".aside") || !QDir().mkdir(project)) {
            throw std::runtime_error("cannot block the project file");
        }
        projectBlocked_ = true;
    }
    void unblockSaves() {
        if (savedStore_) {
            machine_.context.openSettingsStore = *savedStore_;
            savedStore_.reset();
        }
        if (projectBlocked_) {
            const QString project = machine_.projectFilePath();
            QDir().rmdir(project);
            QFile::rename(project + ".aside", project);
            projectBlocked_ = false;
        }
    }

    void inject(const SequenceRun& clean) {
        switch (fault_) {
            case Fault::None:
                break;
            case Fault::SetUpRefused:
                machine_.sim.injectFaults("fault_max_speed_refused=1");
                break;
            case Fault::BusyBurst:
                controllerFault(clean, "fault_busy_answers=40");
                break;
            case Fault::BusyStorm:
                controllerFault(clean, "fault_busy_answers=100000000");
                break;
            case Fault::MotionNeverFinishes:
                controllerFault(clean, "fault_motion_never_finishes=1");
                break;
            case Fault::ControllerSilent:
                controllerFault(clean, "fault_unanswered=1");
                break;
            case Fault::EmergencyStop:
                pressStopAtARound(clean);
                break;
            case Fault::DownCameraNoFrame:
                machine_.sim.injectFaults("camera_down_no_frame=1");
                break;
            case Fault::UpCameraNoFrame:
                machine_.sim.injectFaults("camera_up_no_frame=1");
                break;
            case Fault::SnapMissing:
            case Fault::SnapDamaged:
                breakSnaps();
                break;
            case Fault::DiskFull:
                // No file may grow past 1 kB: every save breaks off half-way, as on a full disk.
                diskFull_.emplace(1024);
                break;
            case Fault::ReadOnlyFolder:
                blockSaves();
                break;
        }
    }

    FaultMachine& machine_;
    const MachineSequence& sequence_;
    Fault fault_;
    std::mt19937 random_;
    std::optional<FileSizeLimit> diskFull_;
    std::vector<std::pair<QString, QByteArray>> savedSnaps_;
    std::optional<std::function<std::unique_ptr<QSettings>()>> savedStore_;
    bool projectBlocked_ = false;
    std::optional<std::size_t> stopPressedAt_;
    int outputsAfterStop_ = -1;
};

struct Cell {
    std::size_t sequence;
    std::size_t fault;
};

std::vector<Cell> everyCell() {
    std::vector<Cell> cells;
    for (std::size_t sequence = 0; sequence < MachineSequences().size(); ++sequence) {
        for (std::size_t fault = 0; fault < std::size(kFaults); ++fault) {
            cells.push_back({sequence, fault});
        }
    }
    return cells;
}

std::string cellName(const ::testing::TestParamInfo<Cell>& info) {
    return std::string(MachineSequences()[info.param.sequence].name) + "_" +
           kFaults[info.param.fault].name;
}

class FaultMatrixTest : public ::testing::TestWithParam<Cell> {
protected:
    const MachineSequence& sequence() const { return MachineSequences()[GetParam().sequence]; }
    const FaultSpec& spec() const { return kFaults[GetParam().fault]; }

    void runAtInstant(int instant);
    void expectOneClearMessage(const SequenceRun& run, const SequenceRun& clean);
    void expectStopped(const FaultMachine& machine, const Injection& injection);
    void expectOutputsSafe(FaultMachine& machine);
    void expectRecovery(FaultMachine& machine);
};

void FaultMatrixTest::expectOneClearMessage(const SequenceRun& run, const SequenceRun& clean) {
    const QStringList added = addedDialogs(run, clean);
    const std::string shown = added.join(" | ").toStdString();
    const bool touched = spec().touches(sequence());
    if (!touched || (spec().mayMiss && added.isEmpty() && run.result == clean.result)) {
        EXPECT_TRUE(added.isEmpty()) << shown;
        EXPECT_EQ(run.result, clean.result) << "a fault that cannot touch it changed it";
        return;
    }
    if (spec().messages.isEmpty()) {  // the stop shows itself on the status line
        EXPECT_TRUE(added.isEmpty()) << shown;
        return;
    }
    ASSERT_EQ(added.size(), 1) << shown;
    QStringList accepted = spec().messages;
    if (spec().toldAsStepFailure) {
        accepted << sequence().failureDialogs;
    }
    const QString dialog = added.front().section(": ", 1);
    const bool clear =
        std::any_of(accepted.begin(), accepted.end(),
                    [&dialog](const QString& text) { return dialog.startsWith(text); });
    EXPECT_TRUE(clear) << shown;
}

// The stop pressed mid-sequence: nothing moves after it, the run flags are clear, the outputs
// went off at the refresh that followed.
void FaultMatrixTest::expectStopped(const FaultMachine& machine, const Injection& injection) {
    ASSERT_TRUE(injection.stopPressedAt().has_value());
    EXPECT_EQ(injection.outputsAfterStop(), 0);
    EXPECT_TRUE(machine.cnc.EmergencyStop);
    EXPECT_FALSE(machine.context.cycle.running());
    EXPECT_FALSE(machine.context.cycle.PauseRequested);
    const std::vector<SimCommand> log = machine.sim.commands();
    for (std::size_t at = *injection.stopPressedAt(); at < log.size(); ++at) {
        EXPECT_FALSE(IsMotion(log[at])) << log[at];
    }
    EXPECT_EQ(machine.handlingOutputs(), 0);
}

// Off at the end, unless a part is held on purpose (on the vacuum alone, and known to be).
// A controller that stopped answering cannot be told anything: it is said so, and RESET
// switches them off.
void FaultMatrixTest::expectOutputsSafe(FaultMachine& machine) {
    if (spec().fault == Fault::ControllerSilent) {
        return;
    }
    const bool heldOnPurpose = machine.context.cycle.PartOnNozzle && machine.partHeld() &&
                               machine.handlingOutputs() == 16 && !machine.cnc.EmergencyStop;
    EXPECT_TRUE(machine.handlingOutputs() == 0 || heldOnPurpose) << machine.handlingOutputs();
}

// The cause put right, RESET re-initialises the controller and homes with the camera (the RESET
// button's HOME): usable again, the outputs off, nothing to say.
void FaultMatrixTest::expectRecovery(FaultMachine& machine) {
    machine.port.calls.clear();
    EXPECT_TRUE(PressReset(machine.context)) << machine.port.dialogs().join(" | ").toStdString();
    EXPECT_EQ(machine.handlingOutputs(), 0);
    EXPECT_TRUE(Usable(machine.context));
    EXPECT_TRUE(machine.port.dialogs().isEmpty())
        << machine.port.dialogs().join(" | ").toStdString();
}

void FaultMatrixTest::runAtInstant(int instant) {
    const SequenceRun& clean = cleanRun(GetParam().sequence);
    FaultMachine machine;
    arrange(machine, sequence());
    const QByteArray settingsBefore = FileBytes(machine.storePath());
    const QByteArray projectBefore = FileBytes(machine.projectFilePath());
    const auto seed =
        static_cast<std::uint32_t>(1000 * GetParam().sequence + 10 * GetParam().fault + instant);
    Injection injection(machine, sequence(), spec().fault, clean, seed);
    // The budget: the clean run's time twice over, plus the controller layer's longest wait
    // for a motion that does not finish.
    machine.clock.allow(2 * clean.seconds + 1000);
    machine.port.roundBudget = machine.port.eventRounds + 10 * clean.rounds + 100000;
    const SequenceRun run = runSequence(machine, sequence());
    injection.putRight();
    machine.clock.allow(1e9);
    machine.port.roundBudget = 1 << 30;

    ASSERT_FALSE(run.hung);
    expectOneClearMessage(run, clean);
    if (spec().fault == Fault::EmergencyStop) {
        expectStopped(machine, injection);
    }
    expectOutputsSafe(machine);
    EXPECT_EQ(machine.context.cycle.PartOnNozzle, machine.partHeld());
    const QByteArray settingsAfter = FileBytes(machine.storePath());
    EXPECT_TRUE(settingsAfter == settingsBefore || SettingsFileWhole(machine.storePath()));
    const QByteArray projectAfter = FileBytes(machine.projectFilePath());
    EXPECT_TRUE(projectAfter == projectBefore || ProjectFileWhole(machine.projectFilePath()));
    expectRecovery(machine);
}

TEST_P(FaultMatrixTest, EndsSafelyTellsOnceAndRecovers) {
    const SequenceRun& clean = cleanRun(GetParam().sequence);
    ASSERT_FALSE(clean.hung);
    ASSERT_TRUE(clean.result) << clean.dialogs.join(" | ").toStdString();
    for (const QString& dialog : clean.dialogs) {
        ASSERT_TRUE(dialog.startsWith("ask")) << "only its confirmations: " << dialog.toStdString();
    }
    for (int instant = 0; instant < spec().instants; ++instant) {
        SCOPED_TRACE("instant " + std::to_string(instant));
        runAtInstant(instant);
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, FaultMatrixTest, ::testing::ValuesIn(everyCell()), cellName);

}  // namespace
