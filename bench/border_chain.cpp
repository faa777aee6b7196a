// Chaining a surveyed site border: segments in random order and direction,
// ordered end to start as the site border is (join tolerance 50 mm).
// Target: 200,000 segments well under a second for SortIntoChain and for
// the whole border path.

#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "geometry/ShapePath.h"
#include "geometry/VectorMath.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

using namespace vk;

constexpr float kBorderTolerance = 50.0f;

// A closed, slightly ragged ring of `count` segments about 500 mm long,
// scrambled in order and direction with a fixed seed.
void addScrambledBorder(T_TnC_Ancestor& doc, int count) {
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> jitter(-100.0, 100.0);
    const double radius = count * 500.0 / (2.0 * std::numbers::pi);
    std::vector<TPointF> ring;
    ring.reserve(std::size_t(count));
    for (int k = 0; k < count; ++k) {
        const double a = 2.0 * std::numbers::pi * k / count;
        const double r = radius + jitter(random);
        ring.push_back({float(r * std::cos(a)), float(r * std::sin(a))});
    }
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        order[std::size_t(k)] = k;
    }
    std::shuffle(order.begin(), order.end(), random);
    std::bernoulli_distribution backwards(0.5);
    for (const int k : order) {
        TPointF a = ring[std::size_t(k)];
        TPointF b = ring[std::size_t((k + 1) % count)];
        if (backwards(random)) {
            std::swap(a, b);
        }
        auto s = std::make_unique<TLinePrimitive>(&doc);
        s->SetStart({a.X, a.Y, 1});
        s->SetFinish({b.X, b.Y, 1});
        doc.Elements().Add(std::move(s));
    }
}

void BM_SortIntoChain(benchmark::State& state) {
    T_TnC_Ancestor border;
    addScrambledBorder(border, int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        T_TnC_Ancestor work;
        work.Elements().CopyFrom(border.Elements(), true);
        state.ResumeTiming();
        work.Elements().SortIntoChain(kBorderTolerance);
        benchmark::DoNotOptimize(work.Elements().Items(0));
        state.PauseTiming();
        work.Elements().Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortIntoChain)->Arg(25000)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The site border's path as the project builds it: copy, sort, extract.
void BM_BorderPath(benchmark::State& state) {
    T_TnC_Ancestor border;
    addScrambledBorder(border, int(state.range(0)));
    for (auto _ : state) {
        TShapePath path = TElementList::BuildPath(kBorderTolerance, border, true);
        benchmark::DoNotOptimize(path);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BorderPath)->Arg(25000)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
