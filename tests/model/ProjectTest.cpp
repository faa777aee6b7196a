// The project: its preconditions, the choice of tile and pattern through the
// pick lists, the orientation, colour groups, and what it draws.

#include "FillTestSupport.h"

#include "model/Collage.h"
#include "model/Parts.h"
#include "model/TileLibrary.h"
#include "support/FakeSheet.h"
#include "support/ScriptedUi.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace vk;
using namespace vk::test;

namespace {

void addSegment(T_TnC_Ancestor& doc, TElementList& list, TPointF a, TPointF b) {
    auto s = std::make_unique<TLinePrimitive>(&doc);
    s->SetStart({a.X, a.Y, 1});
    s->SetFinish({b.X, b.Y, 1});
    list.Add(std::move(s));
}

void addSquare(T_TnC_Ancestor& doc, float x0, float y0, float size) {
    const TPointF a{x0, y0}, b{x0 + size, y0}, c{x0 + size, y0 + size}, d{x0, y0 + size};
    addSegment(doc, doc.Elements(), a, b);
    addSegment(doc, doc.Elements(), b, c);
    addSegment(doc, doc.Elements(), c, d);
    addSegment(doc, doc.Elements(), d, a);
}

// A library of one 100 mm square tile (7) with one pattern (11).
class TSquareLibrary final : public TTileLibrary {
public:
    TSquareLibrary() { SetTileDB(this); }
    ~TSquareLibrary() override { SetTileDB(nullptr); }

    bool StoreTile(TTile&) override { return false; }
    void LoadTile(int id, TTile& tile, ViewRecord&) override {
        if (id != 7) return;
        tile.ID = 7;
        tile.SetName(QStringLiteral("Квадрат"));
        addSquare(tile, 0, 0, 100);
    }
    void StoreParts(int, TPartList&) override {}
    void LoadParts(int, TPartList&) override {}
    bool StorePattern(TCollage&) override { return false; }
    void LoadPattern(int id, TCollage& pattern, ViewRecord&) override {
        if (id != 11) return;
        pattern.ID = 11;
        pattern.SetName(QStringLiteral("Прямой"));
        auto placement = std::make_unique<TTilePlacementPrimitive>(&pattern);
        placement->SetTilePoint({0, 0, 1});
        placement->SetPatternPoint({0, 0, 1});
        placement->PlaceTile(*pattern.Tile, pattern.BasePoint.point());
        pattern.Elements().Add(std::move(placement));
        for (TPointF h : {TPointF{100, 0}, TPointF{0, 100}}) {
            auto hand = std::make_unique<TPointPrimitive>(&pattern);
            hand->SetPoint({h.X, h.Y, 1});
            pattern.HandPoints().Add(std::move(hand));
        }
    }
    void LoadView(int, ViewRecord& view) override { view.Scale = -1; }
    void StoreView(int, const ViewRecord&) override {}
    std::vector<TLibraryEntry> ListTiles() override { return {{7, QStringLiteral("Квадрат")}}; }
    std::vector<TLibraryEntry> ListPatterns(int tileId) override {
        return tileId == 7 ? std::vector<TLibraryEntry>{{11, QStringLiteral("Прямой")}} : std::vector<TLibraryEntry>{};
    }
};

class TScriptedPickList final : public TPickList {
public:
    std::optional<std::int32_t> PickTile(const TPickRequest& request) override {
        requests.push_back(request);
        return tile;
    }
    std::optional<std::int32_t> PickPattern(const TPickRequest& request, std::int32_t, const TTile&) override {
        requests.push_back(request);
        return pattern;
    }
    std::optional<std::int32_t> tile;
    std::optional<std::int32_t> pattern;
    std::vector<TPickRequest> requests;
};

// The laid tiles painted afresh on white, as a sheet of `size` with `view`.
QImage paintedTiles(TProject& project, TFakeSheet& sheet, const QTransform& view, QSize size, bool smooth) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter g(&image);
    g.setRenderHint(QPainter::Antialiasing, smooth);
    g.setTransform(view);
    project.PaintTiles(g, sheet, sheet.Palette().BlackPen, false);
    g.end();
    return image;
}

} // namespace

