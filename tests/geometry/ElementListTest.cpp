// Element lists: chaining outlines, contours, cutting at crossings and
// measuring; and the document base they belong to.

#include "geometry/ElementList.h"
#include "geometry/Region.h"
#include "geometry/ShapeDocument.h"
#include "geometry/ShapePath.h"
#include "geometry/VectorMath.h"
#include "support/FakeSheet.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <numbers>
#include <random>

using namespace vk;
using vk::test::TFakeSheet;

namespace {

void addSegment(T_TnC_Ancestor& doc, TPointF a, TPointF b, int style = 0) {
    auto s = std::make_unique<TLinePrimitive>(&doc);
    s->SetStart({doc.ToLocalX(a.X), doc.ToLocalY(a.Y), 1});
    s->SetFinish({doc.ToLocalX(b.X), doc.ToLocalY(b.Y), 1});
    s->LineStyle = style;
    doc.Elements().Add(std::move(s));
}

void addArc(T_TnC_Ancestor& doc, TPointF c, float r, float startDeg, float sweep) {
    auto a = std::make_unique<TArcPrimitive>(&doc);
    const TPointF s = PolarPoint(c, r, startDeg);
    a->SetCentre({doc.ToLocalX(c.X), doc.ToLocalY(c.Y), 1});
    a->SetStart({doc.ToLocalX(s.X), doc.ToLocalY(s.Y), 1});
    a->SetRadius(r);
    a->SetSweep(sweep);
    doc.Elements().Add(std::move(a));
}

// A square from (x, y) with side `side`, its sides given in a scrambled
// order and direction; `gap` moves every corner apart.
void addScrambledSquare(T_TnC_Ancestor& doc, float x, float y, float side, float gap = 0) {
    addSegment(doc, {x + side, y + side}, {x + side, y + gap});          // right, downwards
    addSegment(doc, {x, y}, {x + side - gap, y});                        // bottom
    addSegment(doc, {x + gap, y + side}, {x + side - gap, y + side});    // top, backwards
    addSegment(doc, {x, y + side - gap}, {x, y + gap});                  // left, downwards
}

} // namespace

TEST(ElementList, ScrambledSquareBecomesOneClosedChain) {
    T_TnC_Ancestor doc;
    addScrambledSquare(doc, 0, 0, 1000);
    TElementList& list = doc.Elements();
    list.SortIntoChain(10);
    for (int i = 0; i < 4; ++i) {
        const TPointF end = list.Items(i)->GetEndPoint();
        const TPointF next = list.Items((i + 1) % 4)->GetStartPoint();
        EXPECT_TRUE(EndsJoin(end, next, 10)) << "link " << i;
    }
    EXPECT_EQ(TElementList::BuildPath(10, doc, true).FigureCount(), 1);
    EXPECT_FLOAT_EQ(doc.Area(10), 1.0f);
    EXPECT_FLOAT_EQ(doc.Perimeter(), 4.0f);
}

// The chaining as first written: for each outline element, a scan of the rest
// of the list for the first one that joins its end. Kept as the oracle for
// the order the indexed chaining must reproduce.
void sortIntoChainByScanning(std::vector<TGraphicPrimitive*>& items, float tol) {
    const int count = int(items.size());
    for (int i = 0; i <= count - 2; ++i) {
        if (items[std::size_t(i)]->LineStyle != 0) {
            continue;
        }
        const TPointF e = items[std::size_t(i)]->GetEndPoint();
        int p = i + 1;
        while (items[std::size_t(p)]->LineStyle != 0 && p <= count - 2) {
            ++p;
        }
        for (int q = p; q <= count - 1; ++q) {
            TGraphicPrimitive* candidate = items[std::size_t(q)];
            if (EndsJoin(candidate->GetStartPoint(), e, tol)) {
                std::swap(items[std::size_t(q)], items[std::size_t(p)]);
                break;
            }
            if (EndsJoin(candidate->GetEndPoint(), e, tol)) {
                candidate->Reverse();
                std::swap(items[std::size_t(q)], items[std::size_t(p)]);
                break;
            }
        }
    }
}

