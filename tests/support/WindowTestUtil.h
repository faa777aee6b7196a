#pragma once
// What window tests share: answering the next dialog, reading menus.

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

} // namespace vk::test
