#pragma once
// DXF polylines carry their arcs as a "bulge" on the vertex where the arc
// starts: tan(sweep / 4), positive when the arc turns counter-clockwise. Our
// arcs are a centre, a radius, a start angle and a signed sweep in degrees
// (positive counter-clockwise, +Y up), so export and import meet here.

#include "base/Types.h"

#include <optional>

namespace vk {

// The arc a bulge describes between two vertices.
struct TBulgeArc {
    TPointF Centre;
    double Radius = 0.0;
    double StartAngle = 0.0; // degrees, of `from` seen from the centre
    double Sweep = 0.0;      // degrees, signed as the bulge
};

// The bulge of an arc that turns by `sweepDegrees` (|sweep| < 360).
[[nodiscard]] double BulgeOfSweep(double sweepDegrees);

// The arc from `from` to `to` with the given bulge; none when the bulge is
// (nearly) zero, which means a straight segment, or the vertices coincide.
[[nodiscard]] std::optional<TBulgeArc> ArcOfBulge(TPointF from, TPointF to, double bulge);

} // namespace vk
