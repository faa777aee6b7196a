// What is refused or asked before a fill starts, what a scene may hold, and
// the report as JSON.

#include "FillTestSupport.h"

#include "model/Collage.h"
#include "model/FillLimits.h"
#include "model/Tile.h"
#include "support/ScriptedUi.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include <limits>

using namespace vk;
using namespace vk::test;

namespace {

// A square site of `side` mm paved with square tiles of `tile` mm.
QJsonObject squares(double side, double tile) {
    return QJsonObject{{"tile", rectTile(tile, tile)},
                       {"pattern", simplePattern(QJsonArray{pt(tile, 0), pt(0, tile)})},
                       {"border", rect(0, 0, side, side)},
                       {"start", pt(tile / 2, tile / 2)}};
}

} // namespace

TEST(FillLimits, AFillOfMoreThanTwentyMillionTilesAsksFirstAndNoLaysNothing) {
    TScriptedUi ui;
    TFillRig rig;
    rig.load(squares(100'000, 3)); // a 3 mm tile on a 100 m site
    EXPECT_NEAR(EstimatedTileCount(*rig.project), 1e10 / 9, 1e10 / 9 * 1e-5);
    ui.answer(TAnswer::No);
    EXPECT_FALSE(rig.fill());
    ASSERT_EQ(ui.messages.size(), 1u);
    const QRegularExpressionMatch asked =
        QRegularExpression(QStringLiteral("^Будет уложено около (\\d+) плиток\\. Продолжить\\?$")).match(ui.messages[0].text);
    ASSERT_TRUE(asked.hasMatch()) << ui.messages[0].text.toStdString();
    EXPECT_NEAR(asked.captured(1).toDouble(), 1e10 / 9, 1e10 / 9 * 1e-5);
    EXPECT_EQ(ui.messages[0].buttons, TButtons::YesNo);
    EXPECT_FALSE(rig.project->IsRunning());
    EXPECT_EQ(rig.project->LaidTiles().Count(), 0);
}

TEST(FillLimits, AFillAboveTheLimitGoesOnWhenTheUserSaysYesAndBelowItIsNotAsked) {
    TScriptedUi ui;
    TFillRig rig;
    rig.load(squareScene()); // a 1 m square of 100 mm tiles
    EXPECT_NEAR(EstimatedTileCount(*rig.project), 100.0, 1e-3);
    EXPECT_TRUE(rig.fill());
    EXPECT_TRUE(ui.messages.empty()) << "a fill below the limit asks nothing";
    const int laid = rig.project->LaidTiles().Count();
    rig.project->SetTilesToAskAbove(50);
    ui.answer(TAnswer::Yes);
    EXPECT_TRUE(rig.fill());
    EXPECT_EQ(rig.project->LaidTiles().Count(), laid);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Будет уложено около 100 плиток. Продолжить?"));
    EXPECT_TRUE(ui.allAnswersUsed());
}

TEST(FillLimits, ATileSmallerThanTheRegionToleranceIsRefusedNamingTheTolerance) {
    TScriptedUi ui;
    TFillRig rig;
    const double tolerance = FillRegionTolerance(rig.project->SheetScale());
    ASSERT_GT(tolerance, 0.02);
    rig.load(squares(1000, tolerance * 0.9));
    EXPECT_FALSE(rig.fill());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("меньше допуска укладки %1 мм").arg(tolerance, 0, 'g', 3)))
        << ui.messages[0].text.toStdString();
    EXPECT_EQ(rig.project->LaidTiles().Count(), 0);
}

TEST(FillLimits, ATileWithoutAnOutlineIsRefusedNamingIt) {
    TScriptedUi ui;
    TFillRig rig;
    rig.load(squareScene());
    // As a library tile whose outline was never drawn arrives.
    auto empty = std::make_unique<TTile>();
    empty->SetName(QStringLiteral("Пустая"));
    ASSERT_TRUE(rig.project->UseTile(std::move(empty), nullptr));
    ASSERT_TRUE(rig.project->UsePattern(std::make_unique<TCollage>(rig.project->Tile())));
    ui.messages.clear();
    EXPECT_FALSE(rig.fill());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("У плитки \"Пустая\" нет контура"));
}

TEST(SceneLimits, NumbersBeyondTheModelsRangeAreRefusedNamingTheElement) {
    const auto with = [](const char* key, const QJsonValue& value) {
        QJsonObject scene = squareScene();
        scene[QLatin1String(key)] = value;
        return scene;
    };
    QJsonObject farTile = squareScene();
    farTile["tile"] = QJsonObject{{"name", "Далекая"}, {"outline", rect(0, 0, 2e9, 100)}};
    QJsonObject turned = squareScene();
    turned["pattern"] = QJsonObject{{"placements", QJsonArray{placement(0, 0, 0, 0, 2e6)}}};
    const struct {
        const char* name;
        QJsonObject scene;
        QString names;
    } cases[] = {
        {"a border point at 1e308", with("border", join({rect(0, 0, 1000, 1000), QJsonArray{segment(0, 0, 1e308, 0)}})),
         QStringLiteral("Граница участка, элемент 5")},
        {"a border point beyond 1e9", with("border", rect(0, 0, 1000, -1.5e9)), QStringLiteral("Граница участка, элемент 2")},
        {"a tile outline beyond 1e9", farTile, QStringLiteral("Контур плитки, элемент 1")},
        {"an orientation of 1e308", with("orientation", 1e308), QStringLiteral("\"orientation\"")},
        {"a start point beyond 1e9", with("start", pt(0, 1e10)), QStringLiteral("\"start\"")},
        {"a placement turned beyond 1e6 degrees", turned, QStringLiteral("Узор, плитка 1")},
        {"an arc sweep beyond 1e6 degrees", with("border", QJsonArray{arc(0, 0, 100, 0, 1e7)}),
         QStringLiteral("Граница участка, элемент 1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedUi ui;
        TProject project;
        const QString problem = LoadScene(c.scene, project);
        EXPECT_TRUE(problem.startsWith(c.names)) << problem.toStdString();
    }
    // The limits themselves are taken.
    TProject project;
    EXPECT_EQ(LoadScene(with("border", rect(-1e9, -1e9, 1e9, 1e9)), project), QString());
    TProject turnedOnce;
    EXPECT_EQ(LoadScene(with("orientation", -1e6), turnedOnce), QString());
}

TEST(SceneReport, JsonCarriesTheAreaAndPerimeterInFullAndNeverInfinity) {
    TScriptedUi ui;
    TFillRig rig;
    QJsonObject scene = squareScene();
    scene["border"] = rect(0, 0, 1000, 123.4567);
    rig.load(scene);
    const TReport report = rig.project->Report();
    const QJsonObject json = QJsonDocument::fromJson(ReportJson(report, *rig.project, false)).object();
    EXPECT_EQ(json["area_m2"].toDouble(), report.AreaM2) << "reads back as the same number";
    EXPECT_EQ(json["perimeter_m"].toDouble(), report.PerimeterM);
    EXPECT_NEAR(report.AreaM2, 0.1234567, 1e-7);
    TReport broken = report;
    broken.AreaM2 = std::numeric_limits<double>::infinity();
    broken.PerimeterM = std::numeric_limits<double>::quiet_NaN();
    const QByteArray text = ReportJson(broken, *rig.project, false);
    QJsonParseError error;
    QJsonDocument::fromJson(text, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.toStdString();
    EXPECT_FALSE(text.contains("inf") || text.contains("nan")) << text.toStdString();
}
