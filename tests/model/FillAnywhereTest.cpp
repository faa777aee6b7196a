// The fill wherever the site lies and whatever hand points span its
// lattice: every copy laid once, the same tiles and counts.

#include "FillTestSupport.h"

#include "model/OriginWalk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace vk;
using namespace vk::test;

namespace {

// Herringbone of 200 x 100 mm pavers with one cut across the middle, turned
// by 30 degrees, around a round hole: the hand points are not integers and
// the copies reach the hole's far side along many paths.
QJsonObject herringbone(double w, double h, double dx, double dy) {
    const QJsonObject part = leftAndRightHalves(true);
    const QJsonObject pattern{{"name", "Ёлочка"},
                              {"placements", QJsonArray{placement(0, 0, 0, 0, 0), placement(0, 0, 100, 100, 90)}},
                              {"handPoints", QJsonArray{pt(100, 100), pt(-200, 200)}}};
    const double r = h / 5;
    return QJsonObject{{"tile", rectTile(200, 100, QJsonArray{part})},
                       {"pattern", pattern},
                       {"border", join({rect(dx, dy, dx + w, dy + h), circle(dx + w / 2, dy + h / 2, r)})},
                       {"start", pt(dx + w * 0.3, dy + h * 0.4)},
                       {"orientation", 30}};
}

// Squares in rows shifted by half a tile, turned by 17.5 degrees, on a
// site with a rounded corner and a round hole: many tiles are cut by one
// straight edge, the case decided without the region adapter.
QJsonObject shiftedSquares(double dx, double dy) {
    const double w = 20000, h = 12000;
    const QJsonArray border{segment(dx, dy, dx + w, dy), segment(dx + w, dy, dx + w, dy + h),
                            arc(dx + w - 3000, dy + h, dx + w, dy + h, 180), segment(dx + w - 6000, dy + h, dx, dy + h),
                            segment(dx, dy + h, dx, dy)};
    return QJsonObject{{"tile", rectTile(100, 100)},
                       {"pattern", simplePattern(QJsonArray{pt(100, 0), pt(50, 100)})},
                       {"border", join({border, circle(dx + 8000, dy + 6000, 2000)})},
                       {"start", pt(dx + 5001, dy + 4003)},
                       {"orientation", 17.5}};
}

struct TLaid {
    int Tiles = 0;
    std::map<std::int32_t, int> ByPart; // part -> tiles cut to it
    std::vector<QPointF> Bases;         // in laying order
    std::vector<float> Angles;
};

TLaid fillOf(const QJsonObject& scene) {
    TFillRig rig;
    rig.load(scene);
    EXPECT_TRUE(rig.fill());
    TLaid laid;
    const TTileList& tiles = rig.project->LaidTiles();
    laid.Tiles = tiles.Count();
    for (int i = 0; i < tiles.Count(); ++i) {
        ++laid.ByPart[tiles.Items(i).PartID];
        laid.Bases.emplace_back(tiles.Items(i).BasePointKey().X, tiles.Items(i).BasePointKey().Y);
        laid.Angles.push_back(tiles.Items(i).Orientation);
    }
    return laid;
}

// Two tiles of one placement lie at least a tile apart; two at one place
// within a millimetre, turned alike, are one tile laid twice.
int repeatedTiles(const std::vector<QPointF>& bases, const std::vector<float>& angles = {}) {
    std::vector<std::size_t> order(bases.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return bases[a].x() < bases[b].x(); });
    const auto angle = [&](std::size_t i) { return angles.empty() ? 0.0f : angles[i]; };
    int repeated = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const QPointF a = bases[order[i]];
        for (std::size_t k = i + 1; k < order.size() && bases[order[k]].x() - a.x() <= 1.0; ++k) {
            repeated += std::fabs(bases[order[k]].y() - a.y()) <= 1.0 && angle(order[k]) == angle(order[i]) ? 1 : 0;
        }
    }
    return repeated;
}

} // namespace

