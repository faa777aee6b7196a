#pragma once
// The base of the property editors: a panel of number fields that an element
// creates inside a parent control, fills with its values divided by the
// sheet's unit divisor, and reads back when the user confirms. While the user
// types, an editor keeps its dependent fields consistent (Recalculate and the
// change handlers of each editor). Editors know nothing of elements.

#include "sheet/Box.h"

#include <QList>
#include <QString>

class QLabel;

namespace vk {

class TPrimitiveEditor : public TBox {
    Q_OBJECT
public:
    explicit TPrimitiveEditor(QWidget* parent = nullptr);

    // Keeps the name of the display unit and shows it in the unit labels
    // beside the length fields.
    virtual void SetUnitName(const QString& text);
    [[nodiscard]] const QString& UnitName() const { return m_unitName; }

    // Fills the dependent fields from the independent ones; the element calls
    // it once after filling the editor. Nothing to do in the base.
    virtual void Recalculate() {}

    // Makes the editor fill its parent control (the parent gets a layout
    // without margins when it has none).
    void AlignClient();

    // What the editor edits, as the user is told ("Отрезок", "Дуга", ...).
    [[nodiscard]] virtual QString ElementName() const { return QStringLiteral("Элемент"); }

    // Why the values typed cannot be taken, naming the element, or an empty
    // text: a point beyond the model's range (coordinates in display units
    // times unitDivisor), an angle field (marked with the property "angle")
    // beyond its range, or a field showing no finite number.
    [[nodiscard]] QString RangeProblem(int unitDivisor) const;

    // The help context of the editor, 0 for none.
    [[nodiscard]] int HelpContext() const;
    void SetHelpContext(int context);

protected:
    // A unit label beside a length field; SetUnitName writes into all of them.
    QLabel* addUnitLabel(const char* objectName);

private:
    QString m_unitName;
    QList<QLabel*> m_unitLabels;
};

} // namespace vk
