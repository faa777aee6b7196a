#include "model/DihotomedCollection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <vector>

using namespace vk;

namespace {

// An item that counts how often items are freed.
struct TKeyItem : TDihotomedItem {
    TKeyItem(float x, float y, int* freed) : Key{x, y}, Freed(freed) {}
    ~TKeyItem() override {
        if (Freed)
            ++*Freed;
    }
    TPointF Key;
    int* Freed = nullptr;
};

TPointF keyOf(const TKeyItem& item) { return item.Key; }

using Base = TDihotomedCollection<TKeyItem>;

// Opens the protected steps so that a test can append without indexing.
class TKeyList : public Base {
public:
    explicit TKeyList(std::vector<Base::IndexDescriptor> indexes, int* freed = nullptr)
        : Base(std::move(indexes)), FFreed(freed) {}

    TKeyItem& add(float x, float y = 0.0f) { return Add(std::make_unique<TKeyItem>(x, y, FFreed)); }
    TKeyItem& appendOnly(float x, float y = 0.0f) { return Append(std::make_unique<TKeyItem>(x, y, FFreed)); }

private:
    int* FFreed;
};

// One index per duplicate mode, all with the exact comparison.
TKeyList threeModes(int* freed = nullptr) {
    return TKeyList({{ComparePointsExact, keyOf, TDuplicateMode::First},
                     {ComparePointsExact, keyOf, TDuplicateMode::Any},
                     {ComparePointsExact, keyOf, TDuplicateMode::Last}},
                    freed);
}

constexpr int kFirst = 0;
constexpr int kAny = 1;
constexpr int kLast = 2;

// Every index holds every item exactly once, in non-decreasing key order,
// and the items know their place in insertion order.
void expectConsistent(const TKeyList& list) {
    for (int i = 0; i < list.Count(); ++i)
        ASSERT_EQ(list.Items(i).Index(), i);
    for (int n = 0; n < list.IndexCount(); ++n) {
        ASSERT_EQ(list.IndexSize(n), list.Count()) << "index " << n;
        std::set<const TKeyItem*> seen;
        for (int p = 0; p < list.IndexSize(n); ++p) {
            const TKeyItem& item = list.IndexItem(n, p);
            ASSERT_TRUE(seen.insert(&item).second) << "index " << n << " holds an item twice";
            ASSERT_EQ(&list.Items(item.Index()), &item) << "index " << n << " holds a stranger";
            if (p > 0) {
                ASSERT_LE(ComparePointsExact(list.IndexItem(n, p - 1).Key, item.Key), 0)
                    << "index " << n << " out of order at " << p;
            }
        }
    }
}

} // namespace

TEST(DihotomedCollection, SearchingAnEmptyIndex) {
    TKeyList list = threeModes();
    for (int n : {kFirst, kAny, kLast})
        EXPECT_EQ(list.FindKey({1, 0}, n), (TFindResult{false, -1, 0})) << "index " << n;
}

