#include "geometry/ElementList.h"

#include "geometry/ShapeDocument.h"
#include "geometry/ShapePath.h"
#include "geometry/VectorMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace vk {

namespace {

// End points filed by square cells twice the join tolerance wide: the ends
// that join a point lie in the at most four cells its tolerance square
// touches, so a search looks at those instead of the whole list. Entries are
// only ever added; one filed before its element's last `file` is stale.
class TEndIndex {
public:
    TEndIndex(float tol, int count)
        : m_reach(double(tol) * (1.0 + 1e-6)), m_cell(2.0 * m_reach), m_filed(std::size_t(count)),
          m_version(std::size_t(count), 0) {
        m_cells.reserve(std::size_t(count) * 2);
    }

    void file(int id, TPointF start, TPointF end) {
        const std::array<std::uint64_t, 2> keys{keyOf(start), keyOf(end)};
        std::array<std::uint64_t, 2>& filed = m_filed[std::size_t(id)];
        std::uint32_t& version = m_version[std::size_t(id)];
        // A reversed segment has its ends where they were: nothing to move.
        if (version != 0 && ((keys[0] == filed[0] && keys[1] == filed[1]) ||
                             (keys[0] == filed[1] && keys[1] == filed[0]))) {
            return;
        }
        filed = keys;
        ++version;
        for (int k = 0; k < 2; ++k) {
            if (keys[std::size_t(k)] != kNowhere && (k == 0 || keys[1] != keys[0])) {
                m_cells[keys[std::size_t(k)]].push_back({id, version});
            }
        }
    }

    // Calls visit(id) for every element with an end filed near p; an entry
    // for which visit returns false is dropped for good.
    template <typename Visit>
    void visitNear(TPointF p, Visit&& visit) {
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) {
            return;
        }
        const std::int64_t x0 = coord(double(p.X) - m_reach), x1 = coord(double(p.X) + m_reach);
        const std::int64_t y0 = coord(double(p.Y) - m_reach), y1 = coord(double(p.Y) + m_reach);
        for (std::int64_t cx = x0; cx <= x1; ++cx) {
            for (std::int64_t cy = y0; cy <= y1; ++cy) {
                const auto found = m_cells.find(key(cx, cy));
                if (found == m_cells.end()) {
                    continue;
                }
                std::vector<Entry>& entries = found->second;
                for (std::size_t k = 0; k < entries.size();) {
                    const Entry e = entries[k];
                    if (e.Version != m_version[std::size_t(e.Id)] || !visit(e.Id)) {
                        entries[k] = entries.back();
                        entries.pop_back();
                        continue;
                    }
                    ++k;
                }
            }
        }
    }

private:
    struct Entry {
        int Id;
        std::uint32_t Version;
    };
    static constexpr std::uint64_t kNowhere = ~std::uint64_t(0);

    [[nodiscard]] std::int64_t coord(double v) const {
        return std::int64_t(std::clamp(std::floor(v / m_cell), -1e15, 1e15));
    }
    // Distinct cells may share a key (they are searched together then); no
    // cell has the key that marks an end filed nowhere.
    [[nodiscard]] static std::uint64_t key(std::int64_t cx, std::int64_t cy) {
        const std::uint64_t k = (std::uint64_t(cx) * 0x9E3779B97F4A7C15ull) ^ std::uint64_t(cy);
        return k == kNowhere ? k - 1 : k;
    }
    // Ends that are not finite join nothing and are not filed.
    [[nodiscard]] std::uint64_t keyOf(TPointF p) const {
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) {
            return kNowhere;
        }
        return key(coord(p.X), coord(p.Y));
    }

    double m_reach;
    double m_cell;
    std::unordered_map<std::uint64_t, std::vector<Entry>> m_cells;
    std::vector<std::array<std::uint64_t, 2>> m_filed;
    std::vector<std::uint32_t> m_version;
};

} // namespace

bool EndsJoin(TPointF a, TPointF b, float tol) {
    return std::fabs(a.X - b.X) < tol && std::fabs(a.Y - b.Y) < tol;
}

TElementList::TElementList(T_TnC_Ancestor* owner) : m_owner(owner) {}

TElementList::~TElementList() { Clear(); }

int TElementList::IndexOf(const TGraphicPrimitive* element) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == element) {
            return int(i);
        }
    }
    return -1;
}

