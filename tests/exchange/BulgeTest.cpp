#include "exchange/Bulge.h"

#include "geometry/Tolerance.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vk {
namespace {

struct BulgeCase {
    const char* name;
    TPointF from, to;
    double bulge;
    TPointF centre;
    double radius, startAngle, sweep;
};

// Hand-computed arcs: half circles both ways, a quarter, a three-quarter turn.
const BulgeCase kCases[] = {
    {"HalfCircleCounterClockwiseBendsBelowTheChord", {0, 0}, {100, 0}, 1.0, {50, 0}, 50, 180, 180},
    {"HalfCircleClockwiseBendsAboveTheChord", {0, 0}, {100, 0}, -1.0, {50, 0}, 50, 180, -180},
    {"QuarterCounterClockwise", {100, 0}, {0, 100}, std::tan(M_PI / 8), {0, 0}, 100, 0, 90},
    {"QuarterClockwise", {0, 100}, {100, 0}, -std::tan(M_PI / 8), {0, 0}, 100, 90, -90},
    {"ThreeQuartersCounterClockwise", {100, 0}, {0, -100}, std::tan(3 * M_PI / 8), {0, 0}, 100, 0, 270},
};

TEST(Bulge, ArcsOfBulgesMatchHandComputedOnes) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto arc = ArcOfBulge(c.from, c.to, c.bulge);
        ASSERT_TRUE(arc.has_value());
        EXPECT_TRUE(nearlyEqual(arc->Centre.X, c.centre.X, 1e-3)) << arc->Centre.X;
        EXPECT_TRUE(nearlyEqual(arc->Centre.Y, c.centre.Y, 1e-3)) << arc->Centre.Y;
        EXPECT_TRUE(nearlyEqual(arc->Radius, c.radius, 1e-3)) << arc->Radius;
        EXPECT_TRUE(nearlyEqual(std::remainder(arc->StartAngle - c.startAngle, 360.0), 0.0, 1e-3)) << arc->StartAngle;
        EXPECT_TRUE(nearlyEqual(arc->Sweep, c.sweep, 1e-3)) << arc->Sweep;
        // And back: the sweep gives the bulge it came from.
        EXPECT_TRUE(nearlyEqual(BulgeOfSweep(arc->Sweep), c.bulge, 1e-9));
    }
}

TEST(Bulge, AZeroBulgeOrAZeroChordIsNoArc) {
    EXPECT_FALSE(ArcOfBulge({0, 0}, {100, 0}, 0.0).has_value());
    EXPECT_FALSE(ArcOfBulge({5, 5}, {5, 5}, 1.0).has_value());
}

} // namespace
} // namespace vk
