#include "geometry/ConvexPolygon.h"

#include <algorithm>
#include <cmath>

namespace vk {

namespace {

double cross(QPointF o, QPointF a, QPointF b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// Below this a shrunken body is a point or a line, not an area (mm²).
constexpr double kNoArea = 1e-12;
// How far (mm) a vertex may lie inside the line through its neighbours.
constexpr double kRoundingDent = 0.002;

} // namespace

bool TSmallConvex::Assign(const QPolygonF& polygon) {
    m_count = 0;
    int n = int(polygon.size());
    if (n >= 2 && polygon.front() == polygon.back()) {
        --n; // a closed polygon repeats its first vertex
    }
    if (n < 3 || n > kMaxInput) {
        return false;
    }
    std::array<QPointF, kMaxInput> v{};
    std::copy(polygon.begin(), polygon.begin() + n, v.begin());
    // Vertices on the line through their neighbours, or on a spike out and
    // back along it, are what the region adapter's rounding leaves of a cut
    // along an edge: they carry no area.
    for (int i = 0; n >= 3 && i < n;) {
        const QPointF& p = v[std::size_t((i + n - 1) % n)];
        const QPointF& r = v[std::size_t((i + 1) % n)];
        if (std::fabs(cross(p, v[std::size_t(i)], r)) <= kRoundingDent * std::hypot(r.x() - p.x(), r.y() - p.y())) {
            std::copy(v.begin() + i + 1, v.begin() + n, v.begin() + i);
            --n;
            i = 0;
        } else {
            ++i;
        }
    }
    if (n < 3) {
        return false;
    }
    double area = 0.0;
    for (int i = 0; i < n; ++i) {
        const QPointF& p = v[std::size_t(i)];
        const QPointF& q = v[std::size_t((i + 1) % n)];
        area += p.x() * q.y() - q.x() * p.y();
    }
    if (!(std::fabs(area) > kNoArea)) {
        return false;
    }
    const bool ccw = area > 0.0;
    for (int i = 0; i < n; ++i) {
        push(v[std::size_t(ccw ? i : n - 1 - i)]);
    }
    // Convex: no vertex turns right.
    for (int i = 0; i < n; ++i) {
        if (cross(At(i), At((i + 1) % n), At((i + 2) % n)) < 0.0) {
            m_count = 0;
            return false;
        }
    }
    return true;
}

double TSmallConvex::Area() const {
    // About the first vertex, so that coordinates far from the origin do
    // not swamp a small area.
    double area = 0.0;
    for (int i = 1; i + 1 < m_count; ++i) {
        area += cross(At(0), At(i), At(i + 1));
    }
    return area / 2.0;
}

QPolygonF TSmallConvex::ToPolygon() const {
    QPolygonF polygon;
    for (int i = 0; i < m_count; ++i) {
        polygon << At(i);
    }
    return polygon;
}

TSmallConvex TSmallConvex::Moved(QPointF offset) const {
    TSmallConvex moved;
    for (int i = 0; i < m_count; ++i) {
        moved.push(At(i) + offset);
    }
    return moved;
}

void TSmallConvex::DistancesFrom(QPointF a, QPointF b, double& least, double& greatest) const {
    const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
    least = greatest = 0.0;
    for (int i = 0; i < m_count; ++i) {
        const double d = cross(a, b, At(i)) / len;
        least = i == 0 ? d : std::min(least, d);
        greatest = i == 0 ? d : std::max(greatest, d);
    }
}

TSmallConvex TSmallConvex::LeftOf(QPointF a, QPointF b, double inset) const {
    TSmallConvex out;
    const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (!(len > 0.0) || m_count < 3) {
        return out;
    }
    const auto side = [&](QPointF p) { return cross(a, b, p) / len - inset; };
    for (int i = 0; i < m_count; ++i) {
        const QPointF& p = At(i);
        const QPointF& q = At((i + 1) % m_count);
        const double sp = side(p);
        const double sq = side(q);
        if (sp >= 0.0) {
            out.push(p);
        }
        // Strictly across: a vertex on the line is kept as it is, and a
        // second copy of it would make an edge of no length.
        if (((sp > 0.0 && sq < 0.0) || (sp < 0.0 && sq > 0.0)) && out.m_count < kCapacity) {
            const double t = sp / (sp - sq);
            out.push(p + t * (q - p));
        }
        if (out.m_count >= kCapacity - 1) {
            break;
        }
    }
    return out;
}

bool TSmallConvex::shrinksToNothing(double by) const {
    TSmallConvex body = *this;
    for (int i = 0; i < m_count && !body.IsEmpty(); ++i) {
        const QPointF& a = At(i);
        const QPointF& b = At((i + 1) % m_count);
        if (a != b) { // an edge of no length bounds nothing
            body = body.LeftOf(a, b, by);
        }
    }
    return body.IsEmpty() || body.Area() <= kNoArea;
}

TSmallConvex::TShrunk TSmallConvex::Shrunk(double radius, double band) const {
    if (IsEmpty() || Area() <= kNoArea) {
        return TShrunk::Empty;
    }
    if (shrinksToNothing(std::max(0.0, radius - band))) {
        return TShrunk::Empty;
    }
    if (!shrinksToNothing(radius + band)) {
        return TShrunk::NotEmpty;
    }
    return TShrunk::Unsure;
}

} // namespace vk
