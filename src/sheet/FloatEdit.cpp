#include "sheet/FloatEdit.h"

#include "geometry/NumberFormat.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace vk {

TJvFloatEdit3::TJvFloatEdit3(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight);
    // Text put in by the program (setText resets the modified flag) becomes
    // the value to compare with, so that leaving the field does not report
    // it as the user's change.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!isModified()) {
            m_remembered = Value();
        }
    });
}

void TJvFloatEdit3::SetMaxDecimals(int decimals) { m_maxDecimals = decimals < 0 ? 0 : decimals; }

double TJvFloatEdit3::Value() const { return parseNumber(text()).value_or(0.0); }

void TJvFloatEdit3::SetValue(double value) {
    setText(FormatValue(value, m_maxDecimals));
    m_remembered = Value();
}

QString TJvFloatEdit3::FormatValue(double value, int maxDecimals) {
    return trimZeros(formatFixed(value, maxDecimals));
}

void TJvFloatEdit3::focusInEvent(QFocusEvent* event) {
    m_remembered = Value();
    QLineEdit::focusInEvent(event);
}

void TJvFloatEdit3::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (Value() != m_remembered) {
        raiseValueChanged();
    }
}

void TJvFloatEdit3::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);
        raiseValueChanged();
        // The value is taken; the key goes on to the window, so that a dialog
        // with a default button is confirmed. (The element editor has none on
        // purpose: there Enter only takes the value.)
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TJvFloatEdit3::raiseValueChanged() {
    m_remembered = Value();
    if (OnValueChanged) {
        OnValueChanged();
    }
}

} // namespace vk
