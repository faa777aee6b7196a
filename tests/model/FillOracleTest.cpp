// The fill checked against a computation that shares none of its code: for
// each scene, every copy of a large enough lattice of pattern origins is
// placed by its own arithmetic, each tile is tested against the site on its
// own, and the counts of laid, whole and cut tiles per half must agree with
// what the fill laid. Arcs are flattened here independently; the regions
// are only intersected and compared through the polygon adapter.

#include "FillTestSupport.h"

#include "model/Parts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

using namespace vk;
using namespace vk::test;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// A piece of outline: a segment a-b, or an arc about c from a by `sweep`.
struct TPiece {
    bool arc = false;
    QPointF a, b, c;
    double sweep = 0.0;
};
using TFigure = std::vector<TPiece>;

TPiece line(double x0, double y0, double x1, double y1) { return {false, {x0, y0}, {x1, y1}, {}, 0.0}; }
TPiece arcFrom(double cx, double cy, double sx, double sy, double sweep) {
    return {true, {sx, sy}, {}, {cx, cy}, sweep};
}

TFigure rectFigure(double x0, double y0, double x1, double y1) {
    return {line(x0, y0, x1, y0), line(x1, y0, x1, y1), line(x1, y1, x0, y1), line(x0, y1, x0, y0)};
}

QPolygonF flatten(const TFigure& figure) {
    QPolygonF polygon;
    for (const TPiece& p : figure) {
        if (!p.arc) {
            polygon << p.a << p.b;
            continue;
        }
        const double r = std::hypot(p.a.x() - p.c.x(), p.a.y() - p.c.y());
        const double a0 = std::atan2(p.a.y() - p.c.y(), p.a.x() - p.c.x());
        const int n = std::max(8, int(std::ceil(std::fabs(p.sweep) / 0.25)));
        for (int k = 0; k <= n; ++k) {
            const double a = a0 + p.sweep * kDeg * k / n;
            polygon << QPointF(p.c.x() + r * std::cos(a), p.c.y() + r * std::sin(a));
        }
    }
    return polygon;
}

QJsonArray toJson(const TFigure& figure) {
    QJsonArray elements;
    for (const TPiece& p : figure) {
        elements.append(p.arc ? arc(p.c.x(), p.c.y(), p.a.x(), p.a.y(), p.sweep)
                              : segment(p.a.x(), p.a.y(), p.b.x(), p.b.y()));
    }
    return elements;
}

struct THalfSpec {
    const char* name;
    QRectF pick;     // the rectangle the model's half is made from
    TFigure outline; // the half as this oracle knows it
};

struct TPartSpec {
    const char* name;
    bool equals;
    TFigure cuts;
    std::vector<THalfSpec> halves;
};

struct TPlacementSpec {
    QPointF tilePoint, patternPoint;
    double rotation;
};

struct TScene {
    const char* name;
    std::vector<TFigure> border; // the first is the outer one
    TFigure tile;
    std::vector<TPartSpec> parts;
    std::vector<TPlacementSpec> placements;
    QPointF h1, h2;
    QPointF start;
    double orientation;
};

using TCounts = std::map<std::string, int>; // "laid", "whole", "part/half"

QPointF rotated(QPointF p, double degrees) {
    const double c = std::cos(degrees * kDeg), s = std::sin(degrees * kDeg);
    return {p.x() * c - p.y() * s, p.x() * s + p.y() * c};
}

QPolygonF placed(const QPolygonF& local, double angle, QPointF base) {
    QPolygonF out;
    for (const QPointF& p : local) {
        out << rotated(p, angle) + base;
    }
    return out;
}

