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

// The comment was written as UTF-8, which other readers of the format show
// as garbage: it is 8-bit text in code page 1251.
TEST_F(ProjectFileTest, CommentIsWrittenInCodePage1251) {
    const auto storedComment = [](const QString& path) {
        QString error;
        const std::unique_ptr<TStorage> root = TStorage::OpenFile(path, error);
        QByteArray bytes;
        EXPECT_TRUE(root && root->ReadStream("Comment", bytes) == TStorage::TRead::Ok) << error.toStdString();
        return bytes;
    };
    const struct {
        const char* name;
        QString comment;
        QByteArray stored;
        QString reread;
        bool warned;
    } cases[] = {
        {"Cyrillic and the page's punctuation", QStringLiteral("Ёлка — у дома №5, «ёж»\r\nї"),
         QByteArray("\xA8\xEB\xEA\xE0 \x97 \xF3 \xE4\xEE\xEC\xE0 \xB9" "5, \xAB\xB8\xE6\xBB\r\n\xBF"),
         QStringLiteral("Ёлка — у дома №5, «ёж»\r\nї"), false},
        {"plain ASCII", QStringLiteral("Yard, 2 m"), QByteArray("Yard, 2 m"), QStringLiteral("Yard, 2 m"), false},
        {"characters the page has not: one \"?\" each", QStringLiteral("Двор 漢字 😀 é"),
         QByteArray("\xC4\xE2\xEE\xF0 ?? ? ?"), QStringLiteral("Двор ?? ? ?"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedUi ui;
        TProject p;
        p.Comment = c.comment;
        const QString path = dir.file("comment.mpp");
        ASSERT_TRUE(p.SaveToFile(path));
        EXPECT_EQ(storedComment(path), c.stored);
        if (c.warned) {
            ASSERT_EQ(ui.messages.size(), 1u) << "one warning for the whole comment";
            EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
            EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("\"?\""))) << ui.messages[0].text.toStdString();
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        ui.messages.clear();
        TProject opened;
        ASSERT_TRUE(opened.LoadFromFile(path));
        EXPECT_EQ(opened.Comment, c.reread);
        const QString again = dir.file("again.mpp");
        ASSERT_TRUE(opened.SaveToFile(again));
        EXPECT_EQ(readFile(again), readFile(path)) << "written again byte for byte";
        EXPECT_TRUE(ui.messages.empty());
    }

    // What earlier builds wrote: UTF-8, read as it was meant.
    TScriptedUi ui;
    const QString path = dir.file("utf8.mpp");
    writeHandMade(path, -1, squareBorder(100), std::nullopt,
                  [](TCompoundWriter& w) { w.WriteStream("Comment", QStringLiteral("Двор — гранит, 漢").toUtf8()); });
    TProject p;
    ASSERT_TRUE(p.LoadFromFile(path));
    EXPECT_EQ(p.Comment, QStringLiteral("Двор — гранит, 漢"));
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

namespace {

// The sector chains of a saved compound file (512-byte sectors, the table
// listed in the header), to damage them in place.
class TSectorMap {
public:
    explicit TSectorMap(QByteArray& bytes) : m_bytes(bytes) {}

    [[nodiscard]] quint32 u32(qsizetype at) const {
        quint32 v = 0;
        std::memcpy(&v, m_bytes.constData() + at, 4);
        return v;
    }
    void setU32(qsizetype at, quint32 v) { std::memcpy(m_bytes.data() + at, &v, 4); }
    [[nodiscard]] static qsizetype sectorAt(quint32 s) { return (qsizetype(s) + 1) * 512; }
    // Where the table keeps the link out of sector s.
    [[nodiscard]] qsizetype fatLink(quint32 s) const { return sectorAt(u32(76 + 4 * (s / 128))) + 4 * (s % 128); }
    [[nodiscard]] quint32 next(quint32 s) const { return u32(fatLink(s)); }
    [[nodiscard]] std::vector<quint32> chain(quint32 start) const {
        std::vector<quint32> sectors;
        for (quint32 s = start; s < 0xFFFFFFFAu && sectors.size() < 100000; s = next(s)) {
            sectors.push_back(s);
        }
        return sectors;
    }
    // Where the mini table keeps the link out of mini sector m.
    [[nodiscard]] qsizetype miniLink(quint32 m) const {
        return sectorAt(chain(u32(60))[m / 128]) + 4 * (m % 128);
    }
    // The directory entry of a name (UTF-16, first match).
    [[nodiscard]] qsizetype entry(const char16_t* name, qsizetype units) const {
        const QByteArray key = QByteArray::fromRawData(reinterpret_cast<const char*>(name), units * 2);
        const qsizetype at = m_bytes.indexOf(key);
        EXPECT_GT(at, 0);
        return at;
    }

private:
    QByteArray& m_bytes;
};

} // namespace

// A chain that comes back to a sector it has passed reads other data as the
// stream's own: tiles in colours nobody chose. Each such file is refused as
// a whole before anything of the open project changes.
TEST_F(ProjectFileTest, SectorChainVisitingASectorTwiceIsDamage) {
    const QString goodPath = dir.file("good.mpp");
    std::unique_ptr<TProject> yard;
    {
        TScriptedUi quiet;
        yard = laidYard();
        // A comment over several mini sectors and a texture in regular ones.
        yard->Comment = QString(300, QLatin1Char('k'));
        QImage noise(64, 64, QImage::Format_RGB32);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                noise.setPixel(x, y, qRgb((x * 37 + y * 91) % 251, (x * x + y * 13) % 253, (x * y * 7) % 255));
            }
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        noise.save(&buffer, "PNG");
        ASSERT_GT(png.size(), 4096 + 1024);
        ASSERT_TRUE(yard->SetTextureImage(png));
        ASSERT_TRUE(yard->SaveToFile(goodPath));
    }
    const QByteArray good = readFile(goodPath);

    struct Case {
        const char* name;
        std::function<void(TSectorMap&)> damage;
    };
    const std::vector<Case> cases = {
        {"a mini sector of the comment pointing to itself",
         [](TSectorMap& m) {
             const qsizetype at = m.entry(u"Comment", 7);
             const quint32 second = m.u32(m.miniLink(m.u32(at + 116)));
             m.setU32(m.miniLink(second), second);
         }},
        {"a sector of the mini stream pointing to itself",
         [](TSectorMap& m) {
             const std::vector<quint32> mini = m.chain(m.u32(512 + 116)); // the root entry's chain
             ASSERT_GT(mini.size(), 2u);
             m.setU32(m.fatLink(mini[1]), mini[1]);
         }},
        {"the first allocation-table sector zeroed",
         [](TSectorMap& m) {
             for (int k = 0; k < 128; ++k) {
                 m.setU32(m.fatLink(0) + 4 * k, 0);
             }
         }},
        {"the texture's chain coming back to its start",
         [](TSectorMap& m) {
             const qsizetype at = m.entry(u"Texture", 7);
             const std::vector<quint32> texture = m.chain(m.u32(at + 116));
             ASSERT_GT(texture.size(), 2u);
             m.setU32(m.fatLink(texture[2]), texture[0]);
         }},
        {"the directory's chain coming back to its start",
         [](TSectorMap& m) {
             const std::vector<quint32> directory = m.chain(m.u32(48));
             ASSERT_GT(directory.size(), 2u);
             m.setU32(m.fatLink(directory.back()), directory[0]);
         }},
        {"the mini table's sector pointing to itself",
         [](TSectorMap& m) {
             const std::vector<quint32> table = m.chain(m.u32(60));
             m.setU32(m.fatLink(table.back()), table.back());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray damaged = good;
        TSectorMap map(damaged);
        c.damage(map);
        ASSERT_NE(damaged, good);
        const QString path = dir.file("damaged.mpp");
        writeFile(path, damaged);

        TScriptedUi ui;
        TProject p;
        ASSERT_TRUE(p.LoadFromFile(goodPath));
        const std::vector<TTileRow> tiles = tileRows(p);
        const std::vector<PrimitiveRecord> border = borderRecords(p);
        EXPECT_FALSE(p.LoadFromFile(path));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].kind, TMessageKind::Error);
        EXPECT_EQ(ui.messages[0].text, QStringLiteral("Ошибка чтения проекта"));
        EXPECT_EQ(tileRows(p), tiles) << "the open project is left as it was";
        EXPECT_EQ(borderRecords(p), border);
        EXPECT_EQ(p.Comment, yard->Comment);
        EXPECT_EQ(p.FileName, goodPath);
    }
}

// The library reads an element's block up to its kind's size; a project did
// not, and one longer record made the whole file unreadable.
TEST_F(ProjectFileTest, ElementRecordLongerThanItsKindIsReadUpToItsSize) {
    TScriptedUi ui;
    std::vector<TStoredBorder> b = squareBorder(1000);
    b[1].Data += QByteArray("\x11\x22\x33\x44\x55\x66", 6);
    b[2].Data += QByteArray(4096, '\x7f'); // long enough to leave the mini stream
    writeHandMade(dir.file("longer.mpp"), starterTileId(), b, std::nullopt);
    TProject p;
    ASSERT_TRUE(p.LoadFromFile(dir.file("longer.mpp")));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(p.Elements().Count(), 4);
    EXPECT_EQ(RecordOf(*p.Elements().Items(1)).Data, segmentData(1000, 0, 1000, 1000));
    EXPECT_EQ(RecordOf(*p.Elements().Items(2)).Data, segmentData(1000, 1000, 0, 1000));
    EXPECT_NEAR(p.Area(50), 1.0, 1e-6);
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
