// A window's commands made from one table: enabling rules, handles, layouts.

#include "window/ActionTable.h"

#include <QAction>
#include <QEventLoop>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QWidget>
#include <gtest/gtest.h>

using namespace vk;
using namespace Qt::StringLiterals;

namespace {

enum class TId { acOpen, acSave, acClose, acGrid };
enum class TWhen { Always, Never, DocumentOpen, DocumentModified };

// A window with a document that may be open and modified.
struct TDocumentWindow {
    bool open = false;
    bool modified = false;
    QWidget widget;
    TActionSet<TId, TWhen> actions{[this](TWhen rule) {
        switch (rule) {
        case TWhen::Always: return true;
        case TWhen::Never: return false;
        case TWhen::DocumentOpen: return open;
        case TWhen::DocumentModified: return open && modified;
        }
        return false;
    }};

    TDocumentWindow() {
        // Rows need not come in the order of the ids.
        const TActionRow<TId, TWhen> rows[] = {
            {TId::acSave, "acSave", u"Сохранить"_s, {}, {u"Ctrl+S"_s}, TWhen::DocumentModified},
            {TId::acOpen, "acOpen", u"Открыть"_s, u"Открыть документ"_s, {}, TWhen::Always},
            {TId::acClose, "acClose", u"Закрыть"_s, {}, {u"Ctrl+W"_s, u"Ctrl+F4"_s}, TWhen::DocumentOpen},
            {TId::acGrid, "acGrid", u"Сетка"_s, {}, {}, TWhen::Never, TActionKind::Check},
        };
        actions.Add(&widget, rows, [](const QString& name) {
            return name == u"acGrid"_s ? QIcon() : QIcon(QPixmap(8, 8));
        });
    }
    [[nodiscard]] QList<bool> enabled() const {
        QList<bool> out;
        for (QAction* a : actions.All()) out << a->isEnabled();
        return out;
    }
};

} // namespace

TEST(ActionTable, EachRuleOfTheTableDecidesItsActionWheneverTheStateChanges) {
    TDocumentWindow w;
    // In table order: save, open, close, grid.
    const struct {
        const char* state;
        bool open;
        bool modified;
        QList<bool> enabled;
    } cases[] = {
        {"no document", false, false, {false, true, false, false}},
        {"an unchanged document", true, false, {false, true, true, false}},
        {"a modified document", true, true, {true, true, true, false}},
        {"closed again", false, true, {false, true, false, false}},
    };
    for (const auto& c : cases) {
        w.open = c.open;
        w.modified = c.modified;
        w.actions.Update();
        EXPECT_EQ(w.enabled(), c.enabled) << c.state;
    }
}

TEST(ActionTable, RulesAreEvaluatedWhenTheApplicationWaitsForEvents) {
    TDocumentWindow w;
    RunWhenIdle(&w.widget, [&w] { w.actions.Update(); });
    w.actions.Update();
    w.open = true;
    ASSERT_FALSE(w.actions[TId::acClose]->isEnabled());
    // A loop that has nothing to do until its timer waits, and going to wait
    // re-evaluates the rules.
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(w.actions[TId::acClose]->isEnabled());
}

TEST(ActionTable, HandlesAndNamesReachTheActionsTheRowsDescribe) {
    TDocumentWindow w;
    for (TId id : {TId::acOpen, TId::acSave, TId::acClose, TId::acGrid}) {
        QAction* a = w.actions[id];
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(w.actions.Find(a->objectName()), a);
        EXPECT_EQ(a->parent(), &w.widget);
    }
    EXPECT_EQ(w.actions.Find(u"acPrint"_s), nullptr);
    EXPECT_EQ(w.actions[TId::acSave]->text(), u"Сохранить"_s);
    EXPECT_EQ(w.actions[TId::acSave]->toolTip(), u"Сохранить"_s) << "no hint: the caption";
    EXPECT_EQ(w.actions[TId::acOpen]->toolTip(), u"Открыть документ"_s);
    EXPECT_EQ(w.actions[TId::acOpen]->statusTip(), u"Открыть документ"_s);
    // Every key of a row works; the first is the one menus show.
    EXPECT_EQ(w.actions[TId::acClose]->shortcuts(),
              (QList<QKeySequence>{QKeySequence(u"Ctrl+W"_s), QKeySequence(u"Ctrl+F4"_s)}));
    EXPECT_EQ(w.actions[TId::acClose]->shortcut(), QKeySequence(u"Ctrl+W"_s));
    EXPECT_TRUE(w.actions[TId::acGrid]->isCheckable());
    EXPECT_FALSE(w.actions[TId::acOpen]->isCheckable());
    EXPECT_TRUE(w.actions[TId::acGrid]->icon().isNull());
    EXPECT_FALSE(w.actions[TId::acOpen]->icon().isNull());
    EXPECT_FALSE(w.actions[TId::acOpen]->isIconVisibleInMenu()) << "pictures are for tool bars";
}

TEST(ActionTable, LayoutsPlaceActionsSeparatorsAndSubmenusInOrder) {
    TDocumentWindow w;
    QMenu menu;
    QMenu recent(u"Недавние"_s, &menu);
    QToolBar bar;
    AddItems(&menu, {w.actions[TId::acOpen], recent.menuAction(), nullptr, w.actions[TId::acClose]});
    AddItems(&bar, {w.actions[TId::acOpen], nullptr, w.actions[TId::acGrid]});
    const auto describe = [](const QList<QAction*>& items) {
        QStringList out;
        for (QAction* a : items) out << (a->isSeparator() ? u"-"_s : a->text());
        return out;
    };
    EXPECT_EQ(describe(menu.actions()), (QStringList{u"Открыть"_s, u"Недавние"_s, u"-"_s, u"Закрыть"_s}));
    EXPECT_EQ(menu.actions()[1]->menu(), &recent);
    EXPECT_EQ(describe(bar.actions()), (QStringList{u"Открыть"_s, u"-"_s, u"Сетка"_s}));
}
