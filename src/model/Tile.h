#pragma once
// A tile: the closed outline of one paving stone, its thickness and comment.

#include "geometry/ShapeDocument.h"

namespace vk {

class TTile : public T_TnC_Ancestor {
public:
    explicit TTile(TNameChange onNameChange = {});

    [[nodiscard]] float Thickness() const { return m_thickness; }
    // A different value marks the tile modified.
    void SetThickness(float value);
    QString Comment;

    // Name, identifier, base point, elements and thickness; not the comment.
    void Assign(const T_TnC_Ancestor& source) override;
    // Every element with the pen, nothing else (laid tiles).
    void DrawOutline(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen);
    void Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) override;
    // The mean of the elements' start points (world); (0, 0) for no elements.
    [[nodiscard]] TPointF ElementAveragePoint() const;

    bool LoadFromLibrary(int id, ViewRecord& view) override;
    // Asks to store a modified tile; whether the caller may go on.
    bool SaveQuery(const ViewRecord& view);

private:
    float m_thickness = 0.0f;
};

} // namespace vk
