// The fill at scale. Targets (Release build, these 2-core machines):
//   BM_FillPlaza/100          <= 100 ms, end to end without painting
//   BM_FillPlaza/200          <= 4.2 x BM_FillPlaza/100 (four times the area)
//   BM_YardLiteralVsFast      speedup >= 20 against the literal engine
//   BM_PaintPlaza             <= 30 ms uncached for 1920 x 1080 showing the
//                             whole site, the cached picture identical to an
//                             uncached draw
//   BM_PaintPlazaZoomed/20    <= 30 ms uncached for a full view at 20 px per tile
// Memory (<= 40 bytes per laid tile) is measured by `bench_fill --memory`,
// in a process of its own so that its peak is the fill's.

#include "BenchScenes.h"
#include "LiteralFill.h"

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"
#include "model/ElementKinds.h"
#include "model/Project.h"
#include "scene/Scene.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using namespace vk;

class TBenchSheet final : public TDrawingSheet {
public:
    float PickTolerance() const override { return 1.0f; }
    int UnitDivisor() const override { return 1000; }
    QString GetUnitName() const override { return QStringLiteral("м"); }
    const TSheetPalette& Palette() const override { return m_palette; }
    void SetElementInfo(const QString&) override {}
    void ClearElementInfo() override {}
    void ShowViewImage() override {}
    QPainter* ViewGraphics() override { return nullptr; }
    void InvalidateView() override {}
    QSizeF ViewSizeMillimetres() const override { return {508.0, 285.75}; }
    void SetView(const ViewRecord&) override {}

private:
    TSheetPalette m_palette;
};

struct TRun {
    TStepQueue queue;
    std::unique_ptr<TProject> project = std::make_unique<TProject>(&queue);

    explicit TRun(const QJsonObject& scene) {
        bench::LoadOrAbort(scene, *project);
    }
    void fill() {
        project->Fill();
        queue.RunUntilIdle(*project);
    }
};

int halves(const TProject& p) {
    int n = 0;
    for (int i = 0; i < p.LaidTiles().Count(); ++i) {
        n += p.LaidTiles().Items(i).PartID != -1 ? 1 : 0;
    }
    return n;
}

void BM_FillPlaza(benchmark::State& state) {
    const double scale = double(state.range(0)) / 100.0;
    int tiles = 0;
    int cut = 0;
    // End to end: the scene read, the fill run to its end, the project freed.
    for (auto _ : state) {
        auto run = std::make_unique<TRun>(bench::plaza(scale));
        run->fill();
        tiles = run->project->LaidTiles().Count();
        cut = halves(*run->project);
        run.reset();
    }
    state.counters["tiles"] = tiles;
    state.counters["halves"] = cut;
    state.counters["tiles_per_s"] = benchmark::Counter(tiles, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FillPlaza)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FillYard(benchmark::State& state) {
    int tiles = 0;
    for (auto _ : state) {
        auto run = std::make_unique<TRun>(bench::yard());
        run->fill();
        tiles = run->project->LaidTiles().Count();
        run.reset();
    }
    state.counters["tiles"] = tiles;
}
BENCHMARK(BM_FillYard)->Unit(benchmark::kMillisecond)->Iterations(5);

// Both engines on "yard" in the same run; their counts must agree.
void BM_YardLiteralVsFast(benchmark::State& state) {
    using clock = std::chrono::steady_clock;
    double fastMs = 0;
    double literalMs = 0;
    for (auto _ : state) {
        TRun fast(bench::yard());
        auto t0 = clock::now();
        fast.fill();
        fastMs = std::chrono::duration<double, std::milli>(clock::now() - t0).count();

        TRun literal(bench::yard());
        const double tolerance = fast.project->RegionTolerance();
        t0 = clock::now();
        const bench::TLiteralResult r = bench::LiteralFill(*literal.project, tolerance);
        literalMs = std::chrono::duration<double, std::milli>(clock::now() - t0).count();

        const int fastHalves = halves(*fast.project);
        int literalHalves = 0;
        for (const auto& [key, count] : r.Halves) {
            literalHalves += count;
        }
        if (r.Laid != fast.project->LaidTiles().Count() || literalHalves != fastHalves) {
            state.SkipWithError("the literal and the fast fill disagree");
            std::fprintf(stderr, "literal %d laid, %d halves; fast %d laid, %d halves\n", r.Laid, literalHalves,
                         fast.project->LaidTiles().Count(), fastHalves);
        }
        state.counters["tiles"] = r.Laid;
        state.counters["halves"] = literalHalves;
    }
    state.counters["fast_ms"] = fastMs;
    state.counters["literal_ms"] = literalMs;
    state.counters["speedup"] = literalMs / fastMs;
}
BENCHMARK(BM_YardLiteralVsFast)->Unit(benchmark::kMillisecond)->Iterations(1);

// The laid tiles of "plaza" in a 1920 x 1080 picture showing the whole site.
QTransform wholeSite(QSize size, QRectF site) {
    const double k = 0.95 * std::min(size.width() / site.width(), size.height() / site.height());
    QTransform t;
    t.translate(size.width() / 2.0, size.height() / 2.0);
    t.scale(k, -k);
    t.translate(-site.center().x(), -site.center().y());
    return t;
}

void BM_PaintPlaza(benchmark::State& state) {
    const bool cached = state.range(0) != 0;
    TRun run(bench::plaza());
    run.fill();
    TBenchSheet sheet;
    const QSize size(1920, 1080);
    const QTransform view = wholeSite(size, QRectF(0, 0, 100000, 50000));
    const auto paint = [&](QImage& image, bool useCache) {
        image.fill(Qt::white);
        QPainter g(&image);
        g.setRenderHint(QPainter::Antialiasing, true);
        g.setTransform(view);
        run.project->PaintTiles(g, sheet, sheet.Palette().BlackPen, useCache);
    };
    QImage reference(size, QImage::Format_ARGB32_Premultiplied);
    paint(reference, false);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    paint(image, true); // fills the cache
    for (auto _ : state) {
        paint(image, cached);
        benchmark::DoNotOptimize(image.constBits());
    }
    if (image != reference) {
        state.SkipWithError("the cached picture differs from an uncached draw");
    }
    state.counters["tiles"] = run.project->LaidTiles().Count();
    if (qEnvironmentVariableIsSet("VORKALO_BENCH_PNG")) {
        image.save(QString::fromLocal8Bit(qgetenv("VORKALO_BENCH_PNG")));
    }
}
BENCHMARK(BM_PaintPlaza)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

// The benchmark's loop for an uncached paint of the laid tiles; the last
// picture is saved as PREFIX.<name>.png when VORKALO_BENCH_PNG=PREFIX.
void paintUncached(benchmark::State& state, TProject& project, TBenchSheet& sheet, QSize size,
                   const QTransform& view, const QString& name) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter g(&image);
        g.setRenderHint(QPainter::Antialiasing, true);
        g.setTransform(view);
        project.PaintTiles(g, sheet, sheet.Palette().BlackPen, false);
        g.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    if (qEnvironmentVariableIsSet("VORKALO_BENCH_PNG")) {
        image.save(QString::fromLocal8Bit(qgetenv("VORKALO_BENCH_PNG")) + QStringLiteral(".%1.png").arg(name));
    }
}

