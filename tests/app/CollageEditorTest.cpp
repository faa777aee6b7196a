// The pattern editor driven as a user drives it: its commands and menus, a
// herringbone of a 200 x 100 tile built by clicks, checked, stored and read
// back; every placement and hand point undone and redone.

#include "support/WindowTestUtil.h"
#include "app/CollageEditor.h"
#include "app/MainForm.h"
#include "app/TileEditor.h"
#include "app/WorkTile.h"
#include "sheet/FloatEdit.h"
#include "sheet/PointEditor.h"
#include "sheet/TilePlacementEditor.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/ElementList.h"
#include "geometry/GraphicPrimitive.h"
#include "library/TileDB.h"
#include "model/Collage.h"
#include "model/Config.h"
#include "model/Project.h"
#include "model/Report.h"
#include "model/Tile.h"
#include "sheet/PlanSheet.h"
#include "support/CliRun.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTableWidget>
#include <QLocale>
#include <QMenu>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace vk;

namespace {

using vk::test::onNextDialog;

// With VORKALO_SCREENSHOTS set to a folder, the window is kept there as a picture.
void keepPicture(QWidget& window, const QString& name) {
    QApplication::processEvents();
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        window.grab().save(folder + "/" + name + ".png");
    }
}

QStringList names(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions) {
        out << (a->isSeparator() ? QStringLiteral("-") : a->objectName().isEmpty() ? a->text() : a->objectName());
    }
    return out;
}

// A sheet's pointer, in world millimetres.
void click(TPlanSheet& sheet, float x, float y, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF at = sheet.Geometry().WorldToDevice(x, y);
    sheet.TrackPointer(TPlanSheet::TMouseKind::Move, at, Qt::NoButton, {Qt::NoModifier, Qt::NoButton});
    sheet.TrackPointer(TPlanSheet::TMouseKind::Down, at, button, {Qt::NoModifier, button});
    sheet.TrackPointer(TPlanSheet::TMouseKind::Up, at, button, {Qt::NoModifier, Qt::NoButton});
}

class CollageEditor : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        // Millimetres: clicks land on the millimetre, not on the decimetre.
        units = GlobalConfig().DisplayUnits;
        GlobalConfig().DisplayUnits = 1;
        library = std::make_unique<TTileDB>(dir.file("DB"));
        storeTile();
        editor = std::make_unique<TfrmCollageEditor>();
        editor->resize(1100, 800);
        editor->SetTile(*tileEditor->Tile());
        editor->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        editor.reset();
        tileEditor.reset();
        library.reset();
        GlobalConfig().DisplayUnits = units;
        QLocale::setDefault(QLocale::system());
    }

    // A 200 x 100 paver drawn in the tile editor from its lower left corner
    // and stored as "Брусчатка".
    void storeTile() {
        tileEditor = std::make_unique<TfrmTileEditor>();
        tileEditor->resize(1200, 800);
        tileEditor->show();
        QApplication::processEvents();
        tileEditor->Action(TTileAction::acNewTile)->trigger();
        TPlanSheet& sheet = *tileEditor->PlanSheet;
        sheet.SetScale(0.25);
        sheet.CenterOn(100, 50);
        sheet.RenderView();
        tileEditor->UpdateActions();
        tileEditor->Action(TTileAction::acLine)->trigger();
        const TPointF corners[] = {{0, 0}, {200, 0}, {200, 100}, {0, 100}, {0, 0}};
        for (int i = 0; i < 4; ++i) {
            click(sheet, corners[i].X, corners[i].Y);
            click(sheet, corners[i + 1].X, corners[i + 1].Y);
        }
        tileEditor->Action(TTileAction::acLine)->trigger();
        ui.answer(TAnswer::Yes);
        ui.type(QStringLiteral("Брусчатка"));
        tileEditor->Action(TTileAction::acSaveTile)->trigger();
        ASSERT_EQ(tileEditor->Tile()->Elements().Count(), 4);
        ASSERT_NE(tileEditor->Tile()->ID, -1);
    }

    TPlanSheet& sheet() { return *editor->CollagePlanSheet; }
    TCollage* pattern() { return editor->Pattern(); }
    bool enabled(const char* action) { return test::actionEnabled(*editor, action); }
    void run(const char* action) { test::runEnabledAction(*editor, action); }
    void toggle(const char* action, bool down) { test::setActionDown(*editor, action, down); }
    void newPattern() {
        run("acNewCollage");
        sheet().SetScale(0.25);
        sheet().CenterOn(0, 100);
        sheet().RenderView();
    }
    // Places a copy of the tile "as it is" at (x, y), turned by `angle`.
    void placeTile(float x, float y, float angle) {
        editor->SetPlaceAngle(angle);
        toggle("switchNewTile", true);
        click(sheet(), x, y);
        run("acNewTileEx");
    }
    void addNeighbour(float x, float y) {
        toggle("switchNewTile", false);
        toggle("switchNewCollage", true);
        click(sheet(), x, y);
    }
    // Two placements and two hand points: the 200 x 100 herringbone.
    void buildHerringbone() {
        newPattern();
        placeTile(0, 0, 0);
        placeTile(100, 100, 90);
        addNeighbour(100, 100);
        addNeighbour(-200, 200);
        toggle("switchNewCollage", false);
    }

    int units = 100;
    test::TTempDir dir;
    test::TScriptedUi ui;
    std::unique_ptr<TTileDB> library;
    std::unique_ptr<TfrmTileEditor> tileEditor;
    std::unique_ptr<TfrmCollageEditor> editor;
};

