#include "model/OriginWalk.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vk {

namespace {

double cross(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }
double dot(QPointF a, QPointF b) { return a.x() * b.x() + a.y() * b.y(); }

// Hand points are single floats: a hand point that is meant to be an integer
// combination of two others is one within float noise, far below this.
constexpr double kCombinationError = 1e-3;
// No two lattice points may count as one origin: two origins within 1 mm on
// both axes are the same copy, and a basis vector longer than this keeps
// every lattice point farther than that from every other.
constexpr double kShortestVector = 1.5;
// The visited bitmap of a lattice walk is kept to this many bits; a larger
// one (an absurdly fine pattern over a huge site) compares positions instead.
constexpr std::int64_t kMaxBits = std::int64_t(1) << 30;

} // namespace

void TOriginWalk::Clear() {
    m_lattice = false;
    m_generators.clear();
    m_steps.clear();
    m_stride = 0;
    m_hands = 0;
    m_queue.clear();
    m_queue.shrink_to_fit();
    m_head = 0;
    m_queued = 0;
    m_current.clear();
    m_visited = 0;
    m_bits.clear();
    m_bits.shrink_to_fit();
    m_ni = m_nj = 0;
    m_points.ClearAll();
}

bool TOriginWalk::findLattice(const std::vector<QPointF>& hands) {
    const int n = int(hands.size());
    if (n < 2) {
        return false;
    }
    // The most independent pair spans the lattice if anything does.
    int a = -1;
    int b = -1;
    double best = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int k = i + 1; k < n; ++k) {
            const double c = std::fabs(cross(hands[std::size_t(i)], hands[std::size_t(k)]));
            if (c > best) {
                best = c;
                a = i;
                b = k;
            }
        }
    }
    if (a < 0) {
        return false;
    }
    const QPointF ha = hands[std::size_t(a)];
    const QPointF hb = hands[std::size_t(b)];
    const double det = cross(ha, hb);
    if (std::fabs(det) < 1e-6 * std::hypot(ha.x(), ha.y()) * std::hypot(hb.x(), hb.y())) {
        return false;
    }
    // Reduce the basis (Lagrange), keeping it as integer combinations of
    // the pair so that its vectors are computed from the hand points alone.
    std::int64_t u[2][2] = {{1, 0}, {0, 1}};
    const auto vec = [&](int r) { return QPointF(u[r][0] * ha.x() + u[r][1] * hb.x(), u[r][0] * ha.y() + u[r][1] * hb.y()); };
    for (int guard = 0; guard < 200; ++guard) {
        if (dot(vec(0), vec(0)) > dot(vec(1), vec(1))) {
            std::swap(u[0], u[1]);
        }
        const QPointF b0 = vec(0);
        const double mu = std::round(dot(b0, vec(1)) / dot(b0, b0));
        if (mu == 0.0 || !std::isfinite(mu) || std::fabs(mu) > 1e9) {
            break;
        }
        u[1][0] -= std::int64_t(mu) * u[0][0];
        u[1][1] -= std::int64_t(mu) * u[0][1];
    }
    const QPointF b0 = vec(0);
    const QPointF b1 = vec(1);
    if (std::hypot(b0.x(), b0.y()) < kShortestVector || std::hypot(b1.x(), b1.y()) < kShortestVector) {
        return false;
    }
    const double d = cross(b0, b1);
    std::vector<std::int32_t> steps;
    for (const QPointF& h : hands) {
        const double x = std::round(cross(h, b1) / d);
        const double y = std::round(cross(b0, h) / d);
        if (std::fabs(x) > 1e6 || std::fabs(y) > 1e6) {
            return false;
        }
        const QPointF back(x * b0.x() + y * b1.x(), x * b0.y() + y * b1.y());
        if (std::fabs(back.x() - h.x()) > kCombinationError || std::fabs(back.y() - h.y()) > kCombinationError) {
            return false; // a fraction of the pair: a finer lattice, or none
        }
        steps.push_back(std::int32_t(x));
        steps.push_back(std::int32_t(y));
    }

    // The lattice points whose copies can reach the site.
    double i0 = std::numeric_limits<double>::max();
    double i1 = -i0;
    double j0 = i0;
    double j1 = -i0;
    for (const QPointF corner : {m_reach.topLeft(), m_reach.topRight(), m_reach.bottomLeft(), m_reach.bottomRight()}) {
        const QPointF p = corner - m_start;
        const double x = cross(p, b1) / d;
        const double y = cross(b0, p) / d;
        i0 = std::min(i0, x);
        i1 = std::max(i1, x);
        j0 = std::min(j0, y);
        j1 = std::max(j1, y);
    }
    const double ni = std::floor(i1) - std::floor(i0) + 3.0;
    const double nj = std::floor(j1) - std::floor(j0) + 3.0;
    if (!(ni * nj <= double(kMaxBits))) {
        return false;
    }
    m_i0 = std::int64_t(std::floor(i0)) - 1;
    m_j0 = std::int64_t(std::floor(j0)) - 1;
    m_ni = std::int64_t(ni);
    m_nj = std::int64_t(nj);
    m_bits.assign(std::size_t((m_ni * m_nj + 63) / 64), 0);
    m_generators = {b0, b1};
    m_steps = std::move(steps);
    m_stride = 2;
    return true;
}

