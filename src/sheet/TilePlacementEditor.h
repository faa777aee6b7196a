#pragma once
// The property editor of a tile placement: the tile's orientation, the point
// on the tile and the point on the drawing it is laid at. The host hooks TP
// and PP through their own OnPointChanged.

#include "sheet/FloatEdit.h"
#include "sheet/PrimitiveEditor.h"

namespace vk {

class TPointEditor;

class TTilePlacementEditor : public TPrimitiveEditor {
    Q_OBJECT
public:
    explicit TTilePlacementEditor(QWidget* parent = nullptr);
    ~TTilePlacementEditor() override;
    [[nodiscard]] QString ElementName() const override { return QStringLiteral("Плитка в узоре"); }

    TJvFloatEdit3* TileAngle = nullptr;  // degrees, five decimals
    TPointEditor* TP = nullptr;          // "Точка на плитке:"
    TPointEditor* PP = nullptr;          // "Точка на чертеже:"
    QLabel* lblScSign1 = nullptr;        // tile point
    QLabel* lblScSign2 = nullptr;        // drawing point

    // TileAngle changed, by the rules of the fields' change event.
    TNotifyEvent OnOrientChanged;
};

} // namespace vk
