// "Подобрать начальную точку": the start points tried, and a best candidate
// that no candidate of the grid beats when each is laid by an ordinary fill.

#include "FillTestSupport.h"
#include "support/ScriptedUi.h"

#include "ui/UserInterface.h"
#include "model/Materials.h"
#include "model/StartOptimizer.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vk;
using namespace vk::test;

namespace {

// A 200 x 100 mm paver with one cut across its middle into equal halves.
QJsonObject paver() {
    const QJsonObject part = leftAndRightHalves(true);
    return rectTile(200, 100, QJsonArray{part});
}

// Tiles to buy and cut pieces of an ordinary fill of `scene` started at
// `start` and turned by `orientation`.
TStartCandidate fillOf(QJsonObject scene, TPointF start, float orientation) {
    scene["start"] = pt(double(start.X), double(start.Y));
    scene["orientation"] = double(orientation);
    TFillRig rig;
    rig.load(scene);
    EXPECT_TRUE(rig.fill());
    TStartCandidate c;
    c.Start = start;
    c.Orientation = orientation;
    c.Tiles = ComputeMaterials(*rig.project, 0.0, 0).Total.Tiles;
    const TTileList& laid = rig.project->LaidTiles();
    c.Laid = laid.Count();
    for (int i = 0; i < laid.Count(); ++i) {
        c.Pieces += laid.Items(i).PartID != -1 ? 1 : 0;
    }
    return c;
}

class TStopAtOnce final : public TProgress {
public:
    bool report(qint64 done) override {
        Reports.push_back(done);
        return false;
    }
    std::vector<qint64> Reports;
};

} // namespace

TEST(StartOptimizer, CandidateGridSpansOneCellOfTheLattice) {
    const struct {
        const char* name;
        QJsonArray hands;
        float orientation;
        int count;
        TPointF h1, h2; // as turned, when there is a grid
    } cases[] = {
        {"two hand points", QJsonArray{pt(200, 0), pt(0, 100)}, 0.0f, 64, {200, 0}, {0, 100}},
        {"turned by the orientation", QJsonArray{pt(200, 0), pt(0, 100)}, 90.0f, 64, {0, 200}, {-100, 0}},
        {"a parallel second is passed over", QJsonArray{pt(200, 0), pt(-400, 0), pt(100, 100)}, 0.0f, 64,
         {200, 0}, {100, 100}},
        {"only parallel hand points", QJsonArray{pt(200, 0), pt(-100, 0)}, 0.0f, 1, {}, {}},
        {"one hand point", QJsonArray{pt(200, 0)}, 0.0f, 1, {}, {}},
        {"no hand point", QJsonArray{}, 0.0f, 1, {}, {}},
    };
    const TPointF s{310, 120};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QJsonObject scene = squareScene();
        scene["pattern"] = simplePattern(c.hands);
        TFillRig rig;
        rig.load(scene);
        const std::vector<TPointF> starts = CandidateStarts(*rig.project->Pattern(), c.orientation, s, 8);
        ASSERT_EQ(int(starts.size()), c.count);
        EXPECT_NEAR(starts.front().X, s.X, 1e-3);
        EXPECT_NEAR(starts.front().Y, s.Y, 1e-3);
        if (c.count == 1) {
            continue;
        }
        // In the order (i, j): S + (i/8)·h1 + (j/8)·h2.
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 8; ++j) {
                const TPointF p = starts[std::size_t(i * 8 + j)];
                EXPECT_NEAR(p.X, s.X + (i * c.h1.X + j * c.h2.X) / 8.0, 1e-3) << i << ' ' << j;
                EXPECT_NEAR(p.Y, s.Y + (i * c.h1.Y + j * c.h2.Y) / 8.0, 1e-3) << i << ' ' << j;
            }
        }
    }
}

