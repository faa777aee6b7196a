#pragma once
// The area to be paved, made from the site border, and the decision for one
// tile copy: outside the site, whole inside it, or cut by the border.
//
// Regions are exact polygon algebra (TRegion); emptiness and equality are
// judged within a tolerance of one device pixel at the fill scale, as a
// rendered region would be.
//
// A fill asks about every tile of a large site, and intersecting each tile
// with the whole site would cost time in proportion to the site's vertices.
// So the site is cut once into square cells (PrepareCells), each widened by
// half a tile: a cell whose widened square lies wholly inside or wholly
// outside the site decides every tile centred in it at once; a cell the
// border passes keeps its piece of the site and the border edges near it,
// and only a tile whose bounds meet one of those edges is intersected, with
// that small piece. The decisions are the same as against the whole site.

#include "geometry/ConvexPolygon.h"
#include "geometry/Region.h"
#include "geometry/ShapePath.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <memory>
#include <vector>

namespace vk {

class TSiteRegion {
    struct TBorderCell;

public:
    // The figures of `path` (world millimetres, arcs flattened by our own
    // code), each filled with the winding rule. The outer figure is the
    // last one whose bounds are at least as wide and as high as those of
    // the best figure before it; every other figure is a hole, whether or
    // not it lies inside. nullptr when the path has no figure.
    [[nodiscard]] static std::unique_ptr<TSiteRegion> FromPath(const TShapePath& path);
    ~TSiteRegion();
    TSiteRegion(const TSiteRegion&) = delete;
    TSiteRegion& operator=(const TSiteRegion&) = delete;

    [[nodiscard]] const TRegion& Region() const { return m_region; }
    // Index of the outer figure among the path's figures.
    [[nodiscard]] int OuterFigure() const { return m_outer; }
    // Outer boundaries and holes, for clipping a drawing to the site.
    [[nodiscard]] const QPainterPath& ClipPath() const { return m_clipPath; }

    // Cuts the site into cells for tiles whose bounds (with their halves)
    // are at most `extent` millimetres on either side.
    void PrepareCells(double extent);
    void DropCells();
    [[nodiscard]] bool HasCells() const { return m_nx > 0; }
    [[nodiscard]] int BorderCellCount() const { return int(m_border.size()); }

    enum class TCoverage { Outside, Whole, Cut };

    // What of a cut tile lies in the site, and the part of the site to
    // match its halves against. A tile cut by one straight border edge
    // keeps that edge instead, and its piece is made only when asked for.
    struct TCut {
        TRegion Clipped;
        const TRegion* Site = nullptr;
        const TBorderCell* Cell = nullptr; // its piece is the site when Site is none
        QPointF Offset;
        const std::vector<QPolygonF>* Local = nullptr;
        bool HasClipped = false;
        bool Straight = false;
        QPointF EdgeFrom; // the site lies to the left of EdgeFrom -> EdgeTo
        QPointF EdgeTo;
    };

    // What of a tile is not one of its halves, for matching halves without
    // the region adapter.
    struct THalfRest {
        bool Known = false;    // Rest holds it (or it is nothing)
        bool Nothing = false;  // the half is the whole tile
        TSmallConvex Rest;     // local, convex
    };

    // A tile given by its local polygons and bounds, moved by `offset`.
    // `quick` allows the cells to decide (the caller knows that the tile is
    // not itself empty within the tolerance); otherwise, and always without
    // cells, the tile is intersected with the whole site. `convex`, when
    // given and not empty, is the tile's outline as a convex polygon: a tile
    // cut by a single straight border edge is then decided without the
    // region adapter.
    [[nodiscard]] TCoverage Classify(const std::vector<QPolygonF>& local, const QRectF& localBounds,
                                     QPointF offset, double tolerance, bool quick, TCut& cut,
                                     const TSmallConvex* convex = nullptr) const;
    // Whether the half (local polygons, moved by the cut's offset) inside
    // the site equals the cut piece.
    [[nodiscard]] bool HalfMatches(const std::vector<QPolygonF>& localHalf, TCut& cut, double tolerance,
                                   const THalfRest* rest = nullptr) const;
    // Whether tiles cut by one straight edge are decided without the region
    // adapter (the default); the decisions are the same.
    void SetStraightEdges(bool on) { m_straightEdges = on; }

    // The decision against a given part of the site, as the cells make it
    // for a tile that meets the border.
    [[nodiscard]] static TCoverage Decide(const TRegion& full, const TRegion& site, double tolerance,
                                          TRegion* clipped);

private:
    TSiteRegion() = default;

    struct TEdgeBox {
        double x0, y0, x1, y1;
        QPointF From, To; // the site lies to its left
    };
    // Decides a convex tile against the one border edge that passes its
    // bounds; false when that is too close to call without the adapter.
    [[nodiscard]] static bool decideStraight(const TSmallConvex& tile, const TEdgeBox& edge, double tolerance,
                                             TCoverage& coverage);
    static constexpr std::int32_t kOutside = -1;
    static constexpr std::int32_t kInside = -2;
    static constexpr std::int32_t kUnknown = -3;

    [[nodiscard]] QRectF widenedRect(int ix0, int ix1, int iy0, int iy1) const;
    [[nodiscard]] const TBorderCell& ready(const TBorderCell& cell) const;

    struct TBorderCell {
        int IX = 0;
        int IY = 0;
        std::vector<TEdgeBox> Edges;
        // The site within the widened cell: made when a tile first needs it
        // (most tiles along a straight border never do).
        mutable bool Ready = false;
        mutable TRegion Piece;
        mutable std::vector<QPolygonF> Polygons;
    };

    TRegion m_region;
    int m_outer = 0;
    QPainterPath m_clipPath;
    QRectF m_bounds;
    std::vector<QPolygonF> m_polygons;
    std::vector<QRectF> m_polygonBounds;

    double m_cell = 0.0;
    double m_margin = 0.0;
    double m_x0 = 0.0;
    double m_y0 = 0.0;
    int m_nx = 0;
    int m_ny = 0;
    std::vector<std::int32_t> m_cells; // kOutside, kInside or an index into m_border
    std::vector<TBorderCell> m_border;
    bool m_straightEdges = true;
};

[[nodiscard]] std::vector<QPolygonF> MovedPolygons(const std::vector<QPolygonF>& polygons, QPointF offset);

} // namespace vk
