// The visited origins of a fill and the sorted index of laid tiles.

#include "FillTestSupport.h"

#include "model/DihotomedCollection.h"
#include "model/LaidTiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>

using namespace vk;
using namespace vk::test;

namespace {

struct TPointItem : TDihotomedItem {
    explicit TPointItem(TPointF p) : Point(p) {}
    TPointF Point;
};
TPointF keyOf(const TPointItem& item) { return item.Point; }

class TSortedVisited : public TDihotomedCollection<TPointItem> {
public:
    TSortedVisited() : TDihotomedCollection({{ComparePointsTolerant, keyOf, TDuplicateMode::Any}}) {}
    bool find(TPointF p) const { return FindKey(p, 0).Found; }
    void add(TPointF p) { Add(std::make_unique<TPointItem>(p)); }
};

struct TBaseVisited {
    TBasePointList list;
    bool find(TPointF p) const { return list.FindKey(p).Found; }
    void add(TPointF p) { list.AddPoint(p); }
};

// The breadth-first walk of a fill over the origins start + i h1 + j h2
// whose 100 mm square reaches into a 1000 mm square; returns how many
// origins were handled that an earlier one already covered.
template <class TVisited>
int repeatedOrigins(TPointF h1, TPointF h2) {
    TVisited visited;
    std::deque<TPointF> queue{{400, 400}};
    std::vector<TPointF> handled;
    int repeated = 0;
    while (!queue.empty()) {
        const TPointF p = queue.front();
        queue.pop_front();
        if (visited.find(p)) {
            continue;
        }
        visited.add(p);
        if (!(p.X > -97 && p.X < 997 && p.Y > -97 && p.Y < 997)) {
            continue;
        }
        for (const TPointF& q : handled) {
            repeated += (std::fabs(q.X - p.X) <= 1 && std::fabs(q.Y - p.Y) <= 1) ? 1 : 0;
        }
        handled.push_back(p);
        for (TPointF h : {h1, h2}) {
            for (const TPointF q : {TPointF{p.X + h.X, p.Y + h.Y}, TPointF{p.X - h.X, p.Y - h.Y}}) {
                if (!visited.find(q)) {
                    queue.push_back(q);
                }
            }
        }
    }
    return repeated;
}

} // namespace

TEST(BasePointList, FindsEveryPointWithinOneMillimetre) {
    struct Case {
        const char* name;
        TPointF stored;
        TPointF searched;
        bool found;
    };
    const float pastHalf = -std::nextafter(0.5f, 1.0f);
    const Case cases[] = {
        {"the same point", {10, 5}, {10, 5}, true},
        {"(0.8, -0.5) from the origin", {0, 0}, {0.8f, -0.5f}, true},
        {"(1.2, 0) from the origin", {0, 0}, {1.2f, 0}, false},
        {"exactly 1 mm both ways", {10, 5}, {11, 4}, true},
        {"a difference that rounds to 1 mm", {0.5f, 0}, {pastHalf, 0}, true},
        {"one ulp over 1 mm", {0, 0}, {std::nextafter(1.0f, 2.0f), 0}, false},
        {"across a cell corner", {1.9999f, 3.9999f}, {2.9f, 4.9f}, true},
        {"far from the origin", {-123456.5f, 98765.25f}, {-123455.5f, 98766.25f}, true},
        {"1.1 mm in y", {10, 3.9f}, {10, 5}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBasePointList list;
        list.AddPoint({5000, 5000});
        list.AddPoint(c.stored);
        const TFindResult r = list.FindKey(c.searched);
        EXPECT_EQ(r.Found, c.found);
        EXPECT_EQ(r.ItemIndex, c.found ? 1 : -1);
    }
}

TEST(BasePointList, NeverMissesWhereASortedListDoes) {
    // The hand point (1, -100) makes (0, 0), (1, -100), (2, -200) compare
    // in a cycle: the sorted list walks past origins it holds.
    EXPECT_GT(repeatedOrigins<TSortedVisited>({1, -100}, {100, 0}), 0) << "the case must trip a sorted list";
    EXPECT_EQ(repeatedOrigins<TBaseVisited>({1, -100}, {100, 0}), 0);
    EXPECT_EQ(repeatedOrigins<TBaseVisited>({0.7f, 0.9f}, {100, 0}), 0);

    // Against a plain scan, for many random points near a few clusters.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> jitter(-3, 3);
    TBasePointList list;
    std::vector<TPointF> stored;
    for (int i = 0; i < 2000; ++i) {
        const TPointF p{float(i % 7) * 4 + jitter(random), float(i % 5) * 4 + jitter(random)};
        const bool scan = std::any_of(stored.begin(), stored.end(),
                                      [&](TPointF q) { return ComparePointsTolerant(q, p) == 0; });
        ASSERT_EQ(list.FindKey(p).Found, scan) << i;
        if (!scan) {
            list.AddPoint(p);
            stored.push_back(p);
        }
    }
    list.ClearAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.FindKey(stored.front()).Found);
}

