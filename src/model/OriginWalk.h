#pragma once
// The breadth-first walk of a fill over the origins of the pattern's copies.
//
// Every origin is the start point plus an integer combination of the hand
// points, and is computed from that combination in double precision. Summing
// single-precision hand vectors step after step instead lets origins reached
// along different paths drift apart by more than the 1 mm within which two
// origins are the same copy, and a drifted copy starts a shifted lattice that
// floods the site a second time.
//
// When the hand points span a proper lattice (two of them independent, every
// other an integer combination of those, no two lattice points within 1 mm of
// each other), origins are named by their two integer coordinates in a
// reduced basis and the visited set is a bitmap over the lattice points that
// can reach the site. Otherwise (one hand point, collinear hand points, hand
// points that are fractions of each other, hand points shorter than a
// millimetre) the origins are kept with their coefficients of every hand
// point and compared by position within 1 mm.
//
// An origin is queued at most once: it counts as visited when it is first
// queued, which hands origins out in the same breadth-first order as
// checking them again when they are handled.

#include "model/LaidTiles.h"

#include <QPointF>
#include <QRectF>
#include <cstdint>
#include <vector>

namespace vk {

class TOriginWalk {
public:
    // Forgets the last walk and queues the origin `start` (world millimetres).
    // `hands` are the pattern's hand points (already turned); an origin
    // outside `reach` can lay nothing and is never queued.
    void Start(QPointF start, const std::vector<QPointF>& hands, const QRectF& reach);
    void Clear();

    [[nodiscard]] bool Empty() const { return m_head >= m_queued; }
    // Origins queued and not yet handed out.
    [[nodiscard]] int Queued() const { return int(m_queued - m_head); }
    // Origins visited (queued at some time) in this walk.
    [[nodiscard]] int Count() const { return m_visited; }
    // Whether the origins are named on a lattice (the fast walk).
    [[nodiscard]] bool OnLattice() const { return m_lattice; }
    // The start and, on a lattice, its reduced basis.
    [[nodiscard]] QPointF StartPoint() const { return m_start; }
    [[nodiscard]] QPointF Basis(int i) const { return m_lattice ? m_generators[std::size_t(i)] : QPointF(); }

    // The next origin, breadth first; it becomes the current one.
    QPointF Next();
    // Queues the neighbours of the current origin not visited yet: plus and
    // minus each hand point, in hand point order.
    void Spread();

private:
    [[nodiscard]] QPointF position(const std::int32_t* coefficients) const;
    // Marks the origin with these coefficients visited; false when it was.
    bool claim(const std::int32_t* coefficients);
    bool findLattice(const std::vector<QPointF>& hands);

    QPointF m_start;
    bool m_lattice = false;
    // The generators origins are combined from: a reduced lattice basis, or
    // every hand point.
    std::vector<QPointF> m_generators;
    // Per hand point, its coefficients of the generators (stride m_stride).
    std::vector<std::int32_t> m_steps;
    int m_stride = 0;
    int m_hands = 0;

    // The queue of coefficient vectors (stride m_stride), handed out from m_head.
    std::vector<std::int32_t> m_queue;
    std::size_t m_head = 0;
    std::size_t m_queued = 0;
    std::vector<std::int32_t> m_current;
    std::vector<std::int32_t> m_next;
    int m_visited = 0;

    QRectF m_reach;
    // Lattice: the visited bits over [m_i0, m_i0 + m_ni) x [m_j0, m_j0 + m_nj).
    std::int64_t m_i0 = 0;
    std::int64_t m_j0 = 0;
    std::int64_t m_ni = 0;
    std::int64_t m_nj = 0;
    std::vector<std::uint64_t> m_bits;
    // Otherwise: the visited positions.
    TBasePointList m_points;
};

} // namespace vk
