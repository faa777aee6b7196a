// Work on the tiles of a laid site: finding the tile under a point and
// repeating a marking across the whole laying.
//   BM_TileAtInside/<scene>    a point inside a laid tile
//   BM_TileAtOutside/<scene>   a point beside the site, in no tile
//   BM_MultiplyYard            three marks spread across "yard" (about 20
//                              thousand tiles): every other paver of every
//                              other row

#include "BenchMain.h"
#include "BenchScenes.h"

#include "model/ElementKinds.h"
#include "model/FillHost.h"
#include "model/Project.h"
#include "scene/Scene.h"
#include "ui/UserInterface.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <random>

using namespace vk;

namespace {

// Nobody to tell that the repeat has ended.
class TQuietUi final : public TUserInterface {
public:
    TAnswer message(TMessageKind, const QString&, TButtons) override { return TAnswer::Ok; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return std::nullopt; }
};

struct TLaid {
    TStepQueue queue;
    std::unique_ptr<TProject> project = std::make_unique<TProject>(&queue);

    explicit TLaid(const QJsonObject& scene) {
        bench::LoadOrAbort(scene, *project);
        project->Fill();
        queue.RunUntilIdle(*project);
    }
};

QJsonObject sceneOf(int which) { return which == 0 ? bench::yard() : bench::plaza(); }

void BM_TileAtInside(benchmark::State& state) {
    TLaid laid(sceneOf(int(state.range(0))));
    TTileList& tiles = laid.project->LaidTiles();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, tiles.Count() - 1);
    for (auto _ : state) {
        const TPointF at = tiles.Items(pick(random)).ElementAveragePoint();
        benchmark::DoNotOptimize(laid.project->TileAt(at));
    }
    state.counters["tiles"] = tiles.Count();
}
BENCHMARK(BM_TileAtInside)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_TileAtOutside(benchmark::State& state) {
    TLaid laid(sceneOf(int(state.range(0))));
    const QRectF site = laid.project->SiteRegion()->Region().Bounds();
    const TPointF beside{float(site.center().x()), float(site.bottom() + 500.0)};
    for (auto _ : state) {
        benchmark::DoNotOptimize(laid.project->TileAt(beside));
    }
    state.counters["tiles"] = laid.project->LaidTiles().Count();
}
BENCHMARK(BM_TileAtOutside)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_MultiplyYard(benchmark::State& state) {
    TQuietUi quiet;
    setUserInterface(&quiet);
    TLaid laid(bench::yard());
    TProject& p = *laid.project;
    // A paver in the middle of the site, the next but one in its row and
    // the one two rows above it.
    const QPointF middle = p.SiteRegion()->Region().Bounds().center();
    TTileContainer& first = *p.TileAt({float(middle.x()), float(middle.y())});
    const TPointF c = first.ElementAveragePoint();
    int marked = 0;
    for (auto _ : state) {
        p.ClearMarks();
        p.LaidTiles().SetMarked(first, true);
        p.LaidTiles().SetMarked(*p.TileAt({c.X + 400.0f, c.Y}), true);
        p.LaidTiles().SetMarked(*p.TileAt({c.X, c.Y + 200.0f}), true);
        p.MultiplySelection();
        laid.queue.RunUntilIdle(p);
        marked = int(p.MarkedTiles().size());
    }
    state.counters["tiles"] = p.LaidTiles().Count();
    state.counters["marked"] = marked;
    setUserInterface(nullptr);
}
BENCHMARK(BM_MultiplyYard)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    vk::RegisterElementKinds();
    return vk::bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
