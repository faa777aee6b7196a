// Project files: what is saved comes back as it was, the reader's rules for
// names, order and missing streams, bad files that must not take the
// program down, and saving that never damages the file it replaces.

#include "ProjectFileSupport.h"

#include "geometry/ElementRecords.h"
#include "geometry/PrimitiveRecord.h"
#include "model/Collage.h"
#include "support/ScriptedUi.h"

#include <QDir>
#include <QLocale>
#include <bit>

using namespace vk;
using namespace vk::test;

namespace {

constexpr std::uint32_t kRed = 0xFFC03030u;
constexpr std::uint32_t kBlue = 0xFF3050C0u;

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        db = &TStarterDb::get();
        SetTileDB(db);
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    [[nodiscard]] std::int32_t starterTileId() const {
        for (const TLibraryEntry& e : db->ListTiles()) {
            if (e.Name == kStarterTile) {
                return e.ID;
            }
        }
        ADD_FAILURE() << "no starter tile";
        return -1;
    }

    // The laid yard, with tiles of three colours, cut ones among them.
    std::unique_ptr<TProject> laidYard() {
        TFillRig rig;
        rig.load(yardScene());
        EXPECT_TRUE(rig.fill());
        std::unique_ptr<TProject> p = std::move(rig.project);
        int cut = 0;
        for (int i = 0; i < p->LaidTiles().Count(); ++i) {
            TTileContainer& t = p->LaidTiles().Items(i);
            if (i % 3 == 1) {
                recolour(*p, t, kRed);
            } else if (i % 5 == 2) {
                recolour(*p, t, kBlue);
            }
            cut += t.PartID != -1 ? 1 : 0;
        }
        EXPECT_GT(cut, 10) << "the yard needs cut tiles";
        p->Comment = QStringLiteral("Двор у дома.\r\nКлумбу не мостить,\r\nбордюр — гранит.");
        EXPECT_TRUE(p->SetTextureImage(pngBytes(QColor(200, 160, 90))));
        return p;
    }

    TTempDir dir;
    TTileDB* db = nullptr;
};

struct TTileRow {
    TPointF Base;
    float Orientation;
    std::uint32_t Colour;
    std::int32_t Part;
    std::int32_t Half;
    friend bool operator==(const TTileRow&, const TTileRow&) = default;
};

std::vector<TTileRow> tileRows(const TProject& p) {
    std::vector<TTileRow> rows;
    for (int i = 0; i < p.LaidTiles().Count(); ++i) {
        const TTileContainer& t = p.LaidTiles().Items(i);
        rows.push_back({t.BasePointKey(), t.Orientation, p.LaidTiles().Color(t), t.PartID, t.ContourID});
    }
    return rows;
}

std::vector<PrimitiveRecord> borderRecords(const TProject& p) {
    std::vector<PrimitiveRecord> records;
    for (int i = 0; i < p.Elements().Count(); ++i) {
        records.push_back(RecordOf(*p.Elements().Items(i)));
    }
    return records;
}

std::vector<std::pair<std::uint32_t, int>> groups(const TProject& p) {
    std::vector<std::pair<std::uint32_t, int>> out;
    const TColorController& g = p.LaidTiles().ColorGroups();
    for (int i = 0; i < g.Count(); ++i) {
        out.emplace_back(g.Colors(i), g.TileCounts(i));
    }
    return out;
}

QByteArray i32(std::int32_t v) { return encodeInt32(v); }
QByteArray single(float v) { return encodeInt32(std::bit_cast<std::int32_t>(v)); }

// A laid tile as a hand-made file holds it.
struct TStoredTile {
    QString Name;
    TPointF Base;
    float Orientation = 0.0f;
    std::uint32_t Colour = DefaultTileColor;
    std::optional<std::int32_t> Part;
    std::optional<std::int32_t> Half;
};

struct TStoredBorder {
    QString Name;
    std::int32_t Kind = 0;
    QByteArray Data;
    std::int32_t Style = 0;
};

QByteArray segmentData(float x0, float y0, float x1, float y1) {
    return encodeData(LineData{FlaggedPoint{x0, y0, 1}, FlaggedPoint{x1, y1, 1}});
}

