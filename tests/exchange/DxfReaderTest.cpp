#include "exchange/DxfReader.h"

#include "support/DxfFixture.h"
#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "model/SiteRegion.h"
#include "model/Tile.h"
#include "support/TempDir.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace vk {
namespace {

using test::TDxfBlock;
using test::TDxfWriter;
using test::TTempDir;
using test::WriteDxf;

constexpr double kPi = std::numbers::pi;

// The site the elements make, as the fill builds it: square millimetres,
// and the perimeter the report gives, millimetres.
struct TMeasured {
    double Area = 0.0;
    double Perimeter = 0.0;
    int Elements = 0;
};

TMeasured measure(const TDxfDrawing& drawing, const QStringList& layers, TDxfUnit unit) {
    TTile document;
    for (auto& element : drawing.Elements(layers, unit, &document)) {
        document.Elements().Add(std::move(element));
    }
    TMeasured m;
    m.Elements = document.Elements().Count();
    const auto site = TSiteRegion::FromPath(TElementList::BuildPath(1.0f, document, true));
    m.Area = site ? site->Region().Area() : 0.0;
    m.Perimeter = double(document.Perimeter()) * 1000.0;
    return m;
}

struct TImportCase {
    const char* name;
    int insunits;
    std::vector<TDxfBlock> blocks;
    std::function<void(TDxfWriter&)> draw;
    QStringList layers; // empty: every layer
    double area;        // mm²
    double perimeter;   // mm
    bool r12 = false;
};

// The site square holes are cut into.
void siteSquare(TDxfWriter& w, double size) { w.rect("site", 0, 0, size, size); }

std::vector<TImportCase> importCases() {
    const TDxfBlock square{"SQUARE", 100, 100, [](TDxfWriter& b) { b.rect("0", 100, 100, 200, 200); }};
    const TDxfBlock ring{"RING", 0, 0, [](TDxfWriter& b) { b.circle("0", 0, 0, 100); }};
    return {
        {"FourLinesMakeASquare", 0, {}, [](TDxfWriter& d) { d.rect("site", 0, 0, 1000, 1000); }, {}, 1e6, 4000},
        {"ArcRunsCounterClockwiseFromStartToEndAngle", 0, {},
         [](TDxfWriter& d) {
             // A quarter disc: 0 -> 90 counter-clockwise ends at (0, 1000)
             // where the lines take over; clockwise it would end below.
             d.arc("site", 0, 0, 1000, 0, 90);
             d.line("site", 0, 1000, 0, 0);
             d.line("site", 0, 0, 1000, 0);
         },
         {}, kPi / 4 * 1e6, kPi * 500 + 2000},
        {"CircleAlone", 0, {}, [](TDxfWriter& d) { d.circle("site", 0, 0, 1000); }, {}, kPi * 1e6, 2 * kPi * 1000},
        {"CircleInsideIsAHole", 0, {},
         [](TDxfWriter& d) {
             siteSquare(d, 4000);
             d.circle("site", 2000, 2000, 500);
         },
         {}, 16e6 - kPi * 250000, 16000 + kPi * 1000},
        {"ClosedPolylineWithBulgesOfBothSigns", 0, {},
         [](TDxfWriter& d) {
             // Outward half circle on the right (r 500), inward one on the
             // top (r 1000), closing edge down the left side.
             d.polyline("site", {{0, 0, 0}, {2000, 0, 1}, {2000, 1000, -1}, {0, 1000, 0}}, true);
         },
         {}, 2e6 + kPi * 500 * 500 / 2 - kPi * 1000 * 1000 / 2, 3000 + 1500 * kPi},
        {"OpenPolylineHasNoClosingSegment", 0, {},
         [](TDxfWriter& d) { d.polyline("site", {{0, 0, 0}, {2000, 0, 1}, {2000, 1000, -1}, {0, 1000, 0}}, false); },
         {}, 2e6 + kPi * 500 * 500 / 2 - kPi * 1000 * 1000 / 2, 2000 + 1500 * kPi},
        {"OldStylePolylineOfVertexRecords", 0, {},
         [](TDxfWriter& d) { d.polyline("site", {{0, 0, 0}, {3000, 0, 0}, {0, 4000, 0}}, true); }, {}, 6e6, 12000,
         true},
        {"PolylineWithHeightsGivesItsPlan", 0, {},
         [](TDxfWriter& d) {
             // Its heights would lengthen the sides if they counted.
             d.polyline3d("site", {{0, 0, 480}, {3000, 0, 1490}, {0, 4000, -476}}, true);
         },
         {}, 6e6, 12000, true},
        {"BlockInsertedTwiceWithScaleAndRotationMakesTwoHoles", 0, {square},
         [](TDxfWriter& d) {
             siteSquare(d, 2000);
             d.insert("site", "SQUARE", 200, 200, 2, 2, 0);      // 200 x 200
             d.insert("site", "SQUARE", 1200, 1200, 3, 3, 45);   // 300 x 300, turned
         },
         {}, 4e6 - 200 * 200 - 300 * 300, 8000 + 800 + 1200},
        {"CircleOfABlockScaledUnevenlyBecomesAnEllipse", 0, {ring},
         [](TDxfWriter& d) { d.insert("site", "RING", 0, 0, 2, 1, 30); }, {}, kPi * 200 * 100, 968.8448},
        {"Ellipse", 0, {},
         [](TDxfWriter& d) { d.ellipse("site", 0, 0, 2000, 0, 0.5, 0, 2 * kPi); }, {}, kPi * 2000 * 1000,
         9688.448},
        {"SplineClosedByALine", 0, {},
         [](TDxfWriter& d) {
             // A parabola's arch, 1000 high over 2000.
             d.spline("site", 2, {0, 0, 0, 1, 1, 1}, {{0, 0}, {1000, 2000}, {2000, 0}});
             d.line("site", 2000, 0, 0, 0);
         },
         {}, 2.0 / 3.0 * 2000 * 1000, 2957.8857 + 2000},
        {"LayerLeftOut", 0, {},
         [](TDxfWriter& d) {
             d.rect("site", 0, 0, 1000, 1000);
             d.rect("notes", -5000, -5000, 5000, 5000);
         },
         {"site"}, 1e6, 4000},
        {"CentimetresFromTheFile", 5, {}, [](TDxfWriter& d) { d.rect("site", 0, 0, 10, 20); }, {}, 100 * 200, 600},
        {"MetresFromTheFile", 6, {}, [](TDxfWriter& d) { d.rect("site", 0, 0, 2, 3); }, {}, 6e6, 10000},
        {"InchesFromTheFile", 1, {}, [](TDxfWriter& d) { d.rect("site", 0, 0, 1, 1); }, {}, 25.4 * 25.4, 4 * 25.4},
    };
}

TEST(DxfReader, ImportedBordersHaveTheHandComputedAreaAndPerimeter) {
    TTempDir dir;
    for (const TImportCase& c : importCases()) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QString::fromLatin1(c.name) + QStringLiteral(".dxf"));
        WriteDxf(path, c.insunits, c.blocks, c.draw, c.r12);
        const TDxfDrawing drawing = TDxfDrawing::Read(path);
        ASSERT_TRUE(drawing.Error().isEmpty()) << drawing.Error().toStdString();
        const QStringList layers = c.layers.isEmpty() ? drawing.LayerNames() : c.layers;
        const TMeasured m = measure(drawing, layers, drawing.Unit().value_or(TDxfUnit::Millimetre));
        // Curves become chords up to 0.05 mm inside them: that much less
        // area along the perimeter, and a little less length.
        EXPECT_NEAR(m.Area, c.area, c.area * 1e-4 + 0.05 * c.perimeter);
        EXPECT_NEAR(m.Perimeter, c.perimeter, c.perimeter * 2e-5 + 0.25);
    }
}

