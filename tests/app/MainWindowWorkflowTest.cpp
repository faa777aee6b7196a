// The main window used as a person uses it: through its commands and the
// sheet's mouse, from a new project to a laid site and its report.

#include "app/MainForm.h"
#include "app/MaterialsWindow.h"
#include "app/ReportDialog.h"
#include "editors/SelectTile.h"
#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "model/Project.h"
#include "sheet/PlanSheet.h"
#include "support/CliRun.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/WindowTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <tuple>

using namespace vk;

namespace {

// A window over a library made from the starter description.
class MainWindowWorkflow : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        QFile description(QStringLiteral(STARTER_DESCRIPTION));
        ASSERT_TRUE(description.open(QIODevice::ReadOnly));
        library = std::make_unique<TTileDB>(dir.file("DB"));
        WriteStarterLibrary(ReadStarterDescription(description.readAll()), *library);
        window = std::make_unique<TfrmMain>();
        window->resize(1200, 800);
        window->show();
        QApplication::processEvents();
        sheet()->SetScale(0.05);
        sheet()->CenterOn(3000, 2000);
        sheet()->RenderView();
    }
    void TearDown() override {
        window.reset();
        library.reset();
        QLocale::setDefault(QLocale::system());
    }

    TPlanSheet* sheet() { return window->ProjectPlanSheet; }
    TProject* project() { return window->Project(); }
    void run(const char* action) { test::runAction(*window, action); }
    bool enabled(const char* action) { return test::actionEnabled(*window, action); }

    // A click of the view at a world point, as the mouse would deliver it.
    void click(float x, float y, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers keys = Qt::NoModifier) {
        const QPointF p = sheet()->Geometry().WorldToDevice(x, y);
        sheet()->TrackPointer(TPlanSheet::TMouseKind::Move, p, Qt::NoButton, {keys, Qt::NoButton});
        sheet()->TrackPointer(TPlanSheet::TMouseKind::Down, p, button, {keys, button});
        sheet()->TrackPointer(TPlanSheet::TMouseKind::Up, p, button, {keys, Qt::NoButton});
    }

    // Picks a row of the next pick list by its name.
    static void pickNext(const QString& name) {
        QTimer::singleShot(0, [name] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* pick = qobject_cast<TfrmSelectTile*>(w);
                if (pick == nullptr || !pick->isVisible()) continue;
                for (int row = 0; row < pick->dbgTiles->rowCount(); ++row) {
                    if (pick->dbgTiles->item(row, 0)->text() == name) {
                        pick->dbgTiles->setCurrentCell(row, 0);
                    }
                }
                pick->btOk->click();
                return;
            }
            ADD_FAILURE() << "no pick list";
        });
    }

    // A 6 x 4 m site whose top is a half circle, with a 1 m square hole.
    void drawSite() {
        run("acLine");
        click(0, 0);
        click(6000, 0);
        click(6000, 0);
        click(6000, 4000);
        run("acArc");
        click(3000, 4000);
        click(6000, 4000);
        click(0, 4000);
        run("acLine");
        click(0, 4000);
        click(0, 0);
        const float hole[][2] = {{2000, 1000}, {3000, 1000}, {3000, 2000}, {2000, 2000}};
        for (int i = 0; i < 4; ++i) {
            click(hole[i][0], hole[i][1]);
            click(hole[(i + 1) % 4][0], hole[(i + 1) % 4][1]);
        }
        run("acLine"); // the button up again
    }

    bool waitForFillDone(test::TScriptedUi& ui) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 60000) {
            QApplication::processEvents();
            for (const auto& m : ui.messages) {
                if (m.text == QStringLiteral("Заполнение плиткой закончено")) return true;
            }
        }
        return false;
    }

    // A 40 m square of 100 mm squares, filled one copy per step: a run that
    // stays pending while the test looks at the window.
    void startLongFill() {
        run("acNewProject");
        run("acLine");
        const float corners[][2] = {{0, 0}, {40000, 0}, {40000, 40000}, {0, 40000}};
        for (int i = 0; i < 4; ++i) {
            click(corners[i][0], corners[i][1]);
            click(corners[(i + 1) % 4][0], corners[(i + 1) % 4][1]);
        }
        run("acLine");
        run("acStartPointSet");
        click(20000, 20000);
        pickNext("Квадрат 100×100×60");
        run("acSelectTile");
        pickNext("Прямые ряды");
        run("acSelectCollage");
        project()->SetStepBudget(std::chrono::microseconds(0));
        run("acFill");
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
    }

    test::TTempDir dir;
    std::unique_ptr<TTileDB> library;
    std::unique_ptr<TfrmMain> window;
};

} // namespace