// Origins summed from single-float hand points drifted apart along
// different paths around the hole and started a shifted lattice: far from
// the origin the same site laid more tiles, some twice. And the decisions
// against one straight edge once measured areas from products of world
// coordinates, and 10 km away judged a tile differently.
TEST(FillAnywhere, TranslatedSiteLaysTheSameTilesMoved) {
    using TScene = QJsonObject (*)(double, double);
    const std::pair<const char*, TScene> scenes[] = {
        {"herringbone around a hole", [](double dx, double dy) { return herringbone(12000, 6000, dx, dy); }},
        {"shifted squares, rounded corner", shiftedSquares},
    };
    for (const auto& [sceneName, scene] : scenes) {
        SCOPED_TRACE(sceneName);
        const TLaid home = fillOf(scene(0, 0));
        ASSERT_GT(home.Tiles, 3000);
        EXPECT_EQ(repeatedTiles(home.Bases, home.Angles), 0);

        struct Case {
            const char* name;
            double dx, dy;
        };
        const Case cases[] = {
            {"not moved", 0, 0},
            {"150 m, 100 m", 150000, 100000},
            {"500 m, 500 m", 500000, 500000},
            {"10 km, -7 km", 10000000, -7000000},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const TLaid moved = fillOf(scene(c.dx, c.dy));
            EXPECT_EQ(moved.Tiles, home.Tiles);
            EXPECT_EQ(moved.ByPart, home.ByPart);
            EXPECT_EQ(repeatedTiles(moved.Bases, moved.Angles), 0);
            ASSERT_EQ(moved.Bases.size(), home.Bases.size());
            // Stored in single floats: at 10 km a float is good to half a millimetre.
            double worst = 0;
            for (std::size_t i = 0; i < home.Bases.size(); ++i) {
                const QPointF d = moved.Bases[i] - QPointF(c.dx, c.dy) - home.Bases[i];
                worst = std::max({worst, std::fabs(d.x()), std::fabs(d.y())});
            }
            EXPECT_LE(worst, 1.0) << "the same tiles in the same order, moved";
        }
    }
}

// Three hand points of one lattice (the third the sum of the others, and
// inexact in floats once turned) lay what two of them lay, each copy once.
TEST(FillAnywhere, DependentHandPointsReachEachOriginOnce) {
    struct Case {
        const char* name;
        QJsonArray hands;
    };
    const Case cases[] = {
        {"h1 + h2", QJsonArray{pt(100, 0), pt(0, 100), pt(100, 100)}},
        {"h2 - h1, listed first", QJsonArray{pt(-100, 100), pt(100, 0), pt(0, 100)}},
        {"a hand point twice", QJsonArray{pt(100, 0), pt(0, 100), pt(100, 0)}},
    };
    QJsonObject scene = squareScene();
    scene["border"] = join({rect(0, 0, 3000, 2000), circle(1500, 1000, 400)});
    scene["orientation"] = 30;
    const TLaid two = fillOf(scene);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene["pattern"] = simplePattern(c.hands);
        const TLaid three = fillOf(scene);
        EXPECT_EQ(three.Tiles, two.Tiles);
        EXPECT_EQ(repeatedTiles(three.Bases, three.Angles), 0);
    }
}

// How the walk names origins, and that it visits each once either way.
TEST(FillAnywhere, WalkVisitsEachOriginOnce) {
    struct Case {
        const char* name;
        std::vector<QPointF> hands;
        bool lattice;
        int visited; // origins within the reach
    };
    // A 1000 x 1000 reach around the start.
    const Case cases[] = {
        {"two independent", {{100, 0}, {0, 100}}, true, 11 * 11},
        {"skewed basis of the same lattice", {{100, 0}, {1000, 100}}, true, 11 * 11},
        {"a third dependent", {{100, 0}, {0, 100}, {-100, 100}}, true, 11 * 11},
        {"a half of two others: a finer lattice", {{200, 0}, {0, 200}, {100, 100}}, false, 6 * 6 + 5 * 5},
        {"one hand point", {{100, 0}}, false, 11},
        {"collinear", {{100, 0}, {200, 0}}, false, 11},
        {"shorter than a millimetre", {{0.5, 0.5}, {0, 100}}, false, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOriginWalk walk;
        walk.Start({0, 0}, c.hands, QRectF(-0.5, -0.5, 1001, 1001));
        EXPECT_EQ(walk.OnLattice(), c.lattice);
        std::vector<QPointF> seen;
        while (!walk.Empty()) {
            seen.push_back(walk.Next());
            walk.Spread();
        }
        EXPECT_EQ(walk.Count(), int(seen.size()));
        EXPECT_EQ(int(seen.size()), c.visited);
        EXPECT_EQ(repeatedTiles(seen), 0);
    }
}

// A 250 x 125 m plaza around a 50 m hole: summed in floats, origins drifted
// around the hole until a shifted copy of the lattice flooded the site and
// the fill ran out of memory. Every tile is laid once, and the count is what
// the area holds.
TEST(FillAnywhere, LargePlazaAroundAHoleLaysEveryTileOnce) {
    const double w = 250000, h = 125000, r = h / 5;
    const TLaid laid = fillOf(herringbone(w, h, 0, 0));
    EXPECT_EQ(repeatedTiles(laid.Bases, laid.Angles), 0);
    const double tiles = (w * h - M_PI * r * r) / (200.0 * 100.0);
    EXPECT_GT(laid.Tiles, tiles);
    EXPECT_LT(laid.Tiles, tiles * 1.01) << "only the cut tiles along the border add to the area's count";
}
