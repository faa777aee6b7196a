// The sheet widget: rendering, pointer tracking, panels, posted centring.

#include "geometry/NumberFormat.h"
#include "sheet/FloatingPanel.h"
#include "sheet/PlanSheet.h"
#include "sheet/SizeDialog.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QLocale>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>

using vk::TPlanSheet;

namespace {

// A sheet like the main window's, shown with a view of a known size.
class Sheet : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        sheet.resize(834, 634);
        sheet.SetGeometry(50000, 50000, 25000, 25000);
        sheet.SetUnits(100);
        sheet.SetScale(0.0075);
        sheet.show();
        QApplication::processEvents();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QWidget* view() { return sheet.FScrollBox->viewport(); }

    TPlanSheet sheet;
};

} // namespace

TEST_F(Sheet, RenderDrawsGridAxesAndHandsTheImageToDocuments) {
    sheet.SetScale(0.05);
    sheet.CenterOn(0, 0);
    int paints = 0;
    QTransform seen;
    sheet.OnPSPaint = [&](QPainter& g) {
        ++paints;
        seen = g.transform();
        g.setPen(QPen(Qt::blue, 0));
        g.drawLine(QPointF(1000, 1000), QPointF(1000, 1000.1)); // a blue dot at (1 m, 1 m)
    };
    sheet.RenderView();
    EXPECT_EQ(paints, 1);
    const QImage& img = sheet.ViewImage();
    ASSERT_EQ(img.size(), view()->size());
    // The documents draw in world millimetres with y up.
    const QPointF origin = sheet.Geometry().WorldToDevice(0, 0);
    EXPECT_EQ(seen.map(QPointF(0, 0)), origin);
    // Both axes are red, and the origin is where the transform says.
    const QColor axis = img.pixelColor(int(origin.x()) + 20, int(std::floor(origin.y())));
    EXPECT_EQ(axis, QColor(255, 0, 0));
    const QColor axisY = img.pixelColor(int(std::floor(origin.x())), int(origin.y()) - 20);
    EXPECT_EQ(axisY, QColor(255, 0, 0));
    const QPointF dot = sheet.Geometry().WorldToDevice(1000, 1000);
    const QColor dotColour = img.pixelColor(int(std::floor(dot.x())), int(std::floor(dot.y())));
    EXPECT_GT(dotColour.blue(), 200);
    EXPECT_LT(dotColour.red(), 120);
    // The image corner is the visible world corner (left, bottom).
    const vk::TWorldRect vis = sheet.Geometry().VisibleRect();
    EXPECT_DOUBLE_EQ(sheet.ImageOrigin().x(), vis.L);
    EXPECT_DOUBLE_EQ(sheet.ImageOrigin().y(), vis.B);
}

TEST_F(Sheet, FeedbackIsDrawnOverTheLastPictureWithoutRerendering) {
    int paints = 0;
    sheet.OnPSPaint = [&](QPainter&) { ++paints; };
    sheet.RenderView();
    ASSERT_EQ(paints, 1);
    sheet.ShowViewImage();
    QPainter* g = sheet.ViewGraphics();
    ASSERT_NE(g, nullptr);
    g->setPen(QPen(Qt::green, 0));
    g->drawLine(QPointF(-5000, 3000), QPointF(5000, 3000));
    sheet.ShowViewImage(); // removes the rubber band again
    QApplication::processEvents();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(sheet.ScreenImage(), sheet.ViewImage());
}

