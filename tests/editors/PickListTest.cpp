// The pick list and the element list dialog.

#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "sheet/EditorFactory.h"
#include "sheet/PlanSheet.h"
#include "sheet/SheetGeometry.h"
#include "sheet/PrimEditWindow.h"
#include "support/ScriptedUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace vk;

namespace {

void addSegment(T_TnC_Ancestor& doc, float y) {
    auto s = std::make_unique<TLinePrimitive>(&doc);
    s->SetStart({0, y, 1});
    s->SetFinish({100, y, 1});
    doc.Elements().Add(std::move(s));
}

// The element editor window the dialog is showing modally, if any.
TfrmPrimEdit* openEditWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* edit = qobject_cast<TfrmPrimEdit*>(w); edit != nullptr && edit->isVisible()) {
            return edit;
        }
    }
    ADD_FAILURE() << "no element editor window";
    return nullptr;
}

} // namespace

TEST(PickList, RowsAreOrderedByNameAndOkReturnsTheCurrentIdentifier) {
    test::TScriptedUi ui;
    TfrmSelectTile pick(nullptr, {{3, "Ромб"}, {1, "брусчатка"}, {2, "Квадрат"}}, nullptr, "Выбери плитку");
    EXPECT_EQ(pick.windowTitle(), QString("Выбери плитку"));
    ASSERT_EQ(pick.dbgTiles->rowCount(), 3);
    EXPECT_EQ(pick.dbgTiles->item(0, 0)->text(), QString("брусчатка"));
    EXPECT_EQ(pick.dbgTiles->item(1, 0)->text(), QString("Квадрат"));
    EXPECT_EQ(pick.dbgTiles->horizontalHeaderItem(0)->text(), QString("Название"));
    EXPECT_EQ(pick.PickResult, -1);
    pick.dbgTiles->setCurrentCell(2, 0);
    pick.btOk->click();
    EXPECT_EQ(pick.PickResult, 3);
    EXPECT_EQ(pick.result(), QDialog::Accepted);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(PickList, EmptyListSaysNothingIsChosenAndStaysOpen) {
    test::TScriptedUi ui;
    TfrmSelectTile pick(nullptr, {}, nullptr, "Выбери узор");
    pick.show();
    pick.btOk->click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QString("Ничего не выбрано!"));
    EXPECT_TRUE(pick.isVisible());
    EXPECT_EQ(pick.PickResult, -1);
    pick.btCancel->click();
    EXPECT_EQ(pick.result(), QDialog::Rejected);
    EXPECT_EQ(pick.PickResult, -1);
}

TEST(PickList, DoubleClickPicks) {
    TfrmSelectTile pick(nullptr, {{7, "Один"}}, nullptr, "Выбери плитку");
    pick.show();
    QApplication::processEvents();
    emit pick.dbgTiles->cellDoubleClicked(0, 0);
    EXPECT_EQ(pick.PickResult, 7);
}

TEST(PickList, PreviewWidensTheWindowAndFollowsTheCurrentRow) {
    std::vector<int> asked;
    TfrmSelectTile pick(nullptr, {{1, "А"}, {2, "Б"}}, nullptr, "Выбери плитку");
    pick.PreviewCallback = [&](int id, TPlanSheet&, TTile*) {
        asked.push_back(id);
        auto doc = std::make_unique<T_TnC_Ancestor>();
        addSegment(*doc, float(id));
        return doc;
    };
    pick.show();
    QApplication::processEvents();
    const int narrow = pick.width();
    pick.cbPreview->setChecked(true);
    EXPECT_GT(pick.width(), narrow);
    EXPECT_TRUE(pick.SelPlanSheet->isVisible());
    ASSERT_NE(pick.PreviewDocument(), nullptr);
    pick.dbgTiles->setCurrentCell(1, 0);
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    pick.SelPlanSheet->RenderView(); // draws the kept document without trouble
    pick.cbPreview->setChecked(false);
    EXPECT_FALSE(pick.SelPlanSheet->isVisible());
    EXPECT_EQ(pick.PreviewDocument(), nullptr);
    EXPECT_EQ(pick.width(), narrow);
}

