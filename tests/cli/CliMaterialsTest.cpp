// vorkalo-cli's materials list: in the JSON report, as a CSV file, and the
// options that set its waste and pack size.

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

QJsonObject part(const char* name, QJsonObject cut, QJsonArray first, QJsonArray second) {
    return QJsonObject{{"name", name},
                       {"equals", true},
                       {"cuts", QJsonArray{cut}},
                       {"halves", QJsonArray{QJsonObject{{"name", "1"}, {"rect", first}},
                                             QJsonObject{{"name", "2"}, {"rect", second}}}}};
}

// 100 x 100 tiles on a 1 m square from (50, 50), halved both ways with
// interchangeable halves: 81 whole, pieces from 11 + 9 tiles.
QByteArray squareScene() {
    const QJsonArray parts{
        part("Вдоль", segment(50, 0, 50, 100), QJsonArray{pt(-1, -1), pt(51, 101)}, QJsonArray{pt(49, -1), pt(101, 101)}),
        part("Поперек", segment(0, 50, 100, 50), QJsonArray{pt(-1, -1), pt(101, 51)}, QJsonArray{pt(-1, 49), pt(101, 101)})};
    const QJsonObject tile{{"name", "Квадрат"}, {"outline", square(100)}, {"parts", parts}};
    return QJsonDocument(vk::test::sceneOf(tile, vk::test::simplePattern(QJsonArray{pt(100, 0), pt(0, 100)}, "Сетка"),
                                           square(1000), pt(50, 50)))
        .toJson();
}

} // namespace

TEST(CliMaterials, JsonOfTheSquareExample) {
    vk::test::TTempDir dir;
    const QString path = write(dir, "scene.json", squareScene());
    struct TCase {
        const char* name;
        QStringList options;
        double waste;
        QJsonValue pack;
        int withWaste;
        double area;
        QJsonValue packs;
    };
    const TCase cases[] = {
        {"by default 5 % and no packs", {}, 5, QJsonValue::Null, 107, 1.07, QJsonValue::Null},
        {"no waste, packs of 20", {"--waste", "0", "--pack", "20"}, 0, 20, 101, 1.01, 6},
        {"a fraction of a percent", {"--waste", "2.5", "--pack", "0"}, 2.5, QJsonValue::Null, 104, 1.04,
         QJsonValue::Null},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TResult r = run(QStringList{"fill", path, "--json"} + c.options);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QJsonObject m = QJsonDocument::fromJson(r.out.toUtf8()).object()["materials"].toObject();
        EXPECT_EQ(m["waste_percent"].toDouble(), c.waste);
        EXPECT_EQ(m["pack"], c.pack);
        EXPECT_EQ(m["tile_area_m2"].toDouble(), 0.01);
        const QJsonArray colours = m["colours"].toArray();
        ASSERT_EQ(colours.size(), 1);
        const QJsonObject grey = colours[0].toObject();
        EXPECT_EQ(grey["argb"].toString(), QStringLiteral("#ffe5e5e5"));
        EXPECT_EQ(grey["whole"].toInt(), 81);
        EXPECT_EQ(grey["for_halves"].toInt(), 20);
        EXPECT_EQ(grey["tiles"].toInt(), 101);
        EXPECT_EQ(grey["with_waste"].toInt(), c.withWaste);
        EXPECT_DOUBLE_EQ(grey["area_m2"].toDouble(), c.area);
        EXPECT_EQ(grey["packs"], c.packs);
        EXPECT_EQ(m["tiles"].toInt(), 101);
        EXPECT_EQ(m["with_waste"].toInt(), c.withWaste);
        EXPECT_DOUBLE_EQ(m["area_m2"].toDouble(), c.area);
        EXPECT_EQ(m["packs"], c.packs);
        EXPECT_EQ(QStringList(m.keys()),
                  (QStringList{"area_m2", "colours", "pack", "packs", "tile_area_m2", "tiles", "waste_percent",
                               "with_waste"}));
    }
}

TEST(CliMaterials, CsvFileAndTheTextReport) {
    vk::test::TTempDir dir;
    const QString path = write(dir, "scene.json", squareScene());
    const QString csv = dir.file("Ведомость.csv");
    const TResult r = run({"fill", path, "--pack", "50", "--csv", csv});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(readAll(csv), QByteArray("\xEF\xBB\xBF") + QStringLiteral(
                                "Цвет;Целых;На половинки;Всего плиток;С запасом;Площадь, кв.м.;Упаковок\n"
                                "#ffe5e5e5;81;20;101;107;1.07;3\n"
                                "Итого;81;20;101;107;1.07;3\n")
                                                                .toUtf8());
    EXPECT_TRUE(r.out.contains(QStringLiteral("Ведомость материалов\nЦвет;Целых;"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Итого;81;20;101;107;1.07;3\n")));

    const TResult unwritable = run({"fill", path, "--csv", dir.file("нет/такой/папки.csv")});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_TRUE(unwritable.err.contains(QStringLiteral("папки.csv"))) << unwritable.err.toStdString();
}

TEST(CliMaterials, BadOptionsAreNamed) {
    struct TCase {
        const char* name;
        QStringList options;
        const char* mentions;
    };
    const TCase cases[] = {
        {"waste without a value", {"--waste"}, "--waste"},
        {"negative waste", {"--waste", "-1"}, "--waste"},
        {"waste above 100 %", {"--waste", "101"}, "--waste"},
        {"waste that is no number", {"--waste", "пять"}, "--waste"},
        {"a negative pack", {"--pack", "-3"}, "--pack"},
        {"a fractional pack", {"--pack", "2.5"}, "--pack"},
        {"csv without a file", {"--csv"}, "--csv"},
    };
    for (const char* command : {"fill", "report"}) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(command) + ": " + c.name);
            const TResult r = run(QStringList{command, "a.mpp"} + c.options);
            EXPECT_EQ(r.code, 2);
            EXPECT_TRUE(r.err.contains(QLatin1String(c.mentions))) << r.err.toStdString();
        }
    }
}
