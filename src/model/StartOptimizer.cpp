#include "model/StartOptimizer.h"

#include "geometry/GraphicPrimitive.h"
#include "geometry/Matrix.h"
#include "ui/UserInterface.h"
#include "model/Collage.h"
#include "model/FillHost.h"
#include "model/Materials.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "model/Tile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vk {

namespace {

// The resolution of the project's own sheet: the fill's region tolerance
// (one device pixel at the fill scale) and so its counts depend on it.
class TFixedScale final : public TSheetScale {
public:
    TFixedScale(int unitFactor, double dpi) : m_unitFactor(unitFactor), m_dpi(dpi) {}
    [[nodiscard]] float Scale() const override { return m_scale; }
    void SetScale(float scale) override { m_scale = scale; }
    [[nodiscard]] int UnitFactor() const override { return m_unitFactor; }
    [[nodiscard]] double LogicalDpi() const override { return m_dpi; }

private:
    float m_scale = 1.0f;
    int m_unitFactor;
    double m_dpi;
};

std::vector<TPointF> handPoints(const TCollage& pattern) {
    std::vector<TPointF> hands;
    const TElementList& list = pattern.HandPoints();
    for (int i = 0; i < list.Count(); ++i) {
        if (const auto* hand = dynamic_cast<const TPointPrimitive*>(list.Items(i))) {
            hands.push_back(hand->Point().point());
        }
    }
    return hands;
}

// Two hand points span a lattice cell unless one is a multiple of the other
// (or nothing): their cross product is tiny beside their lengths.
bool independent(TPointF a, TPointF b) {
    const double cross = double(a.X) * b.Y - double(a.Y) * b.X;
    const double lengths = std::hypot(double(a.X), double(a.Y)) * std::hypot(double(b.X), double(b.Y));
    return lengths > 0.0 && std::fabs(cross) > 1e-6 * lengths;
}

int piecesOf(const TProject& project) {
    const TTileList& laid = project.LaidTiles();
    int pieces = 0;
    for (int i = 0; i < laid.Count(); ++i) {
        pieces += laid.Items(i).PartID != -1 ? 1 : 0;
    }
    return pieces;
}

} // namespace

std::vector<TPointF> CandidateStarts(const TCollage& pattern, float orientation, TPointF start, int grid) {
    const std::vector<TPointF> hands = handPoints(pattern);
    std::vector<TPointF> starts;
    if (hands.empty() || grid < 1) {
        return {start};
    }
    const TPointF h1 = RotatePoint(hands.front(), orientation, {0.0f, 0.0f});
    const TPointF* second = nullptr;
    TPointF h2;
    for (std::size_t k = 1; k < hands.size() && second == nullptr; ++k) {
        h2 = RotatePoint(hands[k], orientation, {0.0f, 0.0f});
        if (independent(h1, h2)) {
            second = &h2;
        }
    }
    if (second == nullptr) {
        return {start};
    }
    starts.reserve(std::size_t(grid) * std::size_t(grid));
    for (int i = 0; i < grid; ++i) {
        for (int j = 0; j < grid; ++j) {
            const double a = double(i) / grid;
            const double b = double(j) / grid;
            starts.push_back({float(double(start.X) + a * h1.X + b * h2.X),
                              float(double(start.Y) + a * h1.Y + b * h2.Y)});
        }
    }
    return starts;
}

bool BetterCandidate(const TStartCandidate& a, const TStartCandidate& b) {
    if (a.Tiles != b.Tiles) {
        return a.Tiles < b.Tiles;
    }
    if (a.Pieces != b.Pieces) {
        return a.Pieces < b.Pieces;
    }
    return a.Index < b.Index;
}

// One copy of the project, used by one thread at a time.
struct TStartOptimizer::TWorker {
    TWorker(int unitFactor, double dpi) : Scale(unitFactor, dpi) {}

    TFixedScale Scale;
    std::unique_ptr<TProject> Project;
    float Orientation = 0.0f;

    void Lay(TStartCandidate& candidate) {
        if (candidate.Orientation != Orientation) {
            Project->SetOrientation(candidate.Orientation);
            Orientation = candidate.Orientation;
        }
        Project->SetStartPoint(candidate.Start.X, candidate.Start.Y);
        Project->FillQuietly();
        candidate.Tiles = ComputeMaterials(*Project, 0.0, 0).Total.Tiles;
        candidate.Pieces = piecesOf(*Project);
        candidate.Laid = Project->LaidTiles().Count();
    }
};