TCounts bruteForce(const TScene& s, double tolerance) {
    TRegion site = TRegion::FromPolygons({flatten(s.border[0])});
    for (std::size_t i = 1; i < s.border.size(); ++i) {
        site = site.Subtracted(TRegion::FromPolygons({flatten(s.border[i])}));
    }
    const QRectF siteBounds = site.Bounds();
    const QPolygonF tile = flatten(s.tile);
    const QPointF h1 = rotated(s.h1, s.orientation), h2 = rotated(s.h2, s.orientation);
    TCounts counts;
    for (int i = -80; i <= 80; ++i) {
        for (int j = -80; j <= 80; ++j) {
            const QPointF origin = s.start + i * h1 + j * h2;
            for (const TPlacementSpec& pl : s.placements) {
                const double angle = pl.rotation + s.orientation;
                const QPointF base = origin + rotated(pl.patternPoint, s.orientation) - rotated(pl.tilePoint, angle);
                const QPolygonF outline = placed(tile, angle, base);
                if (!outline.boundingRect().intersects(siteBounds)) {
                    continue;
                }
                const TRegion full = TRegion::FromPolygons({outline});
                const TRegion inside = full.Intersected(site);
                if (inside.IsEmptyWithin(tolerance)) {
                    continue;
                }
                ++counts["laid"];
                std::string half;
                if (!inside.EqualsWithin(full, tolerance)) {
                    for (const TPartSpec& part : s.parts) {
                        for (const THalfSpec& h : part.halves) {
                            const TRegion piece =
                                TRegion::FromPolygons({placed(flatten(h.outline), angle, base)}).Intersected(site);
                            if (half.empty() && piece.EqualsWithin(inside, tolerance)) {
                                half = std::string(part.name) + "/" + (part.equals ? "" : h.name);
                            }
                        }
                    }
                }
                ++counts[half.empty() ? "whole" : half];
            }
        }
    }
    return counts;
}

QJsonObject sceneJson(const TScene& s) {
    QJsonArray parts;
    for (const TPartSpec& part : s.parts) {
        QJsonArray halves;
        for (const THalfSpec& h : part.halves) {
            halves.append(QJsonObject{{"name", h.name},
                                      {"rect", QJsonArray{pt(h.pick.left(), h.pick.top()), pt(h.pick.right(), h.pick.bottom())}}});
        }
        parts.append(QJsonObject{{"name", part.name}, {"equals", part.equals}, {"cuts", toJson(part.cuts)}, {"halves", halves}});
    }
    QJsonArray placements;
    for (const TPlacementSpec& pl : s.placements) {
        placements.append(placement(pl.tilePoint.x(), pl.tilePoint.y(), pl.patternPoint.x(), pl.patternPoint.y(), pl.rotation));
    }
    QJsonArray border;
    for (const TFigure& f : s.border) {
        for (const QJsonValue& e : toJson(f)) {
            border.append(e);
        }
    }
    return QJsonObject{{"tile", QJsonObject{{"name", "Плитка"}, {"outline", toJson(s.tile)}, {"parts", parts}}},
                       {"pattern", QJsonObject{{"placements", placements},
                                               {"handPoints", QJsonArray{pt(s.h1.x(), s.h1.y()), pt(s.h2.x(), s.h2.y())}}}},
                       {"border", border},
                       {"start", pt(s.start.x(), s.start.y())},
                       {"orientation", s.orientation}};
}

TCounts countsOf(const TProject& p) {
    TCounts counts;
    for (int i = 0; i < p.LaidTiles().Count(); ++i) {
        const TTileContainer& t = p.LaidTiles().Items(i);
        ++counts["laid"];
        if (t.PartID == -1) {
            ++counts["whole"];
        } else {
            const QString half = t.ContourID == -1 ? QString() : p.TileParts()->ContourName(t.PartID, t.ContourID);
            ++counts[(p.TileParts()->PartName(t.PartID) + "/" + half).toStdString()];
        }
    }
    return counts;
}

