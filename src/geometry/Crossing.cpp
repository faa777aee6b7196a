#include "geometry/Crossing.h"

#include "geometry/VectorMath.h"

#include <cmath>

namespace vk {

namespace {

using namespace crossing;

// The nibble of a crossing at parameter u along an element of length len
// (u = 0 at the start, 1 at the end).
std::int32_t lineNibble(int Tol, double u, double len) {
    std::int32_t f = 0;
    if (0.0 < u && u < 1.0) {
        f |= Interior;
    }
    if (Tol > std::fabs(u) * len) {
        f |= NearStart;
        if (u < 0.0) f |= Near;
    }
    if (Tol > std::fabs(u - 1.0) * len) {
        f |= NearEnd;
        if (u > 1.0) f |= Near;
    }
    return f;
}

// The segment's bits that let a segment-arc candidate count: interior, near
// start, near end (not the bare "near").
constexpr std::int32_t kOnSegment = (Interior | NearStart | NearEnd) << FirstShift;

} // namespace

TLineCrossing CrossLines(int Tol, float X1, float X2, float X3, float X4, float Y1, float Y2, float Y3, float Y4) {
    const double ax = double(X2) - X1, ay = double(Y2) - Y1;
    const double bx = double(X4) - X3, by = double(Y4) - Y3;
    const double d = by * ax - bx * ay;
    const double na = bx * (double(Y1) - Y3) - by * (double(X1) - X3);
    const double nb = ax * (double(Y1) - Y3) - ay * (double(X1) - X3);

    TLineCrossing r;
    if (d == 0.0) {
        r.Flags = (na == 0.0 && nb == 0.0) ? Coincident : Parallel;
        return r;
    }
    const double ua = na / d;
    const double ub = nb / d;
    r.Point = {float(X1 + ua * ax), float(Y1 + ua * ay)};
    r.Flags = (lineNibble(Tol, ua, std::hypot(ax, ay)) << FirstShift) | lineNibble(Tol, ub, std::hypot(bx, by));
    return r;
}

TLineCrossing CrossLines(int Tol, TPointF A1, TPointF A2, TPointF B1, TPointF B2) {
    return CrossLines(Tol, A1.X, A2.X, B1.X, B2.X, A1.Y, A2.Y, B1.Y, B2.Y);
}

std::int32_t ClassifyOnArc(int Tol, int Shift, TPointF C, float StartAngle, float Sweep, float R, TPointF P) {
    const float a = NormalizeAngle(AngleOf(C, P) - StartAngle);
    const double off = std::fabs(double(Distance(C, P)) - R);
    const bool inside = (Sweep > 0.0f && 0.0f < a && a < Sweep) || (Sweep < 0.0f && a < 360.0f && a > 360.0f + Sweep);

    std::int32_t n = 0;
    if (inside) {
        if (off < RadialThreshold) {
            n = Interior;
        } else if (off < Tol) {
            n = Near;
        }
    }
    // The ends are looked at whether or not the point is angularly inside:
    // a crossing just past an end still joins there. Bits are or-ed, so a
    // point near both ends of a short arc stays within its nibble.
    const TPointF e1 = PolarPoint(C, R, StartAngle);
    const TPointF e2 = PolarPoint(C, R, StartAngle + Sweep);
    if (Tol > Distance(e1, P)) {
        n |= NearStart;
        if (!(n & Interior)) n |= Near;
    }
    if (Tol > Distance(e2, P)) {
        n |= NearEnd;
        if (!(n & Interior)) n |= Near;
    }
    return n << Shift;
}

TCircleCrossing CrossCircles(int Tol, const TArcGeom& ArcA, const TArcGeom& ArcB) {
    TCircleCrossing result;
    const TPointF ca = ArcA.Centre;
    const TPointF cb = ArcB.Centre;
    const double dx = double(cb.X) - ca.X;
    const double dy = double(cb.Y) - ca.Y;
    const double o = std::hypot(dx, dy);
    double ra = ArcA.Radius;
    double rb = ArcB.Radius;
    // Circles made to touch have exactly one common point; computing h from
    // the adjusted radii would give a tiny or non-finite value instead of 0.
    bool touching = false;

    if (ra + rb < o) {
        const double gap = o - (ra + rb);
        const double sum = ra + rb;
        if (gap >= Tol || sum <= 0.0) {
            result.Status = Parallel;
            return result;
        }
        ra += ra * gap / sum;
        rb += rb * gap / sum;
        touching = true;
    }
    if (o == 0.0) {
        result.Status = Coincident;
        return result;
    }
    const double diff = std::fabs(ra - rb);
    if (diff > o) {
        if (std::fabs(diff - Tol) >= o) {
            result.Status = Coincident;
            return result;
        }
        const double gap = std::fabs(o - diff);
        const double sum = ra + rb;
        double& larger = ra > rb ? ra : rb;
        double& smaller = ra > rb ? rb : ra;
        larger -= larger * gap / sum;
        smaller += smaller * gap / sum;
        touching = true;
    }

    const double a = (o * o + ra * ra - rb * rb) / (2.0 * o);
    const double mx = ca.X + dx * a / o;
    const double my = ca.Y + dy * a / o;
    const double h = touching ? 0.0 : std::sqrt(std::fmax(0.0, ra * ra - a * a));

    const float startA = AngleOf(ArcA.Centre, ArcA.Start);
    const float startB = AngleOf(ArcB.Centre, ArcB.Start);
    const auto consider = [&](double x, double y) {
        const TPointF p{float(x), float(y)};
        const std::int32_t fa = ClassifyOnArc(Tol, FirstShift, ca, startA, ArcA.Sweep, ArcA.Radius, p);
        const std::int32_t fb = ClassifyOnArc(Tol, 0, cb, startB, ArcB.Sweep, ArcB.Radius, p);
        if ((fa & FirstMask) && (fb & SecondMask)) {
            result.Points.push_back({p.X, p.Y, fa, fb});
        }
    };
    if (h == 0.0) {
        consider(mx, my);
    } else {
        const double px = h * dy / o;
        const double py = -h * dx / o;
        consider(mx + px, my + py);
        consider(mx - px, my - py);
    }
    return result;
}

std::vector<IntersectionPoint> CrossSegmentCircle(int Tol, const TArcGeom& Arc, TPointF SegStart, TPointF SegEnd) {
    std::vector<IntersectionPoint> records;
    const TPointF c = Arc.Centre;
    const double r = Arc.Radius;
    const float startAngle = AngleOf(Arc.Centre, Arc.Start);
    const TLineDistance line = DistanceToLine(c, SegStart, SegEnd);
    const double dist = line.Distance;
    const TPointF foot = line.Foot;

    const auto consider = [&](TPointF p, TPointF q) {
        const std::int32_t f = CrossLines(Tol, SegStart, SegEnd, q, p).Flags;
        const std::int32_t g = ClassifyOnArc(Tol, 0, c, startAngle, Arc.Sweep, Arc.Radius, p);
        if ((f & kOnSegment) && (g & Interior)) {
            records.push_back({p.X, p.Y, f, g});
        }
    };

    if (r < dist) {
        // A near miss: the foot is the only candidate, and since it lies off
        // the circle it is kept only when it is less than 0.01 outside.
        if (dist - r >= Tol) {
            return records;
        }
        consider(foot, c);
        return records;
    }

    const double h = std::sqrt(r * r - dist * dist);
    // Q: the point of the circle in the direction perpendicular to the
    // segment. A line through the centre has no such direction from the
    // foot, so take it from the segment itself.
    double qx, qy;
    if (dist < CentreThreshold) {
        const double sx = double(SegEnd.X) - SegStart.X;
        const double sy = double(SegEnd.Y) - SegStart.Y;
        const double k = r / std::hypot(sx, sy);
        qx = c.X + sy * k;
        qy = c.Y - sx * k;
    } else {
        qx = c.X + (double(foot.X) - c.X) * r / dist;
        qy = c.Y + (double(foot.Y) - c.Y) * r / dist;
    }
    const TPointF q{float(qx), float(qy)};
    // Along the segment, h from the foot each way. A zero radius leaves both
    // candidates at the foot.
    const double k = r == 0.0 ? 0.0 : h / r;
    const double vx = (qy - c.Y) * k;
    const double vy = -(qx - c.X) * k;
    consider(TPointF{float(foot.X + vx), float(foot.Y + vy)}, q);
    consider(TPointF{float(foot.X - vx), float(foot.Y - vy)}, q);
    return records;
}

std::vector<IntersectionPoint> CrossSegments(int Tol, const TSegmentGeom& S1, const TSegmentGeom& S2) {
    const TLineCrossing c = CrossLines(Tol, S1.Start, S1.Finish, S2.Start, S2.Finish);
    return {{c.Point.X, c.Point.Y, c.Flags & FirstMask, c.Flags & SecondMask}};
}

std::vector<IntersectionPoint> CrossSegmentArc(int Tol, const TSegmentGeom& Segment, const TArcGeom& Arc) {
    std::vector<IntersectionPoint> records = CrossSegmentCircle(Tol, Arc, Segment.Start, Segment.Finish);
    // The low nibble of the segment's flags describes the auxiliary line.
    for (IntersectionPoint& p : records) {
        p.FlagsA &= FirstMask;
    }
    return records;
}

std::vector<IntersectionPoint> CrossArcSegment(int Tol, const TArcGeom& Arc, const TSegmentGeom& Segment) {
    std::vector<IntersectionPoint> records = CrossSegmentCircle(Tol, Arc, Segment.Start, Segment.Finish);
    for (IntersectionPoint& p : records) {
        const std::int32_t segment = (p.FlagsA & FirstMask) >> FirstShift;
        const std::int32_t arc = p.FlagsB & SecondMask;
        p.FlagsA = arc << FirstShift;
        p.FlagsB = segment;
    }
    return records;
}

std::vector<IntersectionPoint> CrossArcs(int Tol, const TArcGeom& ArcA, const TArcGeom& ArcB) {
    return CrossCircles(Tol, ArcA, ArcB).Points;
}

} // namespace vk
