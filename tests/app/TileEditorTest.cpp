// The tile editor driven as a user drives it: its commands and menus, a tile
// drawn by clicks on the sheet, its thickness and comment, stored into the
// library and read back; every edit undone and redone.

#include "support/WindowTestUtil.h"
#include "app/EditComment.h"
#include "app/MainForm.h"
#include "app/PartsWindow.h"
#include "app/TileEditor.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapePath.h"
#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "model/Config.h"
#include "model/HalvesCheck.h"
#include "model/Parts.h"
#include "model/Tile.h"
#include "sheet/LinesBox.h"
#include "sheet/PlanSheet.h"
#include "support/CliRun.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QCheckBox>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <gtest/gtest.h>
#include <bit>

using namespace vk;

using vk::test::onNextDialog;
using vk::test::captions;

namespace {

// The tile as far as its history reaches, byte for byte.
struct TTileState {
    std::vector<QByteArray> Elements;
    QByteArray Base;
    std::uint32_t Thickness = 0;
    QString Comment;
    bool operator==(const TTileState&) const = default;
};

QByteArray recordOf(const TGraphicPrimitive& e) {
    QByteArray record = QByteArray::number(e.GetKind()) + ':' + QByteArray::number(e.GetVersion()) + ':' +
                        QByteArray::number(e.LineStyle) + ':';
    return record + QByteArray(reinterpret_cast<const char*>(e.Data()), e.GetDataSize());
}

TTileState stateOf(const TTile& tile) {
    TTileState s;
    for (int i = 0; i < tile.Elements().Count(); ++i) {
        s.Elements.push_back(recordOf(*tile.Elements().Items(i)));
    }
    s.Base = QByteArray(reinterpret_cast<const char*>(&tile.BasePoint), sizeof tile.BasePoint);
    s.Thickness = std::bit_cast<std::uint32_t>(tile.Thickness());
    s.Comment = tile.Comment;
    return s;
}

void expectSame(const TTileState& got, const TTileState& want, const std::string& when) {
    ASSERT_EQ(got.Elements.size(), want.Elements.size()) << when;
    for (std::size_t i = 0; i < got.Elements.size(); ++i) {
        EXPECT_EQ(got.Elements[i], want.Elements[i]) << when << ": element " << i;
    }
    EXPECT_EQ(got.Base, want.Base) << when << ": base point";
    EXPECT_EQ(got.Thickness, want.Thickness) << when << ": thickness";
    EXPECT_EQ(got.Comment, want.Comment) << when << ": comment";
}

// The parts as far as the halves' history reaches: names, interchangeability,
// cut lines and halves, byte for byte.
QStringList partsStateOf(const TPartList& parts) {
    QStringList s;
    const auto elements = [&s](const T_TnC_Ancestor& doc) {
        for (int i = 0; i < doc.Elements().Count(); ++i) {
            s << QStringLiteral("  ") + QString::fromLatin1(recordOf(*doc.Elements().Items(i)).toHex());
        }
    };
    for (int p = 0; p < parts.Count(); ++p) {
        const TPart& part = *parts.Items(p);
        s << QStringLiteral("part %1%2").arg(part.Name(), part.Equals ? QStringLiteral(" =") : QString());
        elements(part);
        for (int h = 0; h < part.Contours.Count(); ++h) {
            s << QStringLiteral(" half ") + part.Contours.Items(h)->Name();
            elements(*part.Contours.Items(h));
        }
    }
    return s;
}

class TileEditor : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        library = std::make_unique<TTileDB>(dir.file("DB"));
        editor = std::make_unique<TfrmTileEditor>();
        editor->resize(1200, 800);
        editor->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        editor.reset();
        library.reset();
        QLocale::setDefault(QLocale::system());
    }

    TPlanSheet* sheet() { return editor->PlanSheet; }
    TTile* tile() { return editor->Tile(); }
    bool enabled(const char* action) { return test::actionEnabled(*editor, action); }
    void run(const char* action) { test::runEnabledAction(*editor, action); }
    void tool(const char* action, bool down) { test::setActionDown(*editor, action, down); }
    void pointer(TPlanSheet::TMouseKind kind, float x, float y, Qt::MouseButton button, Qt::MouseButtons held) {
        sheet()->TrackPointer(kind, sheet()->Geometry().WorldToDevice(x, y), button, {Qt::NoModifier, held});
    }
    void click(float x, float y, Qt::MouseButton button = Qt::LeftButton) {
        pointer(TPlanSheet::TMouseKind::Move, x, y, Qt::NoButton, Qt::NoButton);
        pointer(TPlanSheet::TMouseKind::Down, x, y, button, button);
        pointer(TPlanSheet::TMouseKind::Up, x, y, button, Qt::NoButton);
    }
    void segment(TPointF from, TPointF to) {
        tool("acLine", true);
        click(from.X, from.Y);
        click(to.X, to.Y);
    }
    void drag(TPointF from, TPointF to) {
        tool("acSelectElement", true);
        pointer(TPlanSheet::TMouseKind::Move, from.X, from.Y, Qt::NoButton, Qt::NoButton);
        pointer(TPlanSheet::TMouseKind::Down, from.X, from.Y, Qt::LeftButton, Qt::LeftButton);
        pointer(TPlanSheet::TMouseKind::Move, to.X, to.Y, Qt::NoButton, Qt::LeftButton);
        pointer(TPlanSheet::TMouseKind::Up, to.X, to.Y, Qt::LeftButton, Qt::NoButton);
    }
    // "Новая", then a view in which the whole tile is in sight.
    void newTile() {
        run("acNewTile");
        sheet()->SetScale(0.25);
        sheet()->CenterOn(200, 100);
        sheet()->RenderView();
    }
    // Four segments and a half circle on top: 400 x 200 mm with a bulge of
    // radius 100 over the right half of the top edge.
    void drawOutline() {
        segment({0, 0}, {400, 0});
        segment({400, 0}, {400, 200});
        tool("acArc", true);
        click(300, 200);
        click(400, 200);
        click(200, 200);
        segment({200, 200}, {0, 200});
        segment({0, 200}, {0, 0});
        tool("acLine", false);
    }
    void setThickness(const QString& text) {
        ui.type(text);
        run("acThickness");
    }
    void setComment(const QString& text) {
        onNextDialog<TfrmEditComment>([text](TfrmEditComment* d) {
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Комментарий к плитке"));
            d->Memo->setPlainText(text);
            d->btnOk->click();
        });
        run("acEditComment");
    }

    test::TTempDir dir;
    test::TScriptedUi ui;
    std::unique_ptr<TTileDB> library;
    std::unique_ptr<TfrmTileEditor> editor;
};

} // namespace

