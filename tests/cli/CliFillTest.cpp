// vorkalo-cli fill: the report of a scene, and the problems it names.

#include "support/CliRun.h"
#include "support/SceneJson.h"
#include "support/TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using namespace vk::test;

// 200 x 100 pavers, halves left and right, in stack bond on a 1 m square
// whose left and right columns are cut in the middle.
QJsonObject scene() {
    // The second cut line is dashed: it divides nothing.
    const QJsonObject dashed = segment(0, 50, 200, 50, 2);
    const QJsonArray cuts{segment(100, 0, 100, 100), dashed};
    const QJsonObject tile{{"name", "Брусчатка"},
                           {"thickness", 60},
                           {"outline", vk::test::rect(0, 0, 200, 100)},
                           {"parts", QJsonArray{vk::test::leftAndRightHalves(false, cuts)}}};
    return vk::test::sceneOf(tile, vk::test::simplePattern(QJsonArray{pt(200, 0), pt(0, 100)}, "Ряды"), square(1000),
                             pt(-100, 0));
}

} // namespace

TEST(CliFill, JsonReport) {
    vk::test::TTempDir dir;
    const QString path = write(dir, "scene.json", QJsonDocument(scene()).toJson());
    const TResult r = run({"fill", path, "--json", "--tiles"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QJsonParseError error;
    const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    EXPECT_DOUBLE_EQ(report["area_m2"].toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(report["perimeter_m"].toDouble(), 4.0);
    EXPECT_EQ(report["tiles"].toInt(), 60);
    EXPECT_EQ(report["whole_total"].toInt(), 40);
    EXPECT_EQ(report["pieces_total"].toInt(), 20);
    const QJsonArray colours = report["colours"].toArray();
    ASSERT_EQ(colours.size(), 1);
    EXPECT_EQ(colours[0]["argb"].toString(), QStringLiteral("#ffe5e5e5"));
    EXPECT_EQ(colours[0]["whole"].toInt(), 40);
    const QJsonObject part = colours[0]["parts"].toArray()[0].toObject();
    EXPECT_EQ(part["name"].toString(), QStringLiteral("Половинка"));
    EXPECT_EQ(part["count"].toInt(), 0);
    const QJsonArray halves = part["halves"].toArray();
    ASSERT_EQ(halves.size(), 2);
    EXPECT_EQ(halves[0]["name"].toString(), QStringLiteral("правая")) << "in the order first counted";
    EXPECT_EQ(halves[0]["count"].toInt(), 10);
    EXPECT_EQ(halves[1]["name"].toString(), QStringLiteral("левая"));

    const QJsonArray laid = report["laid"].toArray();
    ASSERT_EQ(laid.size(), 60);
    EXPECT_EQ(laid[0]["x"].toDouble(), -100.0);
    EXPECT_EQ(laid[0]["y"].toDouble(), 0.0);
    EXPECT_EQ(laid[0]["part"].toString(), QStringLiteral("Половинка"));
    EXPECT_EQ(laid[0]["half"].toString(), QStringLiteral("правая"));
    EXPECT_EQ(laid[1]["x"].toDouble(), 100.0) << "then +h1";
    EXPECT_EQ(laid[1]["part"].toString(), QString()) << "whole tiles have no names";

    // Without --tiles there is no list; the text form reads as the dialog.
    EXPECT_FALSE(QJsonDocument::fromJson(run({"fill", path, "--json"}).out.toUtf8()).object().contains("laid"));
    const TResult text = run({"fill", path});
    EXPECT_EQ(text.code, 0);
    EXPECT_TRUE(text.out.contains(QStringLiteral("Площадь 1.00 кв.м.; общий периметр 4.00 м"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Всего плиток: 60")));
}

TEST(CliFill, ScenesItCannotUse) {
    vk::test::TTempDir dir;
    QJsonObject noBorder = scene();
    noBorder.remove("border");
    QJsonObject libraryTile = scene();
    libraryTile["tile"] = QJsonObject{{"library", "Круг"}};
    QJsonObject noStart = scene();
    noStart.remove("start");
    struct Case {
        const char* name;
        QByteArray content;
        const char* mentions;
    };
    const Case cases[] = {
        {"not JSON", "{\"tile\": ", "JSON"},
        {"no border", QJsonDocument(noBorder).toJson(), "\"border\""},
        {"a library tile that is not there", QJsonDocument(libraryTile).toJson(), "\"Круг\""},
        {"no start point", QJsonDocument(noStart).toJson(), "\"start\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = write(dir, "scene.json", c.content);
        const TResult r = run({"fill", path, "--db", dir.file("DB")});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.mentions))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    const TResult missing = run({"fill", dir.file("nowhere.json")});
    EXPECT_EQ(missing.code, 1);
}

TEST(CliFill, BadArguments) {
    struct Case {
        const char* name;
        QStringList args;
        int code;
    };
    const Case cases[] = {
        {"no command", {}, 2},
        {"unknown command", {"lay"}, 2},
        {"no scene", {"fill"}, 2},
        {"unknown option", {"fill", "a.json", "--xml"}, 2},
        {"--db without a folder", {"fill", "a.json", "--db"}, 2},
        {"two scenes", {"fill", "a.json", "b.json"}, 2},
        {"help", {"--help"}, 0},
        {"version", {"--version"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.args).code, c.code);
    }
    EXPECT_TRUE(run({"--help"}).out.contains("fill"));
}

TEST(CliFill, AFillLargerThanAllowedIsRefusedUnlessMaxTilesAllowsIt) {
    vk::test::TTempDir dir;
    // About 50 tiles (1 m² of 200 x 100 pavers).
    const QString path = write(dir, "scene.json", QJsonDocument(scene()).toJson());
    const TResult refused = run({"fill", path, "--max-tiles", "40"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("около 50 плиток")) && refused.err.contains("--max-tiles"))
        << refused.err.toStdString();
    EXPECT_TRUE(refused.out.isEmpty());
    EXPECT_EQ(run({"fill", path, "--max-tiles", "50"}).code, 0);
    EXPECT_EQ(run({"fill", path, "--max-tiles", "много"}).code, 2);

    // A 3 mm tile on a 100 m site is refused at once by default.
    QJsonObject huge = scene();
    huge["border"] = square(100000);
    QJsonObject tile = huge["tile"].toObject();
    tile["outline"] = square(3);
    tile.remove("parts");
    huge["tile"] = tile;
    huge["pattern"] = QJsonObject{{"placements", QJsonArray{QJsonObject{{"tilePoint", pt(0, 0)}, {"patternPoint", pt(0, 0)}}}},
                                  {"handPoints", QJsonArray{pt(3, 0), pt(0, 3)}}};
    const TResult tooMany = run({"fill", write(dir, "huge.json", QJsonDocument(huge).toJson())});
    EXPECT_EQ(tooMany.code, 1);
    EXPECT_TRUE(tooMany.err.contains(QStringLiteral("около 11111")) && tooMany.err.contains("--max-tiles"))
        << tooMany.err.toStdString();
}

TEST(CliFill, ATileSmallerThanTheRegionToleranceIsWarnedNotLaidSilently) {
    vk::test::TTempDir dir;
    QJsonObject tiny = scene();
    tiny["tile"] = QJsonObject{{"name", "Крошка"}, {"outline", square(1)}};
    tiny["pattern"] = QJsonObject{{"placements", QJsonArray{QJsonObject{{"tilePoint", pt(0, 0)}, {"patternPoint", pt(0, 0)}}}},
                                  {"handPoints", QJsonArray{pt(1, 0), pt(0, 1)}}};
    const TResult r = run({"fill", write(dir, "tiny.json", QJsonDocument(tiny).toJson())});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Крошка")) && r.err.contains(QStringLiteral("меньше допуска укладки")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// The tool printed a report of no tiles, or of a site closed where the user
// had left a gap, and said nothing of either.
TEST(CliFill, OpenBorderAndAStartPointOffTheSiteAreWarnedBeforeTheReport) {
    vk::test::TTempDir dir;
    const struct {
        const char* name;
        QJsonArray border;
        QJsonArray start;
        QString warning;
        bool laysTiles;
    } cases[] = {
        {"the left side missing",
         QJsonArray{segment(0, 0, 1000, 0), segment(1000, 0, 1000, 1000), segment(1000, 1000, 0, 1000)}, pt(-100, 0),
         QStringLiteral("предупреждение: Контур участка не замкнут: концы в точках (0.00;0.00) и (0.00;1.00)"), true},
        {"the start copy far off the site", square(1000), pt(5000, 5000),
         QStringLiteral("предупреждение: Начальная точка лежит вне участка"), false},
        {"a closed border and a start inside", square(1000), pt(-100, 0), QString(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QJsonObject s = scene();
        s["border"] = c.border;
        s["start"] = c.start;
        const TResult r = run({"fill", "--json", write(dir, "scene.json", QJsonDocument(s).toJson())});
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        if (c.warning.isEmpty()) {
            EXPECT_FALSE(r.err.contains(QStringLiteral("предупреждение"))) << r.err.toStdString();
        } else {
            EXPECT_EQ(r.err.count(QStringLiteral("предупреждение")), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(c.warning)) << r.err.toStdString();
        }
        const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8()).object();
        EXPECT_EQ(report.value("tiles").toInt() > 0, c.laysTiles);
    }
}

TEST(CliFill, NumbersBeyondTheModelsRangeAreRefusedAndNeverPrintedAsInfinity) {
    vk::test::TTempDir dir;
    QJsonObject far = scene();
    QJsonArray border = square(1000);
    border.append(segment(0, 0, 1e308, 0));
    far["border"] = border;
    QJsonObject turned = scene();
    turned["orientation"] = 1e308;
    for (const QJsonObject& s : {far, turned}) {
        const TResult r = run({"fill", write(dir, "far.json", QJsonDocument(s).toJson()), "--json"});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Граница участка, элемент 5")) || r.err.contains("\"orientation\""))
            << r.err.toStdString();
        EXPECT_FALSE(r.out.contains("inf"));
    }
}

TEST(CliFill, JsonReportCarriesTheAreaAndPerimeterInFull) {
    vk::test::TTempDir dir;
    QJsonObject narrow = scene();
    narrow["border"] = vk::test::rect(0, 0, 1000, 123.4567);
    const QString path = write(dir, "narrow.json", QJsonDocument(narrow).toJson());
    const TResult r = run({"fill", path, "--json"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_NEAR(report["area_m2"].toDouble(), 0.1234567, 1e-7) << r.out.toStdString();
    EXPECT_NEAR(report["perimeter_m"].toDouble(), 2.2469134, 1e-6);
    EXPECT_TRUE(run({"fill", path}).out.contains(QStringLiteral("Площадь 0.12 кв.м.; общий периметр 2.25 м")))
        << "the text keeps the dialog's form";
}

// The text list printed six significant digits: 10 km from the origin a base
// point read 1.00001e+07, a tenth of a metre off. It carries what the JSON
// list carries.
TEST(CliFill, TextTileListKeepsCoordinatesFarFromTheOriginInFull) {
    vk::test::TTempDir dir;
    const double dx = 10'000'000, dy = -7'000'000;
    QJsonObject moved = scene();
    moved["border"] = vk::test::rect(dx, dy, dx + 1000, dy + 1000);
    moved["start"] = pt(dx - 100, dy);
    moved["orientation"] = 30;
    const QString path = write(dir, "far.json", QJsonDocument(moved).toJson());
    const TResult json = run({"fill", path, "--json", "--tiles"});
    ASSERT_EQ(json.code, 0) << json.err.toStdString();
    const QJsonArray laid = QJsonDocument::fromJson(json.out.toUtf8()).object()["laid"].toArray();
    const TResult text = run({"fill", path, "--tiles"});
    ASSERT_EQ(text.code, 0) << text.err.toStdString();
    QStringList lines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines = lines.filter(QStringLiteral("\t"));
    ASSERT_EQ(lines.size(), laid.size());
    ASSERT_GT(lines.size(), 0);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char('\t'));
        ASSERT_GE(fields.size(), 3) << lines[i].toStdString();
        EXPECT_EQ(fields[0].toDouble(), laid[i]["x"].toDouble()) << lines[i].toStdString();
        EXPECT_EQ(fields[1].toDouble(), laid[i]["y"].toDouble()) << lines[i].toStdString();
        EXPECT_EQ(fields[2].toDouble(), laid[i]["orientation"].toDouble()) << lines[i].toStdString();
    }
}