TGraphicPrimitive* TElementList::Find(std::uint32_t handle) const {
    if (handle == 0) {
        return nullptr;
    }
    for (const auto& item : m_items) {
        if (item->m_handle == handle) {
            return item.get();
        }
    }
    return nullptr;
}

int TElementList::Add(std::unique_ptr<TGraphicPrimitive> element) {
    element->m_handle = ++m_lastHandle;
    m_items.push_back(std::move(element));
    if (m_owner != nullptr) {
        m_owner->SetModified(true);
    }
    return Count() - 1;
}

void TElementList::Restore(int index, std::unique_ptr<TGraphicPrimitive> element, std::uint32_t handle) {
    element->m_handle = handle;
    m_lastHandle = std::max(m_lastHandle, handle);
    const int at = std::clamp(index, 0, Count());
    m_items.insert(m_items.begin() + at, std::move(element));
    if (m_owner != nullptr) {
        m_owner->SetModified(true);
    }
}

void TElementList::Clear() {
    if (m_items.empty()) {
        return;
    }
    // Freed in index order; the owner's current element goes with them.
    if (m_owner != nullptr && m_owner->Current() != nullptr && IndexOf(m_owner->Current()) >= 0) {
        m_owner->SetCurrent(nullptr);
    }
    for (auto& item : m_items) {
        item.reset();
    }
    m_items.clear();
}

std::unique_ptr<TGraphicPrimitive> TElementList::Take(TGraphicPrimitive* element) {
    const int index = IndexOf(element);
    if (index < 0) {
        return nullptr;
    }
    if (m_owner != nullptr && m_owner->Current() == element) {
        m_owner->SetCurrent(nullptr);
    }
    std::unique_ptr<TGraphicPrimitive> taken = std::move(m_items[std::size_t(index)]);
    m_items.erase(m_items.begin() + index);
    return taken;
}

void TElementList::DeleteElement(TGraphicPrimitive* element, bool clearBaseIfEmpty) {
    // An element of this list is freed here; one that is not in it belongs to
    // someone else and is left alone.
    std::unique_ptr<TGraphicPrimitive> removed = Take(element);
    removed.reset();
    if (m_owner != nullptr) {
        if (m_items.empty() && clearBaseIfEmpty) {
            m_owner->ClearBasePoint();
        }
        m_owner->SetModified(true);
    }
}

void TElementList::CopyFrom(const TElementList& source, bool clearFirst) {
    if (clearFirst) {
        Clear();
    }
    for (int i = 0; i < source.Count(); ++i) {
        if (std::unique_ptr<TGraphicPrimitive> copy = source.Items(i)->Clone(m_owner)) {
            Add(std::move(copy));
        }
    }
}

void TElementList::GetDescriptions(QStringList& strings, int unitDivisor,
                                   std::vector<TGraphicPrimitive*>* objects) const {
    for (const auto& item : m_items) {
        strings.append(item->GetDescription(unitDivisor));
        if (objects != nullptr) {
            objects->push_back(item.get());
        }
    }
}

void TElementList::SortIntoChain(float tol) {
    const int count = Count();
    // Nothing joins under a tolerance that is not positive.
    if (count < 2 || !(tol > 0.0f)) {
        return;
    }
    // One forward pass: after element i comes the first element from slot p
    // on (p: the first slot after i that is not a cut line) whose start or
    // end joins i's end. The index finds the candidates; the lowest slot
    // among them is the one a scan of the list would meet first. Elements
    // are known by their original index, their slots kept alongside.
    std::vector<int> idAt(std::size_t(count), 0);
    std::vector<int> slotOf(std::size_t(count), 0);
    TEndIndex ends(tol, count);
    for (int k = 0; k < count; ++k) {
        idAt[std::size_t(k)] = k;
        slotOf[std::size_t(k)] = k;
        ends.file(k, Items(k)->GetStartPoint(), Items(k)->GetEndPoint());
    }
    for (int i = 0; i <= count - 2; ++i) {
        if (Items(i)->LineStyle != 0) {
            continue;
        }
        const TPointF e = Items(i)->GetEndPoint();
        int p = i + 1;
        while (Items(p)->LineStyle != 0 && p <= count - 2) {
            ++p;
        }
        int best = -1;
        bool reverse = false;
        // Slots before p never move again (p only grows), so what lies there
        // leaves the index for good.
        ends.visitNear(e, [&](int id) {
            const int q = slotOf[std::size_t(id)];
            if (q < p) {
                return false;
            }
            if (best < 0 || q < best) {
                const TGraphicPrimitive* candidate = Items(q);
                if (EndsJoin(candidate->GetStartPoint(), e, tol)) {
                    best = q;
                    reverse = false;
                } else if (EndsJoin(candidate->GetEndPoint(), e, tol)) {
                    best = q;
                    reverse = true;
                }
            }
            return true;
        });
        if (best < 0) {
            continue;
        }
        if (reverse) {
            TGraphicPrimitive* candidate = Items(best);
            candidate->Reverse();
            ends.file(idAt[std::size_t(best)], candidate->GetStartPoint(), candidate->GetEndPoint());
        }
        if (best > p) {
            std::swap(m_items[std::size_t(best)], m_items[std::size_t(p)]);
            std::swap(idAt[std::size_t(best)], idAt[std::size_t(p)]);
            slotOf[std::size_t(idAt[std::size_t(best)])] = best;
            slotOf[std::size_t(idAt[std::size_t(p)])] = p;
        }
    }
}

