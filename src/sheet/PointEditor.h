#pragma once
// A point of a property editor: the fields X and Y on one row and the change
// event OnPointChanged, raised when either field raises its own.

#include "geometry/Types.h"
#include "sheet/Box.h"
#include "sheet/FloatEdit.h"

namespace vk {

class TPointEditor : public TBox {
    Q_OBJECT
public:
    // Pixels between a letter and its field, and between the X field and
    // the "Y" label.
    static constexpr int LetterGap = 4;
    static constexpr int FieldGap = 8;

    explicit TPointEditor(QWidget* parent = nullptr);
    ~TPointEditor() override;

    [[nodiscard]] TPointF Point() const;
    // Raises nothing.
    void SetPoint(TPointF point);

    TJvFloatEdit3* X = nullptr;
    TJvFloatEdit3* Y = nullptr;

    TNotifyEvent OnPointChanged;
};

} // namespace vk
