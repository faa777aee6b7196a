// Segments, arcs and points: creation by clicks, measurement texts, handles,
// dragging, reversing and cutting.

#include "geometry/ElementRecords.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "geometry/ShapePath.h"
#include "geometry/Tolerance.h"
#include "geometry/VectorMath.h"
#include "support/FakeSheet.h"

#include <QLocale>
#include <cstring>
#include <gtest/gtest.h>

using namespace vk;
using vk::test::TFakeSheet;

namespace {

class CLocale : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

std::unique_ptr<TLinePrimitive> segment(T_TnC_Ancestor* doc, TPointF a, TPointF b) {
    auto s = std::make_unique<TLinePrimitive>(doc);
    s->SetStart({a.X, a.Y, 1});
    s->SetFinish({b.X, b.Y, 1});
    return s;
}

// An arc made as the user makes it: centre, start, then end direction.
std::unique_ptr<TArcPrimitive> clickedArc(T_TnC_Ancestor* doc, TFakeSheet& sheet, TPointF c,
                                          TPointF s, TPointF e) {
    auto arc = std::make_unique<TArcPrimitive>(doc);
    bool finished = false;
    arc->AddCreationPoint(sheet, finished, c.X, c.Y);
    arc->AddCreationPoint(sheet, finished, s.X, s.Y);
    arc->AddCreationPoint(sheet, finished, e.X, e.Y);
    EXPECT_TRUE(finished);
    return arc;
}

IntersectionPoint cutAt(TPointF p, std::int32_t flagsB = crossing::Interior) {
    return {p.X, p.Y, 0, flagsB};
}

void expectPoint(TPointF got, TPointF want, const char* what, double tol = 1e-3) {
    EXPECT_TRUE(nearlyEqual(got.X, want.X, tol) && nearlyEqual(got.Y, want.Y, tol))
        << what << ": got (" << got.X << ", " << got.Y << "), want (" << want.X << ", " << want.Y << ")";
}

} // namespace

TEST_F(CLocale, SegmentInADocumentMeasuresInWorldCoordinates) {
    T_TnC_Ancestor doc;
    doc.SetBasePoint(100, 200);
    auto s = segment(&doc, {0, 0}, {30, 40});
    expectPoint(s->GetStartPoint(), {100, 200}, "start");
    expectPoint(s->GetEndPoint(), {130, 240}, "end");
    EXPECT_EQ(s->GetDescription(1), QString("Отрезок (100.00;200.00)-(130.00;240.00), сплошная"));
    EXPECT_EQ(s->GetDescription(10), QString("Отрезок (10.00;20.00)-(13.00;24.00), сплошная"));
    EXPECT_EQ(s->GetInfo(1), QString("Начало: 100.00; 200.00\r\nКонец: 130.00; 240.00\r\n"
                                     "Длина: 50.00\r\nУгол наклона к оси X: 53.13"));
    s->LineStyle = 1;
    EXPECT_TRUE(s->GetDescription(1).endsWith(", "));
    s->LineStyle = 2;
    EXPECT_TRUE(s->GetDescription(1).endsWith("пунктир"));
}

TEST(Segment, DescriptionUsesTheUsersSeparator) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    T_TnC_Ancestor doc;
    auto s = segment(&doc, {0.5f, 0}, {1, 1});
    EXPECT_EQ(s->GetDescription(1), QString("Отрезок (0,50;0,00)-(1,00;1,00), сплошная"));
    QLocale::setDefault(QLocale::system());
}

TEST(Segment, ClicksMakeIt_TheFirstClickSetsTheBasePoint) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    TLinePrimitive s(&doc);
    EXPECT_FALSE(s.IsStarted());
    bool finished = true;
    s.AddCreationPoint(sheet, finished, 50, 60);
    EXPECT_FALSE(finished);
    EXPECT_TRUE(doc.BasePoint.isSet());
    EXPECT_EQ(doc.BasePoint.X, 50.0f);
    EXPECT_TRUE(s.IsStarted());
    EXPECT_EQ(s.Start().X, 0.0f) << "stored local to the base point";
    s.AddCreationPoint(sheet, finished, 80, 100);
    EXPECT_TRUE(finished);
    expectPoint(s.GetEndPoint(), {80, 100}, "end");
    EXPECT_TRUE(sheet.info.contains("Длина: 50.00"));
    // A third click on a complete segment changes nothing.
    std::vector<std::uint8_t> before(s.Data(), s.Data() + s.GetDataSize());
    s.AddCreationPoint(sheet, finished, 1, 1);
    EXPECT_EQ(0, std::memcmp(before.data(), s.Data(), before.size()));
}

