#pragma once
// The elements every shape is made of: segment, arc, point and (in the model)
// tile placement. An element keeps its geometry in a packed data block whose
// bytes are stored unchanged in the library and in project files; its
// coordinates are local to the owning document.

#include "geometry/Crossing.h"
#include "geometry/PrimitiveKind.h"
#include "ui/EditableElement.h"
#include "ui/PropertyEditor.h"
#include "geometry/Types.h"

#include <QPen>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class QWidget;

namespace vk {

class T_TnC_Ancestor;
class TDrawingSheet;
class TShapePath;

// Grab flags: what a drag moves.
enum TGrabFlag : std::uint32_t {
    gfWhole = 1,
    gfStart = 2,
    gfEnd = 4,
    gfCentre = 8,
};

// "сплошная" for 0, "пунктир" for 2, empty for anything else.
[[nodiscard]] QString LineStyleName(int lineStyle);
// The style list has two rows: 0 <-> style 0, 1 <-> style 2.
[[nodiscard]] int LineStyleToRow(int lineStyle);
[[nodiscard]] int RowToLineStyle(int row);
// A pen set up for a line style: solid, dashed (1) or the dotted cut line (2).
void ApplyLineStyle(QPen& pen, int lineStyle);

class TGraphicPrimitive : public TEditableElement {
public:
    TGraphicPrimitive(std::int32_t kind, T_TnC_Ancestor* owner);
    ~TGraphicPrimitive() override;
    TGraphicPrimitive(const TGraphicPrimitive&) = delete;
    TGraphicPrimitive& operator=(const TGraphicPrimitive&) = delete;

    [[nodiscard]] std::int32_t GetKind() const { return Kind; }
    [[nodiscard]] std::uint8_t* Data() { return m_data.data(); }
    [[nodiscard]] const std::uint8_t* Data() const { return m_data.data(); }
    void SetVersion(std::int32_t version) { Version = version; }
    // Dropping the current role clears what was grabbed.
    void SetCurrentActive(bool value);
    [[nodiscard]] T_TnC_Ancestor* Owner() const { return m_owner; }
    void SetOwner(T_TnC_Ancestor* owner) { m_owner = owner; }
    // Given by the list the element is added to; a command names the element
    // by it, since the object itself may be freed and made again (a removal
    // and its undoing). 0 for an element never added to a list.
    [[nodiscard]] std::uint32_t Handle() const { return m_handle; }

    // A new element of the same kind and owner, with this one's block.
    [[nodiscard]] std::unique_ptr<TGraphicPrimitive> Clone(T_TnC_Ancestor* owner) const;

    // --- the slots ---
    // Copies the data block, the version and the line style (not the kind,
    // owner or grab flags).
    virtual void Assign(const TGraphicPrimitive& source);
    [[nodiscard]] virtual std::int32_t GetVersion() const { return Version; }
    [[nodiscard]] virtual int GetDataSize() const = 0;
    [[nodiscard]] virtual TPointF GetEndPoint() const;
    [[nodiscard]] virtual TPointF GetStartPoint() const;
    virtual void ClearData();
    [[nodiscard]] virtual QString GetDescription(int unitDivisor) const = 0;
    virtual void Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) = 0;
    virtual void DrawTracking(TDrawingSheet& sheet, const QPen* pen, float x, float y) = 0;
    virtual void AddCreationPoint(TDrawingSheet& sheet, bool& finished, float x, float y);
    virtual void DragTo(TDrawingSheet& sheet, float x, float y);
    void CreateEditor(QWidget* parent, int unitDivisor, const QString& unitName) override;
    void ApplyEditor(int unitDivisor) override;
    void ReleaseEditor() override;
    // Centre in the owner's local coordinates.
    virtual void Rotate(TPointF centre, float angle);
    virtual void AddToPath(TShapePath& path) const;
    virtual void Reverse();
    [[nodiscard]] virtual bool IsStarted() const { return false; }
    // Distance from a world point, or -1 when the element cannot be picked there.
    [[nodiscard]] virtual float DistanceTo(TPointF p) const;
    virtual void DrawHandles(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen);
    virtual void HitTestHandles(TPointF p, float tol);
    [[nodiscard]] virtual QString FormatInfo(TPointF p1, TPointF p2, int unitDivisor,
                                             TPointF p3) const;
    [[nodiscard]] virtual QString GetInfo(int unitDivisor) const;
    // Cuts the element at crossings (world coordinates; FlagsB describes this
    // element). Pieces not longer than `tolerance` are dropped. The element
    // itself is not changed.
    [[nodiscard]] virtual std::vector<std::unique_ptr<TGraphicPrimitive>> SplitAt(
        const std::vector<IntersectionPoint>& crossings, int tolerance) const;

    [[nodiscard]] bool HasEditor() const { return m_editor != nullptr; }
    [[nodiscard]] const TPropertyEditorHandle* Editor() const { return m_editor.get(); }

