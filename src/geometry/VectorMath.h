#pragma once
// Points, vectors, direction angles and the polar construction of arcs.
//
// Everything is in world millimetres and degrees; an angle is measured from +X
// towards +Y and a positive sweep turns the same way. Every returned value is
// a float (it will be stored as one); intermediate sums and products are
// carried in double. Nothing here throws: degenerate input gives 0, -1 or a
// non-finite number as documented per function.

#include "geometry/Types.h"

namespace vk {

// ---- Vectors -------------------------------------------------------------

// B - A.
[[nodiscard]] TPointF VectorBetween(TPointF A, TPointF B);
[[nodiscard]] float VectorLength(TPointF V);
[[nodiscard]] float DotProduct(TPointF U, TPointF V);
// (V.X * SX, V.Y * SY).
[[nodiscard]] TPointF ScaleVector(TPointF V, float SX, float SY);
// The projection of U on V: V * (U.V)/(V.V). A zero V is divided by
// kZeroSquaredLength instead of 0, which yields the zero vector.
[[nodiscard]] TPointF ProjectVector(TPointF U, TPointF V);
[[nodiscard]] TPointF SubtractVectors(TPointF U, TPointF V);
[[nodiscard]] TPointF AddVectors(TPointF U, TPointF V);

inline constexpr double kZeroSquaredLength = 1e-7;

struct TLineDistance {
    float Distance = 0.0f;
    TPointF Foot;  // foot of the perpendicular from P
};

// Distance from P to the infinite line through A and B. With A == B the line
// degenerates to the point A: the distance is |P - A| and the foot is A.
[[nodiscard]] TLineDistance DistanceToLine(TPointF P, TPointF A, TPointF B);

// Distance from P to the segment A-B, or -1 when the foot of the perpendicular
// does not lie on the segment. The foot must lie at least 0.005 past A (a foot
// closer to A counts as off the segment); a foot exactly at B is on it.
[[nodiscard]] float DistanceToSegment(TPointF P, TPointF A, TPointF B);

// ---- Angles --------------------------------------------------------------

// One correction step into 0..360: X + 360 when X < 0, X - 360 when X > 360.
// Not a loop: callers pass sums or differences of two angles in 0..360 or
// sweeps of at most one turn, so 800 stays out of range (440).
[[nodiscard]] float NormalizeAngle(float X);

// Direction of B seen from A, 0 <= angle < 360. Two equal points give 0.
[[nodiscard]] float AngleOf(TPointF A, TPointF B);
[[nodiscard]] float AngleOf(FlaggedPoint A, FlaggedPoint B);  // IsSet is ignored
[[nodiscard]] float AngleOf(const float (&A)[2], const float (&B)[2]);

[[nodiscard]] float Distance(TPointF A, TPointF B);

// C + R * (cos Angle, sin Angle).
[[nodiscard]] TPointF PolarPoint(TPointF C, float R, float Angle);

// |R * 2pi * Sweep / 360|: a negative sweep has a positive length.
[[nodiscard]] float ArcLength(float R, float Sweep);

// B turned about A by Delta degrees.
[[nodiscard]] TPointF RotateAroundPoint(TPointF A, TPointF B, float Delta);

// The point of the ray A->B at distance L from A. A == B gives a non-finite
// point (not guarded).
[[nodiscard]] TPointF PointAtDistance(TPointF A, TPointF B, float L);

// B moved to the absolute direction Angle about A, keeping its distance.
[[nodiscard]] TPointF PointAtAngle(TPointF A, TPointF B, float Angle);

// ---- Arc construction ----------------------------------------------------

struct TArcFromStart {
    float Radius = 0.0f;
    float StartAngle = 0.0f;
    TPointF EndPoint;
    float Length = 0.0f;
};
// The arc about C that starts at S and sweeps Sweep degrees.
[[nodiscard]] TArcFromStart ArcFromCentreAndStart(TPointF C, TPointF S, float Sweep);

struct TArcEnds {
    TPointF StartPoint;
    TPointF EndPoint;
};
[[nodiscard]] TArcEnds ArcEndPoints(TPointF C, float R, float StartAngle, float Sweep);

struct TArcEndAndLength {
    TPointF EndPoint;
    float Length = 0.0f;
};
[[nodiscard]] TArcEndAndLength ArcEndAndLength(TPointF C, float R, float StartAngle, float Sweep);

struct TArcPointsAndLength {
    TPointF StartPoint;
    TPointF EndPoint;
    float Length = 0.0f;
};
[[nodiscard]] TArcPointsAndLength ArcPointsAndLength(TPointF C, float R, float StartAngle, float Sweep);
// The same with the start direction taken from a start point: AngleOf(C, S).
[[nodiscard]] TArcPointsAndLength ArcPointsAndLength(TPointF C, float R, TPointF S, float Sweep);

struct TSweepToPoint {
    float Sweep = 0.0f;  // 0 <= Sweep <= 360
    TPointF EndPoint;
    float Length = 0.0f;
};
// The counter-clockwise sweep from StartAngle to the direction of P, and the
// end point in that direction at radius R.
[[nodiscard]] TSweepToPoint SweepToPoint(TPointF C, float StartAngle, float R, TPointF P);
// The same with the start direction taken from a start point: AngleOf(C, S).
[[nodiscard]] TSweepToPoint SweepToPoint(TPointF C, TPointF S, float R, TPointF P);

struct TArcToPoint {
    float Radius = 0.0f;
    TPointF StartPoint;
    float Sweep = 0.0f;
    float Length = 0.0f;
};
// The arc about C whose end is P: the radius becomes |C P| and the start keeps
// its direction from C, moving to the new radius.
[[nodiscard]] TArcToPoint ArcToPoint(TPointF C, TPointF S, TPointF P);

struct TSweepFromLength {
    float Sweep = 0.0f;
    TPointF EndPoint;
};
// The sweep of an arc of radius R and length Length starting at S. R == 0
// gives a non-finite sweep (not guarded).
[[nodiscard]] TSweepFromLength SweepFromLength(TPointF C, TPointF S, float R, float Length);

} // namespace vk
