// Printing from the main window: "Опции печати", the print-region tool, the
// preview, and the plan exported as PDF, SVG and DXF.

#include "app/HelpViewer.h"
#include "app/MainForm.h"
#include "app/PrintOptions.h"
#include "model/Project.h"
#include "scene/Scene.h"
#include "sheet/PlanSheet.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "support/WindowTestUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vk;

namespace {

QJsonArray pt(double x, double y) { return QJsonArray{x, y}; }
QJsonObject seg(double x0, double y0, double x1, double y1) {
    return QJsonObject{{"segment", QJsonArray{pt(x0, y0), pt(x1, y1)}}};
}
QJsonArray rectangle(double w, double h) {
    return QJsonArray{seg(0, 0, w, 0), seg(w, 0, w, h), seg(w, h, 0, h), seg(0, h, 0, 0)};
}

// Runs `body` on the dialog of type T once it is shown: after the dialog
// before it has closed, its own loop may take a moment to start.
template <typename T, typename F>
void whenShown(F body, int triesLeft = 200) {
    QTimer::singleShot(10, [body, triesLeft] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<T*>(w); d != nullptr && d->isVisible()) {
                body(d);
                return;
            }
        }
        if (triesLeft > 0) {
            whenShown<T>(body, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no dialog appeared";
        }
    });
}

// With VORKALO_SCREENSHOTS set to a folder, a picture of `w` is written there.
void keepShot(QWidget& w, const QString& name) {
    const QString folder = qEnvironmentVariable("VORKALO_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        w.grab().save(folder + "/" + name + ".png");
    }
}

// A main window whose project is the 1 m square of 100 mm tiles, laid.
class PrintFromMainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<TfrmMain>();
        window->resize(1200, 800);
        window->show();
        QApplication::processEvents();
        run("acNewProject");
        const QJsonObject placement{{"tilePoint", pt(0, 0)}, {"patternPoint", pt(0, 0)}, {"rotation", 0}};
        const QJsonObject scene{
            {"tile", QJsonObject{{"name", "Квадрат"}, {"outline", rectangle(100, 100)}}},
            {"pattern", QJsonObject{{"name", "Ряды"},
                                    {"placements", QJsonArray{placement}},
                                    {"handPoints", QJsonArray{pt(100, 0), pt(0, 100)}}}},
            {"border", rectangle(1000, 1000)},
            {"start", pt(50, 50)}};
        ASSERT_EQ(LoadScene(scene, *project()), QString());
        ASSERT_TRUE(project()->Fill());
        QElapsedTimer timer;
        timer.start();
        const auto done = [this] {
            return !ui.messages.empty() && ui.messages.back().text == QStringLiteral("Заполнение плиткой закончено");
        };
        while (!done() && timer.elapsed() < 30000) {
            QApplication::processEvents();
        }
        ASSERT_TRUE(done());
        ASSERT_EQ(project()->LaidTiles().Count(), 121);
        ui.messages.clear();
        sheet()->SetScale(0.2);
        sheet()->CenterOn(500, 500);
        sheet()->RenderView();
    }
    void TearDown() override { window.reset(); }

    TPlanSheet* sheet() { return window->ProjectPlanSheet; }
    TProject* project() { return window->Project(); }
    void run(const char* action) { test::runAction(*window, action); }
    void mouse(TPlanSheet::TMouseKind kind, float x, float y, Qt::MouseButtons held) {
        const QPointF p = sheet()->Geometry().WorldToDevice(x, y);
        const Qt::MouseButton button = kind == TPlanSheet::TMouseKind::Move ? Qt::NoButton : Qt::LeftButton;
        sheet()->TrackPointer(kind, p, button, {Qt::NoModifier, held});
    }
    // Presses at one world point, drags to another and lets go there.
    void drag(float x0, float y0, float x1, float y1) {
        mouse(TPlanSheet::TMouseKind::Down, x0, y0, Qt::LeftButton);
        mouse(TPlanSheet::TMouseKind::Move, x1, y1, Qt::LeftButton);
        mouse(TPlanSheet::TMouseKind::Up, x1, y1, Qt::NoButton);
    }

    test::TScriptedUi ui;
    std::unique_ptr<TfrmMain> window;
};

} // namespace

