// Saving and opening a project of thousands of laid tiles while the user
// watches: how far the work has come, and an open the user stops.

#include "ProjectFileSupport.h"

#include "support/ScriptedUi.h"

#include "model/ProjectFile.h"

using namespace vk;
using namespace vk::test;

namespace {

// A 12 x 6 m site of starter pavers: some 3,600 laid tiles, several reports.
class ProjectProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTileDB(&TStarterDb::get());
        rig.load(QJsonObject{{"tile", QJsonObject{{"library", kStarterTile}}},
                             {"pattern", QJsonObject{{"library", QStringLiteral("Вперевязку")}}},
                             {"border", rect(0, 0, 12000, 6000)},
                             {"start", pt(-100, 0)}});
        rig.fill();
        ASSERT_GT(rig.project->LaidTiles().Count(), 3000);
        path = dir.file("site.mpp");
    }

    static void expectRisingTo(const TScriptedUi::Progress& p, qint64 last) {
        EXPECT_TRUE(std::is_sorted(p.reports.begin(), p.reports.end())) << p.text.toStdString();
        ASSERT_FALSE(p.reports.empty());
        EXPECT_GE(p.reports.front(), 0);
        EXPECT_EQ(p.reports.back(), last) << p.text.toStdString();
        EXPECT_TRUE(p.closed) << p.text.toStdString();
    }

    TFillRig rig;
    TTempDir dir;
    QString path;
};

} // namespace

TEST_F(ProjectProgressTest, SavingAndOpeningReportProgressTileByTileToTheEnd) {
    TScriptedUi ui;
    ASSERT_TRUE(rig.project->SaveToFile(path));
    ASSERT_EQ(ui.progresses.size(), 1u);
    const TScriptedUi::Progress& saved = ui.progresses[0];
    EXPECT_EQ(saved.text, QStringLiteral("Сохранение проекта…"));
    EXPECT_FALSE(saved.cancellable) << "a save half-written is no use";
    EXPECT_EQ(saved.total, TProjectFile::kProgressTotal);
    expectRisingTo(saved, TProjectFile::kProgressTotal);
    // Tiles in steps: not only a start and an end.
    EXPECT_GE(std::count_if(saved.reports.begin(), saved.reports.end(),
                            [](qint64 r) { return r > 0 && r < TProjectFile::kProgressTotal / 2; }),
              3);

    TProject opened;
    bool cancelled = true;
    ASSERT_TRUE(opened.LoadFromFile(path, &cancelled));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(opened.LaidTiles().Count(), rig.project->LaidTiles().Count());
    ASSERT_EQ(ui.progresses.size(), 2u);
    const TScriptedUi::Progress& read = ui.progresses[1];
    EXPECT_EQ(read.text, QStringLiteral("Открытие проекта…"));
    EXPECT_TRUE(read.cancellable);
    EXPECT_EQ(read.total, TProjectFile::kProgressTotal);
    expectRisingTo(read, TProjectFile::kProgressTotal);
    EXPECT_GE(std::count_if(read.reports.begin(), read.reports.end(),
                            [](qint64 r) {
                                return r > TProjectFile::kProgressFileRead && r < TProjectFile::kProgressTotal;
                            }),
              3);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProjectProgressTest, AnOpenStoppedByTheUserEndsThereWithoutAMessage) {
    {
        TScriptedUi quiet;
        ASSERT_TRUE(rig.project->SaveToFile(path));
    }
    // The first report comes before the file is read, the fourth among the tiles.
    const struct {
        const char* name;
        int stopAt;
        bool amongTiles;
    } cases[] = {{"while the file is read", 1, false}, {"among the laid tiles", 4, true}};
    for (const auto& c : cases) {
        TScriptedUi ui;
        ui.cancelProgressAt(c.stopAt);
        TProject opened;
        bool cancelled = false;
        EXPECT_FALSE(opened.LoadFromFile(path, &cancelled)) << c.name;
        EXPECT_TRUE(cancelled) << c.name;
        EXPECT_TRUE(ui.messages.empty()) << c.name;
        ASSERT_EQ(ui.progresses.size(), 1u) << c.name;
        const TScriptedUi::Progress& p = ui.progresses[0];
        EXPECT_TRUE(p.closed) << c.name;
        ASSERT_EQ(int(p.reports.size()), c.stopAt) << c.name << ": nothing is read after the stop";
        EXPECT_EQ(p.reports.back() > TProjectFile::kProgressFileRead, c.amongTiles) << c.name;
        EXPECT_LT(opened.LaidTiles().Count(), rig.project->LaidTiles().Count()) << c.name;
        EXPECT_TRUE(ui.allAnswersUsed()) << c.name;
    }
}
