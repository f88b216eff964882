// The program on LinuxCNC (started by `make linuxcnc-sim`): the round trip of each kind of
// controller command through the LinuxCNC library, and one demo board, which should take under
// 2 minutes. Each benchmark is skipped when no LinuxCNC answers on port 5007.
#include <benchmark/benchmark.h>

#include <QString>
#include <QTemporaryDir>

#include "HeadlessRun.h"
#include "PolicyOperatorPort.h"
#include "RemoteShell.h"
#include "context/ProgramContext.h"
#include "motion/ControllerChoice.h"
#include "motion/Homing.h"

namespace {

// The program's controller layer on LinuxCNC, homed; null when LinuxCNC does not answer.
struct LinuxCncMachine {
    static std::unique_ptr<LinuxCncMachine> Start(benchmark::State& state) {
        linuxcnc::RemoteShell probe;
        QString error;
        auto api = MotrixApi::Bind(CORVANE_LINUXCNC_LIBRARY, &error);
        if (!api || !probe.connect("127.0.0.1", 5007, linuxcnc::RemoteShell::Seconds(5),
                                   linuxcnc::RemoteShell::Role::Watch)) {
            state.SkipWithError("no LinuxCNC answers on port 5007 (make linuxcnc-sim)");
            return nullptr;
        }
        auto machine = std::make_unique<LinuxCncMachine>();
        ProgramContext& context = machine->context;
        context.cnc.attach(std::move(api));
        context.settings.controller = kControllerLinuxCnc;
        context.settings.visualHome = false;
        if (!context.cnc.InitialiseController() || !Home(context)) {
            state.SkipWithError("LinuxCNC could not be set up and homed");
            return nullptr;
        }
        return machine;
    }

    RealClock clock;
    PolicyOperatorPort port{false};
    ProgramContext context{clock, port};
};

// One position poll: the command the motion wait repeats.
void BM_PositionPoll(benchmark::State& state) {
    const auto machine = LinuxCncMachine::Start(state);
    if (!machine) {
        return;
    }
    ControllerCommand poll;
    poll.Code = 5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine->context.cnc.ExecuteControllerCommand(poll));
    }
}
BENCHMARK(BM_PositionPoll)->Unit(benchmark::kMicrosecond);

// One output switched: an MDI M64/M65 that LinuxCNC has taken.
void BM_OutputSwitch(benchmark::State& state) {
    const auto machine = LinuxCncMachine::Start(state);
    if (!machine) {
        return;
    }
    bool on = false;
    for (auto _ : state) {
        on = !on;
        machine->context.cnc.SetDispenserOutput(on);
    }
    machine->context.cnc.SetDispenserOutput(false);
}
BENCHMARK(BM_OutputSwitch)->Unit(benchmark::kMillisecond)->Iterations(20);

// One demo board as corvane2-cli run --controller linuxcnc places it, homing included.
void BM_DemoBoard(benchmark::State& state) {
    const auto machine = LinuxCncMachine::Start(state);
    if (!machine) {
        return;
    }
    QTemporaryDir nowhere;
    HeadlessRunOptions options;
    options.projectFile = QString(CORVANE_SOURCE_DIR) + "/demo/Demo Panel/Demo Panel.Corvane";
    options.simulatorLibrary = CORVANE_LINUXCNC_LIBRARY;
    options.linuxCnc = LinuxCncAddress{};
    options.userSettingsFile = nowhere.filePath("no store.ini");
    options.userSystemFolder = nowhere.filePath("no system folder");
    for (auto _ : state) {
        QString error;
        const std::optional<HeadlessRunReport> report = RunHeadless(options, &error);
        if (!report || !report->finished) {
            state.SkipWithError("the demo board did not finish");
            return;
        }
        state.counters["cycle_s"] = report->machineSeconds;
        state.counters["max_error_mm"] = report->maxErrorMm();
    }
}
BENCHMARK(BM_DemoBoard)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
