#include "geometry/ShapePath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vk {

namespace {
constexpr double kDegree = std::numbers::pi / 180.0;

QPointF q(TPointF p) { return {p.X, p.Y}; }

TPointF polar(TPointF c, double r, double angleDeg) {
    return {float(c.X + r * std::cos(angleDeg * kDegree)),
            float(c.Y + r * std::sin(angleDeg * kDegree))};
}
} // namespace

TShapePath::Figure& TShapePath::current() {
    if (!m_open || m_figures.empty()) {
        m_figures.emplace_back();
        m_open = true;
    }
    return m_figures.back();
}

void TShapePath::StartFigure() {
    if (!m_figures.empty() && m_figures.back().empty()) {
        m_open = true;
        return;
    }
    m_figures.emplace_back();
    m_open = true;
}

void TShapePath::CloseFigure() { m_open = false; }

void TShapePath::AddLine(TPointF a, TPointF b) {
    TPathPiece piece;
    piece.kind = TPathPiece::Kind::Line;
    piece.A = a;
    piece.B = b;
    current().push_back(piece);
}

void TShapePath::AddArc(TPointF centre, float radius, float startAngle, float sweep) {
    TPathPiece piece;
    piece.kind = TPathPiece::Kind::Arc;
    piece.Centre = centre;
    piece.Radius = radius;
    piece.StartAngle = startAngle;
    piece.Sweep = sweep;
    piece.A = polar(centre, radius, startAngle);
    piece.B = polar(centre, radius, double(startAngle) + sweep);
    current().push_back(piece);
}

void TShapePath::AddPath(const TShapePath& other, bool connect) {
    bool first = true;
    for (const Figure& f : other.m_figures) {
        if (!(first && connect)) {
            StartFigure();
        }
        Figure& target = current();
        target.insert(target.end(), f.begin(), f.end());
        first = false;
    }
}

bool TShapePath::IsEmpty() const { return FigureCount() == 0; }

int TShapePath::FigureCount() const {
    return int(std::count_if(m_figures.begin(), m_figures.end(),
                             [](const Figure& f) { return !f.empty(); }));
}

QPainterPath TShapePath::ToPainterPath() const {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const Figure& f : m_figures) {
        if (f.empty()) {
            continue;
        }
        path.moveTo(q(f.front().A));
        for (const TPathPiece& p : f) {
            if (p.kind == TPathPiece::Kind::Line) {
                path.lineTo(q(p.A));
                path.lineTo(q(p.B));
            } else {
                const QRectF rect(p.Centre.X - p.Radius, p.Centre.Y - p.Radius, 2.0 * p.Radius,
                                  2.0 * p.Radius);
                path.lineTo(q(p.A));
                // Qt runs clockwise in a y-up world: negate both angles.
                path.arcTo(rect, -p.StartAngle, -p.Sweep);
            }
        }
        path.closeSubpath();
    }
    return path;
}

void AppendArcPoints(QPolygonF& out, TPointF centre, float radius, float startAngle, float sweep,
                     double chordError, bool includeStart) {
    const double r = std::fabs(double(radius));
    const double span = std::fabs(double(sweep));
    int n = 1;
    if (r > chordError && span > 0.0) {
        // The sagitta of a chord spanning angle t is r (1 - cos(t/2)).
        const double maxStep = 2.0 * std::acos(std::max(-1.0, 1.0 - chordError / r)) / kDegree;
        n = std::max(1, int(std::ceil(span / std::max(maxStep, 1e-6))));
        n = std::min(n, 100000);
    }
    for (int k = includeStart ? 0 : 1; k <= n; ++k) {
        const double a = double(startAngle) + double(sweep) * k / n;
        out << QPointF(centre.X + r * std::cos(a * kDegree), centre.Y + r * std::sin(a * kDegree));
    }
}

std::vector<QPolygonF> TShapePath::Flatten(double chordError) const {
    std::vector<QPolygonF> polygons;
    for (const Figure& f : m_figures) {
        if (f.empty()) {
            continue;
        }
        QPolygonF poly;
        for (const TPathPiece& p : f) {
            if (p.kind == TPathPiece::Kind::Line) {
                if (poly.isEmpty() || poly.back() != q(p.A)) {
                    poly << q(p.A);
                }
                poly << q(p.B);
            } else {
                const bool joined = !poly.isEmpty() && poly.back() == q(p.A);
                AppendArcPoints(poly, p.Centre, p.Radius, p.StartAngle, p.Sweep, chordError,
                                !joined);
            }
        }
        if (poly.size() > 1 && poly.front() == poly.back()) {
            poly.removeLast();
        }
        polygons.push_back(poly);
    }
    return polygons;
}

QRectF TShapePath::Bounds() const {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const auto take = [&](double x, double y) {
        if (!any) {
            x0 = x1 = x;
            y0 = y1 = y;
            any = true;
            return;
        }
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    };
    for (const Figure& f : m_figures) {
        for (const TPathPiece& p : f) {
            take(p.A.X, p.A.Y);
            take(p.B.X, p.B.Y);
            if (p.kind == TPathPiece::Kind::Arc) {
                // Extreme points of the circle that the arc passes.
                const double lo = std::min(double(p.StartAngle), double(p.StartAngle) + p.Sweep);
                const double hi = std::max(double(p.StartAngle), double(p.StartAngle) + p.Sweep);
                for (int k = int(std::ceil(lo / 90.0)); k * 90.0 <= hi; ++k) {
                    const TPointF e = polar(p.Centre, std::fabs(p.Radius), k * 90.0);
                    take(e.X, e.Y);
                }
            }
        }
    }
    return any ? QRectF(QPointF(x0, y0), QPointF(x1, y1)) : QRectF();
}

} // namespace vk