TEST(Segment, ReverseTwiceRestoresTheBlockByteForByte) {
    T_TnC_Ancestor doc;
    auto s = segment(&doc, {1.25f, -3}, {7, 9});
    s->SetFinish({7, 9, 0}); // an unset flag byte must travel too
    std::vector<std::uint8_t> before(s->Data(), s->Data() + s->GetDataSize());
    s->Reverse();
    EXPECT_EQ(s->Start().IsSet, 0);
    EXPECT_EQ(s->Finish().X, 1.25f);
    s->Reverse();
    EXPECT_EQ(0, std::memcmp(before.data(), s->Data(), before.size()));
}

TEST(Segment, HandleWindowReachesTolBelowAndTwiceTolAbove) {
    T_TnC_Ancestor doc;
    auto s = segment(&doc, {10, 10}, {100, 10});
    const struct {
        const char* name;
        float dx;
        bool grabbed;
    } cases[] = {{"1.9 left", -1.9f, true}, {"3.9 right", 3.9f, true}, {"2.1 left", -2.1f, false},
                 {"4.1 right", 4.1f, false}};
    for (const auto& c : cases) {
        s->HitTestHandles({10 + c.dx, 10}, 2);
        EXPECT_EQ((s->GrabFlags & gfStart) != 0, c.grabbed) << c.name;
        EXPECT_EQ(s->GrabFlags & gfEnd, 0u) << c.name;
    }
}

TEST(Segment, DragMovesWhatIsGrabbed) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    doc.SetBasePoint(10, 10);
    auto s = segment(&doc, {0, 0}, {100, 0});
    s->GrabFlags = gfWhole;
    s->DragAnchor = {50, 10};
    s->DragTo(sheet, 55, 20);
    expectPoint(s->GetStartPoint(), {15, 20}, "whole: start");
    expectPoint(s->GetEndPoint(), {115, 20}, "whole: end");
    EXPECT_TRUE(doc.Modified);
    s->GrabFlags = gfWhole | gfEnd; // the end wins over the whole element
    s->DragTo(sheet, 200, 200);
    expectPoint(s->GetEndPoint(), {200, 200}, "end");
    expectPoint(s->GetStartPoint(), {15, 20}, "start stays");
    EXPECT_TRUE(sheet.info.startsWith("Начало"));
}

TEST(Segment, SplitAtCutsAtInteriorCrossingsAndDropsShortPieces) {
    T_TnC_Ancestor doc;
    auto s = segment(&doc, {0, 0}, {100, 0});
    const struct {
        const char* name;
        std::vector<IntersectionPoint> cuts;
        std::vector<std::pair<float, float>> pieces; // x of start and end
    } cases[] = {
        {"one crossing at 40", {cutAt({40, 0})}, {{0, 40}, {40, 100}}},
        {"one crossing at 5: the stub is dropped", {cutAt({5, 0})}, {{5, 100}}},
        {"first crossing not inside", {cutAt({40, 0}, crossing::NearStart), cutAt({60, 0})}, {}},
        {"two crossings in the wrong order", {cutAt({70, 0}), cutAt({30, 0})},
         {{0, 30}, {30, 70}, {70, 100}}},
    };
    for (const auto& c : cases) {
        const auto pieces = s->SplitAt(c.cuts, 10);
        ASSERT_EQ(pieces.size(), c.pieces.size()) << c.name;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_FLOAT_EQ(pieces[i]->GetStartPoint().X, c.pieces[i].first) << c.name;
            EXPECT_FLOAT_EQ(pieces[i]->GetEndPoint().X, c.pieces[i].second) << c.name;
            EXPECT_EQ(pieces[i]->LineStyle, 0) << c.name;
            EXPECT_EQ(pieces[i]->GetKind(), pkSegment) << c.name;
        }
    }
    EXPECT_FLOAT_EQ(s->GetEndPoint().X, 100) << "the segment itself is not changed";
}

TEST_F(CLocale, ArcFromThreeClicks) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    auto arc = clickedArc(&doc, sheet, {0, 0}, {10, 0}, {0, 5});
    EXPECT_FLOAT_EQ(arc->Radius(), 10);
    EXPECT_FLOAT_EQ(arc->StartAngle(), 0);
    EXPECT_FLOAT_EQ(arc->Sweep(), 90);
    expectPoint(arc->GetEndPoint(), {0, 10}, "end");
    EXPECT_NEAR(arc->Length(), 15.71, 0.005);
    EXPECT_TRUE(arc->GetDescription(1).contains("угол 90.00, сплошная"));
    EXPECT_TRUE(sheet.info.contains("Длина: 15.71"));
    EXPECT_TRUE(sheet.info.contains("Угол поворота: 90.00"));

    auto below = clickedArc(&doc, sheet, {0, 0}, {10, 0}, {0, -5});
    EXPECT_FLOAT_EQ(below->Sweep(), 270);
    auto none = clickedArc(&doc, sheet, {0, 0}, {10, 0}, {30, 0});
    EXPECT_FLOAT_EQ(none->Sweep(), 0);
    EXPECT_EQ(none->DistanceTo({0, -12}), 2.0f) << "a zero sweep counts every direction as inside";
}

