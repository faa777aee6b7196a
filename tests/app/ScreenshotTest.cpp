// Renders the windows of the program off screen. With VORKALO_SCREENSHOTS set
// to a folder, the pictures are written there to be looked at.

#include "app/About.h"
#include "app/ConfigForm.h"
#include "app/EditComment.h"
#include "app/HelpViewer.h"
#include "app/MainForm.h"
#include "app/PartsWindow.h"
#include "app/TileEditor.h"
#include "library/TileDB.h"
#include "model/PartCommands.h"
#include "model/HalvesCheck.h"
#include "model/Parts.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "model/Config.h"
#include "sheet/PlanSheet.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/GraphicPrimitive.h"
#include "model/Tile.h"
#include "sheet/EditorFactory.h"
#include "sheet/PrimEditWindow.h"
#include "sheet/SizeDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

void keep(QWidget& w, const QString& name, bool fit = true) {
    if (fit) {
        w.adjustSize();
    }
    w.show();
    QApplication::processEvents();
    const QImage picture = w.grab().toImage();
    EXPECT_FALSE(picture.isNull()) << name.toStdString();
    EXPECT_GT(picture.width(), 50);
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        picture.save(folder + "/" + name + ".png");
    }
}

// The tile editor shown with a new tile whose base point is the origin.
vk::TTile& newTileIn(vk::TfrmTileEditor& editor) {
    editor.resize(1280, 800);
    editor.show();
    QApplication::processEvents();
    editor.Action(QStringLiteral("acNewTile"))->trigger();
    vk::TTile& tile = *editor.Tile();
    tile.SetBasePoint(0, 0);
    return tile;
}

void addLine(vk::TTile& tile, vk::TPointF a, vk::TPointF b) {
    auto l = std::make_unique<vk::TLinePrimitive>(&tile);
    l->SetStart({a.X, a.Y, 1});
    l->SetFinish({b.X, b.Y, 1});
    tile.Elements().Add(std::move(l));
}

// Half a circle of radius 50 counter-clockwise from `start` about `centre`.
void addHalfCircle(vk::TTile& tile, vk::TPointF centre, vk::TPointF start) {
    auto a = std::make_unique<vk::TArcPrimitive>(&tile);
    a->SetCentre({centre.X, centre.Y, 1});
    a->SetStart({start.X, start.Y, 1});
    a->SetRadius(50);
    a->SetSweep(180);
    tile.Elements().Add(std::move(a));
}

} // namespace

TEST(Screenshots, DialogsAndMainWindow) {
    vk::TGlobalConfig config;
    config.SetDefaults();
    vk::TCfgFrm settings(config);
    keep(settings, "settings");

    vk::TSizeDialog sizes;
    sizes.SetValues(50000, 50000, 25000, 25000.5f);
    keep(sizes, "sizes");

    // A tile with an arc, for the editors and lists.
    vk::TTile tile;
    tile.SetBasePoint(0, 0);
    auto line = std::make_unique<vk::TLinePrimitive>(&tile);
    line->SetStart({0, 0, 1});
    line->SetFinish({200, 0, 1});
    tile.Elements().Add(std::move(line));
    auto arc = std::make_unique<vk::TArcPrimitive>(&tile);
    arc->SetCentre({200, 50, 1});
    arc->SetStart({200, 0, 1});
    arc->SetRadius(50);
    arc->SetSweep(180);
    tile.Elements().Add(std::move(arc));

    vk::InstallWidgetEditorFactory();
    {
        vk::TfrmPrimEdit edit;
        edit.SetElement(tile.Elements().Items(1), 1);
        tile.Elements().Items(1)->CreateEditor(edit.pnlEditorBox, 1, "мм");
        keep(edit, "primedit_arc");
        edit.reject();
    }
    vk::setEditorFactory(nullptr);

    vk::TfrmSelectTile pick(nullptr, {{1, "Брусчатка 200×100"}, {2, "Шестигранник"}}, nullptr,
                            "Выбери плитку");
    pick.PreviewCallback = [&](int, vk::TPlanSheet& sheet, vk::TTile*) {
        auto preview = std::make_unique<vk::TTile>();
        preview->Assign(tile);
        preview->LoadIntoSheet(-1, sheet);
        return std::unique_ptr<vk::T_TnC_Ancestor>(std::move(preview));
    };
    pick.show();
    pick.cbPreview->setChecked(true);
    keep(pick, "picklist", false);

    vk::TPlanSheet listSheet;
    vk::TfrmElListEditor list(nullptr, tile.Elements(), listSheet, tile, "Список графических элементов плитки");
    keep(list, "elementlist", false);

    vk::TfrmAbout about(nullptr, "1.2.3.4");
    keep(about, "about");
    vk::TfrmEditComment comment(nullptr);
    comment.SetText("Двор у дома\nс клумбой");
    keep(comment, "comment");
    vk::THelpViewer help;
    help.resize(800, 600);
    help.ShowContext(27);
    keep(help, "help27", false);
    help.ShowContents();
    keep(help, "helpindex", false);

    vk::TfrmMain main;
    main.resize(1280, 800);
    main.ProjectPlanSheet->ShowMiniDisplay();
    main.ProjectPlanSheet->ShowElementInfo();
    main.ProjectPlanSheet->SetElementInfo(QString::fromUtf8("Отрезок\nДлина: 1,50 м\nУгол: 30,00"));
    main.ProjectPlanSheet->OnPSMiniPaint = [](QPainter&) {};
    main.show();
    QApplication::processEvents();
    main.ProjectPlanSheet->CenterOn(0, 0);
    QApplication::processEvents();
    keep(main, "main", false);
}

