#include "sheet/PrimitiveEditor.h"

#include "geometry/Limits.h"
#include "geometry/NumberFormat.h"
#include "sheet/FloatEdit.h"
#include "sheet/PointEditor.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QVariant>

namespace vk {

TPrimitiveEditor::TPrimitiveEditor(QWidget* parent) : TBox(parent) {}

void TPrimitiveEditor::SetUnitName(const QString& text) {
    m_unitName = text;
    for (QLabel* label : m_unitLabels) {
        label->setText(text);
    }
}

void TPrimitiveEditor::AlignClient() {
    QWidget* parent = parentWidget();
    if (!parent) {
        return;
    }
    QLayout* layout = parent->layout();
    if (!layout) {
        layout = new QVBoxLayout(parent);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(this);
}

QString TPrimitiveEditor::RangeProblem(int unitDivisor) const {
    for (TJvFloatEdit3* field : findChildren<TJvFloatEdit3*>()) {
        const QString text = field->text().trimmed();
        const std::optional<double> value = parseNumber(text);
        const bool isAngle = field->property("angle").toBool();
        if (!value) {
            // A field filled from an overflowing calculation.
            const QString lower = text.toLower();
            if (lower.contains(QLatin1String("inf")) || lower.contains(QLatin1String("nan"))) {
                field->setFocus();
                return isAngle ? AngleRangeProblem(ElementName()) : CoordinateRangeProblem(ElementName());
            }
            continue;
        }
        const bool isCoordinate = qobject_cast<TPointEditor*>(field->parentWidget()) != nullptr;
        if ((isAngle && !IsAngleInRange(*value)) ||
            (isCoordinate && !IsCoordinateInRange(*value * double(unitDivisor)))) {
            field->setFocus();
            return isAngle ? AngleRangeProblem(ElementName()) : CoordinateRangeProblem(ElementName());
        }
    }
    return {};
}

int TPrimitiveEditor::HelpContext() const { return property("helpContext").toInt(); }

void TPrimitiveEditor::SetHelpContext(int context) { setProperty("helpContext", context); }

QLabel* TPrimitiveEditor::addUnitLabel(const char* objectName) {
    auto* label = new QLabel(m_unitName, this);
    label->setObjectName(QString::fromLatin1(objectName));
    // Wide enough for "мм" so that the fields do not move when the unit
    // changes.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("мм")) + 4);
    m_unitLabels.append(label);
    return label;
}

} // namespace vk