TEST_F(CLocale, ArcInfoDividesLengthsButNotAngles) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    auto arc = clickedArc(&doc, sheet, {0, 0}, {100, 0}, {0, 50});
    EXPECT_EQ(arc->GetInfo(10), QString("Центр: 0.00; 0.00\r\nНачало: 10.00; 0.00\r\n"
                                        "Конец: 0.00; 10.00\r\nРадиус: 10.00\r\nДлина: 15.71\r\n"
                                        "Угол поворота: 90.00\r\nУгол наклона к оси X: 0.00"));
}

TEST(Arc, ReverseMovesTheStartToTheEndAndNegatesTheSweep) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    auto arc = clickedArc(&doc, sheet, {0, 0}, {10, 0}, {0, 5});
    arc->Reverse();
    expectPoint(arc->GetStartPoint(), {0, 10}, "start");
    EXPECT_FLOAT_EQ(arc->Sweep(), -90);
    expectPoint(arc->GetEndPoint(), {10, 0}, "end");
    arc->Reverse();
    expectPoint(arc->GetStartPoint(), {10, 0}, "start again");
    EXPECT_FLOAT_EQ(arc->Sweep(), 90);
}

TEST(Arc, DistanceToFollowsTheArcInItsOwnSense) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    auto quarter = clickedArc(&doc, sheet, {0, 0}, {10, 0}, {0, 5}); // 0..90
    const auto at = [](float r, float deg) { return PolarPoint({0, 0}, r, deg); };
    EXPECT_NEAR(quarter->DistanceTo(at(12, 45)), 2.0f, 1e-4);
    EXPECT_EQ(quarter->DistanceTo(at(12, 180)), -1.0f);
    // Reversed, it is the same piece of circle: still measured along itself.
    quarter->Reverse();
    EXPECT_NEAR(quarter->DistanceTo(at(12, 45)), 2.0f, 1e-4);
    EXPECT_EQ(quarter->DistanceTo(at(12, 180)), -1.0f);
    EXPECT_EQ(quarter->DistanceTo(at(12, 300)), -1.0f);
    // An arc passing 0 degrees.
    auto wrap = clickedArc(&doc, sheet, {0, 0}, at(10, 300), at(10, 60));
    EXPECT_NEAR(wrap->DistanceTo(at(10, 10)), 0.0f, 1e-3);
    EXPECT_EQ(wrap->DistanceTo(at(10, 180)), -1.0f);
}

TEST(Arc, SplitAtCutsAlongTheArcAndDropsShortPieces) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    const auto at = [](float deg) { return PolarPoint({0, 0}, 100, deg); };
    auto quarter = clickedArc(&doc, sheet, {0, 0}, {100, 0}, {0, 100});
    quarter->LineStyle = 2;
    const struct {
        const char* name;
        bool reversed;
        std::vector<IntersectionPoint> cuts;
        std::vector<std::pair<float, float>> pieces; // start angle, sweep
    } cases[] = {
        {"interior crossing at 30", false, {cutAt(at(30))}, {{0, 30}, {30, 60}}},
        {"crossing at 3: the stub is dropped", false, {cutAt(at(3))}, {{3, 87}}},
        {"only the near bit: ignored", false, {cutAt(at(30), crossing::Near)}, {{0, 90}}},
        {"two crossings out of order", false, {cutAt(at(60)), cutAt(at(20))},
         {{0, 20}, {20, 40}, {60, 30}}},
        {"reversed arc cut at 30", true, {cutAt(at(30))}, {{90, -60}, {30, -30}}},
    };
    for (const auto& c : cases) {
        auto arc = std::make_unique<TArcPrimitive>(&doc);
        arc->Assign(*quarter);
        if (c.reversed) {
            arc->Reverse();
        }
        const auto pieces = arc->SplitAt(c.cuts, 10);
        ASSERT_EQ(pieces.size(), c.pieces.size()) << c.name;
        float total = 0;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const auto* p = static_cast<const TArcPrimitive*>(pieces[i].get());
            EXPECT_NEAR(p->StartAngle(), c.pieces[i].first, 1e-3) << c.name << " piece " << i;
            EXPECT_NEAR(p->Sweep(), c.pieces[i].second, 1e-3) << c.name << " piece " << i;
            EXPECT_FLOAT_EQ(p->Radius(), 100) << c.name;
            total += p->Sweep();
        }
        if (pieces.size() > 1 && std::string(c.name).find("stub") == std::string::npos) {
            EXPECT_NEAR(total, arc->Sweep(), 1e-3) << c.name << ": the pieces add up to the arc";
        }
        // Only the last piece keeps the arc's own line style.
        if (!pieces.empty()) {
            EXPECT_EQ(pieces.back()->LineStyle, 2) << c.name;
        }
        if (pieces.size() > 1) {
            EXPECT_EQ(pieces.front()->LineStyle, 0) << c.name;
        }
    }
}

