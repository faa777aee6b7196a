#pragma once
// The crossing engine: where two shape elements (straight segments and
// circular arcs) cross, and how each crossing lies against both elements.
//
// A crossing is described against one element by a nibble:
//   1  interior: strictly inside the element (on an arc: within 0.01 radially)
//   2  within the tolerance of the element's start point
//   4  within the tolerance of the element's end point
//   8  near the element (near an end, or radially within the tolerance) but
//      not in its interior
// For a pair (A, B), A's nibble is shifted left by 4 and B's nibble is kept in
// bits 0-3. The tolerance is a whole number of millimetres (the configured
// join tolerance). The elements call the per-pair entry points at the bottom
// with their world geometry.

#include "geometry/Types.h"

#include <cstdint>
#include <vector>

namespace vk {

namespace crossing {
inline constexpr std::int32_t Interior = 0x1;
inline constexpr std::int32_t NearStart = 0x2;
inline constexpr std::int32_t NearEnd = 0x4;
inline constexpr std::int32_t Near = 0x8;
inline constexpr std::int32_t FirstShift = 4;        // A's nibble lives in bits 4-7
inline constexpr std::int32_t FirstMask = 0xF0;
inline constexpr std::int32_t SecondMask = 0x0F;
inline constexpr std::int32_t Parallel = 0x100;      // lines parallel and distinct; circles apart
inline constexpr std::int32_t Coincident = 0x200;    // lines coincide; circles concentric or nested
// An arc point counts as on the circle within this radial distance.
inline constexpr double RadialThreshold = 0.01;
// A line closer than this to a circle's centre counts as passing through it.
inline constexpr double CentreThreshold = 0.1;
} // namespace crossing

// One crossing of element A with element B, world coordinates. FlagsB
// describes B, the element that is then cut.
struct IntersectionPoint {
    float X = 0.0f;
    float Y = 0.0f;
    std::int32_t FlagsA = 0;
    std::int32_t FlagsB = 0;
    friend bool operator==(const IntersectionPoint&, const IntersectionPoint&) = default;
};
static_assert(sizeof(IntersectionPoint) == 16, "IntersectionPoint is two singles and two 32-bit flags");

// A segment and an arc as the crossing engine sees them, world coordinates.
struct TSegmentGeom {
    TPointF Start;
    TPointF Finish;
};

struct TArcGeom {
    TPointF Centre;
    TPointF Start;        // on the circle; its direction from Centre is the start angle
    float Sweep = 0.0f;   // signed degrees
    float Radius = 0.0f;  // the stored radius, used as is
};

struct TLineCrossing {
    std::int32_t Flags = 0;
    // The crossing point; (0, 0) and meaningless when Flags is Parallel or
    // Coincident.
    TPointF Point;
};

// The flags of the line through (X1,Y1)-(X2,Y2) (first element, bits 4-7)
// crossed with the line through (X3,Y3)-(X4,Y4) (second element, bits 0-3).
// Note the argument order: the four X values, then the four Y values.
[[nodiscard]] TLineCrossing CrossLines(int Tol, float X1, float X2, float X3, float X4, float Y1, float Y2,
                                       float Y3, float Y4);
// The same with points: first line A1-A2, second line B1-B2.
[[nodiscard]] TLineCrossing CrossLines(int Tol, TPointF A1, TPointF A2, TPointF B1, TPointF B2);

// The nibble of P against the arc of radius R about C that starts in the
// direction StartAngle and sweeps Sweep degrees (either sign), shifted left by
// Shift (0 or 4).
[[nodiscard]] std::int32_t ClassifyOnArc(int Tol, int Shift, TPointF C, float StartAngle, float Sweep, float R,
                                         TPointF P);

struct TCircleCrossing {
    std::vector<IntersectionPoint> Points;  // 0, 1 or 2
    // 0; Parallel when the circles are apart by the tolerance or more;
    // Coincident when they are concentric or one lies inside the other beyond
    // the tolerance.
    std::int32_t Status = 0;
};

// Crossings of two arcs (A first). Circles that miss each other by less than
// the tolerance are enlarged (or, when nested, their radii adjusted) until
// they touch, giving one candidate; candidates are classified against the
// arcs' stored radii and recorded when they lie on or near both arcs.
[[nodiscard]] TCircleCrossing CrossCircles(int Tol, const TArcGeom& ArcA, const TArcGeom& ArcB);

// Crossings of a segment (first, FlagsA) with an arc (second, FlagsB).
// FlagsA holds the full CrossLines flags of the segment against an auxiliary
// line: only its bits 4-7 describe the segment. A candidate is recorded when
// it lies on or near the segment and in the arc's interior.
[[nodiscard]] std::vector<IntersectionPoint> CrossSegmentCircle(int Tol, const TArcGeom& Arc, TPointF SegStart,
                                                                TPointF SegEnd);

// ---- Per-pair entry points for the element list ----
// Each returns the crossing records of the pair; the list is empty when there
// is none. In every record FlagsA describes the first element (bits 4-7) and
// FlagsB the second (bits 0-3), the one that is then cut.

// Always one record. For parallel or coincident segments both nibbles are 0
// and the point is meaningless.
[[nodiscard]] std::vector<IntersectionPoint> CrossSegments(int Tol, const TSegmentGeom& S1, const TSegmentGeom& S2);
[[nodiscard]] std::vector<IntersectionPoint> CrossSegmentArc(int Tol, const TSegmentGeom& Segment,
                                                             const TArcGeom& Arc);
[[nodiscard]] std::vector<IntersectionPoint> CrossArcSegment(int Tol, const TArcGeom& Arc,
                                                             const TSegmentGeom& Segment);
[[nodiscard]] std::vector<IntersectionPoint> CrossArcs(int Tol, const TArcGeom& ArcA, const TArcGeom& ArcB);

} // namespace vk
