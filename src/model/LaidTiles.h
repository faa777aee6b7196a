#pragma once
// The laid tiles of a project, their colour groups, and the visited origins
// of a running fill.
//
// A laid tile differs from the project's tile only by its rotation and its
// base point. Every tile that one pattern placement lays in one run shares
// one immutable shape (elements, outline, halves, in tile-local coordinates,
// owned by the tile list); a laid tile keeps its base point. Its copy of the
// tile and its outline at the laid position are made on demand.

#include "geometry/ShapePath.h"
#include "model/Counting.h"
#include "model/DihotomedCollection.h"
#include "model/SiteRegion.h"
#include "model/Tile.h"

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

namespace vk {

class TPartList;
class TPart;
class TContourAncestor;
class TProject;
class TTileList;
class TColorListContainer;

// Every newly laid tile: red, green and blue 229, opaque.
inline constexpr std::uint32_t DefaultTileColor = 0xFFE5E5E5u;
// Arcs of tiles, halves and sites are cut into chords no farther than this
// from the circle (mm), far below a device pixel at any scale.
inline constexpr double kRegionChordError = 0.01;

// The shape shared by the tiles of one placement.
class TLaidShape {
public:
    // A copy of `tile` moved to base point (0, 0) (its elements are kept as
    // they are: already rotated), its outline built without chaining with
    // `linkTolerance`, and a bound copy of `parts` when given.
    TLaidShape(const TTile& tile, const TPartList* parts, float linkTolerance);
    ~TLaidShape();
    TLaidShape(const TLaidShape&) = delete;
    TLaidShape& operator=(const TLaidShape&) = delete;

    struct THalf {
        const TPart* Part = nullptr;
        const TContourAncestor* Half = nullptr;
        std::vector<QPolygonF> Polygons; // local
        TSiteRegion::THalfRest Rest;     // the tile less the half, when convex
    };

    [[nodiscard]] const TTile& Tile() const { return *m_tile; }
    [[nodiscard]] const TShapePath& Outline() const { return m_outline; }
    [[nodiscard]] const std::vector<QPolygonF>& Polygons() const { return m_polygons; }
    [[nodiscard]] const QPainterPath& PainterPath() const { return m_painterPath; }
    // Local bounds of the outline and of every half.
    [[nodiscard]] const QRectF& Bounds() const { return m_bounds; }
    // The cuts bound to the local tile; nullptr when the shape has none.
    [[nodiscard]] const TPartList* Parts() const { return m_parts.get(); }
    // Every half of every part, parts in list order, halves in list order.
    [[nodiscard]] const std::vector<THalf>& Halves() const { return m_halves; }
    // The mean of the elements' start points, local.
    [[nodiscard]] TPointF ElementAveragePoint() const { return m_average; }
    // The outline as one polygon when it is one figure of straight pieces
    // (drawn faster than a path); empty otherwise.
    [[nodiscard]] const QPolygonF& SimplePolygon() const { return m_simple; }
    // The outline as a convex polygon; empty when it is not one.
    [[nodiscard]] const TSmallConvex& Convex() const { return m_convex; }
    // The tile has elements that are not outline (cut lines): they are
    // drawn as well.
    [[nodiscard]] bool HasCutLines() const { return m_cutLines; }

private:
    std::unique_ptr<TTile> m_tile;
    std::unique_ptr<TPartList> m_parts;
    TShapePath m_outline;
    std::vector<QPolygonF> m_polygons;
    QPainterPath m_painterPath;
    QRectF m_bounds;
    std::vector<THalf> m_halves;
    TPointF m_average;
    QPolygonF m_simple;
    TSmallConvex m_convex;
    bool m_cutLines = false;
};

// One laid tile: a small record kept by its tile list, which knows its
// colour group and its place in laying order. Its address stays the same
// while the tile lives (marked tiles are kept by address).
class TTileContainer {
    // The pointer and the base point first: the record packs into 32 bytes.
    const TLaidShape* m_shape;
    TPointF m_base;

public:
    TTileContainer(const TLaidShape* shape, TPointF basePoint) : m_shape(shape), m_base(basePoint) {}

    [[nodiscard]] bool Marked() const { return m_marked; }