// Contours as first traced: from the first element, each time to the lowest
// place whose start joins the end, the elements taken leaving the list.
std::vector<std::vector<TPointF>> traceByScanning(std::vector<TGraphicPrimitive*> items, float tol) {
    std::vector<std::vector<TPointF>> contours;
    const auto solidLeft = [&] {
        return std::any_of(items.begin(), items.end(), [](const TGraphicPrimitive* e) { return e->LineStyle == 0; });
    };
    while (!items.empty()) {
        std::vector<TPointF> points;
        const auto take = [&](std::size_t k) {
            TGraphicPrimitive* e = items[k];
            points.push_back(e->GetStartPoint());
            ArcPoints(*e, points);
            points.push_back(e->GetEndPoint());
            items.erase(items.begin() + std::ptrdiff_t(k));
            return e->GetEndPoint();
        };
        TPointF end = take(0);
        for (bool found = true; found;) {
            found = false;
            for (std::size_t k = 0; k < items.size(); ++k) {
                if (EndsJoin(items[k]->GetStartPoint(), end, tol)) {
                    end = take(k);
                    found = true;
                    break;
                }
            }
        }
        contours.push_back(points);
        if (!solidLeft()) {
            break;
        }
    }
    return contours;
}

// Random borders on a coarse grid, so that ends often join several others,
// lie exactly a tolerance apart or coincide; with arcs, cut lines and
// elements that never join. Each element carries its number in Version.
TEST(ElementList, IndexedChainingKeepsTheOrderOfTheScan) {
    std::mt19937 random(20261210);
    for (int trial = 0; trial < 400; ++trial) {
        const float tol = std::array<float, 4>{10.0f, 50.0f, 7.5f, 0.5f}[std::size_t(trial % 4)];
        const int size = 2 + int(random() % 160);
        const int span = 1 + int(random() % 30);
        std::uniform_int_distribution<int> grid(0, span);
        const auto gridPoint = [&] { return TPointF{float(grid(random) * 5), float(grid(random) * 5)}; };
        const TPointF base{float(random() % 7), float(random() % 5)};
        T_TnC_Ancestor doc;
        doc.SetBasePoint(base.X, base.Y);
        for (int k = 0; k < size; ++k) {
            const unsigned kind = random() % 10;
            if (kind < 6) {
                addSegment(doc, gridPoint(), gridPoint(), random() % 6 == 0 ? 2 : 0);
            } else {
                const TPointF c = gridPoint();
                addArc(doc, c, float(5 * (1 + random() % 6)), float(90 * (random() % 4)),
                       float(random() % 2 == 0 ? 90 : -180));
                doc.Elements().Items(k)->LineStyle = random() % 8 == 0 ? 2 : 0;
            }
            doc.Elements().Items(k)->Version = k;
        }
        T_TnC_Ancestor scannedDoc;
        scannedDoc.SetBasePoint(base.X, base.Y);
        scannedDoc.Elements().CopyFrom(doc.Elements(), true);
        std::vector<TGraphicPrimitive*> scanned;
        for (int k = 0; k < size; ++k) {
            scanned.push_back(scannedDoc.Elements().Items(k));
        }
        sortIntoChainByScanning(scanned, tol);
        doc.Elements().SortIntoChain(tol);
        ASSERT_EQ(doc.Elements().Count(), size);
        for (int k = 0; k < size; ++k) {
            const TGraphicPrimitive* got = doc.Elements().Items(k);
            const TGraphicPrimitive* want = scanned[std::size_t(k)];
            ASSERT_EQ(got->Version, want->Version) << "trial " << trial << ", slot " << k;
            ASSERT_EQ(got->GetStartPoint(), want->GetStartPoint()) << "trial " << trial << ", slot " << k;
            ASSERT_EQ(got->GetEndPoint(), want->GetEndPoint()) << "trial " << trial << ", slot " << k;
        }
        // The contours traced from the chained list, long lists included.
        const std::vector<std::vector<TPointF>> wanted = traceByScanning(scanned, tol);
        std::vector<std::vector<TPointF>> traced;
        for (bool more = true; more;) {
            std::vector<TPointF> points;
            more = doc.Elements().TracePolygon(tol, points);
            traced.push_back(points);
        }
        ASSERT_EQ(traced, wanted) << "trial " << trial;
    }
}

