#pragma once
// A vector path of figures made of straight pieces and circular arcs, kept
// exactly as the elements gave them. Drawing and hit tests go through a
// QPainterPath; region algebra flattens the exact arcs itself, because Qt's
// Bézier arcs stray from the circle (2.7 mm at a 10 m radius).

#include "geometry/Types.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <vector>

namespace vk {

struct TPathPiece {
    enum class Kind { Line, Arc };
    Kind kind = Kind::Line;
    // Line: from A to B. Arc: about Centre with Radius, from StartAngle over
    // Sweep degrees (counter-clockwise from +X towards +Y when positive);
    // A and B are its end points.
    TPointF A;
    TPointF B;
    TPointF Centre;
    float Radius = 0.0f;
    float StartAngle = 0.0f;
    float Sweep = 0.0f;
};

class TShapePath {
public:
    using Figure = std::vector<TPathPiece>;

    // A new figure begins with the next piece.
    void StartFigure();
    // The current figure is closed; the next piece begins a new one.
    void CloseFigure();
    void AddLine(TPointF a, TPointF b);
    void AddArc(TPointF centre, float radius, float startAngle, float sweep);
    // Appends the figures of `other`; with `connect` its first figure
    // continues the current one.
    void AddPath(const TShapePath& other, bool connect);

    [[nodiscard]] const std::vector<Figure>& Figures() const { return m_figures; }
    [[nodiscard]] bool IsEmpty() const;
    // Figures that hold at least one piece.
    [[nodiscard]] int FigureCount() const;

    // For drawing, in world millimetres (y up): arcs as Qt draws them.
    [[nodiscard]] QPainterPath ToPainterPath() const;
    // Each non-empty figure as a closed polygon; arcs are cut into chords no
    // farther than `chordError` millimetres from the circle.
    [[nodiscard]] std::vector<QPolygonF> Flatten(double chordError = 0.01) const;
    // Bounds of the exact geometry (arcs by their extreme points).
    [[nodiscard]] QRectF Bounds() const;

private:
    Figure& current();
    std::vector<Figure> m_figures;
    bool m_open = false;
};

// Points along an arc from its start to its end, both included, with chords
// no farther than `chordError` from the circle.
void AppendArcPoints(QPolygonF& out, TPointF centre, float radius, float startAngle, float sweep,
                     double chordError, bool includeStart);

} // namespace vk