std::vector<TStoredBorder> squareBorder(float size) {
    return {{"Border0000001", 0, segmentData(0, 0, size, 0)},
            {"Border0000002", 0, segmentData(size, 0, size, size)},
            {"Border0000003", 0, segmentData(size, size, 0, size)},
            {"Border0000004", 0, segmentData(0, size, 0, 0)}};
}

// A project file written stream by stream, as another program might.
void writeHandMade(const QString& path, std::int32_t tileId, const std::optional<std::vector<TStoredBorder>>& borders,
                   const std::optional<std::vector<TStoredTile>>& tiles,
                   const std::function<void(TCompoundWriter&)>& extra = {}) {
    TCompoundWriter w(path);
    w.WriteStream("Version", i32(1));
    w.WriteStream("TileID", i32(tileId));
    w.WriteStream("CollageID", i32(-1));
    w.WriteStream("Orientation", single(0));
    if (extra) {
        extra(w);
    }
    if (borders) {
        w.BeginStorage("Borders");
        for (const TStoredBorder& b : *borders) {
            w.BeginStorage(b.Name);
            w.WriteStream("Version", i32(0));
            w.WriteStream("Kind", i32(b.Kind));
            w.WriteStream("LineStyle", i32(b.Style));
            w.WriteStream("PrimitiveInfo", b.Data);
            w.EndStorage();
        }
        w.EndStorage();
    }
    if (tiles) {
        w.BeginStorage("Tiles");
        for (const TStoredTile& t : *tiles) {
            w.BeginStorage(t.Name);
            w.WriteStream("BasePoint", encodeFlaggedPoint(FlaggedPoint{t.Base.X, t.Base.Y, 1}));
            w.WriteStream("Orientation", single(t.Orientation));
            w.WriteStream("Color", i32(std::int32_t(t.Colour)));
            if (t.Part) {
                w.WriteStream("PartID", i32(*t.Part));
            }
            if (t.Half) {
                w.WriteStream("ContourID", i32(*t.Half));
            }
            w.EndStorage();
        }
        w.EndStorage();
    }
    ASSERT_TRUE(w.Commit()) << w.Error().toStdString();
}

} // namespace

TEST_F(ProjectFileTest, ASavedProjectOpensAsItWasSaved) {
    TScriptedUi ui;
    std::unique_ptr<TProject> saved = laidYard();
    ui.messages.clear();
    const QString path = dir.file("Двор.mpp");
    ASSERT_TRUE(saved->SaveToFile(path));
    EXPECT_FALSE(saved->IsModified());
    EXPECT_EQ(saved->Name(), QStringLiteral("Двор"));

    TProject opened;
    ASSERT_TRUE(opened.LoadFromFile(path));
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();
    EXPECT_FALSE(opened.IsModified());
    EXPECT_EQ(opened.Name(), QStringLiteral("Двор"));
    EXPECT_EQ(opened.FileName, path);

    EXPECT_EQ(borderRecords(opened), borderRecords(*saved)) << "every data block byte for byte, in order";
    ASSERT_NE(opened.Tile(), nullptr);
    EXPECT_EQ(opened.Tile()->ID, saved->Tile()->ID);
    ASSERT_NE(opened.Pattern(), nullptr);
    EXPECT_EQ(opened.Pattern()->ID, saved->Pattern()->ID);
    ASSERT_NE(opened.WorkPattern(), nullptr);
    EXPECT_EQ(opened.Orientation(), 30.0f);
    EXPECT_EQ(opened.StartPoint(), saved->StartPoint());
    EXPECT_EQ(opened.BasePoint, saved->BasePoint);
    EXPECT_EQ(opened.Comment, saved->Comment);
    ASSERT_NE(opened.TextureBrush(), nullptr);
    EXPECT_EQ(opened.TextureBytes(), saved->TextureBytes()) << "the image as it was loaded";
    EXPECT_NE(opened.SiteRegion(), nullptr);

    EXPECT_EQ(tileRows(opened), tileRows(*saved));
    EXPECT_EQ(groups(opened), groups(*saved));
    EXPECT_EQ(groups(opened).size(), 3u);
    const TReport before = saved->Report();
    const TReport after = opened.Report();
    EXPECT_EQ(ReportText(after), ReportText(before));
    EXPECT_EQ(ReportJson(after, opened, true), ReportJson(before, *saved, true));
    EXPECT_GT(after.PiecesTotal, 0);

    // Read tiles have the library's shape: the same outline where it was laid.
    for (int i : {0, opened.LaidTiles().Count() / 2, opened.LaidTiles().Count() - 1}) {
        EXPECT_EQ(opened.LaidTiles().Items(i).Bounds(), saved->LaidTiles().Items(i).Bounds()) << i;
    }
    // Writing what was read gives the same file.
    const QString again = dir.file("again.mpp");
    ASSERT_TRUE(opened.SaveToFile(again));
    EXPECT_EQ(readFile(again), readFile(path));
}