TEST_F(TileEditor, MenusAndToolBarInTheirOrder) {
    QStringList bar;
    for (QAction* a : editor->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"Плитки", "Чертеж", "Помощь"}));
    EXPECT_EQ(captions(editor->mnuTiles->actions()),
              (QStringList{"Новая", "Открыть", "-", "Сохранить", "Сохранить как...", "Сменить название",
                           "Экспорт в bmp", "Импорт контура из DXF...", "-", "Удалить", "-", "Редактор узоров", "-", "Выход"}));
    EXPECT_EQ(captions(editor->mnuDrawing->actions()),
              (QStringList{"Отменить", "Повторить", "-", "Отрезок", "Дуга", "Список графических элементов",
                           "Половинки", "Толщина плитки", "Комментарий", "-", "Размеры", "Масштаб",
                           "Мини-дисплей"}));
    EXPECT_EQ(captions(editor->mnuHelp->actions()),
              (QStringList{"Справка", "-", "Vorkalo в Интернете", "Письмо в тех.поддержку", "-", "О программе..."}));
    QStringList tools;
    for (QAction* a : editor->TileToolBar->actions()) {
        if (a->isSeparator()) {
            tools << "-";
        } else if (QWidget* w = editor->TileToolBar->widgetForAction(a); w != nullptr && a->objectName().isEmpty()) {
            tools << w->objectName();
        } else {
            tools << a->objectName();
        }
    }
    EXPECT_EQ(tools, (QStringList{"acNewTile", "acOpenTile", "acSaveTile", "-", "acUndo", "acRedo", "-",
                                  "cbLineStyle", "acLine", "acArc", "acSelectElement", "acPrStatus",
                                  "acElementList", "-", "acParts", "acSelectRegion", "-", "acCollageEditor", "-",
                                  "acScaleUp", "acScaleDown", "acScale", "acMinidisplay", "-", "InfoPanel"}));
    EXPECT_EQ(captions(editor->SelectedTilePopupMenu->actions()), (QStringList{"Редактировать", "Удалить"}));
    EXPECT_EQ(editor->cbLineStyle->toolTip(), QStringLiteral("Выбрать линию для рисования"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор плиток"));
    EXPECT_EQ(editor->property("helpContext").toInt(), 4);
}

TEST_F(TileEditor, CommandsCarryTheirCaptionsHintsKeysAndRules) {
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        const char* key;
        bool withoutTile;
        bool emptyTile;
    } cases[] = {
        {"acNewTile", "Новая", "Новая плитка", "Ctrl+N", true, true},
        {"acOpenTile", "Открыть", "Открыть плитку", "Ctrl+O", true, true},
        {"acSaveTile", "Сохранить", "Сохранить", "Ctrl+S", false, true},
        {"acDeleteTile", "Удалить", "Удалить", "", false, true},
        {"acLine", "Отрезок", "Отрезок", "", false, true},
        {"acMenuArc", "Дуга", "Дуга", "", false, true},
        {"acSelectElement", "Отметить графический элемент",
         "Отметить графический элемент. При большом увеличении удерживайте Ctrl", "", false, false},
        {"acPrStatus", "Информация об элементе", "Информация об элементе", "", false, true},
        {"acElementList", "Список графических элементов", "Список графических элементов", "", false, true},
        {"acThickness", "Толщина плитки", "Толщина плитки", "", false, true},
        {"acEditComment", "Комментарий", "Комментарий", "", false, true},
        {"acEditTilePrimitive", "Редактировать", "Редактировать", "", true, true},
        {"acDeleteTilePrimitive", "Удалить", "Удалить", "", true, true},
        {"acCollageEditor", "Редактор узоров", "Редактор узоров", "", false, false},
        {"acScale", "Масштаб", "Масштаб", "", true, true},
        {"acMinidisplay", "Мини-дисплей", "Мини-дисплей", "", true, true},
        {"acUndo", "Отменить", "Отменить", "Ctrl+Z", false, false},
    };
    const auto check = [&](auto withTile, const char* when) {
        for (const auto& c : cases) {
            QAction* a = editor->Action(QLatin1String(c.name));
            ASSERT_NE(a, nullptr) << c.name;
            EXPECT_EQ(a->text(), QString::fromUtf8(c.caption)) << c.name;
            EXPECT_EQ(a->toolTip(), QString::fromUtf8(c.hint)) << c.name;
            EXPECT_EQ(a->shortcut().toString(), QString(c.key)) << c.name;
            EXPECT_EQ(enabled(c.name), withTile(c)) << c.name << " " << when;
        }
    };
    check([](const auto& c) { return c.withoutTile; }, "without a tile");
    run("acNewTile");
    check([](const auto& c) { return c.emptyTile; }, "with a new tile");
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор плиток - Безымянная"));
    EXPECT_TRUE(editor->cbLineStyle->isEnabled());
}

