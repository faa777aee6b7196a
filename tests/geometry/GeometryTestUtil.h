#pragma once
// Point comparison for the geometry suites, through the shared tolerance.

#include "geometry/Tolerance.h"
#include "geometry/Types.h"

#include <gtest/gtest.h>
#include <ostream>

namespace vk {

inline std::ostream& operator<<(std::ostream& os, TPointF p) { return os << "(" << p.X << ", " << p.Y << ")"; }

inline ::testing::AssertionResult PointNear(TPointF actual, TPointF expected, double tolerance = 1e-3) {
    if (nearlyEqual(actual.X, expected.X, tolerance) && nearlyEqual(actual.Y, expected.Y, tolerance)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got " << actual << ", expected " << expected << " within "
                                         << tolerance;
}

} // namespace vk