TEST_F(CollageEditor, MenusAndToolBarInTheirOrder) {
    EXPECT_EQ(names(editor->mnuCollage->actions()),
              QStringList({"acNewCollage", "acOpenCollage", "-", "acSaveCollage", "Сохранить как", "Сменить имя", "-",
                           "acDeleteCollage", "-", "acExit"}));
    const QStringList drawing = names(editor->mnuDrawing->actions());
    EXPECT_EQ(drawing.mid(0, 7),
              QStringList({"acUndo", "acRedo", "-", "acNewTile", "acTileList", "acNextList", "-"}));
    EXPECT_GT(drawing.size(), 7) << "the sheet's view items follow";
    EXPECT_EQ(names(editor->mnuHelp->actions()),
              QStringList({"acHelp", "-", "acOnLine", "acSupport", "-", "acAbout"}));
    EXPECT_EQ(names(editor->CollageToolBar->actions()),
              QStringList({"acNewCollage", "acOpenCollage", "acSaveCollage", "-", "acUndo", "acRedo", "-",
                           "switchNewTile", "acNewTile", "acNewTileEx", "acTileList", "-", "switchNewCollage",
                           "acNextList", "-", "acCheckCollage", "-", "acScaleUp", "acScaleDown", "acScale",
                           "acMinidisplay"}));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор узоров"));
}

TEST_F(CollageEditor, CommandsCarryTheirCaptionsHintsKeysAndRules) {
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        const char* key;
        bool withoutPattern;
        bool newPattern;
        bool placeMarked;
    } cases[] = {
        {"acNewCollage", "Новый", "Новый узор", "Ctrl+N", true, true, true},
        {"acOpenCollage", "Открыть", "Открыть узор", "Ctrl+O", true, true, true},
        {"acSaveCollage", "Сохранить", "Сохранить узор", "Ctrl+S", false, true, true},
        {"acDeleteCollage", "Удалить", "Удалить", "", false, true, true},
        {"switchNewTile", "Обозначить место плитки", "Обозначить место плитки", "", false, true, true},
        {"acNewTile", "Добавить плитку", "Добавить плитку", "", false, true, true},
        {"acNewTileEx", "Добавить плитку \"как есть\"", "Добавить плитку \"как есть\"", "", false, false, true},
        {"acTileList", "Список плиток в узоре", "Список плиток в узоре", "", false, true, true},
        {"switchNewCollage", "Обозначить соседний узор", "Обозначить соседний узор", "", false, true, true},
        {"acNextList", "Список соседних узоров", "Список соседних узоров", "", false, true, true},
        {"acCheckCollage", "Проверить узор", "Проверить узор", "", false, true, true},
        {"acScaleUp", "Увеличить", "Увеличить", "", true, true, true},
        {"acScale", "Масштаб", "Масштаб", "", true, true, true},
        {"acMinidisplay", "Мини-дисплей", "Мини-дисплей", "", true, true, true},
        {"acUndo", "Отменить", "Отменить", "Ctrl+Z", false, false, false},
        {"acRedo", "Повторить", "Повторить", "Ctrl+Shift+Z", false, false, false},
    };
    const auto check = [&](auto rule, const char* when) {
        for (const auto& c : cases) {
            QAction* a = editor->Action(QLatin1String(c.name));
            ASSERT_NE(a, nullptr) << c.name;
            EXPECT_EQ(a->text(), QString::fromUtf8(c.caption)) << c.name;
            EXPECT_EQ(a->toolTip(), QString::fromUtf8(c.hint)) << c.name;
            EXPECT_EQ(a->shortcut().toString(), QString(c.key)) << c.name;
            EXPECT_EQ(enabled(c.name), rule(c)) << c.name << " " << when;
        }
    };
    check([](const auto& c) { return c.withoutPattern; }, "without a pattern");
    newPattern();
    check([](const auto& c) { return c.newPattern; }, "with a new pattern");
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор узоров - Безымянный"));
    toggle("switchNewTile", true);
    click(sheet(), 50, 50);
    check([](const auto& c) { return c.placeMarked; }, "with a place marked");
}

