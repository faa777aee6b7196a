#pragma once
// Exact region algebra on polygons: the only door to Clipper.
//
// Coordinates are world millimetres. Inside, they are integers of
// micrometres (kUnitsPerMillimetre = 1000): values up to 0x3FFFFFFF units
// (about +-1,074 m) stay on Clipper's fast path, far beyond any site.
// Emptiness and equality are judged within a tolerance (one device pixel at
// the scale in use), as a rendered region would be.

#include <QPolygonF>
#include <QRectF>
#include <memory>
#include <vector>

namespace vk {

inline constexpr double kUnitsPerMillimetre = 1000.0;

class TRegion {
public:
    enum class TFillRule { NonZero, EvenOdd };

    TRegion();
    ~TRegion();
    TRegion(const TRegion& other);
    TRegion& operator=(const TRegion& other);
    TRegion(TRegion&& other) noexcept;
    TRegion& operator=(TRegion&& other) noexcept;

    // The area the polygons enclose (their union under the fill rule).
    [[nodiscard]] static TRegion FromPolygons(const std::vector<QPolygonF>& polygons,
                                              TFillRule rule = TFillRule::NonZero);
    [[nodiscard]] static TRegion FromRect(const QRectF& rect);

    [[nodiscard]] TRegion Intersected(const TRegion& other) const;
    [[nodiscard]] TRegion Subtracted(const TRegion& other) const;
    [[nodiscard]] TRegion United(const TRegion& other) const;

    // Nothing at all.
    [[nodiscard]] bool IsEmpty() const;
    // Nothing left after shrinking by tolerance / 2: slivers thinner than the
    // tolerance do not count.
    [[nodiscard]] bool IsEmptyWithin(double tolerance) const;
    // Each minus the other is empty within the tolerance.
    [[nodiscard]] bool EqualsWithin(const TRegion& other, double tolerance) const;

    // Square millimetres (holes subtracted).
    [[nodiscard]] double Area() const;
    [[nodiscard]] QRectF Bounds() const;
    // Outer boundaries counter-clockwise, holes clockwise.
    [[nodiscard]] std::vector<QPolygonF> Polygons() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace vk