// The whole site uncached, with every tile of another colour: the pattern's
// repeat does not show them, so the tiles are drawn one by one (as those of a
// project read from a file are).
void BM_PaintPlazaRecoloured(benchmark::State& state) {
    TRun run(bench::plaza());
    run.fill();
    TTileList& tiles = run.project->LaidTiles();
    for (int i = 0; i < tiles.Count(); ++i) {
        tiles.SetColor(i, 0xFFE0E0FFu);
    }
    TBenchSheet sheet;
    const QSize size(1920, 1080);
    const QTransform view = wholeSite(size, QRectF(0, 0, 100000, 50000));
    paintUncached(state, *run.project, sheet, size, view, QStringLiteral("recoloured"));
}
BENCHMARK(BM_PaintPlazaRecoloured)->Unit(benchmark::kMillisecond)->Iterations(5);

// A full 1920 x 1080 view of plaza, uncached, at a zoom of `range(0)`
// pixels per tile length: from tiles a few pixels across (painted as the
// pattern) to single tiles (drawn one by one). The target is for 20.
void BM_PaintPlazaZoomed(benchmark::State& state) {
    TRun run(bench::plaza());
    run.fill();
    TBenchSheet sheet;
    const QSize size(1920, 1080);
    QTransform view;
    const double k = double(state.range(0)) / 200.0; // pixels per millimetre
    view.translate(size.width() / 2.0, size.height() / 2.0);
    view.scale(k, -k);
    view.translate(-30000, -20000);
    paintUncached(state, *run.project, sheet, size, view, QStringLiteral("%1px").arg(state.range(0)));
}
BENCHMARK(BM_PaintPlazaZoomed)->Arg(3)->Arg(6)->Arg(12)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(5);


// --- memory ----------------------------------------------------------------------

long statusKb(const char* field) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(field)) {
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

int measureMemory() {
    TRun run(bench::plaza());
    const long before = statusKb("VmHWM:");
    run.fill();
    const long after = statusKb("VmHWM:");
    const int tiles = run.project->LaidTiles().Count();
    std::printf("plaza: %d tiles; peak resident memory %ld kB before the fill, %ld kB after; %.0f bytes per tile\n",
                tiles, before, after, double(after - before) * 1024.0 / tiles);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    vk::RegisterElementKinds();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--memory") == 0) {
            QCoreApplication app(argc, argv);
            return measureMemory();
        }
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