int TElementList::findJoining(TPointF end, float tol) const {
    for (int i = 0; i < Count(); ++i) {
        if (EndsJoin(Items(i)->GetStartPoint(), end, tol)) {
            return i;
        }
    }
    return -1;
}

void TElementList::consumeChain(float tol, const std::function<TPointF(TGraphicPrimitive&)>& take) {
    // A short list is searched from its start for every link, as the chain
    // is defined; a long one (a surveyed site border) through an index of
    // start points, which finds the same lowest index.
    constexpr int kIndexedFrom = 64;
    if (Count() < kIndexedFrom || !(tol > 0.0f)) {
        TPointF e = take(*Items(0));
        DeleteElement(Items(0), false);
        for (int found = findJoining(e, tol); found >= 0; found = findJoining(e, tol)) {
            e = take(*Items(found));
            DeleteElement(Items(found), false);
        }
        return;
    }
    // Consumed elements keep their places until the chain ends, so an index
    // is an element's place among those that remain as well.
    const int count = Count();
    std::vector<char> consumed(std::size_t(count), 0);
    TEndIndex starts(tol, count);
    for (int k = 1; k < count; ++k) {
        const TPointF s = Items(k)->GetStartPoint();
        starts.file(k, s, s);
    }
    consumed[0] = 1;
    TPointF e = take(*Items(0));
    for (;;) {
        int found = -1;
        starts.visitNear(e, [&](int id) {
            if (consumed[std::size_t(id)]) {
                return false;
            }
            if ((found < 0 || id < found) && EndsJoin(Items(id)->GetStartPoint(), e, tol)) {
                found = id;
            }
            return true;
        });
        if (found < 0) {
            break;
        }
        consumed[std::size_t(found)] = 1;
        e = take(*Items(found));
    }
    // What DeleteElement does for each of them, done once.
    for (int k = 0; k < count; ++k) {
        if (consumed[std::size_t(k)] && m_owner != nullptr && m_owner->Current() == Items(k)) {
            m_owner->SetCurrent(nullptr);
        }
    }
    std::size_t kept = 0;
    for (std::size_t k = 0; k < m_items.size(); ++k) {
        if (!consumed[k]) {
            m_items[kept++] = std::move(m_items[k]);
        }
    }
    m_items.resize(kept);
    if (m_owner != nullptr) {
        m_owner->SetModified(true);
    }
}

bool TElementList::ExtractContour(float tol, TShapePath& path, std::pair<TPointF, TPointF>* ends) {
    if (m_items.empty()) {
        return false;
    }
    if (ends != nullptr) {
        ends->first = m_items.front()->GetStartPoint();
    }
    consumeChain(tol, [&path, ends](TGraphicPrimitive& element) {
        element.AddToPath(path);
        const TPointF end = element.GetEndPoint();
        if (ends != nullptr) {
            ends->second = end;
        }
        return end;
    });
    return !m_items.empty();
}

