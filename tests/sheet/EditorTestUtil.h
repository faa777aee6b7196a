#pragma once
// Driving number fields as the user does: focus, typing, Enter, leaving.

#include "sheet/FloatEdit.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace vk {

// A shown, active top-level window, so that focus changes send focus events.
inline void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

inline void Enter(QWidget* field) {
    field->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(field->hasFocus());
}

// Replaces the field's text as if typed.
inline void Type(TJvFloatEdit3* field, const QString& text) {
    Enter(field);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

inline void PressEnter(QWidget* field) { QTest::keyClick(field, Qt::Key_Return); }

inline void Leave(QWidget* to) {
    to->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

inline void TypeAndPressEnter(TJvFloatEdit3* field, const QString& text) {
    Type(field, text);
    PressEnter(field);
}

} // namespace vk
