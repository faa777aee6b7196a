// Tiles, their cuts and halves, laying patterns and tile placements.

#include "geometry/Matrix.h"
#include "ui/PropertyEditor.h"
#include "geometry/VectorMath.h"
#include "model/Collage.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "model/TileLibrary.h"
#include "support/FakeSheet.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

using namespace vk;

namespace {

void addSegment(T_TnC_Ancestor& doc, TPointF a, TPointF b, int style = 0) {
    auto s = std::make_unique<TLinePrimitive>(&doc);
    s->SetStart({a.X, a.Y, 1});
    s->SetFinish({b.X, b.Y, 1});
    s->LineStyle = style;
    doc.Elements().Add(std::move(s));
}

// A 200 x 100 paver with its local origin at its lower left corner.
void makePaver(TTile& tile) {
    addSegment(tile, {0, 0}, {200, 0});
    addSegment(tile, {200, 0}, {200, 100});
    addSegment(tile, {200, 100}, {0, 100});
    addSegment(tile, {0, 100}, {0, 0});
    tile.SetModified(false);
}

void expectPoint(TPointF got, TPointF want, const char* what) {
    EXPECT_NEAR(got.X, want.X, 1e-3) << what;
    EXPECT_NEAR(got.Y, want.Y, 1e-3) << what;
}

// A library that records what it was asked and can be told to refuse.
class TRecordingLibrary final : public TTileLibrary {
public:
    TRecordingLibrary() { SetTileDB(this); }
    ~TRecordingLibrary() override { SetTileDB(nullptr); }
    bool StoreTile(TTile& tile) override {
        ++tileStores;
        if (refuse) return false;
        tile.ID = 77;
        return true;
    }
    void LoadTile(int, TTile&, ViewRecord&) override {}
    void StoreParts(int, TPartList&) override {}
    void LoadParts(int, TPartList&) override {}
    bool StorePattern(TCollage& pattern) override {
        ++patternStores;
        pattern.ID = 88;
        return !refuse;
    }
    void LoadPattern(int, TCollage&, ViewRecord&) override {}
    void LoadView(int, ViewRecord& view) override { view.Scale = -1; }
    void StoreView(int id, const ViewRecord&) override { views.push_back(id); }
    std::vector<TLibraryEntry> ListTiles() override { return {}; }
    std::vector<TLibraryEntry> ListPatterns(int) override { return {}; }

    bool refuse = false;
    int tileStores = 0;
    int patternStores = 0;
    std::vector<int> views;
};

} // namespace

TEST(Tile, NewTileThicknessAndAssign) {
    TTile tile;
    EXPECT_EQ(tile.Name(), QString("Безымянная"));
    EXPECT_EQ(tile.ID, -1);
    EXPECT_FALSE(tile.Modified);
    tile.SetThickness(0);
    EXPECT_FALSE(tile.Modified) << "the same thickness is no change";
    tile.SetThickness(60);
    EXPECT_TRUE(tile.Modified);

    TTile source;
    makePaver(source);
    source.SetThickness(80);
    source.Comment = "из бетона";
    TTile copy;
    copy.Comment = "свой";
    copy.Assign(source);
    EXPECT_EQ(copy.Thickness(), 80.0f);
    EXPECT_EQ(copy.Comment, QString("свой"));
    EXPECT_EQ(copy.Elements().Count(), 4);
    expectPoint(copy.ElementAveragePoint(), {100, 50}, "average of the start points");
}