// The user's whole road: a new tile of four segments and an arc, a dashed
// line that does not count, thickness and comment, stored under a name and
// read back from the library as it was drawn.
TEST_F(TileEditor, TileDrawnByClicksIsStoredAndReadBackFromTheLibrary) {
    newTile();
    drawOutline();
    ASSERT_EQ(tile()->Elements().Count(), 5);
    EXPECT_EQ(tile()->Elements().Items(2)->GetKind(), pkArc);
    const QString outlineOnly = editor->InfoLabel->text();
    // 80,000 mm² of rectangle and 15,708 of half circle, less about 200 that
    // the chords tracing the arc (within 1 mm of it) cut off.
    EXPECT_EQ(outlineOnly, QStringLiteral("S=0.0955 кв.м.;  10.47 шт/кв.м.;  толщина 0.00 мм"));

    // A marking line across the tile takes no area.
    editor->cbLineStyle->setCurrentIndex(1);
    segment({200, 0}, {200, 200});
    tool("acLine", false);
    ASSERT_EQ(tile()->Elements().Count(), 6);
    EXPECT_EQ(tile()->Elements().Items(5)->LineStyle, 2);
    EXPECT_EQ(editor->InfoLabel->text(), outlineOnly);

    setThickness(QStringLiteral("60"));
    EXPECT_EQ(editor->InfoLabel->text(), QStringLiteral("S=0.0955 кв.м.;  10.47 шт/кв.м.;  толщина 60.00 мм"));
    setThickness(QStringLiteral("шестьдесят")); // not a number: ignored
    EXPECT_FLOAT_EQ(tile()->Thickness(), 60.0f);
    setComment(QStringLiteral("Волна с горбом"));
    EXPECT_TRUE(enabled("acUndo"));

    ui.answer(TAnswer::Yes);                   // "Сохранить плитку "Безымянная"?"
    ui.type(QStringLiteral("Горбатая"));       // the new tile's name
    run("acSaveTile");
    EXPECT_TRUE(ui.allAnswersUsed());
    EXPECT_FALSE(tile()->Modified);
    ASSERT_NE(tile()->ID, -1);

    const std::vector<TLibraryEntry> tiles = library->ListTiles();
    ASSERT_EQ(tiles.size(), 1u);
    EXPECT_EQ(tiles[0].Name, QStringLiteral("Горбатая"));
    EXPECT_EQ(tiles[0].ID, tile()->ID);
    TTile stored;
    ViewRecord view;
    library->LoadTile(tiles[0].ID, stored, view);
    expectSame(stateOf(stored), stateOf(*tile()), "read back");
    EXPECT_NE(view.Scale, -1.0f) << "the view is stored with the tile";

    // Closing an unmodified tile asks nothing.
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(ui.allAnswersUsed());
}

TEST_F(TileEditor, OpenedTileReplacesTheOldOneOnlyWhenTheSaveQuestionLetsIt) {
    newTile();
    drawOutline();
    setThickness(QStringLiteral("45"));
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Первая"));
    run("acSaveTile");
    const int first = tile()->ID;

    run("acNewTile");
    segment({0, 0}, {100, 0});
    tool("acLine", false);
    // "Открыть" answered Cancel at the save question keeps the drawn tile.
    onNextDialog<TfrmSelectTile>([](TfrmSelectTile* pick) {
        EXPECT_EQ(pick->windowTitle(), QStringLiteral("Выбери плитку"));
        pick->btOk->click();
    });
    ui.answer(TAnswer::Cancel);
    run("acOpenTile");
    ASSERT_EQ(tile()->ID, -1);
    EXPECT_EQ(tile()->Elements().Count(), 1);

    onNextDialog<TfrmSelectTile>([](TfrmSelectTile* pick) { pick->btOk->click(); });
    ui.answer(TAnswer::No);
    run("acOpenTile");
    EXPECT_EQ(tile()->ID, first);
    EXPECT_EQ(tile()->Elements().Count(), 5);
    EXPECT_FLOAT_EQ(tile()->Thickness(), 45.0f);
    EXPECT_FALSE(tile()->Modified);
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор плиток - Первая"));
    EXPECT_TRUE(editor->InfoLabel->text().endsWith(QStringLiteral("толщина 45.00 мм")));
    EXPECT_FALSE(enabled("acUndo")) << "an opened tile starts its own history";
    EXPECT_TRUE(ui.allAnswersUsed());
}

// A tile stored without a view of its own (the starter library's) opened
// wherever the last view was, mostly beside the drawing.
TEST_F(TileEditor, ATileStoredWithoutAViewOpensWholeInTheView) {
    QFile description(QStringLiteral(STARTER_DESCRIPTION));
    ASSERT_TRUE(description.open(QIODevice::ReadOnly));
    WriteStarterLibrary(ReadStarterDescription(description.readAll()), *library);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        onNextDialog<TfrmSelectTile>([row](TfrmSelectTile* pick) {
            pick->dbgTiles->setCurrentCell(row, 0);
            pick->btOk->click();
        });
        ui.answer(TAnswer::No);
        run("acOpenTile");
        ASSERT_GT(tile()->Elements().Count(), 0);
        TShapePath path;
        for (int i = 0; i < tile()->Elements().Count(); ++i) {
            tile()->Elements().Items(i)->AddToPath(path);
        }
        const QRectF local = path.Bounds();
        const QRectF world = local.translated(tile()->BasePoint.X, tile()->BasePoint.Y);
        const auto visible = sheet()->Geometry().VisibleRect();
        EXPECT_LE(visible.L, world.left());
        EXPECT_GE(visible.R, world.right());
        EXPECT_LE(visible.B, world.top());
        EXPECT_GE(visible.T, world.bottom());
        EXPECT_GT(world.width(), (visible.R - visible.L) / 3.0) << "large enough to work on";
    }
}

TEST_F(TileEditor, NewAnsweredCancelKeepsTheTileButShowsTheDefaultView) {
    newTile();
    segment({0, 0}, {400, 0});
    tool("acLine", false);
    TTile* before = tile();
    ui.answer(TAnswer::Cancel);
    run("acNewTile");
    EXPECT_EQ(tile(), before);
    EXPECT_EQ(tile()->Elements().Count(), 1);
    const ViewRecord view = sheet()->GetView();
    EXPECT_FLOAT_EQ(view.SizeX, 600.0f);
    EXPECT_FLOAT_EQ(view.SizeY, 600.0f);
    EXPECT_FLOAT_EQ(view.PositiveX, 300.0f);
    EXPECT_FLOAT_EQ(view.PositiveY, 300.0f);
    EXPECT_FLOAT_EQ(view.Scale, 1.0f);
    EXPECT_NEAR(view.X, 0.0f, 1.0f);
    EXPECT_NEAR(view.Y, 0.0f, 1.0f);
}

