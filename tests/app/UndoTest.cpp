// Undo and redo in the main window: every change of the border, the start
// point and the orientation is one step, undone and redone to the same bytes,
// and the modified flag follows the saved state.

#include "support/WindowTestUtil.h"
#include "app/LittleDialog.h"
#include "app/MainForm.h"
#include "editors/ElementListEditor.h"
#include "editors/SelectTile.h"
#include "geometry/GraphicPrimitive.h"
#include "library/StarterLibrary.h"
#include "library/TileDB.h"
#include "model/Project.h"
#include "sheet/EditorFactory.h"
#include "ui/PropertyEditor.h"
#include "sheet/FloatEdit.h"
#include "sheet/PlanSheet.h"
#include "sheet/PrimEditWindow.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <gtest/gtest.h>
#include <bit>
#include <chrono>
#include <functional>

using namespace vk;

using vk::test::onNextDialog;

namespace {

QByteArray bytesOf(const FlaggedPoint& p) { return QByteArray(reinterpret_cast<const char*>(&p), sizeof p); }

// The project as far as its history reaches: every element's record, the
// base point, the start point and the orientation, byte for byte.
struct TProjectState {
    std::vector<QByteArray> Elements;
    QByteArray Base;
    QByteArray Start;
    std::uint32_t Orientation = 0;
    bool operator==(const TProjectState&) const = default;
};

TProjectState stateOf(TProject& project) {
    TProjectState s;
    for (int i = 0; i < project.Elements().Count(); ++i) {
        const TGraphicPrimitive* e = project.Elements().Items(i);
        QByteArray record = QByteArray::number(e->GetKind()) + ':' + QByteArray::number(e->GetVersion()) + ':' +
                            QByteArray::number(e->LineStyle) + ':';
        record += QByteArray(reinterpret_cast<const char*>(e->Data()), e->GetDataSize());
        s.Elements.push_back(record);
    }
    s.Base = bytesOf(project.BasePoint);
    s.Start = bytesOf(project.StartPoint());
    s.Orientation = std::bit_cast<std::uint32_t>(project.Orientation());
    return s;
}

void expectSame(const TProjectState& got, const TProjectState& want, const char* when) {
    ASSERT_EQ(got.Elements.size(), want.Elements.size()) << when;
    for (std::size_t i = 0; i < got.Elements.size(); ++i) {
        EXPECT_EQ(got.Elements[i], want.Elements[i]) << when << ": element " << i;
    }
    EXPECT_EQ(got.Base, want.Base) << when << ": base point";
    EXPECT_EQ(got.Start, want.Start) << when << ": start point";
    EXPECT_EQ(got.Orientation, want.Orientation) << when << ": orientation";
}

// The property editor of the next element: its line becomes a cut line.
void makeNextElementDashed() {
    onNextDialog<TfrmPrimEdit>([](TfrmPrimEdit* d) {
        auto* styles = d->findChild<QComboBox*>();
        if (styles == nullptr) {
            ADD_FAILURE() << "no property editor";
            d->reject();
            return;
        }
        styles->setCurrentIndex(1);
        d->btnSave->click();
    });
}

class UndoInMainWindow : public ::testing::Test {
public:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        InstallWidgetEditorFactory();
        window = std::make_unique<TfrmMain>();
        window->resize(1200, 800);
        window->show();
        QApplication::processEvents();
        sheet()->SetScale(0.05);
        sheet()->CenterOn(2000, 1500);
        sheet()->RenderView();
    }
    void TearDown() override {
        window.reset();
        setEditorFactory(nullptr);
        QLocale::setDefault(QLocale::system());
    }

    TPlanSheet* sheet() { return window->ProjectPlanSheet; }
    TProject* project() { return window->Project(); }
    QUndoStack& history() { return project()->History(); }
    void run(const char* action) { test::runAction(*window, action); }
    // A person presses a tool button only to change its state.
    void tool(const char* action, bool down) {
        if (window->Action(QLatin1String(action))->isChecked() != down) run(action);
    }
    void undo() {
        QApplication::processEvents();
        ASSERT_TRUE(window->acUndo->isEnabled());
        window->acUndo->trigger();
    }
    void redo() {
        QApplication::processEvents();
        ASSERT_TRUE(window->acRedo->isEnabled());
        window->acRedo->trigger();
    }