TEST_F(ProjectFileTest, ManyTilesKeepTheirOrderPastEveryPowerOfTen) {
    TScriptedUi ui;
    const std::int32_t tileId = starterTileId();
    std::vector<TStoredTile> tiles;
    // Colours come back in the order of the tiles: a colour per tile index
    // digit count makes the groups' order show the listing order.
    for (int i = 0; i < 1105; ++i) {
        const std::uint32_t colour = 0xFF000000u | std::uint32_t(i < 9 ? 1 : i < 99 ? 2 : i < 999 ? 3 : 4);
        tiles.push_back({QString("Tile%1").arg(i + 1, 7, 10, QChar('0')), {float(i) * 200.0f, 0.0f}, 0.0f, colour, {}, {}});
    }
    // Written in reverse: the reader takes them in the listing order.
    std::vector<TStoredTile> reversed(tiles.rbegin(), tiles.rend());
    writeHandMade(dir.file("many.mpp"), tileId, squareBorder(1000), reversed);
    TProject p;
    ASSERT_TRUE(p.LoadFromFile(dir.file("many.mpp")));
    ASSERT_EQ(p.LaidTiles().Count(), 1105);
    for (int i = 0; i < 1105; ++i) {
        ASSERT_EQ(p.LaidTiles().Items(i).BasePointKey().X, float(i) * 200.0f) << i;
    }
    EXPECT_EQ(groups(p), (std::vector<std::pair<std::uint32_t, int>>{
                             {0xFF000001u, 9}, {0xFF000002u, 90}, {0xFF000003u, 900}, {0xFF000004u, 106}}));
    // And the program's own files, through the writer's names.
    const QString path = dir.file("resaved.mpp");
    ASSERT_TRUE(p.SaveToFile(path));
    TProject q;
    ASSERT_TRUE(q.LoadFromFile(path));
    EXPECT_EQ(tileRows(q), tileRows(p));
}

