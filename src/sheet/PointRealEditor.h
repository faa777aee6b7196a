#pragma once
// The property editor of a point element: one point editor and its unit.

#include "sheet/PrimitiveEditor.h"

namespace vk {

class TPointEditor;

class TPointRealEditor : public TPrimitiveEditor {
    Q_OBJECT
public:
    explicit TPointRealEditor(QWidget* parent = nullptr);
    [[nodiscard]] QString ElementName() const override { return QStringLiteral("Точка"); }

    // Nothing depends on the point.
    void Recalculate() override {}

    TPointEditor* PointEditor1 = nullptr;
    QLabel* lblScSign1 = nullptr;
};

} // namespace vk