// Marking the place wins over adding a neighbour; other buttons do nothing;
// the first mark of an empty pattern is its origin, and a pattern with a
// placement keeps its origin.
TEST_F(CollageEditor, ClickModeFollowsTheTogglesAndTheFirstMarkSetsTheOrigin) {
    newPattern();
    EXPECT_EQ(editor->ClickMode(), TfrmCollageEditor::TClickMode::Nothing);
    click(sheet(), 30, 40);
    EXPECT_FALSE(editor->MarkedPlace().isSet());
    const auto help = [this] { return editor->property("helpContext").toInt(); };
    EXPECT_EQ(help(), 5);
    toggle("switchNewCollage", true);
    EXPECT_EQ(editor->ClickMode(), TfrmCollageEditor::TClickMode::AddNeighbour);
    EXPECT_EQ(help(), 56);
    toggle("switchNewTile", true);
    EXPECT_EQ(editor->ClickMode(), TfrmCollageEditor::TClickMode::MarkPlace);
    EXPECT_EQ(help(), 55);
    click(sheet(), 30, 40, Qt::RightButton);
    EXPECT_FALSE(editor->MarkedPlace().isSet());
    click(sheet(), 30, 40);
    ASSERT_TRUE(editor->MarkedPlace().isSet());
    EXPECT_EQ(editor->MarkedPlace().point(), TPointF(0, 0));
    EXPECT_EQ(pattern()->BasePoint.point(), TPointF(30, 40));
    EXPECT_EQ(pattern()->HandPoints().Count(), 0);

    run("acNewTileEx");
    EXPECT_FALSE(editor->MarkedPlace().isSet());
    click(sheet(), 230, 40);
    EXPECT_EQ(pattern()->BasePoint.point(), TPointF(30, 40)) << "a placement keeps the origin";
    EXPECT_EQ(editor->MarkedPlace().point(), TPointF(200, 0));
    toggle("switchNewTile", false);
    click(sheet(), 130, 140);
    ASSERT_EQ(pattern()->HandPoints().Count(), 1);
    const auto* hand = dynamic_cast<const TPointPrimitive*>(pattern()->HandPoints().Items(0));
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->Point().point(), TPointF(100, 100));
}