TEST(DxfReader, BlockPlacedByItsBasePointScaleRotationAndNesting) {
    TTempDir dir;
    const QString path = dir.file(QStringLiteral("blocks.dxf"));
    const TDxfBlock inner{"INNER", 10, 10, [](TDxfWriter& b) { b.line("0", 10, 10, 20, 10); }};
    const TDxfBlock outer{"OUTER", 0, 0, [](TDxfWriter& b) { b.insert("0", "INNER", 5, 0, 1, 1, 0); }};
    WriteDxf(path, 0, {inner, outer}, [](TDxfWriter& d) {
        d.insert("a", "INNER", 100, 100, 2, 2, 90);
        d.insert("b", "OUTER", 1000, 0, 1, 1, 180);
    });
    const TDxfDrawing drawing = TDxfDrawing::Read(path);
    ASSERT_TRUE(drawing.Error().isEmpty()) << drawing.Error().toStdString();
    // Entities of a block on layer 0 are drawn on the reference's layer.
    ASSERT_EQ(drawing.LayerNames(), (QStringList{"a", "b"}));
    const auto a = drawing.Elements({"a"}, TDxfUnit::Millimetre, nullptr);
    const auto b = drawing.Elements({"b"}, TDxfUnit::Millimetre, nullptr);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    const auto near = [](TPointF p, double x, double y) {
        return std::fabs(p.X - x) < 1e-3 && std::fabs(p.Y - y) < 1e-3;
    };
    EXPECT_TRUE(near(a[0]->GetStartPoint(), 100, 100));
    EXPECT_TRUE(near(a[0]->GetEndPoint(), 100, 120));
    EXPECT_TRUE(near(b[0]->GetStartPoint(), 995, 0));
    EXPECT_TRUE(near(b[0]->GetEndPoint(), 985, 0));
}

