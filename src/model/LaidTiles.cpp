#include "model/LaidTiles.h"

#include "model/Parts.h"
#include "model/Project.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

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

// A block holds records without constructors or destructors to run: laying
// and clearing tiles costs no call per tile.
static_assert(std::is_trivially_destructible_v<TTileContainer>);
static_assert(sizeof(TTileContainer) <= 32, "a laid tile is a small record");

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

std::uint32_t TGroupTiles::at(std::size_t position) const {
    if (position >= m_size) {
        throw std::out_of_range("TGroupTiles: no tile at that position");
    }
    for (const TRun& run : m_runs) {
        const std::size_t length = run.End - run.Start;
        if (position < length) {
            return run.Start + std::uint32_t(position);
        }
        position -= length;
    }
    return 0; // not reached: the runs hold m_size indices
}

void TGroupTiles::push_back(std::uint32_t index) {
    if (!m_runs.empty() && m_runs.back().End == index) {
        ++m_runs.back().End;
    } else {
        m_runs.push_back({index, index + 1});
    }
    ++m_size;
}

bool TGroupTiles::erase(std::uint32_t index) {
    for (std::size_t r = m_runs.size(); r-- > 0;) {
        TRun& run = m_runs[r];
        if (index < run.Start || index >= run.End) {
            continue;
        }
        if (run.Start + 1 == run.End) {
            m_runs.erase(m_runs.begin() + std::ptrdiff_t(r));
        } else if (index == run.Start) {
            ++run.Start;
        } else if (index + 1 == run.End) {
            --run.End;
        } else {
            const TRun after{index + 1, run.End};
            run.End = index;
            m_runs.insert(m_runs.begin() + std::ptrdiff_t(r + 1), after);
        }
        --m_size;
        return true;
    }
    return false;
}

void TGroupTiles::closeGap(std::uint32_t gone) {
    std::size_t kept = 0;
    for (TRun run : m_runs) {
        run.Start -= run.Start > gone ? 1 : 0;
        run.End -= run.End > gone ? 1 : 0;
        // The runs on both sides of the gap may now meet.
        if (kept > 0 && m_runs[kept - 1].End == run.Start) {
            m_runs[kept - 1].End = run.End;
        } else {
            m_runs[kept++] = run;
        }
    }
    m_runs.resize(kept);
}

const TTileContainer& TColorListContainer::Tile(int position) const {
    return m_list->Items(int(GroupTiles.at(std::size_t(position))));
}

int TColorListContainer::WholeCount() const {
    return int(std::count_if(GroupTiles.begin(), GroupTiles.end(),
                             [this](std::uint32_t i) { return m_list->Items(int(i)).PartID == -1; }));
}

int WholeCount(const TColorListContainer& group) { return group.WholeCount(); }

TColorListContainer* TColorController::FindColor(std::uint32_t color) const {
    for (TColorListContainer* group : m_order) {
        if (group->Color == color) {
            return group;
        }
    }
    return nullptr;
}

TColorListContainer* TColorController::slot(std::uint16_t id) const {
    return id < m_slots.size() ? m_slots[id].get() : nullptr;
}

TColorListContainer& TColorController::groupOf(TTileList& list, std::uint32_t color) {
    if (TColorListContainer* group = FindColor(color)) {
        return *group;
    }
    std::uint16_t id = 0;
    if (!m_freeSlots.empty()) {
        id = m_freeSlots.back();
        m_freeSlots.pop_back();
    } else {
        // The last value of a slot id means "no group".
        if (m_slots.size() >= TTileContainer::kNoGroup) {
            throw std::length_error("TColorController: too many colours at once");
        }
        id = std::uint16_t(m_slots.size());
        m_slots.emplace_back();
    }
    m_slots[id] = std::make_unique<TColorListContainer>(list, color);
    m_slots[id]->m_slot = id;
    m_order.push_back(m_slots[id].get());
    return *m_order.back();
}

void TColorController::remove(TColorListContainer* group) {
    const auto it = std::find(m_order.begin(), m_order.end(), group);
    if (it == m_order.end()) {
        return;
    }
    TTileList& list = *group->m_list;
    for (std::uint32_t i : group->GroupTiles) {
        list.Items(int(i)).m_group = TTileContainer::kNoGroup;
    }
    m_order.erase(it);
    const std::uint16_t id = group->m_slot;
    m_slots[id].reset();
    m_freeSlots.push_back(id);
}

