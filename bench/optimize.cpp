// The start-point optimizer at scale. Target (these 2-core machines):
//   BM_OptimizeYard  "yard" with a grid of 8 and three orientations
//                    (192 fills) in <= 3 s, both cores at work.
// BM_FillYardOnce is the single fill each candidate costs, for comparison.
// Beside the wall time, cpu_s is the processor time of every thread of the
// run: on a machine busy with other work the wall time says little, and
// cpu_s / 2 is what two free cores take.

#include "BenchMain.h"
#include "BenchScenes.h"

#include "model/ElementKinds.h"
#include "model/Project.h"
#include "model/StartOptimizer.h"
#include "scene/Scene.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace vk;

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::unique_ptr<TProject> yard() {
    auto project = std::make_unique<TProject>();
    bench::LoadOrAbort(bench::yard(), *project);
    return project;
}

void BM_FillYardOnce(benchmark::State& state) {
    const std::unique_ptr<TProject> project = yard();
    for (auto _ : state) {
        project->FillQuietly();
        benchmark::DoNotOptimize(project->LaidTiles().Count());
    }
    state.counters["tiles"] = project->LaidTiles().Count();
}
BENCHMARK(BM_FillYardOnce)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OptimizeYard(benchmark::State& state) {
    const int threads = int(state.range(0));
    const std::unique_ptr<TProject> project = yard();
    TOptimizeResult result;
    double cpu = 0.0;
    // From the project as it stands to the best five, copies included.
    for (auto _ : state) {
        const double before = processSeconds();
        TStartOptimizer optimizer(*project, threads);
        optimizer.SetGrid(8);
        optimizer.SetOrientations({0.0f, 30.0f, 45.0f});
        result = optimizer.Run();
        cpu = processSeconds() - before;
    }
    if (result.Tried != 192 || result.Top.empty()) {
        state.SkipWithError("not every candidate was laid");
        return;
    }
    state.counters["fills"] = result.Tried;
    state.counters["cpu_s"] = cpu;
    state.counters["best_tiles"] = result.Top.front().Tiles;
    state.counters["current_tiles"] = result.Current.Tiles;
}
BENCHMARK(BM_OptimizeYard)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    vk::RegisterElementKinds();
    return vk::bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
