#include "geometry/Region.h"

#include <clipper.hpp>

#include <algorithm>
#include <cmath>

namespace vk {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

struct TRegion::Impl {
    Paths paths;
};

namespace {

// Clipper refuses (throws on) coordinates beyond about 4.6e18 units. Elements
// read from a file may hold anything, so coordinates are kept within a
// million kilometres, far beyond any site, and a NaN counts as 0.
constexpr double kLimitUnits = 1e15;

cInt toUnits(double mm) {
    const double units = mm * kUnitsPerMillimetre;
    if (!(units == units)) {
        return 0;
    }
    return cInt(std::llround(std::clamp(units, -kLimitUnits, kLimitUnits)));
}

Path toPath(const QPolygonF& polygon) {
    Path path;
    path.reserve(std::size_t(polygon.size()));
    for (const QPointF& p : polygon) {
        path.emplace_back(toUnits(p.x()), toUnits(p.y()));
    }
    return path;
}

Paths execute(ClipperLib::ClipType type, const Paths& subject, const Paths& clip) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(subject, ClipperLib::ptSubject, true);
    clipper.AddPaths(clip, ClipperLib::ptClip, true);
    Paths result;
    clipper.Execute(type, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return result;
}

} // namespace

TRegion::TRegion() : m_impl(std::make_unique<Impl>()) {}
TRegion::~TRegion() = default;
TRegion::TRegion(const TRegion& other) : m_impl(std::make_unique<Impl>(*other.m_impl)) {}
TRegion& TRegion::operator=(const TRegion& other) {
    if (this != &other) {
        *m_impl = *other.m_impl;
    }
    return *this;
}
TRegion::TRegion(TRegion&& other) noexcept : m_impl(std::move(other.m_impl)) {
    other.m_impl = std::make_unique<Impl>();
}
TRegion& TRegion::operator=(TRegion&& other) noexcept {
    std::swap(m_impl, other.m_impl);
    return *this;
}

TRegion TRegion::FromPolygons(const std::vector<QPolygonF>& polygons, TFillRule rule) {
    Paths input;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.size() >= 3) {
            input.push_back(toPath(polygon));
        }
    }
    TRegion region;
    ClipperLib::SimplifyPolygons(input, region.m_impl->paths,
                                 rule == TFillRule::NonZero ? ClipperLib::pftNonZero
                                                            : ClipperLib::pftEvenOdd);
    return region;
}

TRegion TRegion::FromRect(const QRectF& rect) {
    const QRectF r = rect.normalized();
    return FromPolygons({QPolygonF(r)});
}

TRegion TRegion::Intersected(const TRegion& other) const {
    TRegion region;
    region.m_impl->paths = execute(ClipperLib::ctIntersection, m_impl->paths, other.m_impl->paths);
    return region;
}

TRegion TRegion::Subtracted(const TRegion& other) const {
    TRegion region;
    region.m_impl->paths = execute(ClipperLib::ctDifference, m_impl->paths, other.m_impl->paths);
    return region;
}

TRegion TRegion::United(const TRegion& other) const {
    TRegion region;
    region.m_impl->paths = execute(ClipperLib::ctUnion, m_impl->paths, other.m_impl->paths);
    return region;
}

bool TRegion::IsEmpty() const { return m_impl->paths.empty(); }

bool TRegion::IsEmptyWithin(double tolerance) const {
    if (m_impl->paths.empty()) {
        return true;
    }
    ClipperLib::ClipperOffset offset;
    offset.AddPaths(m_impl->paths, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
    Paths shrunk;
    offset.Execute(shrunk, -tolerance / 2.0 * kUnitsPerMillimetre);
    return shrunk.empty();
}

bool TRegion::EqualsWithin(const TRegion& other, double tolerance) const {
    return Subtracted(other).IsEmptyWithin(tolerance) && other.Subtracted(*this).IsEmptyWithin(tolerance);
}

double TRegion::Area() const {
    double area = 0.0;
    for (const Path& path : m_impl->paths) {
        area += ClipperLib::Area(path);
    }
    return area / (kUnitsPerMillimetre * kUnitsPerMillimetre);
}

QRectF TRegion::Bounds() const {
    bool any = false;
    cInt x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const Path& path : m_impl->paths) {
        for (const IntPoint& p : path) {
            if (!any) {
                x0 = x1 = p.X;
                y0 = y1 = p.Y;
                any = true;
                continue;
            }
            x0 = std::min(x0, p.X);
            x1 = std::max(x1, p.X);
            y0 = std::min(y0, p.Y);
            y1 = std::max(y1, p.Y);
        }
    }
    if (!any) {
        return {};
    }
    return QRectF(QPointF(x0 / kUnitsPerMillimetre, y0 / kUnitsPerMillimetre),
                  QPointF(x1 / kUnitsPerMillimetre, y1 / kUnitsPerMillimetre));
}

std::vector<QPolygonF> TRegion::Polygons() const {
    std::vector<QPolygonF> out;
    for (const Path& path : m_impl->paths) {
        QPolygonF polygon;
        for (const IntPoint& p : path) {
            polygon << QPointF(p.X / kUnitsPerMillimetre, p.Y / kUnitsPerMillimetre);
        }
        out.push_back(polygon);
    }
    return out;
}

} // namespace vk