TEST_F(TileEditor, RightClickOnTheFirstElementClearsTheBasePointOnlyWhileTheTileIsEmpty) {
    newTile();
    tool("acLine", true);
    click(100, 100);
    EXPECT_TRUE(tile()->BasePoint.isSet());
    click(100, 100, Qt::RightButton);
    EXPECT_FALSE(tile()->BasePoint.isSet());
    EXPECT_FALSE(editor->NewElement()->IsStarted());

    segment({0, 0}, {400, 0});
    const FlaggedPoint base = tile()->BasePoint;
    click(400, 0);
    click(400, 0, Qt::RightButton);
    EXPECT_TRUE(tile()->BasePoint == base);
    EXPECT_EQ(tile()->Elements().Count(), 1);
}

TEST_F(TileEditor, InformationLabelOfATileWithoutAreaShowsNoTilesPerSquareMetre) {
    newTile();
    segment({0, 0}, {400, 0});
    EXPECT_EQ(editor->InfoLabel->text(), QStringLiteral("S=0.0000 кв.м.;  0.00 шт/кв.м.;  толщина 0.00 мм"));
}

TEST_F(TileEditor, CommentConfirmedUnchangedStillAsksToSaveOnClose) {
    newTile();
    segment({0, 0}, {400, 0});
    tool("acLine", false);
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Пустая"));
    run("acSaveTile");
    ASSERT_FALSE(tile()->Modified);
    setComment(tile()->Comment);
    EXPECT_TRUE(tile()->Modified);
    ui.answer(TAnswer::Cancel);
    editor->close();
    EXPECT_TRUE(editor->isVisible()) << "Cancel keeps the editor open";
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Сохранить плитку \"Пустая\"?"));
    ui.answer(TAnswer::No);
    editor->close();
    EXPECT_FALSE(editor->isVisible());
}

TEST_F(TileEditor, MarkedElementIsDeletedAfterTheQuestion) {
    newTile();
    drawOutline();
    drag({400, 100}, {400, 100}); // picks the right edge
    ASSERT_NE(tile()->Current(), nullptr);
    EXPECT_EQ(editor->SheetPopupMenu(), editor->SelectedTilePopupMenu);
    ui.answer(TAnswer::No);
    run("acDeleteTilePrimitive");
    EXPECT_EQ(tile()->Elements().Count(), 5);
    ui.answer(TAnswer::Yes);
    run("acDeleteTilePrimitive");
    EXPECT_EQ(tile()->Elements().Count(), 4);
    EXPECT_EQ(tile()->Current(), nullptr);
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Удалить?"));
    tool("acSelectElement", false);
    EXPECT_EQ(editor->SheetPopupMenu(), nullptr);
}

TEST_F(TileEditor, DeletingTheTileRemovesItFromTheLibraryAndLeavesNoTile) {
    newTile();
    drawOutline();
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Лишняя"));
    run("acSaveTile");
    ui.answer(TAnswer::Yes);
    run("acDeleteTile");
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Удалить плитку \"Лишняя\"?"));
    EXPECT_EQ(tile(), nullptr);
    EXPECT_TRUE(library->ListTiles().empty());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Редактор плиток"));
}

// Every kind of edit is one step: undone, the tile is as before it, element
// by element; redone, as after it.
TEST_F(TileEditor, EveryEditIsUndoneAndRedoneElementByElement) {
    newTile();
    const struct {
        const char* what;
        std::function<void()> edit;
    } edits[] = {
        {"first segment", [&] { segment({0, 0}, {400, 0}); }},
        {"second segment", [&] { segment({400, 0}, {400, 200}); }},
        {"arc", [&] {
             tool("acArc", true);
             click(300, 200);
             click(400, 200);
             click(200, 200);
         }},
        {"dashed segment", [&] {
             editor->cbLineStyle->setCurrentIndex(1);
             segment({200, 0}, {200, 200});
             editor->cbLineStyle->setCurrentIndex(0);
         }},
        {"thickness", [&] { setThickness(QStringLiteral("80")); }},
        {"comment", [&] { setComment(QStringLiteral("Пробная")); }},
        {"drag", [&] { drag({400, 0}, {500, 0}); }},
        {"delete", [&] {
             drag({200, 100}, {200, 100});
             ui.answer(TAnswer::Yes);
             run("acDeleteTilePrimitive");
         }},
    };
    std::vector<TTileState> states{stateOf(*tile())};
    for (const auto& e : edits) {
        e.edit();
        tool("acLine", false);
        tool("acArc", false);
        tool("acSelectElement", false);
        states.push_back(stateOf(*tile()));
        ASSERT_FALSE(states.back() == states[states.size() - 2]) << e.what << " changed nothing";
    }
    ASSERT_EQ(tile()->History().count(), int(std::size(edits)));
    for (int i = int(std::size(edits)) - 1; i >= 0; --i) {
        run("acUndo");
        expectSame(stateOf(*tile()), states[std::size_t(i)], std::string("undo of ") + edits[i].what);
    }
    EXPECT_FALSE(tile()->Modified) << "undone to the new tile";
    EXPECT_FALSE(enabled("acUndo"));
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        run("acRedo");
        expectSame(stateOf(*tile()), states[i + 1], std::string("redo of ") + edits[i].what);
    }
    EXPECT_TRUE(tile()->Modified);
    EXPECT_EQ(editor->Action(QStringLiteral("acUndo"))->text(), QStringLiteral("Отменить: Удаление элемента"));
}

