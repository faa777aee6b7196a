#pragma once
// The number field of the property editors: a right-aligned edit box for one
// number in the user's number format.
//
// Change event: the value is remembered when the field is entered; leaving
// the field raises OnValueChanged when the value differs from the remembered
// one; Enter raises it at once, changed or not (and is consumed, so it never
// presses a dialog's default button). Values set by the program raise nothing.

#include <QLineEdit>
#include <functional>

namespace vk {

using TNotifyEvent = std::function<void()>;

class TJvFloatEdit3 : public QLineEdit {
    Q_OBJECT
public:
    explicit TJvFloatEdit3(QWidget* parent = nullptr);

    [[nodiscard]] int MaxDecimals() const { return m_maxDecimals; }
    void SetMaxDecimals(int decimals);

    // The text read as a number; empty or unreadable text reads as 0.
    [[nodiscard]] double Value() const;
    // Shows value with at most MaxDecimals decimals and no trailing zeros
    // (2.5 as "2.5", 2 as "2"). Raises nothing.
    void SetValue(double value);

    // The "######0.###" pattern: fixed notation, at most maxDecimals
    // decimals, trailing zeros and a trailing separator dropped.
    [[nodiscard]] static QString FormatValue(double value, int maxDecimals);

    TNotifyEvent OnValueChanged;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void raiseValueChanged();

    int m_maxDecimals = 3;
    double m_remembered = 0.0;
};

} // namespace vk