// A crossing within the tolerance of an end but just outside the arc is put
// on that end; the pieces must still begin and end where the arc and its
// crossings are, never on a turned copy of the arc.
TEST(Arc, CrossingJustOutsideAnEndDoesNotTurnTheArc) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    const auto at = [](float deg) { return PolarPoint({0, 0}, 100, deg); };
    auto quarter = clickedArc(&doc, sheet, {0, 0}, {100, 0}, {0, 100});

    // A circle through the point 2 degrees before the start, crossing the
    // quarter's circle there and far from the arc elsewhere.
    const TPointF through = at(-2);
    auto crosser = clickedArc(&doc, sheet, {through.X, through.Y - 50}, {through.X + 50, through.Y - 50},
                              {through.X - 50, through.Y - 50});
    const std::vector<IntersectionPoint> real = CrossArcs(10, crosser->Geom(), quarter->Geom());
    ASSERT_EQ(real.size(), 1u);
    ASSERT_TRUE(real[0].FlagsB & crossing::NearStart);

    const std::int32_t nearStart = crossing::NearStart | crossing::Near;
    const std::int32_t nearEnd = crossing::NearEnd | crossing::Near;
    const struct {
        const char* name;
        bool reversed;
        std::vector<IntersectionPoint> cuts;
        std::vector<std::pair<TPointF, TPointF>> pieces; // start, end
    } cases[] = {
        {"a circle crossing 2 degrees before the start", false, real, {{at(0), at(90)}}},
        {"2 degrees past the end", false, {cutAt(at(92), nearEnd)}, {{at(0), at(90)}}},
        {"before the start, with an interior crossing", false, {cutAt(at(-2), nearStart), cutAt(at(45))},
         {{at(0), at(45)}, {at(45), at(90)}}},
        {"reversed, 2 degrees before its start", true, {cutAt(at(92), nearStart)}, {{at(90), at(0)}}},
        {"reversed, 2 degrees past its end", true, {cutAt(at(-2), nearEnd)}, {{at(90), at(0)}}},
    };
    for (const auto& c : cases) {
        auto arc = std::make_unique<TArcPrimitive>(&doc);
        arc->Assign(*quarter);
        if (c.reversed) {
            arc->Reverse();
        }
        const auto pieces = arc->SplitAt(c.cuts, 10);
        ASSERT_EQ(pieces.size(), c.pieces.size()) << c.name;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            expectPoint(pieces[i]->GetStartPoint(), c.pieces[i].first, c.name);
            expectPoint(pieces[i]->GetEndPoint(), c.pieces[i].second, c.name);
        }
    }
}

TEST(Arc, DraggingTheCentreKeepsTheStartAndTheEndDirection) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    auto arc = clickedArc(&doc, sheet, {0, 0}, {10, 0}, {0, 5});
    const TPointF oldEnd = arc->GetEndPoint();
    arc->GrabFlags = gfCentre | gfWhole;
    arc->DragAnchor = {0, 0};
    arc->DragTo(sheet, -2, -3);
    expectPoint(arc->GetStartPoint(), {10, 0}, "start stays");
    expectPoint(arc->GetCentre(), {-2, -3}, "centre moved");
    EXPECT_NEAR(arc->Radius(), Distance({-2, -3}, {10, 0}), 1e-4);
    EXPECT_NEAR(AngleOf(arc->GetCentre(), arc->GetEndPoint()), AngleOf({-2, -3}, oldEnd), 1e-3);
}

