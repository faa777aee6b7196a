// Cut tiles matched with the tile's halves, the counts per colour, and the
// report built from them.

#include "FillTestSupport.h"

#include "model/Counting.h"
#include "model/LaidTiles.h"
#include "model/Parts.h"
#include "model/Report.h"

#include <QLocale>
#include <QUndoStack>
#include <cmath>
#include <map>
#include <numbers>
#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace {

// A 200 x 100 paver cut across its middle into "левая" and "правая".
QJsonObject halvedPaver(bool equals) {
    const QJsonObject part{{"name", "Половинка"},
                           {"equals", equals},
                           {"cuts", QJsonArray{segment(100, 0, 100, 100)}},
                           {"halves", QJsonArray{QJsonObject{{"name", "левая"}, {"rect", QJsonArray{pt(-1, -1), pt(101, 101)}}},
                                                 QJsonObject{{"name", "правая"}, {"rect", QJsonArray{pt(99, -1), pt(201, 101)}}}}}};
    return rectTile(200, 100, QJsonArray{part});
}

// Pavers in stack bond whose first and last columns are cut in the middle:
// 40 whole, 10 cut to the right half (left border), 10 to the left half.
QJsonObject halvedScene(bool equals, double left = 0, double right = 1000) {
    return QJsonObject{{"tile", halvedPaver(equals)},
                       {"pattern", simplePattern(QJsonArray{pt(200, 0), pt(0, 100)})},
                       {"border", rect(left, 0, right, 1000)},
                       {"start", pt(-100, 0)}};
}

class HalvesTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

} // namespace

TEST_F(HalvesTest, CutTilesMatchTheirHalves) {
    for (const bool equals : {false, true}) {
        SCOPED_TRACE(equals ? "equal halves" : "distinct halves");
        TFillRig rig;
        rig.load(halvedScene(equals));
        rig.fill();
        const TProject& p = *rig.project;
        ASSERT_EQ(p.LaidTiles().Count(), 60);
        const TPart& part = *p.TileParts()->Items(0);
        const int leftId = part.Contours.Items(0)->ID;
        const int rightId = part.Contours.Items(1)->ID;
        int whole = 0, left = 0, right = 0;
        for (int i = 0; i < p.LaidTiles().Count(); ++i) {
            const TTileContainer& t = p.LaidTiles().Items(i);
            if (t.PartID == -1) {
                EXPECT_EQ(t.ContourID, -1);
                ++whole;
                continue;
            }
            EXPECT_EQ(t.PartID, part.ID);
            const bool onTheLeftBorder = t.BasePointKey().X < 0;
            if (equals) {
                EXPECT_EQ(t.ContourID, -1) << "equal halves are counted per part";
            } else {
                EXPECT_EQ(t.ContourID, onTheLeftBorder ? rightId : leftId);
            }
            (onTheLeftBorder ? right : left)++;
        }
        EXPECT_EQ(whole, 40);
        EXPECT_EQ(left, 10);
        EXPECT_EQ(right, 10);
        // The first tile laid is the start copy: the right half.
        EXPECT_EQ(p.LaidTiles().Items(0).BasePointKey(), (TPointF{-100, 0}));
    }
}

TEST_F(HalvesTest, ReportOfDistinctHalves) {
    TFillRig rig;
    rig.load(halvedScene(false));
    rig.fill();
    const TReport r = rig.project->Report();
    EXPECT_EQ(r.Tiles, 60);
    EXPECT_EQ(r.WholeTotal, 40);
    EXPECT_EQ(r.PiecesTotal, 20);
    EXPECT_EQ(r.Tiles, r.WholeTotal + r.PiecesTotal);
    EXPECT_NEAR(r.AreaM2, 1.0, 1e-6);
    EXPECT_NEAR(r.PerimeterM, 4.0, 1e-6);

    struct Label {
        int left, top;
        const char* text;
        bool grey;
    };
    // The part counted by its halves is named in grey, without a number;
    // its halves follow in the order their first piece was laid.
    const Label expected[] = {
        {20, 10, "Площадь 1.00 кв.м.; общий периметр 4.00 м", false},
        {20, 26, "Всего плиток: 60", false},
        {20, 42, "в т.ч.", false},
        {40, 58, "целых", false},
        {220, 58, "половинок", false},
        {40, 74, "40", false},
        {100, 90, "Половинка", true},
        {116, 106, "правая", false},
        {240, 106, "10", false},
        {116, 122, "левая", false},
        {240, 122, "10", false},
        {20, 154, "Итого:", false},
        {65, 154, "40", false},
        {240, 154, "20", false},
    };
    ASSERT_EQ(r.Labels.size(), std::size(expected));
    for (std::size_t i = 0; i < r.Labels.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(r.Labels[i].Left, expected[i].left);
        EXPECT_EQ(r.Labels[i].Top, expected[i].top);
        EXPECT_EQ(r.Labels[i].Text, QString::fromUtf8(expected[i].text));
        EXPECT_EQ(r.Labels[i].Grey, expected[i].grey);
    }
    ASSERT_EQ(r.Swatches.size(), 1u);
    EXPECT_EQ(r.Swatches[0].Left, 20);
    EXPECT_EQ(r.Swatches[0].Top, 74);
    EXPECT_EQ(r.Swatches[0].Color, 0xFFE5E5E5u);
    EXPECT_EQ(r.ButtonTop, 178);
    EXPECT_EQ(r.Height, 234);
    EXPECT_EQ(TReport::ButtonLeft(75), 112);
}

