// The library operations on documents: a tile with its parts and a pattern
// stored, the library closed and opened again from its files, and everything
// loaded back as it was; the questions a store asks; and stores that fail
// half-way, which must leave the library and the document as they were.

#include "DocumentFixtures.h"
#include "LibraryTestSupport.h"
#include "geometry/Tolerance.h"
#include "library/LibraryStore.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>
#include <map>

#include <unistd.h>

namespace vk::test {
namespace {

const ViewRecord kTileView{640, 480, 320, 240, 1.5f, 100, 50};
const ViewRecord kPatternView{1200, 900, 600, 450, 0.75f, -20, 35};
const ViewRecord kNoView{0, 0, 0, 0, -1, 0, 0};

// A 200 x 100 stone with corners rounded to 10 mm and a dashed marking line
// across it, its local origin at the lower left corner.
void MakeRoundedPaver(TTile& tile) {
    AddLine(tile, {10, 0}, {190, 0});
    AddArc(tile, {190, 10}, {190, 0}, 90);
    AddLine(tile, {200, 10}, {200, 90});
    AddArc(tile, {190, 90}, {200, 90}, 90);
    AddLine(tile, {190, 100}, {10, 100});
    AddArc(tile, {10, 90}, {10, 100}, 90);
    AddLine(tile, {0, 90}, {0, 10});
    AddArc(tile, {10, 10}, {0, 10}, 90);
    AddLine(tile, {50, 0}, {50, 100}, 2);
}

// A half of `part` from the tile pieces inside a rectangle given in tile-local
// coordinates.
TContourAncestor* AddHalf(TPart& part, TPointF corner1, TPointF corner2, const QString& name) {
    const TPointF base = part.Tile->BasePoint.point();
    TContourAncestor* half =
        part.AddContourFromRect({base.X + corner1.X, base.Y + corner1.Y}, {base.X + corner2.X, base.Y + corner2.Y});
    half->SetName(name);
    return half;
}

// Cut across into interchangeable halves, and lengthwise.
void MakeParts(TTile& tile, TPartList& parts) {
    parts.Tile = &tile;
    TPart* across = parts.Add(std::make_unique<TPart>(&tile));
    across->SetName(QStringLiteral("Поперёк"));
    across->Equals = true;
    AddLine(*across, {100, 0}, {100, 100});
    AddHalf(*across, {0, 0}, {100, 100}, QStringLiteral("Левая"));
    AddHalf(*across, {100, 0}, {200, 100}, QStringLiteral("Правая"));
    TPart* along = parts.Add(std::make_unique<TPart>(&tile));
    along->SetName(QStringLiteral("Вдоль"));
    AddLine(*along, {0, 50}, {200, 50});
    AddHalf(*along, {0, 0}, {200, 50}, QStringLiteral("Нижняя"));
    AddHalf(*along, {0, 50}, {200, 100}, QStringLiteral("Верхняя"));
}

// Three placements, one of them turned, and two hand points.
void MakePattern(TCollage& pattern) {
    pattern.SetBasePoint(5, 5);
    AddPlacement(pattern, {0, 0}, {0, 0}, 0);
    AddPlacement(pattern, {0, 0}, {200, 0}, 0);
    AddPlacement(pattern, {10, 0}, {100, 0}, 90, 1);
    AddHandPoint(pattern, {400, 0});
    AddHandPoint(pattern, {-100, 210});
}

// The rows of every table, counted straight from the files.
std::map<std::string, qint64> RowCounts(const QString& folder) {
    std::map<std::string, qint64> counts;
    for (const TLibraryTableDef& def : LibraryTables()) {
        TRawTable raw(QDir(folder).filePath(QLatin1String(def.File)));
        counts[def.Name] = raw.Value(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(def.Name))).toLongLong();
    }
    return counts;
}

// Everything stored for the parts of one tile, in stored order.
struct TStoredHalf {
    TContourRow Row;
    std::vector<TPrimitiveRow> Elements;
    friend bool operator==(const TStoredHalf&, const TStoredHalf&) = default;
};
struct TStoredPart {
    TPartRow Row;
    std::vector<TPrimitiveRow> CutLines;
    std::vector<TStoredHalf> Halves;
    friend bool operator==(const TStoredPart&, const TStoredPart&) = default;
};
std::vector<TStoredPart> StoredParts(TLibraryStore& store, qint32 tileId) {
    std::vector<TStoredPart> parts;
    for (const TPartRow& row : store.ReadParts(tileId)) {
        TStoredPart part{row, store.ReadPrimitives(row.PartID), {}};
        for (const TContourRow& half : store.ReadContours(row.PartID)) {
            part.Halves.push_back({half, store.ReadPrimitives(half.ContourID)});
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

bool HasErrorMessage(const TScriptedUi& ui) {
    for (const TScriptedUi::Message& m : ui.messages) {
        if (m.kind == TMessageKind::Error) {
            return true;
        }
    }
    return false;
}

class LibraryOperations : public ::testing::Test {
protected:
    void Reopen() {
        db.reset();
        db = std::make_unique<TTileDB>(folder);
        ASSERT_TRUE(db->IsAvailable());
    }
    TLibraryStore& Store() { return *db->Store(); }

    // A new tile stored under `name`; the tile is modified so that only the
    // name box is asked.
    void StoreNewTile(TTile& tile, const QString& name) {
        ui.type(name);
        ASSERT_TRUE(db->StoreTile(tile));
        ASSERT_NE(tile.ID, kNoLibraryId);
    }
    void StoreNewPattern(TCollage& pattern, const QString& name) {
        ui.type(name);
        ASSERT_TRUE(db->StorePattern(pattern));
        ASSERT_NE(pattern.ID, kNoLibraryId);
    }

    TTempDir temp;
    QString folder = temp.file(QStringLiteral("DB"));
    TScriptedUi ui;
    std::unique_ptr<TTileDB> db = std::make_unique<TTileDB>(folder);
};

TEST_F(LibraryOperations, TilePartsAndPatternComeBackFromTheFilesAsStored) {
    ASSERT_TRUE(db->IsAvailable());
    EXPECT_EQ(TileDB(), db.get()) << "the open library is the one the documents reach";

    TTile tile;
    MakeRoundedPaver(tile);
    tile.SetBasePoint(12.5f, -7);
    tile.SetThickness(60);
    tile.Comment = QStringLiteral("Вибропрессованный бетон,\nсерый");
    // Through the document, as the tile editor stores it.
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Классико 200×100"));
    ASSERT_TRUE(tile.SaveQuery(kTileView));
    ASSERT_NE(tile.ID, kNoLibraryId);
    EXPECT_EQ(tile.Name(), QStringLiteral("Классико 200×100"));

    TPartList parts;
    MakeParts(tile, parts);
    parts.SaveForTile(tile.ID);

    TCollage pattern(&tile);
    MakePattern(pattern);
    StoreNewPattern(pattern, QStringLiteral("Ёлочка"));
    db->StoreView(pattern.ID, kPatternView);
    EXPECT_FALSE(HasErrorMessage(ui));

    Reopen();

    TTile loaded;
    ViewRecord view;
    ASSERT_TRUE(loaded.LoadFromLibrary(tile.ID, view));
    EXPECT_EQ(loaded.ID, tile.ID);
    EXPECT_EQ(loaded.Name(), QStringLiteral("Классико 200×100"));
    EXPECT_EQ(loaded.Thickness(), 60.0f);
    EXPECT_EQ(loaded.Comment, tile.Comment);
    EXPECT_EQ(loaded.BasePoint, (FlaggedPoint{12.5f, -7, 1}));
    EXPECT_EQ(Records(loaded.Elements()), Records(tile.Elements())) << "segments, arcs and the dashed line";
    EXPECT_EQ(view, kTileView);
    EXPECT_FALSE(loaded.Modified);

    TPartList loadedParts;
    loadedParts.LoadForTile(tile.ID);
    ASSERT_EQ(loadedParts.Count(), 2);
    for (int i = 0; i < parts.Count(); ++i) {
        const TPart& want = *parts.Items(i);
        const TPart& got = *loadedParts.Items(i);
        SCOPED_TRACE(want.Name().toStdString());
        EXPECT_NE(want.ID, kNoLibraryId);
        EXPECT_EQ(got.ID, want.ID);
        EXPECT_EQ(got.Name(), want.Name());
        EXPECT_EQ(got.Equals, want.Equals);
        EXPECT_EQ(got.Tile, nullptr) << "loaded parts are bound by the caller";
        EXPECT_EQ(Records(got.Elements()), Records(want.Elements()));
        ASSERT_EQ(got.Contours.Count(), 2);
        for (int j = 0; j < 2; ++j) {
            const TContourAncestor& wantHalf = *want.Contours.Items(j);
            const TContourAncestor& gotHalf = *got.Contours.Items(j);
            EXPECT_NE(wantHalf.ID, kNoLibraryId);
            EXPECT_EQ(gotHalf.ID, wantHalf.ID);
            EXPECT_EQ(gotHalf.Name(), wantHalf.Name());
            EXPECT_GE(gotHalf.Elements().Count(), 4);
            EXPECT_EQ(Records(gotHalf.Elements()), Records(wantHalf.Elements()));
            EXPECT_TRUE(gotHalf.Path.IsEmpty());
        }
    }

    TCollage loadedPattern(&loaded);
    ASSERT_TRUE(loadedPattern.LoadFromLibrary(pattern.ID, view));
    EXPECT_EQ(loadedPattern.ID, pattern.ID);
    EXPECT_EQ(loadedPattern.Name(), QStringLiteral("Ёлочка"));
    EXPECT_EQ(loadedPattern.BasePoint, (FlaggedPoint{5, 5, 1}));
    EXPECT_EQ(Records(loadedPattern.Elements()), Records(pattern.Elements()));
    EXPECT_EQ(Records(loadedPattern.HandPoints()), Records(pattern.HandPoints()));
    EXPECT_EQ(view, kPatternView);
    // Each placement carries the tile, turned and put where the pattern says:
    // base + PatternPoint - R(Rotation) TilePoint.
    const TPointF wantBase[] = {{5, 5}, {205, 5}, {105, -5}};
    ASSERT_EQ(loadedPattern.Elements().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TTile& placed = loadedPattern.Placement(i)->Tile();
        EXPECT_TRUE(nearlyEqual(placed.BasePoint.X, wantBase[i].X, 1e-3)) << i;
        EXPECT_TRUE(nearlyEqual(placed.BasePoint.Y, wantBase[i].Y, 1e-3)) << i;
        EXPECT_EQ(placed.Elements().Count(), loaded.Elements().Count()) << i;
    }
    // The turned copy: the tile's corner (10, 0) lands on the pattern point.
    const TPointF corner = loadedPattern.Placement(2)->Tile().Elements().Items(0)->GetStartPoint();
    EXPECT_TRUE(nearlyEqual(corner.X, 105, 1e-3) && nearlyEqual(corner.Y, 5, 1e-3))
        << corner.X << ", " << corner.Y;
    EXPECT_FALSE(HasErrorMessage(ui));
    EXPECT_TRUE(ui.allAnswersUsed());
}

TEST_F(LibraryOperations, ClosingTheLibraryUninstallsIt) {
    EXPECT_EQ(TileDB(), db.get());
    db.reset();
    EXPECT_EQ(TileDB(), nullptr);
    TTile tile;
    ViewRecord view;
    EXPECT_FALSE(tile.LoadFromLibrary(1, view));
}

TEST(LibraryNames, NewNameAlreadyStoredAsksBeforeReplacing) {
    const QString fifty = QString(50, QChar(0x0416));  // "Ж" x 50
    const struct {
        const char* label;
        QString stored;
        QString docName;
        std::optional<QString> typed;
        std::optional<TAnswer> answer;  // none: no question expected
        bool result;
        QString wantName;  // the name the library then holds for the new tile
    } cases[] = {
        {"Russian, other case, Yes", QStringLiteral("Брусчатка Старый город"), QStringLiteral("Безымянная"),
         QStringLiteral("БРУСЧАТКА старый ГОРОД"), TAnswer::Yes, true, QStringLiteral("БРУСЧАТКА старый ГОРОД")},
        {"Russian, other case, No", QStringLiteral("Брусчатка Старый город"), QStringLiteral("Безымянная"),
         QStringLiteral("брусчатка старый город"), TAnswer::No, false, {}},
        {"Latin, other case, Yes", QStringLiteral("Classic"), QStringLiteral("Безымянная"),
         QStringLiteral("cLASSIC"), TAnswer::Yes, true, QStringLiteral("cLASSIC")},
        {"proposed name kept unchanged is still looked up", QStringLiteral("Квадрат"), QStringLiteral("КВАДРАТ"),
         QStringLiteral("КВАДРАТ"), TAnswer::Yes, true, QStringLiteral("КВАДРАТ")},
        {"Ё and Е are other letters", QStringLiteral("Ёлочка"), QStringLiteral("Безымянная"),
         QStringLiteral("елочка"), std::nullopt, true, QStringLiteral("елочка")},
        {"60 characters compared and stored as their first 50", fifty, QStringLiteral("Безымянная"),
         fifty.toLower() + QStringLiteral("0123456789"), TAnswer::Yes, true, fifty.toLower()},
        {"a longer name of its own is cut to 50", QStringLiteral("Квадрат"), QStringLiteral("Безымянная"),
         fifty + QStringLiteral("0123456789"), std::nullopt, true, fifty},
        {"cancelled", QStringLiteral("Квадрат"), QStringLiteral("Безымянная"), std::nullopt, std::nullopt, false, {}},
        {"left empty", QStringLiteral("Квадрат"), QStringLiteral("Безымянная"), QString(), std::nullopt, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TTempDir temp;
        const QString folder = temp.file(QStringLiteral("DB"));
        TScriptedUi ui;
        TTileDB db(folder);
        // The stored tile with everything that can belong to it.
        TTile old;
        MakeRoundedPaver(old);
        old.SetBasePoint(0, 0);
        ui.type(c.stored);
        ASSERT_TRUE(db.StoreTile(old));
        TPartList parts;
        MakeParts(old, parts);
        db.StoreParts(old.ID, parts);
        TCollage pattern(&old);
        MakePattern(pattern);
        ui.type(QStringLiteral("Узор"));
        ASSERT_TRUE(db.StorePattern(pattern));
        db.StoreView(old.ID, kTileView);
        db.StoreView(pattern.ID, kPatternView);
        ui.inputs.clear();
        const TFolderSnapshot before = SnapshotFolder(folder);

        TTile tile;
        tile.SetName(c.docName);
        AddLine(tile, {0, 0}, {100, 0});
        ui.type(c.typed);
        if (c.answer) {
            ui.answer(*c.answer);
        }
        EXPECT_EQ(db.StoreTile(tile), c.result);
        ASSERT_EQ(ui.inputs.size(), 1u);
        EXPECT_EQ(ui.inputs[0].caption, QStringLiteral("Новая плитка"));
        EXPECT_EQ(ui.inputs[0].prompt, QStringLiteral("Название"));
        EXPECT_EQ(ui.inputs[0].value, c.docName);
        if (c.answer) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].kind, TMessageKind::Confirmation);
            EXPECT_EQ(ui.messages[0].buttons, TButtons::YesNo);
            EXPECT_EQ(ui.messages[0].text, *c.typed + QStringLiteral(" уже есть. Заменить?"));
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        if (!c.result) {
            EXPECT_EQ(tile.ID, kNoLibraryId);
            EXPECT_EQ(tile.Name(), c.docName);
            EXPECT_EQ(SnapshotFolder(folder), before) << "nothing written";
            continue;
        }
        EXPECT_NE(tile.ID, kNoLibraryId);
        EXPECT_NE(tile.ID, old.ID);
        EXPECT_EQ(tile.Name(), c.wantName);
        const std::vector<TLibraryEntry> tiles = db.ListTiles();
        if (c.answer == TAnswer::Yes) {
            // The replaced tile is gone with everything that was its own.
            ASSERT_EQ(tiles.size(), 1u);
            EXPECT_EQ(tiles[0], (TLibraryEntry{tile.ID, c.wantName}));
            const std::map<std::string, qint64> want{
                {"Tiles", 1},           {"Primitives", 1}, {"Collages", 0}, {"CollageTiles", 0},
                {"NextCollageTiles", 0}, {"Parts", 0},      {"Contours", 0}, {"SizeScale", 0}};
            EXPECT_EQ(RowCounts(folder), want);
        } else {
            EXPECT_EQ(tiles.size(), 2u);
        }
    }
}

TEST_F(LibraryOperations, PatternNamesAreComparedWithinTheirTile) {
    TTile first;
    MakeRoundedPaver(first);
    StoreNewTile(first, QStringLiteral("Первая"));
    TTile second;
    MakeRoundedPaver(second);
    StoreNewTile(second, QStringLiteral("Вторая"));
    TCollage old(&first);
    MakePattern(old);
    StoreNewPattern(old, QStringLiteral("Ёлочка"));
    db->StoreView(old.ID, kPatternView);
    TCollage kept(&first);
    MakePattern(kept);
    StoreNewPattern(kept, QStringLiteral("Ложок"));
    db->StoreView(kept.ID, kTileView);
    ui.inputs.clear();

    // Another tile's pattern of the same name: no question.
    TCollage elsewhere(&second);
    MakePattern(elsewhere);
    StoreNewPattern(elsewhere, QStringLiteral("ёлочка"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.inputs.back().caption, QStringLiteral("Новый узор"));
    EXPECT_EQ(ui.inputs.back().prompt, QStringLiteral("Название"));
    EXPECT_EQ(ui.inputs.back().value, QStringLiteral("Безымянный"));

    // The same tile: asked; No keeps the old one and stores nothing.
    TCollage renamed(&first);
    AddPlacement(renamed, {0, 0}, {0, 0}, 45);
    const TFolderSnapshot before = SnapshotFolder(folder);
    ui.type(QStringLiteral("ЁЛОЧКА"));
    ui.answer(TAnswer::No);
    EXPECT_FALSE(db->StorePattern(renamed));
    EXPECT_EQ(renamed.ID, kNoLibraryId);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("ЁЛОЧКА уже есть. Заменить?"));
    EXPECT_EQ(SnapshotFolder(folder), before);

    // Yes replaces it: the old pattern's placements, hand points and view go.
    ui.type(QStringLiteral("ЁЛОЧКА"));
    ui.answer(TAnswer::Yes);
    EXPECT_TRUE(db->StorePattern(renamed));
    EXPECT_NE(renamed.ID, old.ID);
    EXPECT_EQ(db->ListPatterns(first.ID),
              (std::vector<TLibraryEntry>{{kept.ID, QStringLiteral("Ложок")}, {renamed.ID, QStringLiteral("ЁЛОЧКА")}}));
    EXPECT_FALSE(Store().FindCollage(old.ID));
    EXPECT_TRUE(Store().ReadCollageTiles(old.ID).empty());
    EXPECT_TRUE(Store().ReadNextCollageTiles(old.ID).empty());
    EXPECT_FALSE(Store().ReadView(old.ID));
    EXPECT_EQ(Store().ReadCollageTiles(kept.ID).size(), 3u);
    EXPECT_EQ(Store().ReadView(kept.ID), kTileView);
    EXPECT_EQ(db->ListPatterns(second.ID), (std::vector<TLibraryEntry>{{elsewhere.ID, QStringLiteral("ёлочка")}}));
}

TEST_F(LibraryOperations, StoredDocumentsAreRewrittenWithoutAskingAndKeepTheirStoredName) {
    TTile tile;
    MakeRoundedPaver(tile);
    StoreNewTile(tile, QStringLiteral("Классико"));
    const qint32 id = tile.ID;
    TCollage pattern(&tile);
    MakePattern(pattern);
    StoreNewPattern(pattern, QStringLiteral("Ложок"));
    ui.inputs.clear();

    tile.SetName(QStringLiteral("Переименованная"));
    tile.SetThickness(80);
    tile.SetBasePoint(-3, 4);
    AddLine(tile, {0, 0}, {10, 10}, 2);
    ASSERT_TRUE(db->StoreTile(tile));
    pattern.SetName(QStringLiteral("Другой"));
    pattern.Elements().DeleteElement(pattern.Elements().Items(1), false);
    ASSERT_TRUE(db->StorePattern(pattern));
    EXPECT_TRUE(ui.inputs.empty());
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_EQ(tile.ID, id);
    const std::optional<TTileRow> row = Store().FindTile(id);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->TileName, QStringLiteral("Классико"));
    EXPECT_EQ(row->Thickness, 80.0);
    EXPECT_EQ(row->TileBasePoint, (FlaggedPoint{-3, 4, 1}));
    EXPECT_EQ(Store().ReadPrimitives(id).size(), 10u);
    EXPECT_EQ(Store().FindCollage(pattern.ID)->CollageName, QStringLiteral("Ложок"));
    EXPECT_EQ(Store().ReadCollageTiles(pattern.ID).size(), 2u);
    EXPECT_EQ(db->ListTiles().size(), 1u);
}

TEST_F(LibraryOperations, StoringPartsKeepsIdentifiersAndGivesNewOnesInMemory) {
    TTile tile;
    MakeRoundedPaver(tile);
    tile.SetBasePoint(0, 0);
    StoreNewTile(tile, QStringLiteral("Брусчатка"));
    TPartList parts;
    MakeParts(tile, parts);
    db->StoreParts(tile.ID, parts);

    // Every part and half now carries the identifier of its row.
    const std::vector<TStoredPart> first = StoredParts(Store(), tile.ID);
    ASSERT_EQ(first.size(), 2u);
    std::set<qint32> ids{tile.ID};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(parts.Items(i)->ID, first[i].Row.PartID);
        EXPECT_EQ(first[i].Row.PartName, parts.Items(i)->Name());
        EXPECT_EQ(first[i].Row.Equals, parts.Items(i)->Equals);
        ids.insert(first[i].Row.PartID);
        ASSERT_EQ(first[i].Halves.size(), 2u);
        for (int j = 0; j < 2; ++j) {
            EXPECT_EQ(parts.Items(i)->Contours.Items(j)->ID, first[i].Halves[j].Row.ContourID);
            ids.insert(first[i].Halves[j].Row.ContourID);
        }
    }
    EXPECT_EQ(ids.size(), 7u) << "one number space, no identifier twice";

    // Twice with no change: the same rows, identifiers and all.
    db->StoreParts(tile.ID, parts);
    EXPECT_EQ(StoredParts(Store(), tile.ID), first);

    // A copy of a stored part (it carries the original's identifier) and a
    // new part: both get identifiers of their own, the others keep theirs.
    auto copy = std::make_unique<TPart>(&tile);
    copy->Assign(*parts.Items(0));
    ASSERT_EQ(copy->ID, parts.Items(0)->ID);
    TPart* copied = parts.Add(std::move(copy));
    TPart* fresh = parts.Add(std::make_unique<TPart>(&tile));
    AddLine(*fresh, {0, 0}, {200, 100});
    AddHalf(*fresh, {0, 0}, {200, 100}, QStringLiteral("Всё"));
    db->StoreParts(tile.ID, parts);
    const std::vector<TStoredPart> third = StoredParts(Store(), tile.ID);
    ASSERT_EQ(third.size(), 4u);
    EXPECT_EQ(third[0], first[0]);
    EXPECT_EQ(third[1], first[1]);
    for (TPart* part : {copied, fresh}) {
        EXPECT_NE(part->ID, kNoLibraryId);
        EXPECT_EQ(ids.count(part->ID), 0u);
        ids.insert(part->ID);
        for (int j = 0; j < part->Contours.Count(); ++j) {
            EXPECT_EQ(ids.count(part->Contours.Items(j)->ID), 0u);
            ids.insert(part->Contours.Items(j)->ID);
        }
    }
    EXPECT_EQ(third[2].Row.PartID, copied->ID);
    EXPECT_EQ(third[3].Halves[0].Row.ContourID, fresh->Contours.Items(0)->ID);

    // Removing a part from the list removes it from the library.
    parts.Delete(2);
    parts.Delete(2);
    db->StoreParts(tile.ID, parts);
    EXPECT_EQ(StoredParts(Store(), tile.ID), first);
    EXPECT_TRUE(Store().ReadPrimitives(third[3].Halves[0].Row.ContourID).empty());
}

TEST_F(LibraryOperations, ViewsDefaultToNoneStored) {
    ViewRecord view{1, 2, 3, 4, 5, 6, 7};
    db->LoadView(123456, view);
    EXPECT_EQ(view, kNoView);

    // A document never stored keeps its view under -1.
    db->StoreView(-1, kTileView);
    db->StoreView(-1, kPatternView);
    db->LoadView(-1, view);
    EXPECT_EQ(view, kPatternView);
    EXPECT_EQ(RowCounts(folder).at("SizeScale"), 1);

    // A tile without a view loads with none.
    TTile tile;
    MakeRoundedPaver(tile);
    StoreNewTile(tile, QStringLiteral("Без вида"));
    TTile loaded;
    view = kTileView;
    db->LoadTile(tile.ID, loaded, view);
    EXPECT_EQ(view, kNoView);

    // An identifier the library does not hold leaves document and view alone.
    view = kTileView;
    TTile untouched;
    db->LoadTile(tile.ID + 1, untouched, view);
    EXPECT_EQ(view, kTileView);
    EXPECT_EQ(untouched.ID, kNoLibraryId);
    EXPECT_EQ(untouched.Elements().Count(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LibraryOperations, LoadedPlacementTurnsTheTileAboutItsOrigin) {
    TTile tile;
    AddLine(tile, {10, 0}, {30, 0});
    AddLine(tile, {30, 0}, {30, 20});
    StoreNewTile(tile, QStringLiteral("Уголок"));
    TCollage pattern(&tile);
    pattern.SetBasePoint(0, 0);
    AddPlacement(pattern, {10, 0}, {100, 0}, 90);
    StoreNewPattern(pattern, QStringLiteral("Поворот"));

    TCollage loaded(&tile);
    ViewRecord view;
    db->LoadPattern(pattern.ID, loaded, view);
    ASSERT_EQ(loaded.Elements().Count(), 1);
    const TTile& placed = loaded.Placement(0)->Tile();
    EXPECT_TRUE(nearlyEqual(placed.BasePoint.X, 100, 1e-4)) << placed.BasePoint.X;
    EXPECT_TRUE(nearlyEqual(placed.BasePoint.Y, -10, 1e-4)) << placed.BasePoint.Y;
    const TPointF p = placed.Elements().Items(0)->GetStartPoint();  // world
    EXPECT_TRUE(nearlyEqual(p.X, 100, 1e-4) && nearlyEqual(p.Y, 0, 1e-4)) << p.X << ", " << p.Y;
    const TPointF q = placed.Elements().Items(1)->GetEndPoint();
    EXPECT_TRUE(nearlyEqual(q.X, 80, 1e-4) && nearlyEqual(q.Y, 20, 1e-4)) << q.X << ", " << q.Y;
}

TEST_F(LibraryOperations, DeletingATileOrPatternLeavesNothingOfItAndEverythingElse) {
    const auto fill = [this](const QString& name, TTile& tile, TPartList& parts, TCollage& a, TCollage& b) {
        MakeRoundedPaver(tile);
        tile.SetBasePoint(0, 0);
        StoreNewTile(tile, name);
        MakeParts(tile, parts);
        db->StoreParts(tile.ID, parts);
        MakePattern(a);
        StoreNewPattern(a, QStringLiteral("Ложок"));
        MakePattern(b);
        AddHandPoint(b, {1, 1});
        StoreNewPattern(b, QStringLiteral("Ёлочка"));
        db->StoreView(tile.ID, kTileView);
        db->StoreView(a.ID, kPatternView);
        db->StoreView(b.ID, kPatternView);
    };
    TTile kept;
    TPartList keptParts;
    TCollage keptA(&kept);
    TCollage keptB(&kept);
    fill(QStringLiteral("Остаётся"), kept, keptParts, keptA, keptB);
    const std::map<std::string, qint64> onlyKept = RowCounts(folder);
    const std::vector<TStoredPart> keptRows = StoredParts(Store(), kept.ID);

    TTile gone;
    TPartList goneParts;
    TCollage goneA(&gone);
    TCollage goneB(&gone);
    fill(QStringLiteral("Уходит"), gone, goneParts, goneA, goneB);

    // One pattern: its rows and view, nothing of its sibling.
    EXPECT_TRUE(db->DeletePattern(goneB.ID));
    EXPECT_EQ(db->ListPatterns(gone.ID), (std::vector<TLibraryEntry>{{goneA.ID, QStringLiteral("Ложок")}}));
    EXPECT_TRUE(Store().ReadNextCollageTiles(goneB.ID).empty());
    EXPECT_FALSE(Store().ReadView(goneB.ID));
    EXPECT_EQ(Store().ReadNextCollageTiles(goneA.ID).size(), 2u);
    EXPECT_FALSE(db->DeletePattern(goneB.ID)) << "not there any more";

    EXPECT_TRUE(db->DeleteTile(gone.ID));
    EXPECT_EQ(RowCounts(folder), onlyKept);
    EXPECT_EQ(StoredParts(Store(), kept.ID), keptRows);
    EXPECT_EQ(db->ListTiles(), (std::vector<TLibraryEntry>{{kept.ID, QStringLiteral("Остаётся")}}));
    EXPECT_FALSE(db->DeleteTile(gone.ID));
    EXPECT_FALSE(HasErrorMessage(ui));
}

TEST_F(LibraryOperations, PickListsAreOrderedByNameIgnoringCase) {
    TTile tiles[3];
    const QString names[] = {QStringLiteral("Шестигранник"), QStringLiteral("брусчатка"), QStringLiteral("Арка")};
    for (int i = 0; i < 3; ++i) {
        AddLine(tiles[i], {0, 0}, {1, 0});
        StoreNewTile(tiles[i], names[i]);
    }
    const std::vector<TLibraryEntry> want{
        {tiles[2].ID, names[2]}, {tiles[1].ID, names[1]}, {tiles[0].ID, names[0]}};
    EXPECT_EQ(db->ListTiles(), want);

    TCollage patterns[3] = {TCollage(&tiles[1]), TCollage(&tiles[1]), TCollage(&tiles[0])};
    StoreNewPattern(patterns[0], QStringLiteral("Ёлочка"));
    StoreNewPattern(patterns[1], QStringLiteral("Корзинка"));
    StoreNewPattern(patterns[2], QStringLiteral("Соты"));
    EXPECT_EQ(db->ListPatterns(tiles[1].ID),
              (std::vector<TLibraryEntry>{{patterns[1].ID, QStringLiteral("Корзинка")},
                                          {patterns[0].ID, QStringLiteral("Ёлочка")}}))
        << "Ё sorts after the other letters, as its code does";
    EXPECT_TRUE(db->ListPatterns(tiles[2].ID).empty());
}

TEST_F(LibraryOperations, PatternOfATileNotInTheLibraryIsRefused) {
    TTile tile;
    TCollage pattern(&tile);
    MakePattern(pattern);
    const TFolderSnapshot before = SnapshotFolder(folder);
    EXPECT_FALSE(db->StorePattern(pattern));
    EXPECT_EQ(pattern.ID, kNoLibraryId);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Error);
    EXPECT_TRUE(ui.inputs.empty());
    EXPECT_EQ(SnapshotFolder(folder), before);
}

TEST(LibraryUnavailable, DocumentCommandsReportInsteadOfFailing) {
    TTempDir temp;
    const QString folder = temp.file(QStringLiteral("DB"));
    QDir().mkpath(folder);
    WriteBytes(QDir(folder).filePath(QStringLiteral("tiles.cds")), "no library here");
    TScriptedUi ui;
    TTileDB db(folder);
    ASSERT_FALSE(db.IsAvailable());
    EXPECT_EQ(TileDB(), &db);
    ui.messages.clear();

    TTile tile;
    tile.SetThickness(60);
    ui.answer(TAnswer::Yes);
    EXPECT_FALSE(tile.SaveQuery(kTileView)) << "the editor stays open";
    EXPECT_EQ(tile.ID, kNoLibraryId);
    ViewRecord view = kTileView;
    EXPECT_FALSE(tile.LoadFromLibrary(5, view));
    EXPECT_EQ(view, kTileView);
    EXPECT_TRUE(db.ListTiles().empty());
    EXPECT_FALSE(db.DeleteTile(5));
    int refusals = 0;
    for (const TScriptedUi::Message& m : ui.messages) {
        if (m.kind == TMessageKind::Error) {
            ++refusals;
            EXPECT_TRUE(m.text.startsWith(QStringLiteral("Библиотека плиток недоступна."))) << m.text.toStdString();
        }
    }
    EXPECT_EQ(refusals, 4);
    EXPECT_TRUE(ui.inputs.empty()) << "no name is asked for a store that cannot happen";
}

// --- failures half-way --------------------------------------------------------

// A library holding one tile with parts, two patterns and views.
struct TPristine {
    qint32 tileId = kNoLibraryId;
    qint32 patternId = kNoLibraryId;
};

TPristine MakePristine(const QString& folder) {
    TPristine ids;
    TScriptedUi ui;
    TTileDB db(folder);
    TTile tile;
    MakeRoundedPaver(tile);
    tile.SetBasePoint(0, 0);
    ui.type(QStringLiteral("Классико"));
    EXPECT_TRUE(db.StoreTile(tile));
    TPartList parts;
    MakeParts(tile, parts);
    db.StoreParts(tile.ID, parts);
    TCollage pattern(&tile);
    MakePattern(pattern);
    ui.type(QStringLiteral("Ёлочка"));
    EXPECT_TRUE(db.StorePattern(pattern));
    TCollage other(&tile);
    MakePattern(other);
    ui.type(QStringLiteral("Ложок"));
    EXPECT_TRUE(db.StorePattern(other));
    db.StoreView(tile.ID, kTileView);
    db.StoreView(pattern.ID, kPatternView);
    ids.tileId = tile.ID;
    ids.patternId = pattern.ID;
    return ids;
}

struct TFailureCase {
    const char* name;
    // Prepares its documents, arms the fault with `arm`, runs the operation
    // and, when it failed, checks that the documents kept what they held.
    // Returns whether the operation went through.
    std::function<bool(TTileDB&, TScriptedUi&, const TPristine&, const std::function<void()>& arm)> run;
};

std::vector<TFailureCase> FailureCases() {
    const auto loadTile = [](TTileDB& db, const TPristine& p, TTile& tile) {
        ViewRecord view;
        db.LoadTile(p.tileId, tile, view);
    };
    return {
        {"new tile replacing the stored one",
         [](TTileDB& db, TScriptedUi& ui, const TPristine&, const std::function<void()>& arm) {
             TTile tile;
             AddLine(tile, {0, 0}, {100, 0});
             ui.type(QStringLiteral("КЛАССИКО"));
             ui.answer(TAnswer::Yes);
             arm();
             const bool ok = db.StoreTile(tile);
             if (!ok) {
                 EXPECT_EQ(tile.ID, kNoLibraryId);
                 EXPECT_EQ(tile.Name(), QStringLiteral("Безымянная"));
             }
             return ok;
         }},
        {"stored tile rewritten",
         [loadTile](TTileDB& db, TScriptedUi&, const TPristine& p, const std::function<void()>& arm) {
             TTile tile;
             loadTile(db, p, tile);
             tile.SetThickness(80);
             tile.Comment = QStringLiteral("новая");
             AddLine(tile, {0, 0}, {5, 5});
             arm();
             return db.StoreTile(tile);
         }},
        {"parts with a new part and half",
         [loadTile](TTileDB& db, TScriptedUi& ui, const TPristine& p, const std::function<void()>& arm) {
             TTile tile;
             loadTile(db, p, tile);
             TPartList parts;
             db.LoadParts(p.tileId, parts);
             parts.AttachToTile(&tile);
             parts.Items(0)->SetName(QStringLiteral("Переименована"));
             TPart* fresh = parts.Add(std::make_unique<TPart>(&tile));
             AddLine(*fresh, {0, 0}, {200, 100});
             AddHalf(*fresh, {0, 0}, {200, 100}, QStringLiteral("Всё"));
             arm();
             db.StoreParts(p.tileId, parts);
             const bool ok = !HasErrorMessage(ui);
             if (!ok) {
                 EXPECT_EQ(fresh->ID, kNoLibraryId);
                 EXPECT_EQ(fresh->Contours.Items(0)->ID, kNoLibraryId);
             }
             return ok;
         }},
        {"new pattern replacing one of its tile",
         [loadTile](TTileDB& db, TScriptedUi& ui, const TPristine& p, const std::function<void()>& arm) {
             TTile tile;
             loadTile(db, p, tile);
             TCollage pattern(&tile);
             MakePattern(pattern);
             ui.type(QStringLiteral("ёлочка"));
             ui.answer(TAnswer::Yes);
             arm();
             const bool ok = db.StorePattern(pattern);
             if (!ok) {
                 EXPECT_EQ(pattern.ID, kNoLibraryId);
             }
             return ok;
         }},
        {"tile deleted",
         [](TTileDB& db, TScriptedUi&, const TPristine& p, const std::function<void()>& arm) {
             arm();
             return db.DeleteTile(p.tileId);
         }},
        {"pattern deleted",
         [](TTileDB& db, TScriptedUi&, const TPristine& p, const std::function<void()>& arm) {
             arm();
             return db.DeletePattern(p.patternId);
         }},
    };
}

TEST(LibraryFailures, StoreFailingAtAnyStatementLeavesLibraryAndDocumentAsTheyWere) {
    TTempDir temp;
    const QString pristine = temp.file(QStringLiteral("pristine"));
    const TPristine ids = MakePristine(pristine);
    const TFolderSnapshot before = SnapshotFolder(pristine);
    const QString folder = temp.file(QStringLiteral("DB"));

    for (const TFailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        int failures = 0;
        for (int statements = 0;; ++statements) {
            ASSERT_LT(statements, 500) << "the operation never completes";
            SCOPED_TRACE(statements);
            CopyFolderFiles(pristine, folder);
            TScriptedUi ui;
            TTileDB db(folder);
            ASSERT_TRUE(db.IsAvailable());
            const bool ok = c.run(db, ui, ids, [&db, statements] { db.Store()->SetFaultAfter(statements); });
            db.Store()->SetFaultAfter(-1);
            if (ok) {
                EXPECT_FALSE(HasErrorMessage(ui));
                EXPECT_NE(SnapshotFolder(folder), before);
                break;
            }
            ++failures;
            ASSERT_TRUE(HasErrorMessage(ui));
            EXPECT_TRUE(ui.messages.back().text.startsWith(QStringLiteral("Ошибка библиотеки плиток")))
                << ui.messages.back().text.toStdString();
            EXPECT_EQ(SnapshotFolder(folder), before);
        }
        EXPECT_GT(failures, 3);
    }
}


// --- a library that cannot be written ------------------------------------------

// Takes the right to write a file or folder away for the scope, also from
// root (for whom only the immutable flag does), and gives it back.
class TUnwritable {
public:
    explicit TUnwritable(QString path) : m_path(std::move(path)) {
        if (::geteuid() != 0) {
            m_permissions = QFile::permissions(m_path);
            QFile::setPermissions(m_path, m_permissions & ~(QFile::WriteOwner | QFile::WriteUser |
                                                            QFile::WriteGroup | QFile::WriteOther));
        } else {
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_path}) == 0;
        }
    }
    ~TUnwritable() {
        if (m_immutable) {
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        } else if (::geteuid() != 0) {
            QFile::setPermissions(m_path, m_permissions);
        }
    }
    TUnwritable(const TUnwritable&) = delete;
    TUnwritable& operator=(const TUnwritable&) = delete;
    [[nodiscard]] bool Holds() const { return !QFileInfo(m_path).isWritable(); }

private:
    QString m_path;
    QFile::Permissions m_permissions;
    bool m_immutable = false;
};

