// Marks on laid tiles: finding the tile under a point, the selection
// rectangle, repeating a marking across the laying, and the marks' history.

#include "FillTestSupport.h"

#include "support/ScriptedUi.h"

#include <QUndoStack>
#include <algorithm>
#include <set>
#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace {

using TBase = std::pair<float, float>;

// Whole 100 x 100 tiles from (0, 0), `columns` to a row, `rows` rows.
QJsonObject gridScene(int columns, int rows) {
    return QJsonObject{{"tile", rectTile(100, 100)},
                       {"pattern", simplePattern(QJsonArray{pt(100, 0), pt(0, 100)})},
                       {"border", rect(0, 0, 100.0 * columns, 100.0 * rows)},
                       {"start", pt(0, 0)}};
}

std::set<TBase> markedBases(TProject& p) {
    std::set<TBase> bases;
    for (const TTileContainer* tile : p.MarkedTiles()) {
        bases.insert({tile->BasePointKey().X, tile->BasePointKey().Y});
    }
    return bases;
}

// The tile whose base point is (x, y).
TTileContainer& tileAt(TProject& p, float x, float y) {
    TTileContainer* tile = p.TileAt({x, y});
    EXPECT_NE(tile, nullptr) << x << ", " << y;
    return *tile;
}

class Marking : public ::testing::Test {
protected:
    void filled(int columns, int rows) {
        rig.load(gridScene(columns, rows));
        ASSERT_TRUE(rig.fill());
        ASSERT_EQ(project().LaidTiles().Count(), columns * rows);
        // As saved: what follows alone decides the modified flag.
        project().SetModified(false);
    }
    TProject& project() { return *rig.project; }
    void mark(std::initializer_list<TBase> bases) {
        for (const auto& [x, y] : bases) {
            project().LaidTiles().SetMarked(tileAt(project(), x, y), true);
        }
    }

    TScriptedUi ui;
    TFillRig rig;
};

} // namespace

