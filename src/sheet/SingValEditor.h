#pragma once
// A single value of a property editor: a number field with three decimals and
// the change event OnValueChanged.

#include "sheet/FloatEdit.h"

namespace vk {

class TSingValEditor : public TJvFloatEdit3 {
    Q_OBJECT
public:
    explicit TSingValEditor(QWidget* parent = nullptr);
};

} // namespace vk