TEST(ElementList, JoinToleranceIsStrict) {
    const struct {
        const char* name;
        float gap;
        float tol;
        int figures;
    } cases[] = {
        {"corners 9 mm apart, tolerance 10", 9, 10, 1},
        {"corners 9 mm apart, tolerance 9", 9, 9, 4},
        {"corners 10 mm apart, tolerance 10", 10, 10, 4},
    };
    for (const auto& c : cases) {
        T_TnC_Ancestor doc;
        addScrambledSquare(doc, 0, 0, 1000, c.gap);
        EXPECT_EQ(TElementList::BuildPath(c.tol, doc, true).FigureCount(), c.figures) << c.name;
    }
}

TEST(ElementList, HoleIsSubtractedAndCutLinesIgnored) {
    T_TnC_Ancestor doc;
    addScrambledSquare(doc, 0, 0, 1000);
    addScrambledSquare(doc, 250, 250, 500);
    addSegment(doc, {0, 500}, {1000, 500}, 2); // a cut line
    EXPECT_FLOAT_EQ(doc.Area(10), 0.75f);
    EXPECT_FLOAT_EQ(doc.Perimeter(), 6.0f);
    EXPECT_EQ(TElementList::BuildPath(10, doc, true).FigureCount(), 2);
    EXPECT_EQ(doc.Elements().Count(), 9) << "the cut line stays in the document";
    EXPECT_EQ(doc.Elements().CountOfStyles(1u << 2), 1);
}

TEST(ElementList, QuarterDiscIsTracedWithFiveArcPoints) {
    T_TnC_Ancestor doc;
    addSegment(doc, {0, 0}, {100, 0});
    addArc(doc, {0, 0}, 100, 0, 90);
    addSegment(doc, {0, 100}, {0, 0});
    std::vector<TPointF> points;
    ArcPoints(*doc.Elements().Items(1), points);
    EXPECT_EQ(points.size(), 5u);
    EXPECT_NEAR(doc.Area(10), 0.0077646, 1e-7);
    EXPECT_NEAR(doc.Perimeter(), (200 + 50 * std::numbers::pi) / 1000, 1e-6);
}

TEST(ElementList, AreaLeavesTheModifiedFlagAsItWasAndBuildPathMarksIt) {
    T_TnC_Ancestor doc;
    addScrambledSquare(doc, 0, 0, 100);
    doc.SetModified(false);
    (void)doc.Area(10);
    EXPECT_FALSE(doc.Modified);
    (void)doc.Perimeter();
    EXPECT_FALSE(doc.Modified);
    (void)TElementList::BuildPath(10, doc, true);
    EXPECT_TRUE(doc.Modified) << "the working copy belongs to the document";
}

TEST(ElementList, SplitAtIntersectionsCutsTheSidesAMiddleLineCrosses) {
    T_TnC_Ancestor doc;
    addSegment(doc, {0, 0}, {200, 0});     // bottom
    addSegment(doc, {200, 0}, {200, 100}); // right
    addSegment(doc, {200, 100}, {0, 100}); // top
    addSegment(doc, {0, 100}, {0, 0});     // left
    addSegment(doc, {0, 50}, {200, 50}, 2); // the middle cut line
    TElementList& list = doc.Elements();
    list.SplitAtIntersections(10);
    ASSERT_EQ(list.Count(), 7);
    QStringList kept;
    for (int i = 0; i < 3; ++i) {
        kept << QString("%1,%2").arg(list.Items(i)->GetStartPoint().Y).arg(list.Items(i)->GetEndPoint().Y);
    }
    EXPECT_EQ(kept, (QStringList{"0,0", "100,100", "50,50"})) << "horizontals and the middle stay whole";
    std::vector<std::pair<float, float>> halves;
    for (int i = 3; i < 7; ++i) {
        EXPECT_FLOAT_EQ(list.Items(i)->GetStartPoint().X, list.Items(i)->GetEndPoint().X);
        halves.push_back({list.Items(i)->GetStartPoint().Y, list.Items(i)->GetEndPoint().Y});
    }
    std::sort(halves.begin(), halves.end());
    EXPECT_EQ(halves, (std::vector<std::pair<float, float>>{{0, 50}, {50, 0}, {50, 100}, {100, 50}}));
}