TEST_F(ProjectFileTest, ReaderRulesForNamesAndMissingStreams) {
    TScriptedUi ui;
    const std::int32_t tileId = starterTileId();
    TPartList parts;
    parts.LoadForTile(tileId);
    const TPart* equal = nullptr;
    for (int i = 0; i < parts.Count(); ++i) {
        if (parts.Items(i)->Equals) {
            equal = parts.Items(i);
        }
    }
    ASSERT_NE(equal, nullptr);

    struct Case {
        const char* name;
        std::optional<std::vector<TStoredTile>> tiles;
        std::function<void(const TProject&)> check;
    };
    const Case cases[] = {
        {"no Tiles storage: a border, a site region, no tiles", std::nullopt,
         [](const TProject& p) {
             EXPECT_EQ(p.Elements().Count(), 4);
             EXPECT_NE(p.SiteRegion(), nullptr);
             EXPECT_EQ(p.LaidTiles().Count(), 0);
         }},
        {"tile in lower case read, other prefixes ignored",
         std::vector<TStoredTile>{{"tile7", {100, 100}, 0, DefaultTileColor, {}, {}},
                                  {"Plate1", {300, 100}, 0, DefaultTileColor, {}, {}},
                                  {"TILE8", {500, 100}, 0, DefaultTileColor, {}, {}}},
         [](const TProject& p) {
             ASSERT_EQ(p.LaidTiles().Count(), 2);
             EXPECT_EQ(p.LaidTiles().Items(0).BasePointKey(), (TPointF{100, 100}));
             EXPECT_EQ(p.LaidTiles().Items(1).BasePointKey(), (TPointF{500, 100}));
         }},
        {"orientation 90 is drawn turned about the base point",
         std::vector<TStoredTile>{{"Tile0000001", {1000, 0}, 90, DefaultTileColor, {}, {}}},
         [](const TProject& p) {
             ASSERT_EQ(p.LaidTiles().Count(), 1);
             const QRectF b = p.LaidTiles().Items(0).OutlinePath().boundingRect();
             EXPECT_NEAR(b.left(), 900, 1e-3);
             EXPECT_NEAR(b.right(), 1000, 1e-3);
             EXPECT_NEAR(b.top(), 0, 1e-3);
             EXPECT_NEAR(b.bottom(), 200, 1e-3);
             EXPECT_EQ(p.LaidTiles().Items(0).Orientation, 90.0f);
         }},
        {"one colour is one group; groups follow the reading order",
         std::vector<TStoredTile>{{"Tile0000001", {0, 0}, 0, kRed, {}, {}},
                                  {"Tile0000002", {200, 0}, 0, kBlue, {}, {}},
                                  {"Tile0000003", {400, 0}, 0, kRed, {}, {}}},
         [](const TProject& p) {
             EXPECT_EQ(groups(p), (std::vector<std::pair<std::uint32_t, int>>{{kRed, 2}, {kBlue, 1}}));
         }},
        {"a part without ContourID, halves equal: one piece for the part",
         std::vector<TStoredTile>{{"Tile0000001", {0, 0}, 0, DefaultTileColor, equal->ID, {}},
                                  {"Tile0000002", {200, 0}, 0, DefaultTileColor, {}, {}}},
         [equal](const TProject& p) {
             ASSERT_EQ(p.LaidTiles().Count(), 2);
             EXPECT_EQ(p.LaidTiles().Items(0).PartID, equal->ID);
             EXPECT_EQ(p.LaidTiles().Items(0).ContourID, -1);
             EXPECT_EQ(p.LaidTiles().Items(1).PartID, -1) << "missing PartID reads as -1, not 0";
             const TPartCounters& c = p.LaidTiles().ColorGroups().Items(0).Counters;
             ASSERT_EQ(c.Count(), 1);
             EXPECT_EQ(c.Items(0).ID, equal->ID);
             EXPECT_EQ(c.Items(0).Count, 1);
             EXPECT_EQ(c.Items(0).Name, equal->Name());
             EXPECT_EQ(c.Items(0).SubCounters, nullptr);
             EXPECT_EQ(WholeCount(p.LaidTiles().ColorGroups().Items(0)), 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file("case.mpp");
        writeHandMade(path, tileId, squareBorder(2000), c.tiles);
        TProject p;
        ASSERT_TRUE(p.LoadFromFile(path));
        EXPECT_FALSE(p.IsModified());
        c.check(p);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProjectFileTest, MissingFixedStreamsReadAsZerosAndTheStoredTileIdIsKept) {
    TScriptedUi ui;
    const QString path = dir.file("bare.mpp");
    {
        TCompoundWriter w(path);
        w.WriteStream("TileID", i32(987654)); // no such tile in the library
        w.BeginStorage("Borders");
        w.BeginStorage("Border1");
        w.WriteStream("Kind", i32(0));
        w.WriteStream("PrimitiveInfo", segmentData(0, 0, 5, 5).left(9)); // short: the rest is zeros
        w.EndStorage();
        w.EndStorage();
        ASSERT_TRUE(w.Commit());
    }
    TProject p;
    ASSERT_TRUE(p.LoadFromFile(path));
    EXPECT_EQ(p.Orientation(), 0.0f);
    EXPECT_EQ(p.Comment, QString());
    EXPECT_FALSE(p.StartPoint().isSet());
    EXPECT_EQ(p.TextureBrush(), nullptr);
    ASSERT_NE(p.Tile(), nullptr);
    EXPECT_EQ(p.Tile()->Elements().Count(), 0) << "a tile the library lacks is empty";
    EXPECT_EQ(p.Tile()->ID, 987654) << "and saving again keeps the reference";
    ASSERT_NE(p.Pattern(), nullptr) << "a missing CollageID reads as 0, which the library lacks";
    EXPECT_EQ(p.Pattern()->Elements().Count(), 0);
    ASSERT_EQ(p.Elements().Count(), 1);
    const PrimitiveRecord r = RecordOf(*p.Elements().Items(0));
    EXPECT_EQ(r.Data, segmentData(0, 0, 5, 5).left(9) + QByteArray(9, '\0'));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProjectFileTest, ACommentFromAnEightBitFileIsReadAsWindowsText) {
    TScriptedUi ui;
    const QString path = dir.file("cp1251.mpp");
    // "Ёлка у дома" in code page 1251.
    const QByteArray cp1251("\xA8\xEB\xEA\xE0 \xF3 \xE4\xEE\xEC\xE0");
    writeHandMade(path, -1, squareBorder(100), std::nullopt, [&](TCompoundWriter& w) { w.WriteStream("Comment", cp1251); });
    TProject p;
    ASSERT_TRUE(p.LoadFromFile(path));
    EXPECT_EQ(p.Comment, QStringLiteral("Ёлка у дома"));
    EXPECT_EQ(p.Tile(), nullptr) << "TileID -1: no tile was chosen";
}

TEST_F(ProjectFileTest, BadFilesAreReportedAndLeaveAUsableProject) {
    const QString goodPath = dir.file("good.mpp");
    {
        TScriptedUi quiet;
        std::unique_ptr<TProject> yard = laidYard();
        ASSERT_TRUE(yard->SaveToFile(goodPath));
    }
    const QByteArray good = readFile(goodPath);
    const std::int32_t tileId = starterTileId();

    // A directory entry whose sibling link points back at the root: the
    // listing of "Borders" cannot be walked.
    QByteArray looped = good;
    {
        const QByteArray name = QByteArray::fromRawData(reinterpret_cast<const char*>(u"Border0000002"), 26);
        const qsizetype at = looped.indexOf(name);
        ASSERT_GT(at, 0);
        std::memset(looped.data() + at + 68, 0, 4);
    }

    struct Case {
        const char* name;
        std::function<void(const QString& path)> make;
        bool opens;
        QString error;   // the error box, empty for none
        QString warning; // the warning, empty for none
    };
    const QString readError = QStringLiteral("Ошибка чтения проекта");
    std::vector<Case> cases = {
        {"not a compound file", [](const QString& p) { writeFile(p, "Проект двора, версия 1\n"); }, false,
         QStringLiteral("Файл не является файлом проекта"), {}},
        {"empty file", [](const QString& p) { writeFile(p, {}); }, false, QStringLiteral("Файл не является файлом проекта"),
         {}},
        {"no such file", [](const QString&) {}, false, {}, {}},
        {"a stream longer than its size",
         [&](const QString& p) {
             writeHandMade(p, tileId, squareBorder(100), std::nullopt,
                           [](TCompoundWriter& w) { w.WriteStream("StartPoint", QByteArray(10, '\1')); });
         },
         false, readError, {}},
        {"a tile's PartID longer than its size",
         [&](const QString& p) {
             writeHandMade(p, tileId, squareBorder(1000), std::nullopt, [](TCompoundWriter& w) {
                 w.BeginStorage("Tiles");
                 w.BeginStorage("Tile1");
                 w.WriteStream("PartID", QByteArray(8, '\0'));
                 w.EndStorage();
                 w.EndStorage();
             });
         },
         false, readError, {}},
        {"a kind code of 9 is skipped and counted",
         [&](const QString& p) {
             std::vector<TStoredBorder> b = squareBorder(1000);
             b.insert(b.begin() + 1, {"Border0000009", 9, QByteArray(18, '\7')});
             b.push_back({"Border0000010", -3, {}});
             writeHandMade(p, tileId, b, std::vector<TStoredTile>{});
         },
         true, {}, QStringLiteral("В файле проекта пропущены элементы участка неизвестного вида: 2.")},
        {"no Borders storage: no border, nothing to report", [&](const QString& p) {
             writeHandMade(p, tileId, std::nullopt, std::vector<TStoredTile>{{"Tile1", {0, 0}, 0, kRed, {}, {}}});
         },
         true, {}, {}},
        {"a broken listing", [&](const QString& p) { writeFile(p, looped); }, false, readError, {}},
    };
    for (int cut : {512, 1024, int(good.size()) / 2, int(good.size()) - 512, int(good.size()) - 1}) {
        cases.push_back({"truncated", [cut, &good](const QString& p) { writeFile(p, good.left(cut)); }, false,
                         QStringLiteral("Файл проекта поврежден"), {}});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file("bad.mpp");
        QFile::remove(path);
        c.make(path);
        TScriptedUi ui;
        auto p = std::make_unique<TProject>();
        const bool opened = p->LoadFromFile(path);
        EXPECT_EQ(opened, c.opens);
        std::vector<QString> errors;
        std::vector<QString> warnings;
        for (const auto& m : ui.messages) {
            (m.kind == TMessageKind::Error ? errors : warnings).push_back(m.text);
        }
        if (!c.opens) {
            ASSERT_EQ(errors.size(), 1u);
            if (!c.error.isEmpty()) {
                EXPECT_EQ(errors[0], c.error);
            } else {
                EXPECT_FALSE(errors[0].isEmpty());
            }
        } else {
            EXPECT_TRUE(errors.empty());
        }
        if (c.warning.isEmpty()) {
            EXPECT_TRUE(warnings.empty());
        } else {
            ASSERT_EQ(warnings.size(), 1u) << "told once";
            EXPECT_TRUE(warnings[0].startsWith(c.warning)) << warnings[0].toStdString();
        }
        // Still a project: it reports, draws its report, saves and fills.
        (void)p->Report();
        EXPECT_TRUE(p->SaveToFile(dir.file("after.mpp")));
        TProject reread;
        EXPECT_TRUE(reread.LoadFromFile(dir.file("after.mpp")));
    }
    // The skipped records leave the rest of the border in its order.
    {
        TScriptedUi ui;
        std::vector<TStoredBorder> b = squareBorder(1000);
        b.insert(b.begin() + 1, {"Border0000009", 9, QByteArray(18, '\7')});
        writeHandMade(dir.file("nine.mpp"), tileId, b, std::nullopt);
        TProject p;
        ASSERT_TRUE(p.LoadFromFile(dir.file("nine.mpp")));
        ASSERT_EQ(p.Elements().Count(), 4);
        EXPECT_EQ(RecordOf(*p.Elements().Items(1)).Data, segmentData(1000, 0, 1000, 1000));
        EXPECT_NE(p.SiteRegion(), nullptr);
    }
}

TEST_F(ProjectFileTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    TScriptedUi ui;
    std::unique_ptr<TProject> yard = laidYard();
    const QString path = dir.file("yard.mpp");
    ASSERT_TRUE(yard->SaveToFile(path));
    const QByteArray before = readFile(path);

    yard->Comment = QStringLiteral("changed");
    yard->SetModified(true);
    // A texture that cannot be written: the save stops before the file.
    yard->SetTexture(std::make_unique<QBrush>(Qt::SolidPattern));
    ui.messages.clear();
    EXPECT_FALSE(yard->SaveToFile(path));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Error);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Не удалось сохранить проект"))) << ui.messages[0].text.toStdString();
    EXPECT_TRUE(yard->IsModified());
    EXPECT_EQ(readFile(path), before);

    // A folder that does not exist; a target that is a folder.
    yard->SetTexture(nullptr);
    ui.messages.clear();
    EXPECT_FALSE(yard->SaveToFile(dir.file("no/such/folder/yard.mpp")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("Не удается создать файл")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.mpp"));
    ui.messages.clear();
    EXPECT_FALSE(yard->SaveToFile(dir.file("taken.mpp")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("Не удается заменить файл")));
    EXPECT_EQ(yard->FileName, path) << "a failed save does not rename the project";
    EXPECT_TRUE(yard->IsModified());
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left.filter(".tmp").size(), 0) << left.join(", ").toStdString();
}