TEST_F(HalvesTest, ReportOfEqualHalvesAndOfOtherColours) {
    TFillRig rig;
    rig.load(halvedScene(true));
    rig.fill();
    // Recolour the tiles of the top row, counts moved as recolouring does.
    TTileList& laid = rig.project->LaidTiles();
    for (int i = 0; i < laid.Count(); ++i) {
        TTileContainer& t = laid.Items(i);
        if (t.BasePointKey().Y == 900) {
            RemoveHalf(laid.Group(t)->Counters, t.PartID, t.ContourID, 1);
            laid.SetColor(t, 0xFF0000FFu);
            AddHalf(laid.Group(t)->Counters, t.PartID, t.ContourID, 1, QString(), QStringLiteral("Половинка"), true);
        }
    }
    const TReport r = rig.project->Report();
    ASSERT_EQ(r.Colours.size(), 2u);
    EXPECT_EQ(r.Colours[0].Whole, 36);
    ASSERT_EQ(r.Colours[0].Parts.size(), 1u);
    EXPECT_EQ(r.Colours[0].Parts[0].Count, 18);
    EXPECT_TRUE(r.Colours[0].Parts[0].Halves.empty()) << "equal halves have no half lines";
    EXPECT_EQ(r.Colours[1].Color, 0xFF0000FFu);
    EXPECT_EQ(r.Colours[1].Whole, 4);
    EXPECT_EQ(r.Colours[1].Parts[0].Count, 2);
    EXPECT_EQ(r.WholeTotal, 40);
    EXPECT_EQ(r.PiecesTotal, 20);
    // One line per part, in normal colour.
    int partLines = 0;
    for (const TReportLabel& label : r.Labels) {
        if (label.Text == QStringLiteral("Половинка")) {
            EXPECT_FALSE(label.Grey);
            ++partLines;
        }
    }
    EXPECT_EQ(partLines, 2);
    EXPECT_EQ(r.Swatches.size(), 2u);
}

TEST_F(HalvesTest, PieceMatchingNoHalfCountsWhole) {
    TFillRig rig;
    // Three quarters of the border tiles lie in the site: pieces across the
    // cut line, which no half covers (a piece within one half would match it).
    rig.load(halvedScene(false, -50, 1050));
    rig.fill();
    const TReport r = rig.project->Report();
    EXPECT_EQ(r.Tiles, 60);
    EXPECT_EQ(r.WholeTotal, 60);
    EXPECT_EQ(r.PiecesTotal, 0);
    ASSERT_EQ(r.Colours.size(), 1u);
    EXPECT_TRUE(r.Colours[0].Parts.empty());
}

namespace {

// A 200 x 100 brick whose long sides are arcs bulging outwards, halved by a
// cut across its middle from `bottom` to `top`.
QJsonObject arcBrickScene(double bottom, double top) {
    const double sweep = 2.0 * std::atan2(100.0, 250.0) * 180.0 / std::numbers::pi;
    const QJsonArray outline{arc(100, 250, 0, 0, sweep), segment(200, 0, 200, 100), arc(100, -150, 200, 100, sweep),
                             segment(0, 100, 0, 0)};
    const QJsonObject part{{"name", "Половинка"},
                           {"equals", false},
                           {"cuts", QJsonArray{segment(100, bottom, 100, top)}},
                           {"halves", QJsonArray{QJsonObject{{"name", "левая"}, {"rect", QJsonArray{pt(-1, -30), pt(101, 130)}}},
                                                 QJsonObject{{"name", "правая"}, {"rect", QJsonArray{pt(99, -30), pt(201, 130)}}}}}};
    const QJsonObject tile{{"name", "Плитка"}, {"outline", outline}, {"parts", QJsonArray{part}}};
    return QJsonObject{{"tile", tile},
                       {"pattern", simplePattern(QJsonArray{pt(200, 0), pt(0, 140)})},
                       {"border", rect(0, -20, 1000, 1380)},
                       {"start", pt(-100, 0)}};
}

struct THalfCounts {
    int whole = 0, left = 0, right = 0;
    friend bool operator==(const THalfCounts&, const THalfCounts&) = default;
};

THalfCounts countHalves(const TProject& p) {
    THalfCounts n;
    const TPart& part = *p.TileParts()->Items(0);
    for (int i = 0; i < p.LaidTiles().Count(); ++i) {
        const TTileContainer& t = p.LaidTiles().Items(i);
        if (t.PartID == -1) {
            ++n.whole;
        } else if (t.ContourID == part.Contours.Items(0)->ID) {
            ++n.left;
        } else if (t.ContourID == part.Contours.Items(1)->ID) {
            ++n.right;
        }
    }
    return n;
}

} // namespace