    // The total angle of the tile: its placement's angle plus the orientation.
    float Orientation = 0.0f;
    // The part whose half the tile was cut to, -1 for a whole tile.
    std::int32_t PartID = -1;
    // The half, -1 when whole or when the part's halves are interchangeable.
    std::int32_t ContourID = -1;

    [[nodiscard]] const TLaidShape& Shape() const { return *m_shape; }
    // The base point of the tile's own copy: the key of the sorted index.
    [[nodiscard]] TPointF BasePointKey() const { return m_base; }
    // The cuts of the placement that laid it; nullptr for tiles read from a file.
    [[nodiscard]] const TPartList* PlacementParts() const { return m_shape->Parts(); }
    // A copy of the tile at its laid position.
    [[nodiscard]] std::unique_ptr<TTile> MakeTile() const;
    // Its outline, world millimetres.
    [[nodiscard]] TShapePath Outline() const;
    [[nodiscard]] QPainterPath OutlinePath() const;
    [[nodiscard]] QRectF Bounds() const { return m_shape->Bounds().translated(m_base.X, m_base.Y); }
    [[nodiscard]] TPointF ElementAveragePoint() const;

private:
    friend class TTileList;
    friend class TColorController;
    static constexpr std::uint16_t kNoGroup = 0xFFFFu;
    // The slot of its colour group in the controller; kNoGroup when none.
    std::uint16_t m_group = kNoGroup;
    bool m_marked = false;
};

// The tiles of one colour group in the order they joined it, as indices
// into the tile list kept in runs of consecutive indices: a fill lays a
// group's tiles one after another, so even a group of a million tiles is
// mostly one run; tiles recoloured one by one cost a run each.
class TGroupTiles {
    struct TRun {
        std::uint32_t Start;
        std::uint32_t End; // one past the last
    };

public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::uint32_t;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::uint32_t*;
        using reference = std::uint32_t;

        const_iterator() = default;
        std::uint32_t operator*() const { return m_value; }
        const_iterator& operator++() {
            if (++m_value == m_run->End) {
                ++m_run;
                m_value = m_run != m_last ? m_run->Start : 0;
            }
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++*this;
            return was;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.m_run == b.m_run && a.m_value == b.m_value;
        }

    private:
        friend class TGroupTiles;
        const_iterator(const TRun* run, const TRun* last)
            : m_run(run), m_last(last), m_value(run != last ? run->Start : 0) {}
        const TRun* m_run = nullptr;
        const TRun* m_last = nullptr;
        std::uint32_t m_value = 0;
    };

    [[nodiscard]] std::size_t size() const { return m_size; }
    [[nodiscard]] bool empty() const { return m_size == 0; }
    [[nodiscard]] const_iterator begin() const { return {m_runs.data(), m_runs.data() + m_runs.size()}; }
    [[nodiscard]] const_iterator end() const {
        return {m_runs.data() + m_runs.size(), m_runs.data() + m_runs.size()};
    }
    // The index at `position` in join order; walks the runs.
    [[nodiscard]] std::uint32_t at(std::size_t position) const;
    [[nodiscard]] std::uint32_t front() const { return at(0); }
    [[nodiscard]] std::uint32_t back() const { return at(m_size - 1); }
    [[nodiscard]] std::size_t RunCount() const { return m_runs.size(); }

    void push_back(std::uint32_t index);
    // Takes `index` out, searching from the end: the tiles just laid or just
    // recoloured are there. False when it is not in the group.
    bool erase(std::uint32_t index);
    // Every index above `gone`, which is in no group any more, moves down by one.
    void closeGap(std::uint32_t gone);
    void shrink_to_fit() { m_runs.shrink_to_fit(); }

private:
    std::vector<TRun> m_runs;
    std::size_t m_size = 0;
};

// The tiles of one colour.
class TColorListContainer {
public:
    TColorListContainer(TTileList& list, std::uint32_t color) : Color(color), m_list(&list) {}

    const std::uint32_t Color;
    // Indices into the tile list, in the order the tiles joined the group.
    TGroupTiles GroupTiles;
    TPartCounters Counters;

