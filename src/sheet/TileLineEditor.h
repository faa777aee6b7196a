#pragma once
// The property editor of a segment: start, end, length and direction.

#include "sheet/PrimitiveEditor.h"
#include "ui/HelpContext.h"

namespace vk {

class TLinesBox;
class TPointEditor;
class TSingValEditor;

class TTileLineEditor : public TPrimitiveEditor {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContextId = THelpContext::SegmentProperties;

    explicit TTileLineEditor(QWidget* parent = nullptr);
    ~TTileLineEditor() override;
    [[nodiscard]] QString ElementName() const override { return QStringLiteral("Отрезок"); }

    // Len := Distance(Start, Finish); AngToX := AngleOf(Start, Finish).
    void Recalculate() override;

    void StartPointChanged();
    void FinishPointChanged();
    // The end moves along the segment's direction to the new length.
    void LenValueChanged();
    // The end turns about the start to the new direction, keeping the length.
    void AngToXValueChanged();

    TPointEditor* Start = nullptr;
    TPointEditor* Finish = nullptr;
    TSingValEditor* Len = nullptr;
    TSingValEditor* AngToX = nullptr;
    TLinesBox* LinesBox1 = nullptr;
    QLabel* lblScSign1 = nullptr;  // start
    QLabel* lblScSign2 = nullptr;  // end
    QLabel* lblScSign3 = nullptr;  // length
};

} // namespace vk
