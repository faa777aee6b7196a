#pragma once
// Small convex polygons cut by straight lines, without the region adapter.
//
// A fill decides most tiles that a border crosses against a single straight
// border edge. For a convex tile the piece on either side of the edge is
// convex again, and whether such a piece counts as empty (nothing left when
// it is shrunk by half the tolerance, as TRegion::IsEmptyWithin judges) is
// whether its shrunken body, the intersection of its edges' half-planes
// moved inwards, has any area. The answer is exact up to rounding; a piece
// within a few micrometres of the threshold is reported as unsure so that
// the caller can ask the region adapter, whose integer grid may round the
// other way.

#include <QPointF>
#include <QPolygonF>
#include <array>

namespace vk {

class TSmallConvex {
public:
    static constexpr int kCapacity = 48;
    // The most vertices a polygon may have to be taken: each cut may add one.
    static constexpr int kMaxInput = 24;

    // A convex polygon, counter-clockwise after this; false (and empty) when
    // `polygon` is not convex, has too many vertices or no area.
    bool Assign(const QPolygonF& polygon);

    [[nodiscard]] int Count() const { return m_count; }
    [[nodiscard]] bool IsEmpty() const { return m_count < 3; }
    [[nodiscard]] const QPointF& At(int i) const { return m_points[std::size_t(i)]; }
    [[nodiscard]] double Area() const;
    [[nodiscard]] QPolygonF ToPolygon() const;

    // The polygon moved by `offset`.
    [[nodiscard]] TSmallConvex Moved(QPointF offset) const;
    // What lies to the left of the directed line a -> b, moved to the left by
    // `inset` (negative: to the right).
    [[nodiscard]] TSmallConvex LeftOf(QPointF a, QPointF b, double inset = 0.0) const;
    // The signed distances of the vertices from the line a -> b (positive on
    // its left): their least and greatest.
    void DistancesFrom(QPointF a, QPointF b, double& least, double& greatest) const;

    enum class TShrunk { Empty, NotEmpty, Unsure };
    // Whether anything is left when the polygon shrinks by `radius`; within
    // `band` of the threshold the answer is Unsure.
    [[nodiscard]] TShrunk Shrunk(double radius, double band) const;

private:
    void push(QPointF p) { m_points[std::size_t(m_count++)] = p; }
    [[nodiscard]] bool shrinksToNothing(double by) const;

    std::array<QPointF, kCapacity> m_points{};
    int m_count = 0;
};

} // namespace vk
