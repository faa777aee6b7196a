// A fill as the user sees it. Target (Release build, these 2-core machines):
//   BM_MainWindowFillPlaza    <= 1.5 x BM_HeadlessFillPlaza: from "Заполнить"
//                             in the main window (offscreen) until the last
//                             tile is on screen, against the same fill with
//                             no window.

#include "BenchScenes.h"

#include "app/MainForm.h"
#include "ui/UserInterface.h"
#include "model/ElementKinds.h"
#include "model/Project.h"
#include "scene/Scene.h"
#include "sheet/PlanSheet.h"

#include <QAction>
#include "WidgetBenchMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace vk;

// Says Ok to what it is told and No to what it is asked; notes the end of a fill.
class TBenchUi final : public TUserInterface {
public:
    TAnswer message(TMessageKind kind, const QString& text, TButtons) override {
        if (text == QStringLiteral("Заполнение плиткой закончено")) {
            FillDone = true;
        }
        return kind == TMessageKind::Confirmation ? TAnswer::No : TAnswer::Ok;
    }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return std::nullopt; }
    bool FillDone = false;
};

void load(TProject& project) {
    bench::LoadOrAbort(bench::plaza(), project);
}

void BM_HeadlessFillPlaza(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TStepQueue queue;
        auto project = std::make_unique<TProject>(&queue);
        load(*project);
        state.ResumeTiming();
        project->Fill();
        queue.RunUntilIdle(*project);
        benchmark::DoNotOptimize(project->LaidTiles().Count());
        state.PauseTiming();
        project.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HeadlessFillPlaza)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_MainWindowFillPlaza(benchmark::State& state) {
    TBenchUi ui;
    setUserInterface(&ui);
    TfrmMain window;
    window.resize(1600, 1000);
    window.show();
    QApplication::processEvents();
    int tiles = 0;
    double fillMs = 0;
    double paintMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        window.UpdateActions();
        window.Action(TMainAction::acNewProject)->trigger();
        load(*window.Project());
        window.ProjectPlanSheet->SetScale(0.0075f);
        window.ProjectPlanSheet->CenterOn(50000, 25000);
        QApplication::processEvents();
        ui.FillDone = false;
        state.ResumeTiming();
        window.UpdateActions();
        window.Action(TMainAction::acFill)->trigger();
        QElapsedTimer phase;
        phase.start();
        while (!ui.FillDone) {
            QApplication::processEvents();
        }
        const qint64 filled = phase.nsecsElapsed();
        // The laid tiles reach the screen with the next paint.
        window.ProjectPlanSheet->FScrollBox->viewport()->repaint();
        fillMs += filled / 1e6;
        paintMs += (phase.nsecsElapsed() - filled) / 1e6;
        tiles = window.Project()->LaidTiles().Count();
    }
    if (qEnvironmentVariableIsSet("VORKALO_BENCH_PNG")) {
        window.grab().save(QString::fromLocal8Bit(qgetenv("VORKALO_BENCH_PNG")));
    }
    state.counters["tiles"] = tiles;
    // From the command to the end of the fill (with the repaints on the way),
    // and the last repaint.
    state.counters["to_done_ms"] = fillMs / double(state.iterations());
    state.counters["last_paint_ms"] = paintMs / double(state.iterations());
    setUserInterface(nullptr);
}
BENCHMARK(BM_MainWindowFillPlaza)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    vk::RegisterElementKinds();
    return vk::bench::RunWidgetBenchmarks(argc, argv);
}
