// The main window's work on laid tiles: the tile-marking tool's mouse, the
// commands on marks, colours and textures, and the halves check.

#include "app/MainForm.h"
#include "app/ReportDialog.h"
#include "model/Config.h"
#include "model/LaidTiles.h"
#include "model/Project.h"
#include "scene/Scene.h"
#include "sheet/PlanSheet.h"
#include "support/SceneJson.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/WindowTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QTimer>
#include <QUndoStack>
#include <set>
#include <gtest/gtest.h>

using namespace vk;

namespace {

using TBase = std::pair<float, float>;

using test::pt;
using test::rect;

// 100 x 100 tiles from (0, 0): ten to a row, `rows` rows.
QJsonObject gridScene(int rows = 2) {
    return test::sceneOf(QJsonObject{{"name", "Плитка"}, {"outline", rect(0, 0, 100, 100)}},
                         test::simplePattern(QJsonArray{pt(100, 0), pt(0, 100)}), rect(0, 0, 1000, 100.0 * rows),
                         pt(0, 0));
}

// 200 x 100 pavers halved across, the site from `left` to 1000 wide: the
// left column is cut at `left`, the right one in its middle.
QJsonObject halvedScene(double left) {
    QJsonObject scene = gridScene();
    scene["tile"] = QJsonObject{
        {"name", "Брусок"}, {"outline", rect(0, 0, 200, 100)}, {"parts", QJsonArray{test::leftAndRightHalves(false)}}};
    QJsonObject pattern = scene["pattern"].toObject();
    pattern["handPoints"] = QJsonArray{pt(200, 0), pt(0, 100)};
    scene["pattern"] = pattern;
    scene["border"] = rect(left, 0, 1000, 1000);
    scene["start"] = pt(-100, 0);
    return scene;
}

// A small picture in `dir` to pick as a texture.
QString texturePicture(const test::TTempDir& dir) {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString file = dir.file("stone.png");
    EXPECT_TRUE(picture.save(file));
    return file;
}

// Public: the tables of cases drive it through a reference.
class MarkingWindow : public ::testing::Test {
public:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        window = std::make_unique<TfrmMain>();
        window->resize(1200, 800);
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        if (window->Project() != nullptr) {
            window->Project()->SetModified(false);
        }
        window.reset();
        QLocale::setDefault(QLocale::system());
    }

    TPlanSheet* sheet() { return window->ProjectPlanSheet; }
    TProject& project() { return *window->Project(); }
    void run(const char* action) { test::runAction(*window, action); }
    bool enabled(const char* action) { return test::actionEnabled(*window, action); }
    // Runs posted steps until the project's run has ended.
    void settle() {
        for (int i = 0; i < 10000 && project().IsRunning(); ++i) {
            QApplication::processEvents();
        }
        QApplication::processEvents();
    }
    // A new project laid with `scene`, shown whole; the messages so far are forgotten.
    // The project is as saved, so that what follows alone decides whether it is modified.
    void laid(const QJsonObject& scene) {
        if (window->Project() != nullptr) {
            project().SetModified(false);
        }
        run("acNewProject");
        const QString problem = LoadScene(scene, project());
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        run("acFill");
        settle();
        ASSERT_GT(project().LaidTiles().Count(), 0);
        sheet()->SetScale(0.2);
        sheet()->CenterOn(500, 100);
        sheet()->RenderView();
        QApplication::processEvents();
        ui.messages.clear();
        project().SetModified(false);
    }

    void mouse(TPlanSheet::TMouseKind kind, TPointF at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers keys = Qt::NoModifier) {
        sheet()->TrackPointer(kind, sheet()->Geometry().WorldToDevice(at.X, at.Y), button, {keys, held});
    }
    void press(TPointF at, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        mouse(TPlanSheet::TMouseKind::Move, at, Qt::NoButton, Qt::NoButton, keys);
        mouse(TPlanSheet::TMouseKind::Down, at, Qt::LeftButton, Qt::LeftButton, keys);
    }
    void drag(TPointF to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        mouse(TPlanSheet::TMouseKind::Move, to, Qt::NoButton, Qt::LeftButton, keys);
    }
    void release(TPointF at, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        mouse(TPlanSheet::TMouseKind::Up, at, Qt::LeftButton, Qt::NoButton, keys);
    }

    std::set<TBase> marked() {
        std::set<TBase> bases;
        for (const TTileContainer* tile : project().MarkedTiles()) {
            bases.insert({tile->BasePointKey().X, tile->BasePointKey().Y});
        }
        return bases;
    }