    [[nodiscard]] int TileCount() const { return int(GroupTiles.size()); }
    // The tile at `position` in join order.
    [[nodiscard]] const TTileContainer& Tile(int position) const;
    // Tiles laid whole or cut to no known half.
    [[nodiscard]] int WholeCount() const;

private:
    friend class TColorController;
    friend class TTileList;
    TTileList* m_list;
    std::uint16_t m_slot = 0;
};

[[nodiscard]] int WholeCount(const TColorListContainer& group);

// The colour groups in the order they were created. A group lives while it
// has tiles. A tile names its group in 16 bits: at most 65535 colours at once.
class TColorController {
public:
    [[nodiscard]] int Count() const { return int(m_order.size()); }
    [[nodiscard]] TColorListContainer& Items(int index) const { return *m_order[std::size_t(index)]; }
    [[nodiscard]] std::uint32_t Colors(int index) const { return Items(index).Color; }
    [[nodiscard]] int TileCounts(int index) const { return Items(index).TileCount(); }
    [[nodiscard]] TColorListContainer* FindColor(std::uint32_t color) const;
    // Empties every group and frees it.
    void Clear();

private:
    friend class TTileList;
    TColorListContainer& groupOf(TTileList& list, std::uint32_t color);
    [[nodiscard]] TColorListContainer* slot(std::uint16_t id) const;
    void remove(TColorListContainer* group);
    // Owned by slot: a tile names its group by slot, which stays while the
    // group lives; free slots are taken again.
    std::vector<std::unique_ptr<TColorListContainer>> m_slots;
    std::vector<std::uint16_t> m_freeSlots;
    std::vector<TColorListContainer*> m_order;
};

// The laid tiles in laying order, with one sorted index by base point
// (exact comparison). The tiles are kept in fixed blocks, so that laying a
// tile allocates nothing of its own and a tile never moves while it lives.
// The index is built on its first read and afterwards sorts in the tiles
// added since in one pass, so that laying n tiles costs O(n log n) and
// nothing while nobody looks; every lookup sees it sorted.
class TTileList {
public:
    explicit TTileList(TProject* project = nullptr);
    ~TTileList();
    TTileList(const TTileList&) = delete;
    TTileList& operator=(const TTileList&) = delete;

    TProject* const Project;

    // Takes a shape into the list's keeping; the tiles laid with it refer to it.
    const TLaidShape* AddShape(std::unique_ptr<TLaidShape> shape);
    // The local bounds of every shape taken, united: how far from its base
    // point any tile of the list may reach. Null when there is none.
    [[nodiscard]] const QRectF& ShapeReach() const { return m_shapeReach; }
    // A tile of `shape` at `basePoint`: default colour, whole, not marked.
    TTileContainer& AddTile(const TLaidShape* shape, TPointF basePoint);
    // A copy of `tile` (its elements as they are, its base point as the laid
    // position), with a shape of its own.
    TTileContainer& AddTile(const TTile& tile);
    // Frees one tile: out of its group, the marks and the index; the tiles
    // after it move up by one.
    void Delete(int itemIndex);
    // Frees every tile, every colour group and every shape.
    void ClearAll();
    // Gives back what containers grown by doubling hold spare: when a fill
    // ends or a file is read.
    void ShrinkToFit();

    [[nodiscard]] int Count() const { return int(m_count); }
    // Tiles in laying order.
    [[nodiscard]] TTileContainer& Items(int itemIndex) { return at(checked(itemIndex)); }
    [[nodiscard]] const TTileContainer& Items(int itemIndex) const { return at(checked(itemIndex)); }
    // The place of a tile of this list in laying order.
    [[nodiscard]] int Index(const TTileContainer& tile) const;

    [[nodiscard]] std::uint32_t Color(const TTileContainer& tile) const;
    [[nodiscard]] std::uint32_t Color(int itemIndex) const { return Color(Items(itemIndex)); }
    // Moves the tile from the group of its colour (freed when it empties) to
    // the end of the group of `color` (created at the end when missing).
    // Half counts are not moved.
    void SetColor(TTileContainer& tile, std::uint32_t color) { setColor(std::uint32_t(Index(tile)), color); }
    void SetColor(int itemIndex, std::uint32_t color) { setColor(std::uint32_t(checked(itemIndex)), color); }
    // Adds the tile to the project's marked tiles, or takes it out.
    void SetMarked(TTileContainer& tile, bool flag);
    [[nodiscard]] TColorListContainer* Group(const TTileContainer& tile) const { return m_groups.slot(tile.m_group); }

