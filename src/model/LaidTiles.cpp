#include "model/LaidTiles.h"

#include "model/Parts.h"
#include "model/Project.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vk {

namespace {

QRectF boundsOf(const std::vector<QPolygonF>& polygons) {
    QRectF bounds;
    for (const QPolygonF& polygon : polygons) {
        bounds = bounds.isNull() ? polygon.boundingRect() : bounds.united(polygon.boundingRect());
    }
    return bounds;
}

// Appends the elements of `source` to `target`, moved by `offset`.
void appendMoved(QPainterPath& target, const QPainterPath& source, QPointF offset) {
    const int n = source.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = source.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement: target.moveTo(e.x + offset.x(), e.y + offset.y()); break;
        case QPainterPath::LineToElement: target.lineTo(e.x + offset.x(), e.y + offset.y()); break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = source.elementAt(i + 1);
            const QPainterPath::Element to = source.elementAt(i + 2);
            target.cubicTo(e.x + offset.x(), e.y + offset.y(), c2.x + offset.x(), c2.y + offset.y(),
                           to.x + offset.x(), to.y + offset.y());
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement: break;
        }
    }
}

// Slivers thinner than this (mm) between a half and its tile are the
// rounding of the region adapter, far below any tolerance a fill uses.
constexpr double kSliver = 0.002;

// What of the tile is not the half, when the half lies in the tile and the
// rest is one convex polygon (or nothing).
TSiteRegion::THalfRest restOf(const TRegion& tile, const std::vector<QPolygonF>& half, bool convexTile) {
    TSiteRegion::THalfRest rest;
    if (!convexTile) {
        return rest;
    }
    const TRegion region = TRegion::FromPolygons(half);
    if (!region.Subtracted(tile).IsEmptyWithin(kSliver)) {
        return rest;
    }
    const TRegion left = tile.Subtracted(region);
    if (left.IsEmptyWithin(kSliver)) {
        rest.Known = rest.Nothing = true;
        return rest;
    }
    const std::vector<QPolygonF> polygons = left.Polygons();
    rest.Known = polygons.size() == 1 && rest.Rest.Assign(polygons.front());
    return rest;
}

} // namespace

// --- shape -------------------------------------------------------------------------

TLaidShape::TLaidShape(const TTile& tile, const TPartList* parts, float linkTolerance)
    : m_tile(std::make_unique<TTile>()) {
    m_tile->Assign(tile);
    m_tile->SetBasePoint(0.0f, 0.0f);
    m_tile->SetModified(false);
    m_outline = TElementList::BuildPath(linkTolerance, *m_tile, false);
    m_tile->SetModified(false);
    m_polygons = m_outline.Flatten(kRegionChordError);
    m_painterPath = m_outline.ToPainterPath();
    m_bounds = boundsOf(m_polygons);
    m_average = m_tile->ElementAveragePoint();
    m_cutLines = m_tile->Elements().CountOfStyles(0xFEu) > 0;
    const auto& figures = m_outline.Figures();
    const bool straight = std::all_of(figures.begin(), figures.end(), [](const TShapePath::Figure& f) {
        return std::all_of(f.begin(), f.end(), [](const TPathPiece& p) { return p.kind == TPathPiece::Kind::Line; });
    });
    if (straight && m_outline.FigureCount() == 1 && m_polygons.size() == 1) {
        m_simple = m_polygons.front();
        m_convex.Assign(m_simple);
    }
    const TRegion whole = TRegion::FromPolygons(m_polygons);
    if (parts != nullptr) {
        m_parts = std::make_unique<TPartList>();
        m_parts->CopyFrom(*parts);
        m_parts->AttachToTile(m_tile.get());
        for (int p = 0; p < m_parts->Count(); ++p) {
            const TPart* part = m_parts->Items(p);
            for (int h = 0; h < part->Contours.Count(); ++h) {
                THalf half;
                half.Part = part;
                half.Half = part->Contours.Items(h);
                half.Polygons = half.Half->Path.Flatten(kRegionChordError);
                half.Rest = restOf(whole, half.Polygons, !m_convex.IsEmpty());
                const QRectF b = boundsOf(half.Polygons);
                if (!b.isNull()) {
                    m_bounds = m_bounds.isNull() ? b : m_bounds.united(b);
                }
                m_halves.push_back(std::move(half));
            }
        }
    }
}

TLaidShape::~TLaidShape() = default;

// --- laid tile ---------------------------------------------------------------------

TTileContainer::TTileContainer(TTileList* list, const TLaidShape* shape, TPointF basePoint)
    : m_list(list), m_shape(shape), m_base(basePoint) {
    if (list != nullptr) {
        SetColor(DefaultTileColor);
    }
}

