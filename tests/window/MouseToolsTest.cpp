// Mouse tools as data: which tool gets the sheet's mouse, what a tool sets
// on the sheet and the window while it is on, and what comes back when it
// goes off.

#include "window/MouseTools.h"

#include "sheet/PlanSheet.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vk;

namespace {

class MouseTools : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(900, 700);
        sheet = new TPlanSheet(&window);
        sheet->resize(900, 700);
        sheet->SetGeometry(20000.0f, 20000.0f, 10000.0f, 10000.0f);
        sheet->SetScale(0.05);
        window.show();
        QApplication::processEvents();
        sheet->CenterOn(0, 0);
        sheet->RenderView();
        for (QAction** a : {&draw, &drawItem, &pick, &once, &onceItem}) {
            *a = new QAction(&window);
            (*a)->setCheckable(true);
        }
        tools = std::make_unique<TMouseTools>(&window, sheet, THelpContext::MainWindow);
    }

    // A tool that writes down what reaches it.
    TMouseTool logging(const char* name, QAction* action) {
        const std::string n = name;
        TMouseTool tool;
        tool.action = action;
        tool.press = [this, n](const TPointer& p) {
            log.push_back(n + (p.button == Qt::RightButton ? " press right" : " press"));
            last = p;
        };
        tool.move = [this, n](const TPointer&) { log.push_back(n + " move"); };
        tool.release = [this, n](const TPointer&) { log.push_back(n + " release"); };
        return tool;
    }

    void click(float x, float y, Qt::MouseButton button = Qt::LeftButton) {
        const QPointF p = sheet->Geometry().WorldToDevice(x, y);
        sheet->TrackPointer(TPlanSheet::TMouseKind::Down, p, button, {Qt::NoModifier, button});
        sheet->TrackPointer(TPlanSheet::TMouseKind::Move, p, Qt::NoButton, {Qt::NoModifier, button});
        sheet->TrackPointer(TPlanSheet::TMouseKind::Up, p, button, {Qt::NoModifier, Qt::NoButton});
    }
    std::vector<std::string> takeLog() { return std::exchange(log, {}); }
    int help() const { return window.property("helpContext").toInt(); }
    Qt::CursorShape cursor() const { return sheet->FScrollBox->viewport()->cursor().shape(); }

    // The pop-up menu a right click on the view brings up, closed again at once.
    QMenu* menuOfARightClick() {
        QMenu* shown = nullptr;
        QTimer::singleShot(0, [&shown] {
            shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (shown != nullptr) shown->close();
        });
        QWidget* view = sheet->FScrollBox->viewport();
        const QPoint at(200, 200);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
        QApplication::sendEvent(view, &event);
        QApplication::processEvents();
        return shown;
    }

    QWidget window;
    TPlanSheet* sheet = nullptr;
    QAction* draw = nullptr;
    QAction* drawItem = nullptr;
    QAction* pick = nullptr;
    QAction* once = nullptr;
    QAction* onceItem = nullptr;
    std::unique_ptr<TMouseTools> tools;
    std::vector<std::string> log;
    TPointer last;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(MouseTools, OnlyTheToolOfTheLastCommandRunGetsTheMouse) {
    tools->Add(logging("draw", draw));
    TMouseTool pickTool = logging("pick", pick);
    pickTool.move = nullptr;
    tools->Add(pickTool);

    click(100, 100);
    EXPECT_EQ(takeLog(), Log{}) << "no tool on";

    draw->trigger();
    click(1000, 500);
    EXPECT_EQ(takeLog(), (Log{"draw press", "draw move", "draw release"}));
    EXPECT_NEAR(last.x, 1000.0f, 20.0f);
    EXPECT_NEAR(last.y, 500.0f, 20.0f);
    EXPECT_EQ(last.button, Qt::LeftButton);

    // Not grouped: the draw button stays down, but its tool lets go.
    pick->trigger();
    EXPECT_TRUE(draw->isChecked());
    EXPECT_EQ(tools->Active(), pick);
    click(0, 0, Qt::RightButton);
    EXPECT_EQ(takeLog(), (Log{"pick press right", "pick release"})) << "a tool without a move handler";

    // Raising a button lets go of the sheet, whichever tool had it.
    draw->trigger();
    EXPECT_EQ(tools->Active(), nullptr);
    click(0, 0);
    EXPECT_EQ(takeLog(), Log{});
}

