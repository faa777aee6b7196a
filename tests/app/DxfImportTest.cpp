// Importing DXF drawings: the dialog, the main window's site border and the
// tile editor's outline, each one step of the history.

#include "app/DxfImportDialog.h"
#include "app/MainForm.h"
#include "app/TileEditor.h"
#include "geometry/ElementList.h"
#include "library/TileDB.h"
#include "model/Project.h"
#include "model/Tile.h"
#include "sheet/PlanSheet.h"
#include "support/DxfFixture.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/WindowTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QUndoStack>
#include <cmath>
#include <gtest/gtest.h>

using namespace vk;
using test::onNextDialog;
using test::TDxfWriter;

namespace {

void keep(QWidget& w, const QString& name) {
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        w.grab().toImage().save(folder + "/" + name + ".png");
    }
}

// A yard in metres: a 12.5 x 8 m closed outline with a round bed of 1 m
// radius and a square well of 1 m, an open axis line, a note.
void writeYard(const QString& path) {
    test::WriteDxf(path, 6, {}, [](TDxfWriter& d) {
        d.polyline("Граница", {{0, 0, 0}, {12.5, 0, 0}, {12.5, 8, 0.4}, {0, 8, 0}}, true);
        d.circle("Клумбы", 4, 4, 1);
        d.rect("Клумбы", 8, 3, 9, 4);
        d.polyline("Оси", {{0, -1, 0}, {12.5, -1, 0}}, false);
        d.text("Надписи", 1, 1, "Двор");
    });
}

QStringList checked(const TfrmDxfImport& dialog) {
    QStringList names;
    for (int i = 0; i < dialog.Layers->count(); ++i) {
        if (dialog.Layers->item(i)->checkState() == Qt::Checked) names << dialog.Layers->item(i)->text();
    }
    return names;
}

class DxfImport : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    test::TTempDir dir;
    test::TScriptedUi ui;
};

} // namespace

TEST_F(DxfImport, DialogOffersClosedLayersTheFileUnitTheSizeAndTheSkippedCount) {
    const QString path = dir.file("yard.dxf");
    writeYard(path);
    const TDxfDrawing drawing = TDxfDrawing::Read(path);
    ASSERT_TRUE(drawing.Error().isEmpty());
    TfrmDxfImport dialog(drawing, true);
    EXPECT_EQ(checked(dialog), (QStringList{"Граница (1)", "Клумбы (5)"})) << "the open axis is not ticked";
    EXPECT_EQ(dialog.Layers->count(), 3);
    EXPECT_EQ(dialog.Units->currentText(), QStringLiteral("м"));
    // The top edge bulges 2.5 m above the 8 m sides.
    EXPECT_EQ(dialog.Size->text(), QStringLiteral("12.50 x 10.50 м"));
    EXPECT_EQ(dialog.Skipped->text(), QStringLiteral("Пропущено элементов: 1"));
    EXPECT_TRUE(dialog.Replace->isChecked());
    EXPECT_EQ(dialog.Add->text(), QStringLiteral("Добавить к участку"));
    dialog.show();
    QApplication::processEvents();
    keep(dialog, "dxf-import-dialog");

    dialog.Units->setCurrentIndex(dialog.Units->findText(QStringLiteral("дюйм")));
    EXPECT_EQ(dialog.Size->text(), QStringLiteral("0.32 x 0.27 м"));
    for (int i = 0; i < dialog.Layers->count(); ++i) dialog.Layers->item(i)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dialog.Buttons->button(QDialogButtonBox::Ok)->isEnabled()) << "nothing to import";

    // Without a unit in the file, millimetres; the tile editor asks no mode.
    const QString plain = dir.file("plain.dxf");
    test::WriteDxf(plain, 0, {}, [](TDxfWriter& d) { d.rect("0", 0, 0, 300, 200); });
    const TDxfDrawing tile = TDxfDrawing::Read(plain);
    TfrmDxfImport tileDialog(tile, false);
    EXPECT_EQ(tileDialog.Units->currentText(), QStringLiteral("мм"));
    EXPECT_EQ(tileDialog.Replace, nullptr);
}

TEST_F(DxfImport, MainWindowReplacesOrExtendsTheBorderAsOneStepAndShowsItWhole) {
    TfrmMain window;
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();
    window.Action(QStringLiteral("acNewProject"))->trigger();
    const QString path = dir.file("yard.dxf");
    writeYard(path);
    ASSERT_EQ(test::captions(window.mnuProjects->actions()).filter(QStringLiteral("DXF")),
              QStringList{QStringLiteral("Импорт участка из DXF...")});

    const auto import = [&](bool replace) {
        ui.chooseFile(path);
        onNextDialog<TfrmDxfImport>([replace](TfrmDxfImport* d) {
            (replace ? d->Replace : d->Add)->setChecked(true);
            d->Buttons->button(QDialogButtonBox::Ok)->click();
        });
        window.UpdateActions();
        window.Action(QStringLiteral("acImportDxf"))->trigger();
    };
    ASSERT_NE(window.Project(), nullptr);
    TProject& project = *window.Project();
    // Something drawn before, to be replaced.
    auto old = std::make_unique<TLinePrimitive>(&project);
    old->SetStart({-50000, 0, 1});
    old->SetFinish({-40000, 0, 1});
    project.Elements().Add(std::move(old));
    const int stepsBefore = project.History().count();

    import(true);
    EXPECT_EQ(project.History().count(), stepsBefore + 1) << "one step";
    EXPECT_EQ(project.Elements().Count(), 4 + 1 + 4) << "the old segment gone; the axis not ticked";
    const TReport report = project.Report();
    // The outline's top edge bulges out by a bulge of 0.4 over 12.5 m; the
    // bed and the well are holes.
    const double sweep = 4 * std::atan(0.4);
    const double radius = 12.5 / (2 * std::sin(sweep / 2));
    const double segment = radius * radius / 2 * (sweep - std::sin(sweep));
    EXPECT_NEAR(report.AreaM2, 100 + segment - M_PI - 1, 0.02);
    // The view shows the whole border.
    const QRectF view(window.ProjectPlanSheet->Geometry().DeviceToWorld(0, 0),
                      window.ProjectPlanSheet->Geometry().DeviceToWorld(
                          window.ProjectPlanSheet->width(), window.ProjectPlanSheet->height()));
    const QRectF seen = view.normalized();
    EXPECT_TRUE(seen.contains(QPointF(0, 0)) && seen.contains(QPointF(12500, 8000 + 1500))) << seen.x() << " "
                                                                                          << seen.width();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    keep(window, "dxf-imported-site");

    import(false);
    EXPECT_EQ(project.Elements().Count(), 18) << "added to what was there";
    project.History().undo();
    project.History().undo();
    EXPECT_EQ(project.Elements().Count(), 1) << "each import undone in one step";
}