// The laid tiles' index is sorted lazily: after any mix of additions and
// lookups it holds every tile once, in order, and finds every base point.
TEST(TileList, SortedIndexAfterManyAdditions) {
    TTile tile;
    TTileList list;
    const TLaidShape* shape = list.AddShape(std::make_unique<TLaidShape>(tile, nullptr, 10.0f));
    std::mt19937 random(3);
    std::uniform_int_distribution<int> coordinate(-50, 50);
    std::vector<TPointF> added;
    for (int i = 0; i < 3000; ++i) {
        const TPointF p{float(coordinate(random)) * 10, float(coordinate(random)) * 10};
        list.AddTile(shape, p);
        added.push_back(p);
        if (i % 500 == 0) {
            EXPECT_TRUE(list.FindKey(p, 0).Found);
        }
    }
    ASSERT_EQ(list.IndexSize(0), 3000);
    for (int i = 1; i < list.IndexSize(0); ++i) {
        ASSERT_LE(ComparePointsExact(list.IndexItem(0, i - 1).BasePointKey(), list.IndexItem(0, i).BasePointKey()), 0);
    }
    for (const TPointF& p : added) {
        const TFindResult r = list.FindKey(p, 0);
        ASSERT_TRUE(r.Found);
        ASSERT_EQ(list.Items(r.ItemIndex).BasePointKey(), p);
    }
    // Deleting a tile that has not been sorted in yet.
    list.AddTile(shape, {12345, 0});
    list.Delete(list.Count() - 1);
    EXPECT_FALSE(list.FindKey({12345, 0}, 0).Found);
    EXPECT_EQ(list.IndexSize(0), list.Count());
    EXPECT_EQ(list.ColorGroups().Items(0).TileCount(), list.Count()) << "a freed tile leaves its group";
}

// Tiles live in fixed blocks: a tile stays where it is however many are
// laid after it, and its place in laying order is found from its address in
// any block.
TEST(TileList, TilesKeepTheirAddressAndIndexAcrossBlocks) {
    TFillRig rig;
    TTileList& list = rig.project->LaidTiles();
    TTile tile;
    const TLaidShape* shape = list.AddShape(std::make_unique<TLaidShape>(tile, nullptr, 10.0f));
    const TTileContainer* first = &list.AddTile(shape, {0, 0});
    list.SetMarked(list.Items(0), true);
    for (int i = 1; i < 10000; ++i) {
        list.AddTile(shape, {float(i), 0});
    }
    EXPECT_EQ(&list.Items(0), first);
    ASSERT_EQ(rig.project->MarkedTiles().size(), 1u);
    EXPECT_EQ(rig.project->MarkedTiles().front(), first);
    for (int i : {0, 4095, 4096, 8191, 8192, 9999}) {
        EXPECT_EQ(list.Index(list.Items(i)), i);
        EXPECT_EQ(list.Items(i).BasePointKey().X, float(i));
    }
    TTileContainer stranger(shape, {0, 0});
    EXPECT_THROW((void)list.Index(stranger), std::invalid_argument);
    EXPECT_THROW((void)list.Items(10000), std::out_of_range);

    for (int i = 0; i < list.Count(); i += 7) {
        list.SetColor(i, 0xFF0000FFu);
    }
    const TColorController& groups = list.ColorGroups();
    ASSERT_EQ(groups.Count(), 2);
    EXPECT_EQ(groups.TileCounts(1), (10000 + 6) / 7);
    for (int g = 0; g < groups.Count(); ++g) {
        for (int k = 0; k < groups.TileCounts(g); ++k) {
            ASSERT_EQ(list.Color(groups.Items(g).Tile(k)), groups.Colors(g)) << g << " " << k;
        }
    }
    rig.project->MarkedTiles().clear();
    list.ClearAll();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(groups.Count(), 0);
    EXPECT_EQ(list.IndexSize(0), 0);
}