TEST_F(MouseTools, AToolOnSetsItsCursorHelpAndRoundingAndOffGivesThemBack) {
    sheet->RoundCoordinates = true;
    TMouseTool drawTool = logging("draw", draw);
    drawTool.cursor = Qt::PointingHandCursor;
    drawTool.help = THelpContext::DrawingSegmentsAndArcs;
    drawTool.rounding = TRounding::Off;
    tools->Add(drawTool);
    TMouseTool pickTool = logging("pick", pick);
    pickTool.help = THelpContext::SelectingLines;
    pickTool.rounding = TRounding::Keep;
    tools->Add(pickTool);
    ASSERT_EQ(cursor(), Qt::CrossCursor) << "the sheet's own cursor";

    draw->trigger();
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
    EXPECT_EQ(help(), 27);
    EXPECT_FALSE(sheet->RoundCoordinates);

    pick->trigger();
    EXPECT_EQ(cursor(), Qt::CrossCursor);
    EXPECT_EQ(help(), 47);
    EXPECT_FALSE(sheet->RoundCoordinates) << "a tool that keeps the rounding leaves it as it found it";
    pick->trigger();
    EXPECT_EQ(help(), 6);
    EXPECT_FALSE(sheet->RoundCoordinates);

    draw->trigger(); // up
    EXPECT_EQ(help(), 6);
    EXPECT_EQ(cursor(), Qt::CrossCursor);
    EXPECT_TRUE(sheet->RoundCoordinates) << "the sheet's own rounding comes back";
}

TEST_F(MouseTools, AToolItsWindowRefusesStaysOffThoughItsButtonIsDown) {
    bool documentOpen = false;
    std::vector<bool> asked;
    TMouseTool tool = logging("draw", draw);
    tool.help = THelpContext::DrawingSegmentsAndArcs;
    tool.prepare = [&](bool down) {
        asked.push_back(down);
        return documentOpen;
    };
    tools->Add(tool);

    draw->trigger();
    EXPECT_EQ(asked, std::vector<bool>{true});
    EXPECT_EQ(tools->Active(), nullptr);
    EXPECT_EQ(help(), 6);
    click(0, 0);
    EXPECT_EQ(takeLog(), Log{});

    documentOpen = true;
    draw->trigger(); // up
    draw->trigger(); // down again
    EXPECT_EQ(asked, (std::vector<bool>{true, false, true})) << "the window hears every switch";
    click(0, 0);
    EXPECT_EQ(takeLog().size(), 3u);
}

TEST_F(MouseTools, AMenuItemAndItsButtonMoveTogetherAlsoWithinAGroup) {
    TMouseTool drawTool = logging("draw", draw);
    drawTool.menuItem = drawItem;
    tools->Add(drawTool);
    tools->Add(logging("pick", pick));
    tools->Group({draw, pick});

    drawItem->trigger();
    EXPECT_TRUE(draw->isChecked()) << "the button follows the menu item";
    click(0, 0);
    EXPECT_EQ(takeLog().front(), "draw press");

    // The group raises the other button; the menu item shows it.
    pick->trigger();
    EXPECT_FALSE(draw->isChecked());
    EXPECT_FALSE(drawItem->isChecked());
    click(0, 0);
    EXPECT_EQ(takeLog().front(), "pick press");

    draw->trigger();
    EXPECT_TRUE(drawItem->isChecked()) << "the menu item follows the button";
    EXPECT_FALSE(pick->isChecked());
    drawItem->trigger();
    EXPECT_FALSE(draw->isChecked());
    EXPECT_EQ(tools->Active(), nullptr);
}

TEST_F(MouseTools, AToolThatEndsByItselfComesUpWithoutRunningItsCommandAgain) {
    int switches = 0;
    TMouseTool tool;
    tool.action = once;
    tool.menuItem = onceItem;
    tool.help = THelpContext::StartPoint;
    tool.press = [&](const TPointer&) {
        log.push_back("once press");
        tools->Finish();
    };
    tool.prepare = [&](bool) {
        ++switches;
        return true;
    };
    tools->Add(tool);

    onceItem->trigger();
    ASSERT_EQ(switches, 1);
    EXPECT_EQ(help(), 52);
    click(0, 0);
    click(10, 10);
    EXPECT_EQ(takeLog(), Log{"once press"}) << "the second click reaches nothing";
    EXPECT_FALSE(once->isChecked());
    EXPECT_FALSE(onceItem->isChecked());
    EXPECT_EQ(switches, 1);
    EXPECT_EQ(help(), 6);
    EXPECT_EQ(sheet->OnPSMouseDown, nullptr);
}

TEST_F(MouseTools, ARightClickOpensThePopUpMenuOfTheToolThatIsOnAfterItsPress) {
    QMenu pickMenu;
    pickMenu.addAction(QStringLiteral("Удалить"));
    TMouseTool pickTool = logging("pick", pick);
    pickTool.popup = &pickMenu;
    tools->Add(pickTool);
    tools->Add(logging("draw", draw));

    EXPECT_EQ(menuOfARightClick(), nullptr) << "no tool, no menu";
    pick->trigger();
    EXPECT_EQ(tools->Popup(), &pickMenu);
    EXPECT_EQ(menuOfARightClick(), &pickMenu);
    draw->trigger();
    EXPECT_EQ(tools->Popup(), nullptr) << "the tool on has no menu";
    EXPECT_EQ(menuOfARightClick(), nullptr);
}