TEST(Project, CheckReadyToFillNamesTheFirstThingMissing) {
    struct Case {
        const char* name;
        bool border, tile, pattern, start;
        const char* message; // nullptr: ready
    };
    const Case cases[] = {
        {"nothing", false, false, false, false, "Нужно нарисовать участок!"},
        {"a border", true, false, false, false, "Нужно выбрать плитку и узор,\r\nзадать начальную точку"},
        {"a border and a start", true, false, false, true, "Нужно выбрать плитку и узор"},
        {"a border and a tile", true, true, false, false, "Нужно выбрать узор\r\nзадать начальную точку"},
        {"a border, a tile and a start", true, true, false, true, "Нужно выбрать узор"},
        {"all but the start", true, true, true, false, "Нужно задать начальную точку"},
        {"everything", true, true, true, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedUi ui;
        TFillRig rig;
        TProject& p = *rig.project;
        if (c.border) {
            addSquare(p, 0, 0, 1000);
        }
        if (c.tile) {
            auto tile = std::make_unique<TTile>();
            addSquare(*tile, 0, 0, 100);
            p.UseTile(std::move(tile), nullptr);
        }
        if (c.pattern) {
            auto pattern = std::make_unique<TCollage>(p.Tile());
            auto placement = std::make_unique<TTilePlacementPrimitive>(pattern.get());
            placement->PlaceTile(*p.Tile(), {0, 0});
            pattern->Elements().Add(std::move(placement));
            p.UsePattern(std::move(pattern));
        }
        if (c.start) {
            p.SetStartPoint(50, 50);
        }
        p.SetModified(false);
        const bool ready = p.Fill();
        EXPECT_EQ(ready, c.message == nullptr);
        if (c.message == nullptr) {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(p.LaidTiles().Count(), 1);
            continue;
        }
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
        EXPECT_EQ(ui.messages[0].buttons, TButtons::Ok);
        EXPECT_EQ(ui.messages[0].text, QString::fromUtf8(c.message));
        EXPECT_FALSE(p.Modified) << "a refused fill changes nothing";
        EXPECT_FALSE(p.LayOnePattern());
    }
}

TEST(Project, ChoosingTileAndPatternFromTheLibrary) {
    TSquareLibrary library;
    TScriptedUi ui;
    TFillRig rig;
    TProject& p = *rig.project;
    TScriptedPickList pick;
    p.SetPickList(&pick);
    addSquare(p, 0, 0, 1000);
    p.SetStartPoint(50, 50);

    EXPECT_FALSE(p.SelectPattern());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Сначала нужно выбрать плитку"));
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
    EXPECT_TRUE(pick.requests.empty());

    EXPECT_FALSE(p.SelectTile()) << "a cancelled pick list changes nothing";
    EXPECT_EQ(p.Tile(), nullptr);

    pick.tile = 7;
    ASSERT_TRUE(p.SelectTile());
    ASSERT_EQ(pick.requests.size(), 2u);
    EXPECT_EQ(pick.requests[1].Caption, QStringLiteral("Выбери плитку"));
    EXPECT_EQ(pick.requests[1].KeyField, QStringLiteral("TileID"));
    EXPECT_EQ(pick.requests[1].NameField, QStringLiteral("TileName"));
    EXPECT_EQ(p.Tile()->Name(), QStringLiteral("Квадрат"));

    pick.pattern = 11;
    ASSERT_TRUE(p.SelectPattern());
    EXPECT_EQ(pick.requests.back().Caption, QStringLiteral("Выбери узор"));
    EXPECT_EQ(pick.requests.back().KeyField, QStringLiteral("CollageID"));
    EXPECT_EQ(pick.requests.back().NameField, QStringLiteral("CollageName"));
    EXPECT_EQ(pick.requests.back().Filter, QStringLiteral("TileID = 7"));
    ASSERT_NE(p.WorkPattern(), nullptr);

    ASSERT_TRUE(p.Fill());
    rig.queue.RunUntilIdle(p);
    EXPECT_EQ(p.LaidTiles().Count(), 121);

    // The same pattern again: the laying goes and the orientation is 0.
    p.SetOrientation(30);
    ASSERT_TRUE(p.SelectPattern());
    EXPECT_EQ(p.LaidTiles().Count(), 0);
    EXPECT_EQ(p.Orientation(), 0.0f);

    // A new tile after a fill drops the laying and the pattern; the start
    // point and the border stay.
    ASSERT_TRUE(p.Fill());
    rig.queue.RunUntilIdle(p);
    p.SetOrientation(45);
    ASSERT_TRUE(p.SelectTile());
    EXPECT_EQ(p.LaidTiles().Count(), 0);
    EXPECT_EQ(p.Pattern(), nullptr);
    EXPECT_EQ(p.WorkPattern(), nullptr);
    EXPECT_EQ(p.Orientation(), 0.0f);
    EXPECT_TRUE(p.StartPoint().isSet());
    EXPECT_EQ(p.Elements().Count(), 4);

    // Picked by name, as the command-line tool does.
    TPickByName byName(QStringLiteral("квадрат"), QStringLiteral("ПРЯМОЙ"));
    EXPECT_EQ(byName.PickTile({}), 7);
    EXPECT_EQ(byName.PickPattern({}, 7, *p.Tile()), 11);
    EXPECT_EQ(TPickByName(QStringLiteral("Круг"), {}).PickTile({}), std::nullopt);
}

TEST(Project, OrientationIsAbsolute) {
    const auto workAfter = [](std::initializer_list<float> angles) {
        TFillRig rig;
        QJsonObject scene = squareScene();
        scene["pattern"] = QJsonObject{{"placements", QJsonArray{placement(10, 0, 100, 0, 90), placement(0, 0, 0, 0, 0)}},
                                       {"handPoints", QJsonArray{pt(200, 0), pt(0, 100)}}};
        rig.load(scene);
        for (float a : angles) {
            rig.project->SetOrientation(a);
        }
        std::vector<float> values;
        const TCollage& w = *rig.project->WorkPattern();
        for (int i = 0; i < w.Elements().Count(); ++i) {
            const TTilePlacementPrimitive& pl = *w.Placement(i);
            values.insert(values.end(), {pl.Rotation(), pl.PatternPoint().X, pl.PatternPoint().Y,
                                         pl.Tile().BasePoint.X, pl.Tile().BasePoint.Y});
        }
        for (int i = 0; i < w.HandPoints().Count(); ++i) {
            const FlaggedPoint h = static_cast<const TPointPrimitive*>(w.HandPoints().Items(i))->Point();
            values.insert(values.end(), {h.X, h.Y});
        }
        return values;
    };
    const std::vector<float> once = workAfter({60});
    const std::vector<float> twice = workAfter({30, 60});
    ASSERT_EQ(once.size(), twice.size());
    for (std::size_t i = 0; i < once.size(); ++i) {
        EXPECT_TRUE(nearlyEqual(once[i], twice[i], 1e-3)) << i << ": " << once[i] << " vs " << twice[i];
    }
    EXPECT_TRUE(nearlyEqual(once[0], 150.0, 1e-4)) << "the placement's angle plus the orientation";
}

TEST(Project, ColourGroups) {
    TFillRig rig;
    rig.load(squareScene());
    rig.project->SetStartPoint(450, 450);
    rig.project->LayOnePattern();
    TTileList& list = rig.project->LaidTiles();
    TLaidShape const* shape = &list.Items(0).Shape();
    TTileContainer& a = list.AddTile(shape, {0, 0});
    TTileContainer& b = list.AddTile(shape, {100, 0});
    const TColorController& groups = list.ColorGroups();
    ASSERT_EQ(groups.Count(), 1);
    EXPECT_EQ(groups.TileCounts(0), 3);

    list.SetColor(b, 0xFF112233u);
    ASSERT_EQ(groups.Count(), 2);
    EXPECT_EQ(groups.Colors(1), 0xFF112233u);

    // Recolouring to the same colour moves the tile to its group's end.
    list.SetColor(a, DefaultTileColor);
    EXPECT_EQ(&groups.Items(0).Tile(groups.Items(0).TileCount() - 1), &a);

    // The only tile of a group: the group goes, and comes back last.
    list.SetColor(b, 0xFF112233u);
    ASSERT_EQ(groups.Count(), 2);
    EXPECT_EQ(groups.Colors(0), DefaultTileColor);
    EXPECT_EQ(groups.Colors(1), 0xFF112233u);
    list.SetColor(a, 0xFF112233u);
    list.SetColor(0, 0xFF112233u);
    ASSERT_EQ(groups.Count(), 1) << "a group lives while it has tiles";
    EXPECT_EQ(groups.Colors(0), 0xFF112233u);
    EXPECT_EQ(groups.FindColor(DefaultTileColor), nullptr);

    list.SetMarked(a, true);
    EXPECT_EQ(rig.project->MarkedTiles().size(), 1u);
    list.SetMarked(a, false);
    EXPECT_TRUE(rig.project->MarkedTiles().empty());

    // The sorted index sees every tile, whatever order they came in.
    EXPECT_TRUE(list.FindKey({100, 0}, 0).Found);
    EXPECT_EQ(list.FindKey({100, 0}, 0).ItemIndex, list.Index(b));
    EXPECT_FALSE(list.FindKey({100, 1}, 0).Found);
}

TEST(Project, DrawsLaidTilesOnlyWhenNoRunIsPending) {
    TFakeSheet sheet;
    TFillRig rig;
    rig.load(squareScene());
    const auto pixelAt = [&](TPointF world, bool useCache = true) {
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter g(&image);
        QTransform view;
        view.translate(10, 190);
        view.scale(0.18, -0.18);
        g.setTransform(view);
        if (useCache) {
            rig.project->Draw(g, sheet, false, nullptr);
        } else {
            rig.project->PaintTiles(g, sheet, sheet.Palette().BlackPen, false);
        }
        g.end();
        return image.pixel(view.map(QPointF(world.X, world.Y)).toPoint());
    };
    rig.project->SetStepBudget(std::chrono::microseconds(0));
    rig.project->Fill();
    ASSERT_TRUE(rig.project->IsRunning());
    EXPECT_EQ(qRed(pixelAt({100, 100})), 255) << "no laid tiles while the fill runs";

    rig.queue.RunUntilIdle(*rig.project);
    EXPECT_EQ(qRed(pixelAt({100, 100})), 229) << "the default colour";
    EXPECT_EQ(qRed(pixelAt({-30, 100})), 255) << "tiles are clipped to the site";

    // A recolour shows at once, although the picture of the tiles is kept.
    rig.project->LaidTiles().SetColor(0, 0xFF0000FFu);
    EXPECT_EQ(pixelAt({100, 100}), qRgb(0, 0, 255));
    EXPECT_EQ(pixelAt({100, 100}, false), qRgb(0, 0, 255));

    // Remembered tiles without a marked one: nothing extra, no failure.
    rig.project->RememberedTiles().push_back(&rig.project->LaidTiles().Items(1));
    pixelAt({0, 0});
    rig.project->RememberedTiles().clear();
}

// Where a tile is a few pixels across, a finished fill is painted as one
// repeat of its pattern: never for tiles that are not a whole fill, and
// tiles of another colour still show.
TEST(Project, TinyTilesOfAFinishedFillArePaintedAsThePattern) {
    TFakeSheet sheet;
    TFillRig rig;
    rig.load(squareScene());
    QTransform view; // a 100 mm tile is 3 pixels
    view.translate(5, 45);
    view.scale(0.03, -0.03);
    const auto paint = [&] { return paintedTiles(*rig.project, sheet, view, QSize(60, 50), false); };
    const auto at = [&](const QImage& image, double x, double y) {
        return image.pixel(view.map(QPointF(x, y)).toPoint());
    };
    ASSERT_TRUE(rig.project->LayOnePattern());
    QImage one = paint();
    EXPECT_NE(at(one, 100, 100), qRgb(255, 255, 255)) << "the one copy laid";
    EXPECT_EQ(at(one, 650, 650), qRgb(255, 255, 255)) << "no pattern where nothing was laid";

    ASSERT_TRUE(rig.fill());
    QImage all = paint();
    EXPECT_NE(at(all, 650, 650), qRgb(255, 255, 255)) << "the whole site is covered";
    EXPECT_EQ(at(all, 1200, 500), qRgb(255, 255, 255)) << "clipped to the site";
    EXPECT_GT(qGray(at(all, 650, 650)), 100) << "joints a few pixels apart do not paint the site black";

    // A tile of another colour is drawn over the pattern.
    TTileList& tiles = rig.project->LaidTiles();
    for (int i = 0; i < tiles.Count(); ++i) {
        if (tiles.Items(i).Bounds().contains(QPointF(650, 650))) {
            tiles.SetColor(i, 0xFF0000FFu);
        }
    }
    const QRgb blue = at(paint(), 650, 650);
    EXPECT_GT(qBlue(blue), 2 * qRed(blue));
}

// Each joint of a finished fill is drawn from one of its two tiles only:
// none may be left out, whatever the pattern and its angle.
TEST(Project, EveryJointOfAFinishedFillIsDrawn) {
    struct Case {
        const char* name;
        QJsonObject pattern;
        double orientation;
    };
    const Case cases[] = {
        {"squares at 30 degrees", simplePattern(QJsonArray{pt(100, 0), pt(0, 100)}), 30},
        {"squares in shifted rows", simplePattern(QJsonArray{pt(100, 0), pt(50, 100)}), 0},
        // Sides square to the direction the drawing side is chosen by (one
        // radian): neither side of such a joint leans either way.
        {"squares at one radian", simplePattern(QJsonArray{pt(100, 0), pt(0, 100)}), 180.0 / M_PI},
        {"herringbone of 100 x 50 at 17 degrees",
         QJsonObject{{"name", "Ёлочка"},
                     {"placements", QJsonArray{placement(0, 0, 0, 0, 0), placement(0, 0, 50, 50, 90)}},
                     {"handPoints", QJsonArray{pt(50, 50), pt(-100, 100)}}},
         17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFakeSheet sheet;
        TFillRig rig;
        QJsonObject scene = squareScene();
        scene["pattern"] = c.pattern;
        scene["orientation"] = c.orientation;
        if (QString(c.name).startsWith("herringbone")) {
            scene["tile"] = rectTile(100, 50);
        }
        rig.load(scene);
        ASSERT_TRUE(rig.fill());
        QTransform view; // 25 pixels a tile of 100 mm
        view.translate(10, 260);
        view.scale(0.25, -0.25);
        const QImage image = paintedTiles(*rig.project, sheet, view, QSize(270, 270), true);
        int joints = 0;
        const TTileList& tiles = rig.project->LaidTiles();
        for (int i = 0; i < tiles.Count(); ++i) {
            const TTileContainer& tile = tiles.Items(i);
            if (!QRectF(50, 50, 900, 900).contains(tile.Bounds())) {
                continue; // away from the border
            }
            const QPolygonF& outline = tile.Shape().SimplePolygon();
            const QPointF base(tile.BasePointKey().X, tile.BasePointKey().Y);
            for (int k = 0; k < outline.size(); ++k) {
                const QPointF middle = base + (outline[k] + outline[(k + 1) % outline.size()]) / 2.0;
                // A smoothed hairline may fall between two pixels: the
                // darkest pixel around the joint's middle.
                const QPoint px = view.map(middle).toPoint();
                int darkest = 255;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        darkest = std::min(darkest, qGray(image.pixel(px + QPoint(dx, dy))));
                    }
                }
                ASSERT_LT(darkest, 200) << "tile " << i << ", side " << k;
                ++joints;
            }
        }
        EXPECT_GT(joints, 100);
    }
}