TTileContainer::~TTileContainer() {
    if (m_group != nullptr && m_list != nullptr) {
        auto& tiles = m_group->GroupTiles;
        tiles.erase(std::remove(tiles.begin(), tiles.end(), this), tiles.end());
        if (tiles.empty()) {
            m_list->ColorGroups().remove(m_group);
        }
    }
    if (m_marked && m_list != nullptr && m_list->Project != nullptr) {
        for (auto* marks : {&m_list->Project->MarkedTiles(), &m_list->Project->RememberedTiles()}) {
            marks->erase(std::remove(marks->begin(), marks->end(), this), marks->end());
        }
    }
}

void TTileContainer::SetColor(std::uint32_t color) {
    if (m_list == nullptr) {
        m_color = color;
        return;
    }
    TColorController& groups = m_list->ColorGroups();
    if (m_group != nullptr) {
        auto& tiles = m_group->GroupTiles;
        // Recolouring walks the group from its end: the tiles just laid or
        // just recoloured are there.
        const auto it = std::find(tiles.rbegin(), tiles.rend(), this);
        if (it != tiles.rend()) {
            tiles.erase(std::next(it).base());
        }
        if (tiles.empty()) {
            groups.remove(m_group);
        }
        m_group = nullptr;
    }
    m_group = &groups.groupOf(color);
    m_group->GroupTiles.push_back(this);
    m_color = color;
    m_list->Touch();
}

void TTileContainer::SetMarked(bool flag) {
    m_marked = flag;
    if (m_list == nullptr || m_list->Project == nullptr) {
        return;
    }
    auto& marked = m_list->Project->MarkedTiles();
    if (flag) {
        if (std::find(marked.begin(), marked.end(), this) == marked.end()) {
            marked.push_back(this);
        }
    } else {
        marked.erase(std::remove(marked.begin(), marked.end(), this), marked.end());
    }
}

std::unique_ptr<TTile> TTileContainer::MakeTile() const {
    auto tile = std::make_unique<TTile>();
    tile->Assign(m_shape->Tile());
    tile->SetBasePoint(m_base.X, m_base.Y);
    tile->SetModified(false);
    return tile;
}

TShapePath TTileContainer::Outline() const {
    TShapePath path;
    const float dx = m_base.X;
    const float dy = m_base.Y;
    const auto moved = [dx, dy](TPointF p) { return TPointF{p.X + dx, p.Y + dy}; };
    for (const TShapePath::Figure& figure : m_shape->Outline().Figures()) {
        path.StartFigure();
        for (const TPathPiece& piece : figure) {
            if (piece.kind == TPathPiece::Kind::Line) {
                path.AddLine(moved(piece.A), moved(piece.B));
            } else {
                path.AddArc(moved(piece.Centre), piece.Radius, piece.StartAngle, piece.Sweep);
            }
        }
        path.CloseFigure();
    }
    return path;
}

QPainterPath TTileContainer::OutlinePath() const {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    appendMoved(path, m_shape->PainterPath(), QPointF(m_base.X, m_base.Y));
    return path;
}

TPointF TTileContainer::ElementAveragePoint() const {
    const TPointF a = m_shape->ElementAveragePoint();
    return {a.X + m_base.X, a.Y + m_base.Y};
}

// --- colour groups -----------------------------------------------------------------

int TColorListContainer::WholeCount() const {
    return int(std::count_if(GroupTiles.begin(), GroupTiles.end(),
                             [](const TTileContainer* t) { return t->PartID == -1; }));
}

int WholeCount(const TColorListContainer& group) { return group.WholeCount(); }

TColorListContainer* TColorController::FindColor(std::uint32_t color) const {
    for (const auto& group : m_groups) {
        if (group->Color == color) {
            return group.get();
        }
    }
    return nullptr;
}

TColorListContainer& TColorController::groupOf(std::uint32_t color) {
    if (TColorListContainer* group = FindColor(color)) {
        return *group;
    }
    m_groups.push_back(std::make_unique<TColorListContainer>(color));
    return *m_groups.back();
}

void TColorController::remove(TColorListContainer* group) {
    const auto it = std::find_if(m_groups.begin(), m_groups.end(),
                                 [group](const auto& g) { return g.get() == group; });
    if (it != m_groups.end()) {
        for (TTileContainer* tile : (*it)->GroupTiles) {
            tile->m_group = nullptr;
        }
        m_groups.erase(it);
    }
}

void TColorController::Clear() {
    for (const auto& group : m_groups) {
        for (TTileContainer* tile : group->GroupTiles) {
            tile->m_group = nullptr;
        }
        group->GroupTiles.clear();
    }
    m_groups.clear();
}

// --- tile list ---------------------------------------------------------------------

namespace {
TPointF basePointKey(const TTileContainer& tile) { return tile.BasePointKey(); }
} // namespace

TTileList::TTileList(TProject* project)
    : TDihotomedCollection<TTileContainer>(
          {{ComparePointsExact, basePointKey, TDuplicateMode::Any, /*Deferred=*/true}}),
      Project(project) {}

TTileList::~TTileList() { ClearAll(); }

const TLaidShape* TTileList::AddShape(std::unique_ptr<TLaidShape> shape) {
    m_shapes.push_back(std::move(shape));
    return m_shapes.back().get();
}