std::vector<TScene> scenes() {
    const TFigure paver = rectFigure(0, 0, 200, 100);
    const auto halvesOfPaver = [](const char* part, bool equals) {
        return TPartSpec{part,
                         equals,
                         {line(100, 0, 100, 100)},
                         {{"левая", QRectF(QPointF(-1, -1), QPointF(101, 101)), rectFigure(0, 0, 100, 100)},
                          {"правая", QRectF(QPointF(99, -1), QPointF(201, 101)), rectFigure(100, 0, 200, 100)}}};
    };
    const double r = 400;
    const TFigure rounded{line(r, 0, 3000 - r, 0),       arcFrom(3000 - r, r, 3000 - r, 0, 90),
                          line(3000, r, 3000, 2000 - r), arcFrom(3000 - r, 2000 - r, 3000, 2000 - r, 90),
                          line(3000 - r, 2000, r, 2000), arcFrom(r, 2000 - r, r, 2000, 90),
                          line(0, 2000 - r, 0, r),       arcFrom(r, r, 0, r, 90)};
    const TFigure hole{arcFrom(1500, 1500, 2100, 1500, 180), arcFrom(1500, 1500, 900, 1500, 180)};
    const TFigure ell{line(0, 0, 3000, 0),       line(3000, 0, 3000, 1200), line(3000, 1200, 1400, 1200),
                      line(1400, 1200, 1400, 2500), line(1400, 2500, 0, 2500), line(0, 2500, 0, 0)};
    // A tile whose right end is a half circle, cut off square at 75 mm.
    const TFigure arcTile{line(0, 0, 150, 0), arcFrom(150, 50, 150, 0, 180), line(150, 100, 0, 100), line(0, 100, 0, 0)};
    const TPartSpec arcCut{"торец",
                           false,
                           {line(75, 0, 75, 100)},
                           {{"короткая", QRectF(QPointF(-1, -1), QPointF(76, 101)), rectFigure(0, 0, 75, 100)},
                            {"с дугой", QRectF(QPointF(74, -1), QPointF(201, 101)),
                             {line(75, 0, 150, 0), arcFrom(150, 50, 150, 0, 180), line(150, 100, 75, 100),
                              line(75, 100, 75, 0)}}}};
    return {
        {"rounded site, running bond, distinct halves",
         {rounded},
         paver,
         {halvesOfPaver("пополам", false)},
         {{{0, 0}, {0, 0}, 0}},
         {200, 0},
         {100, 100},
         {1010, 1010},
         0},
        {"round hole, herringbone at 30 degrees, equal halves",
         {rectFigure(0, 0, 3000, 3000), hole},
         paver,
         {halvesOfPaver("пополам", true)},
         {{{0, 0}, {0, 0}, 0}, {{0, 0}, {100, 100}, 90}},
         {100, 100},
         {-200, 200},
         {700, 400},
         30},
        {"arc-ended tile on an L-shaped site with a hole, at 45 degrees",
         {ell, rectFigure(500, 500, 800, 700)},
         arcTile,
         {arcCut},
         {{{0, 0}, {0, 0}, 0}},
         {200, 0},
         {0, 100},
         {600, 300},
         45},
    };
}

std::string describe(const TCounts& counts) {
    std::string text;
    for (const auto& [key, value] : counts) {
        text += key + "=" + std::to_string(value) + " ";
    }
    return text;
}

} // namespace

TEST(FillOracle, CountsAgreeWithTilesTestedOneByOne) {
    for (const TScene& scene : scenes()) {
        SCOPED_TRACE(scene.name);
        TFillRig rig;
        rig.load(sceneJson(scene));
        ASSERT_TRUE(rig.fill());
        const TCounts fill = countsOf(*rig.project);
        const TCounts oracle = bruteForce(scene, rig.project->RegionTolerance());
        EXPECT_EQ(fill, oracle) << "fill:   " << describe(fill) << "\noracle: " << describe(oracle);
        // Every kind of tile occurs, or the scene proves little.
        EXPECT_GE(oracle.size(), 3u) << describe(oracle);

        // Deciding every tile against the whole site, or every cut tile
        // with the region adapter, lays the same tiles.
        for (const bool cells : {false, true}) {
            SCOPED_TRACE(cells ? "straight edges through the region adapter" : "against the whole site");
            TFillRig literal;
            literal.load(sceneJson(scene));
            literal.project->SetUseCells(cells);
            literal.project->SetStraightEdges(false);
            literal.fill();
            ASSERT_EQ(literal.project->LaidTiles().Count(), rig.project->LaidTiles().Count());
            for (int i = 0; i < literal.project->LaidTiles().Count(); ++i) {
                const TTileContainer& a = literal.project->LaidTiles().Items(i);
                const TTileContainer& b = rig.project->LaidTiles().Items(i);
                ASSERT_EQ(a.BasePointKey(), b.BasePointKey()) << "tile " << i;
                ASSERT_EQ(a.PartID, b.PartID) << "tile " << i;
                ASSERT_EQ(a.ContourID, b.ContourID) << "tile " << i;
            }
        }
    }
}