// The tile goes with its own base point onto the marked place, turned by the
// angle; the working tile follows the angle from the unturned tile.
TEST_F(CollageEditor, TileAddedAsItIsStandsOnTheMarkedPlaceTurnedByTheAngle) {
    newPattern();
    placeTile(0, 0, 0);
    placeTile(100, 100, 90);
    ASSERT_EQ(pattern()->Elements().Count(), 2);
    const TTilePlacementPrimitive* upright = pattern()->Placement(1);
    EXPECT_EQ(upright->TilePoint().point(), TPointF(0, 0));
    EXPECT_EQ(upright->PatternPoint().point(), TPointF(100, 100));
    EXPECT_FLOAT_EQ(upright->Rotation(), 90.0f);
    EXPECT_EQ(upright->RotationFlag(), 1);
    const QRectF bounds = TElementList::BuildPath(10.0f, const_cast<TTile&>(upright->Tile()), true).Bounds();
    EXPECT_NEAR(bounds.left(), 0.0, 1e-3);
    EXPECT_NEAR(bounds.right(), 100.0, 1e-3);
    EXPECT_NEAR(bounds.top(), 100.0, 1e-3);
    EXPECT_NEAR(bounds.bottom(), 300.0, 1e-3);

    editor->SetPlaceAngle(30);
    editor->SetPlaceAngle(90);
    const QRectF work = TElementList::BuildPath(10.0f, editor->WorkTile(), true).Bounds();
    EXPECT_NEAR(work.width(), 100.0, 1e-3) << "the angle is absolute";
    EXPECT_NEAR(work.height(), 200.0, 1e-3);
    // A point of the turned working tile is kept unturned.
    editor->MarkTilePointAt(editor->WorkTile().ToWorldX(0), editor->WorkTile().ToWorldY(10));
    EXPECT_NEAR(editor->MarkedTilePoint().X, 10.0f, 1e-4);
    EXPECT_NEAR(editor->MarkedTilePoint().Y, 0.0f, 1e-4);
}

TEST_F(CollageEditor, EveryPlacementAndHandPointIsUndoneAndRedoneOneByOne) {
    buildHerringbone();
    QUndoStack& history = pattern()->History();
    ASSERT_EQ(history.count(), 4);
    EXPECT_EQ(editor->Action(TCollageAction::acUndo)->text(), QStringLiteral("Отменить: Соседний узор"));
    const struct {
        int placements;
        int hands;
        bool based;
    } states[] = {{0, 0, false}, {1, 0, true}, {2, 0, true}, {2, 1, true}, {2, 2, true}};
    for (int step = 4; step > 0; --step) {
        run("acUndo");
        EXPECT_EQ(pattern()->Elements().Count(), states[step - 1].placements) << "undone to " << step - 1;
        EXPECT_EQ(pattern()->HandPoints().Count(), states[step - 1].hands) << "undone to " << step - 1;
        EXPECT_EQ(pattern()->BasePoint.isSet(), states[step - 1].based) << "undone to " << step - 1;
    }
    EXPECT_FALSE(enabled("acUndo"));
    EXPECT_FALSE(pattern()->Modified);
    for (int step = 1; step <= 4; ++step) {
        run("acRedo");
        EXPECT_EQ(pattern()->Elements().Count(), states[step].placements) << "redone to " << step;
        EXPECT_EQ(pattern()->HandPoints().Count(), states[step].hands) << "redone to " << step;
    }
    EXPECT_EQ(editor->Action(TCollageAction::acRedo)->text(), QStringLiteral("Повторить"));
    // The placed tiles come back where they were.
    const QRectF bounds =
        TElementList::BuildPath(10.0f, const_cast<TTile&>(pattern()->Placement(1)->Tile()), true).Bounds();
    EXPECT_NEAR(bounds.bottom(), 300.0, 1e-3);
}

// The user's road: a herringbone built by clicks, checked, stored under a
// name, read back through "Открыть", then spoilt and checked again.
TEST_F(CollageEditor, HerringboneBuiltByClicksIsCheckedStoredAndOpenedAgain) {
    buildHerringbone();
    run("acCheckCollage");
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Узор покрывает плоскость без щелей и наложений"));
    ASSERT_TRUE(editor->LastCheck().has_value());
    keepPicture(*editor, QStringLiteral("pattern-editor-herringbone"));

    // The rows 20 mm too far apart: the gap is shown until the next change.
    run("acUndo");
    EXPECT_FALSE(editor->LastCheck().has_value());
    addNeighbour(-200, 220);
    run("acCheckCollage");
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("В узоре есть щели: 2000.0 кв.мм"));
    ASSERT_TRUE(editor->LastCheck().has_value());
    EXPECT_NEAR(editor->LastCheck()->Gaps.Area(), 2000.0, 1.0);
    keepPicture(*editor, QStringLiteral("pattern-editor-gap"));
    run("acUndo");
    EXPECT_FALSE(editor->LastCheck().has_value());
    addNeighbour(-200, 200);
    toggle("switchNewCollage", false);

    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Ёлочка"));
    run("acSaveCollage");
    EXPECT_TRUE(ui.allAnswersUsed());
    EXPECT_FALSE(pattern()->Modified);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор узоров - Ёлочка"));
    const std::vector<TLibraryEntry> stored = library->ListPatterns(tileEditor->Tile()->ID);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Name, QStringLiteral("Ёлочка"));

    // Read back through "Открыть": the placed tiles stand where they stood.
    onNextDialog<TfrmSelectTile>([](TfrmSelectTile* pick) {
        EXPECT_EQ(pick->windowTitle(), QStringLiteral("Выбери узор"));
        pick->btOk->click();
    });
    run("acOpenCollage");
    ASSERT_EQ(pattern()->ID, stored[0].ID);
    ASSERT_EQ(pattern()->Elements().Count(), 2);
    ASSERT_EQ(pattern()->HandPoints().Count(), 2);
    const QRectF bounds =
        TElementList::BuildPath(10.0f, const_cast<TTile&>(pattern()->Placement(1)->Tile()), true).Bounds();
    EXPECT_NEAR(bounds.left(), pattern()->BasePoint.X, 1e-3);
    EXPECT_NEAR(bounds.bottom(), pattern()->BasePoint.Y + 300.0, 1e-3);
    run("acCheckCollage");
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Узор покрывает плоскость без щелей и наложений"));
}