    test::TScriptedUi ui;
    std::unique_ptr<TfrmMain> window;
};

} // namespace

TEST_F(MarkingWindow, TheMarkingToolsMouse) {
    struct Case {
        const char* name;
        std::set<TBase> before;
        std::function<void(MarkingWindow&)> gesture;
        std::set<TBase> after;
    };
    const auto row = [](std::initializer_list<float> xs, float y) {
        std::set<TBase> bases;
        for (float x : xs) bases.insert({x, y});
        return bases;
    };
    const auto both = [&](std::initializer_list<float> xs) {
        std::set<TBase> bases = row(xs, 0);
        bases.merge(row(xs, 100));
        return bases;
    };
    const Case cases[] = {
        {"a click marks the tile under it", {}, [](MarkingWindow& t) {
             t.press({350, 50});
             t.release({350, 50});
         }, row({300}, 0)},
        // The rectangle of two equal corners would touch the tile again.
        {"releasing at the press point marks nothing by rectangle", row({300}, 0), [](MarkingWindow& t) {
             t.press({350, 50});
             t.release({350, 50});
         }, {}},
        {"a drag marks every tile the rectangle touches", {}, [](MarkingWindow& t) {
             t.press({150, 50});
             t.drag({300, 100});
             t.drag({450, 150});
             t.release({450, 150});
         }, both({100, 200, 300, 400})},
        {"with Shift only the tiles inside the rectangle", {}, [](MarkingWindow& t) {
             t.press({150, -50});
             t.drag({450, 250});
             t.release({450, 250}, Qt::ShiftModifier);
         }, both({200, 300})},
        {"moving with Shift paints marks", {}, [](MarkingWindow& t) {
             for (float x : {50.0f, 150.0f, 250.0f}) {
                 t.mouse(TPlanSheet::TMouseKind::Move, {x, 150}, Qt::NoButton, Qt::NoButton, Qt::ShiftModifier);
             }
         }, row({0, 100, 200}, 100)},
        {"the right button marks nothing", {}, [](MarkingWindow& t) {
             t.mouse(TPlanSheet::TMouseKind::Down, {350, 50}, Qt::RightButton, Qt::RightButton);
             t.mouse(TPlanSheet::TMouseKind::Up, {550, 150}, Qt::RightButton, Qt::NoButton);
         }, {}},
    };
    laid(gridScene());
    run("acPointer");
    ASSERT_TRUE(window->Action(TMainAction::acMenuPointer)->isChecked()) << "the menu item follows the button";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        project().ClearMarks();
        project().ClearSelectRect();
        for (const auto& [x, y] : c.before) {
            project().LaidTiles().SetMarked(*project().TileAt({x, y}), true);
        }
        const int steps = project().History().count();
        c.gesture(*this);
        EXPECT_EQ(marked(), c.after);
        EXPECT_EQ(project().History().count(), steps + (c.after == c.before ? 0 : 1)) << "one gesture, one step";
    }
    EXPECT_FALSE(project().IsModified()) << "marks alone leave the project as saved";
    // Raised, the tool lets go of the mouse.
    run("acPointer");
    press({750, 50});
    release({750, 50});
    EXPECT_TRUE(project().TileAt({750, 50})->Marked() == false);
}

TEST_F(MarkingWindow, TheToolsMenuOffersTheColourCommands) {
    laid(gridScene());
    run("acMenuPointer");
    ASSERT_TRUE(window->Action(TMainAction::acPointer)->isChecked());
    EXPECT_EQ(window->SheetPopupMenu(), window->ColourMenu);
    QStringList names;
    for (QAction* a : window->ColourMenu->actions()) names << a->objectName();
    EXPECT_EQ(names, (QStringList{"acMultiplySelection", "acSetColor", "acClearSelection"}));
}

