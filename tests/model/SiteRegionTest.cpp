// The site region made from the border's figures, and the decision for a
// tile: outside, whole or cut, through the cells or against the whole site.

#include "FillTestSupport.h"

#include "geometry/ShapePath.h"
#include "model/SiteRegion.h"

#include <gtest/gtest.h>

#include <random>

using namespace vk;
using namespace vk::test;

namespace {

void addRect(TShapePath& path, double x0, double y0, double x1, double y1) {
    const TPointF a{float(x0), float(y0)}, b{float(x1), float(y0)}, c{float(x1), float(y1)}, d{float(x0), float(y1)};
    path.StartFigure();
    path.AddLine(a, b);
    path.AddLine(b, c);
    path.AddLine(c, d);
    path.AddLine(d, a);
    path.CloseFigure();
}

bool covers(const TSiteRegion& site, double x, double y) {
    const TRegion probe = TRegion::FromRect(QRectF(x - 1, y - 1, 2, 2));
    return !probe.Intersected(site.Region()).IsEmpty();
}

} // namespace

TEST(SiteRegion, OuterFigureAndHoles) {
    struct Probe {
        double x, y;
        bool inSite;
    };
    struct Case {
        const char* name;
        std::vector<QRectF> figures; // in border order
        int outer;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"nested squares: the smaller one is a hole",
         {QRectF(0, 0, 1000, 1000), QRectF(300, 300, 400, 400)},
         0,
         {{100, 100, true}, {500, 500, false}}},
        {"nested, hole drawn first",
         {QRectF(300, 300, 400, 400), QRectF(0, 0, 1000, 1000)},
         1,
         {{100, 100, true}, {500, 500, false}}},
        {"equal separate squares: the later one is the site",
         {QRectF(0, 0, 500, 500), QRectF(1000, 0, 500, 500)},
         1,
         {{250, 250, false}, {1250, 250, true}}},
        {"wider but lower first: it stays the outer one",
         {QRectF(0, 0, 2000, 500), QRectF(0, 1000, 1000, 1000)},
         0,
         {{1000, 250, true}, {500, 1500, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TShapePath path;
        for (const QRectF& r : c.figures) {
            addRect(path, r.left(), r.top(), r.right(), r.bottom());
        }
        const auto site = TSiteRegion::FromPath(path);
        ASSERT_TRUE(site);
        EXPECT_EQ(site->OuterFigure(), c.outer);
        for (const Probe& p : c.probes) {
            EXPECT_EQ(covers(*site, p.x, p.y), p.inSite) << "at (" << p.x << ", " << p.y << ")";
        }
    }
    EXPECT_FALSE(TSiteRegion::FromPath(TShapePath())) << "no figure, no site";
}

TEST(SiteRegion, NestedSquaresLeaveTheHoleUnlaid) {
    TFillRig rig;
    QJsonObject scene = squareScene();
    scene["border"] = join({rect(300, 300, 700, 700), rect(0, 0, 1000, 1000)});
    rig.load(scene);
    rig.fill();
    int inHole = 0;
    for (int i = 0; i < rig.project->LaidTiles().Count(); ++i) {
        inHole += QRectF(300, 300, 400, 400).contains(rig.project->LaidTiles().Items(i).Bounds()) ? 1 : 0;
    }
    EXPECT_EQ(inHole, 0);
    EXPECT_EQ(rig.project->LaidTiles().Count(), 121 - 9);
}

// The cells decide as the whole site would: tiles of every size and angle
// thrown at a site with arcs, a hole and a notch.
TEST(SiteRegion, CellsDecideAsTheWholeSite) {
    TShapePath path;
    // Outer: a 3 x 2 m rectangle whose right end is a half circle.
    path.StartFigure();
    path.AddLine({0, 0}, {3000, 0});
    path.AddArc({3000, 1000}, 1000, -90, 180);
    path.AddLine({3000, 2000}, {0, 2000});
    path.AddLine({0, 2000}, {0, 0});
    path.CloseFigure();
    // A round hole and a square hole.
    path.StartFigure();
    path.AddArc({1500, 1000}, 300, 0, 360);
    path.CloseFigure();
    addRect(path, 500, 500, 800, 800);
    const auto whole = TSiteRegion::FromPath(path);
    const auto site = TSiteRegion::FromPath(path);
    ASSERT_TRUE(site && whole);
    site->PrepareCells(260);
    const double tolerance = 2.6458;

    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(-300, 4300), y(-300, 2300), angle(0, 360), size(20, 240);
    int decided[3] = {0, 0, 0};
    for (int i = 0; i < 3000; ++i) {
        const double w = size(random), h = size(random) / 2;
        QPolygonF tile;
        const double a = angle(random) * M_PI / 180.0;
        for (auto [px, py] : {std::pair{0.0, 0.0}, {w, 0.0}, {w, h}, {0.0, h}}) {
            tile << QPointF(px * std::cos(a) - py * std::sin(a), px * std::sin(a) + py * std::cos(a));
        }
        const std::vector<QPolygonF> local{tile};
        const QPointF offset(x(random), y(random));
        TSiteRegion::TCut literal;
        const auto expected = whole->Classify(local, tile.boundingRect(), offset, tolerance, true, literal);
        TSiteRegion::TCut quick;
        const auto got = site->Classify(local, tile.boundingRect(), offset, tolerance, true, quick);
        ASSERT_EQ(int(got), int(expected)) << "tile " << i << " at (" << offset.x() << ", " << offset.y() << ")";
        if (got == TSiteRegion::TCoverage::Cut) {
            EXPECT_NEAR(quick.Clipped.Area(), literal.Clipped.Area(), 1e-3 * literal.Clipped.Area()) << "tile " << i;
        }
        ++decided[int(got)];
    }
    EXPECT_GT(site->BorderCellCount(), 0);
    // The throw reaches every kind of decision.
    EXPECT_GT(decided[0], 100);
    EXPECT_GT(decided[1], 100);
    EXPECT_GT(decided[2], 100);
}

// Convex tiles cut by one straight border edge are decided without the
// region adapter; each decision, and each half matched, must be the one the
// adapter makes. Tiles are thrown near the edges, many of them with a piece
// about one tolerance wide on either side, where the two could part.
TEST(SiteRegion, StraightEdgeDecisionsAgreeWithTheRegionAdapter) {
    TShapePath path;
    addRect(path, 0, 0, 4000, 2000);
    path.StartFigure();
    path.AddArc({2000, 1000}, 400, 0, 360);
    path.CloseFigure();
    // A slanted hole: its edges are not parallel to the axes.
    path.StartFigure();
    path.AddLine({500, 300}, {1200, 600});
    path.AddLine({1200, 600}, {700, 1500});
    path.AddLine({700, 1500}, {500, 300});
    path.CloseFigure();
    const auto adapter = TSiteRegion::FromPath(path);
    const auto straight = TSiteRegion::FromPath(path);
    ASSERT_TRUE(adapter && straight);
    adapter->PrepareCells(260);
    adapter->SetStraightEdges(false);
    straight->PrepareCells(260);
    straight->SetStraightEdges(true);
    const double tolerance = 2.6458;

    std::mt19937 random(23);
    std::uniform_real_distribution<double> unit(0, 1), angle(0, 360), size(40, 240);
    std::uniform_int_distribution<int> pick(0, 3);
    int decided[3] = {0, 0, 0};
    int halvesMatched = 0;
    for (int i = 0; i < 6000; ++i) {
        const double w = size(random), h = size(random) / 2;
        const double a = angle(random) * M_PI / 180.0;
        const auto turned = [a](double px, double py) {
            return QPointF(px * std::cos(a) - py * std::sin(a), px * std::sin(a) + py * std::cos(a));
        };
        QPolygonF tile;
        for (auto [px, py] : {std::pair{0.0, 0.0}, {w, 0.0}, {w, h}, {0.0, h}}) {
            tile << turned(px, py);
        }
        // Two halves across the middle.
        const QPolygonF left{turned(0, 0), turned(w / 2, 0), turned(w / 2, h), turned(0, h)};
        const QPolygonF right{turned(w / 2, 0), turned(w, 0), turned(w, h), turned(w / 2, h)};
        const std::vector<QPolygonF> local{tile};
        TSmallConvex convex;
        ASSERT_TRUE(convex.Assign(tile));
        // Near one of the outer edges: the lowest (or highest) corner a
        // little over or under the edge.
        const QRectF b = tile.boundingRect();
        const double reach = unit(random) < 0.5 ? tolerance * (0.3 + 1.4 * unit(random)) : 300 * unit(random) - 150;
        QPointF offset;
        switch (pick(random)) {
        case 0: offset = {200 + 3400 * unit(random), -b.top() - reach}; break;
        case 1: offset = {200 + 3400 * unit(random), 2000 - b.bottom() + reach}; break;
        case 2: offset = {-b.left() - reach, 200 + 1400 * unit(random)}; break;
        default: offset = {4000 - b.right() + reach, 200 + 1400 * unit(random)}; break;
        }
        if (i % 5 == 0) {
            // A corner exactly on the left edge, the tile across it: the
            // piece inside then has that corner twice.
            offset.setX(-tile[pick(random)].x());
        }
        TSiteRegion::TCut expectedCut;
        const auto expected = adapter->Classify(local, b, offset, tolerance, true, expectedCut, &convex);
        TSiteRegion::TCut gotCut;
        const auto got = straight->Classify(local, b, offset, tolerance, true, gotCut, &convex);
        ASSERT_EQ(int(got), int(expected)) << "tile " << i << " at (" << offset.x() << ", " << offset.y() << ")";
        ++decided[int(got)];
        if (got != TSiteRegion::TCoverage::Cut) {
            continue;
        }
        const TRegion whole = TRegion::FromPolygons(local);
        for (const QPolygonF& half : {left, right}) {
            TSiteRegion::THalfRest rest;
            const std::vector<QPolygonF> rests = whole.Subtracted(TRegion::FromPolygons({half})).Polygons();
            ASSERT_EQ(rests.size(), 1u);
            rest.Known = rest.Rest.Assign(rests.front());
            ASSERT_TRUE(rest.Known);
            const bool literal = adapter->HalfMatches({half}, expectedCut, tolerance, &rest);
            ASSERT_EQ(straight->HalfMatches({half}, gotCut, tolerance, &rest), literal) << "tile " << i;
            halvesMatched += literal ? 1 : 0;
        }
    }
    EXPECT_GT(decided[0], 200);
    EXPECT_GT(decided[1], 200);
    EXPECT_GT(decided[2], 200);
    EXPECT_GT(halvesMatched, 50);
}