TEST_F(Marking, TileAtFindsTheTileUnderThePointOrNone) {
    filled(10, 2);
    struct Case {
        const char* name;
        TPointF point;
        std::optional<TBase> tile;
    };
    const Case cases[] = {
        // Also in the outline of the tile to its left: the base point decides.
        {"exactly on a base point", {300, 0}, TBase{300, 0}},
        {"inside, base point sorted just before", {350, 150}, TBase{300, 100}},
        {"inside the last tile in sort order", {950, 150}, TBase{900, 100}},
        {"inside the first tile in sort order", {10, 10}, TBase{0, 0}},
        {"left of every tile", {-50, 50}, std::nullopt},
        {"above every tile", {450, 250}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TTileContainer* tile = project().TileAt(c.point);
        if (!c.tile) {
            EXPECT_EQ(tile, nullptr);
            continue;
        }
        ASSERT_NE(tile, nullptr);
        EXPECT_EQ(tile->BasePointKey(), (TPointF{c.tile->first, c.tile->second}));
    }
}

TEST_F(Marking, NothingLaidHasNoTileAnywhere) {
    rig.load(gridScene(2, 2));
    EXPECT_EQ(project().TileAt({50, 50}), nullptr);
    EXPECT_EQ(project().ToggleTileMark({50, 50}), nullptr);
}

TEST_F(Marking, RectangleMarksTouchedTilesOrWithShiftOnlyThoseInside) {
    struct Case {
        const char* name;
        QRectF rect;
        bool insideOnly;
        std::set<TBase> marked;
    };
    const Case cases[] = {
        {"touching marks every tile reached", {150, 50, 200, 100}, false,
         {{100, 0}, {200, 0}, {300, 0}, {100, 100}, {200, 100}, {300, 100}}},
        {"inside only takes the tiles wholly within", {90, -10, 220, 120}, true, {{100, 0}, {200, 0}}},
        {"a rectangle along a joint takes no neighbour", {200, 0, 100, 100}, false, {{200, 0}}},
        {"a rectangle equal to a tile holds it inside", {200, 0, 100, 100}, true, {{200, 0}}},
        {"inside only within one tile takes none", {210, 10, 50, 50}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFillRig fresh;
        fresh.load(gridScene(5, 2));
        ASSERT_TRUE(fresh.fill());
        TProject& p = *fresh.project;
        p.SetSelectCorner(float(c.rect.left()), float(c.rect.top()));
        p.SetSelectCorner(float(c.rect.right()), float(c.rect.bottom()));
        p.MarkTilesInRect(c.insideOnly);
        EXPECT_EQ(markedBases(p), c.marked);
    }
}

TEST_F(Marking, ThirdCornerStartsANewRectangle) {
    filled(2, 2);
    TProject& p = project();
    p.SetSelectCorner(1, 2);
    p.SetSelectCorner(3, 4);
    p.SetSelectCorner(5, 6);
    EXPECT_EQ(p.SelectCorner1, (FlaggedPoint{5, 6, 1}));
    EXPECT_FALSE(p.SelectCorner2.isSet());
}

TEST_F(Marking, MultiplySpreadsTheMarksAlongTheirOffsets) {
    struct Case {
        const char* name;
        std::initializer_list<TBase> marks;
        std::set<TBase> after;
    };
    const Case cases[] = {
        {"A and A + (200, 0): every second tile both ways from A", {{300, 0}, {500, 0}},
         {{100, 0}, {300, 0}, {500, 0}, {700, 0}, {900, 0}}},
        {"neighbours: the whole row", {{300, 0}, {400, 0}},
         {{0, 0}, {100, 0}, {200, 0}, {300, 0}, {400, 0}, {500, 0}, {600, 0}, {700, 0}, {800, 0}, {900, 0}}},
        {"B before A: the same offset backwards", {{500, 0}, {300, 0}},
         {{100, 0}, {300, 0}, {500, 0}, {700, 0}, {900, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFillRig fresh;
        fresh.load(gridScene(10, 1));
        ASSERT_TRUE(fresh.fill());
        TProject& p = *fresh.project;
        for (const auto& [x, y] : c.marks) {
            p.LaidTiles().SetMarked(tileAt(p, x, y), true);
        }
        const std::size_t messages = ui.messages.size();
        ASSERT_TRUE(p.MultiplySelection());
        EXPECT_TRUE(p.IsMultiplying()) << "the run goes on in the window's steps";
        fresh.queue.RunUntilIdle(p);
        EXPECT_FALSE(p.IsRunning());
        EXPECT_EQ(markedBases(p), c.after);
        ASSERT_EQ(ui.messages.size(), messages + 1);
        EXPECT_EQ(ui.messages.back().text, QStringLiteral("Размножение выделения закончено"));
    }
}

TEST_F(Marking, RememberedGroupSpreadsAlongTheOffsetOfTheNewMark) {
    filled(10, 2);
    TProject& p = project();
    mark({{0, 0}, {100, 0}, {0, 100}});
    p.RememberMarkedTiles();
    mark({{300, 0}});
    ASSERT_TRUE(p.MultiplySelection());
    rig.queue.RunUntilIdle(p);
    ASSERT_EQ(p.SelectionOffsets.size(), 1u);
    EXPECT_EQ(p.SelectionOffsets.front(), (TPointF{300, 0}));
    const std::set<TBase> expected{{0, 0},   {100, 0}, {300, 0},   {400, 0},   {600, 0},  {700, 0},
                                   {900, 0}, {0, 100}, {300, 100}, {600, 100}, {900, 100}};
    EXPECT_EQ(markedBases(p), expected);
    EXPECT_TRUE(p.RememberedTiles().empty());
}

TEST_F(Marking, OneMarkIsNotMultiplied) {
    filled(10, 1);
    mark({{300, 0}});
    EXPECT_FALSE(project().MultiplySelection());
    EXPECT_FALSE(project().IsRunning());
    EXPECT_EQ(markedBases(project()), (std::set<TBase>{{300, 0}}));
}

TEST_F(Marking, FillAndMultiplyRefuseToRunWhileTheOtherRuns) {
    filled(10, 1);
    TProject& p = project();
    // A fill that has laid its first copy and waits for its steps.
    ASSERT_TRUE(p.Fill());
    ASSERT_TRUE(p.IsRunning());
    p.LaidTiles().SetMarked(p.LaidTiles().Items(0), true);
    ui.messages.clear();
    EXPECT_FALSE(p.MultiplySelection());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.front().text, QStringLiteral("Нельзя размножать выделение, пока идёт заполнение"));
    rig.queue.RunUntilIdle(p);

    p.ClearMarks();
    mark({{300, 0}, {500, 0}});
    ASSERT_TRUE(p.MultiplySelection());
    ASSERT_TRUE(p.IsMultiplying());
    ui.messages.clear();
    EXPECT_FALSE(p.Fill());
    EXPECT_FALSE(p.LayOnePattern());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages.front().text, QStringLiteral("Нельзя заполнять участок, пока идёт размножение выделения"));
    EXPECT_EQ(p.LaidTiles().Count(), 10) << "the laying is untouched";
    rig.queue.RunUntilIdle(p);
    EXPECT_EQ(markedBases(p).size(), 5u);
}

TEST_F(Marking, MarkingStepsUndoWithoutMakingTheProjectModified) {
    filled(10, 1);
    TProject& p = project();
    p.ToggleTileMark({350, 50});
    p.SetSelectCorner(550, 40);
    p.SetSelectCorner(750, 60);
    p.MarkTilesInRect(false);
    p.RememberMarkedTiles();
    const std::set<TBase> marked{{300, 0}, {500, 0}, {600, 0}, {700, 0}};
    EXPECT_EQ(markedBases(p), marked);
    p.ClearMarks();
    EXPECT_TRUE(p.MarkedTiles().empty());
    EXPECT_FALSE(p.IsModified()) << "marks are not kept in the file";

    QUndoStack& history = p.History();
    ASSERT_EQ(history.count(), 4);
    history.undo(); // the clearing
    EXPECT_EQ(markedBases(p), marked);
    EXPECT_EQ(p.RememberedTiles().size(), 4u);
    history.undo(); // remembering
    EXPECT_TRUE(p.RememberedTiles().empty());
    history.undo(); // the rectangle
    EXPECT_EQ(markedBases(p), (std::set<TBase>{{300, 0}}));
    history.undo(); // the click
    EXPECT_TRUE(p.MarkedTiles().empty());
    EXPECT_FALSE(p.IsModified());
}

TEST_F(Marking, MultiplyIsOneStepOfTheHistory) {
    filled(10, 1);
    TProject& p = project();
    mark({{300, 0}, {500, 0}});
    ASSERT_TRUE(p.MultiplySelection());
    rig.queue.RunUntilIdle(p);
    ASSERT_EQ(p.History().count(), 1);
    p.History().undo();
    EXPECT_EQ(markedBases(p), (std::set<TBase>{{300, 0}, {500, 0}}));
}

TEST_F(Marking, AStepOfAnEarlierLayingLeavesTheNewTilesAlone) {
    filled(10, 1);
    TProject& p = project();
    p.ToggleTileMark({350, 50});
    ASSERT_TRUE(rig.fill());
    ASSERT_TRUE(p.MarkedTiles().empty());
    QUndoStack& history = p.History();
    ASSERT_TRUE(history.canUndo());
    history.undo();
    EXPECT_TRUE(p.MarkedTiles().empty());
    EXPECT_EQ(history.count(), 0) << "the stale step leaves the history";
}

TEST_F(Marking, PaintedMarksMergeIntoOneStep) {
    filled(10, 1);
    TProject& p = project();
    for (float x : {50.0f, 150.0f, 150.0f, 250.0f}) {
        p.MarkTileAt({x, 50});
    }
    EXPECT_EQ(markedBases(p), (std::set<TBase>{{0, 0}, {100, 0}, {200, 0}}));
    ASSERT_EQ(p.History().count(), 1);
    p.History().undo();
    EXPECT_TRUE(p.MarkedTiles().empty());
}
