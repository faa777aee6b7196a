// Tiles and patterns described in JSON: the older spellings (the starter
// library's) and the newer ones (the scene's) read to the same description,
// and the three-point arc to the same arc as centre, start and sweep.

#include "geometry/ElementRecords.h"
#include "geometry/Tolerance.h"
#include "model/ShapeDescription.h"
#include "model/Tile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace vk::test {
namespace {

QJsonValue Json(const char* text) {
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(text));
    EXPECT_TRUE(document.isObject()) << text;
    return document.object();
}

// A square tile with a cut, its halves and a straight pattern; `%1`..`%6` are
// the spellings under test.
QByteArray Tile(const char* segment, const char* dashed, const char* equals, const char* tilePoint,
                const char* patternPoint, const char* hands) {
    return QString::fromUtf8(R"({"name": "Квадрат", "thickness": 60, "outline": [
          {"%1": [[0, 0], [100, 0]]}, {"%1": [[100, 0], [100, 100]]},
          {"%1": [[100, 100], [0, 100]]}, {"%1": [[0, 100], [0, 0]]},
          {"%1": [[0, 50], [100, 50]], %2}],
        "parts": [{"name": "Пополам", "%3": true, "cuts": [{"%1": [[50, 0], [50, 100]]}],
                   "halves": [{"name": "Левая", "rect": [[0, 0], [50, 100]]}]}],
        "patterns": [{"name": "Прямой", "placements": [{"%4": [0, 0], "%5": [0, 0], "rotation": 90}],
                      "%6": [[100, 0], [0, 100]]}]})")
        .arg(QLatin1String(segment), QLatin1String(dashed), QLatin1String(equals), QLatin1String(tilePoint),
             QLatin1String(patternPoint), QLatin1String(hands))
        .toUtf8();
}

TEST(ShapeDescription, OlderAndNewerSpellingsReadToTheSameTile) {
    const QByteArray newer = Tile("segment", "\"style\": 2", "equals", "tilePoint", "patternPoint", "handPoints");
    const struct {
        const char* name;
        QByteArray older;
    } cases[] = {
        {"line for segment", Tile("line", "\"style\": 2", "equals", "tilePoint", "patternPoint", "handPoints")},
        {"dashed for style 2", Tile("segment", "\"dashed\": true", "equals", "tilePoint", "patternPoint", "handPoints")},
        {"interchangeable for equals",
         Tile("segment", "\"style\": 2", "interchangeable", "tilePoint", "patternPoint", "handPoints")},
        {"tile and at for tilePoint and patternPoint",
         Tile("segment", "\"style\": 2", "equals", "tile", "at", "handPoints")},
        {"hands for handPoints", Tile("segment", "\"style\": 2", "equals", "tilePoint", "patternPoint", "hands")},
        {"the starter library's spelling throughout",
         Tile("line", "\"dashed\": true", "interchangeable", "tile", "at", "hands")},
    };
    for (const TDescriptionRules rules : {TDescriptionRules::Scene, TDescriptionRules::LibraryEntry}) {
        TShapeDescriptionReader reader(rules);
        const TTileDescription expected = reader.Tile(Json(newer.constData()));
        ASSERT_EQ(expected.Outline.size(), 5u);
        EXPECT_EQ(expected.Outline[4].LineStyle, 2);
        ASSERT_EQ(expected.Parts.size(), 1u);
        EXPECT_TRUE(expected.Parts[0].Interchangeable);
        ASSERT_EQ(expected.Patterns.size(), 1u);
        EXPECT_EQ(expected.Patterns[0].HandPoints.size(), 2u);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_TRUE(reader.Tile(Json(c.older.constData())) == expected);
        }
    }
}