// A cut line is naturally drawn well past the outline; it must divide the
// tile just as one that ends on the outline does, and the cut tiles must
// match the halves it makes.
TEST_F(HalvesTest, CutLineDrawnPastOutlineStillSplitsTile) {
    const double r = std::hypot(100.0, 250.0);
    const double onOutline = 250 - r; // where the cut meets the bottom arc; the top is 100 above it mirrored
    TFillRig ending, past;
    ending.load(arcBrickScene(onOutline, 100 - onOutline));
    past.load(arcBrickScene(-100, 200));

    // Each half is closed, about half the tile, and the same for both cuts.
    const TPart& endingPart = *ending.project->TileParts()->Items(0);
    const TPart& pastPart = *past.project->TileParts()->Items(0);
    for (int h = 0; h < 2; ++h) {
        SCOPED_TRACE(h == 0 ? "left half" : "right half");
        TContourAncestor& a = *endingPart.Contours.Items(h);
        TContourAncestor& b = *pastPart.Contours.Items(h);
        ASSERT_EQ(a.Elements().Count(), 4) << "two arc halves, a side and the cut";
        EXPECT_EQ(b.Elements().Count(), a.Elements().Count());
        EXPECT_NEAR(b.Area(10), a.Area(10), 1e-6);
        EXPECT_NEAR(a.Area(10), ending.project->Tile()->Area(10) / 2, 1e-4);
        const QRectF boundsA = a.Path.Bounds();
        const QRectF boundsB = b.Path.Bounds();
        EXPECT_NEAR(boundsB.left(), boundsA.left(), 1e-3);
        EXPECT_NEAR(boundsB.right(), boundsA.right(), 1e-3);
        EXPECT_NEAR(boundsB.top(), boundsA.top(), 1e-3);
        EXPECT_NEAR(boundsB.bottom(), boundsA.bottom(), 1e-3);
    }

    ending.fill();
    past.fill();
    const THalfCounts expected = countHalves(*ending.project);
    EXPECT_EQ(expected.left, 10) << "the right border column";
    EXPECT_EQ(expected.right, 10) << "the left border column";
    const THalfCounts got = countHalves(*past.project);
    EXPECT_EQ(got.whole, expected.whole);
    EXPECT_EQ(got.left, expected.left);
    EXPECT_EQ(got.right, expected.right);
}

TEST_F(HalvesTest, ReportWithNoLaidTiles) {
    TFillRig rig;
    rig.load(halvedScene(false));
    const TReport r = rig.project->Report();
    ASSERT_EQ(r.Labels.size(), 1u);
    EXPECT_EQ(r.Labels[0].Text, QStringLiteral("Площадь 1.00 кв.м.; общий периметр 4.00 м"));
    EXPECT_EQ(r.ButtonTop, 123);
    EXPECT_EQ(r.Height, 179);
    EXPECT_EQ(TReport::Width, 300);
    EXPECT_EQ(TReport::Caption, QStringLiteral("Отчет"));

    QLocale::setDefault(QLocale(QLocale::Russian));
    EXPECT_EQ(rig.project->Report().Labels[0].Text, QStringLiteral("Площадь 1,00 кв.м.; общий периметр 4,00 м"))
        << "the user's decimal separator";
}