TShapePath TElementList::BuildPath(float tol, T_TnC_Ancestor& document, bool sort,
                                   std::vector<std::pair<TPointF, TPointF>>* openEnds) {
    TShapePath result;
    {
        // The copy belongs to the document, but what happens to it is no
        // change of the document: nothing the history could undo.
        const T_TnC_Ancestor::TQuietChanges quiet(document);
        TElementList work(&document);
        work.CopyFrom(document.Elements(), true);
        work.DeleteCutLines(false);
        if (sort) {
            work.SortIntoChain(tol);
        }
        bool more = true;
        while (more) {
            TShapePath contour;
            std::pair<TPointF, TPointF> ends;
            more = work.ExtractContour(tol, contour, &ends);
            if (openEnds != nullptr && !EndsJoin(ends.second, ends.first, tol)) {
                openEnds->push_back(ends);
            }
            result.StartFigure();
            result.AddPath(contour, false);
            result.CloseFigure();
        }
    }
    // The flag as the copy's elements have always left it; the history
    // judges it afresh at its next step.
    document.Modified = true;
    return result;
}

int TElementList::CountOfStyles(std::uint8_t styles) const {
    return int(std::count_if(m_items.begin(), m_items.end(), [styles](const auto& item) {
        return item->LineStyle >= 0 && item->LineStyle <= 7 &&
               (styles & (1u << unsigned(item->LineStyle))) != 0;
    }));
}

namespace {

std::vector<IntersectionPoint> crossingsOf(int tolerance, const TGraphicPrimitive* a, const TGraphicPrimitive* b) {
    const auto segmentOf = [](const TGraphicPrimitive* e) {
        return TSegmentGeom{e->GetStartPoint(), e->GetEndPoint()};
    };
    const auto arcOf = [](const TGraphicPrimitive* e) {
        return static_cast<const TArcPrimitive*>(e)->Geom();
    };
    const std::int32_t ka = a->GetKind();
    const std::int32_t kb = b->GetKind();
    if (ka == pkSegment && kb == pkSegment) {
        return CrossSegments(tolerance, segmentOf(a), segmentOf(b));
    }
    if (ka == pkSegment && kb == pkArc) {
        return CrossSegmentArc(tolerance, segmentOf(a), arcOf(b));
    }
    if (ka == pkArc && kb == pkSegment) {
        return CrossArcSegment(tolerance, arcOf(a), segmentOf(b));
    }
    if (ka == pkArc && kb == pkArc) {
        return CrossArcs(tolerance, arcOf(a), arcOf(b));
    }
    return {};
}

} // namespace

void TElementList::SplitAtIntersections(int tolerance) {
    // The elements as given cut what their pieces no longer can: a segment
    // is cut by an arc only where it crosses the arc's interior, and once
    // the arc is cut there the crossing lies on the ends of its pieces.
    std::vector<std::unique_ptr<TGraphicPrimitive>> given;
    given.reserve(m_items.size());
    for (const auto& item : m_items) {
        given.push_back(item->Clone(m_owner));
    }

    // One pass over every pair. It meets the pieces it appends only as the
    // element being cut, never as the one cutting: a cut line drawn past the
    // outline, once cut by the outline, is left whole where the outline
    // crosses it.
    for (int i = Count() - 1; i >= 0; --i) {
        if (i >= Count()) {
            continue;
        }
        TGraphicPrimitive* a = Items(i);
        for (int j = Count() - 1; j >= 0; --j) {
            TGraphicPrimitive* b = Items(j);
            if (a == b) {
                continue;
            }
            const std::vector<IntersectionPoint> records = crossingsOf(tolerance, a, b);
            if (records.empty()) {
                continue;
            }
            std::vector<std::unique_ptr<TGraphicPrimitive>> pieces = b->SplitAt(records, tolerance);
            if (pieces.empty()) {
                continue;
            }
            DeleteElement(b, true);
            for (auto& piece : pieces) {
                Add(std::move(piece));
            }
        }
    }

    // Then every piece against every element as given, until none is cut in
    // two. Only such cuts count here: a piece that merely loses a stub at a
    // crossing on its end would be replaced by itself again and again. A
    // piece is never cut by the element it came from (collinear or on the
    // same circle: no crossing). Each cut adds a piece longer than the
    // tolerance out of the same total length, so the passes end; the bound
    // only guards against numbers gone wrong.
    for (int pass = 0; pass < 64; ++pass) {
        bool cut = false;
        for (const auto& a : given) {
            if (!a) {
                continue;
            }
            for (int j = Count() - 1; j >= 0; --j) {
                TGraphicPrimitive* b = Items(j);
                const std::vector<IntersectionPoint> records = crossingsOf(tolerance, a.get(), b);
                if (records.empty()) {
                    continue;
                }
                std::vector<std::unique_ptr<TGraphicPrimitive>> pieces = b->SplitAt(records, tolerance);
                if (pieces.size() < 2) {
                    continue;
                }
                DeleteElement(b, true);
                for (auto& piece : pieces) {
                    Add(std::move(piece));
                }
                cut = true;
            }
        }
        if (!cut) {
            break;
        }
    }
}

