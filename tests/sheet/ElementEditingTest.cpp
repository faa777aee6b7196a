// Real elements edited through their property editors in the element
// editor window, as the main window and the editors do it.

#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "model/Collage.h"
#include "model/Tile.h"
#include "sheet/EditorFactory.h"
#include "sheet/FloatEdit.h"
#include "sheet/LinesBox.h"
#include "sheet/PointEditor.h"
#include "sheet/PrimEditWindow.h"
#include "sheet/SingValEditor.h"
#include "sheet/TileArcEditor.h"
#include "sheet/TileLineEditor.h"
#include "sheet/TilePlacementEditor.h"

#include <QApplication>
#include <QLocale>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace vk;

namespace {

class ElementEditing : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        InstallWidgetEditorFactory();
    }
    void TearDown() override {
        setEditorFactory(nullptr);
        QLocale::setDefault(QLocale::system());
    }
};

template <typename T>
T* editorIn(TfrmPrimEdit& window) {
    return window.findChild<T*>();
}

} // namespace

TEST_F(ElementEditing, ArcTakesTheEditedRadiusAsDistanceFromCentreToStart) {
    T_TnC_Ancestor doc;
    doc.SetBasePoint(1000, 0);
    TArcPrimitive arc(&doc);
    arc.SetCentre({0, 0, 1});
    arc.SetStart({1000, 0, 1});
    arc.SetRadius(1000);
    arc.SetSweep(90);
    arc.LineStyle = 2;
    doc.SetModified(false);

    TfrmPrimEdit window;
    window.SetElement(&arc, 1000);
    arc.CreateEditor(window.pnlEditorBox, 1000, "м");
    auto* editor = editorIn<TTileArcEditor>(window);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Center->Point(), (TPointF{1, 0})) << "world, in metres";
    EXPECT_NEAR(editor->Len->Value(), 1.571, 1e-3);
    EXPECT_EQ(editor->LinesBox1->currentIndex(), 1);
    editor->R->SetValue(2);
    editor->RValueChanged();
    window.btnSave->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(arc.Radius(), 2000);
    EXPECT_NEAR(arc.GetStartPoint().X, 3000, 1e-2);
    EXPECT_FLOAT_EQ(arc.Sweep(), 90);
    EXPECT_EQ(arc.LineStyle, 2);
    EXPECT_TRUE(doc.Modified);
    EXPECT_FALSE(arc.HasEditor());
}

TEST_F(ElementEditing, SegmentEditCancelledChangesNothing) {
    T_TnC_Ancestor doc;
    TLinePrimitive line(&doc);
    line.SetStart({0, 0, 1});
    line.SetFinish({3, 4, 1});
    doc.SetModified(false);
    TfrmPrimEdit window;
    window.SetElement(&line, 1);
    line.CreateEditor(window.pnlEditorBox, 1, "мм");
    auto* editor = editorIn<TTileLineEditor>(window);
    ASSERT_NE(editor, nullptr);
    EXPECT_DOUBLE_EQ(editor->Len->Value(), 5);
    editor->Len->SetValue(10);
    editor->LenValueChanged();
    window.btnCancel->click();
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(line.GetEndPoint(), (TPointF{3, 4}));
    EXPECT_FALSE(doc.Modified);
    EXPECT_FALSE(line.HasEditor());
}

TEST_F(ElementEditing, SegmentEditSavedMovesTheEnd) {
    T_TnC_Ancestor doc;
    TLinePrimitive line(&doc);
    line.SetStart({0, 0, 1});
    line.SetFinish({3, 4, 1});
    TfrmPrimEdit window;
    window.SetElement(&line, 1);
    line.CreateEditor(window.pnlEditorBox, 1, "мм");
    auto* editor = editorIn<TTileLineEditor>(window);
    ASSERT_NE(editor, nullptr);
    editor->Len->SetValue(10);
    editor->LenValueChanged();
    editor->LinesBox1->setCurrentIndex(1);
    window.btnSave->click();
    EXPECT_NEAR(line.GetEndPoint().X, 6, 1e-4);
    EXPECT_NEAR(line.GetEndPoint().Y, 8, 1e-4);
    EXPECT_EQ(line.LineStyle, 2);
}

TEST_F(ElementEditing, PlacementAngleEditedFromNinetyToZeroTurnsTheTileBack) {
    TTile tile;
    auto side = std::make_unique<TLinePrimitive>(&tile);
    side->SetStart({0, 0, 1});
    side->SetFinish({200, 0, 1});
    tile.Elements().Add(std::move(side));
    TCollage pattern(&tile);
    pattern.SetBasePoint(0, 0);
    auto placement = std::make_unique<TTilePlacementPrimitive>(&pattern);
    placement->SetTilePoint({0, 0, 1});
    placement->SetPatternPoint({500, 0, 1});
    placement->SetRotation(90);
    placement->PlaceTile(tile, {0, 0});
    TTilePlacementPrimitive* raw = placement.get();
    pattern.Elements().Add(std::move(placement));
    EXPECT_NEAR(raw->Tile().Elements().Items(0)->GetEndPoint().Y, 200, 1e-3) << "turned by 90";

    TfrmPrimEdit window;
    window.SetElement(raw, 1);
    raw->CreateEditor(window.pnlEditorBox, 1, "мм");
    auto* editor = editorIn<TTilePlacementEditor>(window);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->TileAngle->text(), QString("90"));
    EXPECT_EQ(editor->PP->Point(), (TPointF{500, 0}));
    editor->TileAngle->SetValue(0);
    window.btnSave->click();
    EXPECT_FLOAT_EQ(raw->Rotation(), 0);
    const TGraphicPrimitive* turned = raw->Tile().Elements().Items(0);
    EXPECT_NEAR(turned->GetStartPoint().X, 500, 1e-3);
    EXPECT_NEAR(turned->GetEndPoint().X, 700, 1e-3) << "turned back by -90";
    EXPECT_NEAR(turned->GetEndPoint().Y, 0, 1e-3);
}