// One table file that cannot be written made the whole library unavailable,
// though filling and reporting only read it.
TEST(LibraryReadOnly, UnwritableTableFileOrFolderOpensTheLibraryReadOnly) {
    for (const char* unwritable : {"parts.cds", ""}) {
        SCOPED_TRACE(*unwritable ? unwritable : "the folder");
        TTempDir temp;
        const QString folder = temp.file(QStringLiteral("DB"));
        const TPristine ids = MakePristine(folder);
        const QString path = *unwritable ? QDir(folder).filePath(QString::fromLatin1(unwritable)) : folder;
        TUnwritable guard(path);
        if (!guard.Holds()) {
            GTEST_SKIP() << "cannot take the right to write away here";
        }
        const TFolderSnapshot before = SnapshotFolder(folder);

        TScriptedUi ui;
        {
            TTileDB db(folder);
            ASSERT_TRUE(db.IsAvailable());
            EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();
            ASSERT_NE(db.Store(), nullptr);
            EXPECT_TRUE(db.Store()->IsReadOnly());

            // Everything a fill and a report need is there.
            ASSERT_EQ(db.ListTiles().size(), 1u);
            TTile tile;
            ViewRecord view{};
            ASSERT_TRUE(tile.LoadFromLibrary(ids.tileId, view));
            EXPECT_EQ(view, kTileView);
            EXPECT_GT(tile.Elements().Count(), 0);
            TPartList parts;
            db.LoadParts(ids.tileId, parts);
            EXPECT_GT(parts.Count(), 0);
            EXPECT_EQ(db.ListPatterns(ids.tileId).size(), 2u);
            TCollage pattern(&tile);
            ASSERT_TRUE(pattern.LoadFromLibrary(ids.patternId, view));
            EXPECT_EQ(view, kPatternView);
            EXPECT_TRUE(ui.messages.empty());

            // What would write says why it cannot, before asking anything.
            tile.SetThickness(80);
            ui.answer(TAnswer::Yes);
            EXPECT_FALSE(tile.SaveQuery(kTileView)) << "the editor stays open";
            TTile fresh;
            fresh.SetThickness(60);
            EXPECT_FALSE(db.StoreTile(fresh));
            EXPECT_EQ(fresh.ID, kNoLibraryId);
            db.StoreParts(ids.tileId, parts);
            EXPECT_FALSE(db.StorePattern(pattern));
            EXPECT_FALSE(db.DeletePattern(ids.patternId));
            EXPECT_FALSE(db.DeleteTile(ids.tileId));
            db.StoreView(ids.tileId, kPatternView); // a side effect: kept quietly
            int refusals = 0;
            for (const TScriptedUi::Message& m : ui.messages) {
                if (m.kind != TMessageKind::Error) {
                    continue; // the save question of the modified tile
                }
                ++refusals;
                EXPECT_TRUE(m.text.startsWith(QStringLiteral("Библиотека плиток открыта только для чтения")))
                    << m.text.toStdString();
                EXPECT_TRUE(m.text.contains(QDir::toNativeSeparators(path))) << m.text.toStdString();
            }
            EXPECT_EQ(refusals, 6);
            EXPECT_TRUE(ui.inputs.empty()) << "no name is asked for a store that cannot happen";

            // The store refuses writes itself, through its own error.
            try {
                TLibraryTransaction transaction(*db.Store());
                ADD_FAILURE() << "a write transaction began";
            } catch (const TLibraryError& e) {
                EXPECT_TRUE(e.Text().contains(QStringLiteral("только для чтения")));
            }
        }
        EXPECT_EQ(SnapshotFolder(folder), before);
    }
}

} // namespace
} // namespace vk::test