    // Bisection search of the index by base point; `indexNo` is 0, the only
    // index. Found: the item compared equal; ItemIndex is its place in laying
    // order, Position its place in the index. Else Position is where the key
    // would go. Equal keys sort in laying order.
    [[nodiscard]] TFindResult FindKey(TPointF key, int indexNo = 0) const;
    // Walking the index in key order.
    [[nodiscard]] int IndexSize(int indexNo = 0) const;
    [[nodiscard]] TTileContainer& IndexItem(int indexNo, int position);
    [[nodiscard]] const TTileContainer& IndexItem(int indexNo, int position) const;

    [[nodiscard]] TColorController& ColorGroups() { return m_groups; }
    [[nodiscard]] const TColorController& ColorGroups() const { return m_groups; }
    // Changes whenever a tile is added, recoloured or the list is cleared:
    // what a cached picture of the tiles is keyed by.
    [[nodiscard]] std::uint64_t Version() const { return m_version; }
    void Touch() { ++m_version; }

private:
    // 4096 records of 32 bytes: 128 KiB a block, so at most that much is
    // slack at the end of a fill.
    static constexpr std::size_t kBlockBits = 12;
    static constexpr std::size_t kBlockSize = std::size_t(1) << kBlockBits;
    struct TBlockFree {
        void operator()(TTileContainer* block) const;
    };
    using TBlock = std::unique_ptr<TTileContainer, TBlockFree>;

    [[nodiscard]] std::size_t checked(int itemIndex) const;
    [[nodiscard]] TTileContainer& at(std::size_t i) const {
        return m_blocks[i >> kBlockBits].get()[i & (kBlockSize - 1)];
    }
    void setColor(std::uint32_t itemIndex, std::uint32_t color);
    void leaveGroup(std::uint32_t itemIndex);
    const std::vector<std::uint32_t>& sorted() const;
    void unmark(const TTileContainer* tile);

    std::vector<TBlock> m_blocks;
    std::size_t m_count = 0;
    TColorController m_groups;
    std::vector<std::unique_ptr<TLaidShape>> m_shapes;
    QRectF m_shapeReach;
    // The index: the first m_sorted.size() tiles in key order; the tiles
    // after them wait for the next read.
    mutable std::vector<std::uint32_t> m_sorted;
    std::uint64_t m_version = 0;
};

// One visited pattern-copy origin.
struct TBasePointContainer {
    TPointF Point;
};

// The origins a fill has visited. Two points are the same origin when each
// coordinate differs by at most 1 mm (ComparePointsTolerant). That relation
// is not transitive, so no sort order lets a bisection find every match;
// instead the points are hashed by cells and a search looks at every cell a
// match could lie in, so it never misses.
class TBasePointList {
public:
    TBasePointList();

    const TBasePointContainer& AddPoint(TPointF point);
    // Kept and compared in double precision; Items() holds it as floats.
    const TBasePointContainer& AddExact(QPointF point);
    // Found when some stored point is within 1 mm; ItemIndex is then the
    // earliest such point, and Position equals it. Not found: ItemIndex -1,
    // Position the count (where the point would be added).
    [[nodiscard]] TFindResult FindKey(TPointF point) const;
    [[nodiscard]] TFindResult FindExact(QPointF point) const;
    [[nodiscard]] int Count() const { return int(m_points.size()); }
    [[nodiscard]] const TBasePointContainer& Items(int index) const { return m_points[std::size_t(index)]; }
    void ClearAll();

private:
    struct TSlot {
        std::uint64_t Key = 0;
        std::int32_t Head = -1; // -1: empty slot
    };
    [[nodiscard]] std::size_t find(std::uint64_t key) const;
    void grow();
    template <class TSame>
    [[nodiscard]] TFindResult search(double x, double y, TSame same) const;

    std::vector<TBasePointContainer> m_points;
    std::vector<QPointF> m_exact;
    std::vector<std::int32_t> m_next; // the next point of the same cell, -1 at the end
    std::vector<TSlot> m_slots;       // open addressing, a power of two in size
    std::size_t m_used = 0;
};

} // namespace vk
