// What the placement cycle costs on the simulated machine in virtual time. The program's own
// work per placed part (moves, outputs, counters, project and settings saves, the simulator's
// bookkeeping), without rendering or searches, should stay under 2 ms; the demo's 4-board panel
// with its vision picks and fiducials, homing included, under 10 s of wall time.
#include <benchmark/benchmark.h>

#include <QString>
#include <stdexcept>

#include "HeadlessRun.h"

namespace {

HeadlessRunOptions demoPanel(bool withVision) {
    HeadlessRunOptions options;
    options.projectFile = QString(CORVANE_SOURCE_DIR) + "/demo/Demo Panel/Demo Panel.Corvane";
    options.kind = RunKind::Panel;
    options.simulatorLibrary = CORVANE_SIM_LIBRARY;
    options.withoutVision = !withVision;
    return options;
}

HeadlessRunReport runOrThrow(const HeadlessRunOptions& options) {
    QString error;
    const std::optional<HeadlessRunReport> report = RunHeadless(options, &error);
    if (!report || !report->finished) {
        throw std::runtime_error(report ? report->reason.toStdString() : error.toStdString());
    }
    return *report;
}

// Manual time: the cycle's wall time over the parts it placed.
void BM_CyclePerPlacedPartWithoutVision(benchmark::State& state) {
    const HeadlessRunOptions options = demoPanel(false);
    int placed = 0;
    for (auto _ : state) {
        const HeadlessRunReport report = runOrThrow(options);
        placed = report.partsPlaced();
        state.SetIterationTime(report.cycleWallSeconds / placed);
    }
    state.counters["parts"] = placed;
}
BENCHMARK(BM_CyclePerPlacedPartWithoutVision)->UseManualTime()->Unit(benchmark::kMillisecond);

// The whole job as corvane2-cli run does it: copies, homing, fiducials, vision picks, report.
void BM_DemoPanelWithVision(benchmark::State& state) {
    const HeadlessRunOptions options = demoPanel(true);
    double machine = 0;
    for (auto _ : state) {
        machine = runOrThrow(options).machineSeconds;
    }
    state.counters["machine_s"] = machine;
}
BENCHMARK(BM_DemoPanelWithVision)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