// Deleting a tile moves the later tiles up by one: the marks, the colour
// groups and the index must go on naming the same tiles, both for tiles
// already sorted into the index and for tiles waiting for it.
TEST(TileList, DeletedTileLeavesMarksGroupsAndIndexOnTheSameTiles) {
    TFillRig rig;
    TTileList& list = rig.project->LaidTiles();
    TTile tile;
    const TLaidShape* shape = list.AddShape(std::make_unique<TLaidShape>(tile, nullptr, 10.0f));
    const auto base = [](int i) { return TPointF{float((i * 37) % 5003), float(i % 3)}; };
    for (int i = 0; i < 5000; ++i) {
        list.AddTile(shape, base(i));
    }
    list.SetColor(4100, 0xFFFF0000u);
    list.SetMarked(list.Items(4200), true);
    rig.project->RememberedTiles().push_back(&list.Items(4300));
    ASSERT_TRUE(list.FindKey(base(10), 0).Found); // sorts the first 5000 in
    for (int i = 5000; i < 5010; ++i) {
        list.AddTile(shape, base(i));
    }
    for (int gone : {5005, 10}) {
        list.Delete(gone);
        EXPECT_FALSE(list.FindKey(base(gone), 0).Found) << gone;
    }
    ASSERT_EQ(list.Count(), 5008);
    EXPECT_EQ(rig.project->MarkedTiles().front()->BasePointKey(), base(4200));
    EXPECT_TRUE(rig.project->MarkedTiles().front()->Marked());
    EXPECT_EQ(rig.project->RememberedTiles().front()->BasePointKey(), base(4300));
    const TColorListContainer* red = list.ColorGroups().FindColor(0xFFFF0000u);
    ASSERT_NE(red, nullptr);
    ASSERT_EQ(red->TileCount(), 1);
    EXPECT_EQ(red->Tile(0).BasePointKey(), base(4100));
    EXPECT_EQ(list.ColorGroups().TileCounts(0), 5007);
    ASSERT_EQ(list.IndexSize(0), list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TFindResult r = list.FindKey(list.Items(i).BasePointKey(), 0);
        ASSERT_TRUE(r.Found) << i;
        ASSERT_EQ(list.Items(r.ItemIndex).BasePointKey(), list.Items(i).BasePointKey()) << i;
    }
    for (int p = 1; p < list.IndexSize(0); ++p) {
        ASSERT_LE(ComparePointsExact(list.IndexItem(0, p - 1).BasePointKey(), list.IndexItem(0, p).BasePointKey()), 0);
    }
    // The marked tile itself goes out of the marks.
    list.Delete(list.Index(*rig.project->MarkedTiles().front()));
    EXPECT_TRUE(rig.project->MarkedTiles().empty());
    rig.project->RememberedTiles().clear();
}

// A tile names its group by a slot that a later group takes again once the
// first group is freed; the tiles of other groups keep their colour and the
// groups keep their order of creation.
TEST(TileList, FreedGroupSlotTakenAgainLeavesOtherColoursAlone) {
    TTile tile;
    TTileList list;
    const TLaidShape* shape = list.AddShape(std::make_unique<TLaidShape>(tile, nullptr, 10.0f));
    for (int i = 0; i < 3; ++i) {
        list.AddTile(shape, {float(i), 0});
    }
    list.SetColor(0, 0xFFFF0000u);
    list.SetColor(1, 0xFF0000FFu);
    list.SetColor(0, DefaultTileColor); // the red group goes
    list.SetColor(2, 0xFF00FF00u);
    EXPECT_EQ(list.Color(0), DefaultTileColor);
    EXPECT_EQ(list.Color(1), 0xFF0000FFu);
    EXPECT_EQ(list.Color(2), 0xFF00FF00u);
    const TColorController& groups = list.ColorGroups();
    ASSERT_EQ(groups.Count(), 3);
    EXPECT_EQ(groups.Colors(0), DefaultTileColor);
    EXPECT_EQ(groups.Colors(1), 0xFF0000FFu);
    EXPECT_EQ(groups.Colors(2), 0xFF00FF00u);
    EXPECT_EQ(list.Group(list.Items(2)), &groups.Items(2));
}

// A group keeps its tiles as runs of consecutive indices: after any mix of
// joining, leaving from anywhere in a run and closing the gap of a deleted
// tile, it holds the same indices in the same order as a plain list would.
TEST(TileList, GroupTilesInRunsMatchAPlainList) {
    std::mt19937 random(7);
    TGroupTiles runs;
    std::vector<std::uint32_t> plain;
    std::uint32_t next = 0;
    for (int step = 0; step < 4000; ++step) {
        const int what = std::uniform_int_distribution<int>(0, 9)(random);
        if (what < 5 || plain.empty()) {
            // Mostly the next tile laid, sometimes one joining again.
            const bool again = what == 0 && next > 0;
            const std::uint32_t index =
                again ? std::uniform_int_distribution<std::uint32_t>(0, next - 1)(random) : next++;
            if (std::find(plain.begin(), plain.end(), index) != plain.end()) {
                continue;
            }
            runs.push_back(index);
            plain.push_back(index);
        } else if (what < 9) {
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, plain.size() - 1)(random);
            ASSERT_TRUE(runs.erase(plain[at]));
            plain.erase(plain.begin() + std::ptrdiff_t(at));
        } else {
            // A deleted tile: out of the group, and every later index down by one.
            const std::size_t at = std::uniform_int_distribution<std::size_t>(0, plain.size() - 1)(random);
            const std::uint32_t gone = plain[at];
            runs.erase(gone);
            plain.erase(plain.begin() + std::ptrdiff_t(at));
            runs.closeGap(gone);
            for (std::uint32_t& i : plain) {
                i -= i > gone ? 1 : 0;
            }
            --next;
        }
        ASSERT_EQ(runs.size(), plain.size()) << "step " << step;
        ASSERT_TRUE(std::equal(runs.begin(), runs.end(), plain.begin(), plain.end())) << "step " << step;
    }
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(runs.at(plain.size() / 2), plain[plain.size() / 2]);
    EXPECT_EQ(runs.back(), plain.back());
    EXPECT_FALSE(runs.erase(next + 5)) << "an index that is not there";
    EXPECT_LT(runs.RunCount(), plain.size()) << "consecutive tiles share a run";
}