TEST(StartOptimizer, NoCandidateOfTheGridLaidByAnOrdinaryFillBeatsTheBest) {
    const QJsonObject runningBond{{"name", "Ложковая"},
                                  {"placements", QJsonArray{placement(0, 0, 0, 0, 0)}},
                                  {"handPoints", QJsonArray{pt(200, 0), pt(100, 100)}}};
    const QJsonObject herringbone{{"name", "Ёлочка"},
                                  {"placements", QJsonArray{placement(0, 0, 0, 0, 0), placement(0, 0, 100, 100, 90)}},
                                  {"handPoints", QJsonArray{pt(100, 100), pt(-200, 200)}}};
    const struct {
        const char* name;
        QJsonObject scene;
        std::vector<float> orientations;
        int grid;
    } cases[] = {
        {"squares on a square that does not fit them",
         QJsonObject{{"tile", rectTile(100, 100)},
                     {"pattern", simplePattern(QJsonArray{pt(100, 0), pt(0, 100)})},
                     {"border", rect(0, 0, 1030, 970)},
                     {"start", pt(7, 11)}},
         {}, 4},
        {"running bond in a round bed, halves counted",
         QJsonObject{{"tile", paver()}, {"pattern", runningBond}, {"border", circle(0, 0, 700)}, {"start", pt(0, 0)}},
         {0.0f, 45.0f}, 4},
        {"herringbone on an L-shaped site, turned",
         QJsonObject{{"tile", paver()},
                     {"pattern", herringbone},
                     {"border", QJsonArray{segment(0, 0, 1500, 0), segment(1500, 0, 1500, 600), segment(1500, 600, 600, 600),
                                           segment(600, 600, 600, 1400), segment(600, 1400, 0, 1400),
                                           segment(0, 1400, 0, 0)}},
                     {"start", pt(300, 300)},
                     {"orientation", 30}},
         {}, 3},
        // Turned upright the pavers of the start copy all lie left of the
        // site: those fills lay nothing and buy nothing, and are no laying.
        {"turns whose start copy misses the site",
         QJsonObject{{"tile", paver()},
                     {"pattern", simplePattern(QJsonArray{pt(200, 0), pt(0, 100)})},
                     {"border", rect(0, 0, 1050, 950)},
                     {"start", pt(-100, 30)}},
         {0.0f, 90.0f}, 4},
    };
    // Fills that lay nothing say so; here that is expected.
    const TScriptedUi ui;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFillRig rig;
        rig.load(c.scene);
        TStartOptimizer optimizer(*rig.project);
        optimizer.SetGrid(c.grid);
        optimizer.SetOrientations(c.orientations);
        const std::vector<TStartCandidate> candidates = optimizer.Candidates();
        const TOptimizeResult result = optimizer.Run();
        ASSERT_EQ(result.Tried, int(candidates.size()));
        ASSERT_EQ(result.Top.size(), std::size_t(TStartOptimizer::TopCount));

        std::vector<TStartCandidate> filled;
        for (const TStartCandidate& candidate : candidates) {
            filled.push_back(fillOf(c.scene, candidate.Start, candidate.Orientation));
            filled.back().Index = candidate.Index;
        }
        std::erase_if(filled, [](const TStartCandidate& f) { return f.Laid == 0; });
        std::sort(filled.begin(), filled.end(), BetterCandidate);
        // The same five, in the same order, with the counts a fill gives.
        for (std::size_t k = 0; k < result.Top.size(); ++k) {
            EXPECT_EQ(result.Top[k].Index, filled[k].Index) << k;
            EXPECT_EQ(result.Top[k].Tiles, filled[k].Tiles) << k;
            EXPECT_EQ(result.Top[k].Pieces, filled[k].Pieces) << k;
            EXPECT_GT(result.Top[k].Laid, 0) << k;
        }
        // The grid is not flat here: the choice matters.
        EXPECT_LT(filled.front().Tiles, filled.back().Tiles);
        const TStartCandidate current = fillOf(c.scene, rig.project->StartPoint().point(), rig.project->Orientation());
        EXPECT_EQ(result.Current.Tiles, current.Tiles);
        EXPECT_EQ(result.Current.Pieces, current.Pieces);
    }
}

TEST(StartOptimizer, StoppedBeforeTheFirstFillLaysNothing) {
    TFillRig rig;
    rig.load(squareScene());
    TStartOptimizer optimizer(*rig.project);
    TStopAtOnce stop;
    const TOptimizeResult result = optimizer.Run(&stop);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.Tried, 0);
    EXPECT_TRUE(result.Top.empty());
    EXPECT_EQ(stop.Reports, std::vector<qint64>{0});
}

TEST(StartOptimizer, ProjectNotReadyOffersNoCandidate) {
    TFillRig rig;
    TStartOptimizer optimizer(*rig.project);
    EXPECT_FALSE(optimizer.IsReady());
    EXPECT_TRUE(optimizer.Candidates().empty());
    EXPECT_EQ(optimizer.Run().Tried, 0);
}