TEST(Screenshots, TileEditorWithArcs) {
    vk::TfrmTileEditor editor;
    vk::TTile& tile = newTileIn(editor);
    // 200 x 100 with a half circle bulging out of each short side.
    addLine(tile, {-100, -50}, {100, -50});
    addHalfCircle(tile, {100, 0}, {100, -50});
    addLine(tile, {100, 50}, {-100, 50});
    addHalfCircle(tile, {-100, 0}, {-100, 50});
    editor.Action(QStringLiteral("acMinidisplay"))->setChecked(true);
    editor.UpdateInfoLabel();
    QApplication::processEvents();
    editor.PlanSheet->CenterOn(0, 0);
    editor.PlanSheet->InvalidateView();
    QApplication::processEvents();
    keep(editor, "tileeditor", false);

    const QImage exported = vk::TileBitmap(tile, *editor.PlanSheet);
    ASSERT_EQ(exported.size(), QSize(64, 64));
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        exported.save(folder + "/tileexport.bmp", "BMP");
        exported.scaled(256, 256).save(folder + "/tileexport-x4.png");
    }
}

// The halves window docked in the editor, with two parts, the current one
// with its cut line and a half outlined. The tile lives in a library of its
// own, as the halves mode needs a stored tile.
TEST(Screenshots, TileEditorHalvesWindow) {
    vk::test::TScriptedUi ui;
    vk::test::TTempDir dir;
    vk::TTileDB library(dir.file("DB"));
    vk::TfrmTileEditor editor;
    vk::TTile& tile = newTileIn(editor);
    addLine(tile, {-100, -50}, {100, -50});
    addHalfCircle(tile, {100, 0}, {100, -50});
    addLine(tile, {100, 50}, {-100, 50});
    addLine(tile, {-100, 50}, {-100, -50});
    ui.answer(vk::TAnswer::Yes);
    ui.type(QStringLiteral("Полукруглая"));
    editor.Action(QStringLiteral("acSaveTile"))->trigger();
    ASSERT_NE(tile.ID, -1);
    editor.UpdateActions();
    editor.Action(QStringLiteral("acParts"))->trigger();
    vk::TfrmParts* parts = editor.PartsWindow();
    ASSERT_NE(parts, nullptr);
    ui.type(QStringLiteral("Вдоль"));
    parts->Action(QStringLiteral("acAddPart"))->trigger();
    ui.type(QStringLiteral("Поперёк"));
    parts->Action(QStringLiteral("acAddPart"))->trigger();
    vk::TPartList& list = *editor.HalvesParts();
    vk::TPart* part = list.CurrentItem();
    auto cut = std::make_unique<vk::TLinePrimitive>(part);
    cut->SetStart({0, -120, 1});
    cut->SetFinish({0, 120, 1});
    list.History().push(new vk::TAddCutLineCommand(list, part->Handle(), std::move(cut)));
    list.History().push(new vk::TAddContourCommand(list, part->Handle(), {-150, -150}, {20, 150}));
    list.History().push(new vk::TAddContourCommand(list, part->Handle(), {-20, -150}, {200, 150}));
    parts->SelectContour(1);
    QApplication::processEvents();
    editor.PlanSheet->CenterOn(0, 0);
    editor.PlanSheet->InvalidateView();
    QApplication::processEvents();
    keep(editor, "tileeditor-halves", false);

    // The right half undone: "Проверить" shows the leftover in red, the
    // whole tile in sight.
    editor.Action(QStringLiteral("acUndo"))->trigger();
    editor.PlanSheet->SetScale(0.5);
    editor.PlanSheet->CenterOn(50, 0);
    parts->UpdateActions();
    parts->Action(QStringLiteral("acCheckHalves"))->trigger();
    ASSERT_NE(editor.HalvesCheck(), nullptr);
    EXPECT_EQ(ui.messages.back().text, QStringLiteral("Часть плитки не входит ни в одну половинку"));
    editor.PlanSheet->InvalidateView();
    QApplication::processEvents();
    keep(editor, "tileeditor-halves-check", false);
    // The parts are stored when the editor goes; the tile is no longer asked about.
    ui.answer(vk::TAnswer::No);
}