TEST(DxfReader, LayersCountUsableEntitiesAndTellWhetherTheyClose) {
    TTempDir dir;
    const QString path = dir.file(QStringLiteral("layers.dxf"));
    WriteDxf(path, 4, {}, [](TDxfWriter& d) {
        d.polyline("outline", {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}}, true);
        d.circle("holes", 50, 50, 10);
        d.polyline("axis", {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}}, false);
        d.line("axis", 5, 5, 5, 5); // of no length: dropped, not counted
        d.text("notes", 0, 0, "Участок");
        d.point("notes", 1, 1);
        d.text("outline", 0, 0, "A");
    });
    const TDxfDrawing drawing = TDxfDrawing::Read(path);
    ASSERT_TRUE(drawing.Error().isEmpty()) << drawing.Error().toStdString();
    ASSERT_EQ(drawing.Layers().size(), 3u) << "a layer of nothing usable is not offered";
    const auto& l = drawing.Layers();
    EXPECT_EQ(l[0].Name, "outline");
    EXPECT_EQ(l[0].Usable, 1);
    EXPECT_TRUE(l[0].Closed);
    EXPECT_EQ(l[1].Name, "holes");
    EXPECT_TRUE(l[1].Closed);
    EXPECT_EQ(l[2].Name, "axis");
    EXPECT_EQ(l[2].Usable, 1);
    EXPECT_FALSE(l[2].Closed);
    EXPECT_EQ(drawing.SuggestedLayers(), (QStringList{"outline", "holes"}));
    EXPECT_EQ(drawing.Skipped(), 3);
    EXPECT_EQ(drawing.Unit(), TDxfUnit::Millimetre);
    EXPECT_EQ(drawing.Bounds({"outline", "holes"}), QRectF(0, 0, 100, 100));
}

TEST(DxfReader, UnreadableOrEmptyFilesAreRefusedNamingTheFile) {
    TTempDir dir;
    const QString garbage = dir.file(QStringLiteral("notes.dxf"));
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("This is not a drawing at all.\n");
    }
    const QString textOnly = dir.file(QStringLiteral("text-only.dxf"));
    WriteDxf(textOnly, 0, {}, [](TDxfWriter& d) { d.text("0", 0, 0, "nothing to pave"); });
    const QString good = dir.file(QStringLiteral("good.dxf"));
    WriteDxf(good, 0, {}, [](TDxfWriter& d) { d.rect("site", 0, 0, 10, 10); });

    struct {
        const char* name;
        QString path;
        QString file;
    } cases[] = {
        {"Missing", dir.file(QStringLiteral("missing.dxf")), QStringLiteral("missing.dxf")},
        {"NotADrawing", garbage, QStringLiteral("notes.dxf")},
        {"NothingUsable", textOnly, QStringLiteral("text-only.dxf")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TDxfDrawing drawing = TDxfDrawing::Read(c.path);
        EXPECT_TRUE(drawing.Error().contains(c.file)) << drawing.Error().toStdString();
        EXPECT_TRUE(drawing.Pieces().empty());
    }
    const TDxfDrawing drawing = TDxfDrawing::Read(good);
    EXPECT_TRUE(drawing.ProblemWith({"site"}).isEmpty());
    EXPECT_TRUE(drawing.ProblemWith({"elsewhere"}).contains(QStringLiteral("good.dxf")));
}

TEST(DxfReader, CurvesStayWithinTheirToleranceOfTheCurve) {
    TDxfPiece quarter;
    quarter.kind = TDxfPiece::Kind::Curve;
    quarter.At = [](double t) { return QPointF(1000 * std::cos(t), 1000 * std::sin(t)); };
    quarter.T0 = 0;
    quarter.T1 = kPi / 2;
    quarter.Spans = 1;
    const std::vector<QPointF> points = FlattenDxfCurve(quarter, 0.05);
    ASSERT_GE(points.size(), 3u);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const QPointF mid = (points[i] + points[i + 1]) / 2.0;
        EXPECT_LE(1000 - std::hypot(mid.x(), mid.y()), 0.05 + 1e-9);
    }
    // Not many more than needed: a chord of sagitta 0.05 at r 1000 spans 1.15°.
    EXPECT_LE(points.size(), 2u * 80u);
}

} // namespace
} // namespace vk
