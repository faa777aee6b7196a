#include "exchange/Bulge.h"

#include "geometry/Tolerance.h"

#include <cmath>
#include <numbers>

namespace vk {

namespace {
constexpr double kDegree = std::numbers::pi / 180.0;
// Below this a bulge bends a one-metre chord by less than a micrometre.
constexpr double kStraightBulge = 1e-9;
} // namespace

double BulgeOfSweep(double sweepDegrees) {
    return std::tan(sweepDegrees * kDegree / 4.0);
}

std::optional<TBulgeArc> ArcOfBulge(TPointF from, TPointF to, double bulge) {
    const double dx = double(to.X) - from.X;
    const double dy = double(to.Y) - from.Y;
    const double chord = std::hypot(dx, dy);
    if (nearlyZero(bulge, kStraightBulge) || nearlyZero(chord)) {
        return std::nullopt;
    }
    const double sweep = 4.0 * std::atan(bulge); // radians, signed
    const double radius = chord / (2.0 * std::sin(std::fabs(sweep) / 2.0));
    // The centre lies on the chord's perpendicular bisector, on the left of
    // the chord for a counter-clockwise arc of less than half a turn.
    const double sagittaToCentre = radius * std::cos(sweep / 2.0); // signed by the half sweep
    const double mx = (double(from.X) + to.X) / 2.0;
    const double my = (double(from.Y) + to.Y) / 2.0;
    const double nx = -dy / chord;
    const double ny = dx / chord;
    const double side = bulge > 0 ? 1.0 : -1.0;
    const double cx = mx + side * nx * sagittaToCentre;
    const double cy = my + side * ny * sagittaToCentre;
    TBulgeArc arc;
    arc.Centre = {float(cx), float(cy)};
    arc.Radius = radius;
    arc.StartAngle = std::atan2(double(from.Y) - cy, double(from.X) - cx) / kDegree;
    arc.Sweep = sweep / kDegree;
    return arc;
}

} // namespace vk