TEST(ElementList, DeleteAndDescriptions) {
    QLocale::setDefault(QLocale::c());
    T_TnC_Ancestor doc;
    doc.SetBasePoint(5, 5);
    addSegment(doc, {5, 5}, {15, 5});
    QStringList lines{"existing"};
    std::vector<TGraphicPrimitive*> objects;
    doc.Elements().GetDescriptions(lines, 1, &objects);
    EXPECT_EQ(lines, (QStringList{"existing", "Отрезок (5.00;5.00)-(15.00;5.00), сплошная"}));
    EXPECT_EQ(objects.size(), 1u);
    doc.Elements().DeleteElement(doc.Elements().Items(0), false);
    EXPECT_TRUE(doc.BasePoint.isSet()) << "kept without ClearBaseIfEmpty";
    addSegment(doc, {5, 5}, {15, 5});
    doc.Elements().DeleteElement(doc.Elements().Items(0), true);
    EXPECT_FALSE(doc.BasePoint.isSet());
    EXPECT_EQ(doc.BasePoint.X, 0.0f);
    QLocale::setDefault(QLocale::system());
}

// Area by tracing agrees with Clipper's area of a finely flattened outline,
// for random star-shaped outlines of segments and arcs given in random order
// and direction, within the error a 1 mm chord allows.
TEST(ElementList, AreaAgreesWithAnIndependentMeasurement) {
    std::mt19937 random(20261209);
    std::uniform_real_distribution<float> radius(300, 3000);
    std::uniform_real_distribution<float> unit(0, 1);
    for (int trial = 0; trial < 40; ++trial) {
        T_TnC_Ancestor doc;
        doc.SetBasePoint(unit(random) * 5000, unit(random) * 5000);
        const int n = 3 + int(unit(random) * 10);
        std::vector<float> angles;
        for (int i = 0; i < n; ++i) angles.push_back(360.0f * (i + 0.1f + 0.8f * unit(random)) / n);
        std::vector<float> radii;
        for (int i = 0; i < n; ++i) {
            radii.push_back(i > 0 && unit(random) < 0.4f ? radii.back() : radius(random));
        }
        radii.push_back(radii.front());
        double arcLength = 0;
        struct Piece { bool arc; int i; };
        std::vector<Piece> pieces;
        for (int i = 0; i < n; ++i) pieces.push_back({radii[i] == radii[i + 1], i});
        std::shuffle(pieces.begin(), pieces.end(), random);
        const TPointF centre{1000, -2000};
        for (const Piece& p : pieces) {
            const float a0 = angles[p.i];
            const float a1 = p.i + 1 < n ? angles[p.i + 1] : angles[0] + 360.0f;
            if (p.arc) {
                addArc(doc, centre, radii[p.i], a0, a1 - a0);
                arcLength += radii[p.i] * (a1 - a0) * std::numbers::pi / 180;
            } else {
                addSegment(doc, PolarPoint(centre, radii[p.i], a0), PolarPoint(centre, radii[p.i + 1], a1));
            }
            if (unit(random) < 0.5f) doc.Elements().Items(doc.Elements().Count() - 1)->Reverse();
        }
        const TShapePath path = TElementList::BuildPath(10, doc, true);
        ASSERT_EQ(path.FigureCount(), 1) << "trial " << trial;
        const double oracle = TRegion::FromPolygons(path.Flatten(0.005)).Area() / 1e6;
        // A chord closer than 1 mm to the circle loses less than 2/3 mm per
        // mm of arc.
        const double allowed = (arcLength * 1.0 + 1.0) / 1e6;
        EXPECT_NEAR(doc.Area(10), oracle, allowed + oracle * 1e-6) << "trial " << trial;
    }
}