TTileContainer& TTileList::AddTile(const TLaidShape* shape, TPointF basePoint) {
    TTileContainer& tile = Append(std::make_unique<TTileContainer>(this, shape, basePoint));
    AddToIndexes(tile);
    return tile;
}

TTileContainer& TTileList::AddTile(const TTile& tile) {
    const TLaidShape* shape = AddShape(std::make_unique<TLaidShape>(tile, nullptr, 0.0f));
    return AddTile(shape, tile.BasePoint.point());
}

void TTileList::ClearAll() {
    for (int i = 0; i < Count(); ++i) {
        TTileContainer& tile = Items(i);
        tile.m_group = nullptr;
        tile.m_marked = false;
    }
    m_groups.Clear();
    TDihotomedCollection<TTileContainer>::ClearAll();
    m_shapes.clear();
    Touch();
}

// --- visited origins ---------------------------------------------------------------

namespace {

// A point within 1 mm of another lies in the cells its +-1 mm reach
// touches: with 16 mm cells mostly one, at most two per axis. Origins of a
// pattern lie far more than 16 mm apart, so a cell rarely holds more than one.
constexpr double kCell = 16.0;
// A float difference that rounds to 1 mm may exceed it by a few ulps.
constexpr double kReach = 1.0 + 1e-4;

std::int64_t cellOf(double v) { return std::int64_t(std::floor(v / kCell)); }

std::uint64_t keyOf(std::int64_t cx, std::int64_t cy) {
    return (std::uint64_t(std::uint32_t(cx)) << 32) | std::uint64_t(std::uint32_t(cy));
}

std::size_t hashOf(std::uint64_t key) {
    key ^= key >> 29;
    key *= 0xBF58476D1CE4E5B9ull;
    key ^= key >> 32;
    return std::size_t(key);
}

} // namespace

TBasePointList::TBasePointList() { m_slots.resize(64); }

std::size_t TBasePointList::find(std::uint64_t key) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hashOf(key) & mask;
    while (m_slots[i].Head != -1 && m_slots[i].Key != key) {
        i = (i + 1) & mask;
    }
    return i;
}

void TBasePointList::grow() {
    std::vector<TSlot> old = std::move(m_slots);
    m_slots.assign(old.size() * 2, TSlot{});
    for (const TSlot& slot : old) {
        if (slot.Head != -1) {
            m_slots[find(slot.Key)] = slot;
        }
    }
}

const TBasePointContainer& TBasePointList::AddPoint(TPointF point) {
    return AddExact(QPointF(point.X, point.Y));
}

const TBasePointContainer& TBasePointList::AddExact(QPointF point) {
    if ((m_used + 1) * 2 > m_slots.size()) {
        grow();
    }
    const std::uint64_t key = keyOf(cellOf(point.x()), cellOf(point.y()));
    TSlot& slot = m_slots[find(key)];
    if (slot.Head == -1) {
        slot.Key = key;
        ++m_used;
    }
    m_next.push_back(slot.Head);
    slot.Head = std::int32_t(m_points.size());
    m_points.push_back({TPointF{float(point.x()), float(point.y())}});
    m_exact.push_back(point);
    return m_points.back();
}

TFindResult TBasePointList::FindKey(TPointF point) const {
    return search(point.X, point.Y, [&](std::size_t i) { return ComparePointsTolerant(m_points[i].Point, point) == 0; });
}

TFindResult TBasePointList::FindExact(QPointF point) const {
    return search(point.x(), point.y(), [&](std::size_t i) {
        const QPointF& q = m_exact[i];
        return std::fabs(q.x() - point.x()) <= 1.0 && std::fabs(q.y() - point.y()) <= 1.0;
    });
}

template <class TSame>
TFindResult TBasePointList::search(double x, double y, TSame same) const {
    int best = -1;
    const std::int64_t x0 = cellOf(x - kReach);
    const std::int64_t x1 = cellOf(x + kReach);
    const std::int64_t y0 = cellOf(y - kReach);
    const std::int64_t y1 = cellOf(y + kReach);
    for (std::int64_t cx = x0; cx <= x1; ++cx) {
        for (std::int64_t cy = y0; cy <= y1; ++cy) {
            const TSlot& slot = m_slots[find(keyOf(cx, cy))];
            for (std::int32_t i = slot.Head; i != -1; i = m_next[std::size_t(i)]) {
                if (same(std::size_t(i)) && (best == -1 || i < best)) {
                    best = i;
                }
            }
        }
    }
    if (best == -1) {
        return {false, -1, Count()};
    }
    return {true, best, best};
}

void TBasePointList::ClearAll() {
    m_points.clear();
    m_points.shrink_to_fit();
    m_exact.clear();
    m_exact.shrink_to_fit();
    m_next.clear();
    m_next.shrink_to_fit();
    m_slots.assign(64, TSlot{});
    m_used = 0;
}

} // namespace vk
