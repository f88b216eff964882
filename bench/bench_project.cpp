// Load and save of a large project: 10,000 parts and 200 feeders.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "project/ProjectFile.h"
#include "settings/MachineSettings.h"

namespace {

constexpr int kParts = 10'000;
constexpr int kFeeders = 200;

ProjectState LargeProject() {
    ProjectState project;
    for (int n = 1; n <= kParts; ++n) {
        project.Parts.append(PartRec{QString("R%1").arg(n), "10k 1% 0603", n * 0.127 + 3.3,
                                     n * -0.0254 + 150.75, (n % 8) * 45.0, n % kFeeders + 1,
                                     n % 10 != 0});
    }
    for (int n = 1; n <= kFeeders; ++n) {
        FeederRec feeder;
        feeder.Description = QString("Feeder %1").arg(n);
        feeder.SnapName = QString("Snap%1").arg(n);
        feeder.Kind = n % 3;
        feeder.X = n * 12.7;
        feeder.Y = 310.5;
        feeder.Z = 14.25;
        feeder.PartHeight = 0.55;
        feeder.TraySpacingX = 8.89;
        feeder.TraySpacingY = -8.89;
        feeder.TrayCountX = 5;
        feeder.TrayCountY = 6;
        feeder.TrayPickCount = n % 30 + 1;
        project.Feeders.append(feeder);
    }
    return project;
}

void BM_SaveProject(benchmark::State& state) {
    QTemporaryDir dir;
    ProjectState project = LargeProject();
    MachineSettings settings;
    for (auto _ : state) {
        if (!SaveProject(project, settings, dir.path() + u'/', "Large")) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

void BM_LoadProject(benchmark::State& state) {
    QTemporaryDir dir;
    ProjectState saved = LargeProject();
    MachineSettings settings;
    if (!SaveProject(saved, settings, dir.path() + u'/', "Large")) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        ProjectState project;
        if (!LoadProject(project, settings, dir.path() + u'/', "Large") ||
            project.PartCount() != kParts) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(project);
    }
}

}  // namespace

BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);