TEST_F(DxfImport, RefusedFilesChangeNothingAndNameTheFile) {
    TfrmMain window;
    window.Action(QStringLiteral("acNewProject"))->trigger();
    ASSERT_NE(window.Project(), nullptr);
    TProject& project = *window.Project();
    const QString broken = dir.file("broken.dxf");
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("garbage\n");
    }
    const QString textOnly = dir.file("notes.dxf");
    test::WriteDxf(textOnly, 0, {}, [](TDxfWriter& d) { d.text("0", 0, 0, "x"); });
    for (const QString& file : {broken, textOnly}) {
        ui.chooseFile(file);
        window.UpdateActions();
        window.Action(QStringLiteral("acImportDxf"))->trigger();
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages.back().kind, TMessageKind::Error);
        EXPECT_TRUE(ui.messages.back().text.contains(QFileInfo(file).fileName())) << ui.messages.back().text.toStdString();
    }
    // Every layer left out: refused after the dialog.
    const QString path = dir.file("yard.dxf");
    writeYard(path);
    ui.chooseFile(path);
    onNextDialog<TfrmDxfImport>([](TfrmDxfImport* d) {
        for (int i = 0; i < d->Layers->count(); ++i) d->Layers->item(i)->setCheckState(Qt::Unchecked);
        d->accept();
    });
    window.Action(QStringLiteral("acImportDxf"))->trigger();
    EXPECT_TRUE(ui.messages.back().text.contains(QStringLiteral("yard.dxf")));
    EXPECT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(project.Elements().Count(), 0);
    EXPECT_EQ(project.History().count(), 0);
    EXPECT_TRUE(ui.allAnswersUsed());
}

TEST_F(DxfImport, TileEditorPutsTheOutlineIntoANewTileAsOneStep) {
    TTileDB library(dir.file("DB"));
    TfrmTileEditor editor;
    editor.resize(1000, 700);
    editor.show();
    QApplication::processEvents();
    ASSERT_EQ(editor.Tile(), nullptr);
    ASSERT_TRUE(test::captions(editor.mnuTiles->actions()).contains(QStringLiteral("Импорт контура из DXF...")));
    const QString path = dir.file("stone.dxf");
    test::WriteDxf(path, 4, {}, [](TDxfWriter& d) {
        d.polyline("Контур", {{0, 0, 0}, {200, 0, 1}, {200, 100, 0}, {0, 100, 0}}, true);
    });
    ui.chooseFile(path);
    onNextDialog<TfrmDxfImport>([](TfrmDxfImport* d) { d->Buttons->button(QDialogButtonBox::Ok)->click(); });
    editor.UpdateActions();
    editor.Action(QStringLiteral("acImportDxf"))->trigger();
    ASSERT_NE(editor.Tile(), nullptr);
    EXPECT_EQ(editor.Tile()->Elements().Count(), 4);
    // The tile's area traces its arcs with chords up to a millimetre inside.
    EXPECT_NEAR(editor.Tile()->Area(1.0f), (200 * 100 + M_PI * 50 * 50 / 2) / 1e6, 2e-4);
    EXPECT_EQ(editor.Tile()->History().count(), 1);
    editor.Tile()->History().undo();
    EXPECT_EQ(editor.Tile()->Elements().Count(), 0);
}

TEST_F(DxfImport, ImportWithNoProjectOpenBeginsANewProjectWithTheDrawingAsItsSite) {
    TfrmMain window;
    ASSERT_EQ(window.Project(), nullptr);
    window.UpdateActions();
    ASSERT_TRUE(window.Action(QStringLiteral("acImportDxf"))->isEnabled());
    const QString path = dir.file("yard.dxf");
    writeYard(path);

    // Cancelled: still no project.
    ui.chooseFile(path);
    onNextDialog<TfrmDxfImport>([](TfrmDxfImport* d) { d->reject(); });
    window.Action(QStringLiteral("acImportDxf"))->trigger();
    EXPECT_EQ(window.Project(), nullptr);

    ui.chooseFile(path);
    onNextDialog<TfrmDxfImport>([](TfrmDxfImport* d) { d->Buttons->button(QDialogButtonBox::Ok)->click(); });
    window.Action(QStringLiteral("acImportDxf"))->trigger();
    ASSERT_NE(window.Project(), nullptr);
    EXPECT_EQ(window.Project()->Elements().Count(), 4 + 1 + 4);
    EXPECT_FALSE(window.Project()->History().isClean()) << "the import is a change to save";
}