TStartOptimizer::TStartOptimizer(const TProject& project, int threads) {
    m_ready = project.Elements().Count() > 0 && project.Tile() != nullptr && project.Pattern() != nullptr &&
              project.StartPoint().isSet();
    m_orientation = project.Orientation();
    m_start = project.StartPoint().point();
    if (threads <= 0) {
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    }
    if (!m_ready) {
        return;
    }
    const TSheetScale& scale = project.SheetScale();
    const TPartList* sourceParts = project.TileParts();
    for (int k = 0; k < threads; ++k) {
        auto worker = std::make_unique<TWorker>(scale.UnitFactor(), scale.LogicalDpi());
        worker->Project = std::make_unique<TProject>(nullptr, TProject::TNameChange{}, nullptr, &worker->Scale);
        TProject& copy = *worker->Project;
        copy.T_TnC_Ancestor::Assign(project);
        auto tile = std::make_unique<TTile>();
        tile->Assign(*project.Tile());
        auto parts = std::make_unique<TPartList>();
        if (sourceParts != nullptr) {
            parts->CopyFrom(*sourceParts);
            parts->AttachToTile(sourceParts->Tile == project.Tile() ? tile.get() : nullptr);
        }
        copy.UseTile(std::move(tile), std::move(parts));
        auto pattern = std::make_unique<TCollage>(copy.Tile());
        pattern->Assign(*project.Pattern());
        copy.UsePattern(std::move(pattern));
        copy.SetOrientation(m_orientation);
        worker->Orientation = m_orientation;
        copy.SetStartPoint(m_start.X, m_start.Y);
        m_workers.push_back(std::move(worker));
    }
}

TStartOptimizer::~TStartOptimizer() = default;

bool TStartOptimizer::IsReady() const { return m_ready; }

std::vector<TStartCandidate> TStartOptimizer::Candidates() const {
    std::vector<TStartCandidate> candidates;
    if (!m_ready) {
        return candidates;
    }
    const std::vector<float> orientations =
        m_orientations.empty() ? std::vector<float>{m_orientation} : m_orientations;
    const TCollage& pattern = *m_workers.front()->Project->Pattern();
    for (const float orientation : orientations) {
        for (const TPointF start : CandidateStarts(pattern, orientation, m_start, m_grid)) {
            TStartCandidate c;
            c.Start = start;
            c.Orientation = orientation;
            c.Index = int(candidates.size());
            candidates.push_back(c);
        }
    }
    return candidates;
}

TStartCandidate TStartOptimizer::Evaluate(TPointF start, float orientation) {
    TStartCandidate c;
    c.Start = start;
    c.Orientation = orientation;
    c.Index = -1;
    if (m_ready) {
        m_workers.front()->Lay(c);
    }
    return c;
}

TOptimizeResult TStartOptimizer::Run(TProgress* progress) {
    TOptimizeResult result;
    if (!m_ready) {
        return result;
    }
    if (progress != nullptr && !progress->report(0)) {
        result.Cancelled = true;
        return result;
    }
    result.Current = Evaluate(m_start, m_orientation);
    std::vector<TStartCandidate> candidates = Candidates();
    const int total = int(candidates.size());

    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    std::vector<char> laid(candidates.size(), 0);
    std::mutex mutex;
    std::condition_variable changed;
    int running = int(m_workers.size());

    const auto work = [&](TWorker& worker) {
        for (int k = next++; k < total && !stop; k = next++) {
            worker.Lay(candidates[std::size_t(k)]);
            laid[std::size_t(k)] = 1;
            ++done;
            changed.notify_one();
        }
        const std::lock_guard<std::mutex> lock(mutex);
        --running;
        changed.notify_one();
    };
    std::vector<std::thread> threads;
    threads.reserve(m_workers.size());
    for (const auto& worker : m_workers) {
        threads.emplace_back(work, std::ref(*worker));
    }
    // The caller's thread only tells how far it has come, and hears whether
    // to stop.
    {
        std::unique_lock<std::mutex> lock(mutex);
        int reported = 0;
        while (running > 0) {
            changed.wait_for(lock, std::chrono::milliseconds(25));
            const int now = done.load();
            if (progress != nullptr && now != reported) {
                reported = now;
                lock.unlock();
                const bool goOn = progress->report(now);
                lock.lock();
                if (!goOn) {
                    stop = true;
                    result.Cancelled = true;
                }
            }
        }
    }
    for (std::thread& t : threads) {
        t.join();
    }

    std::vector<TStartCandidate> finished;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        if (laid[k] != 0) {
            ++result.Tried;
            if (candidates[k].Laid > 0) {
                finished.push_back(candidates[k]);
            }
        }
    }
    const std::size_t keep = std::min<std::size_t>(TopCount, finished.size());
    std::partial_sort(finished.begin(), finished.begin() + std::ptrdiff_t(keep), finished.end(), BetterCandidate);
    finished.resize(keep);
    result.Top = std::move(finished);
    if (progress != nullptr && !result.Cancelled) {
        progress->report(result.Tried);
    }
    return result;
}

} // namespace vk
