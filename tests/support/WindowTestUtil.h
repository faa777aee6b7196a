#pragma once
// What window tests share: answering the next dialog, reading menus,
// running the main window's commands.

#include <QAction>
#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace vk::test {

// Runs `body` on the next modal dialog of type T, once the event loop shows it.
template <typename T, typename F>
void onNextDialog(F body) {
    QTimer::singleShot(0, [body] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<T*>(w); d != nullptr && d->isVisible()) {
                body(d);
                return;
            }
        }
        ADD_FAILURE() << "no dialog appeared";
    });
}

// The captions of a menu's or a tool bar's actions, "-" for a separator.
inline QStringList captions(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions) {
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return out;
}

// A command of the window's action table, run as a person would: only
// after the window went idle and enabled it.
template <typename W>
void runAction(W& window, const char* name) {
    window.UpdateActions();
    window.Action(QLatin1String(name))->trigger();
}
template <typename W>
bool actionEnabled(W& window, const char* name) {
    window.UpdateActions();
    return window.Action(QLatin1String(name))->isEnabled();
}

// A command run only when the window offers it; running a disabled one
// is a failure of the test.
template <typename W>
void runEnabledAction(W& window, const char* name) {
    ASSERT_TRUE(actionEnabled(window, name)) << name;
    window.Action(QLatin1String(name))->trigger();
}

// A check command (a tool) put down or up as its button would be.
template <typename W>
void setActionDown(W& window, const char* name, bool down) {
    if (window.Action(QLatin1String(name))->isChecked() != down) {
        runEnabledAction(window, name);
    }
}

} // namespace vk::test
