#include "model/SiteRegion.h"

#include "model/LaidTiles.h"

#include <algorithm>
#include <cmath>

namespace vk {

namespace {

// Nonzero winding of a closed polygon around a point.
int winding(const QPolygonF& polygon, QPointF p) {
    int w = 0;
    const int n = int(polygon.size());
    for (int i = 0; i < n; ++i) {
        const QPointF& a = polygon[i];
        const QPointF& b = polygon[(i + 1) % n];
        const double side = (b.x() - a.x()) * (p.y() - a.y()) - (p.x() - a.x()) * (b.y() - a.y());
        if (a.y() <= p.y()) {
            if (b.y() > p.y() && side > 0) {
                ++w;
            }
        } else if (b.y() <= p.y() && side < 0) {
            --w;
        }
    }
    return w;
}

bool inside(const std::vector<QPolygonF>& polygons, QPointF p) {
    int w = 0;
    for (const QPolygonF& polygon : polygons) {
        w += winding(polygon, p);
    }
    return w != 0;
}

} // namespace

std::vector<QPolygonF> MovedPolygons(const std::vector<QPolygonF>& polygons, QPointF offset) {
    std::vector<QPolygonF> moved;
    moved.reserve(polygons.size());
    for (const QPolygonF& polygon : polygons) {
        QPolygonF m(polygon.size());
        for (int i = 0; i < polygon.size(); ++i) {
            m[i] = polygon[i] + offset;
        }
        moved.push_back(std::move(m));
    }
    return moved;
}

TSiteRegion::~TSiteRegion() = default;

std::unique_ptr<TSiteRegion> TSiteRegion::FromPath(const TShapePath& path) {
    std::vector<TRegion> figures;
    for (const TShapePath::Figure& figure : path.Figures()) {
        if (figure.empty()) {
            continue;
        }
        TShapePath one;
        one.StartFigure();
        for (const TPathPiece& piece : figure) {
            if (piece.kind == TPathPiece::Kind::Line) {
                one.AddLine(piece.A, piece.B);
            } else {
                one.AddArc(piece.Centre, piece.Radius, piece.StartAngle, piece.Sweep);
            }
        }
        one.CloseFigure();
        figures.push_back(TRegion::FromPolygons(one.Flatten(kRegionChordError)));
    }
    if (figures.empty()) {
        return nullptr;
    }
    std::unique_ptr<TSiteRegion> site(new TSiteRegion);
    // Ties go to the later figure; differences within float noise are ties.
    constexpr double kTie = 1e-3;
    int best = 0;
    QRectF bounds = figures[0].Bounds();
    for (int i = 1; i < int(figures.size()); ++i) {
        const QRectF b = figures[std::size_t(i)].Bounds();
        if (bounds.width() <= b.width() + kTie && bounds.height() <= b.height() + kTie) {
            best = i;
            bounds = b;
        }
    }
    site->m_outer = best;
    site->m_region = figures[std::size_t(best)];
    for (int i = 0; i < int(figures.size()); ++i) {
        if (i != best) {
            site->m_region = site->m_region.Subtracted(figures[std::size_t(i)]);
        }
    }
    site->m_clipPath.setFillRule(Qt::WindingFill);
    for (const QPolygonF& polygon : site->m_region.Polygons()) {
        site->m_clipPath.addPolygon(polygon);
        site->m_clipPath.closeSubpath();
    }
    site->m_bounds = site->m_region.Bounds();
    return site;
}

// --- cells -------------------------------------------------------------------------

void TSiteRegion::DropCells() {
    m_nx = m_ny = 0;
    m_cells.clear();
    m_border.clear();
}

QRectF TSiteRegion::widenedRect(int ix0, int ix1, int iy0, int iy1) const {
    return QRectF(QPointF(m_x0 + ix0 * m_cell - m_margin, m_y0 + iy0 * m_cell - m_margin),
                  QPointF(m_x0 + ix1 * m_cell + m_margin, m_y0 + iy1 * m_cell + m_margin));
}

namespace {

// The polygon cut to an axis-parallel rectangle, one side after another.
// Where the polygon leaves and re-enters, the result runs along the
// rectangle's side and back: lines of no area, which the region adapter
// drops when it makes a region of it.
QPolygonF clippedToRect(const QPolygonF& polygon, const QRectF& r) {
    QPolygonF in = polygon;
    QPolygonF out;
    for (int side = 0; side < 4 && !in.isEmpty(); ++side) {
        const auto keep = [&](QPointF p) {
            switch (side) {
            case 0: return p.x() >= r.left();
            case 1: return p.x() <= r.right();
            case 2: return p.y() >= r.top();
            default: return p.y() <= r.bottom();
            }
        };
        const auto cross = [&](QPointF p, QPointF q) {
            const double t = side < 2 ? ((side == 0 ? r.left() : r.right()) - p.x()) / (q.x() - p.x())
                                      : ((side == 2 ? r.top() : r.bottom()) - p.y()) / (q.y() - p.y());
            return p + t * (q - p);
        };
        out.clear();
        const int n = int(in.size());
        for (int i = 0; i < n; ++i) {
            const QPointF& p = in[i];
            const QPointF& q = in[(i + 1) % n];
            if (keep(p)) {
                out << p;
                if (!keep(q)) {
                    out << cross(p, q);
                }
            } else if (keep(q)) {
                out << cross(p, q);
            }
        }
        std::swap(in, out);
    }
    return in;
}

} // namespace

const TSiteRegion::TBorderCell& TSiteRegion::ready(const TBorderCell& cell) const {
    if (!cell.Ready) {
        const QRectF rect = widenedRect(cell.IX, cell.IX + 1, cell.IY, cell.IY + 1);
        std::vector<QPolygonF> pieces;
        for (std::size_t i = 0; i < m_polygons.size(); ++i) {
            if (m_polygonBounds[i].intersects(rect)) {
                QPolygonF piece = clippedToRect(m_polygons[i], rect);
                if (piece.size() >= 3) {
                    pieces.push_back(std::move(piece));
                }
            }
        }
        cell.Piece = TRegion::FromPolygons(pieces);
        cell.Polygons = cell.Piece.Polygons();
        cell.Ready = true;
    }
    return cell;
}

void TSiteRegion::PrepareCells(double extent) {
    DropCells();
    if (m_region.IsEmpty() || !(extent > 0.0) || !std::isfinite(extent)) {
        return;
    }
    m_margin = extent / 2.0 + 1.0;
    m_cell = std::max(1000.0, 4.0 * extent);
    const double width = m_bounds.width() + 2.0 * m_margin;
    const double height = m_bounds.height() + 2.0 * m_margin;
    // Keep the grid to a few million cells whatever the site.
    while ((width / m_cell) * (height / m_cell) > 4.0e6) {
        m_cell *= 2.0;
    }
    m_x0 = m_bounds.left() - m_margin;
    m_y0 = m_bounds.top() - m_margin;
    m_nx = std::max(1, int(std::ceil(width / m_cell)));
    m_ny = std::max(1, int(std::ceil(height / m_cell)));
    m_cells.assign(std::size_t(m_nx) * std::size_t(m_ny), kUnknown);
    if (m_polygons.empty()) {
        m_polygons = m_region.Polygons();
        for (const QPolygonF& polygon : m_polygons) {
            m_polygonBounds.push_back(polygon.boundingRect());
        }
    }

    // A cell is a border cell when some border edge's bounds meet its
    // widened square; every such edge is kept with it.
    for (const QPolygonF& polygon : m_polygons) {
        const int n = int(polygon.size());
        for (int i = 0; i < n; ++i) {
            const QPointF a = polygon[i];
            const QPointF b = polygon[(i + 1) % n];
            const TEdgeBox box{std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                               std::max(a.y(), b.y()), a, b};
            const int cx0 = std::max(0, int(std::floor((box.x0 - m_margin - m_x0) / m_cell)) - 1);
            const int cx1 = std::min(m_nx - 1, int(std::floor((box.x1 + m_margin - m_x0) / m_cell)));
            const int cy0 = std::max(0, int(std::floor((box.y0 - m_margin - m_y0) / m_cell)) - 1);
            const int cy1 = std::min(m_ny - 1, int(std::floor((box.y1 + m_margin - m_y0) / m_cell)));
            for (int cy = cy0; cy <= cy1; ++cy) {
                for (int cx = cx0; cx <= cx1; ++cx) {
                    const QRectF w = widenedRect(cx, cx + 1, cy, cy + 1);
                    if (box.x0 > w.right() || box.x1 < w.left() || box.y0 > w.bottom() || box.y1 < w.top()) {
                        continue;
                    }
                    std::int32_t& state = m_cells[std::size_t(cy) * std::size_t(m_nx) + std::size_t(cx)];
                    if (state < 0) {
                        state = std::int32_t(m_border.size());
                        TBorderCell cell;
                        cell.IX = cx;
                        cell.IY = cy;
                        m_border.push_back(std::move(cell));
                    }
                    m_border[std::size_t(state)].Edges.push_back(box);
                }
            }
        }
    }

    // No border passes any other cell's widened square: it lies wholly in
    // the site or wholly out of it, as its centre does. Row by row, the
    // border's crossings of the centre line tell (the region's figures do
    // not overlap, so odd means inside).
    std::vector<double> crossings;
    for (int cy = 0; cy < m_ny; ++cy) {
        const double y = m_y0 + (cy + 0.5) * m_cell;
        crossings.clear();
        for (const QPolygonF& polygon : m_polygons) {
            const int n = int(polygon.size());
            for (int i = 0; i < n; ++i) {
                const QPointF& a = polygon[i];
                const QPointF& b = polygon[(i + 1) % n];
                if ((a.y() <= y) != (b.y() <= y)) {
                    crossings.push_back(a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
                }
            }
        }
        std::sort(crossings.begin(), crossings.end());
        for (int cx = 0; cx < m_nx; ++cx) {
            std::int32_t& state = m_cells[std::size_t(cy) * std::size_t(m_nx) + std::size_t(cx)];
            if (state == kUnknown) {
                const double x = m_x0 + (cx + 0.5) * m_cell;
                const auto left = std::lower_bound(crossings.begin(), crossings.end(), x) - crossings.begin();
                state = (left % 2) == 1 ? kInside : kOutside;
            }
        }
    }
}

// --- decisions ---------------------------------------------------------------------

TSiteRegion::TCoverage TSiteRegion::Decide(const TRegion& full, const TRegion& site, double tolerance,
                                           TRegion* clipped) {
    TRegion inside = full.Intersected(site);
    if (inside.IsEmptyWithin(tolerance)) {
        return TCoverage::Outside;
    }
    if (inside.EqualsWithin(full, tolerance)) {
        return TCoverage::Whole;
    }
    if (clipped != nullptr) {
        *clipped = std::move(inside);
    }
    return TCoverage::Cut;
}

namespace {

// Within this of the emptiness threshold the region adapter, rounding to
// whole micrometres, may judge a piece either way: ask it.
constexpr double kStraightBand = 0.005;

// Whether the segment a-b passes through the rectangle (Liang-Barsky).
bool segmentMeets(QPointF a, QPointF b, const QRectF& r) {
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
        } else {
            const double t = q[i] / p[i];
            if (p[i] < 0.0) {
                t0 = std::max(t0, t);
            } else {
                t1 = std::min(t1, t);
            }
            if (t0 > t1) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool TSiteRegion::decideStraight(const TSmallConvex& tile, const TEdgeBox& edge, double tolerance,
                                 TCoverage& coverage) {
    double least = 0.0;
    double greatest = 0.0;
    tile.DistancesFrom(edge.From, edge.To, least, greatest);
    if (greatest <= 0.0) {
        coverage = TCoverage::Outside;
        return true;
    }
    if (least >= 0.0) {
        coverage = TCoverage::Whole;
        return true;
    }
    // The piece inside counts as nothing, or the piece outside does, when it
    // vanishes as the tile shrinks by half the tolerance.
    const double radius = tolerance / 2.0;
    const TSmallConvex::TShrunk in = tile.LeftOf(edge.From, edge.To).Shrunk(radius, kStraightBand);
    if (in == TSmallConvex::TShrunk::Unsure) {
        return false;
    }
    if (in == TSmallConvex::TShrunk::Empty) {
        coverage = TCoverage::Outside;
        return true;
    }
    const TSmallConvex::TShrunk out = tile.LeftOf(edge.To, edge.From).Shrunk(radius, kStraightBand);
    if (out == TSmallConvex::TShrunk::Unsure) {
        return false;
    }
    coverage = out == TSmallConvex::TShrunk::Empty ? TCoverage::Whole : TCoverage::Cut;
    return true;
}

TSiteRegion::TCoverage TSiteRegion::Classify(const std::vector<QPolygonF>& local, const QRectF& localBounds,
                                             QPointF offset, double tolerance, bool quick, TCut& cut,
                                             const TSmallConvex* convex) const {
    cut.Offset = offset;
    cut.Local = &local;
    cut.HasClipped = false;
    cut.Straight = false;
    cut.Cell = nullptr;
    const TRegion* site = &m_region;
    if (quick && HasCells() && localBounds.width() <= 2.0 * (m_margin - 1.0) &&
        localBounds.height() <= 2.0 * (m_margin - 1.0)) {
        const QRectF b = localBounds.translated(offset);
        const QPointF c = b.center();
        const double fx = std::floor((c.x() - m_x0) / m_cell);
        const double fy = std::floor((c.y() - m_y0) / m_cell);
        if (fx < 0.0 || fy < 0.0 || fx >= m_nx || fy >= m_ny) {
            // Farther from the site's bounds than half a tile.
            return TCoverage::Outside;
        }
        const std::int32_t state = m_cells[std::size_t(fy) * std::size_t(m_nx) + std::size_t(fx)];
        if (state == kOutside) {
            return TCoverage::Outside;
        }
        if (state == kInside) {
            return TCoverage::Whole;
        }
        const TBorderCell& cell = m_border[std::size_t(state)];
        const TEdgeBox* only = nullptr;
        int meeting = 0;
        for (const TEdgeBox& e : cell.Edges) {
            if (e.x0 <= b.right() && e.x1 >= b.left() && e.y0 <= b.bottom() && e.y1 >= b.top()) {
                only = &e;
                if (++meeting > 1) {
                    break;
                }
            }
        }
        if (meeting == 0 || (meeting == 1 && !segmentMeets(only->From, only->To, b))) {
            // No border crosses the tile's bounds: all in or all out.
            return inside(ready(cell).Polygons, c) ? TCoverage::Whole : TCoverage::Outside;
        }
        if (meeting == 1 && m_straightEdges && convex != nullptr && !convex->IsEmpty()) {
            // The edge's ends lie outside the bounds (another edge would meet
            // them otherwise), so within the bounds the site is the half-plane
            // to the edge's left.
            TCoverage coverage = TCoverage::Outside;
            // Measured in the tile's own frame: far from the origin, products
            // of world coordinates would lose the micrometres that count.
            TEdgeBox local = *only;
            local.From -= offset;
            local.To -= offset;
            if (decideStraight(*convex, local, tolerance, coverage)) {
                cut.Site = nullptr;
                cut.Cell = &cell;
                cut.Straight = true;
                cut.EdgeFrom = only->From;
                cut.EdgeTo = only->To;
                return coverage;
            }
        }
        site = &ready(cell).Piece;
    }
    cut.Site = site;
    const TCoverage coverage =
        Decide(TRegion::FromPolygons(MovedPolygons(local, offset)), *site, tolerance, &cut.Clipped);
    cut.HasClipped = true;
    return coverage;
}

bool TSiteRegion::HalfMatches(const std::vector<QPolygonF>& localHalf, TCut& cut, double tolerance,
                              const THalfRest* rest) const {
    if (cut.Straight && rest != nullptr && rest->Known && m_straightEdges) {
        // The cut piece minus the half's piece is what of the tile is not the
        // half, on the site's side of the edge; the half lies in the tile.
        if (rest->Nothing) {
            return true;
        }
        const TSmallConvex::TShrunk left = rest->Rest.LeftOf(cut.EdgeFrom - cut.Offset, cut.EdgeTo - cut.Offset)
                                               .Shrunk(tolerance / 2.0, kStraightBand);
        if (left != TSmallConvex::TShrunk::Unsure) {
            return left == TSmallConvex::TShrunk::Empty;
        }
    }
    if (cut.Site == nullptr && cut.Cell != nullptr) {
        cut.Site = &ready(*cut.Cell).Piece;
    }
    const TRegion* site = cut.Site != nullptr ? cut.Site : &m_region;
    if (!cut.HasClipped && cut.Local != nullptr) {
        cut.Clipped = TRegion::FromPolygons(MovedPolygons(*cut.Local, cut.Offset)).Intersected(*site);
        cut.HasClipped = true;
    }
    const TRegion half = TRegion::FromPolygons(MovedPolygons(localHalf, cut.Offset)).Intersected(*site);
    return half.EqualsWithin(cut.Clipped, tolerance);
}

} // namespace vk