TEST(TileExport, FileNameReplacesWhatFileNamesCannotHold) {
    const struct {
        const char* name;
        const char* tile;
        const char* file;
    } cases[] = {
        {"plain", "Волна 200×100", "Волна 200×100"},
        {"slash, colon and quote", "a/b:c\"d", "a_b_c\"d"},
        {"every forbidden sign", "1\\2<3>4?5*6", "1_2_3_4_5_6"},
        {"control characters", "x\ty\nz", "x_y_z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportFileName(QString::fromUtf8(c.tile)), QString::fromUtf8(c.file)) << c.name;
    }
}

// The picture, looked at pixel by pixel: the 400 x 300 outline fills the
// width and sits in the middle of the height.
TEST_F(TileEditor, ExportWritesTheOutlineAs64By64PictureOf24Bits) {
    newTile();
    drawOutline();
    const QString file = dir.file("out");
    ui.chooseFile(file);
    run("acExport");
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_EQ(ui.fileDialogs[0].filter, QStringLiteral("Точечный рисунок (*.bmp)|*.bmp"));
    EXPECT_EQ(ui.fileDialogs[0].name, QStringLiteral("Безымянная"));
    EXPECT_EQ(ui.fileDialogs[0].folder, ProjectsFolder());
    QFile bmp(file + ".bmp");
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    const QByteArray header = bmp.read(30);
    ASSERT_EQ(header.size(), 30);
    EXPECT_EQ(header.left(2), QByteArray("BM"));
    EXPECT_EQ(quint8(header[28]), 24) << "bits per pixel";
    bmp.close();
    const QImage picture(file + ".bmp");
    ASSERT_EQ(picture.size(), QSize(64, 64));
    const auto darkInRow = [&](int y) {
        for (int x = 0; x < 64; ++x) if (qGray(picture.pixel(x, y)) < 128) return true;
        return false;
    };
    const auto darkInColumn = [&](int x) {
        for (int y = 0; y < 64; ++y) if (qGray(picture.pixel(x, y)) < 128) return true;
        return false;
    };
    // Scale 63/400: 50 mm of margin above and below are 8 pixels.
    for (int y : {0, 5, 58, 63}) EXPECT_FALSE(darkInRow(y)) << "row " << y;
    EXPECT_TRUE(darkInRow(55)) << "the bottom edge";
    EXPECT_TRUE(darkInRow(24)) << "the top edge beside the arc";
    EXPECT_TRUE(darkInColumn(0));
    EXPECT_TRUE(darkInColumn(63));
    EXPECT_TRUE(darkInColumn(31)) << "the arc's left end";
}

TEST_F(TileEditor, ExportOfATileWithoutAreaWritesNothing) {
    newTile();
    segment({0, 0}, {400, 0});
    run("acExport");
    EXPECT_TRUE(ui.fileDialogs.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Плитка не имеет площади"));
}

// The halves mode as a user works it: a part with a cut line drawn past the
// outline, two halves outlined, one renamed, the part interchangeable; the
// library then holds them for the tile.
TEST_F(TileEditor, HalvesOutlinedAcrossACutLinePastTheOutlineAreStoredForTheTile) {
    newTile();
    drawOutline();
    EXPECT_FALSE(enabled("acParts")) << "a tile never stored has no parts";
    EXPECT_TRUE(enabled("acMenuParts"));
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Горбатая"));
    run("acSaveTile");
    const int tileId = tile()->ID;

    run("acParts");
    TfrmParts* parts = editor->PartsWindow();
    ASSERT_NE(parts, nullptr);
    EXPECT_TRUE(parts->isVisible());
    EXPECT_EQ(parts->windowTitle(), QStringLiteral("Половинки"));
    EXPECT_TRUE(editor->TileToolBar->actions().contains(editor->Action(QStringLiteral("acPartElements"))));
    EXPECT_FALSE(editor->TileToolBar->actions().contains(editor->Action(QStringLiteral("acElementList"))));
    EXPECT_FALSE(enabled("acLine")) << "no part is current";
    EXPECT_FALSE(enabled("acSelectRegion"));

    ui.type(QStringLiteral("Поперёк"));
    parts->Action(QStringLiteral("acAddPart"))->trigger();
    ASSERT_EQ(parts->lbParts->count(), 1);
    TPart* part = editor->HalvesParts()->CurrentItem();
    ASSERT_NE(part, nullptr);
    ui.type(QStringLiteral("поперёк"));
    parts->Action(QStringLiteral("acAddPart"))->trigger();
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Набор половинок \"поперёк\" уже существует"));
    EXPECT_EQ(parts->lbParts->count(), 1);

    // A dashed row in the box does not make cut lines dashed.
    editor->cbLineStyle->setCurrentIndex(1);
    tool("acLine", true);
    EXPECT_EQ(editor->property("helpContext").toInt(), 53) << "drawing cut lines";
    segment({200, -100}, {200, 400});
    tool("acLine", false);
    ASSERT_EQ(part->Elements().Count(), 1);
    EXPECT_EQ(part->Elements().Items(0)->LineStyle, 0);
    EXPECT_EQ(tile()->Elements().Count(), 5) << "the cut line is the part's, not the tile's";
    EXPECT_TRUE(tile()->Modified);
    run("acUndo");
    EXPECT_EQ(part->Elements().Count(), 0);
    run("acRedo");
    ASSERT_EQ(part->Elements().Count(), 1);

    const auto outline = [&](TPointF from, TPointF to) {
        tool("acSelectRegion", true);
        pointer(TPlanSheet::TMouseKind::Down, from.X, from.Y, Qt::LeftButton, Qt::LeftButton);
        pointer(TPlanSheet::TMouseKind::Move, to.X, to.Y, Qt::NoButton, Qt::LeftButton);
        pointer(TPlanSheet::TMouseKind::Up, to.X, to.Y, Qt::LeftButton, Qt::NoButton);
    };
    tool("acSelectRegion", true);
    EXPECT_EQ(editor->property("helpContext").toInt(), 54) << "outlining a half";
    outline({-100, -100}, {300, 300});
    EXPECT_FALSE(editor->Action(QStringLiteral("acSelectRegion"))->isChecked()) << "one half per rectangle";
    outline({100, -100}, {500, 400});
    ASSERT_EQ(parts->lbContours->count(), 2);
    ASSERT_EQ(part->Contours.Count(), 2);
    parts->SelectContour(1);
    ui.type(QStringLiteral("Правая"));
    parts->Action(QStringLiteral("acEditContour"))->trigger();
    EXPECT_EQ(parts->lbContours->item(1)->text(), QStringLiteral("Правая"));
    parts->cbEquals->click();
    EXPECT_TRUE(part->Equals);

    run("acParts"); // up: the mode ends and the parts are stored
    EXPECT_EQ(editor->PartsWindow(), nullptr);
    EXPECT_EQ(editor->HalvesParts(), nullptr);
    EXPECT_TRUE(editor->TileToolBar->actions().contains(editor->Action(QStringLiteral("acElementList"))));

    TTile stored;
    ViewRecord view;
    library->LoadTile(tileId, stored, view);
    TPartList read;
    library->LoadParts(tileId, read);
    read.AttachToTile(&stored);
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.Items(0)->Name(), QStringLiteral("Поперёк"));
    EXPECT_TRUE(read.Items(0)->Equals);
    EXPECT_EQ(read.Items(0)->Elements().Count(), 1);
    ASSERT_EQ(read.Items(0)->Contours.Count(), 2);
    EXPECT_EQ(read.Items(0)->Contours.Items(0)->Name(), QStringLiteral("Безымянная"));
    EXPECT_EQ(read.Items(0)->Contours.Items(1)->Name(), QStringLiteral("Правая"));
    // The left half is the 200 x 200 square, the right one the rest with the arc.
    const QRectF left = read.Items(0)->Contours.Items(0)->Path.Bounds();
    const QRectF right = read.Items(0)->Contours.Items(1)->Path.Bounds();
    EXPECT_NEAR(left.left(), 0.0, 1.0);
    EXPECT_NEAR(left.right(), 200.0, 1.0);
    EXPECT_NEAR(left.height(), 200.0, 1.0);
    EXPECT_NEAR(right.left(), 200.0, 1.0);
    EXPECT_NEAR(right.right(), 400.0, 1.0);
    EXPECT_NEAR(right.height(), 300.0, 1.0);

    // Counted by halves from now on, the left one named: the halves mode
    // again over the stored part.
    run("acParts");
    parts = editor->PartsWindow();
    ASSERT_NE(parts, nullptr);
    parts->SelectPart(0);
    EXPECT_TRUE(parts->cbEquals->isChecked());
    parts->cbEquals->click();
    parts->SelectContour(0);
    ui.type(QStringLiteral("Левая"));
    parts->Action(QStringLiteral("acEditContour"))->trigger();
    run("acParts");
    TPartList again;
    library->LoadParts(tileId, again);
    ASSERT_EQ(again.Count(), 1);
    EXPECT_FALSE(again.Items(0)->Equals);

    // The command-line fill of a scene naming the stored tile: a small site
    // inside the left half cuts one tile, which is that half.
    const QString scene = dir.file("scene.json");
    QFile file(scene);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"tile": {"library": "горбатая"},
        "pattern": {"name": "Один", "placements": [{"tilePoint": [0,0], "patternPoint": [0,0], "rotation": 0}],
                    "handPoints": [[400,0], [0,300]]},
        "border": [ {"segment": [[1,1],[199,1]]}, {"segment": [[199,1],[199,199]]},
                    {"segment": [[199,199],[1,199]]}, {"segment": [[1,199],[1,1]]} ],
        "start": [0, 0], "orientation": 0})");
    file.close();
    const test::TResult cli = test::runProgram(QStringLiteral(CLI_TOOL), {"fill", scene, "--db", dir.file("DB"), "--json", "--tiles"});
    ASSERT_EQ(cli.code, 0) << cli.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(cli.out.toUtf8()).object();
    EXPECT_EQ(json["tiles"].toInt(), 1);
    EXPECT_EQ(json["pieces_total"].toInt(), 1);
    const QJsonArray laid = json["laid"].toArray();
    ASSERT_EQ(laid.size(), 1);
    EXPECT_EQ(laid[0].toObject()["part"].toString(), QStringLiteral("Поперёк"));
    EXPECT_EQ(laid[0].toObject()["half"].toString(), QStringLiteral("Левая"));
    const QJsonArray colours = json["colours"].toArray();
    ASSERT_EQ(colours.size(), 1);
    const QJsonArray counted = colours[0].toObject()["parts"].toArray();
    ASSERT_EQ(counted.size(), 1);
    EXPECT_EQ(counted[0].toObject()["name"].toString(), QStringLiteral("Поперёк"));
    QStringList halves;
    for (const QJsonValue& h : counted[0].toObject()["halves"].toArray()) {
        halves << QStringLiteral("%1 %2").arg(h.toObject()["name"].toString()).arg(h.toObject()["count"].toInt());
    }
    EXPECT_EQ(halves.join(u'|').toStdString(), "Левая 1");
}