// The preview took the view stored for the editor's larger window, and the
// drawing ran off the small sheet.
TEST(PickList, PreviewFitsTheWholeDrawingWhateverTheStoredView) {
    const struct {
        const char* name;
        ViewRecord stored;
        QRectF drawing;
    } cases[] = {
        {"zoomed in on a corner", {4000, 4000, 2000, 2000, 5.0f, 0, 0}, {0, 0, 1000, 700}},
        {"a long stone far from the origin", {4000, 4000, 2000, 2000, 1.0f, -1500, -1500}, {900, 1200, 800, 40}},
        {"zoomed out", {4000, 4000, 2000, 2000, 0.05f, 0, 0}, {-30, -20, 60, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TfrmSelectTile pick(nullptr, {{1, "А"}}, nullptr, "Выбери узор");
        pick.PreviewCallback = [&](int, TPlanSheet& sheet, TTile*) {
            sheet.SetView(c.stored);
            auto doc = std::make_unique<T_TnC_Ancestor>();
            const QRectF& r = c.drawing;
            const QPointF corners[] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
            for (int i = 0; i < 4; ++i) {
                auto s = std::make_unique<TLinePrimitive>(doc.get());
                s->SetStart({float(corners[i].x()), float(corners[i].y()), 1});
                s->SetFinish({float(corners[(i + 1) % 4].x()), float(corners[(i + 1) % 4].y()), 1});
                doc->Elements().Add(std::move(s));
            }
            return doc;
        };
        pick.show();
        QApplication::processEvents();
        pick.cbPreview->setChecked(true);
        QApplication::processEvents();
        QApplication::processEvents();
        const QSize view = pick.SelPlanSheet->FScrollBox->viewport()->size();
        const TSheetGeometry& g = pick.SelPlanSheet->Geometry();
        ASSERT_EQ(g.ClientWidth(), view.width());
        std::vector<QPointF> pixels;
        for (const QPointF& p : {c.drawing.topLeft(), c.drawing.bottomRight()}) {
            const QPointF d = g.WorldToDevice(p.x(), p.y());
            EXPECT_TRUE(d.x() >= 0 && d.x() <= view.width() && d.y() >= 0 && d.y() <= view.height())
                << "corner (" << p.x() << ", " << p.y() << ") at pixel (" << d.x() << ", " << d.y() << ")";
            pixels.push_back(d);
        }
        const double across = std::abs(pixels[1].x() - pixels[0].x());
        const double down = std::abs(pixels[1].y() - pixels[0].y());
        EXPECT_TRUE(across > view.width() / 2.0 || down > view.height() / 2.0)
            << "and fills the better part of the sheet";
    }
}

TEST(ElementListDialog, DeletesSelectedRowsFromTheLastToTheFirst) {
    test::TScriptedUi ui;
    TPlanSheet sheet;
    T_TnC_Ancestor doc;
    for (int i = 0; i < 4; ++i) addSegment(doc, float(i * 10));
    TGraphicPrimitive* keep1 = doc.Elements().Items(1);
    TGraphicPrimitive* keep3 = doc.Elements().Items(3);
    TfrmElListEditor dialog(nullptr, doc.Elements(), sheet, doc, "Список границ участка");
    ASSERT_EQ(dialog.ElList->count(), 4);
    EXPECT_FALSE(dialog.acDelete->isEnabled());
    dialog.ElList->item(0)->setSelected(true);
    dialog.ElList->item(2)->setSelected(true);
    EXPECT_TRUE(dialog.acDelete->isEnabled());

    ui.answer(TAnswer::No);
    dialog.acDelete->click();
    EXPECT_EQ(doc.Elements().Count(), 4) << "No changes nothing";

    doc.SetModified(false);
    ui.answer(TAnswer::Yes);
    dialog.acDelete->click();
    EXPECT_EQ(ui.messages.back().text, QString("Удалить?"));
    ASSERT_EQ(doc.Elements().Count(), 2);
    EXPECT_EQ(doc.Elements().Items(0), keep1);
    EXPECT_EQ(doc.Elements().Items(1), keep3);
    ASSERT_EQ(dialog.ElList->count(), 2);
    EXPECT_EQ(dialog.RowElement(0), keep1);
    EXPECT_TRUE(doc.Modified);

    dialog.acSelAll->click();
    EXPECT_EQ(dialog.ElList->selectedItems().size(), 2);
}

TEST(ElementListDialog, CancelledEditKeepsTheRowAndSavedEditUpdatesIt) {
    InstallWidgetEditorFactory();
    TPlanSheet sheet;
    sheet.SetUnits(1);
    T_TnC_Ancestor doc;
    addSegment(doc, 0);
    TfrmElListEditor dialog(nullptr, doc.Elements(), sheet, doc, "Список");
    const QString before = dialog.ElList->item(0)->text();
    dialog.ElList->setCurrentRow(0);
    dialog.ElList->item(0)->setSelected(true);

    QTimer::singleShot(0, [] {
        if (TfrmPrimEdit* edit = openEditWindow()) edit->btnCancel->click();
    });
    dialog.Edit();
    EXPECT_EQ(dialog.ElList->item(0)->text(), before);

    QTimer::singleShot(0, [] {
        if (TfrmPrimEdit* edit = openEditWindow()) edit->btnSave->click();
    });
    // Saved unchanged after the element moved: the row shows its new description.
    static_cast<TLinePrimitive*>(doc.Elements().Items(0))->SetFinish({50, 0, 1});
    dialog.Edit();
    EXPECT_TRUE(dialog.ElList->item(0)->text().contains("50"));
    setEditorFactory(nullptr);
}
