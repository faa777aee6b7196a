#pragma once
// Whether a pattern covers the plane: its copies are laid as a fill lays
// them (every origin an integer combination of the hand points) over the
// repeats around one period of the pattern, and what that period leaves
// uncovered (gaps) or covers twice (overlaps) is collected.

#include "geometry/Region.h"

#include <QPointF>
#include <QString>

namespace vk {

class TCollage;

struct TPatternCheck {
    // The hand points repeat the pattern in two directions; without that
    // there is no period and the plane has gaps everywhere.
    bool Periodic = false;
    // The period inspected: the cell of the reduced lattice basis, centred
    // on the pattern's copy at its origin.
    QPolygonF Period;
    TRegion Gaps;
    TRegion Overlaps;
    // Square millimetres; zero when the region counts as empty.
    double GapArea = 0.0;
    double OverlapArea = 0.0;
    // Repeats laid along each lattice direction.
    int RepeatsAlongA = 0;
    int RepeatsAlongB = 0;

    [[nodiscard]] bool Covers() const { return Periodic && GapArea == 0.0 && OverlapArea == 0.0; }
    // "Узор покрывает плоскость без щелей и наложений", or what is wrong.
    [[nodiscard]] QString Message() const;
};

// `tolerance`: gaps and overlaps thinner than it do not count (flattened
// arcs, rounding of stored points).
[[nodiscard]] TPatternCheck CheckPattern(const TCollage& pattern, double tolerance);

} // namespace vk
