#include "EditorTestUtil.h"
#include "sheet/LinesBox.h"
#include "sheet/PointEditor.h"
#include "sheet/PointRealEditor.h"
#include "sheet/SingValEditor.h"
#include "sheet/TileArcEditor.h"
#include "sheet/TileLineEditor.h"
#include "sheet/TilePlacementEditor.h"

#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

namespace vk {
namespace {

QString text(const TPointEditor* p) { return p->X->text() + QStringLiteral(";") + p->Y->text(); }

// A host window with the editor and a spare field to move the focus to.
template <class Editor>
class EditorHost {
public:
    EditorHost() {
        QLocale::setDefault(QLocale::c());
        auto* layout = new QVBoxLayout(&window);
        editor = new Editor(&window);
        spare = new TJvFloatEdit3(&window);
        layout->addWidget(editor);
        layout->addWidget(spare);
    }
    QWidget window;
    Editor* editor = nullptr;
    TJvFloatEdit3* spare = nullptr;
};

// The first arc: C = (0, 0), S = (10, 0), w = 90, r = 10, filled the way the
// arc element fills its editor, then recalculated.
class ArcEditor : public ::testing::Test, public EditorHost<TTileArcEditor> {
protected:
    void SetUp() override {
        editor->Center->SetPoint({0, 0});
        editor->Start->SetPoint({10, 0});
        editor->Ang->SetValue(90);
        editor->R->SetValue(10);
        editor->Recalculate();
        ShowActive(window);
    }
    struct Shown {
        const char *center, *start, *finish, *r, *len, *ang, *angleToX;
    };
    void ExpectShown(const Shown& s) {
        EXPECT_EQ(text(editor->Center).toStdString(), s.center);
        EXPECT_EQ(text(editor->Start).toStdString(), s.start);
        EXPECT_EQ(text(editor->Finish).toStdString(), s.finish);
        EXPECT_EQ(editor->R->text().toStdString(), s.r);
        EXPECT_EQ(editor->Len->text().toStdString(), s.len);
        EXPECT_EQ(editor->Ang->text().toStdString(), s.ang);
        EXPECT_EQ(editor->AngleToX->text().toStdString(), s.angleToX);
    }
};

TEST_F(ArcEditor, RecalculateDerivesEndLengthAndStartDirection) {
    ExpectShown({"0;0", "10;0", "0;10", "10", "15.708", "90", "0"});

    // The end turns from the start's own direction, not from the X axis.
    editor->Center->SetPoint({1, 1});
    editor->Start->SetPoint({1, 11});
    editor->Ang->SetValue(45);
    editor->Recalculate();
    ExpectShown({"1;1", "1;11", "-6.071;8.071", "10", "7.854", "45", "90"});
}

TEST_F(ArcEditor, EachChangedFieldUpdatesTheFieldsItNames) {
    TTileArcEditor* e = editor;
    const struct {
        const char* name;
        std::function<void()> edit;
        Shown shown;
    } cases[] = {
        {"radius to 20", [e] { TypeAndPressEnter(e->R, "20"); },
         {"0;0", "20;0", "0;20", "20", "31.416", "90", "0"}},
        {"length to 31.416: half a turn", [e] { TypeAndPressEnter(e->Len, "31.416"); },
         {"0;0", "10;0", "-10;0", "10", "31.416", "180", "0"}},
        {"finish to (0, 20): the start keeps its direction", [e] { TypeAndPressEnter(e->Finish->Y, "20"); },
         {"0;0", "20;0", "0;20", "20", "31.416", "90", "0"}},
        {"finish to (-10, 0) by its X", [e] {
             TypeAndPressEnter(e->Finish->X, "-10");
             TypeAndPressEnter(e->Finish->Y, "0");
         },
         {"0;0", "10;0", "-10;0", "10", "31.416", "180", "0"}},
        {"centre moves the whole arc", [e] {
             TypeAndPressEnter(e->Center->X, "5");
             TypeAndPressEnter(e->Center->Y, "5");
         },
         {"5;5", "15;5", "5;15", "10", "15.708", "90", "0"}},
        {"start to (0, 20): radius and direction follow", [e] {
             TypeAndPressEnter(e->Start->X, "0");
             TypeAndPressEnter(e->Start->Y, "20");
         },
         {"0;0", "0;20", "-20;0", "20", "31.416", "90", "90"}},
        {"sweep to 180", [e] { TypeAndPressEnter(e->Ang, "180"); },
         {"0;0", "10;0", "-10;0", "10", "31.416", "180", "0"}},
        {"start direction to 90", [e] { TypeAndPressEnter(e->AngleToX, "90"); },
         {"0;0", "0;10", "-10;0", "10", "15.708", "90", "90"}},
        {"an unreadable radius reads as 0", [e] { TypeAndPressEnter(e->R, "abc"); },
         {"0;0", "0;0", "0;0", "abc", "0", "90", "0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.edit();
        ExpectShown(c.shown);
    }
}

TEST_F(ArcEditor, ChangesAreTakenWhenTheUserLeavesTheField) {
    Type(editor->R, QStringLiteral("20"));
    EXPECT_EQ(editor->Len->text(), QStringLiteral("15.708"));
    Leave(spare);
    ExpectShown({"0;0", "20;0", "0;20", "20", "31.416", "90", "0"});
}

TEST_F(ArcEditor, UnitNameGoesToEveryLengthLabelAndHelpContextIsSet) {
    editor->SetUnitName(QStringLiteral("см"));
    EXPECT_EQ(editor->UnitName(), QStringLiteral("см"));
    for (QLabel* l : {editor->lblScSign1, editor->lblScSign2, editor->lblScSign3, editor->lblScSign4,
                      editor->lblScSign5}) {
        EXPECT_EQ(l->text(), QStringLiteral("см")) << l->objectName().toStdString();
    }
    EXPECT_EQ(editor->HelpContext(), 50);
}

class LineEditor : public ::testing::Test, public EditorHost<TTileLineEditor> {
protected:
    void SetUp() override {
        editor->Start->SetPoint({0, 0});
        editor->Finish->SetPoint({3, 4});
        editor->Recalculate();
        ShowActive(window);
    }
};

TEST_F(LineEditor, LengthAndDirectionFollowThePointsAndMoveTheEnd) {
    TTileLineEditor* e = editor;
    EXPECT_EQ(e->Len->text(), QStringLiteral("5"));
    EXPECT_EQ(e->AngToX->text(), QStringLiteral("53.13"));
    const struct {
        const char* name;
        std::function<void()> edit;
        const char *start, *finish, *len, *angToX;
    } cases[] = {
        {"length to 10 moves the end along", [e] { TypeAndPressEnter(e->Len, "10"); }, "0;0", "6;8", "10", "53.13"},
        {"direction to 90 turns the end", [e] { TypeAndPressEnter(e->AngToX, "90"); }, "0;0", "0;5", "5", "90"},
        {"moving the start recomputes", [e] { TypeAndPressEnter(e->Start->X, "6"); }, "6;0", "3;4", "5",
         "126.87"},
        {"moving the end recomputes", [e] { TypeAndPressEnter(e->Finish->Y, "-4"); }, "0;0", "3;-4", "5",
         "306.87"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.edit();
        EXPECT_EQ(text(e->Start).toStdString(), c.start);
        EXPECT_EQ(text(e->Finish).toStdString(), c.finish);
        EXPECT_EQ(e->Len->text().toStdString(), c.len);
        EXPECT_EQ(e->AngToX->text().toStdString(), c.angToX);
    }
    EXPECT_EQ(e->HelpContext(), 49);
}

TEST(PlacementEditor, OrientationHasFiveDecimalsAndRaisesOnOrientChanged) {
    EditorHost<TTilePlacementEditor> host;
    TTilePlacementEditor* e = host.editor;
    int orient = 0, tp = 0;
    e->OnOrientChanged = [&] { ++orient; };
    e->TP->OnPointChanged = [&] { ++tp; };
    e->TileAngle->SetValue(33.1234567);
    EXPECT_EQ(e->TileAngle->text(), QStringLiteral("33.12346"));
    e->SetUnitName(QStringLiteral("мм"));
    EXPECT_EQ(e->lblScSign1->text(), QStringLiteral("мм"));
    EXPECT_EQ(e->lblScSign2->text(), QStringLiteral("мм"));
    ShowActive(host.window);

    Enter(e->TileAngle);
    Leave(host.spare);
    EXPECT_EQ(orient, 0);
    TypeAndPressEnter(e->TileAngle, QStringLiteral("45"));
    EXPECT_EQ(orient, 1);
    Type(e->TP->X, QStringLiteral("7"));
    Leave(host.spare);
    EXPECT_EQ(tp, 1);
    EXPECT_EQ(orient, 1);
}

TEST(PointEditor, EitherFieldRaisesOnPointChanged) {
    EditorHost<TPointRealEditor> host;
    TPointEditor* p = host.editor->PointEditor1;
    int raised = 0;
    p->OnPointChanged = [&] { ++raised; };
    p->SetPoint({2.5f, 2});
    EXPECT_EQ(text(p), QStringLiteral("2.5;2"));
    ShowActive(host.window);
    TypeAndPressEnter(p->X, QStringLiteral("1"));
    Type(p->Y, QStringLiteral("3"));
    Leave(host.spare);
    EXPECT_EQ(raised, 2);
    EXPECT_EQ(p->Point(), (TPointF{1, 3}));
}

TEST(LinesBox, TwoItemsDrawnAsSolidAndDottedLines) {
    TLinesBox box;
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.itemText(0), QStringLiteral("lsSolid"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("lsDot"));

    const auto inkAlongMiddle = [](const QPixmap& p) {
        const QImage img = p.toImage();
        int ink = 0;
        for (int x = 0; x < img.width(); ++x) ink += qAlpha(img.pixel(x, img.height() / 2)) > 0;
        return ink;
    };
    const QPixmap solid = TLinesBox::LinePicture(0, Qt::black);
    const QPixmap dotted = TLinesBox::LinePicture(1, Qt::black);
    EXPECT_EQ(solid.size(), QSize(48, 16));
    EXPECT_EQ(dotted.size(), QSize(48, 16));
    EXPECT_GT(inkAlongMiddle(solid), 40);
    EXPECT_GT(inkAlongMiddle(dotted), 10);
    EXPECT_LT(inkAlongMiddle(dotted), 30);

    // A selected item is drawn inverted: highlight behind the line.
    QImage image(60, 20, QImage::Format_ARGB32);
    QPainter painter(&image);
    box.DrawItem(painter, 0, image.rect(), true);
    painter.end();
    EXPECT_EQ(QColor(image.pixel(1, 1)), box.palette().color(QPalette::Highlight));

    const struct {
        int style, row;
    } styles[] = {{0, 0}, {2, 1}, {1, 0}, {7, 0}};
    for (const auto& s : styles) {
        EXPECT_EQ(TLinesBox::RowOfLineStyle(s.style), s.row) << s.style;
    }
    EXPECT_EQ(TLinesBox::LineStyleOfRow(0), 0);
    EXPECT_EQ(TLinesBox::LineStyleOfRow(1), 2);
    EXPECT_EQ(TLinesBox::LineStyleOfRow(5), 0);
}

} // namespace
} // namespace vk