TEST_F(MainWindowWorkflow, DrawChooseFillAndReportAsTheCommandLineDoes) {
    test::TScriptedUi ui;
    run("acNewProject");
    ASSERT_NE(project(), nullptr);
    EXPECT_EQ(window->windowTitle(), QString("Vorkalo - Безымянный"));
    EXPECT_FALSE(enabled("acStartPointSet")) << "an empty border has no start point yet";
    EXPECT_FALSE(enabled("acSelectElement"));

    drawSite();
    ASSERT_EQ(project()->Elements().Count(), 8);
    EXPECT_TRUE(enabled("acStartPointSet"));
    EXPECT_TRUE(enabled("acSelectElement"));
    EXPECT_FALSE(enabled("acDelTiles"));
    EXPECT_FALSE(enabled("acMaterials")) << "nothing laid, nothing to buy";

    run("acStartPointSet");
    click(1000, 1000);
    EXPECT_FALSE(window->Action("acStartPointSet")->isChecked()) << "the tool ends after one click";
    EXPECT_TRUE(project()->StartPoint().isSet());

    pickNext("Брусчатка 200×100×60");
    run("acSelectTile");
    ASSERT_NE(project()->Tile(), nullptr);
    EXPECT_EQ(project()->Tile()->Name(), QString("Брусчатка 200×100×60"));
    sheet()->RenderView(); // the preview of the chosen tile draws without trouble
    pickNext("Вперевязку");
    run("acSelectCollage");
    ASSERT_NE(project()->Pattern(), nullptr);

    run("acFill");
    ASSERT_TRUE(waitForFillDone(ui));
    EXPECT_FALSE(project()->IsRunning());
    EXPECT_GT(project()->LaidTiles().Count(), 500);
    EXPECT_TRUE(enabled("acDelTiles"));
    const TReport report = project()->Report();

    // The same scene through the command-line tool.
    const QString scene = dir.file("scene.json");
    QFile file(scene);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"tile": {"library": "Брусчатка 200×100×60"}, "pattern": {"library": "Вперевязку"},
        "border": [ {"segment": [[0,0],[6000,0]]}, {"segment": [[6000,0],[6000,4000]]},
                    {"arc": {"centre": [3000,4000], "start": [6000,4000], "sweep": 180}},
                    {"segment": [[0,4000],[0,0]]},
                    {"segment": [[2000,1000],[3000,1000]]}, {"segment": [[3000,1000],[3000,2000]]},
                    {"segment": [[3000,2000],[2000,2000]]}, {"segment": [[2000,2000],[2000,1000]]} ],
        "start": [1000, 1000], "orientation": 0})");
    file.close();
    const test::TResult cli = test::runProgram(QStringLiteral(CLI_TOOL), {"fill", scene, "--db", dir.file("DB"), "--json"});
    ASSERT_EQ(cli.code, 0) << cli.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(cli.out.toUtf8()).object();
    EXPECT_EQ(json["tiles"].toInt(), report.Tiles);
    EXPECT_EQ(json["whole_total"].toInt(), report.WholeTotal);
    EXPECT_EQ(json["pieces_total"].toInt(), report.PiecesTotal);
    EXPECT_NEAR(json["area_m2"].toDouble(), report.AreaM2, 1e-4) << "the tool prints four decimals";
    // The materials window buys what the tool's list buys.
    ASSERT_TRUE(enabled("acMaterials"));
    int windowTiles = -1;
    int windowWithWaste = -1;
    test::onNextDialog<TfrmMaterials>([&](TfrmMaterials* materials) {
        windowTiles = materials->Materials().Total.Tiles;
        windowWithWaste = materials->Materials().Total.WithWaste;
        materials->btnClose->click();
    });
    run("acMaterials");
    const QJsonObject materials = json["materials"].toObject();
    EXPECT_EQ(windowTiles, materials["tiles"].toInt());
    EXPECT_EQ(windowWithWaste, materials["with_waste"].toInt());
    EXPECT_GT(windowTiles, 0);

    // "Сохранить" asks for a name once; "Открыть" brings the same report back.
    const QString saved = dir.file("Двор.mpp");
    ui.chooseFile(saved);
    run("acSaveProject");
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(project()->Modified);
    EXPECT_EQ(window->windowTitle(), QString("Vorkalo - Двор"));
    ui.chooseFile(saved);
    run("acOpenProject");
    ASSERT_NE(project(), nullptr);
    const TReport reopened = project()->Report();
    EXPECT_EQ(reopened.Tiles, report.Tiles);
    EXPECT_EQ(reopened.WholeTotal, report.WholeTotal);
    EXPECT_EQ(reopened.PiecesTotal, report.PiecesTotal);
    EXPECT_NEAR(reopened.AreaM2, report.AreaM2, 1e-6);
    EXPECT_FALSE(project()->Modified);
    // A file named on the command line (opened from the desktop) opens as
    // the chosen one does.
    ASSERT_TRUE(window->OpenProjectFile(saved));
    EXPECT_EQ(project()->Report().Tiles, report.Tiles);
    EXPECT_EQ(window->windowTitle(), QString("Vorkalo - Двор"));
    // Cancelling the open dialog keeps the project.
    TProject* current = project();
    ui.chooseFile(std::nullopt);
    run("acOpenProject");
    EXPECT_EQ(project(), current);

    // "Удалить все плитки?" answered No changes nothing.
    ui.answer(TAnswer::No);
    run("acDelTiles");
    EXPECT_EQ(project()->LaidTiles().Count(), report.Tiles);
    ui.answer(TAnswer::Yes);
    run("acDelTiles");
    EXPECT_EQ(project()->LaidTiles().Count(), 0);
}

