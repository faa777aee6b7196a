// One full RenderView of a 1920 x 1080 view with no documents.
// Target: median <= 5 ms.

#include "sheet/PlanSheet.h"

#include "WidgetBenchMain.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>

namespace {

void BM_RenderView1920x1080(benchmark::State& state) {
    vk::TPlanSheet sheet;
    // The view (scroll box) is 34 pixels smaller than the sheet each way.
    sheet.resize(1920 + 34 + sheet.FScrollBox->verticalScrollBar()->sizeHint().width(),
                 1080 + 34 + sheet.FScrollBox->horizontalScrollBar()->sizeHint().height());
    sheet.SetGeometry(50000.0f, 50000.0f, 25000.0f, 25000.0f);
    sheet.SetUnits(100);
    sheet.SetScale(state.range(0) / 10000.0);
    sheet.show();
    QApplication::processEvents();
    sheet.CenterOn(0.0f, 0.0f);
    for (auto _ : state) {
        sheet.RenderView();
        benchmark::DoNotOptimize(sheet.ViewImage().constBits());
    }
    state.counters["width"] = sheet.ViewImage().width();
    state.counters["height"] = sheet.ViewImage().height();
}
// The main window's scale (0.0075) and a close-up (0.1).
BENCHMARK(BM_RenderView1920x1080)->Arg(75)->Arg(1000)->Unit(benchmark::kMillisecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) { return vk::bench::RunWidgetBenchmarks(argc, argv); }