TEST(ShapeDocument, NewDocumentAndCoordinates) {
    T_TnC_Ancestor doc;
    EXPECT_EQ(doc.ID, -1);
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.Elements().Count(), 0);
    EXPECT_EQ(doc.ToWorldX(5), 5.0f);
    doc.SetBasePoint(100, 50);
    EXPECT_EQ(doc.ToWorldX(5), 105.0f);
    EXPECT_EQ(doc.ToLocalY(60), 10.0f);
    EXPECT_FALSE(doc.Modified) << "setting the base point is not a change";
    doc.ClearBasePoint();
    EXPECT_EQ(doc.ToWorldX(5), 5.0f);
    EXPECT_EQ(doc.BasePoint.IsSet, 0);
}

TEST(ShapeDocument, AssignCopiesButNotTheModifiedFlagAndNotifiesNothing) {
    int notified = 0;
    T_TnC_Ancestor source;
    source.SetName("Кирпич");
    source.ID = 42;
    source.SetBasePoint(1, 2);
    addSegment(source, {1, 2}, {3, 4});
    source.SetModified(false);
    T_TnC_Ancestor copy([&](const QString&) { ++notified; });
    copy.Assign(source);
    EXPECT_EQ(copy.Name(), QString("Кирпич"));
    EXPECT_EQ(copy.ID, 42);
    EXPECT_EQ(copy.BasePoint, source.BasePoint);
    EXPECT_EQ(copy.Elements().Count(), 1);
    EXPECT_EQ(copy.Elements().Items(0)->Owner(), &copy);
    EXPECT_TRUE(copy.Modified) << "adding the copied elements marks it";
    EXPECT_EQ(notified, 0);
    copy.SetName("Другое");
    EXPECT_EQ(notified, 1);
}

TEST(ShapeDocument, TrackPointerPicksTheNearestLowestIndexWithinTolerance) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    addSegment(doc, {0, 0}, {100, 0});
    addSegment(doc, {0, 6}, {100, 6});
    TGraphicPrimitive* first = doc.Elements().Items(0);
    doc.TrackPointer(sheet, {50, 3}, 5);
    EXPECT_EQ(doc.Current(), first) << "equal distances: the lower index";
    EXPECT_EQ(first->GrabFlags, std::uint32_t(gfWhole));
    EXPECT_TRUE(sheet.info.startsWith("Начало"));
    doc.TrackPointer(sheet, {50, 3}, 2);
    EXPECT_EQ(doc.Current(), nullptr);
    EXPECT_EQ(first->GrabFlags, 0u) << "dropping the current role clears its grab";
    EXPECT_TRUE(sheet.info.isEmpty());
    // Over the current element's end handle: it stays current, only the anchor moves.
    doc.TrackPointer(sheet, {50, 1}, 5);
    ASSERT_EQ(doc.Current(), first);
    doc.TrackPointer(sheet, {100.5f, 0.5f}, 2);
    EXPECT_EQ(doc.Current(), first);
    EXPECT_TRUE(first->GrabFlags & gfEnd);
    EXPECT_EQ(first->DragAnchor.X, 100.5f);
}

TEST(ShapeDocument, LoadIntoSheetWithoutAStoredViewShowsSixHundredMillimetres) {
    TFakeSheet sheet;
    sheet.viewMm = {300, 150};
    T_TnC_Ancestor doc;
    doc.LoadIntoSheet(5, sheet);
    EXPECT_EQ(sheet.view.SizeX, 600.0f);
    EXPECT_EQ(sheet.view.PositiveX, 300.0f);
    EXPECT_EQ(sheet.view.X, 0.0f);
    EXPECT_FLOAT_EQ(sheet.view.Scale, 0.25f) << "the whole sheet fits the view's height";
}

TEST(ShapeDocument, RemovingTheLastElementClearsTheBasePoint) {
    T_TnC_Ancestor doc;
    TFakeSheet sheet;
    auto s = std::make_unique<TLinePrimitive>(&doc);
    bool done = false;
    s->AddCreationPoint(sheet, done, 10, 10);
    s->AddCreationPoint(sheet, done, 20, 10);
    TGraphicPrimitive* raw = s.get();
    doc.Elements().Add(std::move(s));
    doc.SetCurrent(raw);
    doc.RemoveElement(doc.Elements(), raw);
    EXPECT_EQ(doc.Elements().Count(), 0);
    EXPECT_EQ(doc.Current(), nullptr);
    EXPECT_FALSE(doc.BasePoint.isSet());
}