    std::int32_t Version = 0;
    std::int32_t Kind = 0;
    std::int32_t LineStyle = 0;
    std::uint32_t GrabFlags = 0;
    TPointF DragAnchor;

protected:
    // Typed access to the packed block.
    [[nodiscard]] FlaggedPoint fp(int offset) const;
    void setFp(int offset, const FlaggedPoint& p);
    void setFp(int offset, TPointF local);
    // Moves a point of the block by (dx, dy); its IsSet byte stays.
    void shiftPoint(int offset, float dx, float dy);
    // Puts a point of the block at a local position; its IsSet byte stays.
    void placePoint(int offset, TPointF local);
    // A world position as an editor shows it.
    [[nodiscard]] static TPointF shown(TPointF world, int divisor) {
        return {world.X / float(divisor), world.Y / float(divisor)};
    }
    // A world position from what an editor shows.
    [[nodiscard]] static TPointF unshown(TPointF value, int divisor) {
        return {value.X * float(divisor), value.Y * float(divisor)};
    }
    // Asks the installed factory for an editor; without one nothing opens.
    void openEditor(TEditorKind kind, QWidget* parent, const QString& unitName, int helpContext,
                    const TEditorValues& values);
    [[nodiscard]] float f32(int offset) const;
    void setF32(int offset, float value);
    [[nodiscard]] std::uint8_t u8(int offset) const { return m_data[std::size_t(offset)]; }
    void setU8(int offset, std::uint8_t v) { m_data[std::size_t(offset)] = v; }
    // Called by the concrete constructors once GetDataSize can be answered.
    void allocateData();
    void markModified();

    [[nodiscard]] TPointF toWorld(TPointF local) const;
    [[nodiscard]] TPointF toLocal(TPointF world) const;
    [[nodiscard]] TPointF toWorld(const FlaggedPoint& local) const { return toWorld(local.point()); }

    std::unique_ptr<TPropertyEditorHandle> m_editor;

private:
    friend class TElementList;

    T_TnC_Ancestor* m_owner = nullptr;
    std::vector<std::uint8_t> m_data;
    std::uint32_t m_handle = 0;
};

// --- the straight segment (kind 0) -----------------------------------------

class TLinePrimitive : public TGraphicPrimitive {
public:
    static constexpr int DataSize = 18;
    static constexpr int StartOffset = 0;
    static constexpr int FinishOffset = 9;

    explicit TLinePrimitive(T_TnC_Ancestor* owner, std::int32_t kind = pkSegment);

    [[nodiscard]] FlaggedPoint Start() const { return fp(StartOffset); }
    [[nodiscard]] FlaggedPoint Finish() const { return fp(FinishOffset); }
    void SetStart(const FlaggedPoint& p) { setFp(StartOffset, p); }
    void SetFinish(const FlaggedPoint& p) { setFp(FinishOffset, p); }

    [[nodiscard]] int GetDataSize() const override { return DataSize; }
    [[nodiscard]] TPointF GetEndPoint() const override;
    [[nodiscard]] TPointF GetStartPoint() const override;
    [[nodiscard]] QString GetDescription(int unitDivisor) const override;
    void Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) override;
    void DrawTracking(TDrawingSheet& sheet, const QPen* pen, float x, float y) override;
    void AddCreationPoint(TDrawingSheet& sheet, bool& finished, float x, float y) override;
    void DragTo(TDrawingSheet& sheet, float x, float y) override;
    void CreateEditor(QWidget* parent, int unitDivisor, const QString& unitName) override;
    void ApplyEditor(int unitDivisor) override;
    void Rotate(TPointF centre, float angle) override;
    void AddToPath(TShapePath& path) const override;
    void Reverse() override;
    [[nodiscard]] bool IsStarted() const override { return Start().isSet(); }
    [[nodiscard]] float DistanceTo(TPointF p) const override;
    void DrawHandles(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) override;
    [[nodiscard]] QString FormatInfo(TPointF p1, TPointF p2, int unitDivisor,
                                     TPointF p3) const override;
    [[nodiscard]] QString GetInfo(int unitDivisor) const override;
    [[nodiscard]] std::vector<std::unique_ptr<TGraphicPrimitive>> SplitAt(
        const std::vector<IntersectionPoint>& crossings, int tolerance) const override;
};

// --- the circular arc (kind 3) ---------------------------------------------

class TArcPrimitive : public TGraphicPrimitive {
public:
    static constexpr int DataSize = 27;
    static constexpr int CentreOffset = 0;
    static constexpr int StartOffset = 9;
    static constexpr int SweepOffset = 18;
    static constexpr int SweepFlagOffset = 22;
    static constexpr int RadiusOffset = 23;

    explicit TArcPrimitive(T_TnC_Ancestor* owner, std::int32_t kind = pkArc);

