#include "sheet/SingValEditor.h"

namespace vk {

TSingValEditor::TSingValEditor(QWidget* parent) : TJvFloatEdit3(parent) {
    SetMaxDecimals(3);
    setMinimumWidth(80);
}

} // namespace vk