    void pointer(TPlanSheet::TMouseKind kind, float x, float y, Qt::MouseButton button, Qt::MouseButtons held) {
        sheet()->TrackPointer(kind, sheet()->Geometry().WorldToDevice(x, y), button, {Qt::NoModifier, held});
    }
    void click(float x, float y) {
        pointer(TPlanSheet::TMouseKind::Move, x, y, Qt::NoButton, Qt::NoButton);
        pointer(TPlanSheet::TMouseKind::Down, x, y, Qt::LeftButton, Qt::LeftButton);
        pointer(TPlanSheet::TMouseKind::Up, x, y, Qt::LeftButton, Qt::NoButton);
    }
    // Grabs at `from` and lets go at `to`, moving there in `moves` steps.
    void drag(TPointF from, TPointF to, int moves = 1) {
        tool("acSelectElement", true);
        pointer(TPlanSheet::TMouseKind::Move, from.X, from.Y, Qt::NoButton, Qt::NoButton);
        pointer(TPlanSheet::TMouseKind::Down, from.X, from.Y, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= moves; ++i) {
            const float t = float(i) / float(moves);
            pointer(TPlanSheet::TMouseKind::Move, from.X + (to.X - from.X) * t, from.Y + (to.Y - from.Y) * t,
                    Qt::NoButton, Qt::LeftButton);
        }
        pointer(TPlanSheet::TMouseKind::Up, to.X, to.Y, Qt::LeftButton, Qt::NoButton);
    }
    // Picks an element with the border tool.
    void select(float x, float y) {
        tool("acSelectElement", true);
        click(x, y);
        ASSERT_NE(project()->Current(), nullptr);
    }

    // A fresh project with a border of four elements (segments along the
    // bottom and the right, a half circle on top, a segment down the left)
    // and its start point.
    void newProjectWithBorder() {
        if (project() != nullptr && project()->Modified) ui.answer(TAnswer::No);
        run("acNewProject");
        tool("acSelectElement", false);
        tool("acLine", true);
        click(0, 0);
        click(4000, 0);
        click(4000, 0);
        click(4000, 3000);
        tool("acArc", true);
        click(2000, 3000);
        click(4000, 3000);
        click(0, 3000);
        tool("acLine", true);
        click(0, 3000);
        click(0, 0);
        tool("acLine", false);
        run("acStartPointSet");
        click(1000, 1000);
        ASSERT_EQ(project()->Elements().Count(), 4);
        ASSERT_TRUE(project()->StartPoint().isSet());
    }

    test::TScriptedUi ui;
    std::unique_ptr<TfrmMain> window;
};

} // namespace