TEST(Counting, AddAndRemoveHalves) {
    TPartCounters c;
    AddHalf(c, -1, 5, 1, "h", "p", false);
    EXPECT_EQ(c.Count(), 0) << "a whole tile counts nothing";

    AddHalf(c, 1, -1, 1, "", "равные", true);
    AddHalf(c, 1, -1, 1, "", "равные", true);
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Items(0).Count, 2);
    EXPECT_FALSE(c.Items(0).SubCounters);

    AddHalf(c, 2, 21, 3, "первая", "разные", false);
    AddHalf(c, 2, 22, 1, "вторая", "разные", false);
    ASSERT_EQ(c.Count(), 2);
    const TPartCounter& distinct = c.Items(1);
    EXPECT_EQ(distinct.Count, 0);
    ASSERT_TRUE(distinct.SubCounters);
    EXPECT_EQ(distinct.SubCounters->Items(0).Name, QStringLiteral("первая"));
    EXPECT_EQ(distinct.SubCounters->Items(0).Count, 3);
    EXPECT_EQ(distinct.SubCounters->Items(1).Count, 1);

    RemoveHalf(c, -1, 21, 1);
    RemoveHalf(c, 9, 21, 1);
    EXPECT_EQ(c.Count(), 2) << "no part, or an unknown part: nothing changes";

    RemoveHalf(c, 2, 22, 1);
    ASSERT_EQ(c.Items(1).SubCounters->Count(), 1) << "the last piece of a half deletes its counter";
    RemoveHalf(c, 2, 21, 3);
    ASSERT_EQ(c.Count(), 1) << "the last half of a part deletes the part";

    RemoveHalf(c, 1, -1, 1);
    EXPECT_EQ(c.Items(0).Count, 1);
    RemoveHalf(c, 1, -1, 1);
    EXPECT_EQ(c.Count(), 0);
}

namespace {

// Per colour: whole tiles, then each half's name and count, as the report
// gives them.
using TColourLine = std::pair<int, std::vector<std::pair<QString, int>>>;

std::map<std::uint32_t, TColourLine> reportByColour(TProject& p) {
    std::map<std::uint32_t, TColourLine> lines;
    for (const TReportColour& colour : p.Report().Colours) {
        TColourLine& line = lines[colour.Color];
        line.first = colour.Whole;
        for (const TReportPart& part : colour.Parts) {
            for (const TReportHalf& half : part.Halves) {
                line.second.emplace_back(half.Name, half.Count);
            }
        }
    }
    return lines;
}

} // namespace

// The window's "Изменить цвет" moves a cut tile's piece to the new colour's
// counts; a whole tile takes no piece along, and undoing gives both back.
TEST_F(HalvesTest, RecolouringMovesPiecesBetweenColoursAndUndoMovesThemBack) {
    constexpr std::uint32_t grey = DefaultTileColor;
    constexpr std::uint32_t red = 0xFFFF0000u;
    const QString left = QStringLiteral("левая");
    const QString right = QStringLiteral("правая");
    struct Case {
        const char* name;
        std::vector<TPointF> marked; // base points
        std::map<std::uint32_t, TColourLine> after;
    };
    const Case cases[] = {
        {"a cut tile", {{-100, 0}}, {{grey, {40, {{right, 9}, {left, 10}}}}, {red, {0, {{right, 1}}}}}},
        {"a whole tile", {{100, 0}}, {{grey, {39, {{right, 10}, {left, 10}}}}, {red, {1, {}}}}},
        {"one of each half and a whole tile",
         {{900, 500}, {100, 300}, {-100, 500}},
         {{grey, {39, {{right, 9}, {left, 9}}}}, {red, {1, {{left, 1}, {right, 1}}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFillRig rig;
        rig.load(halvedScene(false));
        rig.fill();
        TProject& p = *rig.project;
        p.SetModified(false);
        const auto before = reportByColour(p);
        for (const TPointF base : c.marked) {
            TTileContainer* tile = p.TileAt(base);
            ASSERT_NE(tile, nullptr);
            p.LaidTiles().SetMarked(*tile, true);
        }
        ASSERT_TRUE(p.RecolorMarkedTiles(0x00FF0000u));
        EXPECT_EQ(reportByColour(p), c.after);
        EXPECT_TRUE(p.IsModified());
        EXPECT_EQ(p.MarkedTiles().size(), c.marked.size()) << "marks stay";
        p.History().undo();
        EXPECT_EQ(reportByColour(p), before);
        EXPECT_FALSE(p.IsModified());
        p.History().redo();
        EXPECT_EQ(reportByColour(p), c.after);
    }
}

// The halves check counts the cut tiles whose piece fitted no half.
TEST_F(HalvesTest, UnmatchedCutTilesAreTheCutPiecesWithoutAHalf) {
    struct Case {
        const char* name;
        double left, right;
        int unmatched;
    };
    const Case cases[] = {
        {"every piece a half", 0, 1000, 0},
        {"pieces across the cut line", -50, 1050, 20},
        {"pieces across the cut line on the left only", -50, 1000, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFillRig rig;
        rig.load(halvedScene(false, c.left, c.right));
        rig.fill();
        const std::vector<const TTileContainer*> unmatched = rig.project->UnmatchedCutTiles();
        EXPECT_EQ(int(unmatched.size()), c.unmatched);
        for (const TTileContainer* tile : unmatched) {
            EXPECT_EQ(tile->PartID, -1);
        }
    }
}
