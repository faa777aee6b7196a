// Rows through the adapter: names, order of appended rows, fields kept byte
// for byte.

#include "LibraryTestSupport.h"
#include "library/LibraryStore.h"
#include "support/TempDir.h"

#include <QDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

namespace vk::test {
namespace {

class LibraryRows : public ::testing::Test {
protected:
    void SetUp() override { Reopen(); }

    void Reopen() {
        store.reset();
        store = std::make_unique<TLibraryStore>(folder());
    }
    [[nodiscard]] QString folder() const { return temp.file(QStringLiteral("DB")); }
    [[nodiscard]] QString file(const char* name) const { return QDir(folder()).filePath(QLatin1String(name)); }

    // Runs `write` as one committed operation.
    void Store(const std::function<void(TLibraryStore&)>& write) {
        TLibraryTransaction transaction(*store);
        write(*store);
        transaction.Commit();
    }

    TTempDir temp;
    std::unique_ptr<TLibraryStore> store;
};

TEST_F(LibraryRows, NamesAreFoundWithoutRegardToLetterCaseInRussianAndLatin) {
    Store([](TLibraryStore& s) {
        s.AppendTile({11, QStringLiteral("Плитка"), {}, {}, 0, {}});
        s.AppendTile({12, QStringLiteral("Ёлочка"), {}, {}, 0, {}});
        s.AppendTile({13, QStringLiteral("Tile A"), {}, {}, 0, {}});
        s.AppendCollage({11, 21, QStringLiteral("Ёлочка"), {}, {}});
        s.AppendCollage({12, 22, QStringLiteral("Ромб"), {}, {}});
    });
    struct Case {
        const char* name;
        QString wanted;
        qint32 found; // -1: none
    } const cases[] = {
        {"same letters", QStringLiteral("Плитка"), 11},
        {"Russian capitals", QStringLiteral("ПЛИТКА"), 11},
        {"Russian mixed case", QStringLiteral("пЛиТкА"), 11},
        {"Ё against ё", QStringLiteral("ЁЛОЧКА"), 12},
        {"Latin", QStringLiteral("TILE a"), 13},
        {"Е is not Ё", QStringLiteral("Елочка"), -1},
        {"prefix only", QStringLiteral("Плитк"), -1},
        {"trailing space", QStringLiteral("Плитка "), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<TTileRow> row = store->FindTileByName(c.wanted);
        EXPECT_EQ(row ? row->TileID : -1, c.found);
    }
    // Pattern names are compared only among the patterns of one tile.
    ASSERT_TRUE(store->FindCollageByName(11, QStringLiteral("ёЛОЧКА")).has_value());
    EXPECT_EQ(store->FindCollageByName(11, QStringLiteral("ёЛОЧКА"))->CollageID, 21);
    EXPECT_FALSE(store->FindCollageByName(12, QStringLiteral("ЁЛОЧКА")).has_value());
    EXPECT_FALSE(store->FindCollageByName(11, QStringLiteral("РОМБ")).has_value());
}

TEST_F(LibraryRows, ListsAreInNameOrderIgnoringLetterCase) {
    Store([](TLibraryStore& s) {
        s.AppendTile({1, QStringLiteral("в"), {}, {}, 0, {}});
        s.AppendTile({2, QStringLiteral("Б"), {}, {}, 0, {}});
        s.AppendTile({3, QStringLiteral("а"), {}, {}, 0, {}});
        s.AppendTile({4, QStringLiteral("Г"), {}, {}, 0, {}});
        s.AppendCollage({1, 10, QStringLiteral("Zeta"), {}, {}});
        s.AppendCollage({1, 11, QStringLiteral("alpha"), {}, {}});
        s.AppendCollage({2, 12, QStringLiteral("Beta"), {}, {}});
    });
    std::vector<qint32> tiles;
    for (const TTileRow& row : store->ListTiles()) {
        tiles.push_back(row.TileID);
    }
    EXPECT_EQ(tiles, (std::vector<qint32>{3, 2, 1, 4}));
    std::vector<qint32> collages;
    for (const TCollageRow& row : store->ListCollages(1)) {
        collages.push_back(row.CollageID);
    }
    EXPECT_EQ(collages, (std::vector<qint32>{11, 10}));
}

TEST_F(LibraryRows, LongNamesAreCutToFiftyCharactersInEveryNamedTable) {
    const QString sixty = QStringLiteral("Очень длинное название плитки для проверки обрезки");
    const QString name60 = (sixty + sixty).left(60);
    ASSERT_EQ(name60.size(), 60);
    const QString name50 = name60.left(50);
    // A character outside the basic plane takes two UTF-16 units; it is
    // dropped whole rather than split.
    const QString astral = QString(49, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80") + "b";

    Store([&](TLibraryStore& s) {
        s.AppendTile({1, name60, {}, {}, 0, {}});
        s.AppendTile({2, astral, {}, {}, 0, {}});
        s.AppendCollage({1, 2, name60, {}, {}});
        s.AppendPart({1, 3, name60, false});
        s.AppendContour({3, 4, name60});
    });
    EXPECT_EQ(store->FindTile(1)->TileName, name50);
    EXPECT_EQ(store->FindTile(2)->TileName, QString(49, QLatin1Char('a')));
    EXPECT_EQ(store->FindCollage(2)->CollageName, name50);
    EXPECT_EQ(store->FindPart(3)->PartName, name50);
    EXPECT_EQ(store->FindContour(4)->ContourName, name50);
    // Looked up with the full name, the stored tile is found.
    ASSERT_TRUE(store->FindTileByName(name60.toUpper()).has_value());
    EXPECT_EQ(store->FindTileByName(name60.toUpper())->TileID, 1);
    // An update is cut as well.
    Store([&](TLibraryStore& s) { EXPECT_TRUE(s.UpdateTile({1, name60 + "x", {}, {}, 0, {}})); });

    store.reset();
    TRawTable raw(file("tiles.cds"));
    EXPECT_EQ(raw.Value("SELECT length(TileName) FROM Tiles WHERE TileID = 1").toInt(), 50);
}

// The same interleaving for every table whose rows belong to an owner.
struct TOwnedTable {
    const char* name;
    std::function<void(TLibraryStore&, qint32 owner, int marker)> append;
    std::function<std::vector<int>(TLibraryStore&, qint32 owner)> read;
    std::function<void(TLibraryStore&, qint32 owner)> remove;
};

std::vector<TOwnedTable> OwnedTables() {
    const auto blob = [](int marker) { return QByteArray::number(marker); };
    return {
        {"Primitives",
         [=](TLibraryStore& s, qint32 owner, int m) { s.AppendPrimitive({owner, 0, 0, blob(m), 0}); },
         [](TLibraryStore& s, qint32 owner) {
             std::vector<int> m;
             for (const auto& r : s.ReadPrimitives(owner)) m.push_back(r.PrimGraphicInfo.toInt());
             return m;
         },
         [](TLibraryStore& s, qint32 owner) { s.DeletePrimitives(owner); }},
        {"CollageTiles",
         [=](TLibraryStore& s, qint32 owner, int m) { s.AppendCollageTile({owner, 1, 0, blob(m)}); },
         [](TLibraryStore& s, qint32 owner) {
             std::vector<int> m;
             for (const auto& r : s.ReadCollageTiles(owner)) m.push_back(r.TilePlacementInfo.toInt());
             return m;
         },
         [](TLibraryStore& s, qint32 owner) { s.DeleteCollageTiles(owner); }},
        {"NextCollageTiles",
         [=](TLibraryStore& s, qint32 owner, int m) { s.AppendNextCollageTile({owner, blob(m), 2, 0}); },
         [](TLibraryStore& s, qint32 owner) {
             std::vector<int> m;
             for (const auto& r : s.ReadNextCollageTiles(owner)) m.push_back(r.CollageHandPoint.toInt());
             return m;
         },
         [](TLibraryStore& s, qint32 owner) { s.DeleteNextCollageTiles(owner); }},
        {"Parts",
         [](TLibraryStore& s, qint32 owner, int m) { s.AppendPart({owner, m, QString::number(m), false}); },
         [](TLibraryStore& s, qint32 owner) {
             std::vector<int> m;
             for (const auto& r : s.ReadParts(owner)) m.push_back(r.PartID);
             return m;
         },
         [](TLibraryStore& s, qint32 owner) { s.DeleteParts(owner); }},
        {"Contours",
         [](TLibraryStore& s, qint32 owner, int m) { s.AppendContour({owner, m, QString::number(m)}); },
         [](TLibraryStore& s, qint32 owner) {
             std::vector<int> m;
             for (const auto& r : s.ReadContours(owner)) m.push_back(r.ContourID);
             return m;
         },
         [](TLibraryStore& s, qint32 owner) { s.DeleteContours(owner); }},
    };
}

TEST_F(LibraryRows, RowsOfOneOwnerComeBackInAppendOrder) {
    // Markers deliberately out of numeric order, owners interleaved.
    for (const TOwnedTable& t : OwnedTables()) {
        SCOPED_TRACE(t.name);
        Store([&](TLibraryStore& s) {
            t.append(s, 7, 30);
            t.append(s, 8, 5);
            t.append(s, 7, 10);
            t.append(s, 8, 50);
            t.append(s, 7, 20);
        });
        EXPECT_EQ(t.read(*store, 7), (std::vector<int>{30, 10, 20}));
        EXPECT_EQ(t.read(*store, 8), (std::vector<int>{5, 50}));
        // Rewriting one owner's rows puts the new ones in their order, after
        // the other owner's rows have stayed where they were.
        Store([&](TLibraryStore& s) {
            t.remove(s, 7);
            t.append(s, 7, 3);
            t.append(s, 8, 1);
            t.append(s, 7, 2);
        });
        EXPECT_EQ(t.read(*store, 7), (std::vector<int>{3, 2}));
        EXPECT_EQ(t.read(*store, 8), (std::vector<int>{5, 50, 1}));
    }
    // The order is stored, not an accident of the connection: it survives
    // reopening and a VACUUM, which renumbers implicit row numbers.
    store.reset();
    for (const char* f : {"primitives.cds", "collagetiles.cds", "nextcollagetiles.cds", "parts.cds", "contours.cds"}) {
        TRawTable raw(file(f), false);
        raw.Exec("VACUUM");
    }
    Reopen();
    for (const TOwnedTable& t : OwnedTables()) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(t.read(*store, 7), (std::vector<int>{3, 2}));
        EXPECT_EQ(t.read(*store, 8), (std::vector<int>{5, 50, 1}));
    }
}

QByteArray PointBytes(float x, float y, char isSet) {
    QByteArray bytes(9, '\0');
    qToLittleEndian(x, bytes.data());
    qToLittleEndian(y, bytes.data() + 4);
    bytes[8] = isSet;
    return bytes;
}

TEST_F(LibraryRows, FieldsAreStoredAndReadBackExactly) {
    // A segment from (0, 0) to (100, 0), both points set.
    const QByteArray segment = QByteArray::fromHex("000000000000000001" "0000c8420000000001");
    ASSERT_EQ(segment.size(), 18);
    const QDateTime modified(QDate(2024, 3, 15), QTime(13, 45, 58, 250));
    const TTileRow tile{41, QStringLiteral("Брусчатка «Старый город»"), modified, {-12.5f, 300.0f, 1}, 60.5,
                        QStringLiteral("Две строки\nкомментария")};
    const TTileRow unsetBase{42, QStringLiteral("Без точки"), {}, {}, 0, {}};
    const TCollageRow collage{41, 43, QStringLiteral("Узор"), modified, {1.25f, -2.0f, 1}};
    const TPrimitiveRow element{41, 0, 7, segment, 2};
    const TPrimitiveRow emptyData{41, 3, 0, {}, 0};
    const TCollageTileRow placement{43, 1, 0, QByteArray::fromHex("000020410000000001" "0000c8420000000001" "0000b442" "01")};
    const TNextCollageTileRow hand{43, PointBytes(100, 0, 1), 2, 0};
    const TPartRow part{41, 44, QStringLiteral("Диагональ"), true};
    const TContourRow half{44, 45, QStringLiteral("Верхняя")};
    Store([&](TLibraryStore& s) {
        s.AppendTile(tile);
        s.AppendTile(unsetBase);
        s.AppendCollage(collage);
        s.AppendPrimitive(element);
        s.AppendPrimitive(emptyData);
        s.AppendCollageTile(placement);
        s.AppendNextCollageTile(hand);
        s.AppendPart(part);
        s.AppendContour(half);
    });
    Reopen();
    EXPECT_EQ(store->FindTile(41), tile);
    EXPECT_EQ(store->FindTile(42), unsetBase);
    EXPECT_EQ(store->FindCollage(43), collage);
    EXPECT_EQ(store->ReadPrimitives(41), (std::vector<TPrimitiveRow>{element, TPrimitiveRow{41, 3, 0, "", 0}}));
    EXPECT_EQ(store->ReadCollageTiles(43), std::vector<TCollageTileRow>{placement});
    EXPECT_EQ(store->ReadNextCollageTiles(43), std::vector<TNextCollageTileRow>{hand});
    EXPECT_EQ(store->ReadParts(41), std::vector<TPartRow>{part});
    EXPECT_EQ(store->ReadContours(44), std::vector<TContourRow>{half});
    store.reset();

    // The blobs in the files are the bytes themselves.
    TRawTable tiles(file("tiles.cds"));
    EXPECT_EQ(tiles.Value("SELECT TileBasePoint FROM Tiles WHERE TileID = 41").toByteArray(),
              PointBytes(-12.5f, 300.0f, 1));
    const QByteArray unset = tiles.Value("SELECT TileBasePoint FROM Tiles WHERE TileID = 42").toByteArray();
    ASSERT_EQ(unset.size(), 9);
    EXPECT_EQ(unset.at(8), 0);
    TRawTable primitives(file("primitives.cds"));
    EXPECT_EQ(primitives.Value("SELECT PrimGraphicInfo FROM Primitives WHERE PrimVersion = 7").toByteArray(),
              segment);
    TRawTable parts(file("parts.cds"));
    EXPECT_EQ(parts.Value("SELECT Equals FROM Parts").toInt(), 1);
}

TEST_F(LibraryRows, ShortOrMissingBasePointBytesReadAsZeroFilled) {
    Store([](TLibraryStore& s) {
        s.AppendTile({51, "a", {}, {}, 0, {}});
        s.AppendTile({52, "b", {}, {}, 0, {}});
    });
    store.reset();
    {
        TRawTable raw(file("tiles.cds"), false);
        raw.Exec("UPDATE Tiles SET TileBasePoint = X'' WHERE TileID = 51");
        raw.Exec("UPDATE Tiles SET TileBasePoint = X'0000c8420000' WHERE TileID = 52");
    }
    Reopen();
    EXPECT_EQ(store->FindTile(51)->TileBasePoint, (FlaggedPoint{0, 0, 0}));
    EXPECT_EQ(store->FindTile(52)->TileBasePoint, (FlaggedPoint{100, 0, 0}));
}

TEST_F(LibraryRows, UpdatesAndDeletesTouchOnlyTheRowsNamed) {
    Store([](TLibraryStore& s) {
        s.AppendTile({1, "one", {}, {}, 10, {}});
        s.AppendTile({2, "two", {}, {}, 20, {}});
        s.AppendPrimitive({1, 0, 0, "a", 0});
        s.AppendPrimitive({2, 0, 0, "b", 0});
        s.AppendCollage({1, 5, "p", {}, {}});
    });
    Store([](TLibraryStore& s) {
        EXPECT_TRUE(s.UpdateTile({2, "two", {}, {1, 1, 1}, 25, "c"}));
        EXPECT_FALSE(s.UpdateTile({3, "three", {}, {}, 0, {}}));
        EXPECT_TRUE(s.UpdateCollage({1, 5, "q", {}, {}}));
        EXPECT_EQ(s.DeletePrimitives(1), 1);
        EXPECT_TRUE(s.DeleteTile(1));
        EXPECT_FALSE(s.DeleteTile(1));
    });
    EXPECT_FALSE(store->FindTile(1).has_value());
    EXPECT_EQ(store->FindTile(2), (TTileRow{2, "two", {}, {1, 1, 1}, 25, "c"}));
    EXPECT_TRUE(store->ReadPrimitives(1).empty());
    EXPECT_EQ(store->ReadPrimitives(2).size(), 1u);
    EXPECT_EQ(store->FindCollage(5)->CollageName, "q");
    // A tile row's removal leaves its patterns: removing them is the caller's choice.
    EXPECT_EQ(store->ListCollages(1).size(), 1u);
}

TEST_F(LibraryRows, OneViewPerIdentifierIsReadWrittenAndReplaced) {
    const ViewRecord first{1000, 800, 500, 400, 0.25f, -12.5f, 30};
    const ViewRecord second{2000, 1600, 1000, 800, 0.5f, 1, 2};
    EXPECT_FALSE(store->ReadView(9).has_value());
    Store([&](TLibraryStore& s) {
        s.WriteView(9, first);
        s.WriteView(-1, first); // a document never stored
    });
    EXPECT_EQ(store->ReadView(9), first);
    Store([&](TLibraryStore& s) { s.WriteView(9, second); });
    EXPECT_EQ(store->ReadView(9), second);
    EXPECT_EQ(store->ReadView(-1), first);
    Store([](TLibraryStore& s) { EXPECT_TRUE(s.DeleteView(-1)); });
    EXPECT_FALSE(store->ReadView(-1).has_value());
    store.reset();
    TRawTable raw(file("sizes.cds"));
    EXPECT_EQ(raw.Value("SELECT COUNT(*) FROM SizeScale WHERE ID = 9").toInt(), 1);
}

TEST_F(LibraryRows, WritesOutsideATransactionAreRefused) {
    EXPECT_THROW(store->AppendTile({1, "x", {}, {}, 0, {}}), TLibraryError);
    EXPECT_THROW(store->WriteView(1, {}), TLibraryError);
    EXPECT_THROW(store->DeletePrimitives(1), TLibraryError);
    EXPECT_FALSE(store->FindTile(1).has_value());
    EXPECT_FALSE(store->ReadView(1).has_value());
}

} // namespace
} // namespace vk::test