TEST(Arc, HandlesIncludeTheCentre) {
    TFakeSheet sheet;
    T_TnC_Ancestor doc;
    auto arc = clickedArc(&doc, sheet, {0, 0}, {10, 0}, {0, 5});
    arc->HitTestHandles({0.5f, -1.5f}, 2);
    EXPECT_EQ(arc->GrabFlags, std::uint32_t(gfCentre));
    arc->HitTestHandles({0, 11}, 2);
    EXPECT_EQ(arc->GrabFlags, std::uint32_t(gfEnd));
}

TEST_F(CLocale, PointIsDescribedInWorldCoordinates) {
    T_TnC_Ancestor doc;
    doc.SetBasePoint(100, 100);
    TPointPrimitive p(&doc);
    p.SetPoint({10, 20, 1});
    EXPECT_EQ(p.GetDescription(10), QString("Точка (11.00;12.00)"));
    EXPECT_EQ(p.DistanceTo({110, 120}), -1.0f) << "points are never picked";
    TShapePath path;
    p.AddToPath(path);
    ASSERT_EQ(path.Figures().size(), 1u);
    EXPECT_EQ(path.Figures()[0][0].A, path.Figures()[0][0].B);
}

TEST(Primitive, KindCodesMakeTheirClassesAndUnknownCodesNothing) {
    T_TnC_Ancestor doc;
    EXPECT_NE(dynamic_cast<TLinePrimitive*>(CreatePrimitive(0, &doc).get()), nullptr);
    EXPECT_NE(dynamic_cast<TPointPrimitive*>(CreatePrimitive(2, &doc).get()), nullptr);
    EXPECT_NE(dynamic_cast<TArcPrimitive*>(CreatePrimitive(3, &doc).get()), nullptr);
    EXPECT_EQ(CreatePrimitive(9, &doc), nullptr);
    EXPECT_EQ(CreatePrimitive(-1, &doc), nullptr);
    const struct {
        int kind, size;
    } sizes[] = {{0, 18}, {2, 9}, {3, 27}};
    for (const auto& s : sizes) {
        EXPECT_EQ(CreatePrimitive(s.kind, &doc)->GetDataSize(), s.size);
    }
}

TEST(Primitive, AssignCopiesBlockVersionAndStyleButNotGrabFlags) {
    T_TnC_Ancestor doc;
    auto a = segment(&doc, {1, 2}, {3, 4});
    a->SetVersion(7);
    a->LineStyle = 2;
    a->GrabFlags = gfWhole;
    TLinePrimitive b(nullptr);
    b.Assign(*a);
    EXPECT_EQ(0, std::memcmp(a->Data(), b.Data(), 18));
    EXPECT_EQ(b.GetVersion(), 7);
    EXPECT_EQ(b.LineStyle, 2);
    EXPECT_EQ(b.GrabFlags, 0u);
}

TEST(Records, EveryKindRoundTripsByteForByte) {
    T_TnC_Ancestor doc;
    auto line = segment(&doc, {1.5f, -2}, {3, 4});
    line->SetFinish({3, 4, 0});
    line->LineStyle = 2;
    line->SetVersion(3);
    TArcPrimitive arc(&doc);
    arc.SetCentre({1, 1, 1});
    arc.SetStart({11, 1, 1});
    arc.SetSweep(-45.5f);
    arc.SetSweepFlag(1);
    arc.SetRadius(10);
    TPointPrimitive point(&doc);
    point.SetPoint({7, 8, 0});
    for (const TGraphicPrimitive* e : std::initializer_list<const TGraphicPrimitive*>{line.get(), &arc, &point}) {
        const PrimitiveRecord r = RecordOf(*e);
        EXPECT_TRUE(r.isWellFormed());
        const auto back = ElementFromRecord(r, &doc);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetKind(), e->GetKind());
        EXPECT_EQ(back->GetVersion(), e->GetVersion());
        EXPECT_EQ(back->LineStyle, e->LineStyle);
        EXPECT_EQ(0, std::memcmp(back->Data(), e->Data(), std::size_t(e->GetDataSize())));
        EXPECT_EQ(RecordOf(*back), r);
    }
    // An unknown kind makes nothing; a short block is refused unless padding is asked for.
    PrimitiveRecord unknown = RecordOf(point);
    unknown.Kind = 9;
    EXPECT_EQ(ElementFromRecord(unknown, &doc), nullptr);
    PrimitiveRecord shortBlock = RecordOf(*line);
    shortBlock.Data.chop(9);
    EXPECT_EQ(ElementFromRecord(shortBlock, &doc), nullptr);
    const auto padded = ElementFromRecord(shortBlock, &doc, TBlockFit::PadOrCut);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(static_cast<TLinePrimitive*>(padded.get())->Finish(), FlaggedPoint{});
}
