#pragma once
// The property editor of an arc. C = Center, S = Start, E = Finish, r = R,
// L = Len, w = Ang (the sweep), a = AngleToX (the direction of the start seen
// from the centre). Each change handler rewrites only the fields it names;
// writing them raises no further events.

#include "sheet/PrimitiveEditor.h"
#include "ui/HelpContext.h"

namespace vk {

class TLinesBox;
class TPointEditor;
class TSingValEditor;

class TTileArcEditor : public TPrimitiveEditor {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContextId = THelpContext::ArcProperties;

    explicit TTileArcEditor(QWidget* parent = nullptr);
    ~TTileArcEditor() override;
    [[nodiscard]] QString ElementName() const override { return QStringLiteral("Дуга"); }

    // E := RotateAroundPoint(C, S, w); L := ArcLength(r, w); a := AngleOf(C, S).
    void Recalculate() override;

    // The arc moves with its centre, keeping radius, start direction, sweep.
    void CenterPointChanged();
    // r, a, E and L follow the start.
    void StartPointChanged();
    // r := |C E|; the start keeps its direction at the new radius; w and L follow.
    void FinishPointChanged();
    // S and E move to the new radius in their directions; L follows.
    void RValueChanged();
    // w := L * 360 / (r * 2pi); E follows.
    void LenValueChanged();
    // E and L follow the sweep.
    void AngValueChanged();
    // S and E turn to the new start direction.
    void AngleToXValueChanged();

    TPointEditor* Center = nullptr;
    TPointEditor* Start = nullptr;
    TPointEditor* Finish = nullptr;
    TSingValEditor* R = nullptr;
    TSingValEditor* Len = nullptr;
    TSingValEditor* Ang = nullptr;
    TSingValEditor* AngleToX = nullptr;
    TLinesBox* LinesBox1 = nullptr;
    QLabel* lblScSign1 = nullptr;  // centre
    QLabel* lblScSign2 = nullptr;  // start
    QLabel* lblScSign3 = nullptr;  // end
    QLabel* lblScSign4 = nullptr;  // radius
    QLabel* lblScSign5 = nullptr;  // length
};

} // namespace vk
