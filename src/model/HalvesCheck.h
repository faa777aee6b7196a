#pragma once
// Whether the halves of a part make up their tile: every bit of the tile in
// some half, no bit in two.

#include "geometry/Region.h"

namespace vk {

class TPart;
class TTile;

struct THalvesCheck {
    // What of the tile no half takes, and what two halves or more share
    // (world millimetres).
    TRegion Leftover;
    TRegion Overlaps;
    // Each judged within the tolerance: slivers thinner do not count.
    bool HasLeftover = false;
    bool HasOverlaps = false;
    [[nodiscard]] bool Exact() const { return !HasLeftover && !HasOverlaps; }
};

// `tolerance`: millimetres, as TRegion::IsEmptyWithin takes it.
[[nodiscard]] THalvesCheck CheckHalves(const TTile& tile, const TPart& part, double tolerance);

} // namespace vk