void TColorController::Clear() {
    for (TColorListContainer* group : m_order) {
        TTileList& list = *group->m_list;
        for (std::uint32_t i : group->GroupTiles) {
            list.Items(int(i)).m_group = TTileContainer::kNoGroup;
        }
    }
    m_order.clear();
    m_slots.clear();
    m_freeSlots.clear();
}

// --- tile list ---------------------------------------------------------------------

void TTileList::TBlockFree::operator()(TTileContainer* block) const { ::operator delete(block); }

TTileList::TTileList(TProject* project) : Project(project) {}

TTileList::~TTileList() { ClearAll(); }

std::size_t TTileList::checked(int itemIndex) const {
    if (itemIndex < 0 || std::size_t(itemIndex) >= m_count) {
        throw std::out_of_range("TTileList: no tile at that index");
    }
    return std::size_t(itemIndex);
}

int TTileList::Index(const TTileContainer& tile) const {
    const std::less<const TTileContainer*> before;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        const TTileContainer* first = m_blocks[b].get();
        if (!before(&tile, first) && before(&tile, first + kBlockSize)) {
            const std::size_t i = (b << kBlockBits) + std::size_t(&tile - first);
            if (i < m_count) {
                return int(i);
            }
        }
    }
    throw std::invalid_argument("TTileList: the tile is not in this list");
}

const TLaidShape* TTileList::AddShape(std::unique_ptr<TLaidShape> shape) {
    m_shapeReach = m_shapeReach.isNull() ? shape->Bounds() : m_shapeReach.united(shape->Bounds());
    m_shapes.push_back(std::move(shape));
    return m_shapes.back().get();
}

TTileContainer& TTileList::AddTile(const TLaidShape* shape, TPointF basePoint) {
    if (m_count > std::size_t(std::numeric_limits<std::int32_t>::max() - 1)) {
        throw std::length_error("TTileList: too many tiles");
    }
    if ((m_count >> kBlockBits) == m_blocks.size()) {
        m_blocks.emplace_back(static_cast<TTileContainer*>(::operator new(kBlockSize * sizeof(TTileContainer))));
    }
    const std::size_t i = m_count;
    TTileContainer* tile = new (&at(i)) TTileContainer(shape, basePoint);
    ++m_count;
    setColor(std::uint32_t(i), DefaultTileColor);
    return *tile;
}

TTileContainer& TTileList::AddTile(const TTile& tile) {
    const TLaidShape* shape = AddShape(std::make_unique<TLaidShape>(tile, nullptr, 0.0f));
    return AddTile(shape, tile.BasePoint.point());
}

std::uint32_t TTileList::Color(const TTileContainer& tile) const {
    const TColorListContainer* group = Group(tile);
    return group != nullptr ? group->Color : DefaultTileColor;
}

void TTileList::leaveGroup(std::uint32_t itemIndex) {
    TTileContainer& tile = at(itemIndex);
    TColorListContainer* group = m_groups.slot(tile.m_group);
    if (group == nullptr) {
        return;
    }
    auto& tiles = group->GroupTiles;
    tiles.erase(itemIndex);
    if (tiles.empty()) {
        m_groups.remove(group);
    }
    tile.m_group = TTileContainer::kNoGroup;
}

void TTileList::setColor(std::uint32_t itemIndex, std::uint32_t color) {
    leaveGroup(itemIndex);
    TColorListContainer& group = m_groups.groupOf(*this, color);
    group.GroupTiles.push_back(itemIndex);
    at(itemIndex).m_group = group.m_slot;
    Touch();
}

void TTileList::SetMarked(TTileContainer& tile, bool flag) {
    tile.m_marked = flag;
    if (Project == nullptr) {
        return;
    }
    auto& marked = Project->MarkedTiles();
    if (flag) {
        if (std::find(marked.begin(), marked.end(), &tile) == marked.end()) {
            marked.push_back(&tile);
        }
    } else {
        marked.erase(std::remove(marked.begin(), marked.end(), &tile), marked.end());
    }
}