TEST_F(MarkingWindow, CommandsAreEnabledByTheirRules) {
    struct State {
        const char* name;
        std::function<void(MarkingWindow&)> make;
        std::set<QString> enabled;
    };
    const std::set<QString> commands{"acPointer",     "acMenuPointer",   "acFixSel",        "acMultiplySelection",
                                     "acSetColor",    "acClearSelection", "acAssignTexture", "acDropTexture",
                                     "acCheckParts"};
    const State states[] = {
        {"no project", [](MarkingWindow&) {}, {}},
        {"a project without tiles", [](MarkingWindow& t) { t.run("acNewProject"); },
         {"acAssignTexture", "acCheckParts"}},
        {"laid tiles", [](MarkingWindow& t) { t.laid(gridScene()); },
         {"acPointer", "acMenuPointer", "acAssignTexture", "acCheckParts"}},
        {"marked tiles",
         [](MarkingWindow& t) {
             t.laid(gridScene());
             t.project().ToggleTileMark({50, 50});
         },
         {"acPointer", "acMenuPointer", "acFixSel", "acMultiplySelection", "acSetColor", "acClearSelection",
          "acAssignTexture", "acCheckParts"}},
        {"a texture",
         [](MarkingWindow& t) {
             t.laid(gridScene());
             QImage picture(8, 8, QImage::Format_RGB32);
             picture.fill(Qt::darkYellow);
             t.project().SetTexture(std::make_unique<QBrush>(picture));
         },
         {"acPointer", "acMenuPointer", "acAssignTexture", "acDropTexture", "acCheckParts"}},
    };
    for (const State& s : states) {
        SCOPED_TRACE(s.name);
        window = std::make_unique<TfrmMain>();
        s.make(*this);
        for (const QString& command : commands) {
            EXPECT_EQ(enabled(command.toLatin1().constData()), s.enabled.count(command) == 1) << command.toStdString();
        }
        if (window->Project() != nullptr) window->Project()->SetModified(false);
    }
}

TEST_F(MarkingWindow, ChangeColourOffersTheDefaultColourAndRecolours) {
    laid(gridScene());
    QStringList offered;
    std::optional<QRgb> answer = qRgb(200, 40, 40);
    window->ChooseColor = [&](const QString& custom) {
        offered << custom;
        return answer;
    };
    project().ToggleTileMark({50, 50});
    project().ToggleTileMark({150, 50});
    run("acSetColor");
    EXPECT_EQ(offered, QStringList{"ColorA=E5E5E5"});
    const TTileList& tiles = project().LaidTiles();
    EXPECT_EQ(tiles.Color(*project().TileAt({50, 50})), 0xFFC82828u);
    EXPECT_EQ(tiles.Color(*project().TileAt({150, 50})), 0xFFC82828u);
    EXPECT_EQ(tiles.Color(*project().TileAt({250, 50})), DefaultTileColor);
    EXPECT_TRUE(project().IsModified());
    // Cancelled, nothing changes.
    answer.reset();
    project().ClearMarks();
    project().ToggleTileMark({250, 50});
    run("acSetColor");
    EXPECT_EQ(tiles.Color(*project().TileAt({250, 50})), DefaultTileColor);
    EXPECT_EQ(tiles.ColorGroups().Count(), 2);
}

TEST_F(MarkingWindow, MultiplyRunsInStepsAndKeepsTheFillAway) {
    laid(gridScene());
    project().ToggleTileMark({350, 50});
    project().ToggleTileMark({550, 50});
    run("acMultiplySelection");
    ASSERT_TRUE(project().IsMultiplying());
    EXPECT_TRUE(window->FillProgressLabel->text().startsWith(QStringLiteral("Размножение выделения")));
    EXPECT_FALSE(enabled("acFill"));
    EXPECT_FALSE(enabled("acFill1"));
    settle();
    EXPECT_EQ(marked(), (std::set<TBase>{{100, 0}, {300, 0}, {500, 0}, {700, 0}, {900, 0}}));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Размножение выделения закончено"));
    EXPECT_TRUE(enabled("acFill"));
    // Undone in one step, as it was done.
    run("acUndo");
    EXPECT_EQ(marked(), (std::set<TBase>{{300, 0}, {500, 0}}));
}

TEST_F(MarkingWindow, TextureIsPickedFromTheTexturesFolderAndDropped) {
    laid(gridScene());
    test::TTempDir dir;
    const QString file = texturePicture(dir);
    ASSERT_TRUE(QFile::exists(file));
    ui.chooseFile(file);
    run("acAssignTexture");
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(QDir(ui.fileDialogs.front().folder), QDir(TexturesFolder()));
    EXPECT_TRUE(ui.fileDialogs.front().filter.endsWith("|All files (*.*)|*.*"));
    ASSERT_NE(project().TextureBrush(), nullptr);
    EXPECT_TRUE(ui.messages.empty()) << "the site is laid: no warning";
    run("acDropTexture");
    EXPECT_EQ(project().TextureBrush(), nullptr);
    // Cancelled, nothing is set.
    ui.chooseFile(std::nullopt);
    run("acAssignTexture");
    EXPECT_EQ(project().TextureBrush(), nullptr);
}