// "Редактор узоров" of the tile editor is for a stored tile without unsaved
// changes; it opens the pattern editor on that tile modally.
TEST_F(CollageEditor, OpenedFromTheTileEditorForAStoredUnmodifiedTile) {
    tileEditor->UpdateActions();
    QAction* open = tileEditor->Action(TTileAction::acCollageEditor);
    ASSERT_TRUE(open->isEnabled());
    bool seen = false;
    QTimer::singleShot(0, [&seen, this] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* e = qobject_cast<TfrmCollageEditor*>(w); e != nullptr && e != editor.get() && e->isVisible()) {
                seen = true;
                EXPECT_TRUE(e->isModal());
                EXPECT_EQ(e->Tile(), tileEditor->Tile());
                e->Action(TCollageAction::acExit)->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no pattern editor";
    });
    open->trigger();
    EXPECT_TRUE(seen);

    ui.type(QStringLiteral("80"));
    tileEditor->Action(TTileAction::acThickness)->trigger();
    tileEditor->UpdateActions();
    EXPECT_FALSE(open->isEnabled()) << "a modified tile";
}

// A herringbone built in the editor and stored lays, in the main window,
// what the command-line fill lays for the same tile and pattern written as
// a scene.
TEST_F(CollageEditor, HerringboneFromTheEditorFillsASiteAsTheCommandLineDoes) {
    buildHerringbone();
    run("acCheckCollage");
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Узор покрывает плоскость без щелей и наложений"));
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Ёлочка"));
    run("acSaveCollage");
    ASSERT_TRUE(ui.allAnswersUsed());
    editor->close();
    tileEditor->close();

    // The main window measures in metres, as the command line does.
    GlobalConfig().DisplayUnits = 100;
    TfrmMain window;
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();
    TPlanSheet& site = *window.ProjectPlanSheet;
    const auto mainRun = [&window](const char* action) {
        window.UpdateActions();
        window.Action(QLatin1String(action))->trigger();
    };
    const auto pickNext = [](const QString& name) {
        onNextDialog<TfrmSelectTile>([name](TfrmSelectTile* pick) {
            for (int row = 0; row < pick->dbgTiles->rowCount(); ++row) {
                if (pick->dbgTiles->item(row, 0)->text() == name) pick->dbgTiles->setCurrentCell(row, 0);
            }
            pick->btOk->click();
        });
    };
    mainRun("acNewProject");
    site.SetScale(0.1);
    site.CenterOn(1000, 700);
    site.RenderView();
    mainRun("acLine");
    const float corners[][2] = {{0, 0}, {2100, 0}, {2100, 1500}, {0, 1500}};
    for (int i = 0; i < 4; ++i) {
        click(site, corners[i][0], corners[i][1]);
        click(site, corners[(i + 1) % 4][0], corners[(i + 1) % 4][1]);
    }
    mainRun("acLine");
    mainRun("acStartPointSet");
    click(site, 300, 200);
    pickNext(QStringLiteral("Брусчатка"));
    mainRun("acSelectTile");
    pickNext(QStringLiteral("Ёлочка"));
    mainRun("acSelectCollage");
    ASSERT_NE(window.Project()->Pattern(), nullptr);
    ASSERT_EQ(window.Project()->Pattern()->Name(), QStringLiteral("Ёлочка"));
    mainRun("acFill");
    QElapsedTimer timer;
    timer.start();
    const auto done = [this] {
        for (const auto& m : ui.messages) {
            if (m.text == QStringLiteral("Заполнение плиткой закончено")) return true;
        }
        return false;
    };
    while (!done() && timer.elapsed() < 60000) {
        QApplication::processEvents();
    }
    ASSERT_TRUE(done());
    const TReport report = window.Project()->Report();
    EXPECT_GT(report.Tiles, 100);

    const QString scene = dir.file("scene.json");
    QFile file(scene);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"tile": {"outline": [ {"segment": [[0,0],[200,0]]}, {"segment": [[200,0],[200,100]]},
                                         {"segment": [[200,100],[0,100]]}, {"segment": [[0,100],[0,0]]} ]},
        "pattern": {"placements": [ {"tilePoint": [0,0], "patternPoint": [0,0], "rotation": 0},
                                    {"tilePoint": [0,0], "patternPoint": [100,100], "rotation": 90} ],
                    "handPoints": [ [100,100], [-200,200] ]},
        "border": [ {"segment": [[0,0],[2100,0]]}, {"segment": [[2100,0],[2100,1500]]},
                    {"segment": [[2100,1500],[0,1500]]}, {"segment": [[0,1500],[0,0]]} ],
        "start": [300, 200], "orientation": 0})");
    file.close();
    const test::TResult cli = test::runProgram(QStringLiteral(CLI_TOOL), {"fill", scene, "--db", dir.file("DB"), "--json"});
    ASSERT_EQ(cli.code, 0) << cli.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(cli.out.toUtf8()).object();
    EXPECT_EQ(json["tiles"].toInt(), report.Tiles);
    EXPECT_EQ(json["whole_total"].toInt(), report.WholeTotal);
    EXPECT_EQ(json["pieces_total"].toInt(), report.PiecesTotal);
}

