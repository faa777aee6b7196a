// What to buy for the laid tiles: tiles cut into halves per part, waste and
// packs per colour group, against figures worked out by hand.

#include "FillTestSupport.h"

#include "model/Counting.h"
#include "model/Materials.h"
#include "model/Parts.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <functional>

using namespace vk;
using namespace vk::test;

namespace {

QJsonObject half(const char* name, double x0, double y0, double x1, double y1) {
    return QJsonObject{{"name", name}, {"rect", QJsonArray{pt(x0, y0), pt(x1, y1)}}};
}

QJsonObject part(const char* name, bool equals, QJsonArray cuts, QJsonArray halves) {
    return QJsonObject{{"name", name}, {"equals", equals}, {"cuts", cuts}, {"halves", halves}};
}

QJsonArray polygon(std::initializer_list<std::pair<double, double>> corners) {
    QJsonArray border;
    const std::vector<std::pair<double, double>> c(corners);
    for (std::size_t i = 0; i < c.size(); ++i) {
        const auto& [x0, y0] = c[i];
        const auto& [x1, y1] = c[(i + 1) % c.size()];
        border.append(segment(x0, y0, x1, y1));
    }
    return border;
}

// A 200 x 100 paver halved across its middle, in stack bond from (-100, 0):
// the first column of a site from x = 0 is cut to right halves.
QJsonObject paverScene(bool equals, QJsonArray border) {
    const QJsonObject halves = part("Половинка", equals, QJsonArray{segment(100, 0, 100, 100)},
                                    QJsonArray{half("левая", -1, -1, 101, 101), half("правая", 99, -1, 201, 101)});
    return QJsonObject{{"tile", rectTile(200, 100, QJsonArray{halves})},
                       {"pattern", simplePattern(QJsonArray{pt(200, 0), pt(0, 100)})},
                       {"border", border},
                       {"start", pt(-100, 0)}};
}

// 40 whole pavers, 10 right halves at x = 0 and 10 left halves at x = 1000.
QJsonObject paverSquare(bool equals) { return paverScene(equals, rect(0, 0, 1000, 1000)); }

// The last column only six rows high: 40 whole, 10 right halves, 6 left.
QJsonObject paverNotch(bool equals) {
    return paverScene(equals, polygon({{0, 0}, {1000, 0}, {1000, 600}, {900, 600}, {900, 1000}, {0, 1000}}));
}

// A 300 x 100 tile cut into three equal thirds; the site's first column
// keeps the right third, its last the left one: 20 whole, 20 thirds.
QJsonObject thirdsScene() {
    const QJsonObject thirds =
        part("Треть", true, QJsonArray{segment(100, 0, 100, 100), segment(200, 0, 200, 100)},
             QJsonArray{half("первая", -1, -1, 101, 101), half("вторая", 99, -1, 201, 101),
                        half("третья", 199, -1, 301, 101)});
    return QJsonObject{{"tile", rectTile(300, 100, QJsonArray{thirds})},
                       {"pattern", simplePattern(QJsonArray{pt(300, 0), pt(0, 100)})},
                       {"border", rect(0, 0, 800, 1000)},
                       {"start", pt(-200, 0)}};
}

// The 1000 x 1000 square of 100 x 100 tiles laid from (50, 50), the tile
// halved both ways with interchangeable halves: 81 whole; the side columns'
// 22 pieces (corners included: the first part takes them) are cut from 11
// tiles, the top and bottom rows' 18 from 9.
QJsonObject squareWithHalves() {
    QJsonObject scene = squareScene();
    const QJsonArray parts{part("Вдоль", true, QJsonArray{segment(50, 0, 50, 100)},
                                QJsonArray{half("левая", -1, -1, 51, 101), half("правая", 49, -1, 101, 101)}),
                           part("Поперек", true, QJsonArray{segment(0, 50, 100, 50)},
                                QJsonArray{half("нижняя", -1, -1, 101, 51), half("верхняя", -1, 49, 101, 101)})};
    scene["tile"] = rectTile(100, 100, parts);
    return scene;
}

constexpr std::uint32_t kGrey = DefaultTileColor;
constexpr std::uint32_t kRed = 0xFFFF0000u;

// The top row in red, its counts moved with it as recolouring does.
void redTopRow(TProject& project) {
    TTileList& laid = project.LaidTiles();
    const TPartList& parts = *project.TileParts();
    for (int i = 0; i < laid.Count(); ++i) {
        TTileContainer& t = laid.Items(i);
        if (t.BasePointKey().Y != 900) {
            continue;
        }
        RemoveHalf(laid.Group(t)->Counters, t.PartID, t.ContourID, 1);
        laid.SetColor(t, kRed);
        AddHalf(laid.Group(t)->Counters, t.PartID, t.ContourID, 1, parts.ContourName(t.PartID, t.ContourID),
                parts.PartName(t.PartID), parts.PartEquals(t.PartID));
    }
}

struct TLine {
    std::uint32_t argb;
    int whole, forHalves, tiles, withWaste;
    std::optional<int> packs;
};

struct TCase {
    const char* name;
    QJsonObject scene;
    std::function<void(TProject&)> change;
    double waste;
    int pack;
    std::vector<TLine> colours;
    TLine total;
};

void expectLine(const TMaterialsLine& got, const TLine& want, double tileArea) {
    EXPECT_EQ(got.Argb, want.argb);
    EXPECT_EQ(got.Whole, want.whole);
    EXPECT_EQ(got.ForHalves, want.forHalves);
    EXPECT_EQ(got.Tiles, want.tiles);
    EXPECT_EQ(got.WithWaste, want.withWaste);
    EXPECT_EQ(got.Packs, want.packs);
    EXPECT_NEAR(got.AreaM2, want.withWaste * tileArea, 1e-9);
}

} // namespace