TEST_F(MarkingWindow, TextureBeforeAnySiteWarnsAndStaysSet) {
    run("acNewProject");
    test::TTempDir dir;
    const QString file = texturePicture(dir);
    ASSERT_TRUE(QFile::exists(file));
    ui.chooseFile(file);
    run("acAssignTexture");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.front().kind, TMessageKind::Warning);
    EXPECT_EQ(ui.messages.front().text, QStringLiteral("Чтобы показалась выбранная текстура,\r\nнужно нарисовать участок и "
                                                       "\r\nзаполнить его плитками"));
    EXPECT_NE(project().TextureBrush(), nullptr);
    EXPECT_TRUE(project().IsModified());
}

TEST_F(MarkingWindow, HalvesCheckCountsAndHatchesTheUnmatchedCuts) {
    struct Case {
        const char* name;
        double left;
        QString message;
        int hatched;
    };
    const Case cases[] = {
        {"every piece a half", 0, "Все обрезки совпали с половинками", 0},
        {"pieces across the cut line on the left", -50, "Обрезков без подходящей половинки: 10", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        laid(halvedScene(c.left));
        QAction* check = window->Action(TMainAction::acCheckParts);
        ASSERT_TRUE(check->isCheckable());
        run("acCheckParts");
        ASSERT_TRUE(check->isChecked());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages.front().kind, TMessageKind::Information);
        EXPECT_EQ(ui.messages.front().text, c.message);
        EXPECT_EQ(window->HatchedTileCount(), c.hatched);
        run("acCheckParts");
        EXPECT_EQ(window->HatchedTileCount(), 0);
        EXPECT_EQ(ui.messages.size(), 1u) << "raising the button says nothing";
        project().SetModified(false);
    }
}

// With VORKALO_SCREENSHOTS set to a folder, pictures of marking, a repeated
// marking, a recoloured region with its report and the halves check are
// written there to be looked at.
TEST_F(MarkingWindow, PicturesOfMarkingColoursAndTheHalvesCheck) {
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    const auto keep = [&](QWidget& w, const QString& name) {
        QApplication::processEvents();
        const QImage picture = w.grab().toImage();
        EXPECT_FALSE(picture.isNull());
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            picture.save(folder + "/" + name + ".png");
        }
    };
    laid(gridScene(6));
    sheet()->SetScale(0.2);
    sheet()->CenterOn(500, 300);
    sheet()->RenderView();
    run("acPointer");
    for (float x : {50.0f, 150.0f}) {
        mouse(TPlanSheet::TMouseKind::Move, {x, 550}, Qt::NoButton, Qt::NoButton, Qt::ShiftModifier);
    }
    project().ToggleTileMark({350, 450});
    project().RememberMarkedTiles();
    press({620, 80});
    QApplication::processEvents(); // the press's repaint, before the rubber band is drawn over it
    drag({880, 260});
    keep(*window, "marking");
    release({880, 260});
    project().ClearMarks();

    project().ToggleTileMark({50, 50});
    project().ToggleTileMark({250, 150});
    project().ToggleTileMark({450, 50});
    sheet()->RenderView();
    keep(*window, "multiply_before");
    run("acMultiplySelection");
    settle();
    sheet()->RenderView();
    keep(*window, "multiply_after");

    window->ChooseColor = [](const QString&) { return std::optional<QRgb>(qRgb(190, 70, 50)); };
    run("acSetColor");
    project().ClearMarks();
    sheet()->RenderView();
    keep(*window, "recoloured");
    TReportDialog report(project().Report());
    report.show();
    keep(report, "recoloured_report");
    report.close();

    laid(halvedScene(-50));
    sheet()->SetScale(0.12);
    sheet()->CenterOn(450, 500);
    sheet()->RenderView();
    run("acCheckParts");
    sheet()->RenderView();
    keep(*window, "halves_check");
    run("acCheckParts");

    // The right column's pieces and the pavers beside them, recoloured.
    project().SetSelectCorner(850, -10);
    project().SetSelectCorner(1010, 1010);
    project().MarkTilesInRect(false);
    run("acSetColor");
    project().ClearMarks();
    sheet()->RenderView();
    keep(*window, "recoloured_halves");
    TReportDialog halvesReport(project().Report());
    halvesReport.show();
    keep(halvesReport, "recoloured_halves_report");
}
