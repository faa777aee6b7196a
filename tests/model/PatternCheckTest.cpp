// The check of a pattern for gaps and overlaps: every pattern of the starter
// library covers the plane, and a herringbone whose second hand point is too
// long or too short shows a gap or an overlap of the right area.

#include "FillTestSupport.h"
#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/PatternCheck.h"
#include "model/Tile.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vk::test {
namespace {

double tileTolerance() { return double(GlobalConfig().TileLinkTolerance); }

// A 200 x 100 herringbone: the second copy turned upright, the stairs
// repeated along (100, 100) and the rows along `row`.
TPatternCheck herringbone(QJsonArray row) {
    const QJsonObject pattern{{"name", "Ёлочка"},
                              {"placements", QJsonArray{placement(0, 0, 0, 0, 0), placement(0, 0, 100, 100, 90)}},
                              {"handPoints", QJsonArray{pt(100, 100), row}}};
    TFillRig rig;
    rig.load(QJsonObject{{"tile", rectTile(200, 100)},
                         {"pattern", pattern},
                         {"border", rect(0, 0, 1000, 1000)},
                         {"start", pt(0, 0)}});
    EXPECT_NE(rig.project->Pattern(), nullptr);
    return CheckPattern(*rig.project->Pattern(), tileTolerance());
}

TEST(PatternCheck, HerringboneRowsTooFarApartLeaveAGapAndTooCloseOverlap) {
    const struct {
        const char* name;
        QJsonArray row;
        double gap;
        double overlap;
    } cases[] = {
        {"rows in place", pt(-200, 200), 0, 0},
        // The rows' stairs open by 20 mm under each 100 mm step.
        {"rows 20 mm too far", pt(-200, 220), 2000, 0},
        {"rows 20 mm too close", pt(-200, 180), 0, 2000},
        {"rows 30 mm too far sideways", pt(-230, 200), 3000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TPatternCheck check = herringbone(c.row);
        ASSERT_TRUE(check.Periodic);
        EXPECT_GE(check.RepeatsAlongA, 3);
        EXPECT_GE(check.RepeatsAlongB, 3);
        EXPECT_NEAR(check.GapArea, c.gap, 1.0);
        EXPECT_NEAR(check.OverlapArea, c.overlap, 1.0);
        EXPECT_EQ(check.Covers(), c.gap == 0 && c.overlap == 0);
    }
    EXPECT_EQ(herringbone(pt(-200, 200)).Message(), QStringLiteral("Узор покрывает плоскость без щелей и наложений"));
    EXPECT_EQ(herringbone(pt(-200, 220)).Message(), QStringLiteral("В узоре есть щели: 2000.0 кв.мм"));
    EXPECT_EQ(herringbone(pt(-200, 180)).Message(), QStringLiteral("В узоре есть наложения: 2000.0 кв.мм"));
}

TEST(PatternCheck, HandPointsInOneDirectionLeaveGapsEverywhere) {
    const TPatternCheck check = herringbone(pt(200, 200));
    EXPECT_FALSE(check.Periodic);
    EXPECT_FALSE(check.Covers());
    EXPECT_TRUE(check.Message().startsWith(QStringLiteral("В узоре есть щели")));
}

TEST(PatternCheck, EveryStarterPatternCoversThePlane) {
    QFile file(QStringLiteral(STARTER_DESCRIPTION));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const TStarterDescription description = ReadStarterDescription(file.readAll());
    TTempDir temp;
    TScriptedUi ui;
    TTileDB db(temp.file(QStringLiteral("DB")));
    WriteStarterLibrary(description, db);
    int patterns = 0;
    for (const TLibraryEntry& tileEntry : db.ListTiles()) {
        TTile tile;
        ViewRecord view;
        ASSERT_TRUE(tile.LoadFromLibrary(tileEntry.ID, view));
        for (const TLibraryEntry& entry : db.ListPatterns(tile.ID)) {
            SCOPED_TRACE((tileEntry.Name + QStringLiteral(": ") + entry.Name).toStdString());
            TCollage pattern(&tile);
            ASSERT_TRUE(pattern.LoadFromLibrary(entry.ID, view));
            const TPatternCheck check = CheckPattern(pattern, tileTolerance());
            EXPECT_TRUE(check.Covers()) << check.Message().toStdString();
            ++patterns;
        }
    }
    EXPECT_GE(patterns, 6);
}

} // namespace
} // namespace vk::test