// Every edit of the halves mode is one step of one history: undone, the
// parts are as before it; redone, as after it. A part deleted and put back
// by an undo is still found by the steps made in it before.
TEST_F(TileEditor, EveryHalvesEditIsUndoneAndRedoneInOneHistory) {
    newTile();
    drawOutline();
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Горбатая"));
    run("acSaveTile");
    run("acParts");
    TfrmParts* parts = editor->PartsWindow();
    ASSERT_NE(parts, nullptr);
    EXPECT_FALSE(enabled("acUndo")) << "the halves start a history of their own";
    const auto partAction = [&](const char* name) {
        parts->UpdateActions();
        QAction* a = parts->Action(QLatin1String(name));
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    };
    const auto outline = [&](TPointF from, TPointF to) {
        tool("acSelectRegion", true);
        pointer(TPlanSheet::TMouseKind::Down, from.X, from.Y, Qt::LeftButton, Qt::LeftButton);
        pointer(TPlanSheet::TMouseKind::Up, to.X, to.Y, Qt::LeftButton, Qt::NoButton);
    };
    const struct {
        const char* what;
        std::function<void()> edit;
    } edits[] = {
        {"add a part", [&] { ui.type(QStringLiteral("Поперёк")); partAction("acAddPart"); }},
        {"cut line", [&] { segment({200, -100}, {200, 400}); }},
        {"outline the left half", [&] { outline({-100, -100}, {300, 300}); }},
        {"outline the right half", [&] { outline({100, -100}, {500, 400}); }},
        {"rename a half", [&] {
             parts->SelectContour(1);
             ui.type(QStringLiteral("Правая"));
             partAction("acEditContour");
         }},
        {"interchangeable", [&] { parts->cbEquals->click(); }},
        {"drag the cut line", [&] { drag({200, 100}, {300, 100}); }},
        {"rename the part", [&] { ui.type(QStringLiteral("Вдоль")); partAction("acEditPart"); }},
        {"add a second part", [&] { ui.type(QStringLiteral("Наискось")); partAction("acAddPart"); }},
        {"cut line of the second part", [&] { segment({0, 0}, {400, 200}); }},
        {"another cut line of the second part", [&] { segment({0, 200}, {400, 0}); }},
        {"delete a cut line in the element list", [&] {
             tool("acLine", false);
             ui.answer(TAnswer::Yes);
             onNextDialog<TfrmElListEditor>([](TfrmElListEditor* d) {
                 EXPECT_EQ(d->windowTitle(), QStringLiteral("Список разделительных линий половинок"));
                 d->ElList->item(0)->setSelected(true);
                 d->acDelete->click();
                 d->reject();
             });
             run("acPartElements");
         }},
        {"delete a half", [&] {
             parts->SelectPart(0);
             parts->SelectContour(0);
             ui.answer(TAnswer::Yes);
             partAction("acDelContour");
         }},
        {"delete the first part", [&] {
             parts->SelectPart(0);
             ui.answer(TAnswer::Yes);
             partAction("acDelPart");
         }},
    };
    std::vector<QStringList> states{partsStateOf(*editor->HalvesParts())};
    for (const auto& e : edits) {
        e.edit();
        tool("acLine", false);
        tool("acSelectElement", false);
        states.push_back(partsStateOf(*editor->HalvesParts()));
        ASSERT_NE(states.back().join(u'\n').toStdString(), states[states.size() - 2].join(u'\n').toStdString())
            << e.what << " changed nothing";
    }
    EXPECT_TRUE(ui.allAnswersUsed());
    ASSERT_EQ(editor->HalvesParts()->History().count(), int(std::size(edits)));
    for (int i = int(std::size(edits)) - 1; i >= 0; --i) {
        run("acUndo");
        EXPECT_EQ(partsStateOf(*editor->HalvesParts()).join(u'\n').toStdString(),
                  states[std::size_t(i)].join(u'\n').toStdString())
            << "undo of " << edits[i].what;
        EXPECT_EQ(parts->lbParts->count(), editor->HalvesParts()->Count()) << "undo of " << edits[i].what;
    }
    EXPECT_FALSE(enabled("acUndo"));
    EXPECT_EQ(tile()->Elements().Count(), 5) << "the tile's own history is not walked";
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        run("acRedo");
        EXPECT_EQ(partsStateOf(*editor->HalvesParts()).join(u'\n').toStdString(),
                  states[i + 1].join(u'\n').toStdString())
            << "redo of " << edits[i].what;
    }
    EXPECT_EQ(editor->Action(QStringLiteral("acUndo"))->text(), QStringLiteral("Отменить: Удаление набора половинок"));
    const QStringList shown{parts->lbParts->item(0)->text()};
    EXPECT_EQ(shown, QStringList{QStringLiteral("Наискось")});

    // Undone once more, the part comes back with its halves in the window.
    run("acUndo");
    ASSERT_EQ(parts->lbParts->count(), 2);
    EXPECT_EQ(parts->lbParts->currentRow(), 0);
    EXPECT_EQ(parts->lbParts->item(0)->text(), QStringLiteral("Вдоль"));
    EXPECT_EQ(parts->lbContours->count(), 1);
    EXPECT_TRUE(parts->cbEquals->isChecked());
}

