#include "sheet/TilePlacementEditor.h"

#include "sheet/EditorLayout.h"
#include "sheet/PointEditor.h"

#include <QLabel>

namespace vk {

TTilePlacementEditor::TTilePlacementEditor(QWidget* parent) : TPrimitiveEditor(parent) {
    TEditorGrid grid(this);
    TileAngle = grid.numberRow(QStringLiteral("Ориентация:"), "TileAngle", 5);
    grid.captionRow(QStringLiteral("Точка на плитке:"));
    TP = grid.bareRow("TP");
    lblScSign1 = grid.unit(addUnitLabel("lblScSign1"));
    grid.captionRow(QStringLiteral("Точка на чертеже:"));
    PP = grid.bareRow("PP");
    lblScSign2 = grid.unit(addUnitLabel("lblScSign2"));
    grid.finish();
    TileAngle->setProperty("angle", true);

    TileAngle->OnValueChanged = [this] {
        if (OnOrientChanged) OnOrientChanged();
    };
}

TTilePlacementEditor::~TTilePlacementEditor() { TileAngle->OnValueChanged = nullptr; }

} // namespace vk
