#include "geometry/VectorMath.h"

#include <cmath>
#include <numbers>

namespace vk {

namespace {
constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kRadToDeg = 180.0 / std::numbers::pi;

TPointF point(double x, double y) { return {float(x), float(y)}; }

double angleOf(double dx, double dy) {
    if (dx == 0.0) {
        if (dy > 0.0) return 90.0;
        if (dy < 0.0) return 270.0;
        return 0.0;
    }
    const double a = std::atan(dy / dx) * kRadToDeg;
    if (dx > 0.0) {
        return dy < 0.0 ? a + 360.0 : a;
    }
    return a + 180.0;
}

// A direction a hair below 360 rounds to 360.0f, which is outside 0..360
// (exclusive); keep it just below instead so that it still reads as "a hair
// before 0" to the callers that compare angles.
float storeAngle(double a) {
    const float f = float(a);
    return f >= 360.0f ? std::nextafter(360.0f, 0.0f) : f;
}
} // namespace

TPointF VectorBetween(TPointF A, TPointF B) { return point(double(B.X) - A.X, double(B.Y) - A.Y); }

float VectorLength(TPointF V) { return float(std::hypot(double(V.X), double(V.Y))); }

float DotProduct(TPointF U, TPointF V) { return float(double(U.X) * V.X + double(U.Y) * V.Y); }

TPointF ScaleVector(TPointF V, float SX, float SY) { return point(double(V.X) * SX, double(V.Y) * SY); }

TPointF ProjectVector(TPointF U, TPointF V) {
    const double uv = double(U.X) * V.X + double(U.Y) * V.Y;
    double vv = double(V.X) * V.X + double(V.Y) * V.Y;
    if (vv == 0.0) {
        vv = kZeroSquaredLength;
    }
    const double k = uv / vv;
    return point(V.X * k, V.Y * k);
}

TPointF SubtractVectors(TPointF U, TPointF V) { return point(double(U.X) - V.X, double(U.Y) - V.Y); }

TPointF AddVectors(TPointF U, TPointF V) { return point(double(U.X) + V.X, double(U.Y) + V.Y); }

TLineDistance DistanceToLine(TPointF P, TPointF A, TPointF B) {
    const TPointF U = SubtractVectors(P, A);
    const TPointF V = SubtractVectors(B, A);
    const TPointF W = ProjectVector(U, V);
    const TPointF N = SubtractVectors(U, W);
    return {VectorLength(N), SubtractVectors(P, N)};
}

float DistanceToSegment(TPointF P, TPointF A, TPointF B) {
    const TPointF U = SubtractVectors(P, A);
    const TPointF V = SubtractVectors(B, A);
    const TPointF W = ProjectVector(U, V);
    const TPointF N = SubtractVectors(U, W);
    const double lenV = VectorLength(V);
    const double lenW = VectorLength(W);
    if (lenV < lenW) {
        return -1.0f;  // the foot lies beyond B (or far behind A)
    }
    // T == S when W points against V (foot behind A); S - T == 2|W| when it
    // points along V, so a foot within 0.005 of A also counts as off.
    const double t = std::fabs(lenV - lenW);
    const double s = VectorLength(AddVectors(V, W));
    if (std::fabs(s - t) < 0.01) {
        return -1.0f;
    }
    return VectorLength(N);
}

float NormalizeAngle(float X) {
    if (X < 0.0f) return X + 360.0f;
    if (X > 360.0f) return X - 360.0f;
    return X;
}

float AngleOf(TPointF A, TPointF B) { return storeAngle(angleOf(double(B.X) - A.X, double(B.Y) - A.Y)); }

float AngleOf(FlaggedPoint A, FlaggedPoint B) { return AngleOf(A.point(), B.point()); }

float AngleOf(const float (&A)[2], const float (&B)[2]) { return AngleOf(TPointF{A[0], A[1]}, TPointF{B[0], B[1]}); }

float Distance(TPointF A, TPointF B) { return float(std::hypot(double(B.X) - A.X, double(B.Y) - A.Y)); }

TPointF PolarPoint(TPointF C, float R, float Angle) {
    const double a = Angle * kDegToRad;
    return point(C.X + double(R) * std::cos(a), C.Y + double(R) * std::sin(a));
}

float ArcLength(float R, float Sweep) { return float(std::fabs(double(R) * 2.0 * std::numbers::pi * Sweep / 360.0)); }

TPointF RotateAroundPoint(TPointF A, TPointF B, float Delta) {
    return PolarPoint(A, Distance(A, B), NormalizeAngle(AngleOf(A, B) + Delta));
}

TPointF PointAtDistance(TPointF A, TPointF B, float L) {
    const double k = double(L) / Distance(A, B);
    return point(A.X + (double(B.X) - A.X) * k, A.Y + (double(B.Y) - A.Y) * k);
}

TPointF PointAtAngle(TPointF A, TPointF B, float Angle) { return PolarPoint(A, Distance(A, B), Angle); }

TArcFromStart ArcFromCentreAndStart(TPointF C, TPointF S, float Sweep) {
    TArcFromStart r;
    r.Radius = Distance(C, S);
    r.StartAngle = AngleOf(C, S);
    r.EndPoint = PolarPoint(C, r.Radius, NormalizeAngle(r.StartAngle + Sweep));
    r.Length = ArcLength(r.Radius, Sweep);
    return r;
}

TArcEnds ArcEndPoints(TPointF C, float R, float StartAngle, float Sweep) {
    return {PolarPoint(C, R, StartAngle), PolarPoint(C, R, NormalizeAngle(StartAngle + Sweep))};
}

TArcEndAndLength ArcEndAndLength(TPointF C, float R, float StartAngle, float Sweep) {
    return {PolarPoint(C, R, NormalizeAngle(StartAngle + Sweep)), ArcLength(R, Sweep)};
}

TArcPointsAndLength ArcPointsAndLength(TPointF C, float R, float StartAngle, float Sweep) {
    const TArcEnds ends = ArcEndPoints(C, R, StartAngle, Sweep);
    return {ends.StartPoint, ends.EndPoint, ArcLength(R, Sweep)};
}

TArcPointsAndLength ArcPointsAndLength(TPointF C, float R, TPointF S, float Sweep) {
    return ArcPointsAndLength(C, R, AngleOf(C, S), Sweep);
}

TSweepToPoint SweepToPoint(TPointF C, float StartAngle, float R, TPointF P) {
    TSweepToPoint r;
    r.Sweep = NormalizeAngle(AngleOf(C, P) - StartAngle);
    r.EndPoint = PolarPoint(C, R, NormalizeAngle(StartAngle + r.Sweep));
    r.Length = ArcLength(R, r.Sweep);
    return r;
}

TSweepToPoint SweepToPoint(TPointF C, TPointF S, float R, TPointF P) {
    return SweepToPoint(C, AngleOf(C, S), R, P);
}

TArcToPoint ArcToPoint(TPointF C, TPointF S, TPointF P) {
    TArcToPoint r;
    r.Radius = Distance(C, P);
    const float direction = NormalizeAngle(AngleOf(C, S));
    r.StartPoint = PolarPoint(C, r.Radius, direction);
    r.Sweep = NormalizeAngle(AngleOf(C, P) - direction);
    r.Length = ArcLength(r.Radius, r.Sweep);
    return r;
}

TSweepFromLength SweepFromLength(TPointF C, TPointF S, float R, float Length) {
    TSweepFromLength r;
    r.Sweep = float(double(Length) * 360.0 / (double(R) * 2.0 * std::numbers::pi));
    r.EndPoint = PolarPoint(C, R, NormalizeAngle(AngleOf(C, S) + r.Sweep));
    return r;
}

} // namespace vk
