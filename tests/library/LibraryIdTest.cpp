// New library identifiers: the packed clock plus a random number, drawn again
// while the number is taken anywhere in the library.

#include "library/LibraryStore.h"
#include "support/TempDir.h"

#include <deque>
#include <gtest/gtest.h>

namespace vk::test {
namespace {

TEST(LibraryId, LocalTimeIsPackedAsAFileDate) {
    struct Case {
        const char* name;
        QDateTime when;
        quint32 packed;
    } const cases[] = {
        // 44 << 25 | 3 << 21 | 15 << 16 | 13 << 11 | 45 << 5 | 29
        {"ordinary", QDateTime(QDate(2024, 3, 15), QTime(13, 45, 58)), 1483697597u},
        {"odd second rounds down", QDateTime(QDate(2024, 3, 15), QTime(13, 45, 59)), 1483697597u},
        {"first day of the epoch", QDateTime(QDate(1980, 1, 1), QTime(0, 0)), 2162688u},
        {"before the epoch", QDateTime(QDate(1979, 12, 31), QTime(23, 59, 59)), 0u},
        {"top bit from 2044", QDateTime(QDate(2044, 1, 1), QTime(0, 0)), 2149646336u},
        {"last year", QDateTime(QDate(2107, 12, 31), QTime(23, 59, 58)), 4288659325u},
        {"after the last year", QDateTime(QDate(2108, 1, 1), QTime(0, 0)), 0u},
        {"invalid", QDateTime(), 0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PackedFileDateTime(c.when), c.packed);
    }
}

class LibraryIdDraw : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<TLibraryStore>(temp.file(QStringLiteral("DB")));
        store->SetClock([] { return kNow; });
        store->SetRandomSource([this] {
            ++draws;
            if (randoms.empty()) {
                return 5;
            }
            const int r = randoms.front();
            randoms.pop_front();
            return r;
        });
    }
    static qint32 IdFor(int r) { return static_cast<qint32>(PackedFileDateTime(kNow) + r + 10000000u); }

    static inline const QDateTime kNow{QDate(2024, 3, 15), QTime(13, 45, 58)};
    TTempDir temp;
    std::unique_ptr<TLibraryStore> store;
    std::deque<int> randoms;
    int draws = 0;
};

TEST_F(LibraryIdDraw, IdentifierIsClockPlusRandomPlusTenMillion) {
    randoms = {42};
    EXPECT_EQ(store->NewLibraryId(), 1483697597 + 42 + 10000000);
    randoms = {10042}; // taken modulo 10000
    EXPECT_EQ(store->NewLibraryId(), IdFor(42));
}

TEST_F(LibraryIdDraw, IdentifierFoundInAnyIdentifierColumnIsDrawnAgain) {
    // Orphaned rows count as well: a replaced tile's parts, patterns and view
    // stay under its old identifier and must not come back to a new tile.
    const qint32 taken = IdFor(5);
    struct Case {
        const char* name;
        std::function<void(TLibraryStore&)> occupy;
    } const cases[] = {
        {"Tiles.TileID", [=](TLibraryStore& s) { s.AppendTile({taken, "t", {}, {}, 0, {}}); }},
        {"Primitives.TileID", [=](TLibraryStore& s) { s.AppendPrimitive({taken, 0, 0, "x", 0}); }},
        {"Collages.TileID", [=](TLibraryStore& s) { s.AppendCollage({taken, 1, "c", {}, {}}); }},
        {"Collages.CollageID", [=](TLibraryStore& s) { s.AppendCollage({1, taken, "c", {}, {}}); }},
        {"CollageTiles.CollageID", [=](TLibraryStore& s) { s.AppendCollageTile({taken, 1, 0, "x"}); }},
        {"NextCollageTiles.CollageID", [=](TLibraryStore& s) { s.AppendNextCollageTile({taken, "x", 2, 0}); }},
        {"Parts.TileID", [=](TLibraryStore& s) { s.AppendPart({taken, 1, "p", false}); }},
        {"Parts.PartID", [=](TLibraryStore& s) { s.AppendPart({1, taken, "p", false}); }},
        {"Contours.PartID", [=](TLibraryStore& s) { s.AppendContour({taken, 1, "h"}); }},
        {"Contours.ContourID", [=](TLibraryStore& s) { s.AppendContour({1, taken, "h"}); }},
        {"SizeScale.ID", [=](TLibraryStore& s) { s.WriteView(taken, {}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            TLibraryTransaction transaction(*store);
            c.occupy(*store);
            randoms = {5, 5, 7};
            draws = 0;
            EXPECT_EQ(store->NewLibraryId(), IdFor(7));
            EXPECT_EQ(draws, 3);
        } // rolled back: the next case starts from an empty library
        randoms = {5};
        EXPECT_EQ(store->NewLibraryId(), taken);
    }
}

TEST_F(LibraryIdDraw, IdentifiersHandedOutInOneTransactionDifferBeforeTheyAreWritten) {
    TLibraryTransaction transaction(*store);
    randoms = {5};
    const qint32 first = store->NewLibraryId();
    randoms = {5, 5, 9};
    EXPECT_EQ(store->NewLibraryId(), IdFor(9));
    EXPECT_EQ(first, IdFor(5));
}

TEST_F(LibraryIdDraw, WhenEveryDrawIsTakenTheNextFreeNumberIsUsed) {
    {
        TLibraryTransaction transaction(*store);
        store->AppendTile({IdFor(5), "a", {}, {}, 0, {}});
        store->AppendPart({IdFor(5), IdFor(5) + 1, "b", false});
        transaction.Commit();
    }
    EXPECT_EQ(store->NewLibraryId(), IdFor(5) + 2); // the source only ever says 5
    EXPECT_EQ(draws, 100);
}

TEST_F(LibraryIdDraw, MinusOneIsNeverHandedOut) {
    // In 2107 the sum wraps round: this clock and random number 2 give -1.
    const QDateTime late(QDate(2107, 11, 7), QTime(13, 11, 58));
    store->SetClock([late] { return late; });
    ASSERT_EQ(static_cast<qint32>(PackedFileDateTime(late) + 2u + 10000000u), -1);
    randoms = {2, 3};
    EXPECT_EQ(store->NewLibraryId(), 0);
}

} // namespace
} // namespace vk::test