void TElementList::DeleteCutLines(bool clearBaseIfEmpty) {
    for (int i = Count() - 1; i >= 0; --i) {
        if (Items(i)->LineStyle != 0) {
            DeleteElement(Items(i), clearBaseIfEmpty);
        }
    }
}

void ArcPoints(const TGraphicPrimitive& element, std::vector<TPointF>& points) {
    if (element.GetKind() != pkArc) {
        return;
    }
    const auto& arc = static_cast<const TArcPrimitive&>(element);
    const TPointF c = arc.GetCentre();
    const TPointF s = arc.GetStartPoint();
    const float r = arc.Radius();
    const float a0 = AngleOf(c, s);
    const float w = arc.Sweep();
    if (w == 0.0f || !(r > 0.0f)) {
        return;
    }
    // The chord test can never pass for a degenerate circle; bound the search.
    int n = 2;
    for (; n < 100000; ++n) {
        const TPointF p = PolarPoint(c, r, NormalizeAngle(a0 + w / float(n)));
        const float d = DistanceToSegment(c, s, p);
        if (d >= 0.0f && r - d < 1.0f) {
            break;
        }
    }
    for (int k = 1; k <= n - 1; ++k) {
        points.push_back(PolarPoint(c, r, NormalizeAngle(a0 + float(k) * w / float(n))));
    }
}

double PolygonArea(const std::vector<TPointF>& pts) {
    const std::size_t n = pts.size();
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const TPointF& a = pts[i];
        const TPointF& b = pts[(i + 1) % n];
        sum += (double(a.X) + b.X) * (double(a.Y) - b.Y);
    }
    return std::fabs(sum) / 2.0;
}

bool TElementList::TracePolygon(float tol, std::vector<TPointF>& points) {
    if (m_items.empty()) {
        return false;
    }
    consumeChain(tol, [&points](TGraphicPrimitive& element) {
        points.push_back(element.GetStartPoint());
        ArcPoints(element, points);
        points.push_back(element.GetEndPoint());
        return element.GetEndPoint();
    });
    return CountOfStyles(1u << 0) > 0;
}

float TElementList::Area(T_TnC_Ancestor& document, float tol) {
    std::vector<double> areas;
    {
        const T_TnC_Ancestor::TQuietChanges quiet(document);
        TElementList work(&document);
        work.CopyFrom(document.Elements(), true);
        work.DeleteCutLines(false);
        work.SortIntoChain(tol);
        bool more = true;
        while (more) {
            std::vector<TPointF> pts;
            more = work.TracePolygon(tol, pts);
            if (pts.size() > 2) {
                areas.push_back(PolygonArea(pts));
            }
        }
    }
    if (areas.empty()) {
        return 0.0f;
    }
    const auto largest = std::max_element(areas.begin(), areas.end());
    double total = *largest;
    for (auto it = areas.begin(); it != areas.end(); ++it) {
        if (it != largest) {
            total -= *it;
        }
    }
    return float(total / 1000000.0);
}

float TElementList::Perimeter(const T_TnC_Ancestor& document) {
    double total = 0.0;
    const TElementList& list = document.Elements();
    for (int i = 0; i < list.Count(); ++i) {
        const TGraphicPrimitive* e = list.Items(i);
        if (e->LineStyle != 0) {
            continue;
        }
        if (e->GetKind() == pkSegment) {
            total += Distance(e->GetStartPoint(), e->GetEndPoint());
        } else if (e->GetKind() == pkArc) {
            const auto* arc = static_cast<const TArcPrimitive*>(e);
            total += ArcLength(arc->Radius(), arc->Sweep());
        }
    }
    return float(total / 1000.0);
}

} // namespace vk
