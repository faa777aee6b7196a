// vorkalo-cli optimize: the best start point and orientation, checked by
// `fill` at what it reports, and the arguments it refuses.

#include "support/CliRun.h"
#include "support/SceneJson.h"
#include "support/TempDir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace vk::test;

// 200 x 100 pavers with left and right halves that are not interchangeable,
// in stack bond on a 1.05 x 0.95 m site, started half a tile off.
QJsonObject scene() {
    const QJsonObject tile{{"name", "Брусчатка"},
                           {"outline", vk::test::rect(0, 0, 200, 100)},
                           {"parts", QJsonArray{vk::test::leftAndRightHalves(false)}}};
    return vk::test::sceneOf(tile, vk::test::simplePattern(QJsonArray{pt(200, 0), pt(0, 100)}, "Ряды"),
                             vk::test::rect(0, 0, 1050, 950), pt(-100, 30));
}

QJsonObject parse(const TResult& r) {
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return object;
}

} // namespace

TEST(CliOptimize, BestIsWhatAFillAtTheReportedStartAndOrientationLays) {
    vk::test::TTempDir dir;
    const QString path = write(dir, "scene.json", scene());
    const TResult r = run({"optimize", path, "--json", "--grid", "4", "--orientations", "0,90"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject result = parse(r);
    EXPECT_EQ(result["tried"].toInt(), 32);
    const QJsonArray top = result["top"].toArray();
    ASSERT_EQ(top.size(), 5);
    const QJsonObject best = result["best"].toObject();
    EXPECT_EQ(best, top[0].toObject());
    // Each of the five, laid by `fill`, gives the tiles and pieces reported.
    for (int k = 0; k < top.size(); ++k) {
        const QJsonObject c = top[k].toObject();
        QJsonObject at = scene();
        at["start"] = c["start"];
        at["orientation"] = c["orientation"];
        const TResult filled = run({"fill", write(dir, QStringLiteral("at%1.json").arg(k), at), "--json"});
        ASSERT_EQ(filled.code, 0) << filled.err.toStdString();
        const QJsonObject report = parse(filled);
        // A tile cut into halves that are not interchangeable gives one of
        // each: the tiles bought are the whole ones and the more numerous half.
        int mostHalves = 0;
        for (const QJsonValue& colour : report["colours"].toArray()) {
            for (const QJsonValue& part : colour["parts"].toArray()) {
                for (const QJsonValue& half : part["halves"].toArray()) {
                    mostHalves = std::max(mostHalves, half["count"].toInt());
                }
            }
        }
        EXPECT_EQ(c["tiles"].toInt(), report["whole_total"].toInt() + mostHalves) << k;
        EXPECT_EQ(c["pieces"].toInt(), report["pieces_total"].toInt()) << k;
        if (k > 0) {
            EXPECT_GE(c["tiles"].toInt(), top[k - 1].toObject()["tiles"].toInt()) << "best first";
        }
    }
    // Upright, every start of the grid puts the first copy left of the site:
    // those lay nothing, buy nothing, and are never listed.
    for (const QJsonValue& c : top) {
        EXPECT_EQ(c["orientation"].toDouble(), 0.0);
        EXPECT_GT(c["tiles"].toInt(), 0);
    }
    EXPECT_LT(best["tiles"].toInt(), result["current"].toObject()["tiles"].toInt());

    const TResult text = run({"optimize", path, "--grid", "2"});
    ASSERT_EQ(text.code, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith(QStringLiteral("Лучший вариант: начальная точка ("))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Проверено вариантов: 4\n"))) << text.out.toStdString();
}

TEST(CliOptimize, ArgumentsItRefuses) {
    vk::test::TTempDir dir;
    const QString path = write(dir, "scene.json", scene());
    QJsonObject noStart = scene();
    noStart.remove("start");
    const QString startless = write(dir, "nostart.json", noStart);
    const struct {
        const char* name;
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {"grid of zero", {"optimize", path, "--grid", "0"}, 2, "--grid"},
        {"grid not a number", {"optimize", path, "--grid", "восемь"}, 2, "--grid"},
        {"grid without a value", {"optimize", path, "--grid"}, 2, "--grid"},
        {"range running backwards", {"optimize", path, "--orientations", "90:0:15"}, 2, "--orientations"},
        {"range with no step", {"optimize", path, "--orientations", "0:90:0"}, 2, "--orientations"},
        {"list with a word", {"optimize", path, "--orientations", "0,прямо"}, 2, "--orientations"},
        {"an output file", {"optimize", path, "-o", dir.file("out.mpp")}, 2, "-o"},
        {"no input", {"optimize", "--json"}, 2, "не указан файл"},
        {"missing file", {"optimize", dir.file("none.json")}, 1, "не удалось прочитать"},
        {"scene without a start point", {"optimize", startless}, 1, "start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TResult r = run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