TEST_F(Sheet, PointerIsSnappedToTheQuantumUnlessCtrlIsHeld) {
    sheet.SetScale(1.0);
    sheet.CenterOn(1234.5f, 0);
    sheet.RenderView();
    const QPointF device = sheet.Geometry().WorldToDevice(1234.5, 0);
    float gotX = 0;
    sheet.OnPSMouseDown = [&](QObject*, Qt::MouseButton, vk::TShiftState, float x, float) {
        gotX = x;
    };
    sheet.TrackPointer(TPlanSheet::TMouseKind::Down, device, Qt::LeftButton,
                       {Qt::NoModifier, Qt::LeftButton});
    EXPECT_EQ(gotX, 1200.0f);
    EXPECT_EQ(sheet.FLabelXPosition->text(), QString("1.20"));
    sheet.TrackPointer(TPlanSheet::TMouseKind::Down, device, Qt::LeftButton,
                       {Qt::ControlModifier, Qt::LeftButton});
    EXPECT_NEAR(gotX, 1234.5f, 0.01f);
    EXPECT_EQ(sheet.FLabelXPosition->text(), QString("1.23"));
    // The user's decimal separator.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    sheet.TrackPointer(TPlanSheet::TMouseKind::Down, device, Qt::LeftButton,
                       {Qt::NoModifier, Qt::LeftButton});
    EXPECT_EQ(sheet.FLabelXPosition->text(), QString("1,20"));
    // Rounding off: exact positions even without Ctrl.
    sheet.RoundCoordinates = false;
    sheet.TrackPointer(TPlanSheet::TMouseKind::Down, device, Qt::LeftButton,
                       {Qt::NoModifier, Qt::LeftButton});
    EXPECT_NEAR(gotX, 1234.5f, 0.01f);
}

TEST_F(Sheet, MouseEventsOfTheViewArriveInWorldMillimetres) {
    sheet.SetScale(0.1);
    sheet.CenterOn(0, 0);
    sheet.RenderView();
    std::vector<std::string> log;
    sheet.OnPSMouseDown = [&](QObject* sender, Qt::MouseButton b, vk::TShiftState, float x, float y) {
        EXPECT_EQ(sender, sheet.FScrollBox);
        log.push_back("down " + std::to_string(int(b)) + " " + std::to_string(int(x)) + " " +
                      std::to_string(int(y)));
    };
    sheet.OnPSMouseUp = [&](QObject*, Qt::MouseButton, vk::TShiftState, float, float) {
        log.push_back("up");
    };
    sheet.OnPSClick = [&] { log.push_back("click"); };
    const QPointF p = sheet.Geometry().WorldToDevice(2000, -1000);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, p.toPoint());
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "down 1 2000 -1000");
    EXPECT_EQ(log[1], "up");
    EXPECT_EQ(log[2], "click");
}

TEST_F(Sheet, PostedCentringRunsAfterTheQueueAndCentresTheView) {
    sheet.SetScale(0.2);
    sheet.CenterOn(10000, 10000);
    sheet.PostCenterView(0, 0);
    EXPECT_GT(sheet.GetViewCenter().x(), 5000) << "posted, not run at once";
    QApplication::processEvents();
    EXPECT_NEAR(sheet.GetViewCenter().x(), 0, 1.0 / sheet.Geometry().K() + 1e-3);
    EXPECT_NEAR(sheet.GetViewCenter().y(), 0, 1.0 / sheet.Geometry().K() + 1e-3);
}

TEST_F(Sheet, ScaleBoxOffersTheShownNumberAndIgnoresText) {
    vk::test::TScriptedUi ui;
    sheet.ChangeUnits(1);
    EXPECT_FLOAT_EQ(sheet.Scale(), 0.75f);
    ui.type(QString("abc"));
    sheet.AskScale();
    ASSERT_EQ(ui.inputs.size(), 1u);
    EXPECT_EQ(ui.inputs[0].caption, QString("Масштаб"));
    EXPECT_EQ(ui.inputs[0].prompt, QString());
    EXPECT_EQ(ui.inputs[0].value, QString("0.750"));
    EXPECT_FLOAT_EQ(sheet.Scale(), 0.75f);
    EXPECT_TRUE(ui.messages.empty()) << "text that is not a number is ignored silently";

    ui.type(QString("2"));
    sheet.AskScale();
    EXPECT_FLOAT_EQ(sheet.Scale(), 2.0f);

    ui.type(QString("0"));
    sheet.AskScale();
    EXPECT_FLOAT_EQ(sheet.Scale(), 2.0f) << "a zero scale is refused";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, vk::TMessageKind::Warning);

    ui.type(std::nullopt); // Cancel
    sheet.AskScale();
    EXPECT_FLOAT_EQ(sheet.Scale(), 2.0f);
}

