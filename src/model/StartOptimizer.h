#pragma once
// "Подобрать начальную точку": where to start the laying, and at what angle,
// so that the fewest tiles are bought. The start points tried lie on a grid
// over one cell of the pattern's lattice, S + (i/N)·h1 + (j/N)·h2, where S is
// the project's start point, h1 the pattern's first hand point and h2 the
// first later one not parallel to it, both turned by the orientation tried.
// Every candidate is laid headless by the real fill on a copy of the
// project; the copies work side by side, one per thread.
//
// The best candidate has the fewest tiles to buy (whole tiles plus the tiles
// cut into halves, without waste), then the fewest cut pieces, then comes
// first in the order (orientation, i, j). A candidate whose first copy lays
// nothing is no laying at all (the fill stops at once) and is never listed.

#include "geometry/Types.h"

#include <memory>
#include <vector>

namespace vk {

class TCollage;
class TProject;
class TProgress;

struct TStartCandidate {
    TPointF Start;              // project-local millimetres
    float Orientation = 0.0f;   // degrees
    int Tiles = 0;              // tiles to buy, without waste
    int Pieces = 0;             // cut pieces counted as halves
    int Laid = 0;               // tiles laid; none: the start copy missed the site
    int Index = 0;              // place in the order (orientation, i, j)
};

// The start points tried at `orientation`, in the order (i, j): N × N of
// them, or `start` alone when the pattern has no two hand points that are
// not parallel.
[[nodiscard]] std::vector<TPointF> CandidateStarts(const TCollage& pattern, float orientation, TPointF start,
                                                   int grid);

struct TOptimizeResult {
    // The best first, at most TStartOptimizer::TopCount.
    std::vector<TStartCandidate> Top;
    // The project's own start point and orientation, laid the same way:
    // what the candidates are compared with.
    TStartCandidate Current;
    // Candidates laid (all of them unless stopped), listed or not.
    int Tried = 0;
    bool Cancelled = false;
};

class TStartOptimizer {
public:
    static constexpr int TopCount = 5;
    static constexpr int DefaultGrid = 8;

    // Takes what a fill needs from `project` (border, tile and its cuts,
    // pattern, start point, orientation, the scale's resolution) into
    // copies of its own: the project may change or go while it runs.
    // `threads` 0: one per core.
    explicit TStartOptimizer(const TProject& project, int threads = 0);
    ~TStartOptimizer();
    TStartOptimizer(const TStartOptimizer&) = delete;
    TStartOptimizer& operator=(const TStartOptimizer&) = delete;

    // Whether the project had a border, a tile, a pattern and a start point.
    [[nodiscard]] bool IsReady() const;
    void SetGrid(int grid) { m_grid = grid < 1 ? 1 : grid; }
    // Empty: the project's own orientation only.
    void SetOrientations(std::vector<float> orientations) { m_orientations = std::move(orientations); }
    [[nodiscard]] int Grid() const { return m_grid; }

    // Every candidate in the order (orientation, i, j), not yet laid.
    [[nodiscard]] std::vector<TStartCandidate> Candidates() const;
    // Lays them all. `progress` (may be null) hears of every candidate laid,
    // from the calling thread; when it says stop, the candidates laid so far
    // decide.
    [[nodiscard]] TOptimizeResult Run(TProgress* progress = nullptr);

    // The counts of one candidate, laid on a copy on the calling thread.
    [[nodiscard]] TStartCandidate Evaluate(TPointF start, float orientation);

private:
    struct TWorker;

    std::vector<std::unique_ptr<TWorker>> m_workers;
    std::vector<float> m_orientations;
    int m_grid = DefaultGrid;
    float m_orientation = 0.0f;
    TPointF m_start;
    bool m_ready = false;
};

// The better of two laid candidates: fewer tiles, then fewer pieces, then
// the earlier one.
[[nodiscard]] bool BetterCandidate(const TStartCandidate& a, const TStartCandidate& b);

} // namespace vk