TEST(Tile, SaveQueryAnswers) {
    TRecordingLibrary library;
    test::TScriptedUi ui;
    const ViewRecord view{600, 600, 300, 300, 1, 0, 0};
    {
        TTile tile;
        EXPECT_TRUE(tile.SaveQuery(view)) << "unmodified: go on";
        EXPECT_EQ(library.views, (std::vector<int>{-1})) << "the view is kept even for a new tile";
        EXPECT_TRUE(ui.messages.empty());
    }
    const struct {
        const char* name;
        TAnswer answer;
        bool refuse;
        bool result;
        bool stillModified;
    } cases[] = {
        {"Yes stores", TAnswer::Yes, false, true, false},
        {"Yes but the store fails", TAnswer::Yes, true, false, true},
        {"No goes on without storing", TAnswer::No, false, true, true},
        {"Cancel stays", TAnswer::Cancel, false, false, true},
    };
    for (const auto& c : cases) {
        library.refuse = c.refuse;
        library.views.clear();
        ui.messages.clear();
        TTile tile;
        tile.SetName("Брусчатка");
        tile.SetThickness(60);
        ui.answer(c.answer);
        EXPECT_EQ(tile.SaveQuery(view), c.result) << c.name;
        EXPECT_EQ(tile.Modified, c.stillModified) << c.name;
        ASSERT_EQ(ui.messages.size(), 1u) << c.name;
        EXPECT_EQ(ui.messages[0].text, QString("Сохранить плитку \"Брусчатка\"?")) << c.name;
        EXPECT_EQ(ui.messages[0].buttons, TButtons::YesNoCancel) << c.name;
        EXPECT_EQ(library.views.empty(), !(c.answer == TAnswer::Yes && !c.refuse)) << c.name;
    }
}

TEST(Halves, PathFollowsTheBoundTile) {
    TTile tile;
    makePaver(tile);
    TContourAncestor half;
    addSegment(half, {0, 0}, {100, 0});
    EXPECT_TRUE(half.Path.IsEmpty());
    half.AttachToTile(nullptr);
    EXPECT_TRUE(half.Path.IsEmpty());
    tile.SetBasePoint(100, 50);
    half.AttachToTile(&tile);
    ASSERT_EQ(half.Path.FigureCount(), 1);
    expectPoint(half.Path.Figures()[0][0].A, {100, 50}, "start shifted by the base point");
    expectPoint(half.Path.Figures()[0][0].B, {200, 50}, "end shifted by the base point");
}

TEST(Parts, LookupsByIdentifier) {
    TPartList parts;
    auto part = std::make_unique<TPart>();
    part->ID = 5;
    part->SetName("Поперёк");
    part->Equals = true;
    auto half = std::make_unique<TContourAncestor>();
    half->ID = 51;
    half->SetName("Левая");
    part->Contours.Add(std::move(half));
    parts.Add(std::move(part));
    EXPECT_TRUE(parts.PartEquals(5));
    EXPECT_FALSE(parts.PartEquals(6));
    EXPECT_EQ(parts.PartName(5), QString("Поперёк"));
    EXPECT_EQ(parts.PartName(6), QString());
    EXPECT_EQ(parts.ContourName(5, 51), QString("Левая"));
    EXPECT_EQ(parts.ContourName(5, 52), QString());
    EXPECT_EQ(parts.ContourName(6, 51), QString());
}

TEST(Parts, ChangingAPartMarksItsTile) {
    TTile tile;
    makePaver(tile);
    TPart part(&tile);
    addSegment(part, {100, 0}, {100, 100});
    EXPECT_TRUE(tile.Modified);
}

TEST(Parts, HalfFromARectangleTakesThePiecesInside) {
    TTile tile;
    makePaver(tile);
    tile.SetBasePoint(0, 0);
    TPart part(&tile);
    addSegment(part, {100, 0}, {100, 100}); // a cut across, from side to side
    // The left half: bounds touching the rectangle's edges count as inside.
    TContourAncestor* left = part.AddContourFromRect({0, 100}, {100, 0});
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->Elements().Count(), 4) << "bottom, cut, top and left pieces";
    EXPECT_EQ(left->Path.FigureCount(), 1);
    EXPECT_NEAR(left->Path.Bounds().width(), 100, 1e-3);
    EXPECT_EQ(left->Name(), QString("Безымянная"));
    EXPECT_EQ(part.Contours.Count(), 1);
    // A rectangle holding nothing appends an empty half.
    TContourAncestor* none = part.AddContourFromRect({300, 300}, {400, 400});
    EXPECT_EQ(none->Elements().Count(), 0);
    EXPECT_TRUE(none->Path.IsEmpty());
    EXPECT_EQ(part.Contours.Count(), 2);
}