TEST_F(Sheet, ScrollBarsMoveTheViewAndLineStepIsASixth) {
    sheet.SetScale(0.5);
    QScrollBar* h = sheet.FScrollBox->horizontalScrollBar();
    EXPECT_EQ(h->singleStep(), view()->width() / 6);
    EXPECT_EQ(h->maximum(), sheet.Geometry().HorzRange() - view()->width());
    h->setValue(h->value() + 600);
    EXPECT_EQ(sheet.Geometry().HorzPos(), h->value());
}

namespace {
void turnWheel(QWidget* target, QPointF at, QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(target, &event);
}
} // namespace

// One notch went three line steps of a sixth: half a view.
TEST_F(Sheet, WheelNotchScrollsAnEighthOfTheViewNotHalfOfIt) {
    sheet.SetScale(0.5);
    sheet.CenterOn(0, 0);
    const int h0 = sheet.Geometry().HorzPos();
    const int v0 = sheet.Geometry().VertPos();
    const int eighthDown = int(std::lround(view()->height() / 8.0));
    const int eighthAcross = int(std::lround(view()->width() / 8.0));
    turnWheel(view(), QPointF(100, 100), QPoint(0, -120));
    EXPECT_EQ(sheet.Geometry().VertPos(), v0 + eighthDown) << "a notch towards the user moves the view down";
    EXPECT_EQ(sheet.Geometry().HorzPos(), h0);
    EXPECT_EQ(sheet.FScrollBox->verticalScrollBar()->value(), sheet.Geometry().VertPos());
    turnWheel(view(), QPointF(100, 100), QPoint(0, 240));
    EXPECT_EQ(sheet.Geometry().VertPos(), v0 - eighthDown);
    turnWheel(view(), QPointF(100, 100), QPoint(0, 120));
    turnWheel(view(), QPointF(100, 100), QPoint(0, -120), Qt::ShiftModifier);
    EXPECT_EQ(sheet.Geometry().VertPos(), v0 - 2 * eighthDown);
    EXPECT_EQ(sheet.Geometry().HorzPos(), h0 + eighthAcross) << "Shift turns the wheel sideways";
    EXPECT_EQ(sheet.Scale(), 0.5f) << "a plain wheel never zooms";
}

// Ctrl + wheel zoomed about the centre of the view: what the user pointed at
// ran away.
TEST_F(Sheet, CtrlWheelZoomsAboutThePointerNotTheCentre) {
    sheet.SetScale(0.5);
    sheet.CenterOn(1000, -2000);
    const struct {
        const char* name;
        QPointF at;
        int angle;
        float scale;
    } steps[] = {
        {"in, near the top left corner", {90, 70}, 120, 1.0f},
        {"in again, near the bottom right", {700, 500}, 120, 2.0f},
        {"out, off centre", {200, 400}, -120, 1.0f},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        const QPointF before = sheet.Geometry().DeviceToWorld(step.at.x(), step.at.y());
        turnWheel(view(), step.at, QPoint(0, step.angle), Qt::ControlModifier);
        EXPECT_EQ(sheet.Scale(), step.scale);
        const QPointF after = sheet.Geometry().DeviceToWorld(step.at.x(), step.at.y());
        const double pixel = 1.0 / sheet.Geometry().K();
        EXPECT_NEAR(after.x(), before.x(), pixel);
        EXPECT_NEAR(after.y(), before.y(), pixel);
    }
}

