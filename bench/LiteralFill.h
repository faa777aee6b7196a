#pragma once
// The fill done literally, for comparison: one origin per step; the visited
// origins in a sorted list searched by bisection with the tolerant
// comparison; every tile copy a full tile with its own outline, intersected
// with the whole site region; the laid tiles in a sorted index with O(n)
// insertion.

#include <map>
#include <utility>

namespace vk {
class TProject;
}

namespace vk::bench {

struct TLiteralResult {
    int Laid = 0;
    int Whole = 0; // no half matched (PartID -1)
    std::map<std::pair<int, int>, int> Halves; // (part, half) -> count
};

// The project must be ready to fill (a loaded scene).
TLiteralResult LiteralFill(TProject& project, double tolerance);

} // namespace vk::bench