void TTileList::unmark(const TTileContainer* tile) {
    if (Project == nullptr) {
        return;
    }
    for (auto* marks : {&Project->MarkedTiles(), &Project->RememberedTiles()}) {
        marks->erase(std::remove(marks->begin(), marks->end(), tile), marks->end());
    }
}

void TTileList::Delete(int itemIndex) {
    const std::uint32_t gone = std::uint32_t(checked(itemIndex));
    leaveGroup(gone);
    if (at(gone).m_marked) {
        unmark(&at(gone));
    }
    if (gone < m_sorted.size()) {
        m_sorted.erase(std::find(m_sorted.begin(), m_sorted.end(), gone));
    }
    for (std::uint32_t& i : m_sorted) {
        i -= i > gone ? 1 : 0;
    }
    for (TColorListContainer* group : m_groups.m_order) {
        group->GroupTiles.closeGap(gone);
    }
    // The tiles after it move up by one; the marks keep naming the same tiles.
    std::vector<TTileContainer*>* marks[] = {nullptr, nullptr};
    if (Project != nullptr) {
        marks[0] = &Project->MarkedTiles();
        marks[1] = &Project->RememberedTiles();
    }
    for (std::size_t i = gone; i + 1 < m_count; ++i) {
        TTileContainer& to = at(i);
        TTileContainer& from = at(i + 1);
        to = from;
        for (auto* list : marks) {
            if (list != nullptr) {
                std::replace(list->begin(), list->end(), &from, &to);
            }
        }
    }
    --m_count;
    if ((m_count + kBlockSize - 1) >> kBlockBits < m_blocks.size()) {
        m_blocks.pop_back();
    }
    Touch();
}

void TTileList::ClearAll() {
    m_groups.Clear();
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_count = 0;
    m_sorted.clear();
    m_sorted.shrink_to_fit();
    m_shapes.clear();
    m_shapeReach = QRectF();
    Touch();
}

void TTileList::ShrinkToFit() {
    for (int g = 0; g < m_groups.Count(); ++g) {
        m_groups.Items(g).GroupTiles.shrink_to_fit();
    }
    m_sorted.shrink_to_fit();
    m_shapes.shrink_to_fit();
}

const std::vector<std::uint32_t>& TTileList::sorted() const {
    const std::size_t settled = m_sorted.size();
    if (settled < m_count) {
        const auto less = [this](std::uint32_t a, std::uint32_t b) {
            return ComparePointsExact(at(a).m_base, at(b).m_base) < 0;
        };
        m_sorted.reserve(m_count);
        for (std::size_t i = settled; i < m_count; ++i) {
            m_sorted.push_back(std::uint32_t(i));
        }
        const auto middle = m_sorted.begin() + std::ptrdiff_t(settled);
        std::stable_sort(middle, m_sorted.end(), less);
        std::inplace_merge(m_sorted.begin(), middle, m_sorted.end(), less);
    }
    return m_sorted;
}

TFindResult TTileList::FindKey(TPointF key, int indexNo) const {
    if (indexNo != 0) {
        throw std::out_of_range("TTileList: one index only");
    }
    const std::vector<std::uint32_t>& list = sorted();
    int lo = 0;
    int hi = int(list.size()) - 1;
    int equalAt = -1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = ComparePointsExact(at(list[std::size_t(mid)]).m_base, key);
        if (c < 0) {
            lo = mid + 1;
        } else if (c > 0) {
            hi = mid - 1;
        } else {
            // Any equal item: the first one the bisection meets.
            equalAt = mid;
            lo = mid;
            hi = mid - 1;
        }
    }
    TFindResult result;
    if (equalAt >= 0) {
        result.Found = true;
        result.Position = equalAt;
        result.ItemIndex = int(list[std::size_t(equalAt)]);
    } else {
        result.Position = lo;
    }
    return result;
}

int TTileList::IndexSize(int indexNo) const {
    if (indexNo != 0) {
        throw std::out_of_range("TTileList: one index only");
    }
    return Count();
}

TTileContainer& TTileList::IndexItem(int indexNo, int position) {
    return const_cast<TTileContainer&>(std::as_const(*this).IndexItem(indexNo, position));
}

const TTileContainer& TTileList::IndexItem(int indexNo, int position) const {
    if (indexNo != 0) {
        throw std::out_of_range("TTileList: one index only");
    }
    return at(sorted().at(std::size_t(position)));
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