// "Проверить" tells how the current part's halves cover the tile and shows
// the leftover and the overlaps until the next change.
TEST_F(TileEditor, HalvesCheckTellsAndShowsWhatIsLeftOverUntilTheNextChange) {
    newTile();
    drawOutline();
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Проверяемая"));
    run("acSaveTile");
    run("acParts");
    TfrmParts* parts = editor->PartsWindow();
    ASSERT_NE(parts, nullptr);
    QAction* check = parts->Action(QStringLiteral("acCheckHalves"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), QStringLiteral("Проверить"));
    parts->UpdateActions();
    EXPECT_FALSE(check->isEnabled()) << "no part is current";
    ui.type(QStringLiteral("Поперёк"));
    parts->Action(QStringLiteral("acAddPart"))->trigger();
    segment({200, -100}, {200, 400});
    tool("acLine", false);
    const auto outline = [&](TPointF from, TPointF to) {
        tool("acSelectRegion", true);
        pointer(TPlanSheet::TMouseKind::Down, from.X, from.Y, Qt::LeftButton, Qt::LeftButton);
        pointer(TPlanSheet::TMouseKind::Up, to.X, to.Y, Qt::LeftButton, Qt::NoButton);
    };
    const auto runCheck = [&] {
        parts->UpdateActions();
        EXPECT_TRUE(check->isEnabled());
        check->trigger();
        return ui.messages.back().text;
    };
    const QString leftover = QStringLiteral("Часть плитки не входит ни в одну половинку");
    const QString overlap = QStringLiteral("Половинки перекрываются");
    const QString exact = QStringLiteral("Половинки покрывают плитку без наложений");

    outline({-100, -100}, {300, 300}); // the left half only
    EXPECT_EQ(runCheck(), leftover);
    ASSERT_NE(editor->HalvesCheck(), nullptr) << "the leftover is shown";
    EXPECT_NEAR(editor->HalvesCheck()->Leftover.Bounds().left(), 200.0, 1.0);
    outline({100, -100}, {500, 400}); // the right half
    EXPECT_EQ(editor->HalvesCheck(), nullptr) << "a change takes the picture away";
    EXPECT_EQ(runCheck(), exact);
    EXPECT_EQ(ui.messages.back().kind, TMessageKind::Information);
    outline({-100, -100}, {300, 300}); // the left half once more
    EXPECT_EQ(runCheck(), overlap);
    run("acUndo");
    EXPECT_EQ(editor->HalvesCheck(), nullptr) << "an undo is a change too";
    run("acUndo"); // the left half only
    ASSERT_EQ(editor->HalvesParts()->CurrentItem()->Contours.Count(), 1);
    EXPECT_EQ(runCheck(), leftover);
    // The left half twice: the right one left over, the left one overlapping.
    outline({-100, -100}, {300, 300});
    EXPECT_EQ(runCheck(), leftover + QLatin1Char('\n') + overlap);
    EXPECT_EQ(ui.messages.back().kind, TMessageKind::Warning);
    EXPECT_TRUE(ui.allAnswersUsed());
}

