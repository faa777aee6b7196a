// Whether the halves of a part make up their tile, judged as regions.

#include "geometry/GraphicPrimitive.h"
#include "model/HalvesCheck.h"
#include "model/Parts.h"
#include "model/Tile.h"

#include <gtest/gtest.h>

using namespace vk;

namespace {

void addSegment(T_TnC_Ancestor& doc, TPointF a, TPointF b) {
    auto s = std::make_unique<TLinePrimitive>(&doc);
    s->SetStart({a.X, a.Y, 1});
    s->SetFinish({b.X, b.Y, 1});
    doc.Elements().Add(std::move(s));
}

struct TRect {
    TPointF a, b;
};

// A 200 x 100 paver cut across at x = 100.
void makePaver(TTile& tile, TPart& part) {
    addSegment(tile, {0, 0}, {200, 0});
    addSegment(tile, {200, 0}, {200, 100});
    addSegment(tile, {200, 100}, {0, 100});
    addSegment(tile, {0, 100}, {0, 0});
    tile.SetBasePoint(0, 0);
    addSegment(part, {100, -50}, {100, 150});
}

constexpr double kTolerance = 0.5;

} // namespace

TEST(HalvesCheck, TellsTheLeftoverAndTheOverlapsOfAPartsHalves) {
    const TRect left{{-1, -1}, {101, 101}};
    const TRect right{{99, -1}, {201, 101}};
    const struct {
        const char* name;
        std::vector<TRect> halves;
        double leftover;
        double overlaps;
    } cases[] = {
        {"exact halves", {left, right}, 0, 0},
        {"a leftover", {left}, 10000, 0},
        {"an overlap", {left, right, left}, 0, 10000},
        {"both", {left, left}, 10000, 10000},
        {"no halves at all", {}, 20000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTile tile;
        TPart part(&tile);
        makePaver(tile, part);
        for (const TRect& r : c.halves) {
            part.AddContourFromRect(r.a, r.b);
        }
        const THalvesCheck check = CheckHalves(tile, part, kTolerance);
        EXPECT_EQ(check.HasLeftover, c.leftover > 0);
        EXPECT_EQ(check.HasOverlaps, c.overlaps > 0);
        EXPECT_EQ(check.Exact(), c.leftover == 0 && c.overlaps == 0);
        EXPECT_NEAR(check.Leftover.Area(), c.leftover, 1.0);
        EXPECT_NEAR(check.Overlaps.Area(), c.overlaps, 1.0);
    }
}

// A sub-arc of a half is flattened at other points than the tile's whole
// arc: the hair-thin slivers between the chords are no leftover.
TEST(HalvesCheck, HalvesSplittingAnArcAreExactDespiteTheirChords) {
    TTile tile;
    addSegment(tile, {0, 0}, {200, 0});
    auto arc = std::make_unique<TArcPrimitive>(&tile);
    arc->SetCentre({200, 50, 1});
    arc->SetStart({200, 0, 1});
    arc->SetRadius(50);
    arc->SetSweep(180);
    tile.Elements().Add(std::move(arc));
    addSegment(tile, {200, 100}, {0, 100});
    addSegment(tile, {0, 100}, {0, 0});
    tile.SetBasePoint(0, 0);
    TPart part(&tile);
    addSegment(part, {-50, 50}, {300, 50});
    part.AddContourFromRect({-1, -1}, {301, 51});
    part.AddContourFromRect({-1, 49}, {301, 101});
    ASSERT_EQ(part.Contours.Count(), 2);
    const THalvesCheck check = CheckHalves(tile, part, kTolerance);
    EXPECT_FALSE(check.HasLeftover) << check.Leftover.Area();
    EXPECT_FALSE(check.HasOverlaps) << check.Overlaps.Area();
}
