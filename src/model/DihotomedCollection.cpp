#include "model/DihotomedCollection.h"

namespace vk {

// Both comparisons are three-way orderings of an index, not tests of
// geometric equality, so they do not go through the tolerance helpers. Each
// difference is held in a float on purpose: it is rounded to single precision
// before it meets the threshold, and the thresholds are exactly 0 and 1 mm.

int ComparePointsExact(const TPointF& a, const TPointF& b) {
    const float dx = a.X - b.X;
    if (dx < 0.0f)
        return -1;
    if (dx > 0.0f)
        return 1;
    const float dy = a.Y - b.Y;
    if (dy < 0.0f)
        return -1;
    if (dy > 0.0f)
        return 1;
    return 0;
}

int ComparePointsTolerant(const TPointF& a, const TPointF& b) {
    const float dx = a.X - b.X;
    if (dx < -1.0f)
        return -1;
    if (dx > 1.0f)
        return 1;
    const float dy = a.Y - b.Y;
    if (dy < -1.0f)
        return -1;
    if (dy > 1.0f)
        return 1;
    return 0;
}

} // namespace vk