TEST_F(TileEditor, DeletingTheLastHalfAndTheOnlyPartLeavesNothingCurrent) {
    newTile();
    drawOutline();
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Квадратная"));
    run("acSaveTile");
    run("acParts");
    TfrmParts* parts = editor->PartsWindow();
    ASSERT_NE(parts, nullptr);
    ui.type(QStringLiteral("Целиком"));
    parts->Action(QStringLiteral("acAddPart"))->trigger();
    tool("acSelectRegion", true);
    pointer(TPlanSheet::TMouseKind::Down, -100, -100, Qt::LeftButton, Qt::LeftButton);
    pointer(TPlanSheet::TMouseKind::Up, 500, 400, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(parts->lbContours->count(), 1);

    parts->SelectContour(0);
    parts->UpdateActions();
    ASSERT_TRUE(parts->Action(QStringLiteral("acDelContour"))->isEnabled());
    ui.answer(TAnswer::Yes);
    parts->Action(QStringLiteral("acDelContour"))->trigger();
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Удалить половинку \"Безымянная\"?"));
    EXPECT_EQ(parts->lbContours->count(), 0);
    EXPECT_EQ(editor->HalvesParts()->CurrentItem()->Contours.Count(), 0);
    parts->UpdateActions();
    EXPECT_FALSE(parts->Action(QStringLiteral("acDelContour"))->isEnabled());

    ui.answer(TAnswer::Yes);
    parts->Action(QStringLiteral("acDelPart"))->trigger();
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Удалить набор половинок \"Целиком\"?"));
    EXPECT_EQ(parts->lbParts->count(), 0);
    EXPECT_EQ(editor->HalvesParts()->CurrentItem(), nullptr);
    EXPECT_FALSE(enabled("acLine"));
    EXPECT_FALSE(enabled("acSelectRegion"));
}

// The editor closed with the halves window open stores the parts first.
TEST_F(TileEditor, ClosingInTheHalvesModeStoresTheParts) {
    newTile();
    drawOutline();
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Закрываемая"));
    run("acSaveTile");
    const int tileId = tile()->ID;
    run("acParts");
    ui.type(QStringLiteral("Вдоль"));
    editor->PartsWindow()->Action(QStringLiteral("acAddPart"))->trigger();
    editor->close();
    EXPECT_FALSE(editor->isVisible());
    TPartList read;
    library->LoadParts(tileId, read);
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.Items(0)->Name(), QStringLiteral("Вдоль"));
    EXPECT_TRUE(ui.allAnswersUsed());
}

// "Новая" in the halves mode: the parts go to the tile they were loaded
// for, and the mode ends with that tile.
TEST_F(TileEditor, NewTileInTheHalvesModeStoresThePartsForTheOldTile) {
    newTile();
    drawOutline();
    ui.answer(TAnswer::Yes);
    ui.type(QStringLiteral("Старая"));
    run("acSaveTile");
    const int oldId = tile()->ID;
    run("acParts");
    ui.type(QStringLiteral("Наискось"));
    editor->PartsWindow()->Action(QStringLiteral("acAddPart"))->trigger();
    segment({0, 0}, {400, 200});
    tool("acLine", false);
    ui.answer(TAnswer::No); // the cut line made the tile modified
    run("acNewTile");
    EXPECT_EQ(editor->PartsWindow(), nullptr);
    EXPECT_FALSE(editor->Action(QStringLiteral("acParts"))->isChecked());
    EXPECT_EQ(tile()->ID, -1);
    TPartList read;
    library->LoadParts(oldId, read);
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.Items(0)->Name(), QStringLiteral("Наискось"));
    EXPECT_EQ(read.Items(0)->Elements().Count(), 1);
    EXPECT_TRUE(ui.allAnswersUsed());
}

// "Редактор плиток" of the main window opens the editor modally and comes
// back once it has closed.
TEST(TileEditorFromMainWindow, OpensModallyAndReturnsWhenClosed) {
    test::TScriptedUi ui;
    TfrmMain main;
    main.show();
    bool seen = false;
    QTimer::singleShot(0, [&seen] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* e = qobject_cast<TfrmTileEditor*>(w); e != nullptr && e->isVisible()) {
                seen = true;
                EXPECT_TRUE(e->isModal());
                EXPECT_EQ(captions(e->mnuHelp->actions()).first(), QStringLiteral("Справка"));
                e->Action(QStringLiteral("acExit"))->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no tile editor";
    });
    main.UpdateActions();
    main.Action(QStringLiteral("acTileEditor"))->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(ui.messages.empty());
}