TEST(Materials, TilesToBuyFromTheCountedPieces) {
    const TCase cases[] = {
        {"interchangeable halves: two pieces from a tile", paverSquare(true), {}, 0, 0,
         {{kGrey, 40, 10, 50, 50, {}}}, {0, 40, 10, 50, 50, {}}},
        {"distinct halves in equal numbers: one of each from a tile", paverSquare(false), {}, 0, 0,
         {{kGrey, 40, 10, 50, 50, {}}}, {0, 40, 10, 50, 50, {}}},
        {"distinct halves in unequal numbers: the most-needed half decides", paverNotch(false), {}, 0, 0,
         {{kGrey, 40, 10, 50, 50, {}}}, {0, 40, 10, 50, 50, {}}},
        {"the same pieces interchangeable: 16 from 8 tiles", paverNotch(true), {}, 0, 0,
         {{kGrey, 40, 8, 48, 48, {}}}, {0, 40, 8, 48, 48, {}}},
        {"three interchangeable thirds: 20 pieces from 7 tiles", thirdsScene(), {}, 5, 0,
         {{kGrey, 20, 7, 27, 29, {}}}, {0, 20, 7, 27, 29, {}}},
        {"pieces that match no half are bought whole", paverScene(false, rect(-50, 0, 1050, 1000)), {}, 0, 0,
         {{kGrey, 60, 0, 60, 60, {}}}, {0, 60, 0, 60, 60, {}}},
        {"waste that makes a whole number is not rounded up again", paverSquare(true), {}, 10, 0,
         {{kGrey, 40, 10, 50, 55, {}}}, {0, 40, 10, 50, 55, {}}},
        {"packs: the last one opened counts", paverSquare(true), {}, 5, 25,
         {{kGrey, 40, 10, 50, 53, 3}}, {0, 40, 10, 50, 53, 3}},
        // 45 and 5 tiles: 47.25 and 5.25 with waste, ordered as 48 and 6;
        // the totals line adds them (54) rather than rounding 52.5 once.
        {"two colours: waste and packs per colour, the totals add them", paverSquare(true), redTopRow, 5, 10,
         {{kGrey, 36, 9, 45, 48, 5}, {kRed, 4, 1, 5, 6, 1}}, {0, 40, 10, 50, 54, 6}},
        {"the square with halves both ways", squareWithHalves(), {}, 5, 0,
         {{kGrey, 81, 20, 101, 107, {}}}, {0, 81, 20, 101, 107, {}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TFillRig rig;
        rig.load(c.scene);
        ASSERT_TRUE(rig.fill());
        if (c.change) {
            c.change(*rig.project);
        }
        const TMaterials m = ComputeMaterials(*rig.project, c.waste, c.pack);
        EXPECT_EQ(m.WastePercent, c.waste);
        EXPECT_EQ(m.Pack, c.pack);
        ASSERT_EQ(m.Colours.size(), c.colours.size());
        for (std::size_t i = 0; i < c.colours.size(); ++i) {
            SCOPED_TRACE(i);
            expectLine(m.Colours[i], c.colours[i], m.TileAreaM2);
        }
        expectLine(m.Total, c.total, m.TileAreaM2);
    }
}

TEST(Materials, AreaIsTheTilesWithWasteTimesTheTileArea) {
    TFillRig rig;
    rig.load(squareWithHalves());
    ASSERT_TRUE(rig.fill());
    const TMaterials m = ComputeMaterials(*rig.project, 5, 0);
    EXPECT_NEAR(m.TileAreaM2, 0.01, 1e-8);
    EXPECT_NEAR(m.Total.AreaM2, 1.07, 1e-12) << "not 1.0699999761 from the float area";
}

TEST(Materials, NothingLaidBuysNothing) {
    TFillRig rig;
    rig.load(paverSquare(false));
    const TMaterials m = ComputeMaterials(*rig.project, 5, 10);
    EXPECT_TRUE(m.Colours.empty());
    EXPECT_EQ(m.Total.Tiles, 0);
    EXPECT_EQ(m.Total.WithWaste, 0);
    EXPECT_EQ(m.Total.Packs, 0);
    EXPECT_NEAR(m.TileAreaM2, 0.02, 1e-8);
}

TEST(Materials, TableTextForCopyingAndCsv) {
    TFillRig rig;
    rig.load(paverSquare(true));
    ASSERT_TRUE(rig.fill());
    redTopRow(*rig.project);
    struct TText {
        const char* name;
        QLocale locale;
        QChar separator;
        int pack;
        const char* text;
    };
    const TText cases[] = {
        {"tab-separated, point", QLocale::c(), QLatin1Char('\t'), 10,
         "Цвет\tЦелых\tНа половинки\tВсего плиток\tС запасом\tПлощадь, кв.м.\tУпаковок\n"
         "#ffe5e5e5\t36\t9\t45\t48\t0.96\t5\n"
         "#ffff0000\t4\t1\t5\t6\t0.12\t1\n"
         "Итого\t40\t10\t50\t54\t1.08\t6\n"},
        {"semicolons, decimal comma, no pack size", QLocale(QLocale::Russian), QLatin1Char(';'), 0,
         "Цвет;Целых;На половинки;Всего плиток;С запасом;Площадь, кв.м.;Упаковок\n"
         "#ffe5e5e5;36;9;45;48;0,96;\n"
         "#ffff0000;4;1;5;6;0,12;\n"
         "Итого;40;10;50;54;1,08;\n"},
    };
    for (const TText& c : cases) {
        SCOPED_TRACE(c.name);
        QLocale::setDefault(c.locale);
        const QString text = MaterialsText(ComputeMaterials(*rig.project, 5, c.pack), c.separator);
        QLocale::setDefault(QLocale::system());
        EXPECT_EQ(text.toStdString(), std::string(c.text));
    }
}