// Types a value into a field and confirms it with Enter, as a user does.
void typeInto(TJvFloatEdit3* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// The placement dialog: with no tile point marked the tile's own base point
// goes onto the marked place and no mark is left; a marked tile point stays
// for the next copies; without a marked place nothing is added.
TEST_F(CollageEditor, PlacementDialogAddsTheTileByItsMarkedPointAndKeepsThatPoint) {
    newPattern();
    run("acNewTile");
    TfrmWorkTile* dialog = editor->WorkTileDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Добавить плитку в узор"));

    dialog->btAddTile->click();
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("На узоре не обозначено место плитки"));
    EXPECT_EQ(pattern()->Elements().Count(), 0);

    toggle("switchNewTile", true);
    click(sheet(), 0, 0);
    EXPECT_EQ(dialog->TilePlacement->PP->Point(), TPointF(0, 0));
    dialog->btAddTile->click();
    ASSERT_EQ(pattern()->Elements().Count(), 1);
    EXPECT_EQ(pattern()->Placement(0)->TilePoint().point(), TPointF(0, 0));
    EXPECT_FALSE(editor->MarkedTilePoint().isSet()) << "the base point was filled in for this copy only";
    EXPECT_FALSE(editor->MarkedPlace().isSet());

    // The point (10, 0) of the tile marked, then the orientation 90: the
    // fields show where that point now is, (0, 10) of the turned tile.
    TTile& work = editor->WorkTile();
    click(*dialog->TilePlanSheet, work.ToWorldX(10), work.ToWorldY(0));
    EXPECT_EQ(editor->MarkedTilePoint().point(), TPointF(10, 0));
    typeInto(dialog->TilePlacement->TileAngle, QStringLiteral("90"));
    EXPECT_FLOAT_EQ(editor->PlaceAngle(), 90.0f);
    const TPointF shown = dialog->TilePlacement->TP->Point();
    EXPECT_NEAR(shown.X, work.ToWorldX(0), 1e-3);
    EXPECT_NEAR(shown.Y, work.ToWorldY(10), 1e-3);

    for (const float x : {300.0f, 500.0f}) {
        click(sheet(), x, 0);
        dialog->btAddTile->click();
    }
    ASSERT_EQ(pattern()->Elements().Count(), 3);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(pattern()->Placement(i)->TilePoint().point(), TPointF(10, 0));
        EXPECT_FLOAT_EQ(pattern()->Placement(i)->Rotation(), 90.0f);
    }
    EXPECT_TRUE(editor->MarkedTilePoint().isSet()) << "a point the user chose stays marked";
    run("acUndo");
    EXPECT_EQ(pattern()->Elements().Count(), 2);

    dialog->acClearHandPoint->trigger();
    EXPECT_FALSE(editor->MarkedTilePoint().isSet());
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    run("acNewTile");
    EXPECT_TRUE(dialog->isVisible()) << "closing only hid it";
    // The tile editor's last view of the tile, at half its scale.
    ViewRecord stored;
    library->LoadView(editor->WorkTile().ID, stored);
    ASSERT_NE(stored.Scale, -1.0f);
    // Painted once, then restored.
    dialog->TilePlanSheet->RenderView();
    QApplication::processEvents();
    EXPECT_FLOAT_EQ(dialog->TilePlanSheet->Scale(), stored.Scale / 2);
    keepPicture(*dialog, QStringLiteral("placement-dialog"));
}

