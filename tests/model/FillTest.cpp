// The laying of a pattern over a site: the copies it visits, the tiles it
// lays whole or cut, the run of posted steps.

#include "FillTestSupport.h"

#include "model/Collage.h"
#include "model/Parts.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <set>

using namespace vk;
using namespace vk::test;

namespace {

std::vector<TPointF> basePoints(const TProject& project) {
    std::vector<TPointF> points;
    for (int i = 0; i < project.LaidTiles().Count(); ++i) {
        points.push_back(project.LaidTiles().Items(i).BasePointKey());
    }
    return points;
}

// Whole inside the site (by geometry, not by the fill's classification).
int insideCount(const TProject& project, QRectF site) {
    int n = 0;
    for (int i = 0; i < project.LaidTiles().Count(); ++i) {
        if (site.contains(project.LaidTiles().Items(i).Bounds())) {
            ++n;
        }
    }
    return n;
}

} // namespace

TEST(Fill, SquareSiteWithSquareTiles) {
    TFillRig rig;
    rig.load(squareScene());
    ASSERT_TRUE(rig.fill());
    const TProject& p = *rig.project;
    EXPECT_EQ(p.LaidTiles().Count(), 121);
    EXPECT_EQ(insideCount(p, QRectF(0, 0, 1000, 1000)), 81);
    EXPECT_EQ(p.LaidTiles().ColorGroups().Count(), 1);
    EXPECT_EQ(p.LaidTiles().ColorGroups().Items(0).WholeCount(), 121) << "no halves: cut tiles count as whole";
    EXPECT_EQ(rig.queue.FillDoneCount, 1);
    EXPECT_EQ(p.PendingSteps(), 0);
    EXPECT_EQ(p.BasePoints().Count(), 0) << "the visited set is emptied at the end";

    // The first copy is the start copy; its neighbours follow in hand point
    // order +h1, -h1, +h2, -h2.
    const std::vector<TPointF> order = basePoints(p);
    const std::vector<TPointF> first{{50, 50}, {150, 50}, {-50, 50}, {50, 150}, {50, -50}};
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(order[i], first[i]) << "tile " << i;
    }
    std::set<std::pair<float, float>> distinct;
    for (TPointF b : order) {
        distinct.insert({b.X, b.Y});
        EXPECT_TRUE(b.X >= -50 && b.X <= 950 && b.Y >= -50 && b.Y <= 950) << b.X << ", " << b.Y;
    }
    EXPECT_EQ(distinct.size(), 121u) << "every copy laid once";
}