// A user draws the cut past the outline and the rectangle wide of the tile:
// the half is still the piece of tile the user sees, without the overhang.
TEST(Parts, HalfOutlinedWideOfTheTileLeavesOutTheCutLinesOverhang) {
    TTile tile;
    makePaver(tile);
    tile.SetBasePoint(0, 0);
    TPart part(&tile);
    addSegment(part, {100, -150}, {100, 250});
    const struct {
        const char* name;
        TPointF corner1, corner2;
        double left, right;
    } cases[] = {
        {"left, rectangle holding the overhang", {-300, -300}, {150, 300}, 0, 100},
        {"right, rectangle holding the overhang", {50, -300}, {400, 300}, 100, 200},
        {"left, tight rectangle", {-1, -1}, {101, 101}, 0, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TContourAncestor* half = part.AddContourFromRect(c.corner1, c.corner2);
        EXPECT_EQ(half->Elements().Count(), 4) << "three sides and the cut";
        const QRectF b = half->Path.Bounds();
        EXPECT_NEAR(b.left(), c.left, 1e-3);
        EXPECT_NEAR(b.right(), c.right, 1e-3);
        EXPECT_NEAR(b.top(), 0, 1e-3);
        EXPECT_NEAR(b.bottom(), 100, 1e-3);
        EXPECT_NEAR(half->Area(10), 0.01, 1e-6);
        for (int i = 0; i < half->Elements().Count(); ++i) {
            EXPECT_EQ(half->Elements().Items(i)->LineStyle, 0);
        }
    }
}

TEST(Placement, PutsTheTileWhereThePatternSays) {
    TTile tile;
    makePaver(tile);
    TCollage pattern(&tile);
    auto placement = std::make_unique<TTilePlacementPrimitive>(&pattern);
    placement->SetTilePoint({10, 0, 1});
    placement->SetPatternPoint({100, 0, 1});
    placement->SetRotation(90);
    placement->PlaceTile(tile, {0, 0});
    expectPoint(placement->Tile().BasePoint.point(), {100, -10}, "base point");
    // The tile point (10, 0) lands on the pattern point.
    const TPointF landed = placement->Tile().ToWorld(RotatePoint(TPointF{10, 0}, 90, {0, 0}));
    expectPoint(landed, {100, 0}, "tile point");
    // The outline is turned: the bottom side now runs upwards.
    const TGraphicPrimitive* bottom = placement->Tile().Elements().Items(0);
    expectPoint(bottom->GetStartPoint(), {100, -10}, "bottom start");
    expectPoint(bottom->GetEndPoint(), {100, 190}, "bottom end");
}

TEST(Placement, RotatingThePatternTurnsPlacementsAndHandPoints) {
    TTile tile;
    makePaver(tile);
    TCollage pattern(&tile);
    pattern.SetBasePoint(0, 0);
    auto placement = std::make_unique<TTilePlacementPrimitive>(&pattern);
    placement->SetTilePoint({0, 0, 1});
    placement->SetPatternPoint({500, 0, 1});
    placement->SetRotation(90);
    placement->PlaceTile(tile, {0, 0});
    expectPoint(placement->Tile().BasePoint.point(), {500, 0}, "placed");
    TTilePlacementPrimitive* raw = placement.get();
    pattern.Elements().Add(std::move(placement));
    auto hand = std::make_unique<TPointPrimitive>(&pattern);
    hand->SetPoint({200, 0, 1});
    pattern.HandPoints().Add(std::move(hand));

    pattern.Rotate({0, 0}, 90);
    expectPoint(raw->PatternPoint().point(), {0, 500}, "pattern point");
    EXPECT_FLOAT_EQ(raw->Rotation(), 180);
    expectPoint(raw->Tile().BasePoint.point(), {0, 500}, "placed tile moved with it");
    expectPoint(static_cast<TPointPrimitive*>(pattern.HandPoints().Items(0))->Point().point(), {0, 200},
                "hand point");
}

TEST(Pattern, AssignSetPartsAndRemoval) {
    TTile tile;
    makePaver(tile);
    TCollage source(&tile);
    source.SetName("Ёлочка");
    auto placement = std::make_unique<TTilePlacementPrimitive>(&source);
    placement->SetPatternPoint({0, 0, 1});
    placement->PlaceTile(tile, {0, 0});
    source.Elements().Add(std::move(placement));
    auto hand = std::make_unique<TPointPrimitive>(&source);
    hand->SetPoint({200, 0, 1});
    source.HandPoints().Add(std::move(hand));

    TPartList cuts;
    auto part = std::make_unique<TPart>(&tile);
    part->ID = 3;
    cuts.Add(std::move(part));

    TCollage target(&tile);
    target.SetParts(&cuts);
    ASSERT_NE(target.PatternParts(), nullptr);
    target.Assign(source);
    EXPECT_EQ(target.PatternParts(), nullptr) << "a source without parts leaves none";
    EXPECT_EQ(target.Name(), QString("Ёлочка"));
    EXPECT_EQ(target.Elements().Count(), 1);
    EXPECT_EQ(target.HandPoints().Count(), 1);
    EXPECT_EQ(target.Placement(0)->Tile().Elements().Count(), 4);

    target.SetParts(&cuts);
    ASSERT_NE(target.Placement(0)->Parts(), nullptr);
    EXPECT_EQ(target.Placement(0)->Parts()->Items(0)->ID, 3);
    EXPECT_NE(target.Placement(0)->Parts(), target.PatternParts()) << "each placement has its own copy";

    target.SetBasePoint(5, 5);
    target.RemoveElement(target.Elements(), target.Elements().Items(0));
    EXPECT_TRUE(target.BasePoint.isSet()) << "hand points remain";
    target.RemoveElement(target.HandPoints(), target.HandPoints().Items(0));
    EXPECT_FALSE(target.BasePoint.isSet());
}

TEST(Pattern, OrientationIsAbsoluteWhenTheCopyIsRebuilt) {
    TTile tile;
    makePaver(tile);
    TCollage pattern(&tile);
    pattern.SetBasePoint(0, 0);
    auto placement = std::make_unique<TTilePlacementPrimitive>(&pattern);
    placement->SetTilePoint({10, 0, 1});
    placement->SetPatternPoint({100, 0, 1});
    placement->SetRotation(15);
    placement->PlaceTile(tile, {0, 0});
    pattern.Elements().Add(std::move(placement));
    const auto working = [&](std::initializer_list<float> turns) {
        auto copy = std::make_unique<TCollage>(&tile);
        for (float t : turns) {
            copy->Assign(pattern);
            copy->Rotate({0, 0}, t);
        }
        return copy;
    };
    const auto a = working({30, 60});
    const auto b = working({60});
    EXPECT_EQ(a->Placement(0)->Rotation(), b->Placement(0)->Rotation());
    expectPoint(a->Placement(0)->Tile().BasePoint.point(), b->Placement(0)->Tile().BasePoint.point(),
                "same placed tile");
}

TEST(Pattern, SaveQueryAsksAboutThePattern) {
    TRecordingLibrary library;
    test::TScriptedUi ui;
    TTile tile;
    TCollage pattern(&tile);
    pattern.SetName("Ёлочка");
    pattern.SetModified(true);
    ui.answer(TAnswer::Yes);
    EXPECT_TRUE(pattern.SaveQuery({}));
    EXPECT_EQ(ui.messages.at(0).text, QString("Сохранить узор \"Ёлочка\"?"));
    EXPECT_EQ(library.patternStores, 1);
    EXPECT_EQ(library.views, (std::vector<int>{88}));
}

// Placements come back from their stored kind code.
TEST(Placement, KindCodeOneMakesAPlacementOnceAPatternExists) {
    TTile tile;
    TCollage pattern(&tile);
    auto element = CreatePrimitive(pkTilePlacement, &pattern);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->GetDataSize(), 23);
}
