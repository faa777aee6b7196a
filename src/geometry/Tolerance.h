#pragma once
// The one place where floating-point values are compared. Coordinates are
// stored as float (world millimetres), so exact equality is never what we mean.

#include <cmath>

namespace vk {

// Default tolerance for values that went through float storage: a few ulps of
// a coordinate of a few metres.
inline constexpr double kFloatTolerance = 1e-5;

[[nodiscard]] inline bool nearlyEqual(double a, double b, double tolerance = kFloatTolerance) {
    return std::fabs(a - b) <= tolerance;
}

[[nodiscard]] inline bool nearlyZero(double a, double tolerance = kFloatTolerance) {
    return std::fabs(a) <= tolerance;
}

// Relative comparison for values whose magnitude varies a lot (scales, areas).
[[nodiscard]] inline bool nearlyEqualRel(double a, double b, double relTolerance = 1e-6) {
    const double scale = std::fmax(std::fabs(a), std::fabs(b));
    return std::fabs(a - b) <= relTolerance * (scale > 1.0 ? scale : 1.0);
}

} // namespace vk