void TOriginWalk::Start(QPointF start, const std::vector<QPointF>& hands, const QRectF& reach) {
    Clear();
    m_start = start;
    m_reach = reach;
    m_hands = int(hands.size());
    m_lattice = findLattice(hands);
    if (!m_lattice) {
        m_generators = hands;
        m_stride = m_hands;
        m_steps.assign(std::size_t(m_hands) * std::size_t(m_hands), 0);
        for (int k = 0; k < m_hands; ++k) {
            m_steps[std::size_t(k) * std::size_t(m_hands) + std::size_t(k)] = 1;
        }
    }
    m_current.assign(std::size_t(m_stride), 0);
    // The start copy is always handled, wherever it lies.
    if (m_lattice) {
        const std::int64_t index = (0 - m_i0) * m_nj + (0 - m_j0);
        if (index >= 0 && index < m_ni * m_nj) {
            m_bits[std::size_t(index / 64)] |= std::uint64_t(1) << (index % 64);
        }
    } else {
        m_points.AddExact(start);
    }
    ++m_visited;
    m_queue.insert(m_queue.end(), m_current.begin(), m_current.end());
    ++m_queued;
}

QPointF TOriginWalk::position(const std::int32_t* c) const {
    double x = m_start.x();
    double y = m_start.y();
    for (int g = 0; g < m_stride; ++g) {
        x += double(c[g]) * m_generators[std::size_t(g)].x();
        y += double(c[g]) * m_generators[std::size_t(g)].y();
    }
    return {x, y};
}

bool TOriginWalk::claim(const std::int32_t* c) {
    if (m_lattice) {
        const std::int64_t i = c[0] - m_i0;
        const std::int64_t j = c[1] - m_j0;
        if (i < 0 || j < 0 || i >= m_ni || j >= m_nj) {
            return false;
        }
        const std::int64_t index = i * m_nj + j;
        std::uint64_t& word = m_bits[std::size_t(index / 64)];
        const std::uint64_t bit = std::uint64_t(1) << (index % 64);
        if ((word & bit) != 0) {
            return false;
        }
        if (!m_reach.contains(position(c))) {
            return false;
        }
        word |= bit;
    } else {
        const QPointF p = position(c);
        if (!m_reach.contains(p) || m_points.FindExact(p).Found) {
            return false;
        }
        m_points.AddExact(p);
    }
    ++m_visited;
    return true;
}

QPointF TOriginWalk::Next() {
    const std::size_t at = m_head * std::size_t(m_stride);
    std::copy(m_queue.begin() + std::ptrdiff_t(at), m_queue.begin() + std::ptrdiff_t(at + std::size_t(m_stride)),
              m_current.begin());
    ++m_head;
    // The frontier of a breadth-first walk is small: drop what was handed out.
    if (m_head >= 4096 && m_head * 2 >= m_queued) {
        m_queue.erase(m_queue.begin(), m_queue.begin() + std::ptrdiff_t(m_head * std::size_t(m_stride)));
        m_queued -= m_head;
        m_head = 0;
    }
    return position(m_current.data());
}

void TOriginWalk::Spread() {
    std::vector<std::int32_t>& next = m_next;
    next.resize(std::size_t(m_stride));
    for (int k = 0; k < m_hands; ++k) {
        const std::int32_t* step = &m_steps[std::size_t(k) * std::size_t(m_stride)];
        for (const int sign : {1, -1}) {
            for (int g = 0; g < m_stride; ++g) {
                next[std::size_t(g)] = m_current[std::size_t(g)] + sign * step[g];
            }
            if (claim(next.data())) {
                m_queue.insert(m_queue.end(), next.begin(), next.end());
                ++m_queued;
            }
        }
    }
}

} // namespace vk
