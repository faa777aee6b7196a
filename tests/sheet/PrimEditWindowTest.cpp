#include "EditorTestUtil.h"
#include "ui/EditableElement.h"
#include "sheet/LinesBox.h"
#include "sheet/PointEditor.h"
#include "sheet/PrimEditWindow.h"
#include "sheet/SingValEditor.h"
#include "sheet/TileArcEditor.h"
#include "support/ScriptedUi.h"

#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace vk {
namespace {

// An arc that edits itself the way the arc element does, counting what the
// window asks of it.
class FakeArc : public TEditableElement {
public:
    TPointF Centre{0, 0};
    TPointF Start{1000, 0};
    float Sweep = 90;
    int LineStyle = 2;

    QPointer<TTileArcEditor> Editor;
    int Applied = 0;
    int AppliedDivisor = 0;
    int Released = 0;

    void CreateEditor(QWidget* parent, int unitDivisor, const QString& unitName) override {
        Editor = new TTileArcEditor(parent);
        Editor->SetUnitName(unitName);
        Editor->AlignClient();
        const float d = float(unitDivisor);
        Editor->Center->SetPoint({Centre.X / d, Centre.Y / d});
        Editor->Start->SetPoint({Start.X / d, Start.Y / d});
        Editor->Ang->SetValue(Sweep);
        Editor->R->SetValue(1000 / d);
        Editor->LinesBox1->setCurrentIndex(TLinesBox::RowOfLineStyle(LineStyle));
        Editor->Recalculate();
    }
    void ApplyEditor(int unitDivisor) override {
        ++Applied;
        AppliedDivisor = unitDivisor;
        const TPointF c = Editor->Center->Point();
        const TPointF s = Editor->Start->Point();
        Centre = {c.X * unitDivisor, c.Y * unitDivisor};
        Start = {s.X * unitDivisor, s.Y * unitDivisor};
        Sweep = float(Editor->Ang->Value());
        LineStyle = TLinesBox::LineStyleOfRow(Editor->LinesBox1->currentIndex());
        freeEditor();
    }
    void ReleaseEditor() override {
        ++Released;
        freeEditor();
    }

private:
    void freeEditor() { delete Editor.data(); }
};

class PrimEditWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        window = new TfrmPrimEdit;
        window->SetElement(&arc, 10);
        arc.CreateEditor(window->pnlEditorBox, 10, QStringLiteral("см"));
        ShowActive(*window);
    }
    void TearDown() override { delete window.data(); }

    FakeArc arc;
    QPointer<TfrmPrimEdit> window;
};

TEST_F(PrimEditWindow, LayoutAndTexts) {
    EXPECT_EQ(window->btnSave->text(), QStringLiteral("Сохранить"));
    EXPECT_EQ(window->btnCancel->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(window->pnlEditorBox->objectName(), QStringLiteral("pnlEditorBox"));
    EXPECT_EQ(window->property("helpContext").toInt(), 29);
    EXPECT_TRUE(window->windowTitle().isEmpty());
    EXPECT_TRUE(window->windowFlags() & Qt::Tool);
    EXPECT_EQ(window->UnitDivisor(), 10);
    // The editor fills the panel and shows the element divided by 10.
    ASSERT_TRUE(arc.Editor);
    EXPECT_EQ(arc.Editor->geometry(), window->pnlEditorBox->rect());
    EXPECT_EQ(arc.Editor->Start->X->text(), QStringLiteral("100"));
    EXPECT_EQ(arc.Editor->lblScSign4->text(), QStringLiteral("см"));
    EXPECT_EQ(arc.Editor->LinesBox1->currentIndex(), 1);
}

TEST_F(PrimEditWindow, SaveTakesTheFieldBeingTypedInAndAppliesWithTheKeptDivisor) {
    // The user types a radius and goes straight to "Сохранить": leaving the
    // field updates the dependent fields before the element reads them.
    Type(arc.Editor->R, QStringLiteral("200"));
    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(arc.Applied, 1);
    EXPECT_EQ(arc.AppliedDivisor, 10);
    EXPECT_EQ(arc.Released, 0);
    EXPECT_FALSE(arc.Editor);
    EXPECT_EQ(arc.Start, (TPointF{2000, 0}));
    EXPECT_EQ(arc.LineStyle, 2);
}

TEST_F(PrimEditWindow, CancelEscapeAndTheCloseBoxReleaseTheEditor) {
    const struct {
        const char* name;
        std::function<void(TfrmPrimEdit*)> close;
    } cases[] = {
        {"Отмена", [](TfrmPrimEdit* w) { QTest::mouseClick(w->btnCancel, Qt::LeftButton); }},
        {"Escape", [](TfrmPrimEdit* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"close box", [](TfrmPrimEdit* w) { w->close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        arc = FakeArc();
        SetUp();
        TypeAndPressEnter(arc.Editor->R, QStringLiteral("200"));
        c.close(window);
        EXPECT_EQ(window->result(), QDialog::Rejected);
        EXPECT_EQ(arc.Released, 1);
        EXPECT_EQ(arc.Applied, 0);
        EXPECT_FALSE(arc.Editor);
        EXPECT_EQ(arc.Start, (TPointF{1000, 0}));
    }
}

TEST_F(PrimEditWindow, EnterInAFieldCommitsTheFieldButDoesNotCloseTheWindow) {
    TypeAndPressEnter(arc.Editor->Len, QStringLiteral("314.159"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(arc.Applied + arc.Released, 0);
    EXPECT_EQ(arc.Editor->Ang->text(), QStringLiteral("180"));
}

TEST_F(PrimEditWindow, AWindowFreedWithItsEditorOpenReleasesIt) {
    delete window.data();
    EXPECT_EQ(arc.Released, 1);
    EXPECT_FALSE(arc.Editor);
}

} // namespace
} // namespace vk

namespace vk {
namespace {

TEST_F(PrimEditWindow, NumbersBeyondTheModelsRangeAreRefusedNamingTheElementAndTheWindowStays) {
    test::TScriptedUi ui;
    const struct {
        const char* name;
        TJvFloatEdit3* field;
        QString text;
        QString problem;
    } cases[] = {
        // Centimetres: 2e8 cm is 2e9 mm.
        {"a centre beyond 1e9 mm", arc.Editor->Center->X, QStringLiteral("2e8"), QStringLiteral("Дуга: координаты")},
        {"a start at 1e308", arc.Editor->Start->Y, QStringLiteral("1e308"), QStringLiteral("Дуга: координаты")},
        {"a sweep beyond 1e6 degrees", arc.Editor->Ang, QStringLiteral("2000000"), QStringLiteral("Дуга: углы")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString before = c.field->text();
        Type(c.field, c.text);
        window->btnSave->click();
        ASSERT_FALSE(ui.messages.empty());
        EXPECT_EQ(ui.messages.back().kind, TMessageKind::Warning);
        EXPECT_TRUE(ui.messages.back().text.startsWith(c.problem)) << ui.messages.back().text.toStdString();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(arc.Applied, 0);
        Type(c.field, before);
    }
    // 1e8 cm is the limit itself: taken.
    const std::size_t warned = ui.messages.size();
    Type(arc.Editor->Center->X, QStringLiteral("1e8"));
    window->btnSave->click();
    EXPECT_EQ(ui.messages.size(), warned);
    EXPECT_EQ(arc.Applied, 1);
    EXPECT_EQ(arc.Centre.X, 1e9f);
}

} // namespace
} // namespace vk