TEST_F(Sheet, PanelsShowHideAndReportTheirCloseButtons) {
    int miniClosed = 0;
    int infoClosed = 0;
    sheet.OnPSMiniButtonClick = [&] { ++miniClosed; };
    sheet.OnPSPrStatusButtonClick = [&] { ++infoClosed; };
    sheet.FacMinidisplay->trigger();
    EXPECT_TRUE(sheet.FMiniDisplay->isVisible());
    sheet.FMiniDisplay->CloseButton()->click();
    EXPECT_FALSE(sheet.FMiniDisplay->isVisible());
    EXPECT_EQ(miniClosed, 1);

    sheet.ShowElementInfo();
    sheet.SetElementInfo("Длина: 1.00\nУгол: 90.00");
    EXPECT_TRUE(sheet.FPrStatus->isVisible());
    EXPECT_EQ(sheet.StatusLabel->text().count('\n'), 1);
    EXPECT_GT(sheet.StatusLabel->sizeHint().height(), 2 * sheet.StatusLabel->fontMetrics().height() - 1);
    sheet.FPrStatus->CloseButton()->click();
    EXPECT_EQ(infoClosed, 1);
    sheet.ClearElementInfo();
    EXPECT_TRUE(sheet.ElementInfo().isEmpty());
}

// The panel opened over the drawing and swallowed the clicks meant for it.
TEST_F(Sheet, ElementPanelOpensBesideTheViewNotOverIt) {
    const QRect fullView = sheet.FScrollBox->geometry();
    sheet.ShowElementInfo();
    QApplication::processEvents();
    const QRect panel = sheet.FPrStatus->geometry();
    const QRect view = sheet.FScrollBox->geometry();
    EXPECT_FALSE(panel.intersects(view)) << "the panel covers none of the view";
    EXPECT_TRUE(sheet.rect().contains(panel)) << "and stays on the sheet";
    EXPECT_GE(panel.left(), view.right()) << "beside it, on the right";
    EXPECT_FALSE(panel.intersects(sheet.FHorzRule->geometry()));
    EXPECT_EQ(sheet.Geometry().ClientWidth(), sheet.FScrollBox->viewport()->width());
    // Where the panel used to float (beside the overview, at the view's top
    // left), a click now reaches the view.
    const QPoint oldPanelCentre(fullView.left() + 4 + sheet.FMiniDisplay->width() + 4 + panel.width() / 2,
                                fullView.top() + 4 + panel.height() / 2);
    EXPECT_EQ(sheet.childAt(oldPanelCentre), sheet.FScrollBox->viewport());

    sheet.FPrStatus->CloseButton()->click();
    EXPECT_EQ(sheet.FScrollBox->geometry(), fullView) << "closed, it gives the strip back";
    sheet.ShowElementInfo();
    sheet.HideElementInfo();
    EXPECT_EQ(sheet.FScrollBox->geometry(), fullView);
}

TEST_F(Sheet, OverviewClickCentresTheViewOnlyAfterPainting) {
    sheet.OnPSMiniPaint = [](QPainter&) {};
    sheet.SetScale(0.2);
    sheet.CenterOn(0, 0);
    sheet.ShowMiniDisplay();
    const QPointF before = sheet.GetViewCenter();
    // Not painted yet: the click does nothing.
    QTest::mouseClick(sheet.FMiniBox, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(sheet.GetViewCenter(), before);
    sheet.FMiniBox->repaint();
    sheet.RenderView();
    const QTransform t = sheet.Geometry().MiniTransform(sheet.FMiniBox->width(), sheet.FMiniBox->height());
    const QPoint target = t.map(QPointF(10000, -5000)).toPoint();
    QTest::mouseClick(sheet.FMiniBox, Qt::LeftButton, Qt::NoModifier, target);
    const double slack = 50000.0 / sheet.FMiniBox->width() + 2;
    EXPECT_NEAR(sheet.GetViewCenter().x(), 10000, slack);
    EXPECT_NEAR(sheet.GetViewCenter().y(), -5000, slack);
}

TEST_F(Sheet, ViewMenuItemsAreAppendedInOrder) {
    QMenu menu;
    sheet.AddViewMenuItems(&menu);
    const QList<QAction*> items = menu.actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QString("Размеры"));
    EXPECT_EQ(items[1]->text(), QString("Масштаб"));
    EXPECT_EQ(items[2]->text(), QString("Мини-дисплей"));
}