    [[nodiscard]] FlaggedPoint Centre() const { return fp(CentreOffset); }
    [[nodiscard]] FlaggedPoint Start() const { return fp(StartOffset); }
    [[nodiscard]] float Sweep() const { return f32(SweepOffset); }
    [[nodiscard]] std::uint8_t SweepFlag() const { return u8(SweepFlagOffset); }
    [[nodiscard]] float Radius() const { return f32(RadiusOffset); }
    void SetCentre(const FlaggedPoint& p) { setFp(CentreOffset, p); }
    void SetStart(const FlaggedPoint& p) { setFp(StartOffset, p); }
    void SetSweep(float v) { setF32(SweepOffset, v); }
    void SetSweepFlag(std::uint8_t v) { setU8(SweepFlagOffset, v); }
    void SetRadius(float v) { setF32(RadiusOffset, v); }

    // Derived values.
    [[nodiscard]] float StartAngle() const;
    [[nodiscard]] float EndAngle() const;
    [[nodiscard]] float Length() const;
    [[nodiscard]] TPointF GetCentre() const;
    // The geometry for the crossing engine, in world coordinates.
    [[nodiscard]] TArcGeom Geom() const;

    [[nodiscard]] int GetDataSize() const override { return DataSize; }
    [[nodiscard]] TPointF GetEndPoint() const override;
    [[nodiscard]] TPointF GetStartPoint() const override;
    [[nodiscard]] QString GetDescription(int unitDivisor) const override;
    void Draw(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) override;
    void DrawTracking(TDrawingSheet& sheet, const QPen* pen, float x, float y) override;
    void AddCreationPoint(TDrawingSheet& sheet, bool& finished, float x, float y) override;
    void DragTo(TDrawingSheet& sheet, float x, float y) override;
    void CreateEditor(QWidget* parent, int unitDivisor, const QString& unitName) override;
    void ApplyEditor(int unitDivisor) override;
    void Rotate(TPointF centre, float angle) override;
    void AddToPath(TShapePath& path) const override;
    void Reverse() override;
    [[nodiscard]] bool IsStarted() const override { return Centre().isSet(); }
    [[nodiscard]] float DistanceTo(TPointF p) const override;
    void DrawHandles(QPainter& graphics, TDrawingSheet& sheet, const QPen* pen) override;
    void HitTestHandles(TPointF p, float tol) override;
    [[nodiscard]] QString FormatInfo(TPointF p1, TPointF p2, int unitDivisor,
                                     TPointF p3) const override;
    [[nodiscard]] QString GetInfo(int unitDivisor) const override;
    [[nodiscard]] std::vector<std::unique_ptr<TGraphicPrimitive>> SplitAt(
        const std::vector<IntersectionPoint>& crossings, int tolerance) const override;

private:
    // Where a direction lies along the arc, in degrees from the start in the
    // arc's own sense of travel (0 .. 360).
    [[nodiscard]] double runTo(float angle) const;
};

// --- the point (kind 2) ----------------------------------------------------

class TPointPrimitive : public TGraphicPrimitive {
public:
    static constexpr int DataSize = 9;

    explicit TPointPrimitive(T_TnC_Ancestor* owner, std::int32_t kind = pkPoint);

    [[nodiscard]] FlaggedPoint Point() const { return fp(0); }
    void SetPoint(const FlaggedPoint& p) { setFp(0, p); }

    [[nodiscard]] int GetDataSize() const override { return DataSize; }
    [[nodiscard]] QString GetDescription(int unitDivisor) const override;
    void Draw(QPainter&, TDrawingSheet&, const QPen*) override {}
    void DrawTracking(TDrawingSheet&, const QPen*, float, float) override {}
    void CreateEditor(QWidget* parent, int unitDivisor, const QString& unitName) override;
    void ApplyEditor(int unitDivisor) override;
    void Rotate(TPointF centre, float angle) override;
    void AddToPath(TShapePath& path) const override;
};

// Makes an element of a stored kind code; nullptr for codes that name no
// kind. Tile placements are made by the factory the model installs at
// start-up (RegisterElementKinds); until then they are not made.
using TPlacementFactory = std::unique_ptr<TGraphicPrimitive> (*)(T_TnC_Ancestor* owner);
void SetPlacementFactory(TPlacementFactory factory);
[[nodiscard]] std::unique_ptr<TGraphicPrimitive> CreatePrimitive(std::int32_t kind,
                                                                  T_TnC_Ancestor* owner);

// Markers at a point in the document's local coordinates, half-size the
// sheet's pick tolerance. The FlaggedPoint forms draw nothing for unset points.
void DrawPlusMarker(QPainter& graphics, TDrawingSheet& sheet, const FlaggedPoint& point,
                    const QPen* pen, const T_TnC_Ancestor& document);
void DrawPlusMarker(QPainter& graphics, TDrawingSheet& sheet, TPointF point, const QPen* pen,
                    const T_TnC_Ancestor& document);
void DrawCrossMarker(QPainter& graphics, TDrawingSheet& sheet, const FlaggedPoint& point,
                     const QPen* pen, const T_TnC_Ancestor& document);
void DrawCrossMarker(QPainter& graphics, TDrawingSheet& sheet, TPointF point, const QPen* pen,
                     const T_TnC_Ancestor& document);

} // namespace vk
