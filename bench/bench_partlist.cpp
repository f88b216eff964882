// Refreshing the part list of a large project: UpdatePartList runs after every selection and
// edit, so it must stay well under the 50 ms an operator notices.
#include <benchmark/benchmark.h>

#include "project/PartList.h"
#include "project/PartListModel.h"

namespace {

constexpr int kPartCount = 10000;
constexpr int kFeederCount = 40;

ProjectState largeProject() {
    ProjectState project;
    for (int n = 1; n <= kFeederCount; ++n) {
        FeederRec feeder;
        feeder.Description = QString("Tape %1").arg(n);
        feeder.Nozzle = n % 8 + 1;
        project.Feeders << feeder;
    }
    for (int n = 1; n <= kPartCount; ++n) {
        PartRec part;
        part.Designator = QString("R%1").arg(n);
        part.Comment = n % 3 ? "10k 0603" : "";
        part.Feeder = n % (kFeederCount + 1);
        part.Enabled = n % 5 != 0;
        project.Parts << part;
    }
    project.CurrentPart = kPartCount / 2;
    return project;
}

// The window-free work of one refresh: the current part, the feeder items, the caption and
// a new list length for the list box (its reset path). `readRows` entries are then read as a
// view would: the rows on screen, or every row for a view that sizes each one.
void refreshPartList(ProjectState& project, PartListModel& model, int readRows) {
    NormaliseCurrentPart(project);
    benchmark::DoNotOptimize(FeederItems(project));
    benchmark::DoNotOptimize(PartDetailsCaption(project));
    model.refresh();
    for (int row = 0; row < readRows; ++row) {
        benchmark::DoNotOptimize(model.data(model.index(row), Qt::DisplayRole));
    }
}

void BM_UpdatePartList(benchmark::State& state) {
    ProjectState project = largeProject();
    PartListModel model(project);
    const int readRows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        // Alternate the length so that every refresh resets the list, as after Add or Delete.
        if (project.PartCount() == kPartCount) {
            project.Parts.removeLast();
        } else {
            project.Parts << PartRec{};
        }
        refreshPartList(project, model, std::min(readRows, project.PartCount()));
    }
    state.counters["parts"] = kPartCount;
}
// 40 rows on screen with uniform item sizes; every row in the worst case.
BENCHMARK(BM_UpdatePartList)->Arg(40)->Arg(kPartCount)->Unit(benchmark::kMillisecond);

void BM_SortParts(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        ProjectState project = largeProject();
        state.ResumeTiming();
        SortParts(project);
        benchmark::DoNotOptimize(project.Parts.constData());
    }
}
BENCHMARK(BM_SortParts)->Unit(benchmark::kMillisecond);

}  // namespace