TEST(DihotomedCollection, DuplicateModesOnEqualKeys) {
    TKeyList list = threeModes();
    for (float x : {2.0f, 3.0f, 2.0f, 1.0f, 2.0f})
        list.add(x);
    expectConsistent(list);

    struct FindCase {
        const char* name;
        float x;
        int indexNo;
        bool found;
        int position;
    };
    const FindCase cases[] = {
        {"first of three equal", 2, kFirst, true, 1},
        {"equal met by the first probe", 2, kAny, true, 2},
        {"last of three equal", 2, kLast, true, 3},
        {"single key, first", 1, kFirst, true, 0},
        {"single key, last", 3, kLast, true, 4},
        {"before all", 0, kFirst, false, 0},
        {"between equal run and 3", 2.5f, kAny, false, 4},
        {"between 1 and the run, last mode", 1.5f, kLast, false, 1},
        {"after all", 4, kLast, false, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TFindResult r = list.FindKey({c.x, 0}, c.indexNo);
        EXPECT_EQ(r.Found, c.found);
        EXPECT_EQ(r.Position, c.position);
        if (c.found) {
            EXPECT_EQ(r.ItemIndex, list.IndexItem(c.indexNo, c.position).Index());
            EXPECT_EQ(list.Items(r.ItemIndex).Key.X, c.x);
        } else {
            EXPECT_EQ(r.ItemIndex, -1);
        }
    }
}

// Against an independent oracle: with many duplicates, mode First finds the
// lower bound and mode Last the element before the upper bound, and Any finds
// some equal item; the order holds through additions and deletions.
TEST(DihotomedCollection, FindKeyAgreesWithSortedOracle) {
    int freed = 0;
    int added = 0;
    int deleted = 0;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(0, 6);
    {
        TKeyList list = threeModes(&freed);
        for (int step = 0; step < 400; ++step) {
            if (list.Count() > 0 && step % 3 == 2) {
                list.Delete(std::uniform_int_distribution<int>(0, list.Count() - 1)(random));
                ++deleted;
            } else {
                list.add(static_cast<float>(coordinate(random)), static_cast<float>(coordinate(random)));
                ++added;
            }
        }
        expectConsistent(list);

        std::vector<TPointF> keys;
        for (int i = 0; i < list.Count(); ++i)
            keys.push_back(list.Items(i).Key);
        const auto less = [](const TPointF& a, const TPointF& b) { return ComparePointsExact(a, b) < 0; };
        std::sort(keys.begin(), keys.end(), less);

        for (int x = -1; x <= 7; ++x) {
            for (int y = -1; y <= 7; ++y) {
                const TPointF key{static_cast<float>(x), static_cast<float>(y)};
                const int lower = static_cast<int>(std::lower_bound(keys.begin(), keys.end(), key, less) - keys.begin());
                const int upper = static_cast<int>(std::upper_bound(keys.begin(), keys.end(), key, less) - keys.begin());
                const bool present = lower < upper;
                SCOPED_TRACE(testing::Message() << "key (" << x << ", " << y << ")");

                const TFindResult first = list.FindKey(key, kFirst);
                EXPECT_EQ(first.Found, present);
                EXPECT_EQ(first.Position, lower);
                const TFindResult last = list.FindKey(key, kLast);
                EXPECT_EQ(last.Found, present);
                EXPECT_EQ(last.Position, present ? upper - 1 : lower);
                const TFindResult any = list.FindKey(key, kAny);
                EXPECT_EQ(any.Found, present);
                if (present) {
                    EXPECT_GE(any.Position, lower);
                    EXPECT_LT(any.Position, upper);
                    EXPECT_EQ(list.Items(any.ItemIndex).Key, key);
                } else {
                    EXPECT_EQ(any.Position, lower);
                }
            }
        }
        EXPECT_EQ(freed, deleted);
    }
    EXPECT_EQ(freed, added) << "every item freed exactly once";
}

TEST(DihotomedCollection, InsertionGoesBeforeTheEqualItemMet) {
    TKeyList list({{ComparePointsExact, keyOf, TDuplicateMode::Any}});
    TKeyItem& five = list.add(5);
    TKeyItem& one = list.add(1);
    TKeyItem& three = list.add(3);
    ASSERT_EQ(&list.IndexItem(0, 0), &one);
    ASSERT_EQ(&list.IndexItem(0, 1), &three);
    ASSERT_EQ(&list.IndexItem(0, 2), &five);

    // Two laid tiles on the same base point are both kept; the newer one goes
    // directly before the one the bisection met.
    TKeyItem& threeAgain = list.add(3);
    EXPECT_EQ(&list.IndexItem(0, 1), &threeAgain);
    EXPECT_EQ(&list.IndexItem(0, 2), &three);
    const TFindResult r = list.FindKey({3, 0}, 0);
    EXPECT_TRUE(r.Found);
    EXPECT_TRUE(r.ItemIndex == three.Index() || r.ItemIndex == threeAgain.Index());
    expectConsistent(list);
}

TEST(DihotomedCollection, DeletingAnItemTakesItOutOfEveryIndex) {
    int freed = 0;
    TKeyList list = threeModes(&freed);
    list.add(4);
    list.add(2);
    TKeyItem& later = list.add(3);
    list.add(1);

    list.Delete(1); // the item with key 2
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(later.Index(), 1) << "items after the freed one move up";
    expectConsistent(list);
    for (int n : {kFirst, kAny, kLast}) {
        EXPECT_FALSE(list.FindKey({2, 0}, n).Found);
        EXPECT_EQ(list.FindKey({3, 0}, n).ItemIndex, 1);
    }
    EXPECT_THROW(list.Delete(3), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    EXPECT_EQ(freed, 1);
}

TEST(DihotomedCollection, DeletingAnItemNeverIndexed) {
    int freed = 0;
    TKeyList list({{ComparePointsExact, keyOf, TDuplicateMode::Any}}, &freed);
    list.appendOnly(1);
    TKeyItem& second = list.appendOnly(2);
    ASSERT_EQ(list.IndexSize(0), 0);

    list.Delete(0);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(second.Index(), 0);
    EXPECT_EQ(list.IndexSize(0), 0);
}

TEST(DihotomedCollection, ClearAllFreesEveryItemOnceAndLeavesItUsable) {
    int freed = 0;
    {
        TKeyList list = threeModes(&freed);
        for (float x : {3.0f, 1.0f, 2.0f, 2.0f})
            list.add(x);
        list.ClearAll();
        EXPECT_EQ(freed, 4);
        EXPECT_EQ(list.Count(), 0);
        for (int n : {kFirst, kAny, kLast}) {
            EXPECT_EQ(list.IndexSize(n), 0);
            EXPECT_EQ(list.FindKey({2, 0}, n), (TFindResult{false, -1, 0}));
        }

        list.add(7);
        list.add(6);
        expectConsistent(list);
        EXPECT_EQ(list.FindKey({6, 0}, kAny), (TFindResult{true, 1, 0}));
    }
    EXPECT_EQ(freed, 6) << "destroying the collection frees what it still holds, once";
}

TEST(DihotomedCollection, ComparePointsExact) {
    struct CompareCase {
        const char* name;
        TPointF a;
        TPointF b;
        int expected;
    };
    const float justAbove = std::nextafter(10.0f, 11.0f);
    const CompareCase cases[] = {
        {"same point", {10, 5}, {10, 5}, 0},
        {"x decides before y", {9, 100}, {10, -100}, -1},
        {"same x, y decides", {10, 6}, {10, 5}, 1},
        {"one ulp apart in x", {justAbove, 0}, {10, 0}, 1},
        {"negative zero equals zero", {-0.0f, 0}, {0.0f, -0.0f}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComparePointsExact(c.a, c.b), c.expected);
        EXPECT_EQ(ComparePointsExact(c.b, c.a), -c.expected);
    }
}

TEST(DihotomedCollection, ComparePointsTolerant) {
    struct CompareCase {
        const char* name;
        TPointF a;
        TPointF b;
        int expected;
    };
    // 0.5 - (-0.50000003) is 1.00000003, which rounds to exactly 1 in single
    // precision: equal, although the difference in double exceeds 1.
    const float pastHalf = -std::nextafter(0.5f, 1.0f);
    const CompareCase cases[] = {
        {"same point", {10, 5}, {10, 5}, 0},
        {"within 1 mm in both", {10, 5.8f}, {10.9f, 5}, 0},
        {"exactly 1 mm in x", {11, 5}, {10, 5}, 0},
        {"exactly 1 mm in both", {11, 4}, {10, 5}, 0},
        {"difference rounded to single precision", {0.5f, 0}, {pastHalf, 0}, 0},
        {"one ulp over 1 mm in x", {std::nextafter(1.0f, 2.0f), 0}, {0, 0}, 1},
        {"1.1 mm in x", {10, 5.8f}, {11.1f, 5}, -1},
        {"1.1 mm in y", {10, 3.9f}, {10, 5}, -1},
        {"x decides before y", {12, 0}, {10, 100}, 1},
        {"x within tolerance, y decides", {10.5f, 0}, {10, 100}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComparePointsTolerant(c.a, c.b), c.expected);
        EXPECT_EQ(ComparePointsTolerant(c.b, c.a), -c.expected);
    }
}

// The visited points of a fill: a point within 1 mm of a stored one counts as
// visited.
TEST(DihotomedCollection, VisitedPointsWithTolerantKeys) {
    TKeyList visited({{ComparePointsTolerant, keyOf, TDuplicateMode::Any}});
    visited.add(-500, 0);
    TKeyItem& stored = visited.add(10, 5.8f);
    visited.add(500, 0);
    const int storedPosition = 1;
    ASSERT_EQ(&visited.IndexItem(0, storedPosition), &stored);

    const TFindResult near = visited.FindKey({10.9f, 5}, 0);
    EXPECT_TRUE(near.Found);
    EXPECT_EQ(near.ItemIndex, stored.Index());

    const TFindResult beyond = visited.FindKey({11.1f, 5}, 0);
    EXPECT_FALSE(beyond.Found);
    EXPECT_EQ(beyond.ItemIndex, -1);
    EXPECT_EQ(beyond.Position, storedPosition + 1);
}

// The tolerant comparison is not transitive, so a sorted index can hold
// items in an order a bisection cannot fully trust. Whatever it returns, a
// found item must compare equal to the key.
TEST(DihotomedCollection, FoundItemAlwaysComparesEqual) {
    for (const TDuplicateMode mode : {TDuplicateMode::First, TDuplicateMode::Any, TDuplicateMode::Last}) {
        TKeyList list({{ComparePointsTolerant, keyOf, mode}});
        // Each new key equals the first one the bisection meets, so the
        // index ends as 11.2, 10.5, 9.5: every neighbour within 1 mm, yet
        // 11.2 sorts after 10 and 9.5 before 11.2.
        for (float x : {9.5f, 10.5f, 11.2f})
            list.add(x);
        ASSERT_EQ(list.IndexItem(0, 0).Key.X, 11.2f);
        for (float x : {8.0f, 9.0f, 9.5f, 10.0f, 10.5f, 11.0f, 11.2f, 12.0f, 13.0f}) {
            const TFindResult r = list.FindKey({x, 0}, 0);
            if (r.Found) {
                EXPECT_EQ(ComparePointsTolerant(list.Items(r.ItemIndex).Key, {x, 0}), 0)
                    << "mode " << static_cast<int>(mode) << ", key " << x;
            }
        }
    }
}