TEST(PrintOptionsDialog, CaptionsDefaultsAndHelp) {
    TfrmPrintOptions dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Опции печати"));
    EXPECT_EQ(dialog.property("helpContext").toInt(), 44);
    EXPECT_EQ(dialog.gbWhat->title(), QStringLiteral(" Что печатать "));
    const struct {
        QAbstractButton* button;
        const char* caption;
        bool checked;
    } buttons[] = {
        {dialog.rbTilesAndBorder, "Контур участка и плитки", true},
        {dialog.rbBorderOnly, "Только контур участка", false},
        {dialog.rbRegion, "Выделенную область участка", false},
        {dialog.cbReport, "Отчет и комментарий", true},
        {dialog.btnSelectRegion, "Выделить область", false},
        {dialog.btnOk, "OK", false},
        {dialog.btnCancel, "Cancel", false},
        {dialog.btnHelp, "Помощь", false},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.button->isChecked(), b.checked) << b.caption;
    }
    QStringList scales;
    for (int i = 0; i < dialog.cbScale->count(); ++i) scales << dialog.cbScale->itemText(i);
    EXPECT_EQ(scales, (QStringList{"Вписать в страницу", "1:20", "1:50", "1:100", "1:200", "1:500"}));
    const TPrintOptions defaults = dialog.Options();
    EXPECT_EQ(defaults.What, TPrintWhat::BorderAndTiles);
    EXPECT_TRUE(defaults.Report);
    EXPECT_EQ(defaults.Scale, 0) << "fitted into the page";

    dialog.rbRegion->setChecked(true);
    dialog.cbReport->setChecked(false);
    dialog.cbScale->setCurrentIndex(2);
    const TPrintOptions chosen = dialog.Options();
    EXPECT_EQ(chosen.What, TPrintWhat::PrintRegion);
    EXPECT_FALSE(chosen.Report);
    EXPECT_EQ(chosen.Scale, 50);

    dialog.show();
    keepShot(dialog, "print-options");
    CloseHelp();
    dialog.btnHelp->click();
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(HelpWindow()->CurrentPage(), QStringLiteral("ctx44.html"));
    CloseHelp();
}

TEST_F(PrintFromMainWindow, SelectRegionAnswersYesAndTheToolSpansTheRectangle) {
    test::onNextDialog<TfrmPrintOptions>([](TfrmPrintOptions* d) { d->btnSelectRegion->click(); });
    run("acPrint");
    QAction* tool = window->Action(TMainAction::acPrintReg);
    EXPECT_TRUE(tool->isChecked()) << "the print-region tool is on";
    EXPECT_EQ(window->property("helpContext").toInt(), 51);
    EXPECT_FALSE(project()->PrintRect().has_value());

    drag(100, 200, 600, 900);
    sheet()->RenderView();
    keepShot(*window, "print-region");
    ASSERT_TRUE(project()->PrintRect().has_value());
    EXPECT_NEAR(project()->PrintRect()->left(), 100, 1);
    EXPECT_NEAR(project()->PrintRect()->bottom(), 900, 1);
    EXPECT_NEAR(project()->PrintRect()->width(), 500, 1);
    EXPECT_NEAR(project()->PrintRect()->height(), 700, 1);

    // The next press starts a new rectangle.
    mouse(TPlanSheet::TMouseKind::Down, 300, 300, Qt::LeftButton);
    EXPECT_FALSE(project()->PrintRect().has_value());
    mouse(TPlanSheet::TMouseKind::Up, 400, 450, Qt::NoButton);
    ASSERT_TRUE(project()->PrintRect().has_value());
    EXPECT_NEAR(project()->PrintRect()->width(), 100, 1);

    run("acPrintReg");
    EXPECT_FALSE(tool->isChecked());
    EXPECT_FALSE(project()->PrintRect().has_value()) << "the tool switched off forgets its rectangle";
    EXPECT_EQ(window->property("helpContext").toInt(), 6);
}