// A first start showed an empty sheet and nothing to begin with.
// Both used to end in "Заполнение плиткой закончено" and nothing else: a
// border left open was closed without a word, and a start point off the
// site laid nothing.
TEST_F(MainWindowWorkflow, FillSaysWhenTheBorderIsOpenOrTheStartPointMissesTheSite) {
    test::TScriptedUi ui;
    run("acNewProject");
    ASSERT_NE(project(), nullptr);
    run("acLine");
    const float corners[][2] = {{0, 0}, {4000, 0}, {4000, 3000}, {0, 3000}};
    for (int i = 0; i < 3; ++i) {
        click(corners[i][0], corners[i][1]);
        click(corners[i + 1][0], corners[i + 1][1]);
    }
    run("acLine");
    run("acStartPointSet");
    click(2000, 1000);
    pickNext("Квадрат 100×100×60");
    run("acSelectTile");
    pickNext("Прямые ряды");
    run("acSelectCollage");
    ui.messages.clear();

    run("acFill");
    ASSERT_TRUE(waitForFillDone(ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
    EXPECT_EQ(ui.messages[0].text,
              QString("Контур участка не замкнут: концы в точках (0.00;0.00) и (0.00;3.00)"));
    EXPECT_EQ(ui.messages[1].text, QString("Заполнение плиткой закончено"));
    EXPECT_GT(project()->LaidTiles().Count(), 1000) << "filled as if closed";

    // The square closed, the start point moved well off it.
    run("acLine");
    click(0, 3000);
    click(0, 0);
    run("acLine");
    run("acStartPointSet");
    click(-2500, 1000);
    ASSERT_TRUE(project()->StartPoint().isSet());
    ASSERT_FLOAT_EQ(project()->StartPoint().X, -2500.0f);
    ui.messages.clear();
    run("acFill");
    for (int i = 0; i < 50 && project()->IsRunning(); ++i) QApplication::processEvents();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    EXPECT_FALSE(project()->IsRunning());
    EXPECT_EQ(project()->LaidTiles().Count(), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
    EXPECT_EQ(ui.messages[0].text, QString("Начальная точка лежит вне участка"));
    EXPECT_FALSE(window->FillProgressLabel->isVisible());
}

TEST_F(MainWindowWorkflow, AnEmptySheetSaysWhereToBeginUntilTheBorderIsStarted) {
    const auto hintShown = [&] {
        sheet()->RenderView();
        const QImage image = sheet()->ViewImage();
        // Dark pixels of the hint's text in the lower left corner of the view.
        int dark = 0;
        for (int y = image.height() - 30; y < image.height(); ++y) {
            for (int x = 0; x < 300; ++x) {
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return dark > 100;
    };
    EXPECT_TRUE(hintShown()) << "no project yet";
    run("acNewProject");
    EXPECT_TRUE(hintShown()) << "a new project";
    run("acLine");
    click(0, 0);
    click(6000, 0);
    EXPECT_FALSE(hintShown()) << "gone with the first element";
    run("acLine");
}

TEST_F(MainWindowWorkflow, RightClicksForgetTheElementBeingDrawn) {
    test::TScriptedUi ui;
    run("acNewProject");
    run("acLine");
    click(100, 100);
    EXPECT_TRUE(project()->BasePoint.isSet());
    click(500, 500, Qt::RightButton);
    EXPECT_FALSE(project()->BasePoint.isSet()) << "an empty border forgets its base point";
    EXPECT_FALSE(window->NewElement()->IsStarted());
    click(1000, 0);
    EXPECT_EQ(project()->BasePoint.X, 1000.0f) << "the next click sets it anew";
    click(2000, 0);
    ASSERT_EQ(project()->Elements().Count(), 1);
    // A right click after the first click of the next segment discards it.
    click(3000, 0);
    click(0, 0, Qt::RightButton);
    click(2000, 0);
    click(2000, 1000);
    ASSERT_EQ(project()->Elements().Count(), 2);
    EXPECT_EQ(project()->Elements().Items(1)->GetStartPoint(), (TPointF{2000, 0}));
    EXPECT_TRUE(project()->BasePoint.isSet()) << "a border with elements keeps its base point";
}

TEST_F(MainWindowWorkflow, ClicksSnapToHundredMillimetresAtMetresUnlessCtrl) {
    test::TScriptedUi ui;
    run("acNewProject");
    sheet()->SetUnits(100);
    sheet()->SetScale(1.0);
    sheet()->CenterOn(0, 0);
    sheet()->RenderView();
    run("acLine");
    click(1234.5f, 77);
    click(2260, -149);
    ASSERT_EQ(project()->Elements().Count(), 1);
    EXPECT_EQ(project()->Elements().Items(0)->GetStartPoint(), (TPointF{1200, 100}));
    EXPECT_EQ(project()->Elements().Items(0)->GetEndPoint(), (TPointF{2300, -100}));
    click(1234.5f, 77, Qt::LeftButton, Qt::ControlModifier);
    click(2260, -149, Qt::LeftButton, Qt::ControlModifier);
    const TPointF start = project()->Elements().Items(1)->GetStartPoint();
    EXPECT_NEAR(start.X, 1234.5f, 0.5f);
    EXPECT_NEAR(start.Y, 77.0f, 0.5f);
}

TEST_F(MainWindowWorkflow, BorderSelectionPicksDragsAndIsClearedWhenSwitchedOff) {
    test::TScriptedUi ui;
    run("acNewProject");
    run("acLine");
    click(0, 0);
    click(3000, 0);
    run("acLine");
    run("acSelectElement");
    EXPECT_EQ(window->SheetPopupMenu(), window->ElementMenu);
    EXPECT_FALSE(sheet()->RoundCoordinates);
    click(1500, 10);
    ASSERT_EQ(project()->Current(), project()->Elements().Items(0));
    run("acSelectElement");
    EXPECT_EQ(project()->Current(), nullptr) << "switching the tool off clears the selection";
    EXPECT_EQ(window->SheetPopupMenu(), nullptr);
    EXPECT_TRUE(sheet()->RoundCoordinates);
    // "Удалить" of the selected element.
    run("acSelectElement");
    click(1500, 0);
    ui.answer(TAnswer::Yes);
    run("acDeletePrimitive");
    EXPECT_EQ(project()->Elements().Count(), 0);
}

TEST_F(MainWindowWorkflow, EachToolCarriesItsHelpTopicAndTheWindowsComesBackWhenItIsOff) {
    test::TScriptedUi ui;
    run("acNewProject");
    run("acLine");
    click(0, 0);
    click(3000, 0);
    run("acLine");
    const struct {
        const char* tool;
        int context;
    } cases[] = {{"acLine", 27}, {"acArc", 27}, {"acSelectElement", 47}, {"acStartPointSet", 52}};
    for (const auto& c : cases) {
        run(c.tool);
        EXPECT_EQ(window->property("helpContext").toInt(), c.context) << c.tool;
        run(c.tool);
        EXPECT_EQ(window->property("helpContext").toInt(), 6) << c.tool;
    }
    // The start-point tool ends by itself after one click.
    run("acStartPointSet");
    click(1000, 1000);
    EXPECT_EQ(window->property("helpContext").toInt(), 6);
    EXPECT_FALSE(window->Action("acMenuStartPointSet")->isChecked());
}

TEST_F(MainWindowWorkflow, RightClickWithBorderSelectionOpensTheElementMenuOnTheElementUnderThePointer) {
    test::TScriptedUi ui;
    run("acNewProject");
    run("acLine");
    click(0, 0);
    click(3000, 0);
    click(3000, 0);
    click(3000, 2000);
    run("acLine");
    run("acSelectElement");
    QMenu* shown = nullptr;
    QTimer::singleShot(0, [&shown] {
        shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (shown != nullptr) shown->close();
    });
    // The press selects, then the view asks for its menu, as a right click does.
    click(3000, 1000, Qt::RightButton);
    QWidget* view = sheet()->FScrollBox->viewport();
    const QPoint at = sheet()->Geometry().WorldToDevice(3000, 1000).toPoint();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &request);
    EXPECT_EQ(shown, window->ElementMenu);
    EXPECT_EQ(project()->Current(), project()->Elements().Items(1));
}

TEST_F(MainWindowWorkflow, ProjectCommandsFollowTheProject) {
    test::TScriptedUi ui;
    EXPECT_FALSE(enabled("acSaveProject"));
    EXPECT_FALSE(enabled("acLine"));
    run("acNewProject");
    EXPECT_TRUE(enabled("acLine"));
    EXPECT_TRUE(enabled("acFill"));
    EXPECT_FALSE(enabled("acDelTiles"));
    EXPECT_FALSE(enabled("acPointer")) << "marking needs laid tiles";
    // "Выбрать узор" without a tile warns.
    run("acSelectCollage");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, QString("Сначала нужно выбрать плитку"));
    // The orientation is asked in degrees and shown as it is.
    ui.type(QString("400"));
    run("acOrientation");
    EXPECT_EQ(ui.inputs.back().value, QString("0.00"));
    EXPECT_EQ(ui.messages.back().kind, TMessageKind::Warning) << "beyond 360 is refused";
    // A posted step with no project is ignored.
    window->PostLayStep(12345);
    QApplication::processEvents();
}

// With VORKALO_SCREENSHOTS set to a folder, pictures of the laid site, the
// preview and the report are written there to be looked at.
TEST_F(MainWindowWorkflow, PicturesOfTheLaidSite) {
    test::TScriptedUi ui;
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    run("acNewProject");
    drawSite();
    run("acStartPointSet");
    click(1000, 1000);
    pickNext("Брусчатка 200×100×60");
    run("acSelectTile");
    pickNext("Ёлочка");
    run("acSelectCollage");
    sheet()->CenterOn(3000, 3000);
    sheet()->RenderView();
    QApplication::processEvents();
    const QImage before = window->grab().toImage();
    run("acFill");
    ASSERT_TRUE(waitForFillDone(ui));
    sheet()->RenderView();
    QApplication::processEvents();
    const QImage after = window->grab().toImage();
    EXPECT_NE(before, after);
    TReportDialog report(project()->Report());
    report.show();
    QApplication::processEvents();
    const QImage reportPicture = report.grab().toImage();
    if (!folder.isEmpty()) {
        before.save(folder + "/main_preview.png");
        after.save(folder + "/main_filled.png");
        reportPicture.save(folder + "/report.png");
    }
}

TEST_F(MainWindowWorkflow, ARunningFillShowsProgressAndCanBeCancelled) {
    test::TScriptedUi ui;
    startLongFill();
    ASSERT_TRUE(project()->IsRunning());
    for (int i = 0; i < 40; ++i) QApplication::processEvents();
    EXPECT_TRUE(window->FillCancelButton->isVisible());
    EXPECT_TRUE(window->FillProgressLabel->text().contains("уложено плиток"));
    EXPECT_FALSE(enabled("acFill") && project()->Fill()) << "a second run is refused while one is pending";
    const int laid = project()->LaidTiles().Count();
    EXPECT_GT(laid, 0);
    window->FillCancelButton->click();
    EXPECT_FALSE(project()->IsRunning());
    EXPECT_FALSE(window->FillCancelButton->isVisible());
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    EXPECT_LE(project()->LaidTiles().Count(), laid + 100) << "queued steps of the cancelled run do nothing";
    for (const auto& m : ui.messages) {
        EXPECT_NE(m.text, QString("Заполнение плиткой закончено"));
    }
    // A new project while steps may still be queued: nothing acts on it.
    ui.answer(TAnswer::No); // do not save the old one
    run("acNewProject");
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    EXPECT_EQ(project()->LaidTiles().Count(), 0);
}

TEST_F(MainWindowWorkflow, ClosingAModifiedProjectAsksFirst) {
    test::TScriptedUi ui;
    run("acNewProject");
    run("acLine");
    click(0, 0);
    click(1000, 0);
    ui.answer(TAnswer::Cancel);
    EXPECT_FALSE(window->close()) << "Cancel keeps the window";
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, QString("Сохранить изменения в проекте \"Безымянный\"?"));
    ui.answer(TAnswer::Yes);
    ui.chooseFile(std::nullopt); // the name dialog cancelled: not saved, so stay
    EXPECT_FALSE(window->close());
    ui.answer(TAnswer::No);
    EXPECT_TRUE(window->close());
}

TEST_F(MainWindowWorkflow, CommandsTheProjectRefusesAreDisabledWhileAFillRuns) {
    test::TScriptedUi ui;
    startLongFill();
    ASSERT_TRUE(project()->IsRunning());
    ASSERT_GT(project()->LaidTiles().Count(), 0);
    const char* const refused[] = {"acSelectTile", "acSelectCollage", "acOrientation", "acDelTiles", "acFill", "acFill1"};
    for (const char* name : refused) {
        EXPECT_FALSE(enabled(name)) << name;
    }
    EXPECT_TRUE(enabled("acReport")) << "what the project allows stays";
    window->FillCancelButton->click();
    ASSERT_FALSE(project()->IsRunning());
    for (const char* name : refused) {
        EXPECT_TRUE(enabled(name)) << name;
    }
}

TEST_F(MainWindowWorkflow, NewOpenOrCloseDuringAFillAskFirstAndCancelKeepsTheFill) {
    test::TScriptedUi ui;
    startLongFill();
    ASSERT_TRUE(project()->IsRunning());
    TProject* running = project();
    const QString question = QStringLiteral("Сохранить изменения в проекте \"Безымянный\"?");

    ui.answer(TAnswer::Cancel);
    run("acNewProject");
    EXPECT_EQ(project(), running);
    EXPECT_TRUE(project()->IsRunning()) << "answered Cancel, the fill goes on";
    EXPECT_EQ(ui.messages.back().text, question);

    ui.chooseFile(dir.file("other.mpp"));
    ui.answer(TAnswer::Cancel);
    run("acOpenProject");
    EXPECT_EQ(project(), running);
    EXPECT_TRUE(project()->IsRunning());

    ui.answer(TAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(project()->IsRunning());
    const int laid = project()->LaidTiles().Count();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    EXPECT_GT(project()->LaidTiles().Count(), laid) << "and it keeps laying";

    // Going on ends it: nothing of it acts on the next project.
    ui.answer(TAnswer::No);
    run("acNewProject");
    EXPECT_NE(project(), nullptr);
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    EXPECT_EQ(project()->LaidTiles().Count(), 0);
    EXPECT_FALSE(project()->IsRunning());
}

// The fill lays at a scale of its own and goes back when it ends: the
// scroll bars stay where the user left them meanwhile, and follow the view
// again afterwards, also when the project goes in the middle of a fill.
TEST_F(MainWindowWorkflow, AFillLeavesTheScrollBarsWhereTheyWere) {
    test::TScriptedUi ui;
    QScrollBar* bar = window->ProjectPlanSheet->FScrollBox->horizontalScrollBar();
    const auto state = [bar] { return std::tuple(bar->minimum(), bar->maximum(), bar->value(), bar->pageStep()); };
    run("acNewProject");
    const auto before = state();
    const float scaleBefore = window->ProjectPlanSheet->Scale();
    startLongFill();
    ASSERT_TRUE(project()->IsRunning());
    EXPECT_NE(window->ProjectPlanSheet->Scale(), scaleBefore) << "the fill's own scale";
    EXPECT_EQ(state(), before);
    window->FillCancelButton->click();
    ASSERT_FALSE(project()->IsRunning());
    EXPECT_EQ(window->ProjectPlanSheet->Scale(), scaleBefore);
    EXPECT_EQ(state(), before);

    window->ProjectPlanSheet->SetScale(scaleBefore * 4);
    EXPECT_NE(state(), before) << "the bars follow the view again";
    const QPointF centre = window->ProjectPlanSheet->GetViewCenter();
    bar->setValue(bar->value() + bar->pageStep() / 2);
    EXPECT_NE(window->ProjectPlanSheet->GetViewCenter(), centre) << "and move it";

    ui.answer(TAnswer::No); // the laid project is not saved
    startLongFill();
    ASSERT_TRUE(project()->IsRunning());
    ui.answer(TAnswer::No);
    run("acNewProject");
    const auto kept = state();
    window->ProjectPlanSheet->SetScale(window->ProjectPlanSheet->Scale() * 2);
    EXPECT_NE(state(), kept) << "a project gone mid-fill lets them go";
}
