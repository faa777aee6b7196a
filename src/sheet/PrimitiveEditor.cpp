#include "sheet/PrimitiveEditor.h"

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