// A pattern with unsaved changes: Cancel at the save question keeps it (and
// "Новый" still shows the default view) and refuses closing; "Удалить"
// removes the stored pattern after its question.
TEST_F(CollageEditor, SaveQuestionKeepsThePatternAndDeleteRemovesItFromTheLibrary) {
    buildHerringbone();
    TCollage* built = pattern();
    sheet().SetScale(2);
    ui.answer(TAnswer::Cancel);
    run("acNewCollage");
    EXPECT_EQ(pattern(), built);
    EXPECT_FLOAT_EQ(sheet().Scale(), 1.0f) << "the default view all the same";
    ui.answer(TAnswer::Cancel);
    editor->close();
    EXPECT_TRUE(editor->isVisible()) << "closing refused";

    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Ёлочка"));
    run("acSaveCollage");
    ASSERT_EQ(library->ListPatterns(tileEditor->Tile()->ID).size(), 1u);
    ui.answer(TAnswer::No);
    run("acDeleteCollage");
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Удалить узор \"Ёлочка\"?"));
    EXPECT_NE(pattern(), nullptr);
    ui.answer(TAnswer::Yes);
    run("acDeleteCollage");
    EXPECT_EQ(pattern(), nullptr);
    EXPECT_TRUE(library->ListPatterns(tileEditor->Tile()->ID).empty());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор узоров"));
    EXPECT_TRUE(ui.allAnswersUsed());
    editor->close();
    EXPECT_FALSE(editor->isVisible()) << "nothing to ask without a pattern";
}

// The two element lists: each over its own list of the pattern, deletions
// there are steps of the pattern's history too.
TEST_F(CollageEditor, ElementListsDeleteHandPointsAndPlacementsUndoably) {
    buildHerringbone();
    const struct {
        const char* action;
        const char* caption;
        int before;
    } lists[] = {{"acNextList", "Список соседних узоров", 2}, {"acTileList", "Список плиток в узоре", 2}};
    for (const auto& list : lists) {
        SCOPED_TRACE(list.action);
        onNextDialog<TfrmElListEditor>([&list](TfrmElListEditor* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(list.caption));
            EXPECT_EQ(dialog->ElList->count(), list.before);
            dialog->ElList->item(0)->setSelected(true);
            dialog->DeleteSelected();
            dialog->reject();
        });
        ui.answer(TAnswer::Yes); // "Удалить?"
        run(list.action);
    }
    EXPECT_EQ(pattern()->HandPoints().Count(), 1);
    ASSERT_EQ(pattern()->Elements().Count(), 1);
    EXPECT_FLOAT_EQ(pattern()->Placement(0)->Rotation(), 90.0f) << "the first row went";
    EXPECT_TRUE(pattern()->BasePoint.isSet());
    run("acUndo");
    run("acUndo");
    EXPECT_EQ(pattern()->HandPoints().Count(), 2);
    EXPECT_EQ(pattern()->Elements().Count(), 2);
    EXPECT_TRUE(ui.allAnswersUsed());
}

} // namespace