TEST_F(PrintFromMainWindow, ThePrintRegionWithoutARectangleIsRefusedWithAReason) {
    test::onNextDialog<TfrmPrintOptions>([](TfrmPrintOptions* d) {
        d->rbRegion->setChecked(true);
        d->btnOk->click();
    });
    run("acPrint");
    ASSERT_EQ(ui.messages.size(), 1u) << "no preview: the user is told why";
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Warning);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("Область печати не выделена")));
}

TEST_F(PrintFromMainWindow, ThePrintRegionIsPrintedAloneAtItsOwnScale) {
    test::TTempDir dir;
    TPrintOptions options;
    options.Report = false;
    const TPrintResult whole = WritePdf(dir.file("whole.pdf"), *project(), options);
    ASSERT_TRUE(whole.Ok()) << whole.Error.toStdString();

    options.What = TPrintWhat::PrintRegion;
    const TPrintResult none = WritePdf(dir.file("none.pdf"), *project(), options);
    EXPECT_FALSE(none.Ok());
    EXPECT_FALSE(QFile::exists(dir.file("none.pdf"))) << "nothing is written without a region";

    project()->SetPrintCorner(100, 100);
    project()->SetPrintCorner(150, 150);
    const TPrintResult region = WritePdf(dir.file("region.pdf"), *project(), options);
    ASSERT_TRUE(region.Ok()) << region.Error.toStdString();
    EXPECT_EQ(region.Pages, 1);
    EXPECT_LT(region.Scale * 4, whole.Scale) << "a twentieth of the site, fitted into the page, is drawn larger";

    // At a fixed scale the region needs fewer sheets than the site.
    options.Scale = 2;
    EXPECT_EQ(WritePdf(dir.file("region2.pdf"), *project(), options).Pages, 1);
    options.What = TPrintWhat::BorderAndTiles;
    EXPECT_GT(WritePdf(dir.file("whole2.pdf"), *project(), options).Pages, 4);
}

TEST_F(PrintFromMainWindow, PreviewShowsThePlanPagesAndTheReportPage) {
    int pages = 0;
    test::onNextDialog<TfrmPrintOptions>([&pages](TfrmPrintOptions* d) {
        whenShown<QPrintPreviewDialog>([&pages](QPrintPreviewDialog* preview) {
            preview->resize(1100, 850);
            auto* widget = preview->findChild<QPrintPreviewWidget*>();
            widget->fitInView();
            QApplication::processEvents();
            pages = widget->pageCount();
            keepShot(*preview, "print-preview");
            preview->reject();
        });
        d->btnOk->click();
    });
    run("acPrint");
    EXPECT_EQ(pages, 2) << "the plan fitted into one page, then the report";
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PrintFromMainWindow, ExportMenuWritesEachKindAndNamesAFileItCannotWrite) {
    EXPECT_EQ(test::captions(window->mnuExport->actions()), (QStringList{"PDF...", "SVG...", "DXF..."}));
    test::TTempDir dir;
    const struct {
        const char* action;
        const char* file;
        QByteArray starts;
    } kinds[] = {{"acExportPdf", "plan.pdf", "%PDF"},
                 {"acExportSvg", "plan.svg", "<?xml"},
                 {"acExportDxf", "plan.dxf", "999"}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.action);
        if (QByteArray(k.action) == "acExportPdf") {
            test::onNextDialog<TfrmPrintOptions>([](TfrmPrintOptions* d) { d->btnOk->click(); });
        }
        ui.chooseFile(dir.file(k.file));
        run(k.action);
        QFile written(dir.file(k.file));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll().trimmed().startsWith(k.starts));
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.fileDialogs.back().name, QStringLiteral("План.dxf")) << "an unnamed project's plan";

    // An existing file is replaced only when the user says so.
    ui.chooseFile(dir.file("plan.svg"));
    ui.answer(TAnswer::No);
    run("acExportSvg");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, TMessageKind::Confirmation);

    const QString nowhere = dir.file("no-such-folder/plan.dxf");
    ui.chooseFile(nowhere);
    run("acExportDxf");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].kind, TMessageKind::Error);
    EXPECT_TRUE(ui.messages[1].text.contains(nowhere)) << ui.messages[1].text.toStdString();
    EXPECT_TRUE(ui.allAnswersUsed());
}