// The fields showed bare numbers; the sheet keeps them in millimetres
// whatever unit it shows.
TEST(SizeDialog, EveryFieldShowsItsUnit) {
    vk::TSizeDialog dialog;
    dialog.SetValues(50000, 40000, 25000, 20000);
    dialog.show();
    QApplication::processEvents();
    for (QLineEdit* edit : {dialog.edSizeX, dialog.edSizeY, dialog.edPositiveX, dialog.edPositiveY}) {
        const QLabel* unit = nullptr;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->buddy() == edit) {
                unit = label;
            }
        }
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->text(), QString("мм"));
        EXPECT_TRUE(unit->isVisible());
        const QPoint unitAt = unit->mapTo(&dialog, QPoint(0, unit->height() / 2));
        const QRect editAt(edit->mapTo(&dialog, QPoint(0, 0)), edit->size());
        EXPECT_GE(unitAt.x(), editAt.right()) << "right of its field";
        EXPECT_TRUE(unitAt.y() >= editAt.top() && unitAt.y() <= editAt.bottom()) << "on its line";
    }
}

TEST(SizeDialog, RefusesGeometryThatBreaksTheInvariantsAndStaysOpen) {
    QLocale::setDefault(QLocale::c());
    const struct {
        const char* name;
        const char *w, *h, *x, *y;
        bool accepted;
    } cases[] = {
        {"valid", "1000", "800", "500", "400", true},
        {"axis on the edge", "1000", "800", "1000", "800", true},
        {"axis beyond the width", "1000", "800", "1001", "400", false},
        {"zero axis", "1000", "800", "0", "400", false},
        {"zero height", "1000", "0", "500", "0", false},
        {"not a number", "тысяча", "800", "500", "400", false},
    };
    for (const auto& c : cases) {
        vk::test::TScriptedUi ui;
        vk::TSizeDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), QString("Размеры и оси кординат"));
        dialog.show();
        dialog.edSizeX->setText(c.w);
        dialog.edSizeY->setText(c.h);
        dialog.edPositiveX->setText(c.x);
        dialog.edPositiveY->setText(c.y);
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.name;
        EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.name;
        EXPECT_EQ(ui.messages.size(), c.accepted ? 0u : 1u) << c.name;
    }
    QLocale::setDefault(QLocale::system());
}

// The read-out of the pointer and the vertical ruler cut wide numbers:
// -119.90 showed as "119.90", -49973.00 as "973.00".
TEST_F(Sheet, ReadOutAndRulerShowTheWidestNumberOfTheViewWhole) {
    struct Case {
        const char* name;
        float x;
        float y;
    };
    const Case cases[] = {
        {"near the origin", 0.0f, 0.0f},
        {"a hundred metres left and down", -119900.0f, -119900.0f},
        {"far left and down", -49973000.0f, -49973000.0f},
        {"far right and up", 49973000.0f, 49973000.0f},
    };
    sheet.SetGeometry(100000000, 100000000, 50000000, 50000000);
    sheet.SetScale(0.05);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sheet.CenterOn(c.x, c.y);
        sheet.RenderView();
        QApplication::processEvents();
        // The pointer in each corner of the view.
        const QSize size = view()->size();
        for (const QPoint corner : {QPoint(0, size.height() - 1), QPoint(size.width() - 1, 0)}) {
            sheet.TrackPointer(TPlanSheet::TMouseKind::Move, QPointF(corner), Qt::NoButton,
                               {Qt::NoModifier, Qt::NoButton});
            for (const QLabel* label : {sheet.FLabelXPosition, sheet.FLabelYPosition}) {
                const QFontMetrics fm(label->font());
                EXPECT_LE(fm.horizontalAdvance(label->text()), label->contentsRect().width())
                    << label->text().toStdString();
            }
        }
        // The view starts right of the ruler: nothing of the ruler is hidden.
        EXPECT_LE(sheet.FVertRule->geometry().right(), sheet.FScrollBox->geometry().left());
    }
}
