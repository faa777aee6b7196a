// "Подобрать начальную точку" in the main window: the run, the best five,
// and the choice applied as one step of the history. With
// VORKALO_SCREENSHOTS set to a folder, the window's list is pictured there.

#include "app/MainForm.h"
#include "app/OptimizeDialog.h"
#include "model/Materials.h"
#include "model/Project.h"
#include "model/ProjectCommands.h"
#include "scene/Scene.h"
#include "support/SceneJson.h"
#include "support/ScriptedUi.h"
#include "support/WindowTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace vk;

namespace {

using test::pt;

// 200 x 100 pavers with two equal halves in running bond on a 2.05 x 1.55 m
// site, started where the top row and the row ends are cut badly.
QJsonObject scene() {
    const QJsonObject tile{{"name", "Брусчатка"},
                           {"outline", test::rect(0, 0, 200, 100)},
                           {"parts", QJsonArray{test::leftAndRightHalves(true)}}};
    return test::sceneOf(tile, test::simplePattern(QJsonArray{pt(200, 0), pt(100, 100)}, "Ложковая"),
                         test::rect(0, 0, 2050, 1550), pt(37, 61));
}

// Events until `done` holds; a run of the small scene ends in moments, and
// the bound only keeps a broken run from hanging the suite.
template <typename F>
bool processUntil(F done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class OptimizeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<TfrmMain>();
        window->resize(1000, 700);
        window->show();
        QApplication::processEvents();
        window->Action(QStringLiteral("acNewProject"))->trigger();
        ASSERT_NE(window->Project(), nullptr);
        ASSERT_TRUE(LoadScene(scene(), *window->Project()).isEmpty());
    }
    QAction* command() {
        window->UpdateActions();
        return window->Action(QStringLiteral("acOptimizeStart"));
    }
    TProject& project() { return *window->Project(); }

    test::TScriptedUi ui;
    std::unique_ptr<TfrmMain> window;
};

} // namespace

TEST_F(OptimizeWindow, ListsTheBestFiveAndAppliesTheChoiceAsOneUndoStep) {
    ASSERT_TRUE(command()->isEnabled());
    const FlaggedPoint startBefore = project().StartPoint();
    const int stepsBefore = project().History().count();
    TStartCandidate chosen;
    bool listed = false;
    test::onNextDialog<TfrmOptimize>([&](TfrmOptimize* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Подобрать начальную точку"));
        EXPECT_EQ(d->Orientations(), std::vector<float>{0.0f}) << "the current orientation only, at first";
        d->edTo->setValue(90.0);
        d->edStep->setValue(45.0);
        d->edGrid->setValue(4);
        EXPECT_EQ(d->Orientations(), (std::vector<float>{0.0f, 45.0f, 90.0f}));
        d->btnRun->click();
        EXPECT_TRUE(d->Progress->isVisible() || !d->IsRunning());
        ASSERT_TRUE(processUntil([d] { return d->Table->rowCount() > 0; }));
        EXPECT_FALSE(d->btnCancel->isVisible());
        EXPECT_EQ(d->Result().Tried, 48);
        ASSERT_EQ(d->Table->rowCount(), 5);
        EXPECT_TRUE(d->CurrentLabel->text().contains(QString::number(d->Result().Current.Tiles)));
        for (int row = 0; row < 5; ++row) {
            const TStartCandidate& c = d->Result().Top[std::size_t(row)];
            EXPECT_EQ(d->Table->item(row, 2)->text(), QString::number(c.Tiles)) << row;
            EXPECT_EQ(d->Table->item(row, 3)->text(), QString::number(c.Pieces)) << row;
        }
        EXPECT_LT(d->Result().Top.front().Tiles, d->Result().Current.Tiles) << "the scene starts badly";
        EXPECT_TRUE(d->Table->item(0, 4)->text().startsWith(QStringLiteral("плиток −")));
        const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            d->grab().save(folder + "/optimize.png");
        }
        listed = true;
        chosen = d->Result().Top[1];
        d->Table->selectRow(1);
        d->btnApply->click();
    });
    command()->trigger();
    ASSERT_TRUE(listed);

    EXPECT_EQ(project().History().count(), stepsBefore + 1);
    EXPECT_FLOAT_EQ(project().StartPoint().X, chosen.Start.X);
    EXPECT_FLOAT_EQ(project().StartPoint().Y, chosen.Start.Y);
    EXPECT_FLOAT_EQ(project().Orientation(), chosen.Orientation);
    // The site is laid anew, with the counts the list promised.
    ASSERT_TRUE(processUntil([this] { return !project().IsRunning(); }));
    EXPECT_EQ(ComputeMaterials(project(), 0.0, 0).Total.Tiles, chosen.Tiles);

    test::runAction(*window, "acUndo");
    EXPECT_FLOAT_EQ(project().StartPoint().X, startBefore.X);
    EXPECT_FLOAT_EQ(project().StartPoint().Y, startBefore.Y);
    EXPECT_FLOAT_EQ(project().Orientation(), 0.0f);
}

TEST_F(OptimizeWindow, CancelStopsTheRunAndChangesNothing) {
    const FlaggedPoint startBefore = project().StartPoint();
    const int stepsBefore = project().History().count();
    bool cancelled = false;
    test::onNextDialog<TfrmOptimize>([&](TfrmOptimize* d) {
        // Far more fills than run before the click is handled.
        d->edFrom->setValue(-360.0);
        d->edTo->setValue(360.0);
        d->edStep->setValue(1.0);
        d->edGrid->setValue(32);
        d->btnRun->click();
        ASSERT_TRUE(d->IsRunning());
        EXPECT_TRUE(d->btnCancel->isVisible());
        EXPECT_FALSE(d->btnRun->isEnabled());
        d->btnCancel->click();
        ASSERT_TRUE(processUntil([d] { return !d->btnCancel->isVisible(); }));
        EXPECT_FALSE(d->IsRunning());
        EXPECT_EQ(d->Table->rowCount(), 0);
        EXPECT_FALSE(d->btnApply->isEnabled());
        EXPECT_TRUE(d->btnRun->isEnabled());
        cancelled = true;
        d->btnClose->click();
    });
    command()->trigger();
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(project().History().count(), stepsBefore);
    EXPECT_FLOAT_EQ(project().StartPoint().X, startBefore.X);
    EXPECT_EQ(project().LaidTiles().Count(), 0);
}

TEST_F(OptimizeWindow, WaitsForASiteTileAndPatternAndAsksForAStartPoint) {
    TfrmMain empty;
    empty.UpdateActions();
    EXPECT_FALSE(empty.Action(QStringLiteral("acOptimizeStart"))->isEnabled());

    project().History().push(new TStartPointCommand(project(), project().StartPoint(), FlaggedPoint{}));
    ASSERT_TRUE(command()->isEnabled()) << "the start point is asked for when the command runs";
    command()->trigger();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Нужно задать начальную точку"));
}