TEST_F(UndoInMainWindow, EveryChangeIsOneStepUndoneAndRedoneElementByElement) {
    const struct {
        const char* name;
        const char* step;
        std::function<void(UndoInMainWindow&)> act;
    } cases[] = {
        {"draw a segment", "Отрезок",
         [](UndoInMainWindow& t) {
             t.tool("acLine", true);
             t.click(1000, 2000);
             t.click(3000, 2500);
             t.tool("acLine", false);
         }},
        {"draw an arc", "Дуга",
         [](UndoInMainWindow& t) {
             t.tool("acArc", true);
             t.click(2000, 1500);
             t.click(2500, 1500);
             t.click(1500, 1500);
             t.tool("acArc", false);
         }},
        {"drag an end", "Перемещение",
         [](UndoInMainWindow& t) { t.drag({4000, 0}, {4500, -600}, 3); }},
        {"edit in the property editor", "Свойства элемента",
         [](UndoInMainWindow& t) {
             t.select(2000, 0);
             makeNextElementDashed();
             t.run("acEditPrimitive");
         }},
        {"delete", "Удаление элемента",
         [](UndoInMainWindow& t) {
             t.select(4000, 1500);
             t.ui.answer(TAnswer::Yes);
             t.run("acDeletePrimitive");
         }},
        {"delete in the element list", "Список элементов",
         [](UndoInMainWindow& t) {
             t.ui.answer(TAnswer::Yes);
             onNextDialog<TfrmElListEditor>([](TfrmElListEditor* d) {
                 d->ElList->item(0)->setSelected(true);
                 d->ElList->item(2)->setSelected(true);
                 d->acDelete->click();
                 d->reject();
             });
             t.run("acBorderList");
         }},
        {"edit in the element list", "Список элементов",
         [](UndoInMainWindow& t) {
             onNextDialog<TfrmElListEditor>([](TfrmElListEditor* d) {
                 d->ElList->setCurrentRow(3);
                 makeNextElementDashed();
                 d->Edit();
                 d->reject();
             });
             t.run("acBorderList");
         }},
        {"set the start point", "Начальная точка",
         [](UndoInMainWindow& t) {
             t.run("acStartPointSet");
             t.click(2500, 500);
         }},
        {"correct the start point", "Начальная точка",
         [](UndoInMainWindow& t) {
             onNextDialog<TfrmLittleDialog>([](TfrmLittleDialog* d) {
                 const QList<TJvFloatEdit3*> fields = d->findChildren<TJvFloatEdit3*>();
                 if (fields.isEmpty()) {
                     ADD_FAILURE() << "no point editor";
                     d->reject();
                     return;
                 }
                 fields.front()->SetValue(fields.front()->Value() + 1.5);
                 d->btnOk->click();
             });
             t.run("acStartPointEdit");
         }},
        {"change the orientation", "Ориентация",
         [](UndoInMainWindow& t) {
             t.ui.type(QStringLiteral("30"));
             t.run("acOrientation");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        newProjectWithBorder();
        const TProjectState before = stateOf(*project());
        const int index = history().index();
        c.act(*this);
        const TProjectState after = stateOf(*project());
        EXPECT_NE(after, before) << "the case changes the project";
        EXPECT_EQ(history().index(), index + 1) << "one step";
        QApplication::processEvents();
        EXPECT_EQ(window->acUndo->text(), QStringLiteral("Отменить: %1").arg(QString::fromUtf8(c.step)));

        undo();
        expectSame(stateOf(*project()), before, "undone");
        EXPECT_EQ(window->acRedo->text(), QStringLiteral("Повторить: %1").arg(QString::fromUtf8(c.step)));
        redo();
        expectSame(stateOf(*project()), after, "redone");
        EXPECT_TRUE(ui.allAnswersUsed());
    }
}

TEST_F(UndoInMainWindow, UndoAndRedoAreCaptionedKeyedAndPlaced) {
    QApplication::processEvents();
    EXPECT_EQ(window->acUndo->text(), QStringLiteral("Отменить"));
    EXPECT_EQ(window->acRedo->text(), QStringLiteral("Повторить"));
    EXPECT_FALSE(window->acUndo->isEnabled()) << "no project, nothing to undo";
    EXPECT_EQ(window->acUndo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(window->acRedo->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))}));
    EXPECT_EQ(window->mnuSite->actions().value(0), window->acUndo);
    EXPECT_EQ(window->mnuSite->actions().value(1), window->acRedo);
    const QList<QAction*> tools = window->ToolBar->actions();
    const int line = int(tools.indexOf(window->Action("acLine")));
    ASSERT_GE(line, 3);
    EXPECT_EQ(tools[line - 3], window->acUndo);
    EXPECT_EQ(tools[line - 2], window->acRedo);

    newProjectWithBorder();
    QApplication::processEvents();
    EXPECT_EQ(window->acUndo->text(), QStringLiteral("Отменить: Начальная точка"));
    EXPECT_FALSE(window->acRedo->isEnabled());
    // A new project starts with nothing to undo.
    ui.answer(TAnswer::No);
    run("acNewProject");
    QApplication::processEvents();
    EXPECT_FALSE(window->acUndo->isEnabled());
    EXPECT_EQ(window->acUndo->text(), QStringLiteral("Отменить"));
}

TEST_F(UndoInMainWindow, UndoingBackToTheSavedStateClearsModifiedAndCloseAsksNothing) {
    test::TTempDir dir;
    newProjectWithBorder();
    ui.chooseFile(dir.file("Участок.mpp"));
    run("acSaveProject");
    ASSERT_FALSE(project()->Modified);
    drag({4000, 0}, {4200, 0});
    ui.type(QStringLiteral("45"));
    run("acOrientation");
    EXPECT_TRUE(project()->Modified);
    undo();
    EXPECT_TRUE(project()->Modified);
    undo();
    EXPECT_FALSE(project()->Modified) << "as the file holds it";
    undo();
    EXPECT_TRUE(project()->Modified) << "the start point was saved, its undoing is a change";
    redo();
    EXPECT_FALSE(project()->Modified);
    const std::size_t messages = ui.messages.size();
    EXPECT_TRUE(window->close()) << "nothing differs from the file: no question";
    EXPECT_EQ(ui.messages.size(), messages);
}

TEST_F(UndoInMainWindow, AnOpenedProjectIsCleanAndItsUndoneEditsAreToo) {
    test::TTempDir dir;
    newProjectWithBorder();
    const QString file = dir.file("Участок.mpp");
    ui.chooseFile(file);
    run("acSaveProject");
    ui.chooseFile(file);
    run("acOpenProject");
    ASSERT_FALSE(project()->Modified);
    QApplication::processEvents();
    EXPECT_FALSE(window->acUndo->isEnabled());
    select(2000, 0);
    ui.answer(TAnswer::Yes);
    run("acDeletePrimitive");
    EXPECT_TRUE(project()->Modified);
    undo();
    EXPECT_FALSE(project()->Modified);
}