TEST(ShapeDescription, ArcThroughThreePointsIsTheArcOfItsCentreStartAndSweep) {
    const struct {
        const char* name;
        const char* threePoints;
        const char* centreForm;
    } cases[] = {
        {"half circle anticlockwise", R"({"arc": [[100, 0], [0, 100], [-100, 0]]})",
         R"({"arc": {"centre": [0, 0], "start": [100, 0], "sweep": 180}})"},
        {"quarter clockwise off the origin", R"({"arc": [[10, 120], [80.71068, 90.71068], [110, 20]]})",
         R"({"arc": {"centre": [10, 20], "start": [10, 120], "sweep": -90}})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TShapeDescriptionReader reader(TDescriptionRules::Scene);
        const QJsonValue list = QJsonDocument::fromJson(QByteArray("[") + c.threePoints + "," + c.centreForm + "]").array();
        const std::vector<TElementDescription> arcs = reader.Elements(list, {TDescriptionStep::What::Border, 0, {}});
        ASSERT_EQ(arcs.size(), 2u);
        TTile owner;
        const auto a = MakeDescribedElement(arcs[0], &owner);
        const auto b = MakeDescribedElement(arcs[1], &owner);
        const auto& first = dynamic_cast<const TArcPrimitive&>(*a);
        const auto& second = dynamic_cast<const TArcPrimitive&>(*b);
        EXPECT_TRUE(nearlyEqual(first.Centre().X, second.Centre().X, 1e-3)) << first.Centre().X;
        EXPECT_TRUE(nearlyEqual(first.Centre().Y, second.Centre().Y, 1e-3)) << first.Centre().Y;
        EXPECT_EQ(first.Start(), second.Start());
        EXPECT_TRUE(nearlyEqual(first.Sweep(), second.Sweep(), 1e-3)) << first.Sweep();
        EXPECT_TRUE(nearlyEqual(first.Radius(), second.Radius(), 1e-3)) << first.Radius();
    }
}

TEST(ShapeDescription, ALibraryOutlineClosedByAnArcInEitherSpellingIsOneChain) {
    for (const char* arc : {R"({"arc": [[100, 0], [0, 100], [-100, 0]]})",
                            R"({"arc": {"centre": [0, 0], "start": [100, 0], "sweep": 180}})"}) {
        SCOPED_TRACE(arc);
        const QByteArray json = QByteArray(R"({"name": "Полукруг", "thickness": 60, "outline": [)") + arc +
                                R"(, {"segment": [[-100, 0], [100, 0]]}]})";
        TShapeDescriptionReader reader(TDescriptionRules::LibraryEntry);
        try {
            EXPECT_EQ(reader.Tile(Json(json.constData())).Outline.size(), 2u);
        } catch (const TDescriptionError& e) {
            ADD_FAILURE() << e.Why.toStdString();
        }
    }
}

TEST(ShapeDescription, ALibraryEntryMustBeCompleteWhereASceneMayLeaveThingsOut) {
    // No name, no thickness, an open outline, a part without halves and a
    // pattern without hand points: a scene takes it, a library entry does not.
    const QJsonValue sparse = Json(R"({"outline": [{"segment": [[0, 0], [100, 0]]}, {"segment": [[100, 0], [0, 100]]}],
        "parts": [{"cuts": [{"segment": [[50, 0], [50, 50]]}]}],
        "patterns": [{"placements": [{"tilePoint": [0, 0], "patternPoint": [0, 0]}]}]})");
    TShapeDescriptionReader scene(TDescriptionRules::Scene);
    const TTileDescription tile = scene.Tile(sparse);
    EXPECT_TRUE(tile.Name.isNull());
    EXPECT_FALSE(tile.ThicknessGiven);
    TShapeDescriptionReader library(TDescriptionRules::LibraryEntry);
    try {
        (void)library.Tile(sparse, 3);
        ADD_FAILURE() << "accepted";
    } catch (const TDescriptionError& e) {
        ASSERT_EQ(e.Place.size(), 1u);
        EXPECT_EQ(e.Place[0].Item, TDescriptionStep::What::Tile);
        EXPECT_EQ(e.Place[0].Number, 3);
        EXPECT_EQ(e.Why, QStringLiteral("нет поля \"name\""));
    }
}

} // namespace
} // namespace vk::test
