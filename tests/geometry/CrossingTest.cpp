#include "GeometryTestUtil.h"
#include "geometry/Crossing.h"
#include "geometry/VectorMath.h"

#include <gtest/gtest.h>

namespace vk {
namespace {

constexpr int kTol = 10;

// The flags of (B, A) are those of (A, B) with the nibbles exchanged.
std::int32_t swapNibbles(std::int32_t f) { return ((f & 0xF) << 4) | ((f & 0xF0) >> 4) | (f & ~0xFF); }

TArcGeom arc(TPointF centre, float radius, float startAngle, float sweep) {
    return {centre, PolarPoint(centre, radius, startAngle), sweep, radius};
}

TEST(CrossLines, FlagsOfSegmentPairsInBothOrders) {
    const struct {
        const char* name;
        TSegmentGeom a, b;
        std::int32_t flags;
        TPointF point;
    } cases[] = {
        {"crossing in the middles", {{0, 0}, {100, 0}}, {{50, -50}, {50, 50}}, 0x11, {50, 0}},
        {"end meets start exactly", {{0, 0}, {100, 0}}, {{100, 0}, {100, 100}}, 0x42, {100, 0}},
        {"end meets start inside both, within tolerance", {{0, 0}, {100, 0}}, {{99, -0.5f}, {99, 100}}, 0x53,
         {99, 0}},
        {"end meets start with a small gap", {{0, 0}, {100, 0}}, {{101, 0.5f}, {101, 100}}, 0xCA, {101, 0}},
        {"one length behind the first start is near nothing of A", {{0, 0}, {100, 0}}, {{-100, -50}, {-100, 50}},
         0x01, {-100, 0}},
        {"short first segment: behind its start is near both ends", {{0, 0}, {4, 0}}, {{-4, -50}, {-4, 50}}, 0xE1,
         {-4, 0}},
        {"parallel", {{0, 0}, {10, 0}}, {{0, 5}, {10, 5}}, 0x100, {}},
        {"collinear", {{0, 0}, {10, 0}}, {{20, 0}, {30, 0}}, 0x200, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TLineCrossing ab = CrossLines(kTol, c.a.Start, c.a.Finish, c.b.Start, c.b.Finish);
        EXPECT_EQ(ab.Flags, c.flags) << std::hex << ab.Flags;
        const bool special = c.flags >= 0x100;
        if (!special) {
            EXPECT_TRUE(PointNear(ab.Point, c.point));
        }
        // The X-then-Y form is the same computation.
        const TLineCrossing xy = CrossLines(kTol, c.a.Start.X, c.a.Finish.X, c.b.Start.X, c.b.Finish.X, c.a.Start.Y,
                                            c.a.Finish.Y, c.b.Start.Y, c.b.Finish.Y);
        EXPECT_EQ(xy.Flags, ab.Flags);
        EXPECT_EQ(xy.Point, ab.Point);

        const TLineCrossing ba = CrossLines(kTol, c.b.Start, c.b.Finish, c.a.Start, c.a.Finish);
        EXPECT_EQ(ba.Flags, swapNibbles(c.flags)) << std::hex << ba.Flags;
        if (!special) {
            EXPECT_TRUE(PointNear(ba.Point, c.point));
        }

        // The entry point always gives one record, nibbles split by owner.
        const std::vector<IntersectionPoint> r = CrossSegments(kTol, c.a, c.b);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].FlagsA, special ? 0 : c.flags & 0xF0);
        EXPECT_EQ(r[0].FlagsB, special ? 0 : c.flags & 0x0F);
    }
}

TEST(ClassifyOnArc, NibblesAgainstArcsOfEitherSense) {
    const TPointF c{0, 0};
    const struct {
        const char* name;
        float start, sweep, radius;
        TPointF p;
        std::int32_t nibble;
    } cases[] = {
        {"on the circle inside the arc", 0, 90, 100, PolarPoint(c, 100, 45), 0x1},
        {"radially 5 off inside the arc", 0, 90, 100, PolarPoint(c, 105, 45), 0x8},
        {"radially beyond the tolerance", 0, 90, 100, PolarPoint(c, 115, 45), 0x0},
        {"on the circle outside the arc", 0, 90, 100, PolarPoint(c, 100, 180), 0x0},
        {"on the circle just inside the start", 0, 90, 100, PolarPoint(c, 100, 3), 0x3},
        {"on the circle just before the start", 0, 90, 100, PolarPoint(c, 100, -3), 0xA},
        {"on the circle just past the end", 0, 90, 100, PolarPoint(c, 100, 93), 0xC},
        {"clockwise arc: inside", 90, -90, 100, PolarPoint(c, 100, 45), 0x1},
        {"clockwise arc: the other side of the start", 90, -90, 100, PolarPoint(c, 100, 135), 0x0},
        {"clockwise arc: beyond the end", 90, -90, 100, PolarPoint(c, 100, 300), 0x0},
        {"clockwise arc across 0 degrees", 30, -60, 100, PolarPoint(c, 100, 350), 0x1},
        {"short arc, on the circle: interior and both ends", 0, 2, 100, PolarPoint(c, 100, 1), 0x7},
        {"short arc, off the circle: the near bit once", 0, 2, 100, PolarPoint(c, 101, 1), 0xE},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(ClassifyOnArc(kTol, 0, c, k.start, k.sweep, k.radius, k.p), k.nibble);
        EXPECT_EQ(ClassifyOnArc(kTol, 4, c, k.start, k.sweep, k.radius, k.p), k.nibble << 4);
    }
}

TEST(CrossCircles, CrossingNearMissAndApartInBothOrders) {
    // The right half of a circle about the origin and the left half of one
    // about (d, 0): both cover the line of centres where the circles meet.
    const auto rightHalf = [](float r) { return arc({0, 0}, r, 270, 180); };
    const auto leftHalf = [](float d, float r) { return arc({d, 0}, r, 90, 180); };
    const struct {
        const char* name;
        TArcGeom a, b;
        std::int32_t status;
        std::vector<IntersectionPoint> records;  // in the order of (A, B)
    } cases[] = {
        {"two crossings", rightHalf(100), leftHalf(100, 100), 0,
         {{50, -86.60254f, 0x10, 0x1}, {50, 86.60254f, 0x10, 0x1}}},
        {"3 mm apart: touching after enlarging, near bits only", rightHalf(10), leftHalf(23, 10), 0,
         {{11.5f, 0, 0x80, 0x8}}},
        {"15 mm apart", rightHalf(10), leftHalf(35, 10), 0x100, {}},
        {"concentric", rightHalf(10), arc({0, 0}, 20, 0, 90), 0x200, {}},
        {"concentric, equal radii", rightHalf(10), arc({0, 0}, 10, 0, 90), 0x200, {}},
        {"nested beyond the tolerance", rightHalf(100), arc({5, 0}, 50, 270, 180), 0x200, {}},
        {"nested 5 mm short of touching inside", rightHalf(100), arc({15, 0}, 80, 270, 180), 0,
         {{97.22222f, 0, 0x80, 0x8}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TCircleCrossing ab = CrossCircles(kTol, c.a, c.b);
        EXPECT_EQ(ab.Status, c.status);
        ASSERT_EQ(ab.Points.size(), c.records.size());
        for (std::size_t i = 0; i < c.records.size(); ++i) {
            EXPECT_TRUE(PointNear({ab.Points[i].X, ab.Points[i].Y}, {c.records[i].X, c.records[i].Y}));
            EXPECT_EQ(ab.Points[i].FlagsA, c.records[i].FlagsA);
            EXPECT_EQ(ab.Points[i].FlagsB, c.records[i].FlagsB);
        }
        EXPECT_EQ(CrossArcs(kTol, c.a, c.b), ab.Points);

        // (B, A): the same points, each classified the other way round.
        const TCircleCrossing ba = CrossCircles(kTol, c.b, c.a);
        EXPECT_EQ(ba.Status, c.status);
        ASSERT_EQ(ba.Points.size(), c.records.size());
        for (const IntersectionPoint& p : ba.Points) {
            bool matched = false;
            for (const IntersectionPoint& q : c.records) {
                if (PointNear({p.X, p.Y}, {q.X, q.Y})) {
                    matched = true;
                    EXPECT_EQ(p.FlagsA, swapNibbles(q.FlagsB));
                    EXPECT_EQ(p.FlagsB, swapNibbles(q.FlagsA));
                }
            }
            EXPECT_TRUE(matched) << p.X << ", " << p.Y;
        }
    }
}

TEST(CrossCircles, CrossingOutsideOneArcIsNotRecorded) {
    // Full circles would cross at (50, +-86.6); the first arc covers only
    // the lower one.
    const TCircleCrossing r = CrossCircles(kTol, arc({0, 0}, 100, 270, 80), arc({100, 0}, 100, 90, 180));
    ASSERT_EQ(r.Points.size(), 1u);
    EXPECT_TRUE(PointNear({r.Points[0].X, r.Points[0].Y}, {50, -86.60254f}));
}

TEST(CrossSegmentCircle, CandidatesAndTheirFlags) {
    const TArcGeom upperHalf = arc({0, 0}, 100, 0, 180);
    // 170 degrees over 200: covers both 0 and 180, its ends far from both.
    const TArcGeom wide = arc({0, 0}, 100, 170, 200);
    const struct {
        const char* name;
        TArcGeom arc;
        TSegmentGeom seg;
        std::vector<IntersectionPoint> records;  // raw: FlagsA with the auxiliary line's nibble
    } cases[] = {
        {"through the centre: two points R along the segment", wide, {{-200, 0}, {200, 0}},
         {{-100, 0, 0x14, 0x1}, {100, 0, 0x14, 0x1}}},
        {"0.05 from the centre: still along the segment", wide, {{-200, 0.05f}, {200, 0.05f}},
         {{-100, 0.05f, 0x14, 0x1}, {100, 0.05f, 0x14, 0x1}}},
        {"a chord, in the order of the construction", upperHalf, {{-200, 50}, {200, 50}},
         {{86.60254f, 50, 0x14, 0x1}, {-86.60254f, 50, 0x14, 0x1}}},
        {"a chord ending within the tolerance short of the circle", upperHalf, {{-200, 50}, {80, 50}},
         {{86.60254f, 50, 0xC4, 0x1}, {-86.60254f, 50, 0x14, 0x1}}},
        {"near miss 0.005 outside: the foot is on the circle", upperHalf, {{-200, 100.005f}, {200, 100.005f}},
         {{0, 100.005f, 0x14, 0x1}}},
        {"near miss 0.02 outside: the foot is too far", upperHalf, {{-200, 100.02f}, {200, 100.02f}}, {}},
        {"tangent: the auxiliary line degenerates, nothing", upperHalf, {{-200, 100}, {200, 100}}, {}},
        {"crossings outside the arc", upperHalf, {{-200, -50}, {200, -50}}, {}},
        {"far away", upperHalf, {{-200, 300}, {200, 300}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<IntersectionPoint> r = CrossSegmentCircle(kTol, c.arc, c.seg.Start, c.seg.Finish);
        ASSERT_EQ(r.size(), c.records.size());
        for (std::size_t i = 0; i < r.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(PointNear({r[i].X, r[i].Y}, {c.records[i].X, c.records[i].Y}));
            EXPECT_EQ(r[i].FlagsA, c.records[i].FlagsA) << std::hex << r[i].FlagsA;
            EXPECT_EQ(r[i].FlagsB, c.records[i].FlagsB);
            EXPECT_TRUE(nearlyEqual(Distance(c.arc.Centre, {r[i].X, r[i].Y}), 100, 0.01));
        }
    }
}

TEST(CrossSegmentArc, EntryPointsGiveEachElementItsOwnNibbleInBothOrders) {
    // The segment ends 3.4 mm after its crossing with the arc: interior and
    // near its end; the arc is crossed in its interior.
    const TArcGeom a = arc({0, 0}, 100, 0, 180);
    const TSegmentGeom s{{-200, 50}, {90, 50}};

    const std::vector<IntersectionPoint> sa = CrossSegmentArc(kTol, s, a);
    ASSERT_EQ(sa.size(), 2u);
    EXPECT_TRUE(PointNear({sa[0].X, sa[0].Y}, {86.60254f, 50}));
    EXPECT_EQ(sa[0].FlagsA, 0x50);  // segment: interior, near its end
    EXPECT_EQ(sa[0].FlagsB, 0x1);   // arc: interior
    EXPECT_EQ(sa[1].FlagsA, 0x10);
    EXPECT_EQ(sa[1].FlagsB, 0x1);

    const std::vector<IntersectionPoint> as = CrossArcSegment(kTol, a, s);
    ASSERT_EQ(as.size(), 2u);
    EXPECT_EQ(as[0].X, sa[0].X);
    EXPECT_EQ(as[0].Y, sa[0].Y);
    EXPECT_EQ(as[0].FlagsA, 0x10);  // arc
    EXPECT_EQ(as[0].FlagsB, 0x5);   // segment
    EXPECT_EQ(as[1].FlagsA, 0x10);
    EXPECT_EQ(as[1].FlagsB, 0x1);

    EXPECT_TRUE(CrossSegmentArc(kTol, TSegmentGeom{{-200, 300}, {200, 300}}, a).empty());
    EXPECT_TRUE(CrossArcSegment(kTol, a, TSegmentGeom{{-200, 300}, {200, 300}}).empty());
}

} // namespace
} // namespace vk
