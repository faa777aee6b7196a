#include "sheet/PointRealEditor.h"

#include "sheet/EditorLayout.h"
#include "sheet/PointEditor.h"

#include <QLabel>

namespace vk {

TPointRealEditor::TPointRealEditor(QWidget* parent) : TPrimitiveEditor(parent) {
    TEditorGrid grid(this);
    PointEditor1 = grid.bareRow("PointEditor1");
    lblScSign1 = grid.unit(addUnitLabel("lblScSign1"));
    grid.finish();
}

} // namespace vk