namespace {

// The square site filled, and every laid tile given `colour`.
TTileList& recolouredSquares(TFillRig& rig, std::uint32_t colour) {
    rig.load(squareScene());
    EXPECT_TRUE(rig.fill());
    TTileList& tiles = rig.project->LaidTiles();
    for (int i = 0; i < tiles.Count(); ++i) {
        tiles.SetColor(i, colour);
    }
    return tiles;
}

} // namespace

// The tiles of the default colour of a finished fill are painted by filling
// the view once; when their group is not the first (every tile recoloured,
// then one given its colour back) that fill painted over the groups before it.
TEST(Project, ATileRecolouredBackToTheDefaultDoesNotHideTheOthers) {
    TFakeSheet sheet;
    TFillRig rig;
    TTileList& tiles = recolouredSquares(rig, 0xFF0000FFu);
    tiles.SetColor(0, DefaultTileColor);
    ASSERT_NE(tiles.ColorGroups().Items(0).Color, DefaultTileColor) << "the default colour's group comes last";
    for (const double pixelsPerTile : {3.0, 6.0, 25.0}) {
        QTransform view;
        view.translate(5, 5 + 10 * pixelsPerTile);
        view.scale(pixelsPerTile / 100.0, -pixelsPerTile / 100.0);
        const QSize size(int(12 * pixelsPerTile), int(12 * pixelsPerTile));
        const QImage image = paintedTiles(*rig.project, sheet, view, size, true);
        const QRgb inside = image.pixel(view.map(QPointF(700, 700)).toPoint()); // a tile's middle
        EXPECT_GT(qBlue(inside), 2 * qRed(inside)) << pixelsPerTile << " pixels per tile";
    }
}

