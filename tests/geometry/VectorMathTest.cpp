#include "GeometryTestUtil.h"
#include "geometry/VectorMath.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vk {
namespace {

TEST(AngleOf, AllQuadrantsAxesAndEqualPointsInEveryForm) {
    const struct {
        const char* name;
        TPointF a, b;
        float expected;
    } cases[] = {
        {"east", {0, 0}, {1, 0}, 0},
        {"north", {0, 0}, {0, 5}, 90},
        {"south", {0, 0}, {0, -5}, 270},
        {"west", {0, 0}, {-1, 0}, 180},
        {"north-east", {0, 0}, {1, 1}, 45},
        {"north-west", {0, 0}, {-1, 1}, 135},
        {"south-west", {0, 0}, {-1, -1}, 225},
        {"south-east", {0, 0}, {1, -1}, 315},
        {"seen from an offset point", {10, 20}, {10, 10}, 270},
        {"equal points", {3, 4}, {3, 4}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(nearlyEqual(AngleOf(c.a, c.b), c.expected, 1e-4)) << AngleOf(c.a, c.b);
        const FlaggedPoint fa{c.a.X, c.a.Y, 0};
        const FlaggedPoint fb{c.b.X, c.b.Y, 1};
        EXPECT_EQ(AngleOf(fa, fb), AngleOf(c.a, c.b));
        const float xa[2] = {c.a.X, c.a.Y};
        const float xb[2] = {c.b.X, c.b.Y};
        EXPECT_EQ(AngleOf(xa, xb), AngleOf(c.a, c.b));
    }
}

TEST(AngleOf, StaysBelow360ForADirectionAHairBelowEast) {
    // atan gives -5.7e-6 degrees; + 360 rounds to 360.0f as a float.
    const float a = AngleOf(TPointF{0, 0}, TPointF{1, -1e-7f});
    EXPECT_GE(a, 0.0f);
    EXPECT_LT(a, 360.0f);
    EXPECT_TRUE(nearlyEqual(a, 360.0, 1e-4));
}

TEST(NormalizeAngle, TakesOneStepOnly) {
    const struct {
        float in, out;
    } cases[] = {{-10, 350}, {-30, 330}, {0, 0}, {360, 360}, {370, 10}, {725, 365}, {800, 440}};
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(NormalizeAngle(c.in), c.out) << c.in;
    }
}

TEST(DistanceToSegment, FootPositionRules) {
    // Each case is given along the segment's own axes, so that it holds for
    // a slanted segment as well as for one along X.
    const struct {
        const char* name;
        float along;  // position of the foot from A, millimetres
        float across; // perpendicular distance
        float expected;
    } cases[] = {
        {"foot 0.004 past the start counts as off", 0.004f, 3, -1},
        {"foot 0.006 past the start is on", 0.006f, 3, 3},
        {"foot in the middle", 5, 2, 2},
        {"exactly above the end", 10, 3, 3},
        {"past the end", 10.5f, 3, -1},
        {"behind the start", -0.5f, 3, -1},
        {"far behind the start", -30, 3, -1},
    };
    const struct {
        const char* name;
        TPointF a, b;
    } segments[] = {{"along X", {0, 0}, {10, 0}}, {"slanted 3-4-5", {1, 1}, {7, 9}}};
    for (const auto& s : segments) {
        const float len = Distance(s.a, s.b);
        const double ux = (s.b.X - s.a.X) / len, uy = (s.b.Y - s.a.Y) / len;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(s.name) + ": " + c.name);
            const TPointF p{float(s.a.X + ux * c.along - uy * c.across), float(s.a.Y + uy * c.along + ux * c.across)};
            EXPECT_TRUE(nearlyEqual(DistanceToSegment(p, s.a, s.b), c.expected, 1e-4))
                << DistanceToSegment(p, s.a, s.b);
        }
    }
}