TEST_F(UndoInMainWindow, ConsecutiveDragsOfOneElementAreOneStep) {
    newProjectWithBorder();
    const TProjectState before = stateOf(*project());
    const int index = history().index();
    tool("acSelectElement", true);
    drag({4000, 0}, {4300, 0}, 4);
    drag({4300, 0}, {4300, -300}, 4);
    EXPECT_EQ(history().index(), index + 1);
    drag({4000, 1500}, {4600, 1500}, 2); // the right side, another element
    EXPECT_EQ(history().index(), index + 2);
    undo();
    undo();
    expectSame(stateOf(*project()), before, "both steps undone");
}

TEST_F(UndoInMainWindow, ADeletedElementRestoredByUndoCanBeEditedAndUndone) {
    newProjectWithBorder();
    // An edit, then the deletion of the element edited: undoing both finds
    // the element the deletion's undoing made anew.
    const TProjectState original = stateOf(*project());
    select(2000, 0);
    makeNextElementDashed();
    run("acEditPrimitive");
    const TProjectState edited = stateOf(*project());
    ui.answer(TAnswer::Yes);
    run("acDeletePrimitive");
    undo();
    expectSame(stateOf(*project()), edited, "deletion undone");
    undo();
    expectSame(stateOf(*project()), original, "edit undone");

    // The restored element takes new edits, which undo as any other.
    redo();
    select(2000, 0);
    ui.answer(TAnswer::Yes);
    run("acDeletePrimitive");
    undo();
    const TProjectState restored = stateOf(*project());
    drag({4000, 0}, {4500, 500});
    EXPECT_NE(stateOf(*project()), restored);
    undo();
    expectSame(stateOf(*project()), restored, "drag of the restored element undone");
}

// The fill is no step: a border edit undone after it leaves the laid tiles
// as they are, and the change the fill made keeps the project modified.
TEST_F(UndoInMainWindow, UndoOfABorderEditAfterAFillLeavesTheLaidTiles) {
    test::TTempDir dir;
    QFile description(QStringLiteral(STARTER_DESCRIPTION));
    ASSERT_TRUE(description.open(QIODevice::ReadOnly));
    TTileDB library(dir.file("DB"));
    WriteStarterLibrary(ReadStarterDescription(description.readAll()), library);
    const auto pickNext = [](const QString& name) {
        onNextDialog<TfrmSelectTile>([name](TfrmSelectTile* pick) {
            for (int row = 0; row < pick->dbgTiles->rowCount(); ++row) {
                if (pick->dbgTiles->item(row, 0)->text() == name) pick->dbgTiles->setCurrentCell(row, 0);
            }
            pick->btOk->click();
        });
    };

    newProjectWithBorder();
    pickNext(QStringLiteral("Квадрат 100×100×60"));
    run("acSelectTile");
    pickNext(QStringLiteral("Прямые ряды"));
    run("acSelectCollage");
    ui.chooseFile(dir.file("Участок.mpp"));
    run("acSaveProject");
    drag({4000, 0}, {4400, 0}); // a border edit before the fill
    project()->SetStepBudget(std::chrono::microseconds(0));
    run("acFill");
    QApplication::processEvents();
    ASSERT_TRUE(project()->IsRunning());
    EXPECT_FALSE(window->acUndo->isEnabled()) << "no step of the history while a fill is pending";
    QElapsedTimer timer;
    timer.start();
    while (project()->IsRunning() && timer.elapsed() < 60000) QApplication::processEvents();
    ASSERT_FALSE(project()->IsRunning());
    const int laid = project()->LaidTiles().Count();
    ASSERT_GT(laid, 100);

    const TProjectState filled = stateOf(*project());
    undo();
    EXPECT_EQ(project()->LaidTiles().Count(), laid);
    EXPECT_TRUE(project()->Modified) << "the tiles differ from the file";
    redo();
    expectSame(stateOf(*project()), filled, "redone");
    EXPECT_EQ(project()->LaidTiles().Count(), laid);
    // The tiles as saved: a border edit and its undoing leave them alone.
    run("acSaveProject");
    select(2000, 0);
    ui.answer(TAnswer::Yes);
    run("acDeletePrimitive");
    undo();
    EXPECT_EQ(project()->LaidTiles().Count(), laid);
    EXPECT_FALSE(project()->Modified);
}