// Tiles a few pixels across that the pattern's repeat does not show (another
// colour, or a project read from a file, which keeps no lattice) are drawn
// one by one; their joints at full strength painted the site black.
TEST(Project, TinyTilesDrawnOneByOneDoNotPaintTheSiteBlack) {
    TFakeSheet sheet;
    TFillRig rig;
    recolouredSquares(rig, 0xFFE0E0FFu);
    for (const double pixelsPerTile : {1.0, 2.0, 3.0}) {
        QTransform view;
        view.translate(5, 45);
        view.scale(pixelsPerTile / 100.0, -pixelsPerTile / 100.0);
        const QImage image = paintedTiles(*rig.project, sheet, view, QSize(60, 50), true);
        // The mean over the inside of the site, away from its border.
        const QRect inside = view.mapRect(QRectF(200, 200, 600, 600)).toRect();
        double sum = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                sum += qGray(image.pixel(x, y));
            }
        }
        const double mean = sum / (double(inside.width()) * inside.height());
        EXPECT_GT(mean, 100.0) << pixelsPerTile << " pixels per tile";
        EXPECT_LT(mean, 250.0) << pixelsPerTile << " pixels per tile: the tiles still show";
    }
}

TEST(Project, SceneTakesTileAndPatternFromTheLibrary) {
    const QJsonObject base{{"border", rect(0, 0, 1000, 1000)}, {"start", pt(50, 50)}};
    struct Case {
        const char* name;
        QJsonObject tile;
        QJsonObject pattern;
        const char* problem; // empty: fills
        bool withLibrary = true;
    };
    const Case cases[] = {
        {"both from the library, names in any case", QJsonObject{{"library", "КВАДРАТ"}}, QJsonObject{{"library", "прямой"}}, ""},
        {"a tile the library does not hold", QJsonObject{{"library", "Круг"}}, QJsonObject{{"library", "Прямой"}},
         "В библиотеке нет плитки \"Круг\""},
        {"a pattern of another tile", QJsonObject{{"library", "Квадрат"}}, QJsonObject{{"library", "Ёлочка"}},
         "В библиотеке нет узора \"Ёлочка\" для плитки \"Квадрат\""},
        {"no library at all", QJsonObject{{"library", "Квадрат"}}, QJsonObject{{"library", "Прямой"}},
         "Библиотека плиток недоступна (нужна для плитки \"Квадрат\")", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<TSquareLibrary> library;
        if (c.withLibrary) {
            library.emplace();
        }
        QJsonObject scene = base;
        scene["tile"] = c.tile;
        scene["pattern"] = c.pattern;
        TFillRig rig;
        EXPECT_EQ(LoadScene(scene, *rig.project), QString::fromUtf8(c.problem));
        if (*c.problem == 0) {
            rig.fill();
            EXPECT_EQ(rig.project->LaidTiles().Count(), 121);
        }
    }
}