TEST(DistanceToLine, FootAndDistanceIncludingADegenerateLine) {
    const struct {
        const char* name;
        TPointF p, a, b;
        float distance;
        TPointF foot;
    } cases[] = {
        {"above a horizontal line, outside the segment", {20, 5}, {0, 0}, {10, 0}, 5, {20, 0}},
        {"on the diagonal", {2, 2}, {0, 0}, {5, 5}, 0, {2, 2}},
        {"off the diagonal", {0, 2}, {0, 0}, {5, 5}, float(std::sqrt(2.0)), {1, 1}},
        {"a line of one point is that point", {3, 4}, {0, 0}, {0, 0}, 5, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TLineDistance d = DistanceToLine(c.p, c.a, c.b);
        EXPECT_TRUE(nearlyEqual(d.Distance, c.distance, 1e-5)) << d.Distance;
        EXPECT_TRUE(PointNear(d.Foot, c.foot, 1e-5));
    }
}

TEST(ArcConstruction, TableOfArcs) {
    // ArcLength of a negative sweep is positive.
    EXPECT_FLOAT_EQ(ArcLength(10, -90), ArcLength(10, 90));
    EXPECT_TRUE(nearlyEqual(ArcLength(10, 90), 15.70796, 1e-4));

    {
        SCOPED_TRACE("from centre and start, centre off the origin");
        const TArcFromStart a = ArcFromCentreAndStart({5, 5}, {5, 15}, 90);
        EXPECT_FLOAT_EQ(a.Radius, 10);
        EXPECT_FLOAT_EQ(a.StartAngle, 90);
        EXPECT_TRUE(PointNear(a.EndPoint, {-5, 5}));
        EXPECT_TRUE(nearlyEqual(a.Length, 15.70796, 1e-4));
    }
    {
        SCOPED_TRACE("end points of an arc passing 0 degrees");
        const TArcEnds e = ArcEndPoints({0, 0}, 10, 300, 120);
        EXPECT_TRUE(PointNear(e.StartPoint, {5, -8.66025f}));
        EXPECT_TRUE(PointNear(e.EndPoint, {5, 8.66025f}));
        const TArcEndAndLength el = ArcEndAndLength({0, 0}, 10, 300, 120);
        EXPECT_TRUE(PointNear(el.EndPoint, e.EndPoint, 1e-6));
        EXPECT_TRUE(nearlyEqual(el.Length, 20.94395, 1e-4));
    }
    {
        SCOPED_TRACE("points and length by angle and by start point agree");
        const TArcPointsAndLength byAngle = ArcPointsAndLength({1, 2}, 5, 36.869898f, 53.130102f);
        const TArcPointsAndLength byPoint = ArcPointsAndLength({1, 2}, 5, TPointF{5, 5}, 53.130102f);
        EXPECT_TRUE(PointNear(byAngle.StartPoint, {5, 5}));
        EXPECT_TRUE(PointNear(byAngle.EndPoint, {1, 7}));
        EXPECT_TRUE(PointNear(byPoint.EndPoint, byAngle.EndPoint));
        EXPECT_FLOAT_EQ(byPoint.Length, byAngle.Length);
    }
    {
        SCOPED_TRACE("sweep to a point across 0 degrees, keeping the radius");
        const TSweepToPoint s = SweepToPoint({0, 0}, 300.0f, 10, TPointF{50, 50 * std::tan(10 * 3.14159265f / 180)});
        EXPECT_TRUE(nearlyEqual(s.Sweep, 70, 1e-3));
        EXPECT_TRUE(PointNear(s.EndPoint, PolarPoint({0, 0}, 10, 10)));
        const TSweepToPoint byStart = SweepToPoint({0, 0}, PolarPoint({0, 0}, 3, 300), 10, TPointF{0, -1});
        EXPECT_TRUE(nearlyEqual(byStart.Sweep, 330, 1e-3));
        EXPECT_TRUE(PointNear(byStart.EndPoint, {0, -10}));
        EXPECT_TRUE(nearlyEqual(byStart.Length, ArcLength(10, 330), 1e-3));
    }
    {
        SCOPED_TRACE("arc to a point moves the start to the new radius");
        const TArcToPoint a = ArcToPoint({0, 0}, {10, 0}, {0, 20});
        EXPECT_FLOAT_EQ(a.Radius, 20);
        EXPECT_TRUE(PointNear(a.StartPoint, {20, 0}));
        EXPECT_FLOAT_EQ(a.Sweep, 90);
        EXPECT_TRUE(nearlyEqual(a.Length, 31.41593, 1e-4));
    }
    {
        SCOPED_TRACE("sweep from a length");
        const TSweepFromLength s = SweepFromLength({0, 0}, {10, 0}, 10, 31.41593f);
        EXPECT_TRUE(nearlyEqual(s.Sweep, 180, 1e-3));
        EXPECT_TRUE(PointNear(s.EndPoint, {-10, 0}));
    }
}

TEST(PointConstruction, RotateMoveAndTurn) {
    EXPECT_TRUE(PointNear(RotateAroundPoint({1, 1}, {3, 1}, 90), {1, 3}));
    EXPECT_TRUE(PointNear(RotateAroundPoint({1, 1}, {3, 1}, -90), {1, -1}));
    EXPECT_TRUE(PointNear(PointAtDistance({0, 0}, {3, 4}, 10), {6, 8}));
    EXPECT_TRUE(PointNear(PointAtAngle({0, 0}, {3, 4}, 90), {0, 5}));
    EXPECT_TRUE(PointNear(PolarPoint({1, 2}, 2, 180), {-1, 2}));
}

TEST(Degenerate, UnguardedDivisionsGiveNonFiniteValuesWithoutStopping) {
    const TPointF p = PointAtDistance({1, 1}, {1, 1}, 5);
    EXPECT_FALSE(std::isfinite(p.X) && std::isfinite(p.Y));
    EXPECT_FALSE(std::isfinite(SweepFromLength({0, 0}, {0, 0}, 0, 5).Sweep));
    // A zero vector projects to zero instead of dividing by zero.
    EXPECT_EQ(ProjectVector({3, 4}, {0, 0}), (TPointF{0, 0}));
}

} // namespace
} // namespace vk
