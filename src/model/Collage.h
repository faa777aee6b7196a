#pragma once
// A laying pattern: placed copies of one tile (the motif) and the hand points
// at which the motif repeats (+h and -h for every hand point h).

#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "model/Parts.h"
#include "model/Tile.h"

#include <memory>

namespace vk {

class TCollage;

// One placed tile of a pattern (kind 1): which point of the tile goes onto
// which point of the pattern, at what rotation. It owns the placed copy of
// the tile and, optionally, a copy of the tile's cuts.
class TTilePlacementPrimitive : public TGraphicPrimitive {
public:
    static constexpr int DataSize = 23;
    static constexpr int TilePointOffset = 0;
    static constexpr int PatternPointOffset = 9;
    static constexpr int RotationOffset = 18;
    static constexpr int RotationFlagOffset = 22;

    explicit TTilePlacementPrimitive(T_TnC_Ancestor* owner, std::int32_t kind = pkTilePlacement);
    ~TTilePlacementPrimitive() override;

    [[nodiscard]] FlaggedPoint TilePoint() const { return fp(TilePointOffset); }
    [[nodiscard]] FlaggedPoint PatternPoint() const { return fp(PatternPointOffset); }
    [[nodiscard]] float Rotation() const { return f32(RotationOffset); }
    [[nodiscard]] std::uint8_t RotationFlag() const { return u8(RotationFlagOffset); }
    void SetTilePoint(const FlaggedPoint& p) { setFp(TilePointOffset, p); }
    void SetPatternPoint(const FlaggedPoint& p) { setFp(PatternPointOffset, p); }
    void SetRotation(float v) { setF32(RotationOffset, v); }
    void SetRotationFlag(std::uint8_t v) { setU8(RotationFlagOffset, v); }

    [[nodiscard]] TTile& Tile() { return *m_tile; }
    [[nodiscard]] const TTile& Tile() const { return *m_tile; }
    [[nodiscard]] TPartList* Parts() const { return m_parts.get(); }
    void SetParts(std::unique_ptr<TPartList> parts) { m_parts = std::move(parts); }

    // The placed tile: a copy of the pattern's tile turned by Rotation about
    // its origin, with its base point at
    //   origin + PatternPoint - R(Rotation) TilePoint.
    void PlaceTile(const TTile& patternTile, TPointF origin);

    void Assign(const TGraphicPrimitive& source) override;
    [[nodiscard]] int GetDataSize() const override { return DataSize; }
    [[nodiscard]] QString GetDescription(int unitDivisor) const override;
    void Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) override;
    void DrawTracking(TDrawingSheet&, const QPen*, float, float) override {}
    void CreateEditor(QWidget* parent, int unitDivisor, const QString& unitName) override;
    void ApplyEditor(int unitDivisor) override;
    void Rotate(TPointF centre, float angle) override;
    void AddToPath(TShapePath& path) const override;

    // The points as the user sees them (world, divided by the divisor).
    [[nodiscard]] TPointF ShownTilePoint(int unitDivisor) const;
    [[nodiscard]] TPointF ShownPatternPoint(int unitDivisor) const;

private:
    [[nodiscard]] const TTile* patternTile() const;

    std::unique_ptr<TTile> m_tile;
    std::unique_ptr<TPartList> m_parts;
};

class TCollage : public T_TnC_Ancestor {
public:
    explicit TCollage(TTile* tile = nullptr, TNameChange onNameChange = {});
    ~TCollage() override;

    // The tile the pattern is made of (not owned).
    TTile* Tile = nullptr;
    [[nodiscard]] TElementList& HandPoints() { return m_handPoints; }
    [[nodiscard]] const TElementList& HandPoints() const { return m_handPoints; }
    [[nodiscard]] TPartList* PatternParts() const { return m_parts.get(); }
    [[nodiscard]] TTilePlacementPrimitive* Placement(int index) const;

    void Assign(const T_TnC_Ancestor& source) override;
    // Keeps a copy of the list and gives every placement a copy of its own.
    void SetParts(const TPartList* parts);
    bool Rotate(TPointF centre, float angle) override;
    // The base point is cleared only when neither placements nor hand
    // points remain.
    void RemoveElement(TElementList& list, TGraphicPrimitive* element) override;
    void Draw(QPainter& graphics, TDrawingSheet& sheet, bool showBasePoint, const QPen* pen) override;
    bool LoadFromLibrary(int id, ViewRecord& view) override;
    bool SaveQuery(const ViewRecord& view);

private:
    TElementList m_handPoints;
    std::unique_ptr<TPartList> m_parts;
};

} // namespace vk
