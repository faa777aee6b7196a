// Saving and opening a project of 50,000 laid tiles: each must stay under
// 2 s; of 250,000 tiles (a 100 x 50 m site, a file of some 280 MB): under
// 4 s. The tiles are starter pavers in running bond on a rectangular site, so
// the border rows and columns are cut tiles counted by their halves. The
// benchmark's argument is the site's area in square metres (1000 and 5000);
// the file size is reported as the counter "file_MB".

#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "ui/UserInterface.h"
#include "model/ElementKinds.h"
#include "model/Project.h"
#include "scene/Scene.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>

namespace {

QJsonArray pt(double x, double y) { return QJsonArray{x, y}; }
QJsonObject seg(double x0, double y0, double x1, double y1) {
    return QJsonObject{{"segment", QJsonArray{pt(x0, y0), pt(x1, y1)}}};
}

class TSilentUi final : public vk::TUserInterface {
public:
    vk::TAnswer message(vk::TMessageKind, const QString&, vk::TButtons) override { return vk::TAnswer::Ok; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return std::nullopt; }
};

// One library; per site one laid project and one saved file.
struct TRig {
    TRig(double w, double h) {
        vk::setUserInterface(&ui);
        QFile description(QStringLiteral(STARTER_DESCRIPTION));
        description.open(QIODevice::ReadOnly);
        db = std::make_unique<vk::TTileDB>(dir.filePath("DB"));
        vk::WriteStarterLibrary(vk::ReadStarterDescription(description.readAll()), *db);
        const QJsonObject scene{{"tile", QJsonObject{{"library", "Брусчатка 200×100×60"}}},
                                {"pattern", QJsonObject{{"library", "Вперевязку"}}},
                                {"border", QJsonArray{seg(0, 0, w, 0), seg(w, 0, w, h), seg(w, h, 0, h), seg(0, h, 0, 0)}},
                                {"start", pt(-100, 0)}};
        project = std::make_unique<vk::TProject>();
        const QString problem = vk::LoadScene(scene, *project);
        if (!problem.isEmpty() || !project->Fill()) {
            std::fprintf(stderr, "cannot lay the site: %s\n", qPrintable(problem));
            std::abort();
        }
        path = dir.filePath("site.mpp");
        project->SaveToFile(path);
    }
    TSilentUi ui;
    QTemporaryDir dir;
    std::unique_ptr<vk::TTileDB> db;
    std::unique_ptr<vk::TProject> project;
    QString path;
};

TRig& rig(std::int64_t squareMetres) {
    static std::map<std::int64_t, std::unique_ptr<TRig>> rigs;
    std::unique_ptr<TRig>& held = rigs[squareMetres];
    if (!held) {
        // 8 : 5 for 1000 m2 (40 x 25 m), 2 : 1 for larger sites (100 x 50 m).
        const double w = squareMetres == 1000 ? 40000.0 : std::sqrt(2.0 * double(squareMetres)) * 1000.0;
        held = std::make_unique<TRig>(w, double(squareMetres) * 1.0e6 / w);
    }
    return *held;
}

void BM_SaveProject(benchmark::State& state) {
    TRig& r = rig(state.range(0));
    const QString target = r.dir.filePath("saved.mpp");
    for (auto _ : state) {
        if (!r.project->SaveToFile(target)) {
            state.SkipWithError("save failed");
        }
    }
    state.counters["tiles"] = double(r.project->LaidTiles().Count());
    state.counters["file_MB"] = double(QFileInfo(target).size()) / (1024.0 * 1024.0);
}

void BM_OpenProject(benchmark::State& state) {
    TRig& r = rig(state.range(0));
    int tiles = 0;
    for (auto _ : state) {
        vk::TProject opened;
        if (!opened.LoadFromFile(r.path)) {
            state.SkipWithError("open failed");
        }
        tiles = opened.LaidTiles().Count();
        benchmark::DoNotOptimize(tiles);
    }
    state.counters["tiles"] = double(tiles);
    state.counters["file_MB"] = double(QFileInfo(r.path).size()) / (1024.0 * 1024.0);
}

BENCHMARK(BM_SaveProject)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_OpenProject)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    vk::RegisterElementKinds();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
